#include "postingutil/uRecontabilizacaoUtil.h"

#include "framework/accounting/processo_recontabilizacao_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/data/client_dataset.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

void FiltraEmpresasProcesso(TClientDataSet& rows, const TFiltroEmpresas& filtro, TfrStatusProcesso* status,
                            std::vector<TEmpresaRecusada>& recusadas) {
  rows.First();
  if (status) {
    status->setPrimaryMaxProgress(rows.RecordCount());
    status->setPrimaryStatusLabel("Validando empresas...");
  }
  // A consultation-only copy is left out whatever the start month; without a start the other rows
  // stay as they are.
  TField* statusEmp = filtro.RecusaSomenteConsulta ? rows.FindField("BDSTATUSEMP") : nullptr;
  if (filtro.RefInicial > 0 || statusEmp) {
    while (!rows.Eof()) {
      if (status) status->setPrimaryStatusProgress(rows.RecNo());
      TField& ultEnc = rows.FieldByName("BDULTENC");
      int refUltEnc = ultEnc.IsNull() ? 0 : TDateTime_VYN::GetAnoMes(ultEnc.AsDateTime());
      bool encerrada = filtro.RefInicial > 0 && refUltEnc > filtro.RefInicial;
      bool somenteConsulta = statusEmp && !statusEmp->IsNull() && statusEmp->AsInteger() == 1;
      if (encerrada || somenteConsulta) {
        int cod = static_cast<int>(rows.FieldByName("BDCODEMP").AsInteger());
        recusadas.push_back({cod, "Empresa: " + std::to_string(cod) + " - " + rows.FieldByName("BDNOMEMP").AsString(),
                             somenteConsulta ? kMsgEmpresaSomenteConsulta : kMsgEmpresaNaoProcessada});
        rows.Delete();
        continue;
      }
      if (filtro.RefInicial > 0) {
        rows.Edit();
        ultEnc.SetAsDateTime(filtro.NovoInicio);
        if (filtro.RefFinal > 0) rows.FieldByName("BDDATAFIM").SetAsDateTime(TDateTime_VYN::GetDataUltimoDia(filtro.RefFinal));
        rows.Post();
      }
      rows.Next();
    }
  }
  rows.First();
  if (status) status->setPrimaryMaxProgress(rows.RecordCount());
}

void RegistraEmpresasRecusadas(TInconsistencias_VYN& lista, const std::vector<TEmpresaRecusada>& recusadas) {
  for (const auto& r : recusadas) {
    lista.SetEmpresaAtual(r.CodEmp);
    lista.Add_Erro(r.CodEmp, r.Motivo);
  }
}

TProcessoRecontabilizacaoMGR* TrocaMotor(TComponent& owner, TProcessoRecontabilizacaoMGR* motor) {
  std::string responsavel = ProcessContext().WP_RESPONSAVEL;
  if (motor) {
    responsavel = motor->Responsavel;
    owner.FreeComponent(motor);
  }
  ProcessContext().WP_RESPONSAVEL = responsavel;
  auto* novo = TProcessoRecontabilizacaoMGR::CreateMgr(&owner);
  novo->Responsavel = responsavel;
  return novo;
}

TResultadoProcesso ApuraResultado(bool cancelado, int linhas, bool temPeriodo, int recusadas,
                                  const TInconsistencias_VYN& lista, bool verificacao) {
  if (cancelado) return TResultadoProcesso::Cancelado;
  int erros = lista.CountErros();
  if (linhas > 0 && temPeriodo && erros > 0 && erros == recusadas) return TResultadoProcesso::Incompleto;
  int relatar = erros + lista.CountAtencao() + (verificacao ? lista.CountInformativo() : 0);
  return relatar == 0 ? TResultadoProcesso::Sucesso : TResultadoProcesso::Lista;
}

void ApresentaResultado(TResultadoProcesso r, TInconsistencias_VYN& lista, bool verificacao) {
  switch (r) {
    case TResultadoProcesso::Cancelado:
      DlgInfOk(verificacao ? kMsgVerificacaoCancelada : kMsgProcessoCancelado);
      break;
    case TResultadoProcesso::Incompleto:
      DlgWarOk(verificacao ? kMsgVerificacaoIncompleta : kMsgProcessoIncompleto);
      lista.Execute(true, true, true, true, "");
      break;
    case TResultadoProcesso::Sucesso:
      DlgInfOk(verificacao ? kMsgVerificacaoSemInconsistencia : kMsgProcessoSucesso);
      break;
    case TResultadoProcesso::Lista:
      lista.Execute(true, true, true, true, "");
      break;
  }
}

int PrimeiroMesAtividade(const std::string& condicao) {
  auto sql = getSQLMgr_do_Pool();
  sql->CommandText("SELECT MIN(r.bdREFEMP) AS bdREFEMP FROM TEMPRESAS_REF r" +
                   (condicao.empty() ? std::string() : " WHERE " + condicao));
  sql->First();
  if (sql->Eof() || sql->FieldByName("bdREFEMP").IsNull()) return 0;
  return static_cast<int>(sql->FieldByName("bdREFEMP").AsInteger());
}

