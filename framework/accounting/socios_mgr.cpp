#include "framework/accounting/socios_mgr.h"

#include <algorithm>
#include <cctype>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {
TDatabase& Db(TDatabase* db) {
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return *db;
}

// Columns of a query row by name.
Variant Col(const TQueryResult& r, size_t row, const std::string& c) { return r.Value(row, c); }
}  // namespace

void AbreEmMemoria(TDAOFactory& dao, const std::vector<std::string>& colunasExtras) {
  dao.SelectVazio();
  dao.Close();
  for (const auto& c : colunasExtras) dao.AddFieldDef(c, TFieldType::ftInteger);
  dao.CreateDataSet();
  dao.SetControlMemory(true);
}

int TSociosMGR::GetCodigoSocio(int codEmp, int quantidade, TDatabase* db) {
  if (quantidade <= 0) return 0;
  auto row = Db(db).ExecuteReturningAutonomous("SELECT BDPRIMEIRO FROM SP_RESERVA_CODIGO_SOCIO(?, ?)",
                                               {codEmp, quantidade});
  if (row.empty() || row[0].IsNull()) throw EDatabaseError("Não foi possível reservar códigos de sócio.");
  return static_cast<int>(row[0].AsInteger());
}

void TSociosMGR::CopiaSociosMatrizParaFiliais(TComponent*, const std::vector<TDadosCopiaSociosMatrizFilial>& lista,
                                              int codEmp, TInconsistencias_VYN& inconsistencias,
                                              const TProgressoCopia& progresso, TDatabase* dbp) {
  TDatabase& db = Db(dbp);
  TQueryResult filiais =
      db.QueryAll("SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODMATRIZ = ? AND BDCODEMP <> ? ORDER BY BDCODEMP",
                  {codEmp, codEmp});
  const int qtd = static_cast<int>(filiais.Rows.size());
  const std::vector<std::string> colunas = db.TableColumns("TEMPRESAS_TSOC");
  const std::vector<std::string> colunasRef = db.TableColumns("TEMPRESAS_TSOC_REF");
  auto insere = [&](const std::string& tabela, const std::vector<std::string>& cols, const TQueryResult& origem,
                    int filial, int codSoc, const std::string& chave) {
    std::string nomes, marcas;
    TParams valores;
    for (const auto& c : cols) {
      nomes += (nomes.empty() ? "" : ", ") + c;
      marcas += marcas.empty() ? "?" : ", ?";
      Variant v = Col(origem, 0, c);
      if (c == "BDCODEMP") v = Variant(filial);
      if (c == "BDCODSOC") v = Variant(codSoc);
      valores.push_back(std::move(v));
    }
    db.Execute("UPDATE OR INSERT INTO " + tabela + " (" + nomes + ") VALUES (" + marcas + ") MATCHING (" + chave + ")",
               valores);
  };
  for (int i = 0; i < qtd; ++i) {
    const int filial = static_cast<int>(filiais.Rows[static_cast<size_t>(i)][0].AsInteger());
    try {
      TTransaction tr(db);
      for (const auto& s : lista) {
        if (progresso) progresso("Sócio " + s.FDocumento, i + 1, qtd);
        TQueryResult socio =
            db.QueryAll("SELECT * FROM TEMPRESAS_TSOC WHERE BDCODEMP = ? AND BDCODSOC = ?", {codEmp, s.FCodSocio});
        if (socio.Rows.empty()) {
          inconsistencias.Add_Atencao(filial, "Sócio " + std::to_string(s.FCodSocio) + " (" + s.FDocumento +
                                                  ") não encontrado na matriz: não foi copiado.");
          continue;
        }
        const std::string doc = OnlyDigits(s.FDocumento);
        int codFilial = 0;
        TQueryResult existentes =
            db.QueryAll("SELECT BDCODSOC, BDCGCCEISOC FROM TEMPRESAS_TSOC WHERE BDCODEMP = ?", {filial});
        for (const auto& r : existentes.Rows)
          if (!doc.empty() && OnlyDigits(r[1].AsString()) == doc) codFilial = static_cast<int>(r[0].AsInteger());
        if (!codFilial) codFilial = GetCodigoSocio(filial, 1, &db);
        insere("TEMPRESAS_TSOC", colunas, socio, filial, codFilial, "BDCODEMP, BDCODSOC");
        TQueryResult ref = db.QueryAll("SELECT * FROM TEMPRESAS_TSOC_REF WHERE BDCODEMP = ? AND BDCODSOC = ? AND BDREFSOC = ?",
                                       {codEmp, s.FCodSocio, s.FReferencia});
        if (!ref.Rows.empty()) insere("TEMPRESAS_TSOC_REF", colunasRef, ref, filial, codFilial, "BDCODEMP, BDCODSOC, BDREFSOC");
      }
      tr.Commit();
    } catch (const std::exception& e) {
      inconsistencias.Add_Erro(filial, std::string("Não foi possível cadastrar os sócios na filial: ") + e.what());
    }
  }
}

bool TEmpresas_TSoc_CotasMGR::LocalizaCota(int codEmp, int codSoc, int referencia, bool trazerDoBanco) {
  for (First(); !Eof(); Next())
    if (FieldByName("BDCODEMP").AsInteger() == codEmp && FieldByName("BDCODSOC").AsInteger() == codSoc &&
        FieldByName("BDREFCOTA").AsInteger() == referencia)
      return true;
  TQueryResult r = Database().QueryAll(
      "SELECT * FROM TEMPRESAS_TSOC_COTAS WHERE BDCODEMP = ? AND BDCODSOC = ? AND BDREFCOTA = ?",
      {codEmp, codSoc, referencia});
  if (r.Rows.empty()) return false;
  if (!trazerDoBanco) return true;
  Append();
  for (size_t i = 0; i < r.Columns.size(); ++i)
    if (TField* f = FindField(r.Columns[i].Name)) f->SetValue(r.Rows[0][i]);
  Post();
  doBanco_.push_back(GetBookmark());
  return true;
}

bool TEmpresas_TSoc_CotasMGR::CotaVeioDoBanco() const {
  if (IsEmpty()) return false;
  return std::find(doBanco_.begin(), doBanco_.end(), GetBookmark()) != doBanco_.end();
}

bool getExisteFiliaisEmpresa(const std::string& codEmp, TDatabase* db) {
  std::string t = Trim(codEmp);
  if (t.empty() || OnlyDigits(t) != t || t.size() > 9) return false;
  int code = std::stoi(t);
  return Db(db)
             .QueryValue("SELECT COUNT(*) FROM TEMPRESAS WHERE BDCODMATRIZ = ? AND BDCODEMP <> ?", {code, code})
             .AsInteger() > 0;
}

int GetCodigoPlanoContas(int codEmp, TDatabase* db) {
  int ref = ProcessContext().Referencia > 0 ? ProcessContext().Referencia : 999999;
  Variant v = Db(db).QueryValue(
      "SELECT R.BDCODPLAPADRAO FROM TEMPRESAS_REF R JOIN SP_GETREFERENCIA(?, ?) P ON (P.BDREFEMP = R.BDREFEMP)"
      " WHERE R.BDCODEMP = ?",
      {codEmp, ref, codEmp});
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

}  // namespace vyn
