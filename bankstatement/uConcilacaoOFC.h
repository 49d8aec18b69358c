#pragma once
// Automatic reconciliation of a bank statement with the ledger entries, with the options the user
// picks. Given a statement manager and an entries manager (the bank reconciliation screen) the
// statement manager's matcher marks the pairs in both; given only the entries (the statement review)
// each entry is matched with the posted entries of the account and takes their counter-account,
// history and reconciliation marks.
#include <string>

#include "framework/ui/processo_empresa.h"

namespace vyn {
class TLancamentoMGR;
class TVZEL_EMPRESAS_TEXTRATOBANMGR;
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TCheckBox;
}  // namespace vyn

namespace integracao {

class TfrConciliacaoOFC : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrConciliacaoOFC(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConciliacaoOFC"; }
  bool InheritsFrom(const std::string& class_name) const override;
  // Its openers create it and fill it themselves; opened by the loader (the menu), it has nothing to
  // reconcile and refuses.
  void SetListaObj(const vyn::TListaObj& lista) override;

  vyn::TEdit_Codigo_Search_VYN* edCODCTA;
  vyn::TPanel* pnNOMCTA;
  vyn::TEdit_Date_Padrao_VYN *edDATINI, *edDATFIN;
  vyn::TGroupBox* gbConciliacoes;
  vyn::TCheckBox *ckDocumento, *ckData, *ckValor, *ckConsiderarZeroAEsquerda;

  vyn::TLancamentoMGR* FLancamentoDAO = nullptr;
  vyn::TVZEL_EMPRESAS_TEXTRATOBANMGR* FDaoExtrato = nullptr;

  void TrataComponentesConciliacao();

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  void Processo() override;

 private:
  void ConciliaLancamentos();
};

}  // namespace integracao
