#include "framework/livros/livros.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include <fmt/format.h>

#include "framework/component/component.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/seed.h"
#include "framework/schema/troca_plano.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class TTelaDona : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrTelaDona"; }
};
class TMotor : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TMotorDeTeste"; }
};

class LivrosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
  }
  TExecucaoLivros Execucao() {
    TExecucaoLivros e;
    e.Telas = {"TfrRevisao", "frRevisao"};
    e.Rotulo = "TfrRevisao";
    e.Usuario = "ana";
    return e;
  }
  std::string Motivo(const TLancamentoLivros& l, TIsencaoLivros isencao = TIsencaoLivros::Nenhuma) {
    TLivros livros(Db(), Execucao(), isencao);
    auto r = livros.Recusa(l);
    return r ? r->Mensagem : std::string();
  }
  TLancamentoLivros Lanc(TDateTime d, int deb = seed::kContaDespesas, int cre = seed::kContaBanco) {
    return {1, d, deb, cre, 0, 0};
  }
};

TEST_F(LivrosTest, EachRuleRefusesNamingCompanyDateAndRule) {
  const TDateTime dia = EncodeDate(2024, 3, 10);
  EXPECT_EQ(Motivo(Lanc(dia)), "");
  EXPECT_EQ(Motivo(Lanc(EncodeDate(1900, 1, 15))),
            "A data 15/01/1900 é anterior ao período de lançamentos da empresa 1 (a partir de 01/01/2019).");
  EXPECT_EQ(Motivo(Lanc(EncodeDate(2019, 1, 1))), "");   // past years of a company taken up in 2024
  EXPECT_EQ(Motivo(Lanc(dia, 999)), "A conta 999 não existe no plano de contas da empresa 1 em vigor em 10/03/2024.");
  EXPECT_EQ(Motivo({1, dia, seed::kContaFornecedores, seed::kContaBanco, 4242, 0}),
            "O participante 4242 da conta 20 não está cadastrado (empresa 1, 10/03/2024).");
  EXPECT_EQ(Motivo({77, dia, 0, 0, 0, 0}), "A empresa 77 não está cadastrada (10/03/2024).");

  Db().Execute("insert into TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) values (1, '2024-03-01', '2024-03-31')");
  EXPECT_EQ(Motivo(Lanc(dia)), "Existe processo de zeramento da empresa 1 no período de 01/03/2024 a 31/03/2024.");
  Db().Execute("delete from TPROCESSO_ZERAMENTO");

  Db().Execute("update TEMPRESAS_REF set BDULTENC = '2024-03-15' where BDCODEMP = 1");
  EXPECT_EQ(Motivo(Lanc(dia)), "O período da empresa 1 está encerrado até 15/03/2024.");
  // Told of one entry, a period's rule names the entry's day too, once.
  EXPECT_EQ(MensagemRegraNoDia(Motivo(Lanc(dia)), dia),
            "O período da empresa 1 está encerrado até 15/03/2024. Data do lançamento: 10/03/2024.");
  EXPECT_EQ(MensagemRegraNoDia("A empresa 77 não está cadastrada (10/03/2024).", dia),
            "A empresa 77 não está cadastrada (10/03/2024).");
  EXPECT_EQ(Motivo(Lanc(EncodeDate(2024, 3, 16))), "");
  Db().Execute("update TEMPRESAS_REF set BDULTENC = null");

  Db().Execute("update TEMPRESAS set BDSTATUSEMP = 1 where BDCODEMP = 1");
  EXPECT_EQ(Motivo(Lanc(dia)), "A empresa 1 é uma cópia somente para consulta e não aceita lançamentos (10/03/2024).");
}

TEST_F(LivrosTest, TheChartInForceIsTheOneOfTheEntrysMonth) {
  // From April the company posts in chart 2, which lacks the expenses account.
  Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA) values (2, ?)", {seed::kContaBanco});
  Db().Execute("insert into TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDCODPLAPADRAO) values (1, 202404, 2)");
  EXPECT_EQ(Motivo(Lanc(EncodeDate(2024, 3, 31))), "");
  EXPECT_EQ(Motivo(Lanc(EncodeDate(2024, 4, 1))),
            "A conta 40 não existe no plano de contas da empresa 1 em vigor em 01/04/2024.");
}

// A screen's engine that a task may run: it answers to its screen's name and the manual-posting screen's.
class TMotorDeTela : public TComponent, public INomesBloqueio {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TMotorDeTela"; }
  std::vector<std::string> NomesBloqueio() const override { return {"TfrTelaDoMotor", "frLancamento"}; }
};

class TTarefaDeTeste : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TAutoThreadDeTeste"; }
};

TEST_F(LivrosTest, ALockRowNamesAnyNameOfTheRunWithOrWithoutItsLeadingTInAnyCase) {
  TTarefaDeTeste tarefa;
  const TExecucaoLivros e = ExecucaoDe(tarefa.Create<TMotorDeTela>(), {"frExtra"});
  EXPECT_EQ(e.TelasSQL(), "|MOTORDETELA|AUTOTHREADDETESTE|FREXTRA|FRTELADOMOTOR|FRLANCAMENTO|");
  const TDateTime dia = EncodeDate(2024, 3, 10);
  int id = 0;
  for (const char* nome : {"TMotorDeTela", "motorDeTela", "TAutoThreadDeTeste", "AutoThreadDeTeste",
                           "TfrTelaDoMotor", "frTelaDoMotor", "TfrLancamento", "frLancamento", "FRLANCAMENTO",
                           "tfrlancamento", "TfrExtra", "frExtra"}) {
    Db().Execute("delete from TBLOQUEIO_LANCAMENTO");
    Db().Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
                 "(?, 1, ?, '2024-03-01', '2024-03-31', 'auditoria')",
                 {++id, nome});
    auto r = TLivros(Db(), e).Recusa(Lanc(dia));
    EXPECT_TRUE(r && r->Regra == TRegraLivros::Bloqueio) << nome;
    // The lock check screens run with one name reads it alike.
    EXPECT_EQ(Db().QueryValue("select TIPO from SP_BLOQUEIO_LANCAMENTO(1, ?, ?, 'TfrLancamento')", {dia, dia})
                  .AsInteger(),
              NomeDeBloqueio(nome) == "FRLANCAMENTO" ? 1 : 0)
        << nome;
  }
  // Another name, or a name that only contains the run's, locks nothing.
  for (const char* nome : {"TfrOutra", "Lancamento", "frLancamentoY570", "T", ""}) {
    Db().Execute("update TBLOQUEIO_LANCAMENTO set BDTELA = ?", {nome});
    EXPECT_FALSE(TLivros(Db(), e).Recusa(Lanc(dia))) << nome;
  }
}

