// Several workstations on one company database through a Firebird server: four processes at once
// reserve entry keys, post the settlements of the same links, run the client-folder task on the same
// folder, import the same statement line and queue the same fiscal document, answer the same BI requests, send
// report e-mails; a change of posting plan holds its company against another workstation's import; ECF exports and a
// SPED validation job run at once, and runs of one schedule write its status row together. Runs when
// INTEGRACAO_SERVIDOR names a folder the server (on this machine) writes its databases in, with ISC_USER and
// ISC_PASSWORD set; .ci/run starts such a server on the loopback address. Skipped otherwise.
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
#include "testing/fake_smtp_server.h"
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

// A report request (kind 3, the month's totals as data lines) and a payroll request (kind 4) of the
// head office, each answered once before.
const std::vector<std::string> kPedidosBI{
    "INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDNOMCOL, BDDATAADM) VALUES (1, 1, 10, 'Ana Lima', '2020-01-01')",
    "INSERT INTO VRH_BASE_TRELCONF (BDCODRELCONF, BDDESCRICAO) VALUES (1, 'Resumo')",
    "INSERT INTO VRH_BASE_TRELCONF_ITENS (BDCODRELCONF, BDORDEM, BDCOLUNA, BDTITULO, BDFORM, BDCODVER, BDCLAVER)"
    " VALUES (1, 1, 1, 'Salário', '', 100, 1)",
    "INSERT INTO TRH_MOVIMENTO (BDCODEMP, BDREF, BDTIPOCOL, BDCODCOL, BDCODVER, BDCLAVER, BDVALOR)"
    " VALUES (1, 202501, 1, 10, 100, 1, 3100.20)",
    "INSERT INTO TPEDIDOS_BI (BDID, BDTIPO, BDPRONTO) VALUES (20, 4, 0)",
    "INSERT INTO TPEDIDOS_BI_CONF_FOLHA (BDID, BDCODEMP, BDCODIGO_RELATORIO, BDDATAINI, BDDATAFIN, BDAGRUPARPOR)"
    " VALUES (20, 1, 1, '2025-01-01', '2025-01-31', 0)",
    "INSERT INTO TPEDIDOS_BI (BDID, BDTIPO, BDPRONTO) VALUES (18, 3, 0)",
    "INSERT INTO TPEDIDOS_BI_RELATORIOS (BDID, BDNOMEREL, BDCODEMP, BDPARAMETROS, BDTIPOSAIDA) VALUES (18,"
    " 'TfrRelatorioTotaisLancamentos', 1, 'sistema=tsContabil;edDataIni=01/01/2025;edDataFim=31/01/2025', 3)"};

