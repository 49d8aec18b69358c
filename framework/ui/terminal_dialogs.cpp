#include "framework/ui/terminal_dialogs.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "framework/core/text.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {
// Input that keeps failing (a script or a pipe answering nonsense) closes the box instead of
// asking for ever.
constexpr int kMaxUnaccepted = 10;

const TMsgDlgBtn kButtons[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbClose};

const char* TypeName(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Aviso";
    case mtError: return "Erro";
    case mtInformation: return "Informação";
    case mtConfirmation: return "Confirmação";
    default: return "Mensagem";
  }
}

// A box or a list breaks its lines at a carriage return alone too; a terminal would write the next
// line over the first one.
std::string Linhas(const std::string& texto) { return ReplaceAll(ReplaceAll(texto, "\r\n", "\n"), "\r", "\n"); }
}  // namespace

TTerminalDialogs::TTerminalDialogs(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

void TTerminalDialogs::PresetAnswers(std::vector<int> answers) { preset_.assign(answers.begin(), answers.end()); }

bool TTerminalDialogs::ReadLine(std::string& line) {
  if (!std::getline(in_, line)) return false;
  line = Trim(line);
  return true;
}

int TTerminalDialogs::Message(const TDialogRequest& r) {
  out_ << "[" << TypeName(r.Type) << "] " << Linhas(r.Text) << "\n";
  // The buttons offered, numbered by their modal result.
  std::vector<int> offered;
  size_t captionIndex = 0;
  for (TMsgDlgBtn b : kButtons) {
    if (!(r.Buttons & b)) continue;
    int mr = ButtonResult(b);
    offered.push_back(mr);
    std::string caption = captionIndex < r.Captions.size() ? ReplaceAll(r.Captions[captionIndex], "&", "") : AnswerText(mr);
    ++captionIndex;
    out_ << "  " << mr << ") " << caption << "\n";
  }
  if (offered.empty()) offered.push_back(mrOk);
  int answer;
  if (!preset_.empty()) {
    answer = preset_.front();
    preset_.pop_front();
    // Cancel is always possible: it closes the box.
    if (answer != mrCancel && std::find(offered.begin(), offered.end(), answer) == offered.end()) {
      std::string botoes;
      for (int o : offered) botoes += (botoes.empty() ? "" : ", ") + std::to_string(o) + " (" + AnswerText(o) + ")";
      throw std::invalid_argument("resposta preparada " + std::to_string(answer) + " (" + AnswerText(answer) +
                                  ") não é um dos botões de \"" + r.Text + "\": " + botoes);
    }
  } else if (offered.size() == 1 && offered[0] == mrOk) {
    answer = mrOk;   // a notice needs no answer
  } else {
    answer = mrCancel;
    std::string line;
    for (int tries = 0; tries < kMaxUnaccepted && ReadLine(line); ++tries) {
      std::string l = LowerCase(line);
      int pick = l == "s" || l == "sim" ? mrYes : l == "n" || l == "não" || l == "nao" ? mrNo
                 : l == "c" ? mrCancel : l == "o" || l == "ok" ? mrOk : (l.empty() ? -1 : std::atoi(l.c_str()));
      bool valid = false;
      for (int o : offered) valid = valid || o == pick;
      if (valid) {
        answer = pick;
        break;
      }
      out_ << "  ?\n";
    }
  }
  out_ << "  -> " << AnswerText(answer) << "\n";
  return answer;
}

bool TTerminalDialogs::ShowSegurancaProcesso(const std::string& screen, bool unattended) {
  if (unattended) return RightsUnattended;
  TDialogRequest r;
  r.Text = "Permitir a execução de " + screen + "?";
  r.Type = mtConfirmation;
  r.Buttons = mbYes | mbNo;
  return Message(r) == mrYes;
}

std::vector<std::string> TTerminalDialogs::ChooseFile(const TFileRequest& r) {
  out_ << "[" << (r.Folder ? "Pasta" : "Arquivo") << "] " << r.Title << " (" << r.Filter << "): ";
  std::string line;
  if (!ReadLine(line) || line.empty()) return {};
  std::vector<std::string> out;
  for (auto& s : Split(line, ';'))
    if (!Trim(s).empty()) out.push_back(Trim(s));
  return out;
}

bool TTerminalDialogs::Shell(const std::string& target) {
  out_ << "[Abrir] " << target << "\n";
  return true;
}

void TTerminalDialogs::ShowInconsistencias(const TInconsistencias_VYN& list, const std::string& title) {
  out_ << "== " << (title.empty() ? "Inconsistências" : title) << " ==\n";
  for (int emp : list.Grupos()) {
    if (emp != 0) out_ << "Empresa " << emp << ":\n";
    for (auto& it : list.ItensDoGrupo(emp))
      out_ << "  " << (it.Nivel == niErro ? "Erro" : it.Nivel == niAtencao ? "Atenção" : "Informação") << ": "
           << Linhas(it.Caption) << "\n";
  }
  out_ << list.CountErros() << " erro(s), " << list.CountAtencao() << " atenção, " << list.CountInformativo()
       << " informação\n";
}

// The numbers typed are the ticks left ("1,3"); "*" ticks all, "-" none, an empty line keeps them,
// "c", the end of input or too many unaccepted lines give up.
bool TTerminalDialogs::ChooseItems(const std::string& title, const std::vector<std::string>& items,
                                   std::vector<bool>& checked) {
  out_ << "[Seleção] " << title << "\n";
  for (size_t i = 0; i < items.size(); ++i)
    out_ << "  " << (i + 1) << ") [" << (i < checked.size() && checked[i] ? "x" : " ") << "] " << items[i] << "\n";
  std::string line;
  for (int tries = 0;; ++tries) {
    out_ << "  marcados (ex.: 1,3; * todos; - nenhum; Enter mantém; c cancela): ";
    if (tries == kMaxUnaccepted || !ReadLine(line) || LowerCase(line) == "c") {
      out_ << "  -> Cancelar\n";
      return false;
    }
    if (line.empty()) {
      checked.resize(items.size(), false);
      break;
    }
    std::vector<bool> novo(items.size(), line == "*");
    bool valido = true;
    if (line != "*" && line != "-") {
      for (auto& part : Split(line, ',')) {
        std::string t = Trim(part);
        int n = t.empty() ? 0 : std::atoi(t.c_str());
        if (n < 1 || static_cast<size_t>(n) > items.size() || std::to_string(n) != t) {
          valido = false;
          break;
        }
        novo[static_cast<size_t>(n - 1)] = true;
      }
    }
    if (valido) {
      checked = std::move(novo);
      break;
    }
    out_ << "  ?\n";
  }
  out_ << "  -> OK\n";
  return true;
}

void TTerminalDialogs::RunModal(TForm_VYN& form) {
  if (ModalDriver) ModalDriver(form);
}

}  // namespace vyn
