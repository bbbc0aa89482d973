#include "ui/form_layout.h"

namespace tpd {
namespace {

using K = ControlKind;
using F = FontKind;

constexpr ControlLayout kControls[] = {
    {kDraw3D2, K::kRunPanel, 0, 0, 0, 301, 106, nullptr, F::kDialog, kWindowText, false},
    {kLabel3, K::kLabel, kDraw3D2, 21, 5, 265, 57, L"Transformar datos desde DRUV hacia Pelcarin ",
     F::kHeading, kWindowText, true},
    {kBExportar, K::kOkButton, kDraw3D2, 88, 72, 89, 25, L"OK", F::kDialog, kWindowText, false},

    {kDraw3D3, K::kRunPanel, 0, 302, 0, 294, 106, nullptr, F::kDialog, kWindowText, false},
    {kLabel4, K::kLabel, kDraw3D3, 8, 5, 276, 57, L"Transformar datos desde Pelcarin hacia DRUV",
     F::kHeading, kWindowText, true},
    {kBImportar, K::kOkButton, kDraw3D3, 96, 72, 89, 25, L"OK", F::kDialog, kWindowText, false},

    {kPanel1, K::kPanel, 0, 0, 107, 596, 162, nullptr, F::kDialog, kWindowText, false},
    // Focusable controls of Panel1 first, in their tab order.
    {kBClose, K::kCloseButton, kPanel1, 385, 106, 89, 25, L"&Salir", F::kDialog, kWindowText,
     false},
    {kButton1, K::kPushButton, kPanel1, 188, 139, 109, 21, L"F1 AYUDA", F::kDialog, kWindowText,
     false},
    {kDirectorios, K::kFolderList, kPanel1, 9, 36, 287, 101, nullptr, F::kDialog, kWindowText,
     false},
    {kUnidades, K::kDriveBox, kPanel1, 9, 140, 137, 19, nullptr, F::kDialog, kWindowText, false},
    {kLabel5, K::kLabel, kPanel1, 9, 5, 280, 13,
     L"Carpeta en la que se encuentran los Ficheros TXT de DRUV", F::kDialog, kBlue, false},
    {kLabel6, K::kLabel, kPanel1, 9, 19, 59, 13, L"Ruta Actual:", F::kDialog, kBlue, false},
    {kLabel2, K::kLabel, kPanel1, 70, 20, 0, 13, L"", F::kDialogBold, kRed, true, kLabel6},
    {kLabel1, K::kLabel, kPanel1, 368, 143, 0, 13, L"TransPelcarinDRUV para RX07 V-1.0",
     F::kDialogBold, kRed, true},
};

}  // namespace

std::span<const ControlLayout> FormControls() { return kControls; }

const ControlLayout& LayoutOf(ControlId id) {
  for (const ControlLayout& layout : kControls) {
    if (layout.id == id) return layout;
  }
  return kControls[0];
}

}  // namespace tpd
