// SOLUC as another program writes it: the same entries stored with numeric, text and Visual
// FoxPro integer DIA and HORA (tests/timetable/data/make_soluc_fixtures.py), one row deleted and
// one with DIA 0, must give the same timetable file.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/timetable/import_fixture.h"

namespace tpd::test {
namespace {


class SolucVariantsTest : public ImportFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void MakeTables() {
    constexpr auto kText = FieldKind::kText;
    MakeTable(
        ptemp_, "DIASHORAST",
        {{u"CODDIHO", kText, 10}, {u"DIA", kText, 20}, {u"HORA", kText, 8}, {u"MARCO", kText, 1}},
        {{"0001", "1", "1", "0"},
         {"0002", "1", "2", "0"},
         {"0003", "2", "1", "0"},
         {"0301", "3", "1", ""}});
    MakeTable(ptemp_, "GRUPOST", {{u"ABREV", kText, 10}}, {{"1ESOA"}, {"2ESOB"}});
    MakeTable(ptemp_, "ASIGNOMT",
              {{u"COD", kText, 10},
               {u"CODTAREA", kText, 10},
               {u"CODDRUV", kText, 20},
               {u"CODIDIDRUV", kText, 10}},
              {{"MAT", "", "MAT", ""},
               {"LENB", "", "LCL", "ING"},
               {"REL", "", "RE", ""},
               {"*GUA", "GUA", "", ""}});
    MakeTable(ptemp_, "AULAT", {{u"ABREV", kText, 10}}, {{"A1"}, {"LAB"}});
    MakeTable(ptemp_, "PROFT", {{u"COD", kText, 4}}, {});
  }
};

TEST_P(SolucVariantsTest, ReadsDayAndPeriodWhateverTheirFieldType) {
  MakeTables();
  std::filesystem::copy_file(SourceDir() / "tests/timetable/data" / GetParam(),
                             ToPath(ptemp_) / "SOLUC.DBF");
  Run();
  EXPECT_EQ(OutputLines(), (std::vector<std::string>{
                               "0" + Padded("DRUV_HORARIO.TXT", 50) + "28001234090320260805",
                               "10001LJPG 1ESOA     LEC MAT                 A1        ",
                               "10002LANA 2ESOB     LEC LCL                 LAB       ING",
                               // the deleted row and the row with DIA 0 leave no line
                               "10003MLUI 3ESOC     GUA                     PATIO     ",
                               "10301XANA 1ESOA     LEC RE                  A1           ",
                               "1    VJPG 2ESOB     LEC MAT                 A1        ",
                               "9" + Padded("DRUV_HORARIO.TXT", 50) + "280012340903202608065",
                           }));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SolucVariantsTest,
                         ::testing::Values("soluc_numeric.dbf", "soluc_text.dbf", "soluc_vfp.dbf"));

}  // namespace
}  // namespace tpd::test
