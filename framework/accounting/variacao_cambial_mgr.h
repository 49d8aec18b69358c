#pragma once
// The exchange-variance run manager: run rows of VZEL_EMP_TVARCAMBIAL and the ledger entries of a run.
//
// Calculation of a month (first to last day), for a company and currency: every invoice in that
// currency open at the month's last day (issued by then, not settled by then) is revalued from the
// rate of its base date (the issue date when issued in the month, else the previous month's last
// day) to the rate of the month's last day; the rate of a date is the latest currency value on or
// before it. The variance (amount x rate change, 2 places) is one entry dated the month's last day:
// a receivable that gains value debits the invoice's account and credits the gain account, one that
// loses value debits the loss account and credits the invoice's account; payables the other way.
// Accounts come from the company's preparation for the currency, or its head office's.
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TInconsistencias_VYN;
class TfrStatusProcesso;

class TVZEL_EMP_TVARCAMBIALMGR : public TMgr<TVZEL_EMP_TVARCAMBIALMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMP_TVARCAMBIAL";

  // gravaDireto: rows are written to the table when posted (the suite's flag; False keeps them in memory).
  explicit TVZEL_EMP_TVARCAMBIALMGR(TComponent* owner = nullptr, bool gravaDireto = true, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMP_TVARCAMBIALMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Where problems of the calculation go, and the run's progress window.
  void SetInconsistencias_VYN(TInconsistencias_VYN* list) { inconsistencias_ = list; }
  void SetStatusProcesso(TfrStatusProcesso* status) { status_ = status; }

  // Removes the month's runs with exactly the entries each posted (linked by run key). The one
  // ledger does not tell the books apart, so the runs of every posting kind go, whatever the kind given.
  void DeleteApuracao(int codEmp, int codMoe, int contabilizacao, TDateTime dataIni, TDateTime dataFin);
  // Whether the company has invoices in the currency open at that date.
  bool getExisteNotasMoedas(int codEmp, int codMoe, TDateTime dataFin);
  // A new run key (never reused, also when the run is undone).
  int getChaveServidor(int codEmp);

  // The run row's values (the current row must be in Append or Edit).
  void SetCODEMP(int v);
  void SetCODMOE(int v);
  void SetDATAINI(TDateTime v);
  void SetDATAFIN(TDateTime v);
  void SetCONTABILIZACAO(int v);
  void SetCODUSU(int v);
  void SetCHAVE(int v);
  void SetVERSAO(int v);

  // The entries of the last posted row, as statements to run in one script; empty when there is
  // nothing to post.
  const std::vector<std::string>& Script() const { return script_; }
  // The last posted row could not be calculated (the reason is in the inconsistency list).
  bool Erro() const { return erro_; }

  // The runs of the companies in a comma list of codes ("" for every company), each with the
  // currency's name (BDNOMMOE), latest first within a company.
  void SelectConsulta(const std::string& codigos);

  // One invoice's variance (amount x (new rate - old rate), to 2 places).
  static Currency CalculaVariacao(Currency valorMoeda, Currency taxaAnterior, Currency taxaAtual);

 protected:
  // Posting a run row calculates its entries first.
  void DoBeforeWrite(bool inserting) override;

 private:
  void Calcula();
  void Falha(int codEmp, const std::string& text);
  TInconsistencias_VYN* inconsistencias_ = nullptr;
  TfrStatusProcesso* status_ = nullptr;
  std::vector<std::string> script_;
  bool erro_ = false;
};

}  // namespace vyn
