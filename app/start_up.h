// What the command line decides at start (parameter mode and the panel on offer), and where the
// status file lies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// The run status and the parameter count, both 0 when the program starts.
struct RunStatus {
  int estado = 0;    // 0, 1 or -1; written to the status file at close in parameter mode
  int numParam = 0;  // 2 in parameter mode (exactly two parameters), else 0
  bool ParameterMode() const { return numParam == 2; }
};

enum class PanelChoice { kBoth, kExportOnly, kImportOnly };

struct StartUp {
  int numParam = 0;
  PanelChoice panels = PanelChoice::kBoth;
};

// Exactly two parameters give parameter mode; then "importar" or "exportar" as the first, in any
// letter case (only A-Z fold), keeps that run's panel alone. The second parameter is never read.
StartUp ReadParameters(const std::vector<std::u16string>& params);

// The status file beside the program file: its folder followed by "Pelcarin.ini".
std::u16string StatusFilePath(std::u16string_view program_file);

}  // namespace tpd
