#include "framework/schema/seed.h"

namespace vyn::seed {

void AddCompany(TDatabase& db, const Company& c) {
  db.Execute("INSERT INTO TEMPRESAS (BDCODEMP, BDCODMATRIZ) VALUES (?, ?)",
             {c.CodEmp, c.CodMatriz ? Variant(c.CodMatriz) : Variant()});
  db.Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCNPJEMP, BDCODPLAPADRAO, BDCODHIST, "
             "BDCODPLANOONLINE) VALUES (?, ?, ?, ?, ?, ?, ?)",
             {c.CodEmp, c.Referencia, c.Nome, c.CNPJ, c.CodPlaPadrao, c.CodHist, c.CodPlanoOnline});
}

void AddCompanyWithAccounts(TDatabase& db, int codEmp, int codPlaPadrao, std::initializer_list<int> contas,
                            int referencia) {
  Company c;
  c.CodEmp = codEmp;
  c.CodPlaPadrao = codPlaPadrao;
  c.Referencia = referencia;
  AddCompany(db, c);
  for (int conta : contas)
    db.Execute("UPDATE OR INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA) VALUES (?, ?)", {codPlaPadrao, conta});
}

void AddHeadOfficeAndBranch(TDatabase& db, int referencia) {
  Company head;
  head.Referencia = referencia;
  AddCompany(db, head);
  Company branch = head;
  branch.CodEmp = 2;
  branch.Nome = "Empresa Modelo Ltda - Filial";
  branch.CNPJ = "11222333000262";
  branch.CodMatriz = head.CodEmp;
  AddCompany(db, branch);
}

void AddChart(TDatabase& db, int codPlaPadrao) {
  struct Account { int code; const char* classif; const char* name; const char* type; int part; bool caixa, banco, aplic; };
  const Account accounts[] = {
      {kContaAtivo, "1", "ATIVO", "S", 0, false, false, false},
      {kContaCaixa, "1.1.1.01", "Caixa", "A", 0, true, false, false},
      {kContaBanco, "1.1.1.02", "Banco conta movimento", "A", 0, false, true, false},
      {kContaAplicacao, "1.1.1.03", "Aplicação financeira", "A", 0, false, false, true},
      {kContaFornecedores, "2.1.1.01", "Fornecedores", "A", 1, false, false, false},
      {kContaClientes, "1.1.2.01", "Clientes", "A", 1, false, false, false},
      {kContaReceitas, "3.1.1.01", "Receita de serviços", "A", 0, false, false, false},
      {kContaDespesas, "4.1.1.01", "Despesas gerais", "A", 0, false, false, false},
      {kContaJurosPagos, "4.2.1.01", "Juros passivos", "A", 0, false, false, false},
      {kContaMultasPagas, "4.2.1.02", "Multas pagas", "A", 0, false, false, false},
      {kContaDescontosObtidos, "3.2.1.01", "Descontos obtidos", "A", 0, false, false, false},
      {kContaJurosRecebidos, "3.2.1.02", "Juros ativos", "A", 0, false, false, false},
      {kContaMultasRecebidas, "3.2.1.03", "Multas recebidas", "A", 0, false, false, false},
      {kContaDescontosConcedidos, "4.2.1.03", "Descontos concedidos", "A", 0, false, false, false},
  };
  TStatement& ins = db.Prepared(
      "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDCTALON, BDNOMCTA, BDAPECTA, BDTIPCTA, BDPARTICIPANTE, "
      "BDCTACAIXAPR, BDCTABANCOPR, BDAPLIFIN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  for (const auto& a : accounts)
    ins.Execute({codPlaPadrao, a.code, a.classif, a.name, a.name, a.type, a.part, a.caixa, a.banco, a.aplic});
}

void AddHistoryPlan(TDatabase& db, int codHist) {
  struct History { int code; const char* alias; const char* name; };
  const History histories[] = {
      {kHistPagamento, "PAG", "Pagamento conforme documento"},
      {kHistRecebimento, "REC", "Recebimento conforme documento"},
      {kHistJuros, "JUR", "Juros sobre pagamento"},
      {kHistMulta, "MUL", "Multa sobre pagamento"},
      {kHistDesconto, "DES", "Desconto obtido"},
  };
  TStatement& ins = db.Prepared("INSERT INTO HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) VALUES (?, ?, ?, ?)");
  for (const auto& h : histories) ins.Execute({codHist, h.code, h.alias, h.name});
}

void AddOnlineConfiguration(TDatabase& db, int codPlanoOnline, int codPlaPadrao, int referencia) {
  struct Conf { int key; const char* classif; int debit; int credit; };
  const Conf confs[] = {
      {1, "01.001.000000001.000000001", kContaFornecedores, kContaBanco},
      {2, "01.001.000000001.000000002.000000001", kContaMultasPagas, kContaBanco},
      {3, "01.001.000000001.000000002.000000002", kContaJurosPagos, kContaBanco},
      {4, "01.001.000000001.000000002.000000003", kContaFornecedores, kContaDescontosObtidos},
      {5, "01.001.000000002.000000001", kContaBanco, kContaClientes},
      {6, "01.001.000000002.000000002.000000001", kContaBanco, kContaMultasRecebidas},
      {7, "01.001.000000002.000000002.000000002", kContaBanco, kContaJurosRecebidos},
      {8, "01.001.000000002.000000002.000000003", kContaDescontosConcedidos, kContaClientes},
  };
  for (const auto& c : confs) {
    db.Execute("UPDATE OR INSERT INTO TCONF_CONTAS_ONLINE (BDCODPLANOONLINE, BDCHAVE, BDCODPLAPADRAO, BDCLASSIFICACAO) "
               "VALUES (?, ?, ?, ?) MATCHING (BDCODPLANOONLINE, BDCHAVE)",
               {codPlanoOnline, c.key, codPlaPadrao, c.classif});
    db.Execute("INSERT INTO TCONF_CONTAS_ONLINE_REF (BDCODPLANOONLINE, BDCHAVE, BDREFCTA, BDCONTADEBPGTO, "
               "BDCONTACREDPGTO) VALUES (?, ?, ?, ?, ?)",
               {codPlanoOnline, c.key, referencia, c.debit, c.credit});
  }
}

void AddStandardCompany(TDatabase& db, int referencia) {
  AddHeadOfficeAndBranch(db, referencia);
  AddChart(db);
  AddHistoryPlan(db);
  AddOnlineConfiguration(db, 1, 1, referencia);
}

}  // namespace vyn::seed
