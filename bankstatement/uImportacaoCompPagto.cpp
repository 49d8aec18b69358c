// The receipt import screen and the reading of the receipts (the matching and the split are in
// uImportacaoCompPagto_Conciliacao.cpp).
#include "bankstatement/uImportacaoCompPagto.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "framework/accounting/config_imp_pdf_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/pdf_text.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/rich_edit.h"
#include "framework/ui/status_processo.h"
#include "framework/web/dyq_client.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {

constexpr const char* kTelaDYQ = "TFRFILTROIMPORTACAOEXTRATOBANCARIODYQ";
constexpr const char* kNenhumValido = "Nenhum arquivo válido selecionado para importar!";

bool EhPDF(const std::string& arquivo) {
  const std::string nome = LowerCase(arquivo);
  return nome.size() >= 4 && nome.compare(nome.size() - 4, 4, ".pdf") == 0;
}

std::string NomeArquivo(const std::string& arquivo) { return fs::path(arquivo).filename().string(); }

// A receipt's file in the review's folder: its id first (two receipts may share a name), then the
// name Dyq gave, kept to plain characters so that no peer text picks the folder.
std::string NomeComprovanteDYQ(int64_t id, const std::string& nome) {
  std::string limpo;
  for (char c : fs::path(nome).filename().string())
    limpo += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
  while (!limpo.empty() && limpo.front() == '.') limpo.erase(0, 1);
  std::string arquivo = std::to_string(id) + (limpo.empty() ? "" : "_" + limpo);
  if (!EhPDF(arquivo)) arquivo += ".pdf";
  return arquivo;
}

}  // namespace

bool ValorComprovante(const std::string& texto, Currency& valor) {
  const std::string t = Trim(texto);
  if (t.empty()) return false;
  try {
    // Receipts print amounts the Brazilian way only: a text without a decimal comma is no amount
    // (read as SQL, "1.050" would become 1.05).
    if (t.find(',') == std::string::npos && OnlyDigits(t) != t) return false;
    valor = Currency::ParseBR(t);
    return true;
  } catch (const ECurrencyError&) {
    return false;
  }
}

std::string TextoValorComprovante(Currency valor) { return ReplaceAll(valor.ToBR(2), ".", ""); }

std::string AvisoOriginalNegativo(const std::string& data, const std::string& valorPago, Currency original) {
  return "O comprovante do dia: " + data + " no valor de: R$ " + valorPago + " resulta em valor original negativo (" +
         TextoValorComprovante(original) + ") e não foi importado.";
}

TfrImportacaoCompPagto::TfrImportacaoCompPagto(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbBanco(Create<TLabel>()),
      edCODBANSIS(Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcBancosPDF))),
      spCODBANSIS(Create<TSpeedButton>()),
      pnCODBANSIS(Create<TPanel>()),
      lbArquivo(Create<TLabel>()),
      edArquivo(Create<TEdit_Diretorio_Padrao_VYN>()),
      rePDF(Create<TRxRichEdit_VYN>()) {
  SetCaption("Importação comprovantes de pagamento");
  lbBanco->SetName("lbBanco");
  lbBanco->SetCaption("Banco:");
  edCODBANSIS->SetName("edCODBANSIS");
  edCODBANSIS->SetMaxLength(4);
  edCODBANSIS->AceitaZero = false;
  edCODBANSIS->AceitaVazio = false;
  edCODBANSIS->CampoRetorno = "bdcodban";
  edCODBANSIS->PanelNome = pnCODBANSIS;
  spCODBANSIS->SetName("spCODBANSIS");
  spCODBANSIS->OnClick = [this](TComponent*) { edCODBANSIS->Search(); };
  pnCODBANSIS->SetName("pnCODBANSIS");
  lbArquivo->SetName("lbArquivo");
  lbArquivo->SetCaption("Comprovantes:");
  edArquivo->SetName("edArquivo");
  edArquivo->SetReadOnly(true);
  edArquivo->SetMaxLength(1000);
  edArquivo->Pasta = false;
  edArquivo->MultiSelecao = true;
  edArquivo->Filtro = "PDF files (*.pdf)|*.PDF";
  edArquivo->OnChange = [this](TComponent* s) { edArquivoChange(s); };
  rePDF->SetName("rePDF");
  rePDF->SetVisible(false);
  rePDF->SetReadOnly(true);
  // The company is the review's.
  edCODEMP->SetEnabled(false);
  spConsulta->SetVisible(false);
}

bool TfrImportacaoCompPagto::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoCompPagto") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

std::string TfrImportacaoCompPagto::PastaComprovantesDYQ() {
  return (fs::path(ProcessContext().ProgramFolder) / "TEMP" / "COMPROVANTES").string();
}

int TfrImportacaoCompPagto::CodEmp() const { return static_cast<int>(edCODEMP->Codigo()); }

