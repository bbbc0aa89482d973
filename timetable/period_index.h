// The period codes of DIASHORAST by day, period number and mark, read in one walk of the table.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "tables/table.h"

namespace tpd {

class PeriodIndex {
 public:
  // Walks `tramos` (open) from its first row; for each (DIA, HORA, MARCO) the first row in table
  // order gives the code, as a walk from the first row for every entry would find it.
  explicit PeriodIndex(Table& tramos);

  // CODDIHO of the first row whose three texts equal these exactly, with case; empty when none.
  std::u16string Find(std::u16string_view dia, std::u16string_view hora,
                      std::u16string_view marco) const;

 private:
  std::unordered_map<std::u16string, std::u16string> codes_;
};

}  // namespace tpd
