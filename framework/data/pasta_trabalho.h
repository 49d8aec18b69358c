#pragma once
// Reads the first sheet of a workbook (.xlsx, or the older binary .xls) into its rows of cell texts,
// row 1 first. Rows without any cell in the middle of the sheet are kept as empty rows so that line
// numbers match the sheet's; blank rows after the last filled one are dropped.
//
// Cells come out as the user sees them in a pt-BR sheet saved as text: dates as DD/MM/YYYY, numbers
// as the value stored (never re-rounded through a binary float) with a decimal comma, so that the
// row rules read them exactly as they read the ";" text export of the same sheet.
#include <string>
#include <string_view>
#include <vector>

namespace vyn {

using TLinhasPlanilha = std::vector<std::vector<std::string>>;

// Both throw EArquivoImportacao (framework/data/arquivo_importacao.h) on a file they cannot read.
// When the workbook has more sheets, `aviso` receives a sentence naming the one read.
TLinhasPlanilha LerPastaXlsx(const std::string& arquivo, std::string* aviso = nullptr);
TLinhasPlanilha LerPastaXls(const std::string& arquivo, std::string* aviso = nullptr);

// What a file's first bytes say it is: a workbook package (.xlsx), a binary workbook (.xls) or
// neither (text). Files are told apart by content, whatever their names.
enum class TTipoPastaTrabalho { Nenhuma, Xlsx, Xls };
TTipoPastaTrabalho TipoPastaTrabalho(std::string_view inicio);
TTipoPastaTrabalho TipoPastaTrabalhoArquivo(const std::string& arquivo);
// Reads the first sheet of a workbook of either kind.
TLinhasPlanilha LerPastaTrabalho(const std::string& arquivo, std::string* aviso = nullptr);

// Writes rows as the one sheet of a new .xlsx package (throws EArquivoImportacao when it cannot).
// A cell holding a plain decimal number as the readers give it ("1234,5", "-3") is written as that
// number; every other cell as its text, so reading the package back gives the same cells.
void GravaPastaXlsx(const std::string& arquivo, const TLinhasPlanilha& linhas);

// Helpers shared by both formats (exposed for their tests).
// A number as stored ("1234.5", "1.5E-3", "-12") as plain decimal text with a comma: "1234,5".
std::string NumeroArmazenadoParaTexto(const std::string& armazenado);
// A day serial of the sheet's date system ("45366", "45366.75") as DD/MM/YYYY; "" when not a serial.
std::string SerialParaData(const std::string& armazenado, bool sistema1904);

}  // namespace vyn
