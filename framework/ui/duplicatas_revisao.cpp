#include "framework/ui/duplicatas_revisao.h"

#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"

namespace vyn {

namespace {

bool Ligada(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() && UpperCase(Trim(f->AsString())) == "TRUE";
}

int InteiroOuZero(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? static_cast<int>(f->AsInteger()) : 0;
}

// Writes the line's mark and tick: in its row, and in the work table of a staged line, so that the
// review shows them again after it reloads its lines.
void GravaMarcas(TDAOFactory& ds, const std::string& marca, bool lancar) {
  if (ModoArquivoGrande(&ds)) {
    const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(ds.WorkTable(), "Tabela de trabalho inválida: ");
    ds.Database()
        .Prepared("update " + tabela + " set BDDUPLICATA = ?, BDLANCARDUPLICATA = ? where BDSESSAO = ? and BDCODEMP = ? "
                  "and BDCHAVE = ?")
        .Execute({marca.empty() ? Variant() : Variant(marca), Variant(std::string(lancar ? "TRUE" : "FALSE")), ds.Sessao(),
                  InteiroOuZero(ds, "BDCODEMP"), InteiroOuZero(ds, "BDCHAVE")});
  }
  // The row changes in memory only: the work table has it already.
  const bool memoria = ds.ControlMemory();
  ds.SetControlMemory(true);
  const bool editou = ds.State() == TDataSetState::dsBrowse;
  if (editou) ds.Edit();
  ds.FieldByName(kCampoDuplicata).SetValue(marca.empty() ? Variant() : Variant(marca));
  TField& tick = ds.FieldByName(kCampoLancarDuplicata);
  if (tick.DataType() == TFieldType::ftBoolean)
    tick.SetAsBoolean(lancar);
  else
    tick.SetAsString(lancar ? "TRUE" : "FALSE");
  if (editou) ds.Post();
  ds.SetControlMemory(memoria);
}

}  // namespace

std::string MarcaDuplicata(const TFonteRegistrada& igual) {
  return Utf8Left("Provável duplicata do " + NomeMovimentoIgual(igual), kTamanhoDuplicata);
}

bool MarcadaDuplicata(const TClientDataSet& ds) {
  const TField* f = ds.FindField(kCampoDuplicata);
  return f && !f->IsNull() && !Trim(f->AsString()).empty();
}

bool LancarAssimMesmo(const TClientDataSet& ds) { return Ligada(ds, kCampoLancarDuplicata); }

bool DuplicataForaDaImportacao(const TClientDataSet& ds) { return MarcadaDuplicata(ds) && !LancarAssimMesmo(ds); }

void GravaMarcaDuplicata(TDAOFactory& ds, const std::string& marca) {
  const std::string antes = MarcadaDuplicata(ds) ? Trim(ds.FieldByName(kCampoDuplicata).AsString()) : std::string();
  if (antes == marca) return;
  GravaMarcas(ds, marca, false);
}

void AlternaLancarAssimMesmo(TDAOFactory& ds) {
  if (!MarcadaDuplicata(ds) || !ds.FindField(kCampoLancarDuplicata)) return;
  GravaMarcas(ds, Trim(ds.FieldByName(kCampoDuplicata).AsString()), !LancarAssimMesmo(ds));
}

std::optional<TFonteLancada> FonteLinhaRevisao(const TClientDataSet& ds, const std::string& nome, int chaveLancamento) {
  const TField* fonte = ds.FindField("BDFONTE");
  const int linha = InteiroOuZero(ds, "BDLINHA");
  if (!fonte || fonte->IsNull() || linha <= 0) return std::nullopt;
  auto texto = [&](const char* c) { return ds.FindField(c) ? Trim(ds.FieldByName(c).AsString()) : std::string(); };
  const TField* data = ds.FindField("BDDATA");
  const Currency valor = ds.FieldByName("BDVALOR").IsNull() ? Currency() : ds.FieldByName("BDVALOR").AsCurrency();
  TFonteLancada f = TLivros::FonteLinhaArquivo(
      nome, InteiroOuZero(ds, "BDCODEMP"), linha, fonte->AsString(), chaveLancamento, valor,
      {data && !data->IsNull() ? data->AsDateTime() : TDateTime(), InteiroOuZero(ds, "BDDEBITO"),
       InteiroOuZero(ds, "BDCREDITO"), texto("BDDCTO")});
  // A line offered at what an earlier run left of it is a part of its account, whose value is the whole line's.
  if (const TField* inteira = ds.FindField(kCampoValorFonte); inteira && !inteira->IsNull()) {
    f.Valor = inteira->AsCurrency();
    if (chaveLancamento > 0) {
      f.ChaveLancamento = 0;
      f.Partes.push_back(TLivros::ParteResto(chaveLancamento, valor));
    }
  }
  return f;
}

void PesaDuplicata(TDAOFactory& ds, TLivros& livros, const std::string& nome) {
  if (!ds.FindField(kCampoDuplicata)) return;
  // What is left of a line booked in part belongs to a source booked already: never a duplicate.
  const TField* inteira = ds.FindField(kCampoValorFonte);
  std::optional<TFonteLancada> f = inteira && !inteira->IsNull() ? std::nullopt : FonteLinhaRevisao(ds, nome, 0);
  const std::optional<TFonteRegistrada> igual = f ? livros.MovimentoIgual(*f) : std::nullopt;
  GravaMarcaDuplicata(ds, igual ? MarcaDuplicata(*igual) : std::string());
}

}  // namespace vyn
