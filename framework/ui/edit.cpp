#include "framework/ui/edit.h"

#include "framework/core/text.h"
#include "framework/ui/dialogs.h"

namespace vyn {

void TCustomEdit::SetText(std::string t) {
  if (max_length_ > 0 && Utf8Length(t) > static_cast<size_t>(max_length_))
    t = Utf8Left(t, static_cast<size_t>(max_length_));
  if (t == text_) return;
  text_ = std::move(t);
  modified_ = true;
  Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit_String_Padrao::DoExit() {
  if (on_validar_) {
    std::string message;
    if (!on_validar_(this, message)) throw EValidationError(RemoveCaret(message));
  }
  TCustomEdit::DoExit();
}

bool TEdit_Diretorio_Padrao_VYN::Procurar() {
  TFileRequest r;
  r.Folder = Pasta;
  r.Multiple = MultiSelecao;
  r.Filter = Filtro;
  r.InitialDir = Text();
  r.Title = Hint();
  std::vector<std::string> chosen = ChooseFile(r);
  if (chosen.empty()) return false;
  SetText("");
  SetText(Join(chosen, ";"));
  return true;
}

std::vector<std::string> TEdit_Diretorio_Padrao_VYN::Arquivos() const {
  std::vector<std::string> out;
  for (auto& s : Split(Text(), ';'))
    if (!Trim(s).empty()) out.push_back(Trim(s));
  return out;
}

}  // namespace vyn
