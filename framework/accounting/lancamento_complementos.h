#pragma once
// Companions of imported entry lines while they are reviewed: their cost-centre split rows and their
// long complements (each later written with the entry), and the request for the automatic
// transaction links of a period made after an import.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TDateTime_VYN;
class TEdit_Codigo_Search_VYN;
class TSelecionaFiliais_VYN;

// Cost-centre rows of entries (BDCODEMP, BDCHAVE of the entry, BDCODCENTRO, BDSEQ, BDCODTPCC, BDDEBCRE
// 0 debit / 1 credit, BDVALOR). Held in memory by a review and written by its import.
class TLancamentoCentroCustoMGR : public TMgr<TLancamentoCentroCustoMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TLAN_CC";
  explicit TLancamentoCentroCustoMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TLancamentoCentroCustoMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

// Complements longer than the entry's column (BDCODEMP, BDCHAVE, BDCOMPL), in memory while reviewed.
class TVZEL_EMPRESAS_TLAN_COMPLMGR : public TMgr<TVZEL_EMPRESAS_TLAN_COMPLMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TLAN_COMPL";
  explicit TVZEL_EMPRESAS_TLAN_COMPLMGR(TComponent* owner = nullptr, bool = false, bool = true, bool = false,
                                        TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TLAN_COMPLMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

// The suite's generator of automatic transaction links. Here it records the request (company, period
// and the ticked branches) in VZEL_TVINCTRANSACAO_PEDIDO, where the suite's posting service picks
// it up.
class TVZEL_EMPRESAS_TVINCTRANSACAOMGR : public TComponent {
 public:
  TVZEL_EMPRESAS_TVINCTRANSACAOMGR(TComponent* owner = nullptr, bool = true);
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TVINCTRANSACAOMGR"; }
  void GerarTransacoes(TComponent* tela, TEdit_Codigo_Search_VYN* codEmp, TDateTime_VYN* dtIni, TDateTime_VYN* dtFim,
                       int, bool, bool, bool, TSelecionaFiliais_VYN* filiais, int);
};

}  // namespace vyn
