#pragma once
// The payroll package's look-up of employees, opened by an employee code edit's search button.
#include <cstdint>
#include <vector>

#include "framework/ui/consulta_padrao.h"

namespace vyn {

class TDAOFactory;

// Lists the employees of the company of the opening edit's master edit (every company without one),
// by code. The user picks one row, or marks several (Ctrl and Shift clicks) and confirms with Enter
// or a double click.
class TfrConsultaColaboradores : public TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaColaboradores(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaColaboradores"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The codes the user chose: the marked rows, else the row under the cursor; none when the
  // consultation was left without a choice.
  std::vector<int64_t> Escolhidos() const;

 protected:
  void FormCreate() override;
  void Seleciona() override;

 private:
  TDAOFactory* FDados;
};

}  // namespace vyn
