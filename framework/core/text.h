#pragma once
// Text helpers of the suite's message and file conventions. Strings are UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyn {

inline constexpr const char* kCRLF = "\r\n";

std::string RemoveCaret(std::string_view s);             // '^' marks capitals; never displayed
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Whether Trim would leave nothing, without copying the text: a filter grown a term per line is asked at each.
bool IsBlank(std::string_view s);
std::string OnlyDigits(std::string_view s);
std::string ZeroPad(std::string_view s, size_t width);   // left-padded with '0'; longer text kept
std::string ZeroPad(long long n, size_t width);
std::string StripLeadingZeros(std::string_view s);       // "00042" -> "42", "000" -> "0"
// The integer the whole text spells ("-12"); none for an empty text, another character or one out of range.
std::optional<int64_t> WholeInteger(std::string_view s);
std::string UpperCase(std::string_view s);               // UTF-8 aware for Latin-1 letters (ç -> Ç)
std::string LowerCase(std::string_view s);
std::string RemoveAccents(std::string_view s);           // "ÇÃO" -> "CAO"
bool SameText(std::string_view a, std::string_view b);   // case-insensitive (UTF-8 aware)
// Compares as the WIN_PTBR collation does: without regard to case and accents. <0, 0, >0.
int CompareTextPTBR(std::string_view a, std::string_view b);
std::vector<std::string> Split(std::string_view s, char sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
bool StartsWithText(std::string_view s, std::string_view prefix);  // case-insensitive
// Whether every character of the UTF-8 text can be stored in WIN1252.
bool FitsWin1252(std::string_view utf8);
size_t Utf8Length(std::string_view s);
std::string Utf8Left(std::string_view s, size_t chars);  // cut to a column's width in characters
// A name made fit for a file: the characters no file name may hold (\ / : * ? " < > | and control
// characters) are dropped, so a company called "Comércio S/A" never makes a folder of its own.
std::string fEliminaCaracteresEspeciais(std::string_view s);
// The text with each byte that is no part of a valid UTF-8 character replaced by U+FFFD: what a
// message may echo of a text it was handed.
std::string Utf8Legivel(std::string_view s);
// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// 16 hex digits of the 64-bit FNV-1a hash of the bytes: a stable name of a text, the same on every
// run and build (not a protection against forgery).
std::string HashTexto(std::string_view s);

}  // namespace vyn
