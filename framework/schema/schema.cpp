#include "framework/schema/schema.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/host/host_schema.h"  // header-only: the task and posting-lock tables

namespace vyn {

void TSchema::Add(TDDLKind kind, const std::string& name, const std::string& sql) {
  std::string upper = UpperCase(name);
  if (!upper.empty() && Has(upper)) throw EDatabaseError("Objeto definido duas vezes no esquema: " + upper);
  pieces_.push_back({kind, upper, sql});
}

void TSchema::AddGenerator(const std::string& name) {
  Add(TDDLKind::Generator, name, "CREATE SEQUENCE " + UpperCase(name));
}
void TSchema::AddTable(const std::string& name, const std::string& ddl) { Add(TDDLKind::Table, name, ddl); }
void TSchema::AddIndex(const std::string& name, const std::string& ddl) { Add(TDDLKind::Index, name, ddl); }
void TSchema::AddView(const std::string& name, const std::string& ddl) { Add(TDDLKind::View, name, ddl); }
void TSchema::AddProcedure(const std::string& name, const std::string& ddl) { Add(TDDLKind::Procedure, name, ddl); }
void TSchema::AddSeed(const std::string& sql) { pieces_.push_back({TDDLKind::Seed, {}, sql}); }

bool TSchema::Has(const std::string& name) const {
  std::string upper = UpperCase(name);
  return std::any_of(pieces_.begin(), pieces_.end(), [&](const TDDLPiece& p) { return p.Name == upper; });
}

std::vector<TDDLPiece> TSchema::Ordered() const {
  std::vector<TDDLPiece> out = pieces_;
  std::stable_sort(out.begin(), out.end(),
                   [](const TDDLPiece& a, const TDDLPiece& b) { return static_cast<int>(a.Kind) < static_cast<int>(b.Kind); });
  return out;
}

std::string TSchema::Text() const {
  std::string text;
  for (const auto& p : Ordered()) text += p.SQL + ";\n";
  return text;
}

std::string TSchema::Hash() const { return HashTexto(Text()); }

void TSchema::Apply(TDatabase& db) const {
  for (const auto& p : Ordered()) {
    try {
      db.Execute(p.SQL);
    } catch (const EDatabaseError& e) {
      throw EDatabaseError(fmt::format("Erro ao criar {}: {}", p.Name.empty() ? "dados iniciais" : p.Name, e.what()),
                           p.SQL, e.ErrorCode());
    }
  }
}

TSchema CompanySchema() {
  TSchema s;
  AddSuiteCoreSchema(s);
  AddSuiteSettlementSchema(s);
  AddSuiteVariacaoCambialSchema(s);
  AddSuiteRepostingSchema(s);
  AddSuiteCompanyViewsSchema(s);
  AddSuitePostingStartSchema(s);
  AddSuiteTrocaPlanoSchema(s);
  AddSuiteLalurSchema(s);
  AddSuiteBankStatementSchema(s);
  AddSuiteEntryImportSchema(s);
  AddSuiteEntryReviewSchema(s);
  AddSuiteOmieSchema(s);
  AddSuiteVynReportSchema(s);
  AddSuiteNiboSchema(s);
  AddSuiteEcfSchema(s);
  AddSuiteReportSequenceSchema(s);
  AddSuiteSpedBiSchema(s);
  AddSuitePartnersSchema(s);
  AddHostSchema(s);
  AddModuloLivrosSchema(s);
  AddGuardaLivrosSchema(s);
  return s;
}

std::unique_ptr<TDatabase> CreateDatabase(const std::string& path, const std::function<void(TDatabase&)>& build) {
  auto db = TDatabase::Create(path);
  try {
    build(*db);
  } catch (...) {
    // A half-built file would stop the next attempt; it is ours, since Create refuses an existing one.
    db->Close();
    if (!IsRemoteConnection(path)) {
      std::error_code ec;
      std::filesystem::remove(path, ec);
    }
    throw;
  }
  return db;
}

std::unique_ptr<TDatabase> CreateCompanyDatabase(const std::string& path) {
  return CreateDatabase(path, [](TDatabase& db) { CompanySchema().Apply(db); });
}

}  // namespace vyn
