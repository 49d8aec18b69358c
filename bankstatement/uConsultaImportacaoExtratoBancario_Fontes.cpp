// The statement's lines as sources the books record once: whatever window, workstation or road books a
// line, the record's key refuses the second.
#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/livros/livros.h"

namespace integracao {

using namespace vyn;

using campos::Int;
using campos::Txt;

void TfrConsultaImportacaoExtratoBancario::IdentificaFontes() {
  FIdentidades.clear();
  TDAOFactory* l = FLinhas;   // the node may not hold it yet
  if (!l) return;
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  // Equal lines (two fees of one day, value and text) are told apart by their order in the statement.
  std::map<std::string, int> iguais;
  for (l->First(); !l->Eof(); l->Next()) {
    const TField& data = l->FieldByName("BDDATA");
    // What every road hands alike: the day, the value and the document (the bank's text comes with the Dyq
    // dialogs and not with the reconciliation).
    const std::string conteudo =
        fmt::format("{}|{}|{}", data.IsNull() ? std::string("-") : DateToSQL(data.AsDateTime()),
                    l->FieldByName("BDVALOR").AsCurrency().ToSQL(), HashTexto(Trim(Txt(*l, "BDDCTO"))));
    const int n = ++iguais[std::to_string(Int(*l, "BDCODEMP")) + "|" + conteudo];
    FIdentidades[l->GetBookmark()] = fmt::format("C|{}|{}", conteudo, n);
  }
}

void TfrConsultaImportacaoExtratoBancario::RegistraFontes(TLivros& livros,
                                                          const std::set<std::pair<int, int>>& gravadas) {
  FFontesPendentes.clear();
  TDAOFactory* l = DAOLinhas();
  if (!l || FIdentidades.empty()) return;
  // A split row books a part of its line: the line is the source.
  std::map<TBookmark, TBookmark> paiDe;
  for (const auto& [pai, novas] : FExpansao.NovasPorPai)
    for (TBookmark b : novas) paiDe[b] = pai;
  for (const auto& [pai, pendentes] : FPaisPendentes)
    for (TBookmark b : pendentes) paiDe[b] = pai;
  const TTipoFonte tipo = TipoExtrato() == 2 ? TTipoFonte::LinhaExtratoCaixa : TTipoFonte::LinhaExtratoBanco;
  const std::string conta = std::to_string(ContaBanco());
  const std::set<std::pair<int, int>> escritas(Util()->Importadas().begin(), Util()->Importadas().end());
  std::set<std::string> pendentes;
  std::vector<TFonteLancada> fontes;
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  for (l->First(); !l->Eof(); l->Next()) {
    const int empresa = static_cast<int>(Int(*l, "BDCODEMP"));
    const int lancamento = static_cast<int>(Int(*l, "BDCHAVE"));
    if (!gravadas.count({empresa, lancamento})) continue;
    // The entry the line became (a settled line's entries are its settlements'): deleting it frees the line.
    const bool escrita = escritas.count({empresa, lancamento}) > 0;
    TBookmark linha = l->GetBookmark();
    if (auto p = paiDe.find(linha); p != paiDe.end()) linha = p->second;
    auto id = FIdentidades.find(linha);
    if (id == FIdentidades.end()) continue;   // a row the review made up, not the statement's
    const std::string descricao = fmt::format("A linha do extrato de {} no valor de {} ({})",
                                              DateToStr(l->FieldByName("BDDATA").AsDateTime()),
                                              l->FieldByName("BDVALOR").AsCurrency().ToBR(),
                                              Trim(Txt(*l, "BDCOMPLBANCARIO") + " " + Txt(*l, "BDDCTO")));
    // A line is named by its content as the statement brought it, which every road (a window, another
    // workstation, the reconciliation, which hands lines without their Dyq ids) sees alike.
    const std::string fonte = conta + "|" + id->second;
    const std::string registro = std::to_string(empresa) + "|" + fonte;
    if (FFontesRegistradas.count(registro) || !pendentes.insert(registro).second) continue;
    fontes.push_back({empresa, tipo, fonte, descricao, escrita ? lancamento : 0});
    FFontesPendentes.push_back(registro);
  }
  livros.RegistraFontes(fontes);
}

void TfrConsultaImportacaoExtratoBancario::ConfirmaFontes() {
  FFontesRegistradas.insert(FFontesPendentes.begin(), FFontesPendentes.end());
  FFontesPendentes.clear();
}

}  // namespace integracao
