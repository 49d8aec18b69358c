// Running a report sequence: for every entity of the selection strategy, each checked item's screen
// is opened, filled with the entity, the period and its saved values, and run through its sequence
// hooks; the outputs are collected and exported.
#include <filesystem>
#include <stdexcept>

#include "framework/component/interrupcao.h"
#include "framework/component/resultado_execucao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/host/publicas.h"
#include "framework/host/seqrel_mgr.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/screen_user_config.h"
#include "framework/ui/status_processo.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {
std::string ComBarra(const std::string& pasta) {
  return pasta.empty() || pasta.back() == '/' ? pasta : pasta + "/";
}
std::string DataTraco(TDateTime d) { return ReplaceAll(FormatDate("dd/mm/yyyy", d), "/", "-"); }

// The run's shared state as it was before it, however the run ends; the system the user was in, back.
struct TRestauraEstadoSequencia {
  TEstadoSequenciaRelatorio& e;
  TfrRelSequenciaRelatorios* t;
  ~TRestauraEstadoSequencia() {
    e.Executando = false;
    if (e.OnFim) e.OnFim(t);
    e.Inconsistencias = nullptr;
    e.StatusProcesso = nullptr;
    e.Tela = nullptr;
    e.OnInconsistencia = nullptr;
    TItemDeMenu::CallChangeSistema(e.SistemaInicial);
  }
};

// The output's name: the screen's own (a name the screen set for the grouped output wins over it), then
// the period's dates it does not carry yet.
void NomeiaSaida(TEstadoSequenciaRelatorio& estado, bool individual, std::string nome, const TDadosAdicionaisSeqRel& dados) {
  if (!individual && !estado.NomeSaidaTela.empty()) {
    estado.NomeSaida.clear();
    nome = estado.NomeSaidaTela;
  }
  if (!nome.empty() || individual) estado.NomeSaida = " - " + nome + " " + estado.NomeSaida;
  for (TDateTime d : {dados.Geral.DataInicial, dados.Geral.DataFinal}) {
    if (d == TDateTime{}) continue;
    const std::string t = DataTraco(d);
    if (estado.NomeSaida.find(t) == std::string::npos) estado.NomeSaida = TrimRight(estado.NomeSaida) + " " + t;
  }
}

// Whether the user may open the line's screen; a refusal or a failure to tell is the line's problem.
template <class F>
bool TemPermissao(const TfrRelSequenciaRelatorios& tela, TDadosSequencial& item, const F& problema) {
  try {
    if (item.ItemMenu->TemPermissaoUsuario()) return true;
    problema(tisAtencao, tela.getNomeUsuarioAtual() + ", você não tem permissão para essa tela.");
  } catch (const std::exception& e) {
    // The reader knows the line by the caption it was saved with, not by the menu's internal name.
    const bool semTela = !MenuSistema().Find(item.ItemMenu->getNome());
    problema(tisErro, "Erro ao obter permissão da tela: " +
                          (semTela ? "a tela \"" + item.ItemMenu->getCaption() + "\" não existe nesta instalação."
                                   : std::string(e.what())));
  }
  return false;
}
// A date edit set from a date text in its own format (a reference edit takes MM/YYYY).
void SetDataStrRespeitandoTipo(TEdit_Date_Padrao_VYN& ed, TDateTime d) { ed.SetData(d); }
}  // namespace

// A run over nothing says so, rather than ending as if it had produced its outputs.
void TfrRelSequenciaRelatorios::AvisaSemEntidades() {
  const std::string msg = "Nenhum registro encontrado para executar a sequência com os filtros informados.";
  if (IsUnattended()) RegistraInconsistenciaExecucao(msg);
  else Inconsistencias_VYN->Add_Atencao(msg);
}

// The company field is checked before anything runs: a code that names no company, or several
// codes where one is taken, stops the run with its reason.
bool TfrRelSequenciaRelatorios::ValidaEmpresa() {
  if (edCODEMP->Validate()) return true;
  const std::string msg = edCODEMP->Mensagem();
  if (IsUnattended()) throw std::runtime_error(lbCODEMP->Caption() + " " + msg);
  DlgWarOk(msg);
  if (edCODEMP->CanFocus()) edCODEMP->SetFocus();
  return false;
}

