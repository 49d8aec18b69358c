#include "framework/ui/bitmap_list.h"

#include "framework/core/text.h"

namespace vyn {

int TBitmapList::AddBitmap(const std::string&, const std::string& name, unsigned) {
  const int i = ImageIndexOf(name);
  if (i >= 0) return i;
  images_.push_back(name);
  return static_cast<int>(images_.size()) - 1;
}

int TBitmapList::ImageIndexOf(const std::string& name) const {
  for (size_t i = 0; i < images_.size(); ++i)
    if (SameText(images_[i], name)) return static_cast<int>(i);
  return -1;
}

std::string TBitmapList::Image(int index) const {
  return index < 0 || static_cast<size_t>(index) >= images_.size() ? std::string() : images_[index];
}

}  // namespace vyn
