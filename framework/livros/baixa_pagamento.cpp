#include "framework/livros/baixa_pagamento.h"

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/livros/marca_livros.h"

namespace vyn {

namespace {

// The record of posted links and the ledger entry, as the statement declares and writes them.
constexpr const char* kColunasVinculo[] = {"BDCODEMP",    "BDSESSAO", "BDIDVINCULO", "BDVINCULO",
                                           "BDTIPOBAIXA", "BDVALOR",  "BDCHAVELAN",  "BDDESCRICAO"};
constexpr const char* kColunasLancamento[] = {"BDCODEMP", "BDCHAVE",  "BDDATA", "BDCODPLAPADRAO", "BDDEBITO",
                                              "BDCREDITO", "BDVALOR", "BDCOMPL", "BDDCTO"};

std::string Declara(const std::string& nome, const std::string& tabela, const std::string& coluna) {
  return fmt::format("{} TYPE OF COLUMN {}.{} = ?", nome, tabela, coluna);
}

// " WHERE A = :PK0 AND B = :PK1" over the obligation's key, with the alias given.
std::string Onde(const TPagamentoBaixa& p, const std::string& alias) {
  std::string onde;
  for (size_t i = 0; i < p.Chave.size(); ++i)
    onde += fmt::format("{}{}{} = :PK{}", i ? " AND " : " WHERE ", alias, p.Chave[i].first, i);
  return onde;
}

std::string Parametros(const TPagamentoBaixa& p) {
  std::vector<std::string> d;
  for (size_t i = 0; i < p.Chave.size(); ++i) d.push_back(Declara("PK" + std::to_string(i), p.Tabela, p.Chave[i].first));
  for (size_t i = 0; i < p.Valores.size(); ++i)
    d.push_back(Declara("PV" + std::to_string(i), p.Tabela, p.Valores[i].first));
  d.push_back(Declara("PCHAVELAN", p.Tabela, "BDCHAVELAN"));
  d.push_back("PGUARDA NUMERIC(18,4) = ?");
  d.push_back("PVALOR NUMERIC(18,4) = ?");
  for (const char* c : kColunasVinculo) d.push_back(Declara(std::string("R") + c, kTabelaVinculosLancados, c));
  for (const char* c : kColunasLancamento) d.push_back(Declara(std::string("L") + c, "VZEL_EMPRESAS_TLAN", c));
  d.push_back("PBLQEMP INTEGER = ?");
  d.push_back("PBLQDATA DATE = ?");
  d.push_back("PBLQTELA VARCHAR(1000) = ?");
  return Join(d, ", ");
}

std::string Insercao(const std::string& tabela, const char* const* colunas, size_t n, const char* prefixo) {
  std::string cols, vals;
  for (size_t i = 0; i < n; ++i) {
    cols += (i ? ", " : "") + std::string(colunas[i]);
    vals += (i ? ", :" : ":") + std::string(prefixo) + colunas[i];
  }
  return fmt::format("INSERT INTO {} ({}) VALUES ({})", tabela, cols, vals);
}

}  // namespace

std::string TextoGravaPagamento(const TPagamentoBaixa& p) {
  // The period's locks first, read again by each settlement (a lock may be set while a run goes on; the
  // gate checked the company, the day and the accounts before): a locked date writes nothing.
  std::string corpo =
      "SITUACAO = 0;\n"
      "IF (PBLQEMP IS NOT NULL) THEN BEGIN\n"
      "SELECT TIPO, DINI, DFIM, MOTIVO FROM SP_BLOQUEIO_LANCAMENTO(:PBLQEMP, :PBLQDATA, :PBLQDATA, :PBLQTELA)\n"
      "  INTO :BTIPO, :BDINI, :BDFIM, :BMOTIVO;\n"
      "IF (BTIPO <> 0) THEN BEGIN SITUACAO = 3; SUSPEND; EXIT; END\n"
      "END\n";
  if (!p.TabelaObrigacao.empty() && !p.Chave.empty()) {
    // Another workstation settling the obligation holds this row until it commits.
    const std::string& coluna = p.Chave.front().first;
    corpo += fmt::format("UPDATE {} O SET {} = {}{}", p.TabelaObrigacao, coluna, coluna, Onde(p, "O."));
    corpo += p.Guarda.empty() ? ";\n" : " RETURNING " + p.Guarda + " INTO :SALDO;\n";
  }
  // The payment's sequence is the next of its obligation's; the same pass over its payment rows answers
  // what they took off the balance.
  if (p.Pagos.empty()) {
    corpo += fmt::format("SELECT COALESCE(MAX({}), 0) + 1 FROM {}{} INTO :SEQ;\n", p.ColunaSeq, p.Tabela, Onde(p, ""));
  } else {
    corpo += fmt::format("SELECT COALESCE(MAX({}), 0) + 1, COALESCE(SUM({}), 0) FROM {}{} INTO :SEQ, :PAGO;\n",
                         p.ColunaSeq, p.Pagos, p.Tabela, Onde(p, ""));
    if (!p.Guarda.empty()) corpo += "SALDO = SALDO - PAGO;\n";
  }
  if (!p.Guarda.empty()) corpo += "IF (SALDO IS NULL OR SALDO < PGUARDA) THEN BEGIN SITUACAO = 1; SUSPEND; EXIT; END\n";
  std::string cols, vals;
  for (size_t i = 0; i < p.Chave.size(); ++i) {
    cols += p.Chave[i].first + ", ";
    vals += fmt::format(":PK{}, ", i);
  }
  cols += p.ColunaSeq;
  vals += ":SEQ";
  for (size_t i = 0; i < p.Valores.size(); ++i) {
    cols += ", " + p.Valores[i].first;
    vals += fmt::format(", :PV{}", i);
  }
  corpo += fmt::format("INSERT INTO {} ({}, BDCHAVELAN) VALUES ({}, :PCHAVELAN);\n", p.Tabela, cols, vals);
  if (!p.Abate.empty())
    corpo += fmt::format("UPDATE {} SET {}{};\nIF (ROW_COUNT <> 1) THEN BEGIN SITUACAO = 2; SUSPEND; EXIT; END\n",
                         p.TabelaObrigacao, p.Abate, Onde(p, ""));
  corpo += "IF (RBDSESSAO IS NOT NULL) THEN " +
           Insercao(kTabelaVinculosLancados, kColunasVinculo, std::size(kColunasVinculo), "R") + ";\n";
  corpo += "IF (LBDCODEMP IS NOT NULL) THEN " +
           Insercao("VZEL_EMPRESAS_TLAN", kColunasLancamento, std::size(kColunasLancamento), "L") + ";\n";
  // Its one row comes as a selection's (an executable block's outputs would not reach the caller).
  return "EXECUTE BLOCK (" + Parametros(p) + ")\nRETURNS (SITUACAO INTEGER, SALDO NUMERIC(18,4), BTIPO INTEGER, BDINI DATE, BDFIM DATE, "
         "BMOTIVO VARCHAR(200))\nAS\nDECLARE VARIABLE SEQ BIGINT;\nDECLARE VARIABLE PAGO NUMERIC(18,4);\nBEGIN\n" + corpo +
         "SUSPEND;\nEND";
}

std::string FormaGravaPagamento(const TPagamentoBaixa& p) {
  std::string f =
      p.Tabela + '|' + p.TabelaObrigacao + '|' + p.ColunaSeq + '|' + p.Guarda + '|' + p.Pagos + '|' + p.Abate;
  for (const auto& [c, v] : p.Chave) f += '|' + c;
  f += '|';
  for (const auto& [c, v] : p.Valores) f += '|' + c;
  return f;
}

std::vector<Variant> GravaPagamento(TDatabase& db, TStatement& comando, const TParams& valores) {
  TMarcaLivros marca(db);
  return comando.ExecuteReturning(valores);
}

TParams ParametrosGravaPagamento(const TPagamentoBaixa& p, int chaveLancamento, int codEmp,
                                 const TLancamentoBaixa* l, const Variant& plaPadrao, bool bloqueio) {
  TParams v;
  v.reserve(p.Chave.size() + p.Valores.size() + 6 + std::size(kColunasVinculo) + std::size(kColunasLancamento));
  for (const auto& [c, x] : p.Chave) v.push_back(x);
  for (const auto& [c, x] : p.Valores) v.push_back(x);
  v.emplace_back(chaveLancamento);
  v.emplace_back(p.ValorGuarda);
  v.emplace_back(p.Valor);
  // The link is recorded in the payment's transaction: a payment without its record could be paid again
  // by a later run, a record without its payment would never be paid. The table's key refuses a second
  // record of one link, so a second payment of it cannot commit either.
  const TOrigemBaixa& o = p.Origem;
  if (o.Vinculo.empty() || o.Sessao <= 0 || o.Id == 0) {
    v.resize(v.size() + std::size(kColunasVinculo));
  } else {
    for (Variant x : {Variant(codEmp), Variant(o.Sessao), Variant(static_cast<long long>(o.Id)),
                      Variant(Utf8Left(o.Vinculo, 60)), Variant(p.TipoBaixa), Variant(p.Valor), Variant(chaveLancamento),
                      Variant(Utf8Left(o.Descricao, 200))})
      v.push_back(std::move(x));
  }
  if (!l) {
    v.resize(v.size() + std::size(kColunasLancamento));
  } else {
    for (Variant x : {Variant(l->CodEmp), Variant(chaveLancamento), Variant(l->Data.DateOnly()), plaPadrao,
                      Variant(l->Debito), Variant(l->Credito), Variant(l->Valor), Variant(Utf8Left(l->Compl, 200)),
                      Variant(Utf8Left(l->Dcto, 30))})
      v.push_back(std::move(x));
  }
  if (p.BloqueioEmp == 0 || !bloqueio) {
    v.resize(v.size() + 3);
  } else {
    v.emplace_back(p.BloqueioEmp);
    v.emplace_back(p.BloqueioData.DateOnly());
    v.emplace_back(p.BloqueioTela);
  }
  return v;
}

}  // namespace vyn
