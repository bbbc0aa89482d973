// The bytes of the tables we write: every dBase reader must open them and read the same values.
#include "tests/tables/table_fixtures.h"

namespace tpd::test {
namespace {

std::string Descriptor(const std::string& name, char type, int length, int decimals) {
  std::string d(32, '\0');
  d.replace(0, name.size(), name);
  d[11] = type;
  d[16] = static_cast<char>(length);
  d[17] = static_cast<char>(decimals);
  return d;
}

TEST(TableFormat, HeaderDescriptorsRecordsAndEndMark) {
  TempDir dir;
  Table t(dir.u16(), u"ASIGT.DBF");
  t.Create({Text(u"COD", 4), Logical(u"ESTAREA"), Integer(u"DNI"), Number(u"HORAS")});
  t.Open(Share::kShared, Access::kReadWrite);
  t.Append();
  t.SetText(u"COD", U("Ñu"));
  t.SetLogical(u"ESTAREA", true);
  t.SetNumber(u"DNI", -42);
  t.SetNumber(u"HORAS", 16.5);
  t.Post();
  t.Append();  // a row whose fields are never written
  t.Post();
  t.Append();
  t.SetLogical(u"ESTAREA", false);
  t.Post();
  t.Close();

  std::string expected;
  expected += std::string("\x03", 1) + "YMD";  // version, date (checked below)
  expected += std::string("\x03\0\0\0", 4);    // three rows
  expected += std::string("\xA1\0", 2);        // header: 32 + 4 * 32 + 1 = 161
  expected += std::string("\x25\0", 2);        // record: 1 + 4 + 1 + 11 + 20 = 37
  expected += std::string(17, '\0') + "\x57" + std::string(2, '\0');  // driver: code page 1252
  expected += Descriptor("COD", 'C', 4, 0);
  expected += Descriptor("ESTAREA", 'L', 1, 0);
  expected += Descriptor("DNI", 'N', 11, 0);
  expected += Descriptor("HORAS", 'N', 20, 4);
  expected += "\r";
  expected += " \xD1u  T        -42             16.5000";
  expected += std::string(37, ' ');
  expected += std::string(" ") + "    F" + std::string(31, ' ');
  expected += "\x1A";

  std::string bytes = tpd::test::ReadBytes(dir.path() / "ASIGT.DBF");
  ASSERT_EQ(bytes.size(), expected.size());
  EXPECT_GE(static_cast<unsigned char>(bytes[1]), 100);  // years since 1900
  EXPECT_GE(bytes[2], 1);
  EXPECT_LE(bytes[2], 12);
  EXPECT_GE(bytes[3], 1);
  EXPECT_LE(bytes[3], 31);
  bytes.replace(1, 3, "YMD");
  EXPECT_EQ(bytes, expected);
}

TEST(TableFormat, EmptyTableHasHeaderAndEndMarkOnly) {
  TempDir dir;
  Table t(dir.u16(), u"PROFT.DBF");
  t.Create({Text(u"ABREV", 10)});
  t.Close();  // committed without ever being opened
  const std::string bytes = tpd::test::ReadBytes(dir.path() / "PROFT.DBF");
  ASSERT_EQ(bytes.size(), 32u + 32 + 1 + 1);
  EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
  EXPECT_EQ(bytes.substr(64, 2), "\r\x1A");
}

}  // namespace
}  // namespace tpd::test
