#pragma once
// The columns a code edit's search list shows after the code and the name. A screen adds columns of
// the record in the edit's OnBeforeSearch (AdicionarCampo); they hold for the search under way only,
// as the edit starts every search with none, so a column added for one kind of code never lingers
// on another (an edit switched from accountants to accounting offices).
#include <string>
#include <vector>

#include "framework/ui/fields_container.h"

namespace vyn {

class TCamposProcurar : public TFieldsContainer {
 public:
  using TFieldsContainer::TFieldsContainer;
  std::string ClassName() const override { return "TCamposProcurar"; }

  // Adds the column of the record's field, titled by its name; a field already there (whatever its
  // letter case) is not added twice. A name that is no plain identifier is refused: it reaches the
  // search's SQL.
  void AdicionarCampo(const std::string& campo);
  // The fields added, in their order.
  std::vector<std::string> Campos() const;
};

}  // namespace vyn
