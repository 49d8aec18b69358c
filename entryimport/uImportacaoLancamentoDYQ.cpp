#include "entryimport/uImportacaoLancamentoDYQ.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "entryimport/dyq_arquivos_avisados.h"
#include "framework/accounting/importacao_lanc_txt.h"
#include "framework/accounting/importacao_lanc_txt_fonte.h"
#include "framework/ui/dialogs.h"

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/iso8601.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/arquivo_importacao.h"
#include "framework/data/pasta_trabalho.h"
#include "framework/data/fb_database.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view.h"
#include "framework/ui/status_processo.h"
#include "framework/ui/transacao_automatica.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"
#include "framework/web/url_encode.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kServico = "DYQ_LANCAMENTOS";
constexpr const char* kCaminhoLista = "/api/v1/lancamentos-contabeis/";

std::string TextoJson(const nlohmann::json& j, const char* membro) {
  if (!j.is_object() || !j.contains(membro)) return {};
  const auto& v = j[membro];
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

}  // namespace

TfrImportacaoLancamentoDYQ::TfrImportacaoLancamentoDYQ(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      spGerarTransacao(Create<TSpeedButton>()),
      GroupBox1(Create<TGroupBox>()),
      edCODPLATROCAINT(Create<TEdit_Codigo_Search_VYN>(tcPlanosTrocaContabilOnLine)),
      spPlanoTroca(Create<TSpeedButton>()),
      pnCODPLATROCAINT(Create<TPanel>()),
      lbCODPLATROCAINT(Create<TLabel>()),
      ckAlterarComplemento(Create<TCheckBox>()),
      gpExtratos(Create<TGroupBox>()),
      lbTotal(Create<TLabel>()),
      lvExtratos(Create<TListView>()),
      Inconsistencias_VYN1(Create<TInconsistencias_VYN>()),
      edDATINI(Create<TEdit_Date_Padrao_VYN>()),
      edDATFIN(Create<TEdit_Date_Padrao_VYN>()),
      edARQUIVO(Create<TEdit_Diretorio_Padrao_VYN>()) {
  GroupBox1->SetName("GroupBox1");
  edARQUIVO->SetName("edARQUIVO");
  edDATINI->SetName("edDATINI");
  edDATFIN->SetName("edDATFIN");
  gpExtratos->SetName("gpExtratos");
  lbTotal->SetName("lbTotal");
  lbCODPLATROCAINT->SetName("lbCODPLATROCAINT");
  pnCODPLATROCAINT->SetName("pnCODPLATROCAINT");
  spPlanoTroca->SetName("spPlanoTroca");
  SetCaption("Importação de lançamentos via ^DYQ");
  spGerarTransacao->SetName("spGerarTransacao");
  spGerarTransacao->SetTag(1);
  spGerarTransacao->Down = true;
  spGerarTransacao->SetHint("Transação automática");
  spGerarTransacao->OnClick = [this](TComponent* s) { spGerarTransacaoClick(s); };
  GroupBox1->SetCaption("Parâmetros");
  edCODPLATROCAINT->SetName("edCODPLATROCAINT");
  edCODPLATROCAINT->SetMaxLength(6);
  edCODPLATROCAINT->AceitaVazio = true;
  edCODPLATROCAINT->EditsMaster = {edCODEMP};
  edCODPLATROCAINT->PanelNome = pnCODPLATROCAINT;
  spPlanoTroca->SetHint("Consulta plano de troca");
  // The search button opens the list of mapping plans; the plan picked is looked up as a typed one.
  spPlanoTroca->OnClick = [this](TComponent*) { edCODPLATROCAINT->Pesquisar(); };
  lbCODPLATROCAINT->SetCaption("Plano de troca:");
  ckAlterarComplemento->SetName("ckAlterarComplemento");
  ckAlterarComplemento->SetCaption("Alterar complemento pelo histórico contábil que possua variável");
  gpExtratos->SetCaption("Arquivos:");
  lbTotal->SetCaption("Total de registros: 0");
  lvExtratos->SetName("lvExtratos");
  lvExtratos->Checkboxes = false;
  lvExtratos->Columns = {{"Código", 100}, {"Nome", 300}, {"Inicio", 100}, {"Fim", 100}};
  for (TControl* c : std::initializer_list<TControl*>{edDATINI, edDATFIN, edARQUIVO}) c->SetVisible(false);
  edARQUIVO->Pasta = false;
  edARQUIVO->SetMaxLength(1500);
  spConsulta->SetVisible(false);
  spFiliais->SetVisible(true);
  edCODEMP->AceitaZero = false;
  edCODEMP->AceitaMultiSelecao = false;
  edCODEMP->AfterSearch = [this](TComponent* s, bool& recusar) { edCODEMPAfterSearch(s, recusar); };
  edCODEMP->OnExit = [this](TComponent* s) { edCODEMPExit(s); };
}

bool TfrImportacaoLancamentoDYQ::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoLancamentoDYQ") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrImportacaoLancamentoDYQ::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  FHTTP = Create<THTTPVYN>(true);
  SetIsTARVO(false);
  CompararLancamentos = false;
}

