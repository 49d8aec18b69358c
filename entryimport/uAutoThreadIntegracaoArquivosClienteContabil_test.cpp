#include "entryimport/uAutoThreadIntegracaoArquivosClienteContabil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "entryimport/entryimport_test_support.h"
#include "entryimport/review/revisao_test_support.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/class_registry.h"
#include "framework/data/pasta_trabalho.h"
#include "framework/host/publicas.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

class ClientFolderTaskTest : public RevisaoLancamentosTest {
 protected:
  void SetUp() override {
    RevisaoLancamentosTest::SetUp();
    pasta_ = programa_.Pasta() / "cliente";
    fs::create_directories(pasta_);
    ProcessContext().FRetornoServidor.clear();
  }
  std::string Escreve(const std::string& nome, const std::string& texto) {
    const fs::path p = pasta_ / nome;
    std::ofstream(p) << texto;
    return p.string();
  }
  std::vector<std::string> Executa(const std::string& caminho, const std::string& tipo = "21",
                                   const std::string& refFinal = "20240131") {
    TAutoThreadIntegracaoArquivosClienteContabil task;
    task.SetParametro("cod_emp", "1");
    task.SetParametro("tipo_arquivo", tipo);
    task.SetParametro("caminho", caminho);
    task.SetParametro("ref_inicial", "20240101");
    task.SetParametro("ref_final", refFinal);
    task.ExecuteTask();
    status_ = task.StatusExecucao();
    return task.LogTarvo();
  }

  TPastaProgramaFeeders programa_;
  TTipoStatusConferencia status_ = tscSucesso;
  fs::path pasta_;
};

bool Contem(const std::vector<std::string>& log, const std::string& parte) {
  for (const auto& l : log)
    if (l.find(parte) != std::string::npos) return true;
  return false;
}

TEST_F(ClientFolderTaskTest, ImportsTheCompanyFilesOnceAndSkipsForeignAndMalformedNames) {
  Escreve("CL11222333000181_a.txt", "L,1,05/01/2024,40,11,100\n");
  Escreve("cl11222333000181_b.TXT", "L,1,06/01/2024,40,11,50\n");
  Escreve("CL11222333000262.txt", "L,2,06/01/2024,40,11,9\n");   // the branch's CNPJ
  Escreve("CL1122233.txt", "L,1,06/01/2024,40,11,9\n");
  Escreve("outro.txt", "L,1,06/01/2024,40,11,9\n");
  Db().Execute("insert into TINTEGRACAO_ARQ_CLIENTE (BDORDEM, BDCODEMP, BDCAMINHO, BDREFINICIAL, BDREFFINAL, "
               "BDTIPOARQUIVO) values (4, 1, 'antigo', 20230101, 20230131, 21)");
  const auto log = Executa(pasta_.string());
  EXPECT_EQ(ProcessContext().FRetornoServidor, R"({"ArquivosEncontradosParaOProcesso":4})");
  EXPECT_TRUE(Contem(log, "CL1122233.txt\": CNPJ do arquivo não é válido, portanto o arquivo será ignorado."));
  EXPECT_TRUE(Contem(log, "CL11222333000262.txt\": CNPJ do arquivo não corresponde ao CNPJ da empresa 1, portanto"));
  EXPECT_TRUE(Contem(log, "Importação de lançamentos contábeis layout VYN: importação concluída com sucesso!"));
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 150);
  auto r = Db().QueryAll("select BDORDEM, BDCAMINHO, BDFINALIZADO from TINTEGRACAO_ARQ_CLIENTE where BDCODEMP = 1 "
                         "and BDORDEM > 4 order by BDORDEM");
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Value(0, "BDORDEM").AsInteger(), 5);
  EXPECT_EQ(r.Value(1, "BDORDEM").AsInteger(), 6);
  EXPECT_EQ(r.Value(1, "BDFINALIZADO").AsString(), "TRUE");

  // A second run finds both files booked whole and tells their lines together; a file dropped again with one
  // more line is registered again under a new number and only its new line is posted.
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscSucesso);
  EXPECT_TRUE(ProcessContext().FMensagemInconsistencia.find("2 já lançado(s) anteriormente") != std::string::npos)
      << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 150);
  Escreve("CL11222333000181_a.txt", "L,1,05/01/2024,40,11,100\nL,1,07/01/2024,40,11,1\n");
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 151);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE where BDCODEMP = 1 and BDORDEM > 4"), 2);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE where BDCODEMP = 1 and BDORDEM = 5"), 0);
}

