#include "postingutil/uConsultaDefiniInicioContabilizacaoOnline.h"

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/publicas.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"

namespace integracao {

using namespace vyn;

TfrConsultaDefiniInicioContabilizacaoOnline::TfrConsultaDefiniInicioContabilizacaoOnline(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner), FSQL(TSQLMGR::CreateMgr(this)) {
  SetCaption("Consulta início da contabilização on-line");
  SetDAOFactory(FSQL);
  SetPodeExcluir(false);
  grConsulta->AddColumn("bdcodemp", "Empresa");
  grConsulta->AddColumn("bdnomemp", "Nome da empresa");
  grConsulta->AddColumn("bddescsis", "Sistema");
  grConsulta->AddColumn("bddata", "Data início da contabilização");
  grConsulta->AddColumn("bddatacontbaixa", "Data encerramento da contabilização de baixas");
  grConsulta->AddColumn("BDDATACONTOPEIMOB",
                        "Data encerramento da contabilização de baixas das operações imobiliárias");
  grConsulta->AddColumn("BDDATACONTIMPOSTOS", "Data encerramento da contabilização de baixas dos impostos");
  grConsulta->AddColumn("bdautomatico", "Processo automático");
  grConsulta->MostraDado = [this](TField& field, std::string& text) { grGrid_Padrao_VYNMostraDado(field, text); };
}

bool TfrConsultaDefiniInicioContabilizacaoOnline::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaDefiniInicioContabilizacaoOnline") ||
         TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsultaDefiniInicioContabilizacaoOnline::SetListaObj(const TListaObj& lista) {
  TfrConsulta_Padrao_VYN::SetListaObj(lista);
  std::string sql =
      "select i.bdcodemp,e.bdnomemp,s.bddescsis,i.bddata,i.bddatacontbaixa, i.bdautomatico, i.bddatacontopeimob, "
      "i.bddatacontimpostos  from tinicio_contabilizacao i  join vw_tempresas_ref_join e on (i.bdcodemp = e.bdcodemp)  "
      "join tsistema s on (i.bdcodsis = s.bdcodsis)";
  if (lista.Count() > 0 && lista.Kind(0) == TListaObj::SlotKind::Component) {
    auto* edit = dynamic_cast<TEdit_Codigo_Search_VYN*>(lista.GetComponent(0));
    if (edit && edit->TipoCodigo == tcEmpresas && !edit->GetSQLMultiSelectString("BDCODEMP").empty())
      sql += " where " + edit->GetSQLMultiSelectString("i.BDCODEMP");
  }
  FSQL->SetReferencia(TPublicas::GetReferencia());
  FSQL->CommandText(sql);
  // A refresh runs the same query again.
  SetSQL(sql);
}

void TfrConsultaDefiniInicioContabilizacaoOnline::grGrid_Padrao_VYNMostraDado(TField& field, std::string& text) {
  if (UpperCase(field.FieldName()) != "BDAUTOMATICO") return;
  std::string valor = UpperCase(Trim(text));
  text = (valor.empty() || valor == "FALSE") ? "Não" : "Sim";
}

}  // namespace integracao
