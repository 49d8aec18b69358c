#include "framework/standins/lancamentos.h"

#include <algorithm>

#include "framework/accounting/dados_lancamento.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_numeric.h"

namespace vyn {

namespace {

// A code of 0 is no code.
Variant CodigoOuNulo(const TEdit_Numerico_Padrao_VYN& ed) {
  const int64_t v = ed.ValorInteger();
  return v ? Variant(v) : Variant();
}
std::string Texto(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsString() : std::string();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Multiple-entry editor

TfrImportacaoOFCMultiLancamento::TfrImportacaoOFCMultiLancamento(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrImportacaoOFCMultiLancamento", "Lançamentos múltiplos"),
      edDebito(Controle<TEdit_Numerico_Padrao_VYN>("edDebito", 0)),
      edCredito(Controle<TEdit_Numerico_Padrao_VYN>("edCredito", 0)),
      edValor(Controle<TEdit_Numerico_Padrao_VYN>("edValor", 2)),
      edCODTPHI(Controle<TEdit_Numerico_Padrao_VYN>("edCODTPHI", 0)),
      edCentroCustoDebito(Controle<TEdit_Numerico_Padrao_VYN>("edCentroCustoDebito", 0)),
      edCentroCustoCredito(Controle<TEdit_Numerico_Padrao_VYN>("edCentroCustoCredito", 0)),
      edComplemento(Controle<TEdit_String_Padrao>("edComplemento")),
      spIncluir(Controle<TSpeedButton>("spIncluir")) {
  spIncluir->OnClick = [this](TComponent*) { Inclui(); };
}

void TfrImportacaoOFCMultiLancamento::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  FDados = lista.GetObject<TDadosLancamento>(pmlDados);
  FCodEmp = lista.Get<TEdit_Codigo_Search_VYN>(pmlEmpresa);
  FLinhas = lista.Get<TLancamentoMGR>(pmlLinhas);
  if (!FDados) return;
  edCODTPHI->SetValue(Currency::FromInt(FDados->Historico));
  edComplemento->SetText(FDados->Complemento);
}

int64_t TfrImportacaoOFCMultiLancamento::ProximaChaveLanc(TClientDataSet& multi) const {
  int64_t maior = 0;
  for (multi.First(); !multi.Eof(); multi.Next())
    if (multi.FieldByName("BDCHAVE").AsInteger() == FDados->Chave)
      maior = std::max(maior, multi.FieldByName("BDCHAVELANC").AsInteger());
  return maior + 1;
}

void TfrImportacaoOFCMultiLancamento::Inclui() {
  if (!FDados || !FLinhas) return;
  if (edValor->Value() <= Currency() || (edDebito->ValorInteger() == 0 && edCredito->ValorInteger() == 0)) {
    DlgWarOk("Informe a conta e o valor do lançamento.");
    return;
  }
  TClientDataSet& multi = *FLinhas->getMultiLancamentosDAO();
  const int64_t empresa = FCodEmp && FCodEmp->Codigo() ? FCodEmp->Codigo()
                          : FLinhas->IsEmpty()          ? 0
                                                        : FLinhas->FieldByName("BDCODEMP").AsInteger();
  const int64_t chaveLanc = ProximaChaveLanc(multi);
  AcrescentaLinha(multi, [&] {
    multi.FieldByName("BDCODEMP").SetValue(Variant(empresa));
    multi.FieldByName("BDCHAVE").SetValue(Variant(FDados->Chave));
    multi.FieldByName("BDCHAVELANC").SetValue(Variant(chaveLanc));
    if (FDados->Data.Value != 0) multi.FieldByName("BDDATA").SetAsDateTime(FDados->Data);
    multi.FieldByName("BDDEBITO").SetValue(CodigoOuNulo(*edDebito));
    multi.FieldByName("BDCREDITO").SetValue(CodigoOuNulo(*edCredito));
    multi.FieldByName("BDVALOR").SetAsCurrency(edValor->Value());
    multi.FieldByName("BDCODTPHI").SetValue(CodigoOuNulo(*edCODTPHI));
    multi.FieldByName("BDCOMPL").SetAsString(edComplemento->Text());
    multi.FieldByName("BDDCTO").SetAsString(FDados->Documento);
    if (const std::string lote = OnlyDigits(FDados->Lote); !lote.empty() && lote.size() < 10)
      multi.FieldByName("BDLOTE").SetAsInteger(std::stoll(lote));
    multi.FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
  });
  IncluiCentroCusto(0, empresa, chaveLanc);
  IncluiCentroCusto(1, empresa, chaveLanc);
  for (TEdit_Numerico_Padrao_VYN* e : {edDebito, edCredito, edValor, edCentroCustoDebito, edCentroCustoCredito}) e->Clear();
}

void TfrImportacaoOFCMultiLancamento::IncluiCentroCusto(int lado, int64_t empresa, int64_t chaveLanc) {
  const int64_t centro = (lado == 0 ? edCentroCustoDebito : edCentroCustoCredito)->ValorInteger();
  // A cost centre belongs to an account: a side the split row does not book takes none.
  if (centro <= 0 || (lado == 0 ? edDebito : edCredito)->ValorInteger() <= 0) return;
  TClientDataSet& cc = *FLinhas->getMultiLancamentosCCDAO(lado);
  AcrescentaLinha(cc, [&] {
    cc.FieldByName("BDCODEMP").SetValue(Variant(empresa));
    cc.FieldByName("BDCHAVE").SetValue(Variant(FDados->Chave));
    cc.FieldByName("BDCHAVELANC").SetValue(Variant(chaveLanc));
    cc.FieldByName("BDORDEM").SetAsInteger(1);
    cc.FieldByName("BDCODCENTRO").SetValue(Variant(centro));
    cc.FieldByName("BDDEBCRE").SetAsInteger(lado);
    cc.FieldByName("BDVALOR").SetAsCurrency(edValor->Value());
  });
}

// ---------------------------------------------------------------------------------------------------
// Entry screen

TfrLancamento::TfrLancamento(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrLancamento", "Lançamento"),
      edCODEMP(Controle<TEdit_String_Padrao>("edCODEMP")),
      edCHAVE(Controle<TEdit_String_Padrao>("edCHAVE")),
      edDATA(Controle<TEdit_String_Padrao>("edDATA")),
      edDEBITO(Controle<TEdit_String_Padrao>("edDEBITO")),
      edCREDITO(Controle<TEdit_String_Padrao>("edCREDITO")),
      edVALOR(Controle<TEdit_String_Padrao>("edVALOR")),
      edCOMPL(Controle<TEdit_String_Padrao>("edCOMPL")) {
  for (TEdit_String_Padrao* e : {edCODEMP, edCHAVE, edDATA, edDEBITO, edCREDITO, edVALOR, edCOMPL}) e->SetReadOnly(true);
}

void TfrLancamento::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  TClientDataSet* l = lista.Count() > 0 ? lista.Get<TClientDataSet>(0) : nullptr;
  if (!l || l->IsEmpty()) return;
  const std::pair<TEdit_String_Padrao*, const char*> campos[] = {
      {edCODEMP, "BDCODEMP"}, {edCHAVE, "BDCHAVE"},   {edDATA, "BDDATA"}, {edDEBITO, "BDDEBITO"},
      {edCREDITO, "BDCREDITO"}, {edVALOR, "BDVALOR"}, {edCOMPL, "BDCOMPL"}};
  for (const auto& [ed, campo] : campos) ed->SetText(Texto(*l, campo));
}

// ---------------------------------------------------------------------------------------------------
// Y570 data

TfrLancamentoY570Integracao::TfrLancamentoY570Integracao(TComponent* owner)
    : TfrTelaSubstituta(owner, "tfrLancamentoY570Integracao", "Registro Y570"),
      edCNPJFonte(Controle<TEdit_String_Padrao>("edCNPJFonte")),
      edCodReceita(Controle<TEdit_String_Padrao>("edCodReceita")),
      edValorBruto(Controle<TEdit_Numerico_Padrao_VYN>("edValorBruto", 2)),
      edIRRF(Controle<TEdit_Numerico_Padrao_VYN>("edIRRF", 2)),
      edCSLL(Controle<TEdit_Numerico_Padrao_VYN>("edCSLL", 2)) {}

void TfrLancamentoY570Integracao::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  FY570 = lista.Count() > 0 ? lista.Get<TVZEL_EMPRESAS_TLAN_Y570MGR>(0) : nullptr;
  if (FY570) edValorBruto->SetValue(FY570->Parametros.Valor);
}

bool TfrLancamentoY570Integracao::ExecutarProcesso() {
  if (!FY570 || FY570->Parametros.Chave == 0) {
    DlgWarOk("Nenhum lançamento informado.");
    return false;
  }
  if (OnlyDigits(edCNPJFonte->Text()).size() != 14) {
    DlgWarOk("Informe o CNPJ da fonte pagadora.");
    return false;
  }
  return true;
}

void TfrLancamentoY570Integracao::ProcessoConfirma() {
  const TParametrosY570& p = FY570->Parametros;
  const std::string cnpj = OnlyDigits(edCNPJFonte->Text());
  const std::string receita = Trim(edCodReceita->Text());
  // A paying source and revenue code appear once in an entry's Y570 data: confirming them again
  // corrects that record instead of adding a second one (the tax withheld would count twice).
  int64_t seq = 1;
  int64_t mesma = 0;
  auto considera = [&](int64_t s, const std::string& c, const std::string& r) {
    seq = std::max<int64_t>(seq, s + 1);
    if (c == cnpj && Trim(r) == receita) mesma = s;
  };
  if (FY570->Active()) {
    // The caller's rows are the entry's (a review's may not be in the table yet).
    TClientDataSet linhas;
    linhas.CloneCursor(*FY570, true);
    for (linhas.First(); !linhas.Eof(); linhas.Next())
      if (linhas.FieldByName("BDCODEMP").AsInteger() == p.Empresa && linhas.FieldByName("BDCHAVE").AsInteger() == p.Chave)
        considera(linhas.FieldByName("BDSEQ").AsInteger(), linhas.FieldByName("BDCNPJFONTE").AsString(),
                  linhas.FieldByName("BDCODRECEITA").AsString());
  } else {
    const TQueryResult r = Banco().QueryAll(
        "select BDSEQ, BDCNPJFONTE, BDCODRECEITA from VZEL_EMPRESAS_TLAN_Y570 where BDCODEMP = ? and BDCHAVE = ?",
        {Variant(p.Empresa), Variant(p.Chave)});
    for (size_t i = 0; i < r.Rows.size(); ++i)
      considera(r.Value(i, "BDSEQ").AsInteger(), r.Value(i, "BDCNPJFONTE").AsString(),
                r.Value(i, "BDCODRECEITA").IsNull() ? std::string() : r.Value(i, "BDCODRECEITA").AsString());
  }
  if (mesma > 0) seq = mesma;
  const TParams valores = {Variant(p.Empresa), Variant(p.Chave), Variant(seq), Variant(cnpj), Variant(receita),
                           Variant(edValorBruto->Value()), Variant(edIRRF->Value()), Variant(edCSLL->Value())};
  if (!FY570->Active()) {
    Banco().Execute("update or insert into VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ, BDCNPJFONTE, "
                    "BDCODRECEITA, BDVALORBRUTO, BDIRRF, BDCSLL) values (?, ?, ?, ?, ?, ?, ?, ?)",
                    valores);
    return;
  }
  // Through the manager: the row is written to its table and the review's copy of it sees it.
  const char* colunas[] = {"BDCODEMP", "BDCHAVE", "BDSEQ", "BDCNPJFONTE", "BDCODRECEITA", "BDVALORBRUTO", "BDIRRF", "BDCSLL"};
  auto preenche = [&] {
    for (size_t i = 0; i < valores.size(); ++i) FY570->FieldByName(colunas[i]).SetValue(valores[i]);
  };
  if (mesma > 0 && FY570->Locate("BDCODEMP;BDCHAVE;BDSEQ", {Variant(p.Empresa), Variant(p.Chave), Variant(mesma)})) {
    FY570->Edit();
    preenche();
    FY570->Post();
    return;
  }
  AcrescentaLinha(*FY570, preenche);
}

// ---------------------------------------------------------------------------------------------------
// Companies that receive copied rules

TfrEmpresasPreparacaoExtratoBancario::TfrEmpresasPreparacaoExtratoBancario(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrEmpresasPreparacaoExtratoBancario", "Empresas"),
      clEmpresas(Controle<TCheckListBox>("clEmpresas")) {}

void TfrEmpresasPreparacaoExtratoBancario::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  auto* edit = lista.Count() > pepEmpresa ? lista.Get<TEdit_Codigo_Search_VYN>(pepEmpresa) : nullptr;
  FEmpresas = lista.Count() > pepEmpresas ? lista.GetObject<std::vector<std::string>>(pepEmpresas) : nullptr;
  const std::string propria = edit && edit->Codigo() ? std::to_string(edit->Codigo()) : std::string();
  const TQueryResult r = Banco().QueryAll("select BDCODEMP from TEMPRESAS order by BDCODEMP");
  for (const auto& linha : r.Rows) {
    const std::string codigo = std::to_string(linha[0].AsInteger());
    const bool marcada = codigo == propria ||
                         (FEmpresas && std::find(FEmpresas->begin(), FEmpresas->end(), codigo) != FEmpresas->end());
    clEmpresas->Add(codigo, marcada);
  }
}

void TfrEmpresasPreparacaoExtratoBancario::ProcessoConfirma() {
  if (!FEmpresas) return;
  FEmpresas->clear();
  for (const auto& item : clEmpresas->Items)
    if (item.Checked) FEmpresas->push_back(item.Text);
}

// ---------------------------------------------------------------------------------------------------
// Preparation rules

TfrPreparacaoExtratoBancario::TfrPreparacaoExtratoBancario(TComponent* owner, std::string classe, int tipoConta)
    : TfrTelaSubstituta(owner, std::move(classe), "Preparação"),
      edCODTPLA(Controle<TEdit_Numerico_Padrao_VYN>("edCODTPLA", 0)),
      edContraPartida(Controle<TEdit_Numerico_Padrao_VYN>("edContraPartida", 0)),
      edCODTER(Controle<TEdit_Numerico_Padrao_VYN>("edCODTER", 0)),
      edCODTPHI(Controle<TEdit_Numerico_Padrao_VYN>("edCODTPHI", 0)),
      edCOMPL(Controle<TEdit_String_Padrao>("edCOMPL")),
      edCOMPLPARA(Controle<TEdit_String_Padrao>("edCOMPLPARA")),
      ckCoincide(Controle<TCheckBox>("ckCoincide")),
      FTipoConta(tipoConta) {}

void TfrPreparacaoExtratoBancario::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  auto* edit = lista.Count() > 0 ? lista.Get<TEdit_Codigo_Search_VYN>(0) : nullptr;
  FCodEmp = edit ? edit->Codigo() : 0;
}

bool TfrPreparacaoExtratoBancario::ExecutarProcesso() {
  if (FCodEmp == 0 || Trim(edCOMPL->Text()).empty() || edContraPartida->ValorInteger() == 0) {
    DlgWarOk("Informe a empresa, o texto do banco e a contrapartida.");
    return false;
  }
  return true;
}

void TfrPreparacaoExtratoBancario::ProcessoConfirma() {
  const Variant chave = Banco().QueryValue("select gen_id(GEN_VZEL_EMP_TPRE_EXT_BANCARIO, 1) from RDB$DATABASE");
  Banco().Execute(
      "insert into VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE, BDCODTPLA, BDCOMPL, BDCOINCIDE, BDALTCOMPL, "
      "BDCOMPLPARA, BDCONTRAPARTIDA, BDCODTER, BDCODTPHI, BDTIPOCONTA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {Variant(FCodEmp), chave, CodigoOuNulo(*edCODTPLA), Variant(Trim(edCOMPL->Text())),
       Variant(TBoolean_VYN::BoolToStrBD(ckCoincide->Checked())),
       Variant(TBoolean_VYN::BoolToStrBD(!Trim(edCOMPLPARA->Text()).empty())), Variant(Trim(edCOMPLPARA->Text())),
       CodigoOuNulo(*edContraPartida), CodigoOuNulo(*edCODTER), CodigoOuNulo(*edCODTPHI), Variant(FTipoConta)});
}