// Equal entries of a file are each an entry of their own, known by their place among the equal ones: a
// rerun books none of them again, and a file that grew by one more copy books only that copy.
TEST_F(ClientFolderTaskTest, EqualEntriesOfAFileAreBookedOnceEachAndOnlyANewCopyLater) {
  const std::string linha = "L,1,05/01/2024,40,11,100,1,igual,7\n";
  Escreve("CL11222333000181.txt", linha + linha + "L,1,05/01/2024,40,11,100,1,outra,7\n" + linha);
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 4);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_FONTE_LANCADA where BDFONTE like '%|3'"), 1);
  Executa(pasta_.string());
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 4);
  Escreve("CL11222333000181.txt", linha + linha + "L,1,05/01/2024,40,11,100,1,outra,7\n" + linha + linha);
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 5);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_FONTE_LANCADA"), 5);
  EXPECT_NE(ProcessContext().FMensagemInconsistencia.find("1 lançamento(s) importado(s)"), std::string::npos)
      << ProcessContext().FMensagemInconsistencia;
}

TEST_F(ClientFolderTaskTest, OtherTypesDoNothingAndOneFileMayBeNamed) {
  const std::string um =
      Escreve("CL11222333000181.txt", "L,1,05/01/2024,40,11,100\nL,1,05/01/2024,999,11,3\nX,registro desconhecido\n");
  Executa(pasta_.string(), "20");
  Executa(pasta_.string(), "");
  EXPECT_EQ(ProcessContext().FRetornoServidor, "");
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE"), 0);

  // Period bounds that are not dates never reach the register.
  EXPECT_ANY_THROW(Executa(pasta_.string(), "21", "20240131) or (1=1"));
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE"), 0);

  // The named file alone; its refused line is registered with it.
  const auto log = Executa(um);
  EXPECT_EQ(ProcessContext().FRetornoServidor, R"({"ArquivosEncontradosParaOProcesso":1})");
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 1);
  EXPECT_TRUE(Contem(log, "houveram inconsistências na importação! Verifique-as na tabela "
                          "\"TINTEGRACAO_ARQ_CLIENTE_INCONS\" para o registro de ordem 1 da empresa 1 na tabela "
                          "\"TINTEGRACAO_ARQ_CLIENTE\"."));
  EXPECT_EQ(status_, tscInconsistente);
  // Both the line the importer could not read and the line the import refused, each once, numbered.
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDCODEMP = 1 and BDORDEM = 1"), 2);
  // Named by its line in the file, as the reader names the lines it refuses.
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDCODEMP = 1 and BDORDEM = 1 and "
                  "BDINCONSISTENCIA starting with 'Linha 2 do arquivo: conta 999'"), 1);
  EXPECT_EQ(Conta("select max(BDORDEMINCONS) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDCODEMP = 1 and BDORDEM = 1"), 2);

  // A folder without a match answers 0.
  fs::create_directories(pasta_ / "vazia");
  Executa((pasta_ / "vazia").string());
  EXPECT_EQ(ProcessContext().FRetornoServidor, R"({"ArquivosEncontradosParaOProcesso":0})");
  EXPECT_EQ(status_, tscSucesso) << "the earlier run's refused line is not this run's";

  // A folder that is not there fails the run with its name.
  const auto log3 = Executa((pasta_ / "sumiu").string());
  EXPECT_EQ(status_, tscErro);
  EXPECT_TRUE(Contem(log3, "Pasta de arquivos do cliente não encontrada: " + (pasta_ / "sumiu").string()));
}

