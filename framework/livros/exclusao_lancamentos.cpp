#include "framework/livros/exclusao_lancamentos.h"

#include "framework/livros/marca_livros.h"

namespace vyn {

void ExcluiLancamentos(TDatabase& db, int codEmp, const std::string& onde, const TParams& valores) {
  TMarcaLivros marca(db);
  const std::string chaves = "(SELECT L.BDCHAVE FROM VZEL_EMPRESAS_TLAN L WHERE " + onde + ")";
  auto junta = [](std::initializer_list<const TParams*> partes) {
    TParams out;
    for (const TParams* p : partes) out.insert(out.end(), p->begin(), p->end());
    return out;
  };
  const TParams empresa{codEmp};
  // The company, then the selection's values.
  const TParams pEmpresa = junta({&empresa, &valores});
  // Statement lines reconciled with a deleted entry; a line of a group also names the group's other
  // entries, whose reconciliation with it goes as well.
  const std::string linhas =
      "EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TEXTRATOBAN X WHERE X.BDCODEMP = C.BDCODEMPCONC AND X.BDCHAVE = "
      "C.BDCHAVECONC AND COALESCE(X.BDCODEMPLANC, X.BDCODEMP) = ? AND X.BDCHAVELANC IN " + chaves + ")";
  const std::string itensOutroLado =
      "(C.BDORIGEMCONC = 1 AND " + linhas + ") OR (C.BDORIGEMCONC = 2 AND C.BDCODEMPCONC = ? AND C.BDCHAVECONC IN " +
      chaves + ")";
  const TParams pItensOutro = junta({&pEmpresa, &pEmpresa});
  // The entries that stay and lose an item: unmarked below when none is left.
  auto outros = db.QueryAll("SELECT DISTINCT C.BDCODEMP, C.BDCHAVE FROM VZEL_EMPRESAS_TLAN_CONC C WHERE " +
                                itensOutroLado,
                            pItensOutro);
  auto nomeadas = db.QueryAll("SELECT DISTINCT C.BDCODEMPCONC AS BDCODEMP, C.BDCHAVECONC AS BDCHAVE FROM"
                              " VZEL_EMPRESAS_TLAN_CONC C WHERE C.BDORIGEMCONC = 2 AND C.BDCODEMP = ? AND C.BDCHAVE IN " +
                                  chaves,
                              pEmpresa);
  db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN_CONC C WHERE " + itensOutroLado, pItensOutro);
  db.Execute("UPDATE VZEL_EMPRESAS_TEXTRATOBAN SET BDCODEMPLANC = NULL, BDCHAVELANC = NULL"
             " WHERE COALESCE(BDCODEMPLANC, BDCODEMP) = ? AND BDCHAVELANC IN " + chaves,
             pEmpresa);
  // A payment keeps its settlement, which is the obligation's, but no longer names an entry that is gone;
  // a variance run's link to the entry goes with it. The settlement's record of the links it posted
  // (VZEL_EMP_TVINC_BAIXA_LANC) stays whole, so that nothing is paid twice.
  for (const char* pagamentos : kTabelasPagamento)
    db.Execute(std::string("UPDATE ") + pagamentos + " SET BDCHAVELAN = NULL WHERE BDCODEMP = ? AND BDCHAVELAN IN " +
                   chaves,
               pEmpresa);
  db.Execute("DELETE FROM TOL_VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = ? AND BDCHAVELAN IN " + chaves, pEmpresa);
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN_CONC", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_COMPL",
                             "VZEL_EMPRESAS_TLAN_Y570"})
    db.Execute(std::string("DELETE FROM ") + tabela + " WHERE BDCODEMP = ? AND BDCHAVE IN " + chaves, pEmpresa);
  db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN L WHERE " + onde, valores);
  for (const auto* r : {&outros, &nomeadas})
    for (size_t i = 0; i < r->Rows.size(); ++i)
      db.Execute("UPDATE VZEL_EMPRESAS_TLAN L SET BDCONCD = 'FALSE', BDCONCC = 'FALSE' WHERE L.BDCODEMP = ? AND"
                 " L.BDCHAVE = ? AND NOT EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TLAN_CONC C WHERE C.BDCODEMP = L.BDCODEMP"
                 " AND C.BDCHAVE = L.BDCHAVE)",
                 {r->Value(i, "BDCODEMP"), r->Value(i, "BDCHAVE")});
}

void TransfereVinculosDoLancamento(TDatabase& db, int codEmp, int de, int para) {
  TMarcaLivros marca(db);
  for (const char* pagamentos : kTabelasPagamento)
    db.Execute(std::string("UPDATE ") + pagamentos + " SET BDCHAVELAN = ? WHERE BDCODEMP = ? AND BDCHAVELAN = ?",
               {para, codEmp, de});
  // The sources it booked stay booked, by the entry that replaces it: deleting the old one frees nothing.
  for (const char* tabela : {"TOL_VZEL_EMP_TVARCAMBIAL", "VZEL_EMP_TVINC_BAIXA_LANC", "TINTEGRACAO_FONTE_LANCADA",
                             "TINTEGRACAO_FONTE_PARTE"})
    db.Execute(std::string("UPDATE ") + tabela + " SET BDCHAVELAN = ? WHERE BDCODEMP = ? AND BDCHAVELAN = ?",
               {para, codEmp, de});
}

}  // namespace vyn
