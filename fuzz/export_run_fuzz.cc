// A whole export run on a folder of fuzzed transfer files. The input is split at each
// kFileSeparator into the eight files, in the order of kFiles; files beyond the last part are
// absent. The tables are rebuilt from nothing for every input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "export/export_run.h"
#include "fuzz/fuzz_support.h"
#include "transfer/error.h"

namespace {

// A line of its own between two files: short enough for the fuzzer to find and keep.
constexpr std::string_view kFileSeparator = "\n####\n";

constexpr std::string_view kFiles[] = {
    "druv_asignat.txt", "DRUV_ACTIVIDADES.TXT", "druv_prof.txt",         "druv_aulas.txt",
    "druv_grupo.txt",   "druv_asignatgrupo.txt", "druv_asignatcurso.txt", "druv_sesiones.txt",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = tpd::FreshFolder("txt");
  const std::filesystem::path tables = tpd::FreshFolder("ptemp");
  std::string_view rest = tpd::Bytes(data, size);
  for (std::string_view name : kFiles) {
    const std::size_t end = rest.find(kFileSeparator);
    tpd::WriteFile(folder / name, rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + kFileSeparator.size());
  }

  tpd::SilentFrontEnd ui;
  int estado = 0;
  tpd::ExportContext ctx{folder.u16string() + u"/", tables.u16string(), estado, ui};
  try {
    tpd::ExportSteps(ctx);
  } catch (const tpd::Error&) {
    // Bad input ends the run with a message; the tables it had not finished stay as they were.
  }
  return 0;
}
