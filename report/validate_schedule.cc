// Checks of the assignments with their weekly hours, and of the sessions: the look-ups, matches
// and conversions that steps 5 and 6 of the export make.
#include <array>
#include <map>
#include <tuple>

#include "report/validate_support.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// The layouts of the assignments, their weekly hours and the sessions.
namespace assignment = layouts::asignatgrupo;
namespace weekly_hours = layouts::asignatcurso;
namespace session = layouts::sesiones;

// The five match values in the order the step tests the match columns of an hours record; a row's
// key is put together in this order below, so the columns must stay in it.
using MatchKey = std::array<std::u16string, 5>;
static_assert(weekly_hours::kMatch.size() == std::tuple_size_v<MatchKey> &&
              weekly_hours::kMatch[0].name == u"CASIGDRUV" &&
              weekly_hours::kMatch[1].name == u"TURNO" &&
              weekly_hours::kMatch[2].name == u"NIVEL" &&
              weekly_hours::kMatch[3].name == u"CURSO" &&
              weekly_hours::kMatch[4].name == u"CODIDIDRUV");

// An ASIGT row as step 5 leaves it before the hours are added.
struct AssignmentRow {
  long long line_no;
  MatchKey key;  // CASIGDRUV, TURNO, NIVEL, CURSO, CODIDIDRUV as stored
};

// Matches the rows with the hours records; the first record of a key is the one a row takes.
void CheckHours(Findings& out, const std::u16string& dirTxt,
                const std::vector<AssignmentRow>& rows) {
  std::vector<std::u16string> lines;
  if (!ReadWhole(out, dirTxt, weekly_hours::kFileName, lines)) return;
  std::map<MatchKey, size_t> first;
  for (size_t i = 0; i < lines.size(); ++i) {
    const long long n = static_cast<long long>(i) + 1;
    if (!DataRecordOrReport(out, weekly_hours::kFileName, n, lines[i],
                            weekly_hours::kRecordName)) {
      continue;
    }
    CheckRecord(out, weekly_hours::kFileName, n, lines[i],
                {weekly_hours::kMatch[2], weekly_hours::kMatch[1], weekly_hours::kMatch[3],
                 weekly_hours::kMatch[0], weekly_hours::kHours},
                {});
    MatchKey key;
    for (size_t k = 0; k < key.size(); ++k) key[k] = Cut(lines[i], weekly_hours::kMatch[k]);
    const auto [it, added] = first.try_emplace(key, i);
    if (!added) {
      out.Add(weekly_hours::kFileName, n, FindingKind::kDuplicate,
              u"repite el registro de horas de la línea " +
                  IntToText(static_cast<long long>(it->second) + 1) + u": no se usa");
    }
  }

  std::vector<bool> used(lines.size(), false);
  for (const AssignmentRow& row : rows) {
    const auto it = first.find(row.key);
    if (it == first.end()) {
      out.Add(assignment::kFileName, row.line_no, FindingKind::kNoHours,
              u"ningún registro de " + std::u16string(weekly_hours::kFileName) +
                  u" corresponde a " + Quote(row.key[0]) + u" (turno " + Quote(row.key[1]) +
                  u", nivel " + Quote(row.key[2]) + u", curso " + Quote(row.key[3]) +
                  u", sufijo " + Quote(row.key[4]) + u"): se le pone 1 hora");
      continue;
    }
    if (used[it->second]) continue;
    used[it->second] = true;
    try {
      HoursOf(Cut(lines[it->second], weekly_hours::kHours));
    } catch (const Error& e) {
      out.Add(weekly_hours::kFileName, static_cast<long long>(it->second) + 1,
              FindingKind::kStops,
              u"las horas " + Quote(Cut(lines[it->second], weekly_hours::kHours)) +
                  u" no se pueden convertir: " + e.text() + u" (la exportación se detendría)");
    }
  }
  for (const auto& [key, i] : first) {
    if (!used[i]) {
      out.Add(weekly_hours::kFileName, static_cast<long long>(i) + 1, FindingKind::kNoHours,
              u"ninguna asignatura de grupo usa este registro de horas");
    }
  }
}

}  // namespace

