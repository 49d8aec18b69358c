// Automatic links of imported entries to open fiscal installments, their removal, and the clean-up of
// settled entries after the review's inconsistency check.
#include <fmt/format.h>

#include <cctype>
#include <charconv>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/ui/edit_codigo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {

// Keys per statement of a removal or clean-up: the text stays far below the 64 KB a statement may hold.
constexpr size_t kChavesPorComando = 1000;
constexpr const char* kTelaArquivoGrande = "TfrConsultaImportacaoLancCCTxtHuge";
// Lower bound of the document-date range: dates before it do not occur in the books.
const TDateTime kMenorData(-657434.0);   // 0100-01-01

bool Vinculado(const TClientDataSet& ds) {
  const TField& f = ds.FieldByName("BDVINC_BAIXA");
  return !f.IsNull() && f.AsBoolean();
}

// An account column as the entry holds it: empty, null and 0 are no account.
int64_t ContaDaColuna(const TClientDataSet& ds, const char* coluna) {
  const TField& f = ds.FieldByName(coluna);
  if (f.IsNull()) return 0;
  const std::string s = Trim(f.AsString());
  return s.empty() ? 0 : f.AsInteger();
}

// The document as the match compares it: "0" when documents play no part; without its leading zeros
// when it reads as a 32-bit integer and zeros are not kept.
std::string DocumentoComparado(const std::string& dcto, bool prDoc, bool prZeroEsq) {
  if (!prDoc) return "0";
  if (prZeroEsq) return dcto;
  int32_t n = 0;
  const char* b = dcto.data();
  const char* e = b + dcto.size();
  if (b != e && *b == '+') ++b;
  auto [p, ec] = std::from_chars(b, e, n);
  if (ec != std::errc() || p != e || b == e) return dcto;
  return std::to_string(n);
}

// The document number of an installment is an integer: only the canonical decimal text of one can
// equal it (so "00042" kept with its zeros does not match 42).
bool NumeroDocumento(const std::string& doc, int64_t& out) {
  auto [p, ec] = std::from_chars(doc.data(), doc.data() + doc.size(), out);
  return ec == std::errc() && p == doc.data() + doc.size() && !doc.empty() && std::to_string(out) == doc;
}

// Due date within two days of the entry's date, both bounds included.
bool VencimentoProximo(TDateTime dataLanc, TDateTime vencto) {
  return dataLanc == vencto ||
         (!(dataLanc.Value > vencto.Value + 2) && !(dataLanc.Value < vencto.Value - 2));
}

// Frees the in-memory copy of a large-file review's rows, also after an error.
struct CopiaArquivoGrande {
  TLancamentoMGR* mgr = nullptr;
  std::unique_ptr<TLancamentoMGR> semDono;
  ~CopiaArquivoGrande() {
    if (mgr && mgr->Owner()) mgr->Owner()->FreeComponent(mgr);
  }
  // Loads the review's rows (its command and parameters, on its work table) into the copy, owned by
  // dono when given.
  TLancamentoMGR* Abre(TComponent* dono, TDAOFactory& revisao) {
    if (dono) {
      mgr = TLancamentoMGR::CreateMgr(dono, false, false, 1, true, true);
    } else {
      semDono = std::make_unique<TLancamentoMGR>(nullptr);
      mgr = semDono.get();
    }
    mgr->SetDatabase(&revisao.Database());
    mgr->SetControlMemory(true);
    mgr->SetHugeFile(true);
    mgr->SetSessao(revisao.Sessao());
    mgr->SetWorkTable(revisao.WorkTable());
    mgr->CommandText(revisao.GetCommandText(), ctOpen, revisao.GetCommandParams());
    return mgr;
  }
};

// How many entries share each value (and document): counted once, as money and on the document the
// match compares, so "00042" and "42" count as one document when zeros go. A value is "the only
// one" when no other entry has it (with the same document, when documents are compared).
class TContagemValores {
 public:
  TContagemValores(TClientDataSet& fonte, bool prDoc, bool prZeroEsq) : doc_(prDoc) {
    TClientDataSet clone;
    clone.CloneCursor(fonte, true);
    for (clone.First(); !clone.Eof(); clone.Next()) {
      const int64_t v = clone.FieldByName("BDVALOR").AsCurrency().Raw();
      ++porValor_[v];
      if (prDoc) ++porValorDoc_[{v, DocumentoComparado(clone.FieldByName("BDDCTO").AsString(), prDoc, prZeroEsq)}];
    }
  }
  bool Unico(int64_t valor, const std::string& doc) const {
    if (doc_ && !doc.empty()) {
      auto it = porValorDoc_.find({valor, doc});
      return it != porValorDoc_.end() && it->second == 1;
    }
    auto it = porValor_.find(valor);
    return it != porValor_.end() && it->second == 1;
  }

