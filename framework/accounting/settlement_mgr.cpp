#include "framework/accounting/settlement_mgr.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

#include <fmt/format.h>

#include "framework/livros/baixa_pagamento.h"
#include "framework/core/text.h"
#include "framework/livros/livros.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/faixas_chaves.h"
#include "framework/data/sql_value.h"
#include "framework/host/posting_lock_check.h"
#include "framework/schema/entry_keys.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"

namespace vyn {

namespace {

// The numbers of a key text, its dots being separators ("1...12.3.0" -> 1, 12, 3, 0).
std::vector<int64_t> PartesDaChave(std::string_view chave) {
  std::vector<int64_t> out;
  while (!chave.empty()) {
    const size_t ponto = chave.find('.');
    const std::string_view p = chave.substr(0, ponto);
    chave = ponto == std::string_view::npos ? std::string_view() : chave.substr(ponto + 1);
    if (p.empty()) continue;
    // A run's keys are plain digits, read as they are; anything else reads as a text value would.
    if (const auto n = WholeInteger(p); n && p.front() != '-') {
      out.push_back(*n);
      continue;
    }
    try {
      out.push_back(Variant(Trim(p)).AsInteger());
    } catch (const EVariantError&) {
      return {};
    }
  }
  return out;
}

std::map<int64_t, std::vector<int64_t>> PorEmpresa(const std::vector<std::pair<int64_t, int64_t>>& pedidas) {
  std::map<int64_t, std::vector<int64_t>> out;
  for (const auto& [emp, chave] : pedidas) out[emp].push_back(chave);
  return out;
}

std::string Dinheiro(Currency c) { return c.ToBR(2); }

// A settlement of one payment.
std::vector<TPagamentoBaixa> Um(TPagamentoBaixa p) {
  std::vector<TPagamentoBaixa> v;
  v.push_back(std::move(p));
  return v;
}

const char* const kTabelasPar[] = {"VEF_EMP_TMOVENTPAR", "VEF_EMP_TMOVSAIPAR", "VEF_EMP_TMOVSERPAR",
                                   "VEF_EMP_TMOVF100PAR"};
const char* const kTabelasDoc[] = {"VEF_EMP_TMOVENT", "VEF_EMP_TMOVSAI", "VEF_EMP_TMOVSER",
                                   "VEF_EMP_TMOVDEMAISDOC_F100"};
const char* const kNomesLivro[] = {"entradas", "saídas", "serviços", "demais documentos"};
// The columns every payment row carries, in the order ValoresPagamento gives their values.
const char* const kColunasPagamento[] = {"BDDATAPGTO", "BDVALORPGTO", "BDCHAVEORIGEM", "BDDCTO"};

// What the payments took off the installments of a range that have any, with the selection's own
// expressions: the selection reads its rows as unpaid, and these replace their paid total and balance. A
// run's installments mostly have no payment yet, and reading the payments of each of them cost more than
// its row; a range without payment rows (existe finds none) does not even prepare the read (pagos).
// A range of a company's keys, as the range statements take it.
TParams ParametrosFaixa(int64_t emp, int64_t de, int64_t ate) {
  return {Variant(static_cast<long long>(emp)), Variant(static_cast<long long>(de)), Variant(static_cast<long long>(ate))};
}

// Where each named column lies in a selection; oque names the selection in the error of a missing one.
std::vector<size_t> PosicoesColunas(const std::vector<TColumnInfo>& colunas, const std::vector<std::string>& nomes,
                                    const std::string& oque) {
  std::vector<size_t> posicoes;
  for (const std::string& nome : nomes) {
    const int i = IndexOfColumn(colunas, nome);
    if (i < 0) throw EDatabaseError("Seleção de " + oque + " sem a coluna " + nome);
    posicoes.push_back(static_cast<size_t>(i));
  }
  return posicoes;
}

class TPagosDaFaixa : public IComplementoFaixa {
 public:
  TPagosDaFaixa(TDatabase& db, std::string existe, std::string pagos)
      : db_(db), existe_(std::move(existe)), sqlPagos_(std::move(pagos)) {}

  void LeFaixa(int64_t emp, int64_t de, int64_t ate) override {
    pagos_.clear();
    const TParams faixa = ParametrosFaixa(emp, de, ate);
    if (db_.Prepared(existe_).QueryValue(faixa).IsNull()) return;
    db_.Prepared(sqlPagos_).Query(faixa, [this](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
      pagos_[{r[0].AsInteger(), r[1].AsInteger()}] = {r[2], r[3]};
    });
  }
  bool Vazio() const override { return pagos_.empty(); }
  void Completa(const std::vector<TColumnInfo>& colunas, std::vector<Variant>& linha) override {
    if (posicoes_.empty())
      posicoes_ = PosicoesColunas(colunas, {"BDCHAVE", "BDORDEMPAR", "BDVALORTOTAL", "BDSALDOAPAGAR"}, "parcelas");
    const auto it = pagos_.find({linha[posicoes_[0]].AsInteger(), linha[posicoes_[1]].AsInteger()});
    if (it == pagos_.end()) return;
    linha[posicoes_[2]] = it->second.first;
    linha[posicoes_[3]] = it->second.second;
  }

 private:
  TDatabase& db_;
  std::string existe_, sqlPagos_;
  std::map<std::pair<int64_t, int64_t>, std::pair<Variant, Variant>> pagos_;   // by document and order
  std::vector<size_t> posicoes_;
};

// The document of each installment of a range (its number, its nature, whether it has a book value), read
// once per document by the range of the documents' own key. Joined to the installments' read, each
// installment looked its document up by key again, and that cost more than its own row.
class TDocumentosDaFaixa : public IComplementoFaixa {
 public:
  TDocumentosDaFaixa(TDatabase& db, std::string sql, std::string natureza)
      : db_(db), sql_(std::move(sql)), natureza_(std::move(natureza)) {}

  void LeFaixa(int64_t emp, int64_t de, int64_t ate) override {
    docs_.clear();
    db_.Prepared(sql_).Query(ParametrosFaixa(emp, de, ate),
                             [this](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
                               const bool semValor = r[3].IsNull() || r[3].AsCurrency().IsZero();
                               docs_.emplace(r[0].AsInteger(), TDocumento{r[1], r[2], semValor});
                             });
  }
  // Every installment is completed: one without a document has no book value either.
  bool Vazio() const override { return false; }
  void Completa(const std::vector<TColumnInfo>& colunas, std::vector<Variant>& linha) override {
    if (posicoes_.empty())
      posicoes_ = PosicoesColunas(colunas, {"BDCHAVE", "BDNUMDOCINI", natureza_, "BDSALDOAPAGAR"}, "parcelas");
    const auto it = docs_.find(linha[posicoes_[0]].AsInteger());
    if (it == docs_.end() || it->second.SemValor) linha[posicoes_[3]] = Variant(Currency::FromInt(-1));
    if (it == docs_.end()) return;
    linha[posicoes_[1]] = it->second.Numero;
    linha[posicoes_[2]] = it->second.Natureza;
  }

 private:
  struct TDocumento {
    Variant Numero, Natureza;
    bool SemValor;
  };
  TDatabase& db_;
  std::string sql_, natureza_;
  std::unordered_map<int64_t, TDocumento> docs_;
  std::vector<size_t> posicoes_;
};

// Complements applied in turn, each over what the one before left.
class TComplementos : public IComplementoFaixa {
 public:
  explicit TComplementos(std::vector<IComplementoFaixa*> partes) : partes_(std::move(partes)) {}
  void LeFaixa(int64_t emp, int64_t de, int64_t ate) override {
    for (IComplementoFaixa* p : partes_) p->LeFaixa(emp, de, ate);
  }
  bool Vazio() const override {
    return std::all_of(partes_.begin(), partes_.end(), [](const IComplementoFaixa* p) { return p->Vazio(); });
  }
  void Completa(const std::vector<TColumnInfo>& colunas, std::vector<Variant>& linha) override {
    for (IComplementoFaixa* p : partes_)
      if (!p->Vazio()) p->Completa(colunas, linha);
  }

