// Text in memory is UTF-16; these helpers convert at the edges (console, POSIX paths, what()).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16, lenient: an invalid sequence becomes U+FFFD (command-line arguments, POSIX
// file names). Transfer files never come through here: they have their own strict decoder.
std::u16string FromUtf8(std::string_view text);

// Only the letters a-z / A-Z change; every other character, accented letters included, stays.
std::u16string UpperAscii(std::u16string_view text);
std::u16string LowerAscii(std::u16string_view text);

// One text that stands for several (the fields of a look-up key): each part preceded by its
// length, so that no choice of separator can make two different lists share a key (a part may
// hold any character, NUL included).
std::u16string CompositeKey(const std::vector<std::u16string>& parts);
std::u16string CompositeKey(std::initializer_list<std::u16string_view> parts);

// Decimal text of a whole number, without leading zeros ("-30", "0", "12").
std::u16string IntToText(long long value);

}  // namespace tpd
