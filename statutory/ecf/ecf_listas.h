#pragma once
// The ECF screen's check boxes in the groups the rules, the hand-off to the generator and the ECF
// task treat alike, each group in the generator's order.
namespace integracao::ecf {

// The screen's name in the company's export settings and in what the task hands over.
inline constexpr const char* kTela = "frExportacaoECF";

// Record 0020's indicators.
inline constexpr const char* kIndicadores0020[] = {
    "ckAdministradoraFundos", "ckParticipacoesConsorcios", "ckOperacoesExterior", "ckOperacoesPessoaVinculada",
    "ckPJEnquadrada", "ckParticipacoesExterior", "ckAtividadeRural", "ckLucroExploracao", "ckImpostoLucroPresumido",
    "ckFinor_Finam_Funres", "ckCampanhasEleitorais", "ckParticipacaoPermanente", "ckEfetuouVendas",
    "ckRecebimentosExterior", "ckAtivosExterior", "ckComercialExportadora", "ckPagamentosExterior",
    "ckComercioEletronico", "ckRoyaltiesRecebidos", "ckRoyaltiesPagos", "ckRendimentosExterior", "ckRemessasExterior",
    "ckInovacaoTecnologica", "ckInclusaoDigital", "ckRepes_Recap_Padis", "ckPoloIndustrial", "ckZonasExportacao",
    "ckAreasLivreComercio"};

// Special regimes handed over whatever the year.
inline constexpr const char* kRegimesTodosAnos[] = {
    "ckRegimePlataformaExportacaoTI",  "ckRegimeAquisicaoBensCapital",    "ckProgramaDesenvolvimentoSemicondutores",
    "ckRegimeIncentivoInfraestrutura", "ckRegimeExibicaoCinematografica", "ckRegimeIndustriaDefesa"};

// The older special regimes (any start year but 2023) and the newer ones (2023 only).
inline constexpr const char* kRegimesAnteriores[] = {
    "ckProgramaDesenvolvimentoTVDigital", "ckRegimeIncentivoIndustriaPetrolifera", "ckRegimeComputadoresUsoEducacional",
    "ckRegimeIndustriaAeronautica", "ckEstabelecimentosIndustriaisCreditoPresumidoIPI", "ckRegimeEstadiosFutebol",
    "ckHabilitadaBeneficiosRealizacaoCopa", "ckRegimeProgramaBandaLarga", "ckRegimeIndustriaFertilizantes",
    "ckHabilitadaBeneficiosRealizacaoOlimpiadas"};
inline constexpr const char* kRegimes2023[] = {"ckRegimeSuspensaoOleoBunker", "ckReporto", "ckRETII", "ckRETPMCMV",
                                               "ckRETEEI", "ckEBAS", "ckREPETROI", "ckREPETRON", "ckREPETROP",
                                               "ckREPETROT"};

}  // namespace integracao::ecf
