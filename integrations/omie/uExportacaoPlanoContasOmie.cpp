#include "integrations/omie/uExportacaoPlanoContasOmie.h"

#include <algorithm>
#include <map>
#include <memory>

#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/exportacao_omie_db_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/publicas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/escolha_empresas.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/status_processo.h"
#include "integrations/omie/uInt_EF_API_Omie.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace integracao {

using namespace vyn;

namespace {

// The chart of accounts of an Omie account.
class TIntegracaoOmiePlanoContas_VYN : public TIntegracaoOmieBase {
 public:
  using TIntegracaoOmieBase::TIntegracaoOmieBase;
  std::string ClassName() const override { return "TIntegracaoOmiePlanoContas_VYN"; }
  std::string GetURL() const override { return "/contador/planocontas/"; }
};

}  // namespace

std::function<TRetornoEnvioOmie(int, const std::string&, const nlohmann::ordered_json&)> EnvioOmiePlanoContas(
    const TComponent* owner, std::function<void(TIntegracaoOmieBase&)> prepara) {
  auto clientes = std::make_shared<std::map<int, std::unique_ptr<TIntegracaoOmiePlanoContas_VYN>>>();
  return [owner, clientes, prepara](int codEmp, const std::string& call, const nlohmann::ordered_json& param) {
    auto& c = (*clientes)[codEmp];
    if (!c) {
      c = std::make_unique<TIntegracaoOmiePlanoContas_VYN>(nullptr, ChaveOmieEmpresa(owner, codEmp),
                                                           SenhaOmieEmpresa(owner, codEmp));
      if (prepara) prepara(*c);
    }
    TRetornoEnvioOmie r;
    try {
      const TRetornoOmieRegistro ret = c->RealizaPostGenerico(call, param);
      r.StatusCode = ret.StatusCode;
      r.Falha = FaultStringOmie(ret.Response);
      r.Resposta = ret.Response;
    } catch (const std::exception& e) {
      r.Falha = e.what();
    }
    return r;
  };
}

TfrExportacaoPlanoContasOmie::TfrExportacaoPlanoContasOmie(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      lbCODEMP(Create<TLabel>()),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresasOmie)),
      pnNomEmp(Create<TPanel>()),
      spConsulta_Empresa(Create<TSpeedButton>()),
      gbTrocaPlanoContas(Create<TGroupBox>()),
      ckFORCE_REPLACE(Create<TCheckBox>()),
      ckREPLACE(Create<TCheckBox>()),
      ckExpSoCtaPrep(Create<TCheckBox>()),
      Inconsistencias_VYN(Create<TInconsistencias_VYN>()) {
  lbCODEMP->SetName("lbCODEMP");
  pnNomEmp->SetName("pnNomEmp");
  spConsulta_Empresa->SetName("spConsulta_Empresa");
  gbTrocaPlanoContas->SetName("gbTrocaPlanoContas");
  ckREPLACE->SetName("ckREPLACE");
  ckFORCE_REPLACE->SetName("ckFORCE_REPLACE");
  ckExpSoCtaPrep->SetName("ckExpSoCtaPrep");
  SetCaption("Exportação do plano de contas para ^Omie");
  lbCODEMP->SetCaption("Empresas:");
  edCODEMP->SetName("edCODEMP");
  edCODEMP->SetMaxLength(9);
  edCODEMP->SetAceitaMultiSelecao(true);
  edCODEMP->AceitaVazio = true;
  edCODEMP->SetHint("|F11 - Selecionar, Ctrl + F11 - Tira seleção");
  edCODEMP->PanelNome = pnNomEmp;
  spConsulta_Empresa->SetHint("Consultar");
  spConsulta_Empresa->OnClick = [this](TComponent*) { ConsultaEmpresas(); };
  gbTrocaPlanoContas->SetCaption(" Troca de plano de contas ");
  ckFORCE_REPLACE->SetCaption("Substituir o plano de contas na Omie");
  ckFORCE_REPLACE->OnClick = [this](TComponent* s) { ckFORCE_REPLACEClick(s); };
  ckREPLACE->SetCaption("Substituir o plano de contas na Omie verificando as configurações existentes");
  ckREPLACE->OnClick = [this](TComponent* s) { ckREPLACEClick(s); };
  ckExpSoCtaPrep->SetCaption("Exportar somente as contas contábeis preparadas em contas contábeis por empresa");
  ckExpSoCtaPrep->OnClick = [this](TComponent* s) { ckExpSoCtaPrepClick(s); };
  spOK->OnClick = [this](TComponent* s) { spOKClick(s); };
}

