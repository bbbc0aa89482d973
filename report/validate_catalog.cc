// Checks of the catalog files: subjects and activities, teachers, rooms and groups, with the
// layouts the export steps cut and the widths of the table fields they fill.
#include <unordered_map>

#include "export/short_code.h"
#include "report/validate_support.h"
#include "transfer/code_list.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// The layouts of the catalog files.
namespace subject = layouts::asignat;
namespace activity = layouts::actividades;
namespace teacher = layouts::prof;
namespace room = layouts::aulas;
namespace group = layouts::grupo;

// Codes that the look-ups of later steps and of the import match exactly: the first record of a
// code is the one found, later ones are never reached.
class FirstOfCode {
 public:
  // The line of an earlier record with this code, or 0.
  long long Earlier(const std::u16string& code, long long line_no) {
    const auto [it, added] = first_.try_emplace(code, line_no);
    return added ? 0 : it->second;
  }

 private:
  std::unordered_map<std::u16string, long long> first_;
};

void CheckSubjectFile(Findings& out, const std::u16string& dirTxt, ShortCodes& codes,
                      Known& known) {
  ForEachLine(out, dirTxt, subject::kFileName, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, subject::kFileName, n, line, subject::kRecordName)) return;
    CheckRecord(out, subject::kFileName, n, line, {subject::kCode, subject::kName},
                {subject::kCode, subject::kName, subject::kSuffix});
    CheckWidth(out, subject::kFileName, n, u"CODLARGO",
               SubjectLongCode(Cut(line, subject::kName)), kLongCodeWidth);
    const std::u16string base = Cut(line, subject::kBase);
    const std::u16string suffix = Cut(line, subject::kSuffix);
    if (codes.AdmitSubject(base, suffix).empty()) {
      out.Add(subject::kFileName, n, FindingKind::kPassedOver,
              WithoutSubjectCode(base, suffix)
                  ? std::u16string(u"asignatura sin código: se pasa por alto")
                  : u"asignatura " + Quote(base + suffix) +
                        u" pasada por alto: su código corto, numerado, ya estaba usado");
      return;
    }
    known.subjects.emplace(Stored(Cut(line, subject::kCode), subject::kCode.stored),
                           Stored(suffix, subject::kSuffix.stored));
  });
}

void CheckActivityFile(Findings& out, const std::u16string& dirTxt, ShortCodes& codes,
                       Known& known) {
  FirstOfCode first;
  ForEachLine(out, dirTxt, activity::kFileName, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, activity::kFileName, n, line, activity::kRecordName)) return;
    CheckRecord(out, activity::kFileName, n, line,
                {activity::kCode, activity::kName, activity::kTask},
                {activity::kLongCode, activity::kName, activity::kTask});
    const std::u16string code = ActivityCode(line);
    const long long earlier = first.Earlier(code, n);
    if (!codes.AdmitActivity(code)) {
      out.Add(activity::kFileName, n, FindingKind::kDuplicate,
              u"código de actividad " + Quote(code) + u" ya usado" +
                  (earlier ? u" en la línea " + IntToText(earlier) : u"") +
                  u": se pasa por alto");
      return;
    }
    // Activities leave CODDRUV and CODIDIDRUV empty.
    known.subjects.emplace(u"", u"");
  });
}

}  // namespace

void CheckSubjects(Findings& out, const std::u16string& dirTxt, Known& known) {
  if (!MainInputPresent(out, dirTxt, subject::kFileName,
                        u"No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)")) {
    return;
  }
  known.subjects_known = true;
  // One list of short codes over both files, as the step keeps it.
  ShortCodes codes;
  CheckSubjectFile(out, dirTxt, codes, known);
  if (FileExists(dirTxt + std::u16string(activity::kFileName))) {
    CheckActivityFile(out, dirTxt, codes, known);
  }
}

void CheckTeachers(Findings& out, const std::u16string& dirTxt) {
  if (!MainInputPresent(out, dirTxt, teacher::kFileName,
                        u"No existe archivo de profesores (DRUV_PROF.TXT)")) {
    return;
  }
  // Letter case does not tell teacher codes apart, as in the step.
  CodeList written(/*sorted=*/false);
  std::vector<long long> lines_written;
  ForEachLine(out, dirTxt, teacher::kFileName, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, teacher::kFileName, n, line, teacher::kRecordName)) return;
    CheckRecord(out, teacher::kFileName, n, line, {teacher::kCode, teacher::kName},
                {teacher::kCode, teacher::kName, teacher::kDepartment});
    const std::u16string code = Cut(line, teacher::kCode);
    const int earlier = written.IndexOf(code);
    if (earlier >= 0) {
      out.Add(teacher::kFileName, n, FindingKind::kDuplicate,
              u"código de profesor " + Quote(code) + u" ya usado en la línea " +
                  IntToText(lines_written[static_cast<size_t>(earlier)]) +
                  u": se pasa por alto");
      return;
    }
    written.Add(code);
    lines_written.push_back(n);
  });
}

void CheckRooms(Findings& out, const std::u16string& dirTxt) {
  if (!MainInputPresent(out, dirTxt, room::kFileName,
                        u"No existe archivo de aulas (DRUV_AULAS.TXT)")) {
    return;
  }
  FirstOfCode first;
  ForEachLine(out, dirTxt, room::kFileName, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, room::kFileName, n, line, room::kRecordName)) return;
    CheckRecord(out, room::kFileName, n, line, {room::kCode, room::kName}, {room::kCode});
    CheckWidth(out, room::kFileName, n, room::kName.name, RoomName(line), kRoomNameWidth);
    const std::u16string code = Stored(Cut(line, room::kCode), room::kCode.stored);
    if (const long long earlier = first.Earlier(code, n)) {
      out.Add(room::kFileName, n, FindingKind::kDuplicate,
              u"código de aula " + Quote(code) + u" repetido (línea " + IntToText(earlier) +
                  u"): el horario sólo encuentra la primera");
    }
  });
}

void CheckGroups(Findings& out, const std::u16string& dirTxt, Known& known) {
  if (!MainInputPresent(out, dirTxt, group::kFileName,
                        u"No existe archivo de grupos (DRUV_GRUPO.TXT)")) {
    return;
  }
  known.groups_known = true;
  FirstOfCode first;
  ForEachLine(out, dirTxt, group::kFileName, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, group::kFileName, n, line, group::kRecordName)) return;
    CheckRecord(out, group::kFileName, n, line,
                {group::kCode, group::kLevel, group::kCourse, group::kShift},
                {group::kCode, group::kLevel, group::kCourse, group::kShift});
    const std::u16string code = Stored(Cut(line, group::kCode), group::kCode.stored);
    if (const long long earlier = first.Earlier(code, n)) {
      out.Add(group::kFileName, n, FindingKind::kDuplicate,
              u"código de grupo " + Quote(code) + u" repetido (línea " + IntToText(earlier) +
                  u"): las asignaturas y el horario sólo usan el primero");
      return;
    }
    known.groups[code] = {Stored(Cut(line, group::kShift), group::kShift.stored),
                          Stored(GroupLevel(line), group::kLevel.stored),
                          Stored(Cut(line, group::kCourse), group::kCourse.stored)};
  });
}

}  // namespace tpd
