#include "framework/ui/relatorio_padrao.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <fmt/format.h>

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/component/resultado_execucao.h"
#include "framework/core/lite_pdf.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/control.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/log_event.h"
#include "framework/web/correio.h"

namespace vyn {

namespace fs = std::filesystem;

void TRelatorioFR::Export(TPrintType tipo, const std::string& arquivo, const std::vector<std::string>* paginas) const {
  std::vector<std::string> saida;
  if (paginas) {
    for (const auto& p : *paginas) {
      size_t i = static_cast<size_t>(std::stoul(p));
      if (i < Paginas.size()) saida.push_back(Paginas[i]);
    }
  } else {
    saida = Paginas;
  }
  if (!fs::path(arquivo).parent_path().empty()) fs::create_directories(fs::path(arquivo).parent_path());
  if (tipo == ptPDF || tipo == ptEML || tipo == ptVynReport) {
    TLitePDF::WritePages(arquivo, saida);
    return;
  }
  std::ofstream f(arquivo, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("Não foi possível gravar o arquivo " + arquivo);
  for (const auto& p : saida) f << p << "\r\n";
}

TfrRelatorio_Padrao_VYN::TfrRelatorio_Padrao_VYN(TComponent* owner) : TForm_VYN(owner) {
  auto botao = [&](const char* nome) {
    auto* b = Create<TSpeedButton>();
    b->SetName(nome);
    b->OnClick = [this](TComponent* s) { spPreviaImpressaoClick(s); };
    return b;
  };
  spPrevia = botao("spPrevia");
  spImprimir = botao("spImprimir");
  spEmail = botao("spEmail");
  spVynReport = botao("spVynReport");
  spExportaPDF = botao("spExportaPDF");
  spExportaPDFCol = botao("spExportaPDFCol");
  spExportaHTML = botao("spExportaHTML");
  spExportaCSV = botao("spExportaCSV");
  spExportaCSVSemQuebraPag = botao("spExportaCSVSemQuebraPag");
  spExportaTXT = botao("spExportaTXT");
  spExportaRTF = botao("spExportaRTF");
  spExportaWord = botao("spExportaWord");
  spExportaWordDOCX = botao("spExportaWordDOCX");
  spExportaExcelXLSX = botao("spExportaExcelXLSX");
  spExportaExcelXLSXSemQuebraPag = botao("spExportaExcelXLSXSemQuebraPag");
  spExportaODS = botao("spExportaODS");
  spExportaPDFCol->SetVisible(false);
  pmVynReport = Create<TMenuItem>();
  pmVynReport->SetName("pmVynReport");
  for (const char* c : {"&Empresa", "&Individual"}) {
    auto* i = pmVynReport->Add(std::string("pmVynReport") + (c + 1), c);
    i->RadioItem = true;
    i->AutoCheck = true;
  }
  pmVynReport->Items()[0]->Checked = true;
  pmEmail = Create<TMenuItem>();
  pmEmail->SetName("pmEmail");
  for (const char* c : {"&Empresa", "&Individual"}) {
    auto* i = pmEmail->Add(std::string("pmEmail") + (c + 1), c);
    i->RadioItem = true;
    i->AutoCheck = true;
  }
  pmEmail->Items()[0]->Checked = true;
  FLogEventBase = Create<TLogEvent>(logProcesso);
}

bool TfrRelatorio_Padrao_VYN::InheritsFrom(const std::string& class_name) const {
  return UpperCase(class_name) == "TFRRELATORIO_PADRAO_VYN" || TForm_VYN::InheritsFrom(class_name);
}

void TfrRelatorio_Padrao_VYN::FormCreate() {
  TForm_VYN::FormCreate();
  AfterAddButtons();
  CarregaQuebrasRelatorio();
  VerificaVynReport();
  setButtonsState();
}

std::string TfrRelatorio_Padrao_VYN::PrintTypeToExtensaoArquivo(TPrintType tipo) {
  static const std::map<int, const char*> ext = {
      {ptPDF, ".pdf"}, {ptXLS, ".xls"},   {ptDOC, ".doc"},   {ptTXT, ".txt"},  {ptHTML, ".html"},
      {ptEML, ".pdf"}, {ptCSV, ".csv"},   {ptXLSX, ".xlsx"}, {ptDOCX, ".docx"}, {ptODS, ".ods"},
      {ptVynReport, ".pdf"}, {ptExportXLS, ".xls"}, {ptExportCSV, ".csv"}, {ptRTF, ".rtf"}};
  auto it = ext.find(tipo);
  return it == ext.end() ? "" : it->second;
}

void TfrRelatorio_Padrao_VYN::ResetPrintType(TComponent* sender) {
  const std::map<TComponent*, TPrintType> tipos = {
      {spPrevia, ptVideo},      {spImprimir, ptImpressora},  {spEmail, ptEML},   {spVynReport, ptVynReport},
      {spExportaPDF, ptPDF},    {spExportaPDFCol, ptPDF},    {spExportaHTML, ptHTML}, {spExportaCSV, ptCSV},
      {spExportaCSVSemQuebraPag, ptExportCSV}, {spExportaTXT, ptTXT}, {spExportaRTF, ptRTF},
      {spExportaWord, ptDOC},   {spExportaWordDOCX, ptDOCX}, {spExportaExcelXLSX, ptXLSX},
      {spExportaExcelXLSXSemQuebraPag, ptExportXLS}, {spExportaODS, ptODS}};
  auto it = tipos.find(sender);
  FPrintType = it == tipos.end() ? ptVideo : it->second;
  FClicouPDFCol = sender == spExportaPDFCol;
  if (sender == spEmail) FClicouEmailCol = pmEmail->Items().size() > 1 && pmEmail->Items()[1]->Checked;
  if (sender == spVynReport) {
    for (auto* i : pmVynReport->Items())
      if (i->Checked) FCaptionMenuVynReport = i->Caption();
  }
}

void TfrRelatorio_Padrao_VYN::ExecutaBotaoRelatorio(TComponent* sender) {
  ResetPrintType(sender);
  FReport.Paginas.clear();
  CustomPrepareReport(sender, FReport);
  switch (FPrintType) {
    case ptNenhum: return;
    case ptVideo: FPaginasVisualizadas = static_cast<int>(FReport.Paginas.size()); return;
    case ptImpressora: FPaginasImpressas = static_cast<int>(FReport.Paginas.size()); return;
    default: Exportar(FReport, FReport.FileName, nullptr);
  }
}

void TfrRelatorio_Padrao_VYN::Exportar(TRelatorioFR& report, const std::string& arquivo,
                                       const std::vector<std::string>* paginas) {
  if (FPrintType == ptEML && arquivo.empty()) {
    EnviaEmails();
    return;
  }
  if (arquivo.empty()) return;
  report.Export(FPrintType, arquivo, paginas);
  if (FPrintType == ptPDF && FFiltroPDF.AbrirAposExportar) AbrirArquivo(arquivo);
}

namespace {

std::string DescricaoEmail(const TEmailEnviado& e) {
  return "\"" + e.Assunto + "\" para " + (e.Destinatario.empty() ? std::string("(sem endereço)") : e.Destinatario);
}

// Which messages went and which did not, in one text: the run's message, and its failure when any
// did not go.
std::string RelatoEmails(const std::vector<TEmailEnviado>& emails, int& naoForam) {
  std::vector<std::string> foram, antes, caixa, falhas;
  for (const TEmailEnviado& e : emails) {
    switch (e.Destino) {
      case TDestinoEmail::Enviada: foram.push_back(DescricaoEmail(e)); break;
      case TDestinoEmail::JaEnviada: antes.push_back(DescricaoEmail(e)); break;
      case TDestinoEmail::NaCaixaDeSaida: caixa.push_back(DescricaoEmail(e)); break;
      case TDestinoEmail::Recusada: falhas.push_back(e.Motivo); break;
      case TDestinoEmail::NaoTentada:
        falhas.push_back("A mensagem " + DescricaoEmail(e) + " não foi tentada: " + e.Motivo);
        break;
    }
  }
  naoForam = static_cast<int>(falhas.size());
  std::string t;
  if (!falhas.empty())
    t = fmt::format("{} de {} mensagens de e-mail não foram enviadas e ficaram na caixa de saída: {} ", falhas.size(),
                    emails.size(), Join(falhas, " "));
  if (!foram.empty()) t += "Enviadas: " + Join(foram, "; ") + ". ";
  else if (!falhas.empty()) t += "Nenhuma mensagem foi enviada. ";
  if (!antes.empty()) t += "Já enviadas antes, não enviadas de novo: " + Join(antes, "; ") + ". ";
  if (!caixa.empty()) t += "Gravadas na caixa de saída para o programa de e-mail: " + Join(caixa, "; ") + ". ";
  return TrimRight(t);
}

}  // namespace

// One entry of the list ("<address>|<name>|<file>") as a message of its own to that address, its
// subject the file's name and its body the screen's text for it.
TEmailEnviado TfrRelatorio_Padrao_VYN::EnviaEmailDaLista(const std::string& entrada, const TConfiguracaoSMTP& smtp,
                                                         const std::string& saida) {
  const size_t a = entrada.find('|'), b = entrada.find('|', a == std::string::npos ? 0 : a + 1);
  TMensagemEmail m;
  if (b != std::string::npos) {
    m.Destinatario = Trim(entrada.substr(0, a));
    m.NomeDestinatario = entrada.substr(a + 1, b - a - 1);
  }
  const std::string anexo = entrada.substr(entrada.rfind('|') + 1);
  m.Assunto = fs::path(anexo).stem().string();
  const std::string nome = m.NomeDestinatario.empty() ? "usuário" : m.NomeDestinatario;
  m.Corpo = ReplaceAll(getDescricaoExportEmail(m.Assunto), "<NOME_DESTINATARIO>", nome);
  m.Anexos = {anexo};
  TEmailEnviado r{entrada, m.Destinatario, m.Assunto, "", TDestinoEmail::Recusada, ""};
  const TEmailGravado g = EnviaEmail(smtp, saida, m.Assunto, m);
  r.Arquivo = g.Arquivo;
  r.Destino = g.Situacao == TSituacaoEmail::Enviada     ? TDestinoEmail::Enviada
              : g.Situacao == TSituacaoEmail::JaEnviada ? TDestinoEmail::JaEnviada
                                                        : TDestinoEmail::NaCaixaDeSaida;
  return r;
}

// Each entry of the list becomes a message, kept in <program folder>/email/saida and sent through the
// module's e-mail setting; the list is emptied as the messages go. A message refused goes on to the
// next; once the server itself failed, the rest are not tried. Each one's fate is kept
// (EmailsEnviados) and told: when one did not go, as the failure that ends the run.
void TfrRelatorio_Padrao_VYN::EnviaEmails() {
  const fs::path saida = fs::path(ProcessContext().ProgramFolder) / "email" / "saida";
  TDatabase* db = ProcessContext().Database;
  const TConfiguracaoSMTP smtp = db ? ConfiguracaoSMTPDoModulo(*db, FSistema) : TConfiguracaoSMTP();
  FEmailsEnviados.clear();
  auto naoTentadas = [&](const std::string& motivo) {
    for (const std::string& entrada : FListaArquivosEmail) {
      const size_t a = entrada.find('|');
      FEmailsEnviados.push_back({entrada, a == std::string::npos ? "" : Trim(entrada.substr(0, a)),
                                 fs::path(entrada.substr(entrada.rfind('|') + 1)).stem().string(), "",
                                 TDestinoEmail::NaoTentada, motivo});
    }
    FListaArquivosEmail.clear();
  };
  int naoForam = 0;
  while (!FListaArquivosEmail.empty()) {
    const std::string entrada = FListaArquivosEmail.front();
    FListaArquivosEmail.erase(FListaArquivosEmail.begin());
    try {
      FEmailsEnviados.push_back(EnviaEmailDaLista(entrada, smtp, saida.string()));
    } catch (const ECorreio& e) {
      FEmailsEnviados.push_back({entrada, Trim(entrada.substr(0, entrada.find('|'))),
                                 fs::path(entrada.substr(entrada.rfind('|') + 1)).stem().string(), "",
                                 TDestinoEmail::Recusada, e.what()});
      if (e.DoServidor()) naoTentadas("o servidor de e-mail falhou na mensagem anterior.");
    } catch (const EInterrupcao& e) {
      FListaArquivosEmail.insert(FListaArquivosEmail.begin(), entrada);
      naoTentadas(e.Mensagem());
      RegistraMensagemExecucao(RelatoEmails(FEmailsEnviados, naoForam));
      throw;
    }
  }
  const std::string relato = RelatoEmails(FEmailsEnviados, naoForam);
  if (naoForam > 0) throw ECorreio(relato);
  RegistraMensagemExecucao(relato);
}

TEdit_Codigo_Search_VYN* TfrRelatorio_Padrao_VYN::EditCodEmp() const {
  std::function<TComponent*(const TComponent*)> procura = [&](const TComponent* raiz) -> TComponent* {
    for (TComponent* c : raiz->Components()) {
      if (SameText(c->Name(), "edCODEMP")) return c;
      if (TComponent* achou = procura(c)) return achou;
    }
    return nullptr;
  };
  return dynamic_cast<TEdit_Codigo_Search_VYN*>(procura(this));
}

void TfrRelatorio_Padrao_VYN::SetExportacaoPDFColaborador(bool on) { spExportaPDFCol->SetVisible(on); }
void TfrRelatorio_Padrao_VYN::SetExportacaoEmailColaborador(bool on) {
  for (auto* i : pmEmail->Items()) i->SetVisible(on || i == pmEmail->Items()[0]);
}

}  // namespace vyn
