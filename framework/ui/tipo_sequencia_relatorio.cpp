#include "framework/ui/tipo_sequencia_relatorio.h"

#include "framework/data/dao_factory.h"
#include "framework/data/sql_value.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/form.h"

namespace vyn {

namespace {
// A screen's control by name, wherever it sits among the screen's containers.
TComponent* Procura(TComponent* raiz, const std::string& nome) {
  if (!raiz) return nullptr;
  if (TComponent* c = raiz->FindComponent(nome)) return c;
  for (TComponent* c : raiz->Components())
    if (TComponent* achou = Procura(c, nome)) return achou;
  return nullptr;
}
}  // namespace

std::string TTipoSequenciaRelatorioPadrao::GetSQL() const {
  auto* ed = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(tela_, "edCODEMP"));
  std::vector<int64_t> codigos;
  if (ed) codigos = ed->CodigosSelecionados();
  std::erase_if(codigos, [](int64_t c) { return c <= 0; });
  return "SELECT BDCODEMP, BDNOMEMP FROM VW_EMPRESAS_REF_ATUAL WHERE " + SQLInCondition("BDCODEMP", codigos) +
         " ORDER BY BDCODEMP";
}

void TTipoSequenciaRelatorioPadrao::PreencheMultiSelecao(TDAOFactory& sql) {
  codigo_ = static_cast<int>(sql.FieldByName("BDCODEMP").AsInteger());
  TField* nome = sql.FindField("BDNOMEMP");
  nome_ = nome && !nome->IsNull() ? nome->AsString() : "";
}

std::string TTipoSequenciaRelatorioPadrao::getDescricaoExportacao() const {
  return "Empresa " + std::to_string(codigo_) + (nome_.empty() ? "" : " - " + nome_);
}

void TTipoSequenciaRelatorioPadrao::PreencheEntidade(TForm_VYN& form) {
  if (auto* ed = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(&form, "edCODEMP"))) ed->Vale(codigo_);
}

std::string TTipoSequenciaRelatorioClientes::getDescricaoExportacao() const {
  return "Cliente " + std::to_string(codigo_) + (nome_.empty() ? "" : " - " + nome_);
}

std::string TTipoSequenciaRelatorioColaboradores::getDescricaoExportacao() const {
  std::string s = TTipoSequenciaRelatorioPadrao::getDescricaoExportacao();
  if (situacao_ && situacao_->ItemIndex() >= 0) s += " - " + situacao_->Text();
  return s;
}

}  // namespace vyn
