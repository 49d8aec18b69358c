// The captions the screen shows beside its fields and over its groups. They are display only: no rule
// reads them, but a user finds each field by its label.
#include <utility>

#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "statutory/ecf/uExportacaoECF.h"

namespace integracao {

using namespace vyn;

namespace {
// Each field and the caption of its label.
const std::pair<const char*, const char*> kRotulos[] = {
    {"edInformacoesFiscais", "Informações fiscais:"},
    {"cbInicioPeriodo", "Indicador do início do período:"},
    {"cbSituacaoEspecial", "Indicador de situação especial e outros eventos:"},
    {"edRemanescente", "Patrimônio remanescente em caso de Cisão (%):"},
    {"edDataSituacaoEspecial", "Data da Situação Especial / Evento:"},
    {"edDataIni", "Data inicial:"},
    {"edDataFim", "Data final:"},
    {"cbRetificadora", "Escrituração retificadora?"},
    {"cbTipoECF", "Tipo da ECF:"},
    {"edNumeroRecibo", "Número do recibo anterior:"},
    {"edDataPlanoContas", "Data do plano de contas:"},
    {"edCodEmpSCP", "Empresa da SCP:"},
    {"edCNPJSCP", "CNPJ da Sócia Ostensiva:"},
    {"cbOptanteRefis", "Indicador de optante pelo Refis:"},
    {"cbOptantePaes", "Indicador de optante pelo Paes:"},
    {"cbTributacao", "Forma de tributação do lucro:"},
    {"cbPeriodoIRPJ", "Período de apuração do IRPJ e CSLL:"},
    {"cbQualificacaoPJ", "Qualificação da Pessoa Jurídica:"},
    {"cbTipoEscrituracao", "Tipo da escrituração:"},
    {"cbTipoEntidade", "Tipo de identidade imune ou isenta:"},
    {"cbApuracaoIRPJImunesIsentas", "Existência de atividade tributada pelo IRPJ e CSLL para a imune ou isenta:"},
    {"cbApuracaoCSLL", "Apuração da CSLL:"},
    {"cbOptantePelaLei",
     "Optante pela aplicação das disposições da Lei nº 12.973/2014 para o ano-calendário de 2014:"},
    {"cbDiferencaSocFCont", "Diferenças entre a contabilidade Societária e FCont:"},
    {"edContaAjusteECF", "Conta de ajuste Sped ECF (K155):"},
    {"edCebas", "Número do certificado (CEBAS)"},
    {"edQuantidadeSCP", "Quantidade da SCP da PJ:"},
    {"cbPercentualAliquotaCSLL", "PJ sujeita à alíquota da CSLL de:"},
    {"cbAvaliacaoEstoques", "Método de avaliação de estoque final:"},
    {"cbRegimeApuracao", "Regime de Apuração das Receitas:"},
    {"edContaLivroCaixa", "Conta livro-caixa:"},
    {"cbAlteracaoCapital", "Alteração de Capital na Forma dos art. 22 e 23 da Lei 9.249/1995:"},
    {"cbEscrituracaoAtivo", "Opção pela Escrituração, no Ativo, da Base de Cálculo Negativa da CSLL:"},
    {"cbAvaliacaoEstoqueFinal", "Método de avaliação de estoque final:"},
    {"edAliquotaReduzida", "Alíquota Reduzida de que Trata a Lei nº 11.774/2008:"},
    {"edRtf", "Arquivo:"},
    {"cbTipoDocumento", "Tipo de documento:"},
    {"edProcurador", "Procurador:"},
    {"edQualificacao", "Qualificação:"},
};

// The groups of the tabs and their captions (some have none).
const std::pair<const char*, const char*> kGrupos[] = {
    {"gbComplementares_4", "Informações econômicas"}, {"gbComplementares_3", ""}, {"gbComplementares_2", ""},
    {"gbComplementares_1", ""}, {"gbComplementares_0", ""}, {"gbLucroPresumido", "Lucro presumido"},
    {"GroupBox_Padrao_VYN1", "Lucro real"}, {"gbY800", "Y800"}, {"gbJ930", "0930"},
};
}  // namespace

void TfrExportacaoECF::CriaRotulos() {
  for (const auto& [campo, texto] : kRotulos) {
    // A label the screen already keeps (its rules switch it with the field) takes the caption.
    const std::string nome = "lb" + std::string(campo).substr(2);
    auto* rotulo = dynamic_cast<TLabel*>(FindComponent(nome));
    if (!rotulo) {
      rotulo = Create<TLabel>();
      rotulo->SetName(nome);
    }
    rotulo->SetCaption(texto);
  }
  for (const auto& [nome, texto] : kGrupos) {
    auto* grupo = Create<TGroupBox>();
    grupo->SetName(nome);
    grupo->SetCaption(texto);
  }
  edContaAjusteECF->SetHint(
      "Esta conta será utilizada para ajustar os saldos dos totais de débitos e créditos em virtude de "
      "encerrametnos distintos entre o Sped ECD e o Sped ECF, portanto, deve ser utilizada apenas para esse fim.");
}

}  // namespace integracao
