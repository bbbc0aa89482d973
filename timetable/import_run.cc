#include "timetable/import_run.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "tables/table.h"
#include "timetable/horario_record.h"
#include "timetable/period_index.h"
#include "transfer/Clipper.h"
#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/first_by_key.h"
#include "transfer/transfer_file.h"

namespace tpd {

namespace {


// The centre code is columns 52-59 of the subjects file's header record, taken as it stands.
constexpr int kCentreColumn = 52;

std::u16string CentreCode(const std::u16string& dirTxt) {
  std::u16string centre;
  ForEachLineOfWholeFile(dirTxt + u"druv_asignat.txt", [&](std::u16string_view line) {
    if (line.empty() || line[0] != u'0') return true;
    centre = Copy(line, kCentreColumn, kCentreWidth);
    return false;
  });
  return centre;
}

// What one SOLUC value puts into a data record: its field as the line holds it, what follows the
// room (the subject's suffix), both in the timetable file's bytes, and whether it fell back for
// want of a match.
struct Piece {
  std::string bytes;
  std::string tail;
  bool fell_back = false;
};

// What the entries make of one kind of value (the group, say), kept by the stored bytes of the
// SOLUC fields it is made from. The tables are only read while the run lasts, so equal bytes
// (which read as equal values) make the same thing every time: SOLUC's many entries for the same
// group, subject or room decode, locate and format each value once. What fails to be made keeps
// nothing, and fails again at the next entry that needs it, with that entry's row.
template <typename Value, size_t N>
class KeptByBytes {
 public:
  explicit KeptByBytes(const std::array<std::u16string_view, N>& fields) : fields_(fields) {}

  // Takes the value of the current row's fields from `row`, its bytes (Table::RowBytes), and
  // starts bringing in what Get will read. A field that the table lacks is left for Get, so that
  // its error comes where reading the fields one by one would raise it.
  void Prepare(const Table& soluc, std::string_view row) {
    prepared_ = false;
    if (!places_) {
      try {
        std::array<Table::Place, N> places;
        for (size_t i = 0; i < N; ++i) {
          places[i] = soluc.FieldPlace(soluc.FieldPosition(fields_[i]));
        }
        places_ = places;
      } catch (const Error&) {
        return;
      }
    }
    if (row.empty()) {
      key_ = {};
    } else if constexpr (N == 1) {
      key_ = row.substr((*places_)[0].offset, (*places_)[0].length);  // valid until the row moves
    } else {
      // Each field has one width in a table, so the bytes side by side tell the values apart.
      joined_.clear();
      for (const Table::Place& place : *places_) joined_ += row.substr(place.offset, place.length);
      key_ = joined_;
    }
    prepared_ = true;
    hash_ = made_.HashOf(key_);
    made_.Prefetch(hash_);
  }

  // What the value taken by Prepare made, made now by `make` if it is new. `make` reads SOLUC's
  // current row and other tables, and leaves the row where it is.
  template <typename Make>
  const Value& Get(Make&& make) {
    if (!prepared_) return Unkept(make);
    return made_.FindOrAdd(key_, hash_, make);
  }

 private:
  // For a value that could not be taken: `make` reads the missing field and fails.
  template <typename Make>
  const Value& Unkept(Make& make) {
    unkept_ = make();
    return unkept_;
  }