 private:
  std::vector<IComplementoFaixa*> partes_;
};

}  // namespace

int TipoBaixaDaParte(int tipoParte) {
  switch (tipoParte) {
    case 2: return tbpDesconto;
    case 3: return tbpMulta;
    case 4: return tbpJuros;
    default: return tbpPrincipal;
  }
}

// ---------------------------------------------------------------------------------------------------
// TTransacaoBaixas

void TTransacaoBaixas::Garante() {
  // A transaction someone else opened is not taken for the run's: its settlements keep the rules of a
  // caller's transaction.
  if (!Aberta() && !db_.InTransaction()) tr_.emplace(db_);
}

void TTransacaoBaixas::Confirma() {
  if (Aberta()) tr_->CommitRetaining();
}

void TTransacaoBaixas::Desfaz() {
  if (tr_) tr_->Rollback();
}

void TTransacaoBaixas::Encerra() {
  if (Aberta()) tr_->Commit();
}

// ---------------------------------------------------------------------------------------------------
// TBaixaMGR

TBaixaMGR::TBaixaMGR(TComponent* owner, std::string table, TDatabase* db) : TDAOFactory(owner, std::move(table), db) {
  // Rows are read for selection; every write goes through the posting statements.
  SetControlMemory(true);
}

bool TBaixaMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TBaixaMGR") || TDAOFactory::InheritsFrom(class_name);
}

void TBaixaMGR::Inicializa() {
  if (Active()) Close();
  baixados_.clear();
  planosPadrao_.clear();
  contasConfiguracao_.clear();
}

void TBaixaMGR::Atencao(const std::string& text) const {
  if (inconsistencias_) inconsistencias_->Add_Atencao(codemp_, text);
}

int64_t TBaixaMGR::ChaveOrigem() { return OnGetChaveOrigem ? OnGetChaveOrigem(this) : 0; }

bool TBaixaMGR::JaBaixado(int64_t origem, const std::string& obrigacao, int tipo, const std::string& descricao,
                          const std::vector<TPagamentoBaixa>& pendentes) const {
  if (origem <= 0) return false;
  bool ja = baixados_.count({origem, obrigacao, tipo}) > 0;
  for (const TPagamentoBaixa& p : pendentes)
    ja = ja || (p.ChaveOrigem == origem && p.Obrigacao == obrigacao && p.TipoBaixa == tipo);
  if (!ja) return false;
  Atencao(fmt::format("Baixa não lançada: {} já foi baixada para o lançamento {}.", descricao, origem));
  return true;
}

bool TBaixaMGR::ContasDaConfiguracao(int plano, int chave, TDateTime data, const std::string& descricao,
                                     int& debito, int& credito) {
  debito = credito = 0;
  if (chave > 0) {
    // A run's settlements name a few configurations, each valid for a whole month.
    const auto k = std::make_tuple(plano, chave, AnoMes(data));
    auto it = contasConfiguracao_.find(k);
    if (it == contasConfiguracao_.end()) {
      TCONF_CONTAS_ONLINEMGR conf(nullptr, &Database());
      TListaContasOnline l = conf.GetConfiguracaoPorChave(plano, chave, data);
      std::pair<int, int> contas{0, 0};
      if (!l.empty()) contas = {l.front().ContaDebPgto, l.front().ContaCredPgto};
      it = contasConfiguracao_.emplace(k, contas).first;
    }
    debito = it->second.first;
    credito = it->second.second;
  }
  if (chave > 0 && debito > 0 && credito > 0) return true;
  Atencao(fmt::format("Baixa não lançada: não há configuração de contas online {} do plano {} válida em {} para {}.",
                      chave, plano, DateToStr(data), descricao));
  return false;
}

bool TBaixaMGR::BloqueioNoComando(TPagamentoBaixa& p, TDateTime data) {
  // Every settlement's statement applies the books' rules, whatever lock object its road gave (or none).
  p.BloqueioEmp = codemp_;
  p.BloqueioData = data;
  p.BloqueioTela = tela_.empty() ? ExecucaoDe(this).TelasSQL() : tela_;
  return bloqueio_ && bloqueio_->VerificaNoBanco(Database());
}

bool TBaixaMGR::Bloqueado(TDateTime data, const std::string& descricao) {
  if (!bloqueio_) return false;
  if (!bloqueio_->Execute(codemp_, data, data, tela_)) return false;
  if (bloqueio_->Inconsistencias() != inconsistencias_)
    Atencao(fmt::format("Baixa não lançada: o período de {} está bloqueado para lançamentos ({}).", DateToStr(data),
                        descricao));
  return true;
}

// A group's payments share its entry's company and day: the first one's statement reads the period's
// locks for all, in the settlement's transaction.
std::vector<bool> TBaixaMGR::Bloqueios(const std::vector<TPagamentoBaixa>& pagamentos) {
  std::vector<bool> ler(pagamentos.size(), true);
  for (size_t i = 0; i < pagamentos.size(); ++i) {
    const TPagamentoBaixa& p = pagamentos[i];
    for (size_t a = 0; a < i && ler[i]; ++a)
      ler[i] = !(pagamentos[a].BloqueioEmp == p.BloqueioEmp && pagamentos[a].BloqueioData.Days() == p.BloqueioData.Days() &&
                 pagamentos[a].BloqueioTela == p.BloqueioTela);
  }
  return ler;
}

std::shared_ptr<const TFormaPagamento> TBaixaMGR::Forma(const std::string& nome,
                                                       const std::function<TFormaPagamento()>& faz) {
  auto it = formas_.find(nome);
  if (it == formas_.end()) it = formas_.emplace(nome, std::make_shared<const TFormaPagamento>(faz())).first;
  return it->second;
}

TStatement& TBaixaMGR::ComandoPagamentos(TDatabase& db, std::span<const TPagamentoBaixa> ps) {
  // A run posts thousands of settlements of a few kinds: each sequence of kinds is made into a text and
  // prepared once. The kinds are this manager's own (Forma), alive as long as these statements.
  std::vector<const TFormaPagamento*> formas;
  formas.reserve(ps.size());
  for (const TPagamentoBaixa& p : ps) formas.push_back(p.Forma.get());
  TComandoPagamento& c = comandos_[formas];
  if (!c.Comando || c.Banco != &db || c.Geracao != db.Generation())
    c = {&db, db.Generation(), &db.Prepared(TextoGravaPagamentos(ps))};
  return *c.Comando;
}

