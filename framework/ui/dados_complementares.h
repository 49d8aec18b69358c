#pragma once
// The dialog screen: confirm runs the gate, then the action, and closes when asked to.
#include <string>

#include "framework/ui/bitmap_list.h"
#include "framework/ui/form.h"

namespace vyn {

class TSpeedButton;
class TLogEvent;

class TfrDadosComplementaresPadrao : public TForm_VYN {
 public:
  explicit TfrDadosComplementaresPadrao(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrDadosComplementaresPadrao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TSpeedButton* spConfirmar;
  TSpeedButton* spCancelar;
  TLogEvent* FLogEvent;
  // The images of the toolbar's buttons: a button shows one by its ImageIndex.
  TBitmapList ImagensToolbar;
  // A scheduled task drives the screen; code asks IsUnattended(), the one unattended predicate.
  TUnattendedFlag FIsTARVO;
  void SetIsTARVO(bool on) { FIsTARVO = on; }

  // ExecutarProcesso (False stops), ProcessoConfirma, then the close when CloseAfterExecute.
  virtual void spConfirmarClick(TComponent* sender);
  virtual void spCancelarClick(TComponent* sender);
  // Esc cancels; Page Down (34) confirms when the key is let go.
  void KeyPress(char& key) override;
  void KeyUp(int& key, unsigned shift) override;

 protected:
  void FormCreate() override;
  // Once the toolbar's buttons are made: a screen gives its own buttons their images here.
  virtual void AfterAddButtons() {}
  virtual bool ExecutarProcesso() { return true; }
  virtual void ProcessoConfirma() {}
  virtual bool CloseAfterExecute() { return true; }
  virtual bool GetAlterarStyleFonteLabel() { return false; }
  // The result a confirmed close gives a modal run.
  virtual int ResultadoConfirmacao() const { return mrOk; }
};

// The modal variant: confirm closes with mrOk, cancel with mrCancel.
class TfrDadosComplementaresPadraoModal : public TfrDadosComplementaresPadrao {
 public:
  using TfrDadosComplementaresPadrao::TfrDadosComplementaresPadrao;
  std::string ClassName() const override { return "TfrDadosComplementaresPadraoModal"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

}  // namespace vyn
