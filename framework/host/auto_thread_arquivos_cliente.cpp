#include "framework/host/auto_thread_arquivos_cliente.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace fs = std::filesystem;

namespace {

TDatabase& Banco() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return *db;
}

bool Casa(std::string_view nome, std::string_view mascara) {
  // Iterative '*'/'?' match with backtracking to the last star.
  size_t n = 0, m = 0, estrela = std::string_view::npos, volta = 0;
  auto igual = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); };
  while (n < nome.size()) {
    if (m < mascara.size() && (mascara[m] == '?' || (mascara[m] != '*' && igual(mascara[m], nome[n])))) {
      ++n;
      ++m;
    } else if (m < mascara.size() && mascara[m] == '*') {
      estrela = m++;
      volta = n;
    } else if (estrela != std::string_view::npos) {
      m = estrela + 1;
      n = ++volta;
    } else {
      return false;
    }
  }
  while (m < mascara.size() && mascara[m] == '*') ++m;
  return m == mascara.size();
}

struct TMarcaArquivo {
  long long Tamanho = -1;
  long long Modificado = -1;
};

TMarcaArquivo Marca(const std::string& caminho) {
  std::error_code ec;
  TMarcaArquivo m;
  const auto tam = fs::file_size(caminho, ec);
  if (!ec) m.Tamanho = static_cast<long long>(tam);
  const auto t = fs::last_write_time(caminho, ec);
  if (!ec) m.Modificado = static_cast<long long>(t.time_since_epoch().count());
  return m;
}

}  // namespace

bool TAutoThreadIntegracaoArquivosClienteBase::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadIntegracaoArquivosClienteBase") ||
         TAutoThreadPushPadrao::InheritsFrom(class_name);
}

TAutoThreadIntegracaoArquivosClienteBase* TAutoThreadIntegracaoArquivosClienteBase::Corrente(TComponent* comp) {
  return comp ? comp->FindOwner<TAutoThreadIntegracaoArquivosClienteBase>() : nullptr;
}

std::unique_ptr<TDatabase> TAutoThreadIntegracaoArquivosClienteBase::TravaImportacaoEmpresa(int codEmp) const {
  auto trava = std::make_unique<TDatabase>();
  trava->Open(Banco().ConnectionString());
  trava->StartTransaction();
  try {
    trava->QueryValue("SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODEMP = ? WITH LOCK", {codEmp});
  } catch (const EDatabaseError& e) {
    if (!e.IsLockConflict()) throw;
    throw EDatabaseError(fmt::format("Os arquivos do cliente da empresa {} estão sendo importados por outra estação "
                                     "de trabalho; execute a tarefa novamente quando ela terminar.",
                                     codEmp));
  }
  return trava;
}

void TAutoThreadIntegracaoArquivosClienteBase::MarcaArquivoClienteImportado() {
  if (Ordem <= 0) return;
  const TMarcaArquivo m = Marca(Arquivo);
  Banco().Execute(
      "UPDATE TINTEGRACAO_ARQ_CLIENTE SET BDFINALIZADO = 'TRUE', BDTAMANHO = ?, BDMODIFICADO = ? "
      "WHERE BDCODEMP = ? AND BDORDEM = ?",
      {m.Tamanho, m.Modificado, CodEmp, Ordem});
}

void TAutoThreadIntegracaoArquivosClienteBase::setProcessoFinalizado() {
  if (Ordem <= 0) return;
  TDatabase& db = Banco();
  if (ImportacaoConcluida) {
    const TMarcaArquivo m = Marca(Arquivo);
    db.ExecuteReturningAutonomous(
        "UPDATE TINTEGRACAO_ARQ_CLIENTE SET BDFINALIZADO = 'TRUE', BDTAMANHO = ?, BDMODIFICADO = ?, "
        "BDDATAPROCESSO = CURRENT_TIMESTAMP WHERE BDCODEMP = ? AND BDORDEM = ?",
        {m.Tamanho, m.Modificado, CodEmp, Ordem});
  } else {
    db.ExecuteReturningAutonomous(
        "UPDATE TINTEGRACAO_ARQ_CLIENTE SET BDDATAPROCESSO = CURRENT_TIMESTAMP WHERE BDCODEMP = ? AND BDORDEM = ?",
        {CodEmp, Ordem});
  }
}

void TAutoThreadIntegracaoArquivosClienteBase::gravaInconsistenciasArquivo(const TInconsistencias_VYN& lista) {
  if (Ordem <= 0 || lista.Count() == 0) return;
  TDatabase& db = Banco();
  // The import engine may have registered part of the list already (its own messages); each message
  // is registered once, the others are numbered on after them.
  std::multiset<std::string> registradas;
  auto r = db.QueryAll("SELECT BDINCONSISTENCIA FROM TINTEGRACAO_ARQ_CLIENTE_INCONS WHERE BDCODEMP = ? AND BDORDEM = ?",
                       {CodEmp, Ordem});
  for (size_t i = 0; i < r.Rows.size(); ++i) registradas.insert(r.Value(i, "BDINCONSISTENCIA").AsString());
  TTransaction tx(db);
  int n = static_cast<int>(db.QueryValue("SELECT COALESCE(MAX(BDORDEMINCONS), 0) FROM TINTEGRACAO_ARQ_CLIENTE_INCONS "
                                         "WHERE BDCODEMP = ? AND BDORDEM = ?",
                                         {CodEmp, Ordem})
                               .AsInteger());
  for (const auto& item : lista.Itens()) {
    const std::string texto =
        TextoParaColuna(db, "TINTEGRACAO_ARQ_CLIENTE_INCONS", "BDINCONSISTENCIA", RemoveCaret(item.Caption));
    if (auto it = registradas.find(texto); it != registradas.end()) {
      registradas.erase(it);
      continue;
    }
    db.Execute(
        "INSERT INTO TINTEGRACAO_ARQ_CLIENTE_INCONS (BDCODEMP, BDORDEM, BDORDEMINCONS, BDINCONSISTENCIA, "
        "BDCATEGORIAINCONSISTENCIA) VALUES (?, ?, ?, ?, ?)",
        {CodEmp, Ordem, ++n, texto, static_cast<int>(item.Nivel)});
  }
  tx.Commit();
}

void TAutoThreadIntegracaoArquivosClienteBase::AddRetornoServidor(const std::string& nome, long long valor) {
  std::string& texto = ProcessContext().FRetornoServidor;
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  if (!Trim(texto).empty()) {
    try {
      j = nlohmann::ordered_json::parse(texto);
    } catch (const nlohmann::json::exception&) {
      j = nlohmann::ordered_json::object();
    }
    if (!j.is_object()) j = nlohmann::ordered_json::object();
  }
  j[nome] = valor;
  texto = j.dump();
}

std::vector<std::string> TAutoThreadIntegracaoArquivosClienteBase::ListaArquivos(const std::string& pasta,
                                                                                 const std::string& mascara,
                                                                                 bool recursivo) {
  std::vector<std::string> out;
  std::error_code ec;
  if (!fs::is_directory(pasta, ec)) return out;
  auto considera = [&](const fs::directory_entry& e) {
    std::error_code ec2;
    if (e.is_regular_file(ec2) && Casa(e.path().filename().string(), mascara)) out.push_back(e.path().string());
  };
  if (recursivo) {
    for (fs::recursive_directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) considera(*it);
  } else {
    for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) considera(*it);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace vyn
