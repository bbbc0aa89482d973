// The export run: six steps that rebuild the timetabler's tables from the DRUV transfer files of
// the chosen folder. The run takes everything as values; it never touches a window.
#pragma once

#include <string>

#include "transfer/front_end.h"
#include "transfer/replace_file.h"
#include "transfer/run_counters.h"

namespace tpd {

struct ExportContext {
  std::u16string dirTxt;        // the chosen folder followed by the path separator
  std::u16string table_folder;  // the folder of the tables (\PTEMP on the chosen folder's drive)
  int& estado;                  // the process-wide run status
  FrontEnd& ui;
  RunCounters* counters = nullptr;  // the console's run summary; none in the dialog
  DiskSpace* disk_space = nullptr;  // tests: a disk that fills up; none in the program
};

// The six steps, in the order the run calls them; one source each.
void TraspasaAsignaturas(ExportContext& ctx);
void TraspasaProfesores(ExportContext& ctx);
void TraspasaAulas(ExportContext& ctx);
void TraspasaGrupos(ExportContext& ctx);
void TraspasaAsignaturasGrupos(ExportContext& ctx);
void TraspasaSesiones(ExportContext& ctx);

// The run's work once the folder has been found: `estado` becomes 1, then the six steps run in
// order, each whatever the earlier ones did. An Error from a step ends the run (later steps do
// not run) and passes to the caller.
void ExportSteps(ExportContext& ctx);

}  // namespace tpd
