// Transfer files that no DRUV would write, each given to the export in place of one of the
// sample school's files: the run either completes or stops with its message, never crashes, and
// a stopped run leaves the tables it had not finished as they were.
#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "export/export_run.h"
#include "tests/faults/fault_fixture.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

constexpr int kFileNotFound = 2;  // ENOENT and ERROR_FILE_NOT_FOUND alike
constexpr std::size_t kTenMegabytes = 10 * 1024 * 1024;
constexpr char kNoMapping[] =
    "No mapping for the Unicode character exists in the target multi-byte code page";

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// A data record of the file's layout, then `tail`.
std::string Record(const std::string& tail) { return "1P01 Ana" + tail; }

struct Case {
  const char* what;
  const char* file;
  std::string bytes;
  std::string error;  // "" when the run completes
};

TEST(BrokenTransferFiles, RunCompletesOrStopsWithItsMessage) {
  const std::string sample_sessions =
      ReadBytes(SourceDir() / "examples/escuela/druv_sesiones.txt");
  const Case cases[] = {
      // Line by line and whole, any byte is text in the code page.
      {"binary garbage, line by line", "druv_prof.txt", Garbage(256 * 1024, 1), ""},
      // A session whose period is no number stops the run with the conversion's own message.
      {"binary garbage, whole file", "druv_sesiones.txt", Garbage(256 * 1024, 2),
       "'K\u00d5' is not a valid integer value"},
      {"binary garbage after the subjects header", "druv_asignat.txt",
       "0DRUV_ASIGNAT.TXT\r\n" + Garbage(64 * 1024, 3), ""},
      // A 10 MB line is one long record: its fields are cut from it as from any other.
      {"10 MB line, line by line", "druv_aulas.txt",
       "1A1        " + std::string(kTenMegabytes, 'x') + "\r\n", ""},
      {"10 MB line, whole file", "druv_asignatcurso.txt",
       "1ESOM  1" + std::string(kTenMegabytes, ' ') + "\r\n", ""},
      // NUL is an ordinary character line by line, and ends the text of a whole file.
      {"NUL bytes, line by line", "druv_prof.txt", Record(std::string("\0\0x\0", 4)) + "\r\n",
       ""},
      {"NUL bytes, whole file", "druv_sesiones.txt",
       sample_sessions.substr(0, 40) + std::string(1, '\0') + sample_sessions.substr(40), ""},
      // Whole-file reading trusts a byte-order mark.
      {"invalid UTF-8 after its mark", "druv_sesiones.txt", "\xEF\xBB\xBF" "1abc\xC3\x28\r\n",
       kNoMapping},
      {"cut UTF-8 sequence at the end", "druv_asignatcurso.txt", "\xEF\xBB\xBF" "1ESO\xE2\x82",
       kNoMapping},
      {"UTF-16 mark, odd number of bytes", "druv_sesiones.txt",
       std::string("\xFF\xFE" "1\0" "2\0" "3", 7), "':' is not a valid integer value"},
      {"UTF-16 big-endian mark alone, odd", "druv_asignatcurso.txt", "\xFE\xFF\x31", ""},
      {"only a mark", "druv_sesiones.txt", "\xEF\xBB\xBF", ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const auto input = dir.path() / "txt";
    const auto tables = dir.path() / "ptemp";
    CopySampleSchool(input);
    std::filesystem::create_directories(tables);
    ASSERT_EQ(ExportInto(input, tables.u16string()), "");
    const Snapshot before = TakeSnapshot(tables);
    WriteBytes(input / c.file, c.bytes);
    const std::string error = ExportInto(input, tables.u16string());
    EXPECT_EQ(error, c.error) << c.what;
    if (!error.empty()) {
      // The step that stopped kept its table; none is left half-built.
      EXPECT_EQ(TakeSnapshot(tables).size(), before.size()) << c.what;
    }
  }
}

// The file is there at the file test and gone at the opening, or back again: a second thread
// renames it away and back while the step runs, over and over.
TEST(BrokenTransferFiles, FileThatVanishesBetweenTestAndOpening) {
  TempDir dir;
  const auto input = dir.path() / "txt";
  const auto tables = dir.path() / "ptemp";
  CopySampleSchool(input);
  std::filesystem::create_directories(tables);
  ASSERT_EQ(ExportInto(input, tables.u16string()), "");

  struct Step {
    const char* file;
    void (*run)(ExportContext&);
    std::string missing;  // the step's message for a missing file
    // The errors when it goes between the test and the opening: not found, or (Windows) held by
    // the other program's rename at that moment.
    std::set<std::string> vanished;
  };
  const std::string sessions_open =
      "Cannot open file \"" + ToUtf8((input / "druv_sesiones.txt").u16string()) + "\". ";
  const Step steps[] = {
      {"druv_prof.txt", TraspasaProfesores, "No existe archivo de profesores (DRUV_PROF.TXT)",
       {ToUtf8(ReadErrorText(kFileNotFound)), ToUtf8(ReadErrorText(InputFile::kHeldByWriter))}},
      {"druv_sesiones.txt", TraspasaSesiones, "No existe archivo de grupos (DRUV_SESIONES.TXT)",
       {sessions_open + ToUtf8(OpenErrorCause(kFileNotFound)),
        sessions_open + ToUtf8(OpenErrorCause(InputFile::kHeldByWriter))}},
  };
  // The window between the test and the opening is a few system calls wide: many rounds.
  constexpr int kRounds = 3000;
  for (const Step& step : steps) {
    const auto path = input / step.file;
    const auto away = input / "away";
    std::atomic<bool> stop{false};
    std::thread flicker([&] {
      while (!stop) {
        std::error_code ec;
        std::filesystem::rename(path, away, ec);
        std::filesystem::rename(away, path, ec);
      }
    });
    int completed = 0, missing = 0, vanished = 0;
    for (int round = 0; round < kRounds; ++round) {
      SilentFrontEnd ui;
      int estado = 1;
      ExportContext ctx{input.u16string() + std::u16string(PathSeparator()), tables.u16string(),
                        estado, ui};
      try {
        step.run(ctx);
        if (ui.messages.empty()) {
          ++completed;
        } else {
          EXPECT_EQ(ui.messages, std::vector<std::string>{step.missing});
          ++missing;
        }
      } catch (const Error& e) {
        EXPECT_TRUE(step.vanished.count(ToUtf8(e.text()))) << ToUtf8(e.text());
        ++vanished;
      }
    }
    stop = true;
    flicker.join();
    std::error_code ec;
    std::filesystem::rename(away, path, ec);
    EXPECT_EQ(completed + missing + vanished, kRounds) << step.file;
    RecordProperty(std::string(step.file) + "_vanished", vanished);
  }
}

}  // namespace
}  // namespace tpd::test
