#pragma once
// The Dyq statement items the review booked, as the books' record of sources holds them (one row per
// item, its source: known by its id, framework/livros/livros.h): what keeps an item from being booked
// twice when its statement is opened again. Beside it, what Dyq took of the integrated reports
// (TINTEGRACAO_DYQ_INFORMADO: an item booked whole and not taken is reported again), and the returns and
// refusals Dyq did not take (TINTEGRACAO_DYQ_RETORNO), kept until a later review sends them. Every call
// names the kind of account (1 bank statement, 2 cash movement): Dyq numbers each kind's items on its own.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vyn {
class TDatabase;
}

namespace integracao {

class TItensIntegradosDYQ {
 public:
  // The key of item idWeb's source.
  static std::string ChaveFonte(int64_t idWeb);
  // The company's items of that kind booked whole, by id: whether Dyq took their report.
  static std::map<int64_t, bool> Integrados(vyn::TDatabase& db, int empresa, int tipoConta);
  // How many items of one Dyq statement were booked, whole or in part.
  static int64_t GravadosDoExtrato(vyn::TDatabase& db, int empresa, int tipoConta, int64_t idExtrato);
  // Dyq took the integrated report of these items.
  static void MarcaInformados(vyn::TDatabase& db, int empresa, int tipoConta, const std::vector<int64_t>& ids);

  // A return (Tipo 1) or refusal (2) of one item, with the note the client is to read.
  struct TRetorno {
    int64_t IdWeb = 0;
    int64_t IdExtrato = 0;
    int Tipo = 1;
    std::string Observacao;
    std::string Usuario;
  };
  // Keeps (or replaces) a return Dyq did not take; committed on its own, whatever the review does next.
  static void GuardaRetorno(vyn::TDatabase& db, int empresa, int tipoConta, const TRetorno& r);
  // Dyq took it, or the user changed the line's answer: nothing is kept for the item any more.
  static void DescartaRetorno(vyn::TDatabase& db, int empresa, int tipoConta, int64_t idWeb);
  static std::vector<TRetorno> RetornosPendentes(vyn::TDatabase& db, int empresa, int tipoConta);
};

}  // namespace integracao
