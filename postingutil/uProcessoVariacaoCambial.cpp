#include "postingutil/uProcessoVariacaoCambial.h"

#include <algorithm>

#include <fmt/format.h>

#include "framework/accounting/variacao_cambial_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/livros.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/seleciona_filiais.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr int kSistemaContabil = 4;
constexpr int kVersaoApuracao = 2;
// Each month is a run row and its entries: a mistyped year must not walk decades of months.
constexpr int kMaxMesesPorExecucao = 24;
constexpr const char* kMsgConciliadosVariacao =
    "Existem lançamentos conciliados no processo que será refeito. Ao prosseguir, esses lançamentos serão "
    "desconciliados automaticamente. \rDeseja continuar?";

// The month the host works in; without one, the current month.
int ReferenciaDeTrabalho() {
  const int ref = ProcessContext().Referencia;
  return IsValidAnoMes(ref) ? ref : AnoMes(Now());
}

int MesesDoPeriodo(int ini, int fim) {
  return (fim / 100 - ini / 100) * 12 + (fim % 100 - ini % 100) + 1;
}
}  // namespace

TfrProcessoVariacaoCambial::TfrProcessoVariacaoCambial(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbCODMOE(Create<TLabel>()),
      edCODMOE(Create<TEdit_Codigo_Search_VYN>(tcPlanoMoedas)),
      spCODMOE(Create<TSpeedButton>()),
      pnCODMOE(Create<TPanel>()),
      lbRefInicial(Create<TLabel>()),
      edRefInicial(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      lbRefFinal(Create<TLabel>()),
      edRefFinal(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      lbCONTABILIZACAO(Create<TLabel>()),
      cbCONTABILIZACAO(Create<TComboBox_Padrao_VYN>()),
      spPreparacao(Create<TSpeedButton>()),
      spMoedas(Create<TSpeedButton>()) {
  lbCODMOE->SetName("lbCODMOE");
  lbRefInicial->SetName("lbRefInicial");
  lbRefFinal->SetName("lbRefFinal");
  lbCONTABILIZACAO->SetName("lbCONTABILIZACAO");
  SetName("frProcessoVariacaoCambial");
  SetCaption("Variação cambial");
  spFiliais->SetVisible(true);

  lbCODMOE->SetCaption("* Moeda:");
  edCODMOE->SetName("edCODMOE");
  edCODMOE->SetMaxLength(6);
  edCODMOE->CampoRetorno = "BDCODMOEDAS";
  edCODMOE->AceitaVazio = false;
  edCODMOE->PanelNome = pnCODMOE;
  spCODMOE->SetName("spCODMOE");
  spCODMOE->SetHint("Consultar");
  spCODMOE->OnClick = [this](TComponent*) { edCODMOE->Search(); };
  pnCODMOE->SetName("pnCODMOE");

  lbRefInicial->SetCaption("Referência:");
  edRefInicial->SetName("edRefInicial");
  edRefInicial->AceitaVazio = false;
  lbRefFinal->SetCaption("até");
  edRefFinal->SetName("edRefFinal");
  edRefFinal->AceitaVazio = false;

  lbCONTABILIZACAO->SetCaption("Contabilização:");
  cbCONTABILIZACAO->SetName("cbCONTABILIZACAO");
  cbCONTABILIZACAO->Style = csDropDownList;
  cbCONTABILIZACAO->Items = {"Ambas", "Fiscal", "Societária"};
  cbCONTABILIZACAO->SetItemIndex(0);

  spPreparacao->SetName("spPreparacao");
  spPreparacao->SetHint("Preparação variação cambial");
  spPreparacao->Imagem = "SPCONSULTADIFERENCA";
  spPreparacao->OnClick = [this](TComponent* s) { spPreparacaoClick(s); };
  spMoedas->SetName("spMoedas");
  spMoedas->SetHint("Cadastro de valores das moedas");
  spMoedas->Imagem = "SPCONSULTADETALHADA";
  spMoedas->OnClick = [this](TComponent* s) { spMoedasClick(s); };
}

bool TfrProcessoVariacaoCambial::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoVariacaoCambial") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrProcessoVariacaoCambial::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  FVariacaoCambial = TVZEL_EMP_TVARCAMBIALMGR::CreateMgr(this, true);
  FVariacaoCambial->SetInconsistencias_VYN(BloqueioLancamento_Padrao_VYN->Inconsistencias());
}

void TfrProcessoVariacaoCambial::CreateDAO() {
  FDAOEmpresas = TSQLMGR::CreateMgr(this);
  FDAOEmpresas->SetName("FDAO");
  // Opens empty until the run selects the companies.
  FDAOEmpresas->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  FDAO = FDAOEmpresas;
}

std::vector<int> TfrProcessoVariacaoCambial::FiliaisMarcadas() const {
  SelecionaFiliais->getFiliais();
  return SelecionaFiliais->CodigosMarcados();
}

std::string TfrProcessoVariacaoCambial::getCheckedItens() const {
  SelecionaFiliais->getFiliais();
  return SelecionaFiliais->getCheckedItens();
}

void TfrProcessoVariacaoCambial::spConsultaClick(TComponent* sender) {
  TfrProcesso_Empresa_Padrao_VYN::spConsultaClick(sender);
  TPackagesUtil::CarregaForm(edCODEMP, "TfrConsultaProcessoVariacaoCambial");
}

void TfrProcessoVariacaoCambial::spPreparacaoClick(TComponent*) {
  TPackagesUtil::CarregaForm(this, "TfrPreparacaoVariacaoCambial");
}

void TfrProcessoVariacaoCambial::spMoedasClick(TComponent*) {
  TListaObj lista;
  lista.Add(edCODMOE);
  TPackagesUtil::CarregaFormParamsObj("TfrCadMoedasPlanoMoedas", this, std::move(lista));
}

std::string TfrProcessoVariacaoCambial::GetMsgConfirmacaoProcesso() {
  return "Deseja realizar o cálculo da variação cambial?";
}

// Every input the run needs: without them the checks below would build broken SQL or walk no month.
bool TfrProcessoVariacaoCambial::ValidaCampos() {
  auto recusa = [this](TControl*, const std::string& text) {
    DlgWarOk(text, FLogEvent);
    return false;
  };
  if (!edCODEMP->Validate()) return recusa(edCODEMP, edCODEMP->Mensagem());
  if (FiliaisMarcadas().empty()) return recusa(edCODEMP, "Informe a empresa!");
  if (!edCODMOE->Validate()) return recusa(edCODMOE, edCODMOE->Mensagem());
  if (edRefInicial->IsEmpty() || !edRefInicial->IsValid()) return recusa(edRefInicial, "Informe uma referência inicial válida!");
  if (edRefFinal->IsEmpty() || !edRefFinal->IsValid()) return recusa(edRefFinal, "Informe uma referência final válida!");
  if (edRefInicial->GetData_AnoMes() > edRefFinal->GetData_AnoMes())
    return recusa(edRefInicial, "A referência inicial não pode ser maior que a referência final!");
  const int trabalho = ReferenciaDeTrabalho();
  if (edRefFinal->GetData_AnoMes() > trabalho)
    return recusa(edRefFinal, "A referência final não pode ser maior que a referência de trabalho (" +
                                  AnoMesToText(trabalho) + ")!");
  if (MesesDoPeriodo(edRefInicial->GetData_AnoMes(), edRefFinal->GetData_AnoMes()) > kMaxMesesPorExecucao)
    return recusa(edRefInicial,
                  "O período não pode ter mais de " + std::to_string(kMaxMesesPorExecucao) + " meses!");
  return true;
}

bool TfrProcessoVariacaoCambial::PodeIniciarProcesso() {
  if (!ValidaCampos()) return false;
  const std::string filiais = getCheckedItens();
  const int codMoe = static_cast<int>(edCODMOE->Codigo());
  const TParams periodo{Variant(edRefInicial->GetData()), Variant(edRefFinal->GetDataUltimoDia())};

  auto sql = getSQLMgr_do_Pool();
  // An earlier run in the period, of any kind: the run replaces it (one ledger for both books), so
  // the user is asked before anything is replaced.
  std::string existe = " SELECT FIRST 1 BDCODEMP FROM VZEL_EMP_TVARCAMBIAL  WHERE BDCODEMP IN (" + filiais + ")" +
                       " AND BDCODMOE = " + std::to_string(codMoe) + " AND BDDATAINI >= ? AND BDDATAFIN <= ?";
  sql->CommandText(existe, ctOpen, periodo);
  if (!sql->IsEmpty() &&
      DlgConfSimNao(ProcessContext().UserName + ", já existe processo realizado para este período. Deseja refazer o processo?",
                    FLogEvent) != mrYes)
    return false;
  // Redoing a run deletes its entries with their reconciliation: asked as the re-posting asks.
  if (!sql->IsEmpty()) {
    sql->CommandText(
        " SELECT FIRST 1 L.BDCHAVE FROM VZEL_EMP_TVARCAMBIAL V JOIN TOL_VZEL_EMP_TVARCAMBIAL T ON"
        " (T.BDCODEMP = V.BDCODEMP AND T.BDCODVAR = V.BDCHAVE) JOIN VZEL_EMPRESAS_TLAN L ON"
        " (L.BDCODEMP = T.BDCODEMP AND L.BDCHAVE = T.BDCHAVELAN) WHERE V.BDCODEMP IN (" + filiais + ")" +
            " AND V.BDCODMOE = " + std::to_string(codMoe) + " AND V.BDDATAINI >= ? AND V.BDDATAFIN <= ?"
            " AND (L.BDCONCD = 'TRUE' OR L.BDCONCC = 'TRUE' OR EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TEXTRATOBAN X"
            " WHERE COALESCE(X.BDCODEMPLANC, X.BDCODEMP) = L.BDCODEMP AND X.BDCHAVELANC = L.BDCHAVE))",
        ctOpen, periodo);
    if (!sql->IsEmpty() && DlgConfSimNao(kMsgConciliadosVariacao, FLogEvent) != mrYes) return false;
  }

  // Branches with a preparation (a branch counted once however many rows it has).
  sql->CommandText(" SELECT COUNT(DISTINCT BDCODEMP) BDCOUNT FROM VZEL_EMP_TPREPVARCAMBIAL  WHERE BDCODEMP IN (" +
                   filiais + ")" + " AND BDCODMOE = " + std::to_string(codMoe));
  int64_t preparadas = sql->FieldByName("BDCOUNT").AsInteger();
  if (preparadas == 0) {
    DlgWarOk("A empresa selecionada não possui preparação.", FLogEvent);
    return false;
  }
  if (preparadas < static_cast<int64_t>(FiliaisMarcadas().size()) &&
      DlgConfSimNao("Filial não possui preparação deseja contabilizar conforme a preparação da Matriz?", FLogEvent) !=
          mrYes)
    return false;

  sql->CommandText(" SELECT first 1 BDCODMOEDAS FROM MOEDAS_TMOE  WHERE BDDATA BETWEEN ? AND ? AND BDCODMOEDAS = " +
                       std::to_string(codMoe),
                   ctOpen, periodo);
  if (sql->IsEmpty()) {
    sql.Release();
    if (DlgConfSimNao("Não existe moeda cadastrada para o período informado. Deseja cadastrar?", FLogEvent) == mrYes)
      spMoedasClick(spMoedas);
    return false;
  }
  return true;
}

void TfrProcessoVariacaoCambial::InicioProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::InicioProcesso();
  // Each run reports only its own messages.
  Inconsistencias_VYN()->Clear();
  FLinha = 0;
  FEmpresasBloqueadas = 0;
  if (FStatus) FreeComponent(FStatus);
  const int n = static_cast<int>(FiliaisMarcadas().size());
  FStatus = TfrStatusProcesso::createStatusProcess(this, 4, n);
  FStatus->setPrimaryMaxProgress(n);
  FVariacaoCambial->SetStatusProcesso(FStatus);
}

void TfrProcessoVariacaoCambial::SelectProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::SelectProcesso();
  FDAOEmpresas->CommandText("SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODEMP IN (" + getCheckedItens() + ")");
  FDAO = FDAOEmpresas;
  FDAO->First();
}

