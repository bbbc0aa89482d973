#include "timetable/import_run.h"

#include <optional>

#include "tables/table.h"
#include "timetable/horario_record.h"
#include "timetable/period_index.h"
#include "transfer/Clipper.h"
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

// The code found by locating `value` in `key` of `table`, read from `field`; `fallback` when no
// row matches.
std::u16string LocateOr(Table& table, std::u16string_view key, const std::u16string& value,
                        std::u16string_view field, std::u16string fallback, RunCounters* counters,
                        PassedOver fell_back) {
  if (table.Locate(key, {value})) return table.AsText(field);
  CountPassedOver(counters, kHorarioName, fell_back);
  return fallback;
}

// One data record for the current row of SOLUC, whose DIA is not 0.
std::u16string DataRecord(tables::Components& c, std::optional<PeriodIndex>& periods,
                          RunCounters* counters) {
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
           LocateOr(c.wwTableGrupos, u"ABREV", group, u"ABREV", Copy(group, 1, kGroupWidth),
                    counters, PassedOver::kGroupFallback),
           kGroupWidth);

  PutField(line,
           LocateOr(c.wwTableNomAsg, u"COD", soluc.AsText(u"TAREA"), u"CODTAREA", u"LEC",
                    counters, PassedOver::kTaskFallback),
           kTaskWidth);

  // A subject that is not in ASIGNOMT gets a blank field and no suffix: no DRUV code is made up.
  std::u16string subject;
  std::u16string suffix;
  if (c.wwTableNomAsg.Locate(u"COD", {soluc.AsText(u"ASIG")})) {
    subject = c.wwTableNomAsg.AsText(u"CODDRUV");
    suffix = SuffixPart(subject, c.wwTableNomAsg.AsText(u"CODIDIDRUV"));
  } else {
    CountPassedOver(counters, kHorarioName, PassedOver::kSubjectFallback);
  }
  PutField(line, subject, kSubjectWidth);

  std::u16string room = soluc.AsText(u"AULA");
  PutField(line,
           LocateOr(c.wwTableAulas, u"ABREV", room, u"ABREV", Copy(room, 1, kRoomWidth), counters,
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
    for (c.wwTableSoluc.First(); !c.wwTableSoluc.Eof(); c.wwTableSoluc.Next()) {
      // DIA may be a number or a text field: the timetabler chooses. An entry with day 0 (or
      // none) is not placed; a text that is no whole number stops the run with the row named.
      if (c.wwTableSoluc.AsInteger(u"DIA") == 0) {
        CountPassedOver(ctx.counters, kHorarioName, PassedOver::kDayZero);
        continue;
      }
      out.Add(DataRecord(c, periods, ctx.counters));
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
