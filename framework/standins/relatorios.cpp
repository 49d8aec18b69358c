#include "framework/standins/relatorios.h"

#include <algorithm>

#include <fmt/format.h>

#include "framework/component/lista_obj.h"
#include "framework/component/string_list.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/control.h"
#include "framework/ui/screen_user_config.h"

namespace vyn {


TfrRelatorioSubstituto::TfrRelatorioSubstituto(TComponent* owner, std::string classe, std::string titulo)
    : TfrRelatorio_Padrao_VYN(owner),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas))),
      edDataIni(Create<TEdit_Date_Padrao_VYN>()),
      edDataFim(Create<TEdit_Date_Padrao_VYN>()),
      FDados(Create<TDAOFactory>()),
      classe_(std::move(classe)),
      FToolBar(Create<TPanel>()),
      FConfiguracao(Create<TScreenUserConfig>(classe_)) {
  SetCaption(std::move(titulo));
  FToolBar->SetName("tbSequencia");
  edCODEMP->SetName("edCODEMP");
  edDataIni->SetName("edDataIni");
  edDataFim->SetName("edDataFim");
  frxDBDados = FDados;
}

bool TfrRelatorioSubstituto::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, classe_) || TfrRelatorio_Padrao_VYN::InheritsFrom(class_name);
}

TDadosAberturaTela TfrRelatorioSubstituto::getDadosSelecionarSequencia(unsigned) {
  TDadosAberturaTela d;
  d.ToolBar = FToolBar;
  d.Configuracao = FConfiguracao;
  return d;
}

void TfrRelatorioSubstituto::ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) {
  TRelatorioFR relatorio;
  CustomPrepareReport(nullptr, relatorio);
  finais.AddRelatorio(relatorio.Paginas, dados.NomeItem, {dados.DistincaoDeTipo, dados.DadosEmail, ""});
}

TDateTime TfrRelatorioSubstituto::Inicio() const {
  return edDataIni->IsEmpty() ? EncodeDate(1900, 1, 1) : edDataIni->GetData();
}

TDateTime TfrRelatorioSubstituto::Fim() const {
  return edDataFim->IsEmpty() ? EncodeDate(9999, 12, 31) : edDataFim->GetData();
}

TParams TfrRelatorioSubstituto::Parametros() const {
  return {Variant(static_cast<long long>(edCODEMP->Codigo())), Variant(Inicio()), Variant(Fim())};
}

TParams TfrRelatorioSubstituto::ParametrosPorMes() const {
  return {Variant(static_cast<long long>(edCODEMP->Codigo())), Variant(AnoMes(Inicio())), Variant(AnoMes(Fim()))};
}

void TfrRelatorioSubstituto::CustomPrepareReport(TComponent*, TRelatorioFR& report) {
  FDados->CommandText(Consulta(), ctOpen, Parametros());
  std::string pagina = Caption() + "\n";
  for (FDados->First(); !FDados->Eof(); FDados->Next()) {
    std::string linha;
    for (int i = 0; i < FDados->FieldCount(); ++i) linha += (i ? " | " : "") + FDados->Fields(i).AsString();
    pagina += linha + "\n";
  }
  report.Paginas = {pagina};
}

TfrRelatorioTotaisLancamentos::TfrRelatorioTotaisLancamentos(TComponent* owner)
    : TfrRelatorioSubstituto(owner, "TfrRelatorioTotaisLancamentos", "Totais de lançamentos"),
      cbPeriodo(Create<TComboBox_Padrao_VYN>()) {
  cbPeriodo->SetName("cbPeriodo");
  cbPeriodo->Items = {"Mensal", "Período"};
  cbPeriodo->SetItemIndex(0);
}

std::string TfrRelatorioTotaisLancamentos::Consulta() const {
  const std::string grupo = cbPeriodo->ItemIndex() == 0
                                ? "extract(year from BDDATA) * 100 + extract(month from BDDATA)"
                                : "0";
  return fmt::format(
      "select {0} as BDMES, count(*) as BDQUANTIDADE, cast(sum(BDVALOR) as numeric(18,4)) as BDTOTAL "
      "from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and BDDATA between ? and ? group by 1 order by 1",
      grupo);
}

TfrRelatorioReciboFolha::TfrRelatorioReciboFolha(TComponent* owner)
    : TfrRelatorioSubstituto(owner, "TfrRelatorioReciboFolha", "Recibo de pagamento"),
      cbTipoFolha(Create<TComboBox_Padrao_VYN>()) {
  cbTipoFolha->SetName("cbTipoFolha");
  cbTipoFolha->Items = {"Todas", "Mensal", "Férias", "Décimo terceiro"};
  cbTipoFolha->SetItemIndex(0);
}

std::string TfrRelatorioReciboFolha::Consulta() const {
  // The kind 0 ("Todas") takes every calculation.
  return "select BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDREFERENCIA, BDDESCRICAO, BDLIQUIDO from TDADOSPGTOCALC "
         "where BDCODEMP = ? and BDREFERENCIA between ? and ? and (cast(? as integer) = 0 or BDTIPOCALC = ?) "
         "order by BDREFERENCIA, BDTIPOCALC, BDCHAVE, BDORDEMCALC";
}

TParams TfrRelatorioReciboFolha::Parametros() const {
  TParams p = ParametrosPorMes();
  const Variant tipo(static_cast<long long>(std::max(cbTipoFolha->ItemIndex(), 0)));
  p.push_back(tipo);
  p.push_back(tipo);
  return p;
}

TfrRelGeradorRelatorioRH::TfrRelGeradorRelatorioRH(TComponent* owner)
    : TfrRelatorioSubstituto(owner, "TfrRelGeradorRelatorioRH", "Gerador de relatórios") {}

void TfrRelGeradorRelatorioRH::SetListaObj(const TListaObj& lista) {
  TfrRelatorioSubstituto::SetListaObj(lista);
  auto* modelo = lista.Count() > 0 ? lista.Get<TStringList>(0) : nullptr;
  if (modelo && modelo->Count() > 0 && !Trim(modelo->Strings(0)).empty()) SetCaption(modelo->Strings(0));
}

std::string TfrRelGeradorRelatorioRH::Consulta() const {
  return "select BDREFERENCIA, BDDESCRICAO, BDLIQUIDO from TDADOSPGTOCALC "
         "where BDCODEMP = ? and BDREFERENCIA between ? and ? order by BDREFERENCIA, BDCHAVE";
}

TParams TfrRelGeradorRelatorioRH::Parametros() const { return ParametrosPorMes(); }

}  // namespace vyn
