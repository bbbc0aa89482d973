// Step 1: subjects and activities into ASIGNOMT, each under a short code unique over both files.
#include "export/short_code.h"
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/file_system.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {


const std::vector<FieldDef>& AsignomtFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"COD", 10),
      TextField(u"CODLARGO", kLongCodeWidth),
      TextField(u"NOMBRE", 80),
      {u"ESTAREA", FieldKind::kLogical, 0},
      TextField(u"CODTAREA", 10),
      TextField(u"CODDRUV", 20),
      TextField(u"CODIDIDRUV", 10),
  };
  return fields;
}

// The subjects file and the optional activities file.
namespace subject = layouts::asignat;
namespace activity = layouts::actividades;

void AddSubject(const ExportContext& ctx, std::u16string_view line, ShortCodes& codes,
                Table& table) {
  const std::u16string name = Cut(line, subject::kName);
  const std::u16string suffix = Cut(line, subject::kSuffix);
  const std::u16string base = Cut(line, subject::kBase);
  const std::u16string code = codes.AdmitSubject(base, suffix);
  if (code.empty()) {
    // Only a blank code stays empty; any other code was numbered or folded onto a taken one.
    CountPassedOver(ctx.counters, u"ASIGNOMT",
                    WithoutSubjectCode(base, suffix) ? PassedOver::kEmptyCode
                                                     : PassedOver::kTakenAfterNumbering);
    return;
  }
  const std::u16string long_code = SubjectLongCode(name);
  table.Append();
  table.SetText(subject::kBase.name, code);
  table.SetText(u"CODLARGO", long_code);
  table.SetText(subject::kName.name, name);
  table.SetLogical(u"ESTAREA", false);
  table.SetText(subject::kCode.name, Cut(line, subject::kCode));
  table.SetText(subject::kSuffix.name, suffix);
  table.Post();
  CountRow(ctx.counters, u"ASIGNOMT");
}

void AddActivity(const ExportContext& ctx, std::u16string_view line, ShortCodes& codes,
                 Table& table) {
  const std::u16string code = ActivityCode(line);
  if (!codes.AdmitActivity(code)) {
    CountPassedOver(ctx.counters, u"ASIGNOMT", PassedOver::kDuplicateCode);
    return;
  }
  table.Append();
  table.SetText(activity::kCode.name, code);
  table.SetText(activity::kLongCode.name, Cut(line, activity::kLongCode));
  table.SetText(activity::kName.name, Cut(line, activity::kName));
  table.SetLogical(u"ESTAREA", true);
  table.SetText(activity::kTask.name, Cut(line, activity::kTask));
  table.Post();
  CountRow(ctx.counters, u"ASIGNOMT");
}

}  // namespace

void TraspasaAsignaturas(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, subject::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)")) return;
  LineReader subjects(path);
  Table table(ctx.table_folder, u"ASIGNOMT.DBF");
  RebuildTable(table, ctx, u"ASIGNOMT", AsignomtFields());
  ShortCodes codes;

  std::u16string line;
  while (!subjects.AtEnd()) {
    subjects.ReadLine(line);
    if (IsDataRecord(line, subject::kRecordName)) {
      AddSubject(ctx, line, codes, table);
    } else {
      CountNonDataLine(ctx, u"ASIGNOMT", line);
    }
  }

  // The activities are optional: without their file the table holds the subjects alone.
  const std::u16string activities_path = InputPath(ctx, activity::kFileName);
  if (FileExists(activities_path)) {
    subjects.Close();
    LineReader activities(activities_path);
    while (!activities.AtEnd()) {
      activities.ReadLine(line);
      if (IsDataRecord(line, activity::kRecordName)) {
        AddActivity(ctx, line, codes, table);
      } else {
        CountNonDataLine(ctx, u"ASIGNOMT", line);
      }
    }
    activities.Close();
  }
  table.Close();
}

}  // namespace tpd
