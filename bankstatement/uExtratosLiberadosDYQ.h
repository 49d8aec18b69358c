#pragma once
// What the two Dyq dialogs share: the released-statement list (period filter and rows), the account
// code of a row and the refusal of a statement.
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "framework/core/datetime.h"

namespace vyn {
class TCheckBox;
class TComponent;
class TEdit_Codigo_Search_VYN;
class TImportacaoDYQMGR;
class TForm_VYN;
class TLabel;
class TListView;
class TLogEvent;
class TRetornaMetodoDYQ;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

// Whether a Dyq dialog was opened from the released-statements notification list: the dialogs
// recognise that owner by its class name, "TfrFiltroImportacaoExtratoBancarioDYQNotificacoes".
bool AbertoPelasNotificacoes(const vyn::TComponent* owner);

// Whether a statement [S, E] is listed for the typed period [I, F]; a zero date is an empty field.
bool PeriodoListado(vyn::TDateTime I, vyn::TDateTime F, vyn::TDateTime S, vyn::TDateTime E);

// A Dyq date text ("05/03/2024"; "2024-03-05" is read too); zero when it is not a date.
vyn::TDateTime DataDYQ(const std::string& texto);

// Any JSON value as the text the document gives (a string as is, a number in its decimal form).
std::string TextoDYQ(const nlohmann::ordered_json& objeto, const char* chave);

// Adds one row per member of the document whose "tipoConta" is exactly tipoConta and whose period
// passes the filter; members named TOTAL (any case) are summaries. Moves the progress bar when
// given. Answers the number of rows.
int PreencheLinhasLiberadas(vyn::TListView& lista, const nlohmann::ordered_json& documento,
                            const std::string& tipoConta, vyn::TDateTime I, vyn::TDateTime F,
                            vyn::TfrStatusProcesso* progresso);

// The company the dialogs work on: 0 while the field holds a code the company check refused.
int64_t EmpresaDYQ(const vyn::TEdit_Codigo_Search_VYN& edCODEMP);

// The list fill of both dialogs: empties the list and, for a company above 0, asks Dyq for its
// released items and lists those of tipoConta in the period [I, F]. Without Silent it shows the
// progress window (rotuloBusca as its second label) and semResultado when nothing is listed.
// False when there is no company (Dyq is not asked).
bool CarregaLiberadosDYQ(vyn::TForm_VYN& dialogo, vyn::TListView& lista, const vyn::TRetornaMetodoDYQ& cliente,
                         int64_t empresa, bool ambienteTeste, const std::string& tipoConta, vyn::TDateTime I,
                         vyn::TDateTime F, bool Silent, const std::string& rotuloBusca,
                         const std::string& semResultado);

// The confirm's common part: the first selected row's company, id, account and period into the
// manager. False, after its box, when no row is selected or the row names no account.
bool PreparaImportacaoDYQ(const vyn::TListView& lista, vyn::TImportacaoDYQMGR& mgr, int64_t empresa);

// The first selected row; -1 when there is none.
int PrimeiroSelecionado(const vyn::TListView& lista);
// Selects row i alone and makes it current.
void SelecionaUnico(vyn::TListView& lista, int i);

// The first word of a row's "Conta" text; empty when the text has none.
std::string PrimeiraPalavra(const std::string& texto);
// That word as the account code; 0 when it is not a number.
int64_t CodigoConta(const std::string& palavra);

// The refusal of the first selected statement: question, rights, observation, report, refresh.
// The report goes to the environment the list was read from; the question and its answer go to
// the dialog's action log for the company.
void RecusaExtratoDYQ(vyn::TForm_VYN& dialogo, vyn::TListView& lista, const vyn::TRetornaMetodoDYQ& cliente,
                      bool ambienteTeste, const std::function<void()>& atualizaSilencioso, vyn::TLogEvent& log,
                      int64_t empresa, int tipoConta);
// A statement some of whose lines were booked may still be refused, but the booked lines stay in the
// books: the user is warned and answers whether to go on (true also when none was booked).
bool AceitaRecusarComGravados(int64_t empresa, int tipoConta, int64_t idExtrato);

}  // namespace integracao
