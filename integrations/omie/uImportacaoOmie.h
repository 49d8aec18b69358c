#pragma once
// "Importação Omie": one company's month from Omie, either its accounting entries (fetched on a
// worker thread and reviewed through the entry-text importer) or its fiscal documents (queued for
// the fiscal module's import).
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/ui/processo_empresa.h"
#include "framework/web/http_retry.h"

namespace vyn {
class TCheckBox;
class TComboBox_Padrao_VYN;
class TControl;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TInconsistencias_VYN;
class TLabel;
class TLancamentoMGR;
class TListaObj;
class TPanel;
class TRadioGroup;
class TfrStatusProcesso;
class TThreadOmie;
}  // namespace vyn

namespace integracao {

class TIntegracaoOmieBase;

// The warning of a failed answer's text: the instability wording for the service's known transport
// phrases (in any case), else "Omie: " + text.
std::string MensagemFalhaOmie(const std::string& texto);

class TfrImportacaoOmie : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrImportacaoOmie(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoOmie"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbDatas;
  vyn::TEdit_Date_Padrao_VYN* edDataInicio;
  vyn::TCheckBox* ckContabil;
  vyn::TGroupBox* gbContabil;
  vyn::TLabel* lbCODPLATROCAINT;
  vyn::TEdit_Codigo_Search_VYN* edCODPLATROCAINT;
  vyn::TSpeedButton* spPlanoTroca;
  vyn::TPanel* pnCODPLATROCAINT;
  vyn::TLabel* lbPeriodo;
  vyn::TComboBox_Padrao_VYN* cbPeriodo;
  vyn::TLabel* lbQuinzenaMes;
  vyn::TComboBox_Padrao_VYN* cbQuinzenaMes;
  vyn::TLabel* lbSemanaMes;
  vyn::TComboBox_Padrao_VYN* cbSemanaMes;
  vyn::TCheckBox* ckAltCompHist;
  vyn::TCheckBox* ckBaixas;
  vyn::TLabel* iiBaixas;
  vyn::TCheckBox* ckFiscal;
  vyn::TGroupBox* gbFiscal;
  vyn::TGroupBox* gbDadosImportar;
  vyn::TCheckBox* ckNFe;
  vyn::TCheckBox* ckNFCe;
  vyn::TCheckBox* ckCTe;
  vyn::TCheckBox* ckCTeos;
  vyn::TRadioGroup* rgTipoMov;
  vyn::TSpeedButton* spGerarTransacao;
  // The screen's own list (the fetch's warnings), apart from the run's list of the lock component.
  vyn::TInconsistencias_VYN* Inconsistencias;

  void SetListaObj(const vyn::TListaObj& lista) override;

  void ckContabilClick(vyn::TComponent* sender);
  void ckFiscalClick(vyn::TComponent* sender);
  void cbPeriodoChange(vyn::TComponent* sender);
  void spGerarTransacaoClick(vyn::TComponent* sender);
  void edCODEMPExit(vyn::TComponent* sender);
  // The fiscal fetcher's progress.
  void SetProgresso(int prPosicao, const std::string& prTexto);
  // The background fetch's end, on the main thread: touches only the program's fetch state.
  static void ThreadOmieFinalizou(vyn::TThreadOmie& thread);

  // The waiting run's pause between polls of the fetch (250 ms); unset, the main thread sleeps.
  vyn::TSleeper Espera;
  // Applied to each fetch thread before it starts, and to the fiscal fetch's Omie client.
  std::function<void(vyn::TThreadOmie&)> OnPreparaThreadOmie;
  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

  vyn::TLancamentoMGR* LancamentoDAO() const { return FLancamentoDAO; }
  bool Escolha() const { return FEscolha; }
  int Status() const { return FStatus; }
  const std::string& Resposta() const { return FResposta; }

 protected:
  void FormCreate() override;
  void FormShow() override;
  void CreateDAO() override;
  void SelectProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  void ProcessoContabil();
  void ProcessoContabilAguardando(int empresa);
  void ProcessoContabilNotificacao(int empresa);
  void ProcessoFiscal();
  void ImportaTexto(vyn::TLancamentoMGR& dao, const std::string& texto);
  // How many entry-file lines the books record as booked for the company: the review booked some
  // when it grows.
  int64_t LinhasLancadas(int empresa) const;
  void ControleComponentesContabil();
  void AtualizaHintTransacao();
  void pHabDesabComponent(vyn::TControl* controle, bool habilitado);
  vyn::TThreadOmie& PreparaThread(vyn::TThreadOmie& t, int empresa, const std::string& chave,
                                  const std::string& senha);

  vyn::TLancamentoMGR* FLancamentoDAO = nullptr;
  bool FEscolha = false;
  std::string FResposta;
  int FStatus = 1;
  vyn::TfrStatusProcesso* FProgresso = nullptr;
  vyn::TfrStatusProcesso* FStatusProgresso = nullptr;
  // The controls each group box holds, as the form lays them out.
  std::map<vyn::TControl*, std::vector<vyn::TControl*>> FFilhos;
};

}  // namespace integracao
