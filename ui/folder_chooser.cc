#include "ui/folder_chooser.h"

#include <algorithm>
#include <cwctype>

#include "app/path_label.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "ui/dpi.h"
#include "ui/form_layout.h"
#include "ui/glyphs.h"

namespace tpd {
namespace {

constexpr int kIndent = 8;       // per level of the folder tree, 96-DPI pixels
constexpr int kRowHeight = 16;   // the folder icons' height
constexpr int kIconGap = 4;      // between icon and name

std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring WorkingFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(n, L'\0');
  n = GetCurrentDirectoryW(n, dir.data());
  dir.resize(n);
  return dir;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The sub-folders of `folder` that a user sees (hidden and system folders left out), sorted
// without regard to letter case.
std::vector<std::wstring> SubFolders(const std::wstring& folder) {
  std::vector<std::wstring> names;
  std::wstring pattern = folder;
  if (!pattern.empty() && !IsSeparator(pattern.back())) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                 FindExSearchLimitToDirectories, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const DWORD attributes = found.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1,
                           nullptr, nullptr, 0) == CSTR_LESS_THAN;
  });
  return names;
}

HBRUSH ChooserBrush() {
  static HBRUSH brush = CreateSolidBrush(kChooserBackground);
  return brush;
}

}  // namespace

void FolderChooser::Attach(HWND list, HWND drives, HWND label) {
  list_ = list;
  drives_ = drives;
  label_ = label;
}

void FolderChooser::SetMetrics(int dpi, HFONT label_font) {
  dpi_ = dpi;
  label_font_ = label_font;
  if (list_) SendMessageW(list_, LB_SETITEMHEIGHT, 0, Scale(kRowHeight, dpi_));
  if (!folder_.empty()) UpdateLabel();
}

void FolderChooser::ShowWorkingFolder() {
  folder_ = WorkingFolder();
  FillList();
  FillDrives();
  UpdateLabel();
}

void FolderChooser::Open(const std::wstring& path) {
  if (!SetCurrentDirectoryW(path.c_str())) {
    const DWORD error = GetLastError();
    throw Error(Subst(u"Cannot open the folder \"%s\". %s",
                      {U16(path), SystemErrorText(static_cast<int>(error))}));
  }
  ShowWorkingFolder();
}

void FolderChooser::OpenHighlighted() {
  const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return;
  Open(entries_[static_cast<size_t>(index)].path);
}

void FolderChooser::ChooseDrive() {
  const LRESULT index = SendMessageW(drives_, CB_GETCURSEL, 0, 0);
  if (index < 0) return;
  const wchar_t letter = static_cast<wchar_t>(SendMessageW(drives_, CB_GETITEMDATA, index, 0));
  const std::wstring drive{letter, L':'};
  // The drive's own current folder, as the system remembers it for each drive.
  wchar_t full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameW(drive.c_str(), MAX_PATH * 4, full, nullptr);
  std::wstring target = (n > 0 && n < MAX_PATH * 4) ? std::wstring(full, n) : drive + L'\\';
  try {
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) target = drive + L'\\';
    Open(target);
  } catch (...) {
    FillDrives();  // back to the drive in use
    throw;
  }
}

void FolderChooser::FillList() {
  entries_.clear();
  const std::u16string folder16 = U16(folder_);
  const size_t drive_length = DriveLength(folder16);
  std::wstring path = folder_.substr(0, drive_length) + L'\\';
  entries_.push_back({path, path, 0, true});
  int depth = 0;
  size_t start = drive_length;
  while (start < folder_.size()) {
    while (start < folder_.size() && IsSeparator(folder_[start])) ++start;
    size_t end = start;
    while (end < folder_.size() && !IsSeparator(folder_[end])) ++end;
    if (end > start) {
      const std::wstring name = folder_.substr(start, end - start);
      if (!IsSeparator(path.back())) path += L'\\';
      path += name;
      entries_.push_back({name, path, ++depth, true});
    }
    start = end;
  }
  const size_t in_use = entries_.size() - 1;
  for (const std::wstring& name : SubFolders(folder_)) {
    std::wstring sub = path;
    if (!IsSeparator(sub.back())) sub += L'\\';
    entries_.push_back({name, sub + name, depth + 1, false});
  }

  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (const Entry& entry : entries_) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
  }
  SendMessageW(list_, LB_SETCURSEL, in_use, 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void FolderChooser::FillDrives() {
  SendMessageW(drives_, CB_RESETCONTENT, 0, 0);
  const wchar_t in_use = folder_.size() >= 2 && folder_[1] == L':'
                             ? static_cast<wchar_t>(towlower(folder_[0]))
                             : L'\0';
  DWORD mask = GetLogicalDrives();
  // The drive of the folder in use exists, even when the system's list has not caught up yet.
  if (in_use >= L'a' && in_use <= L'z') mask |= 1u << (in_use - L'a');
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'a' + i);
    const std::wstring text{letter, L':'};
    const LRESULT index =
        SendMessageW(drives_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(drives_, CB_SETITEMDATA, index, letter);
    if (letter == in_use) SendMessageW(drives_, CB_SETCURSEL, index, 0);
  }
}

void FolderChooser::UpdateLabel() {
  HDC dc = GetDC(label_);
  HGDIOBJ old = SelectObject(dc, label_font_);
  auto measure = [dc](std::u16string_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  const std::wstring shown =
      W(ShortenFolderLabel(U16(folder_), Scale(kFolderLabelMaxWidth, dpi_), measure));
  const int width = measure(U16(shown));
  SelectObject(dc, old);
  ReleaseDC(label_, dc);
  SetWindowTextW(label_, shown.c_str());
  // The label is sized to its text.
  SetWindowPos(label_, nullptr, 0, 0, width, Scale(LayoutOf(kLabel2).height, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Its old text may lie outside the new size: repaint what is under it.
  RECT r;
  GetWindowRect(label_, &r);
  HWND parent = GetParent(label_);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  r.right = r.left + Scale(kFolderLabelMaxWidth, dpi_) + Scale(8, dpi_);
  InvalidateRect(parent, &r, TRUE);
}

void FolderChooser::MeasureEntry(MEASUREITEMSTRUCT& item) const {
  item.itemHeight = static_cast<UINT>(Scale(kRowHeight, dpi_));
}

HBRUSH FolderChooser::Background() const { return ChooserBrush(); }

void FolderChooser::DrawEntry(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT row = item.rcItem;
  FillRect(dc, &row, ChooserBrush());
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) {
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
    return;
  }
  const Entry& entry = entries_[item.itemID];
  const int side = Scale(kRowHeight, dpi_);
  const int left = row.left + Scale(2, dpi_) + entry.depth * Scale(kIndent, dpi_);
  DrawGlyph(dc, entry.open ? Glyph::kFolderOpen : Glyph::kFolderClosed, left,
            (row.top + row.bottom - side) / 2, side, false);

  RECT text{left + side + Scale(kIconGap, dpi_), row.top, row.right, row.bottom};
  RECT bounds = text;
  DrawTextW(dc, entry.name.c_str(), -1, &bounds, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  bounds.top = row.top;
  bounds.bottom = row.bottom;
  bounds.left -= 1;
  bounds.right = std::min(bounds.right + 2, row.right);
  const bool selected = item.itemState & ODS_SELECTED;
  if (selected) FillRect(dc, &bounds, GetSysColorBrush(COLOR_HIGHLIGHT));
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, entry.name.c_str(), -1, &text,
            DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
  SetBkMode(dc, old_mode);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &bounds);
}

}  // namespace tpd
