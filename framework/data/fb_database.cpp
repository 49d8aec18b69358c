#include "framework/data/fb_database.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <type_traits>
#include <unordered_map>

#include <fmt/format.h>

#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/dataset_guards.h"

namespace vyn {

namespace fb = Firebird;

namespace {

constexpr unsigned kDialect = 3;
constexpr unsigned kCharsetUTF8 = 4;
constexpr int kDateOffset = 15018;            // ISC_DATE of 1899-12-30, day 0 of TDateTime
constexpr double kTimeUnitsPerDay = 864000000.0;  // ISC_TIME counts 1/10,000 s

fb::IMaster* Master() { return fb::fb_get_master_interface(); }
fb::IUtil* Util() { return Master()->getUtilInterface(); }

// A status the Firebird calls report into; every templated call clears it first.
struct Status {
  Status() : wrapper(Master()->getStatus()) {}
  ~Status() { wrapper.dispose(); }
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;
  fb::ThrowStatusWrapper wrapper;
  fb::ThrowStatusWrapper* operator&() { return &wrapper; }
};

bool StatusHasCode(const intptr_t* v, long code) {
  // The vector is a sequence of (kind, value[, value]) clusters ending in isc_arg_end.
  for (int i = 0; v[i] != isc_arg_end;) {
    const intptr_t kind = v[i];
    if (kind == isc_arg_gds && v[i + 1] == code) return true;
    i += (kind == isc_arg_cstring) ? 3 : 2;
  }
  return false;
}

std::string ShortSQL(const std::string& sql) {
  return sql.size() > 2000 ? sql.substr(0, 2000) + "..." : sql;
}

// The first quoted literal of a statement that WIN1252 cannot hold, to name it in the message.
std::string FindUnfitLiteral(const std::string& sql) {
  size_t i = 0;
  while ((i = sql.find('\'', i)) != std::string::npos) {
    std::string lit;
    size_t j = i + 1;
    for (; j < sql.size(); ++j) {
      if (sql[j] == '\'') {
        if (j + 1 < sql.size() && sql[j + 1] == '\'') { lit += '\''; ++j; continue; }
        break;
      }
      lit += sql[j];
    }
    if (!FitsWin1252(lit)) return lit;
    i = j + 1;
  }
  return {};
}

std::string NotWin1252Message(const std::string& value) {
  return fmt::format("O texto \"{}\" contém caracteres que o banco de dados (WIN1252) não aceita.", value);
}

// The sentence a trigger or procedure raised with its exception (the name comes first, then the text),
// or empty when the error is not such a refusal.
std::string RaisedMessage(const intptr_t* v) {
  if (v[0] != isc_arg_gds || v[1] != isc_except) return {};
  std::vector<std::string> texts;
  for (int i = 2; v[i] != isc_arg_end && texts.size() < 2;) {
    const intptr_t kind = v[i];
    if (kind == isc_arg_gds && v[i + 1] != isc_random) break;
    if (kind == isc_arg_string) texts.emplace_back(reinterpret_cast<const char*>(v[i + 1]));
    i += (kind == isc_arg_cstring) ? 3 : 2;
  }
  return texts.empty() ? std::string() : texts.back();
}

[[noreturn]] void Raise(const fb::FbException& e, const std::string& sql) {
  const intptr_t* v = e.getStatus()->getErrors();
  long code = (v[0] == isc_arg_gds) ? static_cast<long>(v[1]) : 0;
  if (std::string raised = RaisedMessage(v); !raised.empty()) throw EDatabaseError(raised, sql, code);
  char buf[4096];
  Util()->formatStatus(buf, sizeof buf, e.getStatus());
  std::string text = buf;
  if (StatusHasCode(v, isc_transliteration_failed) || StatusHasCode(v, isc_malformed_string)) {
    std::string lit = FindUnfitLiteral(sql);
    if (!lit.empty()) text = NotWin1252Message(lit) + "\n" + text;
  }
  if (!sql.empty()) text += "\nSQL: " + ShortSQL(sql);
  throw EDatabaseError(text, sql, code);
}

std::string CleanSQL(std::string_view sql) {
  std::string s = Trim(sql);
  while (!s.empty() && s.back() == ';') {
    s.pop_back();
    s = TrimRight(s);
  }
  return s;
}

int BytesPerChar(unsigned charset) {
  switch (charset & 0xFF) {
    case 3: return 3;   // UNICODE_FSS
    case 4: return 4;   // UTF8
    default: return 1;
  }
}

ISC_TIME EncodeTime(double fraction) {
  long long ms = std::llround(fraction * 86400000.0);
  if (ms < 0) ms = 0;
  if (ms >= 86400000LL) ms = 86400000LL - 1;
  return static_cast<ISC_TIME>(ms * 10);
}

void SplitDateTime(TDateTime d, ISC_DATE& date, ISC_TIME& time) {
  double days = std::floor(d.Value);
  double frac = d.Value - days;
  long long ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000LL) { days += 1; ms = 0; }
  date = static_cast<ISC_DATE>(static_cast<long long>(days) + kDateOffset);
  time = static_cast<ISC_TIME>(ms * 10);
}

Currency ScaledToCurrency(int64_t raw, int scale) {
  if (scale == -4) return Currency::FromRaw(raw);
  if (scale > -4) {
    int64_t mult = 1;
    for (int i = scale; i > -4; --i) mult *= 10;
    int64_t units = 0;
    if (__builtin_mul_overflow(raw, mult, &units)) {
      std::string t = fmt::format("{:0{}}", raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw), 1 - scale);
      if (scale < 0) t.insert(t.size() + scale, ".");
      throw ECurrencyError(fmt::format("Valor monetário fora do limite: {}{}", raw < 0 ? "-" : "", t));
    }
    return Currency::FromRaw(units);
  }
  int64_t div = 1;
  for (int i = scale; i < -4; ++i) div *= 10;
  int64_t q = raw / div, r = raw % div;
  if (2 * std::llabs(r) >= div) q += (raw < 0 ? -1 : 1);
  return Currency::FromRaw(q);
}

bool IsTextType(unsigned t) { return t == SQL_TEXT || t == SQL_VARYING; }

