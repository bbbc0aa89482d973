// A whole import run on a fuzzed SOLUC.DBF, beside the sample school's transfer files and the
// tables that exporting them builds (made once per process).
#include <cstddef>
#include <cstdint>

#include "export/export_run.h"
#include "fuzz/fuzz_support.h"
#include "timetable/import_run.h"
#include "transfer/error.h"

namespace {

const std::filesystem::path& SampleSchool() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path school = tpd::FreshFolder("escuela");
    std::filesystem::path source = std::filesystem::path(TPD_FUZZ_SOURCE_DIR) / "examples/escuela";
    for (const auto& entry : std::filesystem::directory_iterator(source)) {
      if (!entry.is_regular_file()) continue;
      std::filesystem::copy_file(entry.path(), school / entry.path().filename());
    }
    std::filesystem::create_directories(school / "ptemp");
    tpd::SilentFrontEnd ui;
    int estado = 0;
    tpd::ExportContext ctx{school.u16string() + u"/", (school / "ptemp").u16string(), estado, ui};
    tpd::ExportSteps(ctx);
    return school;
  }();
  return folder;
}

tpd::LocalDateTime FixedClock() { return {2024, 9, 2, 8, 30}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& school = SampleSchool();
  tpd::WriteFile(school / "ptemp" / "SOLUC.DBF", tpd::Bytes(data, size));
  try {
    tpd::ImportTimetable(
        tpd::ImportContext{school.u16string() + u"/", (school / "ptemp").u16string(), FixedClock});
  } catch (const tpd::Error&) {
    // A SOLUC that cannot be read ends the run with a message naming it.
  }
  return 0;
}
