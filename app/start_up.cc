#include "app/start_up.h"

#include "transfer/text.h"

namespace tpd {
namespace {

constexpr int kParameterModeCount = 2;  // the timetabler always passes the run and one more word
constexpr std::u16string_view kStatusFileName = u"Pelcarin.ini";

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

StartUp ReadParameters(const std::vector<std::u16string>& params) {
  StartUp start;
  if (params.size() != kParameterModeCount) return start;
  start.numParam = kParameterModeCount;
  const std::u16string run = LowerAscii(params[0]);
  if (run == u"importar") start.panels = PanelChoice::kImportOnly;
  if (run == u"exportar") start.panels = PanelChoice::kExportOnly;
  return start;
}

std::u16string StatusFilePath(std::u16string_view program_file) {
  size_t end = program_file.size();
  while (end > 0 && !IsSeparator(program_file[end - 1])) --end;
  return std::u16string(program_file.substr(0, end)) + std::u16string(kStatusFileName);
}

}  // namespace tpd
