// Several workstations on one company database through a Firebird server: four processes at once
// reserve entry keys, post the settlements of the same links, run the client-folder task on the same
// folder, import the same statement line and queue the same fiscal document; a change of posting plan holds its company against another workstation's import. Runs when INTEGRACAO_SERVIDOR names a folder the server (on this machine) writes its
// databases in, with ISC_USER and ISC_PASSWORD set; .ci/run starts such a server on the loopback
// address. Skipped otherwise.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/publicas.h"
#include "framework/schema/entry_keys.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "framework/livros/fila_importacao_ef.h"
#include "framework/livros/marca_livros.h"
#include "testing/fake_http_server.h"
#include "testing/processo_host.h"

namespace {

namespace fs = std::filesystem;
using vyn::Currency;
using vyn::EncodeDate;

constexpr int kEstacoes = 4;
constexpr int kReservas = 150;   // per workstation
constexpr int kParcelas = 30;    // installments the same links settle

// ---- What one workstation does (this program run with a role).

int LancaBaixasOuFalha(const std::string& banco);

int ReservaChaves(const std::string& banco) {
  vyn::TDatabase db;
  db.Open(banco);
  for (int i = 0; i < kReservas; ++i) {
    const int quantas = 1 + i % 3;
    std::cout << vyn::ReserveEntryKeys(db, 1, quantas) << ' ' << quantas << '\n';
  }
  return 0;
}

// The links of every installment to an entry of the statement, as the reconciliation screen hands
// them to the settlement engine; what the engine refused goes to stdout. A run that lost a race to
// another workstation fails as a whole (exit 3, its reason on stderr): it posts nothing.
int LancaBaixas(const std::string& banco) {
  try {
    return LancaBaixasOuFalha(banco);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 3;
  }
}

int LancaBaixasOuFalha(const std::string& banco) {
  using namespace vyn;
  TDatabase db;
  db.Open(banco);
  MarcaConexaoDoModulo(db);   // the module's workstation, as the host's
  TSQLMGRPool pool(&db);
  TConsultaCodigosBanco consulta;
  ProcessContext().Database = &db;
  ProcessContext().SQLPool = &pool;
  ProcessContext().CodeLookup = &consulta;
  TPublicas::SetReferencia(202401);
  TComponent tela;
  auto* entradas = integracao::EntradasEmMemoria(tela);
  auto* empresa = tela.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
  empresa->SetText("1");
  if (!empresa->Validate()) throw std::runtime_error(empresa->Mensagem());
  auto* lista = tela.Create<TInconsistencias_VYN>();
  integracao::TProcessoBaixas pb(&tela, entradas);
  TClientDataSet* links = pb.cdsVINC_EXT_BAN_BAIXA;
  for (int i = 1; i <= kParcelas; ++i) {
    entradas->AppendRecord({1, i, seed::kContaFornecedores, seed::kContaBanco, Variant(), EncodeDate(2024, 3, 1 + i % 28),
                            Currency::FromInt(100), std::to_string(i)});
    links->Append();
    links->FieldByName("BDCHAVE").SetAsInteger(i);
    links->FieldByName("BDTIPO_BAIXA").SetAsInteger(integracao::tbvParcela);
    links->FieldByName("BDSUBTIPO_BAIXA").SetAsInteger(0);
    links->FieldByName("BDBAIXA_ID").SetAsInteger(i);
    links->FieldByName("BDORDEM").SetAsInteger(1);
    links->FieldByName("BDVALOR").SetAsCurrency(Currency::FromInt(100));
    links->Post();
  }
  pb.GetVinculoBaixa(&tela, empresa, lista, entradas);
  for (const auto& item : lista->Itens()) std::cout << item.Caption << '\n';
  ProcessContext() = TProcessContext();
  return 0;
}

// Queues one fiscal document file for company 1; prints whether this workstation queued it.
int EnfileiraDocumento(const std::string& banco, const std::string& arquivo) {
  vyn::TDatabase db;
  db.Open(banco);
  vyn::MarcaConexaoDoModulo(db);
  std::cout << (vyn::EnfileiraDocumentoEF(db, 1, vyn::tdNFe, vyn::TipOmie, arquivo, "35250111222333000181550010000012341000012345")
                    ? "enfileirado"
                    : "ja na fila")
            << '\n';
  return 0;
}

// ---- The test: a database on the server, four workstations at once.

std::string ProprioPrograma() { return fs::read_symlink("/proc/self/exe").string(); }

class VariasEstacoes : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* pasta = std::getenv("INTEGRACAO_SERVIDOR");
    if (!pasta || !*pasta) GTEST_SKIP() << "INTEGRACAO_SERVIDOR não informado: nenhum servidor Firebird para o teste";
    const std::string nome = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    arquivo_ = fs::path(pasta) / ("estacoes_" + std::to_string(::getpid()) + "_" + nome + ".fdb");
    banco_ = "localhost:" + arquivo_.string();
    dir_ = fs::temp_directory_path() / ("integracao_estacoes_" + std::to_string(::getpid()) + "_" + nome);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (arquivo_.empty()) return;
    fs::remove(arquivo_);
    fs::remove_all(dir_);
  }

  void CriaBanco(int referencia) {
    const vyn::TSaidaProcesso r = vyn::ExecutaPrograma(
        INTEGRACAO_HOST_EXE, {"init", banco_, "--demo", "--referencia", std::to_string(referencia)}, {}, dir_, "init");
    ASSERT_EQ(r.Status, 0) << r.Err;
  }

  // Runs the commands at once, each a workstation; their outputs, in order.
  std::vector<vyn::TSaidaProcesso> AoMesmoTempo(const std::vector<std::vector<std::string>>& comandos) {
    std::vector<pid_t> pids;
    for (size_t i = 0; i < comandos.size(); ++i) {
      const std::string base = (dir_ / ("estacao" + std::to_string(i))).string();
      posix_spawn_file_actions_t acoes;
      posix_spawn_file_actions_init(&acoes);
      posix_spawn_file_actions_addopen(&acoes, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&acoes, 1, (base + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      posix_spawn_file_actions_addopen(&acoes, 2, (base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      std::vector<std::string> args(comandos[i]);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      pid_t pid = -1;
      const int erro = posix_spawn(&pid, argv[0], &acoes, nullptr, argv.data(), environ);
      posix_spawn_file_actions_destroy(&acoes);
      EXPECT_EQ(erro, 0) << comandos[i][0];
      pids.push_back(erro == 0 ? pid : -1);
    }
    std::vector<vyn::TSaidaProcesso> saidas;
    for (size_t i = 0; i < pids.size(); ++i) {
      int rc = 0;
      const bool terminou = pids[i] > 0 && ::waitpid(pids[i], &rc, 0) == pids[i];
      const fs::path base = dir_ / ("estacao" + std::to_string(i));
      saidas.push_back({terminou && WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, vyn::LeArquivoTexto(base.string() + ".out"),
                        vyn::LeArquivoTexto(base.string() + ".err")});
    }
    return saidas;
  }

  std::vector<std::vector<std::string>> Todas(const std::vector<std::string>& comando) {
    return std::vector<std::vector<std::string>>(kEstacoes, comando);
  }

  fs::path arquivo_;
  std::string banco_;
  fs::path dir_;
};

TEST_F(VariasEstacoes, EntryKeysAreNeverReservedTwice) {
  CriaBanco(202401);
  std::set<long> chaves;
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas({ProprioPrograma(), "--chaves", banco_}))) {
    ASSERT_EQ(s.Status, 0) << s.Err;
    std::istringstream linhas(s.Out);
    long primeira = 0, quantas = 0;
    int n = 0;
    while (linhas >> primeira >> quantas) {
      ++n;
      for (long k = primeira; k < primeira + quantas; ++k) EXPECT_TRUE(chaves.insert(k).second) << "chave " << k;
    }
    EXPECT_EQ(n, kReservas);
  }
}

TEST_F(VariasEstacoes, TheSameLinksAreSettledOnce) {
  CriaBanco(202401);
  {
    vyn::TDatabase db;
    db.Open(banco_);
    vyn::TTransaction tr(db);
    for (int i = 1; i <= kParcelas; ++i) {
      db.Execute(
          "INSERT INTO VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDDATAENTRADAENT, BDVALORCONTABIL) "
          "VALUES (1, ?, ?, ?, 100)",
          {i, i, EncodeDate(2024, 3, 1)});
      db.Execute(
          "INSERT INTO VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDPARCELAPAR, BDDATAVENCTOPAR, BDVALORPAR) "
          "VALUES (1, ?, 1, '1/1', ?, 100)",
          {i, EncodeDate(2024, 3, 10)});
    }
    tr.Commit();
  }
  int lancaram = 0;
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas({ProprioPrograma(), "--baixas", banco_}))) {
    EXPECT_TRUE(s.Status == 0 || s.Status == 3) << s.Status << s.Err;
    lancaram += s.Status == 0;
  }
  EXPECT_GE(lancaram, 1);
  vyn::TDatabase db;
  db.Open(banco_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VEF_EMP_TMOVENTPARPGTO WHERE BDCODEMP = 1").AsInteger(), kParcelas);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM (SELECT BDCHAVE FROM VEF_EMP_TMOVENTPARPGTO WHERE BDCODEMP = 1 "
                          "GROUP BY BDCHAVE, BDORDEMPAR HAVING COUNT(*) > 1)")
                .AsInteger(),
            0);
}

