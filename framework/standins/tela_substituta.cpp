#include "framework/standins/tela_substituta.h"

#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"

namespace vyn {

TfrTelaSubstituta::TfrTelaSubstituta(TComponent* owner, std::string classe, std::string titulo)
    : TfrDadosComplementaresPadrao(owner), classe_(std::move(classe)) {
  SetCaption(std::move(titulo));
}

bool TfrTelaSubstituta::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, classe_) || TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

TDatabase& BancoDaSessao() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return *db;
}

void AcrescentaLinha(TClientDataSet& ds, const std::function<void()>& preenche) {
  ds.Append();
  try {
    preenche();
    ds.Post();
  } catch (...) {
    ds.Cancel();
    throw;
  }
}

namespace {

std::string TextoDoSlot(const TListaObj& lista, int i) {
  switch (lista.Kind(i)) {
    case TListaObj::SlotKind::Nil: return "(nada)";
    case TListaObj::SlotKind::Integer: return std::to_string(lista.GetInteger(i));
    case TListaObj::SlotKind::Text: return lista.GetText(i);
    case TListaObj::SlotKind::Object: return "(objeto)";
    case TListaObj::SlotKind::Component: break;
  }
  TComponent* c = lista.GetComponent(i);
  if (auto* e = dynamic_cast<TCustomEdit*>(c)) return e->Text();
  if (auto* i = dynamic_cast<TInteger_VYN*>(c)) return std::to_string(i->Value());
  if (auto* t = dynamic_cast<TString_VYN*>(c)) return t->Value();
  return c->ClassName();
}

}  // namespace

TfrTelaSubstitutaSimples::TfrTelaSubstitutaSimples(TComponent* owner, std::string classe, std::string titulo)
    : TfrTelaSubstituta(owner, std::move(classe), std::move(titulo)), lbParametros(Controle<TLabel>("lbParametros")) {}

void TfrTelaSubstitutaSimples::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  std::string texto;
  for (int i = 0; i < lista.Count(); ++i) texto += (i ? "\n" : "") + TextoDoSlot(lista, i);
  lbParametros->SetCaption(texto);
}

}  // namespace vyn
