#pragma once
// The spreadsheet service of the import engines: a workbook (.xlsx, .xls: its first sheet, as the
// readers of pasta_trabalho.h give it) or a sheet saved as delimited text, one line per row. Text
// rows are kept byte for byte (whatever their encoding), so a copy with rows deleted is the sheet
// the user knows less those rows; a workbook's copy is a new .xlsx of the cells that remain.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vyn {

class EPlanilha : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPlanilhaVYN {
 public:
  virtual ~TPlanilhaVYN() = default;
  // The two kinds of office suite the suite drives; the other kind takes a preparatory setting.
  virtual bool IsOpenOffice() const { return false; }
  void SetPreparacao(bool on) { preparacao_ = on; }
  // Raises EPlanilha when the file cannot be read.
  void Abrir(const std::string& caminho);
  int Linhas() const { return static_cast<int>(pasta_ ? celulas_.size() : linhas_.size()); }
  // The cells of row n (1 = the first): a workbook's cells, or a text row as its one cell.
  std::vector<std::string> Celulas(int n) const;
  // Removes row n (1 = the first); a row past the end is ignored.
  void ExcluiLinha(int n);
  // Raises EPlanilha when the file cannot be written.
  void SalvarComo(const std::string& caminho) const;
  // The path SalvarComo writes when asked for caminho: a binary workbook (.xls) cannot be written
  // again as one, so its copy is an .xlsx of the same name.
  std::string CaminhoGravacao(const std::string& caminho) const;
  const std::vector<std::string>& Conteudo() const { return linhas_; }

 private:
  std::vector<std::string> linhas_;
  std::vector<std::vector<std::string>> celulas_;
  bool pasta_ = false;
  bool xls_ = false;
  bool finalComQuebra_ = true;
  bool preparacao_ = true;
};

std::unique_ptr<TPlanilhaVYN> GetInstanciaExcel();

}  // namespace vyn
