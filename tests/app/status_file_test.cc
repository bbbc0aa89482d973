#include "app/status_file.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace tpd {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::U;
using test::WriteBytes;

TEST(WriteStatusFile, NewFileHoldsTheSectionAndTheKey) {
  const int values[] = {1, 0, -1};
  for (int estado : values) {
    TempDir dir;
    WriteStatusFile(dir / "Pelcarin.ini", estado);
    EXPECT_EQ(ReadBytes(dir.path() / "Pelcarin.ini"),
              "[Transformadores]\r\nTransformado=" + std::to_string(estado) + "\r\n");
  }
}

TEST(WriteStatusFile, KeepsOtherSectionsAndKeys) {
  TempDir dir;
  WriteBytes(dir.path() / "Pelcarin.ini",
             "[General]\r\nIdioma=es\r\n[Transformadores]\r\nOtro=7\r\nTransformado=1\r\n"
             "[Final]\r\nX=y\r\n");
  WriteStatusFile(dir / "Pelcarin.ini", -1);
  EXPECT_EQ(ReadBytes(dir.path() / "Pelcarin.ini"),
            "[General]\r\nIdioma=es\r\n[Transformadores]\r\nOtro=7\r\nTransformado=-1\r\n"
            "[Final]\r\nX=y\r\n");
}

TEST(WriteStatusFile, UnwritableFileNamesItsPath) {
  TempDir dir;
  const std::u16string path = dir / "no existe\\Pelcarin.ini";
  EXPECT_ERROR_TEXT(WriteStatusFile(path, 1), u"Unable to write to " + path);
}

}  // namespace
}  // namespace tpd
