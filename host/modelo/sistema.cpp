#include "host/modelo/sistema.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/fila_mensagens.h"
#include "framework/component/process_context.h"
#include "framework/core/currency.h"
#include "framework/component/class_registry.h"
#include "framework/host/auto_thread.h"
#include "framework/host/posting_lock_check.h"
#include "framework/host/publicas.h"
#include "framework/livros/chaves_fonte.h"
#include "framework/standins/telas_plataforma.h"
#include "framework/ui/form.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/grid.h"
#include "framework/ui/list_view.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event_db.h"
#include "framework/ui/packages_util.h"
#include "host/demo_seed.h"
#include "host/screen_controls.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"
#include "testing/program_folder.h"

namespace modelo {

using nlohmann::json;

namespace {

constexpr int kEmpresa = 1;
constexpr int kContaBanco = 11, kContaReceitas = 30, kContaDespesas = 40;
const std::string kArquivos = "/api/v1/lancamentos-contabeis/";

std::string ValorJson(int64_t centavos) { return fmt::format("{}.{:02}", centavos / 100, centavos % 100); }
int64_t EmCentavos(const vyn::Currency& c) { return c.Raw() / (vyn::Currency::kScale / 100); }

// The module's shipped registry, once for the whole program (each world has its own database).
void RegistraUmaVez() {
  static const bool registrado = [] {
    integracao::RegistraModulo(vyn::ClassRegistry());
    return true;
  }();
  (void)registrado;
}

template <class T>
T* Filho(vyn::TComponent& dono) {
  for (vyn::TComponent* c : dono.Components())
    if (auto* f = dynamic_cast<T*>(c)) return f;
  return nullptr;
}

// An entry file's text, as Dyq serves it and as the client drops it in the folder.
std::string TextoArquivo(const TModelo& m, const TArquivo& a) {
  std::string texto;
  for (size_t i : a.Linhas) {
    const TMovimento& l = m.Movimentos[i];
    const bool saida = l.Lado == 'D';
    texto += fmt::format("L,1,{:02}/{:02}/{},{},{},{},,{},{}\n", l.Dia, l.Mes, kAno, saida ? kContaDespesas : kContaBanco,
                         saida ? kContaBanco : kContaReceitas, ValorJson(l.Centavos), l.Texto, l.Dcto);
  }
  return texto;
}

// The demo company's CNPJ names its files in the client folder.
std::string NomeNaPasta(int arquivo) { return fmt::format("CL11222333000181_{:03}.txt", arquivo); }

}  // namespace

// ---- the user ----

int TUsuario::Message(const vyn::TDialogRequest& r) {
  const std::string& t = r.Text;
  auto tem = [&t](const char* s) { return t.find(s) != std::string::npos; };
  int resposta = vyn::mrOk;
  if (r.Buttons & vyn::mbYes) {
    // The user gives each line its own account, imports what is not prepared, and books nothing
    // the screen marks as probably booked already.
    resposta = tem("nenhum lançamento foi marcado") ? vyn::mrYes : vyn::mrNo;
  } else if (!(r.Buttons & vyn::mbOK)) {
    resposta = vyn::mrCancel;
  }
  conversa_ += "  [" + vyn::AnswerText(resposta) + "] " + t + "\n";
  return resposta;
}

std::vector<std::string> TUsuario::ChooseFile(const vyn::TFileRequest& request) {
  conversa_ += "  [arquivo recusado] " + request.Title + "\n";
  return {};
}

void TUsuario::ShowInconsistencias(const vyn::TInconsistencias_VYN& list, const std::string& title) {
  conversa_ += "  lista " + title + ":\n";
  for (const auto& i : list.Itens()) conversa_ += "    " + i.Caption + "\n";
}

void TUsuario::RunModal(vyn::TForm_VYN& form) {
  conversa_ += "  [tela fechada] " + form.ClassName() + "\n";
  form.Close();
}

bool TUsuario::ChooseItems(const std::string& title, const std::vector<std::string>&, std::vector<bool>&) {
  conversa_ += "  [escolha recusada] " + title + "\n";
  return false;
}

std::string TUsuario::Conversa() { return std::exchange(conversa_, std::string()); }

// ---- the platform ----

struct TSistema::TPlataforma {
  vyn::TTelasDaPlataformaRegistradas telas;
  vyn::TVerificaBloqueioLancamento bloqueios;
  std::unique_ptr<vyn::TDatabaseLogWriter> log;
  vyn::TFormPtr<vyn::TForm_VYN> principal = vyn::MakeForm<vyn::TForm_VYN>();
  vyn::TProcessContext antes;
  vyn::TPastaProgramaTemp pasta{"modelo_livros"};
};

TSistema::TSistema() {
  RegistraUmaVez();
  empresa_ = std::make_unique<vyn::TTestCompanyDatabase>();
  // Made as `integracao-host init --demo` makes it, before the module's attachment writes anything.
  integracao_host::SemeiaDemonstracao(*empresa_->OpenAnother(), 202501);
  dyq_ = std::make_unique<vyn::TFakeHttpServer>(std::chrono::seconds(3600));
  Db().Execute("UPDATE TEMPRESAS SET BDDYQ = 'TRUE' WHERE BDCODEMP = ?", {kEmpresa});
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_URL', ?)", {dyq_->BaseURL()});
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_TOKEN', 'segredo')");
  dyq_->On("GET", "/extratos-liberados", [this](const vyn::TFakeRequest& r) {
    std::lock_guard<std::mutex> l(mutex_);
    if (r.Param("empresa") != std::to_string(kEmpresa) || liberados_.empty()) return vyn::TFakeResponse(204, "");
    return vyn::TFakeResponse::Json(200, liberados_);
  });
  dyq_->On("POST", "/retornos", vyn::TFakeResponse(200, "{}"));
  Db().Execute("UPDATE TEMPRESAS SET BDCODWEB = 55 WHERE BDCODEMP = ?", {kEmpresa});
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_LANCAMENTOS_URL', ?)", {dyq_->BaseURL()});
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_LANCAMENTOS_TOKEN', 'segredo')");
  dyq_->On("GET", kArquivos, [this](const vyn::TFakeRequest&) {
    std::lock_guard<std::mutex> l(mutex_);
    return vyn::TFakeResponse::Json(200, arquivosLista_);
  });
  dyq_->On("GET", kArquivos + "busca", [this](const vyn::TFakeRequest& r) {
    return vyn::TFakeResponse::Json(200, json{{"link", dyq_->BaseURL() + "/f/" + r.Param("lancamento_id")},
                                              {"data_inicial", "2025-01-01T00:00:00Z"},
                                              {"data_final", "2025-02-28T00:00:00Z"},
                                              {"nome", "Lancamentos"}}.dump());
  });
  dyq_->On("PUT", kArquivos + "integracao", vyn::TFakeResponse(200, "{}"));
  plataforma_ = std::make_unique<TPlataforma>();
  plataforma_->log = std::make_unique<vyn::TDatabaseLogWriter>(Db());
  vyn::TProcessContext& ctx = vyn::ProcessContext();
  plataforma_->antes = ctx;
  ctx.Dialogs = &usuario_;
  ctx.PostingLocks = &plataforma_->bloqueios;
  ctx.ActionLog = plataforma_->log.get();
  ctx.UserName = "ana.souza";
  ctx.UserCode = 7;
  ctx.MainForm = plataforma_->principal.get();
  ctx.CustomerCode = "4321";
  ctx.WP_AGENDAMENTO = 9;
  ctx.WP_PLANO_TARVO = 3;
  ctx.WP_ORDEM_AGENDAMENTO = 1;
  vyn::TPublicas::SetReferencia(202501);
  pasta_ = (plataforma_->pasta.Pasta() / "cliente").string();
  std::filesystem::create_directories(pasta_);
  RelerViolacoes();
}

TSistema::~TSistema() {
  plataforma_->principal.reset();
  vyn::AguardaRemocoesSessoes();
  vyn::TProcessContext& ctx = vyn::ProcessContext();
  ctx.Dialogs = plataforma_->antes.Dialogs;
  ctx.PostingLocks = plataforma_->antes.PostingLocks;
  ctx.ActionLog = plataforma_->antes.ActionLog;
  ctx.UserName = plataforma_->antes.UserName;
  ctx.UserCode = plataforma_->antes.UserCode;
  ctx.MainForm = plataforma_->antes.MainForm;
  ctx.CustomerCode = plataforma_->antes.CustomerCode;
  ctx.WP_AGENDAMENTO = plataforma_->antes.WP_AGENDAMENTO;
  ctx.WP_PLANO_TARVO = plataforma_->antes.WP_PLANO_TARVO;
  ctx.WP_ORDEM_AGENDAMENTO = plataforma_->antes.WP_ORDEM_AGENDAMENTO;
  plataforma_.reset();
  dyq_.reset();
  empresa_.reset();
}

vyn::TDatabase& TSistema::Db() { return empresa_->Db(); }

// ---- Dyq ----

void TSistema::Publica(const TModelo& m) {
  PublicaArquivos(m);
  json liberados = json::object();
  std::map<int, std::string> extratos;
  for (int e : m.Extratos) {
    liberados[std::to_string(e)] = {{"tipoConta", "Normal"},
                                    {"dataInicial", "01/01/2025"},
                                    {"dataFinal", "28/02/2025"},
                                    {"conta", "11 BANCO CONTA MOVIMENTO"},
                                    {"logLiberacaoData", "03/03/2025 09:30"}};
    json linhas = json::array();
    for (size_t i : m.LinhasDo(e)) {
      const TMovimento& l = m.Movimentos[i];
      json j = {{"data", fmt::format("{:02}/{:02}/{}", l.Dia, l.Mes, kAno)},
                {"tipo", std::string(1, l.Lado)},
                {"valor", ValorJson(l.Centavos)},
                {"descricao", l.Texto},
                {"documento", l.Dcto}};
      if (l.Id) j["id"] = l.Id;
      linhas.push_back(std::move(j));
    }
    extratos[e] = json{{"lancamentos", linhas}}.dump();
  }
  std::lock_guard<std::mutex> l(mutex_);
  liberados_ = m.Extratos.empty() ? std::string() : liberados.dump();
  for (const auto& [e, corpo] : extratos) {
    if (!extratos_.count(e))
      dyq_->On("GET", "/extratos/" + std::to_string(e) + "/lancamentos", [this, e](const vyn::TFakeRequest&) {
        std::lock_guard<std::mutex> g(mutex_);
        return vyn::TFakeResponse::Json(200, extratos_.at(e));
      });
    extratos_[e] = corpo;
  }
}

void TSistema::PublicaArquivos(const TModelo& m) {
  json lista = json::array();
  std::map<int, std::string> textos;
  for (const TArquivo& a : m.Arquivos) {
    const std::string texto = TextoArquivo(m, a);
    if (a.Pasta) {
      // A file once dropped stays as the client left it.
      const std::filesystem::path caminho = std::filesystem::path(pasta_) / NomeNaPasta(a.Id);
      if (!std::filesystem::exists(caminho)) std::ofstream(caminho, std::ios::binary) << texto;
      continue;
    }
    textos[a.Id] = texto;
    if (a.Aguardando)
      lista.push_back({{"id", std::to_string(a.Id)}, {"nome", "Lancamentos"},
                       {"data_inicial", "2025-01-01T00:00:00Z"}, {"data_final", "2025-02-28T00:00:00Z"}});
  }
  std::lock_guard<std::mutex> l(mutex_);
  arquivosLista_ = json{{"lancamentos_contabeis", lista}}.dump();
  for (const auto& [id, texto] : textos) {
    if (!arquivos_.count(id))
      dyq_->On("GET", "/f/" + std::to_string(id), [this, id](const vyn::TFakeRequest&) {
        std::lock_guard<std::mutex> g(mutex_);
        return vyn::TFakeResponse(200, arquivos_.at(id), "application/octet-stream");
      });
    arquivos_[id] = texto;
  }
}

namespace {
vyn::TAutoThreadPadrao& CriaTarefa(vyn::TComponent& dono, const char* classe) {
  auto* task = dynamic_cast<vyn::TAutoThreadPadrao*>(vyn::ClassRegistry().CreateComponent(classe, dono));
  if (!task) throw std::runtime_error(std::string("a tarefa ") + classe + " não está registrada");
  return *task;
}
}  // namespace

int TSistema::ExecutaTarefa(vyn::TAutoThreadPadrao& task, std::string& mensagem) {
  try {
    task.ExecuteTask();
    mensagem = task.MensagemExecucao();
  } catch (const std::exception& e) {
    mensagem = e.what();
  }
  return static_cast<int>(task.StatusExecucao());
}

int TSistema::ExecutaTarefaDyq(std::string& mensagem) {
  vyn::TComponent dono;
  vyn::TAutoThreadPadrao& task = CriaTarefa(dono, "TAutoThreadImportacaoLancamentoDYQ");
  task.SetParametro("cod_empresa", std::to_string(kEmpresa));
  task.SetParametro("referencia", "202501");
  return ExecutaTarefa(task, mensagem);
}

int TSistema::ExecutaTarefaPasta(std::string& mensagem) {
  vyn::TComponent dono;
  vyn::TAutoThreadPadrao& task = CriaTarefa(dono, "TAutoThreadIntegracaoArquivosClienteContabil");
  task.SetParametro("cod_emp", std::to_string(kEmpresa));
  task.SetParametro("tipo_arquivo", "21");
  task.SetParametro("caminho", pasta_);
  task.SetParametro("ref_inicial", "20250101");
  task.SetParametro("ref_final", "20250228");
  return ExecutaTarefa(task, mensagem);
}

std::multiset<int> TSistema::ArquivosIntegradosNovos() {
  std::multiset<int> r;
  const auto pedidos = dyq_->Requests();
  for (size_t i = marcasLidas_; i < pedidos.size(); ++i) {
    if (pedidos[i].Method != "PUT" || pedidos[i].Path != kArquivos + "integracao") continue;
    const json corpo = json::parse(pedidos[i].Body, nullptr, false);
    if (corpo.is_object() && corpo.contains("lancamento_id")) {
      const json& id = corpo["lancamento_id"];
      r.insert(id.is_number() ? id.get<int>() : std::stoi(id.get<std::string>()));
    }
  }
  marcasLidas_ = pedidos.size();
  return r;
}

std::multiset<int> TSistema::IntegradosNovos() {
  std::multiset<int> r;
  const auto pedidos = dyq_->Requests();
  for (size_t i = retornosLidos_; i < pedidos.size(); ++i) {
    if (pedidos[i].Path != "/retornos") continue;
    const json corpo = json::parse(pedidos[i].Body, nullptr, false);
    if (!corpo.is_object() || corpo.value("tipoRetorno", -1) != 0) continue;
    for (const json& d : corpo["documento"].value("aDado", json::array()))
      if (d.contains("extratoItemId") && d["extratoItemId"].is_number()) r.insert(d["extratoItemId"].get<int>());
  }
  retornosLidos_ = pedidos.size();
  return r;
}

// ---- the review ----

integracao::TfrConsultaImportacaoExtratoBancario* TSistema::AbreRevisao(int extrato) {
  auto* filtro = vyn::TPackagesUtil::CarregaFormERetorna("TfrFiltroImportacaoExtratoBancarioDYQ",
                                                         plataforma_->principal.get());
  filtro->Show();
  auto& f = dynamic_cast<integracao::TfrFiltroImportacaoExtratoBancarioDYQ&>(*filtro);
  integracao_host::DefineValor(*f.edCODEMP, {{"value", std::to_string(kEmpresa)}});
  integracao_host::Foca(*f.edDataIni);
  integracao_host::Foca(*f.edDataFim);
  integracao_host::Seleciona(*f.lvExtratos, {{"item", std::to_string(extrato)}});
  integracao_host::Clica(*f.spConfirmar);
  vyn::ProcessMessages();
  auto* t = Filho<integracao::TfrConsultaImportacaoExtratoBancario>(*filtro);
  if (!t) {
    filtro->Close();
    vyn::ProcessMessages();
    return nullptr;
  }
  return t;
}

std::multiset<TOferta> TSistema::Ofertas(integracao::TfrConsultaImportacaoExtratoBancario& t) {
  std::multiset<TOferta> r;
  vyn::TClientDataSet c;
  c.CloneCursor(*t.DAOLinhas());
  for (c.First(); !c.Eof(); c.Next())
    r.insert({c.FieldByName("BDDCTO").AsString(), EmCentavos(c.FieldByName("BDVALOR").AsCurrency())});
  return r;
}

namespace {
bool SemConta(vyn::TClientDataSet& ds, const char* campo) {
  return ds.FieldByName(campo).IsNull() || ds.FieldByName(campo).AsInteger() == 0;
}

// The grid's row of the line offered (the grid shows the lines in their data set's order). Equal lines
// of one statement are alike to the user, but not to Dyq: the row is the one of the model's line, by
// its Dyq id (0: a row without one).
int LinhaDaOferta(vyn::TClientDataSet& ds, const TOferta& oferta, int64_t idDyq) {
  for (int linha = 1; linha <= ds.RecordCount(); ++linha) {
    ds.SetRecNo(linha);
    const int64_t id = ds.FieldByName("BDIDWEB").IsNull() ? 0 : ds.FieldByName("BDIDWEB").AsInteger();
    if (TOferta{ds.FieldByName("BDDCTO").AsString(), EmCentavos(ds.FieldByName("BDVALOR").AsCurrency())} == oferta &&
        id == idDyq)
      return linha;
  }
  throw std::runtime_error("a revisão não mostra a linha do documento " + oferta.Dcto);
}

template <class T>
T& TelaAberta(vyn::TComponent& dono, const char* classe) {
  T* achada = nullptr;
  for (vyn::TComponent* c : dono.Components())
    if (auto* f = dynamic_cast<T*>(c); f && f->ClassName() == classe && f->Showing()) achada = f;
  if (!achada) throw std::runtime_error(std::string("a tela ") + classe + " não abriu");
  return *achada;
}

vyn::TControl& Controle(vyn::TComponent& tela, const char* nome) {
  auto* c = dynamic_cast<vyn::TControl*>(tela.FindComponent(nome));
  if (!c) throw std::runtime_error(std::string("a tela não tem ") + nome);
  return *c;
}
}  // namespace

void TSistema::Importa(integracao::TfrConsultaImportacaoExtratoBancario& t, const std::map<std::string, char>& lados,
                       const std::set<TOferta>& semConta, int64_t mexida) {
  vyn::TClientDataSet& ds = *t.DAOLinhas();
  const int n = ds.RecordCount();
  for (int linha = 1; linha <= n; ++linha) {
    ds.SetRecNo(linha);
    const std::string dcto = ds.FieldByName("BDDCTO").AsString();
    // The line the user split or linked keeps what the user made of it.
    if (mexida && integracao::campos::Int(ds, "BDCHAVE") == mexida) continue;
    if (semConta.count({dcto, EmCentavos(ds.FieldByName("BDVALOR").AsCurrency())})) continue;
    const bool saida = lados.count(dcto) ? lados.at(dcto) == 'D' : SemConta(ds, "BDDEBITO");
    const char* campo = saida ? "BDDEBITO" : "BDCREDITO";
    if (SemConta(ds, campo))
      integracao_host::DefineValor(*t.grGrid, {{"row", linha}, {"field", campo},
                                               {"value", std::to_string(saida ? kContaDespesas : kContaReceitas)}});
  }
  integracao_host::Clica(*t.spImportacao);
  vyn::ProcessMessages();
}

int64_t TSistema::Vincula(integracao::TfrConsultaImportacaoExtratoBancario& t, const TOferta& linha, int64_t idDyq,
                          int parcela) {
  integracao_host::Seleciona(*t.grGrid, {{"row", LinhaDaOferta(*t.DAOLinhas(), linha, idDyq)}});
  const int64_t chave = integracao::campos::Int(*t.DAOLinhas(), "BDCHAVE");
  vyn::TMenuItem* menu = integracao_host::Clica(*t.spCurrencyLink);
  integracao_host::VerificaItemDeMenu(*t.miParcelamento, menu);
  t.miParcelamento->Click();
  vyn::ProcessMessages();
  auto& tela = TelaAberta<vyn::TForm_VYN>(t, "TfrFiltroBaixaParcelamento");
  integracao_host::DefineValor(Controle(tela, "edChave"), {{"value", std::to_string(parcela)}});
  integracao_host::Clica(Controle(tela, "spConfirmar"));
  vyn::ProcessMessages();
  return chave;
}

int64_t TSistema::Divide(integracao::TfrConsultaImportacaoExtratoBancario& t, const TOferta& linha, int64_t idDyq,
                         char lado, const std::vector<int64_t>& linhas) {
  integracao_host::Seleciona(*t.grGrid, {{"row", LinhaDaOferta(*t.DAOLinhas(), linha, idDyq)}});
  const int64_t chave = integracao::campos::Int(*t.DAOLinhas(), "BDCHAVE");
  integracao_host::Clica(*t.spEditar);
  vyn::ProcessMessages();
  auto& tela = TelaAberta<vyn::TForm_VYN>(t, "TfrImportacaoOFCMultiLancamento");
  for (int64_t v : linhas) {
    integracao_host::DefineValor(Controle(tela, lado == 'D' ? "edDebito" : "edCredito"),
                                 {{"value", std::to_string(lado == 'D' ? kContaDespesas : kContaReceitas)}});
    integracao_host::DefineValor(Controle(tela, "edValor"), {{"value", fmt::format("{},{:02}", v / 100, v % 100)}});
    integracao_host::Clica(Controle(tela, "spIncluir"));
  }
  integracao_host::Clica(Controle(tela, "spConfirmar"));
  vyn::ProcessMessages();
  return chave;
}

void TSistema::Fecha(integracao::TfrConsultaImportacaoExtratoBancario& t) {
  auto* filtro = dynamic_cast<vyn::TForm_VYN*>(t.Owner());
  t.Close();
  vyn::ProcessMessages();
  if (filtro) filtro->Close();
  vyn::ProcessMessages();
  vyn::AguardaRemocoesSessoes();
}

// ---- what other programs of the suite do ----

void TSistema::ApagaLancamento(const std::string& dcto, int64_t centavos, TLado lado, int64_t idDyq) {
  const char* lados = lado == TLado::Ambos ? " AND BDDEBITO IS NOT NULL AND BDCREDITO IS NOT NULL AND (BDDEBITO = ? OR BDCREDITO = ?)"
                      : lado == TLado::Banco ? " AND (BDDEBITO IS NULL OR BDCREDITO IS NULL) AND (BDDEBITO = ? OR BDCREDITO = ?)"
                                             : " AND COALESCE(BDDEBITO, 0) <> ? AND COALESCE(BDCREDITO, 0) <> ?";
  std::vector<int64_t> candidatas;
  Db().Query(std::string("SELECT BDCHAVE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDDCTO = ? AND BDVALOR = ?") +
                 lados + " ORDER BY BDCHAVE DESC",
             {kEmpresa, dcto, vyn::Currency::FromRaw(centavos * 100), kContaBanco, kContaBanco},
             [&](const std::vector<vyn::TColumnInfo>&, const std::vector<vyn::Variant>& row) {
               candidatas.push_back(row[0].AsInteger());
             });
  if (candidatas.empty()) throw std::runtime_error("nenhum lançamento de " + dcto + " no valor " + ValorJson(centavos));
  // Equal lines of one statement book equal entries: the one deleted is that of the model's line, as the
  // books' record of sources names it (an item by its id; a line without one under no item's key).
  int64_t chave = candidatas.front();
  if (idDyq >= 0)
    for (int64_t c : candidatas) {
      const std::string dono = FonteDoLancamento(c);
      if (idDyq > 0 ? dono == vyn::ChaveItemDyq(idDyq) : !dono.starts_with(vyn::kPrefixoItemDyq)) {
        chave = c;
        break;
      }
    }
  // The suite's entry screen leaves the installment its payment, no longer naming the entry.
  vyn::ExecutaComoSuite(Db(), "UPDATE VEF_EMP_TMOVENTPARPGTO SET BDCHAVELAN = NULL WHERE BDCODEMP = ? AND BDCHAVELAN = ?",
                        {kEmpresa, chave});
  vyn::ExecutaComoSuite(Db(), "DELETE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDCHAVE = ?", {kEmpresa, chave});
}

std::string TSistema::FonteDoLancamento(int64_t chave) {
  const vyn::Variant f = Db().QueryValue(
      "SELECT FIRST 1 BDFONTE FROM (SELECT BDFONTE FROM TINTEGRACAO_FONTE_LANCADA WHERE BDCODEMP = ? AND BDCHAVELAN = ? "
      "UNION ALL SELECT BDFONTE FROM TINTEGRACAO_FONTE_PARTE WHERE BDCODEMP = ? AND BDCHAVELAN = ?)",
      {kEmpresa, chave, kEmpresa, chave});
  return f.IsNull() ? std::string() : f.AsString();
}

void TSistema::LancaAMao(const TMovimento& m) {
  const bool saida = m.Lado == 'D';
  const int chave = 90000 + Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ?", {kEmpresa}).AsInteger();
  vyn::ExecutaComoSuite(Db(),
                        "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO,"
                        " BDCOMPL, BDCODPLAPADRAO, BDCONCD, BDCONCC) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, 'FALSE', 'FALSE')",
                        {kEmpresa, chave, fmt::format("{}-{:02}-{:02}", kAno, m.Mes, m.Dia),
                         saida ? kContaDespesas : kContaBanco, saida ? kContaBanco : kContaReceitas,
                         vyn::Currency::FromRaw(m.Centavos * 100), m.Dcto, m.Texto});
}

void TSistema::CriaParcela(int chave, int64_t centavos) {
  const vyn::Currency valor = vyn::Currency::FromRaw(centavos * 100);
  vyn::ExecutaComoSuite(Db(), "INSERT INTO VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDDATAENTRADAENT, BDVALORCONTABIL)"
                              " VALUES (?, ?, ?, '2025-01-02', ?)", {kEmpresa, chave, 4700 + chave, valor});
  vyn::ExecutaComoSuite(Db(), "INSERT INTO VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDPARCELAPAR, BDDATAVENCTOPAR,"
                              " BDVALORPAR) VALUES (?, ?, 1, '1/1', '2025-01-20', ?)", {kEmpresa, chave, valor});
}

void TSistema::EncerraJaneiro() {
  vyn::ExecutaComoSuite(Db(), "UPDATE TEMPRESAS_REF SET BDULTENC = '2025-01-31' WHERE BDCODEMP = ?", {kEmpresa});
}

void TSistema::BloqueiaFevereiro() {
  vyn::ExecutaComoSuite(Db(),
                        "INSERT INTO TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO)"
                        " VALUES (1, ?, 'frConsultaImportacaoExtratoBancario', '2025-02-01', '2025-02-28', 'auditoria')",
                        {kEmpresa});
}

// ---- what the books hold ----

std::map<std::string, TLancadoDcto> TSistema::Lancado() {
  std::map<std::string, TLancadoDcto> r;
  const auto q = Db().QueryAll(
      "SELECT BDDCTO, BDDEBITO, BDCREDITO, BDVALOR FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDDCTO STARTING WITH '7'",
      {kEmpresa});
  for (size_t i = 0; i < q.Rows.size(); ++i) {
    TLancadoDcto& l = r[q.Value(i, "BDDCTO").AsString()];
    auto conta = [&](const char* c) { return q.Value(i, c).IsNull() ? 0 : q.Value(i, c).AsInteger(); };
    const int64_t v = EmCentavos(q.Value(i, "BDVALOR").AsCurrency());
    if (conta("BDDEBITO") == kContaBanco || conta("BDCREDITO") == kContaBanco) l.Banco += v;
    // A split row has one side only: its account is the counterpart, whichever side it is on.
    const int64_t outra = conta("BDDEBITO") == kContaBanco || conta("BDDEBITO") == 0 ? conta("BDCREDITO") : conta("BDDEBITO");
    if (outra != 0 && outra != kContaBanco) l.Contrapartida += v;
    ++l.Lancamentos;
  }
  return r;
}

std::map<int, int64_t> TSistema::Pago() {
  std::map<int, int64_t> r;
  const auto q = Db().QueryAll("SELECT BDCHAVE, SUM(BDVALORPGTO) AS PAGO FROM VEF_EMP_TMOVENTPARPGTO WHERE BDCODEMP = ?"
                               " GROUP BY BDCHAVE", {kEmpresa});
  for (size_t i = 0; i < q.Rows.size(); ++i)
    r[q.Value(i, "BDCHAVE").AsInteger()] = EmCentavos(q.Value(i, "PAGO").AsCurrency());
  return r;
}

std::string TSistema::ViolacoesNovas() {
  auto agora = integracao_host::TInvariantesRazao::Le(Db());
  // The lock is the review's alone and the rule cannot tell which road wrote an entry: the tasks book
  // February under it, rightly. What the review books of a locked month the documents' check catches.
  agora.erase("lançamento em período bloqueado");
  std::string novas = integracao_host::TInvariantesRazao::Novas(violacoes_, agora);
  violacoes_ = std::move(agora);
  return novas;
}

void TSistema::RelerViolacoes() { violacoes_ = integracao_host::TInvariantesRazao::Le(Db()); }

}  // namespace modelo
