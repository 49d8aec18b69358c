// Editing the statement lines in place: what a cell edit may do, what it sets off (propagation of
// accounts, histories and complements, participant clearing, conciliation reset, Dyq status) and
// the chart look-up the grids share.
#include <algorithm>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Desfaz.h"
#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/dados_lancamento.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/accounting/substitui_asterisco.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/standins/lancamentos.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/fields_container.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

constexpr const char* kAguarde = "Atualizando dados, aguarde...";

// The columns whose change turns an entry of type 29 into 30.
bool ColunaTipoLan(const std::string& c) {
  static const char* const kColunas[] = {"BDDATA",    "BDDCTO",         "BDDEBITO", "BDCODTERCEIROD", "BDCREDITO",
                                         "BDCODTERCEIROC", "BDVALOR", "BDCODTPHI", "BDCOMPL"};
  return std::any_of(std::begin(kColunas), std::end(kColunas), [&](const char* k) { return c == k; });
}

// The editors whose changed text moves an entry of type 29 to 30: code-search, date and text edits;
// a numeric edit (the amount) is not one of them.
bool EditorTipoLan(TControl* editor) {
  return dynamic_cast<TEdit_String_Padrao*>(editor) && !dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor);
}

std::string TextoEditor(TControl* editor) {
  if (auto* e = dynamic_cast<TEdit_String_Padrao*>(editor)) return e->Text();
  return {};
}

// Whether the line has split rows (the split rows' own view of the data set is left alone).
bool TemMultiLancamentos(TClientDataSet* multi, int64_t empresa, int64_t chave) {
  if (!multi || !multi->Active()) return false;
  TClientDataSet c;
  c.CloneCursor(*multi);
  c.SetMasterSource(nullptr);
  return c.Locate("BDCODEMP;BDCHAVE", {Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(chave))});
}

std::string InteiroOuVazio(const Variant& v) { return v.IsNull() ? "^Vazio" : std::to_string(v.AsInteger()); }

// Runs a propagation over the lines: progress window, controls held, record number restored, and
// every row changed put back when the walk does not end (error, cancelled window).
template <class F>
bool PropagaLinhas(TComponent* owner, TClientDataSet& ds, F&& porLinha) {
  TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(owner, 1);
  status->setPrimaryStatusLabel(kAguarde);
  const int recno = ds.RecNo();
  TDisabledControls controles(ds);
  TDesfazLinhas desfaz(ds);
  auto fim = [&] {
    status->Finalize();
    if (recno > 0 && recno <= ds.RecordCount()) ds.SetRecNo(recno);
  };
  try {
    for (ds.First(); !ds.Eof(); ds.Next()) {
      if (status->Finalized() || status->getCancel()) {
        desfaz.Desfaz();
        fim();
        return false;
      }
      porLinha(recno, desfaz);
    }
  } catch (...) {
    desfaz.Desfaz();
    fim();
    throw;
  }
  fim();
  return true;
}

}  // namespace

int TfrConsultaImportacaoExtratoBancario::getCodPlano() {
  if (FCodPlano == 0)
    if (TDAOFactory* l = DAOLinhas(); l && !l->IsEmpty()) FCodPlano = static_cast<int>(Int(*l, "bdcodplapadrao"));
  return FCodPlano;
}

int TfrConsultaImportacaoExtratoBancario::PlanoEmpresa() {
  if (getCodPlano() == 0) FCodPlano = static_cast<int>(PlanoContasEmpresa());
  return FCodPlano;
}

int TfrConsultaImportacaoExtratoBancario::PlanoHistorico() {
  if (TDAOFactory* l = DAOLinhas(); l && !l->IsEmpty() && Int(*l, "BDCODHIST") > 0)
    return static_cast<int>(Int(*l, "BDCODHIST"));
  return FCodEmp && FCodEmp->Codigo() != 0 ? PlanoHistoricoEmpresa(FCodEmp->Codigo()) : 0;
}

