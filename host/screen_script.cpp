#include "host/screen_script.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "framework/component/fila_mensagens.h"
#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/inconsistencias.h"
#include "host/screen_controls.h"

namespace integracao_host {

namespace {

using nlohmann::json;
using vyn::TControl;

vyn::TComponent* Procura(vyn::TComponent& raiz, const std::string& nome) {
  for (vyn::TComponent* c : raiz.Components()) {
    if (vyn::SameText(c->Name(), nome)) return c;
    // A screen it owns is a screen of its own, reached by its own name.
    if (dynamic_cast<vyn::TForm_VYN*>(c)) continue;
    if (vyn::TComponent* achado = Procura(*c, nome)) return achado;
  }
  return nullptr;
}

void DisparaTimers(vyn::TComponent& raiz) {
  for (vyn::TComponent* c : std::vector<vyn::TComponent*>(raiz.Components())) {
    if (auto* t = dynamic_cast<vyn::TTimer*>(c)) t->Fire();
    else if (!dynamic_cast<vyn::TForm_VYN*>(c)) DisparaTimers(*c);
  }
}

// An answer is a word or a number, or {"answer": ..., "hold_until_stopped": true}: the user answers
// and then stops the program (Ctrl+C, a shutdown) before the run goes on.
int Resposta(const json& v) {
  if (v.is_object()) return Resposta(v.at("answer"));
  if (v.is_number_integer()) return v.get<int>();
  const std::string t = vyn::LowerCase(Texto(v));
  if (t == "yes" || t == "sim" || t == "s") return vyn::mrYes;
  if (t == "no" || t == "não" || t == "nao" || t == "n") return vyn::mrNo;
  if (t == "ok") return vyn::mrOk;
  if (t == "cancel" || t == "cancelar") return vyn::mrCancel;
  throw std::invalid_argument("resposta desconhecida: " + v.dump());
}

const json& Secoes(const json& script) {
  static const json vazia = json::array();
  if (!script.is_object()) return vazia;
  if (script.contains("modals")) return script.at("modals");
  return script.contains("screens") ? script.at("screens") : vazia;
}

}  // namespace

std::vector<int> RespostasDoScript(const json& script) {
  std::vector<int> r;
  if (script.is_object() && script.contains("answers"))
    for (const auto& a : script.at("answers")) r.push_back(Resposta(a));
  return r;
}

TExecucaoScript::TExecucaoScript(const json& script, std::istream& in, std::ostream& out, std::ostream& err)
    : vyn::TTerminalDialogs(in, out), script_(script), out_(out), err_(err) {
  const json& secoes = Secoes(script);
  if (!secoes.is_array()) throw std::invalid_argument("\"modals\" não é uma lista");
  for (const json& m : secoes) {
    if (!m.is_object() || !m.contains("form") || !m.at("form").is_string())
      throw std::invalid_argument("tela sem \"form\": " + m.dump());
    secoes_.push_back({m.at("form").get<std::string>(), m.value("steps", json::array())});
  }
  PresetAnswers(RespostasDoScript(script));
  if (script.is_object() && script.contains("answers"))
    for (const json& a : script.at("answers"))
      aguarda_parada_.push_back(a.is_object() && a.value("hold_until_stopped", false));
  if (script.is_object() && script.contains("choices")) {
    if (!script.at("choices").is_array()) throw std::invalid_argument("\"choices\" não é uma lista");
    for (const json& e : script.at("choices")) escolhas_.push_back(e);
  }
}

void TExecucaoScript::SemResposta(const std::string& oque) {
  const std::string msg = "o script não responde " + oque;
  err_ << msg << "\n";
  // Also when the screen catches the throw and carries on: the run has not done what was asked.
  ok_ = false;
  throw std::invalid_argument(msg);
}

int TExecucaoScript::Message(const vyn::TDialogRequest& request) {
  const bool aviso = (request.Buttons & ~static_cast<unsigned>(vyn::mbOK)) == 0;
  if (PresetLeft() == 0 && !aviso) {
    out_ << "[?] " << request.Text << "\n";
    SemResposta("à pergunta \"" + request.Text + "\"");
  }
  const size_t antes = PresetLeft();
  const int resposta = vyn::TTerminalDialogs::Message(request);
  out_.flush();
  if (PresetLeft() < antes && aguarda_parada_[aguarda_parada_.size() - antes]) AguardaParada();
  return resposta;
}

void TExecucaoScript::AguardaParada() {
  // The stop comes from outside (whoever watches the screen's output); a minute is far past any.
  for (int i = 0; i < 6000 && vyn::SinalInterrupcao() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (vyn::SinalInterrupcao() != 0) return;
  const std::string msg = "o programa não foi parado após a resposta";
  err_ << msg << "\n";
  ok_ = false;
  throw std::invalid_argument(msg);
}

bool TExecucaoScript::ChooseItems(const std::string& title, const std::vector<std::string>& items,
                                  std::vector<bool>& checked) {
  if (escolhas_.empty()) SemResposta("à seleção \"" + title + "\"");
  const json escolha = escolhas_.front();
  escolhas_.pop_front();
  out_ << "[Seleção] " << title << "\n";
  if (!escolha.is_array()) {
    out_ << "  -> Cancelar\n";
    return false;
  }
  std::vector<bool> marcados(items.size(), false);
  for (const json& e : escolha) {
    const std::string t = Texto(e);
    auto it = std::find_if(items.begin(), items.end(), [&](const std::string& i) { return vyn::SameText(i, t); });
    if (it == items.end()) throw std::invalid_argument("a seleção \"" + title + "\" não tem o item " + t);
    marcados[static_cast<size_t>(it - items.begin())] = true;
    out_ << "  [x] " << *it << "\n";
  }
  checked = std::move(marcados);
  return true;
}

bool TExecucaoScript::Aberta(const vyn::TForm_VYN* form) const {
  return std::find(abertas_.begin(), abertas_.end(), form) != abertas_.end();
}

bool TExecucaoScript::ProximaSecaoE(const vyn::TForm_VYN& form) const {
  return proxima_ < secoes_.size() && vyn::SameText(secoes_[proxima_].Form, form.ClassName());
}

bool TExecucaoScript::Executa(vyn::TForm_VYN& base) {
  if (!Aberta(&base)) abertas_.push_back(&base);
  const json passos = script_.is_array() ? script_ : script_.value("steps", json::array());
  bool ok = ExecutaPassos(passos, "", nullptr);
  for (; proxima_ < secoes_.size(); ++proxima_) {
    err_ << "tela esperada não abriu: " << secoes_[proxima_].Form << "\n";
    ok_ = false;
  }
  return ok && ok_;
}

void TExecucaoScript::Ocioso() {
  // Work other threads handed to the main thread, then time passing, then the screens that
  // opened meanwhile, in the order they opened.
  vyn::ProcessMessages();
  for (vyn::TForm_VYN* f : std::vector<vyn::TForm_VYN*>(abertas_))
    if (Aberta(f) && f->Showing()) DisparaTimers(*f);
  while (!pendentes_.empty()) {
    const auto [form, secao] = pendentes_.front();
    pendentes_.pop_front();
    if (!Aberta(form) || !form->Showing()) continue;
    if (!ExecutaPassos(secoes_[secao].Steps, secoes_[secao].Form + ": ", form)) ok_ = false;
  }
}

bool TExecucaoScript::ExecutaPassos(const json& passos, const std::string& onde, vyn::TForm_VYN* tela) {
  // A section's steps are the user's hands on its screen; the screens it opens run their own.
  struct TEscopo {
    vyn::TForm_VYN*& atual;
    vyn::TForm_VYN* antes;
    ~TEscopo() { atual = antes; }
  } escopo{escopo_, escopo_};
  bool ok = true;
  int n = 0;
  Ocioso();
  escopo_ = tela;
  menu_aberto_ = nullptr;
  for (const auto& p : passos) {
    ++n;
    try {
      if (p.contains("read")) {
        const std::string nome = p.at("read").get<std::string>();
        const std::string valor = LeValor(*Controle(p, nome), p);
        // Shown as it is read: whoever watches the run sees where it is.
        out_ << nome << (p.contains("field") ? "." + p.at("field").get<std::string>() : "") << " = " << valor
             << std::endl;
        if (p.contains("expect") && Texto(p.at("expect")) != valor) {
          err_ << onde << "passo " << n << ": " << nome << " é \"" << valor << "\", esperado \""
               << Texto(p.at("expect")) << "\"\n";
          ok = false;
        }
      } else {
        ExecutaPasso(p);
      }
      vyn::TForm_VYN* const meu = escopo_;
      Ocioso();
      escopo_ = meu;
    } catch (const std::exception& e) {
      err_ << onde << "passo " << n << " (" << p.dump() << "): " << vyn::RemoveCaret(e.what()) << "\n";
      return false;
    }
  }
  return ok;
}

TControl* TExecucaoScript::Controle(const json& passo, const std::string& nome) {
  const std::string tela = passo.value("form", std::string());
  if (tela.empty() && escopo_) {
    if (!Aberta(escopo_) || !escopo_->Showing()) throw std::invalid_argument("a tela " + escopo_->ClassName() + " fechou");
    if (auto* c = dynamic_cast<TControl*>(Procura(*escopo_, nome))) return c;
    throw std::invalid_argument("controle não encontrado: " + nome + " em " + escopo_->ClassName());
  }
  for (auto it = abertas_.rbegin(); it != abertas_.rend(); ++it) {
    vyn::TForm_VYN* f = *it;
    if (!f->Showing() || (!tela.empty() && !vyn::SameText(f->ClassName(), tela))) continue;
    if (auto* c = dynamic_cast<TControl*>(Procura(*f, nome))) return c;
  }
  throw std::invalid_argument("controle não encontrado: " + nome + (tela.empty() ? "" : " em " + tela));
}

vyn::TForm_VYN& TExecucaoScript::Tela(const json& passo) {
  const std::string tela = passo.value("form", std::string());
  if (tela.empty() && escopo_) {
    if (!Aberta(escopo_) || !escopo_->Showing()) throw std::invalid_argument("a tela " + escopo_->ClassName() + " fechou");
    return *escopo_;
  }
  for (auto it = abertas_.rbegin(); it != abertas_.rend(); ++it)
    if ((*it)->Showing() && (tela.empty() || vyn::SameText((*it)->ClassName(), tela))) return **it;
  throw std::invalid_argument("nenhuma tela aberta" + (tela.empty() ? std::string() : ": " + tela));
}

void TExecucaoScript::Update(const vyn::TfrStatusProcesso& window) {
  if (desenho_) desenho_->Update(window);
}

bool TExecucaoScript::CancelRequested(const vyn::TfrStatusProcesso& window) {
  if (cancelar_em_ == 0 || !window.HasCancel() || ++olhadas_ < cancelar_em_) return false;
  cancelar_em_ = 0;
  cancelou_ = true;
  out_ << "[Progresso] Cancelar pressionado\n";
  return true;
}

void TExecucaoScript::Close(const vyn::TfrStatusProcesso& window) {
  if (desenho_) desenho_->Close(window);
}

void TExecucaoScript::ExecutaPasso(const json& p) {
  // A dropped menu stays open for the next step only.
  vyn::TMenuItem* const aberto = std::exchange(menu_aberto_, nullptr);
  if (p.contains("rclick")) {
    menu_aberto_ = CliqueDireito(*Controle(p, p.at("rclick").get<std::string>()), p);
  } else if (p.contains("activate")) {
    Ativa(Texto(p.at("activate")));
  } else if (p.contains("browse")) {
    if (!p.contains("path")) throw std::invalid_argument("\"browse\" espera \"path\"");
    Escolhe(*Controle(p, p.at("browse").get<std::string>()), p.at("path"));
  } else if (p.contains("cancel")) {
    if (Texto(p.at("cancel")) != "progress") throw std::invalid_argument("\"cancel\" espera \"progress\"");
    cancelar_em_ = p.value("after", 1);
    if (cancelar_em_ < 1) throw std::invalid_argument("\"after\" espera um número a partir de 1");
    olhadas_ = 0;
  } else if (p.contains("set")) {
    DefineValor(*Controle(p, p.at("set").get<std::string>()), p);
  } else if (p.contains("focus")) {
    TControl& c = *Controle(p, p.at("focus").get<std::string>());
    if (p.contains("lands")) FocaAte(c, p.at("lands").get<std::string>());
    else Foca(c);
  } else if (p.contains("click")) {
    TControl& c = *Controle(p, p.at("click").get<std::string>());
    if (auto* item = dynamic_cast<vyn::TMenuItem*>(&c)) VerificaItemDeMenu(*item, aberto);
    menu_aberto_ = Clica(c);
  } else if (p.contains("drop")) {
    menu_aberto_ = AbreMenu(*Controle(p, p.at("drop").get<std::string>()));
  } else if (p.contains("dblclick")) {
    TControl& c = *Controle(p, p.at("dblclick").get<std::string>());
    if (p.contains("item") || p.contains("row")) Seleciona(c, p);
    DuploClique(c);
  } else if (p.contains("select")) {
    Seleciona(*Controle(p, p.at("select").get<std::string>()), p);
  } else if (p.contains("tab")) {
    json comoValor = p;
    if (!comoValor.contains("value")) comoValor["value"] = p.value("item", json());
    DefineValor(*Controle(p, p.at("tab").get<std::string>()), comoValor);
  } else if (p.contains("key")) {
    TControl* alvo = p.contains("to") ? Controle(p, p.at("to").get<std::string>()) : nullptr;
    vyn::TForm_VYN& tela = alvo && alvo->Form() ? *alvo->Form() : Tela(p);
    if (!alvo) alvo = tela.ActiveControl();
    PressionaTecla(tela, alvo, p.at("key").get<std::string>());
  } else if (p.contains("close")) {
    // The window's close box: the screen named (or the newest one) closes as a user closes it.
    json qual = p;
    if (p.at("close").is_string()) qual["form"] = p.at("close");
    Tela(qual).Close();
  } else {
    throw std::invalid_argument("passo sem ação conhecida");
  }
}

void TExecucaoScript::RunModal(vyn::TForm_VYN& form) {
  if (!ProximaSecaoE(form)) {
    err_ << "tela modal inesperada: " << form.ClassName()
         << (proxima_ == secoes_.size() ? " (nenhuma esperada)" : " (esperada " + secoes_[proxima_].Form + ")")
         << "\n";
    ok_ = false;
    return;
  }
  // Taken before its steps run: they may open the next one.
  const size_t secao = proxima_++;
  abertas_.erase(std::remove(abertas_.begin(), abertas_.end(), &form), abertas_.end());
  abertas_.push_back(&form);
  if (!ExecutaPassos(secoes_[secao].Steps, form.ClassName() + ": ", &form)) ok_ = false;
}

void TExecucaoScript::FormShown(vyn::TForm_VYN& form) {
  abertas_.erase(std::remove(abertas_.begin(), abertas_.end(), &form), abertas_.end());
  abertas_.push_back(&form);
  // Driven once the action that opened it is over, as a user turns to it; a screen the script does
  // not expect stays open for the steps to reach.
  if (ProximaSecaoE(form)) pendentes_.emplace_back(&form, proxima_++);
}

void TExecucaoScript::FormGone(vyn::TForm_VYN& form) {
  abertas_.erase(std::remove(abertas_.begin(), abertas_.end(), &form), abertas_.end());
  // The list's execute-item call belongs to the screen.
  if (lista_tela_ == &form) {
    lista_executa_ = nullptr;
    lista_tela_ = nullptr;
  }
  pendentes_.erase(std::remove_if(pendentes_.begin(), pendentes_.end(), [&](const auto& p) { return p.first == &form; }),
                   pendentes_.end());
}

namespace {
std::vector<std::string> ItensDaLista(const vyn::TInconsistencias_VYN& list) {
  std::vector<std::string> itens;
  for (const auto& i : list.Itens())
    itens.push_back(std::to_string(static_cast<int>(i.Nivel)) + "|" + std::to_string(i.CodEmp) + "|" + i.Caption);
  return itens;
}
}  // namespace

void TExecucaoScript::ShowInconsistencias(const vyn::TInconsistencias_VYN& list, const std::string& title) {
  if (list.CountErros() > 0 || list.CountAtencao() > 0) mostrou_problemas_ = true;
  ultima_lista_ = ItensDaLista(list);
  lista_itens_ = list.Itens();
  lista_executa_ = list.OnExecuteItem;
  lista_tela_ = nullptr;
  for (auto it = abertas_.rbegin(); it != abertas_.rend() && !lista_tela_; ++it)
    if ((*it)->Showing()) lista_tela_ = *it;
  vyn::TTerminalDialogs::ShowInconsistencias(list, title);
}

bool TExecucaoScript::JaMostrou(const vyn::TInconsistencias_VYN& list) const {
  return !ultima_lista_.empty() && ultima_lista_ == ItensDaLista(list);
}

void TExecucaoScript::Ativa(const std::string& inicio) {
  if (lista_itens_.empty()) throw std::invalid_argument("nenhuma lista de inconsistências foi mostrada");
  const std::string procurado = vyn::LowerCase(inicio);
  auto it = std::find_if(lista_itens_.begin(), lista_itens_.end(),
                         [&](const auto& i) { return vyn::LowerCase(i.Caption).rfind(procurado, 0) == 0; });
  if (it == lista_itens_.end()) throw std::invalid_argument("a lista de inconsistências não tem item que comece com " + inicio);
  if (!lista_executa_) throw std::invalid_argument("a lista de inconsistências não executa seus itens (ou sua tela fechou)");
  out_ << "[Inconsistências] " << it->Caption << "\n";
  // A copy: the call may show a new list.
  const vyn::TInconsistenciaItem item = *it;
  const auto executa = lista_executa_;
  executa(item);
}

void TExecucaoScript::Escolhe(TControl& c, const json& caminho) {
  std::vector<std::string> arquivos;
  if (caminho.is_array()) {
    for (const json& a : caminho) arquivos.push_back(Texto(a));
  } else if (!Texto(caminho).empty()) {
    arquivos.push_back(Texto(caminho));
  }
  arquivos_ = std::move(arquivos);
  try {
    Procura(c);
  } catch (...) {
    arquivos_.reset();
    throw;
  }
  if (arquivos_) {
    arquivos_.reset();
    throw std::invalid_argument("o controle " + c.Name() + " não abriu a escolha de arquivos");
  }
}

std::vector<std::string> TExecucaoScript::ChooseFile(const vyn::TFileRequest& request) {
  if (!arquivos_) SemResposta(std::string("à escolha ") + (request.Folder ? "de pasta" : "de arquivo") + " \"" + request.Title + "\"");
  std::vector<std::string> arquivos = std::move(*arquivos_);
  arquivos_.reset();
  std::string lista;
  for (const auto& a : arquivos) lista += (lista.empty() ? "" : ";") + a;
  out_ << "[" << (request.Folder ? "Pasta" : "Arquivo") << "] " << request.Title << ": "
       << (arquivos.empty() ? "Cancelar" : lista) << "\n";
  return arquivos;
}

}  // namespace integracao_host
