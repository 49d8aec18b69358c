#include "framework/accounting/importacao_socios.h"

#include <cctype>

#include "framework/accounting/socios_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {
// The number a coded text begins with ("49 - Sócio administrador" -> 49); -1 when none.
long long CodigoInicial(const std::string& texto) {
  std::string t = Trim(texto);
  size_t i = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
  if (i == 0 || i > 9) return -1;
  if (i < t.size() && std::isalnum(static_cast<unsigned char>(t[i]))) return -1;
  return std::stoll(t.substr(0, i));
}
std::string Flag(bool b) { return b ? "TRUE" : "FALSE"; }
// A registered document compared as the sheet's is read: digits, with the leading zeros a number
// lost put back.
std::string ChaveDocumento(const std::string& documento) {
  std::string d = RegistryNumberFromCell(documento);
  return d.empty() ? OnlyDigits(documento) : d;
}
}  // namespace

TImportacaoSocios::TImportacaoSocios(TComponent* owner, int codEmp, int tipoImportacao)
    : TComponent(owner), codEmp_(codEmp), tipo_(tipoImportacao) {}

void TImportacaoSocios::InicializaVariaveis() {
  FNome = FCodPais = FDocumento = FRG = FOrgaoEmissor = "";
  FExterior = FResponsavelPelaEmpresa = FNaturalizadoBrasileiro = FDeclaranteFalecido = false;
  for (Variant* v : {&FCODUFEmissor, &FDataDeNascimento, &FEstadoCivil, &FDDDTelefone, &FDDDFax, &FDDDCelular,
                     &FEntradaNaSociedade, &FSaidaDaSociedade, &FPortariaDeNaturalizacao, &FDataNaturalizacao,
                     &FDataChegadaBrasil, &FSexo, &FDataEmissaoRG, &FInscricaoNIT, &FDataObito})
    *v = Variant();
  for (std::string* s : {&FCEP, &FLogradouro, &FEndereco, &FNumero, &FComplemento, &FBairro, &FCidade, &FTelefone,
                         &FFax, &FCelular, &FCBO, &FEmail, &FSocioRepresentante, &FQualificacao, &FQualiDIPJSpedECF,
                         &FQualiRepreLglDIPJSpedECF, &FQualiSpedDeSTDA, &FContaDistriLucros,
                         &FParticipanteDistriLucros, &FContaConvenios, &FParticipanteConvenio,
                         &FContaEmprestimosSocios, &FParticipanteEmprestimosSocios, &FPaisDeNacionalidade,
                         &FCidadeNascimento, &FGrauInstrucao, &FOperadoraPlanoSaude, &FIndicadorNIF, &FNIF,
                         &FFormaTributacao, &FSituacaoEspolio, &FCPFInventariante, &FNomeInventariante})
    s->clear();
  FChaveSocio = 0;
}

void TImportacaoSocios::Aviso(const std::string& texto) {
  if (FInconsistencia) FInconsistencia->Add_Atencao("Linha " + std::to_string(FLinha) + ": " + texto, true);
}

int TImportacaoSocios::LocalizaNoConjunto(const std::string& doc) {
  TSociosMGR& s = *FDAOSocios;
  for (s.First(); !s.Eof(); s.Next())
    if (ChaveDocumento(s.FieldByName("BDCGCCEISOC").AsString()) == doc)
      return static_cast<int>(s.FieldByName("BDCODSOC").AsInteger());
  return 0;
}

void TImportacaoSocios::CarregaDoBanco(int codSoc) {
  TQueryResult r = FDAOSocios->Database().QueryAll("SELECT * FROM TEMPRESAS_TSOC WHERE BDCODEMP = ? AND BDCODSOC = ?",
                                                   {codEmp_, codSoc});
  FDAOSocios->Append();
  if (!r.Rows.empty())
    for (size_t i = 0; i < r.Columns.size(); ++i)
      if (TField* f = FDAOSocios->FindField(r.Columns[i].Name)) f->SetValue(r.Rows[0][i]);
}

