#pragma once
// The report sequence screen: edits saved models (numbered, named, ordered lists of the suite's
// screens with their control values) and runs them for companies over a period, exporting the
// outputs to files, e-mail or the report portal.
#include <memory>
#include <string>
#include <vector>

#include "framework/component/boxed_values.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/relatorio_padrao.h"
#include "framework/ui/sequencia_relatorio.h"
#include "framework/ui/tipo_sequencia_relatorio.h"
#include "statutory/reportsequence/uDadosSequencial.h"
#include "framework/web/gestao_web_sequencia.h"

namespace vyn {
class TEdit_String_Padrao;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TCheckListBox;
class TGroupBox;
class TLabel;
class TSpeedButton;
class TInconsistencias_VYN;
class TfrStatusProcesso;
class TLogEvent;
class TSEQRELMGR;
class TScreenUserConfig;
class TSQLMGR;
class TDAOFactory;
class TBalloonHint;
class TPanel;
}  // namespace vyn

namespace integracao {

enum TAgrupamentoDeRelatorios { tarPorTipo = 0, tarTotal = 1, tarIndividual = 2 };
enum TTipoSequenciaRelatorio { tseqNenhum = 0, tseqEmpresa = 1, tseqColaborador = 2, tseqCliente = 3 };

// A group of outputs exported together.
struct TRelatorioAgrupado {
  std::vector<std::string> Paginas;
  std::vector<vyn::TRelatorioPDF> PDFs;
  vyn::TDadosRelatorio Dados;
};

class TfrRelSequenciaRelatorios : public vyn::TfrRelatorio_Padrao_VYN {
 public:
  explicit TfrRelSequenciaRelatorios(vyn::TComponent* owner = nullptr);
  ~TfrRelSequenciaRelatorios() override;
  std::string ClassName() const override { return "TfrRelSequenciaRelatorios"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Controls.
  vyn::TEdit_String_Padrao* edCODMODELO;
  vyn::TEdit_String_Padrao* edNomeModelo;
  vyn::TEdit_Codigo_Search_VYN* edCHAVEVYNREPORT;
  vyn::TGroupBox* gbDadosEmissao;
  vyn::TLabel* lbCODEMP;
  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TEdit_Date_Padrao_VYN* edDataIni;
  vyn::TEdit_Date_Padrao_VYN* edDataFim;
  vyn::TEdit_Date_Padrao_VYN* edReferencia;
  vyn::TEdit_Date_Padrao_VYN* edDataEmissao;
  vyn::TCheckListBox* clSequencia;
  vyn::TSpeedButton *spInserir, *spRemover, *spEditar, *spAcima, *spAbaixo;
  vyn::TSpeedButton *spLimpaCampos, *spOk, *spExcluir, *spProcesso, *spCalendario, *spManual;
  vyn::TInconsistencias_VYN* Inconsistencias_VYN;
  vyn::TScreenUserConfig* ScreenUserConfig;
  vyn::TTimer* TimerConfirmacao;   // enabled: the acknowledgement is armed
  vyn::TSpeedButton* spCODMODELO;  // the model edit's search: its lookup screen, of this kind only
  std::string LookupModelo;        // the model edit's lookup screen
  // The record's status (caption "Alterando", "Novo registro" or "Aguardando", image imStatus2).
  vyn::TPanel* pnStatus2;
  vyn::TLabel* lbStatusLabel2;
  std::string imStatus2;
  // The guidance balloon and the warning balloon of the user's rights.
  vyn::TBalloonHint* BallonSequencia;
  vyn::TBalloonHint* BalloonControl_VYN;

  // Set by the scheduled tasks.
  vyn::TUnattendedFlag IsTARVO;   // a scheduled task runs the sequence; code asks IsUnattended()
  std::string CaminhoTARVO;
  bool EnviarEmailTARVO = false;
  bool SempreUsarDiretorio = false;

  // Model editing.
  void edCODMODELOExit();
  void spInserirClick();
  void spRemoverClick();
  void spAcimaClick() { Move(-1); }
  void spAbaixoClick() { Move(+1); }
  void spOkClick();
  void spExcluirClick();
  void spLimpaCamposClick();
  void spProcessoClick();
  void spCalendarioClick();
  void spManualClick();
  void KeyDown(int& key, unsigned shift) override;
  void edNomeModeloChange() { setMexeuAlgo(true); }
  void spCODMODELOClick();
  // The list's own clicks and keys: a line clicked sets the move buttons; Insert adds, Delete
  // removes, Alt+Up and Alt+Down move the selected line.
  void clSequenciaClick() { ControlarBotoesSequencia(); }
  void clSequenciaKeyDown(int& key, unsigned shift);

  // Item configuration.
  void clSequenciaDblClick();
  void OnClickSalvarOkSequenciaRel(vyn::TComponent* sender);
  void OnClickLimparSequenciaRel(vyn::TComponent* sender);
  void OnClickReiniciarSequenciaRel(vyn::TComponent* sender);

  // Run and export.
  void spPreviaImpressaoClick(vyn::TComponent* sender) override;
  std::string GetValorConfiguradoTela(const std::string& componentName);
  void OnInconsistencia(vyn::TTipoInconsistenciaSeq tipo, const std::string& msg);

  // Scheduled runs' log.
  void AddConferencia(const std::string& msg);
  // A scheduled run that left by a failure or a stop: its status row says so, whatever its finished
  // lines wrote before.
  void AnotaFalhaTARVO(const std::string& msg);
  void OnInconsistenciaTARVO(vyn::TTipoInconsistenciaSeq tipo, const std::string& msg);
  void TimerConfirmacaoTimer();

  virtual int GetTipoSequencia() { return tseqEmpresa; }
  virtual int GetProcessoTARVO() { return 35; }
  virtual void BeforeExportarSequencia(vyn::TDadosAdicionaisSeqRel& dados) {}

  TDadosSequencial* getDadosSequencial(int index) const;
  vyn::TItemDeMenu* getItemDeMenu(int index) const;
  bool LinhaHabilitada(int index) const { return habilitadas_.at(static_cast<size_t>(index)); }
  std::string getNomeModelo() const;
  std::string getNomeUsuarioAtual() const;
  vyn::TSEQRELMGR& Modelo() { return *FSEQRELMGR; }
  bool MexeuAlgo() const { return FMexeuAlgo; }
  int ChaveSequencia() const { return FChaveSequencia; }
  TAgrupamentoDeRelatorios Agrupamento() const { return FAgruparRelatorios; }
  vyn::TDadosFinaisSeqRel* DadosFinais() const { return FDadosFinais.get(); }
  vyn::TGestaoWebSequencia& GestaoWeb() { return *FGestaoWebVarku; }
  // Set by the e-mail task: the module whose reports and e-mail setting a run uses.
  void SetSistema(int sistema) override;

  static std::string getDescricaoExportEmailTexto(const std::string& nomeModelo, const std::string& descricao);

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  void FormDestroy() override;
  void setButtonsState() override;
  void VerificaVynReport() override;
  bool canfr3Load(const std::string& name) override;
  std::string getDescricaoExportEmail(const std::string& descricao) override;
  bool DeveGravarLog() override;
  bool UtilizaControlMemoryGeracao() override { return true; }
  void CustomPrepareReport(vyn::TComponent* sender, vyn::TRelatorioFR& report) override;
  virtual std::unique_ptr<vyn::TTipoSequenciaRelatorioPadrao> CriarTipoSequencia(int tipo);

  // Run.
  bool ValidaEmpresa();
  void AvisaSemEntidades();
  bool ValidaESetaAgrupamento(vyn::TPrintType tipo);
  bool UmUnicoDestinatario();
  void PercorreTelas(vyn::TComponent* sender);
  void PreencheForm(vyn::TDadosAdicionaisSeqRel& dados, TDadosSequencial& item, vyn::TForm_VYN& form,
                    vyn::ISequenciaTela& seq);
  void PreencheEditArquivo(vyn::ISequenciaTela& seq);
  void LoadScreenUserConfigTela(TDadosSequencial& dados, const vyn::TDadosAberturaTela& abertura);
  vyn::TDadosAdicionaisSeqRel MontaDadosAdicionais(TDadosSequencial& item, vyn::TComponent* sender);

  // Export.
  void RealizarExportacao(vyn::TPrintType tipo);
  std::vector<TRelatorioAgrupado> AgruparPorTipo() const;
  void Exportar(const std::string& arquivo, const vyn::TDadosRelatorio& dados,
                const std::vector<vyn::TRelatorioPDF>* pdfs, const std::vector<std::string>* paginas);
  void JuntarArquivosPDF(std::vector<vyn::TRelatorioPDF> pdfs, const std::string& principal, bool semPrincipal);
  std::string formatPathSequenciaRel(const std::string& nome, const std::string& extensao) const;
  // Removes the work folders of the attachments of the e-mails of the run (also when the screen
  // closes with a run that never sent them).
  void RemovePastasEmail();
  void AddArquivoBancoSequenciaRelatorio(const std::string& arquivo, const std::string& descricao);

  // Model.
  void LoadScreenUserConfigMemory(vyn::TScreenUserConfig& config, int chave);
  void SaveScreenUserConfigMemory(vyn::TScreenUserConfig& config, int chave);
  void CarregarModeloDoBanco();
  void SalvarModeloDoBanco();
  void SalvarConfiguracoesNoBanco();
  void ClearItensSequencia();
  void ClearCampos();
  void ControlarBotoesSequencia();
  void ChangeStatus();
  void MostraStatus(const std::string& texto, const std::string& imagem);
  void ShowBalao(vyn::TControl* control, const std::string& texto);
  void ExecuteBalloonPermissions(unsigned direitos);
  void setMexeuAlgo(bool v);
  void AddLinha(vyn::TItemDeMenu* item, TDadosSequencial* dados, bool checked);
  void Move(int delta);
  int LinhaDaChave(int chave) const;
  // Shared by confirming and clearing an item's screen values.
  bool ConfirmaItemConfigurado(vyn::TComponent* sender, const std::string& pergunta, vyn::TForm_VYN*& form,
                               vyn::ISequenciaTela*& seq);
  TDadosSequencial* MarcaItemConfigurado(int chave, vyn::TForm_VYN& form, bool configurado, const std::string& nome);
  bool SemDireitoDeGravar();

  int FEmpresaAtual = 0;
  int FChaveSequencia = 0;
  vyn::TSEQRELMGR* FSEQRELMGR = nullptr;
  vyn::TfrStatusProcesso* FStatusProcesso = nullptr;
  TAgrupamentoDeRelatorios FAgruparRelatorios = tarTotal;
  std::string FCaminhoExportacao;
  bool FEnviarEmailVYNReport = false;
  std::string FFileNameOriginal;
  int FQuantidadeVYNReport = 0;
  vyn::TLogEvent* FLogEventInsert = nullptr;
  int FCodigoOrdem = 0;
  std::unique_ptr<vyn::TTipoSequenciaRelatorioPadrao> FTipoSequencia;
  vyn::TGestaoWebSequencia* FGestaoWebVarku = nullptr;
  int FQuantidadeVezesCadastrado = 0;
  vyn::TComponent* FOwnerDeItens = nullptr;
  std::unique_ptr<vyn::TDadosFinaisSeqRel> FDadosFinais;
  bool FMexeuAlgo = false;
  bool FDeveGravarLog = false;
  bool FOcorreuInconsistenciaTARVO = false;
  vyn::TDAOFactory* FSQL = nullptr;   // the run's entities
  std::vector<std::string> FPastasEmail;
  std::vector<bool> habilitadas_;
  std::vector<TDadosSequencial*> objetos_;

 private:
  void CriaDadosEmissao();
};

}  // namespace integracao
