// The ECF screen's field checks. Every check reports through ControleErro, which picks the dialog, the
// confirm pass's list or the unattended exception, so one handler serves all three runs.
#include <filesystem>

#include <fmt/format.h>
#include <optional>

#include "framework/accounting/validacao_sped.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/ui/campos_procurar.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "statutory/ecf/uExportacaoECF.h"

namespace integracao {

using namespace vyn;

void TfrExportacaoECF::ControleErro(TComponent* sender, const std::string& msg) {
  if (auto* c = dynamic_cast<TControl*>(sender)) {
    const bool conhecido = dynamic_cast<TComboBox_Padrao_VYN*>(c) || dynamic_cast<TEdit_String_Padrao*>(c);
    if (conhecido) {
      if (!c->Enabled()) return;
      if (!FValidacaoImportacao && SaiuParaTras(c)) return;
    }
  }
  if (FValidacaoImportacao) {
    FErroEncontrado = true;
    Inconsistencias_VYN->Add_Erro(RemoveCaret(msg), true, nullptr, 0, nullptr, "");
  } else if (FalhaNaTarefa()) {
    throw EExceptionTratadaInformativa_VYN(msg);
  } else if (semDialogos_) {
    // Run for the SPED validation: no one to answer a box; the confirm pass records the check.
    return;
  } else {
    MessageDlgVYN(msg, mtInformation, mbOK, 0, FLogEvent);
  }
}

void TfrExportacaoECF::SetaFoco(TControl* c) {
  if (!c || !c->Enabled()) return;
  if (!dynamic_cast<TEdit_String_Padrao*>(c) && !dynamic_cast<TComboBox_Padrao_VYN*>(c)) return;
  if (!FValidacaoImportacao && SaiuParaTras(c)) return;
  if (FValidacaoImportacao && FocoPendente) return;   // the pass shows the first field it found wrong
  auto it = aba_.find(c);
  if (it != aba_.end()) MostraAba(it->second);
  FocoPendente = c;
  // The confirm pass runs the exits itself, one after the other: a focus move there would run the
  // focused field's exit once more in the middle of them. The first field it found wrong gets the
  // focus once the pass is over (ConfereCampos). Without a user no focus is anyone's.
  if (FValidacaoImportacao || FalhaNaTarefa() || semDialogos_ || !c->CanFocus()) return;
  // Asked from the field's own exit, the move sends the user back to it.
  c->SetFocus();
}

bool TfrExportacaoECF::FormaTributacaoOK(bool mostrar) {
  bool result = true;
  const int compAnterior = competencia_;
  const bool troca = Ano() == 2014;
  // The reference is switched only for the record's read: put back also when a check raises. The
  // month goes back first (its guard is made last), then the record is read again for it.
  struct TVolta {
    TfrExportacaoECF* t;
    bool ativo;
    int comp;
    ~TVolta() {
      if (!ativo) return;
      t->SetCompentencia(comp);
      try {
        t->RecarregaEmpresa();
      } catch (...) {   // the record is read again at the next use
      }
    }
  } volta{this, troca, compAnterior};
  std::optional<TValorTemporario<int>> mes;
  if (troca) {
    mes.emplace(ProcessContext().Referencia, AnoMes(edDataIni->GetData()));
    SetCompentencia(ProcessContext().Referencia);
    RecarregaEmpresa();
  }
  spConfirmar->SetEnabled(true);
  if (edCODEMP->GetDaoFactory()) {
    Variant enq = CampoEmpresa("bdCODENQFED");
    Variant trib = CampoEmpresa("bdFORMATRIBUTACAO");
    auto reporta = [&](const std::string& texto) {
      spConfirmar->SetEnabled(false);
      // Without a user the notice ends the run with its text; for the SPED validation it is listed.
      if (mostrar && FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(texto);
      if (mostrar && !semDialogos_)
        MessageDlgVYN(texto, mtInformation, mbOK, 0, FLogEvent);
      else
        Inconsistencias_VYN->Add_Atencao(texto);
      result = false;
    };
    if (enq.IsNull() || enq.AsInteger() != 3) {
      reporta("A empresa informada possui enquadramento diferente de normal.");
    } else if (trib.IsNull() || trib.AsInteger() < 1) {
      cbTributacao->SetItemIndex(-1);
      cbTributacao->SetEnabled(false);
      reporta("A empresa está enquadrada como normal, portanto informe a forma de tributação para o ano base da "
              "exportação no cadastro da empresa.");
    } else {
      lbTributacao->SetEnabled(false);
      const int antes = cbTributacao->ItemIndex();
      switch (trib.AsInteger()) {
        case 1: SetIndexCombo(5, *cbTributacao); break;
        case 2: SetIndexCombo(1, *cbTributacao); break;
        case 3: SetIndexCombo(8, *cbTributacao); break;
        case 4: SetIndexCombo(9, *cbTributacao); break;
        default:
          // Any other form has no ECF taxation: left on the combo's item it would go out as real profit.
          cbTributacao->SetItemIndex(-1);
          cbTributacao->SetEnabled(false);
          reporta(fmt::format("A forma de tributação {} informada no cadastro da empresa para o ano base da "
                              "exportação não é exportada na ECF: informe lucro real, lucro presumido, imune ou "
                              "isenta do IRPJ.",
                              trib.AsInteger()));
          return result;
      }
      cbTributacao->SetEnabled(false);
      // Put in by program the combo fires no change, yet the options of the record's taxation must
      // follow it: a presumed-profit or immune company would otherwise keep those of real profit.
      if (cbTributacao->ItemIndex() != antes) cbTributacaoChange(cbTributacao);
    }
  }
  return result;
}

void TfrExportacaoECF::edCODEMPExit(TComponent*) {
  if (Trim(edCODEMP->Text()).empty()) {
    if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN("Empresa não cadastrada ou não informada.");
    MessageDlgVYN("Empresa não cadastrada ou não informada", mtWarning, mbOK, 0, FLogEvent);
    return;
  }
  spConsulta->SetEnabled(true);
  RecarregaEmpresa();
  Variant ini = CampoEmpresa("BDDATAINIATIVEMP");
  auto texto = [&](const char* c) { Variant v = CampoEmpresa(c); return v.IsNull() ? std::string() : v.AsString(); };
  lbCidadeEmpresa->SetCaption("Início das atividades: " + (ini.IsNull() ? std::string() : DateToStr(ini.AsDateTime())) +
                              " " + texto("BDNOMCID") + "/" + texto("BDSIGLAUF") + " - " + GetCNPJ());
  spConfirmar->SetEnabled(true);
  pControlaDerex();
  HabilitaOutrasInfo();
  HabilitaParametrosTributacao();
  HabilitaParametrosComplementares();
  // The checklist notice: once from the host's start, never without a user.
  auto& ctx = ProcessContext();
  if (!ctx.WP_MOSTROU_AVISO_ECF && !FalhaNaTarefa() && !semDialogos_ && !SequenciaRelatorioRodando()) {
    ctx.WP_MOSTROU_AVISO_ECF = true;
    TPackagesUtil::CarregaFormModal("TfrAvisoChecklistECF", this);
  }
  spConfigPadraoRel->SetEnabled(true);
  const bool padrao = getPossuiConfigPadrao();
  if (padrao) CarregaConfiguracao(0);
  // Opened by the accounting audit, the screen stays editable whatever is saved.
  spConfigPadraoRel->SetMarked(padrao && !getOwnerInComponent(this, "TfrProcessoAuditoriaContabil"));
}

void TfrExportacaoECF::edCODEMPAfterSearch() {
  if (recarregando_ || getPossuiConfigPadrao()) return;
  Variant cc = CampoEmpresa("BDCODPLACC");
  const bool temCC = !cc.IsNull() && cc.AsInteger() > 0;
  Ck("ckExportarCC")->SetEnabled(temCC);
  if (!temCC) Ck("ckExportarCC")->SetChecked(false);
  // A new company starts with fresh P500 values, and no rate restored for another.
  csllSalvo_ = TCsllSalvo();
  csllRestaurado_ = -1;
  p500Salvo_[0].reset();
  p500Salvo_[1].reset();
  if (FDadosP500_51) FreeComponent(FDadosP500_51);
  if (FDadosP500_52) FreeComponent(FDadosP500_52);
  FDadosP500_51 = FDadosP500_52 = nullptr;
  spP500->SetEnabled(false);
  RegraP500();
  FormaTributacaoOK(false);
}

void TfrExportacaoECF::edDataIniExit(TComponent*) {
  if (edCODEMP->Codigo() == 0) return;
  const TDateTime d = edDataIni->IsValid() ? edDataIni->GetData() : TDateTime();
  const int inicio = GetIndexCombo(*cbInicioPeriodo);
  auto falha = [&](const std::string& msg) {
    ControleErro(edDataIni, msg);
    SetaFoco(edDataIni);
  };
  if (d < EncodeDate(2014, 1, 1)) {
    falha("A data inicial deverá ser superior a 01/01/2014.");
  } else if (inicio == 0 && !(DayOf(d) == 1 && MonthOf(d) == 1)) {
    falha("Para o indicador do início do período informado, a data deverá ter início em 01/01/XXXX.");
  } else if ((inicio == 5 || inicio == 6) && d < EncodeDate(2024, 1, 1)) {
    falha("Para o indicador do início do período informado, o ano  deverá ser a partir de 2024.");
  } else {
    Variant ini = CampoEmpresa("BDDATAINIATIVEMP");
    if (!ini.IsNull() && d < ini.AsDateTime()) {
      falha("A data inicial deve ser maior ou igual à data de início das atividades da empresa.");
      return;
    }
  }
  pCarregaItemsAliquotaCSLL();
  if (getPossuiConfigPadrao()) {
    RegraCebasComConfigPadrao();
    return;
  }
  pControlaDerex();
  if (d.Value != 0) {
    const TValorTemporario<int> mes(ProcessContext().Referencia, AnoMes(d));
    SetCompentencia(AnoMes(d));
    RecarregaEmpresa();
  }
  // The confirm pass has run the taxation check already: its notice is listed once, not also boxed.
  auto f = flags_.find(edDataIni);
  if (!FValidacaoImportacao && (f == flags_.end() || !(f->second.ShiftTab || f->second.Outro))) FormaTributacaoOK(true);
  HabilitaInformacoesEconomicas();
  ControlaOptanteDiferencaSocECont();
  HabilitaOutrasInfo();
  HabilitaParametrosTributacao();
  HabilitaParametrosComplementares();
  spY671->SetEnabled(Tributacao() == 1 && Ano() < 2020);
}

void TfrExportacaoECF::edDataFimExit(TComponent*) {
  if (edCODEMP->Codigo() == 0) return;
  const TDateTime ini = edDataIni->IsValid() ? edDataIni->GetData() : TDateTime();
  const TDateTime fim = edDataFim->IsValid() ? edDataFim->GetData() : TDateTime();
  const TDateTime evento = edDataSituacaoEspecial->IsValid() ? edDataSituacaoEspecial->GetData() : TDateTime();
  const int s = SituacaoEspecial();
  auto falha = [&](const std::string& msg) {
    ControleErro(edDataFim, msg);
    SetaFoco(edDataFim);
  };
  if (ini > fim) {
    falha("A data final deverá ser superior a data inicial.");
  } else if (YearOf(ini) != YearOf(fim)) {
    falha("A data final deverá ser do mesmo ano da data inicial.");
  } else if (s == 0 && !(DayOf(fim) == 31 && MonthOf(fim) == 12)) {
    falha("Para a situação especial informada, a data deverá ser igual a 31/12/XXXX.");
  } else if ((s >= 1 && s <= 6 && fim != evento) || (s >= 7 && s <= 9 && fim != IncDay(evento, -1))) {
    falha("Para a situação especial informada, a data final deverá ser igual a data da situação especial, ou a data "
          "final da escrituração deve ser o dia imediatamente anterior à data do evento.");
  }
  spSpedAutomatico->SetEnabled(TVALIDACAOSPED_AGENDAMENTOSMGR::PodeHabilitarSpedAutomatico(edCODEMP->Text(), ini, fim));
}

void TfrExportacaoECF::edDataSituacaoEspecialExit(TComponent*) {
  if (edDataSituacaoEspecial->IsEmpty()) {
    ControleErro(edDataSituacaoEspecial, "Ao informar uma situação especial, deverá informar a data da mesma.");
    SetaFoco(edDataSituacaoEspecial);
  }
}

void TfrExportacaoECF::edRemanescenteExit(TComponent*) {
  if (edRemanescente->IsValid() && edRemanescente->Value().IsZero()) {
    ControleErro(edRemanescente, "Para a situação especial informada, é obrigatório informar o percentual remanescente.");
    SetaFoco(edRemanescente);
  }
}

void TfrExportacaoECF::edQuantidadeSCPExit(TComponent*) {
  // A count the edit cannot hold (more digits, a sign) is refused here too: the confirm pass and the
  // task never leave the field, and the generator would be handed no count at all.
  try {
    edQuantidadeSCP->Value();
  } catch (const EValidationError& e) {
    ControleErro(edQuantidadeSCP, e.what());
    SetaFoco(edQuantidadeSCP);
    return;
  }
  if (edQuantidadeSCP->Value().IsZero()) {
    ControleErro(edQuantidadeSCP, "Para o tipo da ECF informado, é obrigatório informar a quantidade da ^SCP^ da ^PJ^.");
    SetaFoco(edQuantidadeSCP);
  }
}

void TfrExportacaoECF::cbRetificadoraChange(TComponent*) {
  const bool on = GetCaractereCombo(*cbRetificadora) != "N";
  edNumeroRecibo->SetEnabled(on);
  if (!on) edNumeroRecibo->Clear();
}

void TfrExportacaoECF::edNumeroReciboExit(TComponent*) {
  if (!edNumeroRecibo->Enabled()) return;
  if (FValidacaoImportacao) flags_[edNumeroRecibo] = TFlags{};
  std::string t = ReplaceAll(TString_VYN::GetTiraTodosSinais(edNumeroRecibo->Text()), " ", "");
  if (Utf8Length(t) != 41) {
    ControleErro(edNumeroRecibo, "O número do recibo anterior deverá ter 41 dígitos.");
    SetaFoco(edNumeroRecibo);
  }
}

void TfrExportacaoECF::HabilitaCamposSCP() {
  edQuantidadeSCP->SetEnabled(GetIndexCombo(*cbTipoECF) == 1);
  edCodEmpSCP->SetEnabled(cbTipoECF->ItemIndex() == 2);
  edCNPJSCP->SetEnabled(cbTipoECF->ItemIndex() == 2 && edCodEmpSCP->Codigo() == 0);
}

void TfrExportacaoECF::cbTipoECFChange(TComponent*) {
  HabilitaCamposSCP();
  if (GetIndexCombo(*cbTipoECF) != 1) edQuantidadeSCP->SetText("0");
  edCNPJSCP->Clear();
  if (cbTipoECF->ItemIndex() == 2) {
    Ck("ckGrupoMultinacional")->SetChecked(true);
  } else {
    edCodEmpSCP->Clear();
    edCNPJSCP->SetEnabled(false);
  }
}

void TfrExportacaoECF::HabilitaCamposSituacaoEspecial() {
  edRemanescente->SetEnabled(SituacaoEspecial() == 6);
  edDataSituacaoEspecial->SetEnabled(SituacaoEspecial() != 0);
}

void TfrExportacaoECF::AplicaRegrasDosValoresRestaurados() {
  cbRetificadoraChange(cbRetificadora);
  HabilitaCamposSCP();
  HabilitaCamposSituacaoEspecial();
  cbTipoEscrituracaoChange(cbTipoEscrituracao);
  RegraP500();
}

void TfrExportacaoECF::edCodEmpSCPChange(TComponent*) {
  edCNPJSCP->Clear();
  edCNPJSCP->SetEnabled(edCodEmpSCP->Codigo() == 0);
}

void TfrExportacaoECF::edCNPJSCPExit(TComponent*) {
  if (edCNPJSCP->GetTextSemMascara().empty()) {
    ControleErro(edCNPJSCP, "Para o tipo da ECF informada é obrigatório informar a empresa da ^SCP^ ou CNPJ da "
                            "^Sócia ^Ostensiva.");
    SetaFoco(edCNPJSCP);
  } else if (FormatCNPJ(edCNPJSCP->GetTextSemMascara()) == GetCNPJ()) {
    ControleErro(edCNPJSCP, "O CNPJ da ^Sócia ^Ostensiva não poderá ser o mesmo que da empresa que está sendo "
                            "exportada.");
    SetaFoco(edCNPJSCP);
  }
}

void TfrExportacaoECF::ckGrupoMultinacionalClick(TComponent*) {
  if (cbTipoECF->ItemIndex() == 2 && !Ck("ckGrupoMultinacional")->Checked() && !FalhaNaTarefa() && !semDialogos_ &&
      !carregando_)
    DlgWarOk("~" + ProcessContext().UserName +
                 ", quando o tipo da ECF for igual a 2-ECF da SCP, a opção de “Entidade de grupo multinacional IN RFB "
                 "1681/2016” nos parâmetros complementares deve estar marcada, conforme manual do Sped ECF leiaute 7, "
                 "caso contrário irá gerar erro na validação.",
             FLogEvent);
}

bool TfrExportacaoECF::edContaLivroCaixaValidar() {
  bool erro = false;
  if (edContaLivroCaixa->Codigo() > 0 && edContaLivroCaixa->Search()) {
    Variant g = edContaLivroCaixa->GetDaoFactory()->Campo("BDGRUPOCTA");
    erro = g.IsNull() ? false : g.AsInteger() != 0;
  }
  if (erro) {
    if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(kMsgContaNaoAtivo);
    // The field's own inconsistency, listed against the edit (never a box: the validation job has no
    // one to answer it); the edit is emptied for another account.
    Inconsistencias_VYN->Add_Erro(RemoveCaret(kMsgContaNaoAtivo), true, edContaLivroCaixa);
    edContaLivroCaixa->Clear();
  }
  return erro;
}

void TfrExportacaoECF::rgResponsavelClick(TComponent*) {
  gbProcuradorEletronico->SetEnabled(rgResponsavel->ItemIndex() == 2);
  rgTipoProcurador->SetEnabled(rgResponsavel->ItemIndex() == 2);
  edProcurador->SetEnabled(rgResponsavel->ItemIndex() == 2);
  gbQualificacao->SetEnabled(rgResponsavel->ItemIndex() == 0);
  edQualificacao->SetEnabled(rgResponsavel->ItemIndex() == 0);
  if (!gbQualificacao->Enabled()) edQualificacao->Clear();
}

void TfrExportacaoECF::rgTipoProcuradorClick(TComponent*) {
  edProcurador->Clear();
  if (rgTipoProcurador->ItemIndex() == 1) {
    edProcurador->SetTypeCodeVYN(tcEscritorioContabil);
    edProcurador->CampoRetorno = "BDCODESC";
  } else {
    edProcurador->SetTypeCodeVYN(tcContador);
    edProcurador->CampoRetorno = "BDCODCONT";
  }
}

void TfrExportacaoECF::edContaAjusteECFBeforeSearch(TComponent*) {
  edContaAjusteECF->CamposProcurar().AdicionarCampo("BDCODTPLA");
  edContaAjusteECF->CamposProcurar().AdicionarCampo("BDGRUPOCTA");
}

void TfrExportacaoECF::edContaLivroCaixaBeforeSearch(TComponent*) {
  edContaLivroCaixa->CamposProcurar().AdicionarCampo("BDGRUPOCTA");
}

void TfrExportacaoECF::edProcuradorBeforeSearch(TComponent*) {
  if (rgTipoProcurador->ItemIndex() != 0) return;
  for (const char* campo : {"BDDDDCONT", "BDFONECONT", "BDEMAILCONT", "BDINDCRC", "BDDATAVALIDACONT"})
    edProcurador->CamposProcurar().AdicionarCampo(campo);
}

void TfrExportacaoECF::edRtfChange(TComponent*) {
  const std::string arq = Trim(edRtf->Text());
  // A restored set shows the last file picked; the list comes back with the set (RestauraAnexos), so
  // a restore neither attaches the file again nor asks.
  if (arq.empty() || carregando_) return;
  if (std::filesystem::is_regular_file(arq) && !ArquivoRtfValido(arq)) {
    if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN("Não é um arquivo rtf válido. Favor verificar.");
    MessageDlgVYN("Não é um arquivo rtf válido. Favor verificar.", mtInformation, mbOK, 0, FLogEvent);
    edRtf->Clear();
    return;
  }
  ProcuraAnexo(arq);
}

std::string TfrExportacaoECF::CaminhoDoAnexo(const std::string& linha) {
  const auto p = linha.find('-');
  return p == std::string::npos || p + 2 > linha.size() ? "" : linha.substr(p + 2);
}

bool TfrExportacaoECF::ArquivoRtfValido(const std::string& arquivo) {
  const std::string ext = LowerCase(std::filesystem::path(arquivo).extension().string());
  return std::filesystem::is_regular_file(arquivo) && (ext == ".rtf" || ext == ".txt");
}

bool TfrExportacaoECF::ProcuraAnexo(const std::string& arquivo) {
  if (!std::filesystem::is_regular_file(arquivo)) return false;
  for (const auto& item : clbListaArquivos->Items) {
    if (SameText(CaminhoDoAnexo(item.Text), arquivo)) {
      if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN("O arquivo selecionado já se encontra anexado!");
      DlgWarOk("O arquivo selecionado já se encontra anexado!", FLogEvent);
      return true;
    }
  }
  std::string tipo = cbTipoDocumento->ItemIndex() >= 0 ? cbTipoDocumento->Items[static_cast<size_t>(cbTipoDocumento->ItemIndex())] : "";
  auto p = tipo.find('-');
  std::string prefixo = p == std::string::npos ? "" : tipo.substr(0, std::min(tipo.size(), p + 2));
  clbListaArquivos->Add(prefixo + arquivo, true);
  return false;
}

void TfrExportacaoECF::clbListaArquivosKeyDown(int& key, unsigned) {
  if (key != 46) return;   // Delete
  key = 0;
  clbListaArquivosDelete();
}

void TfrExportacaoECF::clbListaArquivosDelete() {
  const int i = clbListaArquivos->ItemIndex;
  if (i < 0 || i >= static_cast<int>(clbListaArquivos->Items.size())) return;
  if (MessageDlgVYN("Deseja excluir o anexo selecionado?", mtConfirmation, mbYes | mbNo, 0, FLogEvent) == mrYes) {
    clbListaArquivos->Items.erase(clbListaArquivos->Items.begin() + i);
    clbListaArquivos->ItemIndex = -1;
  }
}

void TfrExportacaoECF::ckExportaPlanoAnteriorClick(TComponent*) {
  auto* ck = Ck("ckExportaPlanoAnterior");
  // Restoring saved values (the task, a saved configuration) asks nothing: the value was answered when
  // it was saved.
  if (ck->Checked() && !carregando_ && !FalhaNaTarefa()) {
    if (DlgConfSimNao("Esta opção levará ao registro ^J050 as contas do plano de contas anterior que não tiveram "
                      "movimentação na base atual. Juntamente com estas contas, serão exportadas também suas "
                      "respectivas títulos. Ao utilizar esta opção, será necessário que após importar as ^ECDs no "
                      "^PGE, seja efetuada novamente a importação do Sped ^ECF, selecionando apenas o bloco ^J. "
                      "Deseja utilizar esta opção?",
                      FLogEvent) != mrYes)
      ck->SetChecked(false);
  }
  spDepreBens->SetEnabled(ck->Checked());
}

void TfrExportacaoECF::verificaK155() {
  bool on = false;
  if (!edDataFim->IsEmpty() && edDataFim->IsValid() && edCODEMP->Codigo() != 0 && edDataIni->IsValid() &&
      !edDataIni->IsEmpty()) {
    const TDateTime ini = edDataIni->GetData(), fim = edDataFim->GetData();
    if (TDateTime_VYN::GetTrimestreRef(AnoMes(fim)) > TDateTime_VYN::GetTrimestreRef(AnoMes(ini)))
      on = GetQtdEncerramentosPeriodo(edCODEMP->Codigo(), rgContabilizacao->ItemIndex() + 1, ini, fim) == 1;
  }
  edContaAjusteECF->SetEnabled(on);
  if (!on) edContaAjusteECF->Clear();
}

}  // namespace integracao