void TfrImportacaoLancamentoDYQ::FormDestroy() {
  TfrProcesso_Empresa_Padrao_VYN::FormDestroy();
  if (FHTTP) FreeComponent(FHTTP);
  FHTTP = nullptr;
}

void TfrImportacaoLancamentoDYQ::Aviso(const std::string& texto) {
  ultimoAviso_ = RemoveCaret(texto);
  if (IsUnattended())
    RegistraInconsistenciaExecucao(RemoveCaret(texto));
  else
    DlgWarOk(texto);
}

std::string TfrImportacaoLancamentoDYQ::GetToken() const {
  return TServiceConfig(kServico, ProcessContext().Database).Token();
}

void TfrImportacaoLancamentoDYQ::PreparaHTTP() {
  if (!FHTTP) FHTTP = Create<THTTPVYN>(true);
  FHTTP->SetBaseURL(TServiceConfig(kServico, ProcessContext().Database).BaseURL());
  FHTTP->Request.CustomHeaders.Clear();
  FHTTP->Request.ContentType.clear();
}

std::string TfrImportacaoLancamentoDYQ::Requisita(const std::string& metodo, const std::string& caminho,
                                                  const std::string* corpo) {
  PreparaHTTP();
  FHTTP->Request.CustomHeaders.AddValue("Authorization", "Bearer " + GetToken());
  if (corpo) {
    FHTTP->Request.CustomHeaders.AddValue("Content-Type", "application/json");
    return FHTTP->Put(caminho, *corpo);
  }
  return metodo == "PUT" ? FHTTP->Put(caminho, "") : FHTTP->Get(caminho);
}

bool TfrImportacaoLancamentoDYQ::VerificarResultado(int codigo, const std::string& resposta, nlohmann::json& json) {
  // A server may echo what it was sent: the token never reaches a message.
  const std::vector<std::string> segredos = {GetToken()};
  try {
    json = nlohmann::json::parse(resposta);
  } catch (const nlohmann::json::exception&) {
    Aviso("Não foi possível se conectar com o ^DYQ! " + MaskSecrets(resposta, segredos));
    return false;
  }
  if (codigo != 200) {
    Aviso("Não foi possível acessar os lançamentos do ^DYQ! " + std::to_string(codigo) + " - " +
          MaskSecrets(TextoJson(json, "message") + TextoJson(json, "error"), segredos));
    return false;
  }
  return true;
}

std::optional<nlohmann::json> TfrImportacaoLancamentoDYQ::TryGetLancamentosEmpresa(int codEmpresaWeb) {
  // The service lists a customer's files: asked without the installation's code, it answers for nobody.
  if (Trim(ProcessContext().CustomerCode).empty()) {
    Aviso("Código do cliente da instalação não informado: os arquivos do ^DYQ não podem ser buscados.");
    return std::nullopt;
  }
  const std::string caminho = std::string(kCaminhoLista) + "?cliente_id=" +
                              CodificaURL(ProcessContext().CustomerCode) + "&empresa_id=" + std::to_string(codEmpresaWeb);
  const std::string resposta = Requisita("GET", caminho);
  nlohmann::json json;
  if (!VerificarResultado(FHTTP->ResponseCode(), resposta, json)) return std::nullopt;
  if (!json.is_object() || !json.contains("lancamentos_contabeis") || !json["lancamentos_contabeis"].is_array()) {
    // Valid JSON that is not the protocol's list: as unreadable as a non-JSON answer.
    Aviso("Não foi possível se conectar com o ^DYQ! " + MaskSecrets(resposta, {GetToken()}));
    return std::nullopt;
  }
  return nlohmann::json::parse(json["lancamentos_contabeis"].dump());
}

