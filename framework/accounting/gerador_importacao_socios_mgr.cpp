#include "framework/accounting/gerador_importacao_socios_mgr.h"

#include <cctype>
#include <charconv>

#include "framework/core/text.h"

namespace vyn {

const std::vector<std::string>& cFields() {
  static const std::vector<std::string> campos = {
      "Cadastrais|Nome", "Cadastrais|Exterior", "Cadastrais|País", "Cadastrais|CPF/CNPJ/CNO", "Cadastrais|RG",
      "Cadastrais|Órgão emissor", "Cadastrais|UF emissor", "Cadastrais|Responsável pela empresa",
      "Cadastrais|Data de nascimento", "Cadastrais|Estado civil", "Cadastrais|CEP", "Cadastrais|Logradouro",
      "Cadastrais|Endereço", "Cadastrais|Número", "Cadastrais|Complemento", "Cadastrais|Bairro",
      "Cadastrais|Cidade", "Cadastrais|DDD telefone", "Cadastrais|Telefone", "Cadastrais|DDD fax",
      "Cadastrais|Fax", "Cadastrais|DDD celular", "Cadastrais|Celular", "Cadastrais|Entrada na sociedade",
      "Cadastrais|Saída da sociedade", "Cadastrais|CBO", "Cadastrais|e-mail", "Cadastrais|Sócio representante\t",
      "Qualificações|Qualificação", "Qualificações|Qualificação - DIPJ/Sped ECF",
      "Qualificações|Qualificação do representante legal DIPJ/Sped ECF", "Qualificações|Qualificação - Sped/DeSTDA",
      "Qualificações|Conta distribuição de lucros", "Qualificações|Participante distribuição de lucros",
      "Qualificações|Conta convênios", "Qualificações|Participante convênio",
      "Qualificações|Conta empréstimos a sócios", "Qualificações|Participante empréstimos a sócios\t",
      "Informações para o eSocial|País de nacionalidade", "Informações para o eSocial|Naturalizado brasileiro",
      "Informações para o eSocial|Portaria de naturalização", "Informações para o eSocial|Data de naturalização",
      "Informações para o eSocial|Data de chegada ao Brasil", "Informações para o eSocial|Sexo",
      "Informações para o eSocial|Data de emissão do RG", "Informações para o eSocial|Cidade de nascimento",
      "Informações para o eSocial|Grau de instrução", "Informações para o eSocial|Inscrição NIT\t",
      "Informações para a Reinf|Operadora de plano de saúde", "Informações para a Reinf|Indicador NIF",
      "Informações para a Reinf|NIF", "Informações para a Reinf|Forma de tributação\t",
      "Desligamento|Declarante falecido", "Desligamento|Data do óbito", "Desligamento|Situação do espólio",
      "Desligamento|CPF inventariante", "Desligamento|Nome do inventariante",
      "Cotas|Referência", "Cotas|Participação do resultado", "Cotas|Capital total", "Cotas|Capital votante",
      "Cotas|Rendimentos isentos", "Cotas|Rendimentos tributáveis", "Cotas|IR retido na fonte",
      "Cotas|Remuneração do trabalho", "Cotas|Demais rendimentos", "Cotas|Quantidade de cotas",
      "Cotas|Percentual de cotas", "Cotas|Valor das cotas\t", "Dirf/Reinf|Empréstimos a sócios",
      "Dirf/Reinf|Distribuição de lucros", "Dirf/Reinf|Código de receita distribuição de lucros",
      "Dirf/Reinf|Convênios", "Dirf/Reinf|Código de receita convênios", "Dirf/Reinf|Competência do envio"};
  return campos;
}

TGERADOR_COLUNAS_SOCIOSMGR* TGERADOR_COLUNAS_SOCIOSMGR::CreateMgrFirst0(TComponent* owner, bool flag) {
  auto* m = CreateMgr(owner, flag);
  m->SelectVazio();
  return m;
}

void TGERADOR_COLUNAS_SOCIOSMGR::Carrega(int codGerador) {
  CommandText("SELECT * FROM TGERADOR_COLUNAS_SOCIOS WHERE BDCODGERADOR = ? ORDER BY CHAR_LENGTH(BDCOLUNA), BDCOLUNA",
              ctOpen, {codGerador});
}

TGERADOR_IMPORTACAO_SOCIOSMGR::TGERADOR_IMPORTACAO_SOCIOSMGR(TComponent* owner, bool, TDatabase* db)
    : TMgr(owner, "TGERADOR_IMPORTACAO_SOCIOS", db), colunas_(Create<TGERADOR_COLUNAS_SOCIOSMGR>(true, db)) {}

bool TGERADOR_IMPORTACAO_SOCIOSMGR::getPlanilha_Gerador(const std::string& codigo) {
  std::string t = Trim(codigo);
  int code = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), code);
  bool numero = !t.empty() && ec == std::errc() && p == t.data() + t.size() && code > 0;
  // A text that is no code still opens the (empty) header, so callers read "no layout".
  OpenTable("BDCODGERADOR = ?", {numero ? code : -1});
  colunas_->Carrega(numero ? code : -1);
  return !IsEmpty();
}

int TGERADOR_IMPORTACAO_SOCIOSMGR::GetChaveServidor() {
  return static_cast<int>(
      Database().QueryValue("SELECT GEN_ID(GEN_TGERADOR_IMPORTACAO_SOCIOS, 1) FROM RDB$DATABASE").AsInteger());
}

void TGERADOR_IMPORTACAO_SOCIOSMGR::Select_Consulta() {
  CommandText("SELECT BDCODGERADOR, BDMODELO, BDARQUIVO FROM TGERADOR_IMPORTACAO_SOCIOS ORDER BY BDCODGERADOR");
}

int TGERADOR_IMPORTACAO_SOCIOSMGR::LinhaInicial() const {
  return IsEmpty() ? 0 : static_cast<int>(FieldByName("BDLINHA_INICIAL").AsInteger());
}

int TGERADOR_IMPORTACAO_SOCIOSMGR::DescartarLinhas() const {
  return IsEmpty() ? 0 : static_cast<int>(FieldByName("BDDESCARTAR_LINHAS").AsInteger());
}

int TParserGeradorPlanilha::letraParaIndice(const std::string& letra) {
  std::string t = Trim(letra);
  if (t.empty() || t.size() > 3) return -1;
  int indice = 0;
  for (char c : t) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return -1;
    indice = indice * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
  }
  return indice - 1;
}

TDicionarioCampos TParserGeradorPlanilha::getValoresPorCampos(const std::vector<std::string>& campos,
                                                            const std::vector<std::string>& celulas) const {
  TDicionarioCampos out;
  if (!gerador_) return out;
  TClientDataSet& mapa = gerador_->Colunas();
  if (!mapa.Active()) return out;
  for (mapa.First(); !mapa.Eof(); mapa.Next()) {
    const std::string campo = mapa.FieldByName("BDCAMPO").AsString();
    bool conhecido = false;
    for (const auto& c : campos) conhecido = conhecido || c == campo;
    if (!conhecido) continue;
    int i = letraParaIndice(mapa.FieldByName("BDCOLUNA").AsString());
    if (i < 0) continue;
    out[campo] = static_cast<size_t>(i) < celulas.size() ? celulas[static_cast<size_t>(i)] : std::string();
  }
  return out;
}

}  // namespace vyn