TEST_F(LivrosTest, ALockCommittedWhileARunGoesStopsTheWritesOfItsNextTransaction) {
  const TDateTime dia = EncodeDate(2024, 3, 10);
  TLivros livros(Db(), Execucao());
  std::unique_ptr<TDatabase> o = Company().OpenAnother();
  TDatabase& outra = *o;
  {
    TTransaction t(Db());
    EXPECT_FALSE(livros.Recusa(Lanc(dia)));
    t.Commit();
  }
  outra.Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
                "(1, 1, 'TfrRevisao', '2024-03-01', '2024-03-31', 'fechamento')");
  {
    TTransaction t(Db());
    auto r = livros.Recusa(Lanc(dia));
    ASSERT_TRUE(r);
    EXPECT_NE(r->Mensagem.find("Motivo: fechamento"), std::string::npos);
  }
  // Outside a transaction each read is fresh.
  outra.Execute("delete from TBLOQUEIO_LANCAMENTO");
  EXPECT_FALSE(livros.Recusa(Lanc(dia)));
  outra.Execute("insert into TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) values (1, '2024-03-01', '2024-03-31')");
  ASSERT_TRUE(livros.Recusa(Lanc(dia)));
  EXPECT_EQ(livros.Recusa(Lanc(dia))->Regra, TRegraLivros::Zeramento);
}

TEST_F(LivrosTest, APostingLockOfAnyScreenOfTheRunRefusesAndOnlyTheImplantationIsExempt) {
  TTelaDona tela;
  TMotor* motor = tela.Create<TMotor>();
  const TExecucaoLivros e = ExecucaoDe(motor);
  EXPECT_EQ(e.TelasSQL(), "|MOTORDETESTE|FRTELADONA|");

  Db().Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
               "(1, 1, 'frTelaDona', '2024-03-01', '2024-03-31', 'auditoria')");
  const TDateTime dia = EncodeDate(2024, 3, 10);
  TLivros livros(Db(), e);
  auto r = livros.Recusa(Lanc(dia));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Regra, TRegraLivros::Bloqueio);
  EXPECT_EQ(r->Mensagem, "Existe bloqueio de lançamentos da empresa 1 no período de 01/03/2024 a 31/03/2024. Motivo: auditoria");
  // Another screen's lock, or a lock row without a screen, does not lock this run.
  EXPECT_EQ(Motivo(Lanc(dia)), "");
  Db().Execute("update TBLOQUEIO_LANCAMENTO set BDTELA = ''");
  EXPECT_FALSE(TLivros(Db(), e).Recusa(Lanc(dia)));

  // The implantation of a plan change passes the period's locks and closings and the chart not yet in
  // force, never a consultation-only copy.
  Db().Execute("update TBLOQUEIO_LANCAMENTO set BDTELA = 'frRevisao'");
  Db().Execute("update TEMPRESAS_REF set BDULTENC = '2024-12-31'");
  EXPECT_EQ(Motivo(Lanc(dia, 999), TIsencaoLivros::ImplantacaoTrocaPlano), "");
  EXPECT_NE(Motivo(Lanc(dia)), "");
  Db().Execute("update TEMPRESAS set BDSTATUSEMP = 1");
  EXPECT_NE(Motivo(Lanc(dia), TIsencaoLivros::ImplantacaoTrocaPlano), "");
}

// A run's days read at once (more than one statement takes) answer as each day read alone, and are
// then kept as a day's first answer is while the writer's transaction lasts.
TEST_F(LivrosTest, TheRulesOfARunsDaysReadAtOnceAnswerAsEachDayReadAlone) {
  Db().Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
               "(1, 1, 'frRevisao', '2024-03-05', '2024-03-10', 'auditoria')");
  Db().Execute("insert into TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) values (1, '2024-04-01', '2024-04-30')");
  std::vector<TDateTime> dias;
  for (int d = 0; d < 90; d += 2) dias.push_back(IncDay(EncodeDate(2024, 2, 20), d));
  dias.push_back(dias.front());
  TTransaction t(Db());
  TLivros juntos(Db(), Execucao());
  juntos.LePeriodos(1, dias);
  Db().Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
               "(2, 1, 'frRevisao', '2024-02-01', '2024-05-31', 'depois')");
  int recusados = 0;
  for (TDateTime dia : dias) {
    const auto r = juntos.Recusa(Lanc(dia));
    recusados += r ? 1 : 0;
    Db().Execute("delete from TBLOQUEIO_LANCAMENTO where BDID = 2");
    EXPECT_EQ(r ? r->Mensagem : std::string(), Motivo(Lanc(dia))) << DateToStr(dia);
    Db().Execute("insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) values "
                 "(2, 1, 'frRevisao', '2024-02-01', '2024-05-31', 'depois')");
  }
  EXPECT_EQ(recusados, 3 + 15);   // March's locked days 5, 7 and 9, and April's days of the zeroing
}

