#include "testing/company_db.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/schema.h"

namespace vyn {

namespace fs = std::filesystem;

namespace {

fs::path TemplateDir() {
  const char* env = std::getenv("VYN_TEST_TEMPLATE_DIR");
  fs::path dir = (env && *env) ? fs::path(env) : fs::temp_directory_path() / "vyn_test_templates";
  fs::create_directories(dir);
  return dir;
}

// An exclusive flock held for the object's life.
class FileLock {
 public:
  explicit FileLock(const fs::path& p) : fd_(::open(p.c_str(), O_CREAT | O_RDWR, 0666)) {
    if (fd_ < 0) throw EDatabaseError("Não foi possível criar o arquivo de trava " + p.string());
    while (::flock(fd_, LOCK_EX) != 0) {
    }
  }
  ~FileLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

std::string SanitizedTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "db";
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name.substr(0, 80);
}

}  // namespace

std::string CompanyTemplatePath() {
  TSchema schema = CompanySchema();
  fs::path dir = TemplateDir();
  fs::path file = dir / ("company_" + schema.Hash() + ".fdb");
  if (fs::exists(file)) return file.string();
  FileLock lock(dir / ("company_" + schema.Hash() + ".lock"));
  if (fs::exists(file)) return file.string();
  fs::path tmp = dir / ("company_" + schema.Hash() + ".building." + std::to_string(::getpid()) + ".fdb");
  fs::remove(tmp);
  try {
    auto db = TDatabase::Create(tmp.string());
    schema.Apply(*db);
    db->Close();
  } catch (...) {
    std::error_code ec;
    fs::remove(tmp, ec);
    throw;
  }
  fs::rename(tmp, file);   // atomic: a reader never sees half a template
  return file.string();
}

TTestCompanyDatabase::TTestCompanyDatabase() {
  static std::atomic<int> counter{0};
  fs::path dir = fs::temp_directory_path() / "vyn_test_dbs";
  fs::create_directories(dir);
  path_ = (dir / (std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" + SanitizedTestName() + ".fdb"))
              .string();
  fs::copy_file(CompanyTemplatePath(), path_, fs::copy_options::overwrite_existing);
  db_ = std::make_unique<TDatabase>();
  db_->Open(path_);
  // The code under test works through it as the module does through the host's: only the books' gate
  // writes the money tables; a test's seed of them says so (TEscritaForaDoModulo).
  MarcaConexaoDoModulo(*db_);
  pool_ = std::make_unique<TSQLMGRPool>(db_.get());
  lookup_ = std::make_unique<TConsultaCodigosBanco>();
  savedDb_ = ProcessContext().Database;
  savedPool_ = ProcessContext().SQLPool;
  savedLookup_ = ProcessContext().CodeLookup;
  ProcessContext().Database = db_.get();
  ProcessContext().SQLPool = pool_.get();
  ProcessContext().CodeLookup = lookup_.get();
  // A test starts with no work complete: an earlier test's export does not shield this one's from a signal.
  TExecucaoConcluida::Reabre();
}

TTestCompanyDatabase::~TTestCompanyDatabase() {
  ProcessContext().Database = savedDb_;
  ProcessContext().SQLPool = savedPool_;
  ProcessContext().CodeLookup = savedLookup_;
  pool_.reset();
  db_.reset();
  // A closed review's work rows are removed on an attachment of their own: gone before the file is.
  AguardaRemocoesSessoes();
  std::error_code ec;
  fs::remove(path_, ec);
}

int64_t ExecutaComoSuite(TDatabase& db, const std::string& sql, const TParams& params) {
  TEscritaForaDoModulo suite(db);
  return db.Execute(sql, params);
}

std::unique_ptr<TDatabase> TTestCompanyDatabase::OpenAnother() const {
  auto db = std::make_unique<TDatabase>();
  db->Open(path_);
  return db;
}

}  // namespace vyn
