#include "ui/MainForm.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "app/command_line.h"
#include "app/status_file.h"
#include "app/table_folder.h"
#include "export/export_run.h"
#include "timetable/import_run.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"
#include "ui/dpi.h"
#include "ui/form_layout.h"
#include "ui/glyph_button.h"
#include "ui/panels.h"
#include "ui/program_path.h"

namespace tpd {
namespace {

// The drive box is created with room for its drop-down list below the closed box.
constexpr int kDriveListHeight = 160;
// A label this high holds one line of the dialog font.
constexpr int kOneLineLabelHeight = 13;

std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The dialog itself: a template with no controls (they are made from the layout table), of our
// own window class so that it is found by its name.
std::vector<WORD> DialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
  header->dwExtendedStyle = WS_EX_CONTROLPARENT;
  words.push_back(0);  // no menu
  for (const wchar_t* text : {kFormClass, kFormCaption}) {
    for (const wchar_t* c = text; *c; ++c) words.push_back(static_cast<WORD>(*c));
    words.push_back(0);
  }
  return words;
}

bool RegisterFormClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kFormClass;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT MakeFont(const wchar_t* face, int points, bool bold, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(points, dpi, 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

int TextWidth(HWND hwnd, HFONT font) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), length + 1);
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), length, &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

}  // namespace

TMForm::TMForm(HINSTANCE instance, Help& help) : instance_(instance), help_(help) {}

TMForm::~TMForm() {
  if (hwnd_) DestroyWindow(hwnd_);
  for (HFONT font : {dialog_font_, bold_font_, heading_font_}) {
    if (font) DeleteObject(font);
  }
}

bool TMForm::Create() {
  if (!RegisterFormClass(instance_) || !RegisterPanelClasses(instance_)) return false;
  const std::vector<WORD> dialog_template = DialogTemplate();
  HWND hwnd = CreateDialogIndirectParamW(
      instance_, reinterpret_cast<const DLGTEMPLATE*>(dialog_template.data()), nullptr, DialogProc,
      reinterpret_cast<LPARAM>(this));
  if (!hwnd) return false;
  ShowWindow(hwnd, SW_SHOW);
  // The first run button on offer takes the focus (set after activation, which otherwise puts
  // it on whatever the dialog manager finds first).
  SendMessageW(hwnd, WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(IsWindowVisible(Control(kBExportar)) ? Control(kBExportar)
                                                                             : Control(kBImportar)),
               TRUE);
  UpdateWindow(hwnd);
  return true;
}

INT_PTR CALLBACK TMForm::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TMForm* form = nullptr;
  if (msg == WM_INITDIALOG) {
    form = reinterpret_cast<TMForm*>(lp);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, lp);
  } else {
    form = reinterpret_cast<TMForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!form) return FALSE;
  const INT_PTR result = form->HandleMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
  }
  return result;
}

template <typename Handler>
void TMForm::Guarded(Handler handler) {
  try {
    handler();
  } catch (const Error& e) {
    front_end_.ShowError(e.text());
  } catch (const std::exception& e) {
    front_end_.ShowError(FromUtf8(e.what()));
  } catch (...) {
    // Nothing may unwind through the window procedure.
    front_end_.ShowError(u"Unexpected error");
  }
}

