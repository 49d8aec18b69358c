#include "host/host_app.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/class_registry.h"
#include "framework/component/fila_mensagens.h"
#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/auto_thread.h"
#include "framework/host/notificacoes.h"
#include "framework/host/posting_lock_check.h"
#include "framework/host/publicas.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/schema.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/log_event_db.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/processo_padrao.h"
#include "framework/ui/terminal_dialogs.h"
#include "host/demo_seed.h"
#include "host/module_loader.h"
#include "host/screen_script.h"
#include "host/terminal_progress.h"

namespace integracao_host {

namespace {

constexpr int kSucesso = 0;
constexpr int kComErros = 1;
constexpr int kUsoInvalido = 2;
// A run ended by SIGINT or SIGTERM exits as the shells report a signal's end: 128 + the signal.
constexpr int kInterrompido = 128;
// The host's own table of the users it has seen and their codes.
constexpr const char* kTabelaUsuarios = "VYN_USUARIO_HOST";

// Bad usage: one line, exit status 2.
class EUso : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

const char* kUso =
    "uso: integracao-host [--db PATH] [--module PATH] [opções do usuário] COMANDO\n"
    "  init DB [--demo]\n"
    "  list\n"
    "  task CLASSE [nome=valor ...] [--params JSON] [--referencia AAAAMM] [--agendamento N --plano N --ordem N]\n"
    "  screen CLASSE --script ARQUIVO.json [--referencia AAAAMM]\n"
    "  notifications\n"
    "  notification N --script ARQUIVO.json\n"
    "opções do usuário (também num arquivo --config ARQUIVO.json com as mesmas chaves sem \"--\"):\n"
    "  --user NOME  --intranet-user NOME  --services-team  --master-group  --customer CODIGO\n"
    "  --help       mostra este texto\n";

struct TOpcoes {
  std::string Comando;
  std::vector<std::string> Argumentos;
  std::string Banco;
  std::string Modulo;
  std::string Script;
  std::optional<std::string> Params;
  bool Demo = false;
  bool Ajuda = false;
  std::string Config;
  // The user's profile; unset values come from the configuration file, then from the system.
  std::optional<std::string> Usuario;
  std::optional<std::string> UsuarioIntranet;
  std::optional<std::string> Cliente;
  std::optional<bool> EquipeServicos;
  std::optional<bool> GrupoMaster;
  int Referencia = 0;
  int Agendamento = 0;
  int Plano = 0;
  int Ordem = 0;
};

int Inteiro(const std::string& opcao, const std::string& texto) {
  int v = 0;
  auto [p, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), v);
  if (texto.empty() || ec != std::errc() || p != texto.data() + texto.size())
    throw EUso(opcao + " espera um número: " + texto);
  return v;
}

TOpcoes LeOpcoes(int argc, char** argv) {
  TOpcoes o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto valor = [&]() -> std::string {
      if (i + 1 >= argc) throw EUso(a + " espera um valor");
      return argv[++i];
    };
    if (a == "--db") o.Banco = valor();
    else if (a == "--module") o.Modulo = valor();
    else if (a == "--script") o.Script = valor();
    else if (a == "--params") o.Params = valor();
    else if (a == "--demo") o.Demo = true;
    else if (a == "--help" || a == "-h") o.Ajuda = true;
    else if (a == "--config") o.Config = valor();
    else if (a == "--user") o.Usuario = valor();
    else if (a == "--intranet-user") o.UsuarioIntranet = valor();
    else if (a == "--customer") o.Cliente = valor();
    else if (a == "--services-team") o.EquipeServicos = true;
    else if (a == "--master-group") o.GrupoMaster = true;
    else if (a == "--referencia") o.Referencia = Inteiro(a, valor());
    else if (a == "--agendamento") o.Agendamento = Inteiro(a, valor());
    else if (a == "--plano") o.Plano = Inteiro(a, valor());
    else if (a == "--ordem") o.Ordem = Inteiro(a, valor());
    else if (a.rfind("--", 0) == 0) throw EUso("opção desconhecida: " + a);
    else if (o.Comando.empty()) o.Comando = a;
    else o.Argumentos.push_back(a);
  }
  if (o.Ajuda) return o;
  if (o.Comando.empty()) throw EUso("nenhum comando");
  if (o.Banco.empty())
    if (const char* env = std::getenv("INTEGRACAO_DB")) o.Banco = env;
  if (o.Referencia != 0 && !vyn::IsValidAnoMes(o.Referencia))
    throw EUso("referência inválida: " + std::to_string(o.Referencia));
  return o;
}

