// What a run counts for the console's run summary: rows written per table or file, and records
// passed over per step, grouped by reason. The runs count only when they are given a sink; the
// dialog gives none, and counting never changes what a run writes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// Why a record or a row was passed over, or why a look-up fell back to its default.
enum class PassedOver {
  kHeaderTrailer,        // a header ("0") or trailer ("9") record
  kOtherLine,            // a record of another type that carries the file's own record name
  kEmptyCode,            // a subject whose code and suffix are both blank
  kDuplicateCode,        // a teacher or activity code already taken
  kTakenAfterNumbering,  // a subject whose numbered (or folded) short code was taken too
  kSubjectNotFound,      // an assignment whose subject and suffix are not in ASIGNOMT
  kGroupNotFound,        // an assignment whose group is not in GRUPOST (its group data stay empty)
  kHoursNotMatched,      // an assignment that no hours record matches
  kDayZero,              // a SOLUC row with day 0, not placed
  kPeriodFallback,       // no DIASHORAST row for the entry: blank period code
  kGroupFallback,        // group not in GRUPOST: the entry's own code
  kTaskFallback,         // task not in ASIGNOMT: "LEC"
  kSubjectFallback,      // subject not in ASIGNOMT: blank subject, no suffix
  kRoomFallback,         // room not in AULAT: the entry's own code
};

class RunCounters {
 public:
  struct Target {
    std::u16string name;  // the table or file written
    long long rows = 0;
    std::map<PassedOver, long long> passed_over;
  };

  void Row(std::u16string_view target, long long n = 1) { Find(target).rows += n; }
  void Pass(std::u16string_view target, PassedOver why) { Find(target).passed_over[why]++; }
  // A target that was rebuilt, even if it got no row.
  void Touch(std::u16string_view target) { Find(target); }

  // In the order in which the run first touched them.
  const std::vector<Target>& targets() const { return targets_; }

 private:
  Target& Find(std::u16string_view name) {
    for (Target& t : targets_) {
      if (t.name == name) return t;
    }
    Target& added = targets_.emplace_back();
    added.name = name;
    return added;
  }

  std::vector<Target> targets_;
};

// The calls the runs make: each does nothing without a sink.
inline void CountRow(RunCounters* c, std::u16string_view target) {
  if (c) c->Row(target);
}
inline void CountRows(RunCounters* c, std::u16string_view target, long long n) {
  if (c) c->Row(target, n);
}
inline void CountPassedOver(RunCounters* c, std::u16string_view target, PassedOver why) {
  if (c) c->Pass(target, why);
}
inline void CountTable(RunCounters* c, std::u16string_view target) {
  if (c) c->Touch(target);
}

}  // namespace tpd
