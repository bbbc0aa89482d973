#include "report/validate.h"

#include <algorithm>
#include <array>
#include <map>

#include "export/record_layouts.h"
#include "report/validate_support.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// The files in the order the export reads them; findings are listed in this order.
constexpr std::array<std::u16string_view, 8> kFileOrder = {
    layouts::asignat::kFileName,      layouts::actividades::kFileName,
    layouts::prof::kFileName,         layouts::aulas::kFileName,
    layouts::grupo::kFileName,        layouts::asignatgrupo::kFileName,
    layouts::asignatcurso::kFileName, layouts::sesiones::kFileName,
};

size_t FilePosition(const std::u16string& file) {
  return static_cast<size_t>(std::find(kFileOrder.begin(), kFileOrder.end(), file) -
                             kFileOrder.begin());
}

// How the closing counts name each kind, in the order they are listed.
struct KindLabel {
  FindingKind kind;
  std::u16string_view label;
};
constexpr std::array<KindLabel, 9> kKindLabels = {{
    {FindingKind::kStops, u"detendrían la exportación"},
    {FindingKind::kMissingFile, u"ficheros que faltan"},
    {FindingKind::kPassedOver, u"registros que se pasan por alto"},
    {FindingKind::kCut, u"valores que se cortan"},
    {FindingKind::kDuplicate, u"códigos repetidos"},
    {FindingKind::kNotFound, u"asignaturas o grupos que no se encontrarán"},
    {FindingKind::kNoHours, u"asignaturas de grupo u horas sin pareja"},
    {FindingKind::kEndBeforeStart, u"sesiones que terminan antes de empezar"},
    {FindingKind::kShortLine, u"líneas demasiado cortas"},
}};

}  // namespace

Validation ValidateTransferFiles(const std::u16string& dirTxt,
                                 const std::u16string& table_folder) {
  Validation v;
  Findings out(v);
  Known known;
  known.table_folder = table_folder;
  CheckSubjects(out, dirTxt, known);
  CheckTeachers(out, dirTxt);
  CheckRooms(out, dirTxt);
  CheckGroups(out, dirTxt, known);
  CheckAssignments(out, dirTxt, known);
  CheckSessions(out, dirTxt);
  std::stable_sort(v.findings.begin(), v.findings.end(), [](const Finding& a, const Finding& b) {
    const size_t fa = FilePosition(a.file), fb = FilePosition(b.file);
    return fa != fb ? fa < fb : a.line < b.line;
  });
  return v;
}

std::vector<std::u16string> ValidationLines(const Validation& v) {
  std::vector<std::u16string> lines;
  std::map<FindingKind, long long> counts;
  for (const Finding& f : v.findings) {
    const std::u16string where = f.line > 0 ? f.file + u":" + IntToText(f.line) : f.file;
    lines.push_back(where + u": " + f.text);
    counts[f.kind]++;
  }
  lines.push_back(u"Resumen:");
  if (counts.empty()) lines.push_back(u"  ningún problema");
  for (const KindLabel& k : kKindLabels) {
    if (counts.contains(k.kind)) {
      lines.push_back(u"  " + std::u16string(k.label) + u": " + IntToText(counts[k.kind]));
    }
  }
  switch (ValidationExitStatus(v)) {
    case 0:
      lines.push_back(u"La exportación terminaría bien.");
      break;
    case 1:
      lines.push_back(u"La exportación terminaría, pero falta algún fichero.");
      break;
    default:
      lines.push_back(u"La exportación se detendría por un error.");
      break;
  }
  return lines;
}

int ValidationExitStatus(const Validation& v) {
  if (v.stops) return 2;
  return v.main_file_missing ? 1 : 0;
}

}  // namespace tpd