std::unique_ptr<TModuloCarregado> CarregaModulo(const TOpcoes& o) {
  const std::string path = o.Modulo.empty() ? PastaDoExecutavel() + "/libintegracao.so" : o.Modulo;
  try {
    return std::make_unique<TModuloCarregado>(path);
  } catch (const EModuleError& e) {
    throw EUso(e.what());
  }
}

std::string NomeDoTipo(vyn::TTipoStatusConferencia s) {
  switch (s) {
    case vyn::tscSucesso: return "sucesso";
    case vyn::tscInconsistente: return "inconsistente";
    case vyn::tscSubstituido: return "substituído";
    case vyn::tscExcluido: return "excluído";
    case vyn::tscErro: return "erro";
  }
  return "?";
}

// The host's working context for a run against a company database.
class TSessao {
 public:
  TSessao(const TOpcoes& o, std::ostream& out) : dialogs_(std::cin, out) {
    if (o.Banco.empty()) throw EUso("banco de dados não informado (--db PATH ou INTEGRACAO_DB)");
    if (!vyn::IsRemoteConnection(o.Banco) && !std::filesystem::exists(o.Banco))
      throw EUso("banco de dados não encontrado: " + o.Banco);
    vyn::ReservaSinaisInterrupcao();
    try {
      db_.Open(o.Banco);
    } catch (const vyn::EDatabaseError& e) {
      if (e.IsOpenByAnotherProcess()) throw EUso(e.what());
      throw;
    }
    // The module works through this attachment: only the books' gate writes the money tables through it.
    vyn::MarcaConexaoDoModulo(db_);
    // After the engine is loaded: the run, not the engine, decides what a signal ends.
    vyn::InstalaTratadorInterrupcao();
    pool_ = std::make_unique<vyn::TSQLMGRPool>(&db_);
    log_ = std::make_unique<vyn::TDatabaseLogWriter>(db_);
    vyn::TProcessContext& ctx = vyn::ProcessContext();
    ctx.Database = &db_;
    ctx.SQLPool = pool_.get();
    ctx.Dialogs = &dialogs_;
    ctx.PostingLocks = &bloqueios_;
    ctx.ActionLog = log_.get();
    ctx.CodeLookup = &consultaCodigos_;
    ctx.Notificacoes = &notificacoes_;
    // The installation's folder (plan folders, SPED validation work): the host's own, unless the
    // installation puts it elsewhere.
    const char* pasta = std::getenv("INTEGRACAO_PASTA_PROGRAMA");
    ctx.ProgramFolder = pasta && *pasta ? pasta : PastaDoExecutavel();
    if (const char* u = std::getenv("USER")) ctx.UserName = u;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) ctx.Workstation = host;
    ctx.WP_AGENDAMENTO = o.Agendamento;
    ctx.WP_PLANO_TARVO = o.Plano;
    ctx.WP_ORDEM_AGENDAMENTO = o.Ordem;
    vyn::TPublicas::SetReferencia(o.Referencia ? o.Referencia : vyn::AnoMes(vyn::Today()));
    if (::isatty(STDERR_FILENO)) ctx.Progress = &progresso_;
  }
  ~TSessao() {
    // The engine's detach does not return once a signal has reached the process, and while it waits
    // it holds the engine's machine-wide start lock: an interrupted run has rolled back and written
    // its status, so the program ends here, leaving the attachment to the system. Work that said it was
    // complete before the signal ends with the outcome it printed.
    if (const int sinal = vyn::SinalInterrupcao()) {
      std::cout.flush();
      std::cerr.flush();
      std::fflush(nullptr);
      std::_Exit(vyn::TExecucaoConcluida::Marcada() && saida_ >= 0 ? saida_ : kInterrompido + sinal);
    }
    // A closed review's work rows go behind it: the run ends once they are gone.
    vyn::AguardaRemocoesSessoes();
    vyn::ProcessContext() = vyn::TProcessContext();
  }
  TSessao(const TSessao&) = delete;
  TSessao& operator=(const TSessao&) = delete;

  vyn::TDatabase& Db() { return db_; }
  vyn::TTerminalDialogs& Dialogs() { return dialogs_; }
  vyn::TNotificacoesBanco& Notificacoes() { return notificacoes_; }
  // The exit status of the run's outcome, as printed.
  int Encerra(int saida) { return saida_ = saida; }

 private:
  int saida_ = -1;
  vyn::TDatabase db_;
  std::unique_ptr<vyn::TSQLMGRPool> pool_;
  std::unique_ptr<vyn::TDatabaseLogWriter> log_;
  vyn::TTerminalDialogs dialogs_;
  vyn::TVerificaBloqueioLancamento bloqueios_;
  vyn::TConsultaCodigosBanco consultaCodigos_;
  vyn::TNotificacoesBanco notificacoes_{db_};
  TTerminalProgress progresso_;
};

