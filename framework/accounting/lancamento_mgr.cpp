#include "framework/accounting/lancamento_mgr.h"

#include <cctype>
#include <initializer_list>

#include "framework/core/text.h"
#include "framework/data/sql_value.h"

namespace vyn {

namespace {

struct TCampo {
  const char* Nome;
  TFieldType Tipo;
  int Tamanho = 0;
};

void CriaCampos(TClientDataSet& ds, std::initializer_list<TCampo> campos) {
  for (const TCampo& c : campos) ds.AddFieldDef(c.Nome, c.Tipo, c.Tamanho);
  ds.CreateDataSet();
}

void CamposBaixas(TClientDataSet& ds) {
  CriaCampos(ds, {{"BDCODEMP", TFieldType::ftInteger},
                  {"BDCHAVE", TFieldType::ftInteger},
                  {"BDBAIXA_ID", TFieldType::ftInteger},
                  {"BDORDEM", TFieldType::ftInteger},
                  {"BDTIPO_BAIXA", TFieldType::ftSmallint},
                  {"BDSUBTIPO_BAIXA", TFieldType::ftInteger},
                  {"BDVALOR", TFieldType::ftCurrency},
                  {"BDAUTOMATICO", TFieldType::ftBoolean},
                  {"BDTIPOSERVICO", TFieldType::ftInteger},
                  {"BDNUMDOCINI", TFieldType::ftString, 60},
                  {"BDCHAVEPAI", TFieldType::ftInteger},
                  {"BDCHAVELANC", TFieldType::ftInteger},
                  {"BDJUROS", TFieldType::ftCurrency},
                  {"BDMULTAS", TFieldType::ftCurrency},
                  {"BDDESCONTOS", TFieldType::ftCurrency},
                  {"BDVALORPAGO", TFieldType::ftCurrency},
                  {"bdCODTIPOBAIXA", TFieldType::ftSmallint},
                  // The link's identity in the settlement engine's record of what it posted: it
                  // follows the link when a review gives its lines new keys.
                  {"BDIDVINCULO", TFieldType::ftLargeint}});
}

}  // namespace

const std::string& TabelaTrabalho(const TDAOFactory& dao) {
  return CheckSQLIdentifier<EDataSetError>(dao.WorkTable(), "Tabela de trabalho inválida: ");
}

TLancamentoMGR::TLancamentoMGR(TComponent* owner, std::string table, TDatabase* db)
    : TMgr(owner, std::move(table), db) {}

TLancamentoMGR::~TLancamentoMGR() = default;

bool TLancamentoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TLancamentoMGR") || TDAOFactory::InheritsFrom(class_name);
}

TLancamentoMGR* TLancamentoMGR::CreateMgr(TComponent* owner, bool gravaDireto, bool validaContas, int,
                                          bool somenteLeitura, bool carregaMultiLanc) {
  TLancamentoMGR* m = TDAOFactory::CreateMgrOf<TLancamentoMGR>(owner);
  m->flags_[0] = gravaDireto;
  m->flags_[1] = validaContas;
  m->flags_[2] = somenteLeitura;
  m->flags_[3] = carregaMultiLanc;
  return m;
}

TClientDataSet* TLancamentoMGR::GetClientDataSetBaixas(TComponent* owner) {
  if (!owner) throw EDataSetError("O conjunto de vínculos de baixa precisa de um dono (owner).");
  auto* ds = owner->Create<TClientDataSet>();
  CamposBaixas(*ds);
  return ds;
}

std::unique_ptr<TClientDataSet> TLancamentoMGR::NewClientDataSetBaixas() {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  CamposBaixas(*ds);
  return ds;
}

