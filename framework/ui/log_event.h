#pragma once
// The action log: one record per action of a screen (company, kind of action, screen name and
// free-text lines), written to the action-log table.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/datetime.h"
#include "framework/schema/log_evento.h"   // the action-log table

namespace vyn {

enum TTipoAcaoLog : int { logInsert = 0, logAlter = 1, logDelete = 2, logDeleteFiltro = 3, logProcesso = 4 };

struct TLogRecord {
  TDateTime DataHora;
  int CodUsuario = 0;
  std::string NomeUsuario;
  std::string Estacao;
  int CodEmp = 0;
  int TipoAcao = logProcesso;
  std::string Tela;      // the screen's name
  std::string Titulo;
  std::string Tabela;
  std::vector<std::pair<std::string, std::string>> DadosPrincipais;  // key fields of the action
  std::vector<std::string> Linhas;                                   // free text, without carets
  std::string Texto() const;                                         // the lines joined by CR LF
};

// Where records go: the database table in the host, memory in tests.
class ILogEventWriter {
 public:
  virtual ~ILogEventWriter() = default;
  virtual void Write(const TLogRecord& record) = 0;
};

class TMemoryLogWriter : public ILogEventWriter {
 public:
  void Write(const TLogRecord& record) override { Records.push_back(record); }
  std::vector<TLogRecord> Records;
};

class TLogEvent : public TComponent {
 public:
  explicit TLogEvent(TComponent* owner = nullptr, int tipoAcao = logProcesso, int codEmp = 0,
                     std::string tela = "", std::string titulo = "", std::string tabela = "");
  std::string ClassName() const override { return "TLogEvent"; }

  // Starts a new record; with limpar the collected lines are dropped as well.
  void InicializaVariaveis(bool limpar);
  void SetTipoAcao(int tipo) { tipoAcao_ = tipo; }
  int TipoAcao() const { return tipoAcao_; }
  void SetEmpresaAtual(int codEmp) { codEmp_ = codEmp; }
  int EmpresaAtual() const { return codEmp_; }
  void SetTela(std::string tela) { tela_ = std::move(tela); }
  const std::string& Tela() const { return tela_; }
  void SetTitulo(std::string titulo) { titulo_ = std::move(titulo); }
  void SetTabela(std::string tabela) { tabela_ = std::move(tabela); }
  void SetDadosPrincipais(std::string key, std::string value);

  // Adds a line ("text" or "text: value"); carets removed.
  void AddAcao(std::string_view text, std::string_view value = "", bool separador = false);
  const std::vector<std::string>& Linhas() const { return linhas_; }

  // Writes the record with the collected lines and starts a new one.
  void Logger();
  // Adds the text (when not empty) as a line and writes the record with the given kind.
  void LogProcesso(std::string_view text, int tipoAcao = logProcesso);
  // Writes the record when lines were collected (or always, with forcar).
  void GravarLog(bool forcar);
  // Drops the collected lines without writing them.
  void Descarta() { linhas_.clear(); }

  // Records written while no writer or database is configured.
  const std::vector<TLogRecord>& Records() const { return kept_; }

 private:
  void Write();
  int tipoAcao_;
  int codEmp_;
  std::string tela_, titulo_, tabela_;
  std::vector<std::pair<std::string, std::string>> dados_;
  std::vector<std::string> linhas_;
  std::vector<TLogRecord> kept_;
};

}  // namespace vyn