// Another workstation settling the same obligation holds its row until it commits; then this one's
// lock fails and the settlement is refused with a plain message instead of paying twice.
bool TBaixaMGR::GravaPagamentos(TDatabase& db, std::span<const TPagamentoBaixa> ps, int chave,
                                const TLancamentoBaixa& l, bool lanca, const Variant& plaPadrao, bool juntaAberta,
                                const std::vector<bool>& bloqueios) {
  TStatement& st = ComandoPagamentos(db, ps);
  auto ocupada = [&](const TPagamentoBaixa& p, const std::string& sql, long codigo) {
    const std::string msg =
        fmt::format("Baixa não lançada: {} está sendo baixada por outra estação de trabalho.", p.Descricao);
    if (juntaAberta) throw EDatabaseError(msg, sql, codigo);
    Atencao(msg);
    return false;
  };
  TRespostaPagamentos r;
  try {
    ParametrosGravaPagamentos(ps, chave, l.CodEmp, lanca ? &l : nullptr, plaPadrao, bloqueios, parametros_);
    r = vyn::GravaPagamentos(db, st, parametros_);
  } catch (const EDatabaseError& e) {
    if (!e.IsLockConflict()) throw;
    return ocupada(ps.front(), e.SQL(), e.ErrorCode());
  }
  if (r.Situacao == spGravado) return true;
  if (r.Pagamento >= ps.size())
    throw EDatabaseError("A baixa de " + ps.front().Descricao + " não atualizou a obrigação.", st.SQL());
  const TPagamentoBaixa& p = ps[r.Pagamento];
  if (r.Situacao == spOcupado) return ocupada(p, st.SQL(), r.Codigo);
  if (r.Situacao == spBloqueado) {
    // As Bloqueado tells it; nothing was written, also inside a caller's transaction.
    auto data = [](const std::optional<TDateTime>& d) { return d ? DateToStr(*d) : std::string(); };
    const std::string motivo =
        MensagemRegra(r.TipoBloqueio, p.BloqueioEmp, p.BloqueioData, data(r.Inicio), data(r.Fim), r.Motivo);
    if (!bloqueio_) {
      Atencao(fmt::format("Baixa não lançada: {} ({})", motivo, p.Descricao));
      return false;
    }
    bloqueio_->Recusa(p.BloqueioEmp, motivo);
    if (bloqueio_->Inconsistencias() != inconsistencias_)
      Atencao(fmt::format("Baixa não lançada: o período de {} está bloqueado para lançamentos ({}).",
                          DateToStr(p.BloqueioData), p.Descricao));
    return false;
  }
  if (r.Situacao != spSaldo) throw EDatabaseError("A baixa de " + p.Descricao + " não atualizou a obrigação.", st.SQL());
  const Currency saldo = r.Saldo.value_or(Currency());
  const std::string msg = fmt::format("Baixa não lançada: o valor {} é maior que o saldo a pagar {} de {}.",
                                      Dinheiro(p.ValorGuarda), Dinheiro(saldo), p.Descricao);
  // Inside the caller's transaction nothing can be undone here: the caller's run fails.
  if (juntaAberta) throw EDatabaseError(msg);
  Atencao(msg);
  return false;
}

bool TBaixaMGR::LivrosAceitam(const TLancamentoBaixa& l) {
  if (!livros_) {
    livros_ = std::make_unique<TLivros>(Database(), ExecucaoDe(this));
    if (!diasPrevistos_.empty()) livros_->LePeriodos(empresaPrevista_, diasPrevistos_);
  }
  const auto recusa = livros_->Recusa({l.CodEmp, l.Data, l.Debito, l.Credito, 0, 0});
  if (!recusa) return true;
  if (bloqueio_)
    bloqueio_->Recusa(l.CodEmp, recusa->Mensagem);
  if (!bloqueio_ || bloqueio_->Inconsistencias() != inconsistencias_)
    Atencao(fmt::format("Baixa não lançada: {} ({})", recusa->Mensagem, l.Compl));
  return false;
}

int TBaixaMGR::Grava(const TLancamentoBaixa& l, const std::vector<TPagamentoBaixa>& pagamentos,
                     TTransaction* aberta) {
  if (pagamentos.empty()) throw std::logic_error("Baixa sem pagamento");
  if (!LivrosAceitam(l)) return 0;
  TDatabase& db = Database();
  if (!aberta) IniciaBaixa();
  std::optional<TTransaction> propria;
  TTransaction& tr = aberta ? *aberta : propria.emplace(db, TTransaction::kJuntaAberta);
  // In the run's transaction the settlement is this one's alone: a refusal or a failure rolls it back
  // here, instead of failing a caller's transaction.
  TTransacaoBaixas* execucao = execucao_ && execucao_->Aberta() && tr.Joined() ? execucao_ : nullptr;
  struct TDesfaz {
    TTransacaoBaixas* t;
    ~TDesfaz() {
      try {
        if (t) t->Desfaz();
      } catch (...) {
        // the refusal is warned about, or the run's error is on its way to the caller
      }
    }
  } desfaz{execucao};
  const int chave = ProximaChave(db, l.CodEmp);
  const Variant plaPadrao = PlanoPadrao(db, l.CodEmp, AnoMes(l.Data));
  // Each balance is read inside the transaction, after the group's earlier payments: what was selected
  // may have been paid since. A group's payments go in one statement (a large group in a few), the
  // entry with the last.
  const std::vector<bool> bloqueios = Bloqueios(pagamentos);
  const std::span<const TPagamentoBaixa> todos(pagamentos);
  for (size_t i = 0; i < pagamentos.size(); i += kPagamentosPorComando) {
    const size_t n = std::min(kPagamentosPorComando, pagamentos.size() - i);
    const std::vector<bool> lidos(bloqueios.begin() + static_cast<std::ptrdiff_t>(i),
                                  bloqueios.begin() + static_cast<std::ptrdiff_t>(i + n));
    if (!GravaPagamentos(db, todos.subspan(i, n), chave, l, i + n == pagamentos.size(), plaPadrao,
                         tr.Joined() && !execucao, lidos))
      return 0;
  }
  if (execucao) {
    execucao->Confirma();
    desfaz.t = nullptr;
  } else {
    tr.Commit();
  }
  gerados_.push_back(chave);
  for (const TPagamentoBaixa& p : pagamentos)
    if (p.ChaveOrigem > 0) baixados_.emplace(p.ChaveOrigem, p.Obrigacao, p.TipoBaixa);
  return chave;
}

// Each range of a company's keys (FaixasDeChaves) adds its rows through one prepared statement that
// walks the "company and key" index from the range's first key to its last; the same statement gives the
// selection its structure. The keys of a run's obligations mostly follow one another, so a company
// usually takes one statement; the rows between two asked keys that no key names are left out here.
void TBaixaMGR::AbrePorPartes(const std::function<std::string(const std::string& condicao)>& sql,
                              const std::string& alias, const std::string& coluna,
                              const std::map<int64_t, std::vector<int64_t>>& porEmpresa,
                              IComplementoFaixa* complemento) {
  TStatement& st =
      Database().Prepared(sql(fmt::format("({0}.BDCODEMP = ? and {0}.{1} between ? and ?)", alias, coluna)));
  OpenFields(st);
  TDisabledControls controles(*this);
  TBulkLoad lote(*this);
  for (const auto& [emp, ids] : porEmpresa) {
    const std::vector<int64_t> chaves = ChavesOrdenadas(ids);
    for (std::span<const int64_t> faixa : FaixasDeChaves(chaves)) AdicionaFaixa(st, coluna, emp, faixa, complemento);
  }
  // What was read is the database's state, not rows to insert.
  MergeChangeLog();
  First();
}

void TBaixaMGR::AdicionaFaixa(TStatement& st, const std::string& coluna, int64_t emp,
                              std::span<const int64_t> chaves, IComplementoFaixa* complemento) {
  if (complemento) complemento->LeFaixa(emp, chaves.front(), chaves.back());
  const bool completa = complemento && !complemento->Vazio();
  std::optional<size_t> pos;
  st.Query(ParametrosFaixa(emp, chaves.front(), chaves.back()), [&](const std::vector<TColumnInfo>& colunas,
                                                                   const std::vector<Variant>& row) {
    if (!pos) {
      const int i = IndexOfColumn(colunas, coluna);
      if (i < 0) throw EDatabaseError("Seleção de baixas sem a coluna " + coluna, st.SQL());
      pos = static_cast<size_t>(i);
    }
    if (!std::binary_search(chaves.begin(), chaves.end(), row[*pos].AsInteger())) return;
    if (!completa) {
      AppendRecord(row);
      return;
    }
    std::vector<Variant> linha(row);
    complemento->Completa(colunas, linha);
    AppendRecord(linha);
  });
}

