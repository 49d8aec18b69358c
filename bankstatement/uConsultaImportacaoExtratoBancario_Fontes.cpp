// The statement's lines as sources of the books, each with one account: what was booked of it, by which
// entries, and what is left. A line is named by what its origin names it by, never by its content: two
// equal fees are two movements, and the same money brought by another road is shown as a probable
// duplicate for the user to decide.
#include <algorithm>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/fb_database.h"
#include "framework/livros/baixa_pagamento.h"
#include "framework/livros/chaves_fonte.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

std::pair<int, int> ChaveDe(const TClientDataSet& l) {
  return {static_cast<int>(Int(l, "BDCODEMP")), static_cast<int>(Int(l, "BDCHAVE"))};
}

// What the account says of a line, in the user's words: what was booked, where, when and by whom.
std::string TextoConta(const TFonteLancada& f, const TFonteRegistrada& conta) {
  return EFonteJaLancada(f, conta).what();
}

// Both sides of the line are in the books: its value, and the bank's side of it.
bool Completa(const TFonteRegistrada& c) {
  return c.Valor <= Currency() || (c.Resto() <= Currency() && c.RestoBanco() <= Currency());
}

constexpr const char* kParteBanco = "banco ";

// What the statement says of a line, as it came: its bank text, else the text it brought.
TLinhaSemId LinhaSemId(TClientDataSet& l, int banco) {
  std::string texto = Trim(Txt(l, "BDCOMPLBANCARIO"));
  if (texto.empty()) texto = Trim(Txt(l, "BDCOMPL"));
  return {l.FieldByName("BDDATA").IsNull() ? TDateTime() : l.FieldByName("BDDATA").AsDateTime(), Valor(l, "BDVALOR"),
          banco > 0 && Int(l, "BDCREDITO") == banco, Trim(Txt(l, "BDDCTO")), texto};
}

}  // namespace

TTipoFonte TfrConsultaImportacaoExtratoBancario::TipoFonte() const {
  return FTipoExtrato == 2 ? TTipoFonte::LinhaExtratoCaixa : TTipoFonte::LinhaExtratoBanco;
}

void TfrConsultaImportacaoExtratoBancario::IdentificaFontes() {
  FOrigens.clear();
  FContas.clear();
  TDAOFactory* l = FLinhas;   // the node may not hold it yet
  if (!l) return;
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  const int banco = ContaBanco();
  // A line without a Dyq id is known by what its statement (the Dyq statement's, else the account's file)
  // says of it: the lines this review happens to hold never name it.
  TChavesLinhasSemId semId;
  for (l->First(); !l->Eof(); l->Next()) {
    TOrigemLinha o;
    if (!Vazio(*l, "BDIDWEB")) {
      o.Chave = ChaveItemDyq(Int(*l, "BDIDWEB"));
    } else {
      const std::string extrato = Int(*l, "BDIDEXTRATOWEB") > 0 ? fmt::format("D{}", Int(*l, "BDIDEXTRATOWEB"))
                                                                : fmt::format("A{}|{}", banco, Trim(FArquivo));
      o.Chave = semId.Chave(extrato, LinhaSemId(*l, banco));
    }
    o.Lote = Int(*l, "BDIDEXTRATOWEB");
    o.Valor = Valor(*l, "BDVALOR");
    o.Data = l->FieldByName("BDDATA").IsNull() ? TDateTime() : l->FieldByName("BDDATA").AsDateTime();
    // Money out credits the bank, money in debits it.
    if (banco > 0 && Int(*l, "BDCREDITO") == banco) o.Credito = banco;
    else if (banco > 0 && Int(*l, "BDDEBITO") == banco) o.Debito = banco;
    o.Documento = Trim(Txt(*l, "BDDCTO"));
    o.Descricao = fmt::format("A linha {} de {} no valor de {} ({})",
                              FTipoExtrato == 2 ? "do movimento de caixa" : "do extrato", DateToStr(o.Data),
                              o.Valor.ToBR(), Trim(Txt(*l, "BDCOMPLBANCARIO") + " " + o.Documento));
    FOrigens.emplace(l->GetBookmark(), std::move(o));
  }
}

