#pragma once
// TViewForm: the message viewer. Created hidden at program start with its
// [ViewWindow] settings, it shows one message at a time in BigView, a
// read-only rich edit control whose text limit is lifted so a message of
// several megabytes shows whole. Closing it only hides it. The text itself is
// prepared by the toolkit-free viewer core (MessageView, LoadMessage).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings.h"
#include "ui/busy_flag.h"
#include "ui/fonts.h"
#include "ui/window.h"
#include "viewer/message_view.h"

namespace ui {

class TViewForm final : public ui::Window {
 public:
  static constexpr wchar_t kClassName[] = L"TViewForm";

  // Creates the window hidden, applies the viewer load pass of `settings_path`
  // and loads "NKF32.DLL" (a missing library only means no conversion).
  explicit TViewForm(std::string settings_path);
  ~TViewForm() override;

  // Set while a message is opened or removed; the main window and the
  // viewer's own commands do nothing meanwhile.
  BusyFlag ViewerBusy;
  // Called from FormCloseQuery: the main window forgets ViewedNode.
  std::function<void()> OnClosed;

  // True when the viewer holds `path` now (compared ignoring case).
  bool HoldsMessage(const std::string& path) const;
  void SetMessage(const std::string& path, const std::string& sender, const std::string& subject);
  // Shows the window when hidden (maximised when the settings say so), else
  // activates it.
  void ShowOrFocus();
  void FocusText() const;
  // Reads MessagePath and shows it: the caption "From: " + sender + " - " +
  // subject, the header kept aside, the body converted when needed.
  void LoadMessage(std::uint32_t flags, bool forced);
  // The viewer save pass.
  void SaveSettings();
  // Closing: empties the message fields and hides the window.
  bool FormCloseQuery();
  // The font and colour dialog for BigView and the link colour; the message
  // shown is loaded again in the new font (view_form_font.cpp).
  void mFontClick();
  const settings::ViewerSettings& Settings() const { return settings_; }

  HWND BigView() const { return big_view_; }
  HMODULE NkfLibrary() const { return nkf_library_; }
  const viewer::MessageView& View() const { return view_; }
  // BigView's whole text as CP932 (for reading the display back).
  std::string BigViewText() const;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void CreateBigView();
  void ApplySettings();
  void ApplyBigViewFormat();
  std::string Convert(std::string_view text) const;

  std::string settings_path_;
  settings::ViewerSettings settings_;
  viewer::MessageView view_;
  HMODULE rich_edit_library_ = nullptr;
  HMODULE nkf_library_ = nullptr;
  HWND big_view_ = nullptr;
  ui::Font font_;
  bool shown_once_ = false;
  // How the message shown was loaded, for loading it again after a font change.
  std::uint32_t loaded_flags_ = 0;
  bool loaded_forced_ = false;
};

}  // namespace ui
