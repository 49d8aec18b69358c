#pragma once
// Company databases for tests: each test gets its own copy of a template built once per schema version
// (the template is cached by the hash of the whole DDL and built under a file lock, so parallel test
// processes build it once).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"

namespace vyn {

// The template of the current schema, built when missing. Its folder is $VYN_TEST_TEMPLATE_DIR, or
// vyn_test_templates under the system's temporary folder.
std::string CompanyTemplatePath();

// A fresh company database, open and set as the process context's database (with a SQL pool and
// the product's code look-up, as the host installs them); the context is restored and the file
// deleted when the object goes.
class TTestCompanyDatabase {
 public:
  TTestCompanyDatabase();
  ~TTestCompanyDatabase();
  TTestCompanyDatabase(const TTestCompanyDatabase&) = delete;
  TTestCompanyDatabase& operator=(const TTestCompanyDatabase&) = delete;

  TDatabase& Db() { return *db_; }
  const std::string& Path() const { return path_; }
  TSQLMGRPool& Pool() { return *pool_; }
  // Another attachment to the same database (concurrency tests), as another program's: without the
  // module's mark, so it writes the money tables as the suite's screens and isql do.
  std::unique_ptr<TDatabase> OpenAnother() const;

 private:
  std::string path_;
  std::unique_ptr<TDatabase> db_;
  std::unique_ptr<TSQLMGRPool> pool_;
  std::unique_ptr<ICodeLookup> lookup_;
  TDatabase* savedDb_ = nullptr;
  TSQLMGRPool* savedPool_ = nullptr;
  ICodeLookup* savedLookup_ = nullptr;
};

// A write another program of the suite makes (its entry screen deleting an entry, the fiscal module
// issuing an installment), which a test stands for: it goes in as that program's would, past the books'
// boundary that holds the module's attachment (TEscritaForaDoModulo). Answers the rows affected.
int64_t ExecutaComoSuite(TDatabase& db, const std::string& sql, const TParams& params = {});

// Fixture: a fresh company database per test.
class CompanyDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { company_ = std::make_unique<TTestCompanyDatabase>(); }
  void TearDown() override { company_.reset(); }
  TDatabase& Db() { return company_->Db(); }
  TTestCompanyDatabase& Company() { return *company_; }

 private:
  std::unique_ptr<TTestCompanyDatabase> company_;
};

}  // namespace vyn
