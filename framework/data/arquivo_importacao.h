#pragma once
// The spreadsheet reader of the import screens: one line per sheet row with its cells joined by ";".
// It reads workbooks (.xlsx, .xls: the first sheet, see pasta_trabalho.h) and sheets saved as text
// separated by ";", with cells quoted as spreadsheet programs quote them. The format is told by the file's content, not by its name. Text in UTF-8 is taken
// as it is; any other text is read as WIN1252, the encoding the suite's spreadsheets are saved in.
#include <stdexcept>
#include <string>
#include <vector>

namespace vyn {

class EArquivoImportacao : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TArquivoImportacao {
 public:
  // Reads the whole file; the cursor is on its first line. `tamanhoMaximo` is the framework's
  // argument of the suite's reader and changes nothing here.
  void LoadArquivo(const std::string& arquivo, int tamanhoMaximo = 0);
  int Count() const { return static_cast<int>(linhas_.size()); }
  void First() { atual_ = 0; }
  void Next() { if (atual_ < Count()) ++atual_; }
  bool Eof() const { return atual_ >= Count(); }
  int RecNo() const { return atual_; }
  // The current line's text ("" past the end).
  const std::string& Linha() const;
  const std::vector<std::string>& Linhas() const { return linhas_; }
  // The current line's cells (none past the end). A workbook cell holding ";" stays one cell here,
  // while splitting its joined line would shift the columns after it.
  const std::vector<std::string>& Celulas() const;
  // What the user must know of the reading ("" nothing): which sheet of a workbook with several.
  const std::string& Aviso() const { return aviso_; }

 private:
  void LerTextoDelimitado(const std::string& conteudo);
  std::vector<std::string> linhas_;
  std::vector<std::vector<std::string>> celulas_;
  int atual_ = 0;
  std::string aviso_;
};

// WIN1252 text to UTF-8.
std::string Win1252ToUtf8(const std::string& text);
bool IsValidUtf8(const std::string& text);
// One line of a text file as UTF-8: itself when it is valid UTF-8, else read as WIN1252 (a line with
// WIN1252 accents is never valid UTF-8; bytes WIN1252 leaves undefined become U+FFFD, which no
// WIN1252 column takes, so the line is refused where its text is checked).
std::string LinhaArquivoUtf8(const std::string& linha);
// A whole text file's content as UTF-8: a byte-order mark is dropped, and each line is read in its own
// encoding (LinhaArquivoUtf8): files whose lines were appended by different programs mix them.
std::string TextoArquivoUtf8(std::string conteudo);

}  // namespace vyn
