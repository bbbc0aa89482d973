#include "export/export_run.h"

#include <new>

#include "tables/table_paths.h"
#include "transfer/error.h"

namespace tpd {

namespace {

// Runs one step. A step that runs out of memory stops the run with an error naming the table it
// builds, as any other failure of the step does, never with the bare text of the allocator's.
void RunStep(ExportContext& ctx, void (*step)(ExportContext&), std::u16string_view table) {
  try {
    step(ctx);
  } catch (const std::bad_alloc&) {
    throw Error(Subst(u"Cannot build the table: not enough memory.\nTable: %s",
                      {JoinPath(ctx.table_folder, std::u16string(table) + u".DBF")}));
  }
}

}  // namespace

void ExportSteps(ExportContext& ctx) {
  ctx.estado = 1;
  // Each step runs whatever the earlier ones did; only an Error ends the run.
  RunStep(ctx, TraspasaAsignaturas, u"ASIGNOMT");
  RunStep(ctx, TraspasaProfesores, u"PROFT");
  RunStep(ctx, TraspasaAulas, u"AULAT");
  RunStep(ctx, TraspasaGrupos, u"GRUPOST");
  RunStep(ctx, TraspasaAsignaturasGrupos, u"ASIGT");
  RunStep(ctx, TraspasaSesiones, u"DIASHORAST");
}

}  // namespace tpd
