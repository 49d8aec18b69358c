// The second phase of the receipt import: each receipt goes into the statement line it pays, the
// lines are linked by the settlement engine and the review's rules, and interest, fines and
// discounts are split into multiple entries linked to the installment they settle.
#include <map>
#include <set>
#include <utility>

#include "bankstatement/uImportacaoCompPagto.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Desfaz.h"
#include "framework/accounting/conf_contas_online_mgr.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/tipos_lancamentos.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kTelaRevisao = "TfrConsultaImportacaoExtratoBancario";
constexpr int kPlanoContas = 3;
constexpr int kTipoLancamentoMultiplo = 20;

// Kinds of receipt settlement (bdCODTIPOBAIXA) of a split row.
enum TParteComprovante : int { pcPrincipal = 1, pcDesconto = 2, pcMultas = 3, pcJuros = 4 };

// Where the configuration gives an amount row's account.
struct TContaParte {
  const char* pagamento;   // classification of a payment line
  const char* recebimento; // classification of a receipt line
  const char* busca;       // column that must equal the line's account
  bool buscaDebito;        // the line account compared: debit (else credit)
  const char* conta;       // column of the account taken
};

const TContaParte kJuros{kClassificacaoJuros.Pagamento, kClassificacaoJuros.Recebimento, "BDCONTACREDPGTO", false,
                         "BDCONTADEBPGTO"};
const TContaParte kMultas{kClassificacaoMulta.Pagamento, kClassificacaoMulta.Recebimento, "BDCONTACREDPGTO", false,
                          "BDCONTADEBPGTO"};
const TContaParte kDescontoPagamento{kClassificacaoDesconto.Pagamento, "", "BDCONTADEBPGTO", false, "BDCONTACREDPGTO"};
const TContaParte kDescontoRecebimento{"", kClassificacaoDesconto.Recebimento, "BDCONTADEBPGTO", true,
                                       "BDCONTACREDPGTO"};

const char* const kClassificacoes[] = {
    kClassificacaoPrincipal.Pagamento,   kClassificacaoMulta.Pagamento,   kClassificacaoJuros.Pagamento,
    kClassificacaoDesconto.Pagamento,    kClassificacaoPrincipal.Recebimento, kClassificacaoMulta.Recebimento,
    kClassificacaoJuros.Recebimento,     kClassificacaoDesconto.Recebimento};

// A money column: empty is 0.
Currency Dinheiro(const TClientDataSet& ds, const char* coluna) {
  const TField& f = ds.FieldByName(coluna);
  return f.IsNull() ? Currency() : f.AsCurrency();
}

// An account column: empty, null and 0 are no account.
int64_t Conta(const TClientDataSet& ds, const char* coluna) {
  const TField* f = ds.FindField(coluna);
  if (!f || f->IsNull() || Trim(f->AsString()).empty()) return 0;
  return f->AsInteger();
}

Currency ValorOuZero(const std::string& texto) {
  Currency v;
  return ValorComprovante(texto, v) ? v : Currency();
}

const char* NomeParte(int parte) {
  switch (parte) {
    case pcJuros: return "juros";
    case pcMultas: return "multas";
    default: return "descontos";
  }
}

}  // namespace

int TfrImportacaoCompPagto::PlanoEmpresa(const char* coluna) const {
  if (const TCodigoRegistro* reg = edCODEMP->GetDaoFactory()) {
    const Variant v = reg->Campo(coluna);
    if (!v.IsNull() && v.AsInteger() > 0) return static_cast<int>(v.AsInteger());
  }
  TSQLMGR q(nullptr);
  q.CommandText(std::string("select ") + coluna + " from VW_TEMPRESAS_REF where BDCODEMP = ?", ctOpen,
                {Variant(CodEmp())});
  return q.IsEmpty() || q.Fields(0).IsNull() ? 0 : static_cast<int>(q.Fields(0).AsInteger());
}

