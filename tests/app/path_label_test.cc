#include "app/path_label.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace tpd {
namespace {

using test::S;
using test::U;

// Every character 7 units wide: 41 characters fit in the list's 287.
int SevenEach(std::u16string_view text) { return static_cast<int>(text.size()) * 7; }

struct LabelCase {
  const char* folder;
  int max_width;
  const char* shown;
};

TEST(ShortenFolderLabel, EachStepOfTheRule) {
  const char* kDeep = "C:\\Escuela\\Datos\\2026\\Druv";  // 26 characters
  const LabelCase cases[] = {
      {kDeep, 26 * 7, kDeep},                         // fits exactly
      {kDeep, 26 * 7 - 1, "C:\\...\\Datos\\2026\\Druv"},  // first folder left out
      {kDeep, 18 * 7, "C:\\...\\2026\\Druv"},
      {kDeep, 15 * 7, "C:\\...\\Druv"},
      {kDeep, 10 * 7, "...\\Druv"},                  // then the drive
      {kDeep, 7 * 7, "Druv"},                        // then the folder's name alone
      {kDeep, 1, "Druv"},                            // never anything shorter
      // One folder between the drive and the last.
      {"C:\\Escuela\\Druv", 14 * 7, "C:\\...\\Druv"},
      {"C:\\Escuela\\Druv", 10 * 7, "...\\Druv"},
      // A folder right under the root: no "..." to put in, the name alone remains.
      {"C:\\Druv", 3 * 7, "Druv"},
      // A drive's root is shown whole.
      {"C:\\", 7, "C:\\"},
      // A network share counts as the drive.
      {"\\\\servidor\\datos\\Escuela\\Druv", 28 * 7, "\\\\servidor\\datos\\...\\Druv"},
      {"\\\\servidor\\datos\\Escuela\\Druv", 10 * 7, "...\\Druv"},
  };
  for (const LabelCase& c : cases) {
    EXPECT_EQ(S(ShortenFolderLabel(U(c.folder), c.max_width, SevenEach)), c.shown)
        << c.folder << " in " << c.max_width;
  }
}

TEST(ShortenFolderLabel, MeasuresWithTheGivenFont) {
  // A font in which only "W" is wide: the path with wide names is shortened, the same length of
  // narrow names is not.
  auto wide_w = [](std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) width += c == u'W' ? 30 : 5;
    return width;
  };
  EXPECT_EQ(S(ShortenFolderLabel(U("C:\\aaaaaaaaaa\\bbbb\\cc"), 287, wide_w)),
            "C:\\aaaaaaaaaa\\bbbb\\cc");
  EXPECT_EQ(S(ShortenFolderLabel(U("C:\\WWWWWWWWWW\\bbbb\\cc"), 287, wide_w)),
            "C:\\...\\bbbb\\cc");
}

TEST(DriveLength, DrivesAndShares) {
  EXPECT_EQ(DriveLength(u"C:\\x"), 2u);
  EXPECT_EQ(DriveLength(u"c:"), 2u);
  EXPECT_EQ(DriveLength(u"\\\\srv\\share\\x"), 11u);
  EXPECT_EQ(DriveLength(u"\\\\srv\\share"), 11u);
  EXPECT_EQ(DriveLength(u"\\PTEMP"), 0u);
  EXPECT_EQ(DriveLength(u""), 0u);
}

}  // namespace
}  // namespace tpd
