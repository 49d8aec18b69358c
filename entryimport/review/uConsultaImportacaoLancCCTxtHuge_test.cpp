#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <stop_token>
#include <thread>

#include "entryimport/review/revisao_test_support.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge_Util.h"
#include "framework/component/resultado_execucao.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/pasta_trabalho.h"
#include "framework/ui/edit.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;
using Tela = TfrConsultaImportacaoLancCCTxtHuge;

// The client-folder run the engine reports a file's problems under.
class TArquivoClienteFake : public TForm_VYN, public IArquivoClienteImportacao {
 public:
  using TForm_VYN::TForm_VYN;
  int CodEmpArquivoCliente() const override { return 1; }
  int OrdemArquivoCliente() const override { return ordem; }
  int ordem = 7;
  bool marca = false;
  // Leaves its mark in the run's transaction, so the mark stays only if the entries do.
  void MarcaArquivoClienteImportado() override {
    if (!marca) return;
    ProcessContext().Database->Execute("insert into TINTEGRACAO_ARQ_CLIENTE_INCONS (BDCODEMP, BDORDEM, BDORDEMINCONS, "
                                       "BDINCONSISTENCIA) values (1, ?, 0, 'importado')",
                                       {ordem});
  }
};

class StagedReviewTest : public RevisaoComAberturaTest<TArquivoClienteFake> {
 protected:
  void SetUp() override {
    RevisaoComAberturaTest::SetUp();
    // The client-folder register's problem table (made by the feeders' schema).
    if (!Db().TableExists("TINTEGRACAO_ARQ_CLIENTE_INCONS"))
      Db().Execute("create table TINTEGRACAO_ARQ_CLIENTE_INCONS (BDCODEMP INTEGER NOT NULL, BDORDEM INTEGER NOT NULL, "
                   "BDORDEMINCONS INTEGER NOT NULL, BDINCONSISTENCIA VARCHAR(4000), BDCATEGORIAINCONSISTENCIA INTEGER)");
  }

  // Stages the file text and opens the staged review; drive acts on it while it is open.
  void Revisa(const std::string& texto, const std::function<void(Tela&)>& drive, bool tarvo = false,
              const std::function<void(TLancamentoMGR&)>& prepara = {}) {
    if (!tarvo)
      dialogs_.Modal("TfrConsultaImportacaoLancCCTxtHuge", [&](TForm_VYN& f) {
        auto& tela = dynamic_cast<Tela&>(f);
        ASSERT_EQ(tela.NodoSelecionado(), kNodoLancamentos);
        drive(tela);
      });
    std::istringstream in(texto);
    TLancamentoMGR* m = TLancamentoMGR::CreateMgr(opener_.get());
    m->ClasseRevisao = kClasseRevisaoArquivoGrande;
    m->IsTARVO = tarvo;
    if (prepara) prepara(*m);
    m->GetImportacaoLancTxt(4, empresa_, nullptr, in, opener_.get(), ",", false, bloqueio_, nullptr, "01/01/2024",
                            "31/01/2024", nullptr, 0, false, nullptr);
  }
  static std::string Linhas(int n, int debito = seed::kContaDespesas) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += "L,1,05/01/2024," + std::to_string(debito) + ",11," + std::to_string(i) + "\n";
    return s;
  }
};

const std::string kLongo(230, 'x');

// The staged review keeps a probable duplicate's mark and tick in its work table: the line waits there
// after an import left it out, a mark its edit undid is cleared there, and the tick books it.
TEST_F(StagedReviewTest, AProbableDuplicateWaitsInTheSessionUntilTicked) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, "
                         "BDDCTO, BDCOMPL) values (1, 9001, '2024-01-05', 40, 11, 100, '4711', 'Pagto')");
  Revisa("L,1,05/01/2024,40,11,100,,Pagto fornecedor,NF 4711\n" + Linhas(2), [&](Tela& t) {
    const int sessao = t.Sessao();
    auto marcadas = [&] {
      return Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDDUPLICATA is not null", {sessao});
    };
    EXPECT_EQ(marcadas(), 1);
    dialogs_.Ok("2 lançamento(s) importado(s), 1 não importado(s)");
    t.spImportacao->Click();
    TDAOFactory& l = *t.DAOAtual();
    ASSERT_EQ(l.RecordCount(), 1);
    l.First();
    ASSERT_TRUE(MarcadaDuplicata(l));
    ASSERT_TRUE(t.grGrid->EditaCelula("BDDATA", "06/01/2024"));
    EXPECT_FALSE(MarcadaDuplicata(l));
    EXPECT_EQ(marcadas(), 0);
    ASSERT_TRUE(t.grGrid->EditaCelula("BDDATA", "05/01/2024"));
    EXPECT_EQ(marcadas(), 1);
    t.grGrid->CellClick(kCampoLancarDuplicata);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDLANCARDUPLICATA = 'TRUE'",
                    {sessao}), 1);
    dialogs_.Ok("1 lançamento(s) importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(t.DAOAtual()->RecordCount(), 0);
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDVALOR = 100"), 2);
}

TEST_F(StagedReviewTest, LargeFileIsStagedAndImportedUnderReservedKeysWithItsCompanions) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (1, 500, '2023-12-01', 1)");
  const std::string arquivo = "L,1,05/01/2024,40,11,\"1.000,50\",1,\"" + kLongo + "\",NF1,7,,,nota da linha\n"
                              "C,1,900,D,600.50\nC,1,901,D,400\n" + Linhas(400);
  Revisa(arquivo, [&](Tela& t) {
    const int sessao = t.Sessao();
    ASSERT_GT(sessao, 0);
    EXPECT_EQ(t.DAOAtual()->RecordCount(), 401);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao}), 401);
    // The long complement lives apart and the line keeps none; the note and cost centres are details.
    EXPECT_EQ(Db().QueryValue("select BDCOMPL from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDSESSAO = ?", {sessao}).AsString(),
              kLongo);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCOMPL is not null "
                    "and BDCHAVE = 1", {sessao}), 0);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_NE_TEMP where BDSESSAO = ?", {sessao}), 1);
    EXPECT_EQ(Conta("select BDLINHA from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVE = 2", {sessao}), 4);
    ASSERT_EQ(t.GetArrayOfCDS().size(), 7u);   // entries, five details, multiple entries
    EXPECT_EQ(t.Aggregates(t.DAOAtual())[0]->RecordCount(), 2);
    dialogs_.Ok("401 lançamento(s) importado(s), 0 não importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(t.DAOAtual()->RecordCount(), 0);
    for (const char* tabela : {"TMP_VZEL_EMPRESAS_TLAN_TEMP", "TMP_VZEL_EMP_TLAN_COMPL_TEMP",
                               "TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", "TMP_VZEL_EMPRESAS_TLAN_NE_TEMP"})
      EXPECT_EQ(Conta(std::string("select count(*) from ") + tabela + " where BDSESSAO = ?", {sessao}), 0) << tabela;
  });
  // Keys continue after the company's highest; the line's companions follow its reserved key.
  EXPECT_EQ(Conta("select min(BDCHAVE) from VZEL_EMPRESAS_TLAN where BDCHAVE <> 500"), 501);
  EXPECT_EQ(Conta("select max(BDCHAVE) from VZEL_EMPRESAS_TLAN"), 901);
  EXPECT_EQ(Db().QueryValue("select BDCOMPL from VZEL_EMPRESAS_TLAN_COMPL where BDCODEMP = 1 and BDCHAVE = 501").AsString(),
            kLongo);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC where BDCODEMP = 1 and BDCHAVE = 501"), 2);
  EXPECT_EQ(Db().QueryValue("select BDVALOR from VZEL_EMPRESAS_TLAN where BDCHAVE = 501").AsCurrency(),
            Currency::Parse("1000.50"));
}

// The explanatory note is corrected in the detail grid, added to a line the file gave none, taken away,
// and refused over its width; the import writes what the review shows, a note of the whole width too.
TEST_F(StagedReviewTest, TheExplanatoryNoteIsCorrectedAddedAndRemovedInTheDetailGrid) {
  const std::string longa(25000, 'n');
  Revisa("L,1,05/01/2024,40,11,1,,,,,,,nota do arquivo\nL,1,05/01/2024,40,11,2\nL,1,05/01/2024,40,11,3,,,,,,,tirar\n",
         [&](Tela& t) {
           TDAOFactory& d = *t.DAOAtual();
           const int sessao = t.Sessao();
           t.spNotaExplicativa->Click();
           auto edita = [&](int linha, const std::string& texto) {
             d.SetRecNo(linha);
             t.grGrid->MouseClick("BDVALOR", false, 0);
             return t.grGridItens->EditaCelula("BDDESCRICAO", texto);
           };
           ASSERT_TRUE(edita(1, "nota corrigida"));
           ASSERT_TRUE(edita(2, longa));
           ASSERT_TRUE(edita(3, ""));
           dialogs_.Ok("menor que 25000 caracteres");
           EXPECT_FALSE(edita(1, longa + "n"));
           dialogs_.Ok("(WIN1252) não aceita");
           EXPECT_FALSE(edita(1, "caf\xC3\xA9 \xE2\x98\x95"));
           EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_NE_TEMP where BDSESSAO = ?", {sessao}), 2);
           d.SetRecNo(1);
           t.grGrid->MouseClick("BDVALOR", false, 0);
           EXPECT_EQ(t.dsGridItens->DataSet()->FieldByName("BDDESCRICAO").AsString(), "nota corrigida");
           dialogs_.Ok("3 lançamento(s) importado(s), 0 não importado(s)");
           t.spImportacao->Click();
         });
  auto nota = [&](int valor) {
    return Db().QueryValue("select BDDESCRICAO from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDVALOR = ?", {valor});
  };
  EXPECT_EQ(nota(1).AsString(), "nota corrigida");
  EXPECT_EQ(nota(2).AsString(), longa);
  EXPECT_TRUE(nota(3).IsNull());
}