TEST_F(LivrosTest, ASourceIsBookedOnceAndTheSecondRunIsToldWhenAndByWhom) {
  TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, "501|9001", "Linha 9001 do extrato 501", 7};
  {
    TTransaction tx(Db());
    TLivros(Db(), Execucao()).RegistraFonte(f);
    tx.Commit();
  }
  TTransaction tx(Db());
  TExecucaoLivros outra = Execucao();
  outra.Rotulo = "TAutoThreadOutra";
  try {
    TLivros(Db(), outra).RegistraFonte(f);
    FAIL() << "booked twice";
  } catch (const EFonteJaLancada& e) {
    const std::string m = e.what();
    EXPECT_EQ(m.rfind("Linha 9001 do extrato 501: já lançado em ", 0), 0u) << m;
    // In the user's words: who, and the entry it became; no class names.
    EXPECT_NE(m.find(" por ana, no lançamento 7."), std::string::npos) << m;
  }
  // A cash line of the same ids, or the same line of another company, is another source.
  TLivros(Db(), outra).RegistraFonte({1, TTipoFonte::LinhaExtratoCaixa, "501|9001", "", 0});
  TLivros(Db(), outra).RegistraFonte({2, TTipoFonte::LinhaExtratoBanco, "501|9001", "", 0});
  // The key is compared byte for byte, not by the database's case-blind collation.
  TLivros(Db(), outra).RegistraFonte({1, TTipoFonte::ArquivoLancamentos, "abc", "", 0});
  TLivros(Db(), outra).RegistraFonte({1, TTipoFonte::ArquivoLancamentos, "ABC", "", 0});
}

TEST_F(LivrosTest, TwoAttachmentsBookingOneSourceAtOnceCommitOnlyOne) {
  auto outra = Company().OpenAnother();
  TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, "501|9001", "Linha 9001", 0};
  TTransaction a(Db());
  TLivros(Db(), Execucao()).RegistraFonte(f);
  // The second workstation's insert waits for the first's transaction, which commits meanwhile.
  std::thread primeira([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    a.Commit();
  });
  {
    TTransaction b(*outra);
    EXPECT_THROW(TLivros(*outra, Execucao()).RegistraFonte(f), EFonteJaLancada);
  }
  primeira.join();
  EXPECT_EQ(outra->QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 1);
}

// A staged review's stretch of an entry file's lines, as the work table holds them (lines 1 to 3).
void StagedFileLines(TDatabase& db) {
  db.Execute("create table TRABALHO_LINHAS (BDSESSAO integer, BDCODEMP integer, BDCHAVE integer, BDLINHA integer, "
             "BDFONTE varchar(120), BDVALOR numeric(18,4), BDDATA date, BDDEBITO integer, BDCREDITO integer, "
             "BDDCTO varchar(60), BDVALORFONTE numeric(18,4))");
  for (int n = 1; n <= 3; ++n)
    db.Execute("insert into TRABALHO_LINHAS values (1, 1, ?, ?, ?, 10, '2024-03-10', 40, 11, null, null)",
               {n, n, "entrada " + std::to_string(n)});
}

// Two runs book one file's lines at once: the one that waited is told which line the other booked, in
// words; the record holds each line once.
TEST_F(LivrosTest, AFilesLinesBookedByTwoRunsAtOnceAreNamedToTheRunThatWaited) {
  StagedFileLines(Db());
  auto outra = Company().OpenAnother();
  auto b = std::make_unique<TTransaction>(*outra);
  TLivros(*outra, Execucao()).RegistraLinhasArquivo("b.txt", "TRABALHO_LINHAS", 1, 1, 2, 3, 100);
  std::thread commit([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    b->Commit();
  });
  {
    TTransaction a(Db());
    try {
      TLivros(Db(), Execucao()).RegistraLinhasArquivo("a.txt", "TRABALHO_LINHAS", 1, 1, 1, 3, 100);
      ADD_FAILURE() << "booked twice";
    } catch (const EFonteJaLancada& e) {
      EXPECT_EQ(std::string(e.what()).rfind("A linha 2 do arquivo a.txt: já lançado em ", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(" por ana, no lançamento 102."), std::string::npos) << e.what();
    }
  }
  commit.join();
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 2);
}

// A line met in the stretch that no committed run holds (the writer's own, or one still being written)
// is named as booked by another workstation: never the database's text.
TEST_F(LivrosTest, AFilesLineMetUncommittedIsNamedInWords) {
  StagedFileLines(Db());
  TTransaction a(Db());
  TLivros livros(Db(), Execucao());
  livros.RegistraFonte(TLivros::FonteLinhaArquivo("a.txt", 1, 2, "entrada 2", 0, {}, {}));
  try {
    livros.RegistraLinhasArquivo("a.txt", "TRABALHO_LINHAS", 1, 1, 1, 3, 100);
    ADD_FAILURE() << "booked twice";
  } catch (const EFonteJaLancada& e) {
    EXPECT_EQ(std::string(e.what()), "A linha 1 do arquivo a.txt: já lançado por outra estação de trabalho, agora.");
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 1);
}

