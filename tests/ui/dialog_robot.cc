// Drives transPelcarDruv.exe from outside, as a user would, and checks what it shows and what it
// leaves behind. One case per start:
//   dialog_robot CASE APP.EXE WORK [ARG...]
// WORK is the case's own folder: the program is copied to WORK\bin (its status file goes there)
// and started in WORK\druv, the folder in use. Prints ok:/FAIL: lines; exit status 0 when all
// passed.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "robot.h"
#include "ui/control_ids.h"

namespace {

using namespace robot;
using namespace tpd;

struct Setup {
  std::wstring exe;   // the copy under test, WORK\bin\transPelcarDruv.exe
  std::wstring ini;   // WORK\bin\Pelcarin.ini
  std::wstring druv;  // WORK\druv
  std::wstring work;
  std::vector<std::wstring> args;  // the case's own arguments
};

std::string Ini(int estado) {
  return "[Transformadores]\r\nTransformado=" + std::to_string(estado) + "\r\n";
}

HWND Focused(App& app) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(app.ThreadId(), &info);
  return info.hwndFocus;
}

// Keys as the keyboard gives them, to the window in front (the dialog).
void Keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> inputs;
  for (auto [vk, up] : strokes) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void BringToFront(App& app) {
  HWND dialog = app.Dialog();
  SetForegroundWindow(dialog);
  for (int i = 0; i < 40 && GetForegroundWindow() != dialog; ++i) Sleep(25);
}