TEST_F(StagedReviewTest, FailedWriteLeavesNothingHalfWrittenAndInconsistentLinesStayStaged) {
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_CHAVE (BDCODEMP, BDPROXIMACHAVE) values (1, 10)");
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (1, 11, '2023-12-01', 1)");
  opener_->marca = true;
  Revisa("L,1,05/01/2024,40,11,100\nL,1,05/01/2024,40,11,80\nL,1,05/01/2024,999,11,7\n", [&](Tela& t) {
    const int sessao = t.Sessao();
    dialogs_.Ok("nada foi gravado");
    t.spImportacao->Click();
    EXPECT_EQ(t.DAOAtual()->RecordCount(), 3);
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 1);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao}), 3);
    const std::string marca = "select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDINCONSISTENCIA = 'importado'";
    EXPECT_EQ(Conta(marca), 0) << "the client file is not marked by a run that wrote nothing";
    dialogs_.Ok("2 lançamento(s) importado(s), 1 não importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(Conta(marca), 1);
    ASSERT_EQ(t.DAOAtual()->RecordCount(), 1);
    EXPECT_EQ(Conta("select count(*) from VZEL_INCON_TLAN where BDSESSAO = ? and BDCHAVE = 3", {sessao}), 1);
    // The import's own messages collect in the screen's list and reach the opener's too: an
    // unattended caller judges the run by its list alone. A second press reports afresh.
    EXPECT_EQ(t.InconsistenciasProprias()->Count(), 1);
    ASSERT_FALSE(dialogs_.Calls().empty());
    const TDialogCall& lista = dialogs_.Calls().back();
    EXPECT_EQ(lista.Kind, TDialogKind::List);
    ASSERT_EQ(lista.Items.size(), 1u);
    EXPECT_NE(lista.Items.front().find("conta 999"), std::string::npos);
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 3);
  ASSERT_EQ(lista_->Count(), 1);
  EXPECT_NE(lista_->Itens().front().Caption.find("conta 999 à débito"), std::string::npos);
}

TEST_F(StagedReviewTest, AnEntryValueEditedInTheReviewIsCheckedAgainstItsSplit) {
  Revisa("L,1,05/01/2024,40,11,100\nC,1,900,C,60\nC,1,901,C,40\nL,1,06/01/2024,40,11,50\n", [&](Tela& t) {
    const int sessao = t.Sessao();
    t.DAOAtual()->First();
    ASSERT_TRUE(t.grGrid->EditaCelula("BDVALOR", "80,00"));
    dialogs_.Ok("1 lançamento(s) importado(s), 1 não importado(s)");
    t.spImportacao->Click();
    ASSERT_EQ(t.DAOAtual()->RecordCount(), 1);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_CC_TEMP where BDSESSAO = ?", {sessao}), 2);
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC"), 0);
    EXPECT_EQ(Db().QueryValue("select BDDESCRICAO from VZEL_INCON_TLAN where BDSESSAO = ?", {sessao}).AsString(),
              "os centros de custo a crédito somam 100,00 e o lançamento vale 80,00");
    // The value put back, the entry goes with its whole split.
    t.DAOAtual()->First();
    ASSERT_TRUE(t.grGrid->EditaCelula("BDVALOR", "100,00"));
    dialogs_.Ok("1 lançamento(s) importado(s), 0 não importado(s)");
    t.spImportacao->Click();
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 2);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC"), 2);
}

TEST_F(StagedReviewTest, SettlementIsPostedOnlyAfterTheBalanceCheckAndOnlyOnce) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(1000), {{1, R(100), TDateTime(), 0}});
  Revisa("L,1,05/01/2024,20,11,100\nL,1,05/01/2024,40,11,50\nL,1,05/01/2024,40,,30\n", [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    d.First();
    t.DAOSetValue(d, "BDVINC_BAIXA", Variant(std::string("TRUE")), 8);
    TClientDataSet& v = *t.Vinculos();
    v.Append();
    for (const auto& [c, x] : std::vector<std::pair<const char*, Variant>>{
             {"BDCODEMP", 1}, {"BDCHAVE", 1}, {"BDTIPO_BAIXA", tbvParcela}, {"BDSUBTIPO_BAIXA", 0}, {"BDBAIXA_ID", 10},
             {"BDORDEM", 1}, {"BDVALOR", R(100)}, {"bdCODTIPOBAIXA", 1}})
      v.FieldByName(c).SetValue(x);
    v.Post();
    dialogs_.Ok("diferença de 30,00");
    t.spImportacao->Click();
    EXPECT_EQ(Conta("select count(*) from VEF_EMP_TMOVENTPARPGTO"), 0);
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
    d.SetRecNo(3);
    t.DAOSetValue(d, "BDCREDITO", Variant(11), 1);
    // The settled line is counted with the written ones.
    dialogs_.Ok("3 lançamento(s) importado(s), 0 não importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(Conta("select count(*) from VEF_EMP_TMOVENTPARPGTO"), 1) << (t.InconsistenciaIni()->IsEmpty() ? "" : t.InconsistenciaIni()->Itens().front().Caption);
    // The settled line left the session; a further press posts nothing again.
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao}), 0);
    dialogs_.Ok("0 lançamento(s) importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(Conta("select count(*) from VEF_EMP_TMOVENTPARPGTO"), 1);
  });
}

TEST_F(StagedReviewTest, ScheduledRunImportsWithoutDialogsAndWritesStatusRowsUnderTheReservedKeys) {
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  Revisa("L,1,05/01/2024,40,11,100\nL,1,05/01/2024,998,,5\nL,1,05/01/2024,,11,5\n", {}, true);
  EXPECT_EQ(Conta("select count(*) from VSH_EMP_TCONF_TLAN T where BDSTATUS = 2 and exists (select 1 from "
                  "VZEL_EMPRESAS_TLAN L where L.BDCODEMP = T.BDCODEMP and L.BDCHAVE = T.BDCHAVE)"), 2);
  EXPECT_EQ(Conta("select count(*) from VSH_EMP_TCONF_TLAN where BDSTATUS = 1"), 1);
  AguardaRemocoesSessoes();
  EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP"), 0) << "the closed review leaves no work rows";
  EXPECT_NE(resultado.Mensagem.find("2 lançamento(s) importado(s)"), std::string::npos);
}

TEST_F(StagedReviewTest, WriteThroughOfMarksNullsAndComplements) {
  Revisa(Linhas(2), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    auto coluna = [&](const char* c) {
      return Db().QueryValue(std::string("select ") + c + " from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVE = 1",
                             {sessao});
    };
    d.First();
    t.DAOSetValue(d, "BDCONCD", Variant(std::string("TRUE")), 8);
    t.DAOSetValue(d, "BDPENDENTED", Variant(std::string("TRUE")), 8);
    EXPECT_EQ(coluna("BDCONCD").AsString(), "FALSE");
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 1);
    t.DAOSetValue(d, "BDPENDENTEC", Variant(std::string("TRUE")), 8);
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 3);
    EXPECT_EQ(d.FieldByName("BDCONCILIACAOPENDENTE").AsInteger(), 3);
    t.DAOSetValue(d, "BDPENDENTEC", Variant(std::string("FALSE")), 8);
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 3);   // "FALSE" has no side effect
    t.DAOSetValue(d, "BDCODTPHI", Variant(), 1);
    EXPECT_TRUE(coluna("BDCODTPHI").IsNull());
    EXPECT_EQ(d.State(), TDataSetState::dsBrowse);

    auto compl_ = [&] {
      return Conta("select count(*) from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDSESSAO = ? and BDCHAVE = 1", {sessao});
    };
    const std::string t201(201, 'a');
    EXPECT_FALSE(t.fcLancamentosHugeSaveAlterSearch("BDDCTO", t201, 0));
    // Typed in the grid's cell: a long complement goes to the complement work table, not the line.
    d.First();
    EXPECT_TRUE(t.grGrid->EditaCelula("BDCOMPL", t201));
    EXPECT_EQ(compl_(), 1);
    EXPECT_TRUE(coluna("BDCOMPL").IsNull());
    EXPECT_TRUE(t.grGrid->EditaCelula("BDCOMPL", "d'água" + std::string(194, 'b')));   // 200 characters
    EXPECT_EQ(compl_(), 0);
    EXPECT_EQ(coluna("BDCOMPL").AsString(), "d'água" + std::string(194, 'b'));
    // Unchanged text writes nothing.
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDCOMPL = 'outro' where BDSESSAO = ?", {sessao});
    t.SetComplementoAntes("igual");
    t.fcLancamentosHugeSaveAlterSearch("BDCOMPL", "igual", 0);
    EXPECT_EQ(coluna("BDCOMPL").AsString(), "outro");

    // A script runs all or nothing and reports its failure.
    const std::string erro = t.DAORealizarCommit(
        {"update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDLOTE = 9 where BDSESSAO = " + std::to_string(sessao),
         "update NAO_EXISTE set X = 1"});
    EXPECT_FALSE(erro.empty());
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDLOTE = 9"), 0);
    EXPECT_TRUE(t.DAORealizarCommit({"update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDLOTE = 9 where BDSESSAO = " +
                                     std::to_string(sessao)}).empty());
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDLOTE = 9"), 2);
    dialogs_.Ok("importado");
    t.spImportacao->Click();
  });
}

// One measure of a complement's length: 199 characters and trailing blanks stay on the line when
// staged, and the editor opens with them.
TEST_F(StagedReviewTest, AComplementThatFitsWithoutItsTrailingBlanksStaysOnTheLine) {
  const std::string t199(199, 'c');
  Revisa("L,1,05/01/2024,40,11,1,,\"" + t199 + "   \"\n", [&](Tela& t) {
    const int sessao = t.Sessao();
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDSESSAO = ?", {sessao}), 0);
    EXPECT_EQ(TrimRight(Db().QueryValue("select BDCOMPL from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao})
                            .AsString()),
              t199);
    t.DAOAtual()->First();
    std::string texto;
    bool aceita = true;
    t.fcLancamentosBeforeEditField("BDCOMPL", nullptr, &texto, nullptr, aceita);
    EXPECT_EQ(TrimRight(texto), t199);
    // Saved with blanks that take it past the column, it is still the line's.
    t.fcLancamentosHugeSaveAlterSearch("BDCOMPL", t199 + "  ", 0);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDSESSAO = ?", {sessao}), 0);
    t.fcLancamentosBeforeEditField("BDCOMPL", nullptr, &texto, nullptr, aceita);
    EXPECT_EQ(TrimRight(texto), t199);
  });
}

// The step that clears the line's own complement where the complement table holds it fails: the
// import stops with the database's error and writes nothing.
TEST_F(StagedReviewTest, AFailingComplementScriptStopsTheImportWithItsError) {
  Db().Execute("create exception E_COMPL_TESTE 'complemento travado'");
  Db().Execute("create trigger T_COMPL_TESTE for TMP_VZEL_EMPRESAS_TLAN_TEMP before update as begin if (new.BDCOMPL is "
               "null and old.BDCOMPL is not null) then exception E_COMPL_TESTE; end");
  Revisa("L,1,05/01/2024,40,11,10,,\"" + kLongo + "\"\n" + Linhas(1), [&](Tela& t) {
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDCOMPL = 'curto' where BDSESSAO = ? and BDCHAVE = 1",
                 {t.Sessao()});
    t.spImportacao->Click();
    ASSERT_FALSE(dialogs_.Calls().empty());
    const TDialogCall& lista = dialogs_.Calls().back();
    ASSERT_EQ(lista.Kind, TDialogKind::List);
    ASSERT_EQ(lista.Items.size(), 1u);
    EXPECT_NE(lista.Items.front().find("complemento travado"), std::string::npos) << lista.Items.front();
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
}

// A closed session's removal runs on an attachment of its own: it takes the session's rows from every
// work table and its session row; one that cannot reach the database takes nothing, so the session row
// stays with its lines for the removal of abandoned sessions.
TEST_F(StagedReviewTest, ASessionRemovedBehindTheClosingGoesWholeOrNotAtAll) {
  auto semeia = [&](int sessao) {
    Db().Execute("insert into TMP_VZEL_SESSAO (BDSESSAO, BDATTACHMENT, BDUSUARIO) values (?, CURRENT_CONNECTION, "
                 "CURRENT_USER)",
                 {sessao});
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (?, 1, "
                 "1, '2024-01-05', 1)",
                 {sessao});
    for (const char* t : {kTabelaProdutorRural, kTabelaNotaExplicativa, kTabelaComplementosLongos})
      Db().Execute(std::string("insert into ") + t + " (BDSESSAO, BDCODEMP, BDCHAVE) values (?, 1, 1)", {sessao});
  };
  auto linhas = [&](int sessao) {
    int64_t n = Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao}) +
                Conta("select count(*) from TMP_VZEL_SESSAO where BDSESSAO = ?", {sessao});
    for (const char* t : kTabelasCompanheirasTemp)
      n += Conta(std::string("select count(*) from ") + t + " where BDSESSAO = ?", {sessao});
    return n;
  };
  semeia(9101);
  semeia(9102);
  const int64_t cada = linhas(9101);
  ApagaSessaoArquivoGrandeAoFundo(Db(), 9101);
  TDatabase fechado;   // never opened: its removal cannot attach
  ApagaSessaoArquivoGrandeAoFundo(fechado, 9102);
  AguardaRemocoesSessoes();
  EXPECT_EQ(linhas(9101), 0);
  EXPECT_EQ(linhas(9102), cada);
}

