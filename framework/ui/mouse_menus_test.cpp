// What a mouse does to grids and lists (the rows it selects, with Shift and Ctrl) and the menus it
// drops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/data/client_dataset.h"
#include "framework/ui/form.h"
#include "framework/ui/grid.h"
#include "framework/ui/list_view.h"

namespace vyn {
namespace {

struct TfrLinhas : TForm_VYN {
  using TForm_VYN::TForm_VYN;
  TClientDataSet* dados = Create<TClientDataSet>();
  TDataSource* fonte = Create<TDataSource>();
  TDBGrid_Padrao_VYN* grade = Create<TDBGrid_Padrao_VYN>();

  void Monta(int linhas) {
    dados->AddFieldDef("N", TFieldType::ftInteger);
    dados->CreateDataSet();
    for (int i = 1; i <= linhas; ++i) dados->AppendRecord({Variant(i)});
    fonte->SetDataSet(dados);
    grade->SetDataSource(fonte);
    grade->AddColumn("N");
  }
  void Clica(int linha, unsigned shift = 0) {
    dados->SetRecNo(linha);
    grade->MouseClick("N", false, shift);
  }
  std::vector<int> Selecionadas() const {
    TClientDataSet c;
    c.CloneCursor(*dados, false, true);
    std::vector<int> n;
    for (TBookmark b : grade->SelectedRows()) {
      c.GotoBookmark(b);
      n.push_back(static_cast<int>(c.FieldByName("N").AsInteger()));
    }
    return n;
  }
};

TEST(GridMouse, AClickPressesClicksTheCellAndReleasesWithTheRowAlreadySelected) {
  auto f = MakeForm<TfrLinhas>();
  f->Monta(3);
  f->grade->MultiSelect = true;
  std::vector<std::string> eventos;
  f->grade->OnMouseDown = [&](TComponent*, bool direito) { eventos.push_back(direito ? "direito" : "aperta"); };
  f->grade->OnCellClick = [&](TComponent*, const std::string& campo) { eventos.push_back("celula " + campo); };
  f->grade->OnMouseUp = [&](TComponent*, bool) { eventos.push_back("solta " + std::to_string(f->Selecionadas().size())); };
  f->Clica(2);
  f->dados->SetRecNo(3);
  f->grade->MouseClick("N", true);   // the right button selects nothing and clicks no cell
  EXPECT_EQ(eventos, (std::vector<std::string>{"aperta", "celula N", "solta 1", "direito", "solta 1"}));
  EXPECT_EQ(f->Selecionadas(), std::vector<int>{2});

  f->grade->SetEnabled(false);
  f->Clica(1);
  EXPECT_EQ(eventos.size(), 5u);
}

TEST(GridMouse, ShiftAndCtrlSelectSeveralRowsInTheGridsOrder) {
  auto f = MakeForm<TfrLinhas>();
  f->Monta(6);
  f->Clica(2);
  EXPECT_TRUE(f->Selecionadas().empty()) << "a grid without the multi-select option selects no rows";

  f->grade->MultiSelect = true;
  f->Clica(5);
  f->Clica(2, ssShift);
  EXPECT_EQ(f->Selecionadas(), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(f->dados->RecNo(), 2) << "the range is walked without moving the screen's row";
  f->Clica(3, ssCtrl);
  f->Clica(6, ssCtrl);
  EXPECT_EQ(f->Selecionadas(), (std::vector<int>{2, 4, 5, 6}));
  // Shift ranges from the last row clicked without Shift: Ctrl's row.
  f->Clica(4, ssShift);
  EXPECT_EQ(f->Selecionadas(), (std::vector<int>{4, 5, 6}));

  f->dados->SetRecNo(5);
  f->dados->Delete();
  EXPECT_EQ(f->Selecionadas(), (std::vector<int>{4, 6}));
  f->Clica(1);
  EXPECT_EQ(f->Selecionadas(), std::vector<int>{1});
  f->grade->ClearSelection();
  EXPECT_TRUE(f->Selecionadas().empty());
}

TEST(ListMouse, ShiftAndCtrlSelectSeveralItemsOnlyWithMultiSelect) {
  TListView lista;
  for (const char* c : {"A", "B", "C", "D"}) lista.Add(c);
  std::vector<std::string> eventos;
  lista.OnSelectItem = [&](TComponent*, TListItem& i) { eventos.push_back(i.Caption); };
  lista.Select(1);
  lista.Select(3, ssShift);
  EXPECT_EQ(lista.SelectedIndexes(), std::vector<int>{3});

  lista.MultiSelect = true;
  lista.Select(1);
  lista.Select(3, ssShift);
  EXPECT_EQ(lista.SelectedIndexes(), (std::vector<int>{1, 2, 3}));
  lista.Select(2, ssCtrl);
  lista.Select(0, ssCtrl);
  EXPECT_EQ(lista.SelectedIndexes(), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(lista.ItemIndex, 0);
  EXPECT_EQ(eventos, (std::vector<std::string>{"B", "D", "B", "D", "C", "A"}));
}

TEST(Menus, AnItemIsReachableOnlyThroughEnabledMenusAndDropsFromItsControl) {
  TForm_VYN f(nullptr);
  auto* pm = f.Create<TMenuItem>();
  TMenuItem* sub = pm->Add("miSub", "Sub");
  TMenuItem* neto = sub->Add("miNeto", "Neto");
  EXPECT_EQ(neto->Parent(), sub);
  EXPECT_EQ(neto->Menu(), pm);
  EXPECT_EQ(pm->Parent(), nullptr);
  EXPECT_TRUE(neto->Reachable());
  sub->SetEnabled(false);
  EXPECT_FALSE(neto->Reachable());
  EXPECT_TRUE(pm->Reachable());
  sub->SetEnabled(true);
  pm->SetVisible(false);
  EXPECT_FALSE(neto->Reachable());

  auto* grade = f.Create<TDBGrid_Padrao_VYN>();
  TComponent* quem = nullptr;
  pm->OnPopup = [&](TComponent* s) { quem = static_cast<TMenuItem*>(s)->PopupComponent(); };
  pm->Popup(grade);
  EXPECT_EQ(quem, grade);
}

}  // namespace
}  // namespace vyn
