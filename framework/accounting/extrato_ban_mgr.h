#pragma once
// The statement-lines manager: the imported lines of a bank account (VZEL_EMPRESAS_TEXTRATOBAN), the
// SQL texts the reconciliation screens open on it and on the ledger entries, the automatic matcher
// and the storing of a reconciliation.
//
// Both sides carry BDSTATUS, the same codes in the statement and in the entries:
//   0 free, 1 selected, 2 proposed by the matcher, 3 a proposal confirmed, 4 reconciled (stored),
//   5 inconsistent (a line reconciled with an entry that no longer exists), 6 confirmed by hand,
//   7 an inconsistent row selected.
// The sides are compared from the statement's point of view: a line with BDTIPO 0 (money out) pairs
// with an entry that credits the account, which the entries SQL gives BDDEBCRED 0.
//
// The rows in memory are a working copy: the screens change statuses, pairs and dates in memory
// and nothing reaches the database until ConciliarExtratoLancamento stores the confirmed pairs in
// one transaction.
#include <cstdint>
#include <string>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TLancamentoMGR;
class TInconsistencias_VYN;

// BDSTATUS of a statement line or an entry in the reconciliation screens.
enum TStatusConciliacao : int {
  scLivre = 0,
  scSelecionado = 1,
  scProposto = 2,
  scConfirmadoAutomatico = 3,
  scConciliado = 4,
  scInconsistente = 5,
  scConfirmadoManual = 6,
  scInconsistenteSelecionado = 7
};

class TVZEL_EMPRESAS_TEXTRATOBANMGR : public TMgr<TVZEL_EMPRESAS_TEXTRATOBANMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TEXTRATOBAN";

  explicit TVZEL_EMPRESAS_TEXTRATOBANMGR(TComponent* owner = nullptr, bool = true, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TEXTRATOBANMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The lines of one statement: BDCODEMP, BDCHAVE, BDDATAMOV, BDDESCRICAO, BDDCTO, BDTIPO, BDVALOR,
  // BDCODEMPLANC, BDCHAVELANC and BDSTATUS (0, 4 or 5), by date. An empty date leaves that side of
  // the period open.
  static std::string GetSQLExtratoBanc(int64_t empresa, int64_t conta, TDateTime ini, TDateTime fim, bool dyq,
                                       int64_t idExtrato);
  // " where ..." selecting exactly those lines of VZEL_EMPRESAS_TEXTRATOBAN (leading blank, no alias).
  static std::string GetWhereSQLExtratoBanc(int64_t empresa, int64_t conta, TDateTime ini, TDateTime fim, bool dyq,
                                            int64_t idExtrato);
  // The entries of the companies (codes separated by commas) that debit or credit the account in the
  // period: BDCODEMP, BDCHAVE, BDDATA, BDCOMPL, BDDCTO, BDDEBITO, BDCREDITO, BDVALOR, BDCONCD,
  // BDCONCC, BDTIPOLAN, BDDEBCRED and BDSTATUS (0 or 4). Throws EDataSetError when the companies
  // text is not a list of codes.
  static std::string GetSQLLancamentosCont(const std::string& filiais, int64_t conta, TDateTime ini, TDateTime fim);

  // Proposes pairs among the free rows (status 0) of this manager and of the entries: a line and an
  // entry of the same side that agree on every criterion asked for (at least one must be asked) are
  // both set to 2, and the line remembers the entry in BDCODEMPLANC/BDCHAVELANC. Each row is paired
  // at most once. Sets ValorTotal to the signed total of the lines now selected (1, 2, 7). True when
  // no line and no entry is left unmatched.
  bool ConciliaDaoExtrato(bool porData, bool porDocumento, bool porValor, bool considerarZeros,
                          TLancamentoMGR* lancamentos);

  // Stores the confirmed rows (3 and 6) of both data sets as one reconciliation: each line gets its
  // entry, each entry its mark on the account's side and its reconciled items, and with atualizaData
  // the entries take the dates they carry in memory. All or nothing: a problem (unequal totals, a row
  // already reconciled meanwhile, a database error) goes into the list and nothing is written.
  bool ConciliarExtratoLancamento(TLancamentoMGR* lancamentos, int64_t conta, TComponent* form, bool atualizaData,
                                  TInconsistencias_VYN* inconsistencias);

  // A money value the reconciliation screen hands over before a matching and reads back after it.
  Currency ValorTotal;
};


// The signed value of a row of either side: plus for BDTIPO/BDDEBCRED 0, minus otherwise.
Currency ValorSinalizadoConciliacao(const TClientDataSet& ds);
// Two documents compared for matching: blanks around ignored; leading zeros only when they count.
bool MesmoDocumento(const std::string& a, const std::string& b, bool considerarZeros);

}  // namespace vyn