// A review's work rows end when it closes, imported or not; a session whose attachment is gone is
// removed at the next start, a live one of another review is not.
TEST_F(StagedReviewTest, WorkRowsEndWithTheReviewAndAbandonedSessionsAtTheNextStart) {
  int sessao = 0;
  Revisa(Linhas(2) + "L,1,05/01/2024,999,11,7\nC,1,900,D,7\n", [&](Tela& t) {
    sessao = t.Sessao();
    dialogs_.Ok("2 lançamento(s) importado(s), 1 não importado(s)");
    t.spImportacao->Click();
  });
  // Removed behind the closing, on an attachment of their own.
  AguardaRemocoesSessoes();
  for (const char* tabela : {"TMP_VZEL_EMPRESAS_TLAN_TEMP", "TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", "VZEL_INCON_TLAN",
                             "TMP_VZEL_SESSAO"})
    EXPECT_EQ(Conta(std::string("select count(*) from ") + tabela + " where BDSESSAO = ?", {sessao}), 0) << tabela;

  // A killed process left session 9001 behind; session 9002 belongs to a review still open here.
  Db().Execute("insert into TMP_VZEL_SESSAO (BDSESSAO, BDATTACHMENT, BDUSUARIO) values (9001, 2000000000, CURRENT_USER)");
  Db().Execute("insert into TMP_VZEL_SESSAO (BDSESSAO, BDATTACHMENT, BDUSUARIO) values (9002, CURRENT_CONNECTION, "
               "CURRENT_USER)");
  for (int s : {9001, 9002})
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (?, 1, "
                 "1, '2024-01-05', 1)",
                 {s});
  Revisa(Linhas(1, seed::kContaDespesas + 1), [&](Tela&) {
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9001"), 0);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9002"), 1);
  });
}

// The observation screen the pending mark opens.
class TObservacoesFake : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return "TfrObservacoes"; }
};

TEST_F(StagedReviewTest, MarksKeepASideConciliatedOrPendingAndAreWrittenThrough) {
  ClassRegistry().RegisterClass<TObservacoesFake>("TfrObservacoes", TClassKind::Screen);
  int aberturas = 0;
  Revisa(Linhas(2), [&](Tela& t) {
    for (int i = 0; i < 3; ++i) dialogs_.Modal("TfrObservacoes", [&](TForm_VYN&) { ++aberturas; });
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    auto coluna = [&](const char* c) {
      return Db().QueryValue(std::string("select ") + c + " from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVE = 1",
                             {sessao});
    };
    auto observacoes = [&](int lado) {
      return Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP where BDSESSAO = ? and BDCHAVE = 1 and BDDEBCRE = ?",
                   {sessao, lado});
    };
    auto tecla = [&](const char* coluna_, char k) {
      t.grGrid->SelectedField = coluna_;
      // A key pressed on the grid: the screen's key preview first, then the grid if it is left.
      t.KeyPress(k);
      if (k) t.grGrid->KeyPress(k);
    };
    d.First();
    t.grGrid->SetFocus();
    // Another column changes no mark.
    tecla("bdDATA", ' ');
    tecla("bdDATA", 'P');
    t.grGrid->CellClick("bdHISTORICO");
    EXPECT_EQ(UpperCase(coluna("BDCONCD").AsString()), "FALSE");
    EXPECT_EQ(UpperCase(coluna("BDPENDENTED").AsString()), "FALSE");

    // The staged switch: anything but "TRUE" becomes "True", and the type follows.
    t.grGrid->CellClick("bdCONCD");
    EXPECT_EQ(coluna("BDCONCD").AsString(), "True");
    EXPECT_EQ(coluna("BDTIPOCONC").AsInteger(), 1);
    EXPECT_EQ(d.FieldByName("BDTIPOCONC").AsInteger(), 1);
    tecla("bdCONCD", ' ');
    EXPECT_EQ(coluna("BDCONCD").AsString(), "False");
    tecla("bdCONCD", ' ');

    // P on a conciliated side: no longer conciliated, pending, one observation, the screen opened.
    tecla("bdCONCD", 'p');
    EXPECT_EQ(UpperCase(coluna("BDCONCD").AsString()), "FALSE");
    EXPECT_EQ(coluna("BDPENDENTED").AsString(), "TRUE");
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 1);
    EXPECT_EQ(coluna("BDTIPOCONC").AsInteger(), 0);
    tecla("bdCONCD", 'P');
    EXPECT_EQ(observacoes(0), 1);
    tecla("bdCONCC", 'P');
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 3);
    EXPECT_EQ(observacoes(1), 1);
    EXPECT_EQ(aberturas, 3);
    // The grid shows a pending side as pending, whatever its mark.
    EXPECT_EQ(t.grGridMostraDadoImagem("bdCONCD"), "iPendente14");
    EXPECT_EQ(t.grGridMostraDadoImagem("BDVINC_BAIXA_MULT"), "iUnChecked");

    // Conciliating a pending side removes its observation and its pending mark only.
    tecla("bdCONCD", ' ');
    EXPECT_EQ(coluna("BDCONCD").AsString(), "True");
    EXPECT_EQ(UpperCase(coluna("BDPENDENTED").AsString()), "FALSE");
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 2);
    EXPECT_EQ(observacoes(0), 0);
    EXPECT_EQ(observacoes(1), 1);
    EXPECT_EQ(d.FieldByName("BDCONCILIACAOPENDENTE").AsInteger(), 2);
    EXPECT_EQ(d.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(t.grGridMostraDadoImagem("bdCONCD"), "iChecked");

    // Releasing a key or the mouse shows the line's descriptions again.
    t.lbDebito->SetCaption("");
    int seta = 40;
    t.grGrid->KeyUp(seta, 0);
    EXPECT_EQ(t.lbDebito->Caption().rfind("Débito: ", 0), 0u);
    t.lbDebito->SetCaption("");
    t.grGrid->MouseClick("bdDATA");
    EXPECT_EQ(t.lbDebito->Caption().rfind("Débito: ", 0), 0u);

    // An observation that cannot be written is reported and leaves the marks as they were.
    Db().Execute("CREATE EXCEPTION E_OBS_TESTE 'sem observacoes'");
    Db().Execute("CREATE TRIGGER T_OBS_TESTE FOR TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP BEFORE INSERT AS BEGIN EXCEPTION "
                 "E_OBS_TESTE; END");
    t.grGrid->SelectedField = "bdCONCD";
    EXPECT_ANY_THROW(t.setLancamentoPendente());
    EXPECT_EQ(UpperCase(coluna("BDPENDENTED").AsString()), "FALSE");
    EXPECT_EQ(coluna("BDCONCILIACAOPENDENTE").AsInteger(), 2);
    Db().Execute("DROP TRIGGER T_OBS_TESTE");
    Db().Execute("DROP EXCEPTION E_OBS_TESTE");
  });
  ClassRegistry().UnRegisterClass("TfrObservacoes");
}