const TfrConsultaImportacaoExtratoBancario::TOrigemLinha* TfrConsultaImportacaoExtratoBancario::OrigemDe(
    TBookmark linha) const {
  auto it = FOrigens.find(linha);
  return it == FOrigens.end() ? nullptr : &it->second;
}

TFonteLancada TfrConsultaImportacaoExtratoBancario::FonteDaLinha(int empresa, const TOrigemLinha& o) const {
  TFonteLancada f{empresa, TipoFonte(), o.Chave, o.Descricao, 0, o.Valor};
  f.Movimento = {o.Data, o.Debito, o.Credito, o.Documento};
  f.Lote = o.Lote;
  return f;
}

bool TfrConsultaImportacaoExtratoBancario::TemLancamentoNaConta(TBookmark linha) const {
  return FContas.count(linha) > 0;
}

bool TfrConsultaImportacaoExtratoBancario::LadoBancoJaLancado(TBookmark linha) const {
  return FLadoBancoLancado.count(linha) > 0;
}

bool TfrConsultaImportacaoExtratoBancario::SoLadoBanco(TBookmark linha) const { return FSoLadoBanco.count(linha) > 0; }

bool TfrConsultaImportacaoExtratoBancario::RepeteLadoLancado(TBookmark linha, const TClientDataSet& l) const {
  const int banco = ContaBanco();
  if (banco <= 0 || (!SoLadoBanco(linha) && !LadoBancoJaLancado(linha))) return false;
  bool comBanco = false, comOutra = false;
  for (const char* lado : {"BDDEBITO", "BDCREDITO"})
    (Int(l, lado) == banco ? comBanco : comOutra) |= Int(l, lado) > 0;
  return SoLadoBanco(linha) ? comOutra : comBanco;
}

Currency TfrConsultaImportacaoExtratoBancario::RestoDaLinha(TBookmark linha, const TFonteRegistrada& conta) const {
  if (SoLadoBanco(linha)) return conta.RestoBanco();
  if (LadoBancoJaLancado(linha)) return conta.Resto();
  return std::min(conta.Resto(), conta.RestoBanco());
}

std::map<TBookmark, TFonteRegistrada> TfrConsultaImportacaoExtratoBancario::LeContas(TLivros& livros) {
  std::map<TBookmark, TFonteRegistrada> contas;
  TDAOFactory* l = DAOLinhas();
  if (!l) return contas;
  std::map<int, std::vector<std::string>> chaves;
  std::map<std::pair<int, std::string>, std::vector<TBookmark>> linhas;
  {
    TFilterGuard todas(*l, TFilterGuard::kAllRows);
    for (const auto& [b, o] : FOrigens) {
      if (!l->BookmarkValid(b)) continue;
      l->GotoBookmark(b);
      const int empresa = static_cast<int>(Int(*l, "BDCODEMP"));
      chaves[empresa].push_back(o.Chave);
      linhas[{empresa, o.Chave}].push_back(b);
    }
  }
  // A split line left alone answers with its line's account.
  for (const auto& [b, origem] : FDivisoesSoltas) {
    chaves[origem.first].push_back(origem.second.Chave);
    linhas[{origem.first, origem.second.Chave}].push_back(b);
  }
  for (const auto& [empresa, lista] : chaves)
    for (auto& [chave, conta] : livros.FontesRegistradas(empresa, TipoFonte(), lista))
      for (TBookmark b : linhas[{empresa, chave}]) contas.emplace(b, conta);
  return contas;
}

std::map<TBookmark, std::string> TfrConsultaImportacaoExtratoBancario::MovimentosAlterados(
    const std::vector<TBookmark>& linhas) {
  std::map<TBookmark, std::string> alterados;
  TDAOFactory* l = DAOLinhas();
  TDatabase* db = ProcessContext().Database;
  if (!l || !db) return alterados;
  std::map<int, std::vector<std::pair<TBookmark, TFonteLancada>>> porEmpresa;
  {
    TFilterGuard todas(*l, TFilterGuard::kAllRows);
    for (TBookmark b : linhas) {
      const TOrigemLinha* o = OrigemDe(b);
      if (!o || !l->BookmarkValid(b)) continue;
      l->GotoBookmark(b);
      const int empresa = static_cast<int>(Int(*l, "BDCODEMP"));
      porEmpresa[empresa].push_back({b, FonteDaLinha(empresa, *o)});
    }
  }
  for (const auto& [empresa, fontes] : porEmpresa) {
    std::vector<std::string> chaves;
    for (const auto& [b, f] : fontes) chaves.push_back(f.Chave);
    const auto registrados = MovimentosRegistrados(*db, empresa, TipoFonte(), chaves);
    for (const auto& [b, f] : fontes)
      if (auto r = registrados.find(f.Chave); r != registrados.end())
        if (std::string m = MovimentoAlterado(f, r->second); !m.empty()) alterados.emplace(b, std::move(m));
  }
  return alterados;
}

