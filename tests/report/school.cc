#include "tests/report/school.h"

#include <filesystem>

#include "export/export_run.h"
#include "timetable/import_run.h"
#include "transfer/codepage.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace fs = std::filesystem;

School::School() {
  fs::create_directory(root_.path() / "druv");
  fs::create_directory(root_.path() / "PTEMP");
  for (const auto& entry : fs::directory_iterator(SourceDir() / "examples" / "escuela")) {
    if (entry.is_regular_file()) {
      fs::copy_file(entry.path(), root_.path() / "druv" / entry.path().filename());
    }
  }
}

std::u16string School::dirTxt() const { return root_ / "druv" + std::u16string(PathSeparator()); }
std::u16string School::table_folder() const { return root_ / "PTEMP"; }

std::vector<std::string> School::Lines(std::string_view file) const {
  const std::string bytes = ReadBytes(root_.path() / "druv" / std::string(file));
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

void School::Store(std::string_view file, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteRaw(file, bytes);
}

void School::SetLine(std::string_view file, int n, std::string_view text) {
  std::vector<std::string> lines = Lines(file);
  lines.at(static_cast<size_t>(n - 1)) = EncodeAnsi(U(text));
  Store(file, lines);
}

void School::Patch(std::string_view file, int n, int column, std::string_view text) {
  std::vector<std::string> lines = Lines(file);
  std::string& line = lines.at(static_cast<size_t>(n - 1));
  const std::string bytes = EncodeAnsi(U(text));
  const size_t at = static_cast<size_t>(column - 1);
  if (line.size() < at + bytes.size()) line.resize(at + bytes.size(), ' ');
  line.replace(at, bytes.size(), bytes);
  Store(file, lines);
}

void School::InsertLine(std::string_view file, int before, std::string_view text) {
  std::vector<std::string> lines = Lines(file);
  lines.insert(lines.begin() + (before - 1), EncodeAnsi(U(text)));
  Store(file, lines);
}

void School::Remove(std::string_view file) { fs::remove(root_.path() / "druv" / std::string(file)); }

void School::WriteRaw(std::string_view file, std::string_view bytes) {
  WriteBytes(root_.path() / "druv" / std::string(file), bytes);
}

bool School::Export(int& estado, RunCounters* counters, std::u16string tables) {
  QuietFrontEnd ui;
  ExportContext ctx{dirTxt(), tables.empty() ? table_folder() : tables, estado, ui, counters};
  try {
    ExportSteps(ctx);
  } catch (const Error&) {
    return true;
  }
  return false;
}

void School::Import(RunCounters* counters) {
  fs::copy_file(SourceDir() / "examples" / "escuela" / "ptemp" / "SOLUC.DBF",
                root_.path() / "PTEMP" / "SOLUC.DBF", fs::copy_options::overwrite_existing);
  const Clock clock = [] { return LocalDateTime{2026, 9, 1, 8, 0}; };
  ImportTimetable(ImportContext{dirTxt(), table_folder(), clock, counters});
}

}  // namespace tpd::test
