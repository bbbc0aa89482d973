// What the checks of each transfer file share: where findings go and the per-line checks. The
// record layouts are those the export steps cut, from export/record_layouts.h, and what a record
// becomes follows the steps' own rules, from export/record_rules.h.
#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "export/record_layouts.h"
#include "export/record_rules.h"
#include "report/validate.h"

namespace tpd {

class Findings {
 public:
  explicit Findings(Validation& v) : v_(v) {}
  void Add(std::u16string_view file, long long line, FindingKind kind, std::u16string text);
  void MainFileMissing() { v_.main_file_missing = true; }

 private:
  Validation& v_;
};

// A value as a text field of `width` bytes gives it back: in the code page, cut to the width,
// without the blanks that pad it.
std::u16string Stored(std::u16string_view value, int width);

// «text» as the findings quote values.
std::u16string Quote(std::u16string_view text);

// The checks every data record gets: a line too short to reach the `needed` fields (reported
// once, naming them), and each field of `fields` with a table field that its value outgrows.
void CheckRecord(Findings& out, std::u16string_view file, long long line_no,
                 std::u16string_view line, std::initializer_list<Column> needed,
                 std::initializer_list<Column> fields);
// A value the step composes before storing it, checked against its field's width in bytes.
void CheckWidth(Findings& out, std::u16string_view file, long long line_no,
                std::u16string_view field_name, std::u16string_view value, int width);

// A line that is neither header nor trailer but carries the file's record name: passed over.
// Returns true when `line` is a data record of `record_name`.
bool DataRecordOrReport(Findings& out, std::u16string_view file, long long line_no,
                        std::u16string_view line, std::u16string_view record_name);

// Reads `file` of the folder line by line, as the steps that stream their input do, giving each
// line with its 1-based number. An error from the reader becomes a finding that stops the export.
// Returns false when the file could not be read to its end.
bool ForEachLine(Findings& out, const std::u16string& dirTxt, std::u16string_view file,
                 const std::function<void(long long, const std::u16string&)>& each);
// The same for the steps that read their input whole.
bool ReadWhole(Findings& out, const std::u16string& dirTxt, std::u16string_view file,
               std::vector<std::u16string>& lines);

// What the earlier steps would leave in their tables for the later ones, as far as the files tell.
struct Known {
  std::u16string table_folder;
  // ASIGNOMT rows as step 5 looks them up: CODDRUV and CODIDIDRUV as stored. Unknown when the
  // subjects file is missing (step 5 would then use the table of an earlier run).
  bool subjects_known = false;
  std::set<std::pair<std::u16string, std::u16string>> subjects;
  // GRUPOST: per stored ABREV, the first row's TURNO, NIVEL and CURSO as stored.
  bool groups_known = false;
  std::map<std::u16string, std::array<std::u16string, 3>> groups;
};

// The step checks, in the order the export runs its steps.
void CheckSubjects(Findings& out, const std::u16string& dirTxt, Known& known);
void CheckTeachers(Findings& out, const std::u16string& dirTxt);
void CheckRooms(Findings& out, const std::u16string& dirTxt);
void CheckGroups(Findings& out, const std::u16string& dirTxt, Known& known);
void CheckAssignments(Findings& out, const std::u16string& dirTxt, const Known& known);
void CheckSessions(Findings& out, const std::u16string& dirTxt);

// The file test of a step's main input; a missing file is reported with the step's message.
bool MainInputPresent(Findings& out, const std::u16string& dirTxt,
                      std::u16string_view file, std::u16string_view message);

}  // namespace tpd