// Four workstations answer the same BI requests at once while the earlier answers' rows are held (a
// reader's lock), so that the first run to take a request waits inside its answer: the others are told
// another workstation answers it and write nothing; the answer is the winner's alone, marked ready.
TEST_F(VariasEstacoes, ABiRequestIsAnsweredByOneRunAtATime) {
  CriaBanco(202501);
  vyn::TDatabase db;
  db.Open(banco_);
  for (const std::string& sql : kPedidosBI) db.Execute(sql);
  const std::string pedidos = R"({"pedidos": [{"id": "18", "tipo": "3"}, {"id": "20", "tipo": "4"}]})";
  const std::vector<std::string> tarefa{INTEGRACAO_HOST_EXE, "--db", banco_, "task", "TAutoThreadPedidosBI",
                                        "--params", pedidos};
  const vyn::TSaidaProcesso primeira = vyn::ExecutaPrograma(tarefa[0], {tarefa.begin() + 1, tarefa.end()}, {}, dir_, "bi");
  ASSERT_EQ(primeira.Status, 0) << primeira.Out << primeira.Err;
  const auto linhas = [&] {
    return db.QueryValue("SELECT COUNT(*) FROM TPEDIDOS_BI_RELATORIOS_RESULT WHERE BDID = 18").AsInteger();
  };
  const long linhasResposta = linhas();
  ASSERT_GT(linhasResposta, 1);

  std::vector<vyn::TSaidaProcesso> saidas;
  {
    vyn::TTransaction leitor(db);
    db.Execute("UPDATE TPEDIDOS_BI_RELATORIOS_RESULT SET BDRESULTADO = BDRESULTADO WHERE BDID = 18");
    std::thread estacoes([&] { saidas = AoMesmoTempo(Todas(tarefa)); });
    bool tomado = false;
    for (int i = 0; i < 300 && !tomado; ++i) {
      tomado = db.MeetsUncommittedChange("SELECT BDID FROM TPEDIDOS_BI WHERE BDID = 18");
      if (!tomado) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));   // the others reach the request meanwhile
    leitor.Rollback();
    estacoes.join();
    ASSERT_TRUE(tomado);
  }
  int responderam = 0, recusados = 0;
  for (const vyn::TSaidaProcesso& s : saidas) {
    if (s.Status == 0) {
      ++responderam;
      continue;
    }
    EXPECT_EQ(s.Status, 1) << s.Out << s.Err;
    // Told as held by another run, or, when the winner took it between this run's look and its write,
    // as answered by another run while this one waited.
    EXPECT_NE(s.Out.find("respondido por outra estação de trabalho"), std::string::npos) << s.Out << s.Err;
    ++recusados;
  }
  EXPECT_GE(responderam, 1);
  EXPECT_GE(recusados, 1);
  EXPECT_EQ(linhas(), linhasResposta);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TPEDIDOS_BI_RELATORIOS_RESULT WHERE BDID = 18 AND BDLINHA = 0").AsInteger(), 1);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 20").AsInteger(), 1);
  EXPECT_EQ(db.QueryValue("SELECT SUM(BDVALOR) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 20").AsCurrency(),
            vyn::Currency::ParseSQL("3100.20"));
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TPEDIDOS_BI WHERE BDPRONTO = 1").AsInteger(), 2);
}

// Two workstations send the same report sequence by e-mail at once, through the office's server (a
// loopback one) and into one installation's outbox: what reaches the server is whole, and each sent
// message is kept under a name of its own.
TEST_F(VariasEstacoes, EMailsSentAtOnceAreEachDeliveredAndKept) {
  CriaBanco(202501);
  vyn::TFakeSmtpServer smtp;
  {
    vyn::TDatabase db;
    db.Open(banco_);
    for (const std::string& sql :
         {std::string("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (1, 'Fechamento', 1)"),
          std::string("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS)"
                      " VALUES (1, 1, 1, 'Totais de lançamentos', 'mnTfrRelatorioTotaisLancamentos', 0)"),
          std::string("UPDATE TEMPRESAS SET BDEMAILEMP = 'financeiro@empresamodelo.com.br' WHERE BDCODEMP = 1"),
          "INSERT INTO TMODULO_SMTP (BDCODIGO, BDCODSIS, BDSERVIDOR, BDPORTA, BDREMETENTE) VALUES (1, 1, '127.0.0.1', " +
              std::to_string(smtp.Port()) + ", 'relatorios@escritorio.com.br')"})
      db.Execute(sql);
  }
  const fs::path programa = dir_ / "programa";
  ::setenv("INTEGRACAO_PASTA_PROGRAMA", programa.c_str(), 1);
  const std::vector<std::string> tarefa{INTEGRACAO_HOST_EXE, "--db", banco_, "--referencia", "202501", "task",
                                        "TAutoThreadSequenciaEmpresa", "referencia=202501", "cbPeriodo=0",
                                        "edCODMODELO=1", "cod_empresa=1", "ckEnviarSoEmail=True", "edCODIGO=1"};
  const std::vector<vyn::TSaidaProcesso> saidas = AoMesmoTempo({tarefa, tarefa});
  ::unsetenv("INTEGRACAO_PASTA_PROGRAMA");
  for (const vyn::TSaidaProcesso& s : saidas) EXPECT_EQ(s.Status, 0) << s.Out << s.Err;
  // The same message: a workstation that finds it already sent does not send it again; two that
  // check at the same moment both send it.
  const std::vector<vyn::TFakeSmtpMessage> recebidas = smtp.Mensagens();
  ASSERT_GE(recebidas.size(), 1u);
  ASSERT_LE(recebidas.size(), 2u);
  std::set<std::string> emls;
  for (const auto& e : fs::directory_iterator(programa / "email" / "enviadas")) emls.insert(vyn::LeArquivoTexto(e.path()));
  EXPECT_EQ(emls.size(), recebidas.size());
  EXPECT_TRUE(fs::is_empty(programa / "email" / "saida"));
  for (const vyn::TFakeSmtpMessage& m : recebidas) {
    EXPECT_EQ(m.From, "relatorios@escritorio.com.br");
    EXPECT_EQ(m.To, std::vector<std::string>{"financeiro@empresamodelo.com.br"});
    EXPECT_NE(m.Data.find("Content-Disposition: attachment;"), std::string::npos) << m.Data;
    EXPECT_EQ(emls.count(m.Data), 1u) << "the outbox keeps what the server received";
  }
}

