#pragma once
// What the road benchmarks share: company databases without forced writes (a run measures the write
// path, not the disk's flushes), the floors a road is held against (a bare prepared INSERT of ledger rows
// and a small committed transaction, both on a database made the same way), the process's peak memory
// and the goals, each printed with its ratio; main answers non-zero when one was missed.
#include <benchmark/benchmark.h>
#include <firebird/Interface.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "framework/data/fb_database.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/entry_keys.h"
#include "testing/company_db.h"

namespace bench {

namespace fb = Firebird;

// Attaches to path through the client API itself; `semForcada` also switches forced writes off.
inline fb::IAttachment* AnexaCrua(const std::string& path, bool semForcada) {
  fb::IMaster* master = fb::fb_get_master_interface();
  fb::ThrowStatusWrapper st(master->getStatus());
  fb::IProvider* prov = master->getDispatcher();
  fb::IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, fb::IXpbBuilder::DPB, nullptr, 0);
  dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
  dpb->insertString(&st, isc_dpb_lc_ctype, "UTF8");
  if (semForcada) dpb->insertInt(&st, isc_dpb_force_write, 0);
  fb::IAttachment* att = prov->attachDatabase(&st, path.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
  dpb->dispose();
  prov->release();
  st.dispose();
  return att;
}

inline void Desanexa(fb::IAttachment* att) {
  fb::ThrowStatusWrapper st(fb::fb_get_master_interface()->getStatus());
  att->detach(&st);
  st.dispose();
}

// A company database as the tests make it (the process context's database, pool and look-up), with
// forced writes off.
class TBancoBench {
 public:
  TBancoBench() {
    company_.Db().Close();
    Desanexa(AnexaCrua(company_.Path(), true));
    company_.Db().Open(company_.Path());
  }
  vyn::TDatabase& Db() { return company_.Db(); }
  const std::string& Path() const { return company_.Path(); }

 private:
  vyn::TTestCompanyDatabase company_;
};

inline double Segundos(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The record of booked sources a road must write beside its ledger rows: how many, of which kind, their
// keys as the road makes them (a statement line's item id, an entry-file line's entry and ordinal).
struct TFontesCruas {
  int64_t Quantas = 0;
  int Tipo = 0;
  std::string (*Chave)(int64_t i) = nullptr;
};
inline std::string ChaveItemDyq(int64_t i) { return "I|" + std::to_string(9000000 + i); }
inline std::string ChaveLinhaArquivo(int64_t i) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(i * 2654435761ULL));
  return "1|" + std::to_string(1 + i % 28) + "/01/2024|" + std::to_string(1234500 + i) + "|" + hash + "|1";
}

// An input message laid out once for a bare prepared statement: its columns' types and lengths, the
// buffer and each column's place in it; texts travel in UTF-8, INT64 as NUMERIC(18,4).
class TMensagemCrua {
 public:
  TMensagemCrua(const std::vector<unsigned>& tipos, const std::vector<unsigned>& tamanhos) {
    fb::IMaster* master = fb::fb_get_master_interface();
    fb::ThrowStatusWrapper st(master->getStatus());
    const unsigned n = static_cast<unsigned>(tipos.size());
    fb::IMetadataBuilder* b = master->getMetadataBuilder(&st, n);
    for (unsigned c = 0; c < n; ++c) {
      b->setType(&st, c, tipos[c] + 1);
      b->setLength(&st, c, tamanhos[c]);
      if (tipos[c] == SQL_INT64) b->setScale(&st, c, -4);
      if (tipos[c] == SQL_VARYING) b->setCharSet(&st, c, 4);
    }
    meta_ = b->getMetadata(&st);
    b->release();
    buf_.assign(meta_->getMessageLength(&st), 0);
    for (unsigned c = 0; c < n; ++c) off_.push_back(meta_->getOffset(&st, c));
    st.dispose();
  }
  ~TMensagemCrua() { meta_->release(); }
  TMensagemCrua(const TMensagemCrua&) = delete;
  TMensagemCrua& operator=(const TMensagemCrua&) = delete;
  template <class T>
  void Poe(unsigned c, T v) { std::memcpy(&buf_[off_[c]], &v, sizeof v); }
  void PoeTexto(unsigned c, const std::string& t) {
    const auto len = static_cast<uint16_t>(t.size());
    std::memcpy(&buf_[off_[c]], &len, 2);
    std::memcpy(&buf_[off_[c] + 2], t.data(), t.size());
  }
  fb::IMessageMetadata* Meta() const { return meta_; }
  unsigned char* Dados() { return buf_.data(); }

