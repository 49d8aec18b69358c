// Posting of the linked settlements at import (plain links and links made through payment receipts)
// and the reload of saved links, checked against the obligations.
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include <fmt/format.h>

#include "framework/accounting/conf_contas_online_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/settlement_mgr.h"
#include "framework/livros/livros.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/publicas.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kPerguntaAgrupada =
    "Existe vínculo com documentos do módulo fiscal. Deseja realizar a Contabilização agrupada das baixas de "
    "parcelamento do módulo fiscal?";

using TClassificacao = TClassificacaoOnline;
constexpr TClassificacao kNenhuma{"", ""};

const TClassificacao& ClassificacaoDaParte(int tipoParte) {
  switch (tipoParte) {
    case tbaDesconto: return kClassificacaoDesconto;
    case tbaMulta: return kClassificacaoMulta;
    case tbaJuros: return kClassificacaoJuros;
    default: return kNenhuma;
  }
}

// Settlement kind handed to the installment manager for a receipt's part code.
int TipoBaixaDoRecibo(int codTipoBaixa) {
  switch (codTipoBaixa) {
    case 2: return tbpDesconto;
    case 3: return tbpMulta;
    case 4: return tbpJuros;
    default: return tbpPrincipal;
  }
}

Variant V(int64_t v) { return Variant(static_cast<long long>(v)); }

}  // namespace

// One posting run over a link data set: binds the entries to the links, makes the managers, walks the
// links one per turn and restores everything it changed, also when a manager raises.
class TProcessoBaixas::TExecucaoBaixas {
 public:
  TExecucaoBaixas(TProcessoBaixas& pb, TComponent* sender, TEdit_Codigo_Search_VYN* codEmp, TInconsistencias_VYN* inc,
                  TLancamentoMGR* dao, TClientDataSet* links, bool recibo)
      : pb_(pb), sender_(sender), codEmp_(codEmp), inc_(inc), dao_(dao), links_(links), recibo_(recibo),
        revisao_(IsTelaRevisaoImportacao(sender)), fonte_{dao, links, codEmp} {}
  ~TExecucaoBaixas() {
    if (encerrada_) return;
    try {
      Encerra();
    } catch (...) {
      // The run's own error is on its way to the caller.
    }
  }
  TExecucaoBaixas(const TExecucaoBaixas&) = delete;
  TExecucaoBaixas& operator=(const TExecucaoBaixas&) = delete;

  void Prepara();
  void Executa();
  void Encerra();

 private:
  enum class TResposta { Nenhuma, Sim, Nao };
  enum class TParcela { NaoEncontrada, SemValorContabil, Menor, JaLancada, Encontrada };

  int64_t Link(const char* campo) const { return CampoLink(campo).AsInteger(); }
  Currency LinkValor(const char* campo) const { return CampoLink(campo).AsCurrency(); }
  // The link's fields, each found by its name once: the walk reads a dozen of them for every link, and
  // the link data set keeps its fields for the run.
  const TField& CampoLink(const char* campo) const;
  mutable std::vector<std::pair<const char*, const TField*>> camposLink_;
  mutable std::optional<const TField*> carimbo_;   // the link's stamp, where its data set has one
  int64_t Entrada() const { return dao_->FieldByName("BDCHAVE").AsInteger(); }
  // The line as the user knows it: a staged line split from another (its principal or a part) is that
  // source line's.
  int64_t LinhaAvisada() const {
    const TField* dono = dao_->FindField("BDCHAVEOWNER");
    return dono && !dono->IsNull() && dono->AsInteger() > 0 ? dono->AsInteger() : Entrada();
  }
  TDateTime DataEntrada() const { return dao_->FieldByName("BDDATA").AsDateTime(); }
  // The company's online plan for the month the company edit holds (read again when the month changes).
  int Plano() const {
    if (!plano_) plano_ = pb_.PlanoOnlineEmpresa(codEmp_);
    return *plano_;
  }
  void Atencao(const std::string& texto) {
    if (inc_) inc_->Add_Atencao(codigoEmpresa_, texto);
  }
  void Coleta() { pb_.FStringList.push_back(std::to_string(Entrada())); }

  void CriaManagers();
  std::vector<TBaixaMGR*> Managers() const;
  void TransacaoDaExecucao(std::optional<TTransacaoBaixas>& t);
  // Leaves the managers without the run's transaction when the run ends, also by an error.
  struct TDesligaTransacao {
    const TExecucaoBaixas* execucao;
    ~TDesligaTransacao();
  };
  void CarregaRegistros();
  void GuardaLiquidadas();
  template <class M>
  void LigaCallbacks(M& m);
  void PassaChaves();
  void CompartilhaComandos();
  void MarcaVariosVinculos();
  // Each link's entry and group, in the order the run walks them.
  void Ordena();
  std::vector<int64_t> ordem_, grupos_;
  // The group a link is posted in: its entry, or in the plain run the statement line its split row
  // came from (the review makes each split row an entry of its own, BDCHAVEPAI naming the line), so
  // a line's several links may make one grouped entry.
  int64_t GrupoLink() const {
    const int64_t pai = recibo_ ? 0 : Link("BDCHAVEPAI");
    return pai > 0 ? pai : Link("BDCHAVE");
  }

  // The link row as the record of posted links keys it, and as messages name it.
  const std::string& Vinculo() const;
  const std::string& DescricaoVinculo() const;
  // Vinculo and DescricaoVinculo of the link the run is at, made once per link (Esquece: at the next).
  mutable std::optional<std::string> vinculo_, descricaoVinculo_;
  void Esquece() {
    vinculo_.reset();
    descricaoVinculo_.reset();
  }
  static std::string DescreveVinculo(const TClientDataSet& link);
  // The current link's identity in the session (its stamp), else its entry's key.
  int64_t OrigemLink() const;
  TOrigemBaixa OrigemAtual() const { return {sessao_, OrigemLink(), Vinculo(), DescricaoVinculo()}; }
  // Whether an earlier run (or this one) posted the current link's settlement of that kind.
  bool Registrado(int tipoBaixa) const {
    return registrados_.count(std::make_tuple(OrigemLink(), Vinculo(), tipoBaixa)) > 0;
  }
  bool TemRegistro(int64_t entrada) const;
  // Gives each link its stamp, and notes the stamps each entry's links carry.
  void CarimbaVinculos();
  // What is left of the entry's value for its links' principals, and what a principal settles: its
  // link's value, capped by what is left. Nothing left refuses the link, naming what used the entry.
  Currency Restante() const;
  Currency ValorPrincipal() const { return std::min(pb_.ValorPgto(fonte_), Restante()); }
  // An installment's principal: as ValorPrincipal, but less than a cent of the line left beside it is
  // the bank's rounding of what the installment owes in fractions of a cent, and goes with it (its
  // manager books the money and pays what is owed).
  Currency ValorPrincipalParcela() const;
  bool CabeNoLancamento();
  void ContaUso(Currency valor);
  // What a line with receipt links has left once every part its links posted is counted: the receipt's
  // fine, interest and discount are paid out of the line's money beside the principal.
  Currency RestoComPartes() const;
  // The statement line a receipt's split row came from in a review in memory, and the line's whole value.
  std::optional<std::pair<int64_t, Currency>> LinhaDoRecibo() const;
  void ConfereRestante();
  // The line's mark as the import will read it: a staged line's is in its work table.
  int MarcaDaLinha() const;
  void MarcaRestante();
  std::optional<std::set<int64_t>> comRecibo_;   // entries with receipt links, read once per run

  // Entries whose links would settle an obligation of the other nature than their money (a payment
  // and a receivable, a receipt and a payable or a guide): none of their links is posted, and the
  // user is told once per entry.
  void ConfereNaturezas();
  // aConfirmar: set when the nature is its book's, the document not read (see TRecusaNatureza).
  std::optional<TNaturezaDinheiro> NaturezaObrigacao(const TClientDataSet& link, bool& aConfirmar);
  void RecusaNatureza(const std::string& motivo);
  std::map<int64_t, std::string> recusadas_;   // entry key → why its links are refused
  // A link that would refuse its entry, in the order the links are weighed: the first that stands
  // refuses. A book whose documents all have one nature is weighed without reading them; there the
  // document (Livro, Documento) must exist to refuse: a link to a document not found is told as such
  // when the run reaches it, as before any check of natures.
  struct TRecusaNatureza {
    int64_t Chave;
    std::string Motivo;
    int Livro = -1;
    int64_t Documento = 0;
  };
  void ConfirmaRecusas(std::vector<TRecusaNatureza>& candidatas);
  std::vector<TDateTime> dias_;                 // the days of the entries the run may settle
  std::unordered_set<int64_t> comVinculoSimples_;   // entries the plain run meets (and tells)
  std::unordered_set<int64_t> avisadasNatureza_;
  // The nature of each fiscal document the links name, by book and document, read before they are weighed.
  void LeNaturezas();
  std::array<std::unordered_map<int64_t, TNaturezaDinheiro>, 4> naturezasDocumentos_;   // by book

  bool GetDebCre() const;
  void TrocaMes();
  void pTrocaReferencia();
  void pTrocaReferenciaAdicionais(const TBaixaAdicional& parte);
  // condicao: one of the literal conditions of the callers (its text is what the look-ups are kept by).
  int ConsultaConfiguracao(const char* condicao, const std::vector<int>& contas, const TClassificacao& c,
                           bool porChave);
  bool ChaveJaLancada(TMovParPgtoMGR& m);

  bool VinculoConhecido();
  void TrataLink(int64_t entrada, int64_t proximoGrupo);
  void TrataVinculo(int64_t proxima);
  void TrataRecibo(int64_t proxima);
  void BaixaGuia();
  void BaixaCalculo();
  void BaixaParcela(int64_t proxima);
  TMovParPgtoMGR& PreparaParcela(int livro);
  void CarregaContas(TMovParPgtoMGR& m, int chave);
  TParcela LocalizaParcela(TMovParPgtoMGR& m, bool checaValorContabil);
  void AvisaParcela(TParcela p, const TMovParPgtoMGR& m);
  bool ChecaParcela(const TMovParPgtoMGR& m) const;
  bool PostaParcela(TMovParPgtoMGR& m, int64_t proxima, int parte);
  void PostaAdicionais(TMovParPgtoMGR& m);
  void FechaGrupos();