Variant TfrConsultaImportacaoExtratoBancario::GetCampoContaPlano(const Variant& plano, const Variant& conta,
                                                                 const std::string& campo) {
  // The chart is read once and searched in memory; another chart reloads it.
  if (!FDAOContasPlanos) FDAOContasPlanos = TContasPlanosMGR::CreateMgr(this);
  FDAOContasPlanos->AbrePlano(plano.IsNull() ? 0 : static_cast<int>(plano.AsInteger()));
  return FDAOContasPlanos->GetCampoContaPlano(conta, campo);
}

void TfrConsultaImportacaoExtratoBancario::fieldsContainerExtratoBeforeEditField(const std::string& campo,
                                                                                 TControl* editor, bool& accept) {
  TDAOFactory* l = DAOAtual();
  accept = false;
  if (!l || l->IsEmpty()) return;
  if (l->FindField("BDVINC_BAIXA") && Flag(*l, "BDVINC_BAIXA")) {
    DlgInfOk("Impossível editar lançamento quando este está vinculado à uma baixa.");
    return;
  }
  accept = true;
  const std::string c = UpperCase(campo);
  auto* codigo = dynamic_cast<TEdit_Codigo_Search_VYN*>(editor);
  auto daEmpresa = [this](TEdit_Codigo_Search_VYN* e) {
    if (!e || !FCodEmp) return;
    if (e->EditsMaster.empty()) e->EditsMaster.push_back(FCodEmp);
  };
  if ((c == "BDSTATUSWEB" || c == "BDOBSWEB") && Vazio(*l, "BDIDWEB")) {
    // Dyq knows no such line: there is nobody to return it to.
    accept = false;
    return;
  }
  if (c == "BDSTATUSWEB") {
    if (auto* combo = dynamic_cast<TComboBox_Padrao_VYN*>(editor)) {
      combo->Style = csDropDownList;
      combo->Items = {"", "Retorno do escritório", "Recusado pelo escritório"};
      const int64_t st = Int(*l, "BDSTATUSWEB");
      combo->SetItemIndex(st >= 0 && st <= 2 ? static_cast<int>(st) : 0);
    }
    FStatusWebBefore = l->FieldByName("BDSTATUSWEB").Value();
    FObsWebBefore = l->FieldByName("BDOBSWEB").Value();
  } else if (c == "BDOBSWEB") {
    accept = Int(*l, "BDSTATUSWEB") > 0;
    FObsWebBefore = l->FieldByName("BDOBSWEB").Value();
  } else if (c == "BDDEBITO" || c == "BDCREDITO") {
    daEmpresa(codigo);
    if (codigo) {
      codigo->SetTypeCodeVYN(tcContasPlanoContas);
      if (!codigo->Lookup) codigo->Lookup = LookupContaAnalitica([this] { return PlanoEmpresa(); });
    }
    FContaBefore = static_cast<int>(Int(*l, c));
  } else if (c == "BDCODTPHI") {
    daEmpresa(codigo);
    if (codigo && !codigo->Lookup) codigo->Lookup = LookupHistorico([this] { return PlanoHistorico(); });
    FHistoricoBefore = static_cast<int>(Int(*l, c));
  } else if (c == "BDVALOR") {
    if (auto* n = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor)) {
      n->SetTamanho(9);
      n->SetDecimais(2);
    }
  } else if (c == "BDCODTERCEIROD" || c == "BDCODTERCEIROC") {
    const Variant conta = l->FieldByName(c == "BDCODTERCEIROD" ? "BDDEBITO" : "BDCREDITO").Value();
    const Variant p = GetCampoContaPlano(Variant(PlanoEmpresa()), conta, "BDPARTICIPANTE");
    if (p.IsNull() || p.AsInteger() <= 0) {
      accept = false;
      return;
    }
    if (codigo) {
      codigo->CampoRetorno = "bdCODTER";
      if (!codigo->Lookup) codigo->Lookup = LookupParticipante();
    }
  }
  if (!accept) return;
  FDebitoBefore = static_cast<int>(Int(*l, "BDDEBITO"));
  FCreditoBefore = static_cast<int>(Int(*l, "BDCREDITO"));
  FCODTPHI = static_cast<int>(Int(*l, "BDCODTPHI"));
  FComplementoBefore = Txt(*l, "BDCOMPL");
  FComplementoBanBefore = Txt(*l, "BDCOMPLBANCARIO");
  FDataBefore = l->FindField("BDDATA") ? l->FieldByName("BDDATA").Value() : Variant();
  FValorBefore = l->FindField("BDVALOR") ? l->FieldByName("BDVALOR").Value() : Variant();
  FDocumentoBefore = Txt(*l, "BDDCTO");
  if (ColunaTipoLan(c) && Int(*l, "BDTIPOLAN") == 29 && EditorTipoLan(editor))
    FValorAnterior = TextoEditor(editor);
}