// Client files are read in either encoding; a reversed period is a parameter error that registers nothing.
TEST_F(ClientFolderTaskTest, ReadsWindowsAndUtf8FilesAndRefusesAReversedPeriod) {
  Escreve("CL11222333000181_a.txt", "L,1,05/01/2024,40,11,100,,Manuten\xE7\xE3o\n");   // WIN1252
  Escreve("CL11222333000181_b.txt", "\xEF\xBB\xBFL,1,06/01/2024,40,11,50,,Servi\xC3\xA7o\n");   // UTF-8 with BOM
  Escreve("CL11222333000181_c.txt", "L,1,07/01/2024,40,11,7,,Ref\xC3\xA9m\nL,1,07/01/2024,40,11,1e5\n");
  Executa(pasta_.string(), "21", "20231231");
  EXPECT_EQ(status_, tscErro);
  EXPECT_NE(ProcessContext().FMensagemInconsistencia.find("Período inválido"), std::string::npos)
      << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE"), 0);

  Executa(pasta_.string());
  EXPECT_EQ(status_, tscInconsistente);
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 157);
  for (const char* texto : {"Manutenção", "Serviço", "Refém"})
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCOMPL = ?", {std::string(texto)}), 1) << texto;
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE where BDFINALIZADO = 'TRUE'"), 3);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDINCONSISTENCIA containing "
                  "'Linha 2 do arquivo não importada: campo valor: valor inválido: 1e5'"),
            1);
}

// A workbook entry whose cost-centre split is refused stays out with its split, and the copy of the rows
// not imported holds exactly those: the entry's row and its cost-centre rows, under the header.
TEST_F(ClientFolderTaskTest, AWorkbookEntryRefusedWithItsSplitLeavesBothInTheCopy) {
  const std::string planilha = (pasta_ / "CL11222333000181.xlsx").string();
  GravaPastaXlsx(planilha, {{"Tipo", "Empresa", "Data", "Débito", "Crédito", "Valor"},
                            {"L", "1", "05/01/2024", "40", "11", "20"},
                            {"C", "1", "900", "D", "12"},
                            {"L", "1", "06/01/2024", "40", "11", "5"},
                            {"C", "1", "900", "D", "5"},
                            {"L", "1", "07/01/2024", "40", "11", "30"},
                            {"C", "1", "900", "D", "10"},
                            {"C", "1", "901", "X", "20"}});
  Executa(planilha);
  EXPECT_EQ(status_, tscInconsistente) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 5);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC"), 1);
  const TLinhasPlanilha copia = LerPastaTrabalho((pasta_ / "naoimportados_CL11222333000181.xlsx").string());
  std::vector<std::string> tipos;
  for (const auto& linha : copia) tipos.push_back(linha.empty() ? "" : linha.front() + linha.back());
  EXPECT_EQ(tipos, (std::vector<std::string>{"TipoValor", "L20", "C12", "L30", "C10", "C20"}));
}

// A write the database refuses cancels the file's import: the file is not marked imported, and the
// next run posts each of its lines once.
TEST_F(ClientFolderTaskTest, AFailedWriteLeavesTheFileToBeImportedAgain) {
  Escreve("CL11222333000181.txt", "L,1,05/01/2024,40,11,100\nL,1,06/01/2024,40,11,13\n");
  Db().Execute("create exception E_RECUSA_TESTE 'gravação recusada'");
  Db().Execute("create trigger T_RECUSA_TESTE for VZEL_EMPRESAS_TLAN before insert as begin if (new.BDVALOR = 13) "
               "then exception E_RECUSA_TESTE; end");
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscErro);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE where BDFINALIZADO = 'TRUE'"), 0);

  EXPECT_GT(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS"), 0);

  Db().Execute("drop trigger T_RECUSA_TESTE");
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 113);
  // The registration the retry took has none of the failed attempt's problems.
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS"), 0);
  Executa(pasta_.string());
  EXPECT_EQ(Conta("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN"), 113);
}