  const std::array<std::u16string_view, N> fields_;
  std::optional<std::array<Table::Place, N>> places_;  // of the fields in SOLUC's rows, once found
  std::string joined_;      // the bytes of several fields, side by side
  std::string_view key_;    // the current row's key
  std::uint64_t hash_ = 0;  // of key_
  bool prepared_ = false;
  FirstByKey<Value, char> made_;
  Value unkept_{};
};

// The fields of the first row of `table` whose `key` field holds `value`, or nothing.
std::optional<std::array<std::u16string, 2>> LookUp(Table& table, std::u16string_view key,
                                                    const std::u16string& value,
                                                    std::u16string_view field,
                                                    std::u16string_view second_field = {}) {
  if (!table.Locate(key, {value})) return std::nullopt;
  std::array<std::u16string, 2> found;
  found[0] = table.AsText(field);
  if (!second_field.empty()) found[1] = table.AsText(second_field);
  return found;
}

// A field of `width` holding `value` (see PutField), in the timetable file's bytes.
std::string Padded(std::u16string_view value, int width) {
  std::u16string text;
  PutField(text, value, width);
  return EncodeAnsi(text);
}

// The code that `table` has for a SOLUC code (its `key` field holding it), as the line holds it;
// an entry whose code is not in the table keeps its own, cut to the field.
Piece CodeOrOwn(Table& table, std::u16string_view key, const std::u16string& value, int width) {
  const auto found = LookUp(table, key, value, key);
  if (found) return {Padded((*found)[0], width), {}, false};
  return {Padded(Copy(value, 1, width), width), {}, true};
}

// The session code and the day letter of the current SOLUC row. The periods are read at the first
// entry that needs them, so that a SOLUC without entries never reads DIASHORAST.
Piece PeriodAndDay(Components& c, std::optional<PeriodIndex>& periods) {
  Table& soluc = c.wwTableSoluc;
  const std::u16string hora = soluc.AsText(u"HORA");
  const std::u16string dia = soluc.AsText(u"DIA");
  const std::u16string marco = soluc.AsText(u"MARCO").substr(0, 1);
  if (!periods) periods.emplace(c.wwTableTramos);
  const std::u16string period = periods->Find(dia, hora, marco);
  return {Padded(period, kPeriodWidth) + Padded(DayLetter(dia), kDayWidth), {}, period.empty()};
}

// The teacher's code as SOLUC has it.
Piece Teacher(const Table& soluc) {
  return {Padded(soluc.AsText(u"PROF"), kTeacherWidth), {}, false};
}

Piece Group(Components& c) {
  return CodeOrOwn(c.wwTableGrupos, u"ABREV", c.wwTableSoluc.AsText(u"CODGRUPO"), kGroupWidth);
}

Piece Room(Components& c) {
  return CodeOrOwn(c.wwTableAulas, u"ABREV", c.wwTableSoluc.AsText(u"AULA"), kRoomWidth);
}

Piece Task(Components& c) {
  const auto found = LookUp(c.wwTableNomAsg, u"COD", c.wwTableSoluc.AsText(u"TAREA"), u"CODTAREA");
  if (found) return {Padded((*found)[0], kTaskWidth), {}, false};
  return {Padded(u"LEC", kTaskWidth), {}, true};
}

// A subject that is not in ASIGNOMT gets a blank field and no suffix: no DRUV code is made up.
Piece Subject(Components& c) {
  const auto found =
      LookUp(c.wwTableNomAsg, u"COD", c.wwTableSoluc.AsText(u"ASIG"), u"CODDRUV", u"CODIDIDRUV");
  if (!found) return {Padded(u"", kSubjectWidth), {}, true};
  return {Padded((*found)[0], kSubjectWidth), EncodeAnsi(SuffixPart((*found)[0], (*found)[1])),
          false};
}

// What the data records are made of, kind by kind.
struct RecordPieces {
  KeptByBytes<bool, 1> day_zero{{u"DIA"}};  // an entry that is not placed
  KeptByBytes<Piece, 3> period_and_day{{u"HORA", u"DIA", u"MARCO"}};
  KeptByBytes<Piece, 1> teacher{{u"PROF"}};
  KeptByBytes<Piece, 1> group{{u"CODGRUPO"}};
  KeptByBytes<Piece, 1> task{{u"TAREA"}};
  KeptByBytes<Piece, 1> subject{{u"ASIG"}};
  KeptByBytes<Piece, 1> room{{u"AULA"}};
  std::optional<PeriodIndex> periods;
};

// Copies `n` bytes without a call to memcpy: the pieces of a record are a few bytes each, and a
// record is made of seven of them.
inline void CopyFew(char* to, const char* from, std::size_t n) {
  auto eight = [](char* t, const char* f) {
    std::uint64_t word;
    std::memcpy(&word, f, 8);
    std::memcpy(t, &word, 8);
  };
  if (n >= 8) {
    const char* const from_end = from + n;
    char* const to_end = to + n;
    for (; from + 8 < from_end; from += 8, to += 8) eight(to, from);
    eight(to_end - 8, from_end - 8);  // the last eight, overlapping what was copied
  } else if (n >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, from, 4);
    std::memcpy(&last, from + n - 4, 4);
    std::memcpy(to, &first, 4);
    std::memcpy(to + n - 4, &last, 4);
  } else if (n > 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// The data record for the current row of SOLUC, whose DIA is not 0, in the timetable file's bytes
// and ended as a line of it; made in `buffer`, and valid until the next record. The values of
// every piece are taken first, so that the waits for memory of their look-ups overlap; the pieces
// are then made in the order of the record, each reading its fields as it is made, so that a
// field that cannot be read stops the run where reading the fields one by one would.
std::string_view DataRecord(Components& c, RecordPieces& p, std::string& buffer,
                            RunCounters* counters) {
  Table& soluc = c.wwTableSoluc;
  auto counted = [&](const Piece& piece, PassedOver fell_back) -> const Piece& {
    if (piece.fell_back) CountPassedOver(counters, kHorarioName, fell_back);
    return piece;
  };
  const std::string_view row = soluc.RowBytes();
  p.period_and_day.Prepare(soluc, row);
  p.teacher.Prepare(soluc, row);
  p.group.Prepare(soluc, row);
  p.task.Prepare(soluc, row);
  p.subject.Prepare(soluc, row);
  p.room.Prepare(soluc, row);
  const Piece& period_and_day =
      counted(p.period_and_day.Get([&] { return PeriodAndDay(c, p.periods); }),
              PassedOver::kPeriodFallback);
  const Piece& teacher = p.teacher.Get([&] { return Teacher(soluc); });
  const Piece& group = counted(p.group.Get([&] { return Group(c); }), PassedOver::kGroupFallback);
  const Piece& task = counted(p.task.Get([&] { return Task(c); }), PassedOver::kTaskFallback);
  const Piece& subject =
      counted(p.subject.Get([&] { return Subject(c); }), PassedOver::kSubjectFallback);
  const Piece& room = counted(p.room.Get([&] { return Room(c); }), PassedOver::kRoomFallback);

  const std::string_view parts[] = {"1",          period_and_day.bytes, teacher.bytes,
                                    group.bytes,  task.bytes,           subject.bytes,
                                    room.bytes,   subject.tail,         LineWriter::kLineEnd};
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  if (buffer.size() < size) buffer.resize(size);
  char* at = buffer.data();
  for (std::string_view part : parts) {
    CopyFew(at, part.data(), part.size());
    at += part.size();
  }
  return {buffer.data(), size};
}

}  // namespace

void ImportTimetable(const ImportContext& ctx) {
  const std::u16string centre = CentreCode(ctx.dirTxt);

  // Lines go to the temporary file as they are made; DRUV_HORARIO.TXT itself is replaced only at
  // the commit, after the tables are closed and the trailer is written.
  LineWriter out(ctx.dirTxt + std::u16string(kHorarioName));
  out.Add(HeaderRecord(centre, ctx.clock()));

  long long records = 0;
  {
    // Components left open by an error are released as `c` goes out of scope.
    Components c(ctx.table_folder);
    Table* const in_order[] = {&c.wwTableSoluc, &c.wwTableGrupos, &c.wwTableProfesor,
                               &c.wwTableAulas, &c.wwTableNomAsg, &c.wwTableTramos};
    for (Table* table : in_order) table->Open(Share::kExclusive, Access::kReadOnly);

    RecordPieces pieces;
    std::string line;
    Table& soluc = c.wwTableSoluc;
    for (soluc.First(); !soluc.Eof(); soluc.Next()) {
      // DIA may be a number or a text field: the timetabler chooses. An entry with day 0 (or
      // none) is not placed; a text that is no whole number stops the run with the row named.
      pieces.day_zero.Prepare(soluc, soluc.RowBytes());
      if (pieces.day_zero.Get([&] { return soluc.AsInteger(u"DIA") == 0; })) {
        CountPassedOver(ctx.counters, kHorarioName, PassedOver::kDayZero);
        continue;
      }
      out.AddEncodedLine(DataRecord(c, pieces, line, ctx.counters));
      ++records;
    }

    for (Table* table : in_order) table->Close();
  }

  out.Add(TrailerRecord(centre, ctx.clock(), records));
  out.Commit();
  // Counted only once the file is in place: a run that stops writes nothing.
  CountRows(ctx.counters, kHorarioName, records);
}

}  // namespace tpd
