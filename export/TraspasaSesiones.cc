// Step 6: teaching sessions into DIASHORAST. Each session's slot number is the position of its
// start time among the distinct start times of the whole file, the same numbering for every day.
#include <array>

#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/code_list.h"
#include "transfer/text.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

const std::vector<FieldDef>& DiashorastFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"DIHO", 10),     TextField(u"CODDIHO", 10),  TextField(u"DIA", 20),
      TextField(u"TEXTODIA", 20), TextField(u"HORA", 8),      TextField(u"TEXTOHOR", 15),
      TextField(u"HORADESDE", 8), TextField(u"HORAHASTA", 8), TextField(u"MINUTOS", 8),
      TextField(u"MARCO", 1),     TextField(u"MARCOXML", 10),
  };
  return fields;
}

// The layout of the sessions file. The first pass leaves the start as hhmm in HORA; the second
// replaces it by the slot number.
namespace session = layouts::sesiones;

// Day letters, Monday to Sunday, and the day numbers "1" to "7" they become. Upper case only; any
// other day text is kept as it is.
constexpr std::array<char16_t, 7> kDayLetters = {u'L', u'M', u'X', u'J', u'V', u'S', u'D'};

std::u16string DayNumber(const std::u16string& day) {
  for (size_t i = 0; i < kDayLetters.size(); ++i) {
    if (day.size() == 1 && day[0] == kDayLetters[i]) return IntToText(static_cast<int>(i) + 1);
  }
  return day;
}

// First pass: one row per data record; gathers the distinct start times.
void AddSessions(const ExportContext& ctx, const std::vector<std::u16string>& lines,
                 CodeList& starts, Table& table) {
  for (const std::u16string& line : lines) {
    if (!IsDataRecord(line, session::kRecordName)) {
      CountNonDataLine(ctx, u"DIASHORAST", line);
      continue;
    }
    const std::u16string code = Cut(line, session::kCode);
    const std::u16string day = DayNumber(Cut(line, session::kDay));
    const std::u16string start_hhmm = Cut(line, session::kStart);
    const std::u16string start = ClockTime(start_hhmm);
    starts.Add(start);
    const std::u16string end = ClockTime(Cut(line, session::kEnd));
    const int minutes = MinutesBetween(start, end);

    table.Append();
    table.SetText(session::kDay.name, day);
    table.SetText(u"HORA", start_hhmm);
    table.SetText(session::kCode.name, code);
    table.SetText(u"TEXTOHOR", u"-" + start + u"-" + end);
    table.SetText(session::kStart.name, start);
    table.SetText(session::kEnd.name, end);
    table.SetText(u"MINUTOS", IntToText(minutes));
    table.SetText(u"MARCO", u"0");
    table.Post();
    CountRow(ctx.counters, u"DIASHORAST");
  }
}

// Second pass: the slot number goes into HORA, DIHO and the head of TEXTOHOR, each built from
// what the row reads back.
void NumberSlots(const CodeList& starts, Table& table) {
  for (table.First(); !table.Eof(); table.Next()) {
    const std::u16string slot = IntToText(starts.IndexOf(table.AsText(session::kStart.name)) + 1);
    table.Edit();
    table.SetText(u"HORA", slot);
    table.SetText(u"DIHO", table.AsText(session::kDay.name) + table.AsText(u"HORA"));
    table.SetText(u"TEXTOHOR", slot + table.AsText(u"TEXTOHOR"));
    table.Post();
  }
}

}  // namespace

void TraspasaSesiones(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, session::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de grupos (DRUV_SESIONES.TXT)")) return;
  // Sorted: for hh:mm texts the collation order is the order of the times of day.
  CodeList starts(/*sorted=*/true);
  const std::vector<std::u16string> lines = ReadWholeFile(path);
  Table table(ctx.table_folder, u"DIASHORAST.DBF");
  RebuildTable(table, ctx, u"DIASHORAST", DiashorastFields());
  AddSessions(ctx, lines, starts, table);
  NumberSlots(starts, table);
  table.Close();
}

}  // namespace tpd
