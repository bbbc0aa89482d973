#include "app/run_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "transfer/file_system.h"

namespace tpd {
namespace {

using test::TempDir;
using test::U;

// Records what a run shows, in order, with the cursor changes in between.
class FakeFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { events.push_back(test::S(text)); }
  void SetBusy(bool busy) override { events.push_back(busy ? "<busy>" : "<normal>"); }
  std::vector<std::string> events;
};

struct ShapeCase {
  const char* name;
  RunKind kind;
  bool folder_exists;
  bool parameter_mode;
  bool work_fails;
  int estado_before;
  int estado_after;
  RunOutcome outcome;  // ignored when the work fails
  std::vector<std::string> events;
};

// Keeps the case's name, not its bytes, in test listings.
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class RunShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RunShapeTest, FollowsTheShapeOfTheRunButtons) {
  const ShapeCase& c = GetParam();
  TempDir dir;
  std::u16string folder = c.folder_exists ? dir.u16() : dir / "no-such-folder";
  FakeFrontEnd ui;
  int estado = c.estado_before;
  std::u16string seen_dir;
  int estado_during_work = -99;
  auto work = [&](const std::u16string& dirTxt) {
    seen_dir = dirTxt;
    estado_during_work = estado;
    if (c.kind == RunKind::kExport) estado = 1;  // as the export steps do first
    if (c.work_fails) throw Error(u"I/O error 32");
  };

  if (c.work_fails) {
    EXPECT_ERROR_TEXT(RunButton(c.kind, folder, c.parameter_mode, estado, ui, work),
                      u"I/O error 32");
  } else {
    EXPECT_EQ(RunButton(c.kind, folder, c.parameter_mode, estado, ui, work), c.outcome);
  }
  EXPECT_EQ(estado, c.estado_after);
  EXPECT_EQ(ui.events, c.events);
  if (c.folder_exists) {
    EXPECT_EQ(seen_dir, folder + std::u16string(PathSeparator()));
    EXPECT_EQ(estado_during_work, c.estado_before) << "the import run sets 1 only at its end";
  } else {
    EXPECT_TRUE(seen_dir.empty()) << "the work must not run without its folder";
  }
}

const std::vector<std::string> kDone = {"<busy>", "<normal>", "Proceso finalizado"};
const std::vector<std::string> kMissing = {"No existe la carpeta"};
const std::vector<std::string> kFailed = {"<busy>", "<normal>"};

INSTANTIATE_TEST_SUITE_P(
    Cases, RunShapeTest,
    ::testing::Values(
        ShapeCase{"ExportCompletes", RunKind::kExport, true, false, false, 0, 1,
                  RunOutcome::kCompleted, kDone},
        ShapeCase{"ImportCompletes", RunKind::kImport, true, true, false, 0, 1,
                  RunOutcome::kCompleted, kDone},
        ShapeCase{"ExportFolderMissingParameterMode", RunKind::kExport, false, true, false, 0, -1,
                  RunOutcome::kFolderMissing, kMissing},
        ShapeCase{"ImportFolderMissingParameterMode", RunKind::kImport, false, true, false, 1, 0,
                  RunOutcome::kFolderMissing, kMissing},
        ShapeCase{"FolderMissingByHandKeepsEstado", RunKind::kExport, false, false, false, 1, 1,
                  RunOutcome::kFolderMissing, kMissing},
        ShapeCase{"FailedExportIsNeverSuccess", RunKind::kExport, true, true, true, 0, -1,
                  RunOutcome::kCompleted, kFailed},
        ShapeCase{"FailedImportKeepsEstado", RunKind::kImport, true, true, true, 0, 0,
                  RunOutcome::kCompleted, kFailed}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

// An export step that found its file missing leaves -1; the run's end must not turn it into 1.
TEST(RunShape, ExportKeepsMinusOneFromAStep) {
  TempDir dir;
  FakeFrontEnd ui;
  int estado = 0;
  RunButton(RunKind::kExport, dir.u16(), true, estado, ui,
            [&](const std::u16string&) { estado = -1; });
  EXPECT_EQ(estado, -1);
}

}  // namespace
}  // namespace tpd
