#pragma once
// Test support of the statement review's own units: the review opened on a company with the seeded
// chart (bank account 11) and history plan, over lines the test gives.
#include "bankstatement/dyq_test_support.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {

// One line: key, debit, credit, value (whole), history, complement.
struct TLinhaTeste {
  int Chave, Debito, Credito, Valor, Historico;
  std::string Compl;
};

class RevisaoLinhasTest : public DyqDialogTest {
 protected:
  void SetUp() override {
    DyqDialogTest::SetUp();
    DesregistraModulo(vyn::ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, vyn::TClassKind::Screen)});
    RegistraModulo(vyn::ClassRegistry(),
                   {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, vyn::TClassKind::Screen)});
    vyn::seed::AddChart(Db(), 3);
    vyn::seed::AddHistoryPlan(Db(), 1);
    Db().Execute("insert into TTERCEIRO (BDCODTER, BDNOMETER) values (77, 'Fornecedor Alfa')");
    empresa_ = principal_->Create<vyn::TEdit_Codigo_Search_VYN>(static_cast<int>(vyn::tcEmpresas));
    empresa_->SetText("15");
    conta_ = principal_->Create<vyn::TEdit_Codigo_Search_VYN>(static_cast<int>(vyn::tcPlanoContas));
    conta_->SetText(std::to_string(vyn::seed::kContaBanco));
  }
  void TearDown() override {
    DesregistraModulo(vyn::ClassRegistry(),
                      {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, vyn::TClassKind::Screen)});
    RegistraModulo(vyn::ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, vyn::TClassKind::Screen)});
    DyqDialogTest::TearDown();
  }
  TfrConsultaImportacaoExtratoBancario* Abre(const std::vector<TLinhaTeste>& linhas) {
    auto* l = vyn::TLancamentoMGR::CreateMgr(principal_.get());
    l->SetTableName("");
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDCODPLAPADRAO", "BDCODHIST", "BDCODTPHI",
                          "BDTIPOLAN", "BDCODTERCEIROD", "BDALTCODTERCEIROD"})
      l->AddFieldDef(c, vyn::TFieldType::ftInteger);
    l->AddFieldDef("BDDATA", vyn::TFieldType::ftDate);
    l->AddFieldDef("BDVALOR", vyn::TFieldType::ftCurrency);
    l->AddFieldDef("BDCOMPL", vyn::TFieldType::ftString, 200);
    l->CreateDataSet();
    for (const TLinhaTeste& t : linhas)
      l->AppendRecord({vyn::Variant(15), vyn::Variant(t.Chave), t.Debito ? vyn::Variant(t.Debito) : vyn::Variant(),
                       t.Credito ? vyn::Variant(t.Credito) : vyn::Variant(), vyn::Variant(3), vyn::Variant(1),
                       t.Historico ? vyn::Variant(t.Historico) : vyn::Variant(), vyn::Variant(0), vyn::Variant(),
                       vyn::Variant(), vyn::Variant(vyn::EncodeDate(2024, 3, 1)),
                       vyn::Variant(vyn::Currency::FromInt(t.Valor)), vyn::Variant(t.Compl)});
    vyn::TListaObj p;
    p.AddNil();
    p.Add(&inc_);
    p.Add(empresa_);
    p.Add(l);
    p.AddNil();
    p.AddNil();
    p.Add(conta_);
    for (int i = 7; i < 10; ++i) p.AddNil();
    p.AddInteger(100);
    p.AddNil();
    for (int v : {0, 0, 0, 0, 0, 0}) p.AddInteger(v);
    auto* t = static_cast<TfrConsultaImportacaoExtratoBancario*>(
        vyn::TPackagesUtil::CarregaFormParamsObj(kRevisao, principal_.get(), std::move(p)));
    t->SelecionaNodo(vyn::kNodoLancamentos);
    return t;
  }
  // Positions the lines on a key.
  static void Vai(TfrConsultaImportacaoExtratoBancario& t, int chave) {
    ASSERT_TRUE(t.DAOLinhas()->Locate("BDCHAVE", {vyn::Variant(chave)}));
  }
  static vyn::Variant Campo(TfrConsultaImportacaoExtratoBancario& t, int chave, const char* campo) {
    vyn::TClientDataSet c;
    c.CloneCursor(*t.DAOLinhas());
    return c.Locate("BDCHAVE", {vyn::Variant(chave)}) ? c.FieldByName(campo).Value() : vyn::Variant();
  }
  static int64_t Int(TfrConsultaImportacaoExtratoBancario& t, int chave, const char* campo) {
    const vyn::Variant v = Campo(t, chave, campo);
    return v.IsNull() ? 0 : v.AsInteger();
  }

  vyn::TInconsistencias_VYN inc_;
  vyn::TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  vyn::TEdit_Codigo_Search_VYN* conta_ = nullptr;
};

}  // namespace integracao
