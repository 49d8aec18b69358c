#pragma once
// The rich text control: a multi-line text holder (the screens use hidden ones to pass a text to
// the framework's text searches).
#include <string>
#include <vector>

#include "framework/ui/edit.h"

namespace vyn {

class TRxRichEdit_VYN : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
  std::string ClassName() const override { return "TRxRichEdit_VYN"; }
  // The text's lines ("\r\n" and "\n" both end a line).
  std::vector<std::string> Lines() const;
};

}  // namespace vyn
