#include "statutory/reportsequence/uConsultaSequenciaRelatorios.h"

#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/grid.h"

namespace integracao {

using namespace vyn;

TfrConsultaSequenciaRelatorios::TfrConsultaSequenciaRelatorios(TComponent* owner)
    : TfrConsulta_Padrao_Grid(owner),
      FSequencias(Create<TDAOFactory>(std::string("TSEQREL"))),
      FItens(Create<TDAOFactory>(std::string("TSEQRELSEQUENCIAL"))) {
  SetCaption("Consulta sequência de processos");
  SetDAOFactory(FSequencias);
  SetDAOFactoryAggregate(FItens);
  LigaMaster();
  grConsulta->AddColumn("BDSEQUENCIA", "Sequência");
  grConsulta->AddColumn("BDNOME", "Nome");
  grGridAggregate->AddColumn("BDCAPTION", "Processo");
}

bool TfrConsultaSequenciaRelatorios::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaSequenciaRelatorios") || TfrConsulta_Padrao_Grid::InheritsFrom(class_name);
}

void TfrConsultaSequenciaRelatorios::FormCreate() {
  TfrConsulta_Padrao_Grid::FormCreate();
  // Each sequence screen marks its model edit with its kind, so it lists only its own sequences.
  if (auto* edit = dynamic_cast<TCustomEdit*>(Owner()); edit && edit->Tag() > 0)
    FSequencias->CommandText("SELECT * FROM TSEQREL WHERE BDTIPO = ? ORDER BY BDSEQUENCIA", ctOpen,
                             {Variant(static_cast<long long>(edit->Tag()))});
  else
    FSequencias->CommandText("SELECT * FROM TSEQREL ORDER BY BDSEQUENCIA");
  FSequencias->First();
  RefreshGridAux();
}

void TfrConsultaSequenciaRelatorios::Seleciona() {
  SetModalResult(mrOk);   // closes a modal form
  if (Showing()) Close();
}

void TfrConsultaSequenciaRelatorios::RefreshGridAux() {
  if (!FSequencias->Active() || FSequencias->IsEmpty()) {
    FItens->CommandText("select BDCAPTION from TSEQRELSEQUENCIAL where 1 = 0");
    return;
  }
  FItens->CommandText("select BDCAPTION from TSEQRELSEQUENCIAL where BDSEQUENCIA = ? order by BDSORT", ctOpen,
                      {Variant(FSequencias->FieldByName("BDSEQUENCIA").AsInteger())});
}

}  // namespace integracao
