#pragma once
// The consultation of posted entries: the entries a process linked to its own records, shown in the
// framework's entry consultation.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {

// The entries of one company that a link table names (its columns BDCODEMP and BDCHAVELAN: the
// entry's key), narrowed by a condition over the link table's alias.
class TfrConsultaContabilizacao : public TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaContabilizacao(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaContabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

class TContabilizacaoMGR {
 public:
  // Reserves quantidade consecutive entry keys of the company on the server; answers the first.
  static int GetChaveLancamento(int codEmp, int quantidade, bool);
  // Opens the entry consultation (owned by owner) over the entries of the company linked through
  // the table under the alias and matching the condition (SQL over the alias, written by the
  // caller). Modal: returns once the consultation is closed; otherwise the open consultation is
  // returned. The table and alias must be plain names.
  static TfrConsultaContabilizacao* pAbreConsultaContabilizacaoSQL(TComponent* owner, const std::string& tabela,
                                                                   const std::string& alias,
                                                                   const std::string& condicao, int codEmp,
                                                                   bool modal);
  // The SQL of that consultation.
  static std::string SQLConsultaContabilizacao(const std::string& tabela, const std::string& alias,
                                               const std::string& condicao, int codEmp);
};

}  // namespace vyn
