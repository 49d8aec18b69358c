#include "integrations/omie/uImportacaoOmie.h"

#include <memory>
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/fila_mensagens.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/notificacoes.h"
#include "framework/livros/livros.h"
#include "framework/component/process_context.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/status_processo.h"
#include "framework/ui/transacao_automatica.h"
#include "framework/web/thread_omie.h"
#include "integrations/omie/uInt_EF_API_Omie.h"
#include "integrations/omie/uIntegracaoOmie.Log.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kAvisoNotificacao =
    "Os lançamentos disponíveis para importação permanecerão armazenados em: ^Notificações > ^Omie - ^Lançamentos "
    "prontos para importação, enquanto o sistema estiver aberto. Caso o sistema seja encerrado, será necessário "
    "realizar a importação novamente pelo caminho: ^Integrações > ^Importações > ^Parceiros > ^Omie.";

// A notification's parameters: the answer and the screen values it is imported with.
std::string ParametrosNotificacao(const TDadosTelaThreadOmie& d, const std::string& resposta) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  j["empresa"] = d.Empresa;
  j["plano_troca"] = d.PlanoTroca;
  j["gerar_transacao"] = d.GerarTransacao;
  j["data_inicial"] = d.DataInicial;
  j["altera_complemento"] = d.AlteraCompl;
  j["baixas"] = d.Baixas;
  j["resposta"] = resposta;
  return j.dump();
}

// The list a notification opens the screen with: its parameters as text in the first slot.
bool LeNotificacao(const TListaObj& lista, TDadosTelaThreadOmie& d, std::string& resposta) {
  if (lista.Kind(0) != TListaObj::SlotKind::Text) return false;
  const nlohmann::json j = nlohmann::json::parse(lista.GetText(0), nullptr, false);
  if (!j.is_object() || !j.contains("resposta") || !j["resposta"].is_string()) return false;
  d.Empresa = j.value("empresa", 0);
  d.PlanoTroca = j.value("plano_troca", 0);
  d.GerarTransacao = j.value("gerar_transacao", false);
  d.DataInicial = j.value("data_inicial", std::string());
  d.AlteraCompl = j.value("altera_complemento", false);
  d.Baixas = j.value("baixas", false);
  resposta = j["resposta"].get<std::string>();
  return true;
}

}  // namespace

std::string MensagemFalhaOmie(const std::string& texto) {
  static const char* const kFrases[] = {"EMPTY RESPONSE FROM SERVER", "UNEXPECTED RESPONSE FROM SERVER",
                                        "BROKEN RESPONSE FROM APPLICATION SERVER",
                                        "RESPOSTA INVÁLIDA OU NÃO RECONHECIDA",
                                        "CONEXÃO COM O SERVIDOR FOI INTERROMPIDA DE MODO ANORMAL"};
  const std::string maiusculas = UpperCase(texto);
  for (const char* f : kFrases) {
    if (maiusculas.find(f) != std::string::npos)
      return "A importação de lançamentos contábeis está com instabilidade no momento, tente novamente mais tarde. (" +
             texto + ").";
  }
  return "Omie: " + texto;
}

