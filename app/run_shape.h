// The shape that both run buttons share, around the run's own work: the folder test with its
// message, the busy cursor, "Proceso finalizado". Portable: the dialog and the console both use it.
#pragma once

#include <functional>
#include <string>

#include "transfer/front_end.h"

namespace tpd {

enum class RunKind { kExport, kImport };
enum class RunOutcome { kFolderMissing, kCompleted };

// `folder_in_use` is the chosen folder without a trailing separator (except at a drive's root);
// `work` receives `dirTxt`, that folder followed by the separator.
//  - Folder missing: "No existe la carpeta"; in parameter mode `estado` becomes -1 (export) or 0
//    (import). Returns kFolderMissing.
//  - Otherwise: busy cursor; the work (the export run's work, ExportSteps, sets `estado` to 1
//    before its first step); cursor back; an import run sets `estado` to 1; "Proceso finalizado".
//    Returns kCompleted.
//  - An Error from the work: the cursor returns to normal, an export run leaves `estado` at -1 (a
//    failed run is never reported as success), and the Error passes on.
RunOutcome RunButton(RunKind kind, const std::u16string& folder_in_use, bool parameter_mode,
                     int& estado, FrontEnd& ui,
                     const std::function<void(const std::u16string& dirTxt)>& work);

}  // namespace tpd
