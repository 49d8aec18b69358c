#include "framework/standins/vinculos_baixa.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/natureza_dinheiro.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/grid.h"

namespace vyn {

namespace {

// Kinds of obligation of a link row (BDTIPO_BAIXA), as the settlement engine reads them.
constexpr int kGuia = 0;
constexpr int kCalculo = 1;
constexpr int kParcela = 2;

int64_t Inteiro(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsInteger() : 0;
}

}  // namespace

TfrVinculoBaixaSubstituto::TfrVinculoBaixaSubstituto(TComponent* owner, std::string classe, std::string titulo,
                                                     int tipoBaixa)
    : TfrTelaSubstituta(owner, std::move(classe), std::move(titulo)),
      grObrigacoes(Controle<TDBGrid_Padrao_VYN>("grObrigacoes")),
      edChave(Controle<TEdit_String_Padrao>("edChave")),
      edOrdem(Controle<TEdit_String_Padrao>("edOrdem")),
      edMulta(Controle<TEdit_String_Padrao>("edMulta")),
      edJuros(Controle<TEdit_String_Padrao>("edJuros")),
      edDesconto(Controle<TEdit_String_Padrao>("edDesconto")),
      FTipoBaixa(tipoBaixa),
      FObrigacoes(Create<TDAOFactory>()),
      FFonte(Create<TDataSource>()) {
  FFonte->SetDataSet(FObrigacoes);
  grObrigacoes->SetDataSource(FFonte);
  for (const char* c : {"BDID", "BDORDEM", "BDDESCRICAO", "BDNUMDOC", "BDSALDO"}) grObrigacoes->AddColumn(c);
}

void TfrVinculoBaixaSubstituto::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  FOrigem = lista.Get<TClientDataSet>(pvbOrigem);
  FVinculos = lista.Get<TClientDataSet>(pvbVinculos);
  FMultiLanc = lista.Count() > pvbLinhasDoMultiLanc && lista.IsNil(pvbMultiLanc) &&
               !lista.IsNil(pvbLinhasDoMultiLanc);
  // Only the staged review splits a line's multiple entries at its import; elsewhere parts would be
  // written where nothing posts them.
  auto* lanc = dynamic_cast<TLancamentoMGR*>(FOrigem);
  FPartesEm = !FMultiLanc && lanc && ModoArquivoGrande(lanc) && lista.Count() > pvbMultiLanc &&
                      !lista.IsNil(pvbMultiLanc)
                  ? lista.Get<TClientDataSet>(pvbMultiLanc)
                  : nullptr;
  for (TEdit_String_Padrao* e : {edMulta, edJuros, edDesconto}) e->SetEnabled(FPartesEm != nullptr);
  if (!FOrigem || FOrigem->IsEmpty()) return;
  FNatureza = Natureza(lista);
  const TConsulta c = ConsultaObrigacoes(Inteiro(*FOrigem, "BDCODEMP"), FNatureza);
  FObrigacoes->CommandText(c.Sql, ctOpen, c.Parametros);
  OcultaTomadas(lista);
  FObrigacoes->First();
}