TfrImportacaoOmie::TfrImportacaoOmie(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbDatas(Create<TLabel>()),
      edDataInicio(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      ckContabil(Create<TCheckBox>()),
      gbContabil(Create<TGroupBox>()),
      lbCODPLATROCAINT(Create<TLabel>()),
      edCODPLATROCAINT(Create<TEdit_Codigo_Search_VYN>(tcPlanosTrocaContabilOnLine)),
      spPlanoTroca(Create<TSpeedButton>()),
      pnCODPLATROCAINT(Create<TPanel>()),
      lbPeriodo(Create<TLabel>()),
      cbPeriodo(Create<TComboBox_Padrao_VYN>()),
      lbQuinzenaMes(Create<TLabel>()),
      cbQuinzenaMes(Create<TComboBox_Padrao_VYN>()),
      lbSemanaMes(Create<TLabel>()),
      cbSemanaMes(Create<TComboBox_Padrao_VYN>()),
      ckAltCompHist(Create<TCheckBox>()),
      ckBaixas(Create<TCheckBox>()),
      iiBaixas(Create<TLabel>()),
      ckFiscal(Create<TCheckBox>()),
      gbFiscal(Create<TGroupBox>()),
      gbDadosImportar(Create<TGroupBox>()),
      ckNFe(Create<TCheckBox>()),
      ckNFCe(Create<TCheckBox>()),
      ckCTe(Create<TCheckBox>()),
      ckCTeos(Create<TCheckBox>()),
      rgTipoMov(Create<TRadioGroup>()),
      spGerarTransacao(Create<TSpeedButton>()),
      Inconsistencias(Create<TInconsistencias_VYN>()) {
  SetCaption("Importação ^Omie");
  using TNome = std::pair<TComponent*, const char*>;
  for (auto [controle, nome] : std::initializer_list<TNome>{
        {lbDatas, "lbDatas"}, {gbContabil, "gbContabil"}, {lbCODPLATROCAINT, "lbCODPLATROCAINT"},
        {spPlanoTroca, "spPlanoTroca"}, {pnCODPLATROCAINT, "pnCODPLATROCAINT"}, {lbPeriodo, "lbPeriodo"},
        {cbPeriodo, "cbPeriodo"}, {lbQuinzenaMes, "lbQuinzenaMes"}, {cbQuinzenaMes, "cbQuinzenaMes"},
        {lbSemanaMes, "lbSemanaMes"}, {cbSemanaMes, "cbSemanaMes"}, {ckAltCompHist, "ckAltCompHist"},
        {ckBaixas, "ckBaixas"}, {iiBaixas, "iiBaixas"}, {gbFiscal, "gbFiscal"}, {gbDadosImportar, "gbDadosImportar"},
        {ckNFe, "ckNFe"}, {ckNFCe, "ckNFCe"}, {ckCTe, "ckCTe"}, {ckCTeos, "ckCTeos"}, {rgTipoMov, "rgTipoMov"},
        {spGerarTransacao, "spGerarTransacao"}})
    controle->SetName(nome);
  edCODEMP->SetMaxLength(9);
  edCODEMP->SetAceitaMultiSelecao(false);
  lbDatas->SetCaption("Referência:");
  edDataInicio->SetName("edDataInicio");
  ckContabil->SetName("ckContabil");
  ckContabil->SetCaption("Contábil");
  ckContabil->OnClick = [this](TComponent* s) { ckContabilClick(s); };
  lbCODPLATROCAINT->SetCaption("Plano de troca:");
  edCODPLATROCAINT->SetName("edCODPLATROCAINT");
  edCODPLATROCAINT->SetMaxLength(6);
  edCODPLATROCAINT->EditsMaster = {edCODEMP};
  edCODPLATROCAINT->PanelNome = pnCODPLATROCAINT;
  spPlanoTroca->SetHint("Consulta plano de troca");
  spPlanoTroca->OnClick = [this](TComponent*) { edCODPLATROCAINT->Pesquisar(); };
  lbPeriodo->SetCaption("Período:");
  cbPeriodo->Items = {"M - Mensal", "Q - Quinzenal", "S - Semanal"};
  cbPeriodo->SetItemIndex(0);
  cbPeriodo->OnChange = [this](TComponent* s) { cbPeriodoChange(s); };
  lbQuinzenaMes->SetCaption("Quinzena do mês:");
  cbQuinzenaMes->Items = {"Q1 - Primeira quinzena", "Q2 - Segunda quinzena"};
  cbQuinzenaMes->SetItemIndex(0);
  lbSemanaMes->SetCaption("Semana do mês:");
  cbSemanaMes->Items = {"S1 - Primeira semana do mês", "S2 - Segunda semana do mês", "S3 - Terceira semana do mês",
                        "S4 - Quarta semana do mês", "S5 - Quinta semana do mês"};
  cbSemanaMes->SetItemIndex(0);
  ckAltCompHist->SetCaption("Alterar complemento pelo histórico contábil que possua variável");
  ckBaixas->SetCaption("Importar baixas fiscais");
  iiBaixas->SetHint("Ao selecionar esta opção, o sistema importará os lançamentos com \r\n"
                    "as baixas efetuadas na Omie. Caso utilize a integração da Omie com \r\n"
                    "o #SISTEMA# fiscal, ocorrerá a duplicação dos lançamentos contábeis.");
  ckFiscal->SetName("ckFiscal");
  ckFiscal->SetCaption("Fiscal");
  ckFiscal->OnClick = [this](TComponent* s) { ckFiscalClick(s); };
  gbDadosImportar->SetCaption("Dados a importar");
  ckNFe->SetCaption("NF-e");
  ckNFCe->SetCaption("NFC-e");
  ckCTe->SetCaption("CT-e");
  ckCTeos->SetCaption("CTe-OS");
  rgTipoMov->SetCaption("Tipo de lançamento");
  rgTipoMov->Items = {"Entrada", "Saída", "Ambos"};
  rgTipoMov->SetItemIndex(2);
  spGerarTransacao->SetTag(1);
  spGerarTransacao->Down = true;
  spGerarTransacao->SetHint("Transação automática");
  spGerarTransacao->OnClick = [this](TComponent* s) { spGerarTransacaoClick(s); };
  spConsulta->SetVisible(false);
  edCODEMP->OnExit = [this](TComponent* s) { edCODEMPExit(s); };

  FFilhos[gbContabil] = {lbCODPLATROCAINT, edCODPLATROCAINT, spPlanoTroca, pnCODPLATROCAINT, lbPeriodo,
                         cbPeriodo,        lbQuinzenaMes,    cbQuinzenaMes, lbSemanaMes,     cbSemanaMes,
                         ckAltCompHist,    ckBaixas,         iiBaixas};
  FFilhos[gbFiscal] = {gbDadosImportar, rgTipoMov};
  FFilhos[gbDadosImportar] = {ckNFe, ckNFCe, ckCTe, ckCTeos};
}

bool TfrImportacaoOmie::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoOmie") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrImportacaoOmie::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  FStatusProgresso = nullptr;
  pHabDesabComponent(gbContabil, ckContabil->Checked());
  pHabDesabComponent(gbFiscal, ckFiscal->Checked());
}

void TfrImportacaoOmie::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  pHabDesabComponent(gbContabil, ckContabil->Checked());
  pHabDesabComponent(gbFiscal, ckFiscal->Checked());
  if (ckContabil->Checked()) ControleComponentesContabil();
}