// A unit needs a development; both go to the credit side of the line, and both must be the company's.
void UnidadeDoEmpreendimentoVaiAoCredito(TDatabase& db, Tela& t, TDAOFactory& inc, int sessao) {
  db.Execute("insert into VEF_EMP_TCADEMPREENDIMENTO (BDCODEMP, BDCODEMPREENDIMENTO, BDNOMEEMPRE) values (1, 4, 'Obra')");
  db.Execute("insert into VEF_BASE_TCADUNIDIMOBILIARIA (BDCODEMP, BDCODEMPREENDIMENTO, BDCODIGOUNIIMOB, BDDESCRICAO) "
             "values (1, 4, 9, 'Sala 9')");
  t.dsGridItens->SetDataSet(&inc);
  inc.First();
  EXPECT_FALSE(t.grGridItens->EditaCelula("bdCODIGOUNIIMOB", "9"));
  ASSERT_TRUE(t.grGridItens->EditaCelula("bdCODEMPREENDIMENTO", "4"));
  ASSERT_TRUE(t.grGridItens->EditaCelula("bdCODIGOUNIIMOB", "9"));
  ASSERT_NE(t.EdCodEmpree(), nullptr);
  EXPECT_EQ(t.EdCodEmpree()->Codigo(), 4);
  auto linha = [&](const char* c) {
    return db.QueryValue(std::string("select ") + c + " from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao});
  };
  EXPECT_EQ(linha("BDCODEMPREEACAOC").AsInteger(), 4);
  EXPECT_EQ(linha("BDCODUNIIMOBACAOC").AsInteger(), 9);
  EXPECT_EQ(linha("BDCODEMPREEACAOD").AsInteger(), 0);
}

TEST_F(StagedReviewTest, RuralProducerAndRealEstateDetailEditsFollowTheirRules) {
  // A rural producer's review offers the rural-producer detail: each staged line has its row, empty.
  Db().Execute("update TEMPRESAS set BDPRODUTORRURAL = 'TRUE' where BDCODEMP = 1");
  Revisa("P,99,Forn,Fornecedor Noventa e Nove,12345678000199\n" + Linhas(1), [&](Tela& t) {
    EXPECT_TRUE(t.spLancamentosPR->Visible());
    EXPECT_FALSE(t.spLancamentosInc->Visible());
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    d.First();
    EXPECT_TRUE(Db().QueryValue("select BDTIPOPARTICIPANTE from TMP_VZEL_EMPRESAS_TLAN_PR_TEMP where BDSESSAO = ? and "
                                "BDCODEMP = 1 and BDCHAVE = 1", {sessao}).IsNull());
    EXPECT_TRUE(Db().QueryValue("select first 1 1 from TMP_VZEL_EMPRESAS_TLAN_INC_TEMP where BDSESSAO = ?", {sessao}).IsNull());
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_PR_TEMP set BDTIPOPARTICIPANTE = 0, BDCODTER = 5, BDCPFMANUAL = "
                 "'12345678909', BDTIPMOV = 1, BDCTACOR = 7, BDTIPOPE = 0, BDTRANSTIPOPE = 1, BDTRANSFERENCIA = 'FALSE' "
                 "where BDSESSAO = ? and BDCODEMP = 1 and BDCHAVE = 1",
                 {sessao});
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_INC_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE) values (?, 1, 1, 1)",
                 {sessao});
    t.tvGrupos->SetSelected(t.tvGrupos->FindNode(kNodoParticipantes));
    t.tvGrupos->SetSelected(t.tvGrupos->FindNode(kNodoLancamentos));
    EXPECT_TRUE(t.spLancamentosPR->Visible());
    EXPECT_FALSE(t.spLancamentosInc->Visible());   // a row, but no developer
    const auto& ag = t.Aggregates(&d);
    TDAOFactory& inc = *ag[2];
    TDAOFactory& pr = *ag[3];
    inc.Refresh();
    pr.Refresh();
    pr.First();
    auto aceita = [&](const char* campo) {
      bool a = true;
      t.fcLancamentosPRBeforeEditField(campo, nullptr, nullptr, a);
      return a;
    };
    auto pr_ = [&](const char* c) {
      return Db().QueryValue(std::string("select ") + c + " from TMP_VZEL_EMPRESAS_TLAN_PR_TEMP where BDSESSAO = ?", {sessao});
    };
    {
      // Shown by its button, the detail's codes read as words and the cells its choices leave out are locked.
      t.spLancamentosPR->Click();
      ASSERT_EQ(t.dsGridItens->DataSet(), &pr);
      EXPECT_EQ(t.grGridItens->CellText("BDTIPMOV"), "Conta bancária");
      EXPECT_EQ(t.grGridItens->CellText("BDTIPOPARTICIPANTE"), "Participante");
      EXPECT_EQ(t.grGridItens->CellText("BDTIPOPE"), "Entrada");
      EXPECT_EQ(t.grGridItens->CellText("BDTRANSTIPOPE"), "Saída");
      EXPECT_EQ(t.grGridItens->CellText("BDTRANSTIPMOV"), "");
      EXPECT_EQ(t.grGridItens->CellText("BDCPFMANUAL"), "123.456.789-09");
      EXPECT_EQ(t.grGridItensMostraDadoImagem("BDCPFMANUAL"), "ilock");
      EXPECT_EQ(t.grGridItensMostraDadoImagem("BDCODTER"), "");
      EXPECT_EQ(t.grGridItensMostraDadoImagem("BDTRANSCTACOR"), "ilock");
      t.spLancamentosCC->Click();
      EXPECT_FALSE(t.spLancamentosPR->Down);
    }
    EXPECT_TRUE(aceita("BDCODTER"));
    EXPECT_FALSE(aceita("BDCPFMANUAL"));
    EXPECT_TRUE(aceita("BDCTACOR"));
    EXPECT_FALSE(aceita("BDTRANSTIPOPE"));   // not a transfer
    EXPECT_FALSE(aceita("BDTRANSCTACOR"));   // no transfer kind of account
    EXPECT_TRUE(aceita("BDTIPOPE"));
    // Only a line known not to be a transfer refuses the transfer columns.
    pr.Edit();
    pr.FieldByName("BDTRANSFERENCIA").Clear();
    EXPECT_TRUE(aceita("BDTRANSTIPOPE"));
    EXPECT_TRUE(aceita("BDTRANSTIPMOV"));
    pr.Cancel();

    // Typed in the detail grid, as the user picks them: "CPF produtor rural" clears the participant
    // and the typed CPF.
    t.spLancamentosPR->Down = true;
    t.dsGridItens->SetDataSet(&pr);
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPOPARTICIPANTE", "CPF produtor rural"));
    EXPECT_EQ(pr_("BDTIPOPARTICIPANTE").AsInteger(), 1);
    EXPECT_TRUE(pr_("BDCODTER").IsNull());
    EXPECT_TRUE(pr_("BDCPFMANUAL").IsNull());
    EXPECT_FALSE(t.grGridItens->EditaCelula("BDCPFMANUAL", "12345678909"));   // only for a typed CPF
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPMOV", "Em espécie"));
    EXPECT_TRUE(pr_("BDCTACOR").IsNull());
    // The cash book's kinds are picked and shown by name and stored by their codes, counted from 1.
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPDOC", "Recibo"));
    EXPECT_EQ(pr_("BDTIPDOC").AsInteger(), 3);
    EXPECT_EQ(t.grGridItens->CellText("BDTIPDOC"), "Recibo");
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPLAN", "Despesa de custeio e investimentos"));
    EXPECT_EQ(pr_("BDTIPLAN").AsInteger(), 2);
    EXPECT_EQ(t.grGridItens->CellText("BDTIPLAN"), "Despesa de custeio e investimentos");
    EXPECT_FALSE(t.grGridItens->EditaCelula("BDTIPDOC", "Duplicata"));
    EXPECT_EQ(pr_("BDTIPDOC").AsInteger(), 3);
    // Only a transfer swaps the other side's operation.
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPOPE", "Entrada"));
    EXPECT_EQ(pr_("BDTRANSTIPOPE").AsInteger(), 1);
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_PR_TEMP set BDTRANSFERENCIA = 'TRUE' where BDSESSAO = ?", {sessao});
    pr.Refresh();
    EXPECT_TRUE(aceita("BDTRANSTIPOPE"));
    ASSERT_TRUE(t.grGridItens->EditaCelula("BDTIPOPE", "Saída"));
    EXPECT_EQ(pr_("BDTRANSTIPOPE").AsInteger(), 0);
    t.spLancamentosPR->Down = false;

    UnidadeDoEmpreendimentoVaiAoCredito(Db(), t, inc, sessao);
  });
}

TEST_F(StagedReviewTest, AParticipantEditedInTheStagedReviewIsRegisteredAsEdited) {
  Revisa("P,99,Forn,Fornecedor Noventa e Nove,12345678000199\n" + Linhas(1), [&](Tela& t) {
    TTreeNode* participantes = t.tvGrupos->FindNode(kNodoParticipantes);
    ASSERT_NE(participantes, nullptr);
    t.tvGrupos->SetSelected(participantes);
    ASSERT_EQ(t.grGrid->Columns.size(), 21u);
    EXPECT_FALSE(t.grGrid->EditaCelula("BDCODTER", "98"));
    ASSERT_TRUE(t.grGrid->EditaCelula("BDNOMETER", "Fornecedor 99 Ltda"));
    ASSERT_TRUE(t.grGrid->EditaCelula("BDFONETER", "33334444"));
    dialogs_.Ok("importado");
    t.spImportacao->Click();
  });
  const TQueryResult r = Db().QueryAll("select BDNOMETER, BDFONETER from TTERCEIRO where BDCODTER = 99");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDNOMETER").AsString(), "Fornecedor 99 Ltda");
  EXPECT_EQ(r.Value(0, "BDFONETER").AsString(), "33334444");
}

TEST_F(StagedReviewTest, AStagedParticipantsLevelIsWrittenThroughCellByCell) {
  Db().Execute("create table TMP_TERCEIRO_TEMP (BDSESSAO INTEGER NOT NULL, BDCODTER INTEGER NOT NULL, BDNOMETER "
               "VARCHAR(150), BDCGCTER VARCHAR(14), BDEMAILTER VARCHAR(100), PRIMARY KEY (BDSESSAO, BDCODTER))");
  Revisa("P,98,Sitio,Sitio Boa Vista\n" + Linhas(1), [&](Tela& t) {
    const int sessao = t.Sessao();
    Db().Execute("insert into TMP_TERCEIRO_TEMP (BDSESSAO, BDCODTER, BDNOMETER) values (?, 98, 'Sitio Boa Vista')",
                 {sessao});
    // The level as a staged one would be: rows read from its session, never posted back by itself.
    auto* staged = t.Create<TDAOFactory>("TMP_TERCEIRO_TEMP", &Db());
    staged->SetHugeFile(true);
    staged->SetSessao(sessao);
    staged->SetWorkTable("TMP_TERCEIRO_TEMP");
    staged->CommandText("select * from TMP_TERCEIRO_TEMP where BDSESSAO = ?", ctOpen, {sessao});
    staged->SetControlMemory(true);
    for (const auto& n : t.Nodos())
      if (n->Caption == kNodoParticipantes) n->DAO = staged;
    TTreeNode* participantes = t.tvGrupos->FindNode(kNodoParticipantes);
    ASSERT_NE(participantes, nullptr);
    t.tvGrupos->SetSelected(participantes);
    ASSERT_TRUE(t.grGrid->EditaCelula("BDEMAILTER", "financeiro@boavista.com.br"));
    EXPECT_EQ(Db().QueryValue("select BDEMAILTER from TMP_TERCEIRO_TEMP where BDSESSAO = ? and BDCODTER = 98", {sessao})
                  .AsString(),
              "financeiro@boavista.com.br");
  });
}

