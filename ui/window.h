#pragma once
// Base of every top-level window of the program. Each window class is
// registered under the window's own name (TVtFormMain, TViewForm, ...), the C++
// object is found from its HWND through GWLP_USERDATA, and the window procedure
// only decodes the message and calls the object's handler. An exception that
// escapes a handler is shown in the standard error box and the message loop
// goes on.

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers `class_name` once per process; later calls do nothing.
  static void RegisterWindowClass(const wchar_t* class_name, HICON icon, HBRUSH background);

  // Creates the window of a registered class; throws std::runtime_error when
  // the system refuses (no window can be made at all).
  void Create(const wchar_t* class_name, DWORD ex_style, DWORD style, const std::string& caption,
              int x, int y, int width, int height, HWND owner, HMENU menu);

  // Handles one message; the default passes it to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Called after WM_NCDESTROY: the HWND is gone.
  virtual void OnDestroyed() {}

  // Destroys the window now (without calling back into this object). For a
  // derived class whose members the window still uses, such as its font.
  void DestroyNow();

  // Gives the window the application icon, large and small, drawn for `dpi`
  // (the window's, which may differ from the system's on another monitor);
  // called again when the DPI changes. The icons are the window's own and
  // outlive its HWND.
  void ApplyIcons(int dpi);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam) noexcept;
  HWND hwnd_ = nullptr;
  HICON small_icon_ = nullptr;
  HICON large_icon_ = nullptr;
};

// The standard error box for an exception that reached a window procedure.
// Tests replace it so that an error cannot block them; it returns the previous
// hook.
using ErrorBoxHook = std::function<void(const std::string& text)>;
ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook);
void ShowErrorBox(const std::string& text);
// Shows the exception being handled in the error box ("Unknown error" for one
// that is not a std::exception). Call it only inside a catch block: every
// window and subclass procedure catches everything at its boundary with
// `catch (...) { ShowCurrentError(); }`.
void ShowCurrentError() noexcept;

// The application icon (resource MAINICON), or the system's default icon,
// shared, at the system's DPI: for window classes.
HICON ApplicationIcon(bool small_icon);
// The application icon at `size` × `size` pixels, owned by the caller (null
// when there is none): scaled down from the icon's next larger image where
// the common controls can (Windows Vista and later), as the system draws
// icons, else the system's own pick.
HICON LoadApplicationIcon(int size);

}  // namespace ui
