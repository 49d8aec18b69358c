#include "integrations/nibo/uImportacaoNibo.h"

#include <filesystem>
#include <fstream>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/importacao_padrao_ef.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "framework/web/nibo_client.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

TfrImportacaoNibo::TfrImportacaoNibo(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbDatas(Create<TLabel>()),
      edReferencia(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      ckLancaContabil(Create<TCheckBox>()),
      ckLancServico(Create<TCheckBox>()),
      lbCODPLATROCAINT(Create<TLabel>()),
      edCODPLATROCAINT(Create<TEdit_Codigo_Search_VYN>(tcPlanosTrocaContabilOnLine)),
      spPlanoTroca(Create<TSpeedButton>()),
      pnCODPLATROCAINT(Create<TPanel>()),
      spGerarTransacao(Create<TSpeedButton>()),
      Inconsistencias_VYN(Create<TInconsistencias_VYN>()) {
  lbDatas->SetName("lbDatas");
  lbCODPLATROCAINT->SetName("lbCODPLATROCAINT");
  pnCODPLATROCAINT->SetName("pnCODPLATROCAINT");
  spPlanoTroca->SetName("spPlanoTroca");
  SetCaption("Importação ^Nibo");
  lbDatas->SetCaption("Referência:");
  edReferencia->SetName("edReferencia");
  ckLancaContabil->SetName("ckLancaContabil");
  ckLancaContabil->SetCaption("Lançamento contábil");
  ckLancaContabil->OnClick = [this](TComponent* s) { ckLancaContabilClick(s); };
  ckLancServico->SetName("ckLancServico");
  ckLancServico->SetCaption("Lançamento serviço");
  lbCODPLATROCAINT->SetCaption("Plano de troca:");
  edCODPLATROCAINT->SetName("edCODPLATROCAINT");
  edCODPLATROCAINT->SetMaxLength(6);
  edCODPLATROCAINT->AceitaZero = true;
  edCODPLATROCAINT->EditsMaster = {edCODEMP};
  edCODPLATROCAINT->PanelNome = pnCODPLATROCAINT;
  spPlanoTroca->SetHint("Consulta plano de troca");
  spPlanoTroca->OnClick = [this](TComponent*) { edCODPLATROCAINT->Pesquisar(); };
  for (TControl* c :
       std::initializer_list<TControl*>{lbCODPLATROCAINT, edCODPLATROCAINT, spPlanoTroca, pnCODPLATROCAINT})
    c->SetEnabled(false);
  spGerarTransacao->SetName("spGerarTransacao");
  spGerarTransacao->SetCaption("Transação automática");
  spGerarTransacao->SetTag(1);
  spGerarTransacao->Down = true;
}

bool TfrImportacaoNibo::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoNibo") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrImportacaoNibo::PreparaExecucaoAgendada(int codEmpresa, int referencia, const TSleeper& sleeper) {
  if (sleeper) Sleeper = sleeper;
  SetIsTARVO(true);
  edCODEMP->SetFocus();
  edCODEMP->Vale(codEmpresa);
  edCODEMP->Search();
  edReferencia->SetFocus();
  edReferencia->SetText(FormatDate("mm/yyyy", TDateTime_VYN::GetUltimoDiaData(this, referencia)));
}

void TfrImportacaoNibo::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  spGerarTransacao->SetVisible(false);
  spGerarTransacao->Down = true;
}

void TfrImportacaoNibo::CreateDAO() { FLancamentoDAO = TLancamentoMGR::CreateMgr(this, false, true, 1, false, true); }

void TfrImportacaoNibo::ckLancaContabilClick(TComponent*) {
  const bool on = ckLancaContabil->Checked();
  for (TControl* c :
       std::initializer_list<TControl*>{edCODPLATROCAINT, lbCODPLATROCAINT, spPlanoTroca, pnCODPLATROCAINT})
    c->SetEnabled(on);
  if (!edCODPLATROCAINT->Enabled()) edCODPLATROCAINT->SetText("");
}

