#pragma once
// Seed builders for tests and the demo: a company (head office and branch), a chart of accounts,
// a history plan and a month's online account configuration.
#include <initializer_list>
#include <string>

#include "framework/data/fb_database.h"

namespace vyn::seed {

// Accounts of the seeded chart (BDCODTPLA).
constexpr int kContaAtivo = 1;            // synthetic
constexpr int kContaCaixa = 10;
constexpr int kContaBanco = 11;
constexpr int kContaAplicacao = 12;       // financial application
constexpr int kContaFornecedores = 20;    // with participant
constexpr int kContaClientes = 21;        // with participant
constexpr int kContaReceitas = 30;
constexpr int kContaDespesas = 40;
constexpr int kContaJurosPagos = 50;
constexpr int kContaMultasPagas = 51;
constexpr int kContaDescontosObtidos = 52;
constexpr int kContaJurosRecebidos = 53;
constexpr int kContaMultasRecebidas = 54;
constexpr int kContaDescontosConcedidos = 55;

// Histories of the seeded plan (BDCODTPHI).
constexpr int kHistPagamento = 1;
constexpr int kHistRecebimento = 2;
constexpr int kHistJuros = 3;
constexpr int kHistMulta = 4;
constexpr int kHistDesconto = 5;

struct Company {
  int CodEmp = 1;
  std::string Nome = "Empresa Modelo Ltda";
  std::string CNPJ = "11222333000181";
  int CodMatriz = 0;            // 0: head office
  int Referencia = 202401;      // first reference month (YYYYMM)
  int CodPlaPadrao = 1;         // chart of accounts
  int CodHist = 1;              // history plan
  int CodPlanoOnline = 1;       // online posting plan
};

void AddCompany(TDatabase& db, const Company& c);
// Head office 1 ("Empresa Modelo Ltda") and its branch 2 ("Empresa Modelo Ltda - Filial"), same chart.
void AddHeadOfficeAndBranch(TDatabase& db, int referencia = 202401);
void AddChart(TDatabase& db, int codPlaPadrao = 1);
void AddHistoryPlan(TDatabase& db, int codHist = 1);
// The eight classifications of the online configuration (payments and receipts: principal, fine,
// interest, discount), keys 1..8, valid from referencia on.
void AddOnlineConfiguration(TDatabase& db, int codPlanoOnline = 1, int codPlaPadrao = 1, int referencia = 202401);
// A company with a chart of its own holding only the accounts given: the books take entries on them.
void AddCompanyWithAccounts(TDatabase& db, int codEmp, int codPlaPadrao, std::initializer_list<int> contas,
                            int referencia = 202401);
// All of the above for a head office and branch.
void AddStandardCompany(TDatabase& db, int referencia = 202401);

}  // namespace vyn::seed
