// Step 6: teaching sessions into DIASHORAST, with slot numbers shared by all days.
#include "tests/export/export_fixture.h"

namespace tpd::test {
namespace {

using Table = std::vector<std::vector<std::string>>;

// Session record: code (5-8), day letter (9), start hhmm (10-13), end hhmm (14-17).
std::u16string Session(std::string_view code, std::string_view day, std::string_view start,
                       std::string_view end) {
  return Rec("1", {{5, code}, {9, day}, {10, start}, {14, end}});
}

class SessionsTest : public ExportTest {
 protected:
  void WriteSessions(std::vector<std::u16string> records) {
    WriteInput("druv_sesiones.txt", Framed("DRUV_SESIONES.TXT", std::move(records)));
  }
  Table Diashorast() {
    return Rows("DIASHORAST", {"DIA", "HORA", "CODDIHO", "TEXTOHOR", "HORADESDE", "HORAHASTA",
                               "MINUTOS", "DIHO", "MARCO", "TEXTODIA", "MARCOXML"});
  }
};

TEST_F(SessionsTest, FridaysEarlySessionIsTheFirstSlotOfEveryDay) {
  WriteSessions({Session("0001", "L", "0830", "0925"), Session("0002", "L", "0925", "1020"),
                 Session("0003", "M", "0830", "0925"), Session("0004", "V", "0800", "0900")});
  TraspasaSesiones(ctx());
  const Table expected = {
      {"1", "2", "0001", "2-08:30-09:25", "08:30", "09:25", "55", "12", "0", "", ""},
      {"1", "3", "0002", "3-09:25-10:20", "09:25", "10:20", "55", "13", "0", "", ""},
      {"2", "2", "0003", "2-08:30-09:25", "08:30", "09:25", "55", "22", "0", "", ""},
      {"5", "1", "0004", "1-08:00-09:00", "08:00", "09:00", "60", "51", "0", "", ""},
  };
  EXPECT_EQ(Diashorast(), expected);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

TEST_F(SessionsTest, DaysAndOddTimes) {
  WriteSessions({
      Session("0001", "X", "0900", "1000"),
      Session("0002", "l", "0900", "1000"),  // lower case is not converted
      Session("0003", "", "0900", "1000"),   // blank day
      Session("0004", "J", "1000", "0930"),  // ends before it starts
      Session("0005", "D", "830", "0915"),   // three digits: 83:0, after every proper time
      Session("0006", "S", "0900", "+100"),  // a sign converts
      Session("0007", "Q", "0900", "0955"),  // another letter stays
      Session("0008", "M", "0900", "09 5"),  // so do leading blanks
  });
  TraspasaSesiones(ctx());
  // Start times in order: 09:00, 10:00, 83:0.
  const Table expected = {
      {"3", "1", "0001", "1-09:00-10:00", "09:00", "10:00", "60", "31"},
      {"l", "1", "0002", "1-09:00-10:00", "09:00", "10:00", "60", "l1"},
      {"", "1", "0003", "1-09:00-10:00", "09:00", "10:00", "60", "1"},
      {"4", "2", "0004", "2-10:00-09:30", "10:00", "09:30", "-30", "42"},
      {"7", "3", "0005", "3-83:0-09:15", "83:0", "09:15", "-4425", "73"},
      {"6", "1", "0006", "1-09:00-+1:00", "09:00", "+1:00", "-480", "61"},
      {"Q", "1", "0007", "1-09:00-09:55", "09:00", "09:55", "55", "Q1"},
      {"2", "1", "0008", "1-09:00-09: 5", "09:00", "09: 5", "5", "21"},
  };
  EXPECT_EQ(Rows("DIASHORAST", {"DIA", "HORA", "CODDIHO", "TEXTOHOR", "HORADESDE", "HORAHASTA",
                               "MINUTOS", "DIHO"}),
            expected);
}

TEST_F(SessionsTest, TenOrMoreStartTimesGiveTwoDigitSlots) {
  std::vector<std::u16string> records;
  for (int i = 0; i < 11; ++i) {
    const std::string start = (i < 2 ? "0" : "") + std::to_string(8 + i) + "30";
    records.push_back(Session("S" + std::to_string(i), "L", start, start));
  }
  WriteSessions(records);
  TraspasaSesiones(ctx());
  const Table rows = Rows("DIASHORAST", {"HORA", "DIHO", "TEXTOHOR", "MINUTOS"});
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[9], (std::vector<std::string>{"10", "110", "10-17:30-17:30", "0"}));
  EXPECT_EQ(rows[10], (std::vector<std::string>{"11", "111", "11-18:30-18:30", "0"}));
}

TEST_F(SessionsTest, TimesThatDoNotConvertEndTheStepWithTheOldTableKept) {
  WriteSessions({Session("0001", "L", "0830", "0925")});
  TraspasaSesiones(ctx());
  const std::string before = TableBytes("DIASHORAST");
  ASSERT_FALSE(before.empty());
  // The parts convert in the order end hours, start hours, end minutes, start minutes.
  const struct {
    std::u16string record;
    const char* error;
  } cases[] = {
      {u"", "':' is not a valid integer value"},  // an empty line is a data record
      {Rec("1", {{20, "x"}}), "':' is not a valid integer value"},
      {Session("0002", "L", "0830", "9"), "'9:' is not a valid integer value"},
      {Session("0002", "L", "08a0", "0925"), "'a0' is not a valid integer value"},
      {Session("0002", "L", "x830", "y925"), "'y9' is not a valid integer value"},
      {Session("0002", "L", "x830", "0925"), "'x8' is not a valid integer value"},
      {Session("0002", "L", "0830", "0 95"), "'0 ' is not a valid integer value"},
      {Session("0002", "L", "0.30", "0925"), "'0.' is not a valid integer value"},
      {Session("0002", "L", "08+-", "0925"), "'+-' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    WriteSessions({Session("0001", "L", "0830", "0925"), c.record});
    EXPECT_ERROR_TEXT(TraspasaSesiones(ctx()), U(c.error));
    EXPECT_EQ(TableBytes("DIASHORAST"), before);
  }
}

TEST_F(SessionsTest, HeaderAndTrailerOnlyGiveAnEmptyTable) {
  WriteSessions({});
  TraspasaSesiones(ctx());
  EXPECT_TRUE(TableExists("DIASHORAST"));
  EXPECT_TRUE(Diashorast().empty());
}

TEST_F(SessionsTest, MissingFileLeavesTheOldTable) {
  WriteSessions({Session("0001", "L", "0830", "0925")});
  TraspasaSesiones(ctx());
  const std::string before = TableBytes("DIASHORAST");
  std::filesystem::remove(ToPath(input_folder_) / "druv_sesiones.txt");
  TraspasaSesiones(ctx());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoSessions});
  EXPECT_EQ(estado_, -1);
  EXPECT_EQ(TableBytes("DIASHORAST"), before);
}

TEST_F(SessionsTest, FileReadWholeTakesAByteOrderMark) {
  const std::string bom = "\xEF\xBB\xBF";
  WriteBytes(ToPath(input_folder_) / "druv_sesiones.txt",
             bom + "0DRUV_SESIONES.TXT\r\n1   0001L08300925\r9DRUV_SESIONES.TXT\n");
  TraspasaSesiones(ctx());
  EXPECT_EQ(Rows("DIASHORAST", {"CODDIHO", "DIHO"}), (Table{{"0001", "11"}}));
}

}  // namespace
}  // namespace tpd::test
