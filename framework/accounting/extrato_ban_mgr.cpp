#include "framework/accounting/extrato_ban_mgr.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_value.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/livros.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {

int Status(const TClientDataSet& ds) { return static_cast<int>(ds.FieldByName("BDSTATUS").AsInteger()); }

void SetStatus(TClientDataSet& ds, int status) {
  ds.Edit();
  ds.FieldByName("BDSTATUS").SetAsInteger(status);
  ds.Post();
}

bool Confirmado(int s) { return s == scConfirmadoAutomatico || s == scConfirmadoManual; }
bool Casado(int s) { return s == scProposto || Confirmado(s) || s == scConciliado; }

std::string CondicaoPeriodo(const char* coluna, TDateTime ini, TDateTime fim) {
  std::string r;
  if (ini.Value != 0) r += std::string(" and ") + coluna + " >= " + SQLDate(ini);
  if (fim.Value != 0) r += std::string(" and ") + coluna + " <= " + SQLDate(fim);
  return r;
}

// A row of one side kept with its place in the data set.
struct TLinha {
  int RecNo;
  int64_t Emp, Chave;
  Currency Valor;   // signed
  std::string Dcto;
  TDateTime Data;
  int Status;
  int64_t EmpPar = 0, ChavePar = 0;   // the matcher's proposal (lines only)
};

std::vector<TLinha> Confirmados(TClientDataSet& ds, bool extrato) {
  std::vector<TLinha> r;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    if (!Confirmado(Status(ds))) continue;
    TLinha l{ds.RecNo(), ds.FieldByName("BDCODEMP").AsInteger(), ds.FieldByName("BDCHAVE").AsInteger(),
             ValorSinalizadoConciliacao(ds), ds.FieldByName("BDDCTO").AsString(),
             ds.FieldByName(extrato ? "BDDATAMOV" : "BDDATA").AsDateTime(), Status(ds)};
    if (extrato) {
      TField* e = ds.FindField("BDCODEMPLANC");
      TField* c = ds.FindField("BDCHAVELANC");
      if (e && c && !e->IsNull() && !c->IsNull()) {
        l.EmpPar = e->AsInteger();
        l.ChavePar = c->AsInteger();
      }
    }
    r.push_back(std::move(l));
  }
  return r;
}

Currency Soma(const std::vector<TLinha>& v) {
  Currency s;
  for (const auto& l : v) s += l.Valor;
  return s;
}

// The pairs of statement lines and entries, and the rest reconciled as a group.
struct TPares {
  std::vector<int> par;        // by line: its entry's position, -1 when in the rest
  std::vector<bool> usado;     // by entry
  std::vector<size_t> restoLinhas, restoLancs;
};

// Pairs: the matcher's proposal first, then value and document, then value; what is left is
// reconciled as a group (every line of the rest with every entry of the rest).
TPares CasaPares(const std::vector<TLinha>& linhas, const std::vector<TLinha>& lancs) {
  TPares p;
  p.par.assign(linhas.size(), -1);
  p.usado.assign(lancs.size(), false);
  auto casa = [&](auto&& aceita) {
    for (size_t i = 0; i < linhas.size(); ++i) {
      if (p.par[i] >= 0) continue;
      for (size_t j = 0; j < lancs.size(); ++j)
        if (!p.usado[j] && lancs[j].Valor == linhas[i].Valor && aceita(linhas[i], lancs[j])) {
          p.par[i] = static_cast<int>(j);
          p.usado[j] = true;
          break;
        }
    }
  };
  casa([](const TLinha& l, const TLinha& e) { return l.EmpPar == e.Emp && l.ChavePar == e.Chave; });
  casa([](const TLinha& l, const TLinha& e) { return MesmoDocumento(l.Dcto, e.Dcto, true); });
  casa([](const TLinha&, const TLinha&) { return true; });
  for (size_t i = 0; i < linhas.size(); ++i)
    if (p.par[i] < 0) p.restoLinhas.push_back(i);
  for (size_t j = 0; j < lancs.size(); ++j)
    if (!p.usado[j]) p.restoLancs.push_back(j);
  return p;
}