void CheckAssignments(Findings& out, const std::u16string& dirTxt, const Known& known) {
  if (!MainInputPresent(out, dirTxt, assignment::kFileName,
                        u"No existe archivo de grupos (DRUV_ASIGNATGRUPO.TXT)")) {
    return;
  }
  // Without its file, a catalog comes from the table an earlier run left; none there stops the
  // step as it opens the table.
  for (const auto& [known_from_file, table, file] :
       {std::tuple{known.subjects_known, u"ASIGNOMT", layouts::asignat::kFileName},
        std::tuple{known.groups_known, u"GRUPOST", layouts::grupo::kFileName}}) {
    const std::u16string path =
        known.table_folder + std::u16string(PathSeparator()) + table + u".DBF";
    if (!known_from_file && !FileExists(path)) {
      out.Add(assignment::kFileName, 0, FindingKind::kStops,
              u"falta " + std::u16string(file) + u" y no hay tabla " + table +
                  u" de una exportación anterior (" + path + u"): la exportación se detendría");
    }
  }

  std::vector<AssignmentRow> rows;
  const bool read = ForEachLine(out, dirTxt, assignment::kFileName,
                                [&](long long n, const std::u16string& line) {
    if (!DataRecordOrReport(out, assignment::kFileName, n, line, assignment::kRecordName)) return;
    CheckRecord(out, assignment::kFileName, n, line, {assignment::kGroup, assignment::kSubject},
                {assignment::kGroup, assignment::kSubject, assignment::kSuffix});
    const std::u16string subject = Cut(line, assignment::kSubject);
    const std::u16string suffix = Cut(line, assignment::kSuffix);
    if (known.subjects_known && !known.subjects.contains({subject, suffix})) {
      out.Add(assignment::kFileName, n, FindingKind::kNotFound,
              u"la asignatura " + Quote(subject) + u" con sufijo " + Quote(suffix) +
                  u" no estará en ASIGNOMT: la asignatura de grupo se pasa por alto");
      return;
    }
    const std::u16string group = Stored(Cut(line, assignment::kGroup), assignment::kGroup.stored);
    std::array<std::u16string, 3> group_data;
    if (known.groups_known) {
      const auto it = known.groups.find(group);
      if (it == known.groups.end()) {
        out.Add(assignment::kFileName, n, FindingKind::kNotFound,
                u"el grupo " + Quote(group) +
                    u" no estará en GRUPOST: queda sin turno, nivel, curso ni grupo");
      } else {
        group_data = it->second;
      }
    }
    rows.push_back({n,
                    {Stored(subject, assignment::kSubject.stored), group_data[0], group_data[1],
                     group_data[2], Stored(suffix, assignment::kSuffix.stored)}});
  });
  if (!read) return;

  if (!FileExists(dirTxt + std::u16string(weekly_hours::kFileName))) {
    // The step shows its message and goes on; the run status stays as it is.
    out.Add(weekly_hours::kFileName, 0, FindingKind::kMissingFile,
            u"No existe archivo de grupos (DRUV_ASIGNATCURSO.TXT): las asignaturas de grupo "
            u"quedan sin horas");
    return;
  }
  // Without the subjects or groups of this folder the step would match against the tables of an
  // earlier run, which these files do not show.
  if (known.subjects_known && known.groups_known) CheckHours(out, dirTxt, rows);
}

void CheckSessions(Findings& out, const std::u16string& dirTxt) {
  if (!MainInputPresent(out, dirTxt, session::kFileName,
                        u"No existe archivo de grupos (DRUV_SESIONES.TXT)")) {
    return;
  }
  std::vector<std::u16string> lines;
  if (!ReadWhole(out, dirTxt, session::kFileName, lines)) return;
  for (size_t i = 0; i < lines.size(); ++i) {
    const long long n = static_cast<long long>(i) + 1;
    const std::u16string& line = lines[i];
    if (!DataRecordOrReport(out, session::kFileName, n, line, session::kRecordName)) continue;
    CheckRecord(out, session::kFileName, n, line,
                {session::kCode, session::kDay, session::kStart, session::kEnd}, {session::kCode});
    const std::u16string start = Cut(line, session::kStart);
    const std::u16string end = Cut(line, session::kEnd);
    try {
      const int minutes = MinutesBetween(ClockTime(start), ClockTime(end));
      if (minutes < 0) {
        out.Add(session::kFileName, n, FindingKind::kEndBeforeStart,
                u"la sesión termina (" + Quote(end) + u") antes de empezar (" + Quote(start) +
                    u"): dura " + IntToText(minutes) + u" minutos");
      }
    } catch (const Error& e) {
      out.Add(session::kFileName, n, FindingKind::kStops,
              u"las horas " + Quote(start) + u"-" + Quote(end) + u" no se pueden convertir: " +
                  e.text() + u" (la exportación se detendría)");
    }
  }
}

}  // namespace tpd