// A key reserved and left unused by a refused settlement is a gap, as it was when each settlement
// reserved its own: reserved keys are committed at once and never handed out twice.
int TBaixaMGR::ProximaChave(TDatabase& db, int codEmp) {
  constexpr size_t kMaiorBloco = 1000;
  TChavesReservadas& c = *chaves_;
  if (c.Proxima >= c.Fim || c.CodEmp != codEmp) {
    const int bloco = static_cast<int>(std::clamp<size_t>(c.Previstas, 1, kMaiorBloco));
    c.Proxima = ReserveEntryKeys(db, codEmp, bloco);
    c.Fim = c.Proxima + bloco;
    c.CodEmp = codEmp;
  }
  if (c.Previstas > 0) --c.Previstas;
  return c.Proxima++;
}

// The company's standard chart of the month does not change during a run.
Variant TBaixaMGR::PlanoPadrao(TDatabase& db, int codEmp, int anoMes) {
  auto it = planosPadrao_.find({codEmp, anoMes});
  if (it != planosPadrao_.end()) return it->second;
  const Variant p = db.Prepared("select R.BDCODPLAPADRAO from TEMPRESAS_REF R where R.BDCODEMP = ? and R.BDREFEMP = "
                                "(select BDREFEMP from SP_GETREFERENCIA(?, ?))")
                        .QueryValue({codEmp, codEmp, anoMes});
  planosPadrao_.emplace(std::make_pair(codEmp, anoMes), p);
  return p;
}

std::vector<std::pair<int64_t, int64_t>> TBaixaMGR::ChavesPedidas(const std::vector<std::string>& chaves,
                                                                   size_t partes, size_t posEmp, size_t posChave,
                                                                   const std::string& oque) {
  std::vector<std::pair<int64_t, int64_t>> pedidas;
  for (const std::string& c : chaves) {
    std::vector<int64_t> p = PartesDaChave(c);
    if (p.size() != partes) {
      Atencao(fmt::format("Baixa não lançada: a chave de {} \"{}\" é inválida.", oque, c));
      continue;
    }
    pedidas.emplace_back(p[posEmp], p[posChave]);
  }
  return pedidas;
}

void TBaixaMGR::AvisaAusentes(const std::vector<std::pair<int64_t, int64_t>>& pedidas, const std::string& campos,
                              const std::function<std::string(int64_t emp, int64_t chave)>& aviso) {
  // What the selection holds is noted in one pass, not searched for once per key.
  const std::vector<std::string> nomes = Split(campos, ';');
  const TField& fEmp = FieldByName(nomes.at(0));
  const TField& fChave = FieldByName(nomes.at(1));
  std::set<std::pair<int64_t, int64_t>> achadas;
  for (First(); !Eof(); Next()) achadas.emplace(fEmp.AsInteger(), fChave.AsInteger());
  std::set<std::pair<int64_t, int64_t>> avisadas;
  for (const auto& [emp, chave] : pedidas) {
    if (achadas.count({emp, chave})) continue;
    if (avisadas.insert({emp, chave}).second) Atencao("Baixa não lançada: " + aviso(emp, chave));
  }
}

bool TBaixaMGR::SemSelecao(const std::string& oque) const {
  if (Active() && !IsEmpty() && !Eof()) return false;
  Atencao("Baixa não lançada: " + oque + ".");
  return true;
}

bool TBaixaMGR::ValorAceito(Currency valor, const Currency* saldo, const std::string& descricao) const {
  if (valor <= Currency()) {
    Atencao(fmt::format("Baixa não lançada: o valor pago de {} é {}.", descricao,
                        valor < Currency() ? "negativo (" + Dinheiro(valor) + ")" : std::string("zero")));
    return false;
  }
  if (saldo && valor > *saldo) {
    Atencao(fmt::format("Baixa não lançada: o valor {} é maior que o saldo a pagar {} de {}.", Dinheiro(valor),
                        Dinheiro(*saldo), descricao));
    return false;
  }
  return true;
}

TLancamentoBaixa TBaixaMGR::Lancamento(TDateTime data, int debito, int credito, Currency valor, std::string complemento) {
  TLancamentoBaixa l;
  l.CodEmp = codemp_;
  l.Data = data;
  l.Debito = debito;
  l.Credito = credito;
  l.Valor = valor;
  l.Dcto = OnGetNumeroDcto ? OnGetNumeroDcto(this) : std::string();
  l.Compl = std::move(complemento);
  return l;
}

std::vector<Variant> TBaixaMGR::ValoresPagamento(TDateTime data, Currency valor, const std::string& dcto) {
  return {data.DateOnly(), valor, Variant(static_cast<long long>(ChaveOrigem())), Utf8Left(dcto, 30)};
}

Currency TBaixaMGR::LancaBaixa(const TObrigacaoBaixa& o) {
  valorLancado_ = Currency();
  if (o.Saldo <= Currency()) {
    Atencao(fmt::format("Baixa não lançada: {} já está {}.", o.Descricao, o.Quitada));
    return Currency();
  }
  const Currency valor = OnGetValorPgto ? OnGetValorPgto(this) : o.Saldo;
  if (!ValorAceito(valor, &o.Saldo, o.Descricao)) return Currency();
  const TDateTime data = OnGetDataPagamento ? OnGetDataPagamento(this) : Today();
  const int plano = OnGetPlanoOnline ? OnGetPlanoOnline(this) : 0;
  const int conf = OnGetChaveLancamento ? OnGetChaveLancamento(this) : 0;
  int debito = 0, credito = 0;
  if (!ContasDaConfiguracao(plano, conf, data, o.Descricao, debito, credito)) return Currency();
  if (OnGetContaCredito) {
    const int c = OnGetContaCredito(this);
    if (c > 0) credito = c;
  }
  // The lock check reads in the settlement's own transaction: one transaction per settlement.
  IniciaBaixa();
  TTransaction tr(Database(), TTransaction::kJuntaAberta);
  TPagamentoBaixa p;
  if (!BloqueioNoComando(p, data) && Bloqueado(data, o.Descricao)) return Currency();
  const int64_t origem = ChaveOrigem();
  if (JaBaixado(origem, o.Identificacao, tbpPrincipal, o.Descricao)) return Currency();

  const TLancamentoBaixa l = Lancamento(data, debito, credito, valor, o.Compl);
  std::string nome = o.Tabela + '|' + o.SaldoSQL + '|' + o.AbateSQL;
  for (const auto& [coluna, valorChave] : o.Chave) nome += '|' + coluna;
  p.Forma = Forma(nome, [&] {
    TFormaPagamento f;
    f.Tabela = o.Tabela + "_BAIXA";
    for (const auto& [coluna, valorChave] : o.Chave) f.Chave.push_back(coluna);
    f.ColunaSeq = "BDSEQ";
    f.Valores.assign(std::begin(kColunasPagamento), std::end(kColunasPagamento));
    f.TabelaObrigacao = o.Tabela;
    f.Guarda = o.SaldoSQL;
    f.Abate = o.AbateSQL;
    return f;
  });
  for (const auto& [coluna, valorChave] : o.Chave) p.Chave.push_back(valorChave);
  p.Valores = ValoresPagamento(data, valor, l.Dcto);
  p.ValorGuarda = valor;
  p.Descricao = o.Descricao;
  p.Origem = Origem();
  p.Valor = valor;
  p.ChaveOrigem = origem;
  p.Obrigacao = o.Identificacao;
  if (Grava(l, Um(std::move(p)), &tr) == 0) return Currency();
  valorLancado_ = valor;
  return valor;
}

