// The partner and quota row rules of the partners' import: the two row layouts and how each cell is
// checked, converted and stored.
#include <algorithm>

#include "framework/accounting/gerador_importacao_socios_mgr.h"
#include "framework/accounting/importacao_socios.h"
#include "framework/accounting/validar.h"
#include "framework/core/datetime.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/inconsistencias.h"
#include "partners/uIntegracaoSocios.h"

namespace integracao {

using namespace vyn;

// The layout's field table holds the 57 partner keys and then the 18 quota keys, in row order: a
// layout maps exactly the captions the rows are read by.
constexpr size_t kChavesSocio = 57;

const std::vector<std::string>& ChavesSocio() {
  static const std::vector<std::string> chaves(cFields().begin(), cFields().begin() + kChavesSocio);
  return chaves;
}

const std::vector<std::string>& ChavesCotas() {
  static const std::vector<std::string> chaves(cFields().begin() + kChavesSocio, cFields().end());
  return chaves;
}

namespace {
// The caption the validator reports a cell with: the key's field, without a trailing TAB.
std::string Curta(const std::string& chave) {
  std::string c = chave.substr(chave.find('|') + 1);
  if (!c.empty() && c.back() == '\t') c.pop_back();
  return c;
}
const std::string& Celula(const std::vector<std::string>& linha, size_t pos) {
  static const std::string vazia;
  return pos < linha.size() ? linha[pos] : vazia;
}
}  // namespace

bool TIntegracaoSocios::verificaBoolean(const std::string& texto) {
  const std::string t = UpperCase(Trim(texto));
  return t == "TRUE" || t == "S" || t == "SIM";
}

void TIntegracaoSocios::LoadSocio(const std::vector<std::string>& linha, int& codigo) {
  codigo = 0;
  bool ok = true;
  const bool modo = Modo() != 2;
  const int nLinha = FCountLinha + 1;
  TImportacaoSocios& w = *FImportacaoSocio;
  FLinhaRecusadaPorRepeticao = false;
  w.InicializaVariaveis();
  w.FLinha = nLinha;
  const auto& chaves = ChavesSocio();
  auto valida = [&](size_t pos, int tipo, bool check, int limite = 0) {
    return TValidar::ValidaCampo(check, false, nLinha, Curta(chaves[pos - 1]), tipo, *FInconsistencia,
                                 Celula(linha, pos), ok, limite);
  };
  auto permitidos = [&](size_t pos, int tipo, const std::vector<int>& valores) {
    return TValidar::ValidaCampo(false, false, nLinha, Curta(chaves[pos - 1]), tipo, *FInconsistencia,
                                 Celula(linha, pos), ok, valores);
  };
  auto texto = [&](size_t pos, bool check, int limite = 0) { return valida(pos, tvTexto, check, limite).AsString(); };
  auto sn = [&](size_t pos) { return verificaBoolean(Celula(linha, pos)); };
  // Kept as digits, so that the same partner typed with or without punctuation, or held as a number
  // by a workbook, is found again instead of registered twice.
  auto documento = [&](const std::string& celula) {
    if (celula.empty()) return celula;
    std::string digitos = RegistryNumberFromCell(celula);
    if (digitos.empty()) {
      ok = false;
      FInconsistencia->Add_Atencao(
          "Linha " + Linha() + ": o campo " + Curta(chaves[3]) + " não é um CPF, CNPJ ou CNO válido: " + celula, true);
    }
    return digitos;
  };

  w.FNome = texto(1, modo, 80);
  w.FExterior = sn(2);
  if (w.FExterior) w.FCodPais = texto(3, modo);
  w.FDocumento = documento(texto(4, true, 18));
  w.FRG = texto(5, false, 13);
  w.FOrgaoEmissor = texto(6, false, 20);
  w.FCODUFEmissor = valida(7, tvInteiro, false);
  w.FResponsavelPelaEmpresa = sn(8);
  w.FDataDeNascimento = valida(9, tvData, modo);
  w.FEstadoCivil = valida(10, tvInteiro, false);
  w.FCEP = texto(11, false);
  w.FLogradouro = texto(12, false);
  w.FEndereco = texto(13, false, 60);
  w.FNumero = texto(14, false, 11);
  w.FComplemento = texto(15, false, 60);
  w.FBairro = texto(16, false, 60);
  w.FCidade = texto(17, modo);
  w.FDDDTelefone = valida(18, tvInteiro, false);
  w.FTelefone = texto(19, false);
  w.FDDDFax = valida(20, tvInteiro, false);
  w.FFax = texto(21, false);
  w.FDDDCelular = valida(22, tvInteiro, false);
  w.FCelular = texto(23, false);
  w.FEntradaNaSociedade = valida(24, tvData, modo);
  w.FSaidaDaSociedade = valida(25, tvData, false);
  w.FCBO = texto(26, false);
  w.FEmail = texto(27, modo, 200);
  w.FSocioRepresentante = texto(28, false, 80);
  w.FQualificacao = texto(29, modo);
  w.FQualiDIPJSpedECF = texto(30, FValidaQualificacao);
  w.FQualiRepreLglDIPJSpedECF = texto(31, false);
  w.FQualiSpedDeSTDA = texto(32, FValidaQualificacao);
  w.FContaDistriLucros = texto(33, false);
  w.FParticipanteDistriLucros = texto(34, false);
  w.FContaConvenios = texto(35, false);
  w.FParticipanteConvenio = texto(36, false);
  w.FContaEmprestimosSocios = valida(37, tvInteiro, false).AsString();
  w.FParticipanteEmprestimosSocios = texto(38, false);
  w.FPaisDeNacionalidade = texto(39, false);
  w.FNaturalizadoBrasileiro = sn(40);
  w.FPortariaDeNaturalizacao = valida(41, tvInteiro, false, 20);
  w.FDataNaturalizacao = valida(42, tvData, false);
  w.FDataChegadaBrasil = valida(43, tvData, false);
  w.FSexo = permitidos(44, tvInteiro, {1, 2});
  w.FDataEmissaoRG = valida(45, tvData, false);
  w.FCidadeNascimento = texto(46, false, 40);
  w.FGrauInstrucao = texto(47, false);
  w.FInscricaoNIT = valida(48, tvInteiro, false, 14);
  w.FOperadoraPlanoSaude = texto(49, false);
  w.FIndicadorNIF = permitidos(50, tvTexto, {1, 2, 3}).AsString();
  w.FNIF = texto(51, false, 25);
  w.FFormaTributacao = texto(52, false);
  w.FDeclaranteFalecido = sn(53);
  w.FDataObito = valida(54, tvData, false);
  w.FSituacaoEspolio = permitidos(55, tvInteiro, {0, 1}).AsString();
  w.FCPFInventariante = texto(56, false);
  w.FNomeInventariante = texto(57, false);

  w.FCodPlaPadrao = GetCodigoPlanoContas(CodEmp());
  if (!ok || !AceitaDocumentoDaLinha(w.FDocumento, linha)) return;
  w.SetRegistros();
  codigo = w.FChaveSocio;
}

void TIntegracaoSocios::verificaCampoPorcentagem(bool& ok, const std::string& campo, Currency valor) {
  if (valor < Currency() || valor > Currency::FromInt(100)) {
    ok = false;
    FInconsistencia->Add_Atencao("Linha " + Linha() + " no campo: " + campo +
                                     " do arquivo, o valor deve ser maior que 0% e menor que 100%.",
                                 true);
  }
}

bool TIntegracaoSocios::AceitaDocumentoDaLinha(const std::string& documento, const std::vector<std::string>& linha) {
  if (documento.empty()) return true;
  // The document is compared as digits: typed with or without punctuation it is the same partner.
  std::vector<std::string> celulas = linha;
  if (celulas.size() > 4) celulas[4] = documento;
  const auto [lida, nova] = FDocumentosLidos.try_emplace(documento, TLinhaLida{FCountLinha + 1, celulas});
  // The same partner on several lines (one per quota month) is welcome; what the mode would write over
  // the earlier line's data is not. "Atualizar as cotas" writes no partner data.
  if (nova || Modo() == 2 || lida->second.Celulas == celulas) return true;
  FLinhaRecusadaPorRepeticao = true;
  FInconsistencia->Add_Atencao("Linha " + Linha() + ": o CPF/CNPJ/CNO " + Celula(linha, 4) + " já foi lido na linha " +
                                   std::to_string(lida->second.Linha) +
                                   " com outros dados de sócio; vale a linha " + std::to_string(lida->second.Linha) +
                                   " e a linha " + Linha() + " não será importada.",
                               true);
  return false;
}

bool TIntegracaoSocios::AceitaCotaDaLinha(int codigo, int referencia) {
  const auto lida = FCotasLidas.find({codigo, referencia});
  if (lida == FCotasLidas.end()) return true;
  FInconsistencia->Add_Atencao("Linha " + Linha() + ": a cota de " + AnoMesToText(referencia) +
                                   " deste sócio já foi lida na linha " + std::to_string(lida->second) +
                                   "; vale a linha " + std::to_string(lida->second) + " e a cota da linha " + Linha() +
                                   " não será importada.",
                               true);
  return false;
}

void TIntegracaoSocios::AvisaCotasAcimaDeCem() {
  if (!FDAOCotas || FDAOCotas->IsEmpty()) return;
  TEmpresas_TSoc_CotasMGR& cotas = *FDAOCotas;
  std::map<int, Currency> soma;
  std::map<int, std::vector<int>> sociosDaPlanilha;
  for (cotas.First(); !cotas.Eof(); cotas.Next()) {
    const int ref = static_cast<int>(cotas.FieldByName("BDREFCOTA").AsInteger());
    soma[ref] += cotas.FieldByName("BDPERCCOTA").AsCurrency();
    sociosDaPlanilha[ref].push_back(static_cast<int>(cotas.FieldByName("BDCODSOC").AsInteger()));
  }
  for (auto& [ref, total] : soma) {
    // The month's quotas of partners the sheet does not touch count as well.
    TQueryResult r = cotas.Database().QueryAll(
        "SELECT BDCODSOC, BDPERCCOTA FROM TEMPRESAS_TSOC_COTAS WHERE BDCODEMP = ? AND BDREFCOTA = ?",
        {Variant(CodEmp()), Variant(ref)});
    const std::vector<int>& daPlanilha = sociosDaPlanilha[ref];
    for (const auto& l : r.Rows)
      if (!l[1].IsNull() &&
          std::find(daPlanilha.begin(), daPlanilha.end(), static_cast<int>(l[0].AsInteger())) == daPlanilha.end())
        total += l[1].AsCurrency();
    if (total > Currency::FromInt(100))
      FInconsistencia->Add_Atencao("Referência " + AnoMesToText(ref) + ": os percentuais de cotas dos sócios da empresa " +
                                       std::to_string(CodEmp()) + " somam " + total.ToBR() + "%, mais que 100%.",
                                   true);
  }
}

namespace {

// The quota line's cells from the third on: column, value type, whether it is checked, whether a percentage.
struct TColunaCota {
  const char* campo;
  int tipo;
  bool check;
  bool faixa;
};
const TColunaCota kColunasCota[] = {
    {"BDPRESCOTA", tvMoeda, false, true},         {"BDCAPTOTCOTA", tvMoeda, false, true},
    {"BDCAPVOLCOTA", tvMoeda, false, true},       {"BDRENISECOTA", tvMoeda, true, false},
    {"BDRENTRICOTA", tvMoeda, true, false},       {"BDIRFONTCOTA", tvMoeda, false, false},
    {"BDREMTRACOTA", tvMoeda, true, false},       {"BDDEMRENCOTA", tvMoeda, true, false},
    {"BDQTDCOTA", tvMoeda, false, false},         {"BDPERCCOTA", tvMoeda, false, true},
    {"BDVALCOTA", tvMoeda, true, false},          {"BDVALOREMPRESTIMO", tvMoeda, true, false},
    {"BDVALORDISTRIBLUCRO", tvMoeda, true, false}, {"BDCODREC", tvInteiro, false, false},
    {"BDVALORCONVENIO", tvMoeda, true, false},    {"BDCODRECCONVENIO", tvInteiro, false, false}};

}  // namespace

void TIntegracaoSocios::LoadCotas(const std::vector<std::string>& linha, int& codigo) {
  if (FLinhaRecusadaPorRepeticao) return;   // told once, by the partner's line
  bool ok = true;
  const int modo = Modo();
  const int nLinha = FCountLinha + 1;
  const auto& chaves = ChavesCotas();
  if (codigo == 0) {
    if (modo == 2)
      FInconsistencia->Add_Atencao("Inconsistência no layout. A linha " + Linha() +
                                       " não possui um sócio cadastrado para atualizar as cotas.",
                                   true);
    else if (modo == 3)
      FInconsistencia->Add_Atencao("Inconsistência no layout. Linha: " + Linha() + ", verifique os dados de sócio", true);
    return;
  }
  // The reference: MM/YYYY or a full date; anything else refuses the line's quota (and only it).
  const std::string referencia =
      TValidar::ValidaCampo(true, false, nLinha, Curta(chaves[0]), tvTexto, *FInconsistencia, Celula(linha, 1), ok)
          .AsString();
  TDateTime dataRef;
  std::string textoRef = referencia;
  if (textoRef.size() == 7 && textoRef[2] == '/') textoRef = "01/" + textoRef;
  if (!ok || !TryStrToDate(textoRef, dataRef)) {
    FInconsistencia->Add_Atencao("Inconsistência no layout. A linha " + Linha() +
                                     " de referência está preenchida incorretamente.",
                                 true);
    return;
  }
  const int ref = AnoMes(dataRef);
  if (!AceitaCotaDaLinha(codigo, ref)) return;
  TEmpresas_TSoc_CotasMGR& cotas = *FDAOCotas;
  const int antes = cotas.RecordCount();
  if (cotas.LocalizaCota(CodEmp(), codigo, ref, modo == 2 || modo == 3)) {
    if (modo != 2 && modo != 3) {
      FInconsistencia->Add_Informativo("Linha " + Linha() + ": cota já cadastrada, não será importada!", true);
      return;
    }
    cotas.Edit();
  } else {
    cotas.Append();
    cotas.FieldByName("BDREFCOTA").SetAsInteger(ref);
    cotas.FieldByName("BDCODEMP").SetAsInteger(CodEmp());
    cotas.FieldByName("BDCODSOC").SetAsInteger(codigo);
  }
  const bool trazidaAgora = cotas.RecordCount() > antes && cotas.State() == TDataSetState::dsEdit;

  const auto& colunas = kColunasCota;
  for (size_t pos = 2; pos <= 17; ++pos) {
    const std::string& celula = Celula(linha, pos);
    if (celula.empty()) continue;
    const TColunaCota& c = colunas[pos - 2];
    bool okCelula = true;
    Variant v = TValidar::ValidaCampo(c.check, false, nLinha, Curta(chaves[pos - 1]), c.tipo, *FInconsistencia,
                                      celula, okCelula);
    if (!okCelula) {
      ok = false;
      continue;
    }
    if (v.IsNull()) continue;
    TField& f = cotas.FieldByName(c.campo);
    if (c.tipo == tvInteiro) f.SetAsInteger(v.AsInteger());
    else f.SetAsCurrency(v.AsCurrency());
    if (c.faixa) verificaCampoPorcentagem(ok, Curta(chaves[pos - 1]), f.AsCurrency());
  }
  const std::string envio =
      TValidar::ValidaCampo(false, false, nLinha, Curta(chaves[17]), tvTexto, *FInconsistencia, Celula(linha, 18), ok)
          .AsString();
  if (!envio.empty()) {
    TDateTime d;
    if (!TryStrToDate(envio, d)) {
      ok = false;
      FInconsistencia->Add_Atencao("Linha " + Linha() + ": o campo Competência do envio deve ser uma data DD/MM/AAAA: \"" +
                                       envio + "\".",
                                   true);
    } else {
      const std::string anoMes = FormatDate("yyyymm", d);
      if (anoMes.size() == 6) cotas.FieldByName("BDCOMPENVIO").SetAsInteger(std::stoi(anoMes));
    }
  }
  if (ok) {
    cotas.Post();
    FCotasLidas.emplace(std::make_pair(codigo, ref), nLinha);
  } else {
    cotas.Cancel();
    // A quota brought from the table only for this line leaves with it.
    if (trazidaAgora && cotas.CotaVeioDoBanco()) cotas.Delete();
  }
}

}  // namespace integracao
