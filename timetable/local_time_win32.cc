#include <windows.h>

#include "timetable/import_run.h"

namespace tpd {

LocalDateTime LocalNow() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute};
}

}  // namespace tpd