  TProcessoBaixas& pb_;
  TComponent* sender_;
  TEdit_Codigo_Search_VYN* codEmp_;
  TInconsistencias_VYN* inc_;
  TLancamentoMGR* dao_;
  TClientDataSet* links_;
  const bool recibo_;
  const bool revisao_;
  // What the managers' value callbacks read: this run's entries, links and company, not the engine's.
  const TFonte fonte_;
  int codigoEmpresa_ = 0;

  // What Encerra gives back.
  bool encerrada_ = false;
  bool preparada_ = false;
  bool recarregada_ = false;
  bool controlesParados_ = false;
  std::string sqlAnterior_;
  TParams parametrosAnteriores_;
  bool ligada_ = false;
  std::optional<TReferenciaTemporaria> mes_;   // the month the run found, given back by Encerra
  int referenciaAtual_ = -1;

  TDARFGERPGTOMGR* guias_ = nullptr;
  TDADOSPGTOCALCMGR* calculos_ = nullptr;
  std::array<TMovParPgtoMGR*, 4> parcelas_{};
  TBloqueioLancamento_VYN* bloqueio_ = nullptr;
  TSQLMGR* consulta_ = nullptr;

  std::vector<std::string> chavesGuias_, chavesCalculos_;
  std::array<std::vector<std::string>, 4> chavesParcelas_;
  bool guiasSelecionadas_ = false, calculosSelecionados_ = false;
  std::array<int, 4> movimentoSelecionado_{-1, -1, -1, -1};   // movement type of the last selection
  std::array<std::tuple<int, int, int>, 4> contasCarregadas_{};
  // The configurations read by this run, by plan, key and month: the links of one run name a few.
  std::map<std::tuple<int, int, int>, TListaContasOnline> contasLidas_;
  mutable std::optional<int> plano_;
  std::array<int, 4> tipoLancamento_{};
  std::unordered_set<int64_t> variosVinculos_;
  std::unordered_set<int64_t> liquidadas_;   // entries settled before this run, by another session
  int sessao_ = 0;
  // Links posted in this session (stamp, link, kind), earlier runs included, and the
  // principals each entry's links settled.
  std::set<std::tuple<int64_t, std::string, int>> registrados_;
  struct TUso {
    Currency Valor;
    std::vector<std::string> Descricoes;
  };
  std::unordered_map<int64_t, TUso> uso_;   // by stamp
  std::unordered_map<int64_t, Currency> partes_;   // by stamp: what the parts beside a principal posted
  std::unordered_map<int64_t, std::vector<int64_t>> origens_;   // entry key → its links' stamps, ascending
  std::unordered_set<int64_t> avisadas_;     // of the settled ones, those a receipt link was refused for
  std::unordered_set<std::string> lancadas_;   // guides posted for an entry
  // An installment posted for an entry, as ChaveParcelaLancada names it: by its company, document,
  // installment text and nature text, and the entry.
  struct TParcelaLancada {
    int64_t Emp, Chave, Entrada;
    std::string Parcela, Natureza;
    bool operator==(const TParcelaLancada&) const = default;
  };
  struct THashParcelaLancada {
    size_t operator()(const TParcelaLancada& p) const {
      size_t h = std::hash<int64_t>{}(p.Chave);
      for (size_t x : {std::hash<int64_t>{}(p.Emp), std::hash<int64_t>{}(p.Entrada), std::hash<std::string>{}(p.Parcela),
                       std::hash<std::string>{}(p.Natureza)})
        h = h * 31 + x;
      return h;
    }
  };
  std::unordered_set<TParcelaLancada, THashParcelaLancada> parcelasLancadas_;
  // Configuration keys looked up by this run: by plan, condition, month, classification, order and accounts.
  std::map<std::tuple<int, const char*, int, const TClassificacao*, bool, std::vector<int>>, int> configuracoes_;
  TResposta resposta_ = TResposta::Nenhuma;
  int64_t anterior_ = 0;
};

// ---------------------------------------------------------------------------------------------------
// Frame

void TProcessoBaixas::TExecucaoBaixas::Prepara() {
  preparada_ = true;
  pb_.FDadosBaixaImposto.Utilizado = false;
  codigoEmpresa_ = codEmp_ ? static_cast<int>(codEmp_->Codigo()) : 0;
  pb_.IniciaContagemErros(inc_);

  // A staged review without links posts nothing: its lines are not read twice for it.
  if (ModoArquivoGrande(dao_) && links_->Active() && !links_->IsEmpty()) {
    dao_->DisableControls();
    controlesParados_ = true;
    sqlAnterior_ = dao_->GetCommandText();
    parametrosAnteriores_ = dao_->GetCommandParams();
    recarregada_ = true;
    // The flag and the conciliation marks come along: an entry settled by an earlier run is not paid again.
    dao_->CommandText(std::string("select BDSESSAO, BDCODEMP, BDCHAVE, BDCREDITO, BDDEBITO, BDDATA, BDDCTO, BDVALOR, "
                                  "BDINCONSISTENTE, BDCONCD, BDCONCC") +
                          (recibo_ ? "" : ", BDCHAVEOWNER, BDSEQDAO") + " FROM " + TabelaTrabalho(*dao_) +
                          " WHERE BDSESSAO = ? AND BDVINC_BAIXA collate win_ptbr = 'TRUE'",
                      ctOpen, {dao_->Sessao()});
  }
  if (!SameText(dao_->IndexFieldNames(), "BDCHAVE")) dao_->SetIndexFieldNames("BDCHAVE");
  // The run's look-ups hold about one item per link: sized once.
  const size_t vinculos = links_->Active() ? static_cast<size_t>(links_->RecordCount()) : 0;
  origens_.reserve(vinculos);
  uso_.reserve(vinculos);
  parcelasLancadas_.reserve(vinculos);
  CarimbaVinculos();
  ConfereNaturezas();
  CarregaRegistros();
  GuardaLiquidadas();
  pb_.FDataSource->SetDataSet(links_);
  ligada_ = true;
  dao_->SetMasterFields("BDCHAVE");
  dao_->SetMasterSource(pb_.FDataSource.get());

  mes_.emplace();
  CriaManagers();
}

// A review in memory gives its lines new keys at each run and moves their links along: there a link
// is known by a stamp of its own, unique in the engine's session (negative, so that it never meets
// a key), which is what its record names. A staged review keeps its keys: there the entry's key is
// the stamp, also for another engine over the same session. The check of saved links stamps none.
void TProcessoBaixas::TExecucaoBaixas::CarimbaVinculos() {
  TField* carimbo = links_->FindField("BDIDVINCULO");
  const bool emMemoria = !ModoArquivoGrande(dao_);
  for (links_->First(); !links_->Eof(); links_->Next()) {
    if (carimbo && carimbo->IsNull() && !pb_.FPrimeiroTeste) {
      links_->Edit();
      carimbo->SetValue(Variant(static_cast<long long>(emMemoria ? -(++pb_.FUltimoCarimbo) : Link("BDCHAVE"))));
      links_->Post();
    }
  }
  // An entry's links of both sets share its value and its records: the plain and the receipt ones.
  for (TClientDataSet* conjunto : {pb_.cdsVINC_EXT_BAN_BAIXA, pb_.cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!conjunto || !conjunto->Active()) continue;
    TClientDataSet c;
    c.CloneCursor(*conjunto);
    const TField* id = c.FindField("BDIDVINCULO");
    const TField& campoChave = c.FieldByName("BDCHAVE");
    for (c.First(); !c.Eof(); c.Next()) {
      const int64_t chave = campoChave.AsInteger();
      std::vector<int64_t>& o = origens_[chave];
      const int64_t origem = id && !id->IsNull() ? id->AsInteger() : chave;
      if (auto at = std::lower_bound(o.begin(), o.end(), origem); at == o.end() || *at != origem) o.insert(at, origem);
    }
  }
}

const TField& TProcessoBaixas::TExecucaoBaixas::CampoLink(const char* campo) const {
  for (const auto& [nome, field] : camposLink_)
    if (nome == campo) return *field;
  const TField& field = links_->FieldByName(campo);
  camposLink_.emplace_back(campo, &field);
  return field;
}

int64_t TProcessoBaixas::TExecucaoBaixas::OrigemLink() const {
  if (!carimbo_) carimbo_ = links_->FindField("BDIDVINCULO");
  const TField* carimbo = *carimbo_;
  return carimbo && !carimbo->IsNull() ? carimbo->AsInteger() : Link("BDCHAVE");
}

bool TProcessoBaixas::TExecucaoBaixas::TemRegistro(int64_t entrada) const {
  auto o = origens_.find(entrada);
  if (o == origens_.end()) return false;
  for (int64_t origem : o->second) {
    auto it = registrados_.lower_bound(std::make_tuple(origem, std::string(), 0));
    if (it != registrados_.end() && std::get<0>(*it) == origem) return true;
  }
  return false;
}

// What this session's earlier runs posted, link by link: a retry (an entry flagged 4 after one of its
// links was posted, a staged review run again) posts only what is still missing.
void TProcessoBaixas::TExecucaoBaixas::CarregaRegistros() {
  // A session this run draws is new: nothing was recorded under it yet.
  const bool nova = !ModoArquivoGrande(dao_) && pb_.FSessaoBaixas == 0;
  sessao_ = pb_.SessaoBaixas(dao_);
  if (nova) return;
  // Every run reads them: prepared once.
  TStatement& st = dao_->Database().Prepared(std::string("select BDIDVINCULO, BDVINCULO, BDTIPOBAIXA, BDVALOR, "
                                                         "BDDESCRICAO from ") +
                                             kTabelaVinculosLancados +
                                             " where BDCODEMP = ? and BDSESSAO = ? order by BDCHAVELAN");
  st.Query({codigoEmpresa_, sessao_}, [this](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
    const int64_t id = r[0].AsInteger();
    const int tipo = static_cast<int>(r[2].AsInteger());
    registrados_.emplace(id, r[1].AsString(), tipo);
    if (tipo != tbpPrincipal) {
      partes_[id] += r[3].AsCurrency();
      return;
    }
    TUso& u = uso_[id];
    u.Valor += r[3].AsCurrency();
    u.Descricoes.push_back(r[4].AsString());
  });
}