// The statement line points at the entry, and the pair is an item of the reconciliation.
void LigaPar(TDatabase& db, const TLinha& l, const TLinha& e) {
  const int64_t n = db.Execute(
      "update VZEL_EMPRESAS_TEXTRATOBAN x set BDCODEMPLANC = ?, BDCHAVELANC = ? "
      "where x.BDCODEMP = ? and x.BDCHAVE = ? and (x.BDCHAVELANC is null or not exists (select 1 from "
      "VZEL_EMPRESAS_TLAN t where t.BDCODEMP = coalesce(x.BDCODEMPLANC, x.BDCODEMP) and t.BDCHAVE = x.BDCHAVELANC))",
      {Variant(static_cast<long long>(e.Emp)), Variant(static_cast<long long>(e.Chave)),
       Variant(static_cast<long long>(l.Emp)), Variant(static_cast<long long>(l.Chave))});
  if (n != 1)
    throw EDataSetError("O lançamento " + std::to_string(l.Chave) +
                        " do extrato já está conciliado ou não existe mais.");
  db.Execute(
      "update or insert into VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, "
      "BDCHAVECONC, BDDCTO, BDDATA, BDVALOR, BDTIPOCONC) values (?, ?, 1, ?, ?, ?, ?, ?, ?) "
      "matching (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC)",
      {Variant(static_cast<long long>(e.Emp)), Variant(static_cast<long long>(e.Chave)),
       Variant(static_cast<long long>(l.Emp)), Variant(static_cast<long long>(l.Chave)),
       Variant(Utf8Left(l.Dcto, 30)), Variant(l.Data), Variant(l.Valor.Abs()),
       Variant(l.Status)});
}

void GravaPares(TDatabase& db, const std::vector<TLinha>& linhas, const std::vector<TLinha>& lancs, const TPares& p) {
  for (size_t i = 0; i < linhas.size(); ++i)
    if (p.par[i] >= 0) LigaPar(db, linhas[i], lancs[static_cast<size_t>(p.par[i])]);
  for (size_t i : p.restoLinhas)
    for (size_t j : p.restoLancs) {
      // A line of the group points at the group's first entry; the items name every pair.
      if (j == p.restoLancs.front()) {
        LigaPar(db, linhas[i], lancs[j]);
      } else {
        db.Execute(
            "insert into VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC, "
            "BDDCTO, BDDATA, BDVALOR, BDTIPOCONC) values (?, ?, 1, ?, ?, ?, ?, ?, ?)",
            {Variant(static_cast<long long>(lancs[j].Emp)), Variant(static_cast<long long>(lancs[j].Chave)),
             Variant(static_cast<long long>(linhas[i].Emp)), Variant(static_cast<long long>(linhas[i].Chave)),
             Variant(Utf8Left(linhas[i].Dcto, 30)), Variant(linhas[i].Data), Variant(linhas[i].Valor.Abs()),
             Variant(linhas[i].Status)});
      }
    }
}

void MarcaLancamentos(TLivros& livros, TDatabase& db, const std::vector<TLinha>& lancs,
                      const std::vector<TDateTime>& datas, int64_t conta, bool atualizaData) {
  for (size_t j = 0; j < lancs.size(); ++j) {
    const TLinha& e = lancs[j];
    // The mark goes on the side where the account is; an entry already marked there is refused.
    if (MarcaConciliado(db, e.Emp, e.Chave, conta, true) != 1)
      throw EDataSetError("O lançamento contábil " + std::to_string(e.Chave) + " da empresa " +
                          std::to_string(e.Emp) + " já está conciliado ou não existe mais.");
    if (atualizaData) MudaDataLancamento(livros, db, e.Emp, e.Chave, datas[j]);
  }
}

}  // namespace