bool EncerramentoPermiteInicio(const std::string& selectEmpresas, int refInicial) {
  TSQLMGR sql;
  sql.SetReferencia(refInicial);
  sql.CommandText(selectEmpresas);
  sql.First();
  if (sql.Eof()) return true;
  // A closing is recorded on the register month it was made in, which may come after the start: the
  // company's last closing counts, or a start inside a closed period would be moved without a word.
  const Variant ultimo = UltimoEncerramentoGrupo(sql.Database(), sql.FieldByName("BDCODEMP").AsInteger());
  if (ultimo.IsNull() || TDateTime_VYN::GetAnoMes(ultimo.AsDateTime()) <= refInicial) return true;
  DlgInfOk(kMsgEmpresaNaoProcessada);
  return false;
}

Variant UltimoEncerramentoGrupo(TDatabase& db, int64_t matriz) {
  return db.QueryValue("SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP = ? OR BDCODEMP IN"
                       " (SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODMATRIZ = ?)",
                       {matriz, matriz});
}

void CarregaPlanoConfOnline(TEdit_Codigo_Search_VYN& plano, TEdit_Codigo_Search_VYN& planoContas,
                            TEdit_Codigo_Search_VYN& planoHistorico) {
  TSQLMGR sql;
  sql.CommandText("select * from tplano_conf_online where bdcodplanoonline = ?", ctOpen, {plano.Codigo()});
  sql.First();
  auto valor = [&](const char* campo) -> int64_t {
    return sql.Eof() || sql.FieldByName(campo).IsNull() ? 0 : sql.FieldByName(campo).AsInteger();
  };
  planoContas.Vale(valor("BDCODPLAPADRAO"));
  planoHistorico.Vale(valor("BDCODHIST"));
  planoContas.Validate();
  planoHistorico.Validate();
}

bool AceitaCodigo(TEdit_Codigo_Search_VYN& edit, bool validado) {
  if (validado) return true;
  // The edit keeps the reason of a refusal; nothing has shown it yet.
  DlgInfOk(edit.Mensagem());
  edit.SetFocus();
  return false;
}

bool AceitaNovoPlano(TEdit_Codigo_Search_VYN& edCODPLANOONLINE, bool validado) {
  if (!AceitaCodigo(edCODPLANOONLINE, validado)) return false;
  if (edCODPLANOONLINE.Codigo() != 0 && edCODPLANOONLINE.GetDaoFactory()) return true;
  DlgInfOk("Plano de contabilização não informado!");
  edCODPLANOONLINE.SetFocus();
  return false;
}

bool TfrProcessoComMotor::fCancelaProcesso() {
  if (TfrProcesso_Padrao_VYN::fCancelaProcesso()) return true;
  return FStatus && FStatus->getCancel();
}

void TfrProcessoComMotor::CreateDAO() {
  FMotor = TProcessoRecontabilizacaoMGR::CreateMgr(this);
  FDAO = FMotor;
}

void TfrProcessoComMotor::PreparaEditMatriz(TEdit_Codigo_Search_VYN& edCODEMP, TPanel& pnNOMEMP) {
  PreparaEditEmpresa(edCODEMP, pnNOMEMP);
  edCODEMP.AceitaVazio = true;
  edCODEMP.SetHint("|F11 - Selecionar, Ctrl + F11 - Tira seleção");
}

void TfrProcessoComMotor::IniciaMotor(TInconsistencias_VYN& lista) {
  if (FStatus) FreeComponent(FStatus);
  FStatus = TfrStatusProcesso::createStatusProcess(this, 7, 1);
  FStatus->SetVisibleTerceiroProgressBar(false);
  FMotor->FStatus = FStatus;
  lista.Clear();
  FEmpresasRecusadas.clear();
}

int TfrProcessoComMotor::EmpresaDaLinha(TInconsistencias_VYN& lista) {
  int codEmp = static_cast<int>(FMotor->FieldByName("BDCODEMP").AsInteger());
  lista.SetEmpresaAtual(codEmp);
  if (FStatus) {
    FStatus->setPrimaryStatusProgress(FMotor->RecNo());
    FStatus->setPrimaryStatusLabel(FMotor->FieldByName("bdnomemp").AsString());
  }
  return codEmp;
}

TResultadoProcesso TfrProcessoComMotor::EncerraMotor(TInconsistencias_VYN& lista, bool temPeriodo, bool verificacao) {
  bool cancelado = FStatus && FStatus->getCancel();
  if (FStatus) FStatus->Finalize();
  int linhas = FMotor->Active() ? FMotor->RecordCount() : 0;
  FMotor = TrocaMotor(*this, FMotor);
  FDAO = FMotor;
  FMotor->FStatus = FStatus;
  RegistraEmpresasRecusadas(lista, FEmpresasRecusadas);
  TResultadoProcesso r =
      ApuraResultado(cancelado, linhas, temPeriodo, static_cast<int>(FEmpresasRecusadas.size()), lista, verificacao);
  ApresentaResultado(r, lista, verificacao);
  return r;
}

}  // namespace integracao