void TfrImportacaoCompPagto::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  // The layouts are read once per screen, in a fixed order.
  FPreparacoesDAO = TSQLMGR::CreateMgr(this);
  FPreparacoesDAO->CommandText("select * FROM VZEL_TCONFIG_IMP_PDF order by BDCODCONFIG", ctOpen);
  FVZEL_TCONFIG_IMP_PDF = TVZEL_TCONFIG_IMP_PDFMGR::CreateMgr(this, false);
  FVZEL_TCONFIG_IMP_PDF->CommandText("Select * from VZEL_TCONFIG_IMP_PDF order by BDCODCONFIG", ctOpen);
}

void TfrImportacaoCompPagto::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  edArquivo->Clear();
  FDYQ = FindOwnerOfClass(kTelaDYQ) != nullptr;
  lbArquivo->SetVisible(!FDYQ);
  edArquivo->SetVisible(!FDYQ);
}

void TfrImportacaoCompPagto::FormClose(TCloseAction& action) {
  if (Inconsistencias_VYN()) Inconsistencias_VYN()->Clear();
  if (FLancamentos && FLancamentos->Active()) {
    FLancamentos->First();
    if (FControlesDesabilitados) FLancamentos->EnableControls();
    FControlesDesabilitados = false;
  }
  TfrProcesso_Empresa_Padrao_VYN::FormClose(action);
}

void TfrImportacaoCompPagto::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, picConta + 1, "Esta tela é aberta pela revisão do extrato bancário.");
  TfrProcesso_Empresa_Padrao_VYN::SetListaObj(lista);
  if (auto* empresa = lista.Get<TEdit_Codigo_Search_VYN>(picEmpresa)) {
    edCODEMP->Vale(empresa->Codigo());
    // The name panel and the found record follow the new code; a refused code is the review's.
    edCODEMP->Validate();
  }
  FLancamentos = lista.Get<TLancamentoMGR>(picLinhas);
  FProcessoBaixas = lista.GetObject<TProcessoBaixas>(picProcessoBaixas);
  if (FProcessoBaixas) FProcessoBaixas->SetDAOImport(FLancamentos);
  FOwner = lista.GetComponent(picRevisao);
  if (auto* conta = lista.Get<TEdit_Codigo_Search_VYN>(picConta)) FCodCta = static_cast<int>(conta->Codigo());
  if (FLancamentos) {
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDATA", "BDDEBITO", "BDCREDITO", "BDVALOR", "BDTEMCOMPROVANTE",
                          "BDCNPJ", "BDVALORPAGO", "BDVALORORIGINAL", "BDJUROS", "BDMULTAS", "BDDESCONTOS"})
      if (!FLancamentos->FindField(c))
        throw EListaObjError(std::string("As linhas do extrato não têm a coluna ") + c + ".");
  }
}

void TfrImportacaoCompPagto::edArquivoChange(TComponent*) {
  const std::vector<std::string> arquivos = edArquivo->Arquivos();
  if (arquivos.empty()) return;
  // Each file is judged on its own name, whatever the case of its extension.
  if (std::none_of(arquivos.begin(), arquivos.end(), EhPDF)) {
    DlgInfOk(kNenhumValido);
    if (edArquivo->CanFocus()) edArquivo->SetFocus();
    return;
  }
  const std::string texto = Join(arquivos, "; ");
  if (texto != edArquivo->Text()) edArquivo->SetText(texto);
}

int64_t TfrImportacaoCompPagto::ExtratoDYQ() const {
  if (!FLancamentos || !FLancamentos->Active() || !FLancamentos->FindField("BDIDEXTRATOWEB")) return 0;
  TClientDataSet linhas;
  linhas.CloneCursor(*FLancamentos, true);
  for (linhas.First(); !linhas.Eof(); linhas.Next())
    if (const int64_t id = linhas.FieldByName("BDIDEXTRATOWEB").AsInteger(); id > 0) return id;
  return 0;
}