 private:
  bool doc_;
  std::unordered_map<int64_t, int> porValor_;
  std::map<std::pair<int64_t, std::string>, int> porValorDoc_;
};

}  // namespace

bool TProcessoBaixas::BuscaLancamentosFiscal(TComponent* /*prSender*/, int prCodEmp, bool prIndexData, bool prDoc) {
  if (!FDAOLancamentosFiscais) FDAOLancamentosFiscais = TSQLMGR::CreateMgrOwned();
  TSQLMGR& lista = *FDAOLancamentosFiscais;
  // The previous load's index and range may name columns this load does not bring.
  if (lista.Active()) lista.CancelRange();
  lista.ClearIndexDefs();

  const std::string emp = std::to_string(prCodEmp);
  // The document table is joined whenever its date or number is asked for.
  const bool junta = prIndexData || prDoc;
  auto ramo = [&](const std::string& inicio, const char* colData, const std::string& numDoc, const char* tipo,
                  const char* parcelas, const std::string& juncao, const char* pagas) {
    std::string s = inicio;
    if (prIndexData) s += colData;
    s += prDoc ? numDoc : " 0 as BDNUMDOC, ";
    s += std::string(tipo) + "2" + " as BDCODPAR, BDCODTER from " + parcelas;
    s += juncao;
    s += std::string(" where (not exists (select first 1 BDCHAVE from ") + pagas +
         " where BDCODEMP = par.BDCODEMP and BDCHAVE = par.BDCHAVE AND BDORDEMPAR = par.BDORDEMPAR))";
    s += "   and par.BDCODEMP = " + emp;
    return s;
  };
  std::string sql = "select PAR.*, TER.BDCGCTER";
  sql += ramo(" from (select par.BDCODEMP, par.BDCHAVE,PAR.bddatavenctopar, par.BDORDEMPAR, par.BDVALORPAR, 1 AS "
              "BDNATUREZA,",
              " MOV.BDDATAENTRADAENT as BDDATAINICIAL,", " MOV.BDNUMDOCINI as BDNUMDOC, ", " 0 as BDTIPOLANCEF, ",
              "VEF_EMP_TMOVENTPAR par",
              junta ? " left outer join VEF_EMP_TMOVENT MOV on (MOV.BDCODEMP = PAR.BDCODEMP and MOV.BDCHAVE = "
                      "PAR.BDCHAVE)"
                    : "",
              "VEF_EMP_TMOVENTPARPGTO");
  sql += ramo(" union all select par.BDCODEMP, par.BDCHAVE,PAR.bddatavenctopar, par.BDORDEMPAR, par.BDVALORPAR, 0 as "
              "BDNATUREZA,",
              " MOV.BDDATASAIDA as BDDATAINICIAL,", " MOV.BDNUMDOCINI as BDNUMDOC, ", " 1 as BDTIPOLANCEF, ",
              "VEF_EMP_TMOVSAIPAR par",
              junta ? " left outer join VEF_EMP_TMOVSAI MOV on (MOV.BDCODEMP = PAR.BDCODEMP and MOV.BDCHAVE = "
                      "PAR.BDCHAVE)"
                    : "",
              "VEF_EMP_TMOVSAIPARPGTO");
  sql += ramo(" union all select par.BDCODEMP, par.BDCHAVE,PAR.bddatavenctopar, par.BDORDEMPAR, par.BDVALORPAR, "
              "mov.BDTIPLAN as BDNATUREZA,",
              " MOV.BDDATAEMISSAO as BDDATAINICIAL,", " MOV.BDNUMDOCINI as BDNUMDOC,", " 2 as BDTIPOLANCEF, ",
              "VEF_EMP_TMOVSERPAR par",
              "  join VEF_EMP_TMOVSER mov on (mov.BDCODEMP = par.BDCODEMP and mov.BDCHAVE = par.BDCHAVE)",
              "VEF_EMP_TMOVSERPARPGTO");
  sql += ramo(" union all select par.BDCODEMP, par.BDCHAVE,PAR.bddatavenctopar, par.BDORDEMPAR, par.BDVALORPAR, "
              "case when BDIND_OPER = 1 then 1 else 0 end as BDNATUREZA,",
              " MOV.BDDT_OPER as BDDATAINICIAL,", " MOV.BDNUMDOC as BDNUMDOC, ", " 3 as BDTIPOLANCEF, ",
              "VEF_EMP_TMOVF100PAR par",
              "  join VEF_EMP_TMOVDEMAISDOC_F100 mov on (mov.BDCODEMP = par.BDCODEMP and mov.BDCHAVE = par.BDCHAVE)",
              "VEF_EMP_TMOVF100PARPGTO");
  sql += " ) PAR";
  sql += " left join TTERCEIRO TER on (PAR.BDCODTER = TER.BDCODTER)";
  sql += " order by PAR.BDNATUREZA, PAR.BDVALORPAR";
  if (prDoc) sql += ", BDNUMDOC";
  if (prIndexData) sql += ", BDDATAINICIAL";

  lista.CommandText(sql, ctOpen);
  const bool achou = !lista.IsEmpty();
  lista.ClearIndexDefs();
  lista.AddIndexDef("iIndex", std::string("BDNATUREZA;BDVALORPAR;BDNUMDOC") + (prIndexData ? ";BDDATAINICIAL" : ""));
  if (lista.IndexName().empty()) lista.SetIndexName("iIndex");
  return achou;
}

