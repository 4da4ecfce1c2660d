// quenmar.exe: a stand-in for the mail client Quenmar32, for demos and tests.
// It shows a window of the client's class "Quenmar32Class", offers the
// client's DDE service "QUENMAR32", and logs every executed command and its
// own command line (standin_log_win.h). Started with a data directory as its
// last argument, it also carries out "MarkMail(" and "MoveMail(" on that
// mailbox. Started with "/reply:" or "/forward:", or with "/send:" for an
// account whose SelTemplate is 1, it shows for a few seconds the dialog the
// client shows first, by its title. A start while another instance runs is
// logged, shows that dialog and ends. WM_CLOSE ends it; kHangMessage
// (messages.h) makes it hang for a while.

#include <windows.h>

#include <string>

#include "platform/encoding.h"
#include "tools/standin/command_line.h"
#include "tools/standin/dde_server_win.h"
#include "tools/standin/mark_mail.h"
#include "tools/standin/messages.h"
#include "tools/standin/move_mail.h"
#include "tools/standin/standin_log_win.h"

namespace standin {
namespace {

constexpr wchar_t kClassName[] = L"Quenmar32Class";
constexpr wchar_t kTitle[] = L"Quenmar32 stand-in";
constexpr wchar_t kDialogClassName[] = L"Quenmar32StandInDialog";
// Long enough for the program's window-title wait to find the dialog.
constexpr UINT kDialogShowMs = 3000;
// Exit codes of a stand-in that could not start: DDEML refused the service,
// or the window could not be made (under Wine: no display).
constexpr int kNoServiceExit = 1;
constexpr int kNoWindowExit = 2;
// How often the list of received lines is drawn while lines arrive.
constexpr UINT kListDrawMs = 100;
constexpr UINT_PTR kListDrawTimer = 1;

const char* ResultText(MarkResult result) {
  switch (result) {
    case MarkResult::kMarked:
      return "  -> unread bit cleared";
    case MarkResult::kAlreadyRead:
      return "  -> already read";
    case MarkResult::kNotFound:
      return "  -> no such message";
    case MarkResult::kWriteFailed:
      return "  -> could not write the folder";
  }
  return "";
}

const char* ResultText(MoveResult result) {
  switch (result) {
    case MoveResult::kMoved:
      return "  -> moved to the trash";
    case MoveResult::kNotFound:
      return "  -> no such account or message";
    case MoveResult::kWriteFailed:
      return "  -> could not write the folders";
  }
  return "";
}

// The client's first dialog of a compose command: an empty window with the
// dialog's title that closes itself after kDialogShowMs.
LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_TIMER) {
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND ShowDialog(HINSTANCE instance, const std::string& title) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &DialogProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kDialogClassName;
  RegisterClassExW(&window_class);
  const std::u16string text = platform::Cp932ToUtf16(title);
  HWND dialog = CreateWindowExW(0, kDialogClassName, reinterpret_cast<const wchar_t*>(text.c_str()),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 360,
                                200, nullptr, nullptr, instance, nullptr);
  if (dialog != nullptr) SetTimer(dialog, 1, kDialogShowMs, nullptr);
  return dialog;
}

// The main window: a list of everything the stand-in received.
class StandInWindow {
 public:
  StandInWindow(std::wstring log_path, std::string mailbox_dir, DdeServer& server)
      : log_path_(std::move(log_path)), mailbox_dir_(std::move(mailbox_dir)), server_(server) {}
  ~StandInWindow() {
    if (font_ != nullptr) DeleteObject(font_);
  }
  StandInWindow(const StandInWindow&) = delete;
  StandInWindow& operator=(const StandInWindow&) = delete;

