#pragma once
// Tables of the BI requests whose names in the suite are longer than the 31 characters Firebird 3
// allows for an identifier. The suite's names are kept here; every statement uses the legal name.
namespace vyn {

// The suite's TPEDIDOS_BI_RELATORIOS_RESULTADOS: text lines answering report requests.
inline constexpr const char* kNomeSuiteResultadosRelatorios = "TPEDIDOS_BI_RELATORIOS_RESULTADOS";
inline constexpr const char* kTabelaResultadosRelatorios = "TPEDIDOS_BI_RELATORIOS_RESULT";
// The suite's TPEDIDOS_BI_CONF_FOLHA_RESULTADOS: column sums of configurable payroll reports.
inline constexpr const char* kNomeSuiteResultadosFolha = "TPEDIDOS_BI_CONF_FOLHA_RESULTADOS";
inline constexpr const char* kTabelaResultadosFolha = "TPEDIDOS_BI_CONF_FOLHA_RESULT";

}  // namespace vyn
