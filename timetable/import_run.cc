#include "timetable/import_run.h"

#include <array>
#include <optional>

#include "tables/table.h"
#include "timetable/horario_record.h"
#include "timetable/period_index.h"
#include "transfer/Clipper.h"
#include "transfer/first_by_key.h"
#include "transfer/transfer_file.h"

namespace tpd {

namespace {

using tables::Access;
using tables::Share;
using tables::Table;

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

// One look-up of the run: locating a value in a key field of a table and reading one or two
// fields of the row found. The tables are only read while the run lasts, so a value finds the same
// row every time: what it found is kept, and SOLUC's many entries for the same group, subject or
// room locate each value once. A field that cannot be read keeps nothing and fails again at the
// next entry that needs it.
class LookUp {
 public:
  using Found = std::optional<std::array<std::u16string, 2>>;

  LookUp(Table& table, std::u16string_view key, std::u16string_view field,
         std::u16string_view second_field = {})
      : table_(table), key_(key), fields_{field, second_field} {}

  // The fields of the first row whose key is `value`; nothing when no row has it.
  const Found& Find(const std::u16string& value) {
    if (const Found* known = found_.Find(value)) return *known;
    found_.AddIfNew(value, [&] {
      Found found;
      if (table_.Locate(key_, {value})) {
        found.emplace();
        for (size_t i = 0; i < fields_.size(); ++i) {
          if (!fields_[i].empty()) (*found)[i] = table_.AsText(fields_[i]);
        }
      }
      return found;
    });
    return *found_.Find(value);
  }

 private:
  Table& table_;
  std::u16string_view key_;
  std::array<std::u16string_view, 2> fields_;
  FirstByKey<Found> found_;
};

// The look-ups of the data records.
struct LookUps {
  explicit LookUps(tables::Components& c)
      : group(c.wwTableGrupos, u"ABREV", u"ABREV"),
        task(c.wwTableNomAsg, u"COD", u"CODTAREA"),
        subject(c.wwTableNomAsg, u"COD", u"CODDRUV", u"CODIDIDRUV"),
        room(c.wwTableAulas, u"ABREV", u"ABREV") {}
  LookUp group, task, subject, room;
};

// The code that `look_up` finds for `value`; `fallback` when no row has it.
std::u16string FoundOr(LookUp& look_up, const std::u16string& value, std::u16string fallback,
                       RunCounters* counters, PassedOver fell_back) {
  const LookUp::Found& found = look_up.Find(value);
  if (found) return (*found)[0];
  CountPassedOver(counters, kHorarioName, fell_back);
  return fallback;
}

// One data record for the current row of SOLUC, whose DIA is not 0.
std::u16string DataRecord(tables::Components& c, LookUps& look_ups,
                          std::optional<PeriodIndex>& periods, RunCounters* counters) {
  Table& soluc = c.wwTableSoluc;
  std::u16string hora = soluc.AsText(u"HORA");
  std::u16string dia = soluc.AsText(u"DIA");
  std::u16string marco = soluc.AsText(u"MARCO").substr(0, 1);
  // Built at the first entry that needs it, so that a SOLUC without entries never reads it.
  if (!periods) periods.emplace(c.wwTableTramos);

  std::u16string line = u"1";
  const std::u16string period = periods->Find(dia, hora, marco);
  if (period.empty()) CountPassedOver(counters, kHorarioName, PassedOver::kPeriodFallback);
  PutField(line, period, kPeriodWidth);
  PutField(line, DayLetter(dia), kDayWidth);
  PutField(line, soluc.AsText(u"PROF"), kTeacherWidth);

  // An entry whose group or room is not in the tables keeps its own code, cut to the field.
  std::u16string group = soluc.AsText(u"CODGRUPO");
  PutField(line,
           FoundOr(look_ups.group, group, Copy(group, 1, kGroupWidth), counters,
                   PassedOver::kGroupFallback),
           kGroupWidth);

  PutField(line,
           FoundOr(look_ups.task, soluc.AsText(u"TAREA"), u"LEC", counters,
                   PassedOver::kTaskFallback),
           kTaskWidth);

  // A subject that is not in ASIGNOMT gets a blank field and no suffix: no DRUV code is made up.
  std::u16string subject;
  std::u16string suffix;
  const LookUp::Found& found = look_ups.subject.Find(soluc.AsText(u"ASIG"));
  if (found) {
    subject = (*found)[0];
    suffix = SuffixPart(subject, (*found)[1]);
  } else {
    CountPassedOver(counters, kHorarioName, PassedOver::kSubjectFallback);
  }
  PutField(line, subject, kSubjectWidth);

  std::u16string room = soluc.AsText(u"AULA");
  PutField(line,
           FoundOr(look_ups.room, room, Copy(room, 1, kRoomWidth), counters,
                   PassedOver::kRoomFallback),
           kRoomWidth);
  line += suffix;
  return line;
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
    tables::Components c(ctx.table_folder);
    Table* const in_order[] = {&c.wwTableSoluc, &c.wwTableGrupos, &c.wwTableProfesor,
                               &c.wwTableAulas, &c.wwTableNomAsg, &c.wwTableTramos};
    for (Table* table : in_order) table->Open(Share::kExclusive, Access::kReadOnly);

    std::optional<PeriodIndex> periods;
    LookUps look_ups(c);
    for (c.wwTableSoluc.First(); !c.wwTableSoluc.Eof(); c.wwTableSoluc.Next()) {
      // DIA may be a number or a text field: the timetabler chooses. An entry with day 0 (or
      // none) is not placed; a text that is no whole number stops the run with the row named.
      if (c.wwTableSoluc.AsInteger(u"DIA") == 0) {
        CountPassedOver(ctx.counters, kHorarioName, PassedOver::kDayZero);
        continue;
      }
      out.Add(DataRecord(c, look_ups, periods, ctx.counters));
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