void TfrImportacaoOmie::edCODEMPExit(TComponent*) {
  AtualizaHintTransacao();
  pHabDesabComponent(gbContabil, ckContabil->Checked());
  pHabDesabComponent(gbFiscal, ckFiscal->Checked());
  if (ckContabil->Checked()) ControleComponentesContabil();
}

void TfrImportacaoOmie::CreateDAO() {
  FLancamentoDAO = TLancamentoMGR::CreateMgr(this, false, true, 1, false, true);
}

void TfrImportacaoOmie::SelectProcesso() { TfrProcesso_Empresa_Padrao_VYN::SelectProcesso(); }

void TfrImportacaoOmie::FimProcesso() { TfrProcesso_Empresa_Padrao_VYN::FimProcesso(); }

void TfrImportacaoOmie::pHabDesabComponent(TControl* controle, bool habilitado) {
  controle->SetEnabled(habilitado);
  if (auto* ck = dynamic_cast<TCheckBox*>(controle); ck && !habilitado) ck->SetChecked(false);
  auto it = FFilhos.find(controle);
  if (it == FFilhos.end()) return;
  for (TControl* filho : it->second) pHabDesabComponent(filho, habilitado);
}

void TfrImportacaoOmie::ControleComponentesContabil() {
  const int item = cbPeriodo->ItemIndex();
  for (TControl* c : std::initializer_list<TControl*>{lbQuinzenaMes, cbQuinzenaMes}) c->SetEnabled(item == 1);
  for (TControl* c : std::initializer_list<TControl*>{lbSemanaMes, cbSemanaMes}) c->SetEnabled(item == 2);
}