// A file larger than what the importer holds at a time: every line reaches the ledger with its own
// value, cost centres, long complement and participant, whichever part of the file it came in; a
// participant declared at the end serves the lines before it; a line the reading refuses and a line
// the review refuses stay out without shifting the keys of the lines around them. (A cost-centre
// record after every 5,000th line moves the file's line numbers after it by one.)
TEST_F(ClientFolderTaskTest, ALargeFileIsStagedInPartsAndWrittenWhole) {
  constexpr int kLinhas = 12001;
  const std::string longo(230, 'x');
  std::ostringstream t;
  for (int i = 1; i <= kLinhas; ++i) {
    const std::string documento = i == 9000 ? std::string(31, '9') : std::to_string(i);
    const int debito = i == 7000 ? 99999 : 40;
    t << "L,1," << (1 + i % 28) << "/01/2024," << debito << ",11," << i << ".01,1," << (i % 4000 == 0 ? longo : "c")
      << "," << documento << ",," << (i == 3 ? "900" : "") << "\n";
    if (i % 5000 == 0) t << "C,1,40,D," << i << ".01\n";
  }
  t << "P,900,Ap,Participante declarado no fim,11222333000181\n";
  Escreve("CL11222333000181.txt", t.str());
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscInconsistente) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), kLinhas - 2);
  EXPECT_EQ(Conta("select cast(sum(BDVALOR) * 100 as bigint) from VZEL_EMPRESAS_TLAN"),
            int64_t{100} * kLinhas * (kLinhas + 1) / 2 + kLinhas - 700001 - 900001);
  // Each entry is the line it came from: its value and its document agree.
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDVALOR <> cast(BDDCTO as integer) + 0.01"), 0);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODTERCEIROD = 900 and BDDCTO = '3'"), 1);
  for (int i : {5000, 10000})
    EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC C join VZEL_EMPRESAS_TLAN L on L.BDCODEMP = "
                    "C.BDCODEMP and L.BDCHAVE = C.BDCHAVE and L.BDVALOR = C.BDVALOR where L.BDDCTO = ?",
                    {std::to_string(i)}),
              1)
        << i;
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_CC"), 2);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN_COMPL C join VZEL_EMPRESAS_TLAN L on L.BDCODEMP = "
                  "C.BDCODEMP and L.BDCHAVE = C.BDCHAVE where L.BDCOMPL is null and char_length(C.BDCOMPL) = 230 and "
                  "mod(cast(L.BDDCTO as integer), 4000) = 0"),
            kLinhas / 4000);
  for (const char* linha : {"Linha 9001 do arquivo não importada: campo documento", "Linha 7001 do arquivo: conta 99999"})
    EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDINCONSISTENCIA starting with ?",
                    {std::string(linha)}),
              1)
        << linha;
}

// An unattended run goes over a file larger than a page of its session a page at a time: every line
// is weighed, checked and written once, the refused lines of any page are reported and left out, and
// the balance of the whole file still decides before anything is written.
TEST_F(ClientFolderTaskTest, AFileOfSeveralPagesIsCheckedAndWrittenWhole) {
  const int linhas = 2 * kLinhasPorPaginaSessao + 50;
  auto arquivo = [&](int soDebito) {
    std::ostringstream t;
    for (int i = 1; i <= linhas; ++i) {
      const int debito = i == 3 || i == linhas - 10 ? 99999 : 40;
      t << "L,1," << (1 + i % 28) << "/01/2024," << debito << "," << (i == soDebito ? 0 : 11) << "," << i
        << ".01,1,c," << i << ",,\n";
    }
    return t.str();
  };
  Escreve("CL11222333000181.txt", arquivo(linhas - 5));
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscInconsistente);
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDINCONSISTENCIA containing ?",
                  {std::string("diferença de 40.045,01")}),
            1);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
  EXPECT_EQ(Conta("select count(*) from VSH_EMP_TCONF_TLAN"), 0);

  fs::remove_all(pasta_);
  fs::create_directories(pasta_);
  Escreve("CL11222333000181.txt", arquivo(0));
  Executa(pasta_.string());
  EXPECT_EQ(status_, tscInconsistente) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), linhas - 2);
  EXPECT_EQ(Conta("select count(distinct BDCHAVE) from VZEL_EMPRESAS_TLAN"), linhas - 2);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDVALOR <> cast(BDDCTO as integer) + 0.01"), 0);
  EXPECT_EQ(Conta("select count(*) from VSH_EMP_TCONF_TLAN where BDSTATUS = 2"), linhas - 2);
  // Each written entry's own row, however its keys were grouped to be written.
  EXPECT_EQ(Conta("select count(distinct C.BDCHAVE) from VSH_EMP_TCONF_TLAN C join VZEL_EMPRESAS_TLAN L on "
                  "L.BDCODEMP = C.BDCODEMP and L.BDCHAVE = C.BDCHAVE where C.BDSTATUS = 2"),
            linhas - 2);
  EXPECT_EQ(Conta("select count(*) from VSH_EMP_TCONF_TLAN where BDSTATUS = 1"), 2);
  for (int linha : {3, linhas - 10})
    EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDINCONSISTENCIA starting with ?",
                    {fmt::format("Linha {} do arquivo: conta 99999", linha)}),
              1)
        << linha;
  AguardaRemocoesSessoes();
  EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP"), 0);
  // The run's session lived on the run's attachment and went with the run, nothing left behind it.
  EXPECT_EQ(Conta("select count(*) from TMP_VZEL_EMPRESAS_TLAN_ANEXO"), 0);
  EXPECT_EQ(Conta("select count(*) from TMP_VZEL_SESSAO"), 0);
}

