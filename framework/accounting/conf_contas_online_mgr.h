#pragma once
// The online account configuration of a posting plan (TCONF_CONTAS_ONLINE and its monthly payment
// accounts in TCONF_CONTAS_ONLINE_REF).
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

// One configuration as it is valid at a date.
struct TContaOnline {
  int Plano = 0;
  int Chave = 0;
  std::string Classificacao;
  int RefCta = 0;            // the month (YYYYMM) it is valid from
  int ContaDebPgto = 0;
  int ContaCredPgto = 0;
};
using TListaContasOnline = std::vector<TContaOnline>;

// The classification of a configuration of each part of a settlement: the one a payment takes and the
// one a receipt takes.
struct TClassificacaoOnline {
  const char* Pagamento;
  const char* Recebimento;
};
inline constexpr TClassificacaoOnline kClassificacaoPrincipal{"01.001.000000001.000000001", "01.001.000000002.000000001"};
inline constexpr TClassificacaoOnline kClassificacaoMulta{"01.001.000000001.000000002.000000001",
                                                          "01.001.000000002.000000002.000000001"};
inline constexpr TClassificacaoOnline kClassificacaoJuros{"01.001.000000001.000000002.000000002",
                                                          "01.001.000000002.000000002.000000002"};
inline constexpr TClassificacaoOnline kClassificacaoDesconto{"01.001.000000001.000000002.000000003",
                                                             "01.001.000000002.000000002.000000003"};

class TCONF_CONTAS_ONLINEMGR : public TMgr<TCONF_CONTAS_ONLINEMGR> {
 public:
  explicit TCONF_CONTAS_ONLINEMGR(TComponent* owner = nullptr, TDatabase* db = nullptr)
      : TMgr(owner, "TCONF_CONTAS_ONLINE", db) {}
  std::string ClassName() const override { return "TCONF_CONTAS_ONLINEMGR"; }

  // The configuration of the plan's key valid at the date: its latest month not after the date's.
  // Empty when the key has none.
  TListaContasOnline GetConfiguracaoPorChave(int plano, int chave, TDateTime data);
  // Opens this data set on every configuration of the classification valid at the month (YYYYMM):
  // the main key and the keys linked to it (another paying account each), with BDCHAVE,
  // BDCHAVEVINC (null on the main one), BDREFCTA, BDCONTADEBPGTO, BDCONTACREDPGTO and BDAPECTACO
  // (the nickname of the credit account in the plan's chart). The flags and the last argument of
  // the suite's signature are accepted for its callers; tipo -2 asks for the several accounts.
  void getConsultaVariasContas(int plano, int tipo, int referencia, const std::string& classificacao, bool = true,
                               bool = true, bool = false, int = -1);
  int GetCHAVE() const;
  int GetCONTACREDPGTO() const;
};

}  // namespace vyn