Currency ValorSinalizadoConciliacao(const TClientDataSet& ds) {
  TField* tipo = ds.FindField("BDTIPO");
  if (!tipo) tipo = &ds.FieldByName("BDDEBCRED");
  const Currency v = ds.FieldByName("BDVALOR").AsCurrency();
  return tipo->AsInteger() == 0 ? v : -v;
}

bool MesmoDocumento(const std::string& a, const std::string& b, bool considerarZeros) {
  std::string x = Trim(a), y = Trim(b);
  if (!considerarZeros) {
    x = x.empty() ? x : StripLeadingZeros(x);
    y = y.empty() ? y : StripLeadingZeros(y);
  }
  return x == y;
}

TVZEL_EMPRESAS_TEXTRATOBANMGR::TVZEL_EMPRESAS_TEXTRATOBANMGR(TComponent* owner, bool, TDatabase* db)
    : TMgr(owner, kTabela, db) {
  // The screens' statuses and proposals stay in memory; storing is ConciliarExtratoLancamento's.
  SetControlMemory(true);
}

bool TVZEL_EMPRESAS_TEXTRATOBANMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TVZEL_EMPRESAS_TEXTRATOBANMGR") || TDAOFactory::InheritsFrom(class_name);
}

std::string TVZEL_EMPRESAS_TEXTRATOBANMGR::GetWhereSQLExtratoBanc(int64_t empresa, int64_t conta, TDateTime ini,
                                                                  TDateTime fim, bool dyq, int64_t idExtrato) {
  std::string w = " where BDCODEMP = " + SQLInteger(empresa) + " and BDCONTA = " + SQLInteger(conta);
  // A Dyq statement is all its lines: one dated outside the period it was released for is still to be
  // reconciled or posted, and deleted with the statement.
  if (!dyq) w += CondicaoPeriodo("BDDATAMOV", ini, fim);
  w += dyq ? " and BDIDEXTRATODYQ = " + SQLInteger(idExtrato) : std::string(" and BDIDEXTRATODYQ is null");
  return w;
}

std::string TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(int64_t empresa, int64_t conta, TDateTime ini,
                                                             TDateTime fim, bool dyq, int64_t idExtrato) {
  // 5: the line names an entry that is gone (deleted after the reconciliation was stored).
  return "select BDCODEMP, BDCHAVE, BDDATAMOV, BDDESCRICAO, BDDCTO, BDTIPO, BDVALOR, BDCODEMPLANC, BDCHAVELANC, "
         "BDIDEXTRATODYQ, BDIDITEMDYQ, "
         "cast(case when BDCHAVELANC is null then 0 "
         "when exists (select 1 from VZEL_EMPRESAS_TLAN l where l.BDCODEMP = "
         "coalesce(VZEL_EMPRESAS_TEXTRATOBAN.BDCODEMPLANC, VZEL_EMPRESAS_TEXTRATOBAN.BDCODEMP) "
         "and l.BDCHAVE = VZEL_EMPRESAS_TEXTRATOBAN.BDCHAVELANC) then 4 else 5 end as integer) as BDSTATUS "
         "from VZEL_EMPRESAS_TEXTRATOBAN" +
         GetWhereSQLExtratoBanc(empresa, conta, ini, fim, dyq, idExtrato) + " order by BDDATAMOV, BDCHAVE";
}

