#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"

#include <algorithm>
#include <map>
#include <vector>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/insere_linha.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;

TY570ConsultaExtratoBancario::TY570ConsultaExtratoBancario(TComponent* owner)
    : TComponent(owner), FSqlApliFinAux(Create<TSQLMGR>()), FY570Aux(Create<TClientDataSet>()) {}

void TY570ConsultaExtratoBancario::CarregaAplicacoesFinanceiras(int64_t codPlanoPadrao) {
  FSqlApliFinAux->CommandText("select bdcodtpla from PLANOS_TPLA where (bdcodplapadrao = " +
                              std::to_string(codPlanoPadrao) + ") and (bdaplifin = 'TRUE')");
}

void TY570ConsultaExtratoBancario::AtualizaY570(TVZEL_EMPRESAS_TLAN_Y570MGR* y570) {
  y570_ = y570;
  if (!y570 || !Linhas) return;
  if (!linhasSource_) linhasSource_ = Create<TDataSource>();
  linhasSource_->SetDataSet(Linhas);
  y570->SetIndexFieldNames("bdcodemp;bdchave");
  y570->SetMasterFields("bdcodemp;bdchave");
  y570->SetMasterSource(linhasSource_);
  FY570Aux->CloneCursor(*y570, false, true);
  FY570Aux->SetIndexFieldNames("bdcodemp;bdchave");
  FY570Aux->SetMasterFields("bdcodemp;bdchave");
  FY570Aux->SetMasterSource(linhasSource_);
}

void TY570ConsultaExtratoBancario::AbreDadosDasLinhas(TVZEL_EMPRESAS_TLAN_Y570MGR& y570) {
  y570.CommandText("select * from VZEL_EMPRESAS_TLAN_Y570 where 1 = 0", ctOpen);
  y570.SetControlMemory(true);
}

int TY570ConsultaExtratoBancario::GravaY570(TDatabase& db, const TChavesLancamentos& escritas) {
  // Not IsEmpty(): the data set shows the current line's rows only, and the current line may have none.
  if (!y570_ || !y570_->Active() || escritas.empty()) return 0;
  const std::set<std::pair<int, int>> chaves(escritas.begin(), escritas.end());
  TClientDataSet linhas;
  linhas.CloneCursor(*y570_, true);
  TInsereLinha insere(db, TVZEL_EMPRESAS_TLAN_Y570MGR::kTabela);
  int n = 0;
  for (linhas.First(); !linhas.Eof(); linhas.Next())
    if (chaves.count({static_cast<int>(linhas.FieldByName("BDCODEMP").AsInteger()),
                      static_cast<int>(linhas.FieldByName("BDCHAVE").AsInteger())})) {
      insere.Insere(linhas);
      ++n;
    }
  return n;
}

void TY570ConsultaExtratoBancario::DescartaY570(const TChavesLancamentos& escritas) {
  if (!y570_ || !y570_->Active() || escritas.empty()) return;
  const std::set<std::pair<int, int>> chaves(escritas.begin(), escritas.end());
  TDetachedDetail solto(*y570_);
  for (y570_->First(); !y570_->Eof();)
    if (chaves.count({static_cast<int>(y570_->FieldByName("BDCODEMP").AsInteger()),
                      static_cast<int>(y570_->FieldByName("BDCHAVE").AsInteger())}))
      y570_->Delete();
    else
      y570_->Next();
}

bool TY570ConsultaExtratoBancario::AplicacaoFinanceira(int64_t conta) {
  return conta > 0 && FSqlApliFinAux->Active() && FSqlApliFinAux->SearchKey("bdcodtpla", {Variant(std::to_string(conta))});
}

std::vector<int64_t> TY570ConsultaExtratoBancario::DescartaForaDeAplicacao() {
  std::vector<int64_t> descartadas;
  if (!y570_ || !y570_->Active() || !Linhas) return descartadas;
  std::map<std::pair<int64_t, int64_t>, int64_t> creditos;
  {
    TClientDataSet l;
    l.CloneCursor(*Linhas, true);
    for (l.First(); !l.Eof(); l.Next())
      creditos[{l.FieldByName("BDCODEMP").AsInteger(), l.FieldByName("BDCHAVE").AsInteger()}] =
          l.FieldByName("BDCREDITO").AsInteger();
  }
  TDetachedDetail solto(*y570_);
  for (y570_->First(); !y570_->Eof();) {
    const std::pair<int64_t, int64_t> chave{y570_->FieldByName("BDCODEMP").AsInteger(),
                                            y570_->FieldByName("BDCHAVE").AsInteger()};
    auto it = creditos.find(chave);
    if (it == creditos.end() || AplicacaoFinanceira(it->second)) {
      y570_->Next();
      continue;
    }
    if (std::find(descartadas.begin(), descartadas.end(), chave.second) == descartadas.end())
      descartadas.push_back(chave.second);
    y570_->Delete();
  }
  return descartadas;
}

