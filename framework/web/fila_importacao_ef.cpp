#include "framework/web/fila_importacao_ef.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "framework/data/fb_database.h"

namespace vyn {

void EnfileiraDocumentoEF(TDatabase& db, int codEmp, int tipoDocumento, int tipoParceiro, const std::string& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  if (!in) throw std::runtime_error("Arquivo não encontrado: " + arquivo);
  std::ostringstream conteudo;
  conteudo << in.rdbuf();
  db.Execute("INSERT INTO VEF_TFILA_IMPORTACAO_EF (BDID, BDCODEMP, BDTIPODOCUMENTO, BDTIPOPARCEIRO, BDARQUIVO, "
             "BDCONTEUDO) VALUES (NEXT VALUE FOR GEN_VEF_TFILA_IMPORTACAO_EF, ?, ?, ?, ?, ?)",
             {codEmp, tipoDocumento, tipoParceiro, arquivo, conteudo.str()});
}

}  // namespace vyn