TEST_F(VariasEstacoes, EachClientFileIsImportedOnce) {
  CriaBanco(202501);
  const fs::path pasta = dir_ / "cliente";
  fs::create_directories(pasta);
  for (int f = 1; f <= 3; ++f) {
    std::ofstream arquivo(pasta / ("CL11222333000181_" + std::to_string(f) + ".txt"));
    arquivo << "L,1,0" << f << "/01/2025,11,30,\"1.000,0" << f << "\",,Venda do arquivo " << f << ",NF " << f
            << "\nL,1,1" << f << "/01/2025,40,11,20.0" << f << ",,Despesa do arquivo " << f << ",\n";
  }
  const std::vector<std::string> tarefa{INTEGRACAO_HOST_EXE, "--db", banco_, "task",
                                        "TAutoThreadIntegracaoArquivosClienteContabil", "cod_emp=1", "tipo_arquivo=21",
                                        "caminho=" + pasta.string(), "ref_inicial=20250101", "ref_final=20250131"};
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas(tarefa))) EXPECT_EQ(s.Status, 0) << s.Out << s.Err;
  vyn::TDatabase db;
  db.Open(banco_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDTIPOLAN = 0").AsInteger(), 6);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TINTEGRACAO_ARQ_CLIENTE WHERE BDCODEMP = 1 AND BDFINALIZADO = 'TRUE'")
                .AsInteger(),
            3);
}

