// Shared test support: scoped temporary folders, byte files, UTF-8 literals as UTF-16, and an
// assertion for the exact text of an Error.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "transfer/error.h"
#include "transfer/text.h"

namespace tpd::test {

// UTF-8 source text as UTF-16 (test literals with accents).
inline std::u16string U(std::string_view utf8) { return FromUtf8(utf8); }
inline std::string S(std::u16string_view text) { return ToUtf8(text); }

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes, also when an assertion failed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The folder as UTF-16, without a trailing separator.
  std::u16string u16() const;
  // Path of a name inside the folder, as UTF-16.
  std::u16string operator/(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);
std::filesystem::path ToPath(const std::u16string& path);

// The source tree, for fixtures (examples/, tests/data/).
std::filesystem::path SourceDir();

}  // namespace tpd::test

// Checks that `statement` throws tpd::Error whose text is exactly `expected` (UTF-16).
#define EXPECT_ERROR_TEXT(statement, expected)                                   \
  do {                                                                           \
    try {                                                                        \
      statement;                                                                 \
      ADD_FAILURE() << "no Error thrown by " #statement;                         \
    } catch (const ::tpd::Error& e_) {                                           \
      EXPECT_EQ(::tpd::ToUtf8(e_.text()), ::tpd::ToUtf8(expected));              \
    }                                                                            \
  } while (0)
