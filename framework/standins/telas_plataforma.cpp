#include "framework/standins/telas_plataforma.h"

#include "framework/standins/consulta_colaboradores.h"
#include "framework/standins/lancamentos.h"
#include "framework/standins/observacao.h"
#include "framework/standins/outras_telas.h"
#include "framework/standins/relatorios.h"
#include "framework/standins/vinculos_baixa.h"

namespace vyn {

namespace {

template <class T>
TTelaDaPlataforma Tela(std::string nome) {
  return {std::move(nome), [](TComponent* owner) { return std::make_unique<T>(owner); }};
}

// A screen whose openers rely on its opening only.
TTelaDaPlataforma Simples(std::string nome, std::string titulo) {
  return {nome, [nome, titulo](TComponent* owner) {
            return std::make_unique<TfrTelaSubstitutaSimples>(owner, nome, titulo);
          }};
}

TTelaDaPlataforma Sped(std::string nome, std::string prefixo) {
  return {nome, [nome, prefixo](TComponent* owner) {
            return std::make_unique<TfrExportacaoSpedSubstituta>(owner, nome, prefixo);
          }};
}

}  // namespace

std::vector<TTelaDaPlataforma> TelasDaPlataforma() {
  return {
      // Bank statements and entry reviews
      Tela<TfrDadosObservacaoDYQ>("TfrDadosObservacaoDYQ"),
      Tela<TfrObservacoes>("TfrObservacoes"),
      Tela<TfrFiltroImpostosEmitidos>("TfrFiltroImpostosEmitidos"),
      Tela<TfrFiltroBaixaParcelamento>("TfrFiltroBaixaParcelamento"),
      Tela<TfrProcessoFiltroCalculosBaixa>("TfrProcessoFiltroCalculosBaixa"),
      Tela<TfrImportacaoOFCMultiLancamento>("TfrImportacaoOFCMultiLancamento"),
      Tela<TfrLancamento>("TfrLancamento"),
      Tela<TfrLancamentoY570Integracao>("tfrLancamentoY570Integracao"),
      Tela<TfrEmpresasPreparacaoExtratoBancario>("TfrEmpresasPreparacaoExtratoBancario"),
      Tela<TfrPreparacaoExtratoBancario>("TfrPreparacaoExtratoBancario"),
      Tela<TfrPreparacaoMovimentoCaixa>("TfrPreparacaoMovimentoCaixa"),
      Tela<TfrCadastroDYQUsuarioDiretorio>("TfrCadastroDYQUsuarioDiretorio"),
      Simples("TfrFiltroAmbienteConferenciaWelmoraDirect", "Central de conferência"),
      // Posting utilities
      Tela<TfrCadMoedasPlanoMoedas>("TfrCadMoedasPlanoMoedas"),
      Tela<TfrPreparacaoVariacaoCambial>("TfrPreparacaoVariacaoCambial"),
      Simples("TfrConfiguracaoIdiomas", "Configuração de idiomas"),
      Tela<TfrCadPlanosTrocaContabilizacao>("TfrCadPlanosTrocaContabilizacao"),
      Simples("TfrEncExercicio", "Encerramento do exercício"),
      // ECF and SPED
      Simples("TfrAvisoChecklistECF", "Checklist da ECF"),
      Simples("TfrPreparacaoContasECFY665", "Preparação Y665"),
      Simples("TfrPreparacaoContasECFY671", "Preparação Y671"),
      Simples("TfrPreparacaoContasECFY672", "Preparação Y672"),
      Simples("TfrConfiguraPreparacaoContaReferencialECF", "Plano de contas referencial"),
      Tela<TfrPreparacaoECFMultiContador>("TfrPreparacaoECFMultiContador"),
      Tela<TfrConsultaExportacaoECD>("TfrConsultaExportacaoECD"),
      Tela<TfrProcessoAuditoriaContabil>("TfrProcessoAuditoriaContabil"),
      Sped("TfrExportacaoSped", "SPED_FISCAL"),
      Sped("TfrExportacaoSpedContribuicoes", "SPED_CONTRIBUICOES"),
      Sped("TfrExportacaoSpedVzel", "SPED_ECD"),
      // Report automation
      Simples("TfrCadastroPlanoTarvov2", "Plano de processos"),
      Simples("TfrCadastroAgendamentoTarvo", "Agendamento de processos"),
      Tela<TfrRelatorioTotaisLancamentos>("TfrRelatorioTotaisLancamentos"),
      Tela<TfrRelatorioReciboFolha>("TfrRelatorioReciboFolha"),
      Tela<TfrRelGeradorRelatorioRH>("TfrRelGeradorRelatorioRH"),
      Tela<TfrConsultaColaboradores>("TfrConsultaColaboradores"),
  };
}

void RegistraTelasDaPlataforma(TClassRegistry& registry) {
  std::vector<std::string> feitos;
  try {
    for (auto& t : TelasDaPlataforma()) {
      registry.RegisterClass(t.Nome, std::move(t.Fabrica), TClassKind::Screen);
      feitos.push_back(t.Nome);
    }
  } catch (...) {
    for (const auto& nome : feitos) registry.UnRegisterClass(nome);
    throw;
  }
}

void DesregistraTelasDaPlataforma(TClassRegistry& registry) {
  for (const auto& t : TelasDaPlataforma()) registry.UnRegisterClass(t.Nome);
}

}  // namespace vyn