void TfrImportacaoOmie::ckContabilClick(TComponent*) {
  pHabDesabComponent(gbContabil, ckContabil->Checked());
  if (ckContabil->Checked()) ControleComponentesContabil();
  pHabDesabComponent(ckFiscal, !ckContabil->Checked());
}

void TfrImportacaoOmie::ckFiscalClick(TComponent*) {
  pHabDesabComponent(gbFiscal, ckFiscal->Checked());
  pHabDesabComponent(ckContabil, !ckFiscal->Checked());
}

void TfrImportacaoOmie::cbPeriodoChange(TComponent*) {
  if (ckContabil->Checked()) ControleComponentesContabil();
}

void TfrImportacaoOmie::AtualizaHintTransacao() { AtualizaHintTransacaoAutomatica(*spGerarTransacao); }

void TfrImportacaoOmie::spGerarTransacaoClick(TComponent*) { AlternaTransacaoAutomatica(*spGerarTransacao); }

void TfrImportacaoOmie::SetProgresso(int prPosicao, const std::string& prTexto) {
  if (!FStatusProgresso) return;
  FStatusProgresso->SetPosition(0, prPosicao);
  FStatusProgresso->SetLabel(0, prTexto);
}

void TfrImportacaoOmie::Processo() {
  if (ckContabil->Checked()) {
    ProcessoContabil();
  } else if (ckFiscal->Checked()) {
    ProcessoFiscal();
  }
}

TThreadOmie& TfrImportacaoOmie::PreparaThread(TThreadOmie& t, int empresa, const std::string& chave,
                                              const std::string& senha) {
  static const char* const kPeriodos[] = {"M", "Q", "S"};
  t.CodEmpresa = empresa;
  t.AppKey = chave;
  t.AppSecret = senha;
  t.DataInicial = edDataInicio->GetData();
  t.DataFinal = StrToDate(edDataInicio->GetData_DiaMesAnoUltimoDia());
  const int p = cbPeriodo->ItemIndex();
  t.Periodo = p >= 0 && p < 3 ? kPeriodos[p] : "M";
  t.Quinzena = cbQuinzenaMes->Enabled() ? "Q" + std::to_string(cbQuinzenaMes->ItemIndex() + 1) : "";
  t.Semana = cbSemanaMes->Enabled() ? "S" + std::to_string(cbSemanaMes->ItemIndex() + 1) : "";
  if (OnPreparaThreadOmie) OnPreparaThreadOmie(t);
  return t;
}

void TfrImportacaoOmie::ImportaTexto(TLancamentoMGR& dao, const std::string& texto) {
  std::istringstream fonte(texto);
  dao.GetImportacaoLancTxt(4, edCODEMP, edCODPLATROCAINT, fonte, this, ",", false, BloqueioLancamento_Padrao_VYN,
                           spGerarTransacao, DateToStr(edDataInicio->GetData()),
                           edDataInicio->GetData_DiaMesAnoUltimoDia(), SelecionaFiliais, 0, ckAltCompHist->Checked(),
                           ckBaixas);
}