void TImportacaoSocios::SetRegistros() {
  FChaveSocio = 0;
  if (!FDAOSocios) return;
  const std::string doc = ChaveDocumento(FDocumento);
  if (!existentesCarregados_) {
    TQueryResult r = FDAOSocios->Database().QueryAll("SELECT BDCODSOC, BDCGCCEISOC FROM TEMPRESAS_TSOC WHERE BDCODEMP = ?",
                                                     {codEmp_});
    for (const auto& row : r.Rows)
      existentes_.emplace(ChaveDocumento(row[1].AsString()), static_cast<int>(row[0].AsInteger()));
    existentesCarregados_ = true;
  }
  // Already read from an earlier line of this sheet.
  if (int code = doc.empty() ? 0 : LocalizaNoConjunto(doc)) {
    if (tipo_ == 1 || tipo_ == 3) {
      FDAOSocios->Edit();
      AplicaValores(false);
      FDAOSocios->Post();
      GravaReferencia();
    }
    FChaveSocio = code;
    return;
  }
  auto existente = doc.empty() ? existentes_.end() : existentes_.find(doc);
  if (existente != existentes_.end()) {
    FChaveSocio = existente->second;
    if (tipo_ == 0) {
      if (FInconsistencia)
        FInconsistencia->Add_Informativo("Linha " + std::to_string(FLinha) + ": sócio " + FDocumento +
                                             " já cadastrado, o cadastro não será alterado.",
                                         true);
      return;
    }
    CarregaDoBanco(existente->second);
    FDAOSocios->FieldByName("BDTIPOIMPORTACAO").SetAsInteger(tipo_);
    if (tipo_ != 2) AplicaValores(false);
    FDAOSocios->Post();
    if (tipo_ != 2) GravaReferencia();
    return;
  }
  if (tipo_ == 2) return;   // nothing to update the quotas of
  FChaveSocio = -(++novos_);
  FDAOSocios->Append();
  FDAOSocios->FieldByName("BDCODEMP").SetAsInteger(codEmp_);
  FDAOSocios->FieldByName("BDCODSOC").SetAsInteger(FChaveSocio);
  FDAOSocios->FieldByName("BDTIPOIMPORTACAO").SetAsInteger(tipo_);
  AplicaValores(true);
  FDAOSocios->Post();
  GravaReferencia();
}

void TImportacaoSocios::GravaReferencia() {
  if (!FDAOSociosRef) return;
  TSociosMGR& s = *FDAOSocios;
  int ref = FReferencia > 0 ? FReferencia : ProcessContext().Referencia;
  if (ref <= 0) ref = AnoMes(Today());
  const int code = static_cast<int>(s.FieldByName("BDCODSOC").AsInteger());
  if (s.FieldByName("BDREFSOC").IsNull()) {
    s.Edit();
    s.FieldByName("BDREFSOC").SetAsInteger(ref);
    s.Post();
  }
  ref = static_cast<int>(s.FieldByName("BDREFSOC").AsInteger());
  TEMPRESAS_TSOC_REFMGR& r = *FDAOSociosRef;
  bool achou = false;
  for (r.First(); !r.Eof(); r.Next()) {
    achou = r.FieldByName("BDCODSOC").AsInteger() == code && r.FieldByName("BDREFSOC").AsInteger() == ref;
    if (achou) break;
  }
  if (achou) {
    r.Edit();
  } else {
    r.Append();
    r.FieldByName("BDCODEMP").SetAsInteger(codEmp_);
    r.FieldByName("BDCODSOC").SetAsInteger(code);
    r.FieldByName("BDREFSOC").SetAsInteger(ref);
  }
  r.FieldByName("BDQUALIFICACAOSOC").SetValue(s.FieldByName("BDQUALIFICACAOSOC").Value());
  r.FieldByName("BDRESPONSAVELSOC").SetValue(s.FieldByName("BDRESPONSAVELSOC").Value());
  r.FieldByName("BDDATASAISOC").SetValue(s.FieldByName("BDDATASAISOC").Value());
  r.Post();
}

void TImportacaoSocios::Valor(const char* coluna, const Variant& valor) {
  if (valor.IsNull() && !aplicandoNovo_) return;
  FDAOSocios->FieldByName(coluna).SetValue(valor);
}