struct TpbHolder {
  std::vector<unsigned char> bytes;
  TpbHolder() {
    // read committed, record version, wait with a time-out so a stuck lock surfaces as an error
    static_assert(kEsperaBloqueio.count() > 0 && kEsperaBloqueio.count() < 256);
    bytes = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait,
             isc_tpb_lock_timeout, 4, static_cast<unsigned char>(kEsperaBloqueio.count()), 0, 0, 0};
  }
};

// Reads only the latest version of a row and does not wait: a row another transaction changed and has
// not ended raises a lock conflict at once instead of showing its committed version.
const std::vector<unsigned char> kTpbSemEspera{isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                               isc_tpb_no_rec_version, isc_tpb_nowait};

// As the default, but a row another transaction holds is a lock conflict at once.
const std::vector<unsigned char> kTpbEscritaSemEspera{isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                                      isc_tpb_rec_version, isc_tpb_nowait};

}  // namespace

bool EDatabaseError::IsOpenByAnotherProcess() const { return code_ == isc_already_opened; }

bool EDatabaseError::IsUniqueViolation() const { return code_ == isc_unique_key_violation || code_ == isc_no_dup; }

bool EDatabaseError::IsCheckViolation() const { return code_ == isc_check_constraint; }

bool EDatabaseError::IsLockConflict() const {
  return code_ == isc_lock_conflict || code_ == isc_update_conflict || code_ == isc_deadlock ||
         code_ == isc_lock_timeout;
}

bool IsRemoteConnection(std::string_view c) {
  if (c.rfind("inet://", 0) == 0 || c.rfind("xnet://", 0) == 0 || c.rfind("wnet://", 0) == 0) return true;
  size_t colon = c.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;   // "C:" would be a drive
  std::string_view host = c.substr(0, colon);
  return host.front() != '/' && host.front() != '.';
}

int IndexOfColumn(const std::vector<TColumnInfo>& columns, std::string_view column) {
  for (size_t i = 0; i < columns.size(); ++i)
    if (SameText(columns[i].Name, column)) return static_cast<int>(i);
  return -1;
}

int TQueryResult::IndexOf(std::string_view column) const { return IndexOfColumn(Columns, column); }

const Variant& TQueryResult::Value(size_t row, std::string_view column) const {
  int i = IndexOf(column);
  if (i < 0) throw EDatabaseError(fmt::format("Coluna {} não existe no resultado.", column));
  return Rows.at(row).at(static_cast<size_t>(i));
}

// ---------------------------------------------------------------------------------------------
struct TDatabase::Impl {
  explicit Impl(TDatabase& owner) : self(owner) {}
  TDatabase& self;
  Status st;
  fb::IProvider* provider = nullptr;
  fb::IAttachment* att = nullptr;
  fb::ITransaction* tra = nullptr;   // the open explicit transaction
  TpbHolder tpb;
  std::unordered_map<std::string, std::unique_ptr<TStatement>> prepared;
  // Session context: what each statement must see, what the attachment holds (nothing after Open),
  // whether they differ, and whether they are being sent (the sending statement must not send them).
  std::map<std::string, std::optional<std::string>> context, sent;
  bool contextPending = false;
  bool sendingContext = false;

  void CheckOpen() const {
    if (!att) throw EDatabaseError("Banco de dados não conectado.");
  }

  // Whether the attachment holds value under name (a name never sent holds none).
  bool Holds(const std::string& name, const std::optional<std::string>& value) const {
    const auto it = sent.find(name);
    return it == sent.end() ? !value : it->second == value;
  }
  bool ContextDiffers() const {
    return std::any_of(context.begin(), context.end(), [&](const auto& c) { return !Holds(c.first, c.second); });
  }

  // Before a statement runs: the interruption check, then the context it must see.
  void BeforeStatement() {
    CheckOpen();
    VerificaInterrupcao();
    if (contextPending && !sendingContext) self.SendSessionContext();
  }

  fb::ITransaction* Start(const std::vector<unsigned char>* outro = nullptr) {
    const std::vector<unsigned char>& b = outro ? *outro : tpb.bytes;
    return att->startTransaction(&st, static_cast<unsigned>(b.size()), b.data());
  }

  // Runs f in the open transaction, or in one of its own (of the given kind) that commits on success.
  template <class F>
  auto InTx(const std::string& sql, F&& f, bool own = false, const std::vector<unsigned char>* outro = nullptr)
      -> decltype(f(static_cast<fb::ITransaction*>(nullptr))) {
    BeforeStatement();
    if (tra && !own) {
      try {
        return f(tra);
      } catch (const fb::FbException& e) {
        Raise(e, sql);
      }
    }
    fb::ITransaction* t = nullptr;
    try {
      t = Start(outro);
      if constexpr (std::is_void_v<decltype(f(t))>) {
        f(t);
        t->commit(&st);
        return;
      } else {
        auto r = f(t);
        t->commit(&st);
        return r;
      }
    } catch (const fb::FbException& e) {
      RollbackQuiet(t);
      Raise(e, sql);
    } catch (...) {
      RollbackQuiet(t);
      throw;
    }
  }

  void RollbackQuiet(fb::ITransaction* t) {
    if (!t) return;
    try {
      t->rollback(&st);
    } catch (const fb::FbException&) {
      t->release();
    }
  }
};

// ---------------------------------------------------------------------------------------------
struct TStatement::Impl {
  fb::IStatement* stmt = nullptr;
  fb::IMessageMetadata* inServer = nullptr;
  unsigned inCount = 0;
  bool hasCursor = false;
  bool searchedDml = false;

  struct OutCol {
    unsigned type;
    int scale;
    int subType;
    unsigned offset, nullOffset, length;
    unsigned originalType;
  };
  fb::IMessageMetadata* outMeta = nullptr;
  std::vector<OutCol> outCols;
  std::vector<TColumnInfo> columns;
  std::vector<unsigned char> outBuf;

  struct InCol { unsigned type; unsigned length; int scale = 0; };
  std::vector<unsigned> serverType, serverLength;
  std::vector<std::string> texts;   // reused between executions
  std::vector<const std::string*> text;   // each parameter's text: in texts or in the value itself
  std::vector<InCol> sig;
  fb::IMessageMetadata* inMeta = nullptr;
  std::vector<InCol> inSig;
  std::vector<unsigned> inOffset, inNullOffset;
  std::vector<unsigned char> inBuf;

