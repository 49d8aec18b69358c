#pragma once
// The company database's DDL: each subsystem adds its tables, views, generators and procedures to one
// schema, which creates them in dependency order (generators, tables, indexes, views, procedures,
// seed rows) and whose text, hashed, names the version of a database built from it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/data/fb_database.h"

namespace vyn {

enum class TDDLKind { Generator = 0, Table = 1, Index = 2, View = 3, Procedure = 4, Seed = 5 };

struct TDDLPiece {
  TDDLKind Kind;
  std::string Name;   // object name (upper case); empty for seed statements
  std::string SQL;
};

class TSchema {
 public:
  // Adding an object twice is an error naming it: two subsystems must not define one table twice.
  void AddGenerator(const std::string& name);
  void AddTable(const std::string& name, const std::string& ddl);
  void AddIndex(const std::string& name, const std::string& ddl);
  void AddView(const std::string& name, const std::string& ddl);
  void AddProcedure(const std::string& name, const std::string& ddl);
  void AddSeed(const std::string& sql);

  bool Has(const std::string& name) const;
  // The pieces in creation order.
  std::vector<TDDLPiece> Ordered() const;
  std::string Text() const;      // the whole DDL, in creation order
  std::string Hash() const;      // 16 hex digits of a 64-bit FNV-1a hash of Text()

  // Creates every object, each statement committed on its own; an error names the object.
  void Apply(TDatabase& db) const;

 private:
  void Add(TDDLKind kind, const std::string& name, const std::string& sql);
  std::vector<TDDLPiece> pieces_;
};

// The suite's company database as the module knows it: every subsystem's pieces.
TSchema CompanySchema();

// Creates a new database at path and runs build on it; when build fails, the new file is deleted
// (a local path) and the error raised again.
std::unique_ptr<TDatabase> CreateDatabase(const std::string& path, const std::function<void(TDatabase&)>& build);
// Creates a new company database at path (a file: embedded) with the whole schema.
std::unique_ptr<TDatabase> CreateCompanyDatabase(const std::string& path);

// Pieces of each part of the schema (one function per subsystem, called by CompanySchema).
void AddSuiteCoreSchema(TSchema& s);
// Tax guides, calculations, fiscal installments and their payments; the large-file work tables.
void AddSuiteSettlementSchema(TSchema& s);
// Currencies and their values, exchange-variance preparations, invoices in a currency, runs.
void AddSuiteVariacaoCambialSchema(TSchema& s);
// Systems, starts of online posting and the re-posting runs of the posting engine.
void AddSuiteRepostingSchema(TSchema& s);
// Company views of the consultations (each company with its data at the session's month).
void AddSuiteCompanyViewsSchema(TSchema& s);
// Every company with its data at the session's reference month (start of online posting).
void AddSuitePostingStartSchema(TSchema& s);

// Posting plans, mapping plans, the plan changes done and the balances saved around them.
void AddSuiteTrocaPlanoSchema(TSchema& s);
// LALUR integration plans of the companies.
void AddSuiteLalurSchema(TSchema& s);
// Bank statements, preparation rules, receipts and reconciliation.
void AddSuiteBankStatementSchema(TSchema& s);
// Entry-file feeders: Dyq files, client folders and their status tables.
void AddSuiteEntryImportSchema(TSchema& s);
// The entry reviews' work tables and stores.
void AddSuiteEntryReviewSchema(TSchema& s);
// Omie exchanges and their status tables.
void AddSuiteOmieSchema(TSchema& s);
// Payments exchanged with the report portal.
void AddSuiteVynReportSchema(TSchema& s);
// Nibo imports.
void AddSuiteNiboSchema(TSchema& s);
// The ECF export's parameters and saved settings.
void AddSuiteEcfSchema(TSchema& s);
// Report sequences, their items, runs and logs.
void AddSuiteReportSequenceSchema(TSchema& s);
// SPED validation jobs and BI requests.
void AddSuiteSpedBiSchema(TSchema& s);
// Partners, their quotas and the import layouts.
void AddSuitePartnersSchema(TSchema& s);
// The books' own guards: the record of booked sources, balance checks, the period's rules.
void AddModuloLivrosSchema(TSchema& s);
// The books' boundary: each table that moves money refuses a write of the module's attachment that the
// gate did not mark as its own.
void AddGuardaLivrosSchema(TSchema& s);

}  // namespace vyn
