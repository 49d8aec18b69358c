#pragma once
// The partner row writer of the partners' import: receives one sheet line's partner values, finds
// the partner (same CPF/CNPJ among the rows of this import, else in the company's table) and
// appends or updates it, with its reference row, in the in-memory record sets by the import mode:
// 0 an existing partner is left as it is; 1 and 3 it is updated with the filled cells; 2 it is only
// brought into the set (its quotas are what is imported); a partner not registered yet is added in
// modes 0, 1 and 3 with a provisional negative code, which the review replaces by a code reserved
// on the server when the import is committed. Texts of coded columns (city, country, qualification,
// account, participant, ...) give their code by the number they begin with ("49 - Sócio").
#include <string>
#include <unordered_map>

#include "framework/component/component.h"
#include "framework/core/variant.h"

namespace vyn {

class TSociosMGR;
class TEMPRESAS_TSOC_REFMGR;
class TInconsistencias_VYN;

class TImportacaoSocios : public TComponent {
 public:
  TImportacaoSocios(TComponent* owner, int codEmp, int tipoImportacao);
  std::string ClassName() const override { return "TImportacaoSocios"; }

  TSociosMGR* FDAOSocios = nullptr;
  TEMPRESAS_TSOC_REFMGR* FDAOSociosRef = nullptr;
  // Where the writer reports what it could not resolve, and the sheet line it is on.
  TInconsistencias_VYN* FInconsistencia = nullptr;
  int FLinha = 0;
  // The reference month of the partners' reference rows (0: the process context's, else this month).
  int FReferencia = 0;

  // Partner values of the current line. Integers and dates are null when the cell was empty.
  std::string FNome, FCodPais, FDocumento, FRG, FOrgaoEmissor;
  bool FExterior = false, FResponsavelPelaEmpresa = false, FNaturalizadoBrasileiro = false,
       FDeclaranteFalecido = false;
  Variant FCODUFEmissor, FDataDeNascimento, FEstadoCivil, FDDDTelefone, FDDDFax, FDDDCelular,
      FEntradaNaSociedade, FSaidaDaSociedade, FPortariaDeNaturalizacao, FDataNaturalizacao, FDataChegadaBrasil,
      FSexo, FDataEmissaoRG, FInscricaoNIT, FDataObito;
  std::string FCEP, FLogradouro, FEndereco, FNumero, FComplemento, FBairro, FCidade, FTelefone, FFax, FCelular,
      FCBO, FEmail, FSocioRepresentante, FQualificacao, FQualiDIPJSpedECF, FQualiRepreLglDIPJSpedECF,
      FQualiSpedDeSTDA, FContaDistriLucros, FParticipanteDistriLucros, FContaConvenios, FParticipanteConvenio,
      FContaEmprestimosSocios, FParticipanteEmprestimosSocios, FPaisDeNacionalidade, FCidadeNascimento,
      FGrauInstrucao, FOperadoraPlanoSaude, FIndicadorNIF, FNIF, FFormaTributacao, FSituacaoEspolio,
      FCPFInventariante, FNomeInventariante;
  int FCodPlaPadrao = 0;

  // The partner's key after SetRegistros (0 when nothing was written).
  int FChaveSocio = 0;

  void InicializaVariaveis();
  void SetRegistros();

 private:
  int LocalizaNoConjunto(const std::string& doc);
  void CarregaDoBanco(int codSoc);
  void AplicaValores(bool novo);
  void GravaReferencia();
  void Texto(const char* coluna, const std::string& valor, const char* campo);
  void Codigo(const char* coluna, const std::string& valor, const char* campo);
  void Conta(const char* coluna, const std::string& valor, const char* campo);
  void Valor(const char* coluna, const Variant& valor);
  void Aviso(const std::string& texto);

  int codEmp_;
  int tipo_;
  int novos_ = 0;
  bool aplicandoNovo_ = false;   // a new partner: empty cells clear the columns too
  bool existentesCarregados_ = false;
  std::unordered_map<std::string, int> existentes_;   // CPF/CNPJ digits -> code in the table
};

}  // namespace vyn
