#include "framework/livros/baixa_pagamento.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <tuple>

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

// Each payment's inputs are named after its place in the statement: A0PK0, A1PK0, ...
std::string Prefixo(size_t i) { return fmt::format("A{}", i); }

// " WHERE A = :A0PK0 AND B = :A0PK1" over the obligation's key, with the alias given.
std::string Onde(const TFormaPagamento& f, const std::string& prefixo, const std::string& alias) {
  std::string onde;
  for (size_t i = 0; i < f.Chave.size(); ++i)
    onde += fmt::format("{}{}{} = :{}PK{}", i ? " AND " : " WHERE ", alias, f.Chave[i], prefixo, i);
  return onde;
}

// A refusal leaves the statement through E_BAIXA_RECUSADA, its text the statement's answer (decoded by
// RespostaDaRecusa): the situation, the payment's place and what the situation tells. The engine then
// undoes what the statement had written, and a statement that answers only when it refuses runs as an
// executable one, at about half the cost of a selectable statement's cursor.
constexpr std::string_view kMarcaRecusa = "BAIXA RECUSADA|";

std::string Texto(const char* expressao) { return fmt::format("COALESCE(CAST({} AS VARCHAR(30)), '')", expressao); }

std::string Recusa(TSituacaoPagamento situacao, size_t indice) {
  std::string conta;
  switch (situacao) {
    case spSaldo: conta = " || '|' || " + Texto("SALDO"); break;
    case spBloqueado:
      conta = " || '|' || BTIPO || '|' || " + Texto("DATEDIFF(DAY FROM DATE '1899-12-30' TO BDINI)") + " || '|' || " +
              Texto("DATEDIFF(DAY FROM DATE '1899-12-30' TO BDFIM)") + " || '|' || COALESCE(BMOTIVO, '')";
      break;
    case spOcupado: conta = " || '|' || GDSCODE"; break;
    default: break;
  }
  return fmt::format("EXCEPTION E_BAIXA_RECUSADA '{}{}|{}'{};\n", kMarcaRecusa, static_cast<int>(situacao), indice,
                     conta);
}

// Another workstation holding the obligation's row, among several payments: the refusal names its payment
// (raised as it is, it would not say whose obligation is held).
std::string OcupadoNaTrava(const std::string& trava, size_t indice) {
  return "BEGIN\n" + trava +
         "WHEN GDSCODE lock_conflict, GDSCODE update_conflict, GDSCODE deadlock, GDSCODE lock_timeout DO\n" +
         Recusa(spOcupado, indice) + "END\n";
}

std::string ParametrosPagamento(const TFormaPagamento& f, const std::string& a) {
  std::vector<std::string> d;
  for (size_t i = 0; i < f.Chave.size(); ++i) d.push_back(Declara(a + "PK" + std::to_string(i), f.Tabela, f.Chave[i]));
  for (size_t i = 0; i < f.Valores.size(); ++i)
    d.push_back(Declara(a + "PV" + std::to_string(i), f.Tabela, f.Valores[i]));
  d.push_back(a + "PGUARDA NUMERIC(18,4) = ?");
  d.push_back(a + "PVALOR NUMERIC(18,4) = ?");
  for (const char* c : kColunasVinculo) d.push_back(Declara(a + "R" + c, kTabelaVinculosLancados, c));
  d.push_back(a + "PBLQEMP INTEGER = ?");
  d.push_back(a + "PBLQDATA DATE = ?");
  d.push_back(a + "PBLQTELA VARCHAR(1000) = ?");
  if (!f.Outras.empty()) d.push_back(a + "PTABELA SMALLINT = ?");
  return Join(d, ", ");
}

std::string Parametros(std::span<const TPagamentoBaixa> ps) {
  std::vector<std::string> d;
  for (size_t i = 0; i < ps.size(); ++i) d.push_back(ParametrosPagamento(*ps[i].Forma, Prefixo(i)));
  d.push_back(Declara("PCHAVELAN", ps.front().Forma->Tabela, "BDCHAVELAN"));
  for (const char* c : kColunasLancamento) d.push_back(Declara(std::string("L") + c, "VZEL_EMPRESAS_TLAN", c));
  return Join(d, ", ");
}

