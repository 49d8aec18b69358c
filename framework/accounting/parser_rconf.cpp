#include "framework/accounting/parser_rconf.h"

#include <stdexcept>

#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"

namespace vyn {

TParserRCONF::TParserRCONF(TComponent* owner, std::vector<std::string> formulas)
    : TComponent(owner), formulas_(std::move(formulas)) {
  sql_ = Create<TSQLMGR>();
}

void TParserRCONF::TrocaCompetenciaCarregaDaos(int yyyymm) {
  movimento_.clear();
  sql_->Close();
  sql_->CommandText("SELECT BDTIPOCOL, BDCODCOL, BDCODVER, BDCLAVER, BDVALOR FROM TRH_MOVIMENTO"
                    " WHERE BDCODEMP = ? AND BDREF = ?",
                    ctOpen, {Variant(codEmp_), Variant(yyyymm)});
  for (sql_->First(); !sql_->Eof(); sql_->Next()) {
    const auto chave = std::make_tuple(static_cast<int>(sql_->FieldByName("BDTIPOCOL").AsInteger()),
                                       static_cast<int>(sql_->FieldByName("BDCODCOL").AsInteger()),
                                       static_cast<int>(sql_->FieldByName("BDCODVER").AsInteger()),
                                       static_cast<int>(sql_->FieldByName("BDCLAVER").AsInteger()));
    movimento_[chave] += sql_->FieldByName("BDVALOR").AsCurrency();
  }
  sql_->Close();
  competenciaCarregada_ = yyyymm;
  trocas_.push_back(yyyymm);
}

bool TParserRCONF::Posiciona(int codEmp, int tipoCol, int codCol) {
  posTipoCol_ = tipoCol;
  posCodCol_ = codCol;
  if (codEmp != codEmp_) return false;
  for (const auto& [chave, valor] : movimento_)
    if (std::get<0>(chave) == tipoCol && std::get<1>(chave) == codCol) return true;
  return false;
}

bool TParserRCONF::EhFormulaTodasVerbas(const std::string& formula) const {
  return SameText(Trim(formula), "TODASVERBAS");
}

bool TParserRCONF::ExisteUsoFormulasIRRF() const {
  for (const auto& f : formulas_)
    if (UpperCase(Trim(f)).rfind("IRRF", 0) == 0) return true;
  return false;
}

bool TParserRCONF::ExisteUsoFormulasProvisao() const {
  for (const auto& f : formulas_)
    if (UpperCase(Trim(f)).rfind("PROV", 0) == 0) return true;
  return false;
}

Currency TParserRCONF::CalculaVerba(int codVer, int claVer) const {
  const auto it = movimento_.find(std::make_tuple(posTipoCol_, posCodCol_, codVer, claVer));
  return it == movimento_.end() ? Currency() : it->second;
}

Currency TParserRCONF::CalculaFormula(const std::string& formula, TDateTime ini, TDateTime fim) {
  periodos_.emplace_back(ini, fim);
  Currency total;
  std::string termo;
  int sinal = 1;
  auto fecha = [&]() {
    const std::string t = UpperCase(Trim(termo));
    termo.clear();
    if (t.empty()) throw std::invalid_argument("Fórmula inválida: " + formula);
    Currency v;
    if (t == "DIAS") {
      v = Currency::FromInt(static_cast<int64_t>(fim.Value - ini.Value) + 1);
    } else if (t[0] == 'V' && t.size() > 1 && t.find_first_not_of("0123456789", 1) == std::string::npos) {
      const int codVer = std::stoi(t.substr(1));
      for (const auto& [chave, valor] : movimento_)
        if (std::get<0>(chave) == posTipoCol_ && std::get<1>(chave) == posCodCol_ && std::get<2>(chave) == codVer)
          v += valor;
    } else if (!Currency::TryParse(t, v)) {
      throw std::invalid_argument("Fórmula inválida: " + formula);
    }
    total = sinal > 0 ? total + v : total - v;
  };
  for (char c : formula) {
    if (c == '+' || c == '-') {
      fecha();
      sinal = c == '+' ? 1 : -1;
    } else {
      termo += c;
    }
  }
  fecha();
  return total;
}

std::vector<TItemRelConf> SelecionaItensRelConf(TSQLMGR& sql, int codRel) {
  std::vector<TItemRelConf> out;
  sql.Close();
  sql.CommandText("SELECT BDCOLUNA, BDTITULO, BDFORM, BDCODVER, BDCLAVER FROM VRH_BASE_TRELCONF_ITENS"
                  " WHERE BDCODRELCONF = ? ORDER BY BDORDEM",
                  ctOpen, {Variant(codRel)});
  for (sql.First(); !sql.Eof(); sql.Next()) {
    TItemRelConf i;
    i.Coluna = static_cast<int>(sql.FieldByName("BDCOLUNA").AsInteger());
    i.Titulo = sql.FieldByName("BDTITULO").AsString();
    i.Formula = sql.FieldByName("BDFORM").AsString();
    if (!sql.FieldByName("BDCODVER").IsNull()) i.CodVer = static_cast<int>(sql.FieldByName("BDCODVER").AsInteger());
    if (!sql.FieldByName("BDCLAVER").IsNull()) i.ClaVer = static_cast<int>(sql.FieldByName("BDCLAVER").AsInteger());
    out.push_back(std::move(i));
  }
  sql.Close();
  return out;
}

std::vector<TPessoaRelConf> Select_RelatorioConfiguravelColaborador(TSQLMGR& sql, int codEmp, int refIni, int refFim) {
  std::vector<TPessoaRelConf> out;
  for (int ref = refIni; ref <= refFim; ref = IncAnoMes(ref, 1)) {
    sql.Close();
    sql.CommandText("SELECT BDCODEMP, BDTIPOCOL, BDCODCOL, BDCODSETOR, BDCODTPCC FROM TRH_COLCON"
                    " WHERE BDCODEMP = ? AND (BDDATAADM IS NULL OR BDDATAADM <= ?)"
                    " AND (BDDATADEM IS NULL OR BDDATADEM >= ?) ORDER BY BDTIPOCOL, BDCODCOL",
                    ctOpen, {Variant(codEmp), Variant(LastDayOfAnoMes(ref)), Variant(FirstDayOfAnoMes(ref))});
    for (sql.First(); !sql.Eof(); sql.Next()) {
      TPessoaRelConf p;
      p.CodEmp = static_cast<int>(sql.FieldByName("BDCODEMP").AsInteger());
      p.TipoCol = sql.FieldByName("BDTIPOCOL").IsNull() ? 0 : static_cast<int>(sql.FieldByName("BDTIPOCOL").AsInteger());
      p.CodCol = static_cast<int>(sql.FieldByName("BDCODCOL").AsInteger());
      p.Ref = ref;
      if (!sql.FieldByName("BDCODSETOR").IsNull()) p.CodSetor = static_cast<int>(sql.FieldByName("BDCODSETOR").AsInteger());
      if (!sql.FieldByName("BDCODTPCC").IsNull()) p.CodTpCC = static_cast<int>(sql.FieldByName("BDCODTPCC").AsInteger());
      out.push_back(p);
    }
  }
  sql.Close();
  return out;
}

}  // namespace vyn
