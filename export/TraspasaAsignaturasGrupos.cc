// Step 5: subject-group assignments into ASIGT, completed with the group's data from GRUPOST and
// the weekly hours of druv_asignatcurso.txt.
//
// Every look-up takes the first match in table or file order: the subject and the group data
// through Locate, the hours through a map from the five match values to the first hours record
// that has them, so the step grows linearly with its inputs and still finds what a search from
// the first row or line would find.
#include <array>
#include <vector>

#include "export/lesson_pattern.h"
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/first_by_key.h"
#include "transfer/text.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

const std::vector<FieldDef>& AsigtFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"CASIG", 10),      TextField(u"CPROF", 10),  TextField(u"CGRUP", 10),
      TextField(u"CAULA", 10),      TextField(u"CTAREA", 10), TextField(u"TURNO", 1),
      TextField(u"NIVEL", 5),       TextField(u"CURSO", 3),   TextField(u"GRUPO", 2),
      {u"HORAS", FieldKind::kNumber, 0},
      TextField(u"SESIONES", 20),   TextField(u"NCONEX", 4),  TextField(u"CASIGDRUV", 20),
      TextField(u"CODIDIDRUV", 6),
  };
  return fields;
}

// The assignments file and the file of their weekly hours.
namespace assignment = layouts::asignatgrupo;
namespace weekly_hours = layouts::asignatcurso;

// Every assignment is a lesson task.
constexpr std::u16string_view kLessonTask = u"*LEC";

// The group data copied from GRUPOST, in the order it is copied.
constexpr std::array<std::u16string_view, 4> kGroupFields = {u"TURNO", u"NIVEL", u"CURSO",
                                                              u"GRUPO"};


// The assignments: one ASIGT row per assignment whose subject and suffix name an ASIGNOMT row.
void AddAssignments(const ExportContext& ctx, LineReader& input, Table& subjects, Table& asigt) {
  std::u16string line, code, druv_code;  // memory that serves again for line after line
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!IsDataRecord(line, assignment::kRecordName)) {
      CountNonDataLine(ctx, u"ASIGT", line);
      continue;
    }
    const std::u16string_view suffix = CutView(line, assignment::kSuffix);
    if (!subjects.Locate(u"CODDRUV;CODIDIDRUV", {CutView(line, assignment::kSubject), suffix})) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kSubjectNotFound);
      continue;
    }
    subjects.AsText(u"COD", code);
    subjects.AsText(u"CODDRUV", druv_code);
    asigt.Append();
    asigt.SetText(u"CASIG", code);
    asigt.SetText(assignment::kGroup.name, CutView(line, assignment::kGroup));
    asigt.SetText(u"CTAREA", kLessonTask);
    asigt.SetText(assignment::kSubject.name, druv_code);
    asigt.SetText(assignment::kSuffix.name, suffix);
    asigt.Post();
    CountRow(ctx.counters, u"ASIGT");
  }
}

// The group data of each row from the first GRUPOST row of its group.
void AddGroupData(const ExportContext& ctx, Table& asigt) {
  Table groups(ctx.table_folder, u"GRUPOST.DBF");
  groups.Open(Share::kShared, Access::kReadOnly);
  std::u16string group, value;  // memory that serves again for row after row
  for (asigt.First(); !asigt.Eof(); asigt.Next()) {
    asigt.AsText(assignment::kGroup.name, group);
    if (!groups.Locate(u"ABREV", {group})) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kGroupNotFound);
      continue;
    }
    asigt.Edit();
    for (std::u16string_view field : kGroupFields) {
      groups.AsText(field, value);
      asigt.SetText(field, value);
    }
    asigt.Post();
  }
  groups.Close();
}

// The weekly hours of each row from the first data record that matches its five values; a row
// that none matches gets one hour in one lesson.
void AddHours(const ExportContext& ctx, const std::u16string& path, Table& asigt) {
  // The hours column of the first data record of each five match values.
  FirstByKey first;
  std::vector<std::u16string> hours_texts;
  ForEachLineOfWholeFile(path, [&](std::u16string_view line) {
    if (!IsDataRecord(line, weekly_hours::kRecordName)) {
      CountNonDataLine(ctx, u"ASIGT", line);
      return true;
    }
    const auto& match = weekly_hours::kMatch;
    const std::u16string key =
        CompositeKey({CutView(line, match[0]), CutView(line, match[1]), CutView(line, match[2]),
                      CutView(line, match[3]), CutView(line, match[4])});
    if (first.Add(key, hours_texts.size())) hours_texts.push_back(Cut(line, weekly_hours::kHours));
    return true;
  });

  std::vector<std::u16string> match(weekly_hours::kMatch.size());  // serves row after row
  for (asigt.First(); !asigt.Eof(); asigt.Next()) {
    for (std::size_t i = 0; i < match.size(); ++i) {
      asigt.AsText(weekly_hours::kMatch[i].name, match[i]);
    }
    const std::optional<std::size_t> found = first.Find(CompositeKey(match));
    double hours = kLeastHours;
    if (!found) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kHoursNotMatched);
    } else {
      hours = HoursOf(hours_texts[*found]);
    }
    asigt.Edit();
    asigt.SetNumber(weekly_hours::kHours.name, hours);
    asigt.SetText(u"SESIONES", LessonPattern(hours));
    asigt.Post();
  }
}

}  // namespace

void TraspasaAsignaturasGrupos(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, assignment::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de grupos (DRUV_ASIGNATGRUPO.TXT)")) {
    return;
  }
  LineReader assignments(path);
  Table asigt(ctx.table_folder, u"ASIGT.DBF");
  RebuildTable(asigt, ctx, u"ASIGT", AsigtFields());
  Components components(ctx.table_folder);
  Table& subjects = components.wwTableNomAsg;
  subjects.Open(Share::kExclusive, Access::kReadOnly);

  AddAssignments(ctx, assignments, subjects, asigt);
  assignments.Close();
  AddGroupData(ctx, asigt);

  const std::u16string hours_path = InputPath(ctx, weekly_hours::kFileName);
  if (FileExists(hours_path)) {
    AddHours(ctx, hours_path, asigt);
  } else {
    // Unlike a missing assignments file this leaves the run status alone, and the rows keep
    // empty hours.
    ctx.ui.ShowMessage(u"No existe archivo de grupos (DRUV_ASIGNATCURSO.TXT)");
  }
  asigt.Close();
  subjects.Close();
}

}  // namespace tpd
