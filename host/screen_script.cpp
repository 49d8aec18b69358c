#include "host/screen_script.h"

#include <ostream>
#include <stdexcept>
#include <string>

#include "framework/component/fila_mensagens.h"
#include "framework/core/text.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"

namespace integracao_host {

namespace {

using nlohmann::json;
using vyn::TControl;

vyn::TComponent* Procura(vyn::TComponent& raiz, const std::string& nome) {
  for (vyn::TComponent* c : raiz.Components()) {
    if (vyn::SameText(c->Name(), nome)) return c;
    if (vyn::TComponent* achado = Procura(*c, nome)) return achado;
  }
  return nullptr;
}

TControl& Controle(vyn::TForm_VYN& form, const std::string& nome) {
  auto* c = dynamic_cast<TControl*>(Procura(form, nome));
  if (!c) throw std::invalid_argument("controle não encontrado: " + nome);
  return *c;
}

std::string Texto(const json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_boolean()) return v.get<bool>() ? "True" : "False";
  if (v.is_number()) return v.dump();
  throw std::invalid_argument("valor inválido: " + v.dump());
}

bool Booleano(const json& v) {
  if (v.is_boolean()) return v.get<bool>();
  const std::string t = vyn::LowerCase(Texto(v));
  if (t == "true" || t == "1" || t == "sim") return true;
  if (t == "false" || t == "0" || t == "não" || t == "nao") return false;
  throw std::invalid_argument("valor lógico inválido: " + v.dump());
}

int Indice(const json& v) {
  if (v.is_number_integer()) return v.get<int>();
  return std::stoi(Texto(v));
}

// As the user would: typing fires OnChange, a tick or a pick fires OnClick/OnChange.
void Define(TControl& c, const json& valor) {
  if (!c.Enabled() || !c.Visible()) throw std::invalid_argument("controle inacessível: " + c.Name());
  if (auto* ck = dynamic_cast<vyn::TCheckBox*>(&c)) {
    if (ck->Checked() != Booleano(valor)) ck->Click();
  } else if (auto* rg = dynamic_cast<vyn::TRadioGroup*>(&c)) {
    rg->Select(Indice(valor));
  } else if (auto* cb = dynamic_cast<vyn::TComboBox_Padrao_VYN*>(&c)) {
    if (valor.is_number_integer()) {
      cb->Select(valor.get<int>());
    } else {
      const std::string t = Texto(valor);
      int i = 0;
      while (i < static_cast<int>(cb->Items.size()) && !vyn::SameText(cb->Items[static_cast<size_t>(i)], t)) ++i;
      if (i == static_cast<int>(cb->Items.size())) throw std::invalid_argument(c.Name() + " não tem o item " + t);
      cb->Select(i);
    }
  } else if (auto* ed = dynamic_cast<vyn::TCustomEdit*>(&c)) {
    if (ed->ReadOnly()) throw std::invalid_argument("controle somente leitura: " + c.Name());
    ed->SetText(Texto(valor));
  } else {
    throw std::invalid_argument("o controle " + c.Name() + " não recebe valores");
  }
}

std::string Le(const TControl& c) {
  if (auto* ck = dynamic_cast<const vyn::TCheckBox*>(&c)) return ck->Checked() ? "True" : "False";
  if (auto* rg = dynamic_cast<const vyn::TRadioGroup*>(&c)) return std::to_string(rg->ItemIndex());
  if (auto* cb = dynamic_cast<const vyn::TComboBox_Padrao_VYN*>(&c)) return cb->Text();
  if (auto* ed = dynamic_cast<const vyn::TCustomEdit*>(&c)) return ed->Text();
  return c.Caption();
}

int Resposta(const json& v) {
  if (v.is_number_integer()) return v.get<int>();
  const std::string t = vyn::LowerCase(Texto(v));
  if (t == "yes" || t == "sim" || t == "s") return vyn::mrYes;
  if (t == "no" || t == "não" || t == "nao" || t == "n") return vyn::mrNo;
  if (t == "ok") return vyn::mrOk;
  if (t == "cancel" || t == "cancelar") return vyn::mrCancel;
  throw std::invalid_argument("resposta desconhecida: " + v.dump());
}

// onde names the modal form in errors from its steps.
bool Executa(vyn::TForm_VYN& form, const json& script, const std::string& onde, std::ostream& out,
             std::ostream& err) {
  const json passos = script.is_array() ? script : script.value("steps", json::array());
  bool ok = true;
  int n = 0;
  for (const auto& p : passos) {
    ++n;
    try {
      if (p.contains("set")) {
        Define(Controle(form, p.at("set").get<std::string>()), p.at("value"));
      } else if (p.contains("focus")) {
        Controle(form, p.at("focus").get<std::string>()).SetFocus();
      } else if (p.contains("click")) {
        TControl& c = Controle(form, p.at("click").get<std::string>());
        if (auto* b = dynamic_cast<vyn::TButtonControl*>(&c))
          b->Click();
        else if (auto* ck = dynamic_cast<vyn::TCheckBox*>(&c))
          ck->Click();
        else
          throw std::invalid_argument("o controle " + c.Name() + " não é clicável");
      } else if (p.contains("read")) {
        const std::string nome = p.at("read").get<std::string>();
        const std::string valor = Le(Controle(form, nome));
        out << nome << " = " << valor << "\n";
        if (p.contains("expect") && Texto(p.at("expect")) != valor) {
          err << onde << "passo " << n << ": " << nome << " é \"" << valor << "\", esperado \"" << Texto(p.at("expect"))
              << "\"\n";
          ok = false;
        }
      } else {
        throw std::invalid_argument("passo sem ação conhecida: " + p.dump());
      }
      // Between a user's actions the window loop runs what other threads handed to the main thread.
      vyn::ProcessMessages();
    } catch (const std::exception& e) {
      err << onde << "passo " << n << " (" << p.dump() << "): " << vyn::RemoveCaret(e.what()) << "\n";
      return false;
    }
  }
  return ok;
}

}  // namespace

