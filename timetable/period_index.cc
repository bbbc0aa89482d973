#include "timetable/period_index.h"

namespace tpd {

PeriodIndex::PeriodIndex(Table& tramos) {
  for (tramos.First(); !tramos.Eof(); tramos.Next()) {
    codes_.AddIfNew(Key(tramos.AsText(u"DIA"), tramos.AsText(u"HORA"), tramos.AsText(u"MARCO")),
                    [&] { return tramos.AsText(u"CODDIHO"); });
  }
}

std::u16string PeriodIndex::Find(std::u16string_view dia, std::u16string_view hora,
                                 std::u16string_view marco) const {
  const std::u16string* code = codes_.Find(Key(dia, hora, marco));
  return code == nullptr ? std::u16string() : *code;
}

// Each text is preceded by its length, so that no choice of separator can make two different
// triples (a text holding the separator, say) share a key.
std::u16string_view PeriodIndex::Key(std::u16string_view dia, std::u16string_view hora,
                                     std::u16string_view marco) const {
  key_.clear();
  for (std::u16string_view part : {dia, hora, marco}) {
    key_ += static_cast<char16_t>(part.size() & 0xFFFF);
    key_ += static_cast<char16_t>(part.size() >> 16);
    key_ += part;
  }
  return key_;
}

}  // namespace tpd
