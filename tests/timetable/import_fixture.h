// A table folder and a transfer folder for import runs: small tables built with the table store,
// a fixed clock, and the timetable file read back as lines.
#pragma once

#include <string>
#include <vector>

#include "tables/table.h"
#include "tests/support/test_support.h"
#include "timetable/import_run.h"

namespace tpd::test {

using Row = std::vector<std::string>;  // one text per field, UTF-8

// Builds NAME.DBF in `folder` with these fields and rows; every field of a row is written as
// text, in field order.
void MakeTable(const std::u16string& folder, const std::string& name,
               const std::vector<FieldDef>& fields, const std::vector<Row>& rows);

// `text` followed by blanks up to `width`.
std::string Padded(const std::string& text, std::size_t width);
// The header record of druv_asignat.txt: "0", the record name in columns 2-51, then this text.
std::string SubjectsHeader(const std::string& from_column_52);

class ImportFixture : public ::testing::Test {
 protected:
  ImportFixture();

  // The worked-example school: DIASHORAST, GRUPOST, ASIGNOMT, AULAT and PROFT.
  void MakeSchool();
  // SOLUC with text fields DIA, HORA, MARCO, PROF, CODGRUPO, TAREA, ASIG, AULA.
  void MakeSoluc(const std::vector<Row>& rows);
  // druv_asignat.txt with these bytes.
  void WriteSubjects(const std::string& bytes);

  // Runs the import; the header takes the first time and the trailer the second.
  void Run();
  // DRUV_HORARIO.TXT split at CR LF (the final CR LF gives no empty line).
  std::vector<std::string> OutputLines() const;
  std::u16string OutputPath() const { return txt_ + u"DRUV_HORARIO.TXT"; }

  TempDir dir_;
  std::u16string txt_;    // dirTxt: the transfer folder with its separator
  std::u16string ptemp_;  // the table folder
  LocalDateTime header_time_{2026, 3, 9, 8, 5};
  LocalDateTime trailer_time_{2026, 3, 9, 8, 6};
  int clock_reads_ = 0;
};

}  // namespace tpd::test