int TProcessoBaixas::PosicionaCandidatos(int prNatureza, Currency prValor, const std::string& prNumdoc,
                                         TDateTime prData) {
  if (!FDAOLancamentosFiscais || !FDAOLancamentosFiscais->Active()) return 0;
  TSQLMGR& lista = *FDAOLancamentosFiscais;
  lista.CancelRange();
  TField& numDoc = lista.FieldByName("BDNUMDOC");
  Variant doc;
  if (numDoc.DataType() == TFieldType::ftString || numDoc.DataType() == TFieldType::ftMemo) {
    doc = Variant(prNumdoc);
  } else {
    int64_t n = 0;
    if (!NumeroDocumento(prNumdoc, n)) return 0;
    doc = Variant(static_cast<long long>(n));
  }
  std::vector<Variant> de{Variant(prNatureza), Variant(prValor), doc};
  std::vector<Variant> ate = de;
  if (lista.FindField("BDDATAINICIAL")) {
    // A document dated after the entry is never a candidate.
    de.emplace_back(kMenorData);
    ate.emplace_back(prData);
  }
  lista.SetRange(de, ate);
  return lista.RecordCount();
}

void TProcessoBaixas::GravaVinculoAutomatico(TClientDataSet* prVinculos, TDAOFactory* prDAOLancamentos,
                                             TDAOFactory* prDAOPesq, Currency prValor, bool prComprovante) {
  const TSQLMGR& par = *FDAOLancamentosFiscais;
  prVinculos->Append();
  try {
    prVinculos->FieldByName("BDAUTOMATICO").SetAsBoolean(true);
    prVinculos->FieldByName("BDCHAVE").SetValue(prDAOPesq->FieldByName("BDCHAVE").Value());
    prVinculos->FieldByName("BDBAIXA_ID").SetValue(par.FieldByName("BDCHAVE").Value());
    prVinculos->FieldByName("BDORDEM").SetValue(par.FieldByName("BDORDEMPAR").Value());
    prVinculos->FieldByName("BDTIPO_BAIXA").SetValue(par.FieldByName("BDCODPAR").Value());
    prVinculos->FieldByName("BDSUBTIPO_BAIXA").SetValue(par.FieldByName("BDTIPOLANCEF").Value());
    prVinculos->FieldByName("BDVALOR").SetAsCurrency(prValor);
    prVinculos->FieldByName("BDTIPOSERVICO").SetValue(par.FieldByName("BDNATUREZA").Value());
    prVinculos->FieldByName("BDNUMDOCINI").SetAsString(prDAOPesq->FieldByName("BDDCTO").AsString());
    if (prComprovante) {
      for (const char* c : {"BDJUROS", "BDMULTAS", "BDDESCONTOS", "BDVALORPAGO"})
        prVinculos->FieldByName(c).SetValue(prDAOPesq->FieldByName(c).Value());
      prVinculos->FieldByName("bdCODTIPOBAIXA").SetAsInteger(1);
    }
    prVinculos->Post();
  } catch (...) {
    if (prVinculos->State() != TDataSetState::dsBrowse) prVinculos->Cancel();
    throw;
  }
  const TBookmark novo = prVinculos->GetBookmark();
  try {
    if (ModoArquivoGrande(prDAOLancamentos)) {
      auto* mgr = dynamic_cast<TLancamentoMGR*>(prDAOPesq);
      if (!mgr) throw EDataSetError("O vínculo de um arquivo grande é gravado pelo gerenciador de lançamentos.");
      mgr->SetUpdateRegHugeFileForTpIntegracao("BDVINC_BAIXA", "TRUE", ltFlag);
    } else {
      prDAOPesq->Edit();
      prDAOPesq->FieldByName("BDVINC_BAIXA").SetAsBoolean(true);
      prDAOPesq->Post();
    }
  } catch (...) {
    // An entry that could not be flagged keeps no link: the two always go together.
    if (prDAOPesq->State() != TDataSetState::dsBrowse) prDAOPesq->Cancel();
    if (prVinculos->BookmarkValid(novo)) {
      prVinculos->GotoBookmark(novo);
      prVinculos->Delete();
    }
    throw;
  }
}

