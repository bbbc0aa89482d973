// The period codes of DIASHORAST by day, period number and mark, read in one walk of the table.
#pragma once

#include <string>
#include <string_view>

#include "tables/table.h"
#include "transfer/first_by_key.h"

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
  // The key of a triple, made in `key_` (reused: this runs for every SOLUC entry).
  std::u16string_view Key(std::u16string_view dia, std::u16string_view hora,
                          std::u16string_view marco) const;
  FirstByKey<std::u16string> codes_;
  mutable std::u16string key_;
};

}  // namespace tpd
