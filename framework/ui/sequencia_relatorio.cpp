#include "framework/ui/sequencia_relatorio.h"

#include <memory>

#include "framework/component/process_context.h"
#include "framework/core/lite_pdf.h"

namespace vyn {

std::string TDadosEmail::GerarNomeParaLista(const std::string& arquivo) const {
  return Email + "|" + Destinatario + "|" + arquivo;
}

std::vector<std::string> TRelatorioIndividual::CriaListaPaginas() const {
  std::vector<std::string> out;
  for (int p = PrimeiraPagina; p <= UltimaPagina; ++p) out.push_back(std::to_string(p));
  return out;
}

int TRelatorioPDF::JuntarSeAoPrincipal(const std::string& principal) const {
  TLitePDF main, part;
  main.LoadFromFile(principal);
  part.LoadFromFile(Arquivo);
  main.InsertPages(part, Posicao);
  main.SaveToFile(principal);
  return part.PageCount();
}

void TDadosFinaisSeqRel::AddRelatorio(const std::vector<std::string>& paginas, std::string nome,
                                      TDadosRelatorio dados) {
  if (paginas.empty() || !paginas_) return;
  TRelatorioIndividual r;
  r.PrimeiraPagina = PaginasDoRelatorio() + 1;
  paginas_->insert(paginas_->end(), paginas.begin(), paginas.end());
  r.UltimaPagina = PaginasDoRelatorio();
  r.Nome = std::move(nome);
  r.Dados = std::move(dados);
  Relatorios.push_back(std::move(r));
}

void TDadosFinaisSeqRel::AddPDF(std::string arquivo, TDadosRelatorio dados) {
  TRelatorioPDF p;
  p.Posicao = PaginasDoRelatorio() + 1;
  p.Arquivo = std::move(arquivo);
  p.Dados = std::move(dados);
  PDFs.push_back(std::move(p));
}

void TDadosFinaisSeqRel::AjustaPaginasBaseZero() {
  for (auto& r : Relatorios) { --r.PrimeiraPagina; --r.UltimaPagina; }
  for (auto& p : PDFs) --p.Posicao;
}

TEstadoSequenciaRelatorio& WP_SEQUENCIARELATORIO() {
  auto& ctx = ProcessContext();
  if (!ctx.WP_SEQUENCIARELATORIO) ctx.WP_SEQUENCIARELATORIO = std::make_shared<TEstadoSequenciaRelatorio>();
  return *ctx.WP_SEQUENCIARELATORIO;
}

void setProtocoloSequenciaProcesso(TForm_VYN* tela, bool terminou) {
  auto& estado = WP_SEQUENCIARELATORIO();
  if (!terminou) estado.ProtocoloAberto = tela;
  else if (estado.ProtocoloAberto == tela) estado.ProtocoloAberto = nullptr;
}

}  // namespace vyn
