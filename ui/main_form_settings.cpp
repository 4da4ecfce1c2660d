// TVtFormMain: the settings file's saves, the word at start about a mailbox
// the VirtualStore holds a copy of, and the commands that open a dialog:
// folder properties, the two list fonts, the version, the options and the
// choice of the mailbox.

#include "mailbox/folder_discovery.h"
#include "mailbox/virtual_store.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "thread/thread_rows.h"
#include "ui/dialogs/about_form.h"
#include "ui/dialogs/folder_set_form.h"
#include "ui/dialogs/mailbox_browser.h"
#include "ui/dialogs/set_font_form.h"
#include "ui/dialogs/set_info_form.h"
#include "ui/ja_texts.h"
#include "ui/main_form.h"
#include "ui/view_form.h"

namespace ui {

void TVtFormMain::SaveAllSettings(bool report) {
  bool saved = false;
  if (viewer_ != nullptr) {
    saved = viewer_->SaveSettings();
  } else {
    // Never opened: its settings go back as they are in the file, as a viewer
    // created at start and never shown would have saved them.
    saved = settings::SaveViewerSettings(environment_.SettingsPath,
                                         settings::LoadViewerSettings(environment_.SettingsPath));
  }
  CollectMainSettings();
  saved = settings::SaveMainSettings(environment_.SettingsPath, settings_.Main) && saved;
  // Read at the first show: before it, there is nothing to write back.
  if (settings_.Read) {
    saved = settings::SaveQueryHistory(environment_.SettingsPath, settings_.Queries) && saved;
  }
  if (!saved && report) ReportUnsavedSettings();
}

// Once a run: a file that could not be written once will not be written the
// next time either, and the user needs to hear it only once.
void TVtFormMain::ReportUnsavedSettings() {
  if (settings_.UnsavedReported) return;
  settings_.UnsavedReported = true;
  ShowMessageText(ja::kSettingsNotSaved + platform::Narrow(environment_.SettingsPath.native()));
}

// At each start, not once ever: the mail shown stays stale for as long as the
// copy is there. The 32-bit program is virtualised and reads the copy itself.
void TVtFormMain::WarnOfVirtualStoreCopy() {
#if defined(_WIN64)
  std::string local = environment_.LocalAppData;
  if (local.empty()) local = platform::NarrowPath(platform::UserLocalAppDataFolder()).value_or("");
  const mailbox::VirtualStoreCopy copy = mailbox::VirtualStorePath(account_.MailboxDir, local);
  if (copy.Path.empty() || !platform::DirectoryExists(copy.Path)) return;
  ShowMessageText(ja::kVirtualStoreCopyBefore + copy.Path + ja::kVirtualStoreCopyAfter);
#endif
}

std::string TVtFormMain::BrowseForMailbox(const std::string& initial_dir) {
  if (environment_.BrowseForMailbox) return environment_.BrowseForMailbox(initial_dir);
  return ui::BrowseForMailbox(hwnd(), initial_dir);
}

// Folder properties of the folder selected in the folder list (loaded or not).
void TVtFormMain::mFolderSetClick() {
  const int folder = folder_list_.ListBoxF().Selected();
  if (view_.Loading || ViewerBusy() || folder < 0 || folder >= mailbox::FolderCount(*folders_)) {
    return;
  }
  TFolderSetForm dialog(hwnd(), std::string(ja::kFolderSetCaptionOpen) +
                                    folder_list_.ListBoxF().ItemText(folder) +
                                    ja::kFolderSetCaptionClose);
  dialog.FolderPath = (*folders_)[folder].Path;
  dialog.TabInfoDefault = settings_.Properties.TabInfo;
  dialog.Run();
  // Reread whatever way it closed; only a changed value refills the rows.
  if (!thread::ReadFolderSettings((*folders_)[folder], settings_.Properties.TabInfo)) return;
  if (folder == view_.CurrentFolderIndex) thread::RefillFolderRows(view_, LoadSettings(), *this);
}

void TVtFormMain::mFolderFontClick() { ListFontClick(false); }
void TVtFormMain::mMailFontClick() { ListFontClick(true); }

// The font and colours of one list; they are saved with the window at
// shutdown.
void TVtFormMain::ListFontClick(bool thread_list) {
  settings::ListFontSettings& list = thread_list ? settings_.Main.ListView : settings_.Main.ListBox;
  TSetFontForm dialog(hwnd());
  dialog.ScreenCaption = thread_list ? ja::kMailScreen : ja::kFolderScreen;
  dialog.ShowLinkColor = false;
  dialog.Panel1 = SampleFont{list.FontFace, list.FontSize, list.FontStyle, list.Color, list.BColor};
  dialog.Run();
  if (!dialog.FontChosen) return;
  list.FontFace = dialog.Panel1.FontFace;
  list.FontSize = dialog.Panel1.FontSize;
  list.FontStyle = dialog.Panel1.FontStyle;
  list.Color = dialog.Panel1.Color;
  list.BColor = dialog.Panel1.BColor;
  // The thread list's settings also colour the unread image's background.
  if (thread_list) {
    thread_list_.ApplySettings(list, layout_.Dpi);
    thread_list_.ListViewMail().Invalidate();
  } else {
    folder_list_.ApplySettings(list, layout_.Dpi);
    folder_list_.ListBoxF().Invalidate();
  }
  // The filter box is a line of the thread list's font high.
  Layout();
}

void TVtFormMain::mVersionClick() { TAbout(hwnd()).ShowModal(); }

void TVtFormMain::mOptionClick() {
  TSetInfoForm dialog(hwnd());
  dialog.SettingsPath = environment_.SettingsPath;
  dialog.NkfLoaded = EnsureViewer().NkfLoaded();
  dialog.Run();
  if (dialog.SaveFailed) ReportUnsavedSettings();
  // Also after Cancel: edits made to the file meanwhile take effect.
  settings_.Properties = settings::LoadPropertySettings(environment_.SettingsPath);
}

void TVtFormMain::mMailboxClick() {
  const std::string chosen = BrowseForMailbox(account_.MailboxDir);
  if (view_.Loading || !mailbox::ChangeMailbox(account_, chosen)) return;
  thread::ReleaseThreadLists(view_, *this);
  viewed_node_ = nullptr;
  view_.CurrentFolderIndex = -1;
  index_.Link.reset();  // the old mailbox's keeper is given no folder of the new one
  ReloadAccount();
  StartIndex();
}

}  // namespace ui
