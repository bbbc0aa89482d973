// The counts behind the console's run summary, on the sample school and on copies of it with
// faults planted: what each step passed over and why, and that counting changes nothing.
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "report/run_summary.h"
#include "report/validate.h"
#include "tests/report/school.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

using P = PassedOver;

const RunCounters::Target* Find(const RunCounters& c, std::string_view name) {
  for (const auto& t : c.targets()) {
    if (S(t.name) == name) return &t;
  }
  return nullptr;
}

long long Count(const RunCounters& c, std::string_view name, PassedOver why) {
  const RunCounters::Target* t = Find(c, name);
  if (t == nullptr) return -1;
  const auto it = t->passed_over.find(why);
  return it == t->passed_over.end() ? 0 : it->second;
}

// What validar foresaw over the same files, counted as the run counted it.
void ExpectValidarAgrees(const School& school, const RunCounters& c) {
  const Validation v = ValidateTransferFiles(school.dirTxt(), school.table_folder());
  std::map<std::pair<std::string, std::string>, long long> seen;  // {file, what} -> findings
  for (const Finding& f : v.findings) {
    const std::string text = S(f.text);
    std::string what;
    if (f.kind == FindingKind::kDuplicate) what = "duplicate";
    if (f.kind == FindingKind::kPassedOver) what = "passed over";
    if (f.kind == FindingKind::kNoHours) what = "no hours";
    if (f.kind == FindingKind::kNotFound) {
      what = text.find("ASIGNOMT") != std::string::npos ? "no subject" : "no group";
    }
    seen[{S(f.file), what}]++;
  }
  auto at = [&](const char* file, const char* what) { return seen[{file, what}]; };
  EXPECT_EQ(at("druv_prof.txt", "duplicate"), Count(c, "PROFT", P::kDuplicateCode));
  EXPECT_EQ(at("DRUV_ACTIVIDADES.TXT", "duplicate"), Count(c, "ASIGNOMT", P::kDuplicateCode));
  EXPECT_EQ(at("druv_asignat.txt", "passed over"),
            Count(c, "ASIGNOMT", P::kEmptyCode) + Count(c, "ASIGNOMT", P::kTakenAfterNumbering));
  EXPECT_EQ(at("druv_aulas.txt", "passed over"), Count(c, "AULAT", P::kOtherLine));
  EXPECT_EQ(at("druv_asignatgrupo.txt", "no subject"), Count(c, "ASIGT", P::kSubjectNotFound));
  EXPECT_EQ(at("druv_asignatgrupo.txt", "no group"), Count(c, "ASIGT", P::kGroupNotFound));
  EXPECT_EQ(at("druv_asignatgrupo.txt", "no hours"), Count(c, "ASIGT", P::kHoursNotMatched));
}

TEST(RunSummary, ExportOfTheSample) {
  School school;
  RunCounters c;
  int estado = 0;
  ASSERT_FALSE(school.Export(estado, &c));

  const struct {
    const char* table;
    long long rows;
    std::map<PassedOver, long long> passed_over;
  } expected[] = {
      {"ASIGNOMT", 46, {{P::kHeaderTrailer, 4}, {P::kDuplicateCode, 1}}},
      {"PROFT", 36, {{P::kHeaderTrailer, 2}, {P::kDuplicateCode, 2}}},
      {"AULAT", 30, {{P::kHeaderTrailer, 2}}},
      {"GRUPOST", 24, {{P::kHeaderTrailer, 2}}},
      {"ASIGT", 211,
       {{P::kHeaderTrailer, 4}, {P::kSubjectNotFound, 1}, {P::kGroupNotFound, 1},
        {P::kHoursNotMatched, 1}}},
      {"DIASHORAST", 30, {{P::kHeaderTrailer, 2}}},
  };
  ASSERT_EQ(c.targets().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(S(c.targets()[i].name), expected[i].table);
    EXPECT_EQ(c.targets()[i].rows, expected[i].rows) << expected[i].table;
    EXPECT_EQ(c.targets()[i].passed_over, expected[i].passed_over) << expected[i].table;
  }
  ExpectValidarAgrees(school, c);
}

struct Plant {
  const char* name;
  std::function<void(School&)> plant;
  const char* table;
  PassedOver why;
  long long count;  // in that table for that reason
};

