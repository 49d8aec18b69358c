#include "framework/ui/tipo_sequencia_relatorio.h"

#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/sql_value.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/form.h"
#include "framework/ui/sequencia_relatorio.h"

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
  return "SELECT V.BDCODEMP, V.BDNOMEMP, E.BDEMAILEMP FROM VW_EMPRESAS_REF_ATUAL V"
         " LEFT JOIN TEMPRESAS E ON E.BDCODEMP = V.BDCODEMP WHERE " +
         SQLInCondition("V.BDCODEMP", codigos) + " ORDER BY V.BDCODEMP";
}

void TTipoSequenciaRelatorioPadrao::PreencheMultiSelecao(TDAOFactory& sql) {
  codigo_ = static_cast<int>(sql.FieldByName("BDCODEMP").AsInteger());
  TField* nome = sql.FindField("BDNOMEMP");
  nome_ = nome && !nome->IsNull() ? nome->AsString() : "";
  TField* email = sql.FindField("BDEMAILEMP");
  email_ = email && !email->IsNull() ? Trim(email->AsString()) : "";
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

// The payroll registry here holds admission and dismissal dates only: the situations that depend on
// transfers or leaves ("com transferência", "afastados") are answered from those dates, so a
// leave is never known and "Afastados o mês inteiro" lists nobody.
std::string TTipoSequenciaRelatorioColaboradores::CondicaoSituacao(int situacao, TDateTime ini, TDateTime fim) {
  const std::string i = SQLDate(ini), f = SQLDate(fim);
  const std::string admitido = "(C.BDDATAADM IS NULL OR C.BDDATAADM <= " + f + ")";
  const std::string ativo = "(" + admitido + " AND (C.BDDATADEM IS NULL OR C.BDDATADEM > " + f + "))";
  const std::string demitidoNoMes = "(C.BDDATADEM BETWEEN " + i + " AND " + f + ")";
  switch (situacao) {
    case 1: return admitido;                                                  // Todos
    case 2: return "(C.BDDATADEM IS NOT NULL AND C.BDDATADEM <= " + f + ")";  // Somente os demitidos
    case 3: return "(C.BDDATAADM BETWEEN " + i + " AND " + f + ")";           // admitidos no mês
    case 4: return demitidoNoMes;                                             // demitidos no mês
    case 5:
    case 6: return "(" + admitido + " AND (C.BDDATADEM IS NULL OR C.BDDATADEM >= " + i + "))";
    case 8: return "(1 = 0)";
    default: return ativo;                                                    // 0 and 7: ativos
  }
}

std::string TTipoSequenciaRelatorioColaboradores::GetSQL() const {
  auto* emp = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(tela_, "edCODEMP"));
  auto* col = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(tela_, "edCODCOLCON"));
  std::vector<int64_t> empresas = emp ? emp->CodigosSelecionados() : std::vector<int64_t>{};
  std::erase_if(empresas, [](int64_t c) { return c <= 0; });
  TDateTime ini = referencia_ && !referencia_->IsEmpty() ? referencia_->GetData() : Today();
  ini = StartOfTheMonth(ini);
  const TDateTime fim = EndOfTheMonth(ini);
  std::string sql = "SELECT C.BDCODEMP, C.BDCODCOL, C.BDNOMCOL, C.BDEMAILCOL, E.BDNOMEMP FROM TRH_COLCON C "
                    "LEFT JOIN VW_EMPRESAS_REF_ATUAL E ON E.BDCODEMP = C.BDCODEMP WHERE C.BDTIPOCOL <> 2 AND " +
                    SQLInCondition("C.BDCODEMP", empresas) + " AND " +
                    CondicaoSituacao(situacao_ ? situacao_->ItemIndex() : 0, ini, fim);
  if (col && col->Enabled()) {
    std::vector<int64_t> cods = col->CodigosSelecionados();
    std::erase_if(cods, [](int64_t c) { return c <= 0; });
    if (!cods.empty()) sql += " AND " + SQLInCondition("C.BDCODCOL", cods);
  }
  return sql + " ORDER BY C.BDCODEMP, C.BDCODCOL";
}

void TTipoSequenciaRelatorioColaboradores::PreencheMultiSelecao(TDAOFactory& sql) {
  TTipoSequenciaRelatorioPadrao::PreencheMultiSelecao(sql);
  colaborador_ = static_cast<int>(sql.FieldByName("BDCODCOL").AsInteger());
  const TField& nome = sql.FieldByName("BDNOMCOL");
  nomeColaborador_ = nome.IsNull() ? "" : nome.AsString();
  const TField& email = sql.FieldByName("BDEMAILCOL");
  emailColaborador_ = email.IsNull() ? "" : Trim(email.AsString());
  WP_SEQUENCIARELATORIO().WP_COL_TARVO = colaborador_;
}

std::string TTipoSequenciaRelatorioColaboradores::descricaoColaborador() const {
  return "Colaborador " + std::to_string(colaborador_) + (nomeColaborador_.empty() ? "" : " - " + nomeColaborador_);
}

std::string TTipoSequenciaRelatorioColaboradores::getDescricaoExportacao() const {
  return porEmpresa_ ? TTipoSequenciaRelatorioPadrao::getDescricaoExportacao() : descricaoColaborador();
}

void TTipoSequenciaRelatorioColaboradores::PreencheEntidade(TForm_VYN& form) {
  TTipoSequenciaRelatorioPadrao::PreencheEntidade(form);
  if (auto* ed = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(&form, "edCODCOLCON"))) ed->Vale(colaborador_);
}

}  // namespace vyn
