// The sample school of examples/escuela copied into a scratch folder, with helpers that plant
// faults in its transfer files, and the export and import runs over it.
#pragma once

#include <string>
#include <string_view>

#include "transfer/front_end.h"
#include "transfer/run_counters.h"
#include "tests/support/test_support.h"

namespace tpd::test {

class QuietFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { messages.emplace_back(ToUtf8(text)); }
  void SetBusy(bool) override {}
  std::vector<std::string> messages;
};

class School {
 public:
  School();  // the eight transfer files in druv/, an empty PTEMP/ beside it

  std::u16string dirTxt() const;        // druv/ with the separator
  std::u16string table_folder() const;  // PTEMP/

  // Line `n` (1-based) of `file`, UTF-8 here, in the ANSI code page on disk.
  void SetLine(std::string_view file, int n, std::string_view text);
  // Overwrites the line from `column` on with `text`, padding the line with blanks to reach it.
  void Patch(std::string_view file, int n, int column, std::string_view text);
  void InsertLine(std::string_view file, int before, std::string_view text);
  void Remove(std::string_view file);
  void WriteRaw(std::string_view file, std::string_view bytes);

  // The export run over the folder; true when it ended with an Error. `estado` is what it left.
  bool Export(int& estado, RunCounters* counters = nullptr, std::u16string table_folder = {});
  // SOLUC of the sample into the table folder, then the import run with a fixed clock.
  void Import(RunCounters* counters = nullptr);

 private:
  std::vector<std::string> Lines(std::string_view file) const;
  void Store(std::string_view file, const std::vector<std::string>& lines);

  TempDir root_;
};

}  // namespace tpd::test