// The entries an earlier run settled (kept out of the import, marked on the bank side) in another
// session, which left no record here: their links are posted already, and a second run must not pay
// the obligation again. An entry with records of this session is checked link by link instead.
void TProcessoBaixas::TExecucaoBaixas::GuardaLiquidadas() {
  TField* inc = dao_->FindField("BDINCONSISTENTE");
  TField* concC = dao_->FindField("BDCONCC");
  TField* concD = dao_->FindField("BDCONCD");
  if (!inc || (!concC && !concD)) return;
  const TBulkLoad semDetalhes(*dao_);
  for (dao_->First(); !dao_->Eof(); dao_->Next())
    if (!inc->IsNull() && inc->AsInteger() == 1 && ((concC && concC->AsBoolean()) || (concD && concD->AsBoolean())) &&
        !TemRegistro(Entrada()))
      liquidadas_.insert(Entrada());
}

template <class M>
void TProcessoBaixas::TExecucaoBaixas::LigaCallbacks(M& m) {
  const TProcessoBaixas* pb = &pb_;
  const TFonte f = fonte_;
  m.OnGetDataPagamento = [pb, f](TComponent*) { return pb->DataPagamento(f); };
  // A run posts no tax-guide record: the plan is the company's, as the run read it.
  m.OnGetPlanoOnline = [this](TComponent*) { return Plano(); };
  m.OnGetChaveLancamento = [pb](TComponent* s) { return pb->GetChaveLancamento(s); };
  m.OnGetNumeroDcto = [pb, f](TComponent*) { return pb->NumeroDcto(f); };
  m.OnGetChaveOrigem = [pb, f](TComponent*) { return pb->ChaveOrigem(f); };
  m.OnGetOrigemBaixa = [this](TComponent*) { return OrigemAtual(); };
}

// One manager set-up for both runs; the receipt run makes no guide or calculation manager.
void TProcessoBaixas::TExecucaoBaixas::CriaManagers() {
  TProcessoBaixas* pb = &pb_;
  // Every kind of settlement respects the posting locks and the company's closing.
  bloqueio_ = sender_->Create<TBloqueioLancamento_VYN>();
  bloqueio_->SetInconsistencias(inc_);
  if (!recibo_) {
    guias_ = TDARFGERPGTOMGR::CreateMgr(sender_, true, false, false);
    guias_->Inicializa();
    guias_->SetCODEMP(codEmp_);
    guias_->SetInconsistencia(inc_);
    LigaCallbacks(*guias_);
    guias_->OnGetContaCredito = [pb, f = fonte_](TComponent*) { return pb->ContaCredito(f); };
    // A guide or calculation settles what its link pays, not its whole open balance; more than is
    // open is refused with a warning.
    guias_->OnGetValorPgto = [this](TComponent*) { return ValorPrincipal(); };
    calculos_ = TDADOSPGTOCALCMGR::CreateMgr(sender_, true, false);
    calculos_->Inicializa();
    calculos_->SetEDCODEMP(codEmp_);
    calculos_->SetInconsistencia(inc_);
    LigaCallbacks(*calculos_);
    calculos_->OnGetContaCredito = [pb, f = fonte_](TComponent*) { return pb->ContaCredito(f); };
    calculos_->OnGetValorPgto = [this](TComponent*) { return ValorPrincipal(); };
    calculos_->SetBloqueio(bloqueio_, ExecucaoDe(sender_).TelasSQL());
  }
  for (int livro = 0; livro < 4; ++livro) {
    TMovParPgtoMGR* m = CreateMovParPgtoMGR(sender_, livro);
    parcelas_[static_cast<size_t>(livro)] = m;
    m->Inicializa();
    m->SetCODEMP_MGR(codigoEmpresa_);
    m->SetInconsistencias(inc_);
    m->SetBloqueio(bloqueio_, ExecucaoDe(sender_).TelasSQL());
    LigaCallbacks(*m);
  }
}

void TProcessoBaixas::TExecucaoBaixas::Encerra() {
  encerrada_ = true;
  if (!preparada_) return;
  std::exception_ptr erro;
  auto passo = [&](auto&& f) {
    try {
      f();
    } catch (...) {
      if (!erro) erro = std::current_exception();
    }
  };
  passo([&] {
    if (referenciaAtual_ == -1) return;
    mes_->Restaura();
    // The screen's company edit follows the month it shows again.
    if (codEmp_ && referenciaAtual_ != mes_->Anterior()) codEmp_->Validate();
  });
  for (TMovParPgtoMGR*& m : parcelas_) passo([&] { if (m) { TComponent* c = m; m = nullptr; sender_->FreeComponent(c); } });
  passo([&] { if (guias_) { TComponent* c = guias_; guias_ = nullptr; sender_->FreeComponent(c); } });
  passo([&] { if (calculos_) { TComponent* c = calculos_; calculos_ = nullptr; sender_->FreeComponent(c); } });
  passo([&] { if (bloqueio_) { TComponent* c = bloqueio_; bloqueio_ = nullptr; sender_->FreeComponent(c); } });
  passo([&] { if (consulta_) { TComponent* c = consulta_; consulta_ = nullptr; sender_->FreeComponent(c); } });
  passo([&] {
    if (!ligada_) return;
    dao_->SetMasterSource(nullptr);
    dao_->SetMasterFields("");
  });
  passo([&] {
    if (recarregada_) dao_->CommandText(sqlAnterior_, ctOpen, parametrosAnteriores_);
  });
  if (controlesParados_) dao_->EnableControls();
  if (erro) std::rethrow_exception(erro);
}

void TProcessoBaixas::TExecucaoBaixas::PassaChaves() {
  const int64_t plano = Plano();
  for (links_->First(); !links_->Eof(); links_->Next()) {
    const int tipo = static_cast<int>(Link("BDTIPO_BAIXA"));
    const int64_t id = Link("BDBAIXA_ID");
    if (!recibo_ && tipo == tbvGuia) {
      chavesGuias_.push_back(pb_.StringDarf(fonte_, std::to_string(id)));
    } else if (!recibo_ && tipo == tbvCalculo) {
      chavesCalculos_.push_back(ChaveCalculo(plano, codigoEmpresa_, id));
    } else if (tipo == tbvParcela) {
      const int64_t livro = Link("BDSUBTIPO_BAIXA");
      if (livro >= 0 && livro <= 3)
        chavesParcelas_[static_cast<size_t>(livro)].push_back(
            ChaveParcela(codigoEmpresa_, id, static_cast<int>(Link("BDORDEM")), static_cast<int>(livro)));
    }
  }
}

// The books this run posts installments of write their payments through shared statements: a statement's
// first preparation costs about as much as a few hundred settlements' own work.
void TProcessoBaixas::TExecucaoBaixas::CompartilhaComandos() {
  std::vector<int> livros;
  for (int livro = 0; livro < 4; ++livro)
    if (!chavesParcelas_[static_cast<size_t>(livro)].empty()) livros.push_back(livro);
  for (int livro : livros)
    if (TMovParPgtoMGR* m = parcelas_[static_cast<size_t>(livro)]) m->CompartilhaComandos(livros);
}

void TProcessoBaixas::TExecucaoBaixas::MarcaVariosVinculos() {
  links_->SetIndexFieldNames("BDCHAVE");
  std::unordered_map<int64_t, int> vinculos;
  for (links_->First(); !links_->Eof(); links_->Next())
    if (++vinculos[GrupoLink()] == 2) variosVinculos_.insert(GrupoLink());
}

void TProcessoBaixas::TExecucaoBaixas::Executa() {
  if (!links_->Active() || links_->IsEmpty()) return;
  {
    // The walks before the postings read the links alone: the entries follow the links once, after them.
    const TBulkLoad entradasParadas(*links_);
    PassaChaves();
    CompartilhaComandos();
    if (revisao_) MarcaVariosVinculos();
    Ordena();
  }
  if (!pb_.FPrimeiroTeste) {
    // Every manager of the run draws its entry keys from the first one's reservation.
    TBaixaMGR* primeiro = parcelas_[0];
    if (guias_) guias_->CompartilhaChaves(*primeiro);
    if (calculos_) calculos_->CompartilhaChaves(*primeiro);
    for (TMovParPgtoMGR* m : parcelas_) m->CompartilhaChaves(*primeiro);
    primeiro->PreveBaixas(static_cast<size_t>(links_->RecordCount()));
    for (TBaixaMGR* m : Managers()) m->PreveDias(codigoEmpresa_, dias_);
  }
  links_->First();
  pb_.FContaDebCre = GetDebCre();   // the receipt run takes the bank side once
  std::optional<TTransacaoBaixas> transacao;
  TransacaoDaExecucao(transacao);
  const TDesligaTransacao desliga{this};
  for (size_t i = 0; !links_->Eof(); links_->Next(), ++i) {
    const int64_t proxima = i + 1 < ordem_.size() ? ordem_[i + 1] : 0;
    const int64_t proximoGrupo = i + 1 < grupos_.size() ? grupos_[i + 1] : 0;
    TrataLink(ordem_[i], proximoGrupo);
    // A group is closed on its last link, also when that link posted nothing.
    if (proximoGrupo != grupos_[i]) FechaGrupos();
    if (proxima != ordem_[i]) ConfereRestante();
  }
  if (transacao) transacao->Encerra();
}

void TProcessoBaixas::TExecucaoBaixas::Ordena() {
  ordem_.reserve(static_cast<size_t>(links_->RecordCount()));
  grupos_.reserve(ordem_.capacity());
  for (links_->First(); !links_->Eof(); links_->Next()) {
    ordem_.push_back(Link("BDCHAVE"));
    grupos_.push_back(GrupoLink());
  }
}

