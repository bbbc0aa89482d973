#include "tests/export/export_fixture.h"

#include <filesystem>

#include "tables/table.h"
#include "transfer/file_system.h"
#include "transfer/transfer_file.h"

namespace tpd::test {

std::u16string Rec(std::string_view type,
                   std::initializer_list<std::pair<int, std::string_view>> fields) {
  std::u16string line = U(type);
  for (const auto& [column, text] : fields) {
    const std::u16string value = U(text);
    const size_t at = static_cast<size_t>(column - 1);
    if (line.size() < at + value.size()) line.resize(at + value.size(), u' ');
    line.replace(at, value.size(), value);
  }
  return line;
}

std::u16string Header(std::string_view record_name) { return Rec("0", {{2, record_name}}); }
std::u16string Trailer(std::string_view record_name) { return Rec("9", {{2, record_name}}); }

std::vector<std::u16string> Framed(std::string_view record_name,
                                   std::vector<std::u16string> records) {
  records.insert(records.begin(), Header(record_name));
  records.push_back(Trailer(record_name));
  return records;
}

ExportTest::ExportTest()
    : input_folder_(root_ / "entrada"),
      table_folder_(root_ / "PTEMP"),
      ctx_{input_folder_ + std::u16string(PathSeparator()), table_folder_, estado_, ui_} {
  std::filesystem::create_directory(ToPath(input_folder_));
  std::filesystem::create_directory(ToPath(table_folder_));
}

void ExportTest::WriteInput(std::string_view name, const std::vector<std::u16string>& lines) {
  WriteBytes(ToPath(input_folder_) / std::string(name), EncodeLines(lines));
}

std::vector<std::vector<std::string>> ExportTest::Rows(
    std::string_view table, std::initializer_list<std::string_view> fields) {
  Table t(table_folder_, U(table));
  t.Open(Share::kShared, Access::kReadOnly);
  std::vector<std::vector<std::string>> rows;
  for (t.First(); !t.Eof(); t.Next()) {
    auto& row = rows.emplace_back();
    for (std::string_view field : fields) row.push_back(ToUtf8(t.AsText(U(field))));
  }
  t.Close();
  return rows;
}

std::vector<double> ExportTest::Numbers(std::string_view table, std::string_view field) {
  Table t(table_folder_, U(table));
  t.Open(Share::kShared, Access::kReadOnly);
  std::vector<double> values;
  for (t.First(); !t.Eof(); t.Next()) values.push_back(t.AsNumber(U(field)));
  t.Close();
  return values;
}

bool ExportTest::TableExists(std::string_view table) const {
  return std::filesystem::exists(ToPath(table_folder_) / (std::string(table) + ".DBF"));
}

std::string ExportTest::TableBytes(std::string_view table) const {
  const auto path = ToPath(table_folder_) / (std::string(table) + ".DBF");
  return std::filesystem::exists(path) ? ReadBytes(path) : std::string();
}

}  // namespace tpd::test
