// A small driver for the dialog under test: starts the program, finds its windows and controls,
// reads texts and states, clicks, answers message boxes. Every wait has a deadline.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace robot {

// Fails the current case with a message (printed at once, so that a timeout still shows it).
void Fail(const std::wstring& what);
void Note(const std::wstring& what);
int Failures();
// Checks a condition, printing what was checked.
bool Check(bool ok, const std::wstring& what);

class App {
 public:
  // Starts `exe` with the command line tail `args`, its working folder `folder`.
  App(const std::wstring& exe, const std::wstring& args, const std::wstring& folder);
  ~App();
  bool Started() const { return process_.hProcess != nullptr; }

  // The dialog (class TMForm) once it is shown; nullptr after the deadline.
  HWND Dialog(DWORD timeout_ms = 20000);
  // A control of the dialog by its id, at any depth.
  HWND Control(int id);
  // The next message box of the program; its text and whether it has an error icon.
  struct Box {
    HWND hwnd = nullptr;
    std::wstring text;
    std::wstring caption;
    bool error_icon = false;
  };
  Box WaitBox(DWORD timeout_ms = 20000);
  // Presses the box's OK button.
  void Confirm(const Box& box);
  // Confirms every box until one with `text` (recorded in `seen`); false at the deadline or when
  // an error box comes first (left open).
  bool ConfirmUntil(const std::wstring& text, std::vector<Box>& seen, DWORD timeout_ms = 60000);
  // True when the process has ended within the deadline; its exit code in `code`.
  bool WaitExit(DWORD& code, DWORD timeout_ms = 20000);
  // Visible top-level windows of the program other than the dialog.
  std::vector<HWND> OtherWindows();
  bool Responsive();
  DWORD ThreadId() const { return process_.dwThreadId; }

 private:
  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};

std::wstring Text(HWND hwnd);
// Position and size of a control in its dialog's client coordinates.
RECT ClientRect(HWND dialog, HWND control);
void Click(HWND button);

// Files.
std::string ReadFile(const std::wstring& path);
bool WriteFile(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

}  // namespace robot