void TProcessoBaixas::TExecucaoBaixas::TrataLink(int64_t entrada, int64_t proximoGrupo) {
  Esquece();
  if (dao_->IsEmpty()) return;   // no imported entry carries this key
  if (liquidadas_.count(entrada)) {
    // A line's receipt link is not posted over a settlement the line already has (its plain link,
    // or an earlier run): the user is told, once per line, rather than the link vanishing.
    if (recibo_ && avisadas_.insert(entrada).second)
      Atencao(fmt::format("Lançamento {}: o vínculo do comprovante não foi baixado porque o lançamento já foi "
                          "baixado pelo seu outro vínculo.",
                          LinhaAvisada()));
    return;
  }
  if (auto r = recusadas_.find(entrada); r != recusadas_.end()) {
    RecusaNatureza(r->second);
    return;
  }
  if (recibo_)
    TrataRecibo(proximoGrupo);
  else
    TrataVinculo(proximoGrupo);
}

// A run that no caller's transaction encloses commits its settlements in one transaction kept for the
// run, each with a COMMIT RETAINING (TTransacaoBaixas). Only a review in memory: a staged review flags
// its lines in the database between settlements, and a flag must not ride on the next settlement's
// commit or rollback. The check of saved links writes nothing.
void TProcessoBaixas::TExecucaoBaixas::TransacaoDaExecucao(std::optional<TTransacaoBaixas>& t) {
  TMovParPgtoMGR* primeiro = parcelas_[0];
  if (pb_.FPrimeiroTeste || ModoArquivoGrande(dao_) || !primeiro || primeiro->Database().InTransaction()) return;
  TDatabase& db = primeiro->Database();
  t.emplace(db);
  for (TBaixaMGR* m : Managers())
    if (&m->Database() == &db) m->SetTransacaoExecucao(&*t);
}

std::vector<TBaixaMGR*> TProcessoBaixas::TExecucaoBaixas::Managers() const {
  std::vector<TBaixaMGR*> ms;
  if (guias_) ms.push_back(guias_);
  if (calculos_) ms.push_back(calculos_);
  for (TMovParPgtoMGR* m : parcelas_)
    if (m) ms.push_back(m);
  return ms;
}

TProcessoBaixas::TExecucaoBaixas::TDesligaTransacao::~TDesligaTransacao() {
  for (TBaixaMGR* m : execucao->Managers()) m->SetTransacaoExecucao(nullptr);
}

void TProcessoBaixas::TExecucaoBaixas::FechaGrupos() {
  for (TMovParPgtoMGR* m : parcelas_) {
    if (!m || !m->GrupoAberto()) continue;
    m->pLimpaParcela();
    pb_.SetaNaoImporta(dao_, inc_);
  }
}

// ---------------------------------------------------------------------------------------------------
// Nested procedures shared by both runs

// The side of the link: True when the configuration is looked up by the entry's debit account.
bool TProcessoBaixas::TExecucaoBaixas::GetDebCre() const {
  if (dao_->IsEmpty() || pb_.GetContaInteger(*dao_, "BDCREDITO") == 0) return true;
  if (Link("BDTIPO_BAIXA") != tbvParcela) return false;
  const int64_t livro = Link("BDSUBTIPO_BAIXA");
  const int64_t servico = Link("BDTIPOSERVICO");
  // Receivables: exits, services rendered and other documents the company receives (BDTIPOSERVICO 1
  // is a document the company pays, in the other-documents book as in the services book).
  return livro == 1 || (livro == 2 && servico == 0) || (livro == 3 && servico != 1);
}

const std::string& TProcessoBaixas::TExecucaoBaixas::Vinculo() const {
  if (!vinculo_)
    vinculo_ = fmt::format("{}|{}|{}|{}", Link("BDTIPO_BAIXA"), Link("BDSUBTIPO_BAIXA"), Link("BDBAIXA_ID"), Link("BDORDEM"));
  return *vinculo_;
}

const std::string& TProcessoBaixas::TExecucaoBaixas::DescricaoVinculo() const {
  if (!descricaoVinculo_) descricaoVinculo_ = DescreveVinculo(*links_);
  return *descricaoVinculo_;
}

