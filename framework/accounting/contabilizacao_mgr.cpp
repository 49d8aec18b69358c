#include "framework/accounting/contabilizacao_mgr.h"

#include <cctype>
#include <stdexcept>

#include "framework/core/text.h"
#include "framework/data/sql_value.h"
#include "framework/ui/grid.h"

namespace vyn {

TfrConsultaContabilizacao::TfrConsultaContabilizacao(TComponent* owner) : TfrConsulta_Padrao_VYN(owner) {
  SetName("frConsultaContabilizacao");
  SetCaption("Consulta de lançamentos contábeis");
  SetPodeExcluir(false);   // entries are removed by the process that posted them, never from here
  grConsulta->AddColumn("BDCHAVE", "Chave");
  grConsulta->AddColumn("BDDATA", "Data");
  grConsulta->AddColumn("BDDEBITO", "Débito");
  grConsulta->AddColumn("BDCREDITO", "Crédito");
  grConsulta->AddColumn("BDVALOR", "Valor");
  grConsulta->AddColumn("BDCODTPHI", "Histórico");
  grConsulta->AddColumn("BDCOMPL", "Complemento");
  grConsulta->AddColumn("BDDCTO", "Documento");
}

bool TfrConsultaContabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaContabilizacao") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

std::string TContabilizacaoMGR::SQLConsultaContabilizacao(const std::string& tabela, const std::string& alias,
                                                          const std::string& condicao, int codEmp) {
  if (!IsSQLIdentifier(tabela) || !IsSQLIdentifier(alias))
    throw std::invalid_argument("Tabela ou apelido inválido: " + tabela + " " + alias);
  std::string sql = "SELECT LAN.BDCODEMP, LAN.BDCHAVE, LAN.BDDATA, LAN.BDDEBITO, LAN.BDCREDITO, LAN.BDVALOR,"
                    " LAN.BDCODHIST, LAN.BDCODTPHI, LAN.BDCOMPL, LAN.BDDCTO FROM VZEL_EMPRESAS_TLAN LAN"
                    " WHERE LAN.BDCODEMP = " + std::to_string(codEmp) +
                    " AND EXISTS (SELECT 1 FROM " + tabela + " " + alias + " WHERE " + alias +
                    ".BDCODEMP = LAN.BDCODEMP AND " + alias + ".BDCHAVELAN = LAN.BDCHAVE";
  if (!Trim(condicao).empty()) sql += " AND (" + condicao + ")";
  return sql + ") ORDER BY LAN.BDDATA, LAN.BDCHAVE";
}

TfrConsultaContabilizacao* TContabilizacaoMGR::pAbreConsultaContabilizacaoSQL(TComponent* owner,
                                                                              const std::string& tabela,
                                                                              const std::string& alias,
                                                                              const std::string& condicao, int codEmp,
                                                                              bool modal) {
  if (!owner) throw std::invalid_argument("A consulta de lançamentos precisa de um dono");
  const std::string sql = SQLConsultaContabilizacao(tabela, alias, condicao, codEmp);
  TfrConsultaContabilizacao* form = CreateForm<TfrConsultaContabilizacao>(*owner);
  try {
    form->SetSQL(sql);
    form->Atualiza();
  } catch (...) {
    form->Free();
    throw;
  }
  if (!modal) {
    form->Show();
    return form;
  }
  form->ShowModal();
  form->Free();
  return nullptr;
}

}  // namespace vyn
