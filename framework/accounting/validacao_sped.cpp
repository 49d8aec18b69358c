#include "framework/accounting/validacao_sped.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "framework/component/process_context.h"
#include "framework/core/text.h"

namespace vyn {

namespace fs = std::filesystem;

std::string TConfiguracoesValidacao::GetExePath(int tipo) const {
  switch (tipo) {
    case tvFiscal: return Fiscal;
    case tvContribuicoes: return Contribuicoes;
    case tvECD: return ECD;
    case tvECF: return ECF;
    default: return {};
  }
}

TConfiguracoesValidacao GetConfiguracoesValidadores(int micro) {
  TConfiguracoesValidacao c;
  c.Micro = micro;
  if (!ProcessContext().Database) throw std::runtime_error("Não há base de dados aberta.");
  auto r = ProcessContext().Database->QueryAll(
      "SELECT BDCAMINHOECD, BDCAMINHOECF, BDCAMINHOFISCAL, BDCAMINHOCONTRIBUICOES, BDPASTAARQUIVO, "
      "BDSUBPASTAEMPRESA, BDSUBPASTAREFERENCIA, BDPASTAARQUIVOSANTERIORES FROM TVALIDACAOSPED_CONFIG "
      "WHERE BDCODMICRO = ?",
      {Variant(micro)});
  if (r.Rows.empty()) return c;
  const auto& l = r.Rows.front();
  c.ECD = l[0].AsString();
  c.ECF = l[1].AsString();
  c.Fiscal = l[2].AsString();
  c.Contribuicoes = l[3].AsString();
  c.PastaArquivo = l[4].AsString();
  c.TipoSubPasta[tsEmpresa] = !l[5].IsNull() && l[5].AsBoolean();
  c.TipoSubPasta[tsReferencia] = !l[6].IsNull() && l[6].AsBoolean();
  c.PastaArquivosAnteriores = l[7].AsString();
  return c;
}

std::string TUtilValidacaoSped::PastaValidacaoSped() {
  const std::string& programa = ProcessContext().ProgramFolder;
  if (programa.empty()) throw std::runtime_error("A pasta do programa não foi definida.");
  return (fs::path(programa) / "validacao_sped").string() + "/";
}

std::string TUtilValidacaoSped::PastaAgendamentos() { return PastaValidacaoSped() + "agendamentos/"; }

std::string TUtilValidacaoSped::SalvarArquivoValidacaoSped(const TDadosValidacao& d, const std::string& computador,
                                                           const std::string& usuario) {
  nlohmann::ordered_json j;
  j["id"] = d.Id;
  j["arquivo_importacao"] = d.ArquivoImportacao;
  j["caminho_programa"] = d.CaminhoPrograma;
  j["pasta_pdf"] = d.PastaPDF;
  j["rotina"] = static_cast<int>(d.Rotina);
  j["caminho_arquivos_anteriores"] = d.CaminhoArquivosAnteriores;
  j["cnpj"] = d.CNPJ;
  j["data_inicial"] = DateToSQL(d.DataIncial);
  j["data_final"] = DateToSQL(d.DataFinal);
  j["computador"] = computador;
  j["usuario"] = usuario;

  fs::path pasta = PastaAgendamentos();
  fs::create_directories(pasta);
  std::string maquina;
  for (char ch : computador) maquina += (std::isalnum(static_cast<unsigned char>(ch)) || ch == '-') ? ch : '_';
  std::string nome = maquina + "_" + std::to_string(d.Id) + "_" + FormatDate("yyyymmddhhnnsszzz", Now());
  fs::path destino = pasta / (nome + ".json");
  fs::path temp = pasta / (nome + ".tmp");
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f << j.dump(2);
    f.close();
    if (!f) throw std::runtime_error("Não foi possível gravar o arquivo de validação " + temp.string());
  }
  fs::rename(temp, destino);  // the validator never sees a half-written job
  return destino.string();
}

}  // namespace vyn