std::string TProcessoBaixas::TExecucaoBaixas::DescreveVinculo(const TClientDataSet& link) {
  auto campo = [&link](const char* c) { return link.FieldByName(c).AsInteger(); };
  switch (campo("BDTIPO_BAIXA")) {
    case tbvGuia: return fmt::format("a guia de imposto {}", campo("BDBAIXA_ID"));
    case tbvCalculo:
      return fmt::format("o cálculo {} (tipo {}, ordem {})", campo("BDBAIXA_ID"), campo("BDSUBTIPO_BAIXA"),
                         campo("BDORDEM"));
    default: {
      const std::string doc = Trim(link.FieldByName("BDNUMDOCINI").AsString());
      return fmt::format("a parcela {} do documento {}", campo("BDORDEM"),
                         doc.empty() ? std::to_string(campo("BDBAIXA_ID")) : doc);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Nature of the money against the nature of the obligation

std::optional<TNaturezaDinheiro> TProcessoBaixas::TExecucaoBaixas::NaturezaObrigacao(const TClientDataSet& link,
                                                                                   bool& aConfirmar) {
  aConfirmar = false;
  const int64_t tipo = link.FieldByName("BDTIPO_BAIXA").AsInteger();
  if (tipo == tbvGuia || tipo == tbvCalculo) return ndPaga;
  const int livro = static_cast<int>(link.FieldByName("BDSUBTIPO_BAIXA").AsInteger());
  if (tipo != tbvParcela || livro < 0 || livro > 3) return std::nullopt;
  if (const auto fixa = NaturezaFixaDoLivro(livro)) {
    aConfirmar = true;
    return fixa;
  }
  const auto& doLivro = naturezasDocumentos_[static_cast<size_t>(livro)];
  auto it = doLivro.find(link.FieldByName("BDBAIXA_ID").AsInteger());
  if (it == doLivro.end()) return std::nullopt;
  return it->second;
}

void TProcessoBaixas::TExecucaoBaixas::LeNaturezas() {
  std::array<std::vector<int64_t>, 4> documentos;
  for (TClientDataSet* conjunto : {pb_.cdsVINC_EXT_BAN_BAIXA, pb_.cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!conjunto || !conjunto->Active()) continue;
    TClientDataSet v;
    v.CloneCursor(*conjunto);
    const TField& tipo = v.FieldByName("BDTIPO_BAIXA");
    const TField& livro = v.FieldByName("BDSUBTIPO_BAIXA");
    const TField& documento = v.FieldByName("BDBAIXA_ID");
    for (v.First(); !v.Eof(); v.Next())
      if (tipo.AsInteger() == tbvParcela && livro.AsInteger() >= 0 && livro.AsInteger() <= 3)
        documentos[static_cast<size_t>(livro.AsInteger())].push_back(documento.AsInteger());
  }
  for (int livro = 0; livro < 4; ++livro) {
    if (documentos[static_cast<size_t>(livro)].empty() || NaturezaFixaDoLivro(livro)) continue;
    const auto lidas =
        NaturezasDocumentosFiscais(dao_->Database(), codigoEmpresa_, livro, documentos[static_cast<size_t>(livro)]);
    auto& doLivro = naturezasDocumentos_[static_cast<size_t>(livro)];
    doLivro.reserve(lidas.size());
    for (const auto& [chave, natureza] : lidas) doLivro.emplace(chave, natureza);
  }
}

// Read before the run binds the entries to the links: every link of an entry, of both sets, is
// weighed before any of them is posted.
void TProcessoBaixas::TExecucaoBaixas::ConfereNaturezas() {
  if (pb_.FPrimeiroTeste || dao_->IsEmpty()) return;
  LeNaturezas();
  TClientDataSet entradas;
  entradas.CloneCursor(*dao_);
  entradas.SetIndexFieldNames("BDCHAVE");
  const TField& dataEntrada = entradas.FieldByName("BDDATA");
  const TField& empresaEntrada = entradas.FieldByName("BDCODEMP");
  const int64_t banco = pb_.FEditConta ? pb_.FEditConta->Codigo() : 0;
  std::unordered_set<int> diasVistos;
  std::vector<TRecusaNatureza> candidatas;
  std::unordered_set<int64_t> certas;   // entries a link refuses whatever exists
  for (TClientDataSet* conjunto : {pb_.cdsVINC_EXT_BAN_BAIXA, pb_.cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!conjunto || !conjunto->Active()) continue;
    TClientDataSet v;
    v.CloneCursor(*conjunto);
    const TField& campoChave = v.FieldByName("BDCHAVE");
    const TField* parte = v.FindField("bdCODTIPOBAIXA");
    for (v.First(); !v.Eof(); v.Next()) {
      const int64_t chave = campoChave.AsInteger();
      if (conjunto == pb_.cdsVINC_EXT_BAN_BAIXA) comVinculoSimples_.insert(chave);
      if (certas.count(chave) || !entradas.FindKey({V(chave)})) continue;
      const TDateTime dia = dataEntrada.AsDateTime();
      if (diasVistos.insert(dia.Days()).second) dias_.push_back(dia);
      // A receipt's discount part moves no money: its row stands on the other side by design.
      if (parte && !parte->IsNull() && parte->AsInteger() == 2) continue;
      bool aConfirmar = false;
      const auto obrigacao = NaturezaObrigacao(v, aConfirmar);
      const auto dinheiro =
          pb_.FDirecaoDinheiro.Direcao(dao_->Database(), empresaEntrada.AsInteger(),
                                       pb_.ContaDoVinculo(entradas, "BDDEBITO", &v),
                                       pb_.ContaDoVinculo(entradas, "BDCREDITO", &v), banco);
      if (!obrigacao || !dinheiro || *obrigacao == *dinheiro) continue;
      TRecusaNatureza r{chave,
                        fmt::format("Lançamento {}: nenhuma baixa lançada: o lançamento é {} e {} vinculada é {}.",
                                    chave, DescricaoNatureza(*dinheiro), DescreveVinculo(v),
                                    DescricaoNatureza(*obrigacao))};
      if (aConfirmar) {
        r.Livro = static_cast<int>(v.FieldByName("BDSUBTIPO_BAIXA").AsInteger());
        r.Documento = v.FieldByName("BDBAIXA_ID").AsInteger();
      } else {
        certas.insert(chave);
      }
      candidatas.push_back(std::move(r));
    }
  }
  ConfirmaRecusas(candidatas);
}

// Only the documents a refusal hangs on are read, by ranges of keys as the other books' natures.
void TProcessoBaixas::TExecucaoBaixas::ConfirmaRecusas(std::vector<TRecusaNatureza>& candidatas) {
  std::array<std::vector<int64_t>, 4> duvidas;
  for (const TRecusaNatureza& c : candidatas)
    if (c.Livro >= 0) duvidas[static_cast<size_t>(c.Livro)].push_back(c.Documento);
  std::array<std::unordered_set<int64_t>, 4> existem;
  for (size_t livro = 0; livro < duvidas.size(); ++livro) {
    if (duvidas[livro].empty()) continue;
    for (const auto& [documento, natureza] :
         NaturezasDocumentosFiscais(dao_->Database(), codigoEmpresa_, static_cast<int>(livro), duvidas[livro]))
      existem[livro].insert(documento);
  }
  for (TRecusaNatureza& c : candidatas)
    if (!recusadas_.count(c.Chave) && (c.Livro < 0 || existem[static_cast<size_t>(c.Livro)].count(c.Documento)))
      recusadas_.emplace(c.Chave, std::move(c.Motivo));
}

void TProcessoBaixas::TExecucaoBaixas::RecusaNatureza(const std::string& motivo) {
  // The receipt run leaves the telling to the plain run when that one met the entry.
  if (avisadasNatureza_.insert(Entrada()).second && (!recibo_ || !comVinculoSimples_.count(Entrada())))
    Atencao(motivo);
  pb_.SetaNaoImporta(dao_, inc_);
}

// What the entry's links posted, whatever keys the entry had when they were posted.
Currency TProcessoBaixas::TExecucaoBaixas::Restante() const {
  Currency usado;
  if (auto o = origens_.find(Entrada()); o != origens_.end())
    for (int64_t origem : o->second)
      if (auto it = uso_.find(origem); it != uso_.end()) usado += it->second.Valor;
  return dao_->FieldByName("BDVALOR").AsCurrency() - usado;
}

Currency TProcessoBaixas::TExecucaoBaixas::ValorPrincipalParcela() const {
  const Currency resta = Restante();
  const Currency valor = ValorPrincipal();
  return resta - valor < kUmCentavo ? resta : valor;
}

bool TProcessoBaixas::TExecucaoBaixas::CabeNoLancamento() {
  if (Restante() > Currency()) return true;
  std::string usados;
  if (auto o = origens_.find(Entrada()); o != origens_.end())
    for (int64_t origem : o->second)
      if (auto it = uso_.find(origem); it != uso_.end())
        for (const std::string& d : it->second.Descricoes) usados += (usados.empty() ? "" : ", ") + d;
  Atencao(fmt::format("Lançamento {}: baixa não lançada: o vínculo com {} excede o valor {} do lançamento, já todo "
                      "baixado ({}).",
                      LinhaAvisada(), DescricaoVinculo(), dao_->FieldByName("BDVALOR").AsCurrency().ToBR(2), usados));
  return false;
}

// A line settled for less than its value is not booked whole: it stays in the review, warned, naming
// what its settlements left, and is neither counted nor reported as booked; a staged line alike, flagged
// in its work table. A line with receipt links is settled by two runs, the receipt run last: that run
// checks it, counting its receipt's parts.
void TProcessoBaixas::TExecucaoBaixas::ConfereRestante() {
  if (pb_.FPrimeiroTeste || dao_->IsEmpty()) return;
  if (!recibo_) {
    if (!comRecibo_) {
      comRecibo_.emplace();
      if (TClientDataSet* r = pb_.cdsVINC_EXT_BAN_COMP_BAIXA; r && r->Active()) {
        TFilterGuard todos(*r, TFilterGuard::kAllRows);
        for (r->First(); !r->Eof(); r->Next()) comRecibo_->insert(r->FieldByName("BDCHAVE").AsInteger());
      }
    }
    if (comRecibo_->count(Entrada())) return;
  }
  if (MarcaDaLinha() != miForaDaImportacao) return;
  Currency valor = dao_->FieldByName("BDVALOR").AsCurrency();
  const Currency resto = recibo_ ? RestoComPartes() : Restante();
  if (resto <= Currency() || resto == valor) return;
  MarcaRestante();
  // A split principal's rest is its source line's, whose value holds the fine and interest beside it.
  int64_t linha = LinhaAvisada();
  if (linha != Entrada() && ModoArquivoGrande(dao_)) {
    const Variant fonte = dao_->Database().QueryValue(
        "select BDVALOR from " + TabelaTrabalho(*dao_) + " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
        {dao_->Sessao(), V(dao_->FieldByName("BDCODEMP").AsInteger()), V(linha)});
    if (!fonte.IsNull()) valor = fonte.AsCurrency();
  } else if (const auto origem = recibo_ && !ModoArquivoGrande(dao_) ? LinhaDoRecibo() : std::nullopt) {
    std::tie(linha, valor) = *origem;
  }
  Atencao(fmt::format("Lançamento {}: as baixas somam {} do valor {}; restam {} sem lançamento, que deve ser lançado "
                      "à parte.",
                      linha, (valor - resto).ToBR(2), valor.ToBR(2), resto.ToBR(2)));
  pb_.IniciaContagemErros(inc_);   // this warning is this line's, not the next one's
}

// In a review in memory a receipt's principal, fine, interest and discount are entries of their own, made
// of the line's split rows, their links naming the line. The user knows the line: its value is what its
// rows carry (a discount stands against it) and what the split left on it.
std::optional<std::pair<int64_t, Currency>> TProcessoBaixas::TExecucaoBaixas::LinhaDoRecibo() const {
  const int64_t pai = Link("BDCHAVEPAI");
  if (pai <= 0) return std::nullopt;
  TClientDataSet entradas;
  entradas.CloneCursor(*dao_);
  entradas.SetIndexFieldNames("BDCHAVE");
  if (!entradas.FindKey({V(pai)})) return std::nullopt;
  const TField& valorEntrada = entradas.FieldByName("BDVALOR");
  Currency valor = valorEntrada.AsCurrency();
  std::set<int64_t> contadas;
  for (TClientDataSet* conjunto : {pb_.cdsVINC_EXT_BAN_BAIXA, pb_.cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!conjunto || !conjunto->Active()) continue;
    TClientDataSet v;
    v.CloneCursor(*conjunto);
    const TField* parte = v.FindField("bdCODTIPOBAIXA");
    for (v.First(); !v.Eof(); v.Next()) {
      const int64_t chave = v.FieldByName("BDCHAVE").AsInteger();
      if (v.FieldByName("BDCHAVEPAI").AsInteger() != pai || !contadas.insert(chave).second) continue;
      if (!entradas.FindKey({V(chave)})) continue;
      const bool desconto = parte && !parte->IsNull() && TipoBaixaDoRecibo(static_cast<int>(parte->AsInteger())) ==
                                                            tbpDesconto;
      valor += desconto ? -valorEntrada.AsCurrency() : valorEntrada.AsCurrency();
    }
  }
  return std::make_pair(pai, valor);
}

Currency TProcessoBaixas::TExecucaoBaixas::RestoComPartes() const {
  Currency resto = Restante();
  if (auto o = origens_.find(Entrada()); o != origens_.end())
    for (int64_t origem : o->second)
      if (auto it = partes_.find(origem); it != partes_.end()) resto -= it->second;
  return resto;
}

int TProcessoBaixas::TExecucaoBaixas::MarcaDaLinha() const {
  if (!ModoArquivoGrande(dao_)) {
    const TField& inc = dao_->FieldByName("BDINCONSISTENTE");
    return inc.IsNull() ? miConsistente : static_cast<int>(inc.AsInteger());
  }
  const Variant v = dao_->Database().QueryValue(
      "select BDINCONSISTENTE from " + TabelaTrabalho(*dao_) + " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
      {dao_->Sessao(), Variant(static_cast<long long>(dao_->FieldByName("BDCODEMP").AsInteger())),
       Variant(static_cast<long long>(Entrada()))});
  return v.IsNull() ? miConsistente : static_cast<int>(v.AsInteger());
}

void TProcessoBaixas::TExecucaoBaixas::MarcaRestante() {
  // Not reconciled either: what the bank moved is not all in the books.
  if (ModoArquivoGrande(dao_)) {
    // The staged row is flagged where the import reads it.
    dao_->Database().Execute("update " + TabelaTrabalho(*dao_) + " set BDINCONSISTENTE = ?, BDCONCD = 'FALSE', "
                             "BDCONCC = 'FALSE' where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                             {static_cast<int>(miAvisoBaixa), dao_->Sessao(),
                              Variant(static_cast<long long>(dao_->FieldByName("BDCODEMP").AsInteger())),
                              Variant(static_cast<long long>(Entrada()))});
    return;
  }
  dao_->Edit();
  dao_->FieldByName("BDINCONSISTENTE").SetAsInteger(miAvisoBaixa);
  for (const char* lado : {"BDCONCD", "BDCONCC"})
    if (TField* f = dao_->FindField(lado)) f->SetAsBoolean(false);
  dao_->Post();
}

void TProcessoBaixas::TExecucaoBaixas::ContaUso(Currency valor) {
  if (valor.IsZero()) return;
  TUso& u = uso_[OrigemLink()];
  u.Valor += valor;
  u.Descricoes.push_back(DescricaoVinculo());
}

void TProcessoBaixas::TExecucaoBaixas::TrocaMes() {
  const int mes = AnoMes(DataEntrada());
  if (mes == referenciaAtual_) return;
  mes_->Troca(mes);
  referenciaAtual_ = mes;
  // The company's data, its online plan included, follow the month.
  if (codEmp_) codEmp_->Validate();
  plano_.reset();
}

int TProcessoBaixas::TExecucaoBaixas::ConsultaConfiguracao(const char* condicao, const std::vector<int>& contas,
                                                           const TClassificacao& c, bool porChave) {
  const int plano = Plano();
  auto chave = std::make_tuple(plano, condicao, referenciaAtual_, &c, porChave, contas);
  if (auto it = configuracoes_.find(chave); it != configuracoes_.end()) return it->second;

  if (!consulta_) consulta_ = TSQLMGR::CreateMgr(sender_);
  TParams p;
  p.emplace_back(plano);
  for (int conta : contas) p.emplace_back(conta);
  p.emplace_back(referenciaAtual_);
  p.emplace_back(std::string(c.Pagamento));
  p.emplace_back(std::string(c.Recebimento));
  // The first row in the server's order; a few texts, each prepared once.
  TStatement& st = consulta_->Database().Prepared(
      "select ref.BDCHAVE from TCONF_CONTAS_ONLINE_REF ref left outer join TCONF_CONTAS_ONLINE con on "
      "((con.bdcodplanoonline = ref.bdcodplanoonline) and (con.bdchave = ref.bdchave)) where ref.BDCODPLANOONLINE = ?" +
      std::string(condicao) +
      " and ref.BDREFCTA <= ? and ((con.bdclassificacao = ?) or (con.bdclassificacao = ?)) order by " +
      (porChave ? "con.BDCHAVE asc, ref.BDREFCTA Desc" : "ref.BDREFCTA Desc, con.BDCHAVE asc"));
  std::optional<int> achada;
  st.Query(p, [&achada](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
    if (!achada) achada = r[0].IsNull() ? 0 : static_cast<int>(r[0].AsInteger());
  });
  configuracoes_.emplace(std::move(chave), achada.value_or(0));
  return achada.value_or(0);
}

// Reference month and account configuration of the current entry: the plain run by the link's side
// and the principal; the receipt run by the part the row's amounts name, ordered by key first.
void TProcessoBaixas::TExecucaoBaixas::pTrocaReferencia() {
  TrocaMes();
  bool debito = pb_.FContaDebCre;
  const TClassificacao* c = &kClassificacaoPrincipal;
  if (recibo_) {
    debito = LinkValor("BDDESCONTOS") != Currency();
    if (LinkValor("BDJUROS") != Currency())
      c = &kClassificacaoJuros;
    else if (LinkValor("BDMULTAS") != Currency())
      c = &kClassificacaoMulta;
    else if (debito)
      c = &kClassificacaoDesconto;
  }
  const int conta = pb_.GetContaInteger(*dao_, debito ? "BDDEBITO" : "BDCREDITO");
  const int chave = ConsultaConfiguracao(debito ? " and ref.BDCONTADEBPGTO = ?" : " and ref.BDCONTACREDPGTO = ?",
                                         {conta}, *c, recibo_);
  if (chave == 0) {
    Atencao(fmt::format("Conta {} à {} não configurada no plano {} para o lançamento {} de data {}", conta,
                        debito ? "débito" : "crédito", Plano(), LinhaAvisada(), DateToStr(DataEntrada())));
    pb_.SetaNaoImporta(dao_, inc_);
  }
  pb_.FChaveConfOnline = chave;
}

void TProcessoBaixas::TExecucaoBaixas::pTrocaReferenciaAdicionais(const TBaixaAdicional& parte) {
  TrocaMes();
  int debito = pb_.GetContaInteger(*dao_, "BDDEBITO");
  int credito = pb_.GetContaInteger(*dao_, "BDCREDITO");
  if (parte.Tipo == tbaDesconto && ModoArquivoGrande(dao_)) {
    // A discount is settled on the accounts of the line it was split from.
    const Variant pai = links_->FieldByName("BDCHAVEPAI").Value();
    TQueryResult r = dao_->Database().QueryAll(
        "select BDDEBITO, BDCREDITO FROM " + TabelaTrabalho(*dao_) +
            " WHERE BDSESSAO = ? AND BDVINC_BAIXA collate win_ptbr = 'TRUE' AND BDCHAVE = ?",
        {dao_->Sessao(), pai.IsNull() ? Variant(0) : pai});
    debito = r.Rows.empty() || r.Value(0, "BDDEBITO").IsNull() ? 0 : static_cast<int>(r.Value(0, "BDDEBITO").AsInteger());
    credito =
        r.Rows.empty() || r.Value(0, "BDCREDITO").IsNull() ? 0 : static_cast<int>(r.Value(0, "BDCREDITO").AsInteger());
  }
  const TClassificacao& c = ClassificacaoDaParte(parte.Tipo);
  const bool peloDebito = parte.ContaDebito > 0;
  const int chave = peloDebito ? ConsultaConfiguracao(" and ref.BDCONTADEBPGTO = ? and REF.BDCONTACREDPGTO = ?",
                                                      {parte.ContaDebito, credito}, c, true)
                               : ConsultaConfiguracao(" and ref.BDCONTACREDPGTO = ? and REF.BDCONTADEBPGTO = ?",
                                                      {parte.ContaCredito, debito}, c, true);
  if (chave == 0) {
    const int64_t lanc = LinhaAvisada();
    const std::string data = DateToStr(DataEntrada());
    if (peloDebito)
      Atencao(fmt::format("Lançamento {}: As contas {} (débito) e {} (crédito) não estão configuradas no plano {}, "
                          "com data de {}",
                          lanc, parte.ContaDebito, credito, Plano(), data));
    else
      Atencao(fmt::format("Lançamento {}: As contas {} (crédito) e {} (débito) não estão configuradas no plano {}, "
                          "com data de {}",
                          lanc, parte.ContaCredito, debito, Plano(), data));
    pb_.SetaNaoImporta(dao_, inc_);
  }
  pb_.FChaveConfOnline = chave;
}

// Whether the manager's current installment was already posted in this run for the link's entry;
// records it when not.
bool TProcessoBaixas::TExecucaoBaixas::ChaveJaLancada(TMovParPgtoMGR& m) {
  std::string natureza;
  TField* mun = m.FindField("BDCODMUNATVM");
  TField* nat = m.FindField("BDCODNAT");
  if ((m.TipoMovimento() == 9 || m.TipoMovimento() == 13) && mun)
    natureza = mun->AsString();
  else if (nat)
    natureza = nat->AsString();
  return !parcelasLancadas_
              .insert({m.FieldByName("BDCODEMP").AsInteger(), m.FieldByName("BDCHAVE").AsInteger(), Link("BDCHAVE"),
                       m.FieldByName("BDPARCELAPAR").AsString(), std::move(natureza)})
              .second;
}

// ---------------------------------------------------------------------------------------------------
// Plain links

// A link this engine cannot settle (a kind or book it does not know) is told and flags its entry:
// passed over in silence, the entry would be neither settled nor imported.
bool TProcessoBaixas::TExecucaoBaixas::VinculoConhecido() {
  const int64_t tipo = Link("BDTIPO_BAIXA");
  const int64_t livro = Link("BDSUBTIPO_BAIXA");
  const bool conhecido = recibo_ ? tipo != tbvParcela || (livro >= 0 && livro <= 3)
                                 : (tipo == tbvGuia || tipo == tbvCalculo || (tipo == tbvParcela && livro >= 0 && livro <= 3));
  if (conhecido) return true;
  Atencao(fmt::format("Lançamento {}: baixa não lançada: vínculo de tipo {} (livro {}) desconhecido.", LinhaAvisada(), tipo,
                      livro));
  pb_.SetaNaoImporta(dao_, inc_);
  return false;
}

void TProcessoBaixas::TExecucaoBaixas::TrataVinculo(int64_t proxima) {
  if (!VinculoConhecido()) return;
  pb_.FContaDebCre = GetDebCre();
  pTrocaReferencia();
  if (pb_.FChaveConfOnline == 0) return;   // warned and flagged; only this row is skipped
  switch (Link("BDTIPO_BAIXA")) {
    case tbvGuia:
      if (!chavesGuias_.empty()) BaixaGuia();
      break;
    case tbvCalculo:
      if (!chavesCalculos_.empty()) BaixaCalculo();
      break;
    case tbvParcela: {
      const int64_t livro = Link("BDSUBTIPO_BAIXA");
      if (livro >= 0 && livro <= 3 && !chavesParcelas_[static_cast<size_t>(livro)].empty()) BaixaParcela(proxima);
      break;
    }
    default:
      break;
  }
}

// Each guide link finds its own guide by key and posts it once for its entry.
void TProcessoBaixas::TExecucaoBaixas::BaixaGuia() {
  if (!guiasSelecionadas_) {
    // A missing guide is reported on its own link's entry, not on the entry that happens to be current.
    guias_->SetInconsistencia(nullptr);
    guias_->SelectGuiasParaBaixa(chavesGuias_, bloqueio_, ExecucaoDe(sender_).TelasSQL(), false);
    guias_->SetInconsistencia(inc_);
    guias_->SetIndexFieldNames("BDCHAVEDARF");
    guiasSelecionadas_ = true;
  }
  const int64_t id = Link("BDBAIXA_ID");
  const bool achou = guias_->FindKey({V(id)});
  if (pb_.FPrimeiroTeste) {
    if (!achou || guias_->FieldByName("BDSALDOAPAGAR").AsCurrency() != LinkValor("BDVALOR")) Coleta();
    return;   // the check of guides leaves the entry's flag alone
  }
  if (Registrado(tbpPrincipal)) {
    // Posted by an earlier run of this session.
  } else if (!achou) {
    Atencao(fmt::format("Lançamento {}: a guia de imposto {} vinculada não foi encontrada.", LinhaAvisada(), id));
  } else if (lancadas_.insert(fmt::format("G|{}|{}", id, Link("BDCHAVE"))).second && CabeNoLancamento()) {
    guias_->LancaBaixaImpostoAtual("", nullptr, nullptr);
    ContaUso(guias_->ValorLancado());
  }
  pb_.SetaNaoImporta(dao_, inc_);
}

void TProcessoBaixas::TExecucaoBaixas::BaixaCalculo() {
  if (!calculosSelecionados_) {
    calculos_->SetInconsistencia(nullptr);
    calculos_->SelectCalculosParaBaixa(chavesCalculos_);
    calculos_->SetInconsistencia(inc_);
    calculos_->SetIndexFieldNames("BDTIPOCALC;BDCHAVE;BDORDEMCALC");
    calculosSelecionados_ = true;
  }
  const int64_t tipo = Link("BDSUBTIPO_BAIXA");
  const bool achou = calculos_->FindKey({V(tipo), V(Link("BDBAIXA_ID")), V(Link("BDORDEM"))});
  if (pb_.FPrimeiroTeste) {
    if (!achou || calculos_->FieldByName("BDLIQUIDO").AsCurrency() - calculos_->FieldByName("BDVLRPGTO").AsCurrency() !=
                      LinkValor("BDVALOR"))
      Coleta();
  } else if (Registrado(tbpPrincipal)) {
    // Posted by an earlier run of this session.
  } else if (!achou) {
    Atencao(fmt::format("Lançamento {}: o cálculo {} (tipo {}, ordem {}) vinculado não foi encontrado.", LinhaAvisada(),
                        Link("BDBAIXA_ID"), tipo, Link("BDORDEM")));
  } else if (CabeNoLancamento()) {
    calculos_->SetTIPOCALC(static_cast<int>(tipo));
    calculos_->LancaBaixaCalculoAtual();
    calculos_->CommitLancamentoDaoGravacaoGeral(nullptr);
    ContaUso(calculos_->ValorLancado());
  }
  pb_.SetaNaoImporta(dao_, inc_);
}

// The book's manager, with the entry's configuration, the book's modes and its installments selected.
TMovParPgtoMGR& TProcessoBaixas::TExecucaoBaixas::PreparaParcela(int livro) {
  TMovParPgtoMGR& m = *parcelas_[static_cast<size_t>(livro)];
  if (!m.EditPlano) {
    m.EditPlano = m.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcConfOnline));
    m.EditPlano->SetText(std::to_string(Plano()));
  }
  if (!m.EditConfiguracao) m.EditConfiguracao = m.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcConfOnline));
  m.EditConfiguracao->Vale(pb_.FChaveConfOnline);
  CarregaContas(m, pb_.FChaveConfOnline);

  const int64_t servico = Link("BDTIPOSERVICO");
  m.SetTIPOBAIXA_MGR(tbpPrincipal);
  m.SetTIPOMOVIMENTO_MGR(0);
  int& tipoLanc = tipoLancamento_[static_cast<size_t>(livro)];
  switch (livro) {
    case 0: m.SetTIPOMOVIMENTO_MGR(1); tipoLanc = 0; break;
    case 1: m.SetTIPOMOVIMENTO_MGR(5); tipoLanc = 1; break;
    case 2:
      m.SetTIPOMOVIMENTOPAGAMENTO_MGR(2);
      m.SetTIPOMOVIMENTO_MGR(servico != 0 ? 13 : 9);
      tipoLanc = servico != 0 ? 3 : 2;
      break;
    default:
      m.SetTIPOMOVIMENTO_MGR(servico != 1 ? 20 : 18);
      tipoLanc = servico != 1 ? 5 : 4;
      break;
  }
  // Installments are selected once per run; services again only when their movement type changes.
  int& selecionado = movimentoSelecionado_[static_cast<size_t>(livro)];
  if (selecionado == -1 || (livro == 2 && !recibo_ && selecionado != m.TipoMovimento())) {
    m.SetInconsistencias(nullptr);
    m.SelectGuiasParaBaixa(chavesParcelas_[static_cast<size_t>(livro)], m.GetTableJoinParcelamento(codigoEmpresa_),
                           m.GetTablePagamento(), nullptr, false);
    m.SetInconsistencias(inc_);
    m.SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
    selecionado = m.TipoMovimento();
  }
  return m;
}