// A link takes its obligation's balance up to the value of the line or split row it belongs to: an
// obligation its links already take in full is not offered to another line or split row.
void TfrVinculoBaixaSubstituto::OcultaTomadas(const TListaObj& lista) {
  if (!FVinculos || !FVinculos->Active() || FVinculos->IsEmpty()) return;
  auto conjunto = [&lista](int pos) {
    return lista.Count() > pos && !lista.IsNil(pos) ? lista.Get<TClientDataSet>(pos) : nullptr;
  };
  TClientDataSet* linhas = FMultiLanc ? conjunto(pvbLinhasDoMultiLanc) : FOrigem;
  TClientDataSet* divisoes = FMultiLanc ? FOrigem : conjunto(pvbMultiLanc);
  // The value of a link's line (chaveLanc 0) or split row, on cursors of their own.
  auto valorOrigem = [&](const Variant& chave, int64_t chaveLanc) -> std::optional<Currency> {
    TClientDataSet* fonte = chaveLanc > 0 ? divisoes : linhas;
    if (!fonte || !fonte->Active()) return std::nullopt;
    TClientDataSet c;
    c.CloneCursor(*fonte);
    c.SetMasterSource(nullptr);
    c.SetFiltered(false);
    const bool achou = chaveLanc > 0 ? c.Locate("BDCHAVE;BDCHAVELANC", {chave, Variant(static_cast<long long>(chaveLanc))})
                                     : c.Locate("BDCHAVE", {chave});
    if (!achou) return std::nullopt;
    return c.FieldByName("BDVALOR").AsCurrency();
  };
  using TObrigacao = std::tuple<int64_t, int64_t, int64_t>;
  std::map<TObrigacao, Currency> tomado;
  TClientDataSet v;
  v.CloneCursor(*FVinculos);
  v.SetFiltered(false);
  for (v.First(); !v.Eof(); v.Next()) {
    if (Inteiro(v, "BDTIPO_BAIXA") != FTipoBaixa) continue;
    const Currency vinculo = v.FieldByName("BDVALOR").AsCurrency();
    const auto origem = valorOrigem(v.FieldByName("BDCHAVE").Value(), Inteiro(v, "BDCHAVELANC"));
    tomado[{Inteiro(v, "BDBAIXA_ID"), Inteiro(v, "BDORDEM"), Inteiro(v, "BDSUBTIPO_BAIXA")}] +=
        origem && *origem < vinculo ? *origem : vinculo;
  }
  std::string filtro;
  for (FObrigacoes->First(); !FObrigacoes->Eof(); FObrigacoes->Next()) {
    auto it = tomado.find({Inteiro(*FObrigacoes, "BDID"), Inteiro(*FObrigacoes, "BDORDEM"), Inteiro(*FObrigacoes, "BDSUBTIPO")});
    if (it == tomado.end() || FObrigacoes->FieldByName("BDSALDO").AsCurrency() > it->second) continue;
    filtro += (filtro.empty() ? "" : " AND ") + std::string("NOT (BDID = ") + std::to_string(std::get<0>(it->first)) +
              " AND BDORDEM = " + std::to_string(std::get<1>(it->first)) +
              " AND BDSUBTIPO = " + std::to_string(std::get<2>(it->first)) + ")";
  }
  if (filtro.empty()) return;
  FObrigacoes->SetFilter(filtro);
  FObrigacoes->SetFiltered(true);
}

// The engine's nature of an entry: the way its money went (a bank or cash side credited pays), else,
// with no side telling, no debit account pays. A split row carries the other side of its line (a
// payment's rows are debits), so its nature is its line's: the line's bank side says whether the
// movement paid or received.
int TfrVinculoBaixaSubstituto::Natureza(const TListaObj& lista) const {
  const TClientDataSet* linha = FOrigem;
  TClientDataSet copia;
  if (FMultiLanc) {
    auto* linhas = lista.Get<TClientDataSet>(pvbLinhasDoMultiLanc);
    const Variant emp = FOrigem->FieldByName("BDCODEMP").Value();
    const Variant chave = FOrigem->FieldByName("BDCHAVE").Value();
    if (linhas && !linhas->IsEmpty() && Inteiro(*linhas, "BDCODEMP") == emp.AsInteger() &&
        Inteiro(*linhas, "BDCHAVE") == chave.AsInteger()) {
      linha = linhas;
    } else if (linhas && linhas->Active()) {
      // Not on the split row's line: looked up on a cursor of its own, the review's stays.
      copia.CloneCursor(*linhas);
      if (copia.Locate("BDCODEMP;BDCHAVE", {emp, chave})) linha = &copia;
    }
  }
  TDirecaoDinheiro direcao;
  return direcao.Natureza(FObrigacoes->Database(), Inteiro(*linha, "BDCODEMP"), Inteiro(*linha, "BDDEBITO"),
                          Inteiro(*linha, "BDCREDITO"), 0);
}

bool TfrVinculoBaixaSubstituto::Posiciona() {
  const std::string chave = Trim(edChave->Text());
  if (chave.empty()) return !FObrigacoes->IsEmpty();
  const std::string ordem = Trim(edOrdem->Text());
  for (FObrigacoes->First(); !FObrigacoes->Eof(); FObrigacoes->Next())
    if (std::to_string(Inteiro(*FObrigacoes, "BDID")) == chave &&
        (ordem.empty() || std::to_string(Inteiro(*FObrigacoes, "BDORDEM")) == ordem))
      return true;
  return false;
}

