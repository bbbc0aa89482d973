// Test support for the export steps: a front end that records its messages, builders for
// fixed-column records, and a fixture with an input folder, a table folder and table readers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "transfer/front_end.h"
#include "export/export_run.h"
#include "tests/support/test_support.h"

namespace tpd::test {

class RecordingFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { messages.emplace_back(ToUtf8(text)); }
  void SetBusy(bool) override {}
  std::vector<std::string> messages;  // UTF-8, in order
};

// A record: `type` in column 1, then each text at its 1-based column, blanks between. Texts are
// UTF-8 source literals.
std::u16string Rec(std::string_view type,
                   std::initializer_list<std::pair<int, std::string_view>> fields);
// Header ("0") and trailer ("9") records of a file with this record name.
std::u16string Header(std::string_view record_name);
std::u16string Trailer(std::string_view record_name);

// A file of a transfer-file name: header, the data records, trailer.
std::vector<std::u16string> Framed(std::string_view record_name,
                                   std::vector<std::u16string> records);

class ExportTest : public ::testing::Test {
 protected:
  ExportTest();

  // Writes a transfer file into the input folder: the lines in the ANSI code page with CR LF.
  void WriteInput(std::string_view name, const std::vector<std::u16string>& lines);
  ExportContext& ctx() { return ctx_; }

  // Every row of a table, the named fields read as text (UTF-8), in table order.
  std::vector<std::vector<std::string>> Rows(std::string_view table,
                                             std::initializer_list<std::string_view> fields);
  // One field of every row read as a number.
  std::vector<double> Numbers(std::string_view table, std::string_view field);
  bool TableExists(std::string_view table) const;
  // The bytes of TABLE.DBF ("" when missing), to show that a table was left untouched.
  std::string TableBytes(std::string_view table) const;

  TempDir root_;
  std::u16string input_folder_;
  std::u16string table_folder_;
  int estado_ = 1;
  RecordingFrontEnd ui_;
  ExportContext ctx_;
};

// Message texts of the six steps when their main input is missing.
inline constexpr const char* kNoSubjects = "No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)";
inline constexpr const char* kNoTeachers = "No existe archivo de profesores (DRUV_PROF.TXT)";
inline constexpr const char* kNoRooms = "No existe archivo de aulas (DRUV_AULAS.TXT)";
inline constexpr const char* kNoGroups = "No existe archivo de grupos (DRUV_GRUPO.TXT)";
inline constexpr const char* kNoAssignments = "No existe archivo de grupos (DRUV_ASIGNATGRUPO.TXT)";
inline constexpr const char* kNoHours = "No existe archivo de grupos (DRUV_ASIGNATCURSO.TXT)";
inline constexpr const char* kNoSessions = "No existe archivo de grupos (DRUV_SESIONES.TXT)";

}  // namespace tpd::test