// Hands the manager the configuration valid at the entry's date, unless it already holds it.
void TProcessoBaixas::TExecucaoBaixas::CarregaContas(TMovParPgtoMGR& m, int chave) {
  const auto carga = std::make_tuple(Plano(), chave, AnoMes(DataEntrada()));
  auto& atual = contasCarregadas_[static_cast<size_t>(m.Livro())];
  if (atual == carga) return;
  auto lida = contasLidas_.find(carga);
  if (lida == contasLidas_.end())
    lida = contasLidas_.emplace(carga, m.ConfContasOnline()->GetConfiguracaoPorChave(Plano(), chave, DataEntrada()))
               .first;
  m.SetContas(lida->second);
  atual = carga;
}

// The link's own installment, found by its document key and order.
TProcessoBaixas::TExecucaoBaixas::TParcela TProcessoBaixas::TExecucaoBaixas::LocalizaParcela(TMovParPgtoMGR& m,
                                                                                            bool checaValorContabil) {
  if (!m.FindKey({V(Link("BDBAIXA_ID")), V(Link("BDORDEM"))})) return TParcela::NaoEncontrada;
  if (checaValorContabil && m.FieldByName("BDSALDOAPAGAR").AsCurrency() == Currency::FromInt(-1))
    return TParcela::SemValorContabil;
  if (m.FieldByName("BDVALORPAR").AsCurrency() < LinkValor("BDVALOR")) return TParcela::Menor;
  if (ChaveJaLancada(m)) return TParcela::JaLancada;
  return TParcela::Encontrada;
}

