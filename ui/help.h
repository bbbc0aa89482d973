// Compiled HTML help, reached through the help viewer's library loaded at run time: a machine
// without it, or without the help file, gets no help but nothing fails.
#pragma once

#include <windows.h>

#include <string>

namespace tpd {

inline constexpr wchar_t kHelpFile[] = L"DRUV.chm";
inline constexpr DWORD kHelpContext = 3;  // the topic of every control of the dialog

class Help {
 public:
  Help();
  ~Help();  // closes the help windows and releases the library
  Help(const Help&) = delete;
  Help& operator=(const Help&) = delete;

  // Sets the help file anew (a bare name: found beside the program file, else in the working
  // folder as the viewer looks for it).
  void SetFile(const std::wstring& file);
  // The help file at its default topic.
  void ShowContents(HWND owner);
  // The topic of a help context number.
  void ShowContext(HWND owner, DWORD context);

 private:
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  bool Load();
  std::wstring Path() const;

  std::wstring file_;
  HMODULE library_ = nullptr;
  HtmlHelpFn html_help_ = nullptr;
  bool tried_ = false;
};

}  // namespace tpd