void TfrImportacaoLancamentoDYQ::edCODEMPAfterSearch(TComponent*, bool& recusar) {
  FalhaListagem.clear();
  EmpresaSemDyq = false;
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  const int empresa = static_cast<int>(edCODEMP->Codigo());
  // While a file of this company is imported (the settlement engine validates the company again),
  // the list the user chose from stays as it is.
  if (!FArquivoEmImportacao.empty() && empresa == empresaListada_) return;
  const Variant dyq = db->QueryValue("select bddyq from tempresas where bdcodemp = ?", {empresa});
  if (dyq.IsNull() || UpperCase(Trim(dyq.AsString())) != "TRUE") {
    recusar = true;
    EmpresaSemDyq = true;
    if (IsUnattended())
      RegistraMensagemExecucao("Empresa não possui o DYQ!");
    else
      DlgInfOk("Empresa não possui o ^DYQ!");
    return;
  }
  lvExtratos->Clear();
  lvExtratos->Add("").SubItems = {"Buscando arquivos do DYQ"};
  std::optional<nlohmann::json> lista;
  try {
    lista = TryGetLancamentosEmpresa(TEmpresasMGR::GetCodEmpresaWEB(this, empresa));
  } catch (...) {
    lvExtratos->Clear();
    lbTotal->SetCaption("Total de registros: 0");
    throw;
  }
  lvExtratos->Clear();
  if (!lista) {
    lbTotal->SetCaption("Total de registros: 0");
    FalhaListagem = ultimoAviso_;
    recusar = true;
    return;
  }
  for (const auto& e : *lista) {
    // An element the service sent without its code, or with a date that is none, is left out on its
    // own; the list goes on.
    if (Trim(TextoJson(e, "id")).empty()) {
      Aviso("Arquivo " + TextoJson(e, "nome") + " do ^DYQ ignorado: código não informado.");
      continue;
    }
    TDateTime inicio, fim;
    if (!TryISO8601ToDateUTC(TextoJson(e, "data_inicial"), inicio) ||
        !TryISO8601ToDateUTC(TextoJson(e, "data_final"), fim)) {
      Aviso("Arquivo " + TextoJson(e, "id") + " do ^DYQ ignorado: data inicial ou final inválida.");
      continue;
    }
    TListItem& it = lvExtratos->Add(TextoJson(e, "id"));
    it.SubItems = {TextoJson(e, "nome"), DateToStr(inicio.DateOnly()), DateToStr(fim.DateOnly())};
  }
  lbTotal->SetCaption("Total de registros: " + std::to_string(lvExtratos->Count()));
  empresaListada_ = empresa;
}

void TfrImportacaoLancamentoDYQ::edCODEMPExit(TComponent*) { setHintTransacao(); }

void TfrImportacaoLancamentoDYQ::spGerarTransacaoClick(TComponent*) { AlternaTransacaoAutomatica(*spGerarTransacao); }

void TfrImportacaoLancamentoDYQ::setHintTransacao() { AtualizaHintTransacaoAutomatica(*spGerarTransacao); }

void TfrImportacaoLancamentoDYQ::SelecionaLinha(int index) {
  for (int i = 0; i < lvExtratos->Count(); ++i) lvExtratos->Item(i).Selected = i == index;
  lvExtratos->ItemIndex = index;
}

TListItem* TfrImportacaoLancamentoDYQ::PrimeiraSelecionada() const {
  for (int i = 0; i < lvExtratos->Count(); ++i)
    if (lvExtratos->Item(i).Selected) return &lvExtratos->Item(i);
  return nullptr;
}

