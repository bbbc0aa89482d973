// A dry run of the export over the transfer files of a folder: reads the eight files as the
// export run reads them, writes nothing, and lists what would stop the run or lose data without
// a word.
#pragma once

#include <string>
#include <vector>

namespace tpd {

enum class FindingKind {
  kStops,           // the export would stop here with an error
  kMissingFile,     // an input file is missing (its step's message)
  kPassedOver,      // a record that the export passes over
  kCut,             // a value longer than its table field, cut to the field's width in bytes
  kDuplicate,       // a code that repeats an earlier one
  kNotFound,        // an assignment whose subject or group will not be found
  kNoHours,         // an assignment that no hours record matches, or hours that nothing uses
  kEndBeforeStart,  // a session that ends before it starts
  kShortLine,       // a line too short to reach the fields the export takes from it
};

struct Finding {
  std::u16string file;  // the file name as the export asks for it
  long long line = 0;   // 1-based; 0 for the file as a whole
  FindingKind kind = FindingKind::kStops;
  std::u16string text;  // Spanish, for the person who fixes the file
};

struct Validation {
  std::vector<Finding> findings;  // in file order, then line order
  bool main_file_missing = false;  // the run would end with estado -1
  bool stops = false;              // the run would stop with an error
};

// `dirTxt` is the folder followed by the path separator, as the export run composes its paths;
// `table_folder` is where the export would write, read only to see whether the tables that the
// assignments step falls back on (ASIGNOMT, GRUPOST) are there when their files are missing.
Validation ValidateTransferFiles(const std::u16string& dirTxt, const std::u16string& table_folder);

// One line per finding ("archivo:línea: texto", or "archivo: texto" for a whole file), then the
// count of each kind that occurred and a closing verdict.
std::vector<std::u16string> ValidationLines(const Validation& v);

// 0: the export would complete with estado 1; 1: it would complete with a main file missing;
// 2: it would stop with an error.
int ValidationExitStatus(const Validation& v);

}  // namespace tpd