TEST_F(StagedReviewTest, MassChangeOfAccountsAndParticipantsKeepsTheLineAndShowsTheChangedLines) {
  Db().Execute("insert into TTERCEIRO (BDCODTER, BDCGCTER, BDNOMETER) values (77, '12345678000177', 'Fornecedor 77')");
  Revisa("L,1,05/01/2024,40,11,1\nL,1,05/01/2024,40,11,2\nL,1,05/01/2024,,11,3\nL,1,05/01/2024,30,11,4\n"
         "L,1,05/01/2024,20,11,5\nL,1,05/01/2024,40,11,6\nL,1,05/01/2024,,11,7\n",
         [&](Tela& t) {
           TDAOFactory& d = *t.DAOAtual();
           const int sessao = t.Sessao();
           auto texto = [](const Variant& v) { return v.IsNull() ? std::string("-") : v.AsString(); };
           auto debitos = [&] {
             std::string s;
             auto r = Db().QueryAll("select BDDEBITO, BDTIPOTERD from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? "
                                    "order by BDCHAVE", {sessao});
             for (size_t i = 0; i < r.Rows.size(); ++i)
               s += texto(r.Value(i, "BDDEBITO")) + "/" + texto(r.Value(i, "BDTIPOTERD")) + " ";
             return s;
           };
           // What the grid shows, line by line, read through a cursor of its own.
           auto naGrade = [&] {
             std::string s;
             TClientDataSet c;
             c.CloneCursor(d, false, true);
             for (c.First(); !c.Eof(); c.Next())
               s += texto(c.FieldByName("BDDEBITO").Value()) + "/" + texto(c.FieldByName("BDTIPOTERD").Value()) + " ";
             return s;
           };
           auto edita = [&](int linha, const char* campo, const std::string& valor) {
             d.SetRecNo(linha);
             t.grGrid->MouseClick(campo, false, 0);
             return t.grGrid->EditaCelula(campo, valor);
           };
           // No: only the edited line changes.
           dialogs_.No("Deseja alterar as outras contas 40 para 30 ?");
           ASSERT_TRUE(edita(2, "BDDEBITO", "30"));
           EXPECT_EQ(debitos(), "40/0 30/0 -/0 30/0 20/1 40/0 -/0 ");
           // A→B where B takes no participant: only the lines on A, participant type null; the grid shows
           // them so and stays on the edited line.
           dialogs_.Yes("Deseja alterar as outras contas 40 para 30 ?");
           ASSERT_TRUE(edita(1, "BDDEBITO", "30"));
           EXPECT_EQ(debitos(), "30/0 30/0 -/0 30/0 20/1 30/- -/0 ");
           EXPECT_EQ(naGrade(), debitos());
           EXPECT_EQ(d.RecNo(), 1);
           // Empty → an account with a participant: the empty debits too, type 1.
           dialogs_.Yes("Deseja alterar as outras contas Vazio para 20 ?");
           ASSERT_TRUE(edita(3, "BDDEBITO", std::to_string(seed::kContaFornecedores)));
           EXPECT_EQ(debitos(), "30/0 30/0 20/1 30/0 20/1 30/- 20/1 ");
           EXPECT_EQ(naGrade(), debitos());
           EXPECT_EQ(d.RecNo(), 3);
           // An empty participant filled on every line whose debit takes one.
           dialogs_.Yes("Deseja alterar os outros participantes Vazio para 77 ?");
           ASSERT_TRUE(edita(3, "BDCODTERCEIROD", "77"));
           EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCODTERCEIROD = 77 "
                           "and BDALTCODTERCEIROD = 77", {sessao}), 3);
           d.SetRecNo(7);
           EXPECT_EQ(d.FieldByName("BDCODTERCEIROD").AsInteger(), 77);
           EXPECT_EQ(d.FieldByName("BDALTCODTERCEIROD").AsInteger(), 77);
           dialogs_.Ok("importado");
           t.spImportacao->Click();
         });
}

// A mass change touches what its question names and nothing else: the lines of that side on the old
// account (never the lines with no account there), the participants an account without any cannot
// keep (the question says they go), and the same account typed again asks nothing.
TEST_F(StagedReviewTest, AMassChangeTouchesOnlyWhatItsQuestionNames) {
  Db().Execute("insert into TTERCEIRO (BDCODTER, BDCGCTER, BDNOMETER) values (77, '12345678000177', 'Fornecedor 77')");
  const std::string fornecedores = std::to_string(seed::kContaFornecedores);
  Revisa("L,1,05/01/2024,40,11,100\nL,1,05/01/2024,40,11,200\nL,1,05/01/2024,,11,50\nL,1,05/01/2024,40,,50\n"
         "L,1,05/01/2024," + fornecedores + ",11,60,,,,,77\n",
         [&](Tela& t) {
           TDAOFactory& d = *t.DAOAtual();
           const int sessao = t.Sessao();
           auto debitos = [&] {
             std::string s;
             auto r = Db().QueryAll("select BDDEBITO, BDCODTERCEIROD from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? "
                                    "order by BDCHAVE", {sessao});
             for (size_t i = 0; i < r.Rows.size(); ++i)
               s += (r.Value(i, "BDDEBITO").IsNull() ? "-" : r.Value(i, "BDDEBITO").AsString()) +
                    (r.Value(i, "BDCODTERCEIROD").IsNull() ? "" : "p" + r.Value(i, "BDCODTERCEIROD").AsString()) + " ";
             return s;
           };
           auto edita = [&](int linha, const char* campo, const std::string& valor) {
             d.SetRecNo(linha);
             t.grGrid->MouseClick(campo, false, 0);
             return t.grGrid->EditaCelula(campo, valor);
           };
           dialogs_.Yes("Deseja alterar as outras contas 40 para " + fornecedores + " ?");
           ASSERT_TRUE(edita(1, "BDDEBITO", fornecedores));
           const std::string f = fornecedores;
           EXPECT_EQ(debitos(), f + " " + f + " - " + f + " " + f + "p77 ");
           edita(2, "BDDEBITO", fornecedores);   // no question
           dialogs_.Yes("Deseja alterar as outras contas " + f + " para 30 ? Os participantes dessas linhas serão "
                        "retirados.");
           ASSERT_TRUE(edita(5, "BDDEBITO", "30"));
           EXPECT_EQ(debitos(), "30 30 - 30 30 ");
           d.SetRecNo(5);
           EXPECT_TRUE(d.FieldByName("BDCODTERCEIROD").IsNull());
           dialogs_.Ok("5 lançamento(s) importado(s), 0 não importado(s)");
           t.spImportacao->Click();
         });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDDEBITO is null and BDVALOR = 50"), 1);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDCODTERCEIROD is not null"), 0);
}

TEST_F(StagedReviewTest, TheGridHoldsAPacketOfLinesFetchesMoreAsTheUserGoesDownAndTheImportWritesThemAll) {
  Revisa(Linhas(180, seed::kContaDespesas), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    EXPECT_EQ(d.FetchedRecordCount(), kLinhasPorPacoteRevisao);
    EXPECT_TRUE(d.FetchPending());
    auto clica = [&](int linha, const char* campo) {
      d.SetRecNo(linha);
      t.grGrid->MouseClick(campo, false, 0);
      return d.FieldByName("BDVALOR").AsCurrency();
    };
    // Clicks on the lines held fetch nothing; going down past them brings the next packet.
    EXPECT_EQ(clica(50, "BDVALOR"), Currency::FromInt(50));
    EXPECT_EQ(d.FetchedRecordCount(), 50);
    d.Next();
    t.grGrid->MouseClick("BDVALOR", false, 0);
    EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 51);
    EXPECT_EQ(d.FetchedRecordCount(), 100);

    // A mass change: the lines held show it, and so do the lines fetched afterwards.
    dialogs_.Yes("Deseja alterar as outras contas " + std::to_string(seed::kContaDespesas) + " para 30 ?");
    d.SetRecNo(60);
    t.grGrid->MouseClick("BDDEBITO", false, 0);
    ASSERT_TRUE(t.grGrid->EditaCelula("BDDEBITO", "30"));
    EXPECT_EQ(d.RecNo(), 60);
    EXPECT_EQ(d.FetchedRecordCount(), 100);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDDEBITO = 30", {sessao}),
              180);
    clica(10, "BDDEBITO");
    EXPECT_EQ(d.FieldByName("BDDEBITO").AsInteger(), 30);
    clica(170, "BDDEBITO");
    EXPECT_EQ(d.FieldByName("BDDEBITO").AsInteger(), 30);
    EXPECT_EQ(d.FetchedRecordCount(), 170);
    EXPECT_TRUE(d.FetchPending());

    dialogs_.Ok("180 lançamento(s) importado(s), 0 não importado(s)");
    t.spImportacao->Click();
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao}), 0);
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDDEBITO = 30"), 180);
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1"), 180 * 181 / 2);
}

