#include "integrations/omie/uIntegracaoImpostosOmie.h"

#include "framework/accounting/imposto_mgr.h"
#include "framework/core/text.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/status_processo.h"
#include "integrations/omie/uIntegracaoImpostosOmieMGR.h"

namespace integracao {

using namespace vyn;

namespace {

// The suite's database codes of its systems: the LALUR (7) and the payroll (3).
int GetSistema(int sistema) { return sistema; }

std::string Parte(int tipo, int refIni, int refFim, const std::function<std::string(const std::string&)>& emp,
                  const std::string& imp) {
  std::string s = "    SELECT IMP.BDCODIMP, IMP.BDDESCIMP, DARF.BDCODEMP, " + std::to_string(tipo) + " AS BDTIPO ";
  s += "    FROM TIMPOSTO IMP ";
  s += "    LEFT OUTER JOIN TDARFPADRAO DARF ON (DARF.BDCODIMP = IMP.BDCODIMP) ";
  if (tipo == 1) {
    s += "    WHERE DARF.BDREFERENCIA BETWEEN " + std::to_string(refIni) + " AND " + std::to_string(refFim) +
         " AND " + emp("DARF.BDCODEMP") + " AND ";
  } else {
    // What was paid of each guide: the payment module keeps one row per settlement.
    s += "    LEFT OUTER JOIN (SELECT B.BDCODEMP, B.BDCHAVEDARF, SUM(B.BDVALORPGTO) AS BDVLRPGTO "
         "FROM TDARFGERPGTO_BAIXA B GROUP BY B.BDCODEMP, B.BDCHAVEDARF) PGTO ON (PGTO.BDCODEMP = DARF.BDCODEMP AND ";
    s += "          DARF.BDCHAVEDARF = PGTO.BDCHAVEDARF) ";
    s += "    WHERE DARF.BDREFERENCIA <= " + std::to_string(refFim) + " AND " + emp("DARF.BDCODEMP") + " AND ";
    s += "          ((PGTO.BDVLRPGTO IS NULL) OR ((PGTO.BDVLRPGTO < COALESCE(DARF.BDTOTAL, COALESCE(DARF.BDVALOR, 0) + "
         "COALESCE(DARF.BDVLRMULTAJUROS, 0))) AND ";
    s += "          (PGTO.BDVLRPGTO IS NOT NULL))) AND ";
  }
  s += "          EXISTS(SELECT TEMPRESAIMPOSTO.BDCODEMP ";
  s += "                 FROM TEMPRESAIMPOSTO ";
  s += "                 WHERE TEMPRESAIMPOSTO.BDCODIMP = IMP.BDCODIMP AND ";
  s += "                       TEMPRESAIMPOSTO.BDCODEMP = DARF.BDCODEMP AND ";
  s += "                       " + emp("TEMPRESAIMPOSTO.BDCODEMP") + ") AND ";
  s += "          IMP.BDCODSIS IN (" + std::to_string(GetSistema(7)) + "," + std::to_string(GetSistema(3)) + ") ";
  s += imp;
  s += "    GROUP BY IMP.BDCODIMP, IMP.BDDESCIMP, DARF.BDCODEMP ";
  return s;
}

}  // namespace

std::string SQLSelecaoImpostosOmie(int rgIntegracao, int refIni, int refFim,
                                   const std::function<std::string(const std::string&)>& condicaoEmpresa,
                                   const std::string& condicaoImposto) {
  const auto emp = [&](const std::string& col) {
    const std::string c = condicaoEmpresa(col);
    return c.empty() ? std::string("1 = 0") : c;
  };
  const std::string imp = condicaoImposto.empty() ? "" : " AND " + condicaoImposto + " ";
  std::string sql = "SELECT BDCODIMP, BDDESCIMP, BDCODEMP, SUM(BDTIPO) AS BDTIPO FROM ( ";
  const bool exporta = rgIntegracao == 0 || rgIntegracao == 2;
  const bool importa = rgIntegracao == 1 || rgIntegracao == 2;
  if (exporta) sql += Parte(1, refIni, refFim, emp, imp);
  if (exporta && importa) sql += "UNION ALL ";
  if (importa) sql += Parte(2, refIni, refFim, emp, imp);
  if (!exporta && !importa) sql += "    SELECT 0 AS BDCODIMP, '' AS BDDESCIMP, 0 AS BDCODEMP, 0 AS BDTIPO FROM RDB$DATABASE WHERE 1 = 0 ";
  sql += ") X GROUP BY BDCODIMP, BDDESCIMP, BDCODEMP ";
  return sql;
}

TfrIntegracaoImpostosOmie::TfrIntegracaoImpostosOmie(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbRefIni(Create<TLabel>()),
      edRefIni(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      lbRefFim(Create<TLabel>()),
      edRefFim(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      lbCODIMP(Create<TLabel>()),
      edCODIMP(Create<TEdit_Codigo_Search_VYN>(tcImpostoEmpresaSistemaOmie)),
      pnDESCIMP(Create<TPanel>()),
      rgIntegracao(Create<TRadioGroup>()),
      iImpPag(Create<TLabel>()) {
  lbCODIMP->SetName("lbCODIMP");
  pnDESCIMP->SetName("pnDESCIMP");
  lbRefIni->SetName("lbRefIni");
  lbRefFim->SetName("lbRefFim");
  SetCaption("Integração ^Omie");
  edCODEMP->SetMaxLength(9);
  // The selection reads the company edit as a condition: one company or several ("1;2").
  edCODEMP->SetAceitaMultiSelecao(true);
  lbRefIni->SetCaption("Referência inicial:");
  edRefIni->SetName("edRefIni");
  lbRefFim->SetCaption("Referência final:");
  edRefFim->SetName("edRefFim");
  lbCODIMP->SetCaption("Imposto:");
  edCODIMP->SetName("edCODIMP");
  edCODIMP->SetMaxLength(6);
  edCODIMP->SetAceitaMultiSelecao(true);
  edCODIMP->AceitaVazio = false;
  edCODIMP->EditsMaster = {edCODEMP};
  edCODIMP->PanelNome = pnDESCIMP;
  rgIntegracao->SetName("rgIntegracao");
  rgIntegracao->SetCaption("Integração");
  rgIntegracao->Items = {"Exportar provisão dos impostos", "Importar pagamento dos impostos", "Ambos"};
  rgIntegracao->SetItemIndex(0);
  iImpPag->SetName("iImpPag");
  iImpPag->SetHint(
      "Importação será realizada tendo como parâmetro a data da baixa dos impostos, não sendo \r\n"
      "considerada a referência da provisão do imposto. Exemplo: o pagamento do imposto referência \r\n"
      "08/2023 foi realizado em 05/09/2023, para que o pagamento seja importado a referência inicial e \r\n"
      "final terá que abranger o dia 05/09/2023.");
  spConsulta->SetVisible(false);
}

bool TfrIntegracaoImpostosOmie::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrIntegracaoImpostosOmie") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrIntegracaoImpostosOmie::CreateDAO() { FDAO = TImpostoMGR::CreateMgr(this); }

void TfrIntegracaoImpostosOmie::InicioProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::InicioProcesso();
  FTotalIntegrado = 0;
  FStatusProcesso = TfrStatusProcesso::createStatusProcess(this, 3, 1, true);
  if (Inconsistencias_VYN()) Inconsistencias_VYN()->Clear();
}

void TfrIntegracaoImpostosOmie::SelectProcesso() {
  auto* dao = dynamic_cast<TDAOFactory*>(FDAO);
  const std::string sql = SQLSelecaoImpostosOmie(
      rgIntegracao->ItemIndex(), edRefIni->GetData_AnoMesBD(), edRefFim->GetData_AnoMesBD(),
      [this](const std::string& col) { return edCODEMP->GetSQLMultiSelectString(col); },
      edCODIMP->GetSQLMultiSelectString("IMP.BDCODIMP"));
  dao->CommandText(sql, ctOpen);
  // The base walks the rows this selection opened.
  TfrProcesso_Empresa_Padrao_VYN::SelectProcesso();
  dao->Last();
  dao->First();
  FStatusProcesso->SetMax(0, dao->RecordCount());
}

void TfrIntegracaoImpostosOmie::Processo() {
  const int emp = static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger());
  const int imp = static_cast<int>(FDAO->FieldByName("BDCODIMP").AsInteger());
  const std::string desc = FDAO->FieldByName("BDDESCIMP").AsString();
  FStatusProcesso->SetLabel(0, "Empresa: " + std::to_string(emp) + " Imposto " + std::to_string(imp) + " - " + desc);
  FStatusProcesso->Step(0);
  if (FStatusProcesso->getCancel()) {
    FCancelaProcesso = true;
    return;
  }
  // The engine stays the screen's while it runs: the books see the screen (and whatever opened it) as
  // the road, so a posting lock of the Omie tax screen holds on the task's run too.
  auto* engine = TIntegracaoImpostosOmieMGR::CreateMgr(this);
  TLiberaAoSair libera(engine);
  engine->Empresa = emp;
  engine->ReferenciaInicial = edRefIni->GetData_AnoMesBD();
  engine->ReferenciaFinal = edRefFim->GetData_AnoMesBD();
  engine->Imposto = imp;
  engine->DescricaoImposto = desc;
  const int item = rgIntegracao->ItemIndex();
  engine->ExportarProvisoes = item == 0 || item == 2;
  engine->ImportarPagamentos = item == 1 || item == 2;
  engine->TipoIntegracao = static_cast<int>(FDAO->FieldByName("BDTIPO").AsInteger());
  engine->BloqueioLancamento_VYN = BloqueioLancamento_Padrao_VYN;
  engine->OnPreparaClienteOmie = OnPreparaClienteOmie;
  try {
    engine->Execute();
  } catch (const std::exception& e) {
    // One company's failure (no connection, a database error) must not hide the others' results.
    if (Inconsistencias_VYN())
      Inconsistencias_VYN()->Add_Erro("Empresa " + std::to_string(emp) + " imposto " + std::to_string(imp) + ": " +
                                      e.what());
  }
  FTotalIntegrado += engine->TotalIntegrado();
}

void TfrIntegracaoImpostosOmie::FimProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::FimProcesso();
  if (FStatusProcesso) FStatusProcesso->Finalize();
  TInconsistencias_VYN* lista = Inconsistencias_VYN();
  // The rows before the cancel were integrated; the user is told where the run stopped.
  if (FCancelaProcesso && lista)
    lista->Add_Atencao("Processo cancelado pelo usuário: " + std::to_string(FTotalIntegrado) +
                       " imposto(s) integrado(s) antes da interrupção; os demais não foram processados.");
  if (lista && lista->CountAtencao() + lista->CountErros() > 0) {
    DlgWarOk("Processo realizado com inconsistencias!", FLogEvent);
    lista->Show();
  } else if (FTotalIntegrado > 0) {
    DlgInfOk("Processo realizado com sucesso!", FLogEvent);
  } else {
    DlgInfOk("Nenhum imposto integrado!", FLogEvent);
  }
}

}  // namespace integracao
