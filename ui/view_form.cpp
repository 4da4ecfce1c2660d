#include "ui/view_form.h"

#include <richedit.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/wide_win.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/placement.h"
#include "ui/view_commands.h"
#include "ui/wide_text.h"
#include "viewer/unicode_text.h"

namespace ui {

using viewer::CodeConverter;
using viewer::LoadStatus;
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kBigViewId = 200;
// No practical limit: the largest message a folder can hold shows whole.
constexpr LONG kTextLimit = 0x7FFFFFFE;

using SetNkfOptionFn = void(WINAPI*)(const char*);
using NkfConvertFn = void(WINAPI*)(char*, const char*);

// Loads the code converter, a name without a folder from the program's own
// folder only (never from the current directory or the search path, where
// another program's DLL of the same name may lie). A library that is missing,
// that is not a DLL for this program's architecture (a 32-bit NKF32.DLL
// beside the 64-bit program) or that lacks either entry point counts as no
// converter. The system is told not to show its own box for a bad image: the
// greyed commands say enough.
HMODULE LoadConverterLibrary(const std::wstring& name) {
  const bool bare = name.find_first_of(L"\\/:") == std::wstring::npos;
  const std::wstring path = bare ? platform::ProgramFolder() + L"\\" + name : name;
  DWORD old_mode = 0;
  const bool mode_set = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_mode) != FALSE;
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (mode_set) SetThreadErrorMode(old_mode, nullptr);
  if (module == nullptr) return nullptr;
  if (GetProcAddress(module, "SetNkfOption") == nullptr ||
      GetProcAddress(module, "NkfConvert") == nullptr) {
    FreeLibrary(module);
    return nullptr;
  }
  return module;
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(platform::Widen(a).c_str(), -1, platform::Widen(b).c_str(), -1,
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

TViewForm::TViewForm(platform::SystemPath settings_path, BusyFlag& busy,
                     const std::wstring& nkf_library)
    : ViewerBusy(busy), settings_path_(std::move(settings_path)) {
  // The face colour shows under the find bar, beside its box and count.
  RegisterWindowClass(kClassName, ui::ApplicationIcon(false),
                      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  accelerators_ = ViewCommands().BuildAccelerators();
  Create(kClassName, 0, kStyle, "[Mail Title] - Veltra", 304, 229, Scale(435, SystemDpi()),
         Scale(300, SystemDpi()), nullptr, ViewCommands().BuildMenuBar());
  CreateBigView();
  SubclassControl<TViewForm, &TViewForm::BigViewMessage>(big_view_.hwnd(), this);
  WithoutInputMethod(big_view_.hwnd());
  CreateFindBar();
  hand_cursor_ = LoadCursorW(GetModuleHandleW(nullptr), L"ZHANDCURSOR");
  settings_ = settings::LoadViewerSettings(settings_path_);
  ApplySettings();
  nkf_library_ = LoadConverterLibrary(nkf_library);
}

TViewForm::~TViewForm() {
  if (hwnd() != nullptr) DestroyWindow(hwnd());
  if (nkf_library_ != nullptr) FreeLibrary(nkf_library_);
  if (rich_edit_library_ != nullptr) FreeLibrary(rich_edit_library_);
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

void TViewForm::CreateBigView() {
  const wchar_t* class_name = MSFTEDIT_CLASS;
  // By the system folder's full path: a DLL of the same name in the current
  // directory must never be loaded instead.
  wchar_t system_dir[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system_dir, MAX_PATH);
  const std::wstring system =
      length > 0 && length < MAX_PATH ? std::wstring(system_dir) + L"\\" : L"";
  rich_edit_library_ = LoadLibraryW((system + L"Msftedit.dll").c_str());
  if (rich_edit_library_ == nullptr) {
    rich_edit_library_ = LoadLibraryW((system + L"Riched20.dll").c_str());
    class_name = RICHEDIT_CLASSW;
  }
  big_view_.Attach(CreateWindowExW(
      0, class_name, L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
          ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
      0, 0, 10, 10, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBigViewId)),
      GetModuleHandleW(nullptr), nullptr));
  if (big_view_.hwnd() == nullptr)
    throw std::runtime_error("the rich edit control could not be created");
  big_view_.SetUpViewer(kTextLimit);
}

void TViewForm::ApplySettings() {
  const settings::WindowBounds& bounds = settings_.Window;
  MoveOnScreen(hwnd(), bounds, false);
  ApplyFont();
}

// BigView fills the client area, less the find bar's height when it shows.
void TViewForm::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int view_height = std::max(0, static_cast<int>(client.bottom) - find_bar_.Height());
  big_view_.Move(0, 0, client.right, view_height);
  find_bar_.Place(view_height, client.right);
}

void TViewForm::ApplyFont() {
  font_.CreatePoints(settings_.FontFace, settings_.FontSize, DpiOf(hwnd()), settings_.FontStyle);
  ApplyBigViewFormat();
}

// Font, style, text colour and background of BigView. A face with the
// Shift-JIS character set is given it, so that Japanese shows on any system
// locale; another face keeps the default set and the rich edit draws Japanese
// in a face of its choosing.
void TViewForm::ApplyBigViewFormat() {
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask =
      CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_UNDERLINE | CFM_BOLD | CFM_ITALIC;
  format.crTextColor = ui::ToColorRef(settings_.Color);
  if ((settings_.FontStyle & kFontBold) != 0) format.dwEffects |= CFE_BOLD;
  if ((settings_.FontStyle & kFontItalic) != 0) format.dwEffects |= CFE_ITALIC;
  // The size in twips, which the control turns into pixels at the system's
  // DPI: given so that it comes out at the window's.
  format.yHeight = MulDiv(settings_.FontSize * 20, DpiOf(hwnd()), SystemDpi());
  const std::string face = ui::UsableFace(settings_.FontFace);
  format.bCharSet = ui::CharSetFor(face);
  platform::Widen(face).copy(format.szFaceName, LF_FACESIZE - 1);
  big_view_.SetLook(font_.handle(), ui::ToColorRef(settings_.BColor), format);
}

bool TViewForm::HoldsMessage(const std::string& path) const {
  return !view_.MessagePath.empty() && SamePathIgnoringCase(view_.MessagePath, path);
}

void TViewForm::SetMessage(const std::string& path, const std::string& sender,
                           const std::string& subject) {
  view_.MessagePath = path;
  view_.SenderText = sender;
  view_.SubjectText = subject;
}

void TViewForm::ShowOrFocus() {
  if (!IsWindowVisible(hwnd())) {
    // The monitors may have changed while it was hidden.
    KeepWindowOnScreen(hwnd());
    const bool maximize = !shown_once_ && settings_.Window.bMaximize != 0;
    ShowWindow(hwnd(), maximize ? SW_SHOWMAXIMIZED : SW_SHOW);
    shown_once_ = true;
  }
  SetForegroundWindow(hwnd());
  FocusText();
}

void TViewForm::FocusText() {
  focus_child_ = big_view_.hwnd();
  big_view_.Focus();
}

// Windows gives the focus to the window itself when it is activated again
// (Alt+Tab, the taskbar, a message box closed): it goes back to the child
// that had it, so that what is typed on into the find box stays text and does
// not run the text's one-key commands.
void TViewForm::RestoreFocus() {
  if (focus_child_ == find_bar_.Box().hwnd() && find_bar_.Shown()) {
    find_bar_.Box().Focus();
  } else {
    FocusText();
  }
}

std::string TViewForm::Convert(std::string_view text) const {
  if (nkf_library_ == nullptr) return std::string(text);
  auto set_option = reinterpret_cast<SetNkfOptionFn>(
      reinterpret_cast<void*>(GetProcAddress(nkf_library_, "SetNkfOption")));
  auto convert = reinterpret_cast<NkfConvertFn>(
      reinterpret_cast<void*>(GetProcAddress(nkf_library_, "NkfConvert")));
  const std::string input(text.substr(0, text.find('\0')));
  // Shift-JIS output is never longer than twice its input.
  std::vector<char> output(input.size() * 2 + 1, '\0');
  set_option("-s");
  convert(output.data(), input.c_str());
  output.back() = '\0';
  return std::string(output.data());
}

void TViewForm::OpenMessage(std::uint32_t flags, bool forced, const std::string& query) {
  opened_forced_ = forced;
  if (!query.empty()) {
    SetFindText(query, true);
    if (!find_bar_.Shown()) {
      ShowFindBar();
      bar_from_search_ = true;
    }
  } else if (bar_from_search_) {
    HideFindBar();
  }
  LoadMessage(flags, forced);
}

void TViewForm::LoadMessage(std::uint32_t flags, bool forced, bool as_stored) {
  big_view_.SetRedraw(false);
  const std::wstring caption =
      platform::Widen(viewer::ViewerCaption(view_.SenderText, view_.SubjectText));
  SetWindowTextW(hwnd(), caption.c_str());
  CodeConverter converter;
  if (nkf_library_ != nullptr) {
    converter = [this](std::string_view text) { return Convert(text); };
  }
  viewer::LoadOptions options;
  options.form = viewer::TextForm::kUnicode;
  options.as_stored = as_stored;
  const LoadStatus status = viewer::LoadMessage(view_, flags, forced, converter, options);
  ShowLines();
  SearchNewText();
  big_view_.SetRedraw(true);
  big_view_.Invalidate();
  HighlightShownMatches();  // what is in view now that the control is laid out
  SetForegroundWindow(hwnd());
  if (status == LoadStatus::kCannotOpen) {
    ui::ShowErrorBox(viewer::CannotOpenMessageText(view_.MessagePath));
  }
}

// The view's lines (UTF-8) into BigView, the caret at the start, the links
// coloured, nothing highlighted.
void TViewForm::ShowLines() {
  shown_ = viewer::ShownText(view_.Lines);
  const std::wstring text = WideFromUtf8(shown_.Text());
  // Inserted rather than set: a message that begins with "{\rtf" is still
  // shown as text, never read as rich text. The format is set before the
  // text goes in, so that the control can give the characters the font lacks
  // a font of their own as they are inserted (a format set afterwards over
  // the whole text would take that font away again).
  ApplyBigViewFormat();
  big_view_.ReplaceText(text);
  FindAttachmentLines();
  ColourLinks();
  big_view_.Select({0, 0});
  big_view_.ScrollCaret();
  lit_.clear();
  lit_current_.reset();
}

std::wstring TViewForm::BigViewText() const {
  const int length = GetWindowTextLengthW(big_view_.hwnd());
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(big_view_.hwnd(), wide.data(), length + 1);
  wide.resize(static_cast<std::size_t>(std::max(0, copied)));
  return wide;
}

bool TViewForm::SaveSettings() {
  settings::ViewerSettings saved = settings_;
  const std::int32_t loaded_maximize = saved.Window.bMaximize;
  saved.Window = SavedBounds(hwnd());
  // A viewer never shown keeps the maximised state it was loaded with.
  if (!shown_once_) saved.Window.bMaximize = loaded_maximize;
  return settings::SaveViewerSettings(settings_path_, saved);
}

bool TViewForm::FormCloseQuery() {
  view_.MessagePath.clear();
  view_.SubjectText.clear();
  view_.SenderText.clear();
  SetHandCursor(false);
  if (OnClosed) OnClosed();
  return true;
}

// Every show: the menu items that need the converter follow its presence, and
// the window gets the application's icons.
void TViewForm::FormShow() {
  ViewCommands().UpdateMenu(*this, FindPullDown(GetMenu(hwnd()), kViewEditMenuName));
  ApplyIcons(DpiOf(hwnd()));
}

bool TViewForm::PreTranslate(MSG& message) {
  if (hwnd() == nullptr || accelerators_ == nullptr) return false;
  if (message.hwnd != hwnd() && !IsChild(hwnd(), message.hwnd)) return false;
  if (LeaveKeyToTextBox(message)) return false;
  return TranslateAcceleratorW(hwnd(), accelerators_, &message) != 0;
}

LRESULT TViewForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd(), focus)) focus_child_ = focus;
      }
      break;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_TIMER:
      if (wparam == kFindTimerId) FindTimer();
      return 0;
    case kHighlightMessage:
      highlight_posted_ = false;
      HighlightShownMatches();
      return 0;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wparam), lparam);
      return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) ShowWindow(hwnd(), SW_HIDE);
      return 0;
    case WM_SHOWWINDOW:
      if (wparam != FALSE) FormShow();
      break;
    case WM_COMMAND:
      if (lparam == 0) {
        ViewCommands().Dispatch(*this, static_cast<int>(LOWORD(wparam)));
      } else if (reinterpret_cast<HWND>(lparam) == find_bar_.Box().hwnd() &&
                 HIWORD(wparam) == EN_CHANGE) {
        FindBoxChanged();
      } else if (reinterpret_cast<HWND>(lparam) == big_view_.hwnd() &&
                 HIWORD(wparam) == EN_VSCROLL) {
        PostHighlight();
      }
      return 0;
    case WM_INITMENUPOPUP:
      // mEditClick and the other pull-downs: every item enabled by its test.
      if (HIWORD(lparam) == 0) ViewCommands().UpdateMenu(*this, reinterpret_cast<HMENU>(wparam));
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