bool TfrImportacaoLancamentoDYQ::PodeIniciarProcesso() {
  if (!PrimeiraSelecionada()) {
    Aviso("Selecione um arquivo!");
    return false;
  }
  return TfrProcesso_Empresa_Padrao_VYN::PodeIniciarProcesso();
}

std::string TfrImportacaoLancamentoDYQ::DescricaoArquivo(const TListItem& linha) {
  const std::string nome = linha.SubItems.empty() ? std::string() : Trim(linha.SubItems[0]);
  return "Arquivo " + Trim(linha.Caption) + (nome.empty() ? std::string() : " (" + nome + ")") + " do ^DYQ";
}

void TfrImportacaoLancamentoDYQ::Informa(const std::string& texto) {
  if (IsUnattended())
    RegistraMensagemExecucao(RemoveCaret(texto));
  else
    DlgInfOk(texto);
}

std::vector<int> TfrImportacaoLancamentoDYQ::ExecutarProcessoKeys() const {
  std::vector<int> teclas = TfrProcesso_Empresa_Padrao_VYN::ExecutarProcessoKeys();
  teclas.erase(std::remove(teclas.begin(), teclas.end(), kTeclaSetaAbaixo), teclas.end());
  return teclas;
}

void TfrImportacaoLancamentoDYQ::Processo() {
  Desfecho = daNenhum;
  ResumoArquivo.clear();
  AvisadoEm.clear();
  TListItem* linha = PrimeiraSelecionada();
  if (!linha) return;
  std::string caminho;
  std::string nome;
  if (!BaixaArquivo(*linha, caminho, nome)) return;
  if (IsUnattended() && JaAvisado(Trim(linha->Caption), caminho)) {
    std::error_code ec;
    std::filesystem::remove(caminho, ec);
    Desfecho = daJaAvisado;
    return;
  }
  Desfecho = daImportacao;
  ImportaArquivo(Trim(linha->Caption), caminho, nome);
}

bool TfrImportacaoLancamentoDYQ::JaAvisado(const std::string& id, const std::string& caminho) {
  TDatabase* db = ProcessContext().Database;
  if (!db) return false;
  try {
    ResumoArquivo = ResumoArquivoDYQ(caminho);
    AvisadoEm = integracao::AvisadoEm(*db, static_cast<int>(edCODEMP->Codigo()), id, ResumoArquivo).value_or("");
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(caminho, ec);
    throw;
  }
  return !AvisadoEm.empty();
}

