// The console's run summary: the counts of a run in Spanish, one line each.
#pragma once

#include <string>
#include <vector>

#include "transfer/run_counters.h"

namespace tpd {

// A heading, then per table or file written the rows written and, indented beneath, every reason
// that passed records over with its count, in the order of the PassedOver reasons.
std::vector<std::u16string> SummaryLines(const RunCounters& counters);

// The Spanish text of a reason, as the summary lists it.
std::u16string ReasonText(PassedOver why);

}  // namespace tpd
