// What the lines grid and the split-row grid do and show, on a real company database.
#include "bankstatement/revisao_extrato_test_support.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {
namespace {

using namespace vyn;
using seed::kContaBanco;
using TImg = TfrConsultaImportacaoExtratoBancario::TImagemCelula;

class GradesLinhasTest : public RevisaoLinhasTest {
 protected:
  // A settlement link of a line (split row chaveLanc, 0 for the line itself).
  static void Vinculo(TClientDataSet* v, int chave, int chaveLanc, int tipo, int sub, int serv, int id, int ordem,
                      bool automatico = false) {
    v->Append();
    campos::Set(*v, "BDCHAVE", Variant(chave));
    if (chaveLanc) campos::Set(*v, "BDCHAVELANC", Variant(chaveLanc));
    campos::Set(*v, "BDTIPO_BAIXA", Variant(tipo));
    campos::Set(*v, "BDSUBTIPO_BAIXA", Variant(sub));
    campos::Set(*v, "BDTIPOSERVICO", Variant(serv));
    campos::Set(*v, "BDBAIXA_ID", Variant(id));
    campos::Set(*v, "BDORDEM", Variant(ordem));
    campos::SetFlag(*v, "BDAUTOMATICO", automatico);
    v->Post();
  }
};

TEST_F(GradesLinhasTest, ClicksToggleOnlyWhatTheLineHas) {
  auto* t = Abre({{1, 40, 30, 10, 1, ""}, {2, 40, kContaBanco, 10, 1, ""}});
  Vai(*t, 1);
  t->grGrid->MouseClick("bdtipolan");
  EXPECT_FALSE(Campo(*t, 1, "BDCONCD").AsBoolean());
  EXPECT_FALSE(Campo(*t, 1, "BDCONCC").AsBoolean());
  EXPECT_EQ(t->grGridMostraDadoImagem("BDTIPOLAN"), TImg::CaixaDesmarcada);
  Vai(*t, 2);
  t->grGrid->SelectedField = "BDTIPOLAN";
  char espaco = ' ';
  t->grGrid->KeyPress(espaco);
  EXPECT_TRUE(Campo(*t, 2, "BDCONCC").AsBoolean());
  EXPECT_EQ(Int(*t, 2, "BDTIPOCONC"), 2);
  EXPECT_EQ(t->grGridMostraDadoImagem("BDTIPOLAN"), TImg::CaixaMarcada);

  // Unticking a line's preparation removes the rules made from it, and only those.
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* r = t->DAOPreparacoes();
  r->AppendRecord({Variant(15), Variant(1)});
  r->AppendRecord({Variant(15), Variant(2)});
  r->AppendRecord({Variant(15), Variant(3)});
  for (int k : {1, 2}) {
    ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(k)}));
    campos::Grava(*r, "BDCHAVELANC", Variant(k));
  }
  t->grGrid->CellClick("BDTRANSPREP");
  EXPECT_EQ(r->RecordCount(), 3) << "ticking removes nothing";
  t->grGrid->MouseClick("BDTRANSPREP");
  EXPECT_EQ(r->RecordCount(), 2);
  EXPECT_FALSE(r->Locate("BDCHAVELANC", {Variant(2)}));

  t->grGrid->MouseClick("BDTRANSPREP", true);
  EXPECT_EQ(t->PopupGrid, "pmSelecao");
  t->grGrid->MouseClick("BDVALOR", true);
  EXPECT_EQ(t->PopupGrid, "");
}