void TProcessoBaixas::TExecucaoBaixas::AvisaParcela(TParcela p, const TMovParPgtoMGR& m) {
  switch (p) {
    case TParcela::NaoEncontrada:
      Atencao(fmt::format("Lançamento {}: a parcela {} do documento {} vinculada não foi encontrada.", LinhaAvisada(),
                          Link("BDORDEM"), Link("BDBAIXA_ID")));
      break;
    case TParcela::SemValorContabil:
      Atencao("Lançamento " + std::to_string(LinhaAvisada()) + ": A nota " + m.FieldByName("BDNUMDOCINI").AsString() +
              " vinculada não possui valor contábil. Verifique o respectivo lançamento" +
              " no módulo fiscal para prosseguir.");
      break;
    case TParcela::Menor:
      Atencao(fmt::format("Lançamento {}: o valor vinculado {} é maior que o valor {} da parcela {} do documento {}.",
                          LinhaAvisada(), LinkValor("BDVALOR").ToBR(2), m.FieldByName("BDVALORPAR").AsCurrency().ToBR(2),
                          Link("BDORDEM"), m.FieldByName("BDNUMDOCINI").AsString()));
      break;
    default:
      break;
  }
}

// Check-only mode: the installment must still have something to settle.
bool TProcessoBaixas::TExecucaoBaixas::ChecaParcela(const TMovParPgtoMGR& m) const {
  return m.FieldByName("BDSALDOAPAGAR").AsCurrency() != Currency() &&
         m.FieldByName("BDVALORPAR").AsCurrency() > m.FieldByName("BDVALORTOTAL").AsCurrency();
}

void TProcessoBaixas::TExecucaoBaixas::BaixaParcela(int64_t proxima) {
  TMovParPgtoMGR& m = PreparaParcela(static_cast<int>(Link("BDSUBTIPO_BAIXA")));
  const TParcela p = LocalizaParcela(m, true);
  if (pb_.FPrimeiroTeste) {
    if (p == TParcela::SemValorContabil)
      AvisaParcela(p, m);
    else if (p == TParcela::NaoEncontrada || p == TParcela::Menor || (p == TParcela::Encontrada && !ChecaParcela(m)))
      Coleta();
  } else if (p == TParcela::Encontrada) {
    // Parts of a principal the manager refused would be posted again by the ordinary import. A
    // grouped principal keeps its parts too: nothing else would ever post them. A principal an
    // earlier run posted still lets the parts that run could not post go now.
    if (Registrado(tbpPrincipal) || (CabeNoLancamento() && PostaParcela(m, proxima, -1))) PostaAdicionais(m);
  } else {
    AvisaParcela(p, m);
  }
  pb_.SetaNaoImporta(dao_, inc_);
}

// Posts the matched installment, grouped or single; parte is the receipt's part code (-1 plain).
// Answers whether the manager posted it.
bool TProcessoBaixas::TExecucaoBaixas::PostaParcela(TMovParPgtoMGR& m, int64_t proxima, int parte) {
  TProcessoBaixas* pb = &pb_;
  m.Parcial = m.FieldByName("BDVALORPAR").AsCurrency() > LinkValor("BDVALOR");
  // Also a full link pays its own value: on a partly paid installment it is more than is left, and
  // the manager refuses it with a warning instead of settling what is left. A principal takes no
  // more than its entry has left after the entry's other links.
  const bool principal = parte == -1 || TipoBaixaDoRecibo(parte) == tbpPrincipal;
  if (principal)
    m.OnGetValorPgto = [this](TComponent*) { return ValorPrincipalParcela(); };
  else
    m.OnGetValorPgto = [pb, f = fonte_](TComponent*) { return pb->ValorPgto(f); };
  const int64_t entrada = GrupoLink();
  const int tipoLanc = tipoLancamento_[static_cast<size_t>(m.Livro())];
  auto lanca = [&](bool agrupado, bool ultimo) {
    if (recibo_)
      return m.LancaBaixaParcelaAtualComp(tipoLanc, nullptr, nullptr, agrupado, agrupado ? &m : nullptr, ultimo,
                                          agrupado, parte);
    return m.LancaBaixaParcelaAtual(tipoLanc, nullptr, nullptr, agrupado, agrupado ? &m : nullptr, ultimo, agrupado,
                                    -1);
  };
  bool lancada = false;
  if (revisao_ && variosVinculos_.count(entrada) && resposta_ != TResposta::Nao) {
    if (anterior_ > 0 && anterior_ != entrada) m.pLimpaParcela();
    if (resposta_ == TResposta::Nenhuma) {
      // Closing the dialog counts as No.
      const int r = MessageDlgVYNGlobal(kPerguntaAgrupada, mtWarning, mbYes | mbNo, {"&Sim", "&Não"});
      resposta_ = r == mrYes ? TResposta::Sim : TResposta::Nao;
    }
    lancada = lanca(resposta_ == TResposta::Sim, resposta_ == TResposta::Sim && entrada != proxima);
  } else {
    lancada = lanca(false, false);
  }
  anterior_ = entrada;
  if (lancada && principal) ContaUso(m.ValorLancado());
  if (lancada && !principal) partes_[OrigemLink()] += m.ValorLancado();
  return lancada;
}