void TfrImportacaoCompPagto::BaixaComprovantesDYQ(const std::string& pasta) {
  const int64_t extrato = ExtratoDYQ();
  if (extrato <= 0) return;
  const auto* revisao = dynamic_cast<const IRevisaoExtratoComprovantes*>(FOwner);
  const bool teste = revisao && revisao->AmbienteTesteDYQ();
  TRetornaMetodoDYQ cliente;
  std::vector<TRetornaMetodoDYQ::TComprovante> comprovantes;
  try {
    comprovantes = cliente.GetComprovantesExtrato(extrato, teste);
  } catch (const std::exception& e) {
    // Refused, dropped or timed out alike: the receipts already in the folder are still read, and the
    // user learns that Dyq's are missing.
    Inconsistencias_VYN()->Add_Atencao(CodEmp(), std::string("Comprovantes do ^DYQ não baixados: ") + e.what());
    return;
  }
  std::error_code ec;
  if (!comprovantes.empty()) fs::create_directories(pasta, ec);
  for (const auto& c : comprovantes) {
    // One receipt Dyq cannot serve (not a PDF, an error) is named; the others are still fetched.
    std::string pdf;
    try {
      pdf = cliente.GetComprovantePDF(extrato, c.Id, teste);
    } catch (const std::exception& e) {
      Inconsistencias_VYN()->Add_Atencao(CodEmp(), "O comprovante '" + c.Nome + "' do ^DYQ não foi baixado: " +
                                                       e.what());
      continue;
    }
    const fs::path alvo = fs::path(pasta) / NomeComprovanteDYQ(c.Id, c.Nome);
    std::ofstream f(alvo, std::ios::binary | std::ios::trunc);
    f.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
    f.close();
    if (!f)
      Inconsistencias_VYN()->Add_Atencao(CodEmp(), "O comprovante '" + c.Nome + "' do ^DYQ não pôde ser gravado em " +
                                                       alvo.string() + ".");
  }
}

std::vector<std::string> TfrImportacaoCompPagto::ArquivosDoProcesso() {
  std::vector<std::string> out;
  if (!FDYQ) return edArquivo->Arquivos();
  std::error_code ec;
  // Each review keeps its own receipts; an opener that is no review has the common folder.
  const auto* revisao = dynamic_cast<const IRevisaoExtratoComprovantes*>(FOwner);
  const fs::path pasta = revisao ? revisao->PastaComprovantes() : PastaComprovantesDYQ();
  // A killed review could not remove its receipts: the next one that downloads does.
  if (revisao) TAcessoExclusivo::RemoveOrfaos(PastaComprovantesDYQ());
  BaixaComprovantesDYQ(pasta.string());
  if (!fs::is_directory(pasta, ec)) return out;
  for (const auto& e : fs::directory_iterator(pasta, ec))
    if (e.is_regular_file(ec)) out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

void TfrImportacaoCompPagto::SelectProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::SelectProcesso();
  TInconsistencias_VYN& lista = *Inconsistencias_VYN();
  // Whatever ends the run, the list is shown, the window closed and the receipts let go.
  struct TFim {
    TfrImportacaoCompPagto& tela;
    ~TFim() {
      try {
        if (tela.Inconsistencias_VYN()->CountAtencao() > 0) tela.Inconsistencias_VYN()->Execute();
      } catch (...) {
        // the run's own error is the one to report
      }
      if (tela.FStatus) {
        tela.FStatus->Finalize();
        tela.FreeComponent(tela.FStatus);
        tela.FStatus = nullptr;
      }
      tela.FDados.clear();
    }
  } fim{*this};

  lista.Clear();
  FRealizouProcesso = false;
  FComprovantesAplicados = 0;
  FDados.clear();
  // The bank chooses the layouts: without a known one no receipt could be recognised.
  if (!edCODBANSIS->Validate()) {
    DlgWarOk(edCODBANSIS->Mensagem());
    if (edCODBANSIS->CanFocus()) edCODBANSIS->SetFocus();
    return;
  }
  FStatus = TfrStatusProcesso::createStatusProcess(this, 4);
  FStatus->setPrimaryStatusLabel("Lendo o arquivo selecionado...");

  FPreparacoesDAO->SetFiltered(false);
  FPreparacoesDAO->SetFilter("BDCODBAN = " + std::to_string(edCODBANSIS->Codigo()));
  FPreparacoesDAO->SetFiltered(true);

  const std::vector<std::string> arquivos = ArquivosDoProcesso();
  rePDF->Clear();
  if (arquivos.empty()) {
    DlgInfOk("Nenhum arquivo selecionado para importar, processo não realizado!");
    return;
  }
  FStatus->setPrimaryMaxProgress(static_cast<int>(arquivos.size()));
  for (const std::string& arquivo : arquivos) {
    LeArquivo(arquivo);
    FStatus->Step(0);
  }
  FStatus->Finalize();

  pProcessaComprovantes();

  if (!FRealizouProcesso) DlgInfOk(kNenhumValido);
}

