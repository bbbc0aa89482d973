#include "tests/faults/fault_fixture.h"

#include "export/export_run.h"
#include "tables/table.h"
#include "transfer/file_system.h"

namespace tpd::test {

std::filesystem::path Reachable(const std::filesystem::path& path) {
#ifdef _WIN32
  // Folders are created only below MAX_PATH less room for an 8.3 file name.
  constexpr std::size_t kLongFrom = 260 - 12;
  std::wstring full = std::filesystem::absolute(path).make_preferred().wstring();
  if (full.size() >= kLongFrom && !full.starts_with(L"\\\\?\\")) full = L"\\\\?\\" + full;
  return full;
#else
  return path;
#endif
}

// Through the program's own file services, which reach folders of any length.
Snapshot TakeSnapshot(const std::filesystem::path& folder) {
  Snapshot files;
  for (const std::u16string& name : FolderEntries(folder.u16string())) {
    const std::u16string path = (folder / name).u16string();
    if (!FileExists(path)) continue;
    InputFile file(path);
    if (!file.ok()) throw std::runtime_error("cannot read " + ToUtf8(path));
    std::string& bytes = files[ToUtf8(name)];
    char piece[64 * 1024];
    while (std::size_t count = file.Read(piece, sizeof piece)) bytes.append(piece, count);
  }
  return files;
}

void CopySampleSchool(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (const auto& entry : std::filesystem::directory_iterator(SourceDir() / "examples/escuela")) {
    if (!entry.is_regular_file()) continue;
    std::filesystem::copy_file(entry.path(), folder / entry.path().filename(),
                               std::filesystem::copy_options::overwrite_existing);
  }
}

std::string ExportInto(const std::filesystem::path& input, const std::u16string& tables,
                       DiskSpace* space) {
  SilentFrontEnd ui;
  int estado = 0;
  ExportContext ctx{input.u16string() + std::u16string(PathSeparator()), tables, estado, ui};
  ctx.disk_space = space;
  try {
    ExportSteps(ctx);
  } catch (const Error& e) {
    return ToUtf8(e.text());
  }
  return "";
}

void OldTables::SetUp() {
  CopySampleSchool(input_);
  // What a clean run builds, for comparison.
  std::filesystem::create_directories(reference_);
  ASSERT_EQ(ExportInto(input_, reference_.u16string()), "");
  complete_ = TakeSnapshot(reference_);
  std::filesystem::create_directories(tables_);
  WriteOldTables();
  old_ = TakeSnapshot(tables_);
}

void OldTables::WriteOldTables() {
  for (const std::string& name : kExportTables) {
    const std::u16string table = FromUtf8(name);
    DeleteTableFiles(tables_.u16string(), table);
    Table t(tables_.u16string(), table);
    t.Create({{u"OLD", FieldKind::kText, 10}});
    t.Open(Share::kShared, Access::kReadWrite);
    t.Append();
    t.SetText(u"OLD", table);
    t.Post();
    t.Close();
  }
}

void OldTables::ExpectOldOrComplete(const std::string& context) {
  for (const auto& [name, bytes] : TakeSnapshot(tables_)) {
    ASSERT_TRUE(old_.count(name)) << context << ": unexpected file " << name;
    EXPECT_TRUE(bytes == old_.at(name) || bytes == complete_.at(name))
        << context << ": " << name << " is neither the old nor the complete new table";
  }
  EXPECT_EQ(TakeSnapshot(tables_).size(), old_.size()) << context;
}

}  // namespace tpd::test
