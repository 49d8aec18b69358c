#pragma once
// Seed builders of the obligations the settlement engine settles: tax guides, calculations, fiscal
// documents with their installments and payments, and staged entries of a large-file import. The
// obligations and payments are the suite's other modules' writes (TEscritaForaDoModulo), so they go in
// on the module's attachment too.
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"

namespace vyn::seed {

// An issued tax guide; saldo < 0 means "the whole value is open".
void AddGuia(TDatabase& db, int codEmp, int chaveDarf, Currency valor, Currency saldo = Currency::FromInt(-1));
void AddCalculo(TDatabase& db, int codEmp, int tipoCalc, int chave, int ordem, Currency liquido,
                Currency pago = Currency());

struct ParcelaSeed {
  int Ordem = 1;
  Currency Valor;
  TDateTime Vencto;
  int CodTer = 0;
};

// A document of a fiscal book (0 entries, 1 exits, 2 services, 3 other documents) with its installments.
// natureza: BDTIPLAN of a service, BDIND_OPER of another document (1: the company pays). A zero
// accounting value makes the installments impossible to settle.
void AddDocumentoFiscal(TDatabase& db, int livro, int codEmp, int chave, int numDoc, TDateTime data,
                        Currency valorContabil, const std::vector<ParcelaSeed>& parcelas, int natureza = 1);
// A payment row of an installment (kind 1 principal).
void AddPagamentoParcela(TDatabase& db, int livro, int codEmp, int chave, int ordem, Currency valor, TDateTime data,
                         int tipoBaixa = 1);

// A participant and its registry number (digits only).
void AddTerceiro(TDatabase& db, int codTer, const std::string& cgc);

// A staged entry of a large-file import session.
void AddLancamentoTemp(TDatabase& db, int sessao, int codEmp, int chave, TDateTime data, int debito, int credito,
                       Currency valor, const std::string& dcto, bool vinculado);

}  // namespace vyn::seed