bool TfrExportacaoPlanoContasOmie::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrExportacaoPlanoContasOmie") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrExportacaoPlanoContasOmie::CreateDAO() { FExportacao = TExportacaoOmieDBMGR::CreateMgr(this); }

void TfrExportacaoPlanoContasOmie::InicioProcesso() { TfrProcesso_Padrao_VYN::InicioProcesso(); }
void TfrExportacaoPlanoContasOmie::ChamaProcesso() { TfrProcesso_Padrao_VYN::ChamaProcesso(); }
void TfrExportacaoPlanoContasOmie::FimProcesso() {
  TfrProcesso_Padrao_VYN::FimProcesso();
  if (!Inconsistencias_VYN->IsEmpty()) Inconsistencias_VYN->Show();
}
void TfrExportacaoPlanoContasOmie::PosicionaFocus() {
  TfrProcesso_Padrao_VYN::PosicionaFocus();
  if (edCODEMP->CanFocus()) edCODEMP->SetFocus();
}

void TfrExportacaoPlanoContasOmie::spConsultaClick(TComponent* sender) {
  TfrProcesso_Padrao_VYN::spConsultaClick(sender);
  ConsultaEmpresas();
}

void TfrExportacaoPlanoContasOmie::ConsultaEmpresas() {
  EscolheEmpresas(*edCODEMP,
                  ProcessContext().Database->QueryAll(
                      "SELECT E.BDCODEMP, R.BDNOMEMP FROM TEMPRESAS E LEFT OUTER JOIN VW_TEMPRESAS_REF_MAX_MIN MM ON "
                      "(MM.BDCODEMP = E.BDCODEMP) LEFT OUTER JOIN TEMPRESAS_REF R ON (R.BDCODEMP = MM.BDCODEMP AND "
                      "R.BDREFEMP = MM.BDREFEMP) WHERE E.BDOMIE = 'TRUE' ORDER BY E.BDCODEMP"));
}

std::string TfrExportacaoPlanoContasOmie::GetMetodoExportacao() const {
  if (ckFORCE_REPLACE->Checked()) return "FORCE_REPLACE";
  if (ckREPLACE->Checked()) return "REPLACE";
  return "UPSERT";
}

void TfrExportacaoPlanoContasOmie::ckFORCE_REPLACEClick(TComponent*) {
  if (ckFORCE_REPLACE->Checked() &&
      DlgConfSimNaoEsc(TExportacaoOmieDBMGR::getMensagemSimNao("FORCE_REPLACE"), FLogEvent) != mrYes)
    ckFORCE_REPLACE->SetChecked(false);
  ckREPLACE->SetEnabled(!ckFORCE_REPLACE->Checked());
  ckExpSoCtaPrep->SetEnabled(!ckFORCE_REPLACE->Checked());
}

void TfrExportacaoPlanoContasOmie::ckREPLACEClick(TComponent*) {
  if (ckREPLACE->Checked() && DlgConfSimNaoEsc(TExportacaoOmieDBMGR::getMensagemSimNao("REPLACE"), FLogEvent) != mrYes)
    ckREPLACE->SetChecked(false);
  ckFORCE_REPLACE->SetEnabled(!ckREPLACE->Checked());
  ckExpSoCtaPrep->SetEnabled(!ckREPLACE->Checked());
}

void TfrExportacaoPlanoContasOmie::ckExpSoCtaPrepClick(TComponent*) {
  ckREPLACE->SetEnabled(!ckExpSoCtaPrep->Checked());
  ckFORCE_REPLACE->SetEnabled(!ckExpSoCtaPrep->Checked());
}