  ~Impl() {
    if (inMeta) inMeta->release();
    if (outMeta) outMeta->release();
    if (inServer) inServer->release();
    if (stmt) stmt->release();
  }

  void Prepare(TDatabase::Impl& db, fb::ITransaction* tra, const std::string& sql) {
    auto& st = db.st;
    stmt = db.att->prepare(&st, tra, 0, sql.c_str(), kDialect, fb::IStatement::PREPARE_PREFETCH_METADATA);
    hasCursor = (stmt->getFlags(&st) & fb::IStatement::FLAG_HAS_CURSOR) != 0;
    std::string head = UpperCase(sql.substr(0, 20));
    searchedDml = (head.rfind("UPDATE", 0) == 0 && head.rfind("UPDATE OR", 0) != 0) || head.rfind("DELETE", 0) == 0;
    inServer = stmt->getInputMetadata(&st);
    inCount = inServer->getCount(&st);
    for (unsigned i = 0; i < inCount; ++i) {
      serverType.push_back(inServer->getType(&st, i) & ~1u);
      serverLength.push_back(inServer->getLength(&st, i));
    }

    fb::IMessageMetadata* out = stmt->getOutputMetadata(&st);
    unsigned n = out->getCount(&st);
    if (n == 0) {
      out->release();
      return;
    }
    fb::IMetadataBuilder* b = out->getBuilder(&st);
    std::vector<unsigned> original(n);
    for (unsigned i = 0; i < n; ++i) {
      unsigned t = out->getType(&st, i) & ~1u;
      original[i] = t;
      switch (t) {
        case SQL_SHORT: case SQL_LONG: case SQL_INT64:
          b->setType(&st, i, SQL_INT64 + 1);
          b->setLength(&st, i, sizeof(ISC_INT64));
          break;
        case SQL_FLOAT: case SQL_D_FLOAT: case SQL_DOUBLE:
          b->setType(&st, i, SQL_DOUBLE + 1);
          b->setLength(&st, i, sizeof(double));
          break;
        default:
          b->setType(&st, i, t + 1);
          break;
      }
    }
    outMeta = b->getMetadata(&st);
    b->release();

    std::unordered_map<std::string, int> seen;
    for (unsigned i = 0; i < n; ++i) {
      OutCol c{};
      c.type = outMeta->getType(&st, i) & ~1u;
      c.scale = outMeta->getScale(&st, i);
      c.subType = outMeta->getSubType(&st, i);
      c.offset = outMeta->getOffset(&st, i);
      c.nullOffset = outMeta->getNullOffset(&st, i);
      c.length = outMeta->getLength(&st, i);
      c.originalType = original[i];
      outCols.push_back(c);

      TColumnInfo info;
      const char* alias = out->getAlias(&st, i);
      info.Name = (alias && *alias) ? alias : out->getField(&st, i);
      std::string key = UpperCase(info.Name);
      int& count = seen[key];
      if (count > 0) info.Name += "_" + std::to_string(count);
      ++count;
      switch (c.type) {
        case SQL_INT64:
          if (c.scale < 0) info.DataType = TFieldType::ftCurrency;
          else info.DataType = original[i] == SQL_INT64 ? TFieldType::ftLargeint : TFieldType::ftInteger;
          break;
        case SQL_DOUBLE: info.DataType = TFieldType::ftFloat; break;
        case SQL_TEXT: case SQL_VARYING:
          info.DataType = TFieldType::ftString;
          info.Size = static_cast<int>(c.length) / BytesPerChar(outMeta->getCharSet(&st, i));
          break;
        case SQL_BLOB: info.DataType = TFieldType::ftMemo; break;
        case SQL_TYPE_DATE: info.DataType = TFieldType::ftDate; break;
        case SQL_TIMESTAMP: case SQL_TYPE_TIME: info.DataType = TFieldType::ftDateTime; break;
        case SQL_BOOLEAN: info.DataType = TFieldType::ftBoolean; break;
        default: info.DataType = TFieldType::ftString; break;
      }
      columns.push_back(info);
    }
    out->release();
    outBuf.assign(outMeta->getMessageLength(&st), 0);
  }

  static std::string ValueText(const Variant& v) {
    if (v.Type() == VarType::Currency) return v.AsCurrency().ToSQL();
    if (v.Type() == VarType::Bool) return v.AsBoolean() ? "TRUE" : "FALSE";
    if (v.Type() == VarType::DateTime) {
      TDateTime d = v.AsDateTime();
      return d.Value == std::floor(d.Value) ? DateToSQL(d) : DateTimeToSQL(d);
    }
    return v.AsString();
  }

  // The message type of parameter i from its value and the server's type; its text, when it goes
  // as one, in text[i].
  InCol Signature(unsigned i, const Variant& v, const std::string& sql) {
    texts[i].clear();
    text[i] = &texts[i];
    unsigned server = serverType[i];
    InCol c{server, 0};
    if (v.IsNull()) {
      // A null travels in any layout: the one of the last run keeps the message as it was.
      c = i < inSig.size() ? inSig[i] : InCol{server, serverLength[i]};
    } else if (server == SQL_BLOB) {
      c = {SQL_BLOB, sizeof(ISC_QUAD)};
      texts[i] = ValueText(v);
    } else {
      switch (v.Type()) {
        case VarType::Bool:
          if (server == SQL_BOOLEAN) c = {SQL_BOOLEAN, 1};
          else if (IsTextType(server)) { texts[i] = v.AsBoolean() ? "TRUE" : "FALSE"; c = {SQL_VARYING, 5}; }
          else c = {SQL_INT64, 8};
          break;
        case VarType::Int: c = {SQL_INT64, 8}; break;
        case VarType::Currency: c = {SQL_INT64, 8}; break;
        case VarType::Double: c = {SQL_DOUBLE, 8}; break;
        case VarType::DateTime:
          if (server == SQL_TYPE_DATE) c = {SQL_TYPE_DATE, 4};
          else if (server == SQL_TYPE_TIME) c = {SQL_TYPE_TIME, 4};
          else c = {SQL_TIMESTAMP, 8};
          break;
        default:
          if (const auto* raw = std::get_if<std::string>(&v.Raw())) text[i] = raw;   // no copy
          else texts[i] = v.AsString();
          // A text declared at its parameter's length (or the next power of two) keeps the message's
          // layout from one run to the next: laid out again at each new text length, it cost more than the
          // row's write. A text longer than its column is still the server's to refuse.
          const size_t n = std::max<size_t>(text[i]->size(), 1);
          c = {SQL_VARYING, static_cast<unsigned>(std::min<size_t>(
                                IsTextType(server) ? std::max<size_t>(n, serverLength[i]) : std::bit_ceil(n), 32765))};
          break;
      }
    }
    const std::string& t = *text[i];
    if (!t.empty() && !FitsWin1252(t)) throw EDatabaseError(NotWin1252Message(t), sql);
    if (c.type == SQL_VARYING && t.size() > 32765)
      throw EDatabaseError(fmt::format("Texto longo demais para o parâmetro {} ({} bytes).", i + 1, t.size()), sql);
    // Currency travels as NUMERIC(18,4)
    if (v.Type() == VarType::Currency && c.type == SQL_INT64) c.scale = -4;
    return c;
  }