nlohmann::json LeConfiguracao(const std::string& caminho) {
  if (caminho.empty()) return nlohmann::json::object();
  std::ifstream f(caminho);
  if (!f) throw EUso("configuração não encontrada: " + caminho);
  nlohmann::json c;
  try {
    c = nlohmann::json::parse(f);
  } catch (const nlohmann::json::exception& e) {
    throw EUso("configuração inválida: " + caminho + ": " + e.what());
  }
  if (!c.is_object()) throw EUso("configuração inválida: " + caminho + ": não é um objeto");
  for (const auto& [chave, valor] : c.items()) {
    const bool texto = chave == "user" || chave == "intranet-user" || chave == "customer";
    const bool logico = chave == "services-team" || chave == "master-group";
    if (!texto && !logico) throw EUso("configuração: chave desconhecida: " + chave);
    if ((texto && !valor.is_string()) || (logico && !valor.is_boolean()))
      throw EUso("configuração: valor inválido em " + chave + ": " + valor.dump());
  }
  return c;
}

// The suite's login gives the user's code with the name. The host keeps a code for each name it has
// seen, in a table of its own, so that what is kept per user (an acknowledgement, a counter) is each
// user's and never one shared by all under code 0.
int CodigoDoUsuario(vyn::TDatabase& db, const std::string& nome) {
  db.CreateTableIfMissing(kTabelaUsuarios, std::string("CREATE TABLE ") + kTabelaUsuarios +
                                               " (BDCODUSU INTEGER NOT NULL PRIMARY KEY, BDNOME VARCHAR(100) NOT NULL UNIQUE)");
  const std::string busca = std::string("SELECT BDCODUSU FROM ") + kTabelaUsuarios + " WHERE BDNOME = ?";
  vyn::Variant codigo = db.QueryValue(busca, {vyn::Variant(nome)});
  // Workstations starting at once may register users at once: a code or name taken meanwhile is read
  // again (a few times at most: each try loses only to a registration that succeeded).
  for (int tentativa = 0; codigo.IsNull() && tentativa < 5; ++tentativa) {
    try {
      db.Execute(std::string("INSERT INTO ") + kTabelaUsuarios +
                     " (BDCODUSU, BDNOME) SELECT COALESCE(MAX(BDCODUSU), 0) + 1, ? FROM " + kTabelaUsuarios,
                 {vyn::Variant(nome)});
    } catch (const vyn::EDatabaseError& e) {
      if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
    }
    codigo = db.QueryValue(busca, {vyn::Variant(nome)});
  }
  if (codigo.IsNull()) throw vyn::EDatabaseError("Não foi possível registrar o usuário " + nome + ".");
  return static_cast<int>(codigo.AsInteger());
}