// Company 1 on real profit, its 2025 chart prepared; workstation 1 with an ECF validator and job 1
// (company 1, 2025).
const std::vector<std::string> kEcf{
    "UPDATE TEMPRESAS SET BDDATAINIATIVEMP = '2010-01-01', BDNOMCID = 'Curitiba', BDSIGLAUF = 'PR', BDCODMATRIZ = NULL",
    "UPDATE TEMPRESAS_REF SET BDREFEMP = 201401, BDCODENQFED = 3, BDFORMATRIBUTACAO = 2, BDCODPLAPADRAOREF = 1",
    "INSERT INTO TPREPARACAO_CONTAS_ECF (BDCODPLAPADRAO, BDCODPLAPADRAOREF, BDANO, BDCODTPLA) SELECT BDCODPLAPADRAO, 1,"
    " 2025, BDCODTPLA FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = 1",
    "INSERT INTO TVALIDACAOSPED_MICRO (BDCODMICRO, BDPCNAME, BDUSERNAME, BDPRECISAABRIRTELA) VALUES (1, 'PC1', 'ana', FALSE)",
    "INSERT INTO TVALIDACAOSPED_CONFIG (BDCODMICRO, BDCAMINHOECF, BDPASTAARQUIVO) VALUES (1, 'C:\\validador\\ecf.exe', '/relatorios')",
    "INSERT INTO TVALIDACAOSPED_AGENDAMENTOS (BDID, BDSTATUS, BDCODNOMMICRO, BDTIPO, BDCODEMP, BDDATAINI, BDDATAFIM, "
    "BDREFERENCIA) VALUES (1, 1, 1, 4, 1, '2025-01-01', '2025-12-31', 202512)"};

int ArquivosEm(const fs::path& pasta, const std::string& inicio) {
  int n = 0;
  if (fs::is_directory(pasta))
    for (const auto& e : fs::recursive_directory_iterator(pasta))
      n += e.is_regular_file() && e.path().filename().string().rfind(inicio, 0) == 0;
  return n;
}