void TfrImportacaoOmie::ProcessoContabil() {
  const int empresa = static_cast<int>(edCODEMP->Codigo());
  const std::string texto = ProcessContext().UserName +
                            ", deseja aguardar a conclusão do processo de importação Omie ou fechar a tela\r"
                            "e receber um aviso em “Notificações” quando o processo estiver concluído?";
  FEscolha = MessageDlgVYNGlobal(texto, mtConfirmation, mbYes | mbNo, {"Aguardar a conclusão", "Receber notificação"},
                                 0, FLogEvent) == mrYes;
  if (FEscolha) {
    ProcessoContabilAguardando(empresa);
  } else {
    ProcessoContabilNotificacao(empresa);
  }
}

void TfrImportacaoOmie::ProcessoContabilAguardando(int empresa) {
  FProgresso = TfrStatusProcesso::createStatusProcess(this, 2);
  std::unique_ptr<TComponent> liberaProgresso(FProgresso->ReleaseFromOwner());
  FProgresso->SetLabel(0, "Buscando arquivo no site...");
  Inconsistencias->Clear();
  FStatus = 1;
  FResposta.clear();
  const std::string chave = ChaveOmieEmpresa(this, empresa);
  const std::string senha = SenhaOmieEmpresa(this, empresa);
  if (chave.empty()) Inconsistencias->Add_Atencao(empresa, "Chave de acesso não informada na Configuração de Serviços Web");
  if (Trim(senha).empty()) Inconsistencias->Add_Atencao(empresa, "Senha não informada na Configuração de Serviços Web");

  if (Inconsistencias->IsEmpty()) {
    FProgresso->SetLabel(0, "Esperando resposta da Omie...");
    FProgresso->SetMax(0, 240);
    auto thread = std::make_shared<TThreadOmie>();
    PreparaThread(*thread, empresa, chave, senha).Start();
    const TSleeper espera = Espera ? Espera : RealSleeper();
    // The fetch bounds its own wait (the service's configured silence limit); the window stays responsive.
    for (int passo = 1; !thread->Finished(); ++passo) {
      ProcessMessages();
      espera(std::chrono::milliseconds(250));
      if (passo % 60 == 0) FProgresso->Step(0);
    }
    FResposta = thread->Resposta();
    thread.reset();
    FStatus = StatusRespostaOmie(FResposta);
    FResposta = TextoRespostaOmie(FResposta);
    if (!FResposta.empty() && FStatus > 0) Inconsistencias->Add_Atencao(empresa, MensagemFalhaOmie(FResposta));
  }
  FProgresso->Finalize();
  if (FStatus == 0) {
    ImportaTexto(*FLancamentoDAO, FResposta);
  } else {
    Inconsistencias->Execute(true, true, true, true, "");
  }
}

void TfrImportacaoOmie::ProcessoContabilNotificacao(int empresa) {
  MessageDlgVYN(kAvisoNotificacao, mtInformation, mbOK);
  TLogEvent log(nullptr, logProcesso, empresa, Name().empty() ? ClassName() : Name(), "Importação Omie");
  log.SetDadosPrincipais("BDCODEMP", std::to_string(empresa));
  log.AddAcao(kAvisoNotificacao);
  log.GravarLog(true);

  TEstadoOmie& estado = EstadoOmie();
  if (estado.WP_PROCESSO_OMIE != 0) {
    MessageDlgVYN("A importação de lançamentos já está em andamento na empresa " + estado.WP_EMPRESA_OMIE + "." +
                      " Aguarde a conclusão do processo para iniciar a importação em outra empresa ou inicie "
                      "novamente a importação selecionando a opção \"Aguardar a conclusão\".",
                  mtInformation, mbOK);
    return;
  }
  FStatus = 1;
  FResposta.clear();
  const std::string chave = ChaveOmieEmpresa(this, empresa);
  const std::string senha = SenhaOmieEmpresa(this, empresa);
  auto thread = std::make_shared<TThreadOmie>();
  thread->FreeOnTerminate = true;
  thread->OnTerminate = &TfrImportacaoOmie::ThreadOmieFinalizou;
  PreparaThread(*thread, empresa, chave, senha);
  TDadosTelaThreadOmie dados;
  dados.Empresa = empresa;
  dados.PlanoTroca = static_cast<int>(edCODPLATROCAINT->Codigo());
  dados.GerarTransacao = spGerarTransacao->Down;
  dados.DataInicial = edDataInicio->Text();
  dados.AlteraCompl = ckAltCompHist->Checked();
  dados.Baixas = ckBaixas->Checked();
  const std::string nome =
      TEmpresasMGR::GetRetornaCampoEmpresaRef(this, empresa, "BDNOMEMP", edDataInicio->GetData_AnoMes()).AsString();
  thread->Start();
  estado.WP_PROCESSO_OMIE = thread->Referencia();
  estado.WP_EMPRESA_OMIE = std::to_string(empresa) + " - " + nome;
  estado.DadosEmAndamento = dados;
}