namespace {
// The rows a receipt run adds to a data set (split rows, links), told apart from those already there
// so that a run that fails half way takes back exactly what it added.
class TLinhasNovas {
 public:
  explicit TLinhasNovas(TClientDataSet* ds) : ds_(ds && ds->Active() ? ds : nullptr) {
    if (!ds_) return;
    TFilterGuard filtro(*ds_, TFilterGuard::kAllRows);
    TDetachedDetail solto(*ds_);
    for (ds_->First(); !ds_->Eof(); ds_->Next()) antes_.insert(ds_->GetBookmark());
  }
  void Apaga() {
    if (!ds_) return;
    if (ds_->State() != TDataSetState::dsBrowse) ds_->Cancel();
    TFilterGuard filtro(*ds_, TFilterGuard::kAllRows);
    TDetachedDetail solto(*ds_);
    for (ds_->First(); !ds_->Eof();)
      if (antes_.count(ds_->GetBookmark())) ds_->Next();
      else ds_->Delete();
  }

 private:
  TClientDataSet* ds_;
  std::set<TBookmark> antes_;
};
}  // namespace

void TfrImportacaoCompPagto::pProcessaComprovantes() {
  if (!FLancamentos) return;
  // A run that fails half way (a settlement look-up, the rules) leaves the lines as they were: no
  // receipt values without their split, no split rows or links of a receipt not applied.
  TDesfazLinhas desfaz(*FLancamentos);
  for (FLancamentos->First(); !FLancamentos->Eof(); FLancamentos->Next()) desfaz.Guarda();
  TLinhasNovas multi(FLancamentos->getMultiLancamentosDAO());
  TLinhasNovas vinculos(FProcessoBaixas ? FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA : nullptr);
  TLinhasNovas vinculosComp(FProcessoBaixas ? FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA : nullptr);
  try {
    ProcessaComprovantes();
  } catch (...) {
    multi.Apaga();
    vinculos.Apaga();
    vinculosComp.Apaga();
    desfaz.Desfaz();
    throw;
  }
}

void TfrImportacaoCompPagto::ProcessaComprovantes() {
  auto* status = TfrStatusProcesso::createStatusProcess(this, 2);
  struct TFecha {
    TfrImportacaoCompPagto& tela;
    TfrStatusProcesso* status;
    std::string indice;
    ~TFecha() {
      status->Finalize();
      tela.FreeComponent(status);
      if (tela.FLancamentos->IndexFieldNames() != indice) tela.FLancamentos->SetIndexFieldNames(indice);
    }
  } fecha{*this, status, FLancamentos->IndexFieldNames()};
  status->setPrimaryStatusLabel("Comparando o arquivo importado com o extrato bancário selecionado...");
  status->setPrimaryMaxProgress(static_cast<int>(FDados.size()));

  // The lines stay without their controls until the screen closes.
  if (!FControlesDesabilitados) {
    FLancamentos->DisableControls();
    FControlesDesabilitados = true;
  }
  LocalizaComprovantes();
  if (FDados.empty()) return;

  if (!FConfContas) FConfContas = TCONF_CONTAS_ONLINEMGR::CreateMgr(this);
  std::string classificacoes;
  for (const char* c : kClassificacoes) classificacoes += std::string(classificacoes.empty() ? "" : ", ") + "'" + c + "'";
  FConfContas->CommandText(
      "select REF.BDCHAVE, ONL.BDCLASSIFICACAO, REF.BDCONTADEBPGTO, REF.BDCONTACREDPGTO, REF.BDREFCTA from "
      "TCONF_CONTAS_ONLINE ONL left join TCONF_CONTAS_ONLINE_REF REF on REF.BDCODPLANOONLINE = ONL.BDCODPLANOONLINE "
      "and REF.BDCHAVE = ONL.BDCHAVE where ONL.BDCODPLAPADRAO = ? and       ONL.BDCODPLANOONLINE = ? and       "
      "ONL.BDCLASSIFICACAO in (" + classificacoes + ") order by ONL.BDCHAVE, REF.BDREFCTA",
      ctOpen, {Variant(PlanoEmpresa("BDCODPLAPADRAO")), Variant(PlanoEmpresa("BDCODPLANOONLINE"))});

  if (FProcessoBaixas)
    FProcessoBaixas->GetVinculosAutomaticos(this, FLancamentos, CodEmp(), false, false, true, true, FConfContas);

  if (!FDAOFactory) FDAOFactory = TConsultaGrupoDAO::CreateMgr(this, false);
  FDAOFactory->CommandText(TMovParMGR::GetConsultaParcelamentoGroup(FOwner, "", CodEmp(), gpPagar) + " union all " +
                               TMovParMGR::GetConsultaParcelamentoGroup(FOwner, "", CodEmp(), gpReceber),
                           ctOpen);

  if (Owner() && Owner()->InheritsFrom(kTelaRevisao))
    if (auto* revisao = dynamic_cast<IRevisaoExtratoComprovantes*>(Owner())) revisao->spRateioCreditoClick(nullptr);

  pGeraMultiplosLancamentos();
  AvisaRecibosDeOutroFornecedor();
}