std::string Insercao(const std::string& tabela, const char* const* colunas, size_t n, const std::string& prefixo) {
  std::string cols, vals;
  for (size_t i = 0; i < n; ++i) {
    cols += (i ? ", " : "") + std::string(colunas[i]);
    vals += (i ? ", :" : ":") + prefixo + colunas[i];
  }
  return fmt::format("INSERT INTO {} ({}) VALUES ({})", tabela, cols, vals);
}

// Locks the obligation's row, reading the open balance under the lock where there is one.
std::string TravaObrigacao(const TFormaPagamento& f, size_t indice, bool varios) {
  if (f.TabelaObrigacao.empty() || f.Chave.empty()) return {};
  const std::string a = Prefixo(indice);
  const std::string& coluna = f.Chave.front();
  std::string trava = fmt::format("UPDATE {} O SET {} = {}{}", f.TabelaObrigacao, coluna, coluna, Onde(f, a, "O."));
  trava += f.Guarda.empty() ? ";\n" : " RETURNING " + f.Guarda + " INTO :SALDO;\n";
  return varios ? OcupadoNaTrava(trava, indice) : trava;
}

// Whether the obligation's row is locked by the update that lowers its balance: when the balance is the
// row's own (no payment rows to add up), that update is made only where the balance allows the value, and
// locks the row as the plain lock would; a refused value touches nothing and reads the balance to tell it.
bool AbateNaTrava(const TFormaPagamento& f) {
  return !f.Abate.empty() && !f.Guarda.empty() && f.Pagos.empty() && !f.TabelaObrigacao.empty() && !f.Chave.empty();
}

std::string AbateComTrava(const TFormaPagamento& f, size_t indice, bool varios) {
  const std::string a = Prefixo(indice);
  std::string abate = fmt::format("UPDATE {} O SET {}{} AND ({}) >= :{}PGUARDA;\n", f.TabelaObrigacao, f.Abate,
                                  Onde(f, a, "O."), f.Guarda, a);
  if (varios) abate = OcupadoNaTrava(abate, indice);
  // SALDO is cleared first: among several payments a missing obligation must not be told another's balance.
  return abate + fmt::format("IF (ROW_COUNT <> 1) THEN BEGIN\nSALDO = NULL;\nSELECT {} FROM {} O{} INTO :SALDO;\n{}END\n",
                             f.Guarda, f.TabelaObrigacao, Onde(f, a, "O."), Recusa(spSaldo, indice));
}

std::string CorpoTabela(const TFormaPagamento& f, size_t indice, bool varios);
std::string Vinculo(const std::string& a);

// One payment's part of the statement; what it refuses leaves the statement at once, naming its place.
std::string CorpoPagamento(const TFormaPagamento& f, size_t indice, bool varios) {
  const std::string a = Prefixo(indice);
  // The period's locks first, read again by each settlement (a lock may be set while a run goes on; the
  // gate checked the company, the day and the accounts before): a locked date writes nothing.
  std::string corpo = fmt::format(
      "SALDO = NULL;\nPVALOR = {0}PVALOR;\n"
      "IF ({0}PBLQEMP IS NOT NULL) THEN BEGIN\n"
      "SELECT TIPO, DINI, DFIM, MOTIVO FROM SP_BLOQUEIO_LANCAMENTO(:{0}PBLQEMP, :{0}PBLQDATA, :{0}PBLQDATA, "
      ":{0}PBLQTELA)\n  INTO :BTIPO, :BDINI, :BDFIM, :BMOTIVO;\n"
      "IF (BTIPO <> 0) THEN {1}"
      "END\n",
      a, Recusa(spBloqueado, indice));
  if (f.Outras.empty()) return corpo + CorpoTabela(f, indice, varios) + Vinculo(a);
  // The payment's tables are told by its input: each pair has its branch, the last taking what is left
  // (ParametrosGravaPagamentos refuses a pair the form does not have).
  for (size_t i = 0; i <= f.Outras.size(); ++i) {
    TFormaPagamento outra = f;
    if (i > 0) std::tie(outra.Tabela, outra.TabelaObrigacao) = f.Outras[i - 1];
    outra.Outras.clear();
    if (i > 0) corpo += "ELSE ";
    if (i < f.Outras.size()) corpo += fmt::format("IF ({}PTABELA = {}) THEN ", a, i);
    corpo += "BEGIN\n" + CorpoTabela(outra, indice, varios) + "END\n";
  }
  return corpo + Vinculo(a);
}

