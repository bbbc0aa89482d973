#include "timetable/import_run.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/timetable/import_fixture.h"
#include "transfer/error.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {


// The header and trailer with the fixture's clock: "0"/"9", the record name, the centre code.
std::string Header(const std::string& centre) {
  return "0" + Padded("DRUV_HORARIO.TXT", 50) + centre + "090320260805";
}
std::string Trailer(const std::string& centre, int count) {
  return "9" + Padded("DRUV_HORARIO.TXT", 50) + centre + "090320260806" + std::to_string(count);
}

struct EntryCase {
  const char* what;
  Row soluc;  // DIA, HORA, MARCO, PROF, CODGRUPO, TAREA, ASIG, AULA
  std::string record;
};

// Each case varies the worked example in one respect. A row with DIA 0 or an empty DIA follows
// every case and must leave no trace.
const EntryCase kEntries[] = {
    {"worked example",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "10203MJPG 1ESOA     LEC LCL                 A12       ING"},
    {"RE subject: three blanks before the suffix",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "RELB", "A12"},
     "10203MJPG 1ESOA     LEC RE                  A12          ING"},
    {"RE subject without suffix ends in three blanks",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "RELE", "A12"},
     "10203MJPG 1ESOA     LEC RE                  A12          "},
    {"re in lower case is not RE",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "RELL", "A12"},
     "10203MJPG 1ESOA     LEC re                  A12       ING"},
    {"suffix of blanks gives no suffix part",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "MATB", "A12"},
     "10203MJPG 1ESOA     LEC MAT                 A12       "},
    {"unknown subject: 20 blanks and no suffix",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "NADA", "A12"},
     "10203MJPG 1ESOA     LEC                     A12       "},
    {"activity gives its task code",
     {"2", "3", "0", "JPG", "1ESOA", "*GUA", "", "A12"},
     "10203MJPG 1ESOA     GUA                     A12       "},
    {"task row without CODTAREA gives blanks, not LEC",
     {"2", "3", "0", "JPG", "1ESOA", "*NOT", "LENB", "A12"},
     "10203MJPG 1ESOA         LCL                 A12       ING"},
    {"room found in AULAT",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "LAB"},
     "10203MJPG 1ESOA     LEC LCL                 LAB       ING"},
    {"day 9 is written as read",
     {"9", "1", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "109019JPG 1ESOA     LEC LCL                 A12       ING"},
    {"day 12 moves the later fields",
     {"12", "1", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "1120112JPG 1ESOA     LEC LCL                 A12       ING"},
    {"day 02 finds no period and is written as read",
     {"02", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "1    02JPG 1ESOA     LEC LCL                 A12       ING"},
    {"teacher of 5 characters moves the later fields",
     {"2", "3", "0", "JPGAB", "1ESOA", "*LEC", "LENB", "A12"},
     "10203MJPGAB1ESOA     LEC LCL                 A12       ING"},
    {"unknown group of 12 characters is cut to 10",
     {"2", "3", "0", "JPG", "1ESOA2BACHXY", "*LEC", "LENB", "A12"},
     "10203MJPG 1ESOA2BACHLEC LCL                 A12       ING"},
    {"unknown room of 12 characters is cut to 10",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "GIMNASIO-SUR"},
     "10203MJPG 1ESOA     LEC LCL                 GIMNASIO-SING"},
    {"subject code of exactly 20 characters",
     {"2", "3", "0", "JPG", "1ESOA", "*LEC", "LARGA", "A12"},
     "10203MJPG 1ESOA     LEC ABCDEFGHIJKLMNOPQRSTA12       ING"},
    {"MARCO that no period has gives four blanks",
     {"2", "3", "1", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "1    MJPG 1ESOA     LEC LCL                 A12       ING"},
    {"only the first character of MARCO counts",
     {"2", "3", "0AB", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "10203MJPG 1ESOA     LEC LCL                 A12       ING"},
    {"two matching periods: the first in table order",
     {"1", "1", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "10101LJPG 1ESOA     LEC LCL                 A12       ING"},
    {"empty MARCO finds the period without MARCO",
     {"3", "1", "", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "10301XJPG 1ESOA     LEC LCL                 A12       ING"},
    {"HORA compared as text",
     {"2", "03", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
     "1    MJPG 1ESOA     LEC LCL                 A12       ING"},
};

class ImportRunTest : public ImportFixture {};

TEST_F(ImportRunTest, WritesOneRecordPerPlacedEntryInTableOrder) {
  MakeSchool();
  std::vector<Row> soluc;
  for (std::size_t i = 0; i < std::size(kEntries); ++i) {
    soluc.push_back(kEntries[i].soluc);
    // Not placed: left out and not counted, whatever else the row holds.
    soluc.push_back({i % 2 ? "0" : "", "3", "0", "ZZZ", "1ESOA", "*LEC", "LENB", "A12"});
  }
  // The same entries again, last first: a value met before gives what it gave then.
  for (std::size_t i = std::size(kEntries); i-- > 0;) soluc.push_back(kEntries[i].soluc);
  MakeSoluc(soluc);
  Run();

  const std::size_t n = std::size(kEntries);
  std::vector<std::string> lines = OutputLines();
  ASSERT_EQ(lines.size(), 2 * n + 2);
  EXPECT_EQ(lines.front(), Header("28001234"));
  for (std::size_t i = 0; i < n; ++i) {
    EXPECT_EQ(lines[i + 1], kEntries[i].record) << kEntries[i].what;
    EXPECT_EQ(lines[2 * n - i], kEntries[i].record) << kEntries[i].what << ", again";
  }
  EXPECT_EQ(lines.back(), Trailer("28001234", static_cast<int>(2 * n)));
  EXPECT_EQ(lines[1].size(), 57u);  // the worked example as printed
  EXPECT_EQ(lines[2].size(), 60u);  // and its RE variant
}

TEST_F(ImportRunTest, CentreCodeComesFromTheFirstHeaderOfTheSubjectsFile) {
  struct Case {
    const char* what;
    std::string subjects;
    std::string centre;  // as written in columns 52-59 of header and trailer
  } cases[] = {
      {"header of full length", SubjectsHeader("28001234010320260800") + "\r\n", "28001234"},
      {"header of 55 characters", SubjectsHeader("2800") + "\r\n", "2800    "},
      {"header ending at column 51", SubjectsHeader(""), "        "},
      {"blanks inside the code are kept", SubjectsHeader(" 28 01  0103") + "\r\n", " 28 01  "},
      {"no header record", "1MAT\r\n9DRUV_ASIGNAT.TXT\r\n", "        "},
      {"empty file", "", "        "},
      {"the first line beginning with 0 counts",
       "\r\n1MAT\r\n" + SubjectsHeader("11111111") + "\r\n" + SubjectsHeader("22222222") + "\r\n",
       "11111111"},
  };
  MakeSchool();
  MakeSoluc({});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteSubjects(c.subjects);
    Run();
    std::vector<std::string> lines = OutputLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Header(c.centre));
    EXPECT_EQ(lines[0].size(), 71u);
    EXPECT_EQ(lines[1], Trailer(c.centre, 0));
  }
}

TEST_F(ImportRunTest, HeaderAndTrailerEachReadTheClock) {
  MakeSchool();
  MakeSoluc({{"0", "1", "0", "JPG", "1ESOA", "", "LENB", "A12"}});
  header_time_ = {987, 1, 2, 3, 4};
  trailer_time_ = {2027, 12, 31, 23, 59};
  Run();
  EXPECT_EQ(clock_reads_, 2);
  std::vector<std::string> lines = OutputLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(59), "020109870304");
  EXPECT_EQ(lines[1].substr(59), "3112202723590");
}

TEST_F(ImportRunTest, ReplacesAnExistingTimetableFile) {
  MakeSchool();
  MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
  WriteBytes(ToPath(OutputPath()), std::string(500, 'x'));
  Run();
  EXPECT_EQ(ReadBytes(ToPath(OutputPath())), Header("28001234") + "\r\n" + kEntries[0].record +
                                                 "\r\n" + Trailer("28001234", 1) + "\r\n");
}

TEST(LocalNowTest, GivesAPlausibleDateAndTime) {
  LocalDateTime now = LocalNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
}

// --- Failures: the old file stays, nothing is left behind, and the tables are released. ---

class ImportFailureTest : public ImportFixture {
 protected:
  void SetUp() override {
    MakeSchool();
    MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
    WriteBytes(ToPath(OutputPath()), kOldFile);
  }

  // The transfer folder holds exactly what it held before the run.
  void ExpectFolderUntouched() {
    EXPECT_EQ(ReadBytes(ToPath(OutputPath())), kOldFile);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path() / "txt")) {
      names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"DRUV_HORARIO.TXT", "druv_asignat.txt"}));
  }

  static constexpr const char* kOldFile = "0DRUV_HORARIO.TXT old\r\n9DRUV_HORARIO.TXT old0\r\n";
};