// A receipt whose only candidates of its day are another participant's stays unlinked: the user is
// told, unless a split row of the line found its own participant's installment.
void TfrImportacaoCompPagto::AvisaRecibosDeOutroFornecedor() {
  if (!FProcessoBaixas || FProcessoBaixas->RecibosDeOutroFornecedor().empty()) return;
  std::set<int64_t> vinculadas;
  if (TClientDataSet* v = FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA; v && v->Active()) {
    TClientDataSet c;
    c.CloneCursor(*v);
    for (c.First(); !c.Eof(); c.Next()) vinculadas.insert(c.FieldByName("BDCHAVE").AsInteger());
  }
  TClientDataSet linhas;
  linhas.CloneCursor(*FLancamentos);
  std::set<int64_t> avisadas;
  for (int64_t chave : FProcessoBaixas->RecibosDeOutroFornecedor()) {
    if (vinculadas.count(chave) || !avisadas.insert(chave).second) continue;
    if (!linhas.Locate("BDCHAVE", {Variant(static_cast<long long>(chave))})) continue;
    Inconsistencias_VYN()->Add_Atencao(
        CodEmp(), "Lançamento " + std::to_string(chave) + ": o comprovante de " +
                      DateToStr(linhas.FieldByName("BDDATA").AsDateTime()) + " no valor de R$ " +
                      Dinheiro(linhas, "BDVALORPAGO").ToBR(2) + " pagou o CNPJ " +
                      OnlyDigits(linhas.FieldByName("BDCNPJ").AsString()) +
                      ", que não tem parcela em aberto desse valor: nada foi vinculado (a parcela de outro "
                      "fornecedor com o mesmo vencimento não é baixada por ele).");
  }
}

void TfrImportacaoCompPagto::LocalizaComprovantes() {
  TLancamentoMGR& linhas = *FLancamentos;
  TInconsistencias_VYN& lista = *Inconsistencias_VYN();
  // The lines by date and value, in their order: each receipt takes the first one no other receipt
  // of this run took, so two receipts of the same date and value never land on one line.
  std::map<std::pair<int, int64_t>, std::vector<TBookmark>> porDataValor;
  for (linhas.First(); !linhas.Eof(); linhas.Next()) {
    if (linhas.FieldByName("BDDATA").IsNull()) continue;
    porDataValor[{linhas.FieldByName("BDDATA").AsDateTime().Days(), Dinheiro(linhas, "BDVALOR").Raw()}].push_back(
        linhas.GetBookmark());
  }
  std::set<TBookmark> tomadas;
  for (const TDadosComprovantes& d : FDados) {
    const std::string naoLocalizado = "O comprovante do dia: " + d.DataPgto + " no valor de: R$ " + d.ValorPago +
                                      ", não foi localizado no extrato selecionado.";
    TDateTime data;
    Currency pago;
    if (!TryStrToDate(Trim(d.DataPgto), data) || !ValorComprovante(d.ValorPago, pago)) {
      lista.Add_Atencao(CodEmp(), naoLocalizado);
      continue;
    }
    const Currency juros = ValorOuZero(d.Juros);
    const Currency multas = ValorOuZero(d.Multas);
    const Currency descontos = ValorOuZero(d.Descontos);
    Currency original;
    // A receipt that prints no original value pays it with the amounts taken off; as in reading, a
    // negative result means a misread receipt: it is reported, not written, split or linked.
    if (!ValorComprovante(d.ValorOriginal, original)) {
      original = pago - juros - multas + descontos;
      if (original < Currency()) {
        lista.Add_Atencao(CodEmp(), AvisoOriginalNegativo(d.DataPgto, d.ValorPago, original));
        continue;
      }
    }
    TBookmark linha = -1;
    auto it = porDataValor.find({data.Days(), pago.Raw()});
    if (it != porDataValor.end())
      for (TBookmark b : it->second)
        if (!tomadas.count(b) && linhas.BookmarkValid(b)) {
          linha = b;
          break;
        }
    if (linha < 0) {
      lista.Add_Atencao(CodEmp(), naoLocalizado);
      continue;
    }
    tomadas.insert(linha);
    linhas.GotoBookmark(linha);
    linhas.Edit();
    try {
      linhas.FieldByName("BDTEMCOMPROVANTE").SetAsInteger(1);
      linhas.FieldByName("BDCNPJ").SetAsString(d.CPFCNPJ);
      linhas.FieldByName("BDVALOR").SetAsCurrency(pago);
      linhas.FieldByName("BDVALORPAGO").SetAsCurrency(pago);
      linhas.FieldByName("BDVALORORIGINAL").SetAsCurrency(original);
      linhas.FieldByName("BDJUROS").SetAsCurrency(juros);
      linhas.FieldByName("BDMULTAS").SetAsCurrency(multas);
      linhas.FieldByName("BDDESCONTOS").SetAsCurrency(descontos);
      linhas.Post();
      ++FComprovantesAplicados;
    } catch (...) {
      if (linhas.State() != TDataSetState::dsBrowse) linhas.Cancel();
      throw;
    }
  }
}