// The user's profile and the installation's customer code, as the suite's login gives them: the
// options first, then the configuration file; the user's name defaults to the system's.
void AplicaPerfil(const TOpcoes& o) {
  const nlohmann::json c = LeConfiguracao(o.Config);
  vyn::TProcessContext& ctx = vyn::ProcessContext();
  auto texto = [&](const std::optional<std::string>& opcao, const char* chave, std::string& destino) {
    if (opcao) destino = *opcao;
    else if (c.contains(chave)) destino = c.at(chave).get<std::string>();
  };
  auto logico = [&](const std::optional<bool>& opcao, const char* chave, bool& destino) {
    if (opcao) destino = *opcao;
    else if (c.contains(chave)) destino = c.at(chave).get<bool>();
  };
  texto(o.Usuario, "user", ctx.UserName);
  const std::string nome = vyn::Trim(ctx.UserName);
  if (ctx.Database && !nome.empty()) ctx.UserCode = CodigoDoUsuario(*ctx.Database, vyn::Utf8Left(nome, 100));
  texto(o.UsuarioIntranet, "intranet-user", ctx.UserIntranetName);
  texto(o.Cliente, "customer", ctx.CustomerCode);
  logico(o.EquipeServicos, "services-team", ctx.WP_USUARIO_INTEGRA_EQUIPE);
  logico(o.GrupoMaster, "master-group", ctx.WP_GRUPOMASTER);
}

// The period date a run left the workstation (an export's end date), as the host keeps it.
void MostraDataPeriodo(std::ostream& out) {
  const vyn::TDateTime data = vyn::ProcessContext().DataPeriodo;
  if (data != vyn::TDateTime()) out << "Data do período: " << vyn::DateToStr(data) << "\n";
}

// The host's menus list every screen the platform and the module registered, so that a report
// sequence of any kind (companies, employees, clients) can offer them.
void RegistraMenus() {
  constexpr int kTiposSequencia[] = {1, 2, 3};
  vyn::TMenuSistema& menu = vyn::MenuSistema();
  for (const std::string& classe : vyn::ClassRegistry().RegisteredClassNames(vyn::TClassKind::Screen)) {
    if (menu.Find("mn" + classe)) continue;
    for (int tipo : kTiposSequencia) menu.Entradas.push_back({tipo, "mn" + classe, classe, classe, 0});
  }
}

// The application's main window: the owner of the screens opened from the menus.
struct TJanelaPrincipal {
  TJanelaPrincipal() : form(vyn::MakeForm<vyn::TForm_VYN>()) {
    form->SetName("frPrincipal");
    vyn::ProcessContext().MainForm = form.get();
    form->Show();
  }
  ~TJanelaPrincipal() { vyn::ProcessContext().MainForm = nullptr; }
  TJanelaPrincipal(const TJanelaPrincipal&) = delete;
  TJanelaPrincipal& operator=(const TJanelaPrincipal&) = delete;
  vyn::TFormPtr<vyn::TForm_VYN> form;
};

vyn::TRegisteredClass ClasseDoTipo(const std::string& nome, vyn::TClassKind tipo, const char* descricao) {
  auto c = vyn::ClassRegistry().FindClass(nome);
  if (!c) throw EUso("classe desconhecida: " + nome);
  if (c->Kind != tipo) throw EUso(c->Name + " não é " + descricao);
  return *c;
}

int ComandoInit(const TOpcoes& o, std::ostream& out) {
  if (o.Argumentos.size() != 1) throw EUso("init espera o caminho do banco de dados");
  const std::string& path = o.Argumentos[0];
  // On a server (host:path) the file is the server's: the server refuses an existing one.
  if (!vyn::IsRemoteConnection(path)) {
    if (std::filesystem::exists(path)) throw EUso("o banco de dados já existe: " + path);
    const auto pasta = std::filesystem::path(path).parent_path();
    if (!pasta.empty()) std::filesystem::create_directories(pasta);
  }
  const int referencia = o.Referencia ? o.Referencia : vyn::AnoMes(vyn::Today());
  // Schema and demonstration data together: a failure of either leaves no file behind.
  auto db = vyn::CreateDatabase(path, [&](vyn::TDatabase& novo) {
    vyn::CompanySchema().Apply(novo);
    if (o.Demo) SemeiaDemonstracao(novo, referencia);
  });
  out << "Banco de dados criado: " << path << "\n";
  if (o.Demo) {
    out << "Dados de demonstração: matriz 1, filial 2, plano de contas 1, plano de históricos 1, "
           "configuração online de "
        << vyn::AnoMesToText(referencia) << "\n";
  }
  return kSucesso;
}