bool TfrVinculoBaixaSubstituto::ExecutarProcesso() {
  if (!FOrigem || FOrigem->IsEmpty() || !FVinculos) {
    DlgWarOk("Nenhum lançamento para vincular.");
    return false;
  }
  if (!Posiciona()) {
    DlgWarOk("Selecione uma obrigação em aberto para vincular.");
    return false;
  }
  return LePartes();
}

bool TfrVinculoBaixaSubstituto::LePartes() {
  FPartes = {};
  if (!FPartesEm) return true;
  // A line's parts go with its link: another link would settle them twice or drop them unseen.
  {
    TClientDataSet m;
    m.CloneCursor(*FPartesEm);
    m.SetMasterSource(nullptr);
    m.SetFiltered(false);
    m.CancelRange();
    if (FPartesEm->Active() &&
        m.Locate("BDCODEMP;BDCHAVE", {FOrigem->FieldByName("BDCODEMP").Value(), FOrigem->FieldByName("BDCHAVE").Value()})) {
      DlgWarOk("Este lançamento já tem multa, juros ou desconto no seu vínculo. Remova o vínculo dele para vinculá-lo "
               "de novo.");
      return false;
    }
  }
  const Currency valor = FOrigem->FieldByName("BDVALOR").AsCurrency();
  if (auto e = LePartesVinculo(edMulta->Text(), edJuros->Text(), edDesconto->Text(), valor, FPartes)) {
    DlgWarOk(*e);
    return false;
  }
  if (FPartes.Vazias()) return true;
  // The parts are posted under every link of their line: they may go with one link only.
  TClientDataSet v;
  v.CloneCursor(*FVinculos);
  v.SetFiltered(false);
  if (FVinculos->Active() && v.Locate("BDCHAVE", {FOrigem->FieldByName("BDCHAVE").Value()})) {
    DlgWarOk("Multa, juros e desconto acompanham um só vínculo: este lançamento já está vinculado. Remova o "
             "vínculo dele para informá-los.");
    return false;
  }
  if (auto e = ContasPartesVinculo(FObrigacoes->Database(), *FOrigem, FNatureza, FPartes)) {
    DlgWarOk(*e);
    return false;
  }
  return true;
}

void TfrVinculoBaixaSubstituto::ProcessoConfirma() {
  const TClientDataSet& o = *FObrigacoes;
  if (!FVinculos->Active()) FVinculos->Open();
  AcrescentaLinha(*FVinculos, [&] {
    auto set = [this](const char* campo, const Variant& v) {
      if (TField* f = FVinculos->FindField(campo)) f->SetValue(v);
    };
    auto inteiro = [](int64_t v) { return Variant(static_cast<long long>(v)); };
    set("BDCODEMP", inteiro(Inteiro(*FOrigem, "BDCODEMP")));
    set("BDCHAVE", inteiro(Inteiro(*FOrigem, "BDCHAVE")));
    set("BDCHAVELANC", inteiro(FMultiLanc ? Inteiro(*FOrigem, "BDCHAVELANC") : 0));
    set("BDAUTOMATICO", Variant(false));
    set("BDTIPO_BAIXA", inteiro(FTipoBaixa));
    set("BDBAIXA_ID", inteiro(Inteiro(o, "BDID")));
    set("BDORDEM", inteiro(Inteiro(o, "BDORDEM")));
    set("BDSUBTIPO_BAIXA", inteiro(Inteiro(o, "BDSUBTIPO")));
    set("BDTIPOSERVICO", inteiro(Inteiro(o, "BDTIPOSERVICO")));
    set("BDVALOR", Variant(o.FieldByName("BDSALDO").AsCurrency()));
    set("BDNUMDOCINI", Variant(o.FieldByName("BDNUMDOC").AsString()));
  });
  if (FPartesEm && !FPartes.Vazias()) GravaPartesVinculo(*FOrigem, FPartes, *FPartesEm);
  MarcaOrigem();
}

