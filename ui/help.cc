#include "ui/help.h"

#include "ui/program_path.h"

namespace tpd {
namespace {

// Commands of the help viewer's one entry point.
constexpr UINT kDisplayTopic = 0x0000;
constexpr UINT kHelpContextCommand = 0x000F;
constexpr UINT kCloseAll = 0x0012;

std::wstring ProgramFolder() {
  const std::wstring path = ProgramPath();
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

Help::Help() : file_(kHelpFile) {}

Help::~Help() {
  if (html_help_) html_help_(nullptr, nullptr, kCloseAll, 0);
  if (library_) FreeLibrary(library_);
}

void Help::SetFile(const std::wstring& file) { file_ = file; }

bool Help::Load() {
  if (!tried_) {
    tried_ = true;
    library_ = LoadLibraryW(L"hhctrl.ocx");
    if (library_) {
      html_help_ = reinterpret_cast<HtmlHelpFn>(
          reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpW")));
    }
  }
  return html_help_ != nullptr;
}

std::wstring Help::Path() const {
  if (file_.find_first_of(L"\\/:") != std::wstring::npos) return file_;
  const std::wstring beside_program = ProgramFolder() + file_;
  if (GetFileAttributesW(beside_program.c_str()) != INVALID_FILE_ATTRIBUTES) return beside_program;
  return file_;
}

void Help::ShowContents(HWND owner) {
  if (!Load()) return;
  html_help_(owner, Path().c_str(), kDisplayTopic, 0);
}

void Help::ShowContext(HWND owner, DWORD context) {
  if (!Load()) return;
  html_help_(owner, Path().c_str(), kHelpContextCommand, context);
}

}  // namespace tpd