TEST_F(ImportFailureTest, MissingSubjectsFile) {
  std::filesystem::remove(ToPath(txt_ + u"druv_asignat.txt"));
  try {
    Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    std::string expected = "Cannot open file \"" + S(txt_) + "druv_asignat.txt\". ";
    EXPECT_EQ(S(e.text()).substr(0, expected.size()), expected);
  }
  EXPECT_EQ(ReadBytes(ToPath(OutputPath())), kOldFile);
}

TEST_F(ImportFailureTest, TimetableFileCannotBeReplaced) {
  // A folder of that name stands where the file should go.
  std::filesystem::remove(ToPath(OutputPath()));
  std::filesystem::create_directory(ToPath(OutputPath()));
  try {
    Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    std::string expected = "Cannot create file \"" + S(OutputPath()) + "\". ";
    EXPECT_EQ(S(e.text()).substr(0, expected.size()), expected);
  }
  EXPECT_TRUE(std::filesystem::is_directory(ToPath(OutputPath())));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path() / "txt"),
                          std::filesystem::directory_iterator()),
            2);  // no temporary file left behind

  std::filesystem::remove(ToPath(OutputPath()));
  Run();  // the tables were closed before the file was written
  EXPECT_EQ(OutputLines().size(), 3u);
}

// A timetable file marked read-only (the attribute on Windows, no write bit on POSIX, for root
// too) is refused with its name, and stays byte for byte as it was.
TEST_F(ImportFailureTest, ReadOnlyTimetableFileIsKept) {
  using std::filesystem::perms;
  std::filesystem::permissions(ToPath(OutputPath()),
                               perms::owner_read | perms::group_read | perms::others_read);
#ifdef _WIN32
  const int denied = 5;  // ERROR_ACCESS_DENIED
#else
  const int denied = EACCES;
#endif
  try {
    Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(S(e.text()), "Cannot create file \"" + S(OutputPath()) + "\". " +
                               S(SystemErrorText(denied)));
  }
  std::filesystem::permissions(ToPath(OutputPath()), perms::owner_read | perms::owner_write);
  ExpectFolderUntouched();
}

