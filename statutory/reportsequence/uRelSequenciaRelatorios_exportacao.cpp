// Export of a sequence's outputs: one file, one file per group of the strategy's break, or each output
// apart; PDF outputs of process screens are joined into the exported PDF where they belong.
#include <filesystem>
#include <set>
#include <map>

#include "framework/component/process_context.h"
#include "framework/core/lite_pdf.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/seqrel_mgr.h"
#include "framework/ui/inconsistencias.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {
std::string SemExtensao(const std::string& f) {
  fs::path p(f);
  return (p.parent_path() / p.stem()).string();
}
std::string PastaDeTrabalho() {
  fs::path p = fs::path(ProcessContext().ProgramFolder) / "TEMP" / "SEQUENCIA" /
               TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  fs::create_directories(p);
  return p.string() + "/";
}
// A file in the folder of `base` named by the rest of base's name and `resto`: names of companies,
// screens and models may hold characters no file name takes ("Comércio S/A").
std::string NoArquivo(const std::string& base, const std::string& resto) {
  const fs::path p(base);
  return (p.parent_path() / fEliminaCaracteresEspeciais(p.filename().string() + resto)).string();
}
struct RemovePasta {
  std::string pasta;
  ~RemovePasta() {
    std::error_code ec;
    fs::remove_all(pasta, ec);
  }
};
}  // namespace

std::vector<TRelatorioAgrupado> TfrRelSequenciaRelatorios::AgruparPorTipo() const {
  std::vector<TRelatorioAgrupado> out;
  std::map<std::string, size_t> porChave;
  auto grupo = [&](const TDadosRelatorio& d) -> TRelatorioAgrupado& {
    auto it = porChave.find(d.Chave);
    if (it != porChave.end()) return out[it->second];
    porChave[d.Chave] = out.size();
    out.push_back({{}, {}, d});
    return out.back();
  };
  for (const auto& r : FDadosFinais->Relatorios) {
    auto paginas = r.CriaListaPaginas();
    auto& g = grupo(r.Dados);
    g.Paginas.insert(g.Paginas.end(), paginas.begin(), paginas.end());
  }
  for (auto pdf : FDadosFinais->PDFs) {
    auto& g = grupo(pdf.Dados);
    auto it = std::find(g.Paginas.begin(), g.Paginas.end(), std::to_string(pdf.Posicao));
    pdf.Posicao = static_cast<int>(it - g.Paginas.begin());
    g.PDFs.push_back(pdf);
  }
  return out;
}

std::string TfrRelSequenciaRelatorios::formatPathSequenciaRel(const std::string& nome, const std::string& extensao) const {
  std::string n = nome;
  while (n.find("  ") != std::string::npos) n = ReplaceAll(n, "  ", " ");
  return TrimRight(n) + extensao;
}

void TfrRelSequenciaRelatorios::AddArquivoBancoSequenciaRelatorio(const std::string& arquivo, const std::string& descricao) {
  auto& ctx = ProcessContext();
  if (!ctx.Database) return;
  ctx.Database->Execute("INSERT INTO TSEQREL_ARQUIVOS (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO, "
                        "BDARQUIVO, BDDESCRICAO) VALUES (?, ?, ?, ?, ?, ?)",
                        {Variant(ctx.WP_AGENDAMENTO), Variant(ctx.WP_EMPRESA_PROCESSO), Variant(ctx.WP_PLANO_TARVO),
                         Variant(ctx.WP_ORDEM_AGENDAMENTO), Variant(arquivo), Variant(descricao.substr(0, 200))});
}