void TfrConsultaImportacaoExtratoBancario::LeContasNaAbertura() {
  TDAOFactory* l = DAOLinhas();
  TDatabase* db = ProcessContext().Database;
  if (!l || !db || FOrigens.empty()) return;
  TLivros livros(*db, ExecucaoDe(this));
  FContas = LeContas(livros);
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  std::vector<TBookmark> lancadas;
  std::vector<std::pair<TBookmark, TFonteLancada>> semConta;
  std::vector<TBookmark> comConta;
  for (const auto& [b, c] : FContas) comConta.push_back(b);
  // Booked in part as another movement: its rest would be weighed against a value the origin no longer says.
  const std::map<TBookmark, std::string> alterados = MovimentosAlterados(comConta);
  {
    TFilterGuard todas(*l, TFilterGuard::kAllRows);
    for (const auto& [b, o] : FOrigens) {
      if (!l->BookmarkValid(b)) continue;
      l->GotoBookmark(b);
      const int empresa = static_cast<int>(Int(*l, "BDCODEMP"));
      auto conta = FContas.find(b);
      if (conta == FContas.end()) {
        // A line reconciled with a posted entry is that entry's movement, not its duplicate.
        if (!(Util() && Util()->ConciliadoLadoBanco(*l))) semConta.push_back({b, FonteDaLinha(empresa, o)});
        continue;
      }
      if (auto a = alterados.find(b); a != alterados.end()) {
        lancadas.push_back(b);
        if (inc) inc->Add_Atencao(empresa, a->second + " Não será importado: confira o lançamento.");
        continue;
      }
      const std::string texto = TextoConta(FonteDaLinha(empresa, o), conta->second);
      if (Completa(conta->second)) {
        lancadas.push_back(b);
        if (inc) inc->Add_Atencao(empresa, texto + " Não será importado novamente.");
        continue;
      }
      DeixaResto(b, conta->second);
      if (inc)
        inc->Add_Atencao(empresa, SoLadoBanco(b) ? fmt::format("{} O lado do banco ({}) não está nos livros: fica na "
                                                               "revisão por ele.",
                                                               texto, conta->second.RestoBanco().ToBR())
                                                 : texto + " Fica na revisão pelo que resta.");
    }
    MarcaDuplicatas(livros, semConta, "Não será importado, a menos que seja marcado para lançar.");
  }
  for (TBookmark b : lancadas) FContas.erase(b);
  ExcluiLinhas(l, lancadas);
  l->First();
}

void TfrConsultaImportacaoExtratoBancario::DeixaResto(TBookmark linha, const TFonteRegistrada& conta) {
  TDAOFactory& l = *DAOLinhas();
  // What is left of it is what the statement still asks to book: what both sides lack is a whole line;
  // past that, only the side the entries booked less of (the bank's, when its own entry of a split line
  // was deleted; the other, when a split row's was).
  const Currency resto = conta.Resto();
  const Currency banco = conta.RestoBanco();
  const Currency ambos = std::min(resto, banco);
  Grava(l, "BDVALOR", Variant(ambos > Currency() ? ambos : std::max(resto, banco)));
  if (ambos > Currency()) return;
  const bool soBanco = resto <= Currency();
  (soBanco ? FSoLadoBanco : FLadoBancoLancado).insert(linha);
  for (const char* lado : {"BDDEBITO", "BDCREDITO"})
    if ((Int(l, lado) == ContaBanco()) != soBanco) Grava(l, lado, Variant());
}