// What a payment writes to its tables: the obligation's row locked (its balance read or lowered), the
// payment row with the next sequence.
std::string CorpoTabela(const TFormaPagamento& f, size_t indice, bool varios) {
  const std::string a = Prefixo(indice);
  std::string corpo;
  // Another workstation settling the obligation holds this row until it commits.
  const bool abateNaTrava = AbateNaTrava(f);
  corpo += abateNaTrava ? AbateComTrava(f, indice, varios) : TravaObrigacao(f, indice, varios);
  // The payment's sequence is the next of its obligation's; the same pass over its payment rows answers
  // what they took off the balance.
  if (f.Pagos.empty()) {
    corpo += fmt::format("SELECT COALESCE(MAX({}), 0) + 1 FROM {}{} INTO :SEQ;\n", f.ColunaSeq, f.Tabela, Onde(f, a, ""));
  } else {
    corpo += fmt::format("SELECT COALESCE(MAX({}), 0) + 1, COALESCE(SUM({}), 0) FROM {}{} INTO :SEQ, :PAGO;\n",
                         f.ColunaSeq, f.Pagos, f.Tabela, Onde(f, a, ""));
    if (!f.Guarda.empty()) corpo += "SALDO = SALDO - PAGO;\n";
  }
  if (!f.Guarda.empty() && !abateNaTrava)
    corpo += fmt::format("IF (SALDO IS NULL OR SALDO < {}PGUARDA) THEN {}", a, Recusa(spSaldo, indice));
  std::string cols, vals;
  for (size_t i = 0; i < f.Chave.size(); ++i) {
    cols += f.Chave[i] + ", ";
    vals += fmt::format(":{}PK{}, ", a, i);
  }
  cols += f.ColunaSeq;
  vals += ":SEQ";
  for (size_t i = 0; i < f.Valores.size(); ++i) {
    cols += ", " + f.Valores[i];
    vals += fmt::format(", :{}PV{}", a, i);
  }
  corpo += fmt::format("INSERT INTO {} ({}, BDCHAVELAN) VALUES ({}, :PCHAVELAN);\n", f.Tabela, cols, vals);
  if (!f.Abate.empty() && !abateNaTrava)
    corpo += fmt::format("UPDATE {} SET {}{};\nIF (ROW_COUNT <> 1) THEN {}", f.TabelaObrigacao, f.Abate,
                         Onde(f, a, ""), Recusa(spSemAbate, indice));
  return corpo;
}

std::string Vinculo(const std::string& a) {
  return fmt::format("IF ({}RBDSESSAO IS NOT NULL) THEN ", a) +
         Insercao(kTabelaVinculosLancados, kColunasVinculo, std::size(kColunasVinculo), a + "R") + ";\n";
}

}  // namespace

std::string TextoGravaPagamentos(std::span<const TPagamentoBaixa> ps) {
  if (ps.empty() || ps.size() > kPagamentosPorComando) throw std::logic_error("Número de pagamentos por comando inválido");
  std::string corpo;
  for (size_t i = 0; i < ps.size(); ++i) corpo += CorpoPagamento(*ps[i].Forma, i, ps.size() > 1);
  corpo += "IF (LBDCODEMP IS NOT NULL) THEN " +
           Insercao("VZEL_EMPRESAS_TLAN", kColunasLancamento, std::size(kColunasLancamento), "L") + ";\n";
  return "EXECUTE BLOCK (" + Parametros(ps) +
         ")\nAS\nDECLARE VARIABLE SALDO NUMERIC(18,4);\n"
         "DECLARE VARIABLE BTIPO INTEGER;\nDECLARE VARIABLE BDINI DATE;\nDECLARE VARIABLE BDFIM DATE;\n"
         "DECLARE VARIABLE BMOTIVO VARCHAR(200);\nDECLARE VARIABLE SEQ BIGINT;\n"
         "DECLARE VARIABLE PAGO NUMERIC(18,4);\nDECLARE VARIABLE PVALOR NUMERIC(18,4);\nBEGIN\n" +
         corpo + "END";
}

