// The import run: the solved timetable SOLUC written as the DRUV transfer file DRUV_HORARIO.TXT.
#pragma once

#include <functional>
#include <string>

#include "transfer/run_counters.h"

namespace tpd {

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
using Clock = std::function<LocalDateTime()>;
// The machine's local date and time.
LocalDateTime LocalNow();

struct ImportContext {
  std::u16string dirTxt;        // the chosen folder followed by the path separator
  std::u16string table_folder;  // the folder of the tables
  Clock clock = LocalNow;       // read when the header and when the trailer is built
  RunCounters* counters = nullptr;  // the console's run summary; none in the dialog
};

// Centre code, header, one record per SOLUC row with DIA not 0, trailer; DRUV_HORARIO.TXT is
// replaced only once it has been written whole. Errors pass to the caller; the table components
// are released on the way out.
void ImportTimetable(const ImportContext& ctx);

}  // namespace tpd