#ifdef INTEGRACAO_HOST_EXE
// The built host runs the task with the shipped module: its exit status is 0 only for status 1.
TEST(ClientFolderTaskHost, ExitStatusFollowsEachRunsOwnOutcome) {
  const fs::path dir = fs::temp_directory_path() / ("integracao_cliente_host_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "cli");
  const auto host = [&](const std::string& args) {
    const std::string cmd = "'" INTEGRACAO_HOST_EXE "' --db '" + (dir / "db.fdb").string() + "' " + args + " >'" +
                            (dir / "out.txt").string() + "' 2>&1 </dev/null";
    const int rc = std::system(cmd.c_str());
    std::stringstream out;
    out << std::ifstream(dir / "out.txt").rdbuf();
    return std::make_pair(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out.str());
  };
  const auto tarefa = [&](const std::string& pasta) {
    return host("task TAutoThreadIntegracaoArquivosClienteContabil cod_emp=1 tipo_arquivo=21 caminho='" +
                (dir / pasta).string() + "' ref_inicial=20240101 ref_final=20240131 --agendamento 3");
  };
  ASSERT_EQ(host("init '" + (dir / "db.fdb").string() + "' --demo --referencia 202401").first, 0);

  std::ofstream(dir / "cli" / "CL11222333000181_a.txt") << "L,1,05/01/2024,40,11,100\n";
  auto r = tarefa("cli");
  EXPECT_EQ(r.first, 0) << r.second;
  EXPECT_NE(r.second.find("Status: 1 (sucesso) Importação finalizada: 1 lançamento(s) importado(s)"), std::string::npos)
      << r.second;
  EXPECT_NE(r.second.find("Retorno: {\"ArquivosEncontradosParaOProcesso\":1}"), std::string::npos) << r.second;

  std::ofstream(dir / "cli" / "CL11222333000181_b.txt") << "L,1,06/01/2024,40,11,5\nL,1,06/01/2024,999,11,3\n";
  r = tarefa("cli");
  EXPECT_EQ(r.first, 1);
  EXPECT_NE(r.second.find("Status: 2 (inconsistente)"), std::string::npos) << r.second;

  // The same schedule key once more: the refused line of the run before is not this run's (its file,
  // read again by every run while that line is refused, is taken away by the client).
  fs::remove(dir / "cli" / "CL11222333000181_b.txt");
  std::ofstream(dir / "cli" / "CL11222333000181_c.txt") << "L,1,07/01/2024,40,11,7\n";
  r = tarefa("cli");
  EXPECT_EQ(r.first, 0) << r.second;
  EXPECT_NE(r.second.find("Status: 1 (sucesso)"), std::string::npos) << r.second;

  r = tarefa("sumiu");
  EXPECT_EQ(r.first, 1);
  EXPECT_NE(r.second.find("Status: 5 (erro) Pasta de arquivos do cliente não encontrada: "), std::string::npos)
      << r.second;
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace integracao
