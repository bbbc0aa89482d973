#include "app/path_label.h"

#include <vector>

namespace tpd {
namespace {

constexpr std::u16string_view kEllipsis = u"...";
constexpr std::u16string_view kSeparator = u"\\";

// The dialog shows Windows paths, whichever system the code runs on.
bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

size_t DriveLength(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':') return 2;
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    size_t pos = 2;
    for (int part = 0; part < 2; ++part) {  // server, then share
      while (pos < path.size() && !IsPathSeparator(path[pos])) ++pos;
      if (part == 0 && pos < path.size()) ++pos;
    }
    return pos;
  }
  return 0;
}

namespace {

// The folder names after the drive, empty names (doubled or final separators) left out.
std::vector<std::u16string_view> FolderNames(std::u16string_view rest) {
  std::vector<std::u16string_view> names;
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i == rest.size() || IsPathSeparator(rest[i])) {
      if (i > start) names.push_back(rest.substr(start, i - start));
      start = i + 1;
    }
  }
  return names;
}

}  // namespace

std::u16string ShortenFolderLabel(std::u16string_view folder, int max_width,
                                  const TextMeasure& measure) {
  std::u16string whole(folder);
  if (measure(whole) <= max_width) return whole;

  const size_t drive_length = DriveLength(folder);
  const std::u16string drive(folder.substr(0, drive_length));
  const std::vector<std::u16string_view> names = FolderNames(folder.substr(drive_length));
  if (names.empty()) return whole;  // a drive's root: nothing to leave out

  const std::u16string sep(kSeparator);
  const std::u16string last(names.back());
  std::vector<std::u16string> forms;
  // Between the drive and the last folder: drop names one by one from the first.
  const size_t middle = names.size() - 1;
  for (size_t dropped = 1; dropped <= middle; ++dropped) {
    std::u16string form = drive + sep + std::u16string(kEllipsis);
    for (size_t i = dropped; i < names.size(); ++i) form += sep + std::u16string(names[i]);
    forms.push_back(form);
  }
  if (middle > 0) forms.push_back(std::u16string(kEllipsis) + sep + last);
  forms.push_back(last);

  for (const std::u16string& form : forms) {
    if (measure(form) <= max_width) return form;
  }
  return forms.back();
}

}  // namespace tpd