TEST_F(LivrosTest, TheDatabaseRefusesPayingAnObligationBeyondItsBalance) {
  // Whatever program writes them: the balances hold for the suite's own screens too.
  TEscritaForaDoModulo qualquer(Db());
  Db().Execute("insert into VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDVALORCONTABIL) values (1, 30, 30, 100)");
  Db().Execute("insert into VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDVALORPAR) values (1, 30, 1, 100)");
  auto paga = [&](int seq, const char* valor, int tipo = 1) {
    Db().Execute("insert into VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                 "BDVALORPGTO, BDTIPOBAIXA) values (1, 30, 1, ?, '2024-03-10', ?, ?)",
                 {seq, Currency::Parse(valor), tipo});
  };
  paga(1, "60");
  paga(2, "5", 3);   // interest is paid on top of the installment
  EXPECT_THROW(paga(3, "40,01"), EDatabaseError);
  paga(3, "40");
  EXPECT_THROW(paga(4, "0,01", 4), EDatabaseError);

  Db().Execute("insert into TDARFGERPGTO (BDCODEMP, BDCHAVEDARF, BDVALOR, BDSALDOAPAGAR) values (1, 55, 120, 120)");
  EXPECT_THROW(Db().Execute("update TDARFGERPGTO set BDSALDOAPAGAR = BDSALDOAPAGAR - 120.01"), EDatabaseError);
  Db().Execute("insert into TDADOSPGTOCALC (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDLIQUIDO, BDVLRPGTO) "
               "values (1, 1, 9, 1, 1000, 700)");
  EXPECT_THROW(Db().Execute("update TDADOSPGTOCALC set BDVLRPGTO = BDVLRPGTO + 300.01"), EDatabaseError);
  Db().Execute("update TDADOSPGTOCALC set BDVLRPGTO = BDVLRPGTO + 300");

  // A plan change's consultation-only backup keeps the payments of its period without their
  // installments: only that copy, only inside the change's own transaction.
  auto semParcela = [&](int seq) {
    Db().Execute("insert into VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                 "BDVALORPGTO, BDCHAVELAN) values (1, 77, 1, ?, '2024-03-10', 10, 5)",
                 {seq});
  };
  {
    TTransaction t(Db());
    EXPECT_THROW(LiberaCopiaTroca(Db(), 1), EDatabaseError);   // company 1 is no copy
    EXPECT_THROW(semParcela(1), EDatabaseError);
  }
  {
    TTransaction t(Db());
    Db().Execute("update TEMPRESAS set BDSTATUSEMP = 1 where BDCODEMP = 1");   // the change makes its copy
    LiberaCopiaTroca(Db(), 1);
    semParcela(1);
    EncerraCopiasTroca(Db());
    t.Commit();
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TCOPIA_TROCA").AsInteger(), 0);
  EXPECT_THROW(semParcela(2), EDatabaseError);
  {
    // Another transaction than the one that made the copy cannot take the exemption, nor pass for that one
    // by touching the copy's row, nor turn the copy back into a company.
    TTransaction t(Db());
    EXPECT_THROW(LiberaCopiaTroca(Db(), 1), EDatabaseError);
  }
  for (const char* sql : {"update TEMPRESAS set BDSTATUSEMP = 1 where BDCODEMP = 1",
                          "update TEMPRESAS set BDSTATUSEMP = 0 where BDCODEMP = 1", "delete from TEMPRESAS where BDCODEMP = 1"})
    EXPECT_THROW(ExecutaComoSuite(Db(), sql), EDatabaseError) << sql;
  EXPECT_THROW(semParcela(3), EDatabaseError);
}

// What a source's account holds: parts booked by their entries, never beyond its value; deleting an entry
// frees what it booked and nothing else.
TEST_F(LivrosTest, ASourceBookedInPartsKeepsItsRestAndDeletingAnEntryFreesOnlyItsPart) {
  auto lanc = [&](int chave) {
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) values "
                 "(1, ?, '2024-03-10', 40, 11, 1)",
                 {chave});
  };
  for (int c : {4, 5, 6}) lanc(c);
  auto partes = [](std::vector<TParteFonte> p) {
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, "D|1|9001", "A linha 9001", 0, Currency::Parse("80")};
    f.Partes = std::move(p);
    return f;
  };
  TLivros livros(Db(), Execucao());
  livros.RegistraFonte(partes({{"1", 5, Currency::Parse("50")}}));
  livros.RegistraFonte(partes({{"2", 6, Currency::Parse("20")}}));
  auto conta = livros.FonteRegistrada(1, TTipoFonte::LinhaExtratoBanco, "D|1|9001");
  ASSERT_TRUE(conta);
  EXPECT_EQ(conta->Resto(), Currency::Parse("10"));
  // Beyond the value, the same part again, or the whole: refused, naming what is left.
  try {
    livros.RegistraFonte(partes({{"3", 4, Currency::Parse("10,01")}}));
    FAIL() << "booked beyond its value";
  } catch (const EFonteJaLancada& e) {
    EXPECT_NE(std::string(e.what()).find("(70,00 de 80,00; restam 10,00)"), std::string::npos) << e.what();
  }
  EXPECT_THROW(livros.RegistraFonte(partes({{"1", 4, Currency::Parse("1")}})), EFonteJaLancada);
  EXPECT_THROW(livros.RegistraFonte({1, TTipoFonte::LinhaExtratoBanco, "D|1|9001", "", 4, Currency::Parse("80")}),
               EFonteJaLancada);
  // The suite's entry screen deletes entry 5: its 50,00 is free again, entry 6's 20,00 stays booked.
  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDCHAVE = 5");
  conta = livros.FonteRegistrada(1, TTipoFonte::LinhaExtratoBanco, "D|1|9001");
  ASSERT_TRUE(conta);
  EXPECT_EQ(conta->Lancado, Currency::Parse("20"));
  EXPECT_EQ(conta->ChaveLancamento, 6);
  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDCHAVE = 6");
  EXPECT_FALSE(livros.FonteRegistrada(1, TTipoFonte::LinhaExtratoBanco, "D|1|9001"));
  // Free again: booked whole now.
  livros.RegistraFonte({1, TTipoFonte::LinhaExtratoBanco, "D|1|9001", "", 4, Currency::Parse("80")});
  EXPECT_THROW(livros.RegistraFonte(partes({{"1", 4, Currency::Parse("1")}})), EFonteJaLancada);
}

