#pragma once
// The images a control or a toolbar shows, taken by name from the maker's image library. Nothing is
// drawn: a cell or a button names its image by its index here, which is what a display decision
// answers and a test reads back.
#include <string>
#include <vector>

namespace vyn {

// The maker's image library, where the screens' images come from.
inline constexpr const char* kBibliotecaImagens = "VynImagens";

class TBitmapList {
 public:
  // Registers the image once (names without regard to case) and answers its index; the library and
  // the transparent colour say where the maker keeps it and how it is drawn, neither of which matters
  // headless.
  int AddBitmap(const std::string& library, const std::string& name, unsigned colour = 0);
  // The index of a registered image; -1 when it is not in the list.
  int ImageIndexOf(const std::string& name) const;
  // The image at an index; empty for -1 or an index out of the list.
  std::string Image(int index) const;
  const std::vector<std::string>& Images() const { return images_; }

 private:
  std::vector<std::string> images_;
};

}  // namespace vyn