void TfrRelSequenciaRelatorios::spPreviaImpressaoClick(TComponent* sender) {
  if (!ValidaEmpresa()) return;
  const std::string temp = ComBarra(ProcessContext().ProgramFolder) + "temp";
  fs::create_directories(temp);
  FDeveGravarLog = true;
  ResetPrintType(sender);
  setExportFileName(getNomeModelo());
  FTipoSequencia.reset();
  FTipoSequencia = CriarTipoSequencia(GetTipoSequencia());
  if (!ValidaESetaAgrupamento(FPrintType)) return;
  FSQL = Create<TDAOFactory>();
  struct Libera {
    TfrRelSequenciaRelatorios* t;
    ~Libera() { t->FreeComponent(t->FSQL); t->FSQL = nullptr; }
  } libera{this};
  FCaminhoExportacao.clear();
  if (IsUnattended()) {
    FCaminhoExportacao = ComBarra(CaminhoTARVO);
    fs::create_directories(FCaminhoExportacao);
    FReport.FileName = FCaminhoExportacao + getNomeModelo() + ".pdf";
  }
  setProtocoloSequenciaProcesso(this, false);
  if (sender == spVynReport) {
    CustomPrepareReport(sender, FReport);
    setProtocoloSequenciaProcesso(this, true);
  } else if (FAgruparRelatorios == tarIndividual && sender != spEmail) {
    if (!IsUnattended()) {
      TFileRequest req;
      req.Title = "Selecione onde serão salvos os arquivos";
      req.Folder = true;
      auto escolha = ChooseFile(req);
      if (escolha.empty()) return;
      FCaminhoExportacao = ComBarra(escolha.front());
    }
    ResetPrintType(sender);
    CustomPrepareReport(sender, FReport);
    setProtocoloSequenciaProcesso(this, true);
  } else {
    ExecutaBotaoRelatorio(sender);
  }
}

bool TfrRelSequenciaRelatorios::ValidaESetaAgrupamento(TPrintType tipo) {
  if (IsUnattended()) {
    FAgruparRelatorios = tarPorTipo;
    // The scheduled run's "cbExportarComo", which the sequence tasks hand over.
    if (WP_SEQUENCIARELATORIO().ExportarComo == "1") FAgruparRelatorios = tarIndividual;
  } else if (tipo == ptVideo || tipo == ptImpressora) {
    FAgruparRelatorios = tarTotal;
  } else {
    const std::string quebra = LowerCase(Trim(FTipoSequencia->getAgrupamento()));
    const int r = MessageDlgVYNGlobal(
        "Deseja exportar cada relatório separadamente, em um único arquivo ou agrupado por " + quebra + "?",
        mtConfirmation, mbYes | mbNo | mbAll,
        {"Exportar agrupando por " + quebra, "Exportar separadamente", "Exportar em um único arquivo"});
    if (r == mrYes) FAgruparRelatorios = tarPorTipo;
    else if (r == mrNo) FAgruparRelatorios = tarIndividual;
    else if (r == mrAll) FAgruparRelatorios = tarTotal;
    else return false;
    if (tipo == ptEML && FAgruparRelatorios == tarTotal && !UmUnicoDestinatario()) return false;
  }
  FEnviarEmailVYNReport = false;
  if (tipo == ptVynReport) {
    auto recusa = [&](const std::string& msg) {
      if (IsUnattended()) RegistraInconsistenciaExecucao(msg);
      else DlgWarOk(msg);
      if (edCHAVEVYNREPORT->Enabled() && !IsUnattended()) edCHAVEVYNREPORT->SetFocus();
      return false;
    };
    int chave = 0;
    try {
      chave = edCHAVEVYNREPORT->Text().empty() ? 0 : std::stoi(edCHAVEVYNREPORT->Text());
    } catch (...) {
      chave = 0;
    }
    if (chave <= 0 && FAgruparRelatorios != tarIndividual)
      return recusa("Para a exportação do Vyn Report é necessário preencher o campo Vyn Report!");
    if (FAgruparRelatorios == tarTotal)
      return recusa("Para a exportação do Vyn Report não é possível exportar em um único arquivo");
    FGestaoWebVarku->ChaveRelatorio = chave;
    FEnviarEmailVYNReport = IsUnattended() ? EnviarEmailTARVO
                                    : DlgConfSimNao("Deseja enviar um e-mail informando a publicação do relatório?") == mrYes;
  }
  return true;
}