TEST_F(StagedReviewTest, MultipleEntriesSplitMoveLinksAndAreRemovedAfterwards) {
  Revisa(Linhas(3), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    ASSERT_TRUE(t.pnGridManual->Visible());
    ASSERT_NE(t.BaixasAdicionais(), nullptr);
    // A line that carries multiple entries shows in blue while their panel is open.
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDTEMLANC = 1 where BDSESSAO = ? and BDCHAVE = 1", {sessao});
    t.AtualizaDadosHugeFile();
    d.First();
    EXPECT_EQ(t.grGrid->CorFonteLinha(), 0x0000FF);
    d.Next();
    EXPECT_EQ(t.grGrid->CorFonteLinha(), -1);
    // Line 2 carries a principal and two additional parts, listed out of order, and two links.
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDVINC_BAIXA = 'TRUE' where BDSESSAO = ? and BDCHAVE = 2", {sessao});
    auto parte = [&](int n, int tipo, int deb, int cre, const char* valor) {
      Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_ML_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDCHAVELANC, BDTIPOMULTLANC, "
                   "BDDATA, BDDEBITO, BDCREDITO, BDVALOR) values (?, 1, 2, ?, ?, '2024-01-05', ?, ?, ?)",
                   {sessao, n, tipo, deb ? Variant(deb) : Variant(), cre ? Variant(cre) : Variant(), Currency::Parse(valor)});
    };
    parte(3, 3, seed::kContaMultasPagas, 0, "0.50");
    parte(1, 1, seed::kContaFornecedores, 0, "1.70");
    parte(2, 2, 0, seed::kContaJurosPagos, "0.20");
    // Parts that take the principal's side account: only one already split when the principal is.
    parte(0, 0, 0, seed::kContaBanco, "0.10");
    parte(4, 5, 0, seed::kContaBanco, "0.10");
    CarregaMultiLancamentosSessao(*dynamic_cast<TLancamentoMGR*>(&d));
    {
      // The panel shows the parts' values and dates as the user writes them, the value to the right.
      TClientDataSet* m = t.grLancamentoManual->DataSet();
      ASSERT_NE(m, nullptr);
      std::set<std::string> valores;
      for (m->First(); !m->Eof(); m->Next()) {
        valores.insert(t.grLancamentoManual->CellText("BDVALOR"));
        EXPECT_EQ(t.grLancamentoManual->CellText("BDDATA"), "05/01/2024");
      }
      EXPECT_EQ(valores, (std::set<std::string>{"0,10", "0,20", "0,50", "1,70"}));
      for (const TGridColumn& c : t.grLancamentoManual->Columns)
        if (SameText(c.FieldName, "BDVALOR")) {
          EXPECT_EQ(c.Alignment, TAlignment::taRightJustify);
        }
    }
    TClientDataSet& v = *t.Vinculos();
    v.AppendRecord({1, 2, 15, 3, 2, 0, Currency::FromInt(2), false});
    v.AppendRecord({1, 2, 12, 3, 2, 0, Currency::FromInt(2), false});
    // Keys of the snapshot out of order must not collide with the new ones.
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDCHAVE = 90 where BDSESSAO = ? and BDCHAVE = 1", {sessao});
    for (int vez = 0; vez < 2; ++vez) {
      t.SetMultiplosLancamentos();
      EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVEOWNER = 2", {sessao}), 5);
      EXPECT_EQ(Conta("select BDDEBITO from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVEOWNER = 2 and "
                      "BDSEQDAO = 0", {sessao}), seed::kContaFornecedores);
      EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVEOWNER = 2 and "
                      "BDSEQDAO = 4 and BDDEBITO is null", {sessao}), 1);
      const int64_t principal = Conta("select BDCHAVE from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDSEQDAO = 1 "
                                      "and BDCHAVEOWNER = 2", {sessao});
      EXPECT_GT(principal, 90);
      for (v.First(); !v.Eof(); v.Next()) {
        EXPECT_EQ(v.FieldByName("BDCHAVE").AsInteger(), principal);
        EXPECT_EQ(v.FieldByName("BDCHAVEPAI").AsInteger(), 2);
      }
      // Two records per link, one per additional part; a second press does not add more.
      ASSERT_EQ(t.BaixasAdicionais()->size(), 2u);
      const auto& partes = t.BaixasAdicionais()->at(ChaveBaixaAdicional(2, 0, 15, 3));
      ASSERT_EQ(partes.size(), 2u);
      EXPECT_EQ(partes[0].Tipo + partes[1].Tipo, 5);
      t.DeleteMultiplosLancamentos();
      EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVEOWNER is not null",
                      {sessao}), 0);
      // The links go back to the source line, which is still in the review.
      for (v.First(); !v.Eof(); v.Next()) EXPECT_EQ(v.FieldByName("BDCHAVE").AsInteger(), 2);
    }
    EXPECT_EQ(d.RecordCount(), 3);
    v.EmptyDataSet();
    dialogs_.Ok("importado");
    t.spImportacao->Click();
  });
}

TEST_F(StagedReviewTest, GroupedSelectionKeepsOneSideAndOnlyInstallments) {
  Revisa("L,1,05/01/2024,40,,1\nL,1,05/01/2024,,11,1\nL,1,05/01/2024,40,11,2\n", [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    d.SetRecNo(3);
    dialogs_.Ok("Não é possível selecionar lançamentos com crédito e débito informado.");
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    d.SetRecNo(1);
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    EXPECT_EQ(t.UltimoSel(), "D");
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDVINC_BAIXA_MULT = 'TRUE'",
                    {sessao}), 1);
    d.SetRecNo(2);
    dialogs_.Ok("Não é possível selecionar simultaneamente lançamentos a crédito e a débito.");
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    dialogs_.Ok("é possível vincular somente baixas de Parcelamentos");
    t.miDuplicatasClick(t.miImpostos);
    // Deselecting the only line frees the side.
    d.SetRecNo(1);
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    EXPECT_EQ(t.CountSel(), 0);
    EXPECT_EQ(t.UltimoSel(), "");
    d.SetRecNo(2);
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    EXPECT_EQ(t.UltimoSel(), "C");
    // A reload reads the selection back from the work table.
    t.AtualizaDadosHugeFile();
    EXPECT_EQ(t.CountSel(), 1);
    EXPECT_EQ(t.UltimoSel(), "C");
    d.SetRecNo(2);
    // A right click elsewhere drops no menu; on the selection column it drops "Tirar seleção todos".
    t.grGrid->MouseClick("bdDATA", true);
    EXPECT_EQ(t.grGrid->PopupMenu, nullptr);
    t.grGrid->MouseClick("BDVINC_BAIXA_MULT", true);
    ASSERT_EQ(t.grGrid->PopupMenu, t.pmSelecaoBaixa);
    // Dismissed (Esc), the menu leaves the selection and its side as they are.
    EXPECT_EQ(t.CountSel(), 1);
    EXPECT_EQ(t.UltimoSel(), "C");
    d.SetRecNo(1);
    dialogs_.Ok("Não é possível selecionar simultaneamente lançamentos a crédito e a débito.");
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    d.SetRecNo(2);
    t.grGrid->MouseClick("BDVINC_BAIXA_MULT", true);
    t.miTirarSelecaoBaixa->Click();
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDVINC_BAIXA_MULT = 'TRUE'",
                    {sessao}), 0);
    EXPECT_FALSE(d.FieldByName("BDVINC_BAIXA_MULT").AsBoolean());
    EXPECT_EQ(t.CountSel(), 0);
    EXPECT_EQ(d.RecNo(), 2);
    // The imported lines take their selection with them.
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    EXPECT_EQ(t.CountSel(), 1);
    dialogs_.Ok("importado");
    t.spImportacao->Click();
    EXPECT_EQ(t.CountSel(), 0);
  });
}

TEST_F(StagedReviewTest, DetailButtonsChooseTheAggregateAndTheScreenStartsOnCostCentres) {
  Revisa(Linhas(1), [&](Tela& t) {
    EXPECT_TRUE(t.spLancamentosCC->Down);
    EXPECT_EQ(t.SelectedDetailIndex(), 0);
    EXPECT_TRUE(t.spLancamentosObs->Visible());
    EXPECT_FALSE(t.spLancamentosInc->Visible());
    EXPECT_FALSE(t.spLancamentosPR->Visible());
    // The detail a button shows is read from its work table at the click; the line stays where it was.
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE, BDOBSERVACAO) "
                 "select BDSESSAO, BDCODEMP, BDCHAVE, 0, 'Conferir' from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?",
                 {t.Sessao()});
    t.spLancamentosObs->Click();
    EXPECT_TRUE(t.spLancamentosObs->Down);
    EXPECT_FALSE(t.spLancamentosCC->Down);
    EXPECT_EQ(t.SelectedDetailIndex(), 1);
    EXPECT_EQ(t.dsGridItens->DataSet(), t.Aggregates(t.DAOAtual())[1]);
    ASSERT_EQ(t.dsGridItens->DataSet()->RecordCount(), 1);
    EXPECT_EQ(t.grGridItens->CellText("BDOBSERVACAO"), "Conferir");
    EXPECT_EQ(t.DAOAtual()->RecNo(), 1);
    EXPECT_FALSE(t.spAcaoItem->Visible());
    t.spLancamentosObs->Click();
    EXPECT_TRUE(t.spLancamentosObs->Down);
    t.spLancamentosCC->Click();
    EXPECT_TRUE(t.spAcaoItem->Visible());
    // Both grids hand out one index per image; a linked part shows the currency image only.
    EXPECT_EQ(t.grLancamentoManual->ImageIndexOf("iCurrency"), t.BMPMoeda());
    EXPECT_EQ(t.grGrid->ImageIndexOf("iPendente14"), t.grLancamentoManual->ImageIndexOf("iPendente14"));
    std::string texto = "True";
    t.grLancamentoManualMostraDado("BDVINC_BAIXA", texto);
    EXPECT_EQ(texto, "");
    t.grLancamentoManual->Columns[6].Width = 50;
    t.grLancamentoManualMostraDado("bdVALOR", texto);
    EXPECT_EQ(t.grLancamentoManual->Columns[6].Width, 180);
    dialogs_.Ok("importado");
    t.spImportacao->Click();
  });
}

TEST_F(StagedReviewTest, ADetailRowIsDeletedOnlyWhileTheDeleteItemButtonIsEnabled) {
  Revisa("L,1,05/01/2024,40,11,1\nC,1,900,D,1\n", [&](Tela& t) {
    const std::string centros = "select count(*) from TMP_VZEL_EMPRESAS_TLAN_CC_TEMP where BDSESSAO = " +
                                std::to_string(t.Sessao());
    ASSERT_EQ(t.dsGridItens->DataSet()->RecordCount(), 1);
    t.spExcluirItem->SetEnabled(false);
    t.spExcluirItem->Click();
    EXPECT_EQ(Conta(centros), 1);
    t.spExcluirItem->SetEnabled(true);
    t.spExcluirItem->Click();
    EXPECT_EQ(Conta(centros), 0);
    EXPECT_EQ(t.dsGridItens->DataSet()->RecordCount(), 0);
  });
}

TEST_F(StagedReviewTest, SevenParametersGiveNoMultipleEntryPanelAndAScreenOwnedAdditionalData) {
  TComponent* c = ClassRegistry().CreateComponent("TfrConsultaImportacaoLancCCTxtHuge", *opener_);
  TFormPtr<Tela> tela(dynamic_cast<Tela*>(c));
  ASSERT_TRUE(tela);
  tela->AfterConstruction();
  TListaObj l;
  l.AddNil();
  l.Add(lista_);
  l.Add(empresa_);
  l.AddNil();
  l.AddBoxedBoolean(false);
  l.AddBoxedDateTime(EncodeDate(2024, 1, 1));
  l.AddBoxedDateTime(EncodeDate(2024, 1, 31));
  tela->SetListaObj(tela->AdoptListaObj(std::move(l)));
  EXPECT_FALSE(tela->pnGridManual->Visible());
  EXPECT_EQ(tela->BaixasAdicionais(), nullptr);
  ASSERT_NE(tela->DadosAdicionais(), nullptr);
  EXPECT_EQ(tela->DadosAdicionais()->Owner(), tela.get());
  EXPECT_EQ(tela->InconsistenciaIni(), lista_);
  EXPECT_NE(tela->InconsistenciasProprias(), lista_);
  EXPECT_TRUE(tela->InheritsFrom("TfrImportacao_Padrao_Itens_TreeView_VYN"));
  EXPECT_FALSE(tela->InheritsFrom("TfrConsultaImportacaoLancCCTxt"));
}

