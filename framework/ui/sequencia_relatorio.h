#pragma once
// A screen's part in a report sequence: what the sequence screen asks of the screens it opens, the
// outputs they hand back (page ranges of the run's report and PDF files of their own), and the state
// a running sequence shares with them (the host's WP_SEQUENCIARELATORIO).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/datetime.h"

namespace vyn {

class TComponent;
class TControl;
class TForm_VYN;
class TScreenUserConfig;
class TInconsistencias_VYN;
class TfrStatusProcesso;
class TEdit_Date_Padrao_VYN;
class TEdit_Diretorio_Padrao_VYN;

// What a screen tells the sequence when it is opened for a sequence.
struct TDadosAberturaTela {
  std::vector<TControl*> ControlesOcultos;   // hidden while the screen is configured
  TControl* ToolBar = nullptr;               // receives the sequence's buttons
  TComponent* NaoUsado = nullptr;
  TScreenUserConfig* Configuracao = nullptr; // the screen's settings component
  std::string Nome;                          // caption prefix; suggested output name
  uint8_t Flags = 0;                         // bit 0: saved values go in after the entity
};
// Options of getDadosSelecionarSequencia (a set).
enum TOpcaoSelecionarSequencia : unsigned { osConfirmandoSequencia = 1u << 0 };

struct TDadosEmail {
  std::string Destinatario;
  std::string Email;
  // The entry of the report base's e-mail list for a file: "<address>|<name>|<file>".
  std::string GerarNomeParaLista(const std::string& arquivo) const;
};

// What an output is: its group key (also the group's description), e-mail data and own file name.
struct TDadosRelatorio {
  std::string Chave;
  TDadosEmail DadosEmail;
  std::string NomeArquivo;
};

struct TDadosGeraisSeqRel {
  TDateTime DataInicial, DataFinal, DataEmissao;
  std::string AnoMesInicial, AnoMesFinal;     // "YYYYMM"
  int AnoReferencia = 0, MesReferencia = 0;
  std::string PrimeiroDiaReferencia, UltimoDiaReferencia;   // "DD/MM/YYYY"
  int CodigoModelo = 0;
};

struct TDadosAdicionaisSeqRel {
  std::string NomeItem;
  std::string NomeRelatorio;
  std::string NomeBotaoClicado;
  std::string PopupVynReport;
  std::string DistincaoDeTipo;
  TDadosEmail DadosEmail;
  std::string NomeQuebraVynReport;
  TDadosGeraisSeqRel Geral;
};

struct TRelatorioIndividual {
  int PrimeiraPagina = 0;   // counted from 1 during the run, from 0 once it ended
  int UltimaPagina = 0;
  std::string Nome;
  TDadosRelatorio Dados;
  std::vector<std::string> CriaListaPaginas() const;
};

struct TRelatorioPDF {
  int Posicao = 0;          // index of the page before which its pages go
  std::string Arquivo;
  TDadosRelatorio Dados;
  // Inserts the file's pages into principal at Posicao; the number of pages inserted.
  int JuntarSeAoPrincipal(const std::string& principal) const;
};

// The outputs of a run: the pages a screen adds to the run's report and the PDFs it wrote itself.
class TDadosFinaisSeqRel {
 public:
  explicit TDadosFinaisSeqRel(std::vector<std::string>* paginas) : paginas_(paginas) {}
  // Appends pages to the run's report and records them as one output.
  void AddRelatorio(const std::vector<std::string>& paginas, std::string nome, TDadosRelatorio dados);
  // A PDF of the screen's own, placed after the pages collected so far.
  void AddPDF(std::string arquivo, TDadosRelatorio dados);
  // Once the run ended pages are counted from 0.
  void AjustaPaginasBaseZero();
  int PaginasDoRelatorio() const { return paginas_ ? static_cast<int>(paginas_->size()) : 0; }

  std::vector<TRelatorioIndividual> Relatorios;
  std::vector<TRelatorioPDF> PDFs;

 private:
  std::vector<std::string>* paginas_;
};

// The hooks a standard screen answers when a report sequence opens it (TForm_VYN::SequenciaTela).
class ISequenciaTela {
 public:
  virtual ~ISequenciaTela() = default;
  virtual TDadosAberturaTela getDadosSelecionarSequencia(unsigned opcoes) = 0;
  virtual void BeforeExportarSequencia(TDadosAdicionaisSeqRel& dados) {}
  // Runs the screen and adds its outputs.
  virtual void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) = 0;
  virtual void DepoisAbrirTelaParaConfigurarSequencia() {}
  // The standard screen's period and file edits (nullptr when it has none). The date edit counts
  // as a period only with a linked end-date edit.
  virtual TEdit_Date_Padrao_VYN* EditDataSequencia() { return nullptr; }
  virtual TEdit_Date_Padrao_VYN* EditDataFimSequencia() { return nullptr; }
  virtual TEdit_Date_Padrao_VYN* EditReferenciaSequencia() { return nullptr; }
  virtual TEdit_Diretorio_Padrao_VYN* EditArquivoSequencia() { return nullptr; }
  // The value saved for a control of this screen in the running sequence.
  std::function<std::string(const std::string& componentName)> OnGetValorConfiguradoTelaSequencia;
};

enum TTipoInconsistenciaSeq { tisNenhum, tisInformativo, tisAtencao, tisErro };

// A problem row written by a scheduled run.
struct TLinhaLogSequencia {
  int Agendamento = 0, Empresa = 0, Colaborador = 0, Plano = 0, OrdemAgendamento = 0, Ordem = 0;
  std::string Descricao;
};

// The host's WP_SEQUENCIARELATORIO.
class TEstadoSequenciaRelatorio {
 public:
  bool Executando = false;
  bool Configurando = false;
  bool ExportarIndividualmente = false;
  bool EnviarEmail = false;
  bool TemConfiguracao = false;           // the item being opened has saved values
  bool NaoMoverTela = false;              // keep opened screens where they are
  TInconsistencias_VYN* Inconsistencias = nullptr;
  TfrStatusProcesso* StatusProcesso = nullptr;
  TForm_VYN* Tela = nullptr;
  std::string PrefixoArquivo;             // folder prefix of output files
  std::string NomeSaida;                  // the output name
  std::string NomeSaidaTela;              // an output name a screen gives
  std::function<void(TForm_VYN*)> OnInicio, OnFim;
  int SistemaInicial = 0;
  std::function<void(TTipoInconsistenciaSeq, const std::string&)> OnInconsistencia;
  std::vector<TLinhaLogSequencia> Linhas;
  // TDadosAdicionaisSeqRel.Global and TDadosFinaisSeqRel.Global.
  TDadosAdicionaisSeqRel DadosGlobal;
  TDadosFinaisSeqRel* FinaisGlobal = nullptr;
  // Host values of scheduled runs; ExportarComo "1" exports each output separately.
  std::string ExportarComo;
  int WP_COL_TARVO = 0;
  bool WP_SALVAR_NA_CENTRAL_DA_FOLHA = false;
  // The protocol of sequence processes: the screen of the open run (nullptr: none).
  TForm_VYN* ProtocoloAberto = nullptr;
};

TEstadoSequenciaRelatorio& WP_SEQUENCIARELATORIO();
void setProtocoloSequenciaProcesso(TForm_VYN* tela, bool terminou);

}  // namespace vyn
