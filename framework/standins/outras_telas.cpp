#include "framework/standins/outras_telas.h"

#include <filesystem>
#include <fstream>

#include <fmt/format.h>

#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/accounting/exportacao_ecf_db_mgr.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/dados_adicionais.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"

namespace vyn {

// ---------------------------------------------------------------------------------------------------
// Currency values

TfrCadMoedasPlanoMoedas::TfrCadMoedasPlanoMoedas(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrCadMoedasPlanoMoedas", "Cadastro de valores das moedas"),
      edCODMOE(Controle<TEdit_Numerico_Padrao_VYN>("edCODMOE", 0)),
      edData(Controle<TEdit_Date_Padrao_VYN>("edData")),
      edValor(Controle<TEdit_Numerico_Padrao_VYN>("edValor", 4)) {}

void TfrCadMoedasPlanoMoedas::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  if (auto* moeda = lista.Count() > 0 ? lista.Get<TEdit_Codigo_Search_VYN>(0) : nullptr; moeda && moeda->Codigo())
    edCODMOE->SetValue(Currency::FromInt(moeda->Codigo()));
}

bool TfrCadMoedasPlanoMoedas::ExecutarProcesso() {
  if (edCODMOE->ValorInteger() > 0 && !edData->IsEmpty() && edValor->Value() > Currency()) return true;
  DlgWarOk("Informe a moeda, a data e o valor.");
  return false;
}

void TfrCadMoedasPlanoMoedas::ProcessoConfirma() {
  Banco().Execute("update or insert into MOEDAS_TMOE (BDCODMOEDAS, BDDATA, BDVALOR) values (?, ?, ?) "
                  "matching (BDCODMOEDAS, BDDATA)",
                  {Variant(edCODMOE->ValorInteger()), Variant(edData->GetData()), Variant(edValor->Value())});
}

// ---------------------------------------------------------------------------------------------------
// Exchange-variance preparation

TfrPreparacaoVariacaoCambial::TfrPreparacaoVariacaoCambial(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrPreparacaoVariacaoCambial", "Preparação variação cambial"),
      edCODEMP(Controle<TEdit_Numerico_Padrao_VYN>("edCODEMP", 0)),
      edCODMOE(Controle<TEdit_Numerico_Padrao_VYN>("edCODMOE", 0)),
      edContaAtiva(Controle<TEdit_Numerico_Padrao_VYN>("edContaAtiva", 0)),
      edContaPassiva(Controle<TEdit_Numerico_Padrao_VYN>("edContaPassiva", 0)),
      edCODHIST(Controle<TEdit_Numerico_Padrao_VYN>("edCODHIST", 0)),
      edCODTPHI(Controle<TEdit_Numerico_Padrao_VYN>("edCODTPHI", 0)) {}

bool TfrPreparacaoVariacaoCambial::ExecutarProcesso() {
  for (auto* e : {edCODEMP, edCODMOE, edContaAtiva, edContaPassiva})
    if (e->ValorInteger() <= 0) {
      DlgWarOk("Informe a empresa, a moeda e as contas de variação ativa e passiva.");
      return false;
    }
  return true;
}

void TfrPreparacaoVariacaoCambial::ProcessoConfirma() {
  auto codigo = [](const TEdit_Numerico_Padrao_VYN* e) {
    return e->ValorInteger() ? Variant(e->ValorInteger()) : Variant();
  };
  Banco().Execute(
      "update or insert into VZEL_EMP_TPREPVARCAMBIAL (BDCODEMP, BDCODMOE, BDCONTAVARATIVA, BDCONTAVARPASSIVA, "
      "BDCODHIST, BDCODTPHI) values (?, ?, ?, ?, ?, ?) matching (BDCODEMP, BDCODMOE)",
      {codigo(edCODEMP), codigo(edCODMOE), codigo(edContaAtiva), codigo(edContaPassiva), codigo(edCODHIST),
       codigo(edCODTPHI)});
}

// ---------------------------------------------------------------------------------------------------
// Mapping plans

TfrCadPlanosTrocaContabilizacao::TfrCadPlanosTrocaContabilizacao(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrCadPlanosTrocaContabilizacao", "Planos de troca de contabilização"),
      edCODINT(Controle<TEdit_Numerico_Padrao_VYN>("edCODINT", 0)),
      edPlanoDe(Controle<TEdit_Numerico_Padrao_VYN>("edPlanoDe", 0)),
      edPlanoPara(Controle<TEdit_Numerico_Padrao_VYN>("edPlanoPara", 0)),
      edContaDe(Controle<TEdit_Numerico_Padrao_VYN>("edContaDe", 0)),
      edContaPara(Controle<TEdit_Numerico_Padrao_VYN>("edContaPara", 0)),
      edDescricao(Controle<TEdit_String_Padrao>("edDescricao")) {}

bool TfrCadPlanosTrocaContabilizacao::ExecutarProcesso() {
  if (edPlanoDe->ValorInteger() > 0 && edPlanoPara->ValorInteger() > 0 && !Trim(edDescricao->Text()).empty()) return true;
  DlgWarOk("Informe a descrição e os planos de contabilização de origem e de destino.");
  return false;
}

void TfrCadPlanosTrocaContabilizacao::ProcessoConfirma() {
  int64_t codigo = edCODINT->ValorInteger();
  if (codigo <= 0) {
    const Variant maior = Banco().QueryValue("select max(BDCODINT) from VINT_BASE_TINTONLINE");
    codigo = maior.IsNull() ? 1 : maior.AsInteger() + 1;
    edCODINT->SetValue(Currency::FromInt(codigo));
  }
  Banco().Execute(
      "update or insert into VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) "
      "values (?, ?, ?, ?) matching (BDCODINT)",
      {Variant(codigo), Variant(Trim(edDescricao->Text())), Variant(edPlanoDe->ValorInteger()),
       Variant(edPlanoPara->ValorInteger())});
  if (edContaDe->ValorInteger() > 0 && edContaPara->ValorInteger() > 0)
    Banco().Execute("update or insert into VINT_BASE_TINTONLINE_CONTA (BDCODINT, BDCODTPLADE, BDCODTPLAPARA) "
                    "values (?, ?, ?) matching (BDCODINT, BDCODTPLADE)",
                    {Variant(codigo), Variant(edContaDe->ValorInteger()), Variant(edContaPara->ValorInteger())});
}

// ---------------------------------------------------------------------------------------------------
// Accounts of the previous chart (ECF)

TfrPreparacaoECFMultiContador::TfrPreparacaoECFMultiContador(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrPreparacaoECFMultiContador", "Contas movimentadas do plano de contas anterior"),
      edCodigoBens(Controle<TEdit_Numerico_Padrao_VYN>("edCodigoBens", 0)),
      edCodigoI157(Controle<TEdit_Numerico_Padrao_VYN>("edCodigoI157", 0)),
      edNomeBens(Controle<TEdit_String_Padrao>("edNomeBens")),
      edArquivoBens(Controle<TEdit_String_Padrao>("edArquivoBens")) {}

void TfrPreparacaoECFMultiContador::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  if (lista.Count() <= pmcCodigoI157) return;
  FCodigoBens = lista.Get<TInteger_VYN>(pmcCodigoBens);
  FNomeBens = lista.Get<TString_VYN>(pmcNomeBens);
  FArquivoBens = lista.Get<TString_VYN>(pmcArquivoBens);
  FCodigoI157 = lista.Get<TInteger_VYN>(pmcCodigoI157);
  if (FCodigoBens) edCodigoBens->SetValue(Currency::FromInt(FCodigoBens->Value()));
  if (FNomeBens) edNomeBens->SetText(FNomeBens->Value());
  if (FArquivoBens) edArquivoBens->SetText(FArquivoBens->Value());
  if (FCodigoI157) edCodigoI157->SetValue(Currency::FromInt(FCodigoI157->Value()));
}

void TfrPreparacaoECFMultiContador::ProcessoConfirma() {
  if (FCodigoBens) FCodigoBens->SetValue(static_cast<int>(edCodigoBens->ValorInteger()));
  if (FNomeBens) FNomeBens->SetValue(edNomeBens->Text());
  if (FArquivoBens) FArquivoBens->SetValue(edArquivoBens->Text());
  if (FCodigoI157) FCodigoI157->SetValue(static_cast<int>(edCodigoI157->ValorInteger()));
}

// ---------------------------------------------------------------------------------------------------
// Consultation of saved exports

TfrConsultaExportacaoECD::TfrConsultaExportacaoECD(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrConsultaExportacaoECD", "Consulta de exportações realizadas"),
      edSequencia(Controle<TEdit_String_Padrao>("edSequencia")) {}

void TfrConsultaExportacaoECD::SetListaObj(const TListaObj& lista) {
  TfrTelaSubstituta::SetListaObj(lista);
  FDados = lista.Count() > 0 ? lista.Get<TDadosAdicionais>(0) : nullptr;
  if (FDados) SetCaption(FDados->Titulo);
}

bool TfrConsultaExportacaoECD::ExecutarProcesso() {
  if (!FDados || !Owner()) return true;
  const std::string texto = OnlyDigits(edSequencia->Text());
  const int sequencia = texto.empty() || texto.size() > 9 ? -1 : std::stoi(texto);
  if (FDados->Load(*Owner(), FDados->Empresa, sequencia)) return true;
  DlgWarOk("Nenhuma exportação salva foi encontrada.");
  return false;
}

// ---------------------------------------------------------------------------------------------------
// SPED exports for the validator

TfrExportacaoSpedSubstituta::TfrExportacaoSpedSubstituta(TComponent* owner, std::string classe, std::string prefixo)
    : TfrIntegracao_Empresa_Padrao_VYN(owner), classe_(std::move(classe)), prefixo_(std::move(prefixo)) {}

bool TfrExportacaoSpedSubstituta::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, classe_) || TfrIntegracao_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

std::string TfrExportacaoSpedSubstituta::ExportaToValidador(int codEmp, TDateTime dataIni, TDateTime dataFim,
                                                            const std::string& pasta) {
  const TQueryResult r = BancoDaSessao().QueryAll(
      "select first 1 BDNOMEMP from TEMPRESAS_REF where BDCODEMP = ? order by BDREFEMP desc", {Variant(codEmp)});
  if (r.Rows.empty()) {
    if (Inconsistencias_VYN) Inconsistencias_VYN->Add_Erro(codEmp, fmt::format("Empresa {} não cadastrada.", codEmp));
    return {};
  }
  auto data = [](TDateTime d) { return OnlyDigits(DateToStr(d)); };
  const std::filesystem::path arquivo =
      std::filesystem::path(pasta) / fmt::format("{}_{}_{}_{}.txt", prefixo_, codEmp, data(dataIni), data(dataFim));
  std::ofstream saida(arquivo, std::ios::binary);
  saida << "|0000|" << data(dataIni) << "|" << data(dataFim) << "|" << r.Rows[0][0].AsString() << "|\r\n"
        << "|9999|2|\r\n";
  saida.close();
  if (!saida) {
    if (Inconsistencias_VYN) Inconsistencias_VYN->Add_Erro(codEmp, "Não foi possível gravar " + arquivo.string());
    return {};
  }
  return arquivo.string();
}

TfrProcessoAuditoriaContabil::TfrProcessoAuditoriaContabil(TComponent* owner)
    : TfrTelaSubstituta(owner, "TfrProcessoAuditoriaContabil", "Auditoria contábil"),
      spExportacaoECF(Controle<TSpeedButton>("spExportacaoECF")),
      lbParametrosECF(Controle<TLabel>("lbParametrosECF")) {
  spExportacaoECF->SetCaption("Exportação ECF");
  spExportacaoECF->OnClick = [this](TComponent*) { AbreExportacaoECF(); };
}

void TfrProcessoAuditoriaContabil::AbreExportacaoECF() {
  if (ecf_) FreeComponent(ecf_);
  ecf_ = TPackagesUtil::CarregaForm(this, "TfrExportacaoECF");
  if (!ecf_) return;
  for (TComponent* c : ecf_->Components())
    if (auto* dados = dynamic_cast<TDadosTelaAuxiliarAuditoria*>(c)) dados->Auditoria = true;
  lbParametrosECF->SetCaption("");
  SetEnabled(false);
}

void TfrProcessoAuditoriaContabil::SetEnabled(bool e) {
  TfrTelaSubstituta::SetEnabled(e);
  if (!e || !ecf_ || !ecf_->ListaObj()) return;
  const TListaObj& lista = *ecf_->ListaObj();
  auto* dados = lista.Count() > 0 ? lista.Get<TDadosTelaExportacaoECF>(0) : nullptr;
  if (!dados) return;
  const TParametrosTela& p = dados->ParametrosTela;
  lbParametrosECF->SetCaption(fmt::format("{} a {}, tributação {}", DateToStr(p.DataIni), DateToStr(p.DataFim),
                                          p.Tributacao));
}

}  // namespace vyn
