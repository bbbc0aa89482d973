// Step 2: teachers into PROFT, one row per teacher code; the first record of a code wins.
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/code_list.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {


const std::vector<FieldDef>& ProftFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"ABREV", 10),
      TextField(u"NOMBRE", 80),
      TextField(u"DEPART", 40),
      TextField(u"EMAIL", 100),       // never written
      {u"DNI", FieldKind::kInteger, 0},  // never written
  };
  return fields;
}

// The layout of the teachers file.
namespace teacher = layouts::prof;

}  // namespace

void TraspasaProfesores(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, teacher::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de profesores (DRUV_PROF.TXT)")) return;
  LineReader input(path);
  Table table(ctx.table_folder, u"PROFT.DBF");
  RebuildTable(table, ctx, u"PROFT", ProftFields());
  // Codes already written; a code that differs only in letter case counts as written.
  CodeList written(/*sorted=*/false);

  std::u16string line;
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!IsDataRecord(line, teacher::kRecordName)) {
      CountNonDataLine(ctx, u"PROFT", line);
      continue;
    }
    const std::u16string code = Cut(line, teacher::kCode);
    if (!written.AddIfNew(code)) {
      CountPassedOver(ctx.counters, u"PROFT", PassedOver::kDuplicateCode);
      continue;
    }
    table.Append();
    table.SetText(teacher::kCode.name, code);
    table.SetText(teacher::kName.name, Cut(line, teacher::kName));
    table.SetText(teacher::kDepartment.name, Cut(line, teacher::kDepartment));
    table.Post();
    CountRow(ctx.counters, u"PROFT");
  }
  table.Close();
  input.Close();
}

}  // namespace tpd