 private:
  fb::IMessageMetadata* meta_ = nullptr;
  std::vector<unsigned char> buf_;
  std::vector<unsigned> off_;
};

// Writes the sources' records bare, a prepared INSERT a row, in the caller's transaction.
inline void InsereFontesCruas(fb::IAttachment* att, fb::ITransaction* tra, const TFontesCruas& f) {
  fb::ThrowStatusWrapper st(fb::fb_get_master_interface()->getStatus());
  // BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, BDVALOR, BDLANCADO, BDDATA, BDDEBITO,
  // BDCREDITO, BDDCTO, BDUSUARIO, BDESTACAO, BDEXECUCAO
  TMensagemCrua m({SQL_LONG, SQL_LONG, SQL_VARYING, SQL_VARYING, SQL_LONG, SQL_INT64, SQL_INT64, SQL_TYPE_DATE, SQL_LONG,
                   SQL_LONG, SQL_VARYING, SQL_VARYING, SQL_VARYING, SQL_VARYING},
                  {4, 4, 480, 800, 4, 8, 8, 4, 4, 4, 240, 400, 400, 800});
  fb::IStatement* stmt = att->prepare(
      &st, tra, 0,
      "INSERT INTO TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, BDVALOR, "
      "BDLANCADO, BDDATA, BDDEBITO, BDCREDITO, BDDCTO, BDUSUARIO, BDESTACAO, BDEXECUCAO) VALUES (?, ?, ?, ?, ?, ?, "
      "?, ?, ?, ?, ?, ?, ?, ?)",
      3, fb::IStatement::PREPARE_PREFETCH_METADATA);
  for (int64_t i = 0; i < f.Quantas; ++i) {
    const int64_t valor = 1234500 + i;
    m.Poe<int32_t>(0, 1);
    m.Poe<int32_t>(1, f.Tipo);
    m.PoeTexto(2, f.Chave(i));
    m.PoeTexto(3, "A linha " + std::to_string(i + 1) + " do arquivo lancamentos-2024-01.txt");
    m.Poe<int32_t>(4, 100000 + static_cast<int32_t>(i));
    m.Poe(5, valor);
    m.Poe(6, valor);
    m.Poe<ISC_DATE>(7, 60310 + static_cast<ISC_DATE>(i % 28));
    m.Poe<int32_t>(8, 20);
    m.Poe<int32_t>(9, 11);
    m.PoeTexto(10, std::to_string(i));
    m.PoeTexto(11, "SYSDBA");
    m.PoeTexto(12, "estacao-bench");
    m.PoeTexto(13, "Importação de lançamentos");
    stmt->execute(&st, tra, m.Meta(), m.Dados(), nullptr, nullptr);
  }
  stmt->free(&st);
  st.dispose();
}