// Four workstations open the same Dyq statement, give its line the expenses account and import at once:
// the line is booked once; the others are told it was booked (or is being booked) and write nothing.
// The script answers whatever the run asks; a workstation that opens after the line was booked only
// reads the review's attention line.
TEST_F(VariasEstacoes, TheSameStatementLineIsBookedOnce) {
  CriaBanco(202501);
  {
    vyn::TDatabase db;
    db.Open(banco_);
    db.Execute("UPDATE TEMPRESAS SET BDDYQ = 'TRUE' WHERE BDCODEMP = 1");
  }
  vyn::TFakeHttpServer dyq(std::chrono::seconds(300));
  dyq.On("GET", "/extratos-liberados",
         vyn::TFakeResponse(200, R"({"501":{"tipoConta":"Normal","dataInicial":"01/01/2025","dataFinal":"31/01/2025",)"
                                 R"("conta":"11 BANCO CONTA MOVIMENTO","logLiberacaoData":"03/02/2025 09:30"}})"));
  dyq.On("GET", "/extratos/501/lancamentos",
         vyn::TFakeResponse(200, R"({"lancamentos":[{"id":9001,"data":"21/01/2025","tipo":"D","valor":"50.00",)"
                                 R"("descricao":"TARIFA BANCARIA","documento":"89"}]})"));
  dyq.On("POST", "/retornos", vyn::TFakeResponse(200, "{}"));
  ::setenv("INTEGRACAO_DYQ_URL", dyq.BaseURL().c_str(), 1);
  ::setenv("INTEGRACAO_DYQ_TOKEN", "segredo", 1);
  const fs::path script = dir_ / "extrato.json";
  std::ofstream(script) << R"({"answers": ["no", "yes", "ok", "ok", "ok", "ok"],
    "steps": [{"set": "edCODEMP", "value": "1"}, {"focus": "edDataIni"}, {"focus": "edDataFim"},
              {"select": "lvExtratos", "item": "501"}, {"click": "spConfirmar"}],
    "screens": [{"form": "TfrConsultaImportacaoExtratoBancario", "steps": [
      {"set": "grGrid", "row": 1, "field": "BDDEBITO", "value": "40"}, {"click": "spImportacao"},
      {"close": "TfrConsultaImportacaoExtratoBancario"}]}]})";
  const std::vector<std::string> estacao{INTEGRACAO_HOST_EXE, "--db", banco_, "--user", "ana", "--referencia", "202501",
                                         "screen", "TfrFiltroImportacaoExtratoBancarioDYQ", "--script", script.string()};
  int lancaram = 0;
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas(estacao))) {
    if (s.Status == 0) {
      ++lancaram;
      continue;
    }
    // Refused at the import (booked meanwhile, or being booked), or not offered at all when it opened
    // after another workstation's import.
    EXPECT_TRUE(s.Out.find("já lançado") != std::string::npos ||
                s.Out.find("já foram integrados anteriormente") != std::string::npos)
        << s.Status << s.Out << s.Err;
  }
  ::unsetenv("INTEGRACAO_DYQ_URL");
  EXPECT_EQ(lancaram, 1);
  vyn::TDatabase db;
  db.Open(banco_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDDCTO = '89'").AsInteger(), 1);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TINTEGRACAO_FONTE_LANCADA WHERE BDCODEMP = 1").AsInteger(), 1);
}