// The tables open in a fixed order: with this table and every later one missing, the error is
// about this one.
TEST_F(ImportFailureTest, MissingTable) {
  const std::vector<std::string> in_order = {"SOLUC", "GRUPOST",  "PROFT",
                                             "AULAT", "ASIGNOMT", "DIASHORAST"};
  for (std::size_t i = 0; i < in_order.size(); ++i) {
    SCOPED_TRACE(in_order[i]);
    for (std::size_t later = i; later < in_order.size(); ++later) {
      std::filesystem::remove(ToPath(ptemp_) / (in_order[later] + ".DBF"));
    }
    try {
      Run();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_THAT(S(e.text()), ::testing::HasSubstr(in_order[i] + ".DBF"));
    }
    ExpectFolderUntouched();

    // The tables opened before the failure were released: a second run can open them all.
    MakeSchool();
    MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
    Run();
    EXPECT_EQ(OutputLines().size(), 3u);
    WriteBytes(ToPath(OutputPath()), kOldFile);
  }
}

TEST_F(ImportFailureTest, TableHeldByAnotherProgram) {
  for (const char* name : {"SOLUC", "GRUPOST", "PROFT", "AULAT", "ASIGNOMT", "DIASHORAST"}) {
    SCOPED_TRACE(name);
    {
      Table other(ptemp_, U(name));
      other.Open(Share::kShared, Access::kReadOnly);
      EXPECT_THROW(Run(), Error);
      ExpectFolderUntouched();
    }
    Run();
    EXPECT_EQ(OutputLines().size(), 3u);
    WriteBytes(ToPath(OutputPath()), kOldFile);
  }
}

