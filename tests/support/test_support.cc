#include "tests/support/test_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tpd::test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0;; ++attempt) {
    path_ = std::filesystem::temp_directory_path() /
            ("tpd-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (std::filesystem::create_directory(path_, ec)) break;
    if (attempt > 100) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::u16string TempDir::u16() const { return path_.u16string(); }

std::u16string TempDir::operator/(std::string_view name) const {
  return (path_ / std::filesystem::path(FromUtf8(name))).u16string();
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path ToPath(const std::u16string& path) { return std::filesystem::path(path); }

std::filesystem::path SourceDir() {
  if (const char* dir = std::getenv("TPD_SOURCE_DIR")) return dir;
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

}  // namespace tpd::test