TEST(StagedSheetCopy, RowsDeletedBottomUpKeepHeaderStagedAndTrailingRows) {
  EXPECT_EQ(LinhasPlanilhaExcluir({12, 10}, 15, 0, 2), (std::vector<int>{15, 14, 13, 11, 9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(LinhasPlanilhaExcluir({15}, 15, 0, 2), (std::vector<int>{14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(LinhasPlanilhaExcluir({4}, 7, 2, 2), (std::vector<int>{5, 3, 2}));
}

TEST_F(StagedReviewTest, SheetSourceLeavesACopyOfTheUnimportedRowsAndClientFileProblemsAreNumbered) {
  const auto pasta = std::filesystem::temp_directory_path() / TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  std::filesystem::create_directories(pasta);
  const std::string planilha = (pasta / "lanc.csv").string();
  {
    std::ofstream f(planilha, std::ios::binary);
    f << "cabecalho\n";
    for (int i = 2; i <= 5; ++i) f << "linha " << i << "\n";
    f << "total\n";
  }
  // Rows 2 to 5 of the sheet are lines 1 to 4 of the text; row 3 has an unknown account.
  std::string texto = "# cabecalho\nL,1,05/01/2024,40,11,1\nL,1,05/01/2024,999,11,1\nL,1,05/01/2024,40,11,2\n"
                      "L,1,05/01/2024,40,11,3\n";
  auto prepara = [&](TLancamentoMGR& m) {
    auto* a = m.Create<TDadosAdicionaisImportacaoTXT>();
    a->IsPlanilha = true;
    a->CaminhoPlanilha = planilha;
    a->PrimeiraLinhaDados = 2;
    a->UltimaLinha = 6;
    a->LinhasFinais = 1;
  };
  Revisa(texto, [&](Tela& t) {
    dialogs_.Answer("3 lançamento(s) importado(s), 1 não importado(s)", mrYes);
    dialogs_.Shell(true);
    t.spImportacao->Click();
  }, false, prepara);
  std::ifstream copia((pasta / "naoimportados_lanc.csv").string(), std::ios::binary);
  std::stringstream ss;
  ss << copia.rdbuf();
  EXPECT_EQ(ss.str(), "cabecalho\nlinha 3\ntotal\n");
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDCODEMP = 1 and BDORDEM = 7"), 1);
  EXPECT_EQ(Conta("select max(BDORDEMINCONS) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDORDEM = 7"), 1);

  // Everything imported: the old copy goes and the plain message shows.
  opener_->ordem = 8;
  Revisa("L,1,06/01/2024,40,11,1\nL,1,06/01/2024,40,11,1\n", [&](Tela& t) {
    dialogs_.Ok("2 lançamento(s) importado(s), 0 não importado(s)");
    t.spImportacao->Click();
  }, false, prepara);
  EXPECT_FALSE(std::filesystem::exists(pasta / "naoimportados_lanc.csv"));
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDORDEM = 8"), 0);
  std::filesystem::remove_all(pasta);
}

// A workbook handed to the entry import is reviewed staged whatever review the caller chose; after the
// import its copy keeps the header, every row left (refused when read, out of the period, or still
// inconsistent) and the closing rows, and the end message offers to open it.
TEST_F(StagedReviewTest, AWorkbookIsReviewedStagedAndItsUnimportedRowsAreOfferedInACopy) {
  const auto pasta = std::filesystem::temp_directory_path() / TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  std::filesystem::create_directories(pasta);
  const std::string planilha = (pasta / "lancamentos.xlsx").string();
  const TLinhasPlanilha linhas = {{"Tipo", "Empresa", "Data", "Débito", "Crédito", "Valor"},
                                  {"L", "1", "05/01/2024", "40", "11", "100"},
                                  {"L", "1", "05/01/2024", "999", "11", "50"},
                                  {"L", "1", "05/01/2024", "40", "11", "12,345"},
                                  {"L", "1", "05/02/2024", "40", "11", "10"},
                                  {"", "", "", "", "Total", "172,345"}};
  GravaPastaXlsx(planilha, linhas);
  auto* edArquivo = opener_->Create<TEdit_Diretorio_Padrao_VYN>();
  edArquivo->SetText(planilha);
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxtHuge", [&](TForm_VYN& f) {
    auto& t = dynamic_cast<Tela&>(f);
    ASSERT_NE(t.DadosAdicionais(), nullptr);
    EXPECT_TRUE(t.DadosAdicionais()->IsPlanilha);
    dialogs_.Answer("1 lançamento(s) importado(s), 3 não importado(s)", mrYes);
    dialogs_.Shell(true);
    t.spImportacao->Click();
  });
  TLancamentoMGR* m = TLancamentoMGR::CreateMgr(opener_.get());
  m->GetImportacaoLancTxt(4, empresa_, nullptr, edArquivo, opener_.get(), ",", false, bloqueio_, nullptr, "01/01/2024",
                          "31/01/2024", nullptr, 0, false);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDVALOR = 100"), 1);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDVALOR in (50, 10)"), 0);
  const auto fim = std::find_if(dialogs_.Calls().begin(), dialogs_.Calls().end(), [](const TDialogCall& c) {
    return c.Kind == TDialogKind::Message && c.Text.find("Importação finalizada") != std::string::npos;
  });
  ASSERT_NE(fim, dialogs_.Calls().end());
  EXPECT_EQ(fim->Captions, (std::vector<std::string>{"Abrir arquivo", "Ok"}));
  const auto shell = std::find_if(dialogs_.Calls().begin(), dialogs_.Calls().end(),
                                  [](const TDialogCall& c) { return c.Kind == TDialogKind::Shell; });
  ASSERT_NE(shell, dialogs_.Calls().end());
  EXPECT_EQ(shell->Text, (pasta / "naoimportados_lancamentos.xlsx").string());
  EXPECT_EQ(LerPastaTrabalho(shell->Text), (TLinhasPlanilha{linhas[0], linhas[2], linhas[3], linhas[4], linhas[5]}));

  // A damaged workbook is refused with its name before any review opens, nothing staged.
  std::ofstream(planilha, std::ios::binary | std::ios::trunc) << "PK\x03\x04 nada";
  dialogs_.Ok("lancamentos.xlsx");
  m->GetImportacaoLancTxt(4, empresa_, nullptr, edArquivo, opener_.get(), ",", false, bloqueio_, nullptr, "01/01/2024",
                          "31/01/2024", nullptr, 0, false);
  AguardaRemocoesSessoes();   // the first review's rows, removed behind its closing
  EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP"), 0);
  std::filesystem::remove_all(pasta);
}

TEST_F(StagedReviewTest, EditsOfALineDeriveItsSideTypeExtemporaneousFlagAndTransfer) {
  Revisa(Linhas(2), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_PR_TEMP (BDSESSAO, BDCODEMP, BDCHAVE) values (?, 1, 1)", {sessao});
    auto coluna = [&](const char* tabela, const char* c) {
      return Db().QueryValue(std::string("select ") + c + " from " + tabela + " where BDSESSAO = ? and BDCHAVE = 1",
                             {sessao});
    };
    auto edita = [&](const char* campo, const Variant& valor, int tipo) {
      bool aceita = true;
      t.fcLancamentosBeforeEditField(campo, nullptr, nullptr, nullptr, aceita);
      t.DAOSetValue(d, campo, valor, tipo);
      t.fcLancamentosAfterEditField(campo, "");
    };
    d.First();
    // An account that takes a participant: the side's type follows, the file's account is gone, and
    // the other lines are offered the change.
    dialogs_.No("Deseja alterar as outras contas 40 para 20 ?");
    edita("bdDEBITO", Variant(seed::kContaFornecedores), 1);
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDTIPOTERD").AsInteger(), 1);
    EXPECT_TRUE(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDDEBITOARQ").IsNull());
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_PR_TEMP", "BDTRANSFERENCIA").AsString(), "FALSE");
    // Cash against bank: both are rural-producer accounts, so the detail is a transfer.
    dialogs_.No("Deseja alterar as outras contas 20 para 10 ?");
    edita("bdDEBITO", Variant(seed::kContaCaixa), 1);
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDTIPOTERD").AsInteger(), 0);
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_PR_TEMP", "BDTRANSFERENCIA").AsString(), "TRUE");
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDDEBITO = 40", {sessao}), 1);
    // The extemporaneous flag follows its date.
    edita("BDDATAEXTEMPORANEO", Variant(EncodeDate(2024, 2, 10)), 9);
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDLANCAEXTEMPORANEO").AsString(), "TRUE");
    edita("BDDATAEXTEMPORANEO", Variant(), 9);
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDLANCAEXTEMPORANEO").AsString(), "FALSE");
    EXPECT_TRUE(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDDATAEXTEMPORANEO").IsNull());
    // A long complement opens in the editor and, saved unchanged, writes nothing.
    const std::string longo(230, 'y');
    Db().Execute("insert into TMP_VZEL_EMP_TLAN_COMPL_TEMP (BDCODEMP, BDSESSAO, BDCHAVE, BDCOMPL) values (1, ?, 1, ?)",
                 {sessao, longo});
    bool aceita = true;
    std::string texto;
    t.fcLancamentosBeforeEditField("bdCOMPL", nullptr, &texto, nullptr, aceita);
    EXPECT_EQ(texto, longo);
    Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDCOMPL = 'x' where BDSESSAO = ? and BDCHAVE = 1", {sessao});
    EXPECT_TRUE(t.fcLancamentosHugeSaveAlterSearch("BDCOMPL", texto, 0));
    EXPECT_EQ(coluna("TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDCOMPL").AsString(), "x");
  });
}

TEST_F(StagedReviewTest, DocumentPanelShowsOnlyTheInstallmentsLinkedToTheLine) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(1000),
                           {{1, R(100), TDateTime(), 0}, {2, R(100), TDateTime(), 0}});
  seed::AddDocumentoFiscal(Db(), 2, 1, 20, 20, EncodeDate(2024, 1, 5), R(500), {{1, R(50), TDateTime(), 0}}, 1);
  Revisa(Linhas(2), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    TClientDataSet& l = *t.Vinculos();
    auto liga = [&](int chave, int livro, int servico, int doc, int ordem) {
      l.Append();
      l.FieldByName("BDCODEMP").SetValue(Variant(1));
      l.FieldByName("BDCHAVE").SetValue(Variant(chave));
      l.FieldByName("BDTIPO_BAIXA").SetValue(Variant(2));
      l.FieldByName("BDSUBTIPO_BAIXA").SetValue(Variant(livro));
      l.FieldByName("BDTIPOSERVICO").SetValue(Variant(servico));
      l.FieldByName("BDBAIXA_ID").SetValue(Variant(doc));
      l.FieldByName("BDORDEM").SetValue(Variant(ordem));
      l.Post();
    };
    liga(1, 0, 1, 10, 2);
    liga(2, 0, 1, 10, 1);   // the document's other installment belongs to another line
    TDAOFactory& painel = *t.ConsultaParcelamento();
    d.First();
    t.grGrid->CellClick("bdDATA");
    ASSERT_EQ(painel.RecordCount(), 1);
    EXPECT_EQ(painel.FieldByName("BDCHAVE").AsInteger(), 10);
    EXPECT_EQ(painel.FieldByName("BDPARCELAPAR").AsInteger(), 2);
    // A line that also settles a service it pays shows the company's payments of both books.
    liga(1, 2, 1, 20, 1);
    t.grGrid->CellClick("bdDATA");
    EXPECT_EQ(painel.RecordCount(), 2);
    // A line without installment links shows an empty panel.
    // Line 2 carries the link made above: the user clicks it and removes its links.
    d.Next();
    d.Edit();
    d.FieldByName("BDVINC_BAIXA").SetAsBoolean(true);
    d.Post();
    t.grGrid->SetFocus();
    t.grGrid->MouseClick("bdDATA");
    ASSERT_TRUE(t.spDelLink->Enabled());
    t.spDelLink->Click();
    t.grGrid->CellClick("bdDATA");
    EXPECT_EQ(painel.RecordCount(), 0);
  });
}


