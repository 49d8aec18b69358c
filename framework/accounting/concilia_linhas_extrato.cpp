#include "framework/accounting/concilia_linhas_extrato.h"

#include <string>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/ui/edit_codigo.h"

namespace vyn {

namespace {

bool Marcado(const TClientDataSet& ds, const char* campo) {
  TField* f = ds.FindField(campo);
  return f && !f->IsNull() && Variant(f->AsString()).AsBoolean();
}

std::string TextoCampo(const TClientDataSet& ds, const char* campo) {
  TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsString() : std::string();
}

void SetInteiroSeHouver(TClientDataSet& ds, const char* campo, int64_t v) {
  if (TField* f = ds.FindField(campo)) f->SetAsInteger(v);
}

// The counter side of the matched entry becomes the line's: a bank debit takes the entry's credit, a
// bank credit its debit. An entry without that side leaves the line's accounts as they were.
void CopiaContrapartida(TLancamentoMGR& lan, TLancamentoMGR& trab, bool debito) {
  const char* lado = debito ? "BDCREDITO" : "BDDEBITO";
  trab.First();
  while (!trab.Eof() && trab.FieldByName(lado).IsNull()) trab.Next();
  if (trab.Eof()) {
    trab.Last();
    return;
  }
  lan.FieldByName(debito ? "BDCONCD" : "BDCONCC").SetAsString("TRUE");
  lan.FieldByName(lado).SetAsInteger(trab.FieldByName(lado).AsInteger());
  const char* terceiro = debito ? "BDCODTERCEIROC" : "BDCODTERCEIROD";
  if (trab.FieldByName(terceiro).AsInteger() > 0) SetInteiroSeHouver(lan, terceiro, trab.FieldByName(terceiro).AsInteger());
}

void MarcaConciliacao(TLancamentoMGR& lan, TLancamentoMGR& trab, int64_t conta, const std::string& empresa) {
  const int tipoLinha = static_cast<int>(trab.FieldByName("bdtipoconc").AsInteger());
  const bool ambos = Marcado(trab, "bdCONCD") && Marcado(trab, "bdCONCC");
  TField* tipo = lan.FindField("BDTIPOCONC");
  if (tipoLinha == 6) {
    if (tipo) tipo->SetAsInteger(6);
    lan.FieldByName("BDCONCD").SetAsString("TRUE");
    lan.FieldByName("BDCONCC").SetAsString("TRUE");
  } else if (trab.FieldByName("BDDEBITO").AsInteger() == conta) {
    const int k = TLancamentoMGR::getTipoConciliacao(
        &trab, true, {ambos ? TextoCampo(trab, "BDCREDITO") : "", TextoCampo(trab, "BDDEBITO"), empresa, "", "BDCONCD"},
        false, tipoLinha);
    if (tipo) tipo->SetAsInteger(k);
    lan.FieldByName("BDCONCC").SetAsString(TextoCampo(trab, "bdCONCC"));
    lan.FieldByName("BDCONCD").SetAsString("TRUE");
  } else if (trab.FieldByName("BDCREDITO").AsInteger() == conta) {
    const int k = TLancamentoMGR::getTipoConciliacao(
        &trab, true, {TextoCampo(trab, "BDCREDITO"), ambos ? TextoCampo(trab, "BDDEBITO") : "", empresa, "", "BDCONCC"},
        false, tipoLinha);
    if (tipo) tipo->SetAsInteger(k);
    lan.FieldByName("BDCONCC").SetAsString("TRUE");
    lan.FieldByName("BDCONCD").SetAsString(TextoCampo(trab, "bdCONCD"));
  }
}

// Matches the current line; answers whether it found posted entries for it.
bool ConciliaLinha(TLancamentoMGR& lan, TLancamentoMGR& trab, TEdit_Codigo_Search_VYN* empresa,
                   TEdit_Codigo_Search_VYN* conta, const TCriteriosConciliacaoLinha& c) {
  const int64_t cta = conta ? conta->Codigo() : 0;
  const bool debito = lan.FieldByName("BDDEBITO").AsInteger() == cta;
  const Currency valor = debito ? lan.FieldByName("BDVALOR").AsCurrency() : -lan.FieldByName("BDVALOR").AsCurrency();
  const std::string dcto = lan.FieldByName("BDDCTO").AsString();
  const TDateTime data = lan.FieldByName("BDDATA").AsDateTime();
  if (!trab.GetConciliacaoExtratoBancario(empresa, conta, valor, dcto, data, c.PorDocumento, c.PorData, c.PorValor,
                                          c.ConsiderarZeros, lan.getItensConciliadosDAO()))
    return false;
  lan.Edit();
  CopiaContrapartida(lan, trab, debito);
  if (!trab.FieldByName("bdCODHIST").IsNull()) SetInteiroSeHouver(lan, "BDCODHIST", trab.FieldByName("bdCODHIST").AsInteger());
  if (!trab.FieldByName("bdCODTPHI").IsNull()) SetInteiroSeHouver(lan, "BDCODTPHI", trab.FieldByName("bdCODTPHI").AsInteger());
  MarcaConciliacao(lan, trab, cta, std::to_string(empresa ? empresa->Codigo() : 0));
  const int64_t emp = lan.FieldByName("BDCODEMP").AsInteger(), chave = lan.FieldByName("BDCHAVE").AsInteger();
  if (trab.RecordCount() == 1) {
    lan.setItensConciliadosItem(emp, chave, dcto, data, valor, trab.FieldByName("bdchave").AsInteger(),
                                trab.GetTIPOCONC());
  } else {
    trab.SetRange({Variant(100)}, {Variant(100)});
    for (trab.First(); !trab.Eof(); trab.Next())
      lan.setItensConciliadosItem(emp, chave, dcto, data, valor, trab.FieldByName("bdchave").AsInteger(),
                                  trab.GetTIPOCONC());
  }
  lan.Post();
  trab.CancelRange();
  trab.SetFiltered(false);
  trab.SetFilter("");
  return true;
}

}  // namespace

int ConciliaLinhasExtrato(TLancamentoMGR& linhas, TEdit_Codigo_Search_VYN* empresa, TEdit_Codigo_Search_VYN* conta,
                          const TCriteriosConciliacaoLinha& criterios, const std::function<void(int)>& progresso) {
  auto* trab = TLancamentoMGR::CreateMgr(&linhas, false, false, 1, false, true);
  int n = 0;
  try {
    for (linhas.First(); !linhas.Eof(); linhas.Next()) {
      if (progresso) progresso(linhas.RecNo());
      if (Marcado(linhas, "BDCONCD") || Marcado(linhas, "BDCONCC")) continue;
      if (ConciliaLinha(linhas, *trab, empresa, conta, criterios)) ++n;
    }
  } catch (...) {
    if (linhas.State() != TDataSetState::dsBrowse) linhas.Cancel();
    linhas.FreeComponent(trab);
    throw;
  }
  linhas.FreeComponent(trab);
  return n;
}

}  // namespace vyn
