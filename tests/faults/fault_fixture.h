// A school on disk for the fault tests: the sample school's transfer files, a table folder, runs
// of the export with a recording front end, and snapshots of every file of a folder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "transfer/front_end.h"
#include "transfer/replace_file.h"
#include "tests/support/test_support.h"

namespace tpd::test {

// The six tables the export rebuilds, in step order.
inline const std::vector<std::string> kExportTables = {"ASIGNOMT", "PROFT",  "AULAT",
                                                       "GRUPOST",  "ASIGT", "DIASHORAST"};

class SilentFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { messages.push_back(ToUtf8(text)); }
  void SetBusy(bool) override {}
  std::vector<std::string> messages;
};

// A path from UTF-8 source text (accented folder names).
inline std::filesystem::path U8(std::string_view utf8) { return std::filesystem::path(U(utf8)); }

// The path as the standard library can reach it however long it is: Windows's long-path form
// "\\?\" of the full path beyond MAX_PATH, the path itself elsewhere.
std::filesystem::path Reachable(const std::filesystem::path& path);

// Every file of a folder (not its sub-folders) by name (UTF-8), with its bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(const std::filesystem::path& folder);

// Copies the sample school's eight transfer files into `folder` (made when missing).
void CopySampleSchool(const std::filesystem::path& folder);

// Runs the export on the transfer files of `input` into `tables`, on a disk with `space` left (the
// real one when none); the Error's text, or "" when the run ended without one.
std::string ExportInto(const std::filesystem::path& input, const std::u16string& tables,
                       DiskSpace* space = nullptr);

// The sample school's transfer files, the tables a clean export of them builds (complete_), and
// a table folder holding other, older tables under the same names (old_).
class OldTables : public ::testing::Test {
 protected:
  void SetUp() override;

  // A one-row table of its own under each name: never what the export would write.
  void WriteOldTables();

  std::u16string TablePath(const std::string& name) const {
    return (tables_ / (name + ".DBF")).u16string();
  }

  // Every file of the table folder is an old table or a complete new one, nothing else.
  void ExpectOldOrComplete(const std::string& context);

  TempDir dir_;
  std::filesystem::path input_ = dir_.path() / "txt";
  std::filesystem::path reference_ = dir_.path() / "reference";
  std::filesystem::path tables_ = dir_.path() / "ptemp";
  Snapshot complete_, old_;
};

}  // namespace tpd::test