namespace {

// The answer a refusal's text tells (see Recusa); none when the text is not one.
std::optional<TRespostaPagamentos> RespostaDaRecusa(std::string_view texto) {
  if (!texto.starts_with(kMarcaRecusa)) return std::nullopt;
  texto.remove_prefix(kMarcaRecusa.size());
  // The next field; a lock's reason, the last, is the rest of the text whatever it holds.
  auto campo = [&texto](bool ultimo = false) {
    const size_t fim = ultimo ? std::string_view::npos : texto.find('|');
    const std::string_view c = texto.substr(0, fim);
    texto.remove_prefix(fim == std::string_view::npos ? texto.size() : fim + 1);
    return c;
  };
  auto dia = [](std::string_view t) -> std::optional<TDateTime> {
    const auto d = WholeInteger(t);
    if (!d) return std::nullopt;
    return TDateTime(static_cast<double>(*d));
  };
  const auto situacao = WholeInteger(campo());
  const auto pagamento = WholeInteger(campo());
  if (!situacao || !pagamento || *situacao <= spGravado || *situacao > spOcupado || *pagamento < 0) return std::nullopt;
  TRespostaPagamentos r;
  r.Situacao = static_cast<TSituacaoPagamento>(*situacao);
  r.Pagamento = static_cast<size_t>(*pagamento);
  switch (r.Situacao) {
    case spSaldo:
      if (const std::string_view saldo = campo(); !saldo.empty()) r.Saldo = Currency::ParseSQL(saldo);
      break;
    case spBloqueado:
      r.TipoBloqueio = static_cast<int>(WholeInteger(campo()).value_or(0));
      r.Inicio = dia(campo());
      r.Fim = dia(campo());
      r.Motivo = std::string(campo(true));
      break;
    case spOcupado: r.Codigo = static_cast<long>(WholeInteger(campo()).value_or(0)); break;
    default: break;
  }
  return r;
}

}  // namespace

TRespostaPagamentos GravaPagamentos(TDatabase& db, TStatement& comando, const TParams& valores) {
  TMarcaLivros marca(db);
  try {
    comando.Run(valores);
  } catch (const EDatabaseError& e) {
    if (auto recusa = RespostaDaRecusa(e.what())) return *recusa;
    throw;
  }
  return {};
}

namespace {

void AcrescentaPagamento(TParams& v, const TPagamentoBaixa& p, int chaveLancamento, int codEmp, bool bloqueio) {
  v.insert(v.end(), p.Chave.begin(), p.Chave.end());
  v.insert(v.end(), p.Valores.begin(), p.Valores.end());
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
  if (p.BloqueioEmp == 0 || !bloqueio) {
    v.resize(v.size() + 3);
  } else {
    v.emplace_back(p.BloqueioEmp);
    v.emplace_back(p.BloqueioData.DateOnly());
    v.emplace_back(p.BloqueioTela);
  }
  if (p.Forma->Outras.empty() && p.Tabela == 0) return;
  if (p.Tabela > p.Forma->Outras.size()) throw std::logic_error("Tabela de pagamento fora da forma do pagamento");
  v.emplace_back(static_cast<int>(p.Tabela));
}

}  // namespace

void ParametrosGravaPagamentos(std::span<const TPagamentoBaixa> ps, int chaveLancamento, int codEmp,
                               const TLancamentoBaixa* l, const Variant& plaPadrao, const std::vector<bool>& bloqueio,
                               TParams& v) {
  v.clear();
  v.reserve(ps.size() * 24 + 1 + std::size(kColunasLancamento));
  for (size_t i = 0; i < ps.size(); ++i)
    AcrescentaPagamento(v, ps[i], chaveLancamento, codEmp, i < bloqueio.size() && bloqueio[i]);
  v.emplace_back(chaveLancamento);
  if (!l) {
    v.resize(v.size() + std::size(kColunasLancamento));
  } else {
    for (Variant x : {Variant(l->CodEmp), Variant(chaveLancamento), Variant(l->Data.DateOnly()), plaPadrao,
                      Variant(l->Debito), Variant(l->Credito), Variant(l->Valor), Variant(Utf8Left(l->Compl, 200)),
                      Variant(Utf8Left(l->Dcto, 30))})
      v.push_back(std::move(x));
  }
}

}  // namespace vyn
