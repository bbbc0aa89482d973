// What the six export steps share: the paths of their inputs, the report of a missing main input
// and the rebuild of a step's table. Their record layouts are in export/record_layouts.h, the rules
// by which they turn a record into what they store in export/record_rules.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/export_run.h"
#include "export/record_layouts.h"
#include "export/record_rules.h"
#include "tables/table.h"

namespace tpd {

// The transfer file `file_name` of the chosen folder (`dirTxt` already ends with the separator).
std::u16string InputPath(const ExportContext& ctx, std::u16string_view file_name);

// File test of a step's main input. When the file is missing the step's message is shown, the run
// status becomes -1 and false is returned: the step then leaves its table as it was.
bool MainInputPresent(ExportContext& ctx, const std::u16string& path,
                      std::u16string_view missing_message);

// Rebuilds the step's table from nothing: deletes NAME.DBF and NAME.MDX, creates NAME.DBF with
// exactly `fields` and opens it shared for reading and writing. The new table replaces the old
// one only when the step closes it; a step that ends with an error leaves the old table alone.
void RebuildTable(Table& table, const ExportContext& ctx, std::u16string_view name,
                  const std::vector<FieldDef>& fields);

// For the run summary: a line of the step's input that is no data record of its record name,
// told apart as header/trailer or any other line.
void CountNonDataLine(const ExportContext& ctx, std::u16string_view table, std::u16string_view line);
// How such a line is counted.
PassedOver NonDataLineKind(std::u16string_view line);

// A text field of the given width, for field lists.
FieldDef TextField(std::u16string_view name, int width);

}  // namespace tpd