int TfrImportacaoCompPagto::ContaConfigurada(const std::string& classificacao, const char* colunaBusca,
                                             int64_t contaLinha, const char* colunaConta, int referencia) {
  TCONF_CONTAS_ONLINEMGR& conf = *FConfContas;
  conf.SetFiltered(false);
  // Among the months of a configuration, the one in force at the line's month; failing that its
  // first month.
  auto melhor = [&](auto aceita) {
    int conta = 0, mes = -1;
    bool antes = false;
    for (conf.First(); !conf.Eof(); conf.Next()) {
      if (Trim(conf.FieldByName("BDCLASSIFICACAO").AsString()) != classificacao || !aceita()) continue;
      const int ref = static_cast<int>(conf.FieldByName("BDREFCTA").AsInteger());
      const bool emVigor = ref <= referencia;
      if (mes < 0 || (emVigor && (!antes || ref > mes))) {
        conta = static_cast<int>(Conta(conf, colunaConta));
        mes = ref;
        antes = emVigor;
      }
    }
    return conta;
  };
  int conta = melhor([&] { return Conta(conf, colunaBusca) == contaLinha; });
  if (conta == 0) conta = melhor([&] { return Conta(conf, colunaConta) > 0; });
  return conta;
}

int TfrImportacaoCompPagto::ParcelaUnica(bool pagamento, Currency valor, const std::string& cnpj) {
  FParcelaLinha = -1;
  const std::string registro = OnlyDigits(cnpj);
  if (registro.empty() || !FDAOFactory || !FDAOFactory->Active()) return 0;
  TConsultaGrupoDAO& parcelas = *FDAOFactory;
  const char* natureza = pagamento ? "Pagamento" : "Recebimento";
  int n = 0;
  for (parcelas.First(); !parcelas.Eof() && n < 2; parcelas.Next()) {
    // Compared as typed values: money as money, registry numbers as digits.
    if (Trim(parcelas.FieldByName("BDDESCTIPOLANC").AsString()) != natureza) continue;
    if (Dinheiro(parcelas, "BDVALORPAR") != valor) continue;
    if (OnlyDigits(parcelas.FieldByName("BDCGCTER").AsString()) != registro) continue;
    ++n;
    FParcelaLinha = parcelas.GetBookmark();
  }
  if (n != 1) FParcelaLinha = -1;
  return n;
}

void TfrImportacaoCompPagto::pGeraMultiplosLancamentos() {
  FMultiLancDAO = FLancamentos->getMultiLancamentosDAO();
  const int codPlano = PlanoEmpresa("BDCODPLAPADRAO");
  const int codHist = PlanoEmpresa("BDCODHIST");
  TLancamentoMGR& linhas = *FLancamentos;
  for (linhas.First(); !linhas.Eof(); linhas.Next()) DesdobraLinha(*FMultiLancDAO, codPlano, codHist);
  FMultiLancDAO->First();
}

// One statement line being split: its values and sides, and the numbering of its split rows.
struct TfrImportacaoCompPagto::TDesdobra {
  TClientDataSet& multi;
  int codPlano;
  int codHist;
  int64_t codEmp;
  int64_t chave;
  Currency juros, multas, descontos;
  bool algumPositivo;
  int64_t debito, credito;
  bool pagamento;
  const char* contrapartida;
  const char* participante;
  int64_t contaContrapartida;
  int referencia;
  int numero = 0;
};

