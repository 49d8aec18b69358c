#include "framework/ui/dados_complementares.h"

#include "framework/core/text.h"
#include "framework/ui/log_event.h"

namespace vyn {

TfrDadosComplementaresPadrao::TfrDadosComplementaresPadrao(TComponent* owner)
    : TForm_VYN(owner),
      spConfirmar(Create<TSpeedButton>()),
      spCancelar(Create<TSpeedButton>()),
      FLogEvent(Create<TLogEvent>(logProcesso)) {
  spConfirmar->SetName("spConfirmar");
  spConfirmar->OnClick = [this](TComponent* s) { spConfirmarClick(s); };
  spCancelar->SetName("spCancelar");
  spCancelar->OnClick = [this](TComponent* s) { spCancelarClick(s); };
  FLogEvent->SetName("LogEvent");
}

bool TfrDadosComplementaresPadrao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrDadosComplementaresPadrao") || TForm_VYN::InheritsFrom(class_name);
}

bool TfrDadosComplementaresPadraoModal::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrDadosComplementaresPadraoModal") ||
         TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

void TfrDadosComplementaresPadrao::FormCreate() {
  TForm_VYN::FormCreate();
  AfterAddButtons();
}

void TfrDadosComplementaresPadrao::spConfirmarClick(TComponent*) {
  AfterConstruction();
  if (!ExecutarProcesso()) return;
  ProcessoConfirma();
  if (CloseAfterExecute()) {
    if (Modal())
      SetModalResult(ResultadoConfirmacao());
    else
      Close();
  }
}

void TfrDadosComplementaresPadrao::spCancelarClick(TComponent*) {
  if (Modal())
    SetModalResult(mrCancel);
  else
    Close();
}

void TfrDadosComplementaresPadrao::KeyPress(char& key) {
  if (key == 27) {
    key = 0;
    spCancelar->Click();
  }
}

void TfrDadosComplementaresPadrao::KeyUp(int& key, unsigned) {
  if (key == 34) {
    key = 0;
    spConfirmar->Click();
  }
}

}  // namespace vyn
