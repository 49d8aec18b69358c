# INTEGRACAO_SANITIZE: sanitizers every target is built with ("address,undefined"; empty: none). A
# report ends the program (no recovery), so a run that reports anything fails.
set(INTEGRACAO_SANITIZE "" CACHE STRING "Sanitizers to build with, as -fsanitize takes them (address,undefined)")
if(INTEGRACAO_SANITIZE)
  add_compile_options(-fsanitize=${INTEGRACAO_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${INTEGRACAO_SANITIZE})
endif()
