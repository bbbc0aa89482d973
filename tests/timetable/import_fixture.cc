#include "tests/timetable/import_fixture.h"

#include <filesystem>

#include "transfer/file_system.h"

namespace tpd::test {


void MakeTable(const std::u16string& folder, const std::string& name,
               const std::vector<FieldDef>& fields, const std::vector<Row>& rows) {
  Table table(folder, U(name) + u".DBF");
  table.Create(fields);
  table.Open(Share::kShared, Access::kReadWrite);
  for (const Row& row : rows) {
    table.Append();
    for (std::size_t i = 0; i < row.size(); ++i) table.SetText(fields[i].name, U(row[i]));
    table.Post();
  }
  table.Close();
}

ImportFixture::ImportFixture() {
  std::filesystem::create_directory(dir_.path() / "txt");
  std::filesystem::create_directory(dir_.path() / "PTEMP");
  txt_ = (dir_ / "txt") + std::u16string(PathSeparator());
  ptemp_ = dir_ / "PTEMP";
  WriteSubjects(SubjectsHeader("28001234010320260800") + "\r\n1MAT\r\n");
}

std::string SubjectsHeader(const std::string& from_column_52) {
  return "0" + Padded("DRUV_ASIGNAT.TXT", 50) + from_column_52;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void ImportFixture::MakeSchool() {
  constexpr auto kText = FieldKind::kText;
  MakeTable(ptemp_, "DIASHORAST",
            {{u"DIHO", kText, 10},
             {u"CODDIHO", kText, 10},
             {u"DIA", kText, 20},
             {u"HORA", kText, 8},
             {u"MARCO", kText, 1}},
            {
                {"23", "0203", "2", "3", "0"},    // the worked example
                {"11", "0101", "1", "1", "0"},    // two rows for Monday's first period:
                {"11", "0199", "1", "1", "0"},    // the first one counts
                {"91", "0901", "9", "1", "0"},    // a day outside 1-7
                {"121", "1201", "12", "1", "0"},  // a two-digit day
                {"31", "0301", "3", "1", ""},     // a row without MARCO
            });
  MakeTable(ptemp_, "GRUPOST", {{u"ABREV", kText, 10}, {u"NIVEL", kText, 5}},
            {{"1ESOA", "ESO"}, {"2ESOB", "ESO"}});
  MakeTable(ptemp_, "ASIGNOMT",
            {{u"COD", kText, 10},
             {u"CODTAREA", kText, 10},
             {u"CODDRUV", kText, 20},
             {u"CODIDIDRUV", kText, 10}},
            {
                {"LENB", "", "LCL", "ING"},
                {"RELB", "", "RE", "ING"},
                {"RELE", "", "RE", ""},
                {"RELL", "", "re", "ING"},
                {"MATB", "", "MAT", "   "},
                {"LARGA", "", "ABCDEFGHIJKLMNOPQRST", "ING"},
                {"*GUA", "GUA", "", ""},
                {"*NOT", "", "", ""},
            });
  MakeTable(ptemp_, "AULAT", {{u"ABREV", kText, 10}}, {{"LAB"}});
  MakeTable(ptemp_, "PROFT", {{u"COD", kText, 4}}, {{"JPG"}});
}

void ImportFixture::MakeSoluc(const std::vector<Row>& rows) {
  constexpr auto kText = FieldKind::kText;
  MakeTable(ptemp_, "SOLUC",
            {{u"DIA", kText, 12},
             {u"HORA", kText, 8},
             {u"MARCO", kText, 4},
             {u"PROF", kText, 5},
             {u"CODGRUPO", kText, 12},
             {u"TAREA", kText, 10},
             {u"ASIG", kText, 10},
             {u"AULA", kText, 12}},
            rows);
}

void ImportFixture::WriteSubjects(const std::string& bytes) {
  WriteBytes(ToPath(txt_ + u"druv_asignat.txt"), bytes);
}

void ImportFixture::Run() {
  ImportContext ctx;
  ctx.dirTxt = txt_;
  ctx.table_folder = ptemp_;
  clock_reads_ = 0;
  ctx.clock = [this] { return clock_reads_++ == 0 ? header_time_ : trailer_time_; };
  ImportTimetable(ctx);
}

std::vector<std::string> ImportFixture::OutputLines() const {
  std::string bytes = ReadBytes(ToPath(OutputPath()));
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(start, bytes.size()) << "the file does not end with CR LF";
  return lines;
}

}  // namespace tpd::test
