// Step 3: rooms into AULAT, one row per data record, the name joined from its two parts.
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

using tables::FieldKind;

const std::vector<tables::FieldDef>& AulatFields() {
  static const std::vector<tables::FieldDef> fields = {
      TextField(u"ABREV", 10),
      TextField(u"NOMBRE", 80),
      TextField(u"EDIFICIO", 1),             // never written
      {u"MAXALUM", FieldKind::kInteger, 0},  // never written
  };
  return fields;
}

// Data record of druv_aulas.txt. NOMBRE is the name, one blank and the name's second part.
constexpr std::u16string_view kRecordName = u"DRUV_AULAS.TXT";
constexpr Column kCode{u"ABREV", 2, 10};
constexpr Column kName{u"NOMBRE", 12, 70};
constexpr Column kNameSecondPart{u"NOMBRE", 82, 100};

}  // namespace

void TraspasaAulas(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, u"druv_aulas.txt");
  if (!MainInputPresent(ctx, path, u"No existe archivo de aulas (DRUV_AULAS.TXT)")) return;
  LineReader input(path);
  tables::Table table(ctx.table_folder, u"AULAT.DBF");
  RebuildTable(table, ctx, u"AULAT", AulatFields());

  while (!input.AtEnd()) {
    const std::u16string line = input.ReadLine();
    if (!IsDataRecord(line, kRecordName)) {
      CountNonDataLine(ctx, u"AULAT", line);
      continue;
    }
    // The blank stays even when a part is empty.
    const std::u16string name = Cut(line, kName) + u" " + Cut(line, kNameSecondPart);
    table.Append();
    table.SetText(kCode.name, Cut(line, kCode));
    table.SetText(kName.name, name);
    table.Post();
    CountRow(ctx.counters, u"AULAT");
  }
  table.Close();
  input.Close();
}

}  // namespace tpd