  // The input message is built again only when a parameter's type changed since the last run.
  void MatchInputMetadata(Status& st) {
    bool same = inMeta && sig.size() == inSig.size();
    for (unsigned i = 0; same && i < inCount; ++i)
      same = sig[i].type == inSig[i].type && sig[i].length == inSig[i].length && sig[i].scale == inSig[i].scale;
    if (!same) {
      if (inMeta) { inMeta->release(); inMeta = nullptr; }
      fb::IMetadataBuilder* b = inServer->getBuilder(&st);
      for (unsigned i = 0; i < inCount; ++i) {
        b->setType(&st, i, sig[i].type + 1);
        b->setLength(&st, i, sig[i].length);
        b->setScale(&st, i, sig[i].scale);
        if (sig[i].type == SQL_VARYING || sig[i].type == SQL_TEXT) b->setCharSet(&st, i, kCharsetUTF8);
        if (sig[i].type == SQL_BLOB) b->setSubType(&st, i, inServer->getSubType(&st, i));
      }
      inMeta = b->getMetadata(&st);
      b->release();
      inSig = sig;
      inOffset.resize(inCount);
      inNullOffset.resize(inCount);
      for (unsigned i = 0; i < inCount; ++i) {
        inOffset[i] = inMeta->getOffset(&st, i);
        inNullOffset[i] = inMeta->getNullOffset(&st, i);
      }
      inBuf.assign(inMeta->getMessageLength(&st), 0);
    }
  }

  void WriteBlob(TDatabase::Impl& db, fb::ITransaction* tra, unsigned i, unsigned char* p) {
    auto& st = db.st;
    ISC_QUAD id{};
    fb::IBlob* blob = db.att->createBlob(&st, tra, &id, 0, nullptr);
    const std::string& t = *text[i];
    try {
      for (size_t pos = 0; pos < t.size(); pos += 32000) {
        unsigned len = static_cast<unsigned>(std::min<size_t>(32000, t.size() - pos));
        blob->putSegment(&st, len, t.data() + pos);
      }
      blob->close(&st);
    } catch (...) {
      blob->release();
      throw;
    }
    std::memcpy(p, &id, sizeof id);
  }

