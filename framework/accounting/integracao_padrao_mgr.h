#pragma once
// The base of the integration managers: a free-SQL data-access object with its own start and run.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TIntegracao_Padrao_MGR : public TDAOFactory {
 public:
  explicit TIntegracao_Padrao_MGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TDAOFactory(owner, {}, db) {}
  std::string ClassName() const override { return "TIntegracao_Padrao_MGR"; }
  bool InheritsFrom(const std::string& class_name) const override {
    return class_name == "TIntegracao_Padrao_MGR" || TDAOFactory::InheritsFrom(class_name);
  }

  // Called once by the maker after construction; the derived classes call the inherited one first.
  virtual bool Inicializa() { return true; }
  virtual void Execute() {}
};

}  // namespace vyn
