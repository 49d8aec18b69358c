#pragma once
// The judgement of a scheduled entry import (Dyq and Nibo entry tasks): what this run's import wrote
// into VSH_EMP_TCONF_TLAN under the run's key decides the run's conference row; rows an earlier run
// of the same key left are not judged again.
namespace vyn {

class TAutoThreadPadrao;

// Where the entry rows of a run begin: taken when the run starts, handed to the judgement below.
long long MarcaConferenciaLancamentos();

// Whether any entry row (imported or inconsistent) was written under the run's key since marca.
bool ExistemLancamentosConferidos(long long marca);

// Nothing imported since marca raises TErroException after a status-5 conference row of the kind;
// imported lines with inconsistent ones leave status 2; all imported leaves the row as it stands.
// `algoNovo` false: the run's "imported" rows are all lines booked before, so a run with
// inconsistencies is not told as one that imported entries.
void TrataInconsistenciasLancamentos(TAutoThreadPadrao& task, int tipoConferencia, long long marca,
                                     bool algoNovo = true);

}  // namespace vyn
