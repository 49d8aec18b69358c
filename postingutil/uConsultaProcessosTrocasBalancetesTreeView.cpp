#include "postingutil/uConsultaProcessosTrocasBalancetesTreeView.h"

#include "framework/accounting/empresas_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/sql_value.h"
#include "framework/host/publicas.h"
#include "framework/ui/grid.h"
#include "framework/ui/tree_view.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr int kTipoInteiro = 0;
constexpr int kTipoTexto = 1;

// The level value as an integer literal; anything else matches nothing.
std::string Inteiro(const std::string& v) {
  std::string d = OnlyDigits(v);
  return d.empty() || d.size() > 9 || d.size() != Trim(v).size() ? "NULL" : std::to_string(std::stoi(d));
}

// The text without its surrounding single quotes, doubled quotes made single.
std::string DeQuotedString(const std::string& s) {
  if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') return s;
  std::string out;
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\'' && s[i + 1] == '\'' && i + 2 < s.size()) ++i;
  }
  return out;
}

void ExpandeTudo(TTreeView& tv, TTreeNode* n) {
  tv.Expand(n);
  for (int i = 0; i < n->Count(); ++i) ExpandeTudo(tv, n->Item(i));
}

}  // namespace

TfrConsultaProcessosTrocasBalancetesTreeView::TfrConsultaProcessosTrocasBalancetesTreeView(TComponent* owner)
    : TfrConsulta_Padrao_TreeView_VYN(owner) {
  SetName("frConsultaProcessosTrocasBalancetesTreeView");
  SetCaption("Conferência de saldos");
  SetPodeExcluir(false);
  setDaoFactory();
  grConsulta->AddColumn("BDCODTPLA", "Código");
  grConsulta->AddColumn("BDCTALON", "Classificação", 20);
  grConsulta->AddColumn("BDNOMCTA", "Nome", 50);
  grConsulta->AddColumn("BDSALANT", "Saldo anterior");
  grConsulta->AddColumn("BDDEBITOS", "Débitos");
  grConsulta->AddColumn("BDCREDITOS", "Créditos");
  grConsulta->AddColumn("BDSALATU", "Saldo atual");
  tvConsulta->OnChange = [this](TComponent*, TTreeNode* n) { MostraBalancete(n); };
}

bool TfrConsultaProcessosTrocasBalancetesTreeView::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaProcessosTrocasBalancetesTreeView") ||
         TfrConsulta_Padrao_TreeView_VYN::InheritsFrom(class_name);
}

void TfrConsultaProcessosTrocasBalancetesTreeView::setDaoFactory() {
  FBalancete = Create<TDAOFactory>("VINT_EMP_PROCESSOTROCA_BAL");
  FBalancete->SetName("tbVINT_EMP_PROCESSOTROCA_BAL");
  SetDAOFactory(FBalancete);
}

void TfrConsultaProcessosTrocasBalancetesTreeView::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, ptbOrdem + 1, "Esta tela é aberta pela consulta dos processos de troca de plano.");
  FCodEmp = lista.GetIntegerValue(ptbEmpresa);
  FOrdem = lista.GetIntegerValue(ptbOrdem);
  TfrConsulta_Padrao_TreeView_VYN::SetListaObj(lista);
  setGroups();
  MontaArvore();
  // The node of missing data has no level value to expand by.
  if (tvConsulta->RootCount() == 0) {
    tvConsulta->Add(kNoSemDados);
    return;
  }
  ExpandeTudo(*tvConsulta, tvConsulta->Root(0));
}

void TfrConsultaProcessosTrocasBalancetesTreeView::setGroups() {
  Variant nome = TEmpresasMGR::GetRetornaCampoEmpresaRef(this, FCodEmp, "BDNOMEMP", TPublicas::GetReferencia());
  std::string sql = "SELECT DISTINCT BDANO, BDCODEMP, " + QuotedStr(nome.IsNull() ? "" : nome.AsString()) +
                    " as BDNOMEMP," +
                    " BDDEPARA, IIF(BDDEPARA = 0, 'Anterior a troca', 'Posterior a troca') AS BDDESCDEPARA" +
                    " FROM VINT_EMP_PROCESSOTROCA_BAL" + " WHERE BDCODEMP = " + std::to_string(FCodEmp) +
                    " AND BDORDEM = " + std::to_string(FOrdem);
  TfrConsulta_Padrao_TreeView_VYN::setGroups(
      sql, {{"BDCODEMP", "BDNOMEMP", kTipoInteiro}, {"BDDESCDEPARA", "BDDESCDEPARA", kTipoTexto},
            {"BDANO", "BDANO", kTipoInteiro}});
}

int TfrConsultaProcessosTrocasBalancetesTreeView::GetDeParaFrom(const std::string& texto) {
  return Trim(DeQuotedString(Trim(texto))) == "Posterior a troca" ? 1 : 0;
}

std::string TfrConsultaProcessosTrocasBalancetesTreeView::GetSQLBalancete(const TTreeNode* node) const {
  std::string sql =
      "SELECT BAL.*, TPLA.BDCTALON, TPLA.BDNOMCTA, TPLA.BDTIPCTA"
      " FROM VINT_EMP_PROCESSOTROCA_BAL BAL"
      " LEFT OUTER JOIN PLANOS_TPLA TPLA ON (TPLA.BDCODPLAPADRAO = BAL.BDCODPLAPADRAO AND TPLA.BDCODTPLA = "
      "BAL.BDCODTPLA)"
      " WHERE BAL.BDCODEMP = " + std::to_string(FCodEmp) + "   AND BAL.BDORDEM  = " + std::to_string(FOrdem);
  std::vector<std::string> valores = ValoresNo(node);
  if (valores.size() > 1 && !Trim(valores[1]).empty())
    sql += "   AND BAL.BDDEPARA = " + std::to_string(GetDeParaFrom(valores[1]));
  if (valores.size() > 2 && !Trim(valores[2]).empty()) sql += "   AND BAL.BDANO = " + Inteiro(valores[2]);
  return sql + " ORDER BY BAL.BDCODEMP, BAL.BDORDEM, BAL.BDDEPARA, BAL.BDANO, TPLA.BDCTALON";
}

void TfrConsultaProcessosTrocasBalancetesTreeView::MostraBalancete(const TTreeNode* node) {
  if (!node) return;
  FBalancete->CommandText(GetSQLBalancete(node));
  FBalancete->First();
}

}  // namespace integracao
