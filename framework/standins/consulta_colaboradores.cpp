#include "framework/standins/consulta_colaboradores.h"

#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"

namespace vyn {

TfrConsultaColaboradores::TfrConsultaColaboradores(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner), FDados(Create<TDAOFactory>()) {
  SetCaption("Consulta colaboradores");
  SetDAOFactory(FDados);
  SetPodeExcluir(false);
  grConsulta->MultiSelect = true;
  grConsulta->AddColumn("BDCODCOL", "Código");
  grConsulta->AddColumn("BDNOMCOL", "Nome");
}

bool TfrConsultaColaboradores::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaColaboradores") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsultaColaboradores::FormCreate() {
  TfrConsulta_Padrao_VYN::FormCreate();
  int64_t empresa = 0;
  if (auto* edit = dynamic_cast<TEdit_Codigo_Search_VYN*>(Owner()); edit && !edit->EditsMaster.empty())
    empresa = edit->EditsMaster.front()->Codigo();
  FDados->CommandText(
      "SELECT C.BDCODCOL, MAX(C.BDNOMCOL) AS BDNOMCOL FROM TRH_COLCON C "
      "WHERE CAST(? AS INTEGER) = 0 OR C.BDCODEMP = ? GROUP BY C.BDCODCOL ORDER BY C.BDCODCOL",
      ctOpen, {Variant(empresa), Variant(empresa)});
  FDados->First();
}

void TfrConsultaColaboradores::Seleciona() {
  SetModalResult(mrOk);   // closes a modal form
  if (Showing()) Close();
}

std::vector<int64_t> TfrConsultaColaboradores::Escolhidos() const {
  std::vector<int64_t> codigos;
  if (ModalResult() != mrOk || !FDados->Active() || FDados->IsEmpty()) return codigos;
  const std::vector<TBookmark> marcadas = grConsulta->SelectedRows();
  if (marcadas.empty()) {
    codigos.push_back(FDados->FieldByName("BDCODCOL").AsInteger());
    return codigos;
  }
  const TBookmark atual = FDados->GetBookmark();
  for (TBookmark b : marcadas) {
    FDados->GotoBookmark(b);
    codigos.push_back(FDados->FieldByName("BDCODCOL").AsInteger());
  }
  FDados->GotoBookmark(atual);
  return codigos;
}

}  // namespace vyn