// One file by e-mail goes to one entity's address: the reports of several entities in it would reach
// each of them with the others'. Refused, with that reason, before anything runs.
bool TfrRelSequenciaRelatorios::UmUnicoDestinatario() {
  auto* sql = Create<TDAOFactory>();
  struct Libera {
    TfrRelSequenciaRelatorios* t;
    TComponent* c;
    ~Libera() { t->FreeComponent(c); }
  } libera{this, sql};
  sql->CommandText(FTipoSequencia->GetSQL());
  const int total = sql->RecordCount();
  if (total <= 1) return true;
  const std::string quem = LowerCase(Trim(FTipoSequencia->getAgrupamento()));
  const std::string plural = quem + (!quem.empty() && quem.back() == 'r' ? "es" : "s");
  DlgWarOk("Em um único arquivo por e-mail, os relatórios de " + std::to_string(total) + " " + plural +
           " iriam juntos a um só endereço, e cada destinatário receberia os relatórios dos outros: nada foi "
           "enviado. Escolha \"Exportar agrupando por " + quem + "\" ou \"Exportar separadamente\" para que cada um "
           "receba só os seus.");
  return false;
}

void TfrRelSequenciaRelatorios::CustomPrepareReport(TComponent* sender, TRelatorioFR& report) {
  TfrRelatorio_Padrao_VYN::CustomPrepareReport(sender, report);
  FDadosFinais = std::make_unique<TDadosFinaisSeqRel>(&report.Paginas);
  if (IsUnattended()) report.FileName = ComBarra(FCaminhoExportacao) + getNomeModelo() + PrintTypeToExtensaoArquivo(FPrintType);
  FFileNameOriginal = report.FileName;
  auto& estado = WP_SEQUENCIARELATORIO();
  estado.ExportarIndividualmente = FAgruparRelatorios == tarIndividual && sender != spEmail;
  Inconsistencias_VYN->Clear();
  FStatusProcesso = TfrStatusProcesso::createStatusProcess(this, 7, 2, true);
  estado.NomeSaidaTela.clear();
  struct Fim {
    TfrRelSequenciaRelatorios* t;
    TRelatorioFR& r;
    ~Fim() {
      if (t->FStatusProcesso) {
        t->FStatusProcesso->Finalize();
        t->FreeComponent(t->FStatusProcesso);
        t->FStatusProcesso = nullptr;
      }
      r.FileName = t->FFileNameOriginal;
    }
  } fim{this, report};
  // A scheduled run that does not reach its end (a failure, a stop signal) must not leave its log
  // reading as the clean run its finished lines wrote: its outputs are written only at the end.
  try {
    const bool proprioSQL = FSQL == nullptr;
    if (proprioSQL) FSQL = Create<TDAOFactory>();
    FSQL->CommandText(FTipoSequencia->GetSQL());
    const int total = FSQL->RecordCount();
    if (total == 0) AvisaSemEntidades();
    for (FSQL->First(); !FSQL->Eof() && !FStatusProcesso->getCancel(); FSQL->Next()) {
      FTipoSequencia->PreencheMultiSelecao(*FSQL);
      FStatusProcesso->setPrimaryMaxProgress(total);
      FStatusProcesso->setPrimaryStatusProgress(FSQL->RecNo());
      FStatusProcesso->setPrimaryStatusLabel(FTipoSequencia->getDescricaoExportacao());
      FEmpresaAtual = static_cast<int>(FSQL->FieldByName("BDCODEMP").AsInteger());
      PercorreTelas(sender);
    }
    if (proprioSQL) {
      FreeComponent(FSQL);
      FSQL = nullptr;
    }
    if (!IsUnattended() && !Inconsistencias_VYN->IsEmpty()) Inconsistencias_VYN->Execute();
    FDadosFinais->AjustaPaginasBaseZero();
    // A screen that exports its own output apart leaves nothing in the collector; what the others
    // left is written (or published) apart here, never dropped.
    const bool coletou = !FDadosFinais->Relatorios.empty() || !FDadosFinais->PDFs.empty();
    if (FPrintType != ptVideo && (!estado.ExportarIndividualmente || coletou)) RealizarExportacao(FPrintType);
  } catch (const EInterrupcao& e) {
    AnotaFalhaTARVO(e.Mensagem());
    throw;
  } catch (const std::exception& e) {
    AnotaFalhaTARVO(RemoveCaret(e.what()));
    throw;
  }
}