void TProcessoBaixas::ProcessoVincAutomatico(TComponent* prComponent, int prNatureza, const std::string& prNumdoc,
                                             TDAOFactory* prDAOLancamentos, bool prDistinguirValores,
                                             TDAOFactory* prDAOPesq, bool prApenasUmValor) {
  const TDateTime data = prDAOPesq->FieldByName("BDDATA").AsDateTime();
  const Currency valor = prDAOPesq->FieldByName("BDVALOR").AsCurrency();
  const int n = PosicionaCandidatos(prNatureza, valor, prNumdoc, data);
  if (n == 0) return;
  TSQLMGR& lista = *FDAOLancamentosFiscais;
  if (n == 1 && prApenasUmValor) {
    lista.First();
  } else if (prDistinguirValores) {
    // Several candidates, or several entries of this value: only the due date can tell them apart.
    int proximos = 0;
    TBookmark escolhido = -1;
    for (lista.First(); !lista.Eof() && proximos < 2; lista.Next()) {
      if (VencimentoProximo(data, lista.FieldByName("BDDATAVENCTOPAR").AsDateTime())) {
        ++proximos;
        escolhido = lista.GetBookmark();
      }
    }
    if (proximos != 1) return;
    lista.GotoBookmark(escolhido);
  } else {
    return;
  }
  GravaVinculoAutomatico(cdsVINC_EXT_BAN_BAIXA, prDAOLancamentos, prDAOPesq, valor, false);
}

void TProcessoBaixas::ProcessoVincAutComprovantes(TComponent* prComponent, int prNatureza,
                                                  const std::string& prNumdoc, TDAOFactory* prDAOLancamentos,
                                                  bool prDistinguirValores, TDAOFactory* prDAOPesq,
                                                  bool prApenasUmValor, TDAOFactory* prDAOPlaContab) {
  const TDateTime data = prDAOPesq->FieldByName("BDDATA").AsDateTime();
  const int n = PosicionaCandidatos(prNatureza, prDAOPesq->FieldByName("BDVALORPAGO").AsCurrency(), prNumdoc, data);
  if (n == 0) return;
  TSQLMGR& lista = *FDAOLancamentosFiscais;
  // Registry numbers compare as digits only. A receipt names whom it paid: only that participant's
  // installments are its candidates; one without a number keeps the due date alone.
  const std::string cnpj = OnlyDigits(prDAOPesq->FieldByName("BDCNPJ").AsString());
  bool deOutroFornecedor = false;
  auto aceitavel = [&] {
    const TDateTime vencto = lista.FieldByName("BDDATAVENCTOPAR").AsDateTime();
    if (cnpj.empty()) return data == vencto;
    if (OnlyDigits(lista.FieldByName("BDCGCTER").AsString()) == cnpj) return VencimentoProximo(data, vencto);
    deOutroFornecedor = deOutroFornecedor || data == vencto;
    return false;
  };
  TBookmark escolhido = -1;
  Currency valor;
  if (n == 1 && prApenasUmValor) {
    lista.First();
    if (aceitavel()) escolhido = lista.GetBookmark();
    valor = prDAOPesq->FieldByName("BDVALORPAGO").AsCurrency();
  } else if (prDistinguirValores) {
    int aceitos = 0;
    for (lista.First(); !lista.Eof() && aceitos < 2; lista.Next()) {
      if (aceitavel()) {
        ++aceitos;
        escolhido = lista.GetBookmark();
      }
    }
    if (aceitos != 1) escolhido = -1;
    valor = prDAOPesq->FieldByName("BDVALORORIGINAL").AsCurrency();
  }
  if (escolhido < 0) {
    if (deOutroFornecedor) FRecibosDeOutroFornecedor.push_back(prDAOPesq->FieldByName("BDCHAVE").AsInteger());
    return;
  }
  lista.GotoBookmark(escolhido);
  GravaVinculoAutomatico(cdsVINC_EXT_BAN_COMP_BAIXA, prDAOLancamentos, prDAOPesq, valor, true);
}