// ---------------------------------------------------------------------------------------------------
// TDARFGERPGTOMGR

TDARFGERPGTOMGR::TDARFGERPGTOMGR(TComponent* owner, TDatabase* db) : TBaixaMGR(owner, "TDARFGERPGTO", db) {}

TDARFGERPGTOMGR* TDARFGERPGTOMGR::CreateMgr(TComponent* owner, bool, bool, bool) {
  return TDAOFactory::CreateMgrOf<TDARFGERPGTOMGR>(owner);
}

void TDARFGERPGTOMGR::SetCODEMP(TEdit_Codigo_Search_VYN* edit) {
  SetCodEmpAtual(edit ? static_cast<int>(edit->Codigo()) : 0);
}

void TDARFGERPGTOMGR::SelectGuiasParaBaixa(const std::vector<std::string>& chaves, TBloqueioLancamento_VYN* bloqueio,
                                           const std::string& tela, bool) {
  SetBloqueio(bloqueio, tela);
  const auto pedidas = ChavesPedidas(chaves, 2, 0, 1, "guia de imposto");
  AbrePorPartes(
      [](const std::string& condicao) {
        return "select G.BDCODEMP, G.BDCHAVEDARF, G.BDCODRECEITA, G.BDREFERENCIA, G.BDDATAVENCTO, G.BDVALOR, "
               "G.BDSALDOAPAGAR from TDARFGERPGTO G where " +
               condicao + " order by G.BDCODEMP + 0, G.BDCHAVEDARF";
      },
      "G", "BDCHAVEDARF", PorEmpresa(pedidas));
  AvisaAusentes(pedidas, "BDCODEMP;BDCHAVEDARF", [](int64_t emp, int64_t guia) {
    return fmt::format("a guia de imposto {} da empresa {} não foi encontrada.", guia, emp);
  });
  First();
}

void TDARFGERPGTOMGR::LancaBaixaImpostoAtual(const std::string&, TClientDataSet*, TInconsistencias_VYN*) {
  if (SemSelecao("nenhuma guia de imposto selecionada")) return;
  const int emp = static_cast<int>(FieldByName("BDCODEMP").AsInteger());
  SetCodEmpAtual(emp);
  const int64_t guia = FieldByName("BDCHAVEDARF").AsInteger();
  TObrigacaoBaixa o;
  o.Tabela = "TDARFGERPGTO";
  o.Chave = {{"BDCODEMP", emp}, {"BDCHAVEDARF", Variant(static_cast<long long>(guia))}};
  o.SaldoSQL = "BDSALDOAPAGAR";
  o.AbateSQL = "BDSALDOAPAGAR = BDSALDOAPAGAR - :PVALOR";
  o.Saldo = FieldByName("BDSALDOAPAGAR").AsCurrency();
  o.Identificacao = fmt::format("G|{}|{}", emp, guia);
  o.Descricao = fmt::format("a guia de imposto {} da empresa {}", guia, emp);
  o.Quitada = "quitada";
  o.Compl = fmt::format("Baixa da guia de imposto {}", guia);
  const Currency valor = LancaBaixa(o);
  if (valor.IsZero()) return;
  // The selection follows what was paid, so a second posting sees the new balance.
  Edit();
  FieldByName("BDSALDOAPAGAR").SetAsCurrency(o.Saldo - valor);
  Post();
}

// ---------------------------------------------------------------------------------------------------
// TDADOSPGTOCALCMGR

TDADOSPGTOCALCMGR::TDADOSPGTOCALCMGR(TComponent* owner, TDatabase* db) : TBaixaMGR(owner, "TDADOSPGTOCALC", db) {}

TDADOSPGTOCALCMGR* TDADOSPGTOCALCMGR::CreateMgr(TComponent* owner, bool, bool) {
  return TDAOFactory::CreateMgrOf<TDADOSPGTOCALCMGR>(owner);
}

void TDADOSPGTOCALCMGR::SetEDCODEMP(TEdit_Codigo_Search_VYN* edit) {
  SetCodEmpAtual(edit ? static_cast<int>(edit->Codigo()) : 0);
}

void TDADOSPGTOCALCMGR::SelectCalculosParaBaixa(const std::vector<std::string>& chaves) {
  const auto pedidas = ChavesPedidas(chaves, 3, 1, 2, "cálculo");
  AbrePorPartes(
      [](const std::string& condicao) {
        return "select C.BDCODEMP, C.BDTIPOCALC, C.BDCHAVE, C.BDORDEMCALC, C.BDREFERENCIA, C.BDDESCRICAO, "
               "C.BDLIQUIDO, coalesce(C.BDVLRPGTO, 0) as BDVLRPGTO from TDADOSPGTOCALC C where " +
               condicao + " order by C.BDCODEMP + 0, C.BDTIPOCALC, C.BDCHAVE, C.BDORDEMCALC";
      },
      "C", "BDCHAVE", PorEmpresa(pedidas));
  AvisaAusentes(pedidas, "BDCODEMP;BDCHAVE", [](int64_t emp, int64_t chave) {
    return fmt::format("o cálculo {} da empresa {} não foi encontrado.", chave, emp);
  });
  First();
}

void TDADOSPGTOCALCMGR::LancaBaixaCalculoAtual() {
  if (SemSelecao("nenhum cálculo selecionado")) return;
  const int emp = static_cast<int>(FieldByName("BDCODEMP").AsInteger());
  SetCodEmpAtual(emp);
  const int tipo = static_cast<int>(FieldByName("BDTIPOCALC").AsInteger());
  const int64_t chave = FieldByName("BDCHAVE").AsInteger();
  const int ordem = static_cast<int>(FieldByName("BDORDEMCALC").AsInteger());
  const Currency pago = FieldByName("BDVLRPGTO").AsCurrency();
  TObrigacaoBaixa o;
  o.Tabela = "TDADOSPGTOCALC";
  o.Chave = {{"BDCODEMP", emp}, {"BDTIPOCALC", tipo}, {"BDCHAVE", Variant(static_cast<long long>(chave))},
             {"BDORDEMCALC", ordem}};
  o.SaldoSQL = "BDLIQUIDO - coalesce(BDVLRPGTO, 0)";
  o.AbateSQL = "BDVLRPGTO = coalesce(BDVLRPGTO, 0) + :PVALOR";
  o.Saldo = FieldByName("BDLIQUIDO").AsCurrency() - pago;
  o.Identificacao = fmt::format("C|{}|{}|{}|{}", emp, tipo, chave, ordem);
  o.Descricao = fmt::format("o cálculo {} (tipo {}, ordem {}) da empresa {}", chave, tipo, ordem, emp);
  o.Quitada = "quitado";
  o.Compl = fmt::format("Baixa do cálculo {}/{}", chave, ordem);
  const Currency valor = LancaBaixa(o);
  if (valor.IsZero()) return;
  Edit();
  FieldByName("BDVLRPGTO").SetAsCurrency(pago + valor);
  Post();
}

// ---------------------------------------------------------------------------------------------------
// TMovParPgtoMGR

TMovParPgtoMGR::TMovParPgtoMGR(TComponent* owner, int livro, TDatabase* db)
    : TBaixaMGR(owner, kTabelasPar[livro < 0 || livro > 3 ? 0 : livro], db), livro_(livro < 0 || livro > 3 ? 0 : livro) {}