bool TfrImportacaoLancamentoDYQ::BaixaArquivo(const TListItem& linha, std::string& caminho, std::string& nome) {
  auto* status = TfrStatusProcesso::createStatusProcess(this, 2);
  auto fechaStatus = [&] {
    if (!status) return;
    status->Finalize();
    FreeComponent(status);
    status = nullptr;
  };
  try {
    status->setPrimaryStatusLabel("Se conectando com o DYQ...");
    const std::string resposta =
        Requisita("GET", std::string(kCaminhoLista) + "busca?lancamento_id=" + CodificaURL(linha.Caption));
    nlohmann::json busca;
    TDateTime inicio, fim;
    if (!VerificarResultado(FHTTP->ResponseCode(), resposta, busca)) {
      fechaStatus();
      return false;
    }
    if (!TryISO8601ToDateUTC(TextoJson(busca, "data_inicial"), inicio) ||
        !TryISO8601ToDateUTC(TextoJson(busca, "data_final"), fim)) {
      fechaStatus();
      Aviso(DescricaoArquivo(linha) + " não importado: data inicial ou final inválida na busca.");
      return false;
    }
    edDATINI->SetData(inicio.DateOnly());
    edDATFIN->SetData(fim.DateOnly());
    status->setPrimaryStatusLabel("Baixando arquivo do DYQ...");
    // The file goes to disk as it arrives: a file for the staged review need never be in memory. The
    // link is the file's own address: no credentials go with it.
    caminho = NomeArquivoTemporario();
    BaixaPara(TextoJson(busca, "link"), caminho);
    if (FHTTP->ResponseCode() != 200) {
      const std::string erro = InicioDoArquivo(caminho);
      std::error_code ec;
      std::filesystem::remove(caminho, ec);
      caminho.clear();
      Aviso("Não foi possível acessar os lançamentos do ^DYQ! " + std::to_string(FHTTP->ResponseCode()) + " - " + erro);
      fechaStatus();
      return false;
    }
    nome = TextoJson(busca, "nome");
    // A workbook is kept as the bytes it came in, under its own kind's extension: the importer reads it
    // as a workbook.
    const TTipoPastaTrabalho pasta = TipoPastaTrabalho(InicioDoArquivo(caminho));
    if (pasta != TTipoPastaTrabalho::Nenhuma) {
      const std::string pastaCaminho =
          std::filesystem::path(caminho).replace_extension(pasta == TTipoPastaTrabalho::Xlsx ? ".xlsx" : ".xls").string();
      std::filesystem::rename(caminho, pastaCaminho);
      caminho = pastaCaminho;
      edARQUIVO->SetText(caminho);
      fechaStatus();
      return true;
    }
    ArquivoEmUtf8(caminho);
    if (SemRegistros(caminho)) {
      std::error_code ec;
      std::filesystem::remove(caminho, ec);
      caminho.clear();
      fechaStatus();
      // Nothing to post: the file leaves the service's list instead of failing every run to come.
      Desfecho = daVazio;
      const std::string descricao = DescricaoArquivo(linha);
      MarcarComoImportado();
      Informa(descricao + " sem lançamentos: nada a importar.");
      return false;
    }
    edARQUIVO->SetText(caminho);
    fechaStatus();
    return true;
  } catch (...) {
    fechaStatus();
    if (!caminho.empty()) {
      std::error_code ec;
      std::filesystem::remove(caminho, ec);
    }
    throw;
  }
}

bool TfrImportacaoLancamentoDYQ::SemRegistros(const std::string& caminho) const {
  // The first record decides: the reading stops as soon as it has given anything.
  TArquivoTxtEmLinhas fonte(caminho);
  TArquivoLancamentosTxt resto;
  bool lancamento = false;
  LeArquivoLancamentosTxt(
      [&](std::string& l) { return !lancamento && resto.Participantes.empty() && resto.Erros.empty() && fonte.Proxima(l); },
      ',', static_cast<int>(edCODEMP->Codigo()), [&](TLinhaLancamentoTxt&) { lancamento = true; }, resto);
  return !lancamento && resto.Participantes.empty() && resto.Erros.empty();
}

std::string TfrImportacaoLancamentoDYQ::NomeArquivoTemporario() const {
  const std::filesystem::path pasta = std::filesystem::path(ProcessContext().ProgramFolder) / "temp";
  std::filesystem::create_directories(pasta);
  // Downloads of runs that were killed, and the copies of the rows a workbook left unimported, are
  // of no use once their run is over.
  TAcessoExclusivo::RemoveOrfaos(pasta, {"DYQ_CL_", "naoimportados_DYQ_CL_"});
  return (pasta / ("DYQ_CL_" + TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt"))).string();
}

void TfrImportacaoLancamentoDYQ::BaixaPara(const std::string& link, const std::string& caminho) {
  std::ofstream out(caminho, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + caminho);
  PreparaHTTP();
  FHTTP->Get(link, out);
  out.close();
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + caminho);
}

std::string TfrImportacaoLancamentoDYQ::InicioDoArquivo(const std::string& caminho) {
  // An error page is a few lines; a peer's larger answer is shown by its beginning.
  constexpr size_t kMaiorTexto = 64 * 1024;
  std::ifstream in(caminho, std::ios::binary);
  std::string texto(kMaiorTexto, '\0');
  in.read(texto.data(), static_cast<std::streamsize>(texto.size()));
  texto.resize(static_cast<size_t>(in.gcount()));
  return texto;
}

void TfrImportacaoLancamentoDYQ::ArquivoEmUtf8(const std::string& caminho) {
  // Each line keeps its own encoding, so a file is left as it came only when it has no mark and every line
  // is UTF-8 already.
  bool reescreve = false;
  {
    std::ifstream in(caminho, std::ios::binary);
    std::string l;
    for (bool primeira = true; !reescreve && std::getline(in, l); primeira = false)
      reescreve = (primeira && l.rfind("\xEF\xBB\xBF", 0) == 0) || !IsValidUtf8(l);
  }
  if (!reescreve) return;
  TArquivoTxtEmLinhas fonte(caminho);
  // The work file is UTF-8 without a byte-order mark whatever the link served, rewritten a line at a time.
  const std::string novo = caminho + ".utf8";
  {
    std::ofstream out(novo, std::ios::binary | std::ios::trunc);
    for (std::string l; fonte.Proxima(l);) out << l << '\n';
    out.close();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(novo, ec);
      throw std::runtime_error("Não foi possível gravar o arquivo " + caminho);
    }
  }
  std::filesystem::rename(novo, caminho);
}

