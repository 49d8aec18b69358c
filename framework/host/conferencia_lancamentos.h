#pragma once
// The judgement of a scheduled entry import (Dyq and Nibo entry tasks): what the import wrote into
// VSH_EMP_TCONF_TLAN under the run's key decides the run's conference row.
namespace vyn {

class TAutoThreadPadrao;

// Nothing imported raises TErroException after a status-5 conference row of the kind; imported
// lines with inconsistent ones leave status 2; all imported leaves the row as it stands.
void TrataInconsistenciasLancamentos(TAutoThreadPadrao& task, int tipoConferencia);

}  // namespace vyn
