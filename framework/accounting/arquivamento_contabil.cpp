#include "framework/accounting/arquivamento_contabil.h"

#include <vector>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

std::string MensagemArquivamentoContabil(const std::string& empresas, TDateTime dataIni, TDateTime dataFim) {
  TDatabase* db = ProcessContext().Database;
  if (!db) return {};
  std::vector<int64_t> codigos;
  for (const auto& p : Split(empresas, ','))
    if (std::string d = OnlyDigits(p); !d.empty() && d.size() < 10) codigos.push_back(std::stoll(d));
  if (codigos.empty()) return {};
  // A period not given meets every archive of the company.
  const TDateTime ini = dataIni.Value == 0 ? EncodeDate(1900, 1, 1) : dataIni;
  const TDateTime fim = dataFim.Value == 0 ? EncodeDate(9999, 12, 31) : dataFim;
  TQueryResult r = db->QueryAll("SELECT FIRST 1 BDCODEMP, BDDATAINI, BDDATAFIM FROM TARQUIVAMENTO_CONTABIL WHERE " +
                                    SQLInCondition("BDCODEMP", codigos) +
                                    " AND BDDATAINI <= ? AND BDDATAFIM >= ? ORDER BY BDDATAINI",
                                {fim, ini});
  if (r.Rows.empty()) return {};
  const auto& l = r.Rows.front();
  return fmt::format("A escrituração contábil da empresa {} está arquivada no período de {} a {}. Para prosseguir, "
                     "desfaça o arquivamento contábil.",
                     l[0].AsInteger(), DateToStr(l[1].AsDateTime()), DateToStr(l[2].AsDateTime()));
}

bool TemArquivamentoContabil(const std::string& empresas, TDateTime dataIni, TDateTime dataFim, bool mostrar) {
  const std::string msg = MensagemArquivamentoContabil(empresas, dataIni, dataFim);
  if (msg.empty()) return false;
  if (mostrar) DlgWarOk(msg);
  return true;
}

bool ValidaPrepacaoProdutorRural(int64_t codEmp, int ano, int64_t codPlaPadrao, int64_t codPlaPadraoRef,
                                 TInconsistencias_VYN& lista) {
  TDatabase* db = ProcessContext().Database;
  if (!db || codEmp <= 0) return true;
  const Variant rural = db->QueryValue(
      "SELECT COUNT(*) FROM TEMPRESAS WHERE (BDCODEMP = ? OR BDCODMATRIZ = ?) AND COALESCE(BDTIPOCAEPF, 0) > 0",
      {Variant(static_cast<long long>(codEmp)), Variant(static_cast<long long>(codEmp))});
  if (rural.IsNull() || rural.AsInteger() == 0) return true;
  const Variant prep = db->QueryValue(
      "SELECT COUNT(*) FROM PLANOS_TFOR_ECF WHERE BDCODPLAFORPADRAOREF = ? AND BDCODPLAPADRAO = ? AND BDANO <= ?",
      {kFormaAtividadeRural, Variant(static_cast<long long>(codPlaPadrao)), ano});
  if (!prep.IsNull() && prep.AsInteger() > 0) return true;
  lista.Add_Atencao(fmt::format("Não há preparação da atividade rural do produtor rural para o plano de contas {} "
                                "(plano referencial {}) a partir de {}.",
                                codPlaPadrao, codPlaPadraoRef, ano));
  return false;
}

}  // namespace vyn
