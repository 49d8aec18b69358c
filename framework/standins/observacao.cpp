#include "framework/standins/observacao.h"

#include <nlohmann/json.hpp>

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"

namespace vyn {

TfrDadosObservacaoDYQ::TfrDadosObservacaoDYQ(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrDadosObservacaoDYQ", "Observação"),
      mmObservacao(Controle<TEdit_String_Padrao>("mmObservacao")) {}

void TfrDadosObservacaoDYQ::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  if (lista.Count() == 0) return;
  if (lista.Kind(0) == TListaObj::SlotKind::Object)
    FArray = lista.GetObject<nlohmann::json>(0);
  else
    FLinhas = lista.Get<TClientDataSet>(0);
}

bool TfrDadosObservacaoDYQ::ExecutarProcesso() {
  const std::string texto = Trim(mmObservacao->Text());
  if (texto.empty()) {
    DlgWarOk("Informe a observação.");
    return false;
  }
  // The note is kept with the line (500 characters) and sent to Dyq whole: a longer one is shortened
  // here, by the user, rather than cut or refused later.
  if (Utf8Length(texto) > kTamanhoObservacao) {
    DlgWarOk("A observação tem " + std::to_string(Utf8Length(texto)) + " caracteres; o máximo é " +
             std::to_string(kTamanhoObservacao) + ".");
    return false;
  }
  return true;
}

void TfrDadosObservacaoDYQ::ProcessoConfirma() {
  const std::string texto = Trim(mmObservacao->Text());
  if (auto* array = static_cast<nlohmann::json*>(FArray)) {
    *array = nlohmann::json::array({texto});
  } else if (FLinhas && !FLinhas->IsEmpty()) {
    FLinhas->Edit();
    FLinhas->FieldByName("BDOBSWEB").SetAsString(texto);
    FLinhas->Post();
  }
}

TfrObservacoes::TfrObservacoes(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrObservacoes", "Observações"),
      mmObservacao(Controle<TEdit_String_Padrao>("mmObservacao")) {}

void TfrObservacoes::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  FObservacoes = lista.Count() > 0 ? lista.Get<TClientDataSet>(0) : nullptr;
  if (FObservacoes && !FObservacoes->IsEmpty()) mmObservacao->SetText(FObservacoes->FieldByName("BDOBSERVACAO").AsString());
}

void TfrObservacoes::ProcessoConfirma() {
  if (!FObservacoes || FObservacoes->IsEmpty()) return;
  FObservacoes->Edit();
  FObservacoes->FieldByName("BDOBSERVACAO").SetAsString(mmObservacao->Text());
  FObservacoes->Post();
}

}  // namespace vyn