void TfrImportacaoCompPagto::LeArquivo(const std::string& arquivo) {
  const int empresa = CodEmp();
  if (!EhPDF(arquivo)) {
    Inconsistencias_VYN()->Add_Atencao(empresa, "O arquivo '" + NomeArquivo(arquivo) +
                                                    "' não é um arquivo PDF e não foi lido.");
    return;
  }
  const int paginas = PDFPageCount(arquivo);
  FStatus->setSecondaryMaxProgress(paginas > 0 ? paginas : 0);
  FStatus->setSecondaryStatusProgress(0);
  FStatus->setSecondaryStatusLabel("Arquivo '" + NomeArquivo(arquivo) + "'.");
  if (paginas <= 0) {
    // A receipt the bank protected with a password is sound: the user can open it and send it again.
    Inconsistencias_VYN()->Add_Atencao(empresa, "O arquivo '" + NomeArquivo(arquivo) +
                                                    (PDFProtegidoPorSenha(arquivo)
                                                         ? "' é protegido por senha e não pôde ser lido."
                                                         : "' não pôde ser lido como PDF."));
    return;
  }
  for (int p = 1; p <= paginas; ++p) {
    const std::string texto = PDFTextGet(arquivo, p);
    // Any page with text makes the run count, not only the last one read.
    if (!Trim(texto).empty()) FRealizouProcesso = true;
    pCarregaArquivoPDF(texto);
    FStatus->Step(1);
  }
}

void TfrImportacaoCompPagto::pCarregaArquivoPDF(const std::string& texto) {
  const std::string pagina = UpperCase(texto);
  rePDF->SetText(pagina);
  TSQLMGR& layouts = *FPreparacoesDAO;
  for (layouts.First(); !layouts.Eof(); layouts.Next()) {
    // The title as stored: a layout whose title has lower-case letters never matches the page.
    const std::string titulo = layouts.FieldByName("BDTITULOPDF").AsString();
    if (titulo.empty() || pagina.find(titulo) == std::string::npos) continue;
    const bool outroNaPagina = pagina.find(titulo, pagina.find(titulo) + titulo.size()) != std::string::npos;
    const int linha = layouts.FieldByName("BDMESMALINHA").AsBoolean() ? 0 : 1;
    TDadosComprovantes d;
    auto busca = [&](const char* coluna, TTypeEdits tipo, std::string& campo) {
      TVZEL_TCONFIG_IMP_PDFMGR::FindInPDF(layouts.FieldByName(coluna).AsString(), pagina, linha, tipo, campo, false,
                                          rePDF, false);
    };
    busca("BDTITULOPDF", teTitulo, d.CPFCNPJ);
    busca("BDCPFCNPJBENEF", teCPFCNPJ, d.CPFCNPJ);
    busca("BDDATAVENC", teData, d.DataVencimento);
    busca("BDDATAPAGTO", teData, d.DataPgto);
    busca("BDVALORORIGINAL", teValor, d.ValorOriginal);
    busca("BDVALORPAGO", teValorPago, d.ValorPago);
    busca("BDDESCONTO", teValor, d.Descontos);
    busca("BDJUROS", teValor, d.Juros);
    busca("BDMULTAS", teValor, d.Multas);

    bool negativo = false;
    Currency pago, original;
    if (layouts.FieldByName("BDSEMVALORORIGINAL").AsBoolean() && ValorComprovante(d.ValorPago, pago)) {
      original = pago;
      Currency v;
      if (ValorComprovante(d.Juros, v)) original -= v;
      if (ValorComprovante(d.Multas, v)) original -= v;
      if (ValorComprovante(d.Descontos, v)) original += v;
      // The sign is kept: a negative original value means the receipt was misread.
      d.ValorOriginal = TextoValorComprovante(original);
      negativo = original < Currency();
    }
    if (Trim(d.DataPgto).empty() && !Trim(d.DataVencimento).empty()) d.DataPgto = d.DataVencimento;
    if (Trim(d.ValorPago).empty() && !Trim(d.ValorOriginal).empty()) d.ValorPago = d.ValorOriginal;
    if (negativo) {
      Inconsistencias_VYN()->Add_Atencao(CodEmp(), AvisoOriginalNegativo(d.DataPgto, d.ValorPago, original));
      continue;
    }
    // Only the page's first receipt of a layout is read: the others must not vanish unseen.
    if (outroNaPagina)
      Inconsistencias_VYN()->Add_Atencao(CodEmp(), "A página do comprovante do dia: " + d.DataPgto +
                                                       " no valor de: R$ " + d.ValorPago +
                                                       " tem outro comprovante, que não foi importado.");
    if (!Trim(d.DataPgto).empty() || !Trim(d.ValorPago).empty()) FDados.push_back(std::move(d));
  }
}

void TfrImportacaoCompPagto::ChamaProcesso() {
  if (FRealizouProcesso) TfrProcesso_Empresa_Padrao_VYN::ChamaProcesso();
}

void TfrImportacaoCompPagto::FimProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::FimProcesso();
  if (!FRealizouProcesso) return;
  if (FComprovantesAplicados == 0) {
    DlgInfOk("Nenhum comprovante foi localizado no extrato: nada foi alterado.");
    return;
  }
  DlgInfOk("Processo realizado com sucesso!");
  if (Inconsistencias_VYN()->IsEmpty()) Close();
}

}  // namespace integracao
