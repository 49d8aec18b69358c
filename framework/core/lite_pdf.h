#pragma once
// PDF joining (TLitePDF): load any PDF, count its pages, insert another's pages at a position, save.
// Pages written by this code (WritePages) also carry their text, so that callers can tell which page
// landed where; pages of other writers are joined as they are and have no such text.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vyn {

class EPDFError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TLitePDF {
 public:
  TLitePDF();
  // A document of the given text pages, as WritePages would write it.
  explicit TLitePDF(const std::vector<std::string>& pages);

  void LoadFromFile(const std::string& path);
  // Writes the whole document; the file is replaced only once the new one is complete.
  void SaveToFile(const std::string& path) const;
  int PageCount() const;
  // The text of each page written by this code; empty for pages of other writers.
  std::vector<std::string> Pages() const;
  // Inserts every page of other before page index `position` (clipped to 0..PageCount()).
  void InsertPages(const TLitePDF& other, int position);

  // Writes a PDF of the given text pages.
  static void WritePages(const std::string& path, const std::vector<std::string>& pages);

 private:
  struct TDocumento;
  std::shared_ptr<TDocumento> doc_;
};

}  // namespace vyn