TMovParPgtoMGR::~TMovParPgtoMGR() {
  // A group left open at the end of a run is written, not lost.
  if (!grupo_.Aberto()) return;
  try {
    pLimpaParcela();
  } catch (const std::exception& e) {
    if (Inconsistencia())
      Inconsistencia()->Add_Erro(CodEmpAtual(), std::string("Baixa agrupada não gravada: ") + e.what());
  }
}

bool TMovParPgtoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TMovParPgtoMGR") || TBaixaMGR::InheritsFrom(class_name);
}

void TMovParPgtoMGR::Inicializa() {
  TBaixaMGR::Inicializa();
  grupo_ = Grupo();
  Parcial = false;
  tipoBaixa_ = tbpPrincipal;
}

TCONF_CONTAS_ONLINEMGR* TMovParPgtoMGR::ConfContasOnline() {
  if (!conf_) conf_ = Create<TCONF_CONTAS_ONLINEMGR>(&Database());
  return conf_;
}

void TMovParPgtoMGR::CompartilhaComandos(std::vector<int> livros) {
  std::sort(livros.begin(), livros.end());
  livros.erase(std::unique(livros.begin(), livros.end()), livros.end());
  const bool valido = std::all_of(livros.begin(), livros.end(), [](int l) { return l >= 0 && l <= 3; }) &&
                      std::binary_search(livros.begin(), livros.end(), livro_);
  livrosComandos_ = valido && livros.size() > 1 ? std::move(livros) : std::vector<int>();
  formaSaldo_.reset();
  formaParte_.reset();
}

std::string TMovParPgtoMGR::NomeForma(std::string tipo) const {
  for (int l : livrosComandos_) tipo += '|' + std::to_string(l);
  return tipo;
}

std::string TMovParPgtoMGR::GetTablePagamento() const { return std::string(kTabelasPar[livro_]) + "PGTO"; }

std::string TMovParPgtoMGR::GetTableJoinParcelamento(int codEmp, TComponent*) const {
  return fmt::format(" left outer join {} MOV on (MOV.BDCODEMP = PAR.BDCODEMP and MOV.BDCHAVE = PAR.BDCHAVE and "
                     "MOV.BDCODEMP = {})",
                     kTabelasDoc[livro_], codEmp);
}

void TMovParPgtoMGR::SelectGuiasParaBaixa(const std::vector<std::string>& chaves, const std::string& join,
                                          const std::string& tabelaPagamento, TClientDataSet*, bool) {
  std::map<int64_t, std::vector<int64_t>> porEmpresa;
  std::vector<std::tuple<int64_t, int64_t, int64_t>> pedidas;
  for (const std::string& c : chaves) {
    std::vector<int64_t> p = PartesDaChave(c);
    if (p.size() != 4 || p[3] != livro_) {
      Atencao(fmt::format("Baixa não lançada: a chave de parcela \"{}\" é inválida para o livro de {}.", c,
                          kNomesLivro[livro_]));
      continue;
    }
    porEmpresa[p[0]].push_back(p[1]);
    pedidas.emplace_back(p[0], p[1], p[2]);
  }
  // Only the texts this manager gives are put into its statement.
  if (tabelaPagamento != GetTablePagamento())
    throw EDatabaseError("Tabela de pagamento de parcelas inválida: " + tabelaPagamento);
  if (porEmpresa.size() == 1 && join != GetTableJoinParcelamento(static_cast<int>(porEmpresa.begin()->first)))
    throw EDatabaseError("Junção de documentos de parcelas inválida: " + join);
  const std::string natureza = livro_ == 2 ? "BDCODMUNATVM" : "BDCODNAT";
  const std::string numdoc = livro_ == 3 ? "BDNUMDOC" : "BDNUMDOCINI";
  const std::string pago = fmt::format(
      "coalesce((select sum(PG.BDVALORPGTO) from {} PG where PG.BDCODEMP = PAR.BDCODEMP and PG.BDCHAVE = "
      "PAR.BDCHAVE and PG.BDORDEMPAR = PAR.BDORDEMPAR and PG.BDTIPOBAIXA in ({}, {})), 0)",
      GetTablePagamento(), static_cast<int>(tbpPrincipal), static_cast<int>(tbpDesconto));
  const std::string docJoin =
      porEmpresa.size() == 1
          ? join
          : fmt::format(" left outer join {} MOV on (MOV.BDCODEMP = PAR.BDCODEMP and MOV.BDCHAVE = PAR.BDCHAVE)",
                        kTabelasDoc[livro_]);
  // The installments are read as unpaid; those with payment rows are read again, with what their
  // payments took off (TPagosDaFaixa).
  const std::string saldo = "case when coalesce(MOV.BDVALORCONTABIL, 0) = 0 then -1 else PAR.BDVALORPAR";
  const std::string faixaPagamentos =
      fmt::format("{} PG where PG.BDCODEMP = ? and PG.BDCHAVE between ? and ?", GetTablePagamento());
  TPagosDaFaixa pagos(
      Database(), "select first 1 1 from " + faixaPagamentos,
      fmt::format("select PAR.BDCHAVE, PAR.BDORDEMPAR, {0} as BDVALORTOTAL, {1} - {0} end as BDSALDOAPAGAR from "
                  "(select distinct PG.BDCODEMP, PG.BDCHAVE, PG.BDORDEMPAR from {2}) P join {3} PAR on (PAR.BDCODEMP "
                  "= P.BDCODEMP and PAR.BDCHAVE = P.BDCHAVE and PAR.BDORDEMPAR = P.BDORDEMPAR){4}",
                  pago, saldo, faixaPagamentos, kTabelasPar[livro_], docJoin));
  // The document's columns are typed as the document's own and filled in by TDocumentosDaFaixa.
  TDocumentosDaFaixa documentos(Database(),
                                fmt::format("select MOV.BDCHAVE, MOV.{0}, MOV.{1}, MOV.BDVALORCONTABIL from {2} MOV "
                                            "where MOV.BDCODEMP = ? and MOV.BDCHAVE between ? and ?",
                                            numdoc, natureza, kTabelasDoc[livro_]),
                                natureza);
  TComplementos complementos({&documentos, &pagos});
  AbrePorPartes(
      [&](const std::string& condicao) {
        return fmt::format("select PAR.BDCODEMP, PAR.BDCHAVE, PAR.BDORDEMPAR, PAR.BDPARCELAPAR, PAR.BDDATAVENCTOPAR, "
                           "PAR.BDVALORPAR, PAR.BDCODTER, cast(null as type of column {0}.{1}) as BDNUMDOCINI, "
                           "cast(null as type of column {0}.{2}) as {2}, cast(0 as numeric(18, 4)) as BDVALORTOTAL, "
                           "PAR.BDVALORPAR as BDSALDOAPAGAR from {3} PAR where {4}",
                           kTabelasDoc[livro_], numdoc, natureza, kTabelasPar[livro_], condicao);
      },
      "PAR", "BDCHAVE", porEmpresa, &complementos);
  // Installments of the documents that no key names are not this run's. What stays is noted in one
  // pass, so the keys found nowhere are told without searching the selection once per key. The keys are
  // held sorted, once each: a run asks thousands, and a tree node per key cost more than the search.
  using TChaveParcela = std::tuple<int64_t, int64_t, int64_t>;
  std::vector<TChaveParcela> pedidasOrdenadas(pedidas);
  std::sort(pedidasOrdenadas.begin(), pedidasOrdenadas.end());
  pedidasOrdenadas.erase(std::unique(pedidasOrdenadas.begin(), pedidasOrdenadas.end()), pedidasOrdenadas.end());
  std::vector<bool> achada(pedidasOrdenadas.size());
  const TField& fEmp = FieldByName("BDCODEMP");
  const TField& fDoc = FieldByName("BDCHAVE");
  const TField& fOrdem = FieldByName("BDORDEMPAR");
  First();
  while (!Eof()) {
    const TChaveParcela k{fEmp.AsInteger(), fDoc.AsInteger(), fOrdem.AsInteger()};
    const auto it = std::lower_bound(pedidasOrdenadas.begin(), pedidasOrdenadas.end(), k);
    if (it != pedidasOrdenadas.end() && *it == k) {
      achada[static_cast<size_t>(it - pedidasOrdenadas.begin())] = true;
      Next();
    } else {
      Delete();
    }
  }
  std::vector<bool> avisada(pedidasOrdenadas.size());
  for (const auto& [emp, doc, ordem] : pedidas) {
    const auto i = static_cast<size_t>(
        std::lower_bound(pedidasOrdenadas.begin(), pedidasOrdenadas.end(), TChaveParcela{emp, doc, ordem}) -
        pedidasOrdenadas.begin());
    if (achada[i] || avisada[i]) continue;
    avisada[i] = true;
    Atencao(fmt::format("Baixa não lançada: a parcela {} do documento {} ({}) da empresa {} não foi encontrada.",
                        ordem, doc, kNomesLivro[livro_], emp));
  }
  First();
}