void TfrConsultaImportacaoExtratoBancario::fcPreparacoesBeforeEditField(const std::string& campo, TControl* editor,
                                                                        bool& accept) {
  TDAOFactory* r = DAOPreparacoes();
  accept = false;
  if (!r || r->IsEmpty() || UpperCase(campo) != "BDCONTRAPARTIDA") return;
  // A rule that came from Dyq is Dyq's; only one made here from a line is the review's to change.
  if (!r->FindField("BDCHAVELANC") || r->FieldByName("BDCHAVELANC").IsNull()) return;
  accept = true;
  if (auto* codigo = dynamic_cast<TEdit_Codigo_Search_VYN*>(editor)) {
    if (FCodEmp && codigo->EditsMaster.empty()) codigo->EditsMaster.push_back(FCodEmp);
    codigo->SetTypeCodeVYN(tcContasPlanoContas);
    if (!codigo->Lookup) codigo->Lookup = LookupContaAnalitica([this] { return PlanoEmpresa(); });
  }
  FContaBefore = static_cast<int>(Int(*r, "BDCONTRAPARTIDA"));
}

void TfrConsultaImportacaoExtratoBancario::fcPreparacoesAfterEditField(const std::string& campo, TControl*) {
  TDAOFactory* r = DAOPreparacoes();
  if (!r || r->IsEmpty() || UpperCase(campo) != "BDCONTRAPARTIDA") return;
  const int nova = static_cast<int>(Int(*r, "BDCONTRAPARTIDA"));
  // The same account typed again changes no other rule: nothing to ask.
  if (nova != FContaBefore) GravarContasPrep(FContaBefore, nova);
}

void TfrConsultaImportacaoExtratoBancario::spPreparaExtratoClick(TComponent*) {
  TListaObj p;
  p.Add(FCodEmp);
  TPackagesUtil::CarregaFormParamsObj(FTipoExtrato == 1 ? "TfrPreparacaoExtratoBancario" : "TfrPreparacaoMovimentoCaixa",
                                      this, std::move(p));
}

void TfrConsultaImportacaoExtratoBancario::DescartaY570ForaDeAplicacao(bool naLista) {
  if (!FY570) return;
  const std::vector<int64_t> fora = FY570->DescartaForaDeAplicacao();
  if (fora.empty()) return;
  std::string chaves;
  for (int64_t k : fora) chaves += (chaves.empty() ? "" : ", ") + std::to_string(k);
  const std::string texto = "Os dados do registro Y570 da ECF do(s) lançamento(s) " + chaves +
                            " foram descartados: a conta de crédito não é mais de aplicação financeira.";
  auto* u = Util();
  if (naLista && u && u->Inconsistencias())
    u->Inconsistencias()->Add_Atencao(FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0, texto);
  else
    DlgInfOk(texto);
}

