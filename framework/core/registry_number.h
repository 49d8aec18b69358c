#pragma once
// Registry numbers (CNPJ, CPF): kept and compared as digits only, shown punctuated.
#include <string>
#include <string_view>

namespace vyn {

bool IsValidCNPJ(std::string_view text);          // digits of the text: 14 with both check digits right
bool IsValidCPF(std::string_view text);           // 11 digits, check digits right, not all equal
std::string FormatCNPJ(std::string_view text);    // "12.345.678/0001-95"; other lengths returned as digits
std::string FormatCPF(std::string_view text);     // "123.456.789-09"
std::string FormatRegistryNumber(std::string_view text);  // by length: 14 CNPJ, 11 CPF, else digits
bool SameRegistryNumber(std::string_view a, std::string_view b);  // digits only

// A CPF, CNPJ or CNO typed in a sheet cell, as digits only: "" when the cell holds anything but digits
// and their punctuation (".", "-", "/", spaces), as "1e3" does, or when the check digits of a CPF
// (11) or CNPJ (14) are wrong. A workbook that held the number as a number dropped its leading zeros:
// they are put back where that makes a valid CPF or CNPJ. Twelve digits that make no CNPJ are a CNO.
std::string RegistryNumberFromCell(std::string_view cell);

}  // namespace vyn
