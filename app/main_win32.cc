// Program entry of transPelcarDruv.exe: the application settings, the one dialog MForm and the
// message loop that runs until the dialog has closed.
#include <windows.h>
#include <commctrl.h>

#include "ui/MainForm.h"
#include "ui/help.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // 1. The runtime: the visual-style common controls of the manifest.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // 2. The help file, a bare name. 3. The application title "transPelcarDruv" captions every
  // message box (kAppTitle).
  tpd::Help help;
  help.SetFile(tpd::kHelpFile);
  // 4. The dialog; FormCreate reads the command line while it is created.
  tpd::TMForm MForm(instance, help);
  if (!MForm.Create()) {
    MessageBoxW(nullptr, L"The dialog could not be created.", tpd::kAppTitle,
                MB_OK | MB_ICONERROR);
    return 1;
  }
  // 5. Until the dialog has closed.
  return tpd::RunMessageLoop(MForm);
}
