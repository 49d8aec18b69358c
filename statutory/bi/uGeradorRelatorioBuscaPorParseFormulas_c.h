#pragma once
// The formula evaluator as the report generator outside this library calls it: plain C, one handle
// per run of formulas (the balance context of the previous call is kept in it). The module must be
// loaded (integracao_load) before a handle is made. The entries may be called from several threads:
// they run one at a time (the evaluators share the process's database connection).
#include <cstddef>

extern "C" {
// The answer of integracao_busca_formulas_executa when the value does not fit the room given.
enum { kBuscaFormulasSemEspaco = 2 };

// A new evaluator; null when none is registered (the reason is written to erro, cut to tamanho - 1).
void* integracao_busca_formulas_cria(char* erro, size_t tamanho);
// One formula for one company and period (dates DD/MM/YYYY; TipoCalculo 2 general, 3 tax, 4 ledger
// balances). Answers 0 with the value as decimal text in resultado ("" when the formula gave no
// value and no parser said why); 1 with the error's message there (a formula that could not be
// computed, an unknown name, wrong arguments; a message longer than tamanho - 1 is cut); or
// kBuscaFormulasSemEspaco when the value needs more than tamanho bytes: it is never cut, resultado
// holds the bytes it needs (its terminating zero included) as decimal text when that fits, and
// integracao_busca_formulas_tamanho_necessario answers them too.
int integracao_busca_formulas_executa(void* avaliador, const char* formula, const char* complemento, int tipoCalculo,
                                      int codEmp, const char* referencia, const char* dataIni, const char* dataFim,
                                      int contabilizacao, int ignZeramento, const char* reservado,
                                      const char* parametro, char* resultado, size_t tamanho);
// The bytes the last value refused for want of room needs; 0 when the last call was not refused so.
size_t integracao_busca_formulas_tamanho_necessario(void* avaliador);
// Frees an evaluator made by integracao_busca_formulas_cria (null is ignored).
void integracao_busca_formulas_libera(void* avaliador);
}