// Holds the staging behind a review after its first stretch until the test lets it go or the review
// closes (the staging's stop token), so that the review is seen while the rest of the file waits.
class TSeguraGravacao {
 public:
  void operator()(int64_t linhas, std::stop_token parada) {
    std::unique_lock<std::mutex> g(trava_);
    if (primeiro_ > 0) return;
    primeiro_ = linhas;
    solta_.wait(g, parada, [this] { return solto_; });
  }
  void Solta() {
    {
      std::lock_guard<std::mutex> g(trava_);
      solto_ = true;
    }
    solta_.notify_all();
  }
  int64_t Primeiro() {
    std::lock_guard<std::mutex> g(trava_);
    return primeiro_;
  }

 private:
  std::mutex trava_;
  std::condition_variable_any solta_;
  int64_t primeiro_ = 0;
  bool solto_ = false;
};

class StagedBehindTest : public StagedReviewTest {
 protected:
  // Revisa with the staging held after its first stretch.
  void RevisaSegurando(const std::string& texto, const std::function<void(Tela&)>& drive) {
    Revisa(texto, drive, false, [this](TLancamentoMGR& m) {
      m.AposTrechoAoFundo = [this](int64_t linhas, std::stop_token parada) { segura_(linhas, parada); };
    });
  }
  int64_t LinhasDaSessao(int sessao) {
    return Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao});
  }
  // Every row of the session in every work table, and its session row.
  int64_t RestosDaSessao(int sessao) {
    int64_t n = LinhasDaSessao(sessao) + Conta("select count(*) from TMP_VZEL_SESSAO where BDSESSAO = ?", {sessao});
    for (const char* t : kTabelasCompanheirasTemp)
      n += Conta(std::string("select count(*) from ") + t + " where BDSESSAO = ?", {sessao});
    return n;
  }
  TSeguraGravacao segura_;
};

// A file larger than a stretch: the review shows its first packet while the rest still stages, and the
// user goes through the lines staged without waiting. What the reading tells of the whole file (a line
// refused near its end) is not shown before the end; a mass change waits for the end and changes every
// line; a later line's cost centres are there; the import writes every line. A participant the file
// declares at its end is in the review from the start.
TEST_F(StagedBehindTest, TheReviewOpensOnTheFirstStretchAndAnActionWaitsForTheRestOfTheFile) {
  const std::string despesas = std::to_string(seed::kContaDespesas);
  const std::string arquivo = Linhas(5600) + "L,1,05/01/2024," + despesas + ",11,1000\nC,1,900,D,600\nC,1,901,D,400\n" +
                              Linhas(600) + "L,1,05/02/2024," + despesas + ",11,9\nP,99,Forn,Fornecedor,12345678000199\n";
  const std::string recusada = "Linha 6204 do arquivo não importada";
  RevisaSegurando(arquivo, [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    const int64_t primeiro = segura_.Primeiro();
    ASSERT_TRUE(t.GravacaoEmAndamento());
    ASSERT_GT(primeiro, 0);
    ASSERT_LT(primeiro, 5601);
    EXPECT_EQ(LinhasDaSessao(sessao), primeiro);
    EXPECT_EQ(d.FetchedRecordCount(), kLinhasPorPacoteRevisao);
    EXPECT_EQ(t.PesquisaDAONodo(kNodoParticipantes)->RecordCount(), 1);
    EXPECT_TRUE(lista_->IsEmpty());
    d.SetRecNo(static_cast<int>(primeiro));
    EXPECT_EQ(d.FieldByName("BDVALOR").AsCurrency(), Currency::FromInt(primeiro));
    EXPECT_TRUE(t.GravacaoEmAndamento());

    segura_.Solta();
    dialogs_.Yes("Deseja alterar as outras contas " + despesas + " para 30 ?");
    d.SetRecNo(1);
    t.grGrid->MouseClick("BDDEBITO", false, 0);
    ASSERT_TRUE(t.grGrid->EditaCelula("BDDEBITO", "30"));
    EXPECT_FALSE(t.GravacaoEmAndamento());
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDDEBITO = 30", {sessao}),
              6201);
    ASSERT_EQ(lista_->Count(), 1);
    EXPECT_NE(lista_->Itens().front().Caption.find(recusada), std::string::npos);
    d.SetRecNo(5601);
    EXPECT_EQ(d.FieldByName("BDVALOR").AsCurrency(), Currency::FromInt(1000));
    EXPECT_EQ(t.Aggregates(&d)[0]->RecordCount(), 2);

    dialogs_.Ok("6201 lançamento(s) importado(s), 1 não importado(s)");
    t.spImportacao->Click();
  });
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDDEBITO = 30"), 6201);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC where BDCODEMP = 1"), 2);
}

// What acts on a line the grid holds answers while the rest of the file stages: a click on a mark, the
// space and P keys, the grouped selection and its right-click menu. Each is written to the work table
// at once and the staging is still held after them (a watchdog lets it go should one of them wait, so
// that the test fails rather than hangs); the staging then ends and the marks stay.
TEST_F(StagedBehindTest, AClickOrAKeyOnALineShownAnswersWhileTheFileStages) {
  ClassRegistry().RegisterClass<TObservacoesFake>("TfrObservacoes", TClassKind::Screen);
  // The first two lines name a debit only, so that the grouped selection takes them.
  const std::string debito = "L,1,05/01/2024," + std::to_string(seed::kContaDespesas) + ",,";
  RevisaSegurando(debito + "1\n" + debito + "2\n" + Linhas(5300), [&](Tela& t) {
    TDAOFactory& d = *t.DAOAtual();
    const int sessao = t.Sessao();
    std::jthread vigia([this](std::stop_token parada) {
      for (int i = 0; i < 300 && !parada.stop_requested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      segura_.Solta();
    });
    auto coluna = [&](const char* c, int chave) {
      return Db().QueryValue(std::string("select ") + c + " from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDCHAVE = ?",
                             {sessao, chave});
    };
    auto tecla = [&](const char* campo, char k) {
      t.grGrid->SelectedField = campo;
      t.KeyPress(k);
      if (k) t.grGrid->KeyPress(k);
    };
    ASSERT_TRUE(t.GravacaoEmAndamento());
    d.First();
    t.grGrid->SetFocus();
    t.grGrid->MouseClick("bdCONCD");
    EXPECT_EQ(coluna("BDCONCD", 1).AsString(), "True");
    tecla("bdCONCD", ' ');
    EXPECT_EQ(coluna("BDCONCD", 1).AsString(), "False");
    dialogs_.Modal("TfrObservacoes", [](TForm_VYN&) {});
    tecla("bdCONCC", 'P');
    EXPECT_EQ(UpperCase(coluna("BDPENDENTEC", 1).AsString()), "TRUE");
    d.SetRecNo(2);
    t.grGrid->CellClick("BDVINC_BAIXA_MULT");
    t.grGrid->MouseClick("BDVINC_BAIXA_MULT", true);
    EXPECT_EQ(t.grGrid->PopupMenu, t.pmSelecaoBaixa);
    EXPECT_EQ(t.CountSel(), 1);
    EXPECT_EQ(t.UltimoSel(), "D");
    EXPECT_TRUE(t.GravacaoEmAndamento());

    vigia.request_stop();
    vigia.join();
    t.AguardaGravacao();
    EXPECT_EQ(LinhasDaSessao(sessao), 5302);
    EXPECT_EQ(UpperCase(coluna("BDVINC_BAIXA_MULT", 2).AsString()), "TRUE");
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ? and BDVINC_BAIXA_MULT = 'TRUE'",
                    {sessao}), 1);
    EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP where BDSESSAO = ?", {sessao}), 1);
  });
  ClassRegistry().UnRegisterClass("TfrObservacoes");
}

// A staging that fails behind the review (here the database refuses a line's key) is told in words, in
// the opener's list too, and the review imports nothing, however often the import is pressed; closing
// it removes what was staged.
TEST_F(StagedBehindTest, AStagingThatFailsBehindTheReviewIsToldAndTheReviewImportsNothing) {
  int sessao = 0;
  RevisaSegurando(Linhas(5300), [&](Tela& t) {
    sessao = t.Sessao();
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (?, 1, "
                 "?, '2024-01-05', 1)",
                 {sessao, segura_.Primeiro() + 1});
    segura_.Solta();
    dialogs_.Ok("Não foi possível gravar as linhas do arquivo para a revisão");
    dialogs_.Ok("A importação não pode ser feita");
    t.spImportacao->Click();
    EXPECT_FALSE(t.FalhaGravacao().empty());
    dialogs_.Ok("A importação não pode ser feita");
    t.spImportacao->Click();
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
  });
  ASSERT_FALSE(lista_->IsEmpty());
  EXPECT_NE(lista_->Itens().back().Caption.find("Não foi possível gravar as linhas"), std::string::npos);
  AguardaRemocoesSessoes();
  EXPECT_EQ(RestosDaSessao(sessao), 0);
}

// Closing the review while its file stages stops the staging: the stretch under way is rolled back and
// the stretches committed go with the session's removal; nothing is left and nothing was asked.
TEST_F(StagedBehindTest, ClosingWhileTheFileStagesStopsItAndLeavesNothingBehind) {
  int sessao = 0;
  RevisaSegurando(Linhas(5300), [&](Tela& t) {
    sessao = t.Sessao();
    EXPECT_GT(LinhasDaSessao(sessao), 0);
    EXPECT_TRUE(t.GravacaoEmAndamento());
  });
  AguardaRemocoesSessoes();
  EXPECT_EQ(RestosDaSessao(sessao), 0);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
  EXPECT_TRUE(lista_->IsEmpty());
}

}  // namespace
}  // namespace integracao
