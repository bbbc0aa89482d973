// The sample school end to end: export examples/escuela, import its solved timetable, and compare
// DRUV_HORARIO.TXT with the file that examples/make_soluc.py worked out on its own.
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "tables/table.h"
#include "tests/support/test_support.h"
#include "timetable/import_run.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

namespace fs = std::filesystem;

class Messages : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { shown.emplace_back(text); }
  void SetBusy(bool) override {}
  std::vector<std::u16string> shown;
};

// Columns 60-71 of the header and of the trailer hold the run's date and time: checked for
// digits, then replaced by the golden file's "ddmmyyyyhhnn".
std::string MaskDateTime(std::string bytes) {
  constexpr std::size_t kStampStart = 59, kStampWidth = 12;
  std::size_t last_line = bytes.rfind("\r\n", bytes.size() - 3);
  last_line = last_line == std::string::npos ? 0 : last_line + 2;
  for (std::size_t line : {std::size_t{0}, last_line}) {
    if (line + kStampStart + kStampWidth > bytes.size()) break;
    std::string stamp = bytes.substr(line + kStampStart, kStampWidth);
    EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << stamp;
    bytes.replace(line + kStampStart, kStampWidth, "ddmmyyyyhhnn");
  }
  return bytes;
}

TEST(EscuelaTest, ExportThenImportGivesTheExpectedTimetableFile) {
  const fs::path sample = SourceDir() / "examples" / "escuela";
  TempDir dir;
  fs::create_directory(dir.path() / "carpeta");
  fs::create_directory(dir.path() / "PTEMP");
  for (const auto& entry : fs::directory_iterator(sample)) {
    if (entry.is_regular_file())
      fs::copy_file(entry.path(), dir.path() / "carpeta" / entry.path().filename());
  }
  const std::u16string dirTxt = (dir / "carpeta") + std::u16string(PathSeparator());
  const std::u16string ptemp = dir / "PTEMP";

  int estado = 0;
  Messages ui;
  ExportContext export_ctx{dirTxt, ptemp, estado, ui};
  ExportSteps(export_ctx);
  ASSERT_EQ(estado, 1);
  ASSERT_TRUE(ui.shown.empty()) << S(ui.shown.front());

  fs::copy_file(sample / "ptemp" / "SOLUC.DBF", dir.path() / "PTEMP" / "SOLUC.DBF");
  ImportTimetable({dirTxt, ptemp});  // the machine's clock

  EXPECT_EQ(MaskDateTime(ReadBytes(dir.path() / "carpeta" / "DRUV_HORARIO.TXT")),
            ReadBytes(SourceDir() / "tests" / "timetable" / "data" / "escuela_horario.txt"));
}

}  // namespace
}  // namespace tpd::test
