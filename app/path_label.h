// The folder in use as the folder list's label shows it: shortened until it fits the list's width.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tpd {

// Width of a text in the label's font, in the same unit as `max_width`.
using TextMeasure = std::function<int(std::u16string_view text)>;

// Length of the drive part of a Windows path: 2 for "X:...", the length of "\\server\share" for a
// path of a network share, 0 when it has neither.
size_t DriveLength(std::u16string_view path);

// The first of these forms that is at most `max_width` wide (the last one otherwise):
//   C:\Escuela\Datos\2026\Druv      the whole path
//   C:\...\Datos\2026\Druv          the folders between the drive and the last folder replaced,
//   C:\...\2026\Druv                one by one from the first, by a single "..."
//   C:\...\Druv
//   ...\Druv                        then the drive dropped
//   Druv                            at last the name of the folder alone
// The path is a Windows path: "\" or "/" separate the names and "\" joins them in the forms. The
// drive is "X:" or a network share "\\server\share". A drive's root is never shortened.
std::u16string ShortenFolderLabel(std::u16string_view folder, int max_width,
                                  const TextMeasure& measure);

}  // namespace tpd