// A split line books its value through one-sided entries and its bank side through another: the account
// knows each side, so deleting the bank side's entry gives that side back, and the line is whole (for
// the reports to its origin, too) only with both.
TEST_F(LivrosTest, ASplitLinesBankSideIsAPartWithItsValueAndDeletingItGivesItBack) {
  for (int c : {4, 5, 6, 7})
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                           "values (1, ?, '2024-03-10', 40, 11, 1)",
                     {c});
  TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, "I|9302", "A linha 9302", 0, Currency::Parse("25")};
  f.Movimento.Data = EncodeDate(2024, 3, 10);
  f.Partes = {{"banco 4", 4, Currency(), Currency::Parse("25")},
              {"divisão 5", 5, Currency::Parse("15"), Currency()},
              {"divisão 6", 6, Currency::Parse("10"), Currency()}};
  TLivros livros(Db(), Execucao());
  livros.RegistraFonte(f);
  auto conta = livros.FontesRegistradas(1, TTipoFonte::LinhaExtratoBanco, {"I|9302"}).at("I|9302");
  EXPECT_EQ(conta.Resto(), Currency());
  EXPECT_EQ(conta.RestoBanco(), Currency());
  EXPECT_EQ(livros.FontesCompletas(1, TTipoFonte::LinhaExtratoBanco, "I|"), std::vector<std::string>{"I|9302"});

  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDCHAVE = 4");
  conta = livros.FontesRegistradas(1, TTipoFonte::LinhaExtratoBanco, {"I|9302"}).at("I|9302");
  EXPECT_EQ(conta.Resto(), Currency());
  EXPECT_EQ(conta.RestoBanco(), Currency::Parse("25"));
  EXPECT_TRUE(livros.FontesCompletas(1, TTipoFonte::LinhaExtratoBanco, "I|").empty());

  // The bank side booked again, alone: whole once more.
  TFonteLancada banco = f;
  banco.Partes = {{"resto 7", 7, Currency(), Currency::Parse("25")}};
  livros.RegistraFonte(banco);
  conta = livros.FontesRegistradas(1, TTipoFonte::LinhaExtratoBanco, {"I|9302"}).at("I|9302");
  EXPECT_EQ(conta.RestoBanco(), Currency());
  EXPECT_EQ(livros.FontesCompletas(1, TTipoFonte::LinhaExtratoBanco, "I|").size(), 1u);
}

// A run that meets a period's sources reads, with each, what is left of it.
TEST_F(LivrosTest, ThePeriodsAccountsTellWhatIsLeftOfEachSource) {
  for (int c : {4, 5})
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                           "values (1, ?, '2024-03-10', 11, 21, 1)",
                     {c});
  auto linha = [](const std::string& chave, int lancamento) {
    return TLivros::FonteLinhaArquivo("Janeiro", 1, 1, chave, lancamento, Currency::Parse("650"),
                                      {EncodeDate(2024, 3, 10), 11, 21, "900"});
  };
  TLivros livros(Db(), Execucao());
  TFonteLancada parte = linha("1|a", 0);
  parte.Partes = {{"baixa 4", 4, Currency::Parse("500")}};
  livros.RegistraFontes({parte, linha("1|b", 5)});
  auto contas = livros.ContasDoPeriodo(1, TTipoFonte::ArquivoLancamentos, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31));
  ASSERT_EQ(contas.size(), 2u);
  EXPECT_EQ(contas.at("1|a").Resto(), Currency::Parse("150"));
  EXPECT_EQ(contas.at("1|b").Resto(), Currency());
  EXPECT_EQ(contas.at("1|b").ChaveLancamento, 5);
  EXPECT_TRUE(livros.ContasDoPeriodo(1, TTipoFonte::ArquivoLancamentos, EncodeDate(2024, 4, 1), EncodeDate(2024, 4, 30))
                  .empty());
  // Its rest booked later is a part of its account; beyond the rest it is refused.
  parte.Partes = {TLivros::ParteResto(5, Currency::Parse("150,01"))};
  EXPECT_THROW(livros.RegistraFonte(parte), EFonteJaLancada);
}

// The same movement under another identity is found, for a review to show; content never refuses it.
TEST_F(LivrosTest, TheSameMovementBookedUnderAnotherIdentityIsFoundNotRefused) {
  auto linha = [](std::string chave, TTipoFonte tipo, int debito, int credito, const char* valor, const char* dcto) {
    TFonteLancada f{1, tipo, std::move(chave), "", 0, Currency::Parse(valor)};
    f.Movimento = {StrToDate("20/01/2024"), debito, credito, dcto};
    return f;
  };
  TLivros livros(Db(), Execucao());
  livros.RegistraFonte(linha("D|1|9001", TTipoFonte::LinhaExtratoBanco, 0, 11, "50", "4711"));
  const std::vector<TFonteLancada> outras = {
      linha("F|abc|1", TTipoFonte::ArquivoLancamentos, 20, 11, "50", "4711"),   // the file's line of it
      linha("D|1|9002", TTipoFonte::LinhaExtratoBanco, 0, 11, "50", "4711"),    // re-sent with a new id
      linha("D|1|9001", TTipoFonte::LinhaExtratoBanco, 0, 11, "50", "4711"),    // itself
      linha("D|1|9003", TTipoFonte::LinhaExtratoBanco, 11, 0, "50", "4711"),    // money in, not out
      linha("D|1|9004", TTipoFonte::LinhaExtratoBanco, 0, 11, "50", "4712"),    // another document
      linha("D|1|9005", TTipoFonte::LinhaExtratoBanco, 0, 11, "50,01", "4711"),
  };
  const auto iguais = livros.MovimentosIguais(outras);
  ASSERT_EQ(iguais.size(), outras.size());
  EXPECT_TRUE(iguais[0] && iguais[0]->Chave == "D|1|9001");
  EXPECT_TRUE(iguais[1]);
  for (size_t i = 2; i < iguais.size(); ++i) EXPECT_FALSE(iguais[i]) << i;
  livros.RegistraFonte(outras[1]);   // the user books it anyway: two real movements
}

