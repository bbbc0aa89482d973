// Step 4: groups into GRUPOST, one row per data record, with the group letter and a readable
// description.
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

const std::vector<FieldDef>& GrupostFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"ABREV", 10),  TextField(u"TURNO", 1),   TextField(u"NIVEL", 5),
      TextField(u"CURSO", 3),   TextField(u"GRUPO", 2),   TextField(u"MARCO", 1),
      TextField(u"UNIDAD", 10), TextField(u"DESCRIP", 80),
  };
  return fields;
}

// The layout of the groups file.
namespace group = layouts::grupo;

}  // namespace

void TraspasaGrupos(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, group::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de grupos (DRUV_GRUPO.TXT)")) return;
  LineReader input(path);
  Table table(ctx.table_folder, u"GRUPOST.DBF");
  RebuildTable(table, ctx, u"GRUPOST", GrupostFields());

  std::u16string line;
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!IsDataRecord(line, group::kRecordName)) {
      CountNonDataLine(ctx, u"GRUPOST", line);
      continue;
    }
    const std::u16string code = Cut(line, group::kCode);
    // The shift goes whole into DESCRIP and as one character into TURNO.
    const std::u16string shift = Cut(line, group::kShift);
    const std::u16string level = GroupLevel(line);
    const std::u16string course = Cut(line, group::kCourse);
    const std::u16string letter = code.empty() ? u"" : code.substr(code.size() - 1);

    table.Append();
    table.SetText(group::kCode.name, code);
    table.SetText(group::kShift.name, shift);
    table.SetText(group::kLevel.name, level);
    table.SetText(group::kCourse.name, course);
    table.SetText(u"GRUPO", letter);
    table.SetText(u"MARCO", u"0");
    table.SetText(u"UNIDAD", code);
    // Empty pieces keep their separators, so blanks may double.
    table.SetText(group::kBracketed.name, u"(" + Cut(line, group::kBracketed) + u") " + shift +
                                              u" " + level + u" " + course + u" " + letter);
    table.Post();
    CountRow(ctx.counters, u"GRUPOST");
  }
  table.Close();
  input.Close();
}

}  // namespace tpd