std::string TMovParPgtoMGR::Descricao() const {
  return fmt::format("a parcela {} do documento {} ({}) da empresa {}", FieldByName("BDORDEMPAR").AsInteger(),
                     FieldByName("BDNUMDOCINI").IsNull() ? FieldByName("BDCHAVE").AsString()
                                                         : FieldByName("BDNUMDOCINI").AsString(),
                     kNomesLivro[livro_], FieldByName("BDCODEMP").AsInteger());
}

void TMovParPgtoMGR::pLimpaParcela() {
  if (!grupo_.Aberto()) return;
  Grupo g = std::move(grupo_);
  grupo_ = Grupo();
  if (Grava(g.Lanc, g.Pagamentos) != 0) return;
  // A refused group paid nothing: its installments show their balances again, so a retry can post them.
  const TBookmark atual = GetBookmark();
  for (const auto& [linha, valor] : g.Abatidos) {
    if (!BookmarkValid(linha)) continue;
    GotoBookmark(linha);
    Edit();
    FieldByName("BDSALDOAPAGAR").SetAsCurrency(FieldByName("BDSALDOAPAGAR").AsCurrency() + valor);
    FieldByName("BDVALORTOTAL").SetAsCurrency(FieldByName("BDVALORTOTAL").AsCurrency() - valor);
    Post();
  }
  if (BookmarkValid(atual)) GotoBookmark(atual);
}

bool TMovParPgtoMGR::LancaBaixaParcelaAtual(int, TClientDataSet*, TComponent*, bool agrupado, TMovParPgtoMGR*,
                                            bool ultimoDoGrupo, bool, int parte) {
  return Posta(parte, agrupado, ultimoDoGrupo);
}

bool TMovParPgtoMGR::LancaBaixaParcelaAtualComp(int, TClientDataSet*, TComponent*, bool agrupado, TMovParPgtoMGR*,
                                                bool ultimoDoGrupo, bool, int parte) {
  // A receipt's part code: 1 principal, 2 discount, 3 fine, 4 interest.
  const int tipoParte = parte == 2 ? 2 : parte == 3 ? 3 : parte == 4 ? 4 : -1;
  return Posta(tipoParte, agrupado, ultimoDoGrupo);
}

// What one settlement of the current installment is: its kind, value, day and accounts, once every
// check of the installment has allowed it.
struct TMovParPgtoMGR::TBaixaParcela {
  int Tipo = tbpPrincipal;
  bool AbateSaldo = false;
  std::string Descricao;
  Currency Saldo;
  Currency Valor;     // what the payment row pays of the installment
  Currency Lancado;   // what the entry books: the money, which may exceed Valor by less than a cent
  TDateTime Data;
  int Debito = 0;
  int Credito = 0;
};

std::optional<TMovParPgtoMGR::TBaixaParcela> TMovParPgtoMGR::BaixaDaParte(int parte) {
  TBaixaParcela b;
  b.Tipo = TipoBaixaDaParte(parte);
  const bool principal = b.Tipo == tbpPrincipal;
  b.AbateSaldo = principal || b.Tipo == tbpDesconto;
  b.Descricao = Descricao();
  if (!principal)
    b.Descricao = (b.Tipo == tbpDesconto ? "o desconto de " : b.Tipo == tbpMulta ? "a multa de " : "os juros de ") +
                  b.Descricao;
  b.Saldo = FieldByName("BDSALDOAPAGAR").AsCurrency();
  if (b.Saldo == Currency::FromInt(-1)) {
    Atencao(fmt::format("Baixa não lançada: {} não possui valor contábil.", b.Descricao));
    return std::nullopt;
  }
  if (b.AbateSaldo && b.Saldo <= Currency()) {
    Atencao(fmt::format("Baixa não lançada: {} já está quitada.", b.Descricao));
    return std::nullopt;
  }
  // What the caller says was paid; settling the open balance instead would call a partly paid
  // installment settled by a link larger than what is left.
  b.Valor = OnGetValorPgto ? OnGetValorPgto(this) : principal ? b.Saldo : valorParte_;
  b.Lancado = b.Valor;
  // Money moves in cents and an installment may owe fractions of one: money less than a cent above what
  // is owed settles it, the entry booking the money and the payment what was owed, so that neither
  // keeps a rest nobody can pay.
  if (principal && b.Valor > b.Saldo && b.Valor - b.Saldo < kUmCentavo) b.Valor = b.Saldo;
  if (!ValorAceito(b.Valor, b.AbateSaldo ? &b.Saldo : nullptr, b.Descricao)) return std::nullopt;
  b.Data = OnGetDataPagamento ? OnGetDataPagamento(this) : Today();
  if (!ContasDaBaixa(b)) return std::nullopt;
  return b;
}

bool TMovParPgtoMGR::ContasDaBaixa(TBaixaParcela& b) {
  const int plano = OnGetPlanoOnline ? OnGetPlanoOnline(this)
                                     : (EditPlano ? static_cast<int>(EditPlano->Codigo()) : 0);
  const int conf = EditConfiguracao && EditConfiguracao->Codigo() > 0
                       ? static_cast<int>(EditConfiguracao->Codigo())
                       : (OnGetChaveLancamento ? OnGetChaveLancamento(this) : 0);
  const TContaOnline* c = nullptr;
  for (const TContaOnline& k : contas_)
    if (k.Chave == conf) { c = &k; break; }
  if (c && c->ContaDebPgto > 0 && c->ContaCredPgto > 0) {
    b.Debito = c->ContaDebPgto;
    b.Credito = c->ContaCredPgto;
  } else if (!ContasDaConfiguracao(plano, conf, b.Data, b.Descricao, b.Debito, b.Credito)) {
    return false;
  }
  if (b.Tipo != tbpPrincipal) {
    if (debParte_ > 0) b.Debito = debParte_;
    if (credParte_ > 0) b.Credito = credParte_;
  }
  return true;
}