int ComandoList(const TOpcoes& o, std::ostream& out) {
  if (!o.Argumentos.empty()) throw EUso("list não recebe argumentos");
  auto modulo = CarregaModulo(o);
  const std::pair<vyn::TClassKind, const char*> tipos[] = {{vyn::TClassKind::Screen, "Telas"},
                                                           {vyn::TClassKind::Task, "Tarefas"},
                                                           {vyn::TClassKind::ImportLine, "Classes de importação"},
                                                           {vyn::TClassKind::Other, "Outras classes"}};
  for (const auto& [tipo, titulo] : tipos) {
    const auto nomes = vyn::ClassRegistry().RegisteredClassNames(tipo);
    out << titulo << ":" << (nomes.empty() ? " (nenhuma)" : "") << "\n";
    for (const auto& n : nomes) out << "  " << n << "\n";
  }
  return kSucesso;
}

int ComandoTask(const TOpcoes& o, std::ostream& out, std::ostream& err) {
  if (o.Argumentos.empty()) throw EUso("task espera o nome da classe");
  auto modulo = CarregaModulo(o);
  const vyn::TRegisteredClass classe = ClasseDoTipo(o.Argumentos[0], vyn::TClassKind::Task, "uma tarefa");
  std::vector<std::pair<std::string, std::string>> params;
  for (size_t i = 1; i < o.Argumentos.size(); ++i) {
    const auto eq = o.Argumentos[i].find('=');
    if (eq == std::string::npos || eq == 0) throw EUso("parâmetro sem nome=valor: " + o.Argumentos[i]);
    params.emplace_back(o.Argumentos[i].substr(0, eq), o.Argumentos[i].substr(eq + 1));
  }
  nlohmann::json json_params = nlohmann::json::object();
  if (o.Params) {
    try {
      json_params = nlohmann::json::parse(*o.Params);
    } catch (const nlohmann::json::exception& e) {
      throw EUso(std::string("--params não é JSON: ") + e.what());
    }
  }
  TSessao sessao(o, out);
  AplicaPerfil(o);
  RegistraMenus();
  vyn::ProcessContext().IsServiceVarku = true;
  TJanelaPrincipal principal;
  vyn::TComponent aplicacao;  // the task's owner; freed before the module goes
  auto* task = dynamic_cast<vyn::TAutoThreadPadrao*>(vyn::ClassRegistry().CreateComponent(classe.Name, aplicacao));
  if (!task) throw EUso(classe.Name + " não deriva de TAutoThreadPadrao");
  for (const auto& [nome, valor] : params) task->SetParametro(nome, valor);
  task->Parametros = json_params;

  // The log as the run writes it: a run stopped midway has shown what it had done.
  out << "Log:\n" << std::flush;
  task->OnLog = [&out](const std::string& linha) { out << "  " << linha << "\n" << std::flush; };
  std::optional<std::string> erro;
  int sinal = 0;
  try {
    task->ExecuteTask();
    vyn::VerificaInterrupcao();   // a stop after the run's last look ends the program all the same
  } catch (const std::exception& e) {
    erro = vyn::RemoveCaret(e.what());
  } catch (const vyn::EInterrupcao& e) {
    erro = e.Mensagem();
    sinal = e.Sinal();
  } catch (...) {
    erro = "erro desconhecido";
  }
  // The run's report is read also when a signal ended it.
  vyn::TSemInterrupcao relato;

  task->OnLog = nullptr;
  // This run's own outcome, as it wrote it to its status row: the row is shared by every run of the
  // same schedule key, and another workstation's run may already have started over it.
  const vyn::TTipoStatusConferencia status = task->StatusExecucao();
  out << "Status: " << status << " (" << NomeDoTipo(status) << ") " << task->MensagemExecucao() << "\n";
  out << "Mensagem: " << vyn::RemoveCaret(vyn::ProcessContext().FMensagemInconsistencia) << "\n";
  // The answer pairs the task gave its caller (files found, ...), as the automation service receives them.
  if (!vyn::ProcessContext().FRetornoServidor.empty())
    out << "Retorno: " << vyn::ProcessContext().FRetornoServidor << "\n";
  MostraDataPeriodo(out);
  if (erro) {
    err << "erro: " << *erro << "\n";
    return sessao.Encerra(sinal ? kInterrompido + sinal : kComErros);
  }
  return sessao.Encerra(status == vyn::tscSucesso ? kSucesso : kComErros);
}

