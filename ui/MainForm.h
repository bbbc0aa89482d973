// The dialog MForm of class TMForm: two run panels over the folder chooser, with help and close.
// Everything happens on the user-interface thread, inside the dialog's event handlers.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/run_shape.h"
#include "app/start_up.h"
#include "ui/control_ids.h"
#include "ui/dialog_front_end.h"
#include "ui/folder_chooser.h"
#include "ui/help.h"

namespace tpd {

class TMForm {
 public:
  TMForm(HINSTANCE instance, Help& help);
  ~TMForm();
  TMForm(const TMForm&) = delete;
  TMForm& operator=(const TMForm&) = delete;

  // Creates the dialog from its layout; FormCreate runs during the creation. Shows it centred on
  // the screen. False when the system could not create it.
  bool Create();
  // The dialog's window while it exists, else nullptr.
  HWND hwnd() const { return hwnd_; }
  // Keys that the dialog decides before the system's dialog manager (Enter). True when handled.
  bool PreTranslate(const MSG& msg);

  const RunStatus& Status() const { return status_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormClose();
  void BExportarClick();
  void BImportarClick();
  void BCloseClick();
  void Button1Click();

  void Click(int id);
  void AfterRun(RunOutcome outcome);
  // Runs a handler; an error ends it and shows the standard error box, the dialog stays open.
  template <typename Handler>
  void Guarded(Handler handler);

  void CreateControls();
  void CreateFonts(int dpi);
  void Layout(int dpi);
  void Center();
  HWND Control(int id) const;
  HFONT FontFor(int id) const;
  bool IsGlyphButton(int id) const;
  bool IsDefaultButton(HWND button) const;
  HWND EnterTarget() const;
  void RepaintButtons() const;
  INT_PTR LabelColours(HDC dc, HWND label);

  HINSTANCE instance_;
  Help& help_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  RunStatus status_;
  PanelChoice panels_ = PanelChoice::kBoth;
  std::u16string dirTxt_;
  DialogFrontEnd front_end_;
  FolderChooser chooser_;
  std::array<HWND, kLabel1 - kDraw3D2 + 1> controls_{};
  HFONT dialog_font_ = nullptr;
  HFONT bold_font_ = nullptr;
  HFONT heading_font_ = nullptr;
};

// The message loop of the program: runs until the dialog has closed; returns the exit code.
int RunMessageLoop(TMForm& form);

}  // namespace tpd