void TfrConsultaImportacaoExtratoBancario::MarcaDuplicatas(TLivros& livros,
                                                          const std::vector<std::pair<TBookmark, TFonteLancada>>& linhas,
                                                          const std::string& aviso, size_t jaMarcadas) {
  TDAOFactory& l = *DAOLinhas();
  std::vector<TFonteLancada> fontes;
  for (const auto& [b, f] : linhas) fontes.push_back(f);
  const std::vector<std::optional<TFonteRegistrada>> iguais = livros.MovimentosIguais(fontes);
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  for (size_t i = jaMarcadas; i < iguais.size(); ++i) {
    if (!iguais[i]) continue;
    l.GotoBookmark(linhas[i].first);
    const std::string nome = MarcaDuplicata(*iguais[i]);
    Grava(l, "BDDUPLICATA", Variant(nome));
    if (inc && !aviso.empty()) inc->Add_Atencao(fontes[i].CodEmp, fontes[i].Descricao + ": " + nome + ". " + aviso);
  }
}

std::vector<std::pair<TBookmark, TFonteLancada>> TfrConsultaImportacaoExtratoBancario::LinhasSemDecisao(
    std::vector<std::pair<TBookmark, TFonteLancada>>& marcadas) {
  std::vector<std::pair<TBookmark, TFonteLancada>> r;
  TDAOFactory* l = DAOLinhas();
  if (!l) return r;
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  for (const auto& [b, o] : FOrigens) {
    if (!l->BookmarkValid(b) || FContasDaExecucao.count(b)) continue;
    l->GotoBookmark(b);
    if (Util() && Util()->ConciliadoLadoBanco(*l)) continue;
    const int64_t status = Int(*l, "BDSTATUSWEB");
    if (status == 1 || status == 2) continue;
    (Trim(Txt(*l, "BDDUPLICATA")).empty() ? r : marcadas).push_back(
        {b, FonteDaLinha(static_cast<int>(Int(*l, "BDCODEMP")), o)});
  }
  return r;
}

void TfrConsultaImportacaoExtratoBancario::ConfereFontes(TLivros& livros) {
  FRecusadasPelaConta.clear();
  FContasDaExecucao.clear();
  TDAOFactory* l = DAOLinhas();
  if (!l || FOrigens.empty()) return;
  FContasDaExecucao = LeContas(livros);
  // What another window or road booked since the review opened is met here, inside the run's write.
  std::vector<std::pair<TBookmark, TFonteLancada>> marcadas;
  if (const auto novas = LinhasSemDecisao(marcadas); !novas.empty()) {
    TFilterGuard todas(*l, TFilterGuard::kAllRows);
    // The lines marked before hold the entries they were marked against: one entry is the twin of one
    // line, so an equal line beside a marked one is marked only by an entry of its own.
    marcadas.insert(marcadas.end(), novas.begin(), novas.end());
    MarcaDuplicatas(livros, marcadas, {}, marcadas.size() - novas.size());   // told below with the marked lines
  }
  std::map<TBookmark, const std::vector<TBookmark>*> divisoes;
  for (const auto& [pai, novas] : FExpansao.NovasPorPai) divisoes[pai] = &novas;
  auto recusa = [&](TBookmark b) {
    FRecusadasPelaConta.insert(b);
    if (auto d = divisoes.find(b); d != divisoes.end()) FRecusadasPelaConta.insert(d->second->begin(), d->second->end());
  };
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  for (const auto& [b, o] : FOrigens) {
    if (!l->BookmarkValid(b)) continue;
    l->GotoBookmark(b);
    const int empresa = static_cast<int>(Int(*l, "BDCODEMP"));
    if (inc && !Trim(Txt(*l, "BDDUPLICATA")).empty() && !Flag(*l, "BDLANCARDUPLICATA"))
      inc->Add_Atencao(empresa, o.Descricao + ": " + Txt(*l, "BDDUPLICATA") + ". Não foi importado: marque-o para lançar.");
    if (RepeteLadoLancado(b, *l)) {
      recusa(b);
      if (inc)
        inc->Add_Atencao(empresa, fmt::format("{}: o lado {} desta linha já está nos livros; ela lança só o outro lado.",
                                              o.Descricao, SoLadoBanco(b) ? "da contrapartida" : "do banco"));
      continue;
    }
    auto conta = FContasDaExecucao.find(b);
    if (conta == FContasDaExecucao.end()) continue;
    // A line split or linked books its parts, each checked by the books; a plain one asks its value.
    const bool porPartes = divisoes.count(b) || Flag(*l, "BDVINC_BAIXA");
    if (!Completa(conta->second) && (porPartes || Valor(*l, "BDVALOR") <= RestoDaLinha(b, conta->second))) continue;
    recusa(b);
    if (inc) inc->Add_Atencao(empresa, TextoConta(FonteDaLinha(empresa, o), conta->second));
  }
}

