#pragma once
// PDF joining (TLitePDF): load a PDF, count its pages, insert another's pages at a position, save.
// Stand-in of the suite's PDF library: it writes real PDF files (one text page per page) and reads
// back the files it wrote; any other PDF is refused with an error naming the file.
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
  TLitePDF() = default;
  explicit TLitePDF(std::vector<std::string> pages) : pages_(std::move(pages)) {}

  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  const std::vector<std::string>& Pages() const { return pages_; }
  // Inserts every page of other before page index `position` (clipped to 0..PageCount()).
  void InsertPages(const TLitePDF& other, int position);

  // Writes a PDF of the given text pages.
  static void WritePages(const std::string& path, const std::vector<std::string>& pages);

 private:
  std::vector<std::string> pages_;
};

}  // namespace vyn