// Four workstations confirm company 1's 2025 ECF on the screen at once, then four automation servers
// run its ECF task at once: every export is told as done only once its file, its settings set and its
// history line are in, and each of them has its own set.
TEST_F(VariasEstacoes, EcfExportsAtOnceAreEachRecorded) {
  CriaBanco(202501);
  {
    vyn::TDatabase db;
    db.Open(banco_);
    for (const std::string& sql : kEcf) db.Execute(sql);
  }
  std::vector<std::vector<std::string>> telas;
  for (int i = 0; i < kEstacoes; ++i) {
    const fs::path pasta = dir_ / ("tela" + std::to_string(i));
    fs::create_directories(pasta);
    const fs::path roteiro = dir_ / ("tela" + std::to_string(i) + ".json");
    std::ofstream(roteiro) << R"({"answers": ["ok", "ok"], "steps": [{"set": "edCODEMP", "value": "1"},
      {"set": "edDataIni", "value": "01/01/2025"}, {"set": "edDataFim", "value": "31/12/2025"},
      {"select": "cbRetificadora", "item": 1}, {"set": "edArquivo", "value": ")" << pasta.string() << R"("},
      {"click": "spConfirmar"}], "modals": [{"form": "TfrAvisoChecklistECF", "steps": [{"click": "spConfirmar"}]}]})";
    telas.push_back({INTEGRACAO_HOST_EXE, "--db", banco_, "--user", "Ana", "--referencia", "202601", "screen",
                     "TfrExportacaoECF", "--script", roteiro.string()});
  }
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(telas)) {
    EXPECT_EQ(s.Status, 0) << s.Out << s.Err;
    EXPECT_NE(s.Out.find("Exportação realizada com sucesso!"), std::string::npos) << s.Out << s.Err;
  }
  std::vector<std::vector<std::string>> tarefas;
  for (int i = 0; i < kEstacoes; ++i)
    tarefas.push_back({"/usr/bin/env", "INTEGRACAO_PASTA_PROGRAMA=" + (dir_ / ("programa" + std::to_string(i))).string(),
                       INTEGRACAO_HOST_EXE, "--db", banco_, "--referencia", "202601", "task", "TAutoThreadExportacaoECF",
                       "cod_empresa=1"});
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(tarefas)) {
    EXPECT_EQ(s.Status, 0) << s.Out << s.Err;
    EXPECT_NE(s.Out.find("Status: 1 (sucesso)"), std::string::npos) << s.Out << s.Err;
  }
  for (int i = 0; i < kEstacoes; ++i) {
    EXPECT_EQ(ArquivosEm(dir_ / ("tela" + std::to_string(i)), "ECF0001_"), 1) << i;
    EXPECT_EQ(ArquivosEm(dir_ / ("programa" + std::to_string(i)) / "planos", "ECF0001_"), 1) << i;
  }
  vyn::TDatabase db;
  db.Open(banco_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(DISTINCT BDSEQUENCIA) FROM PLANOS_TPLA_SPED WHERE BDCODEMP = 1").AsInteger(),
            2 * kEstacoes);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM PLANOS_TPLA_SPED WHERE BDCODEMP = 1").AsInteger(), 2 * kEstacoes);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM PLANOS_TPLA_SPED H WHERE H.BDCODEMP = 1 AND EXISTS (SELECT 1 FROM "
                          "TEXPORTACAO_ITEMSTELA_CONFIG C WHERE C.BDCODEMP = 1 AND C.BDSEQUENCIA = H.BDSEQUENCIA)")
                .AsInteger(),
            2 * kEstacoes);
}