// A line already split (by an earlier run or by hand) is not split again.
bool TfrImportacaoCompPagto::JaDesdobrada(TClientDataSet& multi, int64_t codEmp, int64_t chave) {
  multi.CancelRange();
  multi.SetRange({Variant(static_cast<long long>(codEmp)), Variant(static_cast<long long>(chave))},
                 {Variant(static_cast<long long>(codEmp)), Variant(static_cast<long long>(chave))});
  const bool jaDesdobrada = !multi.IsEmpty();
  multi.CancelRange();
  return jaDesdobrada;
}

// The engine may have linked the whole line to an installment already: its split rows are not
// linked again, or the installment would be settled twice.
bool TfrImportacaoCompPagto::LinhaVinculada(int64_t chave) {
  bool linhaVinculada = false;
  if (FProcessoBaixas && FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA) {
    TClientDataSet& v = *FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA;
    for (v.First(); !v.Eof() && !linhaVinculada; v.Next())
      linhaVinculada = v.FieldByName("BDCHAVE").AsInteger() == chave &&
                       (v.FieldByName("BDCHAVELANC").IsNull() || v.FieldByName("BDCHAVELANC").AsInteger() <= 0);
  }
  return linhaVinculada;
}

// A new split row of the line with the line's common fields.
void TfrImportacaoCompPagto::NovaLinhaDesdobrada(TDesdobra& d, Currency valor) {
  TLancamentoMGR& linhas = *FLancamentos;
  TClientDataSet& multi = d.multi;
  multi.Append();
  multi.FieldByName("BDCHAVELANC").SetAsInteger(++d.numero);
  multi.FieldByName("BDCODPLAPADRAO").SetAsInteger(d.codPlano);
  multi.FieldByName("BDCODHIST").SetAsInteger(d.codHist);
  multi.FieldByName("BDCODUSU").SetAsInteger(ProcessContext().UserCode);
  multi.FieldByName("BDCONTABILIZACAO").SetAsInteger(0);
  multi.FieldByName("BDTIPOLANCFILIAL").SetAsInteger(0);
  multi.FieldByName("BDTIPOLAN").SetAsInteger(TTiposLancamentos::getCodigoTipoLancamento(kTipoLancamentoMultiplo));
  multi.FieldByName("BDCODEMP").SetAsInteger(d.codEmp);
  multi.FieldByName("BDCHAVE").SetAsInteger(d.chave);
  if (TField* lote = linhas.FindField("BDLOTE"); lote && !Trim(lote->AsString()).empty())
    multi.FieldByName("BDLOTE").SetValue(Variant(Trim(lote->AsString())));
  multi.FieldByName("BDDATA").SetValue(linhas.FieldByName("BDDATA").Value());
  multi.FieldByName("BDVALOR").SetAsCurrency(valor);
  for (const char* c : {"BDDCTO", "BDCOMPL"})
    if (TField* f = linhas.FindField(c)) multi.FieldByName(c).SetValue(f->Value());
  if (TField* hist = linhas.FindField("BDCODTPHI"); hist && !hist->IsNull() && hist->AsInteger() > 0)
    multi.FieldByName("BDCODTPHI").SetAsInteger(hist->AsInteger());
}

void TfrImportacaoCompPagto::PostaLinhaDesdobrada(TDesdobra& d, int parte) {
  try {
    d.multi.Post();
  } catch (...) {
    if (d.multi.State() != TDataSetState::dsBrowse) d.multi.Cancel();
    throw;
  }
  if (FParcelaLinha >= 0 && FProcessoBaixas) pVinculoManualAut(d.multi, parte);
}