void TProcessoBaixas::GetVinculosAutomaticos(TComponent* prComponent, TDAOFactory* prDAOLancamentos, int prEmpresa,
                                             bool prDoc, bool prZeroEsq, bool prDistinguirValores,
                                             bool prVincComprovantes, TDAOFactory* prDAOPlaContab) {
  if (!prDAOLancamentos) return;
  FRecibosDeOutroFornecedor.clear();
  TDAOFactory* const daoImport = FDAO;
  const bool arquivoGrande = ModoArquivoGrande(prDAOLancamentos);
  const int recNo = arquivoGrande ? 0 : prDAOLancamentos->RecNo();
  CopiaArquivoGrande copia;

  auto termina = [&] {
    FDAO = daoImport;
    if (!arquivoGrande && recNo > 0 && prDAOLancamentos->State() == TDataSetState::dsBrowse)
      prDAOLancamentos->SetRecNo(recNo);
  };
  // The review shows the work table's rows again, with the flags written so far.
  auto reabre = [&] {
    const std::string sql = prDAOLancamentos->GetCommandText();
    const TParams params = prDAOLancamentos->GetCommandParams();
    prDAOLancamentos->CommandText(sql, ctOpen, params);
  };
  try {
    if (BuscaLancamentosFiscal(prComponent, prEmpresa, true, prDoc)) {
      // A large-file review is scanned over an in-memory copy of its rows; links are flagged in the
      // work table.
      TDAOFactory* fonte = arquivoGrande ? copia.Abre(prComponent, *prDAOLancamentos) : prDAOLancamentos;
      FDAO = fonte;
      const TOpcoesVinculoAutomatico opcoes{prDoc, prZeroEsq, prDistinguirValores, prVincComprovantes, prDAOPlaContab};
      VinculaLinhas(prComponent, prDAOLancamentos, *fonte, opcoes);
    }
  } catch (...) {
    termina();
    if (arquivoGrande) {
      try {
        reabre();
      } catch (...) {
        // The error that ended the run is the one the caller gets.
      }
    }
    throw;
  }
  termina();
  if (arquivoGrande) reabre();
}

int TProcessoBaixas::NaturezaDoDinheiro(const TClientDataSet& ds, TDatabase& db) {
  return FDirecaoDinheiro.Natureza(db, ds.FieldByName("BDCODEMP").AsInteger(), ContaDaColuna(ds, "BDDEBITO"),
                                   ContaDaColuna(ds, "BDCREDITO"), FEditConta ? FEditConta->Codigo() : 0);
}