bool TfrConsultaImportacaoExtratoBancario::ForaPelaConta(TDAOFactory& ds) {
  if (FRecusadasPelaConta.count(ds.GetBookmark())) return true;
  // A probable duplicate is booked only when the user ticks it.
  return DuplicataForaDaImportacao(ds);
}

void TfrConsultaImportacaoExtratoBancario::PartesDasBaixas(std::map<TBookmark, std::vector<TParteFonte>>& partes) {
  TDAOFactory* l = DAOLinhas();
  if (!FProcessoBaixas || !l) return;
  const auto baixas = FProcessoBaixas->BaixasPorLinha(*l);
  // Each settled line (or split row) by its key, and the line that row belongs to.
  std::map<TBookmark, TBookmark> paiDe;
  for (const auto& [pai, novas] : FExpansao.NovasPorPai)
    for (TBookmark b : novas) paiDe[b] = pai;
  // One part per settlement entry: a split line's rows add up on their line.
  std::map<TBookmark, std::map<int, Currency>> porLancamento;
  FLiquidadoDivisaoNovo.clear();
  for (l->First(); !l->Eof(); l->Next()) {
    auto linha = baixas.find(Int(*l, "BDCHAVE"));
    if (linha == baixas.end()) continue;
    auto pai = paiDe.find(l->GetBookmark());
    auto solta = FDivisoesSoltas.find(l->GetBookmark());
    const TBookmark onde = pai != paiDe.end() ? pai->second : l->GetBookmark();
    for (const auto& [lancamento, valor] : linha->second) {
      porLancamento[onde][lancamento] += valor;
      if (pai != paiDe.end() || solta != FDivisoesSoltas.end()) FLiquidadoDivisaoNovo[l->GetBookmark()] += valor;
    }
  }
  for (const auto& [onde, baixasDaLinha] : porLancamento)
    for (TParteFonte& p : PartesPorLancamento(baixasDaLinha)) partes[onde].push_back(std::move(p));
}

TParteFonte TfrConsultaImportacaoExtratoBancario::ParteDivisao(const TClientDataSet& linha) const {
  // A split row's entry books the bank's side only when the row carries it (a linked row left alone).
  const bool comBanco = ContaBanco() > 0 && (Int(linha, "BDDEBITO") == ContaBanco() || Int(linha, "BDCREDITO") == ContaBanco());
  const Currency valor = Valor(linha, "BDVALOR");
  return {fmt::format("divisão {}", Int(linha, "BDCHAVE")), static_cast<int>(Int(linha, "BDCHAVE")), valor,
          comBanco ? valor : Currency()};
}

TParteFonte TfrConsultaImportacaoExtratoBancario::ParteResto(TBookmark linha, int chave, Currency valor) const {
  TParteFonte p = TLivros::ParteResto(chave, valor);
  // The rest of a line one side of which is in the books books only the other.
  if (LadoBancoJaLancado(linha)) p.Banco = Currency();
  if (SoLadoBanco(linha)) {
    p.Valor = Currency();
    p.Banco = valor;
  }
  return p;
}