void TfrRelSequenciaRelatorios::RealizarExportacao(TPrintType tipo) {
  FQuantidadeVYNReport = 0;
  const bool abrirDepois = tipo == ptPDF && FFiltroPDF.AbrirAposExportar;
  const std::string ext = PrintTypeToExtensaoArquivo(tipo);
  const std::string nomeSaida = WP_SEQUENCIARELATORIO().NomeSaida;
  bool exportou = false;
  if (FAgruparRelatorios == tarPorTipo) {
    for (const auto& g : AgruparPorTipo()) {
      const std::string nome = formatPathSequenciaRel(NoArquivo(SemExtensao(FFileNameOriginal), g.Dados.Chave + nomeSaida), ext);
      FFiltroPDF.AbrirAposExportar = false;
      Exportar(nome, g.Dados, g.PDFs.empty() ? nullptr : &g.PDFs, &g.Paginas);
      FFiltroPDF.AbrirAposExportar = abrirDepois;
      if (abrirDepois) AbrirArquivo(nome);
      if (IsUnattended()) AddArquivoBancoSequenciaRelatorio(nome, g.Dados.Chave);
    }
    exportou = true;
  } else if (FAgruparRelatorios == tarIndividual) {
    const std::string codigo = std::to_string(FSEQRELMGR->GetSEQUENCIA());
    // Outputs may share their entity's description and their item (two employees of one company): each
    // still gets a file of its own, never one written over another.
    std::set<std::string> usados;
    auto unico = [&usados](const std::string& base, const std::string& extensao) {
      std::string nome = base + extensao;
      for (int n = 2; !usados.insert(nome).second; ++n) nome = base + " (" + std::to_string(n) + ")" + extensao;
      return nome;
    };
    for (const auto& r : FDadosFinais->Relatorios) {
      const std::string nome =
          unico(NoArquivo(FCaminhoExportacao, r.Dados.Chave + " - " + r.Nome + " Sequência " + codigo), ext);
      auto paginas = r.CriaListaPaginas();
      Exportar(nome, r.Dados, nullptr, &paginas);
    }
    // Each PDF output keeps its own name in the run's folder (or its own mail or publication).
    for (const auto& pdf : FDadosFinais->PDFs) {
      const std::string nome = unico(
          NoArquivo(FCaminhoExportacao, pdf.Dados.Chave + " - " + fs::path(pdf.Arquivo).stem().string() + " Sequência " + codigo),
          ".pdf");
      std::vector<TRelatorioPDF> um{pdf};
      um.front().Posicao = 0;
      const std::vector<std::string> nenhuma;
      const TPrintType salvo = FPrintType;
      if (FPrintType != ptEML && FPrintType != ptVynReport) FPrintType = ptPDF;
      Exportar(nome, pdf.Dados, &um, &nenhuma);
      FPrintType = salvo;
      std::error_code ec;
      fs::remove(pdf.Arquivo, ec);
    }
    exportou = true;
  } else {
    const bool comPDF = !FDadosFinais->PDFs.empty();
    FFiltroPDF.AbrirAposExportar = false;
    const std::string nome = NoArquivo(SemExtensao(FFileNameOriginal), nomeSaida + ext);
    const std::vector<std::string>* todas = nullptr;
    std::vector<std::string> paginas;
    for (size_t i = 0; i < FReport.Paginas.size(); ++i) paginas.push_back(std::to_string(i));
    todas = &paginas;
    // By e-mail the run held one entity (UmUnicoDestinatario): the file goes to it.
    TDadosRelatorio dados;
    if (!FDadosFinais->Relatorios.empty()) dados.DadosEmail = FDadosFinais->Relatorios.front().Dados.DadosEmail;
    else if (comPDF) dados.DadosEmail = FDadosFinais->PDFs.front().Dados.DadosEmail;
    Exportar(nome, dados, comPDF ? &FDadosFinais->PDFs : nullptr, todas);
    FFiltroPDF.AbrirAposExportar = abrirDepois;
    if (abrirDepois) AbrirArquivo(nome);
    exportou = true;
  }
  if (FQuantidadeVYNReport > 0) {
    FGestaoWebVarku->Usuario = getNomeUsuarioAtual();
    std::string resposta;
    const bool ok = FGestaoWebVarku->EnviaAvisoVYNReport(resposta);
    resposta = ReplaceAll(resposta, "\n", "");
    resposta = ReplaceAll(resposta, "<br />", "\r\n");
    resposta = ReplaceAll(resposta, "\r\n", " ");
    resposta = ReplaceAll(resposta, "\r", " ");
    if (!resposta.empty()) {
      if (ok) Inconsistencias_VYN->Add_Informativo("Retorno do Vyn Report: Retorno ao enviar: " + resposta);
      else Inconsistencias_VYN->Add_Atencao("Retorno do Vyn Report: Retorno ao enviar: " + resposta);
      if (!IsUnattended()) Inconsistencias_VYN->Execute();
    }
  }
  if (tipo == ptEML) {
    // The attachments' work folders go once the mail is out, also when sending failed.
    struct TLimpa {
      TfrRelSequenciaRelatorios& t;
      ~TLimpa() { t.RemovePastasEmail(); }
    } limpa{*this};
    TfrRelatorio_Padrao_VYN::Exportar(FReport, "", nullptr);
  }
  if (exportou) FPrintType = ptNenhum;
}