// One validation job started on four workstations at once runs once: a run that finds it under way is
// refused at once and leaves the job's row to the run under way, which hands the validator its one job
// file. A job held by a run that is still going is refused every time.
TEST_F(VariasEstacoes, AValidationJobRunsOnceAtATime) {
  CriaBanco(202501);
  vyn::TDatabase db;
  db.Open(banco_);
  for (const std::string& sql : kEcf) db.Execute(sql);
  // The company's last export was an original ECF.
  db.Execute("INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, BDCOMPVALUE) "
             "VALUES (1, 'frExportacaoECF', 1, 'cbRetificadora', '1')");
  const fs::path programa = dir_ / "programa";
  const std::vector<std::string> job{"/usr/bin/env", "INTEGRACAO_PASTA_PROGRAMA=" + programa.string(),
                                     INTEGRACAO_HOST_EXE, "--db", banco_, "--referencia", "202601", "task",
                                     "TAutoThreadValidacaoSped", "--params", R"({"id": 1})"};
  const char* const kRecusa = "já está sendo executado em outra estação";
  db.Execute("INSERT INTO TVALIDACAOSPED_EXECUCAO (BDID) VALUES (1)");
  {
    vyn::TTransaction outraExecucao(db);
    db.Execute("UPDATE TVALIDACAOSPED_EXECUCAO SET BDID = BDID WHERE BDID = 1");
    const vyn::TSaidaProcesso s = AoMesmoTempo({job}).front();
    EXPECT_EQ(s.Status, 1) << s.Out << s.Err;
    EXPECT_NE((s.Out + s.Err).find(kRecusa), std::string::npos) << s.Out << s.Err;
    outraExecucao.Rollback();
  }
  EXPECT_EQ(db.QueryValue("SELECT BDSTATUS FROM TVALIDACAOSPED_AGENDAMENTOS WHERE BDID = 1").AsInteger(), 1);
  EXPECT_EQ(ArquivosEm(programa / "validacao_sped" / "agendamentos", ""), 0);

  int exportaram = 0;
  for (const vyn::TSaidaProcesso& s : AoMesmoTempo(Todas(job))) {
    if (s.Status == 0) {
      ++exportaram;
      EXPECT_NE(s.Out.find("Status: 1 (sucesso)"), std::string::npos) << s.Out << s.Err;
      continue;
    }
    EXPECT_NE((s.Out + s.Err).find(kRecusa), std::string::npos) << s.Status << s.Out << s.Err;
  }
  // Started together, one takes the job and the others are refused at once: none waits for it and
  // exports again once it lets go.
  EXPECT_EQ(exportaram, 1);
  EXPECT_EQ(ArquivosEm(programa / "validacao_sped" / "agendamentos", ""), 1);
  const vyn::TQueryResult r = db.QueryAll("SELECT BDSTATUS, BDEXPORTOU, BDRETORNO FROM TVALIDACAOSPED_AGENDAMENTOS WHERE BDID = 1");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][0].AsInteger(), 2);
  EXPECT_TRUE(r.Rows[0][1].AsBoolean());
  EXPECT_EQ(r.Rows[0][2].AsString(), "Arquivo exportado, aguardando para fazer validação...");
}

// Four workstations run tasks of one schedule while another attachment holds the schedule's status
// row: when it commits, every run waiting for the row loses to it at once and writes again, the last
// of them after all the others. Each run records its status and tells its own outcome.
TEST_F(VariasEstacoes, RunsOfOneScheduleWaitingForItsStatusRowAllRecordIt) {
  CriaBanco(202501);
  const std::vector<std::string> tarefa{INTEGRACAO_HOST_EXE, "--db", banco_, "task", "TAutoThreadPedidosBI",
                                        "--params", R"({"pedidos": []})"};
  const vyn::TSaidaProcesso primeira = vyn::ExecutaPrograma(tarefa[0], {tarefa.begin() + 1, tarefa.end()}, {}, dir_, "primeira");
  ASSERT_EQ(primeira.Status, 0) << primeira.Out << primeira.Err;
  vyn::TDatabase db;
  db.Open(banco_);
  vyn::TDatabase monitor;
  monitor.Open(banco_);
  std::vector<vyn::TSaidaProcesso> saidas;
  bool esperam = false;
  {
    vyn::TTransaction outraExecucao(db);
    db.Execute("UPDATE VSH_EMP_TCONF_EXECUCAO SET BDCODSTATUS = BDCODSTATUS");
    std::thread estacoes([&] { saidas = AoMesmoTempo(Todas(tarefa)); });
    for (int i = 0; i < 300 && !esperam; ++i) {
      esperam = monitor.QueryValue("SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 AND MON$SQL_TEXT "
                                   "STARTING WITH 'UPDATE OR INSERT INTO VSH_EMP_TCONF_EXECUCAO'")
                    .AsInteger() == kEstacoes;
      if (!esperam) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    outraExecucao.Commit();
    estacoes.join();
  }
  EXPECT_TRUE(esperam);
  for (const vyn::TSaidaProcesso& s : saidas) {
    EXPECT_EQ(s.Status, 0) << s.Out << s.Err;
    EXPECT_NE(s.Out.find("Status: 1 (sucesso)"), std::string::npos) << s.Out << s.Err;
  }
  const vyn::TQueryResult r = db.QueryAll("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][0].AsInteger(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--chaves") return ReservaChaves(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--fila") return EnfileiraDocumento(argv[2], argv[3]);
  if (argc == 3 && std::string(argv[1]) == "--baixas") return LancaBaixas(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