nlohmann::json LeScript(const std::string& caminho) {
  std::ifstream arquivo(caminho);
  if (!arquivo) throw EUso("script não encontrado: " + caminho);
  try {
    return nlohmann::json::parse(arquivo);
  } catch (const std::exception& e) {
    throw EUso("script inválido: " + caminho + ": " + e.what());
  }
}

// Lets the main thread's messages run while work a screen left in the background goes on (a fetch the
// user chose to be notified of): what it finishes is delivered before the program ends. Each such
// work bounds its own wait; a signal ends this one.
void AguardaSegundoPlano(std::ostream& out) {
  if (vyn::FilaMensagens().EmSegundoPlano() == 0) return;
  out << "Aguardando a conclusão do processo em segundo plano...\n";
  while (vyn::FilaMensagens().EmSegundoPlano() > 0) {
    vyn::ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  vyn::ProcessMessages();
}

// The screen a run opens: the class named on the command line, or the one a notification names,
// given the notification's parameters.
struct TTelaAberta {
  std::string Classe;
  std::optional<std::string> Parametros;
};

int ExecutaTela(const TOpcoes& o, std::ostream& out, std::ostream& err,
                const std::function<TTelaAberta(TSessao&)>& escolhe) {
  if (o.Script.empty()) throw EUso(o.Comando + " espera --script ARQUIVO.json");
  const nlohmann::json script = LeScript(o.Script);
  // Loaded first, gone last: the script keeps calls of the module's screens (a list's execute-item).
  auto modulo = CarregaModulo(o);
  std::optional<TExecucaoScript> execucao;
  try {
    execucao.emplace(script, std::cin, out, err);
  } catch (const std::exception& e) {
    throw EUso("script inválido: " + o.Script + ": " + e.what());
  }
  TSessao sessao(o, out);
  // The user first: a notification is taken up by the user it was made for.
  AplicaPerfil(o);
  const TTelaAberta tela = escolhe(sessao);
  const vyn::TRegisteredClass classe = ClasseDoTipo(tela.Classe, vyn::TClassKind::Screen, "uma tela");
  RegistraMenus();
  // The script follows the screens as they open and answers the dialogs.
  vyn::ProcessContext().Dialogs = &*execucao;
  execucao->InstalaProgresso(vyn::ProcessContext().Progress);
  vyn::ProcessContext().Progress = &*execucao;
  TJanelaPrincipal principal;
  bool ok = false;
  const vyn::TInconsistencias_VYN* lista = nullptr;
  try {
    vyn::TListaObj parametros;
    if (tela.Parametros) parametros.AddText(*tela.Parametros);
    vyn::TForm_VYN* form = vyn::TPackagesUtil::CarregaFormERetorna(classe.Name, principal.form.get(),
                                                                    std::move(parametros));
    form->Show();
    ok = execucao->Executa(*form);
    AguardaSegundoPlano(out);
    // A stop that came after the run's last look still ends the program: it is told like any other.
    vyn::VerificaInterrupcao();
    // A screen that closed itself with caFree is gone from its owner.
    const auto& vivos = principal.form->Components();
    if (std::find(vivos.begin(), vivos.end(), form) != vivos.end())
      if (auto* processo = dynamic_cast<vyn::TfrProcesso_Padrao_VYN*>(form)) lista = processo->Inconsistencias_VYN();
  } catch (const std::exception& e) {
    // Also after the script's steps: a background result that could not be kept is a failed run.
    err << "erro: " << vyn::RemoveCaret(e.what()) << "\n";
    ok = false;
  } catch (const vyn::EInterrupcao& e) {
    err << "erro: " << e.Mensagem() << "\n";
    return kInterrompido + e.Sinal();
  }
  if (lista && !lista->IsEmpty() && !execucao->JaMostrou(*lista))
    execucao->ShowInconsistencias(*lista, "Inconsistências");
  MostraDataPeriodo(out);
  const bool problemas = lista && (lista->CountErros() > 0 || lista->CountAtencao() > 0);
  return sessao.Encerra(ok && !problemas && !execucao->MostrouProblemas() && !execucao->Cancelou() ? kSucesso
                                                                                                   : kComErros);
}

int ComandoScreen(const TOpcoes& o, std::ostream& out, std::ostream& err) {
  if (o.Argumentos.size() != 1) throw EUso("screen espera o nome da classe");
  return ExecutaTela(o, out, err, [&](TSessao&) { return TTelaAberta{o.Argumentos[0], std::nullopt}; });
}

// The user's notifications not taken up yet.
int ComandoNotifications(const TOpcoes& o, std::ostream& out) {
  if (!o.Argumentos.empty()) throw EUso("notifications não recebe argumentos");
  TSessao sessao(o, out);
  AplicaPerfil(o);
  const std::vector<vyn::TNotificacao> pendentes = sessao.Notificacoes().Pendentes();
  if (pendentes.empty()) out << "Nenhuma notificação.\n";
  for (const vyn::TNotificacao& n : pendentes)
    out << n.Id << "  " << vyn::FormatDate("dd/mm/yyyy hh:nn", n.DataHora) << "  " << n.Titulo << "\n";
  return kSucesso;
}

// Opens the screen a notification names with what it brought; a notification is taken up once.
int ComandoNotification(const TOpcoes& o, std::ostream& out, std::ostream& err) {
  if (o.Argumentos.size() != 1) throw EUso("notification espera o número da notificação");
  const int id = Inteiro("notification", o.Argumentos[0]);
  return ExecutaTela(o, out, err, [&](TSessao& sessao) {
    const std::optional<vyn::TNotificacao> n = sessao.Notificacoes().Toma(id);
    if (!n) throw EUso("notificação " + std::to_string(id) + " não encontrada ou já aberta");
    return TTelaAberta{n->Classe, n->Parametros};
  });
}

}  // namespace

int ExecutaHost(int argc, char** argv, std::ostream& out, std::ostream& err) {
  try {
    const TOpcoes o = LeOpcoes(argc, argv);
    if (o.Ajuda) {
      out << kUso;
      return kSucesso;
    }
    if (o.Comando == "init") return ComandoInit(o, out);
    if (o.Comando == "list") return ComandoList(o, out);
    if (o.Comando == "task") return ComandoTask(o, out, err);
    if (o.Comando == "screen") return ComandoScreen(o, out, err);
    if (o.Comando == "notifications") return ComandoNotifications(o, out);
    if (o.Comando == "notification") return ComandoNotification(o, out, err);
    throw EUso("comando desconhecido: " + o.Comando);
  } catch (const EUso& e) {
    err << "integracao-host: " << e.what() << "\n";
    if (argc <= 1) err << kUso;
    return kUsoInvalido;
  } catch (const vyn::EInterrupcao& e) {
    err << "integracao-host: " << e.Mensagem() << "\n";
    return kInterrompido + e.Sinal();
  } catch (const std::exception& e) {
    err << "integracao-host: " << vyn::RemoveCaret(e.what()) << "\n";
    return kComErros;
  }
}

}  // namespace integracao_host
