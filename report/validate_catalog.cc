// Checks of the catalog files: subjects and activities, teachers, rooms and groups. The layouts
// are those the export steps cut, with the widths of the table fields they fill.
#include <unordered_map>

#include "export/short_code.h"
#include "report/validate_support.h"
#include "transfer/Clipper.h"
#include "transfer/code_list.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd::check {
namespace {

// druv_asignat.txt into ASIGNOMT.
constexpr std::u16string_view kSubjectsFile = u"druv_asignat.txt";
constexpr std::u16string_view kSubjectRecord = u"DRUV_ASIGNAT.TXT";
constexpr Field kSubjectBase{u"COD", 2, 10};
constexpr Field kSubjectCode{u"CODDRUV", 2, 20, 20};
constexpr Field kSubjectName{u"NOMBRE", 22, 150, 80};
constexpr Field kSubjectSuffix{u"CODIDIDRUV", 172, 6, 10};
constexpr int kLongCodeWidth = 10;  // CODLARGO

// DRUV_ACTIVIDADES.TXT into ASIGNOMT.
constexpr std::u16string_view kActivitiesFile = u"DRUV_ACTIVIDADES.TXT";
constexpr std::u16string_view kActivityRecord = u"DRUV_ACTIVIDADES.TXT";
constexpr Field kActivityCode{u"COD", 2, 4};
constexpr Field kActivityLongCode{u"CODLARGO", 6, 10, 10};
constexpr Field kActivityName{u"NOMBRE", 6, 60, 80};
constexpr Field kActivityTask{u"CODTAREA", 66, 3, 10};

// druv_prof.txt into PROFT.
constexpr std::u16string_view kTeachersFile = u"druv_prof.txt";
constexpr std::u16string_view kTeacherRecord = u"DRUV_PROF.TXT";
constexpr Field kTeacherCode{u"ABREV", 2, 4, 10};
constexpr Field kTeacherName{u"NOMBRE", 6, 90, 80};
constexpr Field kTeacherDepartment{u"DEPART", 96, 50, 40};

// druv_aulas.txt into AULAT; NOMBRE is both parts joined by a blank.
constexpr std::u16string_view kRoomsFile = u"druv_aulas.txt";
constexpr std::u16string_view kRoomRecord = u"DRUV_AULAS.TXT";
constexpr Field kRoomCode{u"ABREV", 2, 10, 10};
constexpr Field kRoomName{u"NOMBRE", 12, 70};
constexpr Field kRoomNameSecondPart{u"NOMBRE", 82, 100};
constexpr int kRoomNameWidth = 80;

// druv_grupo.txt into GRUPOST; a blank level becomes "NIV".
constexpr std::u16string_view kGroupsFile = u"druv_grupo.txt";
constexpr std::u16string_view kGroupRecord = u"DRUV_GRUPOS.TXT";
constexpr Field kGroupCode{u"ABREV", 2, 10, 10};
constexpr Field kGroupLevel{u"NIVEL", 15, 3, 5};
constexpr Field kGroupCourse{u"CURSO", 21, 3, 3};
constexpr Field kGroupShift{u"TURNO", 33, 3, 1};
constexpr std::u16string_view kNoLevel = u"NIV";

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
  ForEachLine(out, dirTxt, kSubjectsFile, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, kSubjectsFile, n, line, kSubjectRecord)) return;
    CheckRecord(out, kSubjectsFile, n, line, {kSubjectCode, kSubjectName},
                {kSubjectCode, kSubjectName, kSubjectSuffix});
    const std::u16string name = Cut(line, kSubjectName);
    CheckWidth(out, kSubjectsFile, n, u"CODLARGO", Copy(name, 1, 1) + Iniciales(name, u" "),
               kLongCodeWidth);
    const std::u16string base = Cut(line, kSubjectBase);
    const std::u16string suffix = Cut(line, kSubjectSuffix);
    if (codes.AdmitSubject(base, suffix).empty()) {
      out.Add(kSubjectsFile, n, FindingKind::kPassedOver,
              base.empty() && suffix.empty()
                  ? std::u16string(u"asignatura sin código: se pasa por alto")
                  : u"asignatura " + Quote(base + suffix) +
                        u" pasada por alto: su código corto, numerado, ya estaba usado");
      return;
    }
    known.subjects.emplace(Stored(Cut(line, kSubjectCode), kSubjectCode.stored),
                           Stored(suffix, kSubjectSuffix.stored));
  });
}