void TfrImportacaoNibo::Processo() {
  if (!ckLancaContabil->Checked() && !ckLancServico->Checked()) {
    MessageDlgVYN("Selecione pelo menos um tipo de lançamento!", mtInformation, mbOK);
    return;
  }
  const int empresa = static_cast<int>(edCODEMP->Codigo());
  wListaNotasNFS.clear();
  wIdentificadoresNFS.clear();
  FNotasEnfileiradas = 0;
  std::string arquivo;
  // The entries file of an attempt is only a work file: it goes when a later attempt brings its own
  // and whenever the run ends before the entry import took it over.
  auto apaga = [](const std::string& caminho) {
    std::error_code ec;
    if (!Trim(caminho).empty()) fs::remove(Trim(caminho), ec);
  };
  try {
    {
      auto* status = TfrStatusProcesso::createStatusProcess(this, 2);
      struct TFecha {
        TComponent* dono;
        TfrStatusProcesso* s;
        ~TFecha() {
          s->Finalize();
          dono->FreeComponent(s);
        }
      } fecha{this, status};
      status->SetCaption("Importação Nibo");
      status->setPrimaryMaxProgress(kTentativas);
      status->setPrimaryStatusProgress(0);
      status->setPrimaryStatusLabel("");
      for (int n = 1; n <= kTentativas; ++n) {
        status->setPrimaryStatusProgress(n);
        status->setPrimaryStatusLabel(std::to_string(n) + "/" + std::to_string(kTentativas));
        auto cliente = std::make_unique<THTTP_Nibo>(nullptr);
        cliente->ReadTimeout = ReadTimeout;
        const TDadosOAuth2 oauth =
            TOAUTH2MGR::CarregaPorID(this, TEmpresasMGR::GetCodOAUTH2EscritorioNibo(this, empresa));
        cliente->FCodigoEmpresa = empresa;
        cliente->FIdEmpresaNibo = TEmpresasMGR::GetIdEmpresaNibo(this, empresa);
        cliente->FDocumento = OnlyDigits(
            TEmpresasMGR::GetRetornaCampoEmpresaRef(this, empresa, "BDCNPJEMP", edReferencia->GetData_AnoMes())
                .AsString());
        cliente->FReferencia = edReferencia->GetData_MesAno();
        cliente->FDataInicial = edReferencia->GetData();
        cliente->DadosOAuth2 = oauth;
        cliente->SetTipoProcesso(tinLancContabeis);
        cliente->DirArquivoTempExtrair = (fs::path(ProcessContext().ProgramFolder) / "temp").string() + "/";
        cliente->SetIsImpServ(ckLancServico->Checked());
        cliente->SetIsImpContab(ckLancaContabil->Checked());
        cliente->SetRef(edReferencia->GetData_AnoMes());
        cliente->SetIsTarvo(IsUnattended());
        FRef = edReferencia->GetData_AnoMes();
        cliente->Execute();
        SetPossuiImportacao(cliente->FPossuiImportacao);
        FNotasEnfileiradas += cliente->NotasEnfileiradas;
        if (Trim(cliente->ArquivoTempExtraido) != Trim(arquivo)) apaga(arquivo);
        arquivo = cliente->ArquivoTempExtraido;
        if (cliente->ListaNotasNFS) {
          wListaNotasNFS.insert(wListaNotasNFS.end(), cliente->ListaNotasNFS->begin(), cliente->ListaNotasNFS->end());
          wIdentificadoresNFS.insert(wIdentificadoresNFS.end(), cliente->IdentificadoresNotasNFS.begin(),
                                     cliente->IdentificadoresNotasNFS.end());
        }
        if (cliente->getErro() && n < kTentativas) {
          Sleeper(std::chrono::milliseconds(kEsperaMs));
          continue;
        }
        std::error_code ec;
        if (!Trim(cliente->FMensagem).empty() && !fs::exists(Trim(arquivo), ec)) {
          if (IsUnattended()) {
            RegistraFalhaExecucao(RemoveCaret(cliente->FMensagem));
          } else {
            DlgWarOk(cliente->FMensagem);
            // The dialog is the user's; the run's list keeps the refusal, so the run ends as failed.
            TfrProcesso_Padrao_VYN::Inconsistencias_VYN()->Add_Erro(empresa, RemoveCaret(cliente->FMensagem));
          }
          return;
        }
        break;
      }
    }
    if (!wListaNotasNFS.empty()) {
      if (!IsUnattended()) ImportaNotas();
      wListaNotasNFS.clear();
      wIdentificadoresNFS.clear();
    }
  } catch (...) {
    apaga(arquivo);
    throw;
  }
  if (ckLancaContabil->Checked())
    ImportaLancamentos(arquivo);
  else
    apaga(arquivo);
}

void TfrImportacaoNibo::ImportaNotas() {
  const fs::path pasta = fs::path(ProcessContext().ProgramFolder) / "Temp" / "Parceiros" / "Nibo";
  fs::create_directories(pasta);
  {
    std::ofstream out(pasta / (Trim(edCODEMP->Text()) + "_" + std::to_string(FRef) + ".txt"), std::ios::trunc);
    for (const auto& a : wListaNotasNFS) out << a << "\r\n";
  }
  auto ef = std::make_unique<TImportacaoPadraoEF>(nullptr, tdNFSe, false, false, true, tpNibo);
  ef->SetEditEmpresa(edCODEMP);
  ef->SetListaArquivos(wListaNotasNFS, wIdentificadoresNFS);
  ef->TipoImportacaoAutomatica = 4;
  ef->SetInconsistencia_VYN(Inconsistencias_VYN);
  ef->SetTipoParceiro(TipNibo);
  ef->IniciaProcesso();
}

void TfrImportacaoNibo::ImportaLancamentos(const std::string& arquivo) {
  TLancamentoMGR* mgr = TLancamentoMGR::CreateMgr(this);
  FDAO = mgr;
  auto* edArquivo = Create<TEdit_Diretorio_Padrao_VYN>();
  edArquivo->Pasta = false;
  edArquivo->SetText(arquivo);
  auto libera = [&] {
    FDAO = nullptr;
    FreeComponent(mgr);
    // Nibo keeps the entries: the downloaded copy is only a work file.
    std::error_code ec;
    if (!arquivo.empty()) fs::remove(arquivo, ec);
  };
  try {
    mgr->IsTARVO = IsUnattended();
    mgr->NaoRetirarZerosContas = true;
    mgr->CompararLancamentos = CompararLancamentos;
    mgr->GetImportacaoLancTxt(4, edCODEMP, edCODPLATROCAINT, edArquivo, this, ",", false, BloqueioLancamento_Padrao_VYN,
                              spGerarTransacao, DateToStr(edReferencia->GetData()),
                              edReferencia->GetData_DiaMesAnoUltimoDia(), SelecionaFiliais, 0, false);
  } catch (...) {
    libera();
    throw;
  }
  libera();
}

}  // namespace integracao