void TfrImportacaoOmie::ThreadOmieFinalizou(TThreadOmie& thread) {
  TEstadoOmie& estado = EstadoOmie();
  estado.WP_PROCESSO_OMIE = 0;
  // Left where the user finds it also after the program ends, when the host keeps notifications;
  // then it is not kept here too, or it could be imported twice.
  if (INotificacoes* n = ProcessContext().Notificacoes) {
    const TDadosTelaThreadOmie& d = estado.DadosEmAndamento;
    n->Notifica("Omie - Lançamentos prontos para importação: empresa " + std::to_string(d.Empresa) + ", " +
                    d.DataInicial,
                "TfrImportacaoOmie", ParametrosNotificacao(d, thread.Resposta()));
    return;
  }
  estado.WP_RETORNO_OMIE = thread.Resposta();
  estado.wpDadosTelaThreadOmie = estado.DadosEmAndamento;
}

void TfrImportacaoOmie::SetListaObj(const TListaObj& lista) {
  TfrProcesso_Empresa_Padrao_VYN::SetListaObj(lista);
  // Only the notification of a finished background run opens the screen with a list; the menu's
  // ordinary open, or a result already taken, leaves the screen as it is.
  if (lista.Count() == 0) return;
  TDadosTelaThreadOmie dados;
  std::string resposta;
  const bool daNotificacao = LeNotificacao(lista, dados, resposta);
  if (!daNotificacao) {
    TEstadoOmie& estado = EstadoOmie();
    if (estado.WP_RETORNO_OMIE.empty()) return;
    // Taken once: the same answer imported twice would post its entries twice.
    resposta = std::exchange(estado.WP_RETORNO_OMIE, std::string());
    dados = estado.wpDadosTelaThreadOmie;
  }
  FStatus = StatusRespostaOmie(resposta);
  FResposta = TextoRespostaOmie(resposta);
  edCODEMP->SetText(dados.Empresa > 0 ? std::to_string(dados.Empresa) : "");
  edCODPLATROCAINT->Clear();
  if (dados.PlanoTroca > 0) edCODPLATROCAINT->SetText(std::to_string(dados.PlanoTroca));
  spGerarTransacao->Down = dados.GerarTransacao;
  spGerarTransacao->SetTag(dados.GerarTransacao ? 1 : 0);
  edDataInicio->SetText(dados.DataInicial);
  ckAltCompHist->SetChecked(dados.AlteraCompl);
  ckBaixas->SetChecked(dados.Baixas);
  if (FStatus != 0) {
    Inconsistencias->Clear();
    Inconsistencias->Add_Atencao(dados.Empresa, MensagemFalhaOmie(FResposta));
    Inconsistencias->Execute(true, true, true, true, "");
    return;
  }
  std::unique_ptr<TComponent> dao(TLancamentoMGR::CreateMgr(this, false, true, 1, false, true)->ReleaseFromOwner());
  const int64_t antes = LinhasLancadas(dados.Empresa);
  // A review closed without importing, or an import that failed before it booked a line, leaves the
  // result where the user finds it again (a line booked is never booked twice: the books refuse it).
  const auto devolveSeNadaLancado = [&] {
    if (LinhasLancadas(dados.Empresa) != antes) return;
    if (!daNotificacao) {
      EstadoOmie().WP_RETORNO_OMIE = resposta;
    } else if (INotificacoes* n = ProcessContext().Notificacoes) {
      n->DevolveTomada();
    }
  };
  try {
    ImportaTexto(static_cast<TLancamentoMGR&>(*dao), FResposta);
  } catch (...) {
    try {
      devolveSeNadaLancado();
    } catch (...) {
      // the import's own error is the one to report
    }
    throw;
  }
  devolveSeNadaLancado();
}

