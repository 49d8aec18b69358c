#include "framework/accounting/consulta_codigos_lancamento.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/process_context.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"

namespace vyn {

namespace {

TDatabase& BancoAberto() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Não há banco de dados aberto.");
  return *db;
}

// The first row of the result as the record (every column, the name from its column); False when
// there is no row.
bool Preenche(const TQueryResult& r, const char* nome, TCodigoRegistro& out) {
  if (r.Rows.empty()) return false;
  out.Nome = !nome || r.IndexOf(nome) < 0 || r.Value(0, nome).IsNull() ? std::string() : r.Value(0, nome).AsString();
  for (size_t i = 0; i < r.Columns.size(); ++i) out.Campos.emplace_back(r.Columns[i].Name, r.Rows[0][i]);
  return true;
}

// A look-up's text is one of a few, asked again and again with other values: each is prepared once per
// attachment.
bool Consulta(const std::string& sql, const TParams& params, TCodigoRegistro& out, const char* nome = "NOME") {
  TStatement& st = BancoAberto().Prepared(sql);
  TQueryResult r;
  r.Columns = st.Columns();
  st.Query(params, [&r](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
    if (r.Rows.empty()) r.Rows.push_back(row);
  });
  return Preenche(r, nome, out);
}

// The month whose company data is in force: the host's reference month, else the latest data.
int ReferenciaConsulta(int referencia) {
  if (referencia == 0) referencia = ProcessContext().Referencia;
  return referencia != 0 ? referencia : 999912;
}

int64_t Inteiro(const Variant& v) { return v.IsNull() ? 0 : v.AsInteger(); }

bool EhEmpresa(int tipo) {
  return tipo == tcEmpresas || tipo == tcEmpresasMatriz || tipo == tcEmpresasOmie || tipo == tcEmpresasVincSCP;
}

// The company an edit's master edits give (a company edit first, else the first master holding a
// code); else the host's current company; 0 when none.
const TEdit_Codigo_Search_VYN* EditEmpresa(const TEdit_Codigo_Search_VYN& edit) {
  for (const auto* m : edit.EditsMaster)
    if (m && EhEmpresa(m->TipoCodigo) && m->Codigo() != 0) return m;
  for (const auto* m : edit.EditsMaster)
    if (m && m->Codigo() != 0) return m;
  return nullptr;
}

int64_t EmpresaDe(const TEdit_Codigo_Search_VYN& edit) {
  if (const auto* m = EditEmpresa(edit)) return m->Codigo();
  return ProcessContext().CurrentCompany;
}

// A plan of the edit's company: from the company edit's record when it was found, else from the
// company's data at the reference month.
int64_t PlanoDaEmpresa(const TEdit_Codigo_Search_VYN& edit, const char* coluna, int kind, ICodeLookup& lookup) {
  const TEdit_Codigo_Search_VYN* m = EditEmpresa(edit);
  if (m && m->GetDaoFactory()) {
    const Variant v = m->GetDaoFactory()->Campo(coluna);
    if (!v.IsNull()) return v.AsInteger();
  }
  const int64_t empresa = m ? m->Codigo() : ProcessContext().CurrentCompany;
  return empresa != 0 ? lookup.CodPlanoEmpresa(empresa, kind) : 0;
}

bool EmpresaDoTipo(int tipo, int64_t code, TCodigoRegistro& out) {
  TCodigoRegistro reg;
  if (!TConsultaCodigosBanco::Empresa(code, 0, reg)) return false;
  if (tipo == tcEmpresasMatriz) {
    const int64_t matriz = Inteiro(reg.Campo("BDCODMATRIZ"));
    if (matriz != 0 && matriz != code) return false;   // a branch
  } else if (tipo == tcEmpresasOmie) {
    const Variant omie = reg.Campo("BDOMIE");
    if (omie.IsNull() || omie.AsString() != "TRUE") return false;
  }
  out = std::move(reg);
  return true;
}

bool Conta(int64_t plano, int64_t code, bool analitica, TCodigoRegistro& out) {
  return Consulta(std::string("SELECT A.BDNOMCTA AS NOME, A.* FROM PLANOS_TPLA A WHERE A.BDCODPLAPADRAO = ? AND "
                              "A.BDCODTPLA = ?") +
                      (analitica ? " AND COALESCE(A.BDTIPCTA, 'A') = 'A'" : ""),
                  {Variant(plano), Variant(code)}, out);
}

bool Participante(int64_t code, TCodigoRegistro& out) {
  return Consulta("SELECT T.BDNOMETER AS NOME, T.* FROM TTERCEIRO T WHERE T.BDCODTER = ?", {Variant(code)}, out);
}

bool Historico(int64_t plano, int64_t code, TCodigoRegistro& out) {
  return Consulta("SELECT H.BDNOME AS NOME, H.* FROM HIST_TPHI H WHERE H.BDCODHIST = ? AND H.BDCODTPHI = ?",
                  {Variant(plano), Variant(code)}, out);
}

// A chart or history plan is known by its rows, a posting plan or a company that uses it.
bool PlanoConhecido(const char* coluna, const char* tabelaItens, int64_t code, TCodigoRegistro& out) {
  const std::string c = coluna;
  const std::string sql = "SELECT CAST(? AS INTEGER) AS " + c + " FROM RDB$DATABASE WHERE EXISTS (SELECT 1 FROM " +
                          tabelaItens + " WHERE " + c + " = ?) OR EXISTS (SELECT 1 FROM TPLANO_CONF_ONLINE WHERE " + c +
                          " = ?) OR EXISTS (SELECT 1 FROM TEMPRESAS_REF WHERE " + c + " = ?)";
  return Consulta(sql, {Variant(code), Variant(code), Variant(code), Variant(code)}, out, nullptr);
}

bool PlanoOuLayout(int tipo, int64_t code, const TEdit_Codigo_Search_VYN& edit, TCodigoRegistro& out) {
  const Variant c(code);
  switch (tipo) {
    case tcConfOnline:
      return Consulta("SELECT P.BDDESCRICAO AS NOME, P.* FROM TPLANO_CONF_ONLINE P WHERE P.BDCODPLANOONLINE = ?", {c},
                      out);
    case tcPlanoTrocaContabilizacao:
    case tcPlanosTrocaContabilOnLine:
      return Consulta("SELECT T.BDDESCRICAO AS NOME, T.* FROM VINT_BASE_TINTONLINE T WHERE T.BDCODINT = ?", {c}, out);
    case tcPreparacaoContabiliadeLalur: {
      const int64_t empresa = EditEmpresa(edit) ? EditEmpresa(edit)->Codigo() : 0;
      return Consulta("SELECT L.BDDESCRICAO AS NOME, L.* FROM TPLANO_CONTAB_LALUR L WHERE L.BDCODCONTABLALUR = ? "
                      "AND (CAST(? AS INTEGER) = 0 OR L.BDCODEMP = ?)",
                      {c, Variant(empresa), Variant(empresa)}, out);
    }
    case tcPlanoContas: return PlanoConhecido("BDCODPLAPADRAO", "PLANOS_TPLA", code, out);
    case tcPlanoHistorico: return PlanoConhecido("BDCODHIST", "HIST_TPHI", code, out);
    case tcPlanoMoedas:
      return Consulta("SELECT M.BDNOMMOE AS NOME, M.* FROM MOEDAS_TPLANO M WHERE M.BDCODMOEDAS = ?", {c}, out);
    case tcGeradorImportacaoSocios:
      return Consulta("SELECT G.BDMODELO AS NOME, G.* FROM TGERADOR_IMPORTACAO_SOCIOS G WHERE G.BDCODGERADOR = ?",
                      {c}, out);
    case tcIdiomas:
      return Consulta("SELECT I.BDDESCRICAO AS NOME, I.* FROM TIDIOMAS I WHERE I.BDCODIDIOMA = ?", {c}, out);
    case tcYRKRelatorios:
      return Consulta("SELECT R.BDDESCRICAO AS NOME, R.* FROM TYRK_TRELATORIOS R WHERE R.BDCHAVE = ?", {c}, out);
    case tcBancosPDF:
      // Banks that have receipt layouts.
      return Consulta("SELECT FIRST 1 C.BDCODBAN FROM TCONFIG_IMP_PDF C WHERE C.BDCODBAN = ?", {c}, out, nullptr);
    default: return false;
  }
}

// The qualifications of a signer of the statutory files, as the tax authority's layout codes them.
struct TQualificacaoRFB {
  int Codigo;
  const char* Nome;
};
constexpr TQualificacaoRFB kQualificacoesRFB[] = {
    {203, "Diretor"},
    {204, "Conselheiro de Administração"},
    {205, "Administrador"},
    {206, "Administrador do Grupo"},
    {207, "Administrador de Sociedade Filiada"},
    {220, "Administrador Judicial – Pessoa Física"},
    {222, "Administrador Judicial – Pessoa Jurídica – Profissional Responsável"},
    {223, "Administrador Judicial/Gestor"},
    {226, "Gestor Judicial"},
    {309, "Procurador"},
    {312, "Inventariante"},
    {313, "Liquidante"},
    {315, "Interventor"},
    {401, "Titular – Pessoa Física – EIRELI"},
    {801, "Empresário"},
    {900, "Contador"},
    {910, "Contador/Contabilista Responsável pelo Termo de Verificação para Fins de Substituição da ECD"},
    {920, "Auditor Independente Responsável pelo Termo de Verificação para Fins de Substituição da ECD"},
    {999, "Outros"},
};

bool QualificacaoRFB(int64_t code, TCodigoRegistro& out) {
  for (const auto& q : kQualificacoesRFB)
    if (q.Codigo == code) {
      out.Nome = q.Nome;
      out.Campos = {{"CODIGO", Variant(static_cast<long long>(q.Codigo))}, {"NOME", Variant(std::string(q.Nome))}};
      return true;
    }
  return false;
}

// An accountant (tcContador) or an accounting office (tcEscritorioContabil); their tables and the
// column their code is read from.
struct TTabelaProcurador {
  const char* Tabela;
  const char* Codigo;
  const char* Nome;
};
const TTabelaProcurador* TabelaProcurador(int tipo) {
  static constexpr TTabelaProcurador kContador{"TCONTADOR", "BDCODCONT", "BDNOMCONT"};
  static constexpr TTabelaProcurador kEscritorio{"TESCRITORIO_CONTABIL", "BDCODESC", "BDNOMESC"};
  return tipo == tcContador ? &kContador : tipo == tcEscritorioContabil ? &kEscritorio : nullptr;
}

bool DaEmpresa(int tipo, int64_t code, const TEdit_Codigo_Search_VYN& edit, ICodeLookup& lookup,
               TCodigoRegistro& out) {
  const int64_t empresa = EmpresaDe(edit);
  switch (tipo) {
    case tcContasPlanoContas:
    case tcContasAjusteECF:
    case tcContasPlanoContasAnalitica:
      return Conta(PlanoDaEmpresa(edit, "BDCODPLAPADRAO", tpePlanoContas, lookup), code,
                   tipo == tcContasPlanoContasAnalitica, out);
    case tcHistoricos: return Historico(PlanoDaEmpresa(edit, "BDCODHIST", tpeHistorico, lookup), code, out);
    case tcTodosFuncionarios:
      return Consulta("SELECT FIRST 1 C.BDNOMCOL AS NOME, C.* FROM TRH_COLCON C WHERE C.BDCODCOL = ? AND "
                      "(CAST(? AS INTEGER) = 0 OR C.BDCODEMP = ?) ORDER BY C.BDCODEMP, C.BDTIPOCOL",
                      {Variant(code), Variant(empresa), Variant(empresa)}, out);
    case tcImpostoEmpresaSistemaOmie:
      // Taxes of the systems the Omie exchange posts (LALUR 7, taxes 3) that apply to the company.
      return Consulta("SELECT I.BDDESCIMP AS NOME, I.* FROM TIMPOSTO I WHERE I.BDCODIMP = ? AND I.BDCODSIS IN (7, 3) "
                      "AND (CAST(? AS INTEGER) = 0 OR EXISTS (SELECT 1 FROM TEMPRESAIMPOSTO EI WHERE EI.BDCODIMP = "
                      "I.BDCODIMP AND EI.BDCODEMP = ?))",
                      {Variant(code), Variant(empresa), Variant(empresa)}, out);
    case tcEmpreendimentos:
    case tcEmpreendimentosEmpresa:
      return Consulta("SELECT E.BDNOMEEMPRE AS NOME, E.* FROM VEF_EMP_TCADEMPREENDIMENTO E WHERE E.BDCODEMP = ? AND "
                      "E.BDCODEMPREENDIMENTO = ?",
                      {Variant(empresa), Variant(code)}, out);
    case tcUnidadesImobiliarias: {
      // A unit is of the development its master edit holds, of that edit's company.
      const TEdit_Codigo_Search_VYN* obra = edit.EditsMaster.empty() ? nullptr : edit.EditsMaster.front();
      if (!obra || obra->Codigo() == 0) return false;
      return Consulta("SELECT U.BDDESCRICAO AS NOME, U.* FROM VEF_BASE_TCADUNIDIMOBILIARIA U WHERE U.BDCODEMP = ? AND "
                      "U.BDCODEMPREENDIMENTO = ? AND U.BDCODIGOUNIIMOB = ?",
                      {Variant(EmpresaDe(*obra)), Variant(obra->Codigo()), Variant(code)}, out);
    }
    default: return false;
  }
}

}  // namespace

