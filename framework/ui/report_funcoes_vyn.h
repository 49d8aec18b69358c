#pragma once
// The host's table of report functions: 119 entries of seven fields; field 4 is the declaration in
// the report's script language (empty: not registered), fields 5 and 1 the category, 6 and 2 the
// description. Also the value helpers the report functions answer with.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

struct TFuncaoReportVYN {
  std::array<std::string, 7> Campos;
};

// The entries this installation registers (the rest of the host's 119 are empty).
const std::vector<TFuncaoReportVYN>& WP_FUNCOES_REPORT_VYN();

// Numbers in words, pt-BR. With the decimal switch on the value is an amount of money, read to the
// centavo after rounding ("mil, duzentos e trinta e quatro reais e cinquenta e seis centavos",
// "um milhão de reais", "um real e um centavo"); off, only the whole part is read, as a plain
// number ("doze" for 12.9). The sign is not read. Zero is "zero" (money: "zero real").
std::string GetExtenso(Currency valor, bool retornaDecValor = true);

// To `decimais` places (0 to 4; more keeps the value, fewer than 0 is an error): rounded half away
// from zero, or cut toward zero.
Currency ArredondaVYN(Currency valor, int decimais);
Currency CortaVYN(Currency valor, int decimais);

// An amount as a report shows it: pt-BR, `decimais` places (0 to 4, rounded), thousands grouped
// when separaMilhar, and the empty text for zero when zeroEmBranco.
std::string getFormataValorRelatorio(Currency valor, bool separaMilhar, bool zeroEmBranco, int decimais);

// A decimal text ("1234.5", "-3") through a picture mask: '0' and '9' are digits always shown, '#'
// digits shown only when the number has them (else `preenche`, when given); the mask's last ','
// is the decimal comma, and the number is rounded to the places after it; any other character is
// kept between digits. Integer digits the mask has no room for are kept in front. A text that is
// not a number comes back as it is.
std::string GetStrToMascara(const std::string& numero, const std::string& mascara, const std::string& preenche = {});
// Without the characters of a picture mask: . - / \ ( ) , : and blanks.
std::string GetTiraSinaisPicture(std::string_view texto);

// Saturday, Sunday or a national bank holiday (fixed dates, Carnival Monday and Tuesday, Good
// Friday and Corpus Christi; 20 November from 2024). `tipo` and `numero` name a state's or city's
// own holidays, which this installation does not keep.
bool GetSabadoDomingoFeriado(TDateTime data, int tipo, int numero);
// Whole years from one date to the other (completed anniversaries), whatever their order.
int YearsBetween_VYN(TDateTime de, TDateTime ate);

// The longest start of the text that fits `largura` pixels in the font (at 96 dots per inch, no
// style). Without the screen's fonts the widths are the standard metrics of a proportional sans
// serif, or of a fixed-pitch face for Courier-like names.
std::string getTextToWidth(const std::string& texto, int largura, const std::string& fonte, int tamanho);

// How many times `parte` occurs in `texto` (without overlapping); 0 for an empty part.
int GetNVezes(std::string_view texto, std::string_view parte);
// The text repeated `vezes` times (nothing for 0 or less).
std::string SetReplicate(std::string_view texto, int vezes);

}  // namespace vyn
