#include "robot.h"

#include <cstdio>

#include "ui/control_ids.h"

namespace robot {
namespace {

int g_failures = 0;

void Print(const wchar_t* tag, const std::wstring& what) {
  std::fwprintf(stdout, L"%ls %ls\n", tag, what.c_str());
  std::fflush(stdout);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

struct Search {
  DWORD pid;
  const wchar_t* cls;
  HWND skip;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  auto& s = *reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s.pid || !IsWindowVisible(hwnd) || hwnd == s.skip) return TRUE;
  if (s.cls && ClassOf(hwnd) != s.cls) return TRUE;
  s.found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevel(DWORD pid, const wchar_t* cls, HWND skip = nullptr) {
  Search s{pid, cls, skip, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

struct ById {
  int id;
  HWND found;
};

BOOL CALLBACK FindById(HWND hwnd, LPARAM lp) {
  auto& s = *reinterpret_cast<ById*>(lp);
  if (GetDlgCtrlID(hwnd) == s.id) {
    s.found = hwnd;
    return FALSE;
  }
  return TRUE;
}

constexpr DWORD kPoll = 25;

}  // namespace

void Fail(const std::wstring& what) {
  ++g_failures;
  Print(L"FAIL:", what);
}
void Note(const std::wstring& what) { Print(L"note:", what); }
int Failures() { return g_failures; }
bool Check(bool ok, const std::wstring& what) {
  if (ok)
    Print(L"ok:", what);
  else
    Fail(what);
  return ok;
}

App::App(const std::wstring& exe, const std::wstring& args, const std::wstring& folder) {
  std::wstring line = L"\"" + exe + L"\"";
  if (!args.empty()) line += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &process_)) {
    Fail(L"cannot start " + line + L" in " + folder);
    process_ = {};
    return;
  }
  WaitForInputIdle(process_.hProcess, 10000);
}

App::~App() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND App::Dialog(DWORD timeout_ms) {
  if (dialog_ && IsWindow(dialog_)) return dialog_;
  if (!process_.hProcess) return nullptr;
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  do {
    std::vector<HWND> found = TopLevel(process_.dwProcessId, tpd::kFormClass);
    if (!found.empty()) return dialog_ = found.front();
    ::Sleep(kPoll);
  } while (GetTickCount64() < end);
  Fail(L"the dialog did not appear");
  return nullptr;
}

HWND App::Control(int id) {
  HWND dialog = Dialog();
  if (!dialog) return nullptr;
  ById s{id, nullptr};
  EnumChildWindows(dialog, FindById, reinterpret_cast<LPARAM>(&s));
  if (!s.found) Fail(L"no control with id " + std::to_wstring(id));
  return s.found;
}

App::Box App::WaitBox(DWORD timeout_ms) {
  Box box;
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  do {
    std::vector<HWND> found = TopLevel(process_.dwProcessId, L"#32770");
    if (!found.empty()) {
      ::Sleep(50);  // let the box finish its set-up (icon, text) before reading it
      box.hwnd = found.front();
      box.caption = Text(box.hwnd);
      HWND text = GetDlgItem(box.hwnd, 0xFFFF);
      box.text = text ? Text(text) : L"";
      for (HWND child = GetWindow(box.hwnd, GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT)) {
        // A box without an icon still has the icon's control, empty.
        if (ClassOf(child) == L"Static" &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0) {
          box.error_icon = true;
        }
      }
      return box;
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) break;
    ::Sleep(kPoll);
  } while (GetTickCount64() < end);
  return box;
}

void App::Confirm(const Box& box) {
  HWND ok = GetDlgItem(box.hwnd, IDOK);
  if (ok) {
    PostMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
  }
  // Wait until the box is gone, so that the next wait finds the next one.
  const ULONGLONG end = GetTickCount64() + 10000;
  while (IsWindow(box.hwnd) && IsWindowVisible(box.hwnd) && GetTickCount64() < end) ::Sleep(kPoll);
}

bool App::ConfirmUntil(const std::wstring& text, std::vector<Box>& seen, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (GetTickCount64() < end) {
    Box box = WaitBox(static_cast<DWORD>(end - GetTickCount64()));
    if (!box.hwnd) return false;
    seen.push_back(box);
    Note(L"box \"" + box.caption + L"\": " + box.text + (box.error_icon ? L" (error icon)" : L""));
    if (box.error_icon) return false;
    Confirm(box);
    if (box.text == text) return true;
  }
  return false;
}

bool App::WaitExit(DWORD& code, DWORD timeout_ms) {
  if (!process_.hProcess) return false;
  if (WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_.hProcess, &code);
  return true;
}

std::vector<HWND> App::OtherWindows() { return TopLevel(process_.dwProcessId, nullptr, dialog_); }

bool App::Responsive() {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(Dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

std::wstring Text(HWND hwnd) {
  if (!hwnd) return L"";
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return std::wstring(buffer, copied);
}

RECT ClientRect(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::string ReadFile(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(file);
  return bytes;
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(file);
  return ok && n == bytes.size();
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace robot
