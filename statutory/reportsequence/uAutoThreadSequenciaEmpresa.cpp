#include "statutory/reportsequence/uAutoThreadSequenciaEmpresa.h"

#include <stdexcept>

#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/diretorio_plano.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_date_texto.h"
#include "framework/ui/form.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"
#include "statutory/reportsequence/uRelSequenciaRelatoriosColaborador.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr const char* kPeriodoNaoSuportado = "Período não suportado";
}  // namespace

void ClicaBotao(TButtonControl* botao) {
  if (botao && botao->Enabled() && botao->OnClick) botao->OnClick(botao);
}

bool TAutoThreadSequenciaEmpresa::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadSequenciaEmpresa") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

TTipoPeriodicidade_VYN TAutoThreadSequenciaEmpresa::CbPeriodoToTipoPeriodicidade(const std::string& texto) {
  const int v = StrToIntDef(texto, -1);
  if (v < tpsMensal || v > tpsAnual) throw std::runtime_error(kPeriodoNaoSuportado);
  return static_cast<TTipoPeriodicidade_VYN>(v);
}

TPeriodo TAutoThreadSequenciaEmpresa::GetPeriodo(TTipoPeriodicidade_VYN tipo, TDateTime data, bool anterior) {
  int meses = 0;
  switch (tipo) {
    case tpsMensal: meses = 1; break;
    case tpsTrimestral: meses = 3; break;
    case tpsSemestral: meses = 6; break;
    case tpsAnual: meses = 12; break;
    default: throw std::runtime_error(kPeriodoNaoSuportado);
  }
  if (anterior) data = IncMonth(data, -meses);
  const int mes = MonthOf(data);
  const int primeiro = ((mes - 1) / meses) * meses + 1;
  const TDateTime inicio = EncodeDate(YearOf(data), primeiro, 1);
  const TDateTime ultimoDia = EndOfTheMonth(IncMonth(inicio, meses - 1));
  return {inicio, EncodeDateTime(YearOf(ultimoDia), MonthOf(ultimoDia), DayOf(ultimoDia), 23, 59, 59, 999)};
}

void TAutoThreadSequenciaEmpresa::Execute() {
  TAutoThreadPushPadrao::Execute();
  Executa(false);
}

void TAutoThreadSequenciaEmpresa::Executa(bool colaborador) {
  const TDateTime agora = Agora();
  const bool anterior = GetParametro("referencia") != FormatDate("yyyymm", agora);
  const TTipoPeriodicidade_VYN tipo = CbPeriodoToTipoPeriodicidade(GetParametro("cbPeriodo"));
  const TPeriodo periodo = GetPeriodo(tipo, agora, anterior);
  auto& estado = WP_SEQUENCIARELATORIO();
  estado.WP_SALVAR_NA_CENTRAL_DA_FOLHA = false;
  // "1" exports each screen's output on its own; the run's setting, given back when it ends.
  struct TExportarComo {
    TEstadoSequenciaRelatorio& e;
    std::string antes;
    ~TExportarComo() { e.ExportarComo = antes; }
  } exportarComo{estado, estado.ExportarComo};
  estado.ExportarComo = GetParametro("cbExportarComo");

  TfrRelSequenciaRelatorios* tela = colaborador
                                        ? static_cast<TfrRelSequenciaRelatorios*>(
                                              CreateForm<TfrRelSequenciaRelatoriosColaborador>(*this))
                                        : CreateForm<TfrRelSequenciaRelatorios>(*this);
  struct TLibera {
    TfrRelSequenciaRelatorios* t;
    ~TLibera() { t->Free(); }
  } libera{tela};
  tela->IsTARVO = true;
  tela->CaminhoTARVO = GetDiretorioPlano(StrToInt(FormatDate("mmyyyy", periodo.Fim)), true);
  tela->SempreUsarDiretorio = SempreUsarDiretorioPlano(*this);
  tela->EnviarEmailTARVO = GetParametro("ckEnviarEmail") == "True";
  PreencheTela(*tela, periodo);

  if (GetParametro("ckPubVYNReport") == "True") {
    AntesDeClicar(*tela->spVynReport);
    ClicaBotao(tela->spVynReport);
  }
  if (GetParametro("ckSalvarArq") == "True")
    ClicaBotao(BotaoArquivo(*tela, StrToIntDef(GetParametro("cbTipoArquivo"), 0)));
  if (GetParametro("ckEnviarSoEmail") == "True") {
    estado.EnviarEmail = true;
    // The e-mail setting's module; a code that is not a number names no setting.
    const int codigo = StrToIntDef(GetParametro("edCODIGO"), -1);
    if (codigo >= 0) {
      auto* smtp = TSQLMGR::CreateMgr(this);
      struct TLiberaMgr {
        TComponent& dono;
        TComponent* c;
        ~TLiberaMgr() { dono.FreeComponent(c); }
      } liberaMgr{*this, smtp};
      smtp->CommandText("select bdcodsis from TMODULO_SMTP where bdcodigo = ?", ctOpen, {Variant(codigo)});
      if (smtp->RecordCount() > 0) {
        const int sistema = static_cast<int>(smtp->FieldByName("bdcodsis").AsInteger());
        tela->SetSistema(sistema == 1 ? 0 : sistema);
      }
    }
    estado.EnviarEmail = true;
    struct TLimpa {
      TEstadoSequenciaRelatorio& e;
      ~TLimpa() { e.EnviarEmail = false; }
    } limpa{estado};
    AntesDeClicar(*tela->spEmail);
    ClicaBotao(tela->spEmail);
  }
}

void TAutoThreadSequenciaEmpresa::PreencheTela(TfrRelSequenciaRelatorios& tela, const TPeriodo& periodo) {
  const int modelo = StrToInt(GetParametro("edCODMODELO"));
  tela.edCODMODELO->SetFocus();
  tela.edCODMODELO->SetText(std::to_string(modelo));
  tela.edNomeModelo->SetFocus();   // leaving the code loads the sequence
  tela.edCODEMP->SetFocus();
  tela.edCODEMP->Vale(StrToInt(GetParametro("cod_empresa")));
  tela.edDataIni->SetFocus();
  tela.edDataIni->SetData(periodo.Inicio);
  tela.edDataFim->SetFocus();
  tela.edDataFim->SetData(periodo.Fim);
  SetDataStrRespeitandoTipo(*tela.edReferencia, FormatDate("dd/mm/yyyy", periodo.Fim));
}

TButtonControl* TAutoThreadSequenciaEmpresa::BotaoArquivo(TfrRelSequenciaRelatorios& tela, int tipo) {
  TSpeedButton* botoes[] = {tela.spExportaPDF,       tela.spExportaHTML,     tela.spExportaCSV,
                            tela.spExportaCSVSemQuebraPag, tela.spExportaTXT, tela.spExportaRTF,
                            tela.spExportaWord,      tela.spExportaWordDOCX, tela.spExportaExcelXLSX,
                            tela.spExportaExcelXLSXSemQuebraPag, tela.spExportaODS};
  if (tipo < 0 || tipo > 10) return nullptr;
  return botoes[tipo];
}

}  // namespace integracao
