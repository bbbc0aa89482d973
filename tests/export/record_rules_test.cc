// The per-record rules that the export steps and the check of a folder's transfer files share,
// and the widths that check assumes for the table fields the steps fill.
#include <algorithm>
#include <string>
#include <vector>

#include "export/record_layouts.h"
#include "export/record_rules.h"
#include "tables/table.h"
#include "tests/export/export_fixture.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

TEST(HoursOf, BlankIsOneHourCommaIsAPointAndBelowOneIsOne) {
  const struct {
    const char* text;
    double hours;
  } cases[] = {
      {"", 1},       {"4", 4},    {"2,5", 2.5}, {"2.5", 2.5}, {"14,5", 14.5}, {"0,5", 1},
      {"0", 1},      {"-2", 1},   {",5", 1},    {"3,", 3},    {"1e1", 10},    {"0,999", 1},
      {"1,25", 1.25},
  };
  for (const auto& c : cases) EXPECT_EQ(HoursOf(U(c.text)), c.hours) << c.text;
}

TEST(HoursOf, RefusesOtherTextQuotingItWithPeriods) {
  const struct {
    const char* text;
    const char* quoted;  // as the error shows it
  } cases[] = {
      {"abc", "abc"}, {"1,2,3", "1.2.3"}, {"2.5,1", "2.5.1"}, {"1 5", "1 5"},
      {",", "."},     {"+", "+"},         {"1e999", "1e999"}, {"1h", "1h"},
  };
  for (const auto& c : cases) {
    EXPECT_ERROR_TEXT(HoursOf(U(c.text)),
                      U("'" + std::string(c.quoted) + "' is not a valid floating point value"));
  }
}

TEST(ClockTimes, MinutesBetweenTwoClockTimes) {
  const struct {
    const char* start;  // hhmm as cut from the record
    const char* end;
    const char* start_clock;
    int minutes;
  } cases[] = {
      {"0830", "0925", "08:30", 55},
      {"0800", "0800", "08:00", 0},
      {"0930", "0830", "09:30", -60},     // ends before it starts
      {"2359", "0000", "23:59", -1439},
      {"830", "0930", "83:0", -4410},     // three digits are taken where they stand
      {"-830", "0930", "-8:30", 1020},    // a signed part is a number too
  };
  for (const auto& c : cases) {
    EXPECT_EQ(S(ClockTime(U(c.start))), c.start_clock) << c.start;
    EXPECT_EQ(MinutesBetween(ClockTime(U(c.start)), ClockTime(U(c.end))), c.minutes) << c.start;
  }
}

TEST(ClockTimes, TheFirstPartThatIsNoNumberNamesTheError) {
  // End hours, start hours, end minutes, start minutes: the first bad one is quoted.
  const struct {
    const char* start;
    const char* end;
    const char* quoted;
  } cases[] = {
      {"xx00", "yy00", "yy"},  {"xx00", "0900", "xx"}, {"08a0", "09b0", "b0"},
      {"08a0", "0930", "a0"},  {"", "0930", ":"},      {"0830", "9", "9:"},
      {"08", "0930", ""},      {"0 30", "0930", "0 "},
  };
  for (const auto& c : cases) {
    EXPECT_ERROR_TEXT(MinutesBetween(ClockTime(U(c.start)), ClockTime(U(c.end))),
                      U("'" + std::string(c.quoted) + "' is not a valid integer value"));
  }
}

TEST(ComposedValues, LongCodeActivityCodeRoomNameAndLevel) {
  const struct {
    const char* name;
    const char* long_code;
  } long_codes[] = {
      {"Lengua Castellana y Literatura", "LCyL"},
      {"Matemáticas", "M"},
      {"", ""},
      {"Una  dos", "U d"},  // a blank after a blank is taken as the initial
  };
  for (const auto& c : long_codes) EXPECT_EQ(S(SubjectLongCode(U(c.name))), c.long_code);

  EXPECT_EQ(S(ActivityCode(Rec("1", {{2, "GUAR"}, {6, "Guardia"}}))), "*GUAR");
  EXPECT_EQ(S(ActivityCode(Rec("1", {{6, "Sin código"}}))), "*");

  const struct {
    const char* name;
    const char* second;
    const char* joined;
  } rooms[] = {
      {"Aula 101", "Primera planta", "Aula 101 Primera planta"},
      {"Aula", "", "Aula "},  // the blank stays when a part is empty
      {"", "Patio", " Patio"},
      {"", "", " "},
  };
  for (const auto& c : rooms) {
    EXPECT_EQ(S(RoomName(Rec("1", {{2, "A101"}, {12, c.name}, {82, c.second}}))), c.joined);
  }

  EXPECT_EQ(S(GroupLevel(Rec("1", {{2, "1ESOA"}, {15, "ESO"}, {21, "1"}}))), "ESO");
  EXPECT_EQ(S(GroupLevel(Rec("1", {{2, "1ESOA"}, {21, "1"}}))), "NIV");
  EXPECT_EQ(S(GroupLevel(u"11ESOA")), "NIV");  // the line ends before the level
}

// The check of a folder measures what the steps store against these widths: a table field made
// wider or narrower in a step's field list without its layout would make the two disagree.
class StoredWidths : public ExportTest {};

TEST_F(StoredWidths, AreTheWidthsOfTheFieldsTheExportCreates) {
  ctx_.dirTxt =
      (SourceDir() / "examples" / "escuela").u16string() + std::u16string(PathSeparator());
  ExportSteps(ctx());
  namespace l = layouts;
  const struct {
    const char* table;
    std::vector<Column> columns;
  } cases[] = {
      {"ASIGNOMT",
       {l::asignat::kCode, l::asignat::kName, l::asignat::kSuffix, l::actividades::kLongCode,
        l::actividades::kName, l::actividades::kTask, {u"CODLARGO", 0, 0, kLongCodeWidth}}},
      {"PROFT", {l::prof::kCode, l::prof::kName, l::prof::kDepartment}},
      {"AULAT", {l::aulas::kCode, {u"NOMBRE", 0, 0, kRoomNameWidth}}},
      {"GRUPOST", {l::grupo::kCode, l::grupo::kLevel, l::grupo::kCourse, l::grupo::kShift}},
      {"ASIGT",
       {l::asignatgrupo::kGroup, l::asignatgrupo::kSubject, l::asignatgrupo::kSuffix}},
      {"DIASHORAST", {l::sesiones::kCode}},
  };
  for (const auto& c : cases) {
    Table table(table_folder_, U(c.table));
    table.Open(Share::kShared, Access::kReadOnly);
    for (const Column& column : c.columns) {
      const std::vector<FieldDef>& fields = table.Fields();
      const auto field = std::find_if(fields.begin(), fields.end(),
                                      [&](const FieldDef& f) { return f.name == column.name; });
      ASSERT_NE(field, fields.end()) << c.table << " " << S(column.name);
      EXPECT_EQ(field->width, column.stored) << c.table << " " << S(column.name);
    }
    table.Close();
  }
}

}  // namespace
}  // namespace tpd::test