void TfrExportacaoPlanoContasOmie::spOKClick(TComponent* sender) {
  AfterConstruction();
  Inconsistencias_VYN->Clear();
  auto empresas = TSQLMGR::CreateMgrOwned();
  auto plano = TSQLMGR::CreateMgrOwned();
  if (edCODEMP->Codigo() > 0) {
    FExportacao->FiltroEmpresas = edCODEMP->getCodigoStr();
  } else if (edCODEMP->QtdeSelecionados() > 0) {
    FExportacao->FiltroEmpresas = edCODEMP->GetSQLMultiSelectInteger();
  } else {
    FExportacao->FiltroEmpresas = TExportacaoOmieDBMGR::kFiltroEmpresasOmie;
  }
  std::string sql =
      "select EMP.BDCODEMP, REF.BDNOMEMP, BDCODPLAPADRAOREF, BDCODPLAPADRAO, EMP.BDOMIE from TEMPRESAS EMP "
      "left join VW_TEMPRESAS_REF REF on   (EMP.BDCODEMP = REF.BDCODEMP) ";
  if (!FExportacao->FiltroEmpresas.empty()) sql += "where ref.bdcodemp in (" + FExportacao->FiltroEmpresas + ")";
  // The workstation's current reference picks each company's chart in force.
  empresas->Database().SetSessionReferencia(TPublicas::GetReferencia());
  empresas->CommandText(sql, ctOpen);
  for (empresas->First(); !empresas->Eof(); empresas->Next()) {
    const int codEmp = static_cast<int>(empresas->FieldByName("BDCODEMP").AsInteger());
    const std::string desc = std::to_string(codEmp) + " - " + empresas->FieldByName("BDNOMEMP").AsString();
    if (empresas->FieldByName("BDOMIE").AsString() != "TRUE") {
      Inconsistencias_VYN->Add_Erro(codEmp, "A empresa " + desc + " não está configurada como Omie!");
      continue;
    }
    const std::string semPlano = "O plano de contas da empresa " + desc +
                                 " não possui plano referencial preparado, a exportação para Omie não será realizada!";
    if (empresas->FieldByName("BDCODPLAPADRAOREF").IsNull()) {
      Inconsistencias_VYN->Add_Erro(codEmp, semPlano);
      continue;
    }
    const std::string pla = std::to_string(empresas->FieldByName("BDCODPLAPADRAO").AsInteger());
    const std::string ref = std::to_string(empresas->FieldByName("BDCODPLAPADRAOREF").AsInteger());
    plano->CommandText(" select first 1 ECF.*  from PLANOS_TPLA_ECF ECF  inner join TGRUPOCTA_ECF GRP on "
                       "(ECF.BDCODGRUPOCTA = GRP.BDCODGRUPOCTA)  where ECF.BDCODPLAPADRAO = " + pla +
                           " and   ECF.BDCODPLAPADRAOREF = " + ref +
                           " and   ECF.BDANO = (select max(BDANO) BDANO from PLANOS_TPLA_ECF where "
                           "(BDCODPLAPADRAOREF = " + ref + ") and (BDCODPLAPADRAO = " + pla + ")) ",
                       ctOpen);
    if (plano->Eof()) Inconsistencias_VYN->Add_Erro(codEmp, semPlano);
  }
  // One company that cannot go stops them all: every problem is shown at once.
  if (!Inconsistencias_VYN->IsEmpty()) {
    Inconsistencias_VYN->Show();
    return;
  }
  TfrProcesso_Padrao_VYN::spOKClick(sender);
}

void TfrExportacaoPlanoContasOmie::Processo() {
  if (!Inconsistencias_VYN->IsEmpty()) return;
  FExportacao->SetCriaBarra(this, 2);
  // The progress window is this run's: it closes and goes on every way out, a failure midway
  // included, and the exporter keeps no pointer to it nor a sender bound to this run.
  std::unique_ptr<TComponent> barra = FExportacao->Status->ReleaseFromOwner();
  struct TFimExportacao {
    TExportacaoOmieDBMGR& e;
    ~TFimExportacao() {
      e.Status = nullptr;
      e.EnviaOmie = nullptr;
    }
  } fim{*FExportacao};
  FExportacao->ExportaSomenteAnaliticas = true;
  FExportacao->SetInconsistencias_VYN(Inconsistencias_VYN);
  FExportacao->Metodo = GetMetodoExportacao();
  FExportacao->SomenteContasPreparadas = ckExpSoCtaPrep->Checked();
  FExportacao->EnviaOmie = EnvioOmiePlanoContas(this, OnPreparaClienteOmie);
  FExportacao->Execute();
  FLogEvent->LogProcesso("", logProcesso);
}

}  // namespace integracao