void TfrImportacaoLancamentoDYQ::ImportaArquivo(const std::string& id, const std::string& caminho,
                                                const std::string& nome) {
  TLancamentoMGR* mgr = TLancamentoMGR::CreateMgr(this, true, false, 1, false, true);
  FDAO = mgr;
  FArquivoEmImportacao = id;
  auto libera = [&] {
    FArquivoEmImportacao.clear();
    FDAO = nullptr;
    FreeComponent(mgr);
    // The file stays on the service until it is marked, so the copy is never the only one left.
    std::error_code ec;
    std::filesystem::remove(caminho, ec);
  };
  try {
    mgr->IsTARVO = IsUnattended();
    mgr->NaoRetirarZerosContas = true;
    mgr->CompararLancamentos = CompararLancamentos;
    mgr->NomeArquivo = nome;
    mgr->GetImportacaoLancTxt(4, edCODEMP, edCODPLATROCAINT, edARQUIVO, this, ",", false, BloqueioLancamento_Padrao_VYN,
                              spGerarTransacao, DateToStr(edDATINI->GetData()), DateToStr(edDATFIN->GetData()),
                              SelecionaFiliais, 0, ckAlterarComplemento->Checked());
  } catch (...) {
    libera();
    throw;
  }
  libera();
}

void TfrImportacaoLancamentoDYQ::MarcarComoImportado() {
  const std::string id = FArquivoEmImportacao.empty() ? Trim(PrimeiraSelecionada() ? PrimeiraSelecionada()->Caption : "")
                                                      : FArquivoEmImportacao;
  if (id.empty()) return;
  long long valor = 0;
  try {
    size_t pos = 0;
    valor = std::stoll(id, &pos);
    if (pos != id.size()) throw std::invalid_argument(id);
  } catch (const std::exception&) {
    Aviso("Não foi possível marcar o arquivo do ^DYQ como importado: código '" + id + "' inválido.");
    return;
  }
  nlohmann::json corpo = {{"lancamento_id", valor}};
  const std::string texto = corpo.dump();
  std::string resposta;
  try {
    resposta = Requisita("PUT", std::string(kCaminhoLista) + "integracao", &texto);
  } catch (const std::exception& e) {
    // The marking comes after the entries were written: a connection that drops or times out leaves
    // them written and the file listed, to be marked (never posted again) by the next import.
    Aviso("Não foi possível se conectar com o ^DYQ! " + MaskSecrets(e.what(), {GetToken()}));
    return;
  }
  const int codigo = FHTTP->ResponseCode();
  nlohmann::json json;
  VerificarResultado(codigo, resposta, json);
  if (codigo != 200) return;
  if (TDatabase* db = ProcessContext().Database) EsqueceAvisado(*db, static_cast<int>(edCODEMP->Codigo()), id);
  // Only the file the service marked leaves the list: another selected row was not imported.
  for (int i = 0; i < lvExtratos->Count(); ++i) {
    if (Trim(lvExtratos->Item(i).Caption) != id) continue;
    lvExtratos->Delete(i);
    break;
  }
  lvExtratos->ItemIndex = -1;
}

}  // namespace integracao