// Principal: the original value on the counterpart side.
void TfrImportacaoCompPagto::DesdobraPrincipal(TDesdobra& d) {
  TLancamentoMGR& linhas = *FLancamentos;
  const Variant terceiro =
      linhas.FindField(d.participante) ? linhas.FieldByName(d.participante).Value() : Variant();
  const bool linhaVinculada = LinhaVinculada(d.chave);
  const Currency original = Dinheiro(linhas, "BDVALORORIGINAL");
  NovaLinhaDesdobrada(d, original);
  d.multi.FieldByName(d.contrapartida).SetAsInteger(d.contaContrapartida);
  const bool temParticipante = !terceiro.IsNull() && terceiro.AsInteger() > 0;
  if (temParticipante) d.multi.FieldByName(d.participante).SetValue(terceiro);
  // The open installment of the receipt's participant and value, when there is exactly one.
  FParcelaLinha = -1;
  if (!linhaVinculada) ParcelaUnica(d.pagamento, original, linhas.FieldByName("BDCNPJ").AsString());
  PostaLinhaDesdobrada(d, pcPrincipal);
  const auto exigeParticipante = [&] {
    const Variant v =
        TContasPlanosMGR::GetCampoConta(this, d.codPlano, static_cast<int>(d.contaContrapartida), "bdparticipante");
    return !v.IsNull() && v.AsInteger() > 0;
  };
  // The message names the statement line's key: the principal row's own number is always 1 and
  // would not tell the user which line lacks the participant.
  if (!temParticipante && d.codPlano > 0 && exigeParticipante())
    Inconsistencias_VYN()->Add_Atencao(static_cast<int>(d.codEmp),
                                       "O lançamento: " + std::to_string(d.chave) + " não possui participante!");
}

// The line keeps its own side only: the counterpart goes to the split rows.
void TfrImportacaoCompPagto::LimpaContrapartida(const TDesdobra& d) {
  TLancamentoMGR& linhas = *FLancamentos;
  linhas.Edit();
  try {
    linhas.FieldByName(d.contrapartida).Clear();
    if (TField* f = linhas.FindField(d.participante)) f->Clear();
    linhas.Post();
  } catch (...) {
    if (linhas.State() != TDataSetState::dsBrowse) linhas.Cancel();
    throw;
  }
}

// Interest, fines and discount, each on the account the online account configuration names.
void TfrImportacaoCompPagto::DesdobraEncargos(TDesdobra& d) {
  struct TParte {
    Currency valor;
    int parte;
    const TContaParte& conta;
  };
  const bool pagamento = d.pagamento;
  const TParte partes[] = {{d.juros, pcJuros, kJuros},
                           {d.multas, pcMultas, kMultas},
                           {d.descontos, pcDesconto, pagamento ? kDescontoPagamento : kDescontoRecebimento}};
  for (const TParte& p : partes) {
    if (!(p.valor > Currency())) continue;
    const std::string classificacao = pagamento ? p.conta.pagamento : p.conta.recebimento;
    const int conta = ContaConfigurada(classificacao, p.conta.busca, p.conta.buscaDebito ? d.debito : d.credito,
                                       p.conta.conta, d.referencia);
    // Interest and fines go to the side the principal left; a discount to the other one.
    const bool noDebito = (p.parte == pcDesconto) ? !pagamento : pagamento;
    NovaLinhaDesdobrada(d, p.valor);
    if (conta > 0) {
      d.multi.FieldByName(noDebito ? "BDDEBITO" : "BDCREDITO").SetAsInteger(conta);
    } else {
      Inconsistencias_VYN()->Add_Atencao(static_cast<int>(d.codEmp),
                                         "O lançamento: " + std::to_string(d.chave) +
                                             " não possui conta configurada para " + NomeParte(p.parte) +
                                             " na configuração de contas on-line!");
    }
    PostaLinhaDesdobrada(d, p.parte);
  }
}

void TfrImportacaoCompPagto::DesdobraLinha(TClientDataSet& multi, int codPlano, int codHist) {
  TLancamentoMGR& linhas = *FLancamentos;
  const Currency juros = Dinheiro(linhas, "BDJUROS");
  const Currency multas = Dinheiro(linhas, "BDMULTAS");
  const Currency descontos = Dinheiro(linhas, "BDDESCONTOS");
  if (juros.IsZero() && multas.IsZero() && descontos.IsZero()) return;
  const Currency zero;
  const bool algumPositivo = juros > zero || multas > zero || descontos > zero;
  const int64_t debito = Conta(linhas, "BDDEBITO");
  const int64_t credito = Conta(linhas, "BDCREDITO");
  if (algumPositivo && (debito == 0 || credito == 0)) return;
  const int64_t codEmp = CodEmp();
  const int64_t chave = linhas.FieldByName("BDCHAVE").AsInteger();
  if (JaDesdobrada(multi, codEmp, chave)) return;

  const bool pagamento = debito != 0 && debito != FCodCta;
  FCtaDebCre = pagamento ? 1 : 0;
  TDesdobra d{multi,
              codPlano,
              codHist,
              codEmp,
              chave,
              juros,
              multas,
              descontos,
              algumPositivo,
              debito,
              credito,
              pagamento,
              pagamento ? "BDDEBITO" : "BDCREDITO",
              pagamento ? "BDCODTERCEIROD" : "BDCODTERCEIROC",
              pagamento ? debito : credito,
              AnoMes(linhas.FieldByName("BDDATA").AsDateTime())};
  DesdobraPrincipal(d);
  if (!algumPositivo) return;
  LimpaContrapartida(d);
  DesdobraEncargos(d);
}