  void WriteParam(TDatabase::Impl& db, fb::ITransaction* tra, unsigned i, const Variant& v, unsigned char* buf) {
    auto* nullInd = reinterpret_cast<ISC_SHORT*>(buf + inNullOffset[i]);
    unsigned char* p = buf + inOffset[i];
    if (v.IsNull()) { *nullInd = -1; return; }
    *nullInd = 0;
    switch (inSig[i].type) {
      case SQL_BLOB: WriteBlob(db, tra, i, p); break;
      case SQL_BOOLEAN: *p = v.AsBoolean() ? 1 : 0; break;
      case SQL_INT64: {
        ISC_INT64 n = 0;
        if (v.Type() == VarType::Currency) n = v.AsCurrency().Raw();
        else if (v.Type() == VarType::Bool) n = v.AsBoolean() ? 1 : 0;
        else n = v.AsInteger();
        std::memcpy(p, &n, sizeof n);
        break;
      }
      case SQL_DOUBLE: { double d = v.AsFloat(); std::memcpy(p, &d, sizeof d); break; }
      case SQL_TYPE_DATE: {
        ISC_DATE d; ISC_TIME t;
        SplitDateTime(v.AsDateTime(), d, t);
        std::memcpy(p, &d, sizeof d);
        break;
      }
      case SQL_TYPE_TIME: {
        double val = v.AsDateTime().Value;
        ISC_TIME t = EncodeTime(val - std::floor(val));
        std::memcpy(p, &t, sizeof t);
        break;
      }
      case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        SplitDateTime(v.AsDateTime(), ts.timestamp_date, ts.timestamp_time);
        std::memcpy(p, &ts, sizeof ts);
        break;
      }
      case SQL_VARYING: {
        const std::string& t = *text[i];
        auto len = static_cast<ISC_USHORT>(t.size());
        std::memcpy(p, &len, sizeof len);
        std::memcpy(p + sizeof len, t.data(), t.size());
        break;
      }
      default:
        // a null-typed parameter of a value we could not place: send null
        *nullInd = -1;
        break;
    }
  }

  // Chooses the message type of each parameter from its value and the server's type.
  void Bind(TDatabase::Impl& db, fb::ITransaction* tra, const TParams& params, const std::string& sql) {
    if (params.size() != inCount)
      throw EDatabaseError(fmt::format("O comando espera {} parâmetro(s); recebeu {}.", inCount, params.size()), sql);
    if (inCount == 0) return;

    texts.resize(inCount);
    text.resize(inCount);
    sig.resize(inCount);
    for (unsigned i = 0; i < inCount; ++i) sig[i] = Signature(i, params[i], sql);
    MatchInputMetadata(db.st);
    unsigned char* buf = inBuf.data();
    for (unsigned i = 0; i < inCount; ++i) WriteParam(db, tra, i, params[i], buf);
  }

  Variant ReadBlob(TDatabase::Impl& db, fb::ITransaction* tra, ISC_QUAD id) {
    auto& st = db.st;
    fb::IBlob* blob = db.att->openBlob(&st, tra, &id, 0, nullptr);
    std::string text;
    char chunk[32768];
    try {
      for (;;) {
        unsigned len = 0;
        int r = blob->getSegment(&st, sizeof chunk, chunk, &len);
        if (r == fb::IStatus::RESULT_NO_DATA) break;
        text.append(chunk, len);
      }
      blob->close(&st);
    } catch (...) {
      blob->release();
      throw;
    }
    return Variant(std::move(text));
  }

  std::vector<Variant> DecodeRow(TDatabase::Impl& db, fb::ITransaction* tra) {
    std::vector<Variant> row;
    row.reserve(outCols.size());
    const unsigned char* buf = outBuf.data();
    for (const OutCol& c : outCols) {
      ISC_SHORT isNull;
      std::memcpy(&isNull, buf + c.nullOffset, sizeof isNull);
      if (isNull) { row.emplace_back(); continue; }
      const unsigned char* p = buf + c.offset;
      switch (c.type) {
        case SQL_INT64: {
          ISC_INT64 n; std::memcpy(&n, p, sizeof n);
          if (c.scale < 0) row.emplace_back(ScaledToCurrency(n, c.scale));
          else {
            for (int s = 0; s < c.scale; ++s) n *= 10;
            row.emplace_back(static_cast<long long>(n));
          }
          break;
        }
        case SQL_DOUBLE: { double d; std::memcpy(&d, p, sizeof d); row.emplace_back(d); break; }
        case SQL_VARYING: {
          ISC_USHORT len; std::memcpy(&len, p, sizeof len);
          row.emplace_back(std::string(reinterpret_cast<const char*>(p) + sizeof len, len));
          break;
        }
        case SQL_TEXT: {
          std::string s(reinterpret_cast<const char*>(p), c.length);
          while (!s.empty() && s.back() == ' ') s.pop_back();
          row.emplace_back(std::move(s));
          break;
        }
        case SQL_BLOB: { ISC_QUAD id; std::memcpy(&id, p, sizeof id); row.push_back(ReadBlob(db, tra, id)); break; }
        case SQL_TYPE_DATE: {
          ISC_DATE d; std::memcpy(&d, p, sizeof d);
          row.emplace_back(TDateTime(static_cast<double>(static_cast<long long>(d) - kDateOffset)));
          break;
        }
        case SQL_TIMESTAMP: {
          ISC_TIMESTAMP ts; std::memcpy(&ts, p, sizeof ts);
          double v = static_cast<double>(static_cast<long long>(ts.timestamp_date) - kDateOffset) +
                     ts.timestamp_time / kTimeUnitsPerDay;
          row.emplace_back(TDateTime(v));
          break;
        }
        case SQL_TYPE_TIME: { ISC_TIME t; std::memcpy(&t, p, sizeof t); row.emplace_back(TDateTime(t / kTimeUnitsPerDay)); break; }
        case SQL_BOOLEAN: row.emplace_back(*p != 0); break;
        default: row.emplace_back(); break;
      }
    }
    return row;
  }

  // Binds and executes a statement without a cursor in tra.
  void Exec(TDatabase::Impl& db, fb::ITransaction* tra, const TParams& params, const std::string& sql) {
    Bind(db, tra, params, sql);
    stmt->execute(&db.st, tra, inMeta, inCount ? inBuf.data() : nullptr, outMeta, outMeta ? outBuf.data() : nullptr);
  }

  // The same, answering its returned row; an UPDATE/DELETE ... RETURNING that touched no row answers
  // nulls, which is no row.
  std::vector<Variant> ExecReturning(TDatabase::Impl& db, fb::ITransaction* tra, const TParams& params,
                                     const std::string& sql) {
    Exec(db, tra, params, sql);
    if (!outMeta) return {};
    std::vector<Variant> row = DecodeRow(db, tra);
    if (searchedDml && stmt->getAffectedRecords(&db.st) == 0) return {};
    return row;
  }
};

// ---------------------------------------------------------------------------------------------
TTransaction::TTransaction(TDatabase& db) : db_(db) {
  db_.StartTransaction();
  active_ = true;
}

TTransaction::TTransaction(TDatabase& db, TSemEspera) : db_(db) {
  db_.StartTransactionSemEspera();
  active_ = true;
}

TTransaction::TTransaction(TDatabase& db, TJuntaAberta) : db_(db) {
  if (db_.InTransaction()) {
    joined_ = true;
    return;
  }
  db_.StartTransaction();
  active_ = true;
}

TTransaction::~TTransaction() {
  if (!active_) return;
  try {
    db_.Rollback();
  } catch (...) {
    // a destructor must not throw; the attachment drops the transaction with it
  }
}

void TTransaction::Commit() {
  if (joined_) return;
  if (!active_) throw EDatabaseError("A transação não está aberta.");
  db_.Commit();
  active_ = false;
}

void TTransaction::CommitRetaining() {
  if (joined_) return;
  if (!active_) throw EDatabaseError("A transação não está aberta.");
  db_.CommitRetaining();
}

void TTransaction::Rollback() {
  if (!active_) return;
  active_ = false;
  db_.Rollback();
}

// ---------------------------------------------------------------------------------------------
TDatabase::TDatabase() : impl_(std::make_unique<Impl>(*this)) {}

TDatabase::~TDatabase() {
  try {
    Close();
  } catch (...) {
  }
}

namespace {

std::string EnvOr(const char* name, const std::string& given, const std::string& fallback) {
  if (!given.empty()) return given;
  const char* v = std::getenv(name);
  return (v && *v) ? v : fallback;
}

}  // namespace

