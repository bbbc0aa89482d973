// Step 1: subjects and activities into ASIGNOMT, each under a short code unique over both files.
#include "export/short_code.h"
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/file_system.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

using tables::FieldKind;

const std::vector<tables::FieldDef>& AsignomtFields() {
  static const std::vector<tables::FieldDef> fields = {
      TextField(u"COD", 10),
      TextField(u"CODLARGO", 10),
      TextField(u"NOMBRE", 80),
      {u"ESTAREA", FieldKind::kLogical, 0},
      TextField(u"CODTAREA", 10),
      TextField(u"CODDRUV", 20),
      TextField(u"CODIDIDRUV", 10),
  };
  return fields;
}

// Data record of druv_asignat.txt. The base of the short code is the head of the DRUV code.
constexpr std::u16string_view kSubjectRecord = u"DRUV_ASIGNAT.TXT";
constexpr Column kSubjectBase{u"COD", 2, 10};
constexpr Column kSubjectCode{u"CODDRUV", 2, 20};
constexpr Column kSubjectName{u"NOMBRE", 22, 150};
constexpr Column kSubjectSuffix{u"CODIDIDRUV", 172, 6};

// Data record of DRUV_ACTIVIDADES.TXT. The long code is the head of the name.
constexpr std::u16string_view kActivityRecord = u"DRUV_ACTIVIDADES.TXT";
constexpr Column kActivityCode{u"COD", 2, 4};
constexpr Column kActivityLongCode{u"CODLARGO", 6, 10};
constexpr Column kActivityName{u"NOMBRE", 6, 60};
constexpr Column kActivityTask{u"CODTAREA", 66, 3};

// Activities are told from subjects by this mark before their code.
constexpr std::u16string_view kActivityMark = u"*";

void AddSubject(const ExportContext& ctx, std::u16string_view line, ShortCodes& codes,
                tables::Table& table) {
  const std::u16string name = Cut(line, kSubjectName);
  const std::u16string suffix = Cut(line, kSubjectSuffix);
  const std::u16string base = Cut(line, kSubjectBase);
  const std::u16string code = codes.AdmitSubject(base, suffix);
  if (code.empty()) {
    // Only a blank code stays empty; any other code was numbered or folded onto a taken one.
    CountPassedOver(ctx.counters, u"ASIGNOMT",
                    base.empty() && suffix.empty() ? PassedOver::kEmptyCode
                                                   : PassedOver::kTakenAfterNumbering);
    return;
  }
  // The long code: the name's first character and the character after each of its blanks.
  const std::u16string long_code = Copy(name, 1, 1) + Iniciales(name, u" ");
  table.Append();
  table.SetText(kSubjectBase.name, code);
  table.SetText(u"CODLARGO", long_code);
  table.SetText(kSubjectName.name, name);
  table.SetLogical(u"ESTAREA", false);
  table.SetText(kSubjectCode.name, Cut(line, kSubjectCode));
  table.SetText(kSubjectSuffix.name, suffix);
  table.Post();
  CountRow(ctx.counters, u"ASIGNOMT");
}

void AddActivity(const ExportContext& ctx, std::u16string_view line, ShortCodes& codes,
                 tables::Table& table) {
  const std::u16string code = std::u16string(kActivityMark) + Cut(line, kActivityCode);
  if (!codes.AdmitActivity(code)) {
    CountPassedOver(ctx.counters, u"ASIGNOMT", PassedOver::kDuplicateCode);
    return;
  }
  table.Append();
  table.SetText(kActivityCode.name, code);
  table.SetText(kActivityLongCode.name, Cut(line, kActivityLongCode));
  table.SetText(kActivityName.name, Cut(line, kActivityName));
  table.SetLogical(u"ESTAREA", true);
  table.SetText(kActivityTask.name, Cut(line, kActivityTask));
  table.Post();
  CountRow(ctx.counters, u"ASIGNOMT");
}

}  // namespace

void TraspasaAsignaturas(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, u"druv_asignat.txt");
  if (!MainInputPresent(ctx, path, u"No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)")) return;
  LineReader subjects(path);
  tables::Table table(ctx.table_folder, u"ASIGNOMT.DBF");
  RebuildTable(table, ctx, u"ASIGNOMT", AsignomtFields());
  ShortCodes codes;

  while (!subjects.AtEnd()) {
    const std::u16string line = subjects.ReadLine();
    if (IsDataRecord(line, kSubjectRecord)) {
      AddSubject(ctx, line, codes, table);
    } else {
      CountNonDataLine(ctx, u"ASIGNOMT", line);
    }
  }

  // The activities are optional: without their file the table holds the subjects alone.
  const std::u16string activities_path = InputPath(ctx, u"DRUV_ACTIVIDADES.TXT");
  if (FileExists(activities_path)) {
    subjects.Close();
    LineReader activities(activities_path);
    while (!activities.AtEnd()) {
      const std::u16string line = activities.ReadLine();
      if (IsDataRecord(line, kActivityRecord)) {
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
