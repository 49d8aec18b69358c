// The selection menu, the Y570 message and the consultation of reconciled entries, on a real
// company database.
#include "bankstatement/revisao_extrato_test_support.h"
#include "bankstatement/uConcilacaoOFC.h"
#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {
namespace {

using namespace vyn;
using seed::kContaBanco;

class SelecaoLinhasTest : public RevisaoLinhasTest {};

inline constexpr char kCompPagto[] = "TfrImportacaoCompPagto";
using TCompPagtoStub = TTelaGravadora<kCompPagto>;

TEST_F(SelecaoLinhasTest, ToolbarOpensReconciliationAndReceiptImportWithTheReviewsContext) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}});
  t->spConciliacaoAut->Click();
  auto* c = Filho<TfrConciliacaoOFC>(*t);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->edCODEMP->Codigo(), 15);
  EXPECT_FALSE(c->edCODEMP->Enabled());
  EXPECT_EQ(c->edCODCTA->Codigo(), kContaBanco);
  EXPECT_EQ(c->FLancamentoDAO, t->DAOLinhas());

  DesregistraModulo(ClassRegistry(), {Registro<TCompPagtoStub>(kCompPagto, TClassKind::Screen)});
  RegistraModulo(ClassRegistry(), {Registro<TCompPagtoStub>(kCompPagto, TClassKind::Screen)});
  // The receipt import runs as a modal screen on the review's data.
  int tamanho = 0;
  TComponent* dono = nullptr;
  dialogs.Modal(kCompPagto, [&](TForm_VYN& f) {
    tamanho = static_cast<TCompPagtoStub&>(f).Tamanho;
    dono = f.Owner();
  });
  t->spImportarModelo->Click();
  EXPECT_EQ(tamanho, 7);
  EXPECT_EQ(dono, t);
}

TEST_F(SelecaoLinhasTest, MenuTicksItsRangeOfLinesAndLeavesLinesWithoutBankSide) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}, {2, kContaBanco, 30, 10, 1, ""}, {3, 40, 30, 10, 1, ""},
                  {4, 40, kContaBanco, 10, 1, ""}});
  TDAOFactory* l = t->DAOLinhas();
  l->SetRecNo(3);
  t->grGrid->SelectedField = "bdTIPOLAN";
  t->miSelecionarTodosAcima->Click();
  EXPECT_EQ(l->RecNo(), 3);
  EXPECT_TRUE(Campo(*t, 1, "BDCONCC").AsBoolean());
  EXPECT_EQ(Int(*t, 1, "BDTIPOCONC"), 2);
  EXPECT_TRUE(Campo(*t, 2, "BDCONCD").AsBoolean());
  EXPECT_EQ(Int(*t, 2, "BDTIPOCONC"), 1);
  EXPECT_FALSE(Campo(*t, 3, "BDCONCD").AsBoolean()) << "no bank side: left alone";
  EXPECT_FALSE(Campo(*t, 4, "BDCONCC").AsBoolean()) << "below the current line";

  // Inverting the preparation column touches neither marks nor kinds.
  t->grGrid->SelectedField = "BDTRANSPREP";
  t->miInverterSelecao->Click();
  for (int k : {1, 2, 3, 4}) EXPECT_TRUE(Campo(*t, k, "BDTRANSPREP").AsBoolean()) << k;
  EXPECT_TRUE(Campo(*t, 1, "BDCONCC").AsBoolean());
  t->miTirarSelecaoTodosAbaixo->Click();
  EXPECT_TRUE(Campo(*t, 2, "BDTRANSPREP").AsBoolean());
  EXPECT_FALSE(Campo(*t, 3, "BDTRANSPREP").AsBoolean());
  EXPECT_FALSE(Campo(*t, 4, "BDTRANSPREP").AsBoolean());
}

TEST_F(SelecaoLinhasTest, Y570MessageLeadsToItsLine) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}, {123, kContaBanco, seed::kContaAplicacao, 10, 1, ""},
                  {124, kContaBanco, 40, 10, 1, ""}});
  int cliques = 0;
  t->spY570->OnClick = [&](TComponent*) { ++cliques; };
  t->DAOLinhas()->SetRecNo(1);
  t->Inconsistencias_VYNExecuteItem("Lançamento 124: A conta informada a crédito é de aplicação financeira e os dados "
                                    "do registro Y570 da ECF não foram informados. Clique aqui para preenchê-los.");
  EXPECT_EQ(cliques, 0) << "line 124's credit is no financial application";
  EXPECT_EQ(t->DAOLinhas()->RecNo(), 1);
  // As the user activates the message in the review's inconsistency list.
  ASSERT_TRUE(inc_.OnExecuteItem);
  TInconsistenciaItem item;
  item.Caption = "Lançamento 123: A conta informada a crédito é de aplicação financeira e os dados "
                 "do registro Y570 da ECF não foram informados. Clique aqui para preenchê-los.";
  inc_.OnExecuteItem(item);
  EXPECT_EQ(cliques, 1);
  EXPECT_EQ(Campo(*t, 123, "BDCHAVE").AsInteger(), t->DAOLinhas()->FieldByName("BDCHAVE").AsInteger());
  t->Inconsistencias_VYNExecuteItem("Lançamento 123: outra mensagem");
  EXPECT_EQ(cliques, 1);
}

TEST_F(SelecaoLinhasTest, ReconciledEntriesConsultationShowsOnlyTheLinesEntries) {
  for (int k : {500, 501, 502})
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, ?, '2024-03-01', 1)",
                           {k});
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}, {2, 40, kContaBanco, 10, 1, ""}});
  auto* l = static_cast<TLancamentoMGR*>(t->DAOLinhas());
  l->setItensConciliadosItem(15, 1, "", TDateTime(), Currency::FromInt(1), 500, 2);
  l->setItensConciliadosItem(15, 1, "", TDateTime(), Currency::FromInt(1), 502, 2);
  Vai(*t, 1);
  t->grGrid->MouseClick("BDCHAVE");   // the user stands on the line: the toolbar follows
  ASSERT_TRUE(t->spOnline->Enabled());
  t->spOnline->Click();
  auto* c = dynamic_cast<TfrConsultaContabilizacao*>(t->Components().back());
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->DAO()->RecordCount(), 2);
  EXPECT_NE(c->DAO()->FindField("Histórico"), nullptr);
  Vai(*t, 2);
  t->grGrid->MouseClick("BDCHAVE");
  EXPECT_FALSE(t->spOnline->Enabled()) << "no reconciled entry";
  std::vector<Variant> params;
  t->SQLLancamentosConciliados(params);
  ASSERT_EQ(params.size(), 2u);
  EXPECT_EQ(params[1].AsInteger(), 0) << "no reconciled entry: key list 0";
}

}  // namespace
}  // namespace integracao