  // False when the window cannot be created.
  bool Create(HINSTANCE instance, int show) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &StandInWindow::WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kClassName;
    if (RegisterClassExW(&window_class) == 0) return false;
    window_ = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 640, 320, nullptr, nullptr, instance, this);
    if (window_ == nullptr) return false;
    ShowWindow(window_, show);
    return true;
  }

  void Execute(const std::string& command) {
    AppendLogLine(log_path_, command);
    Show(command);
    if (mailbox_dir_.empty()) return;
    std::string relative_name;
    MoveCommand move;
    if (ParseMarkMail(command, relative_name)) {
      Show(ResultText(MarkMailRead(mailbox_dir_, relative_name)));
    } else if (ParseMoveMail(command, move)) {
      Show(ResultText(MoveMailToTrash(mailbox_dir_, move)));
    }
  }

  // Lines are added with the list's drawing off, and the list is drawn,
  // scrolled to its last line, at most once per kListDrawMs. Drawn for each
  // line (two per mark) it cost the stand-in more than the mark's own file
  // work: under Wine on Xvfb 13 of its 22 ms per mark, a cost no real
  // client has, which set the marks' pace.
  void Show(const std::string& line) {
    if (list_ == nullptr) return;
    if (!draw_pending_ && SetTimer(window_, kListDrawTimer, kListDrawMs, nullptr) != 0) {
      SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
      draw_pending_ = true;
    }
    const std::u16string text = platform::Cp932ToUtf16(line);
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (!draw_pending_) DrawList();
  }

 private:
  void DrawList() {
    const LRESULT count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandInWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    try {
      return self->OnMessage(window, message, wparam, lparam);
    } catch (...) {
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }

  LRESULT OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CREATE:
        window_ = window;
        list_ = CreateWindowExW(0, L"LISTBOX", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0,
                                0, window, nullptr, nullptr, nullptr);
        font_ = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            FIXED_PITCH | FF_MODERN, L"MS Gothic");
        SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return 0;
      case WM_SIZE:
        MoveWindow(list_, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        return 0;
      case WM_TIMER:
        if (wparam != kListDrawTimer) return DefWindowProcW(window, message, wparam, lparam);
        KillTimer(window, kListDrawTimer);
        draw_pending_ = false;
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        DrawList();
        InvalidateRect(list_, nullptr, TRUE);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      case kHangMessage:
        Sleep(static_cast<DWORD>(wparam));
        return 0;
      case kRefuseMessage:
        server_.Refuse(wparam != 0);
        return 0;
      default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
  }

  std::wstring log_path_;
  std::string mailbox_dir_;
  DdeServer& server_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HFONT font_ = nullptr;
  bool draw_pending_ = false;  // the list's drawing is off until kListDrawTimer
};

// The parameter string of this process's command line, in Shift-JIS.
std::string OwnParameters() {
  const std::wstring line = GetCommandLineW();
  return ParametersOf(platform::Utf16ToCp932(
      std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size())));
}

int Run(HINSTANCE instance, int show) {
  // Whether another instance runs is decided before anything is logged: a
  // caller that waits for the log line may end the running instance right
  // after it, and this one must not then stay on as the client.
  const bool another_runs = FindWindowW(kClassName, nullptr) != nullptr;
  const std::string parameters = OwnParameters();
  const std::wstring log_path = LogPath();
  const std::string start_line = "CommandLine: " + parameters;
  AppendLogLine(log_path, start_line);
  const std::string mailbox_dir = MailboxDirOf(DataDirectoryOf(parameters));
  const std::string dialog_title = DialogTitleFor(parameters, mailbox_dir);
  HWND dialog = dialog_title.empty() ? nullptr : ShowDialog(instance, dialog_title);
  MSG message;
  if (another_runs) {
    // The running instance handles the request; this one only shows the dialog.
    while (dialog != nullptr && IsWindow(dialog) && GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
    }
    return 0;
  }

  DdeServer server;
  StandInWindow window(log_path, mailbox_dir, server);
  // The service is registered before the window exists, so a client that has
  // found the window can connect at once.
  if (!server.Start([&window](const std::string& command) { window.Execute(command); })) {
    return kNoServiceExit;
  }
  if (!window.Create(instance, show)) return kNoWindowExit;
  window.Show(start_line);
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return standin::Run(instance, show);
}