bool TConsultaCodigosBanco::ConsultaTipo(int tipo) {
  switch (tipo) {
    case tcEmpresas: case tcEmpresasMatriz: case tcEmpresasOmie: case tcEmpresasVincSCP: case tcBancosPDF:
    case tcConfOnline: case tcPlanoTrocaContabilizacao: case tcPlanosTrocaContabilOnLine:
    case tcPreparacaoContabiliadeLalur: case tcPlanoContas: case tcPlanoHistorico: case tcPlanoMoedas:
    case tcParticipante: case tcParticipanteCredito: case tcParticipanteDebito: case tcGeradorImportacaoSocios:
    case tcIdiomas: case tcYRKRelatorios: case tcContasPlanoContas: case tcContasAjusteECF:
    case tcContasPlanoContasAnalitica: case tcHistoricos: case tcTodosFuncionarios: case tcImpostoEmpresaSistemaOmie:
    case tcQualificacaoRFB: case tcContador: case tcEscritorioContabil: case tcEmpreendimentos:
    case tcEmpreendimentosEmpresa: case tcUnidadesImobiliarias:
      return true;
    default: return false;
  }
}

bool TConsultaCodigosBanco::Lookup(const TEdit_Codigo_Search_VYN& edit, int64_t code, TCodigoRegistro& out) {
  const int tipo = edit.TipoCodigo;
  if (!ConsultaTipo(tipo)) return true;
  if (EhEmpresa(tipo)) return EmpresaDoTipo(tipo, code, out);
  if (tipo == tcQualificacaoRFB) return QualificacaoRFB(code, out);
  if (const TTabelaProcurador* t = TabelaProcurador(tipo))
    return Consulta(std::string("SELECT C.") + t->Nome + " AS NOME, C.* FROM " + t->Tabela + " C WHERE C." + t->Codigo +
                        " = ?",
                    {Variant(code)}, out);
  if (tipo == tcParticipante || tipo == tcParticipanteCredito || tipo == tcParticipanteDebito)
    return Participante(code, out);
  if (PlanoOuLayout(tipo, code, edit, out)) return true;
  return DaEmpresa(tipo, code, edit, *this, out);
}

