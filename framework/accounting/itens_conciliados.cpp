#include "framework/accounting/itens_conciliados.h"

#include "framework/accounting/lancamento_mgr.h"
#include "framework/data/dataset_guards.h"

namespace vyn {

namespace {

// Walks the items of one line with the items' own filter off; f answers whether to go on.
template <class F>
void PorItem(TLancamentoMGR& linhas, int64_t empresa, int64_t chave, F&& f) {
  TClientDataSet& ds = *linhas.getItensConciliadosDAO();
  TFilterGuard filtro(ds);
  ds.SetFiltered(false);
  for (ds.First(); !ds.Eof();) {
    const bool daLinha = !ds.FieldByName("BDCODEMP").IsNull() && ds.FieldByName("BDCODEMP").AsInteger() == empresa &&
                         !ds.FieldByName("BDCHAVE").IsNull() && ds.FieldByName("BDCHAVE").AsInteger() == chave;
    if (!daLinha) {
      ds.Next();
      continue;
    }
    if (!f(ds)) break;
  }
}

}  // namespace

bool getItensConciliados(TLancamentoMGR& linhas, int64_t empresa, int64_t chave) {
  bool tem = false;
  PorItem(linhas, empresa, chave, [&](TClientDataSet&) {
    tem = true;
    return false;
  });
  return tem;
}

std::vector<int64_t> ChavesConciliadas(TLancamentoMGR& linhas, int64_t empresa, int64_t chave) {
  std::vector<int64_t> r;
  PorItem(linhas, empresa, chave, [&](TClientDataSet& ds) {
    if (!ds.FieldByName("BDCHAVECONC").IsNull()) r.push_back(ds.FieldByName("BDCHAVECONC").AsInteger());
    ds.Next();
    return true;
  });
  return r;
}

int RemoveItensConciliados(TLancamentoMGR& linhas, int64_t empresa, int64_t chave) {
  int n = 0;
  PorItem(linhas, empresa, chave, [&](TClientDataSet& ds) {
    ds.Delete();
    ++n;
    return true;
  });
  return n;
}

}  // namespace vyn
