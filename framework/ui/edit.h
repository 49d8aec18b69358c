#pragma once
// Text edits: the plain edit and the folder/file edit.
#include <string>
#include <vector>

#include "framework/ui/control.h"

namespace vyn {

class TCustomEdit : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TCustomEdit"; }

  const std::string& Text() const { return text_; }
  // Setting a different text fires OnChange, as typing does. A MaxLength cuts the text.
  virtual void SetText(std::string t);
  void Clear() { SetText(""); }
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int n) { max_length_ = n; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool r) { read_only_ = r; }
  bool Modified() const { return modified_; }
  void SetModified(bool m) { modified_ = m; }

  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  std::string text_;
  int max_length_ = 0;
  bool read_only_ = false;
  bool modified_ = false;
};

// An edit's check of its value, run on exit: answers False with a message to refuse it.
using TValidarEvent = std::function<bool(TComponent* sender, std::string& message)>;

class TEdit_String_Padrao : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
  std::string ClassName() const override { return "TEdit_String_Padrao"; }
  void SetOnValidar(TValidarEvent e) { on_validar_ = std::move(e); }

 protected:
  // A refused value raises EValidationError with the check's message; the focus stays.
  void DoExit() override;

 private:
  TValidarEvent on_validar_;
};

// A folder or file path; Procurar asks the file chooser and takes the answer.
class TEdit_Diretorio_Padrao_VYN : public TEdit_String_Padrao {
 public:
  using TEdit_String_Padrao::TEdit_String_Padrao;
  std::string ClassName() const override { return "TEdit_Diretorio_Padrao_VYN"; }
  bool Pasta = true;          // a folder (else files)
  bool MultiSelecao = false;  // several files, joined by ';'
  std::string Filtro;
  // Opens the chooser; an answer replaces the text (emptied first, so OnChange fires); False
  // when the user gave up.
  bool Procurar();
  std::vector<std::string> Arquivos() const;  // the text split at ';'
};

}  // namespace vyn
