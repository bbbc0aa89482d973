#include "timetable/import_run.h"

#include <new>

#include "tables/table.h"
#include "timetable/horario_record.h"
#include "transfer/Clipper.h"
#include "transfer/error.h"
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

// The texts an entry is made of, read into memory that serves again for entry after entry.
struct EntryTexts {
  std::u16string hora, dia, marco, period, code, found, suffix;
};

// A field of `width` holding the SOLUC code that `table` has in its ABREV, as it is (the row found
// holds that very text); an entry whose code is not in the table keeps its own, cut to the field.
bool PutCodeOrOwn(std::u16string& line, Table& table, const std::u16string& code, int width) {
  const bool found = table.Locate(u"ABREV", {code});
  PutField(line, std::u16string_view(code).substr(0, found ? code.size() : width), width);
  return found;
}

// The session code of an entry: CODDIHO of the first DIASHORAST row with its day, period number
// and mark, read from that row alone; empty when none has them. An empty DIASHORAST is not
// searched, so that none of its fields is asked for.
std::u16string_view Period(Table& tramos, EntryTexts& e) {
  const std::u16string_view marco = std::u16string_view(e.marco).substr(0, 1);
  if (tramos.RowCount() == 0 || !tramos.Locate(u"DIA;HORA;MARCO", {e.dia, e.hora, marco})) {
    return {};
  }
  tramos.AsText(u"CODDIHO", e.period);
  return e.period;
}

// The data record of the current SOLUC row, whose DIA is not 0, made in `line`.
void DataRecord(Components& c, RunCounters* counters, EntryTexts& e, std::u16string& line) {
  Table& soluc = c.wwTableSoluc;
  Table& subjects = c.wwTableNomAsg;
  auto fallback = [&](bool found, PassedOver why) {
    if (!found) CountPassedOver(counters, kHorarioName, why);
  };
  line = u"1";

  soluc.AsText(u"HORA", e.hora);
  soluc.AsText(u"DIA", e.dia);
  soluc.AsText(u"MARCO", e.marco);
  const std::u16string_view period = Period(c.wwTableTramos, e);
  fallback(!period.empty(), PassedOver::kPeriodFallback);
  PutField(line, period, kPeriodWidth);
  PutField(line, DayLetter(e.dia), kDayWidth);

  soluc.AsText(u"PROF", e.code);
  PutField(line, e.code, kTeacherWidth);

  soluc.AsText(u"CODGRUPO", e.code);
  fallback(PutCodeOrOwn(line, c.wwTableGrupos, e.code, kGroupWidth), PassedOver::kGroupFallback);

  soluc.AsText(u"TAREA", e.code);
  const bool task_found = subjects.Locate(u"COD", {e.code});
  if (task_found) subjects.AsText(u"CODTAREA", e.found);
  PutField(line, task_found ? std::u16string_view(e.found) : u"LEC", kTaskWidth);
  fallback(task_found, PassedOver::kTaskFallback);

  // A subject that is not in ASIGNOMT gets a blank field and no suffix: no DRUV code is made up.
  soluc.AsText(u"ASIG", e.code);
  const bool subject_found = subjects.Locate(u"COD", {e.code});
  e.suffix.clear();
  if (subject_found) {
    subjects.AsText(u"CODDRUV", e.found);
    subjects.AsText(u"CODIDIDRUV", e.suffix);
    e.suffix = SuffixPart(e.found, e.suffix);
  }
  PutField(line, subject_found ? std::u16string_view(e.found) : u"", kSubjectWidth);
  fallback(subject_found, PassedOver::kSubjectFallback);

  soluc.AsText(u"AULA", e.code);
  fallback(PutCodeOrOwn(line, c.wwTableAulas, e.code, kRoomWidth), PassedOver::kRoomFallback);

  line += e.suffix;
}

// Centre code, header, one record per SOLUC row with DIA not 0, trailer.
void Import(const ImportContext& ctx) {
  const std::u16string centre = CentreCode(ctx.dirTxt);

  // The lines are kept in memory; DRUV_HORARIO.TXT is written only once the tables are closed and
  // the trailer is made, so that nothing reaches the disk before then.
  LineWriter out(ctx.dirTxt + std::u16string(kHorarioName));
  out.Add(HeaderRecord(centre, ctx.clock()));

  long long records = 0;
  {
    // Components left open by an error are released as `c` goes out of scope.
    Components c(ctx.table_folder);
    Table* const in_order[] = {&c.wwTableSoluc, &c.wwTableGrupos, &c.wwTableProfesor,
                               &c.wwTableAulas, &c.wwTableNomAsg, &c.wwTableTramos};
    for (Table* table : in_order) table->Open(Share::kExclusive, Access::kReadOnly);

    EntryTexts texts;
    std::u16string line;  // one record at a time, in the same memory
    Table& soluc = c.wwTableSoluc;
    for (soluc.First(); !soluc.Eof(); soluc.Next()) {
      // DIA may be a number or a text field: the timetabler chooses. An entry with day 0 (or
      // none) is not placed; a text that is no whole number stops the run with the row named.
      if (soluc.AsInteger(u"DIA") == 0) {
        CountPassedOver(ctx.counters, kHorarioName, PassedOver::kDayZero);
        continue;
      }
      DataRecord(c, ctx.counters, texts, line);
      out.Add(line);
      ++records;
    }

    for (Table* table : in_order) table->Close();
  }

  out.Add(TrailerRecord(centre, ctx.clock(), records));
  out.Commit();
  // Counted only once the file is in place: a run that stops writes nothing.
  CountRows(ctx.counters, kHorarioName, records);
}

}  // namespace

void ImportTimetable(const ImportContext& ctx) {
  try {
    Import(ctx);
  } catch (const std::bad_alloc&) {
    // Running out of memory stops the run naming the file it makes, never with the bare text of
    // the allocator's failure; the readers and the tables name their own files first.
    throw Error(Subst(u"Cannot create file \"%s\". Not enough memory",
                      {ctx.dirTxt + std::u16string(kHorarioName)}));
  }
}

}  // namespace tpd
