#include "export/step_common.h"

#include "transfer/Clipper.h"
#include "transfer/file_system.h"

namespace tpd {

std::u16string Cut(std::u16string_view line, const Column& column) {
  return Field(line, column.first, column.width);
}

std::u16string_view CutView(std::u16string_view line, const Column& column) {
  return FieldView(line, column.first, column.width);
}

std::u16string InputPath(const ExportContext& ctx, std::u16string_view file_name) {
  std::u16string path = ctx.dirTxt;
  path += file_name;
  return path;
}

bool MainInputPresent(ExportContext& ctx, const std::u16string& path,
                      std::u16string_view missing_message) {
  if (FileExists(path)) return true;
  ctx.ui.ShowMessage(missing_message);
  ctx.estado = -1;
  return false;
}

void RebuildTable(Table& table, const ExportContext& ctx, std::u16string_view name,
                  const std::vector<FieldDef>& fields) {
  DeleteTableFiles(ctx.table_folder, name);
  table.UseDiskSpace(ctx.disk_space);
  table.Create(fields);
  table.Open(Share::kShared, Access::kReadWrite);
  CountTable(ctx.counters, name);
}

PassedOver NonDataLineKind(std::u16string_view line) {
  return IsHeaderOrTrailer(line) ? PassedOver::kHeaderTrailer : PassedOver::kOtherLine;
}

void CountNonDataLine(const ExportContext& ctx, std::u16string_view table, std::u16string_view line) {
  CountPassedOver(ctx.counters, table, NonDataLineKind(line));
}

FieldDef TextField(std::u16string_view name, int width) {
  return {std::u16string(name), FieldKind::kText, width};
}

}  // namespace tpd