void TfrRelSequenciaRelatorios::Exportar(const std::string& arquivo, const TDadosRelatorio& dados,
                                         const std::vector<TRelatorioPDF>* pdfs, const std::vector<std::string>* paginas) {
  const bool semPaginas = paginas && paginas->empty();
  // A group made only of PDF outputs holds only them: the prepared report (other entities' pages)
  // never goes into it.
  auto exportaPDF = [&](const std::string& destino) {
    if (!semPaginas) FReport.Export(ptPDF, destino, paginas);
    if (pdfs) JuntarArquivosPDF(*pdfs, destino, semPaginas);
  };
  if (FPrintType == ptVynReport) {
    RemovePasta pasta{PastaDeTrabalho()};
    std::string proprio = fEliminaCaracteresEspeciais(dados.NomeArquivo.empty() ? fs::path(arquivo).stem().string()
                                                                                : dados.NomeArquivo);
    if (fs::path(proprio).extension() != ".pdf") proprio += ".pdf";
    const std::string destino = pasta.pasta + proprio;
    exportaPDF(destino);
    FGestaoWebVarku->Arquivo = destino;
    FGestaoWebVarku->Descricao = dados.Chave;
    if (FGestaoWebVarku->EnviaRelatorioNuvem(FEnviarEmailVYNReport)) ++FQuantidadeVYNReport;
    else OnInconsistencia(tisAtencao, "Não foi possível enviar para WEB. " + FGestaoWebVarku->Erro);
  } else if (FPrintType == ptEML) {
    FPastasEmail.push_back(PastaDeTrabalho());
    const std::string destino = FPastasEmail.back() + fs::path(arquivo).stem().string() + ".pdf";
    exportaPDF(destino);
    FListaArquivosEmail.push_back(dados.DadosEmail.GerarNomeParaLista(destino));
  } else if (FPrintType == ptPDF) {
    exportaPDF(arquivo);
  } else {
    if (!semPaginas) FReport.Export(FPrintType, arquivo, paginas);
    // Only a PDF takes PDF pages in: in other kinds each PDF output is written beside the file.
    if (pdfs) {
      int n = 0;
      for (const auto& pdf : *pdfs) {
        std::error_code ec;
        fs::copy_file(pdf.Arquivo, SemExtensao(arquivo) + " - " + std::to_string(++n) + ".pdf",
                      fs::copy_options::overwrite_existing, ec);
        if (ec) OnInconsistencia(tisErro, "Não foi possível copiar o arquivo " + pdf.Arquivo + ": " + ec.message());
      }
    }
  }
  setProtocoloSequenciaProcesso(this, true);
}

void TfrRelSequenciaRelatorios::RemovePastasEmail() {
  for (const auto& pasta : FPastasEmail) {
    std::error_code ec;
    fs::remove_all(pasta, ec);
  }
  FPastasEmail.clear();
}

void TfrRelSequenciaRelatorios::JuntarArquivosPDF(std::vector<TRelatorioPDF> pdfs, const std::string& principal,
                                                  bool semPrincipal) {
  int deslocamento = 0;
  for (auto& pdf : pdfs) {
    pdf.Posicao += deslocamento;
    int adicionadas = 0;
    if (deslocamento == 0 && semPrincipal) {
      TLitePDF doc;
      doc.LoadFromFile(pdf.Arquivo);
      doc.SaveToFile(principal);
      adicionadas = doc.PageCount();
      semPrincipal = false;
    } else {
      adicionadas = pdf.JuntarSeAoPrincipal(principal);
    }
    deslocamento += adicionadas;
  }
}

}  // namespace integracao
