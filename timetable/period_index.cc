#include "timetable/period_index.h"

#include "transfer/text.h"

namespace tpd {

PeriodIndex::PeriodIndex(Table& tramos) {
  for (tramos.First(); !tramos.Eof(); tramos.Next()) {
    const std::u16string key =
        CompositeKey({tramos.AsText(u"DIA"), tramos.AsText(u"HORA"), tramos.AsText(u"MARCO")});
    if (!codes_.contains(key)) codes_.emplace(key, tramos.AsText(u"CODDIHO"));
  }
}

std::u16string PeriodIndex::Find(std::u16string_view dia, std::u16string_view hora,
                                 std::u16string_view marco) const {
  const auto found = codes_.find(CompositeKey({dia, hora, marco}));
  return found == codes_.end() ? std::u16string() : found->second;
}

}  // namespace tpd
