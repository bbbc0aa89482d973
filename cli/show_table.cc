#include "cli/show_table.h"

#include "cli/console.h"
#include "tables/table.h"
#include "transfer/text.h"

namespace tpd {

void ShowTable(const std::u16string& table_folder, const std::u16string& name, int rows) {
  Table table(table_folder, name);
  table.Open(Share::kShared, Access::kReadOnly);
  WriteOut(UpperAscii(name) + u": " + IntToText(table.RowCount()) + u" filas (" + table.Path() +
           u")");
  std::u16string header;
  for (const FieldDef& f : table.Fields()) {
    if (!header.empty()) header += u" | ";
    header += f.name;
  }
  WriteOut(header);
  int shown = 0;
  for (table.First(); !table.Eof() && (rows < 0 || shown < rows); table.Next(), ++shown) {
    std::u16string line;
    for (const FieldDef& f : table.Fields()) {
      if (!line.empty()) line += u" | ";
      line += table.AsText(f.name);
    }
    WriteOut(line);
  }
  table.Close();
}

}  // namespace tpd