bool TfrProcessoVariacaoCambial::OnBeforeProcesso() {
  if (!TfrProcesso_Empresa_Padrao_VYN::OnBeforeProcesso()) return false;
  const int codEmp = static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger());
  BloqueioLancamento_Padrao_VYN->MensagemPadrao = "Empresa " + std::to_string(codEmp) + ":";
  if (BloqueioLancamento_Padrao_VYN->Execute(codEmp, edRefInicial->GetData(), edRefFinal->GetDataUltimoDia(),
                                             ExecucaoDe(this, {"frLancamento"}).TelasSQL(), ProcessContext().UserCode,
                                             kSistemaContabil)) {
    ++FEmpresasBloqueadas;
    return false;
  }
  return true;
}

void TfrProcessoVariacaoCambial::Processo() {
  const int codEmp = static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger());
  FStatus->setPrimaryStatusLabel("Empresa " + std::to_string(codEmp));
  FStatus->setPrimaryStatusProgress(++FLinha);
  const int fim = edRefFinal->GetData_AnoMes();
  for (int mes = edRefInicial->GetData_AnoMes(); mes <= fim; mes = IncAnoMes(mes, 1)) ProcessaMes(codEmp, mes);
}

// The removal of the earlier calculation, the run row and its entries commit together: a failure
// leaves the month as it was and is reported, never counted as done.
bool TfrProcessoVariacaoCambial::ProcessaMes(int codEmp, int anoMes) {
  const std::string prefixo = "Empresa " + std::to_string(codEmp) + ": ";
  const int codMoe = static_cast<int>(edCODMOE->Codigo());
  const int tipo = cbCONTABILIZACAO->ItemIndex();
  const TDateTime ini = FirstDayOfAnoMes(anoMes);
  const TDateTime fin = LastDayOfAnoMes(anoMes);
  FStatus->setSecondaryStatusLabel("Referência " + AnoMesToText(anoMes));
  TVZEL_EMP_TVARCAMBIALMGR& mgr = *FVariacaoCambial;
  TTransaction trans(mgr.Database());
  bool ok = false;
  try {
    mgr.DeleteApuracao(codEmp, codMoe, tipo, ini, fin);
    if (!mgr.getExisteNotasMoedas(codEmp, codMoe, fin)) {
      Inconsistencias_VYN()->Add_Atencao(
          codEmp, prefixo + "Não há notas fiscais com variação cambial para a referência " + AnoMesToText(anoMes));
      trans.Commit();
      return true;
    }
    mgr.Append();
    mgr.SetCODEMP(codEmp);
    mgr.SetCODMOE(codMoe);
    mgr.SetDATAINI(ini);
    mgr.SetDATAFIN(fin);
    mgr.SetCONTABILIZACAO(tipo);
    mgr.SetCODUSU(ProcessContext().UserCode);
    mgr.SetCHAVE(mgr.getChaveServidor(codEmp));
    mgr.SetVERSAO(kVersaoApuracao);
    mgr.Post();
    mgr.CommitRetanning();
    if (!mgr.Erro()) {
      std::string erro = mgr.Script().empty() ? std::string() : GravaScriptLancamentos(mgr.Database(), mgr.Script());
      if (erro.empty()) {
        trans.Commit();
        ok = true;
        Inconsistencias_VYN()->Add_Informativo(codEmp, prefixo + "Variação cambial realizada com sucesso!");
      } else {
        Inconsistencias_VYN()->Add_Erro(codEmp, prefixo + "Erro ao contabilizar a variação cambial da referência " +
                                                    AnoMesToText(anoMes) + ": " + erro);
      }
    }
  } catch (const std::exception& e) {
    Inconsistencias_VYN()->Add_Erro(codEmp, prefixo + "Erro na variação cambial da referência " +
                                                AnoMesToText(anoMes) + ": " + e.what());
  }
  if (!ok && trans.Active()) trans.Rollback();
  // The rows in memory follow the database: nothing of a month stays behind.
  if (mgr.State() != TDataSetState::dsBrowse) mgr.Cancel();
  mgr.EmptyDataSetDao();
  return ok;
}

void TfrProcessoVariacaoCambial::FimProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::FimProcesso();
  if (FStatus) FStatus->Finalize();
  TInconsistencias_VYN* lista = Inconsistencias_VYN();
  // Warnings alone (months without invoices) still end in success; failures and locked companies do not.
  if (lista->CountErros() == 0 && FEmpresasBloqueadas == 0) DlgInfOk("Processo realizado com sucesso!", FLogEvent);
  if (!lista->IsEmpty()) lista->Execute(true, true, true, true, Caption());
}

}  // namespace integracao