std::map<TBookmark, std::vector<TParteFonte>> TfrConsultaImportacaoExtratoBancario::PartesDaExecucao() {
  std::map<TBookmark, std::vector<TParteFonte>> partes;
  TDAOFactory* l = DAOLinhas();
  const std::set<std::pair<int, int>> escritas(Util()->Importadas().begin(), Util()->Importadas().end());
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  // Each split row the run wrote is a part of its line, as the split lines a zeroed line of an earlier
  // run left in the review are.
  auto divisoes = [&](TBookmark pai, const std::vector<TBookmark>& linhas) {
    for (TBookmark b : linhas) {
      if (!l->BookmarkValid(b)) continue;
      l->GotoBookmark(b);
      if (escritas.count(ChaveDe(*l))) partes[pai].push_back(ParteDivisao(*l));
    }
  };
  for (const auto& [pai, novas] : FExpansao.NovasPorPai) {
    if (!l->BookmarkValid(pai)) continue;
    l->GotoBookmark(pai);
    // The bank side of a split line, when it is an entry of its own, books none of the value but that
    // side of what the split rows hold: deleting it gives the side back.
    if (escritas.count(ChaveDe(*l)))
      partes[pai].push_back({kParteBanco + std::to_string(Int(*l, "BDCHAVE")), static_cast<int>(Int(*l, "BDCHAVE")),
                             Currency(), Valor(*l, "BDVALOR")});
    divisoes(pai, novas);
  }
  for (const auto& [pai, pendentes] : FPaisPendentes) divisoes(pai, pendentes);
  PartesDasBaixas(partes);
  return partes;
}

std::vector<TfrConsultaImportacaoExtratoBancario::TFonteDaExecucao> TfrConsultaImportacaoExtratoBancario::FontesDaExecucao(
    const std::set<std::pair<int, int>>& gravadas) {
  std::vector<TFonteDaExecucao> r;
  TDAOFactory* l = DAOLinhas();
  const std::set<std::pair<int, int>> escritas(Util()->Importadas().begin(), Util()->Importadas().end());
  const std::set<std::pair<int, int>> liquidadas(Util()->Liquidadas().begin(), Util()->Liquidadas().end());
  std::map<TBookmark, std::vector<TParteFonte>> partes = PartesDaExecucao();
  TFilterGuard todas(*l, TFilterGuard::kAllRows);
  for (const auto& [b, o] : FOrigens) {
    if (!l->BookmarkValid(b)) continue;
    l->GotoBookmark(b);
    const std::pair<int, int> chave = ChaveDe(*l);
    TFonteDaExecucao x{b, chave, FonteDaLinha(chave.first, o), {}};
    if (auto c = FContasDaExecucao.find(b); c != FContasDaExecucao.end()) x.Antes = c->second;
    auto p = partes.find(b);
    if (p == partes.end() && escritas.count(chave)) {
      // The line is one entry: booked whole, or what was left of it as a part.
      if (!x.Antes) x.Fonte.ChaveLancamento = chave.second;
      else p = partes.insert({b, {ParteResto(b, chave.second, Valor(*l, "BDVALOR"))}}).first;
    } else if (p == partes.end() && gravadas.count(chave) && !liquidadas.count(chave) && !x.Antes) {
      // Reconciled with entries posted before: the first of them stands for it.
      x.Fonte.ChaveLancamento = Util()->LancamentoConciliado(b);
    }
    if (p != partes.end()) {
      JuntaPartesNovas(x, p->second);
      // A line of no value has nothing to account for in parts.
      if (x.Fonte.Partes.empty() || x.Fonte.Valor <= Currency()) continue;
      // A new line one entry booked all of (a receipt its settlement paid in full) is booked whole by
      // that entry: its account says the same, and needs no row for the part.
      if (const TParteFonte& unica = x.Fonte.Partes.front();
          !x.Antes && x.Fonte.Partes.size() == 1 && unica.ChaveLancamento > 0 && unica.Valor == x.Fonte.Valor) {
        x.Fonte.ChaveLancamento = unica.ChaveLancamento;
        x.Fonte.Partes.clear();
      }
    } else if (x.Fonte.ChaveLancamento == 0) {
      continue;
    }
    r.push_back(std::move(x));
  }
  FontesDasDivisoesSoltas(partes, escritas, r);
  return r;
}