void TfrRelSequenciaRelatorios::AnotaFalhaTARVO(const std::string& msg) {
  if (!IsUnattended()) return;
  TSemInterrupcao registra;
  try {
    AddConferencia(msg);
  } catch (const std::exception&) {
    // The run's own failure is the one that leaves; the task's status row still tells it.
  }
}

TDadosAdicionaisSeqRel TfrRelSequenciaRelatorios::MontaDadosAdicionais(TDadosSequencial& item, TComponent* sender) {
  TDadosAdicionaisSeqRel d;
  d.NomeItem = item.ItemMenu->getCaption();
  d.NomeBotaoClicado = sender ? sender->Name() : "";
  // Each output on its own belongs to one entity (an employee, not the company the employees share),
  // and is named after it.
  d.DistincaoDeTipo = FAgruparRelatorios == tarIndividual ? FTipoSequencia->getNomeQuebraVynReport()
                                                          : FTipoSequencia->getDescricaoExportacao();
  d.DadosEmail = FTipoSequencia->getDadosEmail();
  d.NomeQuebraVynReport = FTipoSequencia->getNomeQuebraVynReport() + " " + edDataIni->Text() + " " + edDataFim->Text();
  d.Geral.DataInicial = edDataIni->GetData();
  d.Geral.DataFinal = edDataFim->GetData();
  d.Geral.DataEmissao = edDataEmissao->IsEmpty() ? TDateTime{} : edDataEmissao->GetData();
  d.Geral.AnoMesInicial = FormatDate("yyyymm", d.Geral.DataInicial);
  d.Geral.AnoMesFinal = FormatDate("yyyymm", d.Geral.DataFinal);
  const int ref = edReferencia->GetData_AnoMes();
  d.Geral.AnoReferencia = ref / 100;
  d.Geral.MesReferencia = ref % 100;
  if (ref) {
    d.Geral.PrimeiroDiaReferencia = FormatDate("dd/mm/yyyy", TDateTime_VYN::GetDataPrimeiroDia(ref));
    d.Geral.UltimoDiaReferencia = FormatDate("dd/mm/yyyy", TDateTime_VYN::GetDataUltimoDia(ref));
  }
  d.Geral.CodigoModelo = FSEQRELMGR->GetSEQUENCIA();
  return d;
}