bool TConsultaCodigosBanco::Empresa(int64_t codEmp, int referencia, TCodigoRegistro& out) {
  return Consulta(
      "SELECT R.BDNOMEMP AS NOME, E.*, R.* FROM TEMPRESAS E LEFT JOIN TEMPRESAS_REF R ON R.BDCODEMP = E.BDCODEMP "
      "AND R.BDREFEMP = (SELECT P.BDREFEMP FROM SP_GETREFERENCIA(E.BDCODEMP, ?) P) WHERE E.BDCODEMP = ?",
      {Variant(ReferenciaConsulta(referencia)), Variant(codEmp)}, out);
}

int64_t TConsultaCodigosBanco::CodPlanoEmpresa(int64_t codEmp, int kind) {
  if (kind == tpePlanoLalur)
    return Inteiro(BancoAberto().QueryValue(
        "SELECT FIRST 1 L.BDCODCONTABLALUR FROM TPLANO_CONTAB_LALUR L WHERE L.BDCODEMP = ? ORDER BY L.BDCODCONTABLALUR",
        {Variant(codEmp)}));
  const char* coluna = kind == tpePlanoContas   ? "BDCODPLAPADRAO"
                       : kind == tpePlanoOnline ? "BDCODPLANOONLINE"
                       : kind == tpeHistorico   ? "BDCODHIST"
                                                : nullptr;
  TCodigoRegistro reg;
  if (!coluna || !Empresa(codEmp, 0, reg)) return 0;
  return Inteiro(reg.Campo(coluna));
}

