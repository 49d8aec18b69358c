#pragma once
// The ECF export screen: every parameter of one company's ECF for one period, checked, saved per
// company and handed to the suite's ECF generator.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/accounting/ecf_managers.h"
#include "framework/component/boxed_values.h"
#include "framework/component/interrupcao.h"
#include "framework/accounting/exportacao_ecf_db_mgr.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dados_adicionais.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/grid.h"
#include "framework/ui/integracao_padrao.h"
#include "framework/ui/mask_edit_documentos.h"
#include "framework/ui/screen_user_config.h"
#include "framework/ui/seleciona_filiais.h"
#include "framework/ui/sequencia_relatorio.h"

namespace integracao {

// Combo code convention: every item begins with a code, " - " and a text.
// The code of an item's text.
std::string CodigoItem(const std::string& item);
// The code text of the selected item ("" when none).
std::string GetCaractereCombo(const vyn::TComboBox_Padrao_VYN& cb);
// The code as a number; -1 when none or not numeric.
int GetIndexCombo(const vyn::TComboBox_Padrao_VYN& cb);
// Selects the first item whose code equals the text exactly; no match leaves the selection.
void SetCaractereCombo(const std::string& codigo, vyn::TComboBox_Padrao_VYN& cb);
// Selects by the number written without leading zeros (1 does not select "01 - ...").
void SetIndexCombo(int codigo, vyn::TComboBox_Padrao_VYN& cb);

// The cash-book account refused by its edit: it must belong to the asset group.
inline constexpr const char* kMsgContaNaoAtivo = "A conta informada deve ser do grupo ^Ativo!";
inline constexpr const char* kMsgNaoExportado = "A ECF não foi exportada: nenhum arquivo foi gravado.";

// The modes of the screen's settings component over the screen's life.
inline constexpr int kModoConfigNenhum = 0;
inline constexpr int kModoConfigExportacao = 2;   // a confirmation's set, or the previous-chart screen's values
inline constexpr int kModoConfigPadrao = 3;       // the default configuration saved from the popup menu
inline constexpr const char* kTelaConfig = "frExportacaoECF";

class TfrExportacaoECF : public vyn::TfrIntegracao_Empresa_Padrao_VYN, public vyn::ISequenciaTela {
 public:
  explicit TfrExportacaoECF(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrExportacaoECF"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The page control and its tabs. A tab the user picks runs PageControl_VYNChange; one shown by
  // program (SetaFoco) does not.
  vyn::TPageControl* PageControl_VYN;
  vyn::TTabSheet *tsAbertura, *tsTributacao, *tsComplementar, *tsInformacoesEconomicas, *tsOutras, *tsAssinatura;
  vyn::TTabSheet* PaginaAtiva() const { return PageControl_VYN->ActivePage(); }
  // The fields of a tab that can take the focus, in the screen's order.
  std::vector<vyn::TControl*> ControlesDaAba(const vyn::TTabSheet* aba) const;
  // Shows the tab and runs its rules, as the user's pick does.
  void SetPaginaAtiva(vyn::TTabSheet* ts);
  // Entering the page control hands the focus to the first field of the shown tab.
  void PageControl_VYNEnter(vyn::TComponent* sender);

  vyn::TEdit_Diretorio_Padrao_VYN* edInformacoesFiscais;
  vyn::TComboBox_Padrao_VYN *cbInicioPeriodo, *cbSituacaoEspecial, *cbRetificadora, *cbTipoECF, *cbOptanteRefis,
      *cbOptantePaes, *cbTributacao, *cbPeriodoIRPJ, *cbQualificacaoPJ, *cbTipoEscrituracao, *cbTipoEntidade,
      *cbApuracaoIRPJImunesIsentas, *cbApuracaoCSLL, *cbOptantePelaLei, *cbDiferencaSocFCont,
      *cbPercentualAliquotaCSLL, *cbAvaliacaoEstoques, *cbRegimeApuracao, *cbAlteracaoCapital, *cbEscrituracaoAtivo,
      *cbAvaliacaoEstoqueFinal, *cbTipoDocumento;
  vyn::TEdit_Numerico_Padrao_VYN *edRemanescente, *edQuantidadeSCP, *edAliquotaReduzida;
  vyn::TEdit_Date_Padrao_VYN *edDataSituacaoEspecial, *edDataIni, *edDataFim, *edDataPlanoContas;
  vyn::TEdit_String_Padrao *edNumeroRecibo, *edCebas;
  vyn::TEdit_Codigo_Search_VYN *edCodEmpSCP, *edContaAjusteECF, *edContaLivroCaixa, *edProcurador, *edQualificacao;
  vyn::TMaskEdit_Documentos_VYN* edCNPJSCP;
  vyn::TEdit_Diretorio_Padrao_VYN* edRtf;
  vyn::TRadioGroup *rgContabilizacao, *rgResponsavel, *rgTipoProcurador;
  vyn::TCheckListBox* clbListaArquivos;
  vyn::TLabel *lbCidadeEmpresa, *lbTributacao, *lbAliquotaReduzida, *lbCebas;
  vyn::TPanel* pnContaLivroCaixa;
  vyn::TGroupBox *gbProcuradorEletronico, *gbQualificacao;
  vyn::TSpeedButton *spPlanoSped, *spP500, *spY665, *spY671, *spY672, *spDepreBens, *spSpedAutomatico;
  vyn::TSelecionaFiliais_VYN* SelecionaFiliais;

  // A check box of the screen by name (they are many; the rules and the task reach them by name).
  vyn::TCheckBox* Ck(const std::string& name) const;
  // The controls on the tab "Informações econômicas".
  const std::vector<vyn::TControl*>& ControlesInformacoesEconomicas() const { return infoEconomicas_; }

  // The generator of this screen (in the base's manager field).
  vyn::TExportacaoECFDBMGR* Gerador() const { return gerador_; }
  vyn::TIntegracaoSpedECF_EFMGR* FExportacaoEF = nullptr;
  vyn::TParametrosBlocoP500* FDadosP500_51 = nullptr;
  vyn::TParametrosBlocoP500* FDadosP500_52 = nullptr;
  int FCSLLCarregado = 0;
  bool FErroEncontrado = false;
  bool FValidacaoImportacao = false;
  bool FLimitarHistCompl = false;
  // Filled by the previous-chart screen (TfrPreparacaoECFMultiContador) through the parameter list.
  vyn::TInteger_VYN *FCodigoBens = nullptr, *FCodigoI157 = nullptr;
  vyn::TString_VYN *FNomeBens = nullptr, *FArquivoBens = nullptr;
  // Accounting-audit mode: the audit screen (the owner) sets the flag.
  vyn::TDadosTelaAuxiliarAuditoria* DadosTelaAuxiliarAuditoria = nullptr;
  bool IsClosingAuditoria = false;

  void setLimitarHistCompl(bool b) { FLimitarHistCompl = b; }
  // The control a failed check brought back into view (the last one).
  vyn::TControl* FocoPendente = nullptr;

  // Leaving a field backwards (Shift+Tab, the Up arrow, or the third way the edits know).
  void SetTeclouShiftTab(vyn::TControl* c, bool b) { flags_[c].ShiftTab = b; }
  void SetTeclouSetaParaCima(vyn::TControl* c, bool b) { flags_[c].SetaParaCima = b; }
  void SetTeclouOutro(vyn::TControl* c, bool b) { flags_[c].Outro = b; }
  bool SaiuParaTras(const vyn::TControl* c) const;

  // Field rules.
  void ControleErro(vyn::TComponent* sender, const std::string& msg);
  bool FormaTributacaoOK(bool mostrar);
  void SetaFoco(vyn::TControl* c);
  void edCODEMPExit(vyn::TComponent* sender);
  void edCODEMPAfterSearch();
  void edDataIniExit(vyn::TComponent* sender);
  void edDataFimExit(vyn::TComponent* sender);
  void edDataSituacaoEspecialExit(vyn::TComponent* sender);
  void edRemanescenteExit(vyn::TComponent* sender);
  void edQuantidadeSCPExit(vyn::TComponent* sender);
  void edNumeroReciboExit(vyn::TComponent* sender);
  void cbRetificadoraChange(vyn::TComponent* sender);
  void cbTipoECFChange(vyn::TComponent* sender);
  // The SCP fields and the special situation's fields enabled by their combos, values kept.
  void HabilitaCamposSCP();
  void HabilitaCamposSituacaoEspecial();
  // Restored values fire no change: the fields they govern are enabled or cleared as the user's
  // choice would have left them, so that every road runs the same checks over a restored set.
  void AplicaRegrasDosValoresRestaurados();
  void edCodEmpSCPChange(vyn::TComponent* sender);
  void edCNPJSCPExit(vyn::TComponent* sender);
  void ckGrupoMultinacionalClick(vyn::TComponent* sender);
  bool edContaLivroCaixaValidar();
  void rgResponsavelClick(vyn::TComponent* sender);
  void rgTipoProcuradorClick(vyn::TComponent* sender);
  // The search lists of the accounts and of the accountant show the columns the choice rests on.
  void edContaAjusteECFBeforeSearch(vyn::TComponent* sender);
  void edContaLivroCaixaBeforeSearch(vyn::TComponent* sender);
  void edProcuradorBeforeSearch(vyn::TComponent* sender);
  void edRtfChange(vyn::TComponent* sender);
  // Delete on the attachment list asks and removes the selected attachment.
  void clbListaArquivosKeyDown(int& key, unsigned shift);
  void clbListaArquivosDelete();
  void ckExportaPlanoAnteriorClick(vyn::TComponent* sender);
  bool ProcuraAnexo(const std::string& arquivo);
  // The file of an attachment line: the text after its first "-" and the blank after it.
  static std::string CaminhoDoAnexo(const std::string& linha);
  // A file the attachment list takes (an RTF or a text file).
  static bool ArquivoRtfValido(const std::string& arquivo);
  // The attachments of a restored set (`salvo` answers a saved value by its name, "" when absent)
  // replace the list. A saved file that is gone or no longer one the list takes is refused naming
  // it: it ends a run without a user, and is shown and left out on the screen.
  void RestauraAnexos(const std::function<std::string(const std::string&)>& salvo);

  // Options by taxation and year.
  bool getVersao(int y0) const;
  void pCarregaItemsAliquotaCSLL();
  // A saved CSLL rate: its item index in the list of the year the set was saved for (the set's start
  // date and special situation). The lists change by year, so the rate is kept by its code and
  // selected by it, now and whenever the year's items come; a code the year's list lacks selects
  // nothing and the confirmation refuses it naming the field (ConfereAliquotaCSLLSalva). A set that
  // does not say its year (no anoSalvo) keeps the index for the items to come.
  void RestauraAliquotaCSLL(int indice, std::optional<int> anoSalvo = std::nullopt, int situacaoSalva = 0);
  void ConfereAliquotaCSLLSalva();
  // An immune or exempt entity "desobrigada" of CSLL owes no rate: the rate is switched off whenever
  // a restore or a change of the year's list would otherwise put one in.
  void DesligaAliquotaSemCSLL();
  bool AliquotaCSLLSalvaPerdida() const;
  void RegraP500();
  // The P500 values of a restored set ("" when the set has none): put into the P500 objects now or
  // when the rate brings them, until another company or the user's pick of a rate.
  void RestauraP500(const std::string& valor51, const std::string& valor52);
  void cbTributacaoChange(vyn::TComponent* sender);
  void cbTributacaoExit(vyn::TComponent* sender);
  void cbQualificacaoPJChange(vyn::TComponent* sender);
  void cbTipoEntidadeChange(vyn::TComponent* sender);
  void cbTipoEscrituracaoChange(vyn::TComponent* sender);
  void cbOptanteRefisChange(vyn::TComponent* sender);
  void cbApuracaoIRPJImunesIsentasChange(vyn::TComponent* sender);
  void cbApuracaoCSLLChange(vyn::TComponent* sender);
  void cbPercentualAliquotaCSLLChange(vyn::TComponent* sender);
  void cbSituacaoEspecialChange(vyn::TComponent* sender);
  void cbInicioPeriodoChange(vyn::TComponent* sender);
  void cbOptantePelaLeiChange(vyn::TComponent* sender);
  void cbDiferencaSocFContChange(vyn::TComponent* sender);
  void ckCebasClick(vyn::TComponent* sender);
  void ControlaOptanteDiferencaSocECont();
  void HabilitaInformacoesEconomicas();
  void NovasInformacoesEconomicas2023();
  void AjustaCaptionRepes_Recap_Padis();
  void HabilitaOutrasInfo();
  void HabilitaParametrosComplementares();
  void HabilitaParametrosTributacao();
  void pControlaDerex();
  void RegraCebasComConfigPadrao();
  // CEBAS and the 2023 transfer-price option by the start year; frozen while the saved default
  // configuration is shown (spConfigPadraoRel marked).
  void VisibilidadeCebasPrecoTransf();
  // Switches the saved default configuration shown / editable, then the year's visibility rules.
  void spConfigPadraoRelClick(vyn::TComponent* sender);
  void verificaK155();
  void PageControl_VYNChange(vyn::TTabSheet* novaAba);

  // Saved settings.
  bool getPossuiConfigPadrao() const;
  // Every saved control and its value as text (combo and radio: item index; check: "True"/"False").
  std::vector<std::pair<std::string, std::string>> ValoresComponentes() const;
  // Puts a saved value into the control of that name; False when no such control is saved. A value
  // the control cannot hold as saved ("12a" for a code, "1e5" for a number, a word for an index) is
  // refused naming the field: it ends a run without a user, and is shown and left out on the screen.
  bool AplicaValorComponente(const std::string& nome, const std::string& valor);
  // A saved value its control cannot hold: raised without a user, else shown.
  void RecusaValorSalvo(const vyn::TComponent& c, const std::string& valor);
  // The saved CSLL rate by its meaning: none stays none, an unreadable one is refused.
  void RestauraAliquotaCSLLSalva(const std::string& valor, const std::map<std::string, std::string>& porNome);
  // A saved item index; -1 when the text is none.
  static int IndiceSalvo(const std::string& valor);
  void saveComponentsValue(int sequencia);
  // Loads a saved set (-1: the highest sequence); True when one was found.
  bool CarregaConfiguracao(int sequencia);
  void AddValorBens(const std::string& nome, const std::string& valor, int sequencia);
  // Puts saved values (by upper-cased component name) into the controls, in the screen's order.
  void AplicaValores(const std::map<std::string, std::string>& porNome);

  // Confirmation and hand-off.
  void spConfirmarClick(vyn::TComponent* sender) override;
  void AlimentaDAOExportacao();
  // Options the year's screen no longer offers (Paes and the sales to exporters until 2019, the older
  // special regimes until 2021) keep, disabled, the state a set of an earlier year restored; the file
  // of a year that lacks them does not carry them.
  void DeixaOpcoesForaDoAno(vyn::TParametrosTela& p) const;
  // Why a confirmation wrote no file: the list's first error, else its first warning, else that no
  // file was written. A run without a user that clicked a disabled confirm gives it as its failure.
  std::string MotivoNaoExportado() const;
  bool validaTamanhoHistCompl();
  bool PossuiPreparacaoDuplicada();
  std::string FiliaisMarcadas();
  void spP500Click(vyn::TComponent* sender);

  // Every road without a user (the ECF task, the SPED validation): the company's last saved set,
  // every control the screen saves, unless its saved default configuration governs it; then the
  // period, whose exits run the year's rules over the restored choices.
  void RestauraUltimaExportacao(vyn::TDateTime d1, vyn::TDateTime d2);
  // Runs without a user for the SPED validation; answers the written file's name.
  std::string ExportaToValidador(int codEmp, vyn::TDateTime d1, vyn::TDateTime d2, const std::string& pasta) override;
  void AntesSalvarLog() override;
  // The saved default configuration of the company (sequence 0 and its mark): the popup menu saves
  // the screen's values as it, or clears it.
  void mmSalvarConfigClick(vyn::TComponent* sender);
  void mmLimparconfigClick(vyn::TComponent* sender);
  // The screen's settings component: its mode says which saving is under way (3 the default
  // configuration from the popup menu, 2 a confirmation's set or the previous-chart screen, 0 none).
  vyn::TScreenUserConfig* ScreenUserConfig = nullptr;

  // The company data object's reference month (the record edCODEMP reads).
  void SetCompentencia(int yyyymm) { competencia_ = yyyymm; }
  int Competencia() const { return competencia_; }
  // The company record: re-read at the current reference.
  void RecarregaEmpresa();
  // The company edit names a registered company (its record is read when not yet).
  bool EmpresaCadastrada();
  vyn::Variant CampoEmpresa(const std::string& campo) const;
  std::string GetCNPJ() const;

  // Whether a report sequence is running (the checklist notice is never shown inside one).
  static bool SequenciaRelatorioRodando();

  // Toolbar actions and the screens they open by class name (screens of other packages of the suite).
  void spPlanoSpedClick(vyn::TComponent* sender);
  void AbrePreparacao(const std::string& classe);
  void spDepreBensClick(vyn::TComponent* sender);
  void spConsultaClick(vyn::TComponent* sender);
  void spSpedAutomaticoClick(vyn::TComponent* sender);
  void spCancelarClick(vyn::TComponent* sender) override;
  // The form sees keys first: F6 prepares the accounts; Tab, Enter and Down go to the next field of the
  // tab and on to the next tab at its end (past the last, to edInformacoesFiscais); Shift+Tab and Up go
  // back the same way, and a field left so reports none of its checks.
  void KeyDown(int& key, unsigned shift) override;
  vyn::TDadosAdicionais* CreateDadosAdicionais();
  // The step of a report sequence: the step's period goes into the dates (their exits run).
  void BeforeExportarSequencia(vyn::TDadosAdicionaisSeqRel& dados) override;
  // Its part in a report sequence: the period, the destination folder, and the confirmation as the run.
  vyn::ISequenciaTela* SequenciaTela() override { return this; }
  vyn::TDadosAberturaTela getDadosSelecionarSequencia(unsigned opcoes) override;
  void ExecutarSequencia(const vyn::TDadosAdicionaisSeqRel& dados, vyn::TDadosFinaisSeqRel& finais) override;
  vyn::TEdit_Date_Padrao_VYN* EditDataSequencia() override { return edDataIni; }
  vyn::TEdit_Date_Padrao_VYN* EditDataFimSequencia() override { return edDataFim; }
  vyn::TEdit_Diretorio_Padrao_VYN* EditArquivoSequencia() override { return edArquivo; }
  // The referential accounts handed to the preparation screen (kept while the screen lives).
  const std::vector<std::vector<std::string>>& ListaContasReferenciais() const { return FListaContasReferenciais; }

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  // Shown docked inside the host's main window (a window of its own when the host runs undocked);
  // hidden, it keeps where it stood for the audit screen and leaves the main window.
  void VisibleChanging() override;
  void SetCriaDao() override;
  void AfterAddButtons() override;
  // An export that went through: the host's period date becomes the export's end date.
  void ExecuteFimProcesso() override;
  // A run that stops before the generator (the checks stop the confirmation).
  bool ExecutarProcesso() override { return true; }
  // The books of the company are archived for the period: the archive's message is reported by the
  // run's mode and the confirmation stops.
  bool TemArquivamentoContabil();

 private:
  struct TFlags {
    bool ShiftTab = false, SetaParaCima = false, Outro = false;
  };
  vyn::TComboBox_Padrao_VYN* Combo(const std::string& name, std::vector<std::string> itens, vyn::TTabSheet* tab);
  vyn::TCheckBox* NovoCk(const std::string& name, const std::string& caption, vyn::TTabSheet* tab);
  // The constructor's steps: the tabs, each tab's controls, the toolbar, the lookups, then the events.
  void CriaAbas();
  void CriaAbertura();
  void CriaTributacao();
  void CriaComplementar();
  void CriaOutras();
  void CriaAssinatura();
  void CriaBotoesEFiliais();
  void LigaConsultas();
  void LigaEventos();
  void CriaRotulos();
  void DefineAba(vyn::TControl* c, vyn::TTabSheet* tab) { aba_[c] = tab; }
  // Moves the focus one field on or back across the tabs; False when the focus is on no tab's field.
  bool NavegaEntreAbas(bool paraTras, bool seta);
  // The Esc key press the screen makes itself (down, press, up), as a user's would arrive.
  void PressionaEsc();
  // Shows the tab by program: its rules do not run.
  void MostraAba(vyn::TTabSheet* ts);
  // The user's pick of a tab: its rules, and a focus left on a hidden tab moves to the new tab.
  void PageControl_VYNPick();
  int Ano() const;
  int SituacaoEspecial() const { return GetIndexCombo(*cbSituacaoEspecial); }
  int Tributacao() const { return GetIndexCombo(*cbTributacao); }
  void ConfirmarInterno();
  // The confirmation's steps.
  void ConfereCampos(int ano);
  void ConfereCamposDoPasse(int ano);
  void ConferePreparacaoPlano(bool livroCaixa, int t, int ano, int64_t plano, int64_t planoRef);
  void ConfereAvisos(bool livroCaixa, int ano, int64_t plano, int64_t planoRef);
  bool ExportaOuMostraErros();
  // The generator failed: the reason (and the branches whose chart differs) into the list, and the
  // run fails or the user is shown it.
  void FalhaDaExportacao(const std::string& texto, bool filiaisDivergentes);
  // A confirmation that stopped before the generator: the user is shown the list, which says that no
  // file was written (a stop told by a warning box alone would otherwise read as a success).
  void InformaNaoExportado();
  void SalvaConfiguracaoEHistorico();
  // Texts the database cannot store are listed as field errors; False when there is one.
  bool ConfereTextosGravaveis();
  void ListaFiliaisDivergentes();
  void Mensagem(const std::string& texto, bool aviso);
  // A warning of the confirmation: raised without a user, into the list when dialogs are off, else a box.
  void Aviso(const std::string& texto, bool bloqueia);
  // A warning of a toolbar action: a box, or without a user the informative exception with a full stop.
  void AvisoAcao(const std::string& texto);
  void DevolveAuditoria();
  std::vector<std::vector<std::string>> FListaContasReferenciais;
  int64_t CampoInteiro(const std::string& campo) const;
  static std::string FormatCNPJText(const std::string& digitos);

  vyn::TExportacaoECFDBMGR* gerador_ = nullptr;
  vyn::TSQLMGR* FSQLMgr = nullptr;
  vyn::TPLANOS_TPLA_ECFMGR* FPLANOS_TPLA_ECFMGR = nullptr;
  vyn::TPLANOS_TPLA_SPEDMGR* FPLANOS_TPLA_SPED = nullptr;
  std::map<std::string, vyn::TCheckBox*> checks_;
  std::vector<vyn::TControl*> infoEconomicas_;
  std::map<const vyn::TControl*, vyn::TTabSheet*> aba_;
  std::map<const vyn::TControl*, TFlags> flags_;
  int competencia_ = 0;
  bool carregando_ = false;
  bool recarregando_ = false;  // the same company's record read again: no change of company
  bool semDialogos_ = false;  // run for the SPED validation: no dialog may be shown
  bool exportou_ = false;     // the last confirmation put its file in place
  // Unattended as the export task's own screen: a problem fails the task. A run for the SPED
  // validation is unattended too, but lists its problems for the validator instead of raising.
  bool FalhaNaTarefa() const { return vyn::IsUnattended() && !semDialogos_; }
  bool firstShow_ = true;
  std::optional<vyn::Currency> p500Salvo_[2];   // the restored set's P500 values (51, 52)
  // The P500 values saved with a set, under these names.
  static constexpr const char* kP500Salvo[2] = {"FDadosP500_51", "FDadosP500_52"};
  // What a set saves beyond the controls: the multi-accountant values, P500 and the attachments.
  void SalvaValoresSemControle(int sequencia);
  // The attachments are saved under these names followed by their number from 1.
  static constexpr const char* kAnexoSalvo = "clbListaArquivos_";
  static std::string NomeAnexoSalvo(int i);
  int csllRestaurado_ = -1;
  struct TCsllSalvo {
    bool Pendente = false;
    std::string Codigo;   // "" when the saved index named no item of its year
    std::string Item;     // as its year's list showed it
  } csllSalvo_;           // the restored rate, until the user picks one
  void SelecionaAliquotaCSLLSalva();   // the restored CSLL rate's item index (-1: none, or the user picked one)
};

}  // namespace integracao