void TfrRelSequenciaRelatorios::PercorreTelas(TComponent* sender) {
  auto& estado = WP_SEQUENCIARELATORIO();
  auto& menu = MenuSistema();
  estado.SistemaInicial = menu.Sistema;
  estado.Tela = this;
  estado.Executando = true;
  if (estado.OnInicio) estado.OnInicio(this);
  TRestauraEstadoSequencia restaura{estado, this};
  estado.Inconsistencias = Inconsistencias_VYN;
  estado.OnInconsistencia = [this](TTipoInconsistenciaSeq k, const std::string& m) { OnInconsistencia(k, m); };
  estado.StatusProcesso = FStatusProcesso;
  estado.EnviarEmail = FEnviarEmailVYNReport;
  estado.NomeSaida.clear();
  const int ref = edReferencia->GetData_AnoMes();
  TPublicas::SetReferencia(ref);
  ProcessContext().Referencia = ref;
  if (!FCaminhoExportacao.empty())
    estado.PrefixoArquivo = FCaminhoExportacao + Trim(fEliminaCaracteresEspeciais(FTipoSequencia->getDescricaoExportacao())) + " - ";
  const int n = static_cast<int>(clSequencia->Items.size());
  for (int i = 0; i < n; ++i) {
    FOcorreuInconsistenciaTARVO = false;
    if (FStatusProcesso->getCancel()) break;
    // Without a user, a line the load switched off (its screen is not in this installation, or not the
    // user's) is told below as its line's problem: skipped, a run that did nothing would read as a success.
    if (!clSequencia->Items[static_cast<size_t>(i)].Checked && (!IsUnattended() || LinhaHabilitada(i))) continue;
    TDadosSequencial* item = getDadosSequencial(i);
    Inconsistencias_VYN->SetEmpresaAtual(FEmpresaAtual);
    const std::string grupo = FTipoSequencia->getDescricaoExportacao() + " - " + item->ItemMenu->getCaption();
    auto problema = [&](TTipoInconsistenciaSeq k, const std::string& m) { OnInconsistencia(k, IsUnattended() ? m : grupo + ": " + m); };
    // The line's own step data from its first problem on: a run-log row names this line's item, never
    // the one before it.
    TDadosAdicionaisSeqRel dados = MontaDadosAdicionais(*item, sender);
    estado.DadosGlobal = dados;
    if (!TemPermissao(*this, *item, problema)) continue;
    FStatusProcesso->setSecondaryMaxProgress(n);
    FStatusProcesso->setSecondaryStatusProgress(i);
    FStatusProcesso->setSecondaryStatusLabel(item->ItemMenu->getCaption());
    ProcessContext().CurrentCompany = 0;
    if (FAgruparRelatorios == tarIndividual)
      estado.NomeSaida = "Sequência " + std::to_string(FSEQRELMGR->GetSEQUENCIA()) + " - Ordem " + std::to_string(i + 1);
    estado.FinaisGlobal = FDadosFinais.get();
    // A screen that fails to open is one problem of its line, like a screen that fails to run: the
    // other lines and entities still run.
    TForm_VYN* form = nullptr;
    try {
      form = item->ItemMenu->AbrirTela();
    } catch (const std::exception& e) {
      // A scheduled run's problem row carries no group: the text itself must say which screen it was.
      problema(tisErro, "A tela " + item->ItemMenu->getCaption() + " não pôde ser aberta: " + e.what());
      continue;
    }
    // The screen serves its item only: closed when the item ends, the next one (and the user) never
    // finds it standing in front of the sequence screen.
    struct TFechaTela {
      TForm_VYN* f;
      ~TFechaTela() {
        if (f) f->Free();
      }
    } fechaTela{form};
    estado.TemConfiguracao = item->TemConfiguracaoDeTela;
    ISequenciaTela* seq = form ? form->SequenciaTela() : nullptr;
    if (!seq) {
      problema(tisErro, "A tela " + item->ItemMenu->getCaption() + " não pôde ser aberta para a sequência.");
      continue;
    }
    try {
      dados.NomeRelatorio = form->Caption();
      FCodigoOrdem = item->Chave;
      seq->OnGetValorConfiguradoTelaSequencia = [this](const std::string& c) { return GetValorConfiguradoTela(c); };
      TDadosAberturaTela abertura = seq->getDadosSelecionarSequencia(0);
      if (!(abertura.Flags & 1)) LoadScreenUserConfigTela(*item, abertura);
      PreencheForm(dados, *item, *form, *seq);
      abertura = seq->getDadosSelecionarSequencia(0);
      NomeiaSaida(estado, FAgruparRelatorios == tarIndividual, abertura.Nome, dados);
      if (estado.ExportarIndividualmente) estado.Linhas.clear();
      estado.DadosGlobal = dados;
      BeforeExportarSequencia(dados);
      seq->BeforeExportarSequencia(dados);
      // A step that says its work is complete (an export) does not make the sequence complete: a
      // signal still stops the steps after it.
      struct TPasso {
        ~TPasso() { TExecucaoConcluida::Reabre(); }
      } passo;
      seq->ExecutarSequencia(dados, *FDadosFinais);
      if (!FOcorreuInconsistenciaTARVO) OnInconsistenciaTARVO(tisAtencao, "");
    } catch (const std::exception& e) {
      problema(tisErro, e.what());
    }
  }
}