void TProcessoBaixas::VinculaLinhas(TComponent* prComponent, TDAOFactory* prDAOLancamentos, TDAOFactory& fonte,
                                    const TOpcoesVinculoAutomatico& o) {
  const TContagemValores contagem(fonte, o.Doc, o.ZeroEsq);
  TComponent* const telaArquivoGrande = prComponent ? prComponent->FindOwnerOfClass(kTelaArquivoGrande) : nullptr;
  auto* lancMgr = dynamic_cast<TLancamentoMGR*>(prDAOLancamentos);
  // The data set the entry's nature is read from: the first split line of kind 1 of a large-file
  // review's entry, when it has one.
  auto GetDAOPesq = [&]() -> TClientDataSet* {
    if (!telaArquivoGrande || !lancMgr || !lancMgr->TemMultiLancamentosDAO()) return &fonte;
    TClientDataSet* multi = lancMgr->getMultiLancamentosDAO();
    multi->CancelRange();
    multi->SetRange({fonte.FieldByName("BDCODEMP").Value(), fonte.FieldByName("BDCHAVE").Value()},
                    {fonte.FieldByName("BDCODEMP").Value(), fonte.FieldByName("BDCHAVE").Value()});
    for (multi->First(); !multi->Eof(); multi->Next())
      if (multi->FieldByName("BDTIPOMULTLANC").AsInteger() == 1) return multi;
    return &fonte;
  };

  for (fonte.First(); !fonte.Eof(); fonte.Next()) {
    if (Vinculado(fonte)) continue;
    // Read from the column itself: the account reader's fallback follows whatever link row is current.
    const int natureza = NaturezaDoDinheiro(*GetDAOPesq(), fonte.Database());
    const std::string doc =
        DocumentoComparado(o.Doc ? fonte.FieldByName("BDDCTO").AsString() : std::string(), o.Doc, o.ZeroEsq);
    const bool apenasUmValor = contagem.Unico(fonte.FieldByName("BDVALOR").AsCurrency().Raw(), doc);
    if (o.VincComprovantes && fonte.FieldByName("BDTEMCOMPROVANTE").AsInteger() != 1) continue;
    if (!FEditConta && o.VincComprovantes && ContaDaColuna(fonte, "BDDEBITO") != 0 && ContaDaColuna(fonte, "BDCREDITO") != 0) {
      // A receipt with both accounts may settle a receivable or a payable.
      ProcessoVincAutComprovantes(prComponent, 0, doc, prDAOLancamentos, o.DistinguirValores, &fonte, apenasUmValor,
                                  o.DAOPlaContab);
      if (!Vinculado(fonte))
        ProcessoVincAutComprovantes(prComponent, 1, doc, prDAOLancamentos, o.DistinguirValores, &fonte,
                                    apenasUmValor, o.DAOPlaContab);
    } else if (o.VincComprovantes) {
      ProcessoVincAutComprovantes(prComponent, natureza, doc, prDAOLancamentos, o.DistinguirValores, &fonte,
                                  apenasUmValor, o.DAOPlaContab);
    } else {
      ProcessoVincAutomatico(prComponent, natureza, doc, prDAOLancamentos, o.DistinguirValores, &fonte,
                             apenasUmValor);
    }
  }
}

void TProcessoBaixas::DeletarVinculosAutomaticos(TComponent* prSender, TEdit_Codigo_Search_VYN* prCodEmp,
                                                 TLancamentoMGR* prDAO) {
  TClientDataSet& links = *cdsVINC_EXT_BAN_BAIXA;
  const bool arquivoGrande = ModoArquivoGrande(prDAO);

  // The entries whose automatic links go, and those that keep another link and stay flagged.
  std::set<int64_t> chaves;
  std::unordered_set<int64_t> mantidas;
  for (links.First(); !links.Eof(); links.Next()) {
    const int64_t chave = links.FieldByName("BDCHAVE").AsInteger();
    if (links.FieldByName("BDAUTOMATICO").AsBoolean())
      chaves.insert(chave);
    else
      mantidas.insert(chave);
  }
  if (chaves.empty()) return;
  for (cdsVINC_EXT_BAN_COMP_BAIXA->First(); !cdsVINC_EXT_BAN_COMP_BAIXA->Eof(); cdsVINC_EXT_BAN_COMP_BAIXA->Next())
    mantidas.insert(cdsVINC_EXT_BAN_COMP_BAIXA->FieldByName("BDCHAVE").AsInteger());
  std::vector<int64_t> desmarcar;
  for (int64_t c : chaves)
    if (!mantidas.count(c)) desmarcar.push_back(c);

  if (arquivoGrande && prDAO && !desmarcar.empty()) {
    // All chunks in one transaction: the work table is unflagged wholly or not at all.
    const std::string tabela = TabelaTrabalho(*prDAO);
    std::vector<std::string> comandos;
    for (const auto& parte : SplitKeyList(desmarcar, kChavesPorComando))
      comandos.push_back(fmt::format("update {} set BDVINC_BAIXA = 'FALSE' where BDSESSAO = {} and BDCHAVE in ({})",
                                     tabela, prDAO->Sessao(), SQLInList(parte)));
    TSQLMGRHandle sql = getSQLMgr_do_Pool();
    sql->Database().ExecuteScriptOrThrow(comandos);
  } else if (!arquivoGrande && prDAO) {
    const Variant emp(static_cast<long long>(prCodEmp ? prCodEmp->Codigo() : 0));
    const bool porIndice = SameText(prDAO->IndexFieldNames(), "BDCODEMP;BDCHAVE");
    for (int64_t c : desmarcar) {
      const Variant chave(static_cast<long long>(c));
      bool achou = porIndice && prDAO->FindKey({emp, chave});
      if (!achou) achou = prDAO->SearchKey("BDCODEMP;BDCHAVE", {emp, chave});
      if (!achou) continue;
      prDAO->Edit();
      try {
        prDAO->FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
        prDAO->Post();
      } catch (...) {
        if (prDAO->State() != TDataSetState::dsBrowse) prDAO->Cancel();
        throw;
      }
    }
  }

  for (links.First(); !links.Eof();) {
    if (links.FieldByName("BDAUTOMATICO").AsBoolean())
      links.Delete();
    else
      links.Next();
  }
  if (arquivoGrande && prDAO && !desmarcar.empty()) {
    const std::string sql = prDAO->GetCommandText();
    const TParams params = prDAO->GetCommandParams();
    prDAO->CommandText(sql, ctOpen, params);
  }
}

