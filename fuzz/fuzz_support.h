// What the fuzz targets share: a scratch folder of the process, emptied between inputs, and a
// front end that shows nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "transfer/front_end.h"

namespace tpd {

// The bytes libFuzzer hands over, as a view.
inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A folder under the system's temporary folder, made at the first call and removed when the
// process ends normally.
const std::filesystem::path& ScratchFolder();
// A sub-folder of the scratch folder, emptied (made when missing).
std::filesystem::path FreshFolder(std::string_view name);

void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);

class SilentFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view) override {}
  void SetBusy(bool) override {}
};

}  // namespace tpd