// ---------------------------------------------------------------------------------------------------
// The user's PDF folder

TfrCadastroDYQUsuarioDiretorio::TfrCadastroDYQUsuarioDiretorio(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrCadastroDYQUsuarioDiretorio", "Pasta dos PDFs do DYQ"),
      edDiretorio(Controle<TEdit_String_Padrao>("edDiretorio")),
      edSubPastas(Controle<TEdit_Numerico_Padrao_VYN>("edSubPastas", 0)) {}

void TfrCadastroDYQUsuarioDiretorio::FormShow() {
  TfrTelaSubstituta::FormShow();
  const TQueryResult r = Banco().QueryAll(
      "select BDDIRETORIO, BDSUBPASTAS from VZEL_USU_DYQ_DIRETORIO where BDCODUSU = ?", {Variant(ProcessContext().UserCode)});
  if (r.Rows.empty()) return;
  edDiretorio->SetText(r.Rows[0][0].IsNull() ? std::string() : r.Rows[0][0].AsString());
  edSubPastas->SetValue(Currency::FromInt(r.Rows[0][1].IsNull() ? 0 : r.Rows[0][1].AsInteger()));
}

void TfrCadastroDYQUsuarioDiretorio::ProcessoConfirma() {
  Banco().Execute(
      "update or insert into VZEL_USU_DYQ_DIRETORIO (BDCODUSU, BDDIRETORIO, BDSUBPASTAS) values (?, ?, ?) "
      "matching (BDCODUSU)",
      {Variant(ProcessContext().UserCode), Variant(Trim(edDiretorio->Text())), Variant(edSubPastas->ValorInteger())});
}

}  // namespace vyn