void TProcessoBaixas::GetAposInconsistencia(TDAOFactory* prDAO) {
  if (!prDAO) return;
  if (ModoArquivoGrande(prDAO))
    GetAposInconsistenciaHugeFile(prDAO);
  else
    GetAposInconsistenciaMemory(prDAO);
}

void TProcessoBaixas::GetAposInconsistenciaMemory(TDAOFactory* prDAO) {
  std::unordered_set<int64_t> vinculadas;
  TClientDataSet& links = *cdsVINC_EXT_BAN_BAIXA;
  for (links.First(); !links.Eof(); links.Next()) vinculadas.insert(links.FieldByName("BDCHAVE").AsInteger());

  TFilterGuard filtro(*prDAO);
  prDAO->SetFiltered(false);
  prDAO->SetFilter("");
  for (prDAO->First(); !prDAO->Eof();) {
    const TField& inc = prDAO->FieldByName("bdINCONSISTENTE");
    const bool liquidada = prDAO->FieldByName("BDCONCC").AsBoolean() || prDAO->FieldByName("BDCONCD").AsBoolean();
    if (vinculadas.count(prDAO->FieldByName("BDCHAVE").AsInteger()) && liquidada &&
        (inc.IsNull() || inc.AsInteger() != 1))
      prDAO->Delete();
    else
      prDAO->Next();
  }
}

// A settled line of an entry file (one with its identity, BDFONTE) stays for the import, which records
// it as booked, counts it and removes it: the file's next import must find it booked.
void TProcessoBaixas::GetAposInconsistenciaHugeFile(TDAOFactory* prDAO) {
  std::set<int64_t> chaves;
  TClientDataSet& links = *cdsVINC_EXT_BAN_BAIXA;
  for (links.First(); !links.Eof(); links.Next()) chaves.insert(links.FieldByName("BDCHAVE").AsInteger());
  if (chaves.empty()) return;
  const std::string tabela = TabelaTrabalho(*prDAO);
  std::vector<std::string> comandos;
  for (const auto& parte : SplitKeyList(std::vector<int64_t>(chaves.begin(), chaves.end()), kChavesPorComando))
    comandos.push_back("delete from " + tabela + " T " +
                       " where (BDCONCC collate win_ptbr = 'TRUE' or BDCONCD collate win_ptbr = 'TRUE')" +
                       " and BDFONTE is null" +
                       " and not exists(SELECT first 1 INCO.BDCODINCONSISTENCIA" + " FROM VZEL_INCON_TLAN INCO" +
                       " WHERE INCO.BDSESSAO = T.BDSESSAO AND" + " INCO.BDCODEMP = T.BDCODEMP AND" +
                       " INCO.BDCHAVE  = T.BDCHAVE)" + " and  BDSESSAO = " + std::to_string(prDAO->Sessao()) +
                       " AND (BDCHAVE in (" + SQLInList(parte) + "))");
  TSQLMGRHandle sql = getSQLMgr_do_Pool();
  sql->Database().ExecuteScriptOrThrow(comandos);
}

}  // namespace integracao
