// The split-row grid of the statement review (conciliation toggle, buttons, installments of the
// selected split row) and the copy of the split rows' cost-centre rows to the entries made of them.
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/fields_container.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

std::string ChaveMulti(const TClientDataSet& ds) {
  return std::to_string(Int(ds, "BDCODEMP")) + ";" + std::to_string(Int(ds, "BDCHAVE")) + ";" +
         std::to_string(Int(ds, "BDCHAVELANC"));
}

}  // namespace

void TfrConsultaImportacaoExtratoBancario::CriaGradeMultiplos() {
  fcLancamentoManual = Create<TFieldsContainer>();
  fcLancamentoManual->SetName("fcLancamentoManual");
  using E = TTipoEditorCampo;
  TFieldsContainer& fc = *fcLancamentoManual;
  const std::pair<const char*, const char*> visiveis[] = {
      {"BDCHAVELANC", "Chave"},   {"BDDATA", "Data"},    {"BDDCTO", "Documento"}, {"BDCOMPL", "Complemento"},
      {"BDDEBITO", "Débito"},     {"BDCREDITO", "Crédito"}, {"BDVALOR", "Valor"}};
  const std::pair<const char*, const char*> ocultos[] = {
      {"BDCODEMP", "Empresa"},    {"BDCHAVE", "Chave"},  {"BDCODPLAPADRAO", "Plano padrão"},
      {"BDCODTPHI", "Histórico"}, {"BDCODHIST", "Plano hist."}, {"BDCONCC", ""}, {"BDCONCD", ""},
      {"BDLOTE", "Lote"},         {"BDCODTERCEIROD", "Participante (débito)"},
      {"BDCODTERCEIROC", "Participante (crédito)"}};
  fc.Add("BDVINC_BAIXA", "", E::Nenhum).ReadOnly = true;
  for (const auto& [campo, titulo] : visiveis) fc.Add(campo, titulo).ReadOnly = true;
  fc.Add("BDTIPOLAN", "Conc.", E::Nenhum).Navegavel = false;
  for (const auto& [campo, titulo] : ocultos) {
    fc.Add(campo, titulo).ReadOnly = true;
    fc.SetVisible(campo, false);
  }
  fc.SetGridSearch(grLancamentoManual);
  const int moeda = grLancamentoManual->AddBitmap("", "iCurrency");
  grLancamentoManual->MostraDadoImagem = [this, moeda](TField& f) {
    TClientDataSet* m = grLancamentoManual->DataSet();
    return m && UpperCase(f.FieldName()) == "BDVINC_BAIXA" && Flag(*m, "BDVINC_BAIXA") ? moeda : -1;
  };
}

void TfrConsultaImportacaoExtratoBancario::grLancamentoManualCellClick(const std::string& coluna) {
  TClientDataSet* m = grLancamentoManual ? grLancamentoManual->DataSet() : nullptr;
  if (m && m->Active() && !m->IsEmpty() && UpperCase(coluna) == "BDTIPOLAN") {
    const bool deb = Int(*m, "bdDEBITO") > 0;
    const bool cre = Int(*m, "bdCREDITO") > 0;
    const std::string marca = !deb && cre ? "bdCONCC" : (deb && !cre ? "bdCONCD" : "");
    if (!marca.empty()) {
      m->Edit();
      SetFlag(*m, marca, !Flag(*m, marca));
      // The kind is the split row's own: its marks are its inputs.
      Set(*m, "bdTipoConc",
          Variant(TLancamentoMGR::getTipoConciliacao(this, true, Txt(*m, "bdCONCC"), Txt(*m, "bdCONCD"),
                                                     Txt(*m, "bdCODEMP"), Txt(*m, "bdCHAVE"), marca, false,
                                                     Txt(*m, "bdTipoConc"))));
      m->Post();
    }
  }
  AtualizaParcelasMulti();
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::grLancamentoManualKeyPress(char& key) {
  if (key == ' ' && grLancamentoManual && UpperCase(grLancamentoManual->SelectedField) == "BDTIPOLAN")
    grLancamentoManualCellClick("BDTIPOLAN");
}

void TfrConsultaImportacaoExtratoBancario::grLancamentoManualEnter() {
  AtualizaParcelasMulti();
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::grLancamentoManualExit() { AtualizaBotoesMulti(); }

void TfrConsultaImportacaoExtratoBancario::AtualizaParcelasMulti() {
  TClientDataSet* m = grLancamentoManual ? grLancamentoManual->DataSet() : nullptr;
  if (m && m->Active() && m->RecordCount() > 1) {
    CarregaParcelas(Int(*m, "BDCHAVE"), Int(*m, "BDCHAVELANC"));
    return;
  }
  if (ConsultaParcelamentoDAO() && ConsultaParcelamentoDAO()->Active()) ConsultaParcelamentoDAO()->EmptyDataSetDao();
}

bool TfrConsultaImportacaoExtratoBancario::MultiLancTemCC() {
  TClientDataSet* m = grLancamentoManual ? grLancamentoManual->DataSet() : nullptr;
  if (!m || !m->Active() || m->IsEmpty()) return false;
  for (TClientDataSet* cc : CentrosCustoMulti) {
    if (!cc || !cc->Active()) continue;
    TClientDataSet c;
    c.CloneCursor(*cc);
    c.SetMasterSource(nullptr);
    if (c.Locate("BDCODEMP;BDCHAVE;BDCHAVELANC",
                 {Variant(static_cast<long long>(Int(*m, "BDCODEMP"))), Variant(static_cast<long long>(Int(*m, "BDCHAVE"))),
                  Variant(static_cast<long long>(Int(*m, "BDCHAVELANC")))}))
      return true;
  }
  return false;
}

void TfrConsultaImportacaoExtratoBancario::SetLancExtrato() {
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty() || l->RecNo() == FRecNoLancExtrato) return;
  if (TDAOFactory* atual = DAOAtual(); atual && atual != l)
    atual->Locate("bdcodemp;bdchave", {Variant(static_cast<long long>(Int(*l, "bdcodemp"))),
                                       Variant(static_cast<long long>(Int(*l, "bdchave")))});
  FRecNoLancExtrato = l->RecNo();
}

int TfrConsultaImportacaoExtratoBancario::CopiaCentrosCustoMulti(const std::map<std::string, int>& mapa,
                                                                 const std::vector<TClientDataSet*>& origens) {
  TDAOFactory* l = DAOLinhas();
  const auto& agregados = l ? Aggregates(l) : std::vector<TDAOFactory*>{};
  if (!l || agregados.empty() || mapa.empty()) return 0;
  TDAOFactory& destino = *agregados.front();
  int n = 0;
  for (TClientDataSet* d : origens) {
    if (!d || !d->Active()) continue;
    TFilterGuard guarda(*d, TFilterGuard::kAllRows);
    TClientDataSet c;
    c.CloneCursor(*d);
    c.SetMasterSource(nullptr);
    for (c.First(); !c.Eof(); c.Next()) {
      auto it = mapa.find(ChaveMulti(c));
      if (it == mapa.end()) continue;
      destino.Append();
      destino.CopyFieldsByName(c);
      Set(destino, "BDCHAVE", Variant(it->second));
      Set(destino, "BDSEQ", Variant(Int(c, "BDORDEM")));
      Set(destino, "BDCODTPCCORI", Variant(Int(c, "BDORDEM")));
      destino.Post();
      FExpansao.CentrosCusto.push_back(destino.GetBookmark());
      ++n;
    }
  }
  return n;
}

}  // namespace integracao
