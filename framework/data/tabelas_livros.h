#pragma once
// The tables only the books' gate (framework/livros) writes: ledger entries and their details, the
// obligations' payments and balances, the fiscal import queue, the record of posted links and of booked
// sources. A data set over one of them shows rows; it never writes them back.
#include <algorithm>
#include <array>
#include <string_view>

namespace vyn {

inline constexpr std::array<std::string_view, 19> kTabelasDosLivros = {
    "VZEL_EMPRESAS_TLAN",        "VZEL_EMPRESAS_TLAN_COMPL",  "VZEL_EMPRESAS_TLAN_CC",
    "VEF_EMP_TMOVENTPAR",        "VEF_EMP_TMOVSAIPAR",        "VEF_EMP_TMOVSERPAR",
    "VEF_EMP_TMOVF100PAR",       "VEF_EMP_TMOVENTPARPGTO",    "VEF_EMP_TMOVSAIPARPGTO",
    "VEF_EMP_TMOVSERPARPGTO",    "VEF_EMP_TMOVF100PARPGTO",   "TDARFGERPGTO",
    "TDARFGERPGTO_BAIXA",        "TDADOSPGTOCALC",            "TDADOSPGTOCALC_BAIXA",
    "VEF_TFILA_IMPORTACAO_EF",   "VZEL_EMP_TVINC_BAIXA_LANC", "TINTEGRACAO_FONTE_LANCADA",
    "TINTEGRACAO_FONTE_PARTE"};

// The session context by which the database itself holds that boundary (framework/schema/guarda_livros.cpp,
// framework/livros/marca_livros.h): on an attachment marked as the module's (kContextoModulo), a write to
// one of these tables, by whatever statement or trigger, is refused unless the gate marks it as its own
// (kContextoLivros). Other programs' attachments (the suite's screens, isql) carry no mark.
inline constexpr const char* kContextoModulo = "INTEGRACAO_MODULO";
inline constexpr const char* kContextoLivros = "INTEGRACAO_LIVROS";
// The source (company|kind|key) whose account the gate's statement has just opened with the sum of the
// parts it writes next (a transaction context value, set and cleared by that statement): the parts'
// trigger does not add them to the account a second time.
inline constexpr const char* kContextoFonteSomada = "INTEGRACAO_FONTE_SOMADA";

// Whether table (upper case, as the schema names it) is one of them.
inline bool TabelaDosLivros(std::string_view table) {
  return std::find(kTabelasDosLivros.begin(), kTabelasDosLivros.end(), table) != kTabelasDosLivros.end();
}

}  // namespace vyn