// An entry typed by hand is a booked movement like any other: found by its day, value, side and the
// digits of its document ("NF 4711" is "4711"), and named by its key.
TEST_F(LivrosTest, AnEntryTypedByHandIsAProbableDuplicateNamedByItsKey) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, "
                         "BDDCTO, BDCOMPL) values (1, 9001, '2024-01-20', 20, 11, 50, 'NF 4711', 'Pagto fornecedor')");
  auto linha = [](std::string chave, const char* valor, const char* dcto) {
    TFonteLancada f{1, TTipoFonte::ArquivoLancamentos, std::move(chave), "", 0, Currency::Parse(valor)};
    f.Movimento = {StrToDate("20/01/2024"), 20, 11, dcto};
    return f;
  };
  TLivros livros(Db(), Execucao());
  const auto iguais =
      livros.MovimentosIguais({linha("1|a|1", "50", "4711"), linha("1|b|1", "50", "4712"), linha("1|c|1", "49,99", "4711")});
  ASSERT_TRUE(iguais[0]);
  EXPECT_EQ(iguais[0]->ChaveLancamento, 9001);
  EXPECT_EQ(NomeMovimentoIgual(*iguais[0]), "lançamento 9001 (Pagto fornecedor, fora da integração)");
  EXPECT_FALSE(iguais[1]) << "another document";
  EXPECT_FALSE(iguais[2]) << "another value";
}

// Lines of one statement are never duplicates of each other, whether they came with an id (the
// statement's batch) or without (its key names the statement); a source booked in parts is named by
// the entry of a part, never "lançamento 0".
TEST_F(LivrosTest, LinesOfOneStatementAreNoDuplicatesAndAPartsEntryIsNamed) {
  auto linha = [](std::string chave, int64_t lote) {
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, std::move(chave), "", 0, Currency::Parse("25")};
    f.Movimento = {StrToDate("15/01/2024"), 0, 11, ""};
    f.Lote = lote;
    return f;
  };
  TLivros livros(Db(), Execucao());
  TFonteLancada primeira = linha("I|9001", 501);
  primeira.Partes = {{"divisão 7", 7, Currency::Parse("25")}};
  livros.RegistraFonte(primeira);
  TFonteLancada semId = linha("E|D501|20240115|D|250000|h|1", 501);
  semId.ChaveLancamento = 8;
  livros.RegistraFonte(semId);
  TFonteLancada deArquivo = linha("E|A11|x|20240115|D|250000|h|1", 0);
  deArquivo.ChaveLancamento = 9;
  livros.RegistraFonte(deArquivo);
  const auto iguais = livros.MovimentosIguais({linha("I|9002", 501), linha("E|D501|20240115|D|250000|h|2", 501),
                                               linha("E|A11|x|20240115|D|250000|h|2", 0), linha("I|9101", 502)});
  EXPECT_TRUE(iguais[0] && iguais[0]->ChaveLancamento == 9) << "only the account file's line is another statement's";
  EXPECT_FALSE(iguais[1]) << "entry 9 stands for one line of the statement only";
  ASSERT_TRUE(iguais[2]) << "the Dyq statement's lines are another statement's";
  EXPECT_NE(iguais[2]->ChaveLancamento, 9);
  ASSERT_TRUE(iguais[3]);
  EXPECT_NE(iguais[3]->ChaveLancamento, 0);
}

// A source of no value names no movement: it never meets a source booked only whole (of no value) on
// its day, whatever else the run asks about that day.
TEST_F(LivrosTest, ASourceOfNoValueIsNoProbableDuplicate) {
  auto linha = [](std::string chave, const char* valor) {
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, std::move(chave), "", 4, Currency::Parse(valor)};
    f.Movimento = {StrToDate("20/01/2024"), 0, 11, "4711"};
    return f;
  };
  TLivros livros(Db(), Execucao());
  livros.RegistraFonte(linha("D|1|9001", "0"));   // booked whole by entry 4, of no value recorded
  const auto iguais = livros.MovimentosIguais({linha("D|1|9002", "50"), linha("D|1|9003", "0")});
  ASSERT_EQ(iguais.size(), 2u);
  EXPECT_FALSE(iguais[0]);
  EXPECT_FALSE(iguais[1]) << "matched " << iguais[1]->Chave;
}

// A run records its sources fifty to a statement; one booked already among them is named all the same.
TEST_F(LivrosTest, SourcesRecordedInBulkAreBookedOnceEach) {
  auto fonte = [](int n) {
    return TFonteLancada{1, TTipoFonte::LinhaExtratoBanco, "linha " + std::to_string(n), "Linha " + std::to_string(n), 0};
  };
  std::vector<TFonteLancada> primeiras;
  for (int n = 1; n <= 120; ++n) primeiras.push_back(fonte(n));
  TLivros(Db(), Execucao()).RegistraFontes(primeiras);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 120);
  // An entry file's lines recorded together are the records each line makes on its own.
  std::vector<TFonteLancada> linhas;
  auto linhaArquivo = [](const std::string& nome, int n, const std::string& chave) {
    return TLivros::FonteLinhaArquivo(nome, 1, n, chave, 0, {}, {});
  };
  for (int n = 1; n <= 60; ++n) linhas.push_back(linhaArquivo("a.txt", n, "entrada " + std::to_string(n)));
  TLivros(Db(), Execucao()).RegistraFontes(linhas);
  // The same entry in another file, at another line, is the same source.
  EXPECT_THROW(TLivros(Db(), Execucao()).RegistraFonte(linhaArquivo("b.txt", 3, "entrada 60")), EFonteJaLancada);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 180);

  std::vector<TFonteLancada> outras;
  for (int n = 200; n < 260; ++n) outras.push_back(fonte(n == 230 ? 77 : n));
  TTransaction tx(Db());
  try {
    TLivros(Db(), Execucao()).RegistraFontes(outras);
    FAIL() << "booked twice";
  } catch (const EFonteJaLancada& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Linha 77: já lançado em ", 0), 0u) << e.what();
  }
}