void TDatabase::Open(const std::string& connection, const std::string& user, const std::string& password) {
  Close();
  bool remote = IsRemoteConnection(connection);
  if (!remote && !std::filesystem::exists(connection))
    throw EDatabaseError("Banco de dados não encontrado: " + connection);
  auto& st = impl_->st;
  fb::IXpbBuilder* dpb = nullptr;
  try {
    dpb = Util()->getXpbBuilder(&st, fb::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, EnvOr("ISC_USER", user, "SYSDBA").c_str());
    std::string pw = EnvOr("ISC_PASSWORD", password, remote ? "masterkey" : "");
    if (!pw.empty()) dpb->insertString(&st, isc_dpb_password, pw.c_str());
    dpb->insertString(&st, isc_dpb_lc_ctype, "UTF8");
    if (!impl_->provider) impl_->provider = Master()->getDispatcher();
    impl_->att = impl_->provider->attachDatabase(&st, connection.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    dpb->dispose();
  } catch (const fb::FbException& e) {
    if (dpb) dpb->dispose();
    char buf[2048];
    Util()->formatStatus(buf, sizeof buf, e.getStatus());
    const intptr_t* v = e.getStatus()->getErrors();
    // An embedded database belongs to the first process that opens it; the engine's own words for
    // that name no way out.
    if (!remote && StatusHasCode(v, isc_already_opened))
      throw EDatabaseError(fmt::format("O banco de dados {} já está aberto por outro programa. Várias estações de "
                                       "trabalho precisam de um servidor Firebird: abra-o como host:caminho "
                                       "(por exemplo localhost:{}).",
                                       connection, std::filesystem::absolute(connection).string()),
                           {}, isc_already_opened);
    throw EDatabaseError(fmt::format("Não foi possível abrir o banco de dados {}: {}", connection, buf), {},
                         v[0] == isc_arg_gds ? static_cast<long>(v[1]) : 0);
  }
  connection_ = connection;
  ++generation_;
  // A new attachment holds no context of ours.
  impl_->sent.clear();
  impl_->contextPending = impl_->ContextDiffers();
}

void TDatabase::Close() {
  if (!impl_->att) return;
  ++generation_;
  impl_->prepared.clear();
  auto& st = impl_->st;
  if (impl_->tra) {
    impl_->RollbackQuiet(impl_->tra);
    impl_->tra = nullptr;
  }
  transacao_ = 0;
  try {
    impl_->att->detach(&st);
  } catch (const fb::FbException&) {
    impl_->att->release();
  }
  impl_->att = nullptr;
  if (impl_->provider) {
    impl_->provider->release();
    impl_->provider = nullptr;
  }
}

bool TDatabase::Connected() const { return impl_->att != nullptr; }

std::unique_ptr<TDatabase> TDatabase::Create(const std::string& connection, const std::string& user,
                                             const std::string& password, int pageSize) {
  bool remote = IsRemoteConnection(connection);
  {
    Status st;
    fb::IProvider* provider = Master()->getDispatcher();
    fb::IXpbBuilder* dpb = nullptr;
    try {
      dpb = Util()->getXpbBuilder(&st, fb::IXpbBuilder::DPB, nullptr, 0);
      dpb->insertString(&st, isc_dpb_user_name, EnvOr("ISC_USER", user, "SYSDBA").c_str());
      std::string pw = EnvOr("ISC_PASSWORD", password, remote ? "masterkey" : "");
      if (!pw.empty()) dpb->insertString(&st, isc_dpb_password, pw.c_str());
      dpb->insertInt(&st, isc_dpb_page_size, std::max(pageSize, 8192));
      dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
      dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
      fb::IAttachment* att =
          provider->createDatabase(&st, connection.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
      dpb->dispose();
      dpb = nullptr;
      fb::ITransaction* tra = att->startTransaction(&st, 0, nullptr);
      const char* ddl = "ALTER CHARACTER SET WIN1252 SET DEFAULT COLLATION WIN_PTBR";
      att->execute(&st, tra, 0, ddl, kDialect, nullptr, nullptr, nullptr, nullptr);
      tra->commit(&st);
      att->detach(&st);
      provider->release();
    } catch (const fb::FbException& e) {
      if (dpb) dpb->dispose();
      provider->release();
      char buf[2048];
      Util()->formatStatus(buf, sizeof buf, e.getStatus());
      throw EDatabaseError(fmt::format("Não foi possível criar o banco de dados {}: {}", connection, buf));
    }
  }
  auto db = std::make_unique<TDatabase>();
  db->Open(connection, user, password);
  return db;
}

void TDatabase::StartTransaction() {
  impl_->CheckOpen();
  if (impl_->tra) throw EDatabaseError("Já existe uma transação aberta neste banco de dados.");
  try {
    impl_->tra = impl_->Start();
    transacao_ = ++transacoes_;
  } catch (const fb::FbException& e) {
    Raise(e, {});
  }
}

void TDatabase::StartTransactionSemEspera() {
  impl_->CheckOpen();
  if (impl_->tra) throw EDatabaseError("Já existe uma transação aberta neste banco de dados.");
  try {
    impl_->tra = impl_->Start(&kTpbEscritaSemEspera);
    transacao_ = ++transacoes_;
  } catch (const fb::FbException& e) {
    Raise(e, {});
  }
}

void TDatabase::Commit() {
  if (!impl_->tra) throw EDatabaseError("Não há transação aberta para confirmar.");
  try {
    transacao_ = 0;
    impl_->tra->commit(&impl_->st);
    impl_->tra = nullptr;
  } catch (const fb::FbException& e) {
    // a commit that fails leaves nothing half-written: undo and report
    impl_->RollbackQuiet(impl_->tra);
    impl_->tra = nullptr;
    Raise(e, {});
  }
}

void TDatabase::CommitRetaining() {
  if (!impl_->tra) throw EDatabaseError("Não há transação aberta para confirmar.");
  try {
    impl_->tra->commitRetaining(&impl_->st);
    transacao_ = ++transacoes_;
  } catch (const fb::FbException& e) {
    Raise(e, {});
  }
}

void TDatabase::Rollback() {
  if (!impl_->tra) return;
  fb::ITransaction* t = impl_->tra;
  impl_->tra = nullptr;
  transacao_ = 0;
  try {
    t->rollback(&impl_->st);
  } catch (const fb::FbException& e) {
    t->release();
    Raise(e, {});
  }
}

bool TDatabase::InTransaction() const { return impl_->tra != nullptr; }

std::unique_ptr<TStatement> TDatabase::Prepare(const std::string& sql) {
  std::unique_ptr<TStatement> s(new TStatement(*this, CleanSQL(sql)));
  impl_->InTx(s->sql_, [&](fb::ITransaction* tra) { s->impl_->Prepare(*impl_, tra, s->sql_); });
  return s;
}

TStatement& TDatabase::Prepared(const std::string& sql) {
  auto it = impl_->prepared.find(sql);
  if (it != impl_->prepared.end()) return *it->second;
  auto s = Prepare(sql);
  TStatement& ref = *s;
  impl_->prepared.emplace(sql, std::move(s));
  return ref;
}

int64_t TDatabase::Execute(const std::string& sql, const TParams& params) {
  return Prepare(sql)->Execute(params);
}

std::vector<Variant> TDatabase::ExecuteReturning(const std::string& sql, const TParams& params) {
  return Prepare(sql)->ExecuteReturning(params);
}

std::vector<Variant> TDatabase::ExecuteReturningAutonomous(const std::string& sql, const TParams& params) {
  return Prepared(sql).ExecuteReturningAutonomous(params);
}

void TDatabase::Query(const std::string& sql, const TParams& params, const TRowCallback& onRow,
                      std::vector<TColumnInfo>* columns) {
  Prepare(sql)->Query(params, onRow, columns);
}

TQueryResult TDatabase::QueryAll(const std::string& sql, const TParams& params) {
  TQueryResult r;
  Query(sql, params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) { r.Rows.push_back(row); },
        &r.Columns);
  return r;
}

Variant TDatabase::QueryValue(const std::string& sql, const TParams& params) { return Prepare(sql)->QueryValue(params); }

bool TDatabase::MeetsUncommittedChange(const std::string& sql, const TParams& params) {
  return Prepared(sql).MeetsUncommittedChange(params);
}

void TDatabase::QueryInto(TClientDataSet& ds, const std::string& sql, const TParams& params) {
  // Rows loaded into a table-bound object are the table's own: never written back.
  auto* dao = dynamic_cast<TDAOFactory*>(&ds);
  struct Loading {
    TDAOFactory* d;
    explicit Loading(TDAOFactory* p) : d(p) { if (d) ++d->loading_; }
    ~Loading() { if (d) --d->loading_; }
  } loading(dao);
  auto s = Prepare(sql);
  DefineFields(ds, s->Columns());
  {
    TDisabledControls controles(ds);
    TBulkLoad lote(ds);   // the details follow the loaded rows once, not row by row
    s->Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) { ds.AppendRecord(row); });
  }
  // What was read is the database's state, not rows to insert.
  ds.MergeChangeLog();
  ds.First();
}

