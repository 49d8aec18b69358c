#include "integrations/omie/uAutoThreadContasPagarOmie.h"

#include <memory>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/imposto_mgr.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "integrations/omie/uIntegracaoImpostosOmie.h"
#include "integrations/omie/uIntegracaoImpostosOmieMGR.h"

namespace integracao {

using namespace vyn;

namespace {

// A strict integer: the whole text, digits with an optional sign.
int ParametroInteiro(const std::string& nome, const std::string& valor) {
  const std::string t = Trim(valor);
  const std::string digitos = !t.empty() && (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
  if (digitos.empty() || digitos.size() > 9 || OnlyDigits(digitos) != digitos)
    throw EIntegracaoOmie("'" + valor + "' is not a valid integer value (" + nome + ")");
  return std::stoi(t);
}

int ParametroInteiroOuPadrao(const std::string& valor, int def) {
  try {
    return ParametroInteiro("", valor);
  } catch (const EIntegracaoOmie&) {
    return def;
  }
}

// Why a run that integrated nothing did nothing, by what it was asked to do.
std::string NadaAIntegrar(const TIntegracaoImpostosOmieMGR& engine) {
  if (engine.ExportarProvisoes && engine.ImportarPagamentos)
    return "Não existem provisões de impostos e baixas neste período, por este motivo a exportação e a importação "
           "não foram realizadas.";
  if (engine.ExportarProvisoes)
    return "Não existem provisões de impostos para o período, por esse motivo não foi feita a exportação para o "
           "contas a pagar da Omie.";
  if (engine.ImportarPagamentos)
    return "Não existem baixas neste período, por este motivo a importação não foi realizada.";
  return {};
}

}  // namespace

void TAutoThreadContasPagarOmie::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  const int referencia = ParametroInteiroOuPadrao(GetParametro("referencia"), 0);
  GravarLogTarvo("Referência: " + (IsValidAnoMes(referencia) ? AnoMesToText(referencia) : std::to_string(referencia)));

  // The engine stays the task's while it runs: the books see the task, and the screen the engine is, as
  // the road, so a lock of either holds.
  TIntegracaoImpostosOmieMGR* engine = nullptr;
  std::unique_ptr<TLiberaAoSair> liberaEngine;
  std::unique_ptr<TImpostoMGR> impostos;
  bool ok = false;
  try {
    engine = TIntegracaoImpostosOmieMGR::CreateMgr(this);
    liberaEngine = std::make_unique<TLiberaAoSair>(engine);
    impostos = TImpostoMGR::CreateMgrOwned();
    // Malformed parameters stop the run before its row says it started.
    const int empresa = ParametroInteiro("cod_empresa", GetParametro("cod_empresa"));
    const int integracao = ParametroInteiro("rgIntegracao", GetParametro("rgIntegracao"));
    engine->Empresa = empresa;
    engine->ReferenciaInicial = referencia;
    engine->ReferenciaFinal = referencia;
    engine->IsTARVO = true;
    engine->BloqueioLancamento_VYN = engine->Create<TBloqueioLancamento_VYN>();
    engine->ExportarProvisoes = integracao == 0 || integracao == 2;
    engine->ImportarPagamentos = integracao == 1 || integracao == 2;
    engine->OnPreparaClienteOmie = OnPreparaClienteOmie;

    TProcessContext& ctx = ProcessContext();
    const TComandoSQL inicio = engine->getUpdateTARVO(
        "VSH_EMP_TCONF_OMIE_EXPORT",
        {"BDCODUSUARIO", "BDDATAEXECUTADO", "BDREFERENCIA", "BDCODSTATUS", "BDINCONSISTENCIA"},
        {ctx.UserCode, TSQLValor::Expressao("CURRENT_TIMESTAMP"), referencia, 1, std::string()}, {});
    impostos->CommandText(inicio.SQL, ctExecute, inicio.Params);
    const auto fim = [&](int status, const std::string& mensagem) {
      const std::string texto = TextoParaColuna(impostos->Database(), "VSH_EMP_TCONF_OMIE_EXPORT", "BDINCONSISTENCIA",
                                                RemoveCaret(mensagem));
      const TComandoSQL c =
          engine->getUpdateTARVO("VSH_EMP_TCONF_OMIE_EXPORT", {"BDCODSTATUS", "BDINCONSISTENCIA"}, {status, texto}, {});
      impostos->CommandText(c.SQL, ctExecute, c.Params);
    };

    try {
      impostos->SetControlMemory(true);
      impostos->CommandText("SELECT * FROM TIMPOSTO IMP WHERE exists(SELECT * FROM TEMPRESAIMPOSTO WHERE BDCODIMP = "
                            "IMP.BDCODIMP AND BDCODEMP = ?) AND IMP.BDCODSIS in (7/*lalur*/, 3) ORDER BY IMP.BDCODIMP",
                            ctOpen, {empresa});
      // What the screen's selection would find for each tax in this month.
      auto* selecao = engine->Create<TDAOFactory>();
      selecao->CommandText(SQLSelecaoImpostosOmie(
                               integracao, referencia, referencia,
                               [&](const std::string& col) { return col + " = " + std::to_string(empresa); }, ""),
                           ctOpen);
      for (impostos->First(); !impostos->Eof(); impostos->Next()) {
        const int imp = static_cast<int>(impostos->FieldByName("BDCODIMP").AsInteger());
        const std::string desc = impostos->FieldByName("BDDESCIMP").AsString();
        GravarLogTarvo("Executando imposto: " + std::to_string(imp) + " - " + desc);
        engine->Imposto = imp;
        engine->DescricaoImposto = desc;
        engine->TipoIntegracao = 0;
        for (selecao->First(); !selecao->Eof(); selecao->Next()) {
          if (selecao->FieldByName("BDCODIMP").AsInteger() == imp)
            engine->TipoIntegracao = static_cast<int>(selecao->FieldByName("BDTIPO").AsInteger());
        }
        engine->Execute();
        // What the engine tells that is no inconsistency (a guide settled partly, what remains) goes to
        // the run's log.
        if (TInconsistencias_VYN* info = engine->BloqueioLancamento_VYN->Inconsistencias()) {
          for (const TInconsistenciaItem& item : info->Itens()) GravarLogTarvo(item.Caption);
          info->Clear();
        }
      }
    } catch (const EIntegracaoOmie&) {
      throw;   // the engine wrote its row (a posting lock)
    } catch (const std::exception& e) {
      // Nothing may leave a started row behind a failure.
      fim(5, e.what());
      throw;
    }

    // A run that found inconsistencies, or nothing to do, did its work: it ends with status 2 on both
    // rows, never as a failure of the run.
    if (!Resultado().Inconsistencias.empty()) {
      fim(2, Resultado().Inconsistencias.back());
    } else if (engine->TotalIntegrado() == 0) {
      const std::string nada = NadaAIntegrar(*engine);
      fim(2, nada);
      if (TResultadoExecucao* r = ResultadoExecucao()) r->RegistraInconsistencia(nada);
    } else {
      ok = true;
    }
  } catch (...) {
    GravarLogTarvo("Processo em encerramento");
    throw;
  }
  GravarLogTarvo("Processo em encerramento");
  if (ok) GravarLogTarvo("Processo finalizado");
}

}  // namespace integracao
