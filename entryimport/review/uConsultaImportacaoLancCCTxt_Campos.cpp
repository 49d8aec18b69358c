// The entry reviews' fields containers: the columns of the entry grid and of the participants, which
// of them the user types into, and the editing rules each cell edit goes through.
#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/duplicatas_revisao.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/fields_container.h"

namespace integracao {

using namespace vyn;

namespace {

struct TItem {
  const char* Campo;
  const char* Titulo;
  TTipoEditorCampo Editor;
  bool SomenteLeitura;   // a column of the review's own: the key, the company, the link mark
  int TipoPesquisa = 0;  // the code editor's search kind
};

using E = TTipoEditorCampo;

// The entry grid's columns, in the order the user sees them (the staged review adds its own). The
// marks change by a click or a key; the key, the company and the link are never typed: a typed key
// loses the line's cost-centre split, a typed company posts into another company under this one's
// key, a ticked link leaves the line out of the balance check. A probable duplicate's mark is the
// books' word, and its tick changes by a click only.
const TItem kItensLancamentos[] = {
    {"BDVINC_BAIXA", "", E::Nenhum, true},          {"bdCHAVE", "Sequencia", E::Inteiro, true},
    {"bdDATA", "Data", E::Data, false},             {"bdCONTABILIZACAO", "Contabilização", E::Combo, false},
    {"bdCONCD", "Conciliação Débito", E::Nenhum, false}, {"bdDEBITO", "Débito", E::Codigo, false},
    {"bdCODTERCEIROD", "Participante débito", E::Codigo, false}, {"bdCONCC", "Conciliação crédito", E::Nenhum, false},
    {"bdCREDITO", "Crédito", E::Codigo, false},     {"bdCODTERCEIROC", "Participante crédito", E::Codigo, false},
    {"BDVALOR", "Valor", E::Numerico, false},       {"bdCODTPHI", "Histórico", E::Codigo, false},
    {"bdLOTE", "Lote", E::Inteiro, false},          {"bdDCTO", "Documento", E::Texto, false},
    {"bdCOMPL", "Complemento", E::Texto, false},    {"BDDESCRICAO", "Nota explicativa", E::Texto, false},
    {"bdCODEMP", "Empresa", E::Inteiro, true},      {"BDNOMEMP", "Nome", E::Texto, true},
    {kCampoLancarDuplicata, "Lançar assim mesmo", E::Nenhum, true}, {kCampoDuplicata, "Provável duplicata", E::Texto, true}};

// A participant the file declares, as the registry will receive it; its code is the one the
// entries name, so it is never typed.
const TItem kItensParticipantes[] = {
    {"BDCODTER", "Sequência", E::Inteiro, true},          {"BDAPELIDOTER", "Apelido", E::Texto, false},
    {"BDNOMETER", "Nome", E::Texto, false},               {"BDCGCTER", "CNPJ/CPF/CIE", E::Texto, false},
    {"BDLOGRTER", "Logradouro", E::Texto, false},         {"BDENDTER", "Endereço", E::Texto, false},
    {"BDNUMTER", "Número", E::Texto, false},              {"BDCOMPTER", "Complemento", E::Texto, false},
    {"BDBAITER", "Bairro", E::Texto, false},              {"BDCEPTER", "CEP", E::Texto, false},
    {"BDCODCID", "Cidade", E::Codigo, false, tcCidades},  {"BDIETER", "Inscrição estadual", E::Texto, false},
    {"BDIMTER", "Inscrição municipal", E::Texto, false},  {"BDINSCSUFRAMATER", "Inscrição Suframa", E::Texto, false},
    {"BDDDDTER", "DDD", E::Texto, false},                 {"BDFONETER", "Telefone", E::Texto, false},
    {"BDDDDFAXTER", "DDD", E::Texto, false},              {"BDFAXTER", "FAX", E::Texto, false},
    {"BDDATACADTER", "Data de cadastro", E::Data, false}, {"BDEMAILTER", "e-mail", E::Texto, false},
    {"BDCODPAIS", "País", E::Codigo, false, tcPaises}};

void Acrescenta(TFieldsContainer& fc, const TItem& i) {
  TFieldsContainerItem& item = fc.Add(i.Campo, i.Titulo, i.Editor, i.TipoPesquisa);
  item.ReadOnly = i.SomenteLeitura;
}

}  // namespace

void TfrConsultaImportacaoLancCCTxt::CriaFieldsContainers() {
  if (fcLancamentos) return;
  fcLancamentos = Create<TFieldsContainer>();
  fcLancamentos->SetName("fcLancamentos");
  fieldsContainerParticipantes = Create<TFieldsContainer>();
  fieldsContainerParticipantes->SetName("fieldsContainerParticipantes");
  for (const TItem& i : kItensParticipantes) Acrescenta(*fieldsContainerParticipantes, i);
  fieldsContainerParticipantes->OnAfterEditField = [this](TFieldsContainer&, TClientDataSet& ds, TControl*,
                                                          const TFieldsContainerItem& item) {
    fieldsContainerParticipantesAfterEditField(ds, item.FieldName);
  };
  fcLancamentos->OnBeforeEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor,
                                            const TFieldsContainerItem& item, bool& accept) {
    std::string texto;
    std::vector<std::string> opcoes;
    fcLancamentosBeforeEditField(item.FieldName, dynamic_cast<TEdit_Codigo_Search_VYN*>(editor), &texto, &opcoes,
                                 accept);
    if (auto* combo = dynamic_cast<TComboBox_Padrao_VYN*>(editor); combo && !opcoes.empty()) combo->Items = opcoes;
    // An amount is positive: its side says which way it goes, and the import would refuse it anyway.
    if (auto* numero = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor); numero && SameText(item.FieldName, "BDVALOR"))
      numero->AceitaNegativo = false;
  };
  fcLancamentos->OnValidaCampo = [this](const TFieldsContainerItem& item, TControl*, const std::string& texto) {
    if (!SameText(item.FieldName, "BDDESCRICAO")) return true;
    bool rejeita = false;
    ValidarDescricao(texto, rejeita);
    return !rejeita;
  };
  fcLancamentos->OnSalvaCampo = [this](const TFieldsContainerItem& item, TControl*, const std::string& texto) {
    return SalvaCelula(item.FieldName, texto);
  };
  fcLancamentos->OnAfterEditField = [this](TFieldsContainer&, TClientDataSet&, TControl* editor,
                                           const TFieldsContainerItem& item) {
    const auto* texto = dynamic_cast<TCustomEdit*>(editor);
    fcLancamentosAfterEditField(item.FieldName, texto ? texto->Text() : std::string());
  };
}

