#include "framework/accounting/contas_planos_mgr.h"

#include <cctype>

namespace vyn {

bool TContasPlanosMGR::PlanoTemContaParticipante(int codPlaPadrao) const {
  return !Database()
              .QueryValue("SELECT FIRST 1 1 FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = ? AND BDPARTICIPANTE = 1",
                          {codPlaPadrao})
              .IsNull();
}

void TContasPlanosMGR::AbrePlano(int codPlaPadrao) {
  if (planoAberto_ == codPlaPadrao) return;
  planoAberto_.reset();
  CommandText("Select * from PLANOS_TPLA where BDCODPLAPADRAO = ?", ctOpen, {codPlaPadrao});
  planoAberto_ = codPlaPadrao;
}

Variant TContasPlanosMGR::GetCampoContaPlano(const Variant& conta, const std::string& campo) {
  const TField* f = FindField(campo);
  if (!f) return Variant();
  if (!conta.IsNull() && Locate("BDCODTPLA", {Variant(conta.AsInteger())}) && !f->IsNull()) return f->Value();
  switch (f->DataType()) {
    case TFieldType::ftString:
    case TFieldType::ftMemo: return Variant(std::string());
    case TFieldType::ftBoolean: return Variant(false);
    default: return Variant(0);
  }
}

std::string TPreencheCombosVYN::GetDescRegimeEmpresa(int regime) { return regime == 1 ? "Caixa" : "Competência"; }

const std::vector<std::string>& TPreencheCombosVYN::combo(TComboProdutorRural lista) {
  static const std::vector<std::string> documentos{"Nota fiscal", "Fatura", "Recibo",
                                                   "Contrato", "Folha de pagamento", "Outros"};
  static const std::vector<std::string> lancamentos{
      "Receita da atividade rural", "Despesa de custeio e investimentos",
      "Receita de produtos entregues no ano referente a adiantamento de recursos financeiros"};
  return lista == TComboDocumentoProdutorRural ? documentos : lancamentos;
}

namespace {

std::string NomeDoCodigo(TComboProdutorRural lista, int codigo) {
  const std::vector<std::string>& nomes = TPreencheCombosVYN::combo(lista);
  return codigo >= 1 && codigo <= static_cast<int>(nomes.size()) ? nomes[static_cast<size_t>(codigo - 1)]
                                                                 : std::string();
}

}  // namespace

std::string TPreencheCombosVYN::GetDescDocumentoProdutorRural(int codigo) {
  return NomeDoCodigo(TComboDocumentoProdutorRural, codigo);
}

std::string TPreencheCombosVYN::GetDescTipoLancProdutorRural(int codigo) {
  return NomeDoCodigo(TComboTipoLancamentoProdutorRural, codigo);
}

}  // namespace vyn
