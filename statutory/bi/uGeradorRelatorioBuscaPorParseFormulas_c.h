#pragma once
// The formula evaluator as the report generator outside this library calls it: plain C, one handle
// per run of formulas (the balance context of the previous call is kept in it). The module must be
// loaded (integracao_load) before a handle is made.
#include <cstddef>

extern "C" {
// A new evaluator; null when none is registered (the reason is written to erro, cut to tamanho - 1).
void* integracao_busca_formulas_cria(char* erro, size_t tamanho);
// One formula for one company and period (dates DD/MM/YYYY; TipoCalculo 2 general, 3 tax, 4 ledger
// balances). Answers 0 with the value as decimal text in resultado ("" when the formula gave no
// value), or 1 with the error's message there; a text longer than tamanho - 1 is cut.
int integracao_busca_formulas_executa(void* avaliador, const char* formula, const char* complemento, int tipoCalculo,
                                      int codEmp, const char* referencia, const char* dataIni, const char* dataFim,
                                      int contabilizacao, int ignZeramento, const char* reservado,
                                      const char* parametro, char* resultado, size_t tamanho);
// Frees an evaluator made by integracao_busca_formulas_cria (null is ignored).
void integracao_busca_formulas_libera(void* avaliador);
}
