#include "app/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace tpd {
namespace {

using test::U;

struct SplitCase {
  const char* line;
  std::vector<const char*> params;
};

TEST(SplitCommandLine, TableOfLines) {
  const SplitCase cases[] = {
      {"", {}},
      {"transPelcarDruv.exe", {}},
      {"\"C:\\Archivos de programa\\transPelcarDruv.exe\"", {}},
      {"\"C:\\Archivos de programa\\transPelcarDruv.exe\" importar x", {"importar", "x"}},
      {"prog   EXPORTAR    x   ", {"EXPORTAR", "x"}},
      // Quotes group blanks and are removed, also inside a word.
      {"prog \"C:\\Mis datos\\druv\" x", {"C:\\Mis datos\\druv", "x"}},
      {"prog a\"b c\"d", {"ab cd"}},
      {"prog \"unclosed quote", {"unclosed quote"}},
      // An empty pair of quotes is no parameter, alone or beside others.
      {"prog \"\" importar \"\" x \"\"", {"importar", "x"}},
      {"prog \"\"\"\"", {}},
      // Control characters separate like blanks.
      {"prog\timportar\tx", {"importar", "x"}},
      {"prog importar\r\nx\x01y", {"importar", "x", "y"}},
      // An empty quoted program name is still the program's name.
      {"\"\" importar", {"importar"}},
      // Accented text passes unchanged.
      {"prog año \"Educación Física\"", {"año", "Educación Física"}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::u16string> expected;
    for (const char* p : c.params) expected.push_back(U(p));
    EXPECT_EQ(SplitCommandLine(U(c.line)), expected) << "line: " << c.line;
  }
}

}  // namespace
}  // namespace tpd