void TfrImportacaoCompPagto::pVinculoManualAut(TClientDataSet& multi, int tipoBaixa) {
  TClientDataSet& vinculos = *FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA;
  TConsultaGrupoDAO& parcela = *FDAOFactory;
  parcela.GotoBookmark(FParcelaLinha);
  const Currency valorRow = multi.FieldByName("BDVALOR").AsCurrency();
  vinculos.Append();
  try {
    vinculos.FieldByName("BDAUTOMATICO").SetAsBoolean(false);
    vinculos.FieldByName("BDCHAVE").SetValue(multi.FieldByName("BDCHAVE").Value());
    vinculos.FieldByName("BDCHAVELANC").SetValue(multi.FieldByName("BDCHAVELANC").Value());
    vinculos.FieldByName("BDBAIXA_ID").SetValue(parcela.FieldByName("BDCHAVE").Value());
    vinculos.FieldByName("BDTIPO_BAIXA").SetAsInteger(tbvParcela);
    if (TField* f = parcela.FindField("BDTIPOLANCEF")) vinculos.FieldByName("BDSUBTIPO_BAIXA").SetValue(f->Value());
    if (TField* f = parcela.FindField("BDTIPOSERVICO")) vinculos.FieldByName("BDTIPOSERVICO").SetValue(f->Value());
    vinculos.FieldByName("BDORDEM").SetValue(parcela.FieldByName("BDORDEMPAR").Value());
    vinculos.FieldByName("BDNUMDOCINI").SetAsString(parcela.FieldByName("BDNUMDOCINI").AsString());
    switch (tipoBaixa) {
      case pcPrincipal:
        vinculos.FieldByName("BDVALOR").SetAsCurrency(Dinheiro(parcela, "BDVALORPAR") -
                                                      Dinheiro(parcela, "BDVALORPGTOPAR"));
        break;
      case pcJuros:
        vinculos.FieldByName("BDVALOR").SetAsCurrency(valorRow);
        vinculos.FieldByName("BDJUROS").SetAsCurrency(valorRow);
        break;
      case pcMultas:
        vinculos.FieldByName("BDVALOR").SetAsCurrency(valorRow);
        vinculos.FieldByName("BDMULTAS").SetAsCurrency(valorRow);
        break;
      default:
        vinculos.FieldByName("BDVALOR").SetAsCurrency(valorRow);
        vinculos.FieldByName("BDDESCONTOS").SetAsCurrency(valorRow);
        break;
    }
    vinculos.FieldByName("bdCODTIPOBAIXA").SetAsInteger(tipoBaixa);
    vinculos.Post();
  } catch (...) {
    if (vinculos.State() != TDataSetState::dsBrowse) vinculos.Cancel();
    throw;
  }
  multi.Edit();
  try {
    multi.FieldByName("BDVINC_BAIXA").SetAsBoolean(true);
    if (tipoBaixa == pcDesconto) multi.FieldByName("BDVINC_BAIDESC").SetAsBoolean(true);
    multi.Post();
  } catch (...) {
    if (multi.State() != TDataSetState::dsBrowse) multi.Cancel();
    throw;
  }
  // A multiple-entry set kept in a session work table gets the flag there too.
  if (auto* mgr = dynamic_cast<TLancamentoMGR*>(&multi); mgr && ModoArquivoGrande(mgr))
    mgr->SetUpdateRegHugeFileForTpIntegracao("BDVINC_BAIXA", "TRUE", ltFlag);
}

}  // namespace integracao