// Four workstations fetch the same fiscal document at once: it enters the fiscal module's queue once.
TEST_F(VariasEstacoes, AFiscalDocumentIsQueuedOnce) {
  CriaBanco(202501);
  const fs::path nota = dir_ / "nfe.xml";
  std::ofstream(nota) << "<nfeProc><NFe><infNFe Id=\"NFe35250111222333000181550010000012341000012345\"/></NFe></nfeProc>";
  int enfileiraram = 0;
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas({ProprioPrograma(), "--fila", banco_, nota.string()}))) {
    EXPECT_EQ(s.Status, 0) << s.Err;
    enfileiraram += s.Out.find("enfileirado") != std::string::npos;
  }
  EXPECT_EQ(enfileiraram, 1);
  vyn::TDatabase db;
  db.Open(banco_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VEF_TFILA_IMPORTACAO_EF WHERE BDCODEMP = 1").AsInteger(), 1);
}

// The change of plan 1 (chart 1) to plan 2 (chart 2) of the head office, and a trigger that makes the
// change wait, inside its transaction, on a row the test holds: the window in which another
// workstation would otherwise post into the old chart.
const std::vector<std::string> kTrocaPlano{
    "INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST) VALUES (2, 'Plano novo', 2, 1)",
    "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDNOMCTA, BDTIPCTA, BDPARTICIPANTE) SELECT 2, BDCODTPLA * 10,"
    " BDNOMCTA, BDTIPCTA, 0 FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = 1",
    "INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) VALUES (1, 'De 1 para 2', 1, 2)",
    "INSERT INTO VINT_BASE_TINTONLINE_CONTA (BDCODINT, BDCODTPLADE, BDCODTPLAPARA) SELECT 1, BDCODTPLA, BDCODTPLA * 10"
    " FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = 1",
    "CREATE TABLE TESPERA_TESTE (ID INTEGER NOT NULL PRIMARY KEY, N INTEGER)",
    "INSERT INTO TESPERA_TESTE (ID, N) VALUES (1, 0)",
    "CREATE TRIGGER TESPERA_TROCA FOR VINT_EMP_PROCESSOTROCA_BAL BEFORE INSERT AS BEGIN"
    " UPDATE TESPERA_TESTE SET N = N + 1 WHERE ID = 1; END"};

