#pragma once
// Text extraction of PDF files, page by page, as the suite's PDF unit offers it.
#include <string>

namespace vyn {

// Pages of the file; 0 when it cannot be opened (missing, damaged, encrypted or not a PDF).
int PDFPageCount(const std::string& arquivo);
// Whether the file is a PDF that opens only with a password the reader does not have.
bool PDFProtegidoPorSenha(const std::string& arquivo);
// The text of one page (pages counted from 1), lines separated by '\n' in reading order (UTF-8).
// Empty for page 0, a page out of range or a file that cannot be opened.
std::string PDFTextGet(const std::string& arquivo, int pagina);

}  // namespace vyn