bool TConsultaCodigosBanco::Pesquisa(const TEdit_Codigo_Search_VYN& edit, const std::vector<std::string>& campos,
                                     TClientDataSet& lista) {
  const int tipo = edit.TipoCodigo;
  lista.Close();
  lista.ClearFieldDefs();
  std::string colunas;
  for (const std::string& c : campos)
    colunas += ", A." + CheckSQLIdentifier<std::invalid_argument>(c, "Campo de pesquisa inválido: ");
  if (tipo == tcPlanoTrocaContabilizacao || tipo == tcPlanosTrocaContabilOnLine) {
    BancoAberto().QueryInto(lista, "SELECT A.BDCODINT AS CODIGO, A.BDDESCRICAO AS NOME" + colunas +
                                 " FROM VINT_BASE_TINTONLINE A ORDER BY A.BDCODINT", {});
    return true;
  }
  if (tipo == tcImpostoEmpresaSistemaOmie) {
    // The taxes the look-up takes: of the Omie exchange's systems, applying to the company when one is given.
    const Variant empresa(EmpresaDe(edit));
    BancoAberto().QueryInto(lista, "SELECT A.BDCODIMP AS CODIGO, A.BDDESCIMP AS NOME" + colunas +
                                 " FROM TIMPOSTO A WHERE A.BDCODSIS IN (7, 3) AND (CAST(? AS INTEGER) = 0 OR EXISTS"
                                 " (SELECT 1 FROM TEMPRESAIMPOSTO EI WHERE EI.BDCODIMP = A.BDCODIMP AND EI.BDCODEMP = ?))"
                                 " ORDER BY A.BDCODIMP",
                      {empresa, empresa});
    return true;
  }
  if (tipo == tcQualificacaoRFB) {
    if (!campos.empty()) throw std::invalid_argument("A lista de qualificações não tem outras colunas.");
    lista.AddFieldDef("CODIGO", TFieldType::ftInteger);
    lista.AddFieldDef("NOME", TFieldType::ftString, 200);
    lista.CreateDataSet();
    for (const auto& q : kQualificacoesRFB) lista.AppendRecord({Variant(static_cast<long long>(q.Codigo)), Variant(std::string(q.Nome))});
    lista.First();
    return true;
  }
  if (const TTabelaProcurador* t = TabelaProcurador(tipo)) {
    BancoAberto().QueryInto(lista, std::string("SELECT A.") + t->Codigo + " AS CODIGO, A." + t->Nome + " AS NOME" + colunas +
                                 " FROM " + t->Tabela + " A ORDER BY A." + t->Codigo);
    return true;
  }
  if (tipo == tcEmpresasVincSCP) {
    // Every company the code takes, by its name in force at the month; added columns are its data then.
    BancoAberto().QueryInto(lista,
                      "SELECT E.BDCODEMP AS CODIGO, A.BDNOMEMP AS NOME" + colunas +
                          " FROM TEMPRESAS E LEFT JOIN TEMPRESAS_REF A ON A.BDCODEMP = E.BDCODEMP AND A.BDREFEMP = "
                          "(SELECT P.BDREFEMP FROM SP_GETREFERENCIA(E.BDCODEMP, ?) P) ORDER BY E.BDCODEMP",
                      {Variant(ReferenciaConsulta(0))});
    return true;
  }
  if (tipo != tcContasPlanoContas && tipo != tcContasAjusteECF && tipo != tcContasPlanoContasAnalitica) return false;
  const std::string sql = "SELECT A.BDCODTPLA AS CODIGO, A.BDNOMCTA AS NOME" + colunas +
                          " FROM PLANOS_TPLA A WHERE A.BDCODPLAPADRAO = ?" +
                          (tipo == tcContasPlanoContasAnalitica ? " AND COALESCE(A.BDTIPCTA, 'A') = 'A'" : "") +
                          " ORDER BY A.BDCODTPLA";
  BancoAberto().QueryInto(lista, sql, {Variant(PlanoDaEmpresa(edit, "BDCODPLAPADRAO", tpePlanoContas, *this))});
  return true;
}