void DefineFields(TClientDataSet& ds, const std::vector<TColumnInfo>& columns) {
  ds.Close();
  ds.ClearFieldDefs();
  for (const TColumnInfo& c : columns) ds.AddFieldDef(c.Name, c.DataType, c.Size);
  ds.CreateDataSet();
}

TScriptResult TDatabase::ExecuteScript(const std::vector<std::string>& statements) {
  TScriptResult result;
  impl_->BeforeStatement();
  auto& st = impl_->st;
  auto Exec = [&](fb::ITransaction* tr, const char* sql) {
    impl_->att->execute(&st, tr, 0, sql, kDialect, nullptr, nullptr, nullptr, nullptr);
  };
  const bool own = impl_->tra == nullptr;
  fb::ITransaction* t = impl_->tra;
  int index = -1;
  try {
    if (own) t = impl_->Start();
    else Exec(t, "SAVEPOINT VYN_SCRIPT");
  } catch (const fb::FbException& e) {
    Raise(e, {});
  }
  try {
    for (const std::string& raw : statements) {
      ++index;
      std::string sql = CleanSQL(raw);
      if (sql.empty()) continue;
      std::string unfit = FindUnfitLiteral(sql);
      if (!unfit.empty()) {
        result.Error = NotWin1252Message(unfit);
        break;
      }
      impl_->att->execute(&st, t, 0, sql.c_str(), kDialect, nullptr, nullptr, nullptr, nullptr);
    }
    if (result.Error.empty()) {
      if (own) t->commit(&st);
      else Exec(t, "RELEASE SAVEPOINT VYN_SCRIPT");
      return result;
    }
  } catch (const fb::FbException& e) {
    char buf[4096];
    Util()->formatStatus(buf, sizeof buf, e.getStatus());
    result.Error = buf;
  }
  result.FailedIndex = index;
  result.FailedStatement = index >= 0 && index < static_cast<int>(statements.size()) ? statements[index] : "";
  if (own) {
    impl_->RollbackQuiet(t);
  } else {
    try {
      Exec(t, "ROLLBACK TO SAVEPOINT VYN_SCRIPT");
      Exec(t, "RELEASE SAVEPOINT VYN_SCRIPT");
    } catch (const fb::FbException&) {
      // the transaction is unusable: drop it rather than commit a half script later
      Rollback();
    }
  }
  return result;
}

void TDatabase::ExecuteScriptOrThrow(const std::vector<std::string>& statements) {
  TScriptResult r = ExecuteScript(statements);
  if (!r.Ok())
    throw EDatabaseError(fmt::format("Erro no comando {} do script: {}\nComando: {}", r.FailedIndex + 1, r.Error,
                                     ShortSQL(r.FailedStatement)),
                         r.FailedStatement);
}

void TDatabase::SetSessionReferencia(int yyyymm) {
  referencia_ = yyyymm;
  SetSessionContext("REFERENCIA", std::to_string(yyyymm));
}

void TDatabase::SetSessionContext(const std::string& name, std::optional<std::string> value) {
  Impl& d = *impl_;
  d.context[name] = std::move(value);
  d.contextPending = d.ContextDiffers();
}

std::optional<std::string> TDatabase::SessionContext(const std::string& name) const {
  const auto it = impl_->context.find(name);
  return it == impl_->context.end() ? std::nullopt : it->second;
}

TSessionContextScope::TSessionContextScope(TDatabase& db, std::string name, std::optional<std::string> value)
    : db_(db), name_(std::move(name)), before_(db.SessionContext(name_)) {
  db_.SetSessionContext(name_, std::move(value));
}

