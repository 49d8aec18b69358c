#pragma once
// The lines of an entry file as the import reads them: twice, a first pass for what only the whole file
// tells (the participants it declares anywhere) and a second that imports, so that the file is never
// held in memory whatever its size.
#include <deque>
#include <fstream>
#include <istream>
#include <memory>
#include <sstream>
#include <string>

namespace vyn {

class TLinhasArquivoTxt {
 public:
  virtual ~TLinhasArquivoTxt() = default;
  // The next line in UTF-8 without its line feed; false at the end.
  virtual bool Proxima(std::string& linha) = 0;
  // Back to the first line.
  virtual void Reinicia() = 0;
};

// A client file on disk read as TextoArquivoUtf8 reads it whole: the mark dropped, and each line in its
// own encoding (LinhaArquivoUtf8).
class TArquivoTxtEmLinhas : public TLinhasArquivoTxt {
 public:
  explicit TArquivoTxtEmLinhas(const std::string& caminho);
  bool Aberto() const { return aberto_; }
  bool Proxima(std::string& linha) override;
  void Reinicia() override;

 private:
  // Splits a line holding carriage returns alone into the lines they end, kept for the next calls.
  void SeparaFinsDeLinhaCR();

  std::ifstream in_;
  bool aberto_ = false;
  bool primeira_ = true;
  std::string bruta_;
  std::deque<std::string> seguintes_;
};

// Text already in UTF-8 from a stream; a stream that cannot go back is copied first.
class TFluxoTxtEmLinhas : public TLinhasArquivoTxt {
 public:
  explicit TFluxoTxtEmLinhas(std::istream& in);
  bool Proxima(std::string& linha) override;
  void Reinicia() override;

 private:
  std::unique_ptr<std::istringstream> copia_;
  std::istream* in_;
  std::streampos inicio_;
};

}  // namespace vyn