TEdit_Codigo_Search_VYN::TLookupFn LookupContaAnalitica(std::function<int()> plano) {
  return [plano = std::move(plano)](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    return Conta(plano ? plano() : 0, code, true, out);
  };
}

TEdit_Codigo_Search_VYN::TLookupFn LookupParticipante() {
  return [](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) { return Participante(code, out); };
}

TEdit_Codigo_Search_VYN::TLookupFn LookupHistorico(std::function<int()> planoHistorico) {
  return [plano = std::move(planoHistorico)](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    return Historico(plano ? plano() : 0, code, out);
  };
}

int PlanoContasEmpresa(int64_t empresa) {
  return static_cast<int>(TConsultaCodigosBanco().CodPlanoEmpresa(empresa, tpePlanoContas));
}
int PlanoHistoricoEmpresa(int64_t empresa) {
  return static_cast<int>(TConsultaCodigosBanco().CodPlanoEmpresa(empresa, tpeHistorico));
}

bool ContaAnaliticaDoPlano(int plano, int64_t conta) {
  TCodigoRegistro r;
  return Conta(plano, conta, true, r);
}
bool ParticipanteCadastrado(int64_t codigo) {
  TCodigoRegistro r;
  return Participante(codigo, r);
}
bool HistoricoDoPlano(int planoHistorico, int64_t codigo) {
  TCodigoRegistro r;
  return Historico(planoHistorico, codigo, r);
}

}  // namespace vyn