std::string TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLLancamentosCont(const std::string& filiais, int64_t conta,
                                                                 TDateTime ini, TDateTime fim) {
  std::vector<int64_t> codigos;
  for (const std::string& parte : Split(filiais, ',')) {
    std::string t = Trim(parte);
    if (t.empty()) continue;
    if (OnlyDigits(t) != t || t.size() > 9) throw EDataSetError("Lista de empresas inválida: " + filiais);
    codigos.push_back(std::stoll(t));
  }
  if (codigos.empty()) throw EDataSetError("Lista de empresas inválida: " + filiais);
  const std::string c = SQLInteger(conta);
  return "select l.BDCODEMP, l.BDCHAVE, l.BDDATA, l.BDCOMPL, l.BDDCTO, l.BDDEBITO, l.BDCREDITO, l.BDVALOR, "
         "l.BDCONCD, l.BDCONCC, l.BDTIPOLAN, "
         "cast(case when l.BDCREDITO = " + c + " then 0 else 1 end as smallint) as BDDEBCRED, "
         "cast(case when (l.BDDEBITO = " + c + " and l.BDCONCD = 'TRUE') or (l.BDCREDITO = " + c +
         " and l.BDCONCC = 'TRUE') then 4 else 0 end as integer) as BDSTATUS "
         "from VZEL_EMPRESAS_TLAN l where l.BDCODEMP in (" + SQLInList(codigos) + ")" +
         " and (l.BDDEBITO = " + c + " or l.BDCREDITO = " + c + ") and not (l.BDDEBITO = " + c +
         " and l.BDCREDITO = " + c + ")" + CondicaoPeriodo("l.BDDATA", ini, fim) +
         " order by l.BDDATA, l.BDCODEMP, l.BDCHAVE";
}

bool TVZEL_EMPRESAS_TEXTRATOBANMGR::ConciliaDaoExtrato(bool porData, bool porDocumento, bool porValor,
                                                       bool considerarZeros, TLancamentoMGR* lancamentos) {
  if (!lancamentos || !Active() || !lancamentos->Active()) return false;
  TClientDataSet& ext = *this;
  TClientDataSet& lan = *lancamentos;
  const int recExt = ext.RecNo(), recLan = lan.RecNo();
  TDisabledControls controlesExt(ext);
  TDisabledControls controlesLan(lan);
  if (porData || porDocumento || porValor) {
    // The free entries, read once; an entry leaves the pool when it is paired.
    struct TLivre {
      int RecNo;
      Currency Valor;
      TDateTime Data;
      std::string Dcto;
      int64_t Emp, Chave;
    };
    std::vector<TLivre> livres;
    for (lan.First(); !lan.Eof(); lan.Next())
      if (Status(lan) == scLivre)
        livres.push_back({lan.RecNo(), ValorSinalizadoConciliacao(lan), lan.FieldByName("BDDATA").AsDateTime().DateOnly(),
                          lan.FieldByName("BDDCTO").AsString(), lan.FieldByName("BDCODEMP").AsInteger(),
                          lan.FieldByName("BDCHAVE").AsInteger()});
    std::vector<bool> usado(livres.size(), false);
    for (ext.First(); !ext.Eof(); ext.Next()) {
      if (Status(ext) != scLivre) continue;
      const Currency v = ValorSinalizadoConciliacao(ext);
      const TDateTime d = ext.FieldByName("BDDATAMOV").AsDateTime().DateOnly();
      const std::string doc = ext.FieldByName("BDDCTO").AsString();
      for (size_t i = 0; i < livres.size(); ++i) {
        const TLivre& e = livres[i];
        // The sides must agree whatever is compared: a payment never pairs with a receipt.
        if (usado[i] || (e.Valor.Raw() < 0) != (v.Raw() < 0)) continue;
        if (porValor && e.Valor != v) continue;
        if (porData && e.Data != d) continue;
        if (porDocumento && !MesmoDocumento(e.Dcto, doc, considerarZeros)) continue;
        usado[i] = true;
        ext.Edit();
        ext.FieldByName("BDSTATUS").SetAsInteger(scProposto);
        ext.FieldByName("BDCODEMPLANC").SetAsInteger(e.Emp);
        ext.FieldByName("BDCHAVELANC").SetAsInteger(e.Chave);
        ext.Post();
        const int aqui = ext.RecNo();
        lan.SetRecNo(e.RecNo);
        SetStatus(lan, scProposto);
        ext.SetRecNo(aqui);
        break;
      }
    }
  }
  bool tudo = true;
  Currency total;
  for (ext.First(); !ext.Eof(); ext.Next()) {
    const int s = Status(ext);
    tudo = tudo && Casado(s);
    if (s == scSelecionado || s == scProposto || s == scInconsistenteSelecionado) total += ValorSinalizadoConciliacao(ext);
  }
  for (lan.First(); !lan.Eof(); lan.Next()) tudo = tudo && Casado(Status(lan));
  ValorTotal = total;
  if (recExt > 0 && recExt <= ext.RecordCount()) ext.SetRecNo(recExt);
  if (recLan > 0 && recLan <= lan.RecordCount()) lan.SetRecNo(recLan);
  return tudo;
}

