// Step 3: rooms into AULAT, one row per data record, the name joined from its two parts.
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {


const std::vector<FieldDef>& AulatFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"ABREV", 10),
      TextField(u"NOMBRE", kRoomNameWidth),
      TextField(u"EDIFICIO", 1),             // never written
      {u"MAXALUM", FieldKind::kInteger, 0},  // never written
  };
  return fields;
}

// The layout of the rooms file.
namespace room = layouts::aulas;

}  // namespace

void TraspasaAulas(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, room::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de aulas (DRUV_AULAS.TXT)")) return;
  LineReader input(path);
  Table table(ctx.table_folder, u"AULAT.DBF");
  RebuildTable(table, ctx, u"AULAT", AulatFields());

  std::u16string line;
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!IsDataRecord(line, room::kRecordName)) {
      CountNonDataLine(ctx, u"AULAT", line);
      continue;
    }
    const std::u16string name = RoomName(line);
    table.Append();
    table.SetText(room::kCode.name, Cut(line, room::kCode));
    table.SetText(room::kName.name, name);
    table.Post();
    CountRow(ctx.counters, u"AULAT");
  }
  table.Close();
  input.Close();
}

}  // namespace tpd
