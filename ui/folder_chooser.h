// The folder chooser: the folder list `Directorios`, the drive box `Unidades` and the label
// `Label2` that shows the folder in use. The folder in use is always the process's working
// folder, so that paths without a drive, such as the table folder, lie on its drive.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tpd {

class FolderChooser {
 public:
  void Attach(HWND list, HWND drives, HWND label);
  // Sizes that follow the DPI: the list's row height and indent, the label's font and width.
  void SetMetrics(int dpi, HFONT label_font);

  // Shows the working folder of the process (at start, and after it changed).
  void ShowWorkingFolder();
  // The folder in use: a full path without a trailing separator, except at a drive's root.
  const std::wstring& FolderInUse() const { return folder_; }

  // Opens the highlighted entry of the list (double click; Enter when no run button takes it).
  // Throws Error when the folder cannot be entered; the folder in use then stays.
  void OpenHighlighted();
  // The drive chosen in the drive box: its current folder becomes the folder in use. Throws
  // Error when the drive cannot be entered; the drive box then shows the drive in use again.
  void ChooseDrive();

  void MeasureEntry(MEASUREITEMSTRUCT& item) const;
  void DrawEntry(const DRAWITEMSTRUCT& item) const;
  HBRUSH Background() const;

 private:
  struct Entry {
    std::wstring name;  // as listed
    std::wstring path;  // full path
    int depth;
    bool open;          // on the path to the folder in use (open-folder icon)
  };
  void Open(const std::wstring& path);
  void FillList();
  void FillDrives();
  void UpdateLabel();

  HWND list_ = nullptr;
  HWND drives_ = nullptr;
  HWND label_ = nullptr;
  HFONT label_font_ = nullptr;
  int dpi_ = 96;
  std::wstring folder_;
  std::vector<Entry> entries_;
};

}  // namespace tpd