TEST_F(GradesLinhasTest, CellTextsImagesAndDescriptions) {
  Db().Execute("insert into TTERCEIRO_REF (BDCODTER, BDREFTER, BDNOMETER) values (77, 202401, 'Fornecedor Alfa')");
  auto* t = Abre({{1, seed::kContaFornecedores, kContaBanco, 10, 2, ""}, {2, 999, kContaBanco, 10, 0, ""}});
  EXPECT_EQ(t->grGridMostraDado("BDSTATUSWEB", "0"), "");
  EXPECT_EQ(t->grGridMostraDado("BDSTATUSWEB", "x"), "");
  EXPECT_EQ(t->grGridMostraDado("BDSTATUSWEB", "2"), "Recusado pelo escritório");
  EXPECT_EQ(t->grGridMostraDado("BDSTATUSWEB", "5"), "5");
  EXPECT_EQ(t->grGridMostraDado("BDCHAVELANC", ""), "DYQ");
  EXPECT_EQ(t->grGridMostraDado("BDCHAVELANC", "-3"), "Extrato bancário");
  TfrConsultaImportacaoExtratoBancario::TLayoutCelula lay;
  t->grGridMostraDado("BDVALOR", "10,00", &lay);
  EXPECT_TRUE(lay.Direita);
  EXPECT_EQ(lay.LarguraMinima, 150);

  Vai(*t, 1);
  campos::Grava(*t->DAOLinhas(), "BDCODTERCEIROD", Variant(77));
  EXPECT_EQ(t->grGridMostraDadoImagem("BDCODTERCEIROD"), TImg::Nenhuma);
  EXPECT_EQ(t->grGridMostraDadoImagem("BDCODTERCEIROC"), TImg::Cadeado);
  t->pnContaContabil->Width = 800;
  t->lbUnidadeCredito->Width = 90;
  t->grGrid->MouseClick("BDDATA");
  EXPECT_EQ(t->lbDebito->Caption(), "Débito: 20 - 2.1.1.01 - Fornecedores - Fornecedores");
  // The labels share the panel: half for accounts and participants, a quarter for the others.
  EXPECT_EQ(t->lbParticipanteCredito->Width, 400);
  EXPECT_EQ(t->lbUnidadeDebito->Width, 200);
  EXPECT_EQ(t->lbUnidadeCredito->Width, 90);
  EXPECT_EQ(t->Descricoes.Debito, "Débito: 20 - 2.1.1.01 - Fornecedores - Fornecedores");
  EXPECT_EQ(t->Descricoes.ParticipanteD, "Participante: 77 - Fornecedor Alfa");
  EXPECT_EQ(t->Descricoes.Historico, "Histórico: 2 - Recebimento conforme documento");
  Vai(*t, 2);
  EXPECT_EQ(t->grGridMostraDadoImagem("BDCODTERCEIROD"), TImg::Cadeado) << "an account missing from the chart";
  t->pMostraDescricao_Contas();
  EXPECT_EQ(t->Descricoes.Debito, "Débito: ");
  EXPECT_EQ(t->Descricoes.Historico, "Histórico: ");
  t->setControleDEBCRE();
  EXPECT_EQ(t->TipoCodigoDebito, 20);
  EXPECT_EQ(t->TipoCodigoCredito, 0) << "the bank account's cell has no lookup";

  // Coins: a linked line, yellow when its first link was made automatically.
  TClientDataSet* v = t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  Vinculo(v, 2, 0, 2, 0, 0, 70, 1, true);
  campos::Grava(*t->DAOLinhas(), "BDVINC_BAIXA", Variant(true));
  EXPECT_EQ(t->grGridMostraDadoImagem("BDVINC_BAIXA"), TImg::MoedaAmarela);
  EXPECT_EQ(t->grGridMostraDado("BDVINC_BAIXA", "True"), "");
}

// A line with its Y570 data is green, selected or not; the data of a company's entry that happens to
// have a line's provisional key are not the line's.
TEST_F(GradesLinhasTest, ALineWithItsY570DataIsGreen) {
  using TCor = TfrConsultaImportacaoExtratoBancario::TCorFonte;
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ) values (15, 2, 1)");
  auto* t = Abre({{1, seed::kContaFornecedores, kContaBanco, 10, 2, ""}, {2, 40, kContaBanco, 10, 0, ""}});
  vyn::TVZEL_EMPRESAS_TLAN_Y570MGR& y570 = *t->Y570DAO();
  y570.Append();
  y570.FieldByName("BDCODEMP").SetAsInteger(15);
  y570.FieldByName("BDCHAVE").SetAsInteger(1);
  y570.FieldByName("BDSEQ").SetAsInteger(1);
  y570.Post();
  Vai(*t, 1);
  EXPECT_EQ(t->CorFonteLinha(false), TCor::Verde);
  EXPECT_EQ(t->CorFonteLinha(true), TCor::Verde);
  Vai(*t, 2);
  EXPECT_EQ(t->CorFonteLinha(false), TCor::TextoJanela);
}