// A key posted to the control that has the focus, as the keyboard would deliver it.
void PostKey(App& app, WORD vk) {
  HWND focus = Focused(app);
  PostMessageW(focus, WM_KEYDOWN, vk, 1);
  PostMessageW(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

bool Ended(App& app, DWORD expected_code, const std::wstring& what) {
  DWORD code = 0;
  if (!Check(app.WaitExit(code), what + L": the program ended")) return false;
  return Check(code == expected_code, what + L": exit code " + std::to_wstring(code));
}

bool SameRect(const RECT& r, int left, int top, int width, int height) {
  return r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height;
}

std::wstring RectText(const RECT& r) {
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
         std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
}

// The panels on offer: both, or the one asked for, at the top at full width.
void CheckPanels(App& app, const std::wstring& run) {
  HWND dialog = app.Dialog();
  HWND exp = app.Control(kDraw3D2);
  HWND imp = app.Control(kDraw3D3);
  const RECT re = ClientRect(dialog, exp);
  const RECT ri = ClientRect(dialog, imp);
  if (run == L"importar") {
    Check(!IsWindowVisible(exp), L"export panel hidden");
    Check(IsWindowVisible(imp) && SameRect(ri, 0, 0, 599, 106),
          L"import panel at the top, full width: " + RectText(ri));
    Check(SameRect(ClientRect(imp, app.Control(kBImportar)), 96, 72, 89, 25),
          L"BImportar keeps its place in the panel");
  } else if (run == L"exportar") {
    Check(!IsWindowVisible(imp), L"import panel hidden");
    Check(IsWindowVisible(exp) && SameRect(re, 0, 0, 599, 106),
          L"export panel at the top, full width: " + RectText(re));
  } else {
    Check(IsWindowVisible(exp) && SameRect(re, 0, 0, 301, 106), L"export panel: " + RectText(re));
    Check(IsWindowVisible(imp) && SameRect(ri, 302, 0, 294, 106), L"import panel: " + RectText(ri));
  }
}

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

// ---- Layout ---------------------------------------------------------------------------------

// The dialog is laid out in pixels at 96 dots per inch and scaled for the screen it is on.
constexpr int kBaseDpi = 96;

// A label no higher than this holds one line of the dialog's font; a higher one wraps its words.
constexpr int kOneLineHeight = 13;

int Scaled(int pixels_at_96, int dpi) { return MulDiv(pixels_at_96, dpi, kBaseDpi); }

// How a control may differ from its place scaled from 96 DPI.
enum class Fit {
  kExact,
  kWider,      // a one-line label: grows to the right to hold its text in a wider font
  kTextWidth,  // a label sized to its text
  kDriveBox,   // the closed drive box: Wine keeps its selection field as high as the font needs,
               // which can add two pixels
};

enum class Face { kNone, kDialog, kDialogBold, kHeading };

struct Place {
  const wchar_t* name;
  int id;
  int left, top, width, height;  // at 96 DPI, in the parent's client area
  Fit fit;
  Face face;      // the font its text is drawn in
  int after = 0;  // the label before it on its row: when that one grows, this one moves as much
};

// The dialog's controls as laid out at 96 DPI; the panels lie on the dialog, the rest on a panel.
const Place kPlaces[] = {
    {L"Draw3D2", kDraw3D2, 0, 0, 301, 106, Fit::kExact, Face::kNone},
    {L"Label3", kLabel3, 21, 5, 265, 57, Fit::kExact, Face::kHeading},
    {L"BExportar", kBExportar, 88, 72, 89, 25, Fit::kExact, Face::kDialog},
    {L"Draw3D3", kDraw3D3, 302, 0, 294, 106, Fit::kExact, Face::kNone},
    {L"Label4", kLabel4, 8, 5, 276, 57, Fit::kExact, Face::kHeading},
    {L"BImportar", kBImportar, 96, 72, 89, 25, Fit::kExact, Face::kDialog},
    {L"Panel1", kPanel1, 0, 107, 596, 162, Fit::kExact, Face::kNone},
    {L"Label5", kLabel5, 9, 5, 280, 13, Fit::kWider, Face::kDialog},
    {L"Label6", kLabel6, 9, 19, 59, 13, Fit::kWider, Face::kDialog},
    {L"Label2", kLabel2, 70, 20, 0, 13, Fit::kTextWidth, Face::kDialogBold, kLabel6},
    {L"Directorios", kDirectorios, 9, 36, 287, 101, Fit::kExact, Face::kNone},
    {L"Unidades", kUnidades, 9, 140, 137, 19, Fit::kDriveBox, Face::kNone},
    {L"BClose", kBClose, 385, 106, 89, 25, Fit::kExact, Face::kDialog},
    {L"Button1", kButton1, 188, 139, 109, 21, Fit::kExact, Face::kDialog},
    {L"Label1", kLabel1, 368, 143, 0, 13, Fit::kTextWidth, Face::kDialogBold},
};

const Place& PlaceOf(int id) {
  for (const Place& place : kPlaces) {
    if (place.id == id) return place;
  }
  return kPlaces[0];
}

bool IsLabel(int id) {
  return id == kLabel1 || id == kLabel2 || id == kLabel3 || id == kLabel4 || id == kLabel5 ||
         id == kLabel6;
}

// The faces the dialog's description names, at the given DPI: a face that the system puts in
// their place is then what both the dialog and this check measure with.
HFONT MakeFont(Face face, int dpi) {
  LOGFONTW lf{};
  const bool heading = face == Face::kHeading;
  lf.lfHeight = -MulDiv(heading ? 12 : 8, dpi, 72);
  lf.lfWeight = face == Face::kDialog ? FW_NORMAL : FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, heading ? L"Arial" : L"MS Sans Serif", LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

// The face of the font file that the system draws `face` with, such as "DejaVu Sans Bold" (the
// family and face names asked for answer with the name that was asked for).
std::wstring DrawnFace(Face face) {
  HDC dc = GetDC(nullptr);
  HFONT font = MakeFont(face, kBaseDpi);
  HGDIOBJ old = SelectObject(dc, font);
  std::wstring name;
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  std::vector<char> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
  if (size > 0 && GetOutlineTextMetricsW(dc, size, metrics)) {
    name = reinterpret_cast<const wchar_t*>(buffer.data() +
                                            reinterpret_cast<size_t>(metrics->otmpFaceName));
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return name;
}

// The room a control's text needs as drawn: a label's text (wrapped in its width when it has
// room for more than one line), a button's caption without its access-key "&" and, on the run
// and close buttons, after an 18-pixel glyph and a 4-pixel gap; each button face keeps a 4-pixel
// border and focus frame around it.
SIZE Needed(HWND control, const Place& place, int width, int dpi) {
  const std::wstring text = Text(control);
  HDC dc = GetDC(nullptr);
  HFONT font = MakeFont(place.face, dpi);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE size{0, metrics.tmHeight};
  if (IsLabel(place.id) && place.height > kOneLineHeight) {
    RECT wrapped{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &wrapped,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    size = {wrapped.right, wrapped.bottom};
  } else if (IsLabel(place.id)) {
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    size.cy = metrics.tmHeight;
  } else {
    RECT caption{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &caption, DT_CALCRECT | DT_SINGLELINE);
    size.cx = caption.right + 2 * Scaled(4, dpi);
    if (place.id != kButton1) size.cx += Scaled(18 + 4, dpi);
    size.cy += 2 * Scaled(4, dpi);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Every control at its 96-DPI place scaled to `dpi`, inside its parent, on no other control, its
// text whole. One line per control, with its rectangle in its parent's client area.
void CheckPlaces(App& app, int dpi) {
  std::map<int, RECT> shown;
  std::map<int, HWND> parents;
  for (const Place& place : kPlaces) {
    HWND control = app.Control(place.id);
    if (!control) return;
    HWND parent = GetParent(control);
    const RECT r = ClientRect(parent, control);
    shown[place.id] = r;
    parents[place.id] = parent;
    const int width = r.right - r.left, height = r.bottom - r.top;
    int left = Scaled(place.left, dpi);
    if (place.after) {
      const Place& before = PlaceOf(place.after);
      const RECT& b = shown[place.after];
      left += std::max(0, static_cast<int>(b.right - b.left) - Scaled(before.width, dpi));
    }
    const bool top_left = r.left == left && r.top == Scaled(place.top, dpi);
    const int laid_width = Scaled(place.width, dpi), laid_height = Scaled(place.height, dpi);
    bool laid_out = false;
    switch (place.fit) {
      case Fit::kExact:
        laid_out = top_left && width == laid_width && height == laid_height;
        break;
      case Fit::kWider:
        laid_out = top_left && width >= laid_width && height == laid_height;
        break;
      case Fit::kTextWidth:
        laid_out = top_left && height == laid_height;
        break;
      case Fit::kDriveBox:
        laid_out = top_left && width == laid_width && height >= laid_height &&
                   height <= laid_height + 2;
        break;
    }
    std::wstring problems;
    if (!laid_out) problems += L"; not as laid out (" + std::to_wstring(left) + L"," +
                               std::to_wstring(Scaled(place.top, dpi)) + L")";
    RECT parent_area{};
    GetClientRect(parent, &parent_area);
    if (!Inside(r, parent_area)) problems += L"; not inside its parent";
    std::wstring text_size;
    if (place.face != Face::kNone) {
      const SIZE needed = Needed(control, place, width, dpi);
      text_size = L", text " + std::to_wstring(needed.cx) + L"x" + std::to_wstring(needed.cy);
      if (needed.cx > width || needed.cy > height) problems += L"; its text is cut";
    }
    Check(problems.empty(),
          std::wstring(place.name) + L" at " + RectText(r) + text_size + problems);
  }
  for (const Place& a : kPlaces) {
    for (const Place& b : kPlaces) {
      RECT common;
      if (a.id < b.id && parents[a.id] == parents[b.id] &&
          IntersectRect(&common, &shown[a.id], &shown[b.id])) {
        Fail(std::wstring(a.name) + L" and " + b.name + L" overlap");
      }
    }
  }
}

// ---- Cases ------------------------------------------------------------------------------------

// Started by hand (the arguments as given): both panels, the layout, nothing closes by itself and
// no status file is written.
void Manual(Setup& s) {
  const std::wstring args = s.args.empty() ? L"" : s.args[0];
  App app(s.exe, args, s.druv);
  HWND dialog = app.Dialog();
  if (!dialog) return;
  Check(Text(dialog) == kFormCaption, L"caption: " + Text(dialog));
  RECT client{};
  GetClientRect(dialog, &client);
  Check(client.right == 599 && client.bottom == 270, L"client area " + RectText(client));
  CheckPanels(app, L"");
  CheckPlaces(app, kBaseDpi);
  const std::pair<int, const wchar_t*> texts[] = {
      {kBExportar, L"OK"},
      {kBImportar, L"OK"},
      {kLabel3, L"Transformar datos desde DRUV hacia Pelcarin "},
      {kLabel4, L"Transformar datos desde Pelcarin hacia DRUV"},
      {kBClose, L"&Salir"},
      {kButton1, L"F1 AYUDA"},
      {kLabel5, L"Carpeta en la que se encuentran los Ficheros TXT de DRUV"},
      {kLabel6, L"Ruta Actual:"},
  };
  for (const auto& [id, text] : texts) {
    const std::wstring shown = Text(app.Control(id));
    Check(shown == text, L"text of " + std::to_wstring(id) + L": " + shown);
  }
  Check(Text(app.Control(kLabel1)) == L"TransPelcarinDRUV para RX07 V-1.0", L"version label");
  Check(IsWindowEnabled(app.Control(kBExportar)) && IsWindowEnabled(app.Control(kBImportar)),
        L"both run buttons enabled");
  // The folder list: the path down to the folder in use, which is selected.
  HWND list = app.Control(kDirectorios);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  wchar_t entry[MAX_PATH] = {};
  SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(entry));
  Check(std::wstring(entry) == L"druv",
        L"folder in use selected in the list: " + std::wstring(entry));
  wchar_t root[MAX_PATH] = {};
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(root));
  Check(Lower(root) == Lower(s.druv.substr(0, 3)),
        L"the list starts at the drive's root: " + std::wstring(root));
  const std::wstring label = Text(app.Control(kLabel2));
  Check(!label.empty() && s.druv.size() >= label.size() &&
            Lower(s.druv).ends_with(Lower(label.substr(label.find_last_of(L"\\") + 1))),
        L"Label2 shows the folder in use: " + label);
  HWND drives = app.Control(kUnidades);
  wchar_t drive[16] = {};
  SendMessageW(drives, CB_GETLBTEXT, SendMessageW(drives, CB_GETCURSEL, 0, 0),
               reinterpret_cast<LPARAM>(drive));
  Check(Lower(drive).starts_with(Lower(s.druv.substr(0, 2))),
        L"drive box on the folder's drive: " + std::wstring(drive));

  Sleep(300);
  Check(IsWindow(dialog), L"nothing closes by itself");
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
  Check(!Exists(s.ini), L"no status file by hand");
}

// Parameter mode, closed without a run: the status file holds 0.
void ParamClose(Setup& s) {
  const std::wstring run = s.args.at(0);
  App app(s.exe, run + L" x", s.druv);
  if (!app.Dialog()) return;
  CheckPanels(app, Lower(run));
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
  const std::string ini = ReadFile(s.ini);
  Check(ini == Ini(0), L"status file holds 0: " + std::wstring(ini.begin(), ini.end()));
}

// An existing status file keeps its other sections and keys.
void IniKept(Setup& s) {
  const std::string before =
      "[General]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=1\r\nOtro=x\r\n";
  WriteFile(s.ini, before);
  App app(s.exe, L"importar x", s.druv);
  if (!app.Dialog()) return;
  PostMessageW(app.Dialog(), WM_CLOSE, 0, 0);  // the title bar's close box
  Ended(app, 0, L"close box");
  const std::string after = ReadFile(s.ini);
  Check(after == "[General]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=0\r\nOtro=x\r\n",
        L"other entries kept: " + std::wstring(after.begin(), after.end()));
}

// Parameter mode, the folder in use deleted before the press: "No existe la carpeta", the dialog
// closes, the status file holds -1 (export) or 0 (import).
void MissingFolder(Setup& s) {
  const std::wstring run = s.args.at(0);
  App app(s.exe, run + L" x", s.druv);
  if (!app.Dialog()) return;
  // The program holds its working folder open, so the folder goes from outside Windows: the
  // script that started us removes it when asked.
  WriteFile(s.work + L"\\remove-druv", "");
  for (int i = 0; i < 400 && Exists(s.druv); ++i) Sleep(25);
  if (!Check(!Exists(s.druv), L"the folder in use is gone")) return;
  Click(app.Control(run == L"exportar" ? kBExportar : kBImportar));
  App::Box box = app.WaitBox();
  Check(box.text == L"No existe la carpeta" && box.caption == L"transPelcarDruv" && !box.error_icon,
        L"message: " + box.text);
  if (box.hwnd) app.Confirm(box);
  Ended(app, 0, L"closes after the message");
  Check(ReadFile(s.ini) == Ini(run == L"exportar" ? -1 : 0), L"status file after a missing folder");
}

// Parameter mode with a run: press the button, confirm every message up to "Proceso finalizado",
// the program ends by itself with the expected status.
//   run ARG1 BUTTON ESTADO
void Run(Setup& s) {
  const std::wstring arg1 = s.args.at(0);
  const int button = s.args.at(1) == L"exportar" ? kBExportar : kBImportar;
  const int estado = std::stoi(s.args.at(2));
  App app(s.exe, arg1 + L" x", s.druv);
  if (!app.Dialog()) return;
  CheckPanels(app, Lower(arg1));
  Click(app.Control(button));
  std::vector<App::Box> boxes;
  const bool finished = app.ConfirmUntil(L"Proceso finalizado", boxes);
  Check(finished, L"\"Proceso finalizado\" shown");
  for (const App::Box& box : boxes) {
    Check(box.caption == L"transPelcarDruv" && !box.error_icon, L"plain message: " + box.text);
  }
  Ended(app, 0, L"closes by itself after the run");
  Check(ReadFile(s.ini) == Ini(estado), L"status file holds " + std::to_wstring(estado));
}

// A run that ends with an error: the standard error box, both run buttons stay enabled, the
// dialog stays open.
void ErrorRun(Setup& s) {
  App app(s.exe, L"", s.druv);
  if (!app.Dialog()) return;
  Click(app.Control(kBImportar));
  App::Box box = app.WaitBox();
  Check(box.hwnd && box.error_icon && box.caption == L"transPelcarDruv", L"error box: " + box.text);
  Check(!box.text.empty() && box.text.back() <= L'.', L"error text ends in a full stop");
  if (box.hwnd) app.Confirm(box);
  Sleep(200);
  Check(IsWindow(app.Dialog()), L"the dialog stays open");
  Check(IsWindowEnabled(app.Control(kBExportar)) && IsWindowEnabled(app.Control(kBImportar)),
        L"run buttons stay enabled");
  Check(app.OtherWindows().empty(), L"no other box left");
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

// Parameter mode, an export run stopped by an error: the dialog stays open with both run buttons
// enabled, and when it is closed the status file says -1, never 1.
void FailedExport(Setup& s) {
  App app(s.exe, L"exportar x", s.druv);
  if (!app.Dialog()) return;
  Click(app.Control(kBExportar));
  std::vector<App::Box> boxes;
  app.ConfirmUntil(L"Proceso finalizado", boxes);
  if (!Check(!boxes.empty() && boxes.back().error_icon, L"the run ended in the error box")) return;
  app.Confirm(boxes.back());
  Sleep(200);
  Check(IsWindow(app.Dialog()) && IsWindowEnabled(app.Control(kBExportar)),
        L"the dialog stays open, BExportar enabled");
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
  Check(ReadFile(s.ini) == Ini(-1), L"status file holds -1");
}

// Keyboard: the Tab order, Enter in the folder list starting the export run, both run buttons
// disabled after it, and then Enter in the list opening the highlighted folder.
void Keyboard(Setup& s) {
  CreateDirectoryW((s.druv + L"\\sub").c_str(), nullptr);
  App app(s.exe, L"", s.druv);
  if (!app.Dialog()) return;
  auto focus_on = [&app](int id) {
    HWND want = app.Control(id);
    for (int i = 0; i < 80 && Focused(app) != want; ++i) Sleep(25);
    HWND focus = Focused(app);
    return Check(focus == want, L"focus on " + std::to_wstring(id) + L" (found " +
                                    std::to_wstring(GetDlgCtrlID(focus)) + L")");
  };
  focus_on(kBExportar);
  const int order[] = {kBImportar, kBClose, kButton1, kDirectorios, kUnidades, kBExportar};
  for (int id : order) {
    PostKey(app, VK_TAB);
    focus_on(id);
  }
  for (int i = 0; i < 4; ++i) PostKey(app, VK_TAB);
  for (int i = 0; i < 80 && Focused(app) != app.Control(kDirectorios); ++i) Sleep(25);
  // Highlight the sub-folder without opening it.
  HWND list = app.Control(kDirectorios);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  PostMessageW(list, LB_SETCURSEL, count - 1, 0);
  Sleep(100);
  PostKey(app, VK_RETURN);
  std::vector<App::Box> boxes;
  Check(app.ConfirmUntil(L"Proceso finalizado", boxes), L"Enter in the list ran the export");
  Sleep(200);
  Check(!IsWindowEnabled(app.Control(kBExportar)) && !IsWindowEnabled(app.Control(kBImportar)),
        L"both run buttons disabled after the run");
  Check(IsWindow(app.Dialog()), L"by hand the dialog stays open");
  // Now Enter reaches the list: the highlighted folder opens.
  SendMessageW(list, LB_SETCURSEL, count - 1, 0);
  SendMessageW(app.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
  PostKey(app, VK_RETURN);
  bool opened = false;
  for (int i = 0; i < 80 && !opened; ++i) {
    opened = Text(app.Control(kLabel2)).ends_with(L"sub");
    Sleep(25);
  }
  Check(opened, L"Enter opened the highlighted folder: " + Text(app.Control(kLabel2)));
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

// The status file cannot be written (its name is taken by a folder): the standard error box names
// it, and the dialog closes all the same.
void StatusUnwritable(Setup& s) {
  CreateDirectoryW(s.ini.c_str(), nullptr);
  App app(s.exe, L"importar x", s.druv);
  if (!app.Dialog()) return;
  Click(app.Control(kBClose));
  App::Box box = app.WaitBox();
  Check(box.error_icon && box.text == L"Unable to write to " + s.ini + L".",
        L"error box: " + box.text);
  if (box.hwnd) app.Confirm(box);
  Ended(app, 0, L"closes after the error");
}

// The folder chooser: a deep folder in use is shortened in Label2 and listed with the path down to
// it; a double click opens another folder; the drive box moves to another drive.
void Chooser(Setup& s) {
  const std::wstring deep = s.druv + L"\\Una carpeta de nombre largo\\Otra carpeta m\u00E1s larga" +
                            L"\\Y la carpeta del curso 2026-2027";
  for (size_t at = s.druv.size() + 1; at <= deep.size(); ++at) {
    if (at == deep.size() || deep[at] == L'\\')
      CreateDirectoryW(deep.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW((deep + L"\\b").c_str(), nullptr);
  CreateDirectoryW((deep + L"\\A").c_str(), nullptr);
  CreateDirectoryW((deep + L"\\c").c_str(), nullptr);
  App app(s.exe, L"", deep);
  if (!app.Dialog()) return;
  HWND label = app.Control(kLabel2);
  const std::wstring shown = Text(label);
  RECT r;
  GetWindowRect(label, &r);
  Check(shown.starts_with(L"...\\") || shown.find(L"\\...\\") != std::wstring::npos,
        L"Label2 shortened: " + shown);
  Check(
      shown.ends_with(L"Y la carpeta del curso 2026-2027") && r.right - r.left <= 287,
      L"Label2 ends in the folder in use, at most 287 wide: " + std::to_wstring(r.right - r.left));
  HWND list = app.Control(kDirectorios);
  std::vector<std::wstring> entries;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t entry[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
    entries.push_back(entry);
  }
  const std::vector<std::wstring> expected = {Lower(s.druv.substr(0, 2)) + L"\\",
                                              L"druv",
                                              L"Una carpeta de nombre largo",
                                              L"Otra carpeta m\u00E1s larga",
                                              L"Y la carpeta del curso 2026-2027",
                                              L"A",
                                              L"b",
                                              L"c"};
  std::wstring listed;
  for (const auto& e : entries) listed += L"[" + e + L"]";
  entries[0] = Lower(entries[0]);
  Check(entries == expected,
        L"the path down to the folder, then its sub-folders sorted: " + listed);
  Check(SendMessageW(list, LB_GETCURSEL, 0, 0) == 4, L"the folder in use is selected");

  // A click only highlights; a double click opens "druv".
  SendMessageW(list, LB_SETTOPINDEX, 0, 0);
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  Sleep(300);
  Check(Text(label) == shown, L"a click leaves the folder in use");
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  bool opened = false;
  for (int i = 0; i < 80 && !opened; ++i) {
    opened = Lower(Text(label)) == Lower(s.druv);
    Sleep(25);
  }
  Check(opened, L"a double click opens the folder: " + Text(label));

  // Another drive: its current folder becomes the folder in use.
  HWND drives = app.Control(kUnidades);
  const LRESULT c_drive =
      SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"c:"));
  SendMessageW(drives, CB_SETCURSEL, c_drive, 0);
  PostMessageW(GetParent(drives), WM_COMMAND, MAKEWPARAM(kUnidades, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  bool moved = false;
  for (int i = 0; i < 80 && !moved; ++i) {
    moved = Lower(Text(label)).starts_with(L"c:");
    Sleep(25);
  }
  Check(moved, L"the drive box moved to c: " + Text(label));
  Check(app.OtherWindows().empty(), L"no message on the way");
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

// Alt+S closes the dialog.
void AltS(Setup& s) {
  App app(s.exe, L"", s.druv);
  if (!app.Dialog()) return;
  BringToFront(app);
  Keys({{VK_MENU, false}, {'S', false}, {'S', true}, {VK_MENU, true}});
  Ended(app, 0, L"Alt+S");
}

// F1 and the help button with no help file: nothing hangs, nothing crashes, the dialog answers.
void HelpMissing(Setup& s) {
  App app(s.exe, L"", s.druv);
  if (!app.Dialog()) return;
  BringToFront(app);
  Keys({{VK_F1, false}, {VK_F1, true}});
  Sleep(1000);
  Check(app.Responsive(), L"the dialog answers after F1");
  Click(app.Control(kButton1));
  Sleep(1000);
  Check(app.Responsive(), L"the dialog answers after F1 AYUDA");
  for (HWND other : app.OtherWindows()) Note(L"window left open: " + Text(other));
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

// The layout on a screen of the DPI given (set in the Wine prefix by the script that started us)
// and, when a face is given, with the dialog's fonts drawn in that face: the client area and
// every control scaled from the 96-DPI layout, no control over another, every text whole.
//   layout DPI [FACE]
void Layout(Setup& s) {
  const int dpi = std::stoi(s.args.at(0));
  HDC screen = GetDC(nullptr);
  const int screen_dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (!Check(screen_dpi == dpi, L"the screen is at " + std::to_wstring(screen_dpi) + L" DPI"))
    return;
  // The face the dialog's text is drawn in, when the script that started us put one in its place.
  if (s.args.size() > 1) {
    for (Face face : {Face::kDialog, Face::kDialogBold, Face::kHeading}) {
      const std::wstring drawn = DrawnFace(face);
      Check(drawn.starts_with(s.args[1]), L"drawn in " + drawn);
    }
  }
  App app(s.exe, L"", s.druv);
  HWND dialog = app.Dialog();
  if (!dialog) return;
  RECT client{};
  GetClientRect(dialog, &client);
  Check(client.right == Scaled(599, dpi) && client.bottom == Scaled(270, dpi),
        L"client area " + RectText(client));
  CheckPlaces(app, dpi);
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

// Shows the dialog and waits until WORK\release exists (the screenshot is taken meanwhile).
// With the argument "after-run", first runs the export (in an empty folder) so that the run
// buttons show their disabled look.
void Hold(Setup& s) {
  App app(s.exe, L"", s.druv);
  if (!app.Dialog()) return;
  if (!s.args.empty() && s.args[0] == L"after-run") {
    Click(app.Control(kBExportar));
    std::vector<App::Box> boxes;
    app.ConfirmUntil(L"Proceso finalizado", boxes);
  }
  BringToFront(app);
  Sleep(500);  // painted
  RECT r{};
  GetWindowRect(app.Dialog(), &r);
  // Where the dialog is on the screen, for cutting it out of the screenshot: "WxH+X+Y".
  WriteFile(s.work + L"\\shown", std::to_string(r.right - r.left) + "x" +
                                     std::to_string(r.bottom - r.top) + "+" +
                                     std::to_string(r.left) + "+" + std::to_string(r.top));
  for (int i = 0; i < 1200 && !Exists(s.work + L"\\release"); ++i) Sleep(25);
  Click(app.Control(kBClose));
  Ended(app, 0, L"Salir");
}

}  // namespace

int wmain() {
  // Rectangles and fonts in the screen's own pixels, as the dialog (aware of the DPI) uses them.
  SetProcessDPIAware();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 4) {
    std::fwprintf(stderr, L"usage: dialog_robot CASE APP.EXE WORK [ARG...]\n");
    return 64;
  }
  const std::map<std::wstring, std::function<void(Setup&)>> cases = {
      {L"manual", Manual},
      {L"param_close", ParamClose},
      {L"ini_kept", IniKept},
      {L"missing_folder", MissingFolder},
      {L"run", Run},
      {L"error_run", ErrorRun},
      {L"keyboard", Keyboard},
      {L"alt_s", AltS},
      {L"help_missing", HelpMissing},
      {L"hold", Hold},
      {L"status_unwritable", StatusUnwritable},
      {L"chooser", Chooser},
      {L"failed_export", FailedExport},
      {L"layout", Layout},
  };
  auto it = cases.find(argv[1]);
  if (it == cases.end()) {
    std::fwprintf(stderr, L"unknown case %ls\n", argv[1]);
    return 64;
  }
  Setup s;
  s.work = argv[3];
  s.exe = s.work + L"\\bin\\transPelcarDruv.exe";
  s.ini = s.work + L"\\bin\\Pelcarin.ini";
  s.druv = s.work + L"\\druv";
  for (int i = 4; i < argc; ++i) s.args.push_back(argv[i]);
  CreateDirectoryW((s.work + L"\\bin").c_str(), nullptr);
  CreateDirectoryW(s.druv.c_str(), nullptr);
  DeleteFileW(s.ini.c_str());
  // Under load Wine has been seen to refuse the copy once, just after the case's drive was mapped:
  // a few tries before the case fails.
  bool copied = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !copied; ++attempt) {
    if (attempt > 0) Sleep(200);
    copied = CopyFileW(argv[2], s.exe.c_str(), FALSE) != 0;
    if (!copied) error = GetLastError();
  }
  if (!copied) {
    Fail(L"cannot copy the program to " + s.exe + L" (error " + std::to_wstring(error) + L")");
    return 1;
  }
  it->second(s);
  std::fwprintf(stdout, L"%ls: %d failed\n", argv[1], Failures());
  std::fflush(stdout);
  return Failures() == 0 ? 0 : 1;
}