// The link's additional parts (fine, interest, discount), each on its own configuration.
void TProcessoBaixas::TExecucaoBaixas::PostaAdicionais(TMovParPgtoMGR& m) {
  const TBaixasAdicionaisDoVinculo* d = pb_.FBaixasAdicionaisDoVinculo;
  if (!d || d->empty()) return;
  auto it = d->find(ChaveBaixaAdicional(static_cast<int>(Link("BDTIPO_BAIXA")), static_cast<int>(Link("BDSUBTIPO_BAIXA")),
                                        Link("BDBAIXA_ID"), static_cast<int>(Link("BDORDEM"))));
  if (it == d->end()) return;
  TProcessoBaixas* pb = &pb_;
  const int tipoLanc = tipoLancamento_[static_cast<size_t>(m.Livro())];
  for (const TBaixaAdicional& parte : it->second) {
    if (Registrado(TipoBaixaDaParte(parte.Tipo))) continue;
    pTrocaReferenciaAdicionais(parte);
    if (pb_.FChaveConfOnline == 0) continue;
    m.Parcial = true;
    pb_.FValorParcial = parte.Valor;
    m.OnGetValorPgto = [pb, f = fonte_](TComponent*) { return pb->ValorPgtoParcial(f); };
    CarregaContas(m, pb_.FChaveConfOnline);
    m.EditConfiguracao->Vale(pb_.FChaveConfOnline);
    m.LancaBaixaParcelaAtual(tipoLanc, nullptr, nullptr, false, nullptr, false, false, parte.Tipo);
  }
}

// ---------------------------------------------------------------------------------------------------
// Receipt links

void TProcessoBaixas::TExecucaoBaixas::TrataRecibo(int64_t proxima) {
  // Only fiscal installments are settled through receipts; other rows pass without a lookup.
  if (!VinculoConhecido()) return;
  const int64_t livro = Link("BDSUBTIPO_BAIXA");
  if (Link("BDTIPO_BAIXA") != tbvParcela || livro < 0 || livro > 3 ||
      chavesParcelas_[static_cast<size_t>(livro)].empty())
    return;
  pTrocaReferencia();
  if (pb_.FChaveConfOnline == 0) return;
  TMovParPgtoMGR& m = PreparaParcela(static_cast<int>(livro));
  const int codTipo = static_cast<int>(Link("bdCODTIPOBAIXA"));
  const int tipo = TipoBaixaDoRecibo(codTipo);
  m.SetTIPOBAIXA_MGR(tipo);
  if (tipo != tbpPrincipal) {
    m.SetContasParte(pb_.GetContaInteger(*dao_, "BDDEBITO"), pb_.GetContaInteger(*dao_, "BDCREDITO"));
    m.SetVALORPAR_MGR(LinkValor("BDVALOR"));
    m.SetCODTER_MGR(0);
    m.SetNOMETER_MGR("");
  }
  const TParcela p = LocalizaParcela(m, false);
  if (pb_.FPrimeiroTeste) {
    if (p == TParcela::NaoEncontrada || p == TParcela::Menor || (p == TParcela::Encontrada && !ChecaParcela(m)))
      Coleta();
  } else if (p == TParcela::Encontrada) {
    if (!Registrado(tipo) && (tipo != tbpPrincipal || CabeNoLancamento())) PostaParcela(m, proxima, codTipo);
  } else {
    AvisaParcela(p, m);
  }
  pb_.SetaNaoImporta(dao_, inc_);
}

// ---------------------------------------------------------------------------------------------------
// Operations

void TProcessoBaixas::GetVinculoBaixa(TComponent* prSender, TEdit_Codigo_Search_VYN* prCodEmp,
                                      TInconsistencias_VYN* prInconsistencias, TLancamentoMGR* prDAO) {
  if (!prDAO || !cdsVINC_EXT_BAN_BAIXA) return;
  TExecucaoBaixas ex(*this, prSender, prCodEmp, prInconsistencias, prDAO, cdsVINC_EXT_BAN_BAIXA, false);
  ex.Prepara();
  ex.Executa();
  ex.Encerra();
}

void TProcessoBaixas::GetVinculoBaixaComp(TComponent* prSender, TEdit_Codigo_Search_VYN* prCodEmp,
                                          TInconsistencias_VYN* prInconsistencias, TLancamentoMGR* prDAO) {
  if (!prDAO || !cdsVINC_EXT_BAN_COMP_BAIXA) return;
  TExecucaoBaixas ex(*this, prSender, prCodEmp, prInconsistencias, prDAO, cdsVINC_EXT_BAN_COMP_BAIXA, true);
  ex.Prepara();
  ex.Executa();
  ex.Encerra();
}

std::map<int64_t, std::map<int, Currency>> TProcessoBaixas::BaixasPorLinha(TDAOFactory& linhas) const {
  std::map<int64_t, std::map<int, Currency>> porLinha;
  const int sessao = ModoArquivoGrande(&linhas) ? linhas.Sessao() : FSessaoBaixas;
  if (sessao == 0) return porLinha;
  // A link is known by its stamp where it has one (an in-memory review), else by its line's key.
  std::map<int64_t, int64_t> linhaDoCarimbo;
  for (TClientDataSet* v : {cdsVINC_EXT_BAN_BAIXA, cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!v || !v->Active()) continue;
    const TField* carimbo = v->FindField("BDIDVINCULO");
    TFilterGuard todos(*v, TFilterGuard::kAllRows);
    for (v->First(); !v->Eof(); v->Next()) {
      const int64_t linha = v->FieldByName("BDCHAVE").AsInteger();
      linhaDoCarimbo[carimbo && !carimbo->IsNull() ? carimbo->AsInteger() : linha] = linha;
    }
  }
  linhas.Database().Query(std::string("select BDIDVINCULO, BDTIPOBAIXA, BDVALOR, BDCHAVELAN from ") + kTabelaVinculosLancados +
               " where BDSESSAO = ?",
           {sessao}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
             auto linha = linhaDoCarimbo.find(r[0].AsInteger());
             // A staged line's stamp is its key, also for a link no longer in the set.
             if (linha == linhaDoCarimbo.end() && !ModoArquivoGrande(&linhas)) return;
             const int64_t chave = linha == linhaDoCarimbo.end() ? r[0].AsInteger() : linha->second;
             const Currency v = r[2].AsCurrency();
             porLinha[chave][static_cast<int>(r[3].AsInteger())] +=
                 r[1].AsInteger() == tbpDesconto ? Currency() - v : v;
           });
  return porLinha;
}

std::map<int64_t, std::vector<TParteFonte>> TProcessoBaixas::PartesPorLinha(TDAOFactory& linhas) const {
  std::map<int64_t, std::vector<TParteFonte>> partes;
  for (const auto& [linha, porLancamento] : BaixasPorLinha(linhas)) partes[linha] = PartesPorLancamento(porLancamento);
  return partes;
}

std::vector<TParteFonte> PartesPorLancamento(const std::map<int, Currency>& porLancamento) {
  std::vector<TParteFonte> partes;
  for (const auto& [lancamento, valor] : porLancamento)
    partes.push_back({fmt::format("baixa {}", lancamento), lancamento, valor});
  return partes;
}

void TProcessoBaixas::AddRegistrosBaixas(TClientDataSet* prDAO, TComponent* prSender,
                                         TEdit_Codigo_Search_VYN* prCodEmp, TInconsistencias_VYN* prInconsistencias,
                                         TLancamentoMGR* prDAOLancamento) {
  struct TRestaura {
    TProcessoBaixas& pb;
    ~TRestaura() {
      pb.FCarregandoVinculos = false;
      pb.FPrimeiroTeste = false;
    }
  } restaura{*this};

  if (prDAO && prDAO->Active()) {
    // Saved links are reloaded as they were: they leave the entries' split lines alone.
    FCarregandoVinculos = true;
    for (prDAO->First(); !prDAO->Eof(); prDAO->Next()) {
      cdsVINC_EXT_BAN_BAIXA->Append();
      cdsVINC_EXT_BAN_BAIXA->CopyFieldsByName(*prDAO);
      // A saved link is new to this engine: a stamp of another engine's session would not be unique here.
      cdsVINC_EXT_BAN_BAIXA->FieldByName("BDIDVINCULO").SetValue(Variant());
      cdsVINC_EXT_BAN_BAIXA->Post();
    }
    FCarregandoVinculos = false;
  }
  FPrimeiroTeste = true;
  FStringList.clear();
  GetVinculoBaixa(prSender, prCodEmp, prInconsistencias, prDAOLancamento);
  FPrimeiroTeste = false;
  if (!prDAOLancamento) return;

  std::set<int64_t> falhas;
  std::optional<TSQLMGRHandle> sql;
  const int codEmp = prCodEmp ? static_cast<int>(prCodEmp->Codigo()) : 0;
  for (const std::string& texto : FStringList) {
    const int64_t chave = std::stoll(texto);
    if (!falhas.insert(chave).second) continue;   // an entry with several failed links is handled once
    if (ModoArquivoGrande(prDAOLancamento)) {
      if (!sql) sql.emplace(getSQLMgr_do_Pool());
      (*sql)->CommandText("delete from " + TabelaTrabalho(*prDAOLancamento) + " where BDSESSAO = ? and BDCHAVE = ?",
                          ctExecute, {prDAOLancamento->Sessao(), V(chave)});
      // The staged line leaves the import: the user is told which and why.
      if (prInconsistencias)
        prInconsistencias->Add_Atencao(codEmp, "Lançamento " + std::to_string(chave) +
                                                   ": retirado da importação, suas baixas foram excluídas ou já "
                                                   "foram lançadas.");
    } else if (prDAOLancamento->SearchKey("BDCHAVE", {V(chave)})) {
      if (prInconsistencias)
        prInconsistencias->Add_Atencao(codEmp, "Lançamento " + prDAOLancamento->FieldByName("BDCHAVE").AsString() +
                                                   ": Baixas do lançamento foram excluídas ou já foram lançadas.");
      prDAOLancamento->Edit();
      prDAOLancamento->FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
      prDAOLancamento->Post();
    } else {
      falhas.erase(chave);   // not among the entries: its links stay
    }
  }
  if (falhas.empty()) return;
  cdsVINC_EXT_BAN_BAIXA->First();
  while (!cdsVINC_EXT_BAN_BAIXA->Eof()) {
    if (falhas.count(cdsVINC_EXT_BAN_BAIXA->FieldByName("BDCHAVE").AsInteger()))
      cdsVINC_EXT_BAN_BAIXA->Delete();
    else
      cdsVINC_EXT_BAN_BAIXA->Next();
  }
}

}  // namespace integracao
