#pragma once
// The report screen base (TfrRelatorio_Padrao_VYN): a toolbar whose buttons prepare the screen's
// report and send it to the preview, the printer, a file of a kind, e-mail or web publication. The
// report engine is a stand-in: a prepared report is a list of text pages; PDF exports are real PDFs.
#include <string>
#include <vector>

#include "framework/ui/form.h"

namespace vyn {

class TSpeedButton;
class TMenuItem;
class TClientDataSet;
class TEdit_Codigo_Search_VYN;
class TLogEvent;
struct TConfiguracaoSMTP;

enum TPrintType : int {
  ptVideo = 0, ptImpressora = 1, ptPDF = 2, ptXLS = 3, ptDOC = 4, ptTXT = 5, ptHTML = 6, ptEML = 7, ptCSV = 8,
  ptXLSX = 9, ptDOCX = 10, ptODS = 11, ptVynReport = 12, ptExportXLS = 13, ptExportCSV = 14, ptNenhum = 15, ptRTF = 16
};

// The prepared report.
struct TRelatorioFR {
  std::vector<std::string> Paginas;
  std::string FileName;
  // Writes the pages (all, or those of the 0-based indexes given as text) in the kind's format.
  void Export(TPrintType tipo, const std::string& arquivo, const std::vector<std::string>* paginas = nullptr) const;
};

struct TFiltroPDF {
  bool AbrirAposExportar = false;
  std::string FileName;
};

// What became of a message of the e-mail list.
enum class TDestinoEmail {
  Enviada,          // the server took it
  JaEnviada,        // the same message had gone before and was not sent again
  NaCaixaDeSaida,   // no server named: left for the office's mail program
  Recusada,         // refused (its address, or the server's answer in Motivo); not sent
  NaoTentada,       // not tried: the server failed on an earlier message, or the run was stopped
};

struct TEmailEnviado {
  std::string Entrada;        // the list's "<address>|<name>|<file>"
  std::string Destinatario;
  std::string Assunto;
  std::string Arquivo;        // the message's .eml; empty when none was written
  TDestinoEmail Destino = TDestinoEmail::NaoTentada;
  std::string Motivo;         // why it did not go
};

class TfrRelatorio_Padrao_VYN : public TForm_VYN {
 public:
  explicit TfrRelatorio_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrRelatorio_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TSpeedButton *spPrevia, *spImprimir, *spEmail, *spVynReport;
  TSpeedButton *spExportaPDF, *spExportaPDFCol, *spExportaHTML, *spExportaCSV, *spExportaCSVSemQuebraPag,
      *spExportaTXT, *spExportaRTF, *spExportaWord, *spExportaWordDOCX, *spExportaExcelXLSX,
      *spExportaExcelXLSXSemQuebraPag, *spExportaODS;
  TMenuItem* pmVynReport;     // web-publication grouping
  TMenuItem* pmEmail;         // e-mail grouping
  TLogEvent* FLogEventBase;

  // Handler of every output button.
  virtual void spPreviaImpressaoClick(TComponent* sender) { ExecutaBotaoRelatorio(sender); }
  TPrintType PrintType() const { return FPrintType; }
  TRelatorioFR& Report() { return FReport; }
  TFiltroPDF& FiltroPDF() { return FFiltroPDF; }
  std::vector<std::string>& ListaArquivosEmail() { return FListaArquivosEmail; }
  // The messages of the last sending, each with its fate.
  const std::vector<TEmailEnviado>& EmailsEnviados() const { return FEmailsEnviados; }
  const std::vector<std::string>& ArquivosAbertos() const { return FArquivosAbertos; }
  int PaginasVisualizadas() const { return FPaginasVisualizadas; }
  int PaginasImpressas() const { return FPaginasImpressas; }
  int Sistema() const { return FSistema; }
  virtual void SetSistema(int sistema) { FSistema = sistema; }
  const std::vector<std::string>& QuebrasRelatorio() const { return FFuncionVynReport; }
  // The data the report prints (its data link); nullptr when the screen has none.
  TClientDataSet* frxDBDados = nullptr;
  // Exports the prepared report, in the format of the last button, to arquivo.
  void ExecutaExportar(const std::string& arquivo) { Exportar(FReport, arquivo, nullptr); }
  // The screen's company edit (edCODEMP); nullptr when it has none.
  TEdit_Codigo_Search_VYN* EditCodEmp() const;

  static std::string PrintTypeToExtensaoArquivo(TPrintType tipo);

 protected:
  void FormCreate() override;
  virtual void AfterAddButtons() {}
  virtual void setButtonsState() {}
  virtual void VerificaVynReport() {}
  virtual bool canfr3Load(const std::string&) { return true; }
  virtual std::string getDescricaoExportEmail(const std::string& descricao) { return descricao; }
  virtual bool DeveGravarLog() { return true; }
  virtual bool UtilizaControlMemoryGeracao() { return false; }
  virtual void CustomPrepareReport(TComponent* sender, TRelatorioFR& report) {}
  virtual void CarregaQuebrasRelatorio() { FFuncionVynReport.clear(); }

  // The base's own button handler: prepares the report (CustomPrepareReport) and sends it out by
  // FPrintType unless a descendant set ptNenhum.
  void ExecutaBotaoRelatorio(TComponent* sender);
  void ResetPrintType(TComponent* sender);
  void setExportFileName(const std::string& nome) { FReport.FileName = nome; }
  // Exports in the format of FPrintType; an empty name with ptEML sends the e-mail list.
  void Exportar(TRelatorioFR& report, const std::string& arquivo, const std::vector<std::string>* paginas);
  void AbrirArquivo(const std::string& arquivo) { FArquivosAbertos.push_back(arquivo); }
  void SetExportacaoPDFColaborador(bool on);
  void SetExportacaoEmailColaborador(bool on);

  TPrintType FPrintType = ptVideo;
  TRelatorioFR FReport;
  TFiltroPDF FFiltroPDF;
  std::vector<std::string> FListaArquivosEmail;
  std::vector<std::string> FFuncionVynReport;
  std::string FCaptionMenuVynReport;
  bool FClicouEmailCol = false;
  bool FClicouPDFCol = false;

 private:
  void EnviaEmails();
  TEmailEnviado EnviaEmailDaLista(const std::string& entrada, const TConfiguracaoSMTP& smtp,
                                  const std::string& saida);
  std::vector<TEmailEnviado> FEmailsEnviados;
  std::vector<std::string> FArquivosAbertos;
  int FPaginasVisualizadas = 0;
  int FPaginasImpressas = 0;
  int FSistema = 0;
};

}  // namespace vyn
