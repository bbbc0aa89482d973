#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tpd {

namespace {

struct Scratch {
  Scratch() {
    path = std::filesystem::temp_directory_path() /
           ("tpd-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::filesystem::path path;
};

}  // namespace

const std::filesystem::path& ScratchFolder() {
  static Scratch scratch;
  return scratch.path;
}

std::filesystem::path FreshFolder(std::string_view name) {
  std::filesystem::path folder = ScratchFolder() / std::string(name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tpd