void CheckActivityFile(Findings& out, const std::u16string& dirTxt, ShortCodes& codes,
                       Known& known) {
  FirstOfCode first;
  ForEachLine(out, dirTxt, kActivitiesFile, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, kActivitiesFile, n, line, kActivityRecord)) return;
    CheckRecord(out, kActivitiesFile, n, line, {kActivityCode, kActivityName, kActivityTask},
                {kActivityLongCode, kActivityName, kActivityTask});
    const std::u16string code = u"*" + Cut(line, kActivityCode);
    const long long earlier = first.Earlier(code, n);
    if (!codes.AdmitActivity(code)) {
      out.Add(kActivitiesFile, n, FindingKind::kDuplicate,
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
  if (!MainInputPresent(out, dirTxt, kSubjectsFile,
                        u"No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)")) {
    return;
  }
  known.subjects_known = true;
  // One list of short codes over both files, as the step keeps it.
  ShortCodes codes;
  CheckSubjectFile(out, dirTxt, codes, known);
  if (FileExists(dirTxt + std::u16string(kActivitiesFile))) {
    CheckActivityFile(out, dirTxt, codes, known);
  }
}

void CheckTeachers(Findings& out, const std::u16string& dirTxt) {
  if (!MainInputPresent(out, dirTxt, kTeachersFile,
                        u"No existe archivo de profesores (DRUV_PROF.TXT)")) {
    return;
  }
  // Letter case does not tell teacher codes apart, as in the step.
  CodeList written(/*sorted=*/false);
  std::vector<long long> lines_written;
  ForEachLine(out, dirTxt, kTeachersFile, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, kTeachersFile, n, line, kTeacherRecord)) return;
    CheckRecord(out, kTeachersFile, n, line, {kTeacherCode, kTeacherName},
                {kTeacherCode, kTeacherName, kTeacherDepartment});
    const std::u16string code = Cut(line, kTeacherCode);
    const int earlier = written.IndexOf(code);
    if (earlier >= 0) {
      out.Add(kTeachersFile, n, FindingKind::kDuplicate,
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
  if (!MainInputPresent(out, dirTxt, kRoomsFile, u"No existe archivo de aulas (DRUV_AULAS.TXT)")) {
    return;
  }
  FirstOfCode first;
  ForEachLine(out, dirTxt, kRoomsFile, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, kRoomsFile, n, line, kRoomRecord)) return;
    CheckRecord(out, kRoomsFile, n, line, {kRoomCode, kRoomName}, {kRoomCode});
    CheckWidth(out, kRoomsFile, n, kRoomName.name,
               Cut(line, kRoomName) + u" " + Cut(line, kRoomNameSecondPart), kRoomNameWidth);
    const std::u16string code = Stored(Cut(line, kRoomCode), kRoomCode.stored);
    if (const long long earlier = first.Earlier(code, n)) {
      out.Add(kRoomsFile, n, FindingKind::kDuplicate,
              u"código de aula " + Quote(code) + u" repetido (línea " + IntToText(earlier) +
                  u"): el horario sólo encuentra la primera");
    }
  });
}

void CheckGroups(Findings& out, const std::u16string& dirTxt, Known& known) {
  if (!MainInputPresent(out, dirTxt, kGroupsFile,
                        u"No existe archivo de grupos (DRUV_GRUPO.TXT)")) {
    return;
  }
  known.groups_known = true;
  FirstOfCode first;
  ForEachLine(out, dirTxt, kGroupsFile, [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, kGroupsFile, n, line, kGroupRecord)) return;
    CheckRecord(out, kGroupsFile, n, line, {kGroupCode, kGroupLevel, kGroupCourse, kGroupShift},
                {kGroupCode, kGroupLevel, kGroupCourse, kGroupShift});
    const std::u16string code = Stored(Cut(line, kGroupCode), kGroupCode.stored);
    if (const long long earlier = first.Earlier(code, n)) {
      out.Add(kGroupsFile, n, FindingKind::kDuplicate,
              u"código de grupo " + Quote(code) + u" repetido (línea " + IntToText(earlier) +
                  u"): las asignaturas y el horario sólo usan el primero");
      return;
    }
    std::u16string level = Cut(line, kGroupLevel);
    if (level.empty()) level = kNoLevel;
    known.groups[code] = {Stored(Cut(line, kGroupShift), kGroupShift.stored),
                          Stored(level, kGroupLevel.stored),
                          Stored(Cut(line, kGroupCourse), kGroupCourse.stored)};
  });
}

}  // namespace tpd::check
