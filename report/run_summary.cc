#include "report/run_summary.h"

#include "transfer/text.h"

namespace tpd {

std::u16string ReasonText(PassedOver why) {
  switch (why) {
    case PassedOver::kHeaderTrailer:
      return u"cabeceras y registros de cierre pasados por alto";
    case PassedOver::kOtherLine:
      return u"registros con el nombre del fichero pasados por alto";
    case PassedOver::kEmptyCode:
      return u"asignaturas sin código pasadas por alto";
    case PassedOver::kDuplicateCode:
      return u"códigos repetidos pasados por alto";
    case PassedOver::kTakenAfterNumbering:
      return u"asignaturas pasadas por alto: su código ya estaba usado después de numerarlo";
    case PassedOver::kSubjectNotFound:
      return u"asignaturas de grupo pasadas por alto: su asignatura no está en ASIGNOMT";
    case PassedOver::kGroupNotFound:
      return u"asignaturas de grupo sin su grupo en GRUPOST (sin turno, nivel, curso ni grupo)";
    case PassedOver::kHoursNotMatched:
      return u"asignaturas de grupo sin registro de horas (se les pone 1 hora)";
    case PassedOver::kDayZero:
      return u"filas de SOLUC con día 0 pasadas por alto";
    case PassedOver::kPeriodFallback:
      return u"entradas sin tramo en DIASHORAST (código de tramo en blanco)";
    case PassedOver::kGroupFallback:
      return u"grupos que no están en GRUPOST (se escribe el código de SOLUC)";
    case PassedOver::kTaskFallback:
      return u"tareas que no están en ASIGNOMT (se escribe LEC)";
    case PassedOver::kSubjectFallback:
      return u"asignaturas que no están en ASIGNOMT (asignatura en blanco)";
    case PassedOver::kRoomFallback:
      return u"aulas que no están en AULAT (se escribe el código de SOLUC)";
  }
  return u"?";
}

namespace {

// Tables count rows; the timetable file counts records.
bool IsFile(const std::u16string& name) { return name.find(u'.') != std::u16string::npos; }

}  // namespace

std::vector<std::u16string> SummaryLines(const RunCounters& counters) {
  std::vector<std::u16string> lines{u"Resumen:"};
  if (counters.targets().empty()) lines.push_back(u"  no se ha escrito ninguna tabla");
  for (const RunCounters::Target& t : counters.targets()) {
    lines.push_back(u"  " + t.name + u": " + IntToText(t.rows) +
                    (IsFile(t.name) ? u" registros escritos" : u" filas escritas"));
    for (const auto& [why, count] : t.passed_over) {
      lines.push_back(u"    " + ReasonText(why) + u": " + IntToText(count));
    }
  }
  return lines;
}

}  // namespace tpd