// The statements that record sources in bulk declare their inputs as the table's columns: a text at a
// column's full width, in letters WIN1252 holds, is kept as given, whole or in parts.
TEST_F(LivrosTest, SourcesRecordedInBulkKeepTextsAtTheirColumnsFullWidth) {
  auto texto = [](const std::string& inicio, size_t largura) {
    static const char* const letras[] = {"ç", "ã", "€", "é"};
    std::string t = inicio;
    for (size_t i = 0; Utf8Length(t) < largura; ++i) t += letras[i % std::size(letras)];
    return t;
  };
  std::vector<TFonteLancada> fontes;
  for (int n = 0; n < 60; ++n) {
    const std::string c = std::to_string(n);
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, "c" + c, texto("d" + c, 200), 0, Currency::Parse("50")};
    f.Movimento.Documento = texto("doc" + c, 60);
    if (n >= 50) f.Partes = {{texto("p" + c, 60), 100 + n, Currency::Parse("50")}};
    fontes.push_back(std::move(f));
  }
  TExecucaoLivros e = Execucao();
  e.Usuario = texto("u", 100);
  e.Rotulo = texto("r", 200);
  TLivros(Db(), e).RegistraFontes(fontes);
  for (const TFonteLancada& f : fontes) {
    auto r = TLivros(Db(), e).FonteRegistrada(1, TTipoFonte::LinhaExtratoBanco, f.Chave);
    ASSERT_TRUE(r) << f.Chave;
    EXPECT_EQ(r->Descricao, f.Descricao);
    EXPECT_EQ(r->Usuario, e.Usuario);
    EXPECT_EQ(r->Execucao, e.Rotulo);
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA where char_length(BDDCTO) = 60")
                .AsInteger(),
            60);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_PARTE where char_length(BDPARTE) = 60").AsInteger(),
            10);
}

// Sources booked in parts go several to a statement: each keeps its own account, a part of no value
// moves nothing, and a source booked whole already, or a part booked already, is named as when alone.
TEST_F(LivrosTest, SourcesBookedInPartsInBulkKeepEachAccountAndNameTheOneBookedAlready) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) values "
                         "(1, 700, '2024-03-10', 40, 11, 1)");
  auto fonte = [](const std::string& chave, std::vector<TParteFonte> partes) {
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, chave, "Linha " + chave, 0, Currency::Parse("90")};
    f.Partes = std::move(partes);
    return f;
  };
  std::vector<TFonteLancada> fontes;
  for (int n = 1; n <= 23; ++n) {
    const std::string c = std::to_string(n);
    if (n % 2) fontes.push_back(fonte(c, {{"baixa " + c, 1000 + n, Currency::Parse("40")}}));
    else
      fontes.push_back(fonte(c, {{"banco " + c, 700, Currency()}, {"divisão a" + c, 2000 + n, Currency::Parse("30")},
                                 {"divisão b" + c, 3000 + n, Currency::Parse("60")}}));
  }
  TLivros(Db(), Execucao()).RegistraFontes(fontes);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 23);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_PARTE").AsInteger(), 12 + 11 * 3);
  for (const TFonteLancada& f : fontes) {
    auto conta = TLivros(Db(), Execucao()).FonteRegistrada(1, TTipoFonte::LinhaExtratoBanco, f.Chave);
    ASSERT_TRUE(conta) << f.Chave;
    EXPECT_EQ(conta->Lancado, Currency::Parse(f.Partes.size() == 1 ? "40" : "90")) << f.Chave;
  }
  // The entry of the bank sides deleted: their parts go, what the split rows booked stays.
  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDCHAVE = 700");
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_PARTE").AsInteger(), 12 + 11 * 2);
  EXPECT_EQ(Db().QueryValue("select sum(BDLANCADO) from TINTEGRACAO_FONTE_LANCADA").AsCurrency(),
            Currency::Parse("1470"));

  TLivros(Db(), Execucao()).RegistraFonte({1, TTipoFonte::LinhaExtratoBanco, "inteira", "Linha inteira", 9, {}});
  auto recusada = [&](std::vector<TFonteLancada> lote) {
    TTransaction tx(Db());
    try {
      TLivros(Db(), Execucao()).RegistraFontes(lote);
    } catch (const EFonteJaLancada& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  std::vector<TFonteLancada> lote;
  for (int n = 30; n < 42; ++n) lote.push_back(fonte(std::to_string(n), {{"baixa", 5000 + n, Currency::Parse("10")}}));
  lote[6] = fonte("inteira", {{"baixa", 5036, Currency::Parse("10")}});
  EXPECT_EQ(recusada(lote).rfind("Linha inteira: já lançado em ", 0), 0u);
  lote[6] = fonte("7", {{"baixa 7", 5036, Currency::Parse("10")}});
  EXPECT_EQ(recusada(lote).rfind("Linha 7: já lançado em ", 0), 0u);
}

// An account opened together with its parts is weighed by their sum at once; the parts a later statement
// of the same transaction brings to it are still added, and weighed, one by one.
TEST_F(LivrosTest, AnAccountOpenedWithItsPartsHoldsTheirSumAndLaterPartsStillAddUp) {
  auto fonte = [](const std::string& chave, std::vector<TParteFonte> partes) {
    TFonteLancada f{1, TTipoFonte::LinhaExtratoBanco, chave, "Linha " + chave, 0, Currency::Parse("100")};
    f.Partes = std::move(partes);
    return f;
  };
  const std::string acentuada = "Cobrança São João|7";
  TTransaction tx(Db());
  TLivros livros(Db(), Execucao());
  // Together beyond the value, though each part alone fits: refused, nothing of it written.
  EXPECT_THROW(livros.RegistraFontes({fonte(acentuada, {{"a", 11, Currency::Parse("60")}, {"b", 12, Currency::Parse("50")}})}),
               EFonteJaLancada);
  // Read in the run's transaction: what it wrote is not committed.
  auto lancado = [&](const std::string& chave) {
    const Variant v = Db().QueryValue("select BDLANCADO from TINTEGRACAO_FONTE_LANCADA where BDFONTE = ?", {chave});
    return v.IsNull() ? Currency::Parse("-1") : v.AsCurrency();
  };
  EXPECT_EQ(lancado(acentuada), Currency::Parse("-1"));
  std::vector<TFonteLancada> lote;
  for (int n = 0; n < 10; ++n)
    lote.push_back(fonte(n ? std::to_string(n) : acentuada,
                         {{"a", 20 + n, Currency::Parse("-5")}, {"b", 40 + n, Currency::Parse("45")}}));
  livros.RegistraFontes(lote);
  livros.RegistraFontes({fonte(acentuada, {{"c", 60, Currency::Parse("30")}}), fonte("3", {{"c", 61, Currency::Parse("60")}})});
  EXPECT_EQ(lancado(acentuada), Currency::Parse("70"));
  EXPECT_EQ(lancado("3"), Currency::Parse("100"));
  EXPECT_EQ(lancado("4"), Currency::Parse("40"));
  // The rest of the accented line is 30,00: a part of 30,01 is refused by its account.
  EXPECT_THROW(livros.RegistraFontes({fonte(acentuada, {{"d", 62, Currency::Parse("30,01")}})}), EFonteJaLancada);
  EXPECT_EQ(lancado(acentuada), Currency::Parse("70"));
}

// A reconciliation that moves an entry to the statement's day, or deletes it, changes both days it touches.
TEST_F(LivrosTest, AnEntryIsNeitherMovedNorDeletedAcrossAClosedDay) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                         "values (1, 1, '2024-03-20', 40, 11, 10)");
  Db().Execute("update TEMPRESAS_REF set BDULTENC = '2024-03-15' where BDCODEMP = 1");
  TLivros livros(Db(), Execucao());
  EXPECT_THROW(MudaDataLancamento(livros, Db(), 1, 1, EncodeDate(2024, 3, 10)), ELivrosRecusa);
  MudaDataLancamento(livros, Db(), 1, 1, EncodeDate(2024, 3, 18));
  EXPECT_EQ(Db().QueryValue("select BDDATA from VZEL_EMPRESAS_TLAN where BDCHAVE = 1").AsDateTime(),
            EncodeDate(2024, 3, 18));

  Db().Execute("update TEMPRESAS_REF set BDULTENC = '2024-03-31' where BDCODEMP = 1");
  TLivros depois(Db(), Execucao());
  EXPECT_THROW(MudaDataLancamento(depois, Db(), 1, 1, EncodeDate(2024, 4, 2)), ELivrosRecusa);
  EXPECT_THROW(ExcluiLancamentoContabil(depois, Db(), 1, 1), ELivrosRecusa);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
}