TEST_F(VariasEstacoes, APlanChangeHoldsItsCompanyAgainstAnotherWorkstationsImport) {
  CriaBanco(202501);
  vyn::TDatabase db;
  db.Open(banco_);
  for (const std::string& sql : kTrocaPlano) db.Execute(sql);
  const fs::path pasta = dir_ / "cliente";
  fs::create_directories(pasta);
  std::ofstream(pasta / "CL11222333000181_1.txt") << "L,1,28/01/2025,11,30,\"150,00\",,Venda durante a troca,NF 9\n";
  const fs::path roteiro = dir_ / "troca.json";
  std::ofstream(roteiro) << R"({"answers": ["yes", "yes", "ok"], "steps": [{"set": "edCODEMP", "value": "1"},
    {"set": "edCODPLANOONLINE", "value": "2"}, {"set": "edCodPlanoTroca", "value": "1"}, {"click": "spOK"}]})";

  vyn::TTransaction espera(db);
  db.Execute("UPDATE TESPERA_TESTE SET N = N + 1 WHERE ID = 1");
  vyn::TSaidaProcesso troca;
  std::thread estacaoA([&] {
    troca = vyn::ExecutaPrograma(INTEGRACAO_HOST_EXE, {"--db", banco_, "--user", "Ana", "--referencia", "202501",
                                 "screen", "TfrProcessoTrocaPlanoContabilizacao", "--script", roteiro.string()},
                                 {}, dir_, "troca");
  });
  // The change holds the company from the start of its transaction; the import runs meanwhile.
  bool segura = false;
  for (int i = 0; i < 300 && !segura; ++i) {
    segura = db.MeetsUncommittedChange(
        "SELECT BDCODEMP FROM VZEL_EMPRESAS_TLAN_USO WHERE BDCODEMP = 1 AND BDCONEXAO = 0");
    if (!segura) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const vyn::TSaidaProcesso importacao = vyn::ExecutaPrograma(
      INTEGRACAO_HOST_EXE, {"--db", banco_, "task", "TAutoThreadIntegracaoArquivosClienteContabil", "cod_emp=1",
                            "tipo_arquivo=21", "caminho=" + pasta.string(), "ref_inicial=20250101",
                            "ref_final=20250131"},
      {}, dir_, "importacao");
  espera.Rollback();
  estacaoA.join();

  ASSERT_TRUE(segura) << troca.Out << troca.Err;
  EXPECT_EQ(troca.Status, 0) << troca.Out << troca.Err;
  EXPECT_NE(troca.Out.find("Processo finalizado com sucesso!"), std::string::npos) << troca.Out;
  // The task ends in error (status 5), which the host exits with as 1.
  EXPECT_EQ(importacao.Status, 1) << importacao.Out << importacao.Err;
  EXPECT_NE(importacao.Out.find("Status: 5"), std::string::npos) << importacao.Out;
  EXPECT_NE((importacao.Out + importacao.Err).find("está em troca de plano de contabilização em outra estação"),
            std::string::npos)
      << importacao.Out << importacao.Err;
  // Nothing of the company's changed period is left in the old chart, and the refused file was not
  // taken as imported.
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP IN (1, 2)"
                          " AND BDDATA >= '2025-01-01' AND BDCODPLAPADRAO <> 2")
                .AsInteger(),
            0);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCOMPL LIKE '%durante a troca%'")
                .AsInteger(),
            0);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TINTEGRACAO_ARQ_CLIENTE WHERE BDCODEMP = 1 AND BDFINALIZADO = 'TRUE'")
                .AsInteger(),
            0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--chaves") return ReservaChaves(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--fila") return EnfileiraDocumento(argv[2], argv[3]);
  if (argc == 3 && std::string(argv[1]) == "--baixas") return LancaBaixas(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