void TImportacaoSocios::Texto(const char* coluna, const std::string& valor, const char* campo) {
  if (valor.empty()) return Valor(coluna, Variant());
  TField& f = FDAOSocios->FieldByName(coluna);
  if (f.Size() > 0 && Utf8Length(valor) > static_cast<size_t>(f.Size())) {
    Aviso(std::string("o campo ") + campo + " tem mais de " + std::to_string(f.Size()) +
          " caracteres e não foi importado: \"" + valor + "\".");
    return;
  }
  f.SetAsString(valor);
}

void TImportacaoSocios::Codigo(const char* coluna, const std::string& valor, const char* campo) {
  if (Trim(valor).empty()) return Valor(coluna, Variant());
  long long c = CodigoInicial(valor);
  if (c < 0) {
    Aviso(std::string("o campo ") + campo + " deve começar pelo código: \"" + valor + "\" não foi importado.");
    return;
  }
  Valor(coluna, Variant(c));
}

void TImportacaoSocios::Conta(const char* coluna, const std::string& valor, const char* campo) {
  if (Trim(valor).empty()) return Valor(coluna, Variant());
  long long c = CodigoInicial(valor);
  bool existe = c >= 0 && FDAOSocios->Database()
                                  .QueryValue("SELECT COUNT(*) FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = ? AND BDCODTPLA = ?",
                                              {FCodPlaPadrao, c})
                                  .AsInteger() > 0;
  if (!existe) {
    Aviso(std::string("o campo ") + campo + " não é uma conta do plano de contas " + std::to_string(FCodPlaPadrao) +
          " da empresa: \"" + valor + "\" não foi importado.");
    return;
  }
  Valor(coluna, Variant(c));
}

