// tpd_bench: times the export and the import run of the console program on a synthetic school of
// scale K, with the peak memory of each, against the time `cat` needs to read every input file and
// write every output file of the same sizes. Each is timed three times and the fastest counts:
// on a shared machine the slower times measure the neighbours, not the program.
//
//   tpd_bench PROGRAM K [WORK_DIR]
//
// PROGRAM is the console program; WORK_DIR (default: a fresh temporary folder, removed afterwards)
// receives the school.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/school_generator.h"
#include "transfer/text.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 0;
  double cpu_seconds = 0;  // user + system: what the run itself used, whatever else the machine runs
  long peak_kib = 0;
  int status = 0;
};

// Runs a program to its end; wall time and the child's peak resident memory.
Measure RunChild(const std::vector<std::string>& argv, const std::string& out_path = "/dev/null") {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("tpd_bench: fork");
    std::exit(1);
  }
  if (pid == 0) {
    std::FILE* out = std::freopen(out_path.c_str(), "w", stdout);
    (void)out;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Measure m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  m.peak_kib = usage.ru_maxrss;
  m.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return m;
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  return files;
}

// `cat` reading each input to nowhere and copying each output once: the cost of touching the
// same bytes with the simplest tool there is.
Measure CatBaseline(const std::vector<fs::path>& inputs, const std::vector<fs::path>& outputs,
                    const fs::path& scratch) {
  Measure total;
  auto add = [&](const Measure& m) {
    total.seconds += m.seconds;
    total.cpu_seconds += m.cpu_seconds;
  };
  for (const fs::path& f : inputs) add(RunChild({"cat", f.string()}));
  for (const fs::path& f : outputs) {
    add(RunChild({"cat", f.string()}, (scratch / f.filename()).string()));
  }
  return total;
}

constexpr int kTimings = 3;

// The fastest of kTimings measures by `measure()` (peak memory: the largest seen); a failed
// run ends the timing with its status.
template <typename Run>
Measure Fastest(Run measure) {
  Measure best = measure();
  for (int i = 1; i < kTimings && best.status == 0; ++i) {
    const Measure m = measure();
    const long peak = std::max(best.peak_kib, m.peak_kib);
    if (m.status != 0 || m.seconds < best.seconds) best = m;
    best.peak_kib = peak;
  }
  return best;
}

long DataLines(const fs::path& file) {
  std::FILE* f = std::fopen(file.string().c_str(), "rb");
  if (!f) return 0;
  long lines = 0;
  for (int c; (c = std::fgetc(f)) != EOF;) lines += c == '\n';
  std::fclose(f);
  return lines > 2 ? lines - 2 : 0;  // less header and trailer
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tpd_bench PROGRAM K [WORK_DIR]\n");
    return 64;
  }
  const std::string program = argv[1];
  const long k = std::atol(argv[2]);
  if (k < 1) {
    std::fprintf(stderr, "tpd_bench: K must be a whole number from 1 on\n");
    return 64;
  }
  const bool keep = argc > 3;
  fs::path work = keep ? fs::path(argv[3])
                       : fs::temp_directory_path() / ("tpd-bench-" + std::to_string(getpid()));
  fs::path folder = work / "carpeta", ptemp = work / "PTEMP", scratch = work / "cat";
  fs::remove_all(work);
  fs::create_directories(folder);
  fs::create_directories(ptemp);
  fs::create_directories(scratch);

  tpd::SchoolSize size = tpd::ScaledSchool(k);
  tpd::GenerateSchool(size, folder.u16string(), ptemp.u16string());
  // The generated files go to disk before anything is timed: otherwise the first run that
  // forces its own output to disk also pays for writing back the whole school.
  sync();
  std::vector<fs::path> transfer_files = FilesIn(folder);
  fs::path soluc = ptemp / "SOLUC.DBF";
  long export_rows = 0;
  for (const fs::path& f : transfer_files) export_rows += DataLines(f);

  // The export rebuilds its tables from the same files every time, and the import its file from
  // the same tables: a repeated run does the same work.
  Measure exp = Fastest([&] {
    return RunChild({program, "exportar", "--carpeta", folder.string(), "--ptemp", ptemp.string()});
  });
  Measure imp = Fastest([&] {
    return RunChild({program, "importar", "--carpeta", folder.string(), "--ptemp", ptemp.string()});
  });
  if (exp.status != 0 || imp.status != 0) {
    std::fprintf(stderr, "tpd_bench: the runs failed (export %d, import %d)\n", exp.status,
                 imp.status);
    return 1;
  }

  std::vector<fs::path> tables;
  for (const fs::path& f : FilesIn(ptemp)) {
    if (f.filename() != "SOLUC.DBF") tables.push_back(f);
  }
  Measure cat_export = Fastest([&] { return CatBaseline(transfer_files, tables, scratch); });
  std::vector<fs::path> import_inputs = tables;
  import_inputs.push_back(soluc);
  import_inputs.push_back(folder / "druv_asignat.txt");
  Measure cat_import =
      Fastest([&] { return CatBaseline(import_inputs, {folder / "DRUV_HORARIO.TXT"}, scratch); });
  const double cat_seconds = cat_export.seconds + cat_import.seconds;
  const double cat_cpu = cat_export.cpu_seconds + cat_import.cpu_seconds;

  std::printf("K=%ld  export: %ld records in %.3f s (%.0f records/s, cpu %.3f s), peak %.1f MiB\n",
              k, export_rows, exp.seconds, export_rows / exp.seconds, exp.cpu_seconds,
              exp.peak_kib / 1024.0);
  std::printf("K=%ld  import: %ld SOLUC rows in %.3f s (%.0f rows/s, cpu %.3f s), peak %.1f MiB\n",
              k, size.timetable_rows, imp.seconds, size.timetable_rows / imp.seconds,
              imp.cpu_seconds, imp.peak_kib / 1024.0);
  std::printf("K=%ld  cat: %.3f s (cpu %.3f s); (export + import) / cat = %.2f (cpu %.2f)\n", k,
              cat_seconds, cat_cpu, (exp.seconds + imp.seconds) / cat_seconds,
              (exp.cpu_seconds + imp.cpu_seconds) / cat_cpu);
  std::printf("K=%ld  total: %.3f s (cpu %.3f s)\n", k, exp.seconds + imp.seconds,
              exp.cpu_seconds + imp.cpu_seconds);
  if (!keep) fs::remove_all(work);
  return 0;
}
