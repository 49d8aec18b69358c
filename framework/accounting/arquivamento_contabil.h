#pragma once
// The suite's accounting archive: a company's books archived for a period can no longer be exported
// nor changed until they are unarchived (table TARQUIVAMENTO_CONTABIL).
#include <string>

#include "framework/core/datetime.h"

namespace vyn {

class TInconsistencias_VYN;

// The archive's message when one of the companies (a comma list of codes) has its books archived in
// a period that meets [dataIni, dataFim]; "" when none has.
std::string MensagemArquivamentoContabil(const std::string& empresas, TDateTime dataIni, TDateTime dataFim);
// TSQLMGR.TemArquivamentoContabil: True when archived; with mostrar the archive's message is shown
// (a warning box), so the caller stops without a message of its own.
bool TemArquivamentoContabil(const std::string& empresas, TDateTime dataIni, TDateTime dataFim, bool mostrar);

// The company integration screens' rural-producer check (ValidaPrepacaoProdutorRural): a company
// (or branch) registered as a rural producer (CAEPF kind above 0) needs its chart prepared for the
// rural-activity form of the referential plan from the year on. Reports into lista as attention and
// answers whether the preparation is there.
inline constexpr int kFormaAtividadeRural = 4;   // BDCODPLAFORPADRAOREF of the rural-activity form
bool ValidaPrepacaoProdutorRural(int64_t codEmp, int ano, int64_t codPlaPadrao, int64_t codPlaPadraoRef,
                                 TInconsistencias_VYN& lista);

}  // namespace vyn
