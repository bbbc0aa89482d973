// Control identifiers of the dialog, shared with the program that drives the dialog in tests.
#pragma once

namespace tpd {

// The dialog's window class and caption.
inline constexpr wchar_t kFormClass[] = L"TMForm";
inline constexpr wchar_t kFormCaption[] = L"Exportar e importar datos entre Pelcarin y DRUV";
inline constexpr wchar_t kAppTitle[] = L"transPelcarDruv";  // caption of every message box

enum ControlId : int {
  kDraw3D2 = 100,  // export run's panel
  kLabel3,
  kBExportar,
  kDraw3D3,        // import run's panel
  kLabel4,
  kBImportar,
  kPanel1,         // folder chooser, help, close and version
  kLabel5,
  kLabel6,
  kLabel2,         // the folder in use, shortened
  kDirectorios,
  kUnidades,
  kBClose,
  kButton1,        // help
  kLabel1,         // version
};

}  // namespace tpd
