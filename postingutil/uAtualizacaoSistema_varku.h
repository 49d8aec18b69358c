#pragma once
// The update scheduling dialog: one row of the parameter table tells the suite's updater when
// (now or at a time of day) and how to update; the dialog records that row or cancels it.
#include <string>

#include "framework/ui/dados_complementares.h"

namespace vyn {
class TRadioGroup;
class TDateTimePicker;
class TLogEvent;
}  // namespace vyn

namespace integracao {

// The parameter row's key; the updater reads BDVALORSTR ("HH:mm", or empty for now) and
// BDVALORINT (the update mode).
inline constexpr const char* kParamAtualizacaoPeloVarku = "ATUALIZACAOPELOVARKU";

class TfrAtualizacaoSistema_varku : public vyn::TfrDadosComplementaresPadrao {
 public:
  explicit TfrAtualizacaoSistema_varku(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrAtualizacaoSistema_varku"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TRadioGroup* rgExecutarAtualizacao;
  vyn::TRadioGroup* rgModoAtualizacao;
  vyn::TDateTimePicker* dpHoras;
  // The dialog's action-log record (table TPARAMETRO); lives from FormCreate to FormDestroy.
  vyn::TLogEvent* LogEventoAtualizacao = nullptr;

  // Cancels the recorded schedule (the toolbar's cancel button); the dialog stays open.
  void spCancelarClick(vyn::TComponent* sender) override;
  void rgExecutarAtualizacaoClick(vyn::TComponent* sender);
  void setEnabledTimePicker();
  std::string getTime() const;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormDestroy() override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;
};

}  // namespace integracao