INT_PTR TMForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      front_end_.SetOwner(hwnd_);
      dpi_ = DpiOf(hwnd_);
      CreateFonts(dpi_);
      CreateControls();
      chooser_.Attach(Control(kDirectorios), Control(kUnidades), Control(kLabel2));
      FormCreate();
      chooser_.ShowWorkingFolder();
      Layout(dpi_);
      Center();
      return FALSE;  // the focus is set once the dialog is shown and active
    }
    case WM_SHOWWINDOW:
      if (wp) FormShow();
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (IsGlyphButton(id) && (code == BN_SETFOCUS || code == BN_KILLFOCUS)) {
        RepaintButtons();
      } else if (id == kDirectorios && code == LBN_DBLCLK) {
        Guarded([this] { chooser_.OpenHighlighted(); });
      } else if (id == kUnidades && code == CBN_SELCHANGE) {
        Guarded([this] { chooser_.ChooseDrive(); });
      } else if (code == BN_CLICKED && id != IDOK && id != IDCANCEL) {
        Click(id);
      }
      // Enter is handled before the dialog manager; Escape closes nothing.
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (IsGlyphButton(static_cast<int>(item.CtlID))) {
        DrawGlyphButton(item, item.CtlID == kBClose ? Glyph::kDoor : Glyph::kCheck,
                        IsDefaultButton(item.hwndItem), dpi_);
      } else if (item.CtlID == kDirectorios) {
        chooser_.DrawEntry(item);
      }
      return TRUE;
    }
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (item.CtlID == kDirectorios) chooser_.MeasureEntry(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      return LabelColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT: {
      // The folder list and the drive box (with its drop-down list).
      SetBkColor(reinterpret_cast<HDC>(wp), kChooserBackground);
      SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(chooser_.Background());
    }
    case WM_SETCURSOR:
      if (front_end_.Busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_HELP:
      // F1 on any control: every control carries help context 3.
      help_.ShowContext(hwnd_, kHelpContext);
      return TRUE;
    case WM_CLOSE:
      FormClose();
      DestroyWindow(hwnd_);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      CreateFonts(dpi_);
      Layout(dpi_);
      const RECT& suggested = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- Event handlers -------------------------------------------------------------------------

void TMForm::FormCreate() {
  status_.estado = 0;
  const StartUp start = ReadParameters(SplitCommandLine(U16(GetCommandLineW())));
  status_.numParam = start.numParam;
  panels_ = start.panels;
  // The panel of the run not asked for is hidden; Layout moves the other to the top.
  if (panels_ == PanelChoice::kImportOnly) ShowWindow(Control(kDraw3D2), SW_HIDE);
  if (panels_ == PanelChoice::kExportOnly) ShowWindow(Control(kDraw3D3), SW_HIDE);
}

void TMForm::FormShow() {}

void TMForm::FormClose() {
  if (!status_.ParameterMode()) return;
  try {
    WriteStatusFile(StatusFilePath(U16(ProgramPath())), status_.estado);
  } catch (const Error& e) {
    // The timetabler waits for the program to end: it closes even so.
    front_end_.ShowError(e.text());
  }
}

void TMForm::BExportarClick() {
  const std::u16string folder = U16(chooser_.FolderInUse());
  dirTxt_ = folder + std::u16string(PathSeparator());
  const std::u16string tables = TableFolderFor(folder);
  const RunOutcome outcome =
      RunButton(RunKind::kExport, folder, status_.ParameterMode(), status_.estado, front_end_,
                [&](const std::u16string& dirTxt) {
                  dirTxt_ = dirTxt;
                  ExportContext ctx{dirTxt, tables, status_.estado, front_end_};
                  ExportSteps(ctx);
                });
  AfterRun(outcome);
}

void TMForm::BImportarClick() {
  const std::u16string folder = U16(chooser_.FolderInUse());
  dirTxt_ = folder + std::u16string(PathSeparator());
  const std::u16string tables = TableFolderFor(folder);
  const RunOutcome outcome =
      RunButton(RunKind::kImport, folder, status_.ParameterMode(), status_.estado, front_end_,
                [&](const std::u16string& dirTxt) {
                  dirTxt_ = dirTxt;
                  ImportContext ctx;
                  ctx.dirTxt = dirTxt;
                  ctx.table_folder = tables;
                  ImportTimetable(ctx);
                });
  AfterRun(outcome);
}

void TMForm::BCloseClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TMForm::Button1Click() {
  help_.SetFile(kHelpFile);
  help_.ShowContents(hwnd_);
}

void TMForm::Click(int id) {
  switch (id) {
    case kBExportar:
      if (IsWindowEnabled(Control(kBExportar))) Guarded([this] { BExportarClick(); });
      break;
    case kBImportar:
      if (IsWindowEnabled(Control(kBImportar))) Guarded([this] { BImportarClick(); });
      break;
    case kBClose:
      BCloseClick();
      break;
    case kButton1:
      Guarded([this] { Button1Click(); });
      break;
    default:
      break;
  }
}

void TMForm::AfterRun(RunOutcome outcome) {
  if (outcome == RunOutcome::kCompleted) {
    // One completed run per start of the tool.
    HWND focus = GetFocus();
    for (int id : {kBExportar, kBImportar}) EnableWindow(Control(id), FALSE);
    if (focus == Control(kBExportar) || focus == Control(kBImportar)) SetFocus(Control(kBClose));
    RepaintButtons();
  }
  // In parameter mode the timetabler waits for us: close once the user has confirmed.
  if (status_.ParameterMode()) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// ---- Keyboard -------------------------------------------------------------------------------

bool TMForm::PreTranslate(const MSG& msg) {
  if (!hwnd_ || msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  HWND focus = GetFocus();
  // Enter on a button clicks that button.
  for (int id : {kBExportar, kBImportar, kBClose, kButton1}) {
    if (focus == Control(id)) {
      if (IsWindowEnabled(focus)) Click(id);
      return true;
    }
  }
  // An open drop-down list takes its own Enter.
  HWND drives = Control(kUnidades);
  if ((focus == drives || IsChild(drives, focus)) &&
      SendMessageW(drives, CB_GETDROPPEDSTATE, 0, 0)) {
    return false;
  }
  // Elsewhere Enter clicks the first run button on offer, as a default button does; only when
  // neither can take it does the folder list open its highlighted folder.
  if (HWND target = EnterTarget()) {
    Click(GetDlgCtrlID(target));
  } else if (focus == Control(kDirectorios)) {
    Guarded([this] { chooser_.OpenHighlighted(); });
  }
  return true;
}

HWND TMForm::EnterTarget() const {
  for (int id : {kBExportar, kBImportar}) {
    HWND button = Control(id);
    if (IsWindowVisible(button) && IsWindowEnabled(button)) return button;
  }
  return nullptr;
}

bool TMForm::IsGlyphButton(int id) const {
  return id == kBExportar || id == kBImportar || id == kBClose;
}

bool TMForm::IsDefaultButton(HWND button) const {
  HWND focus = GetFocus();
  for (int id : {kBExportar, kBImportar, kBClose, kButton1}) {
    if (focus == Control(id)) return focus == button;
  }
  return button == EnterTarget();
}

void TMForm::RepaintButtons() const {
  for (int id : {kBExportar, kBImportar, kBClose}) InvalidateRect(Control(id), nullptr, FALSE);
}

// ---- Look -----------------------------------------------------------------------------------

HWND TMForm::Control(int id) const {
  if (id < kDraw3D2 || id > kLabel1) return nullptr;
  return controls_[static_cast<size_t>(id - kDraw3D2)];
}

HFONT TMForm::FontFor(int id) const {
  switch (LayoutOf(static_cast<ControlId>(id)).font) {
    case FontKind::kDialogBold:
      return bold_font_;
    case FontKind::kHeading:
      return heading_font_;
    case FontKind::kDialog:
      break;
  }
  return dialog_font_;
}

void TMForm::CreateFonts(int dpi) {
  for (HFONT* font : {&dialog_font_, &bold_font_, &heading_font_}) {
    if (*font) DeleteObject(*font);
  }
  dialog_font_ = MakeFont(L"MS Sans Serif", 8, false, dpi);
  bold_font_ = MakeFont(L"MS Sans Serif", 8, true, dpi);
  heading_font_ = MakeFont(L"Arial", 12, true, dpi);
}

void TMForm::CreateControls() {
  for (const ControlLayout& layout : FormControls()) {
    HWND parent = layout.parent ? Control(layout.parent) : hwnd_;
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    switch (layout.kind) {
      case ControlKind::kRunPanel:
        cls = kRunPanelClass;
        ex_style = WS_EX_CONTROLPARENT;
        break;
      case ControlKind::kPanel:
        cls = kPlainPanelClass;
        ex_style = WS_EX_CONTROLPARENT;
        break;
      case ControlKind::kLabel:
        // Only the run panels' captions wrap; the one-line labels never break their text.
        style |= SS_NOPREFIX | (layout.height > kOneLineLabelHeight ? SS_LEFT : SS_LEFTNOWORDWRAP);
        break;
      case ControlKind::kOkButton:
      case ControlKind::kCloseButton:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_OWNERDRAW | BS_NOTIFY;
        break;
      case ControlKind::kPushButton:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::kFolderList:
        cls = L"LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                 LBS_NOINTEGRALHEIGHT;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kDriveBox:
        cls = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
        break;
    }
    HWND control = CreateWindowExW(
        ex_style, cls, layout.text ? layout.text : L"", style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance_, nullptr);
    controls_[static_cast<size_t>(layout.id - kDraw3D2)] = control;
  }
}

void TMForm::Layout(int dpi) {
  // How much wider than laid out each one-line label came out, for the label after it.
  std::array<int, kLabel1 - kDraw3D2 + 1> growth{};
  for (const ControlLayout& layout : FormControls()) {
    HWND control = Control(layout.id);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(layout.id)), FALSE);
    int left = layout.left, top = layout.top, width = layout.width, height = layout.height;
    // A run panel on its own is aligned to the top at the dialog's full width.
    if ((layout.id == kDraw3D3 && panels_ == PanelChoice::kImportOnly) ||
        (layout.id == kDraw3D2 && panels_ == PanelChoice::kExportOnly)) {
      left = 0;
      top = 0;
      width = kClientWidth;
    }
    int scaled_left = Scale(left, dpi);
    int scaled_width = Scale(width, dpi);
    int scaled_height = Scale(height, dpi);
    if (layout.after) scaled_left += growth[static_cast<size_t>(layout.after - kDraw3D2)];
    if (layout.kind == ControlKind::kLabel && width == 0) {
      scaled_width = TextWidth(control, FontFor(layout.id));
    } else if (layout.kind == ControlKind::kLabel && height <= kOneLineLabelHeight) {
      // A one-line label grows with a wider font rather than cut its text.
      const int text_width = TextWidth(control, FontFor(layout.id));
      if (text_width > scaled_width) {
        growth[static_cast<size_t>(layout.id - kDraw3D2)] = text_width - scaled_width;
        scaled_width = text_width;
      }
    }
    if (layout.kind == ControlKind::kDriveBox) scaled_height += Scale(kDriveListHeight, dpi);
    SetWindowPos(control, nullptr, scaled_left, Scale(top, dpi), scaled_width, scaled_height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The closed drive box is as high as the layout says: its selection field is sized to fit.
  HWND drives = Control(kUnidades);
  for (int pass = 0; pass < 3; ++pass) {
    RECT r;
    GetWindowRect(drives, &r);
    const int field =
        static_cast<int>(SendMessageW(drives, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    const int excess = (r.bottom - r.top) - Scale(LayoutOf(kUnidades).height, dpi);
    if (excess == 0 || field - excess <= 0) break;
    SendMessageW(drives, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field - excess);
    SetWindowPos(drives, nullptr, 0, 0, Scale(LayoutOf(kUnidades).width, dpi),
                 Scale(LayoutOf(kUnidades).height + kDriveListHeight, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  chooser_.SetMetrics(dpi, bold_font_);

  RECT client{0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
  AdjustWindowRectForDpi(client, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TMForm::Center() {
  RECT window;
  GetWindowRect(hwnd_, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd_, nullptr, screen.left + (screen.right - screen.left - width) / 2,
               screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR TMForm::LabelColours(HDC dc, HWND label) {
  const int id = GetDlgCtrlID(label);
  if (id < kDraw3D2 || id > kLabel1) return FALSE;
  const ControlLayout& layout = LayoutOf(static_cast<ControlId>(id));
  SetTextColor(dc, layout.color == kWindowText ? GetSysColor(COLOR_WINDOWTEXT) : layout.color);
  // On a run panel the gradient shows through; on the plain panel the face colour is the same
  // as transparent and also wipes out a longer text that the label showed before.
  if (layout.transparent &&
      LayoutOf(static_cast<ControlId>(layout.parent)).kind == ControlKind::kRunPanel) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

int RunMessageLoop(TMForm& form) {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (form.PreTranslate(msg)) continue;
    if (form.hwnd() && IsDialogMessageW(form.hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace tpd
