#include "timetable/period_index.h"

namespace tpd {

PeriodIndex::PeriodIndex(tables::Table& tramos) {
  for (tramos.First(); !tramos.Eof(); tramos.Next()) {
    std::u16string key =
        Key(tramos.AsText(u"DIA"), tramos.AsText(u"HORA"), tramos.AsText(u"MARCO"));
    codes_.try_emplace(std::move(key), tramos.AsText(u"CODDIHO"));
  }
}

std::u16string PeriodIndex::Find(std::u16string_view dia, std::u16string_view hora,
                                 std::u16string_view marco) const {
  auto found = codes_.find(Key(dia, hora, marco));
  return found == codes_.end() ? std::u16string() : found->second;
}

// Each text is preceded by its length, so that no choice of separator can make two different
// triples (a text holding the separator, say) share a key.
std::u16string PeriodIndex::Key(std::u16string_view dia, std::u16string_view hora,
                                std::u16string_view marco) {
  std::u16string key;
  key.reserve(dia.size() + hora.size() + marco.size() + 6);
  for (std::u16string_view part : {dia, hora, marco}) {
    key += static_cast<char16_t>(part.size() & 0xFFFF);
    key += static_cast<char16_t>(part.size() >> 16);
    key += part;
  }
  return key;
}

}  // namespace tpd
