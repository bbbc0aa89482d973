#include "app/start_up.h"

#include <gtest/gtest.h>

#include "app/table_folder.h"
#include "tests/support/test_support.h"
#include "transfer/file_system.h"

namespace tpd {
namespace {

using test::S;
using test::U;

struct ParamCase {
  std::vector<const char*> params;
  int numParam;
  PanelChoice panels;
};

TEST(ReadParameters, ModeAndPanel) {
  const ParamCase cases[] = {
      {{}, 0, PanelChoice::kBoth},
      {{"importar"}, 0, PanelChoice::kBoth},
      {{"importar", "x", "y"}, 0, PanelChoice::kBoth},
      {{"importar", "x"}, 2, PanelChoice::kImportOnly},
      {{"ImPoRtAr", "x"}, 2, PanelChoice::kImportOnly},
      {{"EXPORTAR", "x"}, 2, PanelChoice::kExportOnly},
      {{"exportar", ""}, 2, PanelChoice::kExportOnly},
      // Any other word: parameter mode with both panels.
      {{"otro", "x"}, 2, PanelChoice::kBoth},
      {{"importar ", "x"}, 2, PanelChoice::kBoth},
      // Only A-Z fold: a dotless or accented look-alike is another word.
      {{"\xC4\xB0mportar", "x"}, 2, PanelChoice::kBoth},
      {{"export\xC3\xA1r", "x"}, 2, PanelChoice::kBoth},
  };
  for (const ParamCase& c : cases) {
    std::vector<std::u16string> params;
    for (const char* p : c.params) params.push_back(U(p));
    const StartUp start = ReadParameters(params);
    std::string shown;
    for (const char* p : c.params) shown += std::string("[") + p + "]";
    EXPECT_EQ(start.numParam, c.numParam) << shown;
    EXPECT_EQ(start.panels, c.panels) << shown;
  }
}

TEST(StatusFilePath, BesideTheProgramFile) {
  EXPECT_EQ(S(StatusFilePath(u"C:\\Pelcarin\\bin\\transPelcarDruv.exe")),
            "C:\\Pelcarin\\bin\\Pelcarin.ini");
  EXPECT_EQ(S(StatusFilePath(u"\\\\srv\\apps\\transPelcarDruv.exe")),
            "\\\\srv\\apps\\Pelcarin.ini");
  EXPECT_EQ(S(StatusFilePath(u"C:\\transPelcarDruv.exe")), "C:\\Pelcarin.ini");
}

TEST(TableFolderFor, OnTheDriveOfTheChosenFolder) {
  EXPECT_EQ(S(TableFolderFor(u"C:\\Escuela\\Druv")), "C:\\PTEMP");
  // At a drive's root, as the folder list gives it.
  EXPECT_EQ(S(TableFolderFor(u"d:\\")), "d:\\PTEMP");
  if (PathSeparator() == u"\\") {
    EXPECT_EQ(S(TableFolderFor(u"\\\\srv\\datos\\Escuela")), "\\\\srv\\datos\\PTEMP");
  }
}

}  // namespace
}  // namespace tpd
