// The fields container is the only road from a grid cell to its row: what it refuses is never
// stored, and the screen's before/after calls frame every edit it takes.
#include <gtest/gtest.h>

#include "framework/data/client_dataset.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/fields_container.h"
#include "framework/ui/form.h"
#include "framework/ui/grid.h"
#include "framework/ui/scripted_dialogs.h"

namespace vyn {
namespace {

struct TfrGrade : TForm_VYN {
  using TForm_VYN::TForm_VYN;
  TDBGrid_Padrao_VYN* grGrid = Create<TDBGrid_Padrao_VYN>();
  TDataSource* dsGrid = Create<TDataSource>();
  TFieldsContainer* fc = Create<TFieldsContainer>();
  TClientDataSet linhas;
  void Monta() {
    linhas.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
    linhas.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
    linhas.AddFieldDef("BDOBS", TFieldType::ftString, 10);
    linhas.AddFieldDef("BDCOMPL", TFieldType::ftString, 5);
    linhas.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    linhas.AddFieldDef("BDINCONSISTENTE", TFieldType::ftInteger);
    linhas.CreateDataSet();
    linhas.AppendRecord({Variant(1), Variant(7), Variant(std::string("nota")), Variant(std::string("abc")),
                         Variant(Currency::FromInt(10)), Variant(0)});
    dsGrid->SetDataSet(&linhas);
    grGrid->SetDataSource(dsGrid);
    fc->Add("BDCODEMP", "Empresa", TTipoEditorCampo::Inteiro).Key = true;
    fc->Item("BDCODEMP")->Visible = false;
    fc->Add("BDCHAVE", "Chave", TTipoEditorCampo::Inteiro).Key = true;
    fc->Add("BDOBS", "Observação").ReadOnly = true;
    fc->Add("BDCOMPL", "Complemento");
    fc->Add("BDVALOR", "Valor", TTipoEditorCampo::Numerico);
    fc->SetGridSearch(grGrid);
  }
};

TEST(FieldsContainer, KeysHiddenReadOnlyAndUnlistedColumnsAreNeverWrittenThroughTheGrid) {
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrGrade>();
  f->Monta();
  ASSERT_EQ(f->grGrid->Columns.size(), 5u);
  EXPECT_FALSE(f->grGrid->Columns[0].Visible);
  EXPECT_TRUE(f->grGrid->Columns[1].ReadOnly);
  EXPECT_FALSE(f->grGrid->Columns[3].ReadOnly);
  int antes = 0;
  f->fc->OnBeforeEditField = [&](TFieldsContainer&, TClientDataSet&, TControl*, const TFieldsContainerItem&, bool&) {
    ++antes;
  };
  for (const char* campo : {"BDCODEMP", "BDCHAVE", "BDOBS", "BDINCONSISTENTE", "BDNAOEXISTE"})
    EXPECT_FALSE(f->grGrid->EditaCelula(campo, "2")) << campo;
  EXPECT_EQ(antes, 0) << "the screen is not even asked";
  EXPECT_EQ(f->linhas.FieldByName("BDCODEMP").AsInteger(), 1);
  EXPECT_EQ(f->linhas.FieldByName("BDCHAVE").AsInteger(), 7);
  EXPECT_EQ(f->linhas.FieldByName("BDOBS").AsString(), "nota");
  EXPECT_EQ(f->linhas.FieldByName("BDINCONSISTENTE").AsInteger(), 0);
  EXPECT_TRUE(dialogs.Done());
}

TEST(FieldsContainer, AnEditRunsBeforeThenStoresThenAfterAndARefusalStoresNothing) {
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrGrade>();
  f->Monta();
  std::vector<std::string> ordem;
  bool aceita = true;
  f->fc->OnBeforeEditField = [&](TFieldsContainer&, TClientDataSet& ds, TControl* editor,
                                 const TFieldsContainerItem& item, bool& accept) {
    // The editor opens on the cell's value.
    if (auto* n = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor))
      ordem.push_back("antes " + item.FieldName + " " + n->Value().ToSQL());
    else
      ordem.push_back("antes " + item.FieldName + " " + ds.FieldByName(item.FieldName).AsString());
    accept = aceita;
  };
  f->fc->OnAfterEditField = [&](TFieldsContainer&, TClientDataSet& ds, TControl*, const TFieldsContainerItem& item) {
    ordem.push_back("depois " + item.FieldName);
  };
  EXPECT_TRUE(f->grGrid->EditaCelula("bdcompl", "xyz"));
  EXPECT_TRUE(f->grGrid->EditaCelula("BDVALOR", "12,50"));
  EXPECT_EQ(f->linhas.FieldByName("BDVALOR").AsCurrency(), Currency::Parse("12.50"));
  aceita = false;
  EXPECT_FALSE(f->grGrid->EditaCelula("BDCOMPL", "nada"));
  aceita = true;
  // The editor refuses what is not an amount; the column refuses a text longer than it holds.
  dialogs.Ok("Valor inválido").Ok("");
  EXPECT_FALSE(f->grGrid->EditaCelula("BDVALOR", "doze"));
  EXPECT_FALSE(f->grGrid->EditaCelula("BDCOMPL", "longo demais"));
  EXPECT_EQ(f->linhas.FieldByName("BDCOMPL").AsString(), "xyz");
  EXPECT_EQ(f->linhas.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ordem, (std::vector<std::string>{"antes BDCOMPL abc", "depois BDCOMPL", "antes BDVALOR 10.0000",
                                              "depois BDVALOR", "antes BDCOMPL xyz", "antes BDVALOR 12.5000",
                                              "antes BDCOMPL xyz"}));
  EXPECT_TRUE(dialogs.Done());
}

}  // namespace
}  // namespace vyn