std::vector<int> RespostasDoScript(const json& script) {
  std::vector<int> r;
  if (script.is_object() && script.contains("answers"))
    for (const auto& a : script.at("answers")) r.push_back(Resposta(a));
  return r;
}

bool ExecutaScriptTela(vyn::TForm_VYN& form, const json& script, std::ostream& out, std::ostream& err) {
  return Executa(form, script, "", out, err);
}

TModaisDoScript::TModaisDoScript(const json& script, std::ostream& out, std::ostream& err) : out_(out), err_(err) {
  if (!script.is_object() || !script.contains("modals")) return;
  const json& modais = script.at("modals");
  if (!modais.is_array()) throw std::invalid_argument("\"modals\" não é uma lista");
  for (const json& m : modais) {
    if (!m.is_object() || !m.contains("form") || !m.at("form").is_string())
      throw std::invalid_argument("tela modal sem \"form\": " + m.dump());
    modais_.emplace_back(m.at("form").get<std::string>(), m.value("steps", json::array()));
  }
}

void TModaisDoScript::operator()(vyn::TForm_VYN& form) {
  if (proximo_ == modais_.size() || !vyn::SameText(modais_[proximo_].first, form.ClassName())) {
    err_ << "tela modal inesperada: " << form.ClassName()
         << (proximo_ == modais_.size() ? " (nenhuma esperada)" : " (esperada " + modais_[proximo_].first + ")")
         << "\n";
    ok_ = false;
    return;
  }
  // Taken before its steps run: they may open the next one.
  const json& passos = modais_[proximo_++].second;
  if (!Executa(form, passos, form.ClassName() + ": ", out_, err_)) ok_ = false;
}

bool TModaisDoScript::Terminou() {
  for (; proximo_ < modais_.size(); ++proximo_) {
    err_ << "tela modal esperada não abriu: " << modais_[proximo_].first << "\n";
    ok_ = false;
  }
  return ok_;
}

}  // namespace integracao_host
