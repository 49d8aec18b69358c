#pragma once
// The spreadsheet service of the import engines: a sheet saved as delimited text, one line per row.
// Rows are kept byte for byte (whatever their encoding), so a copy with rows deleted is the sheet
// the user knows less those rows.
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
  int Linhas() const { return static_cast<int>(linhas_.size()); }
  // Removes row n (1 = the first); a row past the end is ignored.
  void ExcluiLinha(int n);
  // Raises EPlanilha when the file cannot be written.
  void SalvarComo(const std::string& caminho) const;
  const std::vector<std::string>& Conteudo() const { return linhas_; }

 private:
  std::vector<std::string> linhas_;
  bool finalComQuebra_ = true;
  bool preparacao_ = true;
};

std::unique_ptr<TPlanilhaVYN> GetInstanciaExcel();

}  // namespace vyn