void TfrVinculoBaixaSubstituto::MarcaOrigem() {
  // A large-file review keeps its rows in a work table: the mark is written there too.
  auto* lanc = dynamic_cast<TLancamentoMGR*>(FOrigem);
  if (lanc && ModoArquivoGrande(lanc)) {
    lanc->SetUpdateRegHugeFileForTpIntegracao("BDVINC_BAIXA", "TRUE", 8);
    return;
  }
  // The reviews keep the flag as a Boolean or as the suite's flag text.
  TField& marca = FOrigem->FieldByName("BDVINC_BAIXA");
  FOrigem->Edit();
  if (marca.DataType() == TFieldType::ftBoolean)
    marca.SetAsBoolean(true);
  else
    marca.SetAsString(TBoolean_VYN::BoolToStrBD(true));
  FOrigem->Post();
}

TfrFiltroImpostosEmitidos::TfrFiltroImpostosEmitidos(TComponent* owner)
    : TfrVinculoBaixaSubstituto(owner, "TfrFiltroImpostosEmitidos", "Impostos emitidos", kGuia) {}

// Guides and calculations are paid: money coming in is offered none.
TfrVinculoBaixaSubstituto::TConsulta TfrFiltroImpostosEmitidos::ConsultaObrigacoes(int64_t codEmp, int natureza) const {
  return {"select BDCHAVEDARF as BDID, 0 as BDORDEM, 0 as BDSUBTIPO, 0 as BDTIPOSERVICO, BDSALDOAPAGAR as BDSALDO, "
          "cast(BDCHAVEDARF as varchar(30)) as BDNUMDOC, cast(BDCODRECEITA as varchar(100)) as BDDESCRICAO "
          "from TDARFGERPGTO where BDCODEMP = ? and cast(? as integer) = 1 and BDSALDOAPAGAR > 0 "
          "order by BDDATAVENCTO, BDCHAVEDARF",
          {Variant(static_cast<long long>(codEmp)), Variant(natureza)}};
}

TfrProcessoFiltroCalculosBaixa::TfrProcessoFiltroCalculosBaixa(TComponent* owner)
    : TfrVinculoBaixaSubstituto(owner, "TfrProcessoFiltroCalculosBaixa", "Cálculos", kCalculo) {}

TfrVinculoBaixaSubstituto::TConsulta TfrProcessoFiltroCalculosBaixa::ConsultaObrigacoes(int64_t codEmp,
                                                                                        int natureza) const {
  return {"select BDCHAVE as BDID, BDORDEMCALC as BDORDEM, BDTIPOCALC as BDSUBTIPO, 0 as BDTIPOSERVICO, "
          "cast(BDLIQUIDO - coalesce(BDVLRPGTO, 0) as numeric(18,4)) as BDSALDO, "
          "cast(BDCHAVE as varchar(30)) as BDNUMDOC, BDDESCRICAO "
          "from TDADOSPGTOCALC where BDCODEMP = ? and cast(? as integer) = 1 and "
          "BDLIQUIDO - coalesce(BDVLRPGTO, 0) > 0 order by BDREFERENCIA, BDTIPOCALC, BDCHAVE, BDORDEMCALC",
          {Variant(static_cast<long long>(codEmp)), Variant(natureza)}};
}

TfrFiltroBaixaParcelamento::TfrFiltroBaixaParcelamento(TComponent* owner)
    : TfrVinculoBaixaSubstituto(owner, "TfrFiltroBaixaParcelamento", "Parcelamentos", kParcela) {}

TfrVinculoBaixaSubstituto::TConsulta TfrFiltroBaixaParcelamento::ConsultaObrigacoes(int64_t codEmp,
                                                                                    int natureza) const {
  const std::string parcelas = TMovParMGR::GetConsultaParcelamentoGroup(
      nullptr, "", static_cast<int>(codEmp), natureza == 1 ? gpPagar : gpReceber);
  // The installment manager's own query (it writes the company as a number).
  return {"select P.BDCHAVE as BDID, P.BDORDEMPAR as BDORDEM, P.BDTIPOLANCEF as BDSUBTIPO, P.BDTIPOSERVICO, "
         "cast(P.BDVALORPAR - P.BDVALORPGTOPAR as numeric(18,4)) as BDSALDO, "
         "cast(P.BDNUMDOCINI as varchar(30)) as BDNUMDOC, P.BDDESCTIPOLANC as BDDESCRICAO from (" +
         parcelas + ") P order by P.BDDATAVENCTOPAR, P.BDCHAVE, P.BDORDEMPAR",
          {}};
}

}  // namespace vyn
