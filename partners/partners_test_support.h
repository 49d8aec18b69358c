#pragma once
// What the partners' import tests share: a company with a branch, a layout, a sheet on disk and the
// controls of the import screen.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/schema/seed.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {

class PartnersTest : public vyn::CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    lista_ = RegistrosSocios();
    RegistraModulo(vyn::ClassRegistry(), lista_);
    vyn::seed::AddStandardCompany(Db());
    vyn::ProcessContext().Referencia = 202403;
    empresa_ = owner_.Create<vyn::TEdit_Codigo_Search_VYN>(vyn::tcEmpresas);
    empresa_->Vale(1);
    gerador_ = owner_.Create<vyn::TEdit_Codigo_Search_VYN>(vyn::tcGeradorImportacaoSocios);
    gerador_->Vale(1);
    arquivo_ = owner_.Create<vyn::TEdit_Diretorio_Padrao_VYN>();
    modo_ = owner_.Create<vyn::TComboBox_Padrao_VYN>();
    modo_->Items = {"Não importar", "Atualizar o cadastro", "Atualizar as cotas", "Atualizar o cadastro e as cotas"};
    modo_->SetItemIndex(0);
    // Parallel test processes share the temporary folder: an object's address is not unique there.
    sheet_ = std::filesystem::temp_directory_path() / ("socios_" + vyn::TAcessoExclusivo::fNomeArqTemp_Exclusivo(".csv"));
  }
  void TearDown() override {
    std::filesystem::remove(sheet_);
    vyn::ProcessContext().Referencia = 0;
    DesregistraModulo(vyn::ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  // Layout 1: columns A, B, C, ... take the keys in order.
  void Layout(const std::vector<std::string>& chaves, int linhaInicial = 0, int descartar = 0,
              const std::string& arquivo = "") {
    Db().Execute("INSERT INTO TGERADOR_IMPORTACAO_SOCIOS (BDCODGERADOR, BDMODELO, BDLINHA_INICIAL, BDDESCARTAR_LINHAS,"
                 " BDARQUIVO) VALUES (1, 'Modelo', ?, ?, ?)",
                 {linhaInicial, descartar, arquivo});
    for (size_t i = 0; i < chaves.size(); ++i)
      Db().Execute("INSERT INTO TGERADOR_COLUNAS_SOCIOS (BDCODGERADOR, BDCOLUNA, BDCAMPO) VALUES (1, ?, ?)",
                   {std::string(1, static_cast<char>('A' + i)), chaves[i]});
  }
  void Sheet(const std::vector<std::string>& linhas) {
    std::ofstream out(sheet_, std::ios::binary);
    for (const auto& l : linhas) out << l << "\r\n";
    arquivo_->SetText(sheet_.string());
  }
  void Socio(int emp, int cod, const std::string& nome, const std::string& doc) {
    Db().Execute("INSERT INTO TEMPRESAS_TSOC (BDCODEMP, BDCODSOC, BDNOMSOC, BDCGCCEISOC, BDREFSOC) VALUES (?, ?, ?, ?, 202401)",
                 {emp, cod, nome, doc});
  }

  vyn::TComponent owner_;
  vyn::TScriptedDialogs dialogs_;
  vyn::TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  vyn::TEdit_Codigo_Search_VYN* gerador_ = nullptr;
  vyn::TEdit_Diretorio_Padrao_VYN* arquivo_ = nullptr;
  vyn::TComboBox_Padrao_VYN* modo_ = nullptr;
  std::filesystem::path sheet_;
  TListaRegistro lista_;
};

}  // namespace integracao