TEST_F(GradesLinhasTest, InstallmentKindsAndTheInstallmentsOfTheLine) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}, {2, 40, kContaBanco, 10, 1, ""}});
  TClientDataSet* v = t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  struct { int sub, serv, kind; } casos[] = {{0, 5, 0}, {1, 0, 1}, {2, 0, 2}, {2, 1, 3}, {2, 7, 0},
                                             {3, 1, 6}, {3, 0, 7}, {9, 1, 0}};
  for (auto c : casos) {
    Vinculo(v, 9, 0, 2, c.sub, c.serv, 1, 1);
    EXPECT_EQ(t->fRetornaTipoLancamento(0, false), c.kind) << c.sub << "/" << c.serv;
    v->Delete();
  }
  EXPECT_EQ(t->fRetornaTipoLancamento(1, false), 8);
  EXPECT_EQ(t->fRetornaTipoLancamento(2, true), 9);

  // Two open installments of an entry document; line 1 is linked to the second only.
  Db().Execute("insert into TTERCEIRO (BDCODTER, BDCGCTER, BDNOMETER) values (5, '11222333000181', 'Beta')");
  Db().Execute("insert into VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI) values (15, 70, '123')");
  for (int o : {1, 2})
    ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDVALORPAR, BDDATAVENCTOPAR, "
                           "BDCODTER) values (15, 70, ?, 50, '2024-03-10', 5)",
                           {o});
  Vinculo(v, 1, 0, 2, 0, 1, 70, 2);
  Vinculo(v, 2, 0, 2, 0, 1, 70, 1);
  Vai(*t, 1);
  t->grGrid->CellClick("BDCHAVE");
  ASSERT_NE(t->ConsultaParcelamentoDAO(), nullptr);
  ASSERT_EQ(t->ConsultaParcelamentoDAO()->RecordCount(), 1);
  EXPECT_EQ(t->ConsultaParcelamentoDAO()->FieldByName("BDORDEMPAR").AsInteger(), 2);
  // The user sees them in grGridNF, the value with two decimals.
  EXPECT_EQ(t->grGridNF->DataSet(), t->ConsultaParcelamentoDAO());
  EXPECT_EQ(t->grGridNF->CellText("BDVALORPAR"), "50,00");
  EXPECT_EQ(t->grGridNF->CellText("BDCGCTER"), "11222333000181");
  EXPECT_FALSE(t->grGridNF->EditaCelula("BDVALORPAR", "10,00"));
}

// A purchase and a sale may share their key and order: a line linked to the sale lists the sale only.
TEST_F(GradesLinhasTest, TheLinesInstallmentsAreThoseOfItsOwnBook) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}});
  Db().Execute("insert into VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI) values (15, 71, '4712')");
  ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDVALORPAR, BDDATAVENCTOPAR) "
               "values (15, 71, 1, 80, '2024-03-10')");
  Db().Execute("insert into VEF_EMP_TMOVSAI (BDCODEMP, BDCHAVE, BDNUMDOCINI) values (15, 71, '901')");
  ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVSAIPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDVALORPAR, BDDATAVENCTOPAR) "
               "values (15, 71, 1, 150, '2024-03-10')");
  Vinculo(t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 2, 1, 0, 71, 1);
  Vai(*t, 1);
  t->grGrid->CellClick("BDCHAVE");
  ASSERT_NE(t->ConsultaParcelamentoDAO(), nullptr);
  ASSERT_EQ(t->ConsultaParcelamentoDAO()->RecordCount(), 1);
  EXPECT_EQ(t->ConsultaParcelamentoDAO()->FieldByName("BDTIPOLANCEF").AsInteger(), 1);
  EXPECT_EQ(t->grGridNF->CellText("BDVALORPAR"), "150,00");
}

// The incremental search stops on the grid's column the container lets it navigate; the check-box
// column is not one of them, and a text no line starts with leaves the grid where it was.
TEST_F(GradesLinhasTest, TheSearchFieldFindsALineByTheSelectedColumn) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, "ALUGUEL"}, {2, 40, kContaBanco, 20, 1, "TARIFA BANCARIA"},
                  {3, 40, kContaBanco, 30, 1, "TARIFA PIX"}});
  Vai(*t, 1);
  t->grGrid->MouseClick("BDCOMPL");
  EXPECT_EQ(t->getCollumnSearch(), "BDCOMPL");
  t->edPesquisa->SetText("tarifa p");
  EXPECT_EQ(campos::Int(*t->DAOLinhas(), "BDCHAVE"), 3);
  t->edPesquisa->SetText("multa");
  EXPECT_EQ(campos::Int(*t->DAOLinhas(), "BDCHAVE"), 3);
  t->edPesquisa->Clear();
  t->grGrid->MouseClick("BDTIPOLAN");
  EXPECT_EQ(t->getCollumnSearch(), "");
  t->edPesquisa->SetText("0");
  EXPECT_EQ(campos::Int(*t->DAOLinhas(), "BDCHAVE"), 3);
}

}  // namespace
}  // namespace integracao