void TfrConsultaImportacaoExtratoBancario::JuntaPartesNovas(TFonteDaExecucao& x, const std::vector<TParteFonte>& partes) {
  // What an earlier run of this session recorded is recorded already.
  auto mesma = [](const TParteFonte& parte) { return [&](const TParteFonte& y) { return y.Parte == parte.Parte; }; };
  for (const TParteFonte& parte : partes) {
    if (x.Antes && std::any_of(x.Antes->Partes.begin(), x.Antes->Partes.end(), mesma(parte))) continue;
    // One settlement entry of several split lines of the line is one part.
    auto junta = std::find_if(x.Fonte.Partes.begin(), x.Fonte.Partes.end(), mesma(parte));
    if (junta == x.Fonte.Partes.end()) {
      x.Fonte.Partes.push_back(parte);
      continue;
    }
    const Currency banco = junta->LadoBanco() + parte.LadoBanco();
    junta->Valor += parte.Valor;
    junta->Banco = banco;
  }
  // The account is checked at each part: what gives back comes before what takes.
  std::sort(x.Fonte.Partes.begin(), x.Fonte.Partes.end(),
            [](const TParteFonte& a, const TParteFonte& y) { return a.Valor < y.Valor; });
}

void TfrConsultaImportacaoExtratoBancario::FontesDasDivisoesSoltas(
    const std::map<TBookmark, std::vector<TParteFonte>>& partes, const std::set<std::pair<int, int>>& escritas,
    std::vector<TFonteDaExecucao>& r) {
  TDAOFactory* l = DAOLinhas();
  // One source per line, however many of its split lines the run books.
  std::map<std::pair<int, std::string>, size_t> daLinha;
  for (const auto& [b, origem] : FDivisoesSoltas) {
    if (!l->BookmarkValid(b)) continue;
    l->GotoBookmark(b);
    std::vector<TParteFonte> novas;
    if (auto p = partes.find(b); p != partes.end()) novas = p->second;
    if (escritas.count(ChaveDe(*l))) novas.push_back(ParteDivisao(*l));
    if (novas.empty()) continue;
    auto [it, nova] = daLinha.emplace(std::make_pair(origem.first, origem.second.Chave), r.size());
    if (nova) {
      TFonteDaExecucao x{b, ChaveDe(*l), FonteDaLinha(origem.first, origem.second), {}};
      if (auto c = FContasDaExecucao.find(b); c != FContasDaExecucao.end()) x.Antes = c->second;
      r.push_back(std::move(x));
    }
    JuntaPartesNovas(r[it->second], novas);
  }
}

std::set<std::pair<int, int>> TfrConsultaImportacaoExtratoBancario::RegistraFontes(
    TLivros& livros, const std::set<std::pair<int, int>>& gravadas) {
  std::set<std::pair<int, int>> completas;
  FContasNovas.clear();
  if (!DAOLinhas() || FOrigens.empty()) return completas;
  std::vector<TFonteDaExecucao> execucao = FontesDaExecucao(gravadas);
  std::vector<TFonteLancada> fontes;
  for (const TFonteDaExecucao& x : execucao) fontes.push_back(x.Fonte);
  livros.RegistraFontes(fontes);
  // Each line's account as it stands now: whole, or what its parts add to what it held.
  for (TFonteDaExecucao& x : execucao) {
    TFonteRegistrada c = x.Antes.value_or(TFonteRegistrada{});
    c.Valor = x.Fonte.Valor;
    c.Descricao = x.Fonte.Descricao;
    if (x.Fonte.Partes.empty()) c.Lancado = x.Fonte.Valor;
    for (const TParteFonte& parte : x.Fonte.Partes) {
      c.Lancado += parte.Valor;
      c.Partes.push_back(parte);
    }
    if (Completa(c)) completas.insert(x.Chave);
    // A split line left alone keeps what its own settlements booked, not its line's rest.
    else if (!FDivisoesSoltas.count(x.Linha)) FContasNovas[x.Linha] = std::move(c);
  }
  return completas;
}

void TfrConsultaImportacaoExtratoBancario::ConfirmaFontes() {
  for (auto& [b, c] : FContasNovas) FContas[b] = std::move(c);
  FContasNovas.clear();
  for (const auto& [b, v] : FLiquidadoDivisaoNovo) FLiquidadoDivisao[b] = v;
  FLiquidadoDivisaoNovo.clear();
  FContasDaExecucao.clear();
  FRecusadasPelaConta.clear();
}

}  // namespace integracao