void TfrConsultaImportacaoExtratoBancario::fieldsContainerExtratoAfterEditField(const std::string& campo,
                                                                                TControl* editor) {
  TDAOFactory* l = DAOAtual();
  if (!l || l->IsEmpty()) return;
  const std::string c = UpperCase(campo);
  if (ColunaTipoLan(c) && Int(*l, "BDTIPOLAN") == 29 && EditorTipoLan(editor) && TextoEditor(editor) != FValorAnterior)
    Grava(*l, "BDTIPOLAN", Variant(30));
  auto* codigo = dynamic_cast<TEdit_Codigo_Search_VYN*>(editor);
  if (c == "BDSTATUSWEB") {
    if (auto* combo = dynamic_cast<TComboBox_Padrao_VYN*>(editor)) {
      if (combo->ItemIndex() > 0) {
        // The note is the new status's own: an old one does not stand for it.
        Grava(*l, "BDOBSWEB", Variant(std::string()));
        TListaObj p;
        p.Add(l);
        // The dialog is modal here: the review goes on once the note was given.
        TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", this, std::move(p), nullptr, true);
        // Without a note the client would get a return or refusal it cannot act on: as with the
        // delete key, no note leaves the line as it was.
        if (Trim(Txt(*l, "BDOBSWEB")).empty()) {
          l->Edit();
          l->FieldByName("BDSTATUSWEB").SetValue(FStatusWebBefore);
          l->FieldByName("BDOBSWEB").SetValue(FObsWebBefore);
          l->Post();
        }
      } else {
        Grava(*l, "BDOBSWEB", Variant(std::string()));
      }
    }
    AtualizarStatusBotoes();
  } else if (c == "BDOBSWEB") {
    // A return or refusal goes with its note, as from the status cell and the Delete key.
    if (Int(*l, "BDSTATUSWEB") > 0 && Trim(Txt(*l, "BDOBSWEB")).empty()) {
      Grava(*l, "BDOBSWEB", FObsWebBefore);
      DlgInfOk("A observação de retorno não pode ficar vazia enquanto o lançamento estiver retornado ou recusado.");
    }
  } else if (c == "BDDEBITO" || c == "BDCREDITO") {
    if (Int(*l, c) != FContaBefore) LimpaAvisoBaixa(*l);
    const std::string part = c == "BDDEBITO" ? "BDCODTERCEIROD" : "BDCODTERCEIROC";
    const std::string twin = c == "BDDEBITO" ? "BDALTCODTERCEIROD" : "BDALTCODTERCEIROC";
    const Variant p = GetCampoContaPlano(Variant(PlanoEmpresa()), l->FieldByName(c).Value(), "BDPARTICIPANTE");
    if (!p.IsNull() && p.AsInteger() == 0) {
      l->Edit();
      Set(*l, part, Variant());
      Set(*l, twin, Variant());
      l->Post();
    }
    const bool vazio = codigo ? codigo->Text().empty() : Vazio(*l, c);
    const int64_t nova = Int(*l, c);
    if (vazio)
      GravaContas(c, part, FContaBefore, Variant());
    else if (ExisteMesmaContas(c, static_cast<int>(nova)) && nova != ContaBanco())
      GravaContas(c, part, FContaBefore, Variant(static_cast<long long>(nova)));
    DescartaY570ForaDeAplicacao(false);
  } else if (c == "BDCODTPHI") {
    const bool vazio = codigo ? codigo->Text().empty() : Vazio(*l, c);
    const int64_t novo = Int(*l, c);
    if (vazio)
      GravaHistorico(FHistoricoBefore, Variant());
    else if (ExisteMesmoHistorico(Variant(static_cast<long long>(novo))))
      GravaHistorico(FHistoricoBefore, Variant(static_cast<long long>(novo)));
  } else if (c == "BDCOMPL" || c == "BDCOMPLBANCARIO") {
    GravaComplemento(c == "BDCOMPL" ? FComplementoBefore : FComplementoBanBefore, Txt(*l, c), c);
  } else if (c == "BDCODTERCEIROC") {
    Grava(*l, "bdALTCODTERCEIROC", l->FieldByName("BDCODTERCEIROC").Value());
  }
  if (c == "BDCODTERCEIROD") Grava(*l, "bdALTCODTERCEIROD", l->FieldByName("BDCODTERCEIROD").Value());

  // A line whose data changed is no longer the one that was reconciled.
  const bool mudou = Int(*l, "BDDEBITO") != FDebitoBefore || Int(*l, "BDCREDITO") != FCreditoBefore ||
                     Int(*l, "BDCODTPHI") != FCODTPHI || Txt(*l, "BDCOMPL") != FComplementoBefore ||
                     (l->FindField("BDDATA") && l->FieldByName("BDDATA").Value() != FDataBefore) ||
                     (l->FindField("BDVALOR") && l->FieldByName("BDVALOR").Value() != FValorBefore) ||
                     Txt(*l, "BDDCTO") != FDocumentoBefore;
  auto* mgr = dynamic_cast<TLancamentoMGR*>(l);
  if (mudou && mgr && getItensConciliados(*mgr, Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE"))) {
    RemoveItensConciliados(*mgr, Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE"));
    const std::string marca = MarcaLadoBanco(*l);
    if (!marca.empty()) {
      l->Edit();
      SetFlag(*l, marca, false);
      Set(*l, "BDTIPOCONC",
          Variant(TLancamentoMGR::getTipoConciliacao(this, true, Txt(*l, "BDCONCC"), Txt(*l, "BDCONCD"),
                                                     Txt(*l, "BDCODEMP"), Txt(*l, "BDCHAVE"), marca, false,
                                                     Txt(*l, "bdTipoConc"))));
      l->Post();
    }
  }
  if (c == "BDCOMPL" || c == "BDCOMPLBANCARIO") Grava(*l, c, Variant(FormatStrTypeGlobal(Txt(*l, c))));
}

namespace {
// The amount column takes at most 9 integer digits and 2 decimals ("1.234.567,89"): a longer text is
// refused, never cut or rounded into another amount.
bool ValorCabeNaCelula(const std::string& texto) {
  size_t inteiros = 0, decimais = 0;
  bool virgula = false;
  std::string t = Trim(texto);
  if (!t.empty() && t.front() == '-') t.erase(0, 1);   // the sign is refused with its own message
  for (char ch : t) {
    if (ch == '.' && !virgula) continue;
    if (ch == ',' && !virgula) {
      virgula = true;
      continue;
    }
    if (ch < '0' || ch > '9') return true;   // not a number: the editor says so
    ++(virgula ? decimais : inteiros);
  }
  return inteiros <= 9 && decimais <= 2;
}
}  // namespace

bool TfrConsultaImportacaoExtratoBancario::ValidaCelula(const TFieldsContainerItem& item, TControl* editor,
                                                        const std::string& texto) {
  if (auto* data = dynamic_cast<TEdit_Date_Padrao_VYN*>(editor); data && data->IsEmpty()) {
    // A line without a date cannot be booked in any month.
    DlgWarOk("Data não informada.");
    return false;
  }
  if (auto* numero = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor)) {
    if (!ValorCabeNaCelula(texto)) {
      DlgWarOk("Valor inválido: " + texto + " (até 9 dígitos inteiros e 2 decimais).");
      return false;
    }
    // The side of the line says where the money goes; a sign would say it twice.
    if (numero->Value() < Currency()) {
      DlgWarOk("Valor negativo não é aceito: " + texto);
      return false;
    }
  }
  (void)item;
  return true;
}

void TfrConsultaImportacaoExtratoBancario::CriaFieldsContainers() {
  using E = TTipoEditorCampo;
  fieldsContainerExtrato = Create<TFieldsContainer>();
  fieldsContainerExtrato->SetName("fieldsContainerExtrato");
  TFieldsContainer& fc = *fieldsContainerExtrato;
  fc.Add("BDVINC_BAIXA", "", E::Inteiro).ReadOnly = true;
  TFieldsContainerItem& empresa = fc.Add("BDCODEMP", "Empresa", E::Inteiro);
  empresa.Key = true;
  empresa.Visible = false;
  fc.Add("BDTRANSPREP", "Transformar em preparação", E::Nenhum);
  TFieldsContainerItem& chave = fc.Add("BDCHAVE", "Chave", E::Inteiro);
  chave.Key = true;
  chave.ReadOnly = true;
  fc.Add("BDTIPOLAN", "Conciliado", E::Nenhum).Navegavel = false;
  fc.Add("BDDATA", "Data", E::Data);
  fc.Add("BDDCTO", "Documento");
  fc.Add("BDDEBITO", "Débito", E::Codigo, tcContasPlanoContas);
  fc.Add("BDCODTERCEIROD", "Participante débito", E::Codigo, 42).Tamanho = 13;
  fc.Add("BDCREDITO", "Crédito", E::Codigo, tcContasPlanoContas);
  fc.Add("BDCODTERCEIROC", "Participante crédito", E::Codigo, 42).Tamanho = 13;
  fc.Add("BDVALOR", "Valor", E::Numerico);
  fc.Add("BDCODTPHI", "Histórico", E::Codigo, tcHistoricos);
  fc.Add("BDCOMPLBANCARIO", "Complemento bancário");
  fc.Add("BDCOMPL", "Complemento");
  TFieldsContainerItem& obs = fc.Add("BDOBS", "Observação do cliente");
  obs.ReadOnly = true;
  obs.Tamanho = 30;
  fc.Add("BDSTATUSWEB", "Status DYQ", E::Combo).Tamanho = 25;
  fc.Add("BDOBSWEB", "Observação de retorno").Tamanho = 40;
  // A probable duplicate names the entry it matches; the user ticks it to book it all the same.
  fc.Add("BDLANCARDUPLICATA", "Lançar assim mesmo", E::Nenhum);
  TFieldsContainerItem& duplicata = fc.Add("BDDUPLICATA", "Provável duplicata");
  duplicata.ReadOnly = true;
  duplicata.Tamanho = 40;
  fc.OnBeforeEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor, const TFieldsContainerItem& item,
                                bool& accept) { fieldsContainerExtratoBeforeEditField(item.FieldName, editor, accept); };
  fc.OnAfterEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor, const TFieldsContainerItem& item) {
    fieldsContainerExtratoAfterEditField(item.FieldName, editor);
  };
  fc.OnValidaCampo = [this](const TFieldsContainerItem& item, TControl* editor, const std::string& texto) {
    return ValidaCelula(item, editor, texto);
  };

  fcPreparacoes = Create<TFieldsContainer>();
  fcPreparacoes->SetName("fcPreparacoes");
  TFieldsContainer& fp = *fcPreparacoes;
  fp.Add("BDCODEMP", "Empresa", E::Inteiro).Key = true;
  fp.Add("BDCHAVE", "Chave", E::Inteiro).Key = true;
  fp.Add("BDCODTPLA", "Conta bancária", E::Codigo, tcContasPlanoContas).ReadOnly = true;
  fp.Add("BDDESCCONTA", "Descrição conta bancária").ReadOnly = true;
  fp.Add("BDCOMPL", "Complemento").ReadOnly = true;
  fp.Add("BDCONTRAPARTIDA", "Contrapartida", E::Codigo, tcContasPlanoContas);
  fp.Add("BDDESCCONTRAPARTIDA", "Descrição contrapartida").ReadOnly = true;
  fp.Add("BDCOINCIDE", "Coincidir", E::Nenhum);
  fp.Add("BDALTCOMPL", "Alterar complemento", E::Nenhum);
  fp.Add("BDCHAVELANC", "Origem", E::Inteiro).ReadOnly = true;
  fp.OnBeforeEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor, const TFieldsContainerItem& item,
                                bool& accept) { fcPreparacoesBeforeEditField(item.FieldName, editor, accept); };
  fp.OnAfterEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor, const TFieldsContainerItem& item) {
    fcPreparacoesAfterEditField(item.FieldName, editor);
  };
}

