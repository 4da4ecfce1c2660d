#include "ui/main_commands.h"

#include "ui/ja_texts.h"
#include "ui/main_form.h"

namespace ui {
namespace {

using F = TVtFormMain;
using Row = CommandRow<F>;

enum Menu { kFile, kShow, kMail, kAccount, kSettings, kHelp };

constexpr MenuBarEntry kBar[] = {
    {"File1", ja::kMenuFile},  {"Show1", ja::kMenuShow},
    {"mMail", ja::kMenuMail},  {kAccountMenuName, ja::kMenuAccount},
    {"K1", ja::kMenuSettings}, {"KH1", ja::kMenuHelp},
};

// One row per command, in menu order; a row without a handler is a command of
// a later feature, shown disabled.
constexpr Row kRows[] = {
    {"mRetry1", kFile, ja::kRetry1, {'S', true}, &F::mRetry1Click, &F::CanReload},
    {"mRetry2", kFile, ja::kRetry2, {'A', true}, &F::mRetry2Click, &F::CanReload},
    {"N2", kFile},
    {"mMidoku", kFile, ja::kMidoku, {'M', true}, &F::mPopupMidokuClick},
    {"N6", kFile},
    {"mFolderSet2", kFile, ja::kFolderSet2, {}, &F::mFolderSetClick},
    {"N1", kFile},
    {"KQuenmar321", kFile, ja::kStartClient, {}, &F::KQuenmar321Click},
    {"mExit", kFile, ja::kExit, {'X', true}, &F::mExitClick},
    {"mFolderFont", kShow, ja::kFolderFont, {}, &F::mFolderFontClick},
    {"mMailFont", kShow, ja::kMailFont, {}, &F::mMailFontClick},
    {"mCollapseAll", kShow, ja::kCollapseAll, {}, &F::mCollapseAllClick},
    {"mExpandAll", kShow, ja::kExpandAll, {}, &F::mExpandAllClick},
    {"mHideMuted", kShow, ja::kHideMuted, {}, &F::mHideMutedClick},
    {"N11", kShow},
    {"mFilterSender",
     kShow,
     ja::kFilterSender,
     {'1', true},
     &F::mFilterSenderClick,
     &F::HasSelectedRow},
    {"mFilterSubject",
     kShow,
     ja::kFilterSubject,
     {'2', true},
     &F::mFilterSubjectClick,
     &F::HasSelectedRow},
    {"mFilterThread",
     kShow,
     ja::kFilterThread,
     {'3', true},
     &F::mFilterThreadClick,
     &F::HasSelectedRow},
    {"mPrevMidoku", kMail, ja::kPrevMidoku, {'P', true}, &F::mPrevMidokuClick},
    {"mNextMidoku", kMail, ja::kNextMidoku, {'N', true}, &F::mNextMidokuClick},
    {"N7", kMail},
    {"mSend", kMail, ja::kSend, {'S', false}, &F::mSendClick},
    {"mReplyMail", kMail, ja::kReplyMail, {'R', false}, &F::mReplyMailClick},
    {"mForwardMail", kMail, ja::kForwardMail, {'F', false}, &F::mForwardMailClick},
    {"N8", kMail},
    {"mMailDelete",
     kMail,
     ja::kMailDelete,
     {VK_DELETE, false},
     &F::mMailDeleteClick,
     &F::CanMoveToTrash},
    {"N9", kMail},
    {"mNextThread", kMail, ja::kNextThread, {'T', true}, &F::mNextThreadClick},
    {"mThreadRead", kMail, ja::kThreadRead, {'K', true}, &F::mThreadReadClick, &F::CanMarkThread},
    {"mFolderRead", kMail, ja::kFolderRead, {}, &F::mFolderReadClick, &F::CanMarkThread},
    {"mMuteThread", kMail, ja::kMuteThread, {'U', true}, &F::mMuteThreadClick, &F::CanMarkThread},
    {"mMutedThreads", kMail, ja::kMutedThreads, {}, &F::mMutedThreadsClick, &F::CanMarkThread},
    {"N10", kMail},
    {"mSearchAll", kMail, ja::kSearchAll, {'S', true, true}, &F::mSearchAllClick, &F::CanSearchAll},
    {"mMailbox", kSettings, ja::kMailbox, {}, &F::mMailboxClick, &F::CanReload},
    {"mOption", kSettings, ja::kOption, {}, &F::mOptionClick},
    {"mVersion", kHelp, ja::kVersion, {}, &F::mVersionClick},
    // No menu item: Ctrl+F puts the focus in the thread list's filter box.
    {"mQuickFilter", kNoMenu, nullptr, {'F', true}, &F::FocusQuickFilter},
    // Ctrl+Shift+F: the same with "本文も検索" turned on.
    {"mBodySearch", kNoMenu, nullptr, {'F', true, true}, &F::mBodySearchClick},
};

constexpr CommandTable<F> kTable{kBar, kRows};

constexpr PopupEntry<F> kPopupMail[] = {
    {"mPopupRetry", ja::kPopupRetry, "mRetry1"},
    {"mPopupRetry2", ja::kPopupRetry2, "mRetry2"},
    {"N3"},
    {"mPopupMidoku", ja::kPopupMidoku, "mMidoku"},
    {"mPopupThreadRead", ja::kPopupThreadRead, "mThreadRead"},
    {"mPopupMuteThread", ja::kPopupMuteThread, "mMuteThread"},
    {"N5"},
    {"mFolderSet1", ja::kPopupFolderSet, "mFolderSet2"},
};

constexpr PopupEntry<F> kPopupFolder[] = {
    {"MenuItem1", ja::kPopupRetry, "mRetry1"},
    {"MenuItem2", ja::kPopupRetry2Folder, "mRetry2"},
    {"MenuItem3"},
    {"MenuItem4", ja::kPopupMidoku, "mMidoku"},
    {"N4"},
    {"mFolderSet", ja::kPopupFolderSet, "mFolderSet2", &F::SelectedFolderIsNoContainer},
};

constexpr PopupDef<F> kPopupMailDef{"PopupMenu_Mail", kPopupMail};
constexpr PopupDef<F> kPopupFolderDef{"PopupMenu_Folder", kPopupFolder};

}  // namespace

const CommandTable<TVtFormMain>& MainCommands() { return kTable; }

std::vector<KeyBinding> TVtFormMain::KeyBindings() {
  std::vector<KeyBinding> bindings;
  AddShortcutBindings(kTable, bindings);
  AddKeyBindings(FolderListPane::Keys(), "ListBoxF", bindings);
  AddKeyBindings(ThreadListPane::Keys(), "ListViewMail", bindings);
  return bindings;
}
const PopupDef<TVtFormMain>& PopupMailDef() { return kPopupMailDef; }
const PopupDef<TVtFormMain>& PopupFolderDef() { return kPopupFolderDef; }

}  // namespace ui
