#pragma once
// Stand-ins of the posting, ECF and SPED packages' screens the module opens by class name.
#include "framework/standins/tela_substituta.h"
#include "framework/ui/integracao_padrao.h"

namespace vyn {

class TDadosAdicionais;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_Numerico_Padrao_VYN;
class TEdit_String_Padrao;
class TInteger_VYN;
class TString_VYN;

// [currency edit]: records the currency's value on a date (MOEDAS_TMOE), as the exchange-variance
// run reads it.
class TfrCadMoedasPlanoMoedas : public TfrTelaSubstituta {
 public:
  explicit TfrCadMoedasPlanoMoedas(TComponent* owner);
  TEdit_Numerico_Padrao_VYN* edCODMOE;
  TEdit_Date_Padrao_VYN* edData;
  TEdit_Numerico_Padrao_VYN* edValor;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;
};

// The exchange-variance preparation of a company and currency (VZEL_EMP_TPREPVARCAMBIAL).
class TfrPreparacaoVariacaoCambial : public TfrTelaSubstituta {
 public:
  explicit TfrPreparacaoVariacaoCambial(TComponent* owner);
  TEdit_Numerico_Padrao_VYN *edCODEMP, *edCODMOE, *edContaAtiva, *edContaPassiva, *edCODHIST, *edCODTPHI;

 protected:
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;
};

// The mapping plans between two posting plans (VINT_BASE_TINTONLINE), which the change of posting
// plan offers in its mapping-plan edit; an empty code takes the next one. An account of the source
// chart and the target chart's account given beside them are saved as one of the plan's accounts.
class TfrCadPlanosTrocaContabilizacao : public TfrTelaSubstituta {
 public:
  explicit TfrCadPlanosTrocaContabilizacao(TComponent* owner);
  TEdit_Numerico_Padrao_VYN *edCODINT, *edPlanoDe, *edPlanoPara, *edContaDe, *edContaPara;
  TEdit_String_Padrao* edDescricao;

 protected:
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;
};

// The accounting audit of the suite, as far as its ECF step goes: spExportacaoECF opens the ECF
// screen as its auxiliary screen (the audit is its owner and sets its audit flag) and waits, disabled,
// until that screen closes and hands its parameters back; lbParametrosECF then says what came back.
class TfrProcessoAuditoriaContabil : public TfrTelaSubstituta {
 public:
  explicit TfrProcessoAuditoriaContabil(TComponent* owner);
  TSpeedButton* spExportacaoECF;
  TLabel* lbParametrosECF;
  // Enabled again by the ECF screen once it has handed its parameters back.
  void SetEnabled(bool e) override;

 private:
  void AbreExportacaoECF();
  TForm_VYN* ecf_ = nullptr;   // owned by this screen
};

// [company, year, FCodigoBens, FNomeBens, FArquivoBens, FCodigoI157]: fills the four boxed values
// the ECF screen keeps from the previous chart's accounts.
enum TParamECFMultiContador : int {
  pmcEmpresa = 0,   // integer
  pmcAno,           // integer
  pmcCodigoBens,    // the boxed values the screen fills
  pmcNomeBens,
  pmcArquivoBens,
  pmcCodigoI157,
};

class TfrPreparacaoECFMultiContador : public TfrTelaSubstituta {
 public:
  explicit TfrPreparacaoECFMultiContador(TComponent* owner);
  TEdit_Numerico_Padrao_VYN *edCodigoBens, *edCodigoI157;
  TEdit_String_Padrao *edNomeBens, *edArquivoBens;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  void ProcessoConfirma() override;

 private:
  TInteger_VYN *FCodigoBens = nullptr, *FCodigoI157 = nullptr;
  TString_VYN *FNomeBens = nullptr, *FArquivoBens = nullptr;
};

// [additional data of the ECF screen]: loads a saved export's settings (edSequencia, empty for the
// last) back into the screen that opened it.
class TfrConsultaExportacaoECD : public TfrTelaSubstituta {
 public:
  explicit TfrConsultaExportacaoECD(TComponent* owner);
  TEdit_String_Padrao* edSequencia;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;

 private:
  TDadosAdicionais* FDados = nullptr;
};

// The fiscal SPED exports a validation job runs: the file of the company and period, its opening
// and closing records.
class TfrExportacaoSpedSubstituta : public TfrIntegracao_Empresa_Padrao_VYN {
 public:
  TfrExportacaoSpedSubstituta(TComponent* owner, std::string classe, std::string prefixo);
  std::string ClassName() const override { return classe_; }
  bool InheritsFrom(const std::string& class_name) const override;
  std::string ExportaToValidador(int codEmp, TDateTime dataIni, TDateTime dataFim, const std::string& pasta) override;

 private:
  std::string classe_, prefixo_;
};

}  // namespace vyn
