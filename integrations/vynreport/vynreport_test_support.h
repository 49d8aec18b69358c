#pragma once
// Test support of the portal's payment screens: a company enabled for the portal with one tax whose
// report carries a web tag, issued guides, and the portal's address pointed at a loopback fake.
#include <string>

#include <fmt/format.h>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"
#include "testing/fake_http_server.h"
#include "testing/settlement_seed.h"

namespace integracao::teste {

inline vyn::Currency C(const char* texto) { return vyn::Currency::Parse(texto); }

constexpr int kImposto = 10;          // the tax of the guides
constexpr int kEmpresaWeb = 42;       // company 1's code on the portal
constexpr const char* kTag = "DARF_PIS";

// Company 1 (and its branch 2) with the online configuration, company 1 enabled for the portal, the
// tax with its report and a second paying account ("Caixa") linked to the payment configuration.
inline void PreparaEmpresa(vyn::TDatabase& db, const vyn::TFakeHttpServer& portal) {
  vyn::seed::AddStandardCompany(db, 202401);
  db.Execute("update TEMPRESAS set BDCODWEB = ? where BDCODEMP = 1", {kEmpresaWeb});
  db.Execute("insert into TYRK_TRELATORIOS (BDCHAVE, BDDESCRICAO, BDTAGWEB, BDQUEBRA) values (1, 'PIS', ?, ?)",
             {kTag, "CodEmpYRK(<Dados.\"BDCODEMP\">) + '|' + TagYRK + '|' + <Dados.\"BDTOTAL\">"});
  db.Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCHAVEYRK) values (?, 'PIS', 1)", {kImposto});
  db.Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP) values (11, 'SEM PORTAL')");
  db.Execute("insert into TCONF_CONTAS_ONLINE (BDCODPLANOONLINE, BDCHAVE, BDCODPLAPADRAO, BDCLASSIFICACAO, BDCHAVEVINC)"
             " values (1, 9, 1, '01.001.000000001.000000001', 1)");
  db.Execute("insert into TCONF_CONTAS_ONLINE_REF (BDCODPLANOONLINE, BDCHAVE, BDREFCTA, BDCONTADEBPGTO, "
             "BDCONTACREDPGTO) values (1, 9, 202401, ?, ?)",
             {vyn::seed::kContaFornecedores, vyn::seed::kContaCaixa});
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_VYNREPORT_URL', ?)",
             {portal.BaseURL()});
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_VYNREPORT_TOKEN', 'tok-vyn')");
}

// An issued guide of the tax and its settlement row (open balance = total).
inline void Guia(vyn::TDatabase& db, int chave, int referencia, const char* valor, const char* total,
                 const char* juros = "0", const char* multa = "0", int codImp = kImposto) {
  db.Execute("insert into TDARFPADRAO (BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDDATAVCTO, BDVALOR, BDTOTAL, "
             "BDJUROS, BDMULTA, BDCODRECOF) values (1, ?, ?, ?, ?, ?, ?, ?, ?, '8109-02')",
             {chave, codImp, referencia, vyn::LastDayOfAnoMes(referencia), C(valor), C(total), C(juros), C(multa)});
  vyn::seed::AddGuia(db, 1, chave, C(total));
}

// The portal's JSON of one payment.
// The portal's id of a payment is what it says of it unless told: equal payments are the same one.
inline std::string Pagamento(const char* valorOriginal, const char* total, const char* apelido = "Caixa",
                             int mes = 3, const char* tag = kTag, const char* id = nullptr) {
  const std::string identificador = id ? id : fmt::format("{}-{}-{}-{}-{}", tag, mes, valorOriginal, total, apelido);
  return fmt::format(R"({{"id":"{}","relatorioId":"{}","mesRef":{},"anoRef":2024,"funcionarioId":0,)"
                     R"("valorOriginal":"{}","dataPagamento":"2024-04-20","valorMulta":"0","valorJuros":"0",)"
                     R"("valorPagoTotal":"{}","formaPagamentoApelido":"{}"}})",
                     identificador, tag, mes, valorOriginal, total, apelido);
}

}  // namespace integracao::teste