bool TVZEL_EMPRESAS_TEXTRATOBANMGR::ConciliarExtratoLancamento(TLancamentoMGR* lancamentos, int64_t conta,
                                                               TComponent*, bool atualizaData,
                                                               TInconsistencias_VYN* inconsistencias) {
  auto erro = [&](const std::string& texto) {
    if (inconsistencias) inconsistencias->Add_Erro(texto);
    return false;
  };
  if (!lancamentos || !Active() || !lancamentos->Active()) return erro("Extrato ou lançamentos não carregados.");
  const int recExt = RecNo(), recLan = lancamentos->RecNo();
  std::vector<TLinha> linhas = Confirmados(*this, true);
  std::vector<TLinha> lancs = Confirmados(*lancamentos, false);
  std::vector<TDateTime> datas;   // the entries' dates in memory, by position in lancs
  for (const auto& l : lancs) datas.push_back(l.Data);
  if (recExt > 0 && recExt <= RecordCount()) SetRecNo(recExt);
  if (recLan > 0 && recLan <= lancamentos->RecordCount()) lancamentos->SetRecNo(recLan);
  if (linhas.empty() && lancs.empty()) return true;
  if (Soma(linhas) != Soma(lancs))
    return erro("Os valores conciliados do extrato (" + Soma(linhas).ToBR() + ") e dos lançamentos (" +
                Soma(lancs).ToBR() + ") não conferem. Nada foi gravado.");
  if (linhas.empty() || lancs.empty())
    return erro("Não há lançamentos " + std::string(linhas.empty() ? "do extrato" : "contábeis") +
                " para a conciliação. Nada foi gravado.");

  const TPares pares = CasaPares(linhas, lancs);
  const std::vector<size_t>& restoLinhas = pares.restoLinhas;
  const std::vector<size_t>& restoLancs = pares.restoLancs;
  if (restoLinhas.empty() != restoLancs.empty())
    return erro("Há lançamentos " + std::string(restoLancs.empty() ? "do extrato" : "contábeis") +
                " conciliados sem contrapartida. Nada foi gravado.");

  TDatabase& db = Database();
  try {
    TTransaction tr(db);
    GravaPares(db, linhas, lancs, pares);
    TLivros livros(db, ExecucaoDe(this));
    MarcaLancamentos(livros, db, lancs, datas, conta, atualizaData);
    tr.Commit();
  } catch (const EDatabaseError& ex) {
    // Another workstation storing the same lines at this moment: nothing of this store was written, and
    // the database's own text would tell the user nothing.
    if (ex.IsLockConflict())
      return erro("A conciliação não foi gravada: outro usuário gravava a conciliação destes lançamentos ao "
                  "mesmo tempo. Atualize a consulta e confira antes de conciliar de novo.");
    return erro(std::string("A conciliação não foi gravada: ") + ex.what());
  } catch (const std::exception& ex) {
    return erro(std::string("A conciliação não foi gravada: ") + ex.what());
  }
  return true;
}

}  // namespace vyn