TEST_F(ImportFailureTest, MissingField) {
  constexpr auto kText = FieldKind::kText;
  auto soluc_without_aula = [&] {
    MakeTable(ptemp_, "SOLUC",
              {{u"DIA", kText, 2},
               {u"HORA", kText, 2},
               {u"MARCO", kText, 1},
               {u"PROF", kText, 4},
               {u"CODGRUPO", kText, 10},
               {u"TAREA", kText, 10},
               {u"ASIG", kText, 10}},
              {{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB"}});
  };
  soluc_without_aula();
  EXPECT_ERROR_TEXT(Run(), u"wwTableSoluc: Field 'AULA' not found");
  ExpectFolderUntouched();

  MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
  MakeTable(ptemp_, "DIASHORAST", {{u"DIA", kText, 2}, {u"HORA", kText, 2}, {u"MARCO", kText, 1}},
            {{"2", "3", "0"}});
  EXPECT_ERROR_TEXT(Run(), u"wwTableTramos: Field 'CODDIHO' not found");
  ExpectFolderUntouched();

  // Both: the period comes first in the record, so DIASHORAST's missing field is the error.
  soluc_without_aula();
  EXPECT_ERROR_TEXT(Run(), u"wwTableTramos: Field 'CODDIHO' not found");
  ExpectFolderUntouched();
}

// The tables are opened, walked and closed before the timetable file is written: with a file that
// cannot be replaced, a table that is missing or lacks a field is the error the run reports, and
// only with every table in order does the file's own error come, once the tables are closed.
TEST_F(ImportFailureTest, TablesComeBeforeTheFile) {
  std::filesystem::remove(ToPath(OutputPath()));
  std::filesystem::create_directory(ToPath(OutputPath()));
  const std::filesystem::path soluc = ToPath(ptemp_) / "SOLUC.DBF";
  const std::string soluc_bytes = ReadBytes(soluc);

  std::filesystem::remove(soluc);
  EXPECT_ERROR_TEXT(Run(), u"Table does not exist.\nTable: " + Table(ptemp_, u"SOLUC").Path());
  WriteBytes(soluc, soluc_bytes);

  constexpr auto kText = FieldKind::kText;
  MakeTable(ptemp_, "DIASHORAST", {{u"DIA", kText, 2}, {u"HORA", kText, 2}, {u"MARCO", kText, 1}},
            {{"2", "3", "0"}});
  EXPECT_ERROR_TEXT(Run(), u"wwTableTramos: Field 'CODDIHO' not found");

  MakeSchool();
  try {
    Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    const std::string expected = "Cannot create file \"" + S(OutputPath()) + "\". ";
    EXPECT_EQ(S(e.text()).substr(0, expected.size()), expected);
  }
  EXPECT_TRUE(std::filesystem::is_directory(ToPath(OutputPath())));
  Table held(ptemp_, u"SOLUC", u"wwTableSoluc");  // released: it opens for exclusive use
  EXPECT_NO_THROW(held.Open(Share::kExclusive, Access::kReadOnly));
}

// The period code is read from a DIASHORAST row only when an entry matches it: a DIASHORAST
// without CODDIHO that no entry matches gives blank period codes, and the run completes.
TEST_F(ImportRunTest, PeriodCodeReadOnlyFromAMatchingRow) {
  constexpr auto kText = FieldKind::kText;
  MakeSchool();
  MakeTable(ptemp_, "DIASHORAST", {{u"DIA", kText, 2}, {u"HORA", kText, 2}, {u"MARCO", kText, 1}},
            {{"5", "5", "0"}});
  MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
  Run();
  const std::vector<std::string> lines = OutputLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 6), "1    M");
}

// A text DIA that is no whole number is no day: the run stops and names the table and the row
// (the third record of the file) rather than read it as 0 and drop the entry unseen.
TEST_F(ImportFailureTest, DayThatIsNotANumber) {
  for (const char* dia : {"L", "2X", "-", "9999999999"}) {
    SCOPED_TRACE(dia);
    MakeSoluc({{"2", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
               {"0", "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"},
               {dia, "3", "0", "JPG", "1ESOA", "*LEC", "LENB", "A12"}});
    const std::string soluc = S(Table(ptemp_, u"SOLUC").Path());
    try {
      Run();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      using ::testing::HasSubstr;
      EXPECT_THAT(S(e.text()),
                  ::testing::AllOf(HasSubstr("wwTableSoluc"), HasSubstr("'DIA'"),
                                   HasSubstr("row 3"), HasSubstr(dia), HasSubstr(soluc)));
    }
    ExpectFolderUntouched();
  }
}

}  // namespace
}  // namespace tpd::test