void TfrConsultaImportacaoLancCCTxt::MontaColunasLancamentos() {
  if (!fcLancamentos) CriaFieldsContainers();
  if (fcLancamentos->Items().empty()) {
    for (const TItem& i : kItensLancamentos) {
      Acrescenta(*fcLancamentos, i);
      // The staged review's grouped installment settlement is chosen right after the link image.
      if (FArquivoGrande && SameText(i.Campo, "BDVINC_BAIXA"))
        fcLancamentos->Add("BDVINC_BAIXA_MULT", "Baixar parcelamento", E::Nenhum);
    }
    if (FArquivoGrande) fcLancamentos->Add("BDDATAEXTEMPORANEO", "Data Extemporâneo", E::Data);
  }
  // The explanatory note belongs to a file that gave one data set only.
  fcLancamentos->SetVisible("BDDESCRICAO", Nodos().size() == 1);
  fcLancamentos->SetGridSearch(grGrid);
}

// A participant of a staged level lives in its session's work table, as every staged edit does: the
// cell goes there at once. A level held in memory keeps the edit in its row until the import.
void TfrConsultaImportacaoLancCCTxt::fieldsContainerParticipantesAfterEditField(TClientDataSet& ds,
                                                                               const std::string& campo) {
  auto* dao = dynamic_cast<TDAOFactory*>(&ds);
  if (!dao || !ModoArquivoGrande(dao) || dao->IsEmpty()) return;
  CheckSQLIdentifier<EDataSetError>(campo, "Nome de coluna inválido: ");
  dao->Database().Execute("update " + TabelaTrabalho(*dao) + " set " + campo + " = ? where BDSESSAO = ? and BDCODTER = ?",
                          {ds.FieldByName(campo).Value(), dao->Sessao(), ds.FieldByName("BDCODTER").Value()});
}

void TfrConsultaImportacaoLancCCTxt::MontaColunasParticipantes() {
  if (!fieldsContainerParticipantes) CriaFieldsContainers();
  fieldsContainerParticipantes->SetGridSearch(grGrid);
}

}  // namespace integracao