void TDatabase::SendSessionContext() {
  Impl& d = *impl_;
  struct TEnviando {
    bool& enviando;
    explicit TEnviando(bool& b) : enviando(b) { enviando = true; }
    ~TEnviando() { enviando = false; }
  } enviando(d.sendingContext);
  TStatement& set = Prepared(
      "EXECUTE BLOCK (N VARCHAR(80) = ?, V VARCHAR(255) = ?) AS DECLARE R INTEGER; "
      "BEGIN R = RDB$SET_CONTEXT('USER_SESSION', :N, :V); END");
  for (const auto& [name, value] : d.context) {
    if (d.Holds(name, value)) continue;
    set.Run({Variant(name), value ? Variant(*value) : Variant()});
    d.sent[name] = value;
  }
  d.contextPending = false;
}

namespace {
// The names a catalogue query answers for one table (its only parameter), in the query's order.
std::vector<std::string> NamesOf(TDatabase& db, const char* sql, const std::string& table) {
  std::vector<std::string> names;
  db.Query(sql, {Variant(UpperCase(table))},
           [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) { names.push_back(row[0].AsString()); });
  return names;
}
}  // namespace

std::vector<std::string> TDatabase::PrimaryKey(const std::string& table) {
  return NamesOf(*this,
                 "SELECT TRIM(S.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS RC "
                 "JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
                 "WHERE RC.RDB$RELATION_NAME = ? AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' ORDER BY S.RDB$FIELD_POSITION",
                 table);
}

std::vector<std::string> TDatabase::TableColumns(const std::string& table) {
  return NamesOf(*this,
                 "SELECT TRIM(RF.RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS RF "
                 "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                 "WHERE RF.RDB$RELATION_NAME = ? AND F.RDB$COMPUTED_BLR IS NULL ORDER BY RF.RDB$FIELD_POSITION",
                 table);
}

void TDatabase::CreateTableIfMissing(const std::string& table, const std::string& ddl) {
  if (TableExists(table)) return;
  try {
    Execute(ddl);
  } catch (const EDatabaseError&) {
    if (!TableExists(table)) throw;
  }
}

bool TDatabase::TableExists(const std::string& table) {
  return !QueryValue("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?", {Variant(UpperCase(table))}).IsNull();
}

// ---------------------------------------------------------------------------------------------
TStatement::TStatement(TDatabase& db, std::string sql)
    : db_(db), sql_(std::move(sql)), impl_(std::make_unique<Impl>()) {}

TStatement::~TStatement() = default;

const std::vector<TColumnInfo>& TStatement::Columns() const { return impl_->columns; }

void TStatement::Run(const TParams& params) {
  auto& db = *db_.impl_;
  if (impl_->hasCursor) {
    Execute(params);
    return;
  }
  db.InTx(sql_, [&](fb::ITransaction* tra) { impl_->Exec(db, tra, params, sql_); });
}

int64_t TStatement::Execute(const TParams& params) {
  auto& db = *db_.impl_;
  if (impl_->hasCursor) {
    int64_t n = 0;
    Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>&) { ++n; });
    return n;
  }
  return db.InTx(sql_, [&](fb::ITransaction* tra) -> int64_t {
    impl_->Exec(db, tra, params, sql_);
    return static_cast<int64_t>(impl_->stmt->getAffectedRecords(&db.st));
  });
}

std::vector<Variant> TStatement::ExecuteReturningAutonomous(const TParams& params) {
  auto& db = *db_.impl_;
  return db.InTx(
      sql_, [&](fb::ITransaction* tra) { return impl_->ExecReturning(db, tra, params, sql_); }, true);
}

std::vector<Variant> TStatement::ExecuteReturning(const TParams& params) {
  auto& db = *db_.impl_;
  if (impl_->hasCursor) {
    std::vector<Variant> first;
    bool got = false;
    Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
      if (!got) first = row;
      got = true;
    });
    return first;
  }
  return db.InTx(sql_, [&](fb::ITransaction* tra) { return impl_->ExecReturning(db, tra, params, sql_); });
}

Variant TStatement::QueryValue(const TParams& params) {
  Variant v;
  bool first = true;
  Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
    if (first && !row.empty()) v = row[0];
    first = false;
  });
  return v;
}

bool TStatement::MeetsUncommittedChange(const TParams& params) {
  auto& db = *db_.impl_;
  if (!impl_->hasCursor) throw EDatabaseError("Só uma consulta pode procurar alterações não confirmadas.", sql_);
  try {
    db.InTx(
        sql_,
        [&](fb::ITransaction* tra) {
          impl_->Bind(db, tra, params, sql_);
          fb::IResultSet* rs = impl_->stmt->openCursor(&db.st, tra, impl_->inMeta,
                                                       impl_->inCount ? impl_->inBuf.data() : nullptr, impl_->outMeta, 0);
          try {
            while (rs->fetchNext(&db.st, impl_->outBuf.data()) == fb::IStatus::RESULT_OK) {
            }
            rs->close(&db.st);
          } catch (...) {
            rs->release();
            throw;
          }
        },
        true, &kTpbSemEspera);
    return false;
  } catch (const EDatabaseError& e) {
    if (e.IsLockConflict()) return true;
    throw;
  }
}

void TStatement::Query(const TParams& params, const TRowCallback& onRow, std::vector<TColumnInfo>* columns) {
  auto& db = *db_.impl_;
  if (columns) *columns = impl_->columns;
  if (!impl_->hasCursor) {
    std::vector<Variant> row = ExecuteReturning(params);
    if (!row.empty()) onRow(impl_->columns, row);
    return;
  }
  db.InTx(sql_, [&](fb::ITransaction* tra) {
    impl_->Bind(db, tra, params, sql_);
    fb::IResultSet* rs = impl_->stmt->openCursor(&db.st, tra, impl_->inMeta,
                                                 impl_->inCount ? impl_->inBuf.data() : nullptr, impl_->outMeta, 0);
    try {
      while (rs->fetchNext(&db.st, impl_->outBuf.data()) == fb::IStatus::RESULT_OK) {
        VerificaInterrupcao();
        onRow(impl_->columns, impl_->DecodeRow(db, tra));
      }
      rs->close(&db.st);
    } catch (...) {
      rs->release();
      throw;
    }
  });
}

}  // namespace vyn