bool TY570ConsultaExtratoBancario::fTemY570(int64_t empresa, int64_t chave) {
  // The link goes back after the filter: the guards leave in the reverse order they came.
  TDetachedDetail mestre(*FY570Aux);
  TFilterGuard filtro(*FY570Aux);
  FY570Aux->SetFiltered(false);
  FY570Aux->SetFilter("bdcodemp = " + std::to_string(empresa) + " and  bdchave = " + std::to_string(chave));
  FY570Aux->SetFiltered(true);
  return FY570Aux->RecordCount() > 0;
}

void TY570ConsultaExtratoBancario::geraInconsistenciaY570() {
  if (!dynamic_cast<TLancamentoMGR*>(Linhas) || !Inconsistencias || !FSqlApliFinAux->Active() ||
      FSqlApliFinAux->RecordCount() == 0)
    return;
  const int antes = Inconsistencias->Count();
  std::vector<std::string> velhas;
  for (const auto& i : Inconsistencias->Itens())
    if (i.Caption.find(kTextoY570) != std::string::npos) velhas.push_back(i.Caption);
  for (const auto& t : velhas) Inconsistencias->RemoveTexto(t);
  TClientDataSet& l = *Linhas;
  // Lines share a few credit accounts: each is looked up once.
  std::map<int64_t, bool> aplicacoes;
  auto aplicacao = [&](int64_t conta) {
    auto it = aplicacoes.find(conta);
    if (it == aplicacoes.end()) it = aplicacoes.emplace(conta, AplicacaoFinanceira(conta)).first;
    return it->second;
  };
  {
    TDisabledControls controles(l);
    // The check reads the lines alone: their details follow once, where the walk ends.
    TBulkLoad detalhes(l);
    const TField& credito = l.FieldByName("BDcredito");
    const TField& empresa = l.FieldByName("BDcodemp");
    const TField& chaveLinha = l.FieldByName("BDchave");
    for (l.First(); !l.Eof(); l.Next()) {
      if (!aplicacao(credito.AsInteger())) continue;
      const int64_t emp = empresa.AsInteger(), chave = chaveLinha.AsInteger();
      if (!fTemY570(emp, chave))
        Inconsistencias->Add_Atencao("Lançamento " + std::to_string(chave) +
                                         ": A conta informada a crédito é de aplicação financeira e os dados do "
                                         "registro Y570 da ECF não foram informados. Clique aqui para preenchê-los.",
                                     true, nullptr, ciNenhum, nullptr, "");
    }
  }
  if (Inconsistencias->CountAtencao() > 0 && Inconsistencias->Count() != antes)
    Inconsistencias->Execute(true, true, true, true, "");
}

void TY570ConsultaExtratoBancario::spY570Click() {
  if (!y570_ || !Linhas || Linhas->IsEmpty()) return;
  TClientDataSet& l = *Linhas;
  y570_->Parametros = {1, l.FieldByName("BDCODEMP").AsInteger(), l.FieldByName("BDCHAVE").AsInteger(),
                       l.FieldByName("BDCREDITO").AsInteger(), l.FieldByName("BDVALOR").AsCurrency()};
  TListaObj lista;
  lista.Add(y570_);
  lista.Add(Linhas);
  FRecnoY570 = l.RecNo();
  // Modal: the loader calls back once the screen has stored the data, not as soon as it is shown.
  TPackagesUtil::CarregaFormParamsObj("tfrLancamentoY570Integracao", Revisao ? static_cast<TComponent*>(Revisao) : this,
                                      std::move(lista), [this](TForm_VYN& f) { ChamaInconsistenciasY570(f); }, true);
}

void TY570ConsultaExtratoBancario::ChamaInconsistenciasY570(TForm_VYN&) {
  geraInconsistenciaY570();
  if (Linhas && FRecnoY570 > 0 && FRecnoY570 <= Linhas->RecordCount()) Linhas->SetRecNo(FRecnoY570);
}

}  // namespace integracao
