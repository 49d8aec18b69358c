# The parsers each libFuzzer target (fuzz/) compiles itself, instrumented, relative to the repository
# root: VYN_FUZZ_<target> for each target of VYN_FUZZ_ALVOS. The fuzz targets take the rest from a gcc
# build's libraries, which therefore compiles these files alone, each its own member of its library,
# never joined with other sources (CMAKE_UNITY_BUILD): a joined object would bring the library's copy
# of a parser beside the target's own.
set(VYN_FUZZ_ALVOS lancamentos_txt formula planilha roteiro_tela respostas_web comprovante expressao_relatorio)
set(VYN_FUZZ_lancamentos_txt framework/accounting/importacao_lanc_txt.cpp framework/core/currency.cpp
    framework/core/text.cpp)
set(VYN_FUZZ_formula framework/accounting/formula_parsers.cpp framework/core/currency.cpp)
set(VYN_FUZZ_planilha framework/data/arquivo_importacao.cpp framework/data/pasta_trabalho.cpp)
set(VYN_FUZZ_roteiro_tela host/screen_script.cpp host/screen_controls.cpp)
set(VYN_FUZZ_respostas_web framework/accounting/importacao_dyq_mgr.cpp bankstatement/uExtratosLiberadosDYQ.cpp
    framework/web/vynreport_pagamentos.cpp integrations/omie/uIntegracaoOmie.Base.cpp
    integrations/omie/uIntegracaoOmie.MovimentosFiscais.cpp integrations/omie/uIntegracaoOmie.MovimentosFinanceiros.cpp
    integrations/omie/uIntegracaoOmie.Clientes.cpp integrations/omie/uIntegracaoOmie.ContasAPagar.cpp)
set(VYN_FUZZ_comprovante framework/accounting/config_imp_pdf_mgr.cpp framework/core/currency.cpp)
set(VYN_FUZZ_expressao_relatorio framework/ui/report_vyn.cpp framework/core/currency.cpp framework/core/variant.cpp)