TClientDataSet* TLancamentoMGR::getMultiLancamentosDAO() {
  if (multi_) return multi_;
  multi_ = Create<TClientDataSet>();
  CriaCampos(*multi_, {{"BDCODEMP", TFieldType::ftInteger},
                       {"BDCHAVE", TFieldType::ftInteger},
                       {"BDCHAVELANC", TFieldType::ftInteger},
                       {"BDTIPOMULTLANC", TFieldType::ftSmallint},
                       {"BDDATA", TFieldType::ftDate},
                       {"BDDEBITO", TFieldType::ftInteger},
                       {"BDCREDITO", TFieldType::ftInteger},
                       {"BDVALOR", TFieldType::ftCurrency},
                       {"BDCODHIST", TFieldType::ftInteger},
                       {"BDCODTPHI", TFieldType::ftInteger},
                       {"BDCOMPL", TFieldType::ftString, 200},
                       {"BDDCTO", TFieldType::ftString, 30},
                       {"BDVINC_BAIXA", TFieldType::ftBoolean},
                       {"BDLOTE", TFieldType::ftInteger},
                       {"BDCODTERCEIROD", TFieldType::ftInteger},
                       {"BDCODTERCEIROC", TFieldType::ftInteger},
                       {"BDVINC_BAIDESC", TFieldType::ftBoolean},
                       {"BDCODPLAPADRAO", TFieldType::ftInteger},
                       {"BDCODUSU", TFieldType::ftInteger},
                       {"BDCONTABILIZACAO", TFieldType::ftInteger},
                       {"BDTIPOLANCFILIAL", TFieldType::ftInteger},
                       {"BDTIPOLAN", TFieldType::ftInteger},
                       // A split row is reconciled on its own side, as a line is.
                       {"BDCONCD", TFieldType::ftBoolean},
                       {"BDCONCC", TFieldType::ftBoolean},
                       {"BDTIPOCONC", TFieldType::ftInteger}});
  multi_->SetIndexFieldNames("BDCODEMP;BDCHAVE");
  return multi_;
}

TClientDataSet* TLancamentoMGR::getMultiLancamentosCCDAO(int lado) {
  TClientDataSet*& cc = multiCC_[lado == 1 ? 1 : 0];
  if (cc) return cc;
  cc = Create<TClientDataSet>();
  CriaCampos(*cc, {{"BDCODEMP", TFieldType::ftInteger},
                   {"BDCHAVE", TFieldType::ftInteger},
                   {"BDCHAVELANC", TFieldType::ftInteger},
                   {"BDORDEM", TFieldType::ftInteger},
                   {"BDCODCENTRO", TFieldType::ftInteger},
                   {"BDCODTPCC", TFieldType::ftInteger},
                   {"BDDEBCRE", TFieldType::ftInteger},
                   {"BDVALOR", TFieldType::ftCurrency}});
  cc->SetIndexFieldNames("BDCODEMP;BDCHAVE;BDCHAVELANC;BDORDEM");
  return cc;
}

void TLancamentoMGR::SetUpdateRegHugeFileForTpIntegracao(const std::string& field, const std::string& value, int kind) {
  CheckSQLIdentifier<EDataSetError>(field, "Nome de coluna inválido: ");
  if (IsEmpty()) return;
  Variant v;
  switch (kind) {
    case ltInteger: v = Variant(Variant(value).AsInteger()); break;
    case ltCurrency: v = Variant(Currency::Parse(value)); break;
    case ltDate: v = Variant(Variant(value).AsDateTime()); break;
    case ltFlag: v = Variant(std::string(Variant(value).AsBoolean() ? "TRUE" : "FALSE")); break;
    default: v = Variant(value); break;
  }
  if (ModoArquivoGrande(this)) {
    Database().Execute("update " + TabelaTrabalho(*this) + " set " + field + " = ? where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                       {v, Sessao(), Variant(static_cast<long long>(FieldByName("BDCODEMP").AsInteger())),
                        Variant(static_cast<long long>(FieldByName("BDCHAVE").AsInteger()))});
  }
  if (TField* f = FindField(field)) {
    // The row in memory follows; it is a copy of the work table's, not a row of this manager's table.
    const bool memoria = ControlMemory();
    SetControlMemory(true);
    try {
      Edit();
      f->SetValue(v);
      Post();
    } catch (...) {
      if (State() != TDataSetState::dsBrowse) Cancel();
      SetControlMemory(memoria);
      throw;
    }
    SetControlMemory(memoria);
  }
}

}  // namespace vyn