TPagamentoBaixa TMovParPgtoMGR::PagamentoDaBaixa(const TBaixaParcela& b, const std::string& dcto, int64_t origem,
                                                 const std::string& obrigacao) {
  TPagamentoBaixa p;
  std::shared_ptr<const TFormaPagamento>& forma = b.AbateSaldo ? formaSaldo_ : formaParte_;
  if (!forma) forma = Forma(NomeForma(b.AbateSaldo ? "saldo" : "parte"), [&] {
    TFormaPagamento f;
    f.Tabela = GetTablePagamento();
    f.Chave = {"BDCODEMP", "BDCHAVE", "BDORDEMPAR"};
    f.ColunaSeq = "BDSEQPGTO";
    f.TabelaObrigacao = kTabelasPar[livro_];
    // Shared with the run's other books: the first book's tables are the form's own, the others follow.
    for (size_t i = 0; i < livrosComandos_.size(); ++i) {
      const std::string par = kTabelasPar[livrosComandos_[i]];
      if (i == 0) {
        f.Tabela = par + "PGTO";
        f.TabelaObrigacao = par;
      } else {
        f.Outras.emplace_back(par + "PGTO", par);
      }
    }
    f.Valores.assign(std::begin(kColunasPagamento), std::end(kColunasPagamento));
    f.Valores.emplace_back("BDTIPOBAIXA");
    if (b.AbateSaldo) {
      // The installment's value less its principal and discount payments.
      f.Guarda = "O.BDVALORPAR";
      f.Pagos = fmt::format("IIF(BDTIPOBAIXA IN ({}, {}), BDVALORPGTO, 0)", static_cast<int>(tbpPrincipal),
                            static_cast<int>(tbpDesconto));
    }
    return f;
  });
  p.Forma = forma;
  p.Tabela = static_cast<size_t>(
      std::lower_bound(livrosComandos_.begin(), livrosComandos_.end(), livro_) - livrosComandos_.begin());
  p.Chave = {FieldByName("BDCODEMP").AsInteger(), Variant(static_cast<long long>(FieldByName("BDCHAVE").AsInteger())),
             FieldByName("BDORDEMPAR").AsInteger()};
  p.Valores = ValoresPagamento(b.Data, b.Valor, dcto);
  p.Valores.emplace_back(b.Tipo);
  if (b.AbateSaldo) p.ValorGuarda = b.Valor;
  p.Descricao = b.Descricao;
  p.Origem = Origem();
  p.TipoBaixa = b.Tipo;
  p.Valor = b.Lancado;   // recorded as what the entry booked of its line
  p.ChaveOrigem = origem;
  p.Obrigacao = obrigacao;
  return p;
}

bool TMovParPgtoMGR::Posta(int parte, bool agrupado, bool ultimo) {
  SetValorLancado(Currency());
  if (SemSelecao("nenhuma parcela selecionada")) return false;
  const int emp = static_cast<int>(FieldByName("BDCODEMP").AsInteger());
  SetCodEmpAtual(emp);
  const std::optional<TBaixaParcela> b = BaixaDaParte(parte);
  if (!b) return false;
  // With the host's check the period's locks are read by the settlement's own statement, once per
  // settlement: a grouped installment's by its group's, when the group is written. Otherwise a single
  // settlement's check reads in its own transaction, and a grouped one's in the run's transaction when
  // there is one (a transaction started for each check would cost about as much as a settlement).
  IniciaBaixa();
  std::optional<TTransaction> tr;
  if (!agrupado) tr.emplace(Database(), TTransaction::kJuntaAberta);
  const int ordem = static_cast<int>(FieldByName("BDORDEMPAR").AsInteger());
  const int64_t origem = ChaveOrigem();
  const std::string obrigacao =
      fmt::format("P|{}|{}|{}|{}", livro_, emp, FieldByName("BDCHAVE").AsInteger(), ordem);
  TPagamentoBaixa bloqueio;
  if (!BloqueioNoComando(bloqueio, b->Data) && Bloqueado(b->Data, b->Descricao)) return false;
  if (JaBaixado(origem, obrigacao, b->Tipo, b->Descricao, grupo_.Pagamentos)) return false;
  const int t = b->Tipo;
  const TLancamentoBaixa l = Lancamento(
      b->Data, b->Debito, b->Credito, b->Lancado,
      fmt::format("Baixa {}da parcela {} do documento {}",
                  t == tbpDesconto ? "(desconto) " : t == tbpMulta ? "(multa) " : t == tbpJuros ? "(juros) " : "",
                  FieldByName("BDPARCELAPAR").IsNull() ? std::to_string(ordem) : FieldByName("BDPARCELAPAR").AsString(),
                  FieldByName("BDNUMDOCINI").AsString()));
  TPagamentoBaixa p = PagamentoDaBaixa(*b, l.Dcto, origem, obrigacao);
  p.BloqueioEmp = bloqueio.BloqueioEmp;
  p.BloqueioData = bloqueio.BloqueioData;
  p.BloqueioTela = std::move(bloqueio.BloqueioTela);
  if (agrupado) {
    AgrupaBaixa(l, std::move(p));
  } else if (Grava(l, Um(std::move(p)), &*tr) == 0) {
    return false;
  }
  if (b->AbateSaldo) {
    Edit();
    FieldByName("BDSALDOAPAGAR").SetAsCurrency(b->Saldo - b->Valor);
    FieldByName("BDVALORTOTAL").SetAsCurrency(FieldByName("BDVALORTOTAL").AsCurrency() + b->Valor);
    Post();
    if (agrupado) grupo_.Abatidos.emplace_back(GetBookmark(), b->Valor);
  }
  SetValorLancado(b->Lancado);
  if (agrupado && ultimo) pLimpaParcela();
  return true;
}

void TMovParPgtoMGR::AgrupaBaixa(const TLancamentoBaixa& l, TPagamentoBaixa p) {
  // One entry per group; an installment with other accounts or date starts a new one.
  if (grupo_.Aberto() && (grupo_.Lanc.Debito != l.Debito || grupo_.Lanc.Credito != l.Credito ||
                          grupo_.Lanc.Data.Days() != l.Data.Days()))
    pLimpaParcela();
  if (!grupo_.Aberto()) {
    grupo_.Lanc = l;
    grupo_.Lanc.Valor = Currency();
    grupo_.Lanc.Compl = "Baixa agrupada de parcelas";
  }
  grupo_.Lanc.Valor += l.Valor;
  grupo_.Pagamentos.push_back(std::move(p));
}

// ---------------------------------------------------------------------------------------------------

TMovParPgtoEntMGR* TMovParPgtoEntMGR::CreateMgr(TComponent* owner, bool, bool, bool) {
  return TDAOFactory::CreateMgrOf<TMovParPgtoEntMGR>(owner);
}
TMovParPgtoSaiMGR* TMovParPgtoSaiMGR::CreateMgr(TComponent* owner, bool, bool, bool) {
  return TDAOFactory::CreateMgrOf<TMovParPgtoSaiMGR>(owner);
}
TMovParPgtoSerMGR* TMovParPgtoSerMGR::CreateMgr(TComponent* owner, bool, bool, bool) {
  return TDAOFactory::CreateMgrOf<TMovParPgtoSerMGR>(owner);
}
TMovParPgtoDemDocMGR* TMovParPgtoDemDocMGR::CreateMgr(TComponent* owner, bool, bool, bool) {
  return TDAOFactory::CreateMgrOf<TMovParPgtoDemDocMGR>(owner);
}

TMovParPgtoMGR* CreateMovParPgtoMGR(TComponent* owner, int livro) {
  switch (livro) {
    case 0: return TMovParPgtoEntMGR::CreateMgr(owner);
    case 1: return TMovParPgtoSaiMGR::CreateMgr(owner);
    case 2: return TMovParPgtoSerMGR::CreateMgr(owner);
    case 3: return TMovParPgtoDemDocMGR::CreateMgr(owner);
    default: return nullptr;
  }
}

}  // namespace vyn