int64_t TfrImportacaoOmie::LinhasLancadas(int empresa) const {
  TDatabase* db = ProcessContext().Database;
  if (!db) return 0;
  return db->QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = ? and BDTIPOFONTE = ?",
                        {empresa, static_cast<int>(TTipoFonte::ArquivoLancamentos)})
      .AsInteger();
}

void TfrImportacaoOmie::ProcessoFiscal() {
  if (!ckNFe->Checked() && !ckNFCe->Checked() && !ckCTe->Checked() && !ckCTeos->Checked()) {
    DlgInfOk("Tipo de movimento não informado!");
    return;
  }
  if (edDataInicio->IsEmpty()) {
    DlgInfOk("Período não informado!");
    return;
  }
  std::vector<std::string> tipos;
  if (ckNFe->Checked()) tipos.push_back("NFe");
  if (ckNFCe->Checked()) tipos.push_back("NFCe");
  if (ckCTe->Checked()) tipos.push_back("CTe");
  if (ckCTeos->Checked()) tipos.push_back("CTeOs");
  const int item = rgTipoMov->ItemIndex();
  const TTipoMovimento mov = item == 0 ? tmEntrada : item == 1 ? tmSaida : tmAmbos;

  FStatusProgresso = TfrStatusProcesso::createStatusProcess(this, 2);
  std::unique_ptr<TComponent> liberaProgresso(FStatusProgresso->ReleaseFromOwner());
  FStatusProgresso->SetLabel(0, "Buscando notas fiscais");
  FStatusProgresso->SetMax(0, 6);
  FStatusProgresso->SetPosition(0, 1);

  auto busca = std::make_unique<TInt_EF_API_Omie>(nullptr);
  busca->OnProgresso = [this](int p, const std::string& t) { SetProgresso(p, t); };
  busca->OnPreparaClienteOmie = OnPreparaClienteOmie;
  std::string texto;
  bool realizou = false;
  const auto encerra = [&]() {
    busca->GravaLogSeExistir(ArquivoLogOmie());
    FStatusProgresso->Finalize();
    FStatusProgresso = nullptr;
  };
  try {
    texto = busca->GetArquivos(static_cast<int>(edCODEMP->Codigo()), edDataInicio->GetData_AnoMes(), tipos, mov);
    realizou = busca->RealizouProcesso();
  } catch (...) {
    encerra();
    throw;
  }
  encerra();
  busca.reset();

  if (!realizou) {
    DlgInfOk(texto);
    return;
  }
  const int r = MessageDlgVYNGlobal(texto + "Para acompanhar as importações, acesse a Central de Conferência.",
                                    mtInformation, mbYes | mbOK, {"Abrir central de conferência", "Ok"});
  if (r != mrYes) return;
  TListaObj lista;
  lista.Add(edCODEMP);
  lista.Add(edDataInicio);
  lista.AddOwned(std::make_unique<TInteger_VYN>(nullptr, 5));
  try {
    TPackagesUtil::CarregaFormParamsObj("TfrFiltroAmbienteConferenciaWelmoraDirect", this, std::move(lista));
  } catch (const EFormLoaderError& e) {
    DlgWarOk(e.what());
  }
}

}  // namespace integracao