const Plant kPlants[] = {
    {"teacher code again in lower case",
     [](School& s) { s.InsertLine("druv_prof.txt", 2, "1p002Otro, Nombre"); }, "PROFT",
     P::kDuplicateCode, 3},
    {"record with the file's own name",
     [](School& s) { s.InsertLine("druv_aulas.txt", 2, "1DRUV_AULAS.TXT"); }, "AULAT",
     P::kOtherLine, 1},
    {"blank subject record", [](School& s) { s.InsertLine("druv_asignat.txt", 2, "1"); },
     "ASIGNOMT", P::kEmptyCode, 1},
    // Twelve subjects of one 10-character code: the first keeps it, the next nine are numbered 1
    // to 9, the eleventh folds "LENGUAEXT10" to "LENGUAEX10", the twelfth folds onto that again.
    {"subject code taken after numbering",
     [](School& s) {
       for (int i = 0; i < 12; ++i) s.InsertLine("druv_asignat.txt", 2, "1LENGUAEXTR");
     },
     "ASIGNOMT", P::kTakenAfterNumbering, 1},
    {"assignment of a subject that does not exist",
     [](School& s) { s.Patch("druv_asignatgrupo.txt", 2, 12, "XYZ                 "); }, "ASIGT",
     P::kSubjectNotFound, 2},
    {"hours record removed",
     [](School& s) {
       s.Patch("druv_asignatcurso.txt", 2, 24, "ZZZ");
       s.Patch("druv_asignatcurso.txt", 76, 24, "ZZZ");  // the same record again
     },
     "ASIGT", P::kHoursNotMatched, 1 + 4},
};

void PrintTo(const Plant& c, std::ostream* os) { *os << c.name; }

class SummaryPlant : public ::testing::TestWithParam<Plant> {};

TEST_P(SummaryPlant, CountsThePlantedRecord) {
  const Plant& p = GetParam();
  School school;
  p.plant(school);
  RunCounters c;
  int estado = 0;
  ASSERT_FALSE(school.Export(estado, &c));
  EXPECT_EQ(Count(c, p.table, p.why), p.count);
  ExpectValidarAgrees(school, c);
}

INSTANTIATE_TEST_SUITE_P(PlantedFaults, SummaryPlant, ::testing::ValuesIn(kPlants),
                         [](const ::testing::TestParamInfo<Plant>& info) {
                           std::string name;
                           for (const char ch : std::string(info.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           }
                           return name;
                         });

// Counting must not change a single byte of what the export writes.
TEST(RunSummary, CountingChangesNoTable) {
  School school;
  const std::u16string plain = school.table_folder() + u"2";
  std::filesystem::create_directory(ToPath(plain));
  RunCounters c;
  int estado = 0;
  ASSERT_FALSE(school.Export(estado, &c));
  ASSERT_FALSE(school.Export(estado, nullptr, plain));
  for (const char* table : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"}) {
    const std::string name = std::string(table) + ".DBF";
    EXPECT_EQ(ReadBytes(ToPath(school.table_folder()) / name), ReadBytes(ToPath(plain) / name))
        << table;
  }
}

TEST(RunSummary, ImportOfTheSample) {
  School school;
  int estado = 0;
  ASSERT_FALSE(school.Export(estado));
  const auto horario = ToPath(school.dirTxt()) / "DRUV_HORARIO.TXT";
  school.Import(nullptr);
  const std::string uncounted = ReadBytes(horario);
  RunCounters c;
  school.Import(&c);
  EXPECT_EQ(ReadBytes(horario), uncounted);

  ASSERT_EQ(c.targets().size(), 1u);
  EXPECT_EQ(S(c.targets()[0].name), "DRUV_HORARIO.TXT");
  EXPECT_EQ(c.targets()[0].rows, 306);
  const std::map<PassedOver, long long> expected = {
      {P::kDayZero, 5},        {P::kGroupFallback, 9},    {P::kTaskFallback, 287},
      {P::kSubjectFallback, 19}, {P::kRoomFallback, 7}};
  EXPECT_EQ(c.targets()[0].passed_over, expected);
}

TEST(RunSummary, LinesInSpanish) {
  RunCounters c;
  c.Touch(u"PROFT");
  c.Row(u"PROFT", 3);
  c.Pass(u"PROFT", PassedOver::kDuplicateCode);
  c.Pass(u"PROFT", PassedOver::kHeaderTrailer);
  c.Pass(u"PROFT", PassedOver::kHeaderTrailer);
  c.Touch(u"AULAT");
  std::vector<std::string> lines;
  for (const auto& line : SummaryLines(c)) lines.push_back(S(line));
  const std::vector<std::string> expected = {
      "Resumen:",
      "  PROFT: 3 filas escritas",
      "    cabeceras y registros de cierre pasados por alto: 2",
      "    códigos repetidos pasados por alto: 1",
      "  AULAT: 0 filas escritas",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(S(SummaryLines(RunCounters{})[1]), "  no se ha escrito ninguna tabla");
}

}  // namespace
}  // namespace tpd::test
