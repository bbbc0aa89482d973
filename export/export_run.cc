#include "export/export_run.h"

namespace tpd {

void ExportSteps(ExportContext& ctx) {
  ctx.estado = 1;
  // Each step runs whatever the earlier ones did; only an Error ends the run.
  TraspasaAsignaturas(ctx);
  TraspasaProfesores(ctx);
  TraspasaAulas(ctx);
  TraspasaGrupos(ctx);
  TraspasaAsignaturasGrupos(ctx);
  TraspasaSesiones(ctx);
}

}  // namespace tpd
