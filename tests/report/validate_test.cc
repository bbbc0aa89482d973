// The check of a folder's transfer files, on the sample school with faults planted in copies of
// its files. Every case also runs the real export over the same files: the check must foresee
// whether the export stops, misses a file or completes.
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "report/validate.h"
#include "tests/report/school.h"

namespace tpd::test {
namespace {

using K = FindingKind;
using Where = std::tuple<std::string, long long, FindingKind>;

std::vector<Where> Places(const Validation& v) {
  std::vector<Where> places;
  for (const Finding& f : v.findings) places.emplace_back(S(f.file), f.line, f.kind);
  return places;
}

// The sample's own faults, which it carries to show the export's rules at work.
TEST(ValidateSample, ReportsTheFaultsTheSampleCarries) {
  School school;
  const Validation v = ValidateTransferFiles(school.dirTxt(), school.table_folder());
  const std::vector<Where> expected = {
      {"DRUV_ACTIVIDADES.TXT", 9, K::kDuplicate},     // *GUAR again
      {"druv_prof.txt", 36, K::kDuplicate},           // p001: letter case does not count
      {"druv_prof.txt", 39, K::kDuplicate},           // P010 again
      {"druv_grupo.txt", 24, K::kCut},                // shift MT into a 1-byte TURNO
      {"druv_asignatgrupo.txt", 207, K::kNotFound},   // TUTORIAFPB is no subject
      {"druv_asignatgrupo.txt", 213, K::kNotFound},   // group 3ESOZ does not exist
      {"druv_asignatgrupo.txt", 213, K::kNoHours},    // and so no hours match it
      {"druv_asignatcurso.txt", 71, K::kNoHours},     // hours of TUTORIAFPB
      {"druv_asignatcurso.txt", 76, K::kDuplicate},   // repeats line 2
      {"druv_asignatcurso.txt", 77, K::kShortLine},   // no hours column: one hour
      {"druv_asignatcurso.txt", 77, K::kDuplicate},   // repeats line 23
  };
  EXPECT_EQ(Places(v), expected);
  EXPECT_EQ(ValidationExitStatus(v), 0);
  const std::vector<std::u16string> lines = ValidationLines(v);
  EXPECT_EQ(S(lines.front()),
            "DRUV_ACTIVIDADES.TXT:9: código de actividad «*GUAR» ya usado en la línea 2: se pasa "
            "por alto");
  EXPECT_EQ(S(lines.back()), "La exportación terminaría bien.");
}

struct Case {
  const char* name;
  std::function<void(School&)> plant;
  int status;                 // what validar exits with
  Where where;                // a finding that must be there
  const char* text;           // part of its text
};

const std::string k85(85, 'X');

const Case kCases[] = {
    {"session start that is no time",
     [](School& s) { s.SetLine("druv_sesiones.txt", 2, "1   0001L08x00925"); }, 2,
     {"druv_sesiones.txt", 2, K::kStops}, "'x0' is not a valid integer value"},
    {"session too short to reach its end time",
     [](School& s) { s.SetLine("druv_sesiones.txt", 3, "1   0002L0925"); }, 2,
     {"druv_sesiones.txt", 3, K::kShortLine}, "HORAHASTA (columna 14)"},
    {"session that ends before it starts",
     [](School& s) { s.SetLine("druv_sesiones.txt", 3, "1   0002L10200925"); }, 0,
     {"druv_sesiones.txt", 3, K::kEndBeforeStart}, "-55 minutos"},
    {"weekly hours that are no number, on a record an assignment uses",
     [](School& s) { s.Patch("druv_asignatcurso.txt", 2, 44, "cuatro"); }, 2,
     {"druv_asignatcurso.txt", 2, K::kStops}, "'cuatro' is not a valid floating point value"},
    {"weekly hours that are no number, on a record nothing uses",
     [](School& s) { s.Patch("druv_asignatcurso.txt", 71, 44, "cuatro"); }, 0,
     {"druv_asignatcurso.txt", 71, K::kNoHours}, "ninguna asignatura"},
    {"weekly hours with a decimal comma",
     [](School& s) { s.Patch("druv_asignatcurso.txt", 2, 44, "4,5   "); }, 0,
     {"druv_asignatcurso.txt", 76, K::kDuplicate}, "línea 2"},
    {"teachers file missing", [](School& s) { s.Remove("druv_prof.txt"); }, 1,
     {"druv_prof.txt", 0, K::kMissingFile}, "No existe archivo de profesores (DRUV_PROF.TXT)"},
    {"hours file missing", [](School& s) { s.Remove("druv_asignatcurso.txt"); }, 0,
     {"druv_asignatcurso.txt", 0, K::kMissingFile}, "DRUV_ASIGNATCURSO.TXT"},
    {"subjects file missing and no ASIGNOMT left", [](School& s) { s.Remove("druv_asignat.txt"); },
     2, {"druv_asignatgrupo.txt", 0, K::kStops}, "no hay tabla ASIGNOMT"},
    {"groups file missing and no GRUPOST left", [](School& s) { s.Remove("druv_grupo.txt"); }, 2,
     {"druv_asignatgrupo.txt", 0, K::kStops}, "no hay tabla GRUPOST"},
    {"teacher name wider than its field",
     [](School& s) { s.Patch("druv_prof.txt", 2, 6, k85); }, 0,
     {"druv_prof.txt", 2, K::kCut}, "ocupa 85 bytes y se corta a 80"},
    {"room name wider than its field once both parts are joined",
     [](School& s) { s.Patch("druv_aulas.txt", 2, 12, std::string(70, 'N') + "segunda parte"); },
     0, {"druv_aulas.txt", 2, K::kCut}, "NOMBRE"},
    {"room code repeated", [](School& s) { s.Patch("druv_aulas.txt", 3, 2, "A101      "); }, 0,
     {"druv_aulas.txt", 3, K::kDuplicate}, "«A101» repetido (línea 2)"},
    {"record that carries the file's own name",
     [](School& s) { s.InsertLine("druv_aulas.txt", 2, "1DRUV_AULAS.TXT"); }, 0,
     {"druv_aulas.txt", 2, K::kPassedOver}, "se pasa por alto"},
    {"group line too short for its level, course and shift",
     [](School& s) { s.SetLine("druv_grupo.txt", 2, "11ESOA"); }, 0,
     {"druv_grupo.txt", 2, K::kShortLine}, "NIVEL (columna 15), CURSO (columna 21)"},
    {"assignment of a subject that does not exist",
     [](School& s) { s.Patch("druv_asignatgrupo.txt", 2, 12, "XYZ                 "); }, 0,
     {"druv_asignatgrupo.txt", 2, K::kNotFound}, "«XYZ»"},
    {"blank subject record",
     [](School& s) { s.InsertLine("druv_asignat.txt", 2, "1"); }, 0,
     {"druv_asignat.txt", 2, K::kPassedOver}, "sin código"},
    {"UTF-8 sessions file with a byte that is not UTF-8",
     [](School& s) { s.WriteRaw("druv_sesiones.txt", "\xEF\xBB\xBF" "1   0001L0830\xFF" "0925\r\n"); },
     2, {"druv_sesiones.txt", 0, K::kStops}, "No mapping for the Unicode character"},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ValidateCase : public ::testing::TestWithParam<Case> {};

TEST_P(ValidateCase, FindsThePlantedFaultAndForeseesTheExport) {
  const Case& c = GetParam();
  School school;
  c.plant(school);
  const Validation v = ValidateTransferFiles(school.dirTxt(), school.table_folder());

  EXPECT_EQ(ValidationExitStatus(v), c.status);
  bool found = false;
  for (const Finding& f : v.findings) {
    if (Where{S(f.file), f.line, f.kind} == c.where && S(f.text).find(c.text) != std::string::npos) {
      found = true;
    }
  }
  EXPECT_TRUE(found) << "no finding at " << std::get<0>(c.where) << ":" << std::get<1>(c.where)
                     << " with \"" << c.text << "\"";

  // The export over the same files: validar's status is the export's outcome.
  int estado = 0;
  const bool stopped = school.Export(estado);
  EXPECT_EQ(stopped, c.status == 2);
  if (!stopped) {
    EXPECT_EQ(estado, c.status == 1 ? -1 : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(PlantedFaults, ValidateCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char ch : std::string(info.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           }
                           return name;
                         });

TEST(ValidateFolder, WritesNothing) {
  School school;
  ValidateTransferFiles(school.dirTxt(), school.table_folder());
  EXPECT_TRUE(std::filesystem::is_empty(ToPath(school.table_folder())));
}

}  // namespace
}  // namespace tpd::test