bool TfrConsultaImportacaoExtratoBancario::ExisteMesmaContas(const std::string& campo, int valor) {
  TDAOFactory* l = DAOLinhas();
  if (!l || !l->FindField(campo)) return false;
  const int recno = l->RecNo();
  const bool achou = l->Locate(campo, {Variant(valor)});
  if (recno > 0) l->SetRecNo(recno);
  return achou;
}

bool TfrConsultaImportacaoExtratoBancario::ExisteMesmoHistorico(const Variant& valor) {
  TDAOFactory* l = DAOLinhas();
  if (!l || !l->FindField("BDCODTPHI") || valor.IsNull()) return false;
  const int recno = l->RecNo();
  const bool achou = l->Locate("BDCODTPHI", {valor});
  if (recno > 0) l->SetRecNo(recno);
  return achou;
}

void TfrConsultaImportacaoExtratoBancario::GravaContas(const std::string& campo, const std::string& campoParticipante,
                                                       int antigo, const Variant& novo) {
  TDAOFactory* l = DAOLinhas();
  auto* mgr = dynamic_cast<TLancamentoMGR*>(l);
  if (!l || !l->FindField(campo)) return;
  if (MessageDlgVYN("Deseja alterar as outras contas " + std::to_string(antigo) + " para " + InteiroOuVazio(novo) +
                        "?",
                    mtConfirmation, mbYes | mbNo, 7) != mrYes)
    return;
  const Variant p = novo.IsNull() ? Variant() : GetCampoContaPlano(Variant(PlanoEmpresa()), novo, "BDPARTICIPANTE");
  const bool aceitaParticipante = !p.IsNull() && p.AsInteger() > 0;
  const std::string twin = campoParticipante.size() > 5 ? "BDALTCOD" + UpperCase(campoParticipante).substr(5) : "";
  TClientDataSet* multi = DAOMulti();
  std::vector<std::pair<int64_t, int64_t>> conciliadas;
  const bool concluida = PropagaLinhas(this, *l, [&](int, TDesfazLinhas& desfaz) {
    if (l->FieldByName(campo).IsNull() || Int(*l, campo) != antigo) return;
    // Lines linked to settlements and lines split into multiple entries keep their accounts.
    if (Flag(*l, "BDVINC_BAIXA") || TemMultiLancamentos(multi, Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE"))) return;
    const bool conc = mgr && getItensConciliados(*mgr, Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE"));
    desfaz.Guarda();
    l->Edit();
    Set(*l, campo, novo.IsNull() ? Variant() : Variant(novo.AsInteger()));
    if (!aceitaParticipante && Int(*l, campoParticipante) > 0) {
      Set(*l, campoParticipante, Variant());
      if (!twin.empty()) Set(*l, twin, Variant());
    }
    if (conc) {
      SetFlag(*l, "bdCONCC", false);
      SetFlag(*l, "bdCONCD", false);
      Set(*l, "BDTIPOCONC", Variant(0));
      conciliadas.emplace_back(Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE"));
    }
    l->Post();
  });
  // The reconciled items go only once every line was changed.
  if (concluida && mgr)
    for (auto [e, k] : conciliadas) RemoveItensConciliados(*mgr, e, k);
}

void TfrConsultaImportacaoExtratoBancario::GravaHistorico(int antigo, const Variant& novo) {
  TDAOFactory* l = DAOLinhas();
  if (!l || !l->FindField("BDCODTPHI")) return;
  if (MessageDlgVYN("Deseja alterar os outros históricos " + std::to_string(antigo) + " para " +
                        InteiroOuVazio(novo) + "?",
                    mtConfirmation, mbYes | mbNo, 7) != mrYes)
    return;
  TSubstituiAsterisco sub(this);
  const bool temFavorecido = l->FindField("BDFAVORECIDO") != nullptr;
  PropagaLinhas(this, *l, [&](int recno, TDesfazLinhas& desfaz) {
    if (l->FieldByName("BDCODTPHI").IsNull() || Int(*l, "BDCODTPHI") != antigo || l->RecNo() == recno) return;
    if (Flag(*l, "BDVINC_BAIXA")) return;
    desfaz.Guarda();
    l->Edit();
    Set(*l, "BDCODTPHI", novo.IsNull() ? Variant() : Variant(novo.AsInteger()));
    sub.InicializaVariaveis(false);
    sub.CodHist = static_cast<int>(Int(*l, "BDCODHIST"));
    sub.CodTphi = static_cast<int>(Int(*l, "BDCODTPHI"));
    sub.CodPlaPadrao = static_cast<int>(Int(*l, "BDCODPLAPADRAO"));
    sub.Data = Txt(*l, "BDDATA");
    sub.Debito = Int(*l, "BDDEBITO");
    sub.Credito = Int(*l, "BDCREDITO");
    sub.TerceiroD = Int(*l, "BDCODTERCEIROD");
    sub.TerceiroC = Int(*l, "BDCODTERCEIROC");
    sub.Documento = Txt(*l, "BDDCTO");
    sub.Complemento = Txt(*l, "BDCOMPL");
    if (temFavorecido) sub.Favorecido = Txt(*l, "BDFAVORECIDO");
    sub.SubstituiComplemento = true;
    sub.AcrescentaFavorecido = true;
    Set(*l, "BDCOMPL", Variant(sub.GetComplementoAsterisco()));
    l->Post();
  });
  FModalSubstituiAsterisco = sub.ModalResposta();
}

void TfrConsultaImportacaoExtratoBancario::GravaComplemento(const std::string& antigo, const std::string& novo,
                                                            const std::string& campo) {
  TDAOFactory* l = DAOLinhas();
  if (!l || !l->FindField(campo)) return;
  if (MessageDlgVYN("Deseja alterar o complemento dos demais lançamentos que possuem o mesmo complemento?",
                    mtConfirmation, mbYes | mbNo, 7) != mrYes)
    return;
  PropagaLinhas(this, *l, [&](int recno, TDesfazLinhas& desfaz) {
    if (l->RecNo() == recno || l->FieldByName(campo).IsNull() || Txt(*l, campo) != antigo) return;
    if (Flag(*l, "BDVINC_BAIXA")) return;
    desfaz.Guarda();
    Grava(*l, campo, Variant(novo));
  });
}

void TfrConsultaImportacaoExtratoBancario::GravarContasPrep(int antigo, int novo) {
  TDAOFactory* r = DAOPreparacoes();
  if (!r || r->IsEmpty() || Vazio(*r, "BDCHAVELANC")) return;
  if (MessageDlgVYN("Deseja alterar as outras contas " + std::to_string(antigo) + " para " + std::to_string(novo) +
                        "?",
                    mtConfirmation, mbYes | mbNo, 7) != mrYes)
    return;
  PropagaLinhas(this, *r, [&](int, TDesfazLinhas& desfaz) {
    // The company's stored rules are shown, not written, by the review: they change in their register.
    if (Flag(*r, "BDGRAVADA")) return;
    if (r->FieldByName("BDCONTRAPARTIDA").IsNull() || Int(*r, "BDCONTRAPARTIDA") != antigo) return;
    desfaz.Guarda();
    Grava(*r, "BDCONTRAPARTIDA", novo == 0 ? Variant() : Variant(novo));
  });
}

void TfrConsultaImportacaoExtratoBancario::spEditarClick(TComponent*) {
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty()) return;
  bool vinculado = Flag(*l, "BDVINC_BAIXA");
  if (TClientDataSet* m = DAOMulti(); !vinculado && m && m->Active()) {
    TClientDataSet c;
    c.CloneCursor(*m);
    c.SetMasterSource(nullptr);
    for (c.First(); !c.Eof() && !vinculado; c.Next())
      vinculado = Int(c, "BDCODEMP") == Int(*l, "BDCODEMP") && Int(c, "BDCHAVE") == Int(*l, "BDCHAVE") &&
                  Flag(c, "BDVINC_BAIXA");
  }
  if (vinculado) {
    DlgInfOk("Impossível criar lançamento manual quando este está vinculado à uma baixa.");
    return;
  }
  // A Dyq line comes with 0 on the side it leaves open: account 0 is no account.
  if (Int(*l, "BDDEBITO") != 0 && Int(*l, "BDCREDITO") != 0) {
    DlgInfOk("O lançamento selecionado já possui débito e crédito informado.");
    return;
  }
  auto d = std::make_shared<TDadosLancamento>();
  d->Chave = Int(*l, "bdCHAVE");
  d->Lote = Trim(Txt(*l, "bdLOTE"));
  if (!l->FieldByName("bdDATA").IsNull()) d->Data = l->FieldByName("bdDATA").AsDateTime();
  d->Debito = Int(*l, "bdDEBITO");
  d->Credito = Int(*l, "bdCREDITO");
  d->Valor = Valor(*l, "bdVALOR");
  d->Historico = Int(*l, "bdCODTPHI");
  d->Documento = Txt(*l, "bdDCTO");
  d->Complemento = Txt(*l, "bdCOMPL");
  // The editor stays open on its own: the record lives with the review.
  FDadosLancamentoEditor = d;
  TListaObj p;
  p.Posicao(pmlDados).AddObject(d.get());
  p.Posicao(pmlEmpresa).Add(FCodEmp);
  p.Posicao(pmlLinhas).Add(l);
  TPackagesUtil::CarregaFormParamsObj("TfrImportacaoOFCMultiLancamento", this, std::move(p));
}

}  // namespace integracao