// Seconds a bare prepared INSERT of n ledger rows takes in one transaction, on a fresh database made as
// the roads' are: nothing of the data layer in the loop, the row message laid out once; with the record
// of the sources the road books (fontes), written bare in the same transaction, as the road must write
// it. tabela: another table of the ledger's columns, made by the ddl statements on that database first.
inline double InsercaoCrua(int64_t n, const std::string& tabela = "VZEL_EMPRESAS_TLAN",
                           const std::vector<std::string>& ddl = {}, const TFontesCruas& fontes = {}) {
  TBancoBench banco;
  for (const std::string& d : ddl) banco.Db().Execute(d);
  const int first = vyn::ReserveEntryKeys(banco.Db(), 1, static_cast<int>(n));
  banco.Db().Close();
  fb::IMaster* master = fb::fb_get_master_interface();
  fb::ThrowStatusWrapper st(master->getStatus());
  fb::IAttachment* att = AnexaCrua(banco.Path(), false);
  TMensagemCrua m({SQL_LONG, SQL_LONG, SQL_TYPE_DATE, SQL_LONG, SQL_LONG, SQL_INT64, SQL_LONG, SQL_LONG, SQL_VARYING,
                   SQL_VARYING},
                  {4, 4, 4, 4, 4, 8, 4, 4, 200, 30});

  const auto t0 = std::chrono::steady_clock::now();
  const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_wait};
  fb::ITransaction* tra = att->startTransaction(&st, sizeof tpb, tpb);
  fb::IStatement* stmt = att->prepare(
      &st, tra, 0,
      ("INSERT INTO " + tabela +
       " (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, BDCODTPHI, BDCOMPL, BDDCTO) VALUES (?, ?, "
       "?, ?, ?, ?, ?, ?, ?, ?)")
          .c_str(),
      3, fb::IStatement::PREPARE_PREFETCH_METADATA);
  for (int64_t i = 0; i < n; ++i) {
    m.Poe<int32_t>(0, 1);
    m.Poe<int32_t>(1, first + static_cast<int32_t>(i));
    m.Poe<ISC_DATE>(2, 60310 + static_cast<ISC_DATE>(i % 28));   // January 2024
    m.Poe<int32_t>(3, 20);
    m.Poe<int32_t>(4, 11);
    m.Poe<int64_t>(5, 1234500 + i);
    m.Poe<int32_t>(6, 1);
    m.Poe<int32_t>(7, 1);
    m.PoeTexto(8, "Pagamento conforme documento");
    m.PoeTexto(9, std::to_string(i));
    stmt->execute(&st, tra, m.Meta(), m.Dados(), nullptr, nullptr);
  }
  stmt->free(&st);
  if (fontes.Quantas > 0) InsereFontesCruas(att, tra, fontes);
  tra->commit(&st);
  const double secs = Segundos(t0);
  att->detach(&st);
  st.dispose();
  banco.Db().Open(banco.Path());
  return secs;
}

// Seconds per small committed transaction (one row written, then committed): the floor of a run that
// commits each item.
inline double TransacaoPequena(int n) {
  TBancoBench banco;
  vyn::TDatabase& db = banco.Db();
  const int first = vyn::ReserveEntryKeys(db, 1, n);
  vyn::TEscritaForaDoModulo piso(db);   // bare writes, as another program of the suite makes them
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    vyn::TTransaction tr(db);
    db.Prepared("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                "VALUES (1, ?, ?, 20, 11, 100)")
        .Execute({first + i, vyn::EncodeDate(2024, 1, 1 + i % 28)});
    tr.Commit();
  }
  return Segundos(t0) / n;
}

// The process's peak resident memory in MB since the last ZeraPicoMemoria.
inline double PicoMemoriaMB() {
  std::ifstream s("/proc/self/status");
  std::string linha;
  while (std::getline(s, linha))
    if (linha.rfind("VmHWM:", 0) == 0) return std::stod(linha.substr(6)) / 1024.0;
  return 0;
}
inline void ZeraPicoMemoria() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The goals of one benchmark executable.
class TMetas {
 public:
  // A goal met when valor <= limite; printed either way.
  void Confere(const std::string& meta, double valor, double limite, const std::string& como) {
    const bool ok = valor <= limite;
    std::printf("GOAL %-58s %8.2f %s (limit %.2f) %s\n", meta.c_str(), valor, como.c_str(), limite,
                ok ? "ok" : "MISSED");
    if (!ok) ++falhas_;
  }
  // A figure shown beside the goals, not held to a limit.
  void Mostra(const std::string& oque, double valor, const std::string& como) {
    std::printf("     %-58s %8.2f %s\n", oque.c_str(), valor, como.c_str());
  }
  int Codigo() const { return falhas_ ? 1 : 0; }

 private:
  int falhas_ = 0;
};

// Runs the registered benchmarks; false when the command line was not understood.
inline bool Executa(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return true;
}

inline TMetas& Metas() {
  static TMetas m;
  return m;
}

}  // namespace bench
