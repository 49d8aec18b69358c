#pragma once
// Entry screens of the suite's accounting package that the statement screens open by class name:
// the multiple-entry editor, the entry screen, the Y570 data of an entry, the companies that
// receive copied preparation rules, the preparation-rule registers and the user's PDF folder.
#include "framework/standins/tela_substituta.h"

namespace vyn {

class TCheckBox;
class TCheckListBox;
class TClientDataSet;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_Numerico_Padrao_VYN;
class TEdit_String_Padrao;
class TLancamentoMGR;
class TSpeedButton;
class TVZEL_EMPRESAS_TLAN_Y570MGR;
struct TDadosLancamento;

// [entry record, company edit, lines manager]: spIncluir adds one split row of the line (the next
// BDCHAVELANC) with the typed accounts, value and complement to the lines' multiple-entry data set,
// and a cost centre typed for a side with an account as that side's cost-centre row of the whole
// value; the screen stays open for more until confirmed or cancelled.
enum TParamMultiLancamento : int { pmlDados = 0, pmlEmpresa, pmlLinhas };

class TfrImportacaoOFCMultiLancamento : public TfrTelaSubstituta {
 public:
  explicit TfrImportacaoOFCMultiLancamento(TComponent* owner);
  TEdit_Numerico_Padrao_VYN *edDebito, *edCredito, *edValor, *edCODTPHI, *edCentroCustoDebito, *edCentroCustoCredito;
  TEdit_String_Padrao* edComplemento;
  TSpeedButton* spIncluir;

 protected:
  void SetListaObj(const TListaObj& lista) override;

 private:
  void Inclui();
  void IncluiCentroCusto(int lado, int64_t empresa, int64_t chaveLanc);
  int64_t ProximaChaveLanc(TClientDataSet& multi) const;
  TDadosLancamento* FDados = nullptr;
  TEdit_Codigo_Search_VYN* FCodEmp = nullptr;
  TLancamentoMGR* FLinhas = nullptr;
};

// [entries data set on the current entry]: shows the entry (read-only).
class TfrLancamento : public TfrTelaSubstituta {
 public:
  explicit TfrLancamento(TComponent* owner);
  TEdit_String_Padrao *edCODEMP, *edCHAVE, *edDATA, *edDEBITO, *edCREDITO, *edVALOR, *edCOMPL;

 protected:
  void SetListaObj(const TListaObj& lista) override;
};

// [Y570 manager with its parameter record, lines]: confirming writes the typed Y570 data of the
// entry of the record (the next BDSEQ) into the manager, so the review sees them, and closes.
class TfrLancamentoY570Integracao : public TfrTelaSubstituta {
 public:
  explicit TfrLancamentoY570Integracao(TComponent* owner);
  TEdit_String_Padrao *edCNPJFonte, *edCodReceita;
  TEdit_Numerico_Padrao_VYN *edValorBruto, *edIRRF, *edCSLL;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;

 private:
  TVZEL_EMPRESAS_TLAN_Y570MGR* FY570 = nullptr;
};

// [company edit, list of company codes]: the companies of the database with those of the list (and
// the edit's) checked; confirming leaves the checked codes in the list.
enum TParamEmpresasPreparacao : int { pepEmpresa = 0, pepEmpresas };

class TfrEmpresasPreparacaoExtratoBancario : public TfrTelaSubstituta {
 public:
  explicit TfrEmpresasPreparacaoExtratoBancario(TComponent* owner);
  TCheckListBox* clEmpresas;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  void ProcessoConfirma() override;

 private:
  std::vector<std::string>* FEmpresas = nullptr;
};

// [company edit]: registers one preparation rule of the company's statements (tipoConta 1) or cash
// movements (2) in VZEL_EMP_TPRE_EXT_BANCARIO.
class TfrPreparacaoExtratoBancario : public TfrTelaSubstituta {
 public:
  explicit TfrPreparacaoExtratoBancario(TComponent* owner, std::string classe = "TfrPreparacaoExtratoBancario",
                                        int tipoConta = 1);
  TEdit_Numerico_Padrao_VYN *edCODTPLA, *edContraPartida, *edCODTER, *edCODTPHI;
  TEdit_String_Padrao *edCOMPL, *edCOMPLPARA;
  TCheckBox* ckCoincide;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;

 private:
  int FTipoConta;
  int64_t FCodEmp = 0;
};

class TfrPreparacaoMovimentoCaixa : public TfrPreparacaoExtratoBancario {
 public:
  explicit TfrPreparacaoMovimentoCaixa(TComponent* owner)
      : TfrPreparacaoExtratoBancario(owner, "TfrPreparacaoMovimentoCaixa", 2) {}
};

// The user's PDF folder of Dyq statements (VZEL_USU_DYQ_DIRETORIO of the session's user).
class TfrCadastroDYQUsuarioDiretorio : public TfrTelaSubstituta {
 public:
  explicit TfrCadastroDYQUsuarioDiretorio(TComponent* owner);
  TEdit_String_Padrao* edDiretorio;
  TEdit_Numerico_Padrao_VYN* edSubPastas;

 protected:
  void FormShow() override;
  void ProcessoConfirma() override;
};

}  // namespace vyn