void TImportacaoSocios::AplicaValores(bool novo) {
  aplicandoNovo_ = novo;
  if (novo || !FNome.empty()) Texto("BDNOMSOC", FNome, "Nome");
  if (novo || FExterior) FDAOSocios->FieldByName("BDEXTERIORSOC").SetAsString(Flag(FExterior));
  if (FExterior) Codigo("BDCODPAIS", FCodPais, "País");
  Texto("BDCGCCEISOC", FDocumento, "CPF/CNPJ/CNO");
  Texto("BDRGSOC", FRG, "RG");
  Texto("BDORGEMISOC", FOrgaoEmissor, "Órgão emissor");
  Valor("BDCODUFEMISSOR", FCODUFEmissor);
  if (novo || FResponsavelPelaEmpresa)
    FDAOSocios->FieldByName("BDRESPONSAVELSOC").SetAsString(Flag(FResponsavelPelaEmpresa));
  Valor("BDDATANASCSOC", FDataDeNascimento);
  Valor("BDESTCIVILSOC", FEstadoCivil.IsNull() ? Variant() : Variant(FEstadoCivil.AsString()));
  Texto("BDCEPSOC", FCEP, "CEP");
  Texto("BDLOGRSOC", FLogradouro, "Logradouro");
  Texto("BDENDSOC", FEndereco, "Endereço");
  Texto("BDNUMSOC", FNumero, "Número");
  Texto("BDCOMPLSOC", FComplemento, "Complemento");
  Texto("BDBAIRROSOC", FBairro, "Bairro");
  Codigo("BDCODCID", FCidade, "Cidade");
  Valor("BDDDDSOC", FDDDTelefone);
  Texto("BDTELRESSOC", FTelefone, "Telefone");
  Valor("BDDDDFAXSOC", FDDDFax);
  Texto("BDFAXSOC", FFax, "Fax");
  Valor("BDDDCELSOC", FDDDCelular);
  Texto("BDTELCELSOC", FCelular, "Celular");
  Valor("BDDATAENTSOC", FEntradaNaSociedade);
  Valor("BDDATASAISOC", FSaidaDaSociedade);
  Texto("BDCODCBO", OnlyDigits(FCBO).empty() ? FCBO : OnlyDigits(FCBO), "CBO");
  Texto("BDEMAILSOC", FEmail, "e-mail");
  Texto("BDSOCREPRESENTANTE", FSocioRepresentante, "Sócio representante");
  Codigo("BDQUALIFICACAOSOC", FQualificacao, "Qualificação");
  Codigo("BDQUALILEGALDIPJSOC", FQualiDIPJSpedECF, "Qualificação - DIPJ/Sped ECF");
  Codigo("BDQUALIRESPLEGALSOC", FQualiRepreLglDIPJSpedECF, "Qualificação do representante legal DIPJ/Sped ECF");
  Codigo("BDQUALISPEDSOC", FQualiSpedDeSTDA, "Qualificação - Sped/DeSTDA");
  Conta("BDCODCTA", FContaDistriLucros, "Conta distribuição de lucros");
  Codigo("BDCODTER", FParticipanteDistriLucros, "Participante distribuição de lucros");
  Conta("BDCODCTACONV", FContaConvenios, "Conta convênios");
  Codigo("BDCODTERCONV", FParticipanteConvenio, "Participante convênio");
  Conta("BDCODCTAEMPREST", FContaEmprestimosSocios, "Conta empréstimos a sócios");
  Codigo("BDCODTEREMPREST", FParticipanteEmprestimosSocios, "Participante empréstimos a sócios");
  Codigo("BDCODPAISORIG", FPaisDeNacionalidade, "País de nacionalidade");
  if (novo || FNaturalizadoBrasileiro)
    FDAOSocios->FieldByName("BDNATURALIZADO").SetAsString(Flag(FNaturalizadoBrasileiro));
  Valor("BDPORTNAT", FPortariaDeNaturalizacao.IsNull() ? Variant() : Variant(FPortariaDeNaturalizacao.AsString()));
  Valor("BDDATANATURALIZACAO", FDataNaturalizacao);
  Valor("BDDATACHEBRASIL", FDataChegadaBrasil);
  Valor("BDSEXO", FSexo);
  Valor("BDDATAEMIRG", FDataEmissaoRG);
  Codigo("BDCODCIDNASC", FCidadeNascimento, "Cidade de nascimento");
  // Education levels are the eSocial codes 01 to 12.
  if (!Trim(FGrauInstrucao).empty()) {
    long long g = CodigoInicial(FGrauInstrucao);
    if (g >= 1 && g <= 12) Valor("BDGRAUINST", Variant(ZeroPad(g, 2)));
    else Aviso("o campo Grau de instrução deve ser um código de 01 a 12: \"" + FGrauInstrucao + "\" não foi importado.");
  } else {
    Valor("BDGRAUINST", Variant());
  }
  Valor("BDINSCNIT", FInscricaoNIT.IsNull() ? Variant() : Variant(FInscricaoNIT.AsString()));
  Texto("BDOPERADORASAUDE", FOperadoraPlanoSaude, "Operadora de plano de saúde");
  // The sheet's NIF indicator 1 to 3 is stored as the suite's 0 to 2; -1: not informed.
  if (!Trim(FIndicadorNIF).empty()) Valor("BDINDNIF", Variant(std::to_string(std::stoi(Trim(FIndicadorNIF)) - 1)));
  else if (novo) Valor("BDINDNIF", Variant("-1"));
  Texto("BDNUMNIF", FNIF, "NIF");
  Codigo("BDFORMATRIBU", FFormaTributacao, "Forma de tributação");
  if (novo || FDeclaranteFalecido) FDAOSocios->FieldByName("BDFALECIDO").SetAsString(Flag(FDeclaranteFalecido));
  Valor("BDDATAOBITO", FDataObito);
  Texto("BDSITESPOLIO", Trim(FSituacaoEspolio), "Situação do espólio");
  Texto("BDCPFINVENTARIANTE", OnlyDigits(FCPFInventariante).empty() ? FCPFInventariante : OnlyDigits(FCPFInventariante),
        "CPF inventariante");
  Texto("BDNOMEINVENTARIANTE", FNomeInventariante, "Nome do inventariante");
  aplicandoNovo_ = false;
}

}  // namespace vyn
