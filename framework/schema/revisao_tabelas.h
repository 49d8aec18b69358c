#pragma once
// Work tables of a staged entry review. Each holds rows of review sessions (BDSESSAO) keyed like the
// staged entry line they belong to (BDCODEMP, BDCHAVE), so a line that leaves the review leaves every
// one of them.
#include <array>
#include <cstddef>
#include <string_view>

#include "framework/core/text.h"

namespace vyn {

inline constexpr const char* kTabelaLancamentosTemp = "TMP_VZEL_EMPRESAS_TLAN_TEMP";
// Its twin of the same columns for a session nobody reviews: rows private to the attachment that
// staged them, gone with it. Only that attachment can read or remove them.
inline constexpr const char* kTabelaLancamentosAnexo = "TMP_VZEL_EMPRESAS_TLAN_ANEXO";
// Complements longer than the line's own column (Firebird 3 names are at most 31 characters).
inline constexpr const char* kTabelaComplementosLongos = "TMP_VZEL_EMP_TLAN_COMPL_TEMP";
inline constexpr const char* kTabelaCentrosCusto = "TMP_VZEL_EMPRESAS_TLAN_CC_TEMP";
inline constexpr const char* kTabelaObservacoes = "TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP";
inline constexpr const char* kTabelaIncorporacao = "TMP_VZEL_EMPRESAS_TLAN_INC_TEMP";
inline constexpr const char* kTabelaProdutorRural = "TMP_VZEL_EMPRESAS_TLAN_PR_TEMP";
inline constexpr const char* kTabelaNotaExplicativa = "TMP_VZEL_EMPRESAS_TLAN_NE_TEMP";
inline constexpr const char* kTabelaMultiLancamentos = "TMP_VZEL_EMPRESAS_TLAN_ML_TEMP";

// Every companion of a staged line. The first kDetalhesTemp are the review's details, in the order of
// its detail bar; the long complements and the multiple entries are read into the line's own data
// sets instead.
inline constexpr std::array<const char*, 7> kTabelasCompanheirasTemp = {
    kTabelaCentrosCusto,    kTabelaObservacoes,        kTabelaIncorporacao,    kTabelaProdutorRural,
    kTabelaNotaExplicativa, kTabelaComplementosLongos, kTabelaMultiLancamentos};
inline constexpr std::size_t kDetalhesTemp = 5;

// A complement is long, and lives in the complement tables instead of the line's own column of 200
// characters, when its text without trailing blanks does not fit the column. Staging, the editor's
// save and load and the import all measure it so; a short one keeps at most its column's width.
inline constexpr std::size_t kTamanhoComplementoLinha = 200;
inline bool ComplementoLongo(std::string_view texto) { return Utf8Length(TrimRight(texto)) > kTamanhoComplementoLinha; }
inline std::string ComplementoDaLinha(std::string_view texto) {
  return Utf8Length(texto) > kTamanhoComplementoLinha ? TrimRight(texto) : std::string(texto);
}

}  // namespace vyn