void TfrRelSequenciaRelatorios::PreencheForm(TDadosAdicionaisSeqRel&, TDadosSequencial& item, TForm_VYN& form,
                                             ISequenciaTela& seq) {
  FTipoSequencia->PreencheEntidade(form);
  TDadosAberturaTela abertura = seq.getDadosSelecionarSequencia(0);
  if (abertura.Flags & 1) LoadScreenUserConfigTela(item, abertura);
  TEdit_Date_Padrao_VYN* data = seq.EditDataSequencia();
  TEdit_Date_Padrao_VYN* fim = seq.EditDataFimSequencia();
  TEdit_Date_Padrao_VYN* ref = seq.EditReferenciaSequencia();
  auto foca = [](TControl* c) {
    if (c && c->CanFocus()) c->SetFocus();
  };
  if (data && fim) {
    foca(data);
    SetDataStrRespeitandoTipo(*data, edDataIni->GetData());
    if (fim->Enabled()) {
      foca(fim);
      SetDataStrRespeitandoTipo(*fim, edDataFim->GetData());
    }
    foca(data);
  }
  const int anoMes = edReferencia->GetData_AnoMes();
  if (ref && ref != data) {
    foca(ref);
    if (anoMes) SetDataStrRespeitandoTipo(*ref, TDateTime_VYN::GetDataPrimeiroDia(anoMes));
  } else if (!ref && data && !fim && anoMes) {
    SetDataStrRespeitandoTipo(*data, TDateTime_VYN::GetDataPrimeiroDia(anoMes));
  }
  FTipoSequencia->FinalizaPreenchimento(form);
  if (SempreUsarDiretorio) PreencheEditArquivo(seq);
}

void TfrRelSequenciaRelatorios::PreencheEditArquivo(ISequenciaTela& seq) {
  if (auto* ed = seq.EditArquivoSequencia()) ed->SetText(ComBarra(FCaminhoExportacao));
}

void TfrRelSequenciaRelatorios::LoadScreenUserConfigTela(TDadosSequencial& dados, const TDadosAberturaTela& abertura) {
  if (abertura.Configuracao && dados.TemConfiguracaoDeTela) LoadScreenUserConfigMemory(*abertura.Configuracao, dados.Chave);
}

std::string TfrRelSequenciaRelatorios::GetValorConfiguradoTela(const std::string& componentName) {
  TClientDataSet& v = FSEQRELMGR->Valores();
  v.CancelRange();
  // Only the row of this item and control: a control without a saved value has none.
  if (!v.Locate("BDORDEM;BDCOMPNAME", {Variant(FCodigoOrdem), Variant(componentName)}, loCaseInsensitive)) return "";
  return v.FieldByName("BDCOMPVALUE").AsString();
}

void TfrRelSequenciaRelatorios::OnInconsistencia(TTipoInconsistenciaSeq tipo, const std::string& msg) {
  if (IsUnattended()) {
    OnInconsistenciaTARVO(tipo, msg);
    return;
  }
  switch (tipo) {
    case tisInformativo: Inconsistencias_VYN->Add_Informativo(msg); break;
    case tisAtencao: Inconsistencias_VYN->Add_Atencao(msg); break;
    case tisErro: Inconsistencias_VYN->Add_Erro(msg); break;
    case tisNenhum: break;
  }
}

}  // namespace integracao