TEST_F(LivrosTest, AnEntrysRuralProducerAndRealEstateDetailsFollowItWhenMadeAgainAndGoWhenDeleted) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                         "values (1, 1, '2024-03-20', 10, 11, 10)");
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_PR (BDCODEMP, BDCHAVE, BDTIPOPE, BDTRANSFERENCIA) values (1, 1, 1, 'TRUE')");
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_INC (BDCODEMP, BDCHAVE, BDDEBCRE, BDCODEMPREENDIMENTO) values (1, 1, 0, 5)");
  auto detalhes = [&](int chave) {
    return Db().QueryValue("select (select count(*) from VZEL_EMPRESAS_TLAN_PR where BDCHAVE = ?) + (select count(*) "
                           "from VZEL_EMPRESAS_TLAN_INC where BDCHAVE = ?) from RDB$DATABASE", {chave, chave})
        .AsInteger();
  };
  const int nova = RefazLancamento(Db(), 1, 1, Variant(1), Variant(), "BDDATA, BDDEBITO, BDCREDITO, BDVALOR");
  EXPECT_EQ(detalhes(1), 0);
  EXPECT_EQ(detalhes(nova), 2);
  TLivros livros(Db(), Execucao());
  ASSERT_TRUE(ExcluiLancamentoContabil(livros, Db(), 1, nova));
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_PR").AsInteger() +
                Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_INC").AsInteger(),
            0);
}

// Made again under another key (a plan change's reposting), an entry keeps what it booked of its sources:
// deleting the old one frees nothing, and only deleting the new one frees them.
TEST_F(LivrosTest, AnEntryMadeAgainKeepsItsSourcesBookedUntilTheNewOneIsDeleted) {
  for (int chave : {1, 2})
    ExecutaComoSuite(Db(), fmt::format("insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, "
                                       "BDVALOR) values (1, {}, '2024-03-20', 10, 11, 40)",
                                       chave));
  TLivros livros(Db(), Execucao());
  const TTipoFonte tipo = TTipoFonte::LinhaExtratoBanco;
  livros.RegistraFonte({1, tipo, "I|7", "inteira", 1, Currency::FromInt(40)});
  TFonteLancada partes(1, tipo, "I|8", "em partes", 0, Currency::FromInt(100));
  partes.Partes = {{"linha", 2, Currency::FromInt(40)}};
  livros.RegistraFonte(partes);
  const int nova1 = RefazLancamento(Db(), 1, 1, Variant(1), Variant(), "BDDATA, BDDEBITO, BDCREDITO, BDVALOR");
  const int nova2 = RefazLancamento(Db(), 1, 2, Variant(1), Variant(), "BDDATA, BDDEBITO, BDCREDITO, BDVALOR");
  const auto inteira = livros.FonteRegistrada(1, tipo, "I|7");
  ASSERT_TRUE(inteira);
  EXPECT_EQ(inteira->ChaveLancamento, nova1);
  const auto emPartes = livros.FonteRegistrada(1, tipo, "I|8");
  ASSERT_TRUE(emPartes);
  EXPECT_EQ(emPartes->ChaveLancamento, nova2);
  EXPECT_EQ(emPartes->Lancado, Currency::FromInt(40));
  EXPECT_THROW(livros.RegistraFonte({1, tipo, "I|7", "de novo", nova2, Currency::FromInt(40)}), EFonteJaLancada);

  ASSERT_TRUE(ExcluiLancamentoContabil(livros, Db(), 1, nova1));
  ASSERT_TRUE(ExcluiLancamentoContabil(livros, Db(), 1, nova2));
  EXPECT_FALSE(livros.FonteRegistrada(1, tipo, "I|7"));
  EXPECT_FALSE(livros.FonteRegistrada(1, tipo, "I|8"));
}

}  // namespace
}  // namespace vyn
