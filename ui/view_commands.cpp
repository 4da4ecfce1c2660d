// TViewForm: the command table, the keys of BigView, paging and moving to the
// other messages through the main window's thread list.

#include "ui/view_commands.h"

#include "thread/index_record.h"
#include "ui/ja_texts.h"
#include "ui/view_form.h"
#include "viewer/ja_texts.h"

namespace ui {
namespace {

using F = TViewForm;
using Row = CommandRow<F>;

enum Menu { kFile, kEdit, kShow, kMail };

constexpr MenuBarEntry kBar[] = {
    {"mFile", ja::kMenuFile},
    {kViewEditMenuName, ja::kMenuEdit},
    {"mShow", ja::kMenuShow},
    {"mMail", ja::kMenuMail},
};

// One row per command, in menu order; rows of no menu are the pop-up menus'
// own commands.
constexpr Row kRows[] = {
    {"mAttachmentOpen",
     kFile,
     ja::kAttachmentOpen,
     {},
     &F::mAttachmentOpenClick,
     &F::CaretOnAttachment},
    {"mAttachmentSaveAs",
     kFile,
     ja::kAttachmentSaveAs,
     {},
     &F::mAttachmentSaveAsClick,
     &F::CaretOnAttachment},
    {"mAttachmentSaveAll",
     kFile,
     ja::kAttachmentSaveAll,
     {},
     &F::mAttachmentSaveAllClick,
     &F::HasAttachments},
    {"N10", kFile},
    {"mExit", kFile, ja::kViewExit, {'Q', false}, &F::mExitClick},
    {"mCopy", kEdit, ja::kCopy, {'C', true}, &F::mCopyClick, &F::HasSelection},
    {"N5", kEdit},
    {"mFind", kEdit, ja::kFind, {'F', true}, &F::mFindClick},
    {"mOpenUrl", kEdit, viewer::ja::kOpenUrlCaption, {}, &F::mPopupUrlClick, &F::SelectionIsUrl},
    {"mReplayMail2",
     kEdit,
     viewer::ja::kSendToAddressCaption,
     {},
     &F::mPopupMailClick,
     &F::SelectionIsMailAddress},
    {"N7", kEdit},
    {"mNkf", kEdit, ja::kNkf, {'C', false}, &F::mNkfClick, &F::NkfLoaded},
    {"mFont", kShow, ja::kFont, {}, &F::mFontClick},
    {"N13", kShow},
    {"mFilterSender",
     kShow,
     ja::kFilterSender,
     {'1', true},
     &F::mFilterSenderClick,
     &F::HasViewedNode},
    {"mFilterSubject",
     kShow,
     ja::kFilterSubject,
     {'2', true},
     &F::mFilterSubjectClick,
     &F::HasViewedNode},
    {"mFilterThread",
     kShow,
     ja::kFilterThread,
     {'3', true},
     &F::mFilterThreadClick,
     &F::HasViewedNode},
    {"mPrevMail", kMail, ja::kPrevMail, {'P', false}, &F::mPrevMailClick},
    {"mNextMail", kMail, ja::kNextMail, {'N', false}, &F::mNextMailClick},
    {"N1", kMail},
    {"mPrevMidokuMail", kMail, ja::kPrevMidoku, {'P', true}, &F::mPrevMidokuMailClick},
    {"mNextMidokuMail", kMail, ja::kNextMidoku, {'N', true}, &F::mNextMidokuMailClick},
    {"N3", kMail},
    {"mNewMail", kMail, ja::kSend, {'S', false}, &F::mNewMailClick},
    {"mReplay", kMail, ja::kReplay, {'R', false}, &F::mReplayClick},
    {"mForward", kMail, ja::kForwardMail, {'F', false}, &F::mForwardClick},
    {"N12", kMail},
    {"mThreadRead",
     kMail,
     ja::kThreadRead,
     {'K', true},
     &F::mThreadReadClick,
     &F::ClientConfigured},
    {"mMuteThread", kMail, ja::kMuteThread, {'U', true}, &F::mMuteThreadClick},
    {"N9", kMail},
    {"mMailDelete", kMail, ja::kMailDelete, {VK_DELETE, false}, &F::mMailDeleteClick},
    {"mPopupReplay", kNoMenu, ja::kPopupReplay, {}, &F::mReplayClick, &F::ClientConfigured},
    {"mPopupUrlOpen", kNoMenu, viewer::ja::kOpenUrlCaption, {}, &F::mPopupUrlOpenClick},
    {"mPopupUrlClipcopy", kNoMenu, ja::kPopupUrlClipcopy, {}, &F::mPopupUrlClipcopyClick},
    // F3 and Shift+F3: the find bar's next and previous occurrence.
    {"mFindNext", kNoMenu, nullptr, {VK_F3}, &F::mFindNextClick},
    {"mFindPrev", kNoMenu, nullptr, {VK_F3, false, true}, &F::mFindPrevClick},
};

constexpr CommandTable<F> kTable{kBar, kRows};

constexpr PopupEntry<F> kPopup[] = {
    {"mPopupCopy", ja::kCopy, "mCopy"},
    {"N2"},
    {"mPopupUrl", ja::kPopupUrl, "mOpenUrl"},
    {"mPopupMail", ja::kPopupMail, "mReplayMail2"},
    {"N4"},
    {"mPopupReplay", ja::kPopupReplay, "mPopupReplay"},
    {"N8"},
    {"mPopupNkf", ja::kPopupNkf, "mNkf"},
};

constexpr PopupEntry<F> kPopupUrl[] = {
    {"mPopupUrlOpen", viewer::ja::kOpenUrlCaption, "mPopupUrlOpen"},
    {"N6"},
    {"mPopupUrlClipcopy", ja::kPopupUrlClipcopy, "mPopupUrlClipcopy"},
};

constexpr PopupDef<F> kPopupDef{"PopupMenu", kPopup};
constexpr PopupDef<F> kPopupUrlDef{"PopupMenuUrl", kPopupUrl};

constexpr PopupEntry<F> kPopupAttachment[] = {
    {"mPopupAttachmentOpen", ja::kAttachmentOpen, "mAttachmentOpen"},
    {"mPopupAttachmentSaveAs", ja::kAttachmentSaveAs, "mAttachmentSaveAs"},
    {"N11"},
    {"mPopupAttachmentSaveAll", ja::kAttachmentSaveAll, "mAttachmentSaveAll"},
};

constexpr PopupDef<F> kPopupAttachmentDef{"PopupMenuAttachment", kPopupAttachment};

// The key data of the posted Enter, as the keyboard driver packs it (repeat
// 1, scan code 0x1C), so the list's own key handling sees ordinary typing.
constexpr LPARAM kEnterCharacter = 0x0001C001;

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

const CommandTable<TViewForm>& ViewCommands() { return kTable; }
const PopupDef<TViewForm>& ViewPopupDef() { return kPopupDef; }
const PopupDef<TViewForm>& UrlPopupDef() { return kPopupUrlDef; }
const PopupDef<TViewForm>& AttachmentPopupDef() { return kPopupAttachmentDef; }

// BigViewKeyPress: the characters left after the menu shortcuts.
const KeyRow<TViewForm> TViewForm::kKeys[] = {
    {WM_CHAR, 27, &TViewForm::CloseKey},      {WM_CHAR, L'Q', nullptr, 0, "mExit"},
    {WM_CHAR, L' ', &TViewForm::Swallow},  // BigViewKeyDown has paged already
    {WM_CHAR, L'B', &TViewForm::PageBackKey}, {WM_CHAR, L'D', &TViewForm::DeleteKey},
    {WM_CHAR, L'H', &TViewForm::HeaderKey},   {WM_CHAR, L'M', &TViewForm::NextUnreadKey},
    {WM_CHAR, L'N', nullptr, 0, "mNextMail"}, {WM_CHAR, L'P', nullptr, 0, "mPrevMail"},
};

// Every key the viewer reacts to, for the clash check.
std::vector<KeyBinding> TViewForm::KeyBindings() {
  std::vector<KeyBinding> bindings;
  AddShortcutBindings(ViewCommands(), bindings);
  AddKeyBindings<TViewForm>(kKeys, "BigView", bindings);
  return bindings;
}

// While the mail client takes the shown message's mark-read the keys that
// read it run; those that move to another message check the flag themselves.
bool TViewForm::BigViewKeyPress(wchar_t character) {
  if (ViewerBusy.Showing()) return true;
  return RunKey<TViewForm>(kKeys, *this, WM_CHAR, character,
                           [this](const char* name) { ViewCommands().Dispatch(*this, name); });
}

// Enter on an attachment line opens it. Space pages forward, Shift+Space
// back, Ctrl+Space forward and on to the next unread message. Nothing at all
// (not even scrolling) without a message.
bool TViewForm::BigViewKeyDown(WPARAM key) {
  if (key == VK_RETURN && !ViewerBusy && CaretOnAttachment()) {
    mAttachmentOpenClick();
    return true;
  }
  if (ViewerBusy.Showing() || host_ == nullptr || host_->ViewedNode() == nullptr ||
      key != VK_SPACE || KeyHeld(VK_MENU)) {
    return false;
  }
  if (KeyHeld(VK_SHIFT)) {
    PageOrStep(PageMode::kBackward);
  } else if (KeyHeld(VK_CONTROL)) {
    PageOrStep(PageMode::kForwardUnread);
  } else {
    PageOrStep(PageMode::kForward);
  }
  return true;
}

bool TViewForm::CloseKey(WORD) {
  mExitClick();
  return true;
}

bool TViewForm::PageBackKey(WORD) {
  PageOrStep(PageMode::kBackward);
  return true;
}

bool TViewForm::DeleteKey(WORD) {
  if (host_ == nullptr || host_->ViewedNode() == nullptr) return false;
  DeleteAndClose();
  return true;
}

bool TViewForm::HeaderKey(WORD) {
  ToggleHeader();
  return true;
}

bool TViewForm::NextUnreadKey(WORD) {
  mNextMidokuMailClick();
  return true;
}

// Pages by scrolling BigView one page, as Page Up and Page Down do. The
// control is told directly rather than sent synthetic keystrokes: those go to
// whatever window has the focus when they arrive, and would extend the
// selection while Shift is held. A page that scrolls no line also counts as
// the end: Wine's rich edit reports a scroll range beyond a text that fits.
void TViewForm::PageOrStep(PageMode mode) {
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_ALL;
  const bool known = GetScrollInfo(big_view_.hwnd(), SB_VERT, &scroll) != FALSE && scroll.nMax > 0;
  if (mode == PageMode::kBackward) {
    if (!(known && scroll.nPos > scroll.nMin && big_view_.ScrollPage(false)) && !ViewerBusy)
      StepMail(Direction::kPrevious);
    return;
  }
  // At the last page position + page reaches the maximum (Wine) or passes it
  // by one (Windows, whose maximum is inclusive).
  if (known && scroll.nPos + static_cast<int>(scroll.nPage) < scroll.nMax &&
      big_view_.ScrollPage(true)) {
    return;
  }
  if (ViewerBusy) return;  // the shown message's mark-read still runs
  if (mode == PageMode::kForward) {
    StepMail(Direction::kNext);
  } else if (host_ != nullptr) {
    host_->JumpToUnread(Direction::kNext);
    SendEnterToList();
  }
}

// The viewed message's thread marked read; the first message of the next
// unread thread opened, as the list's Enter opens it.
void TViewForm::mThreadReadClick() {
  if (ViewerBusy || host_ == nullptr || host_->ViewedNode() == nullptr) return;
  host_->MarkSelectedThreadRead();
  SendEnterToList();
}

void TViewForm::FilterByViewed(std::string (*term)(const thread::ThreadNode&)) {
  if (!HasViewedNode()) return;
  host_->FilterThreadList(term(*host_->ViewedNode()));
}

void TViewForm::mMuteThreadClick() {
  if (ViewerBusy || host_ == nullptr || host_->ViewedNode() == nullptr) return;
  host_->ToggleSelectedThreadMute();
}

// The list's selection moves to the message next to the viewed one and the
// posted Enter opens it, as if the user had typed it there. The row is
// selected directly rather than by a posted arrow key: the list would read a
// Shift still held for Shift+Space as extending the selection, and stay where
// it was.
void TViewForm::StepMail(Direction direction) {
  if (host_ == nullptr || host_->ViewedNode() == nullptr) return;
  const thread::ThreadNode* target = host_->SelectAdjacent(host_->ViewedNode(), direction);
  if (target == nullptr) return;
  host_->SetViewedNode(target);
  SendEnterToList();
}

void TViewForm::SendEnterToList() const {
  if (host_ != nullptr)
    PostMessageW(host_->ThreadListWindow(), WM_CHAR, VK_RETURN, kEnterCharacter);
}

// With no unread message that way the selection stays, and the Enter opens
// the selected row again, which only focuses the viewer when it is the shown
// message.
void TViewForm::StepToUnread(Direction direction) {
  if (ViewerBusy || host_ == nullptr || host_->ViewedNode() == nullptr) return;
  host_->JumpToUnread(direction);
  SendEnterToList();
}

void TViewForm::mPrevMailClick() {
  if (!ViewerBusy) StepMail(Direction::kPrevious);
}

void TViewForm::mNextMailClick() {
  if (!ViewerBusy) StepMail(Direction::kNext);
}

void TViewForm::ToggleHeader() {
  big_view_.SetRedraw(false);
  viewer::ToggleHeader(view_);
  ShowLines();
  SearchNewText();
  big_view_.SetRedraw(true);
  big_view_.Invalidate();
}

// The whole file as stored, attachments included, with its body converted.
void TViewForm::mNkfClick() {
  const BusyFlag::Scope busy = ViewerBusy.Hold();
  LoadMessage(thread::kNoConvertFlags, true, true);
}

void TViewForm::mNewMailClick() {
  if (host_ != nullptr) host_->ComposeNew();
}

void TViewForm::mReplayClick() {
  if (host_ != nullptr && !view_.MessagePath.empty()) host_->ComposeReply(view_.MessagePath);
}

void TViewForm::mForwardClick() {
  if (host_ != nullptr && !view_.MessagePath.empty()) host_->ComposeForward(view_.MessagePath);
}

void TViewForm::mMailDeleteClick() {
  if (!ViewerBusy && host_ != nullptr && host_->ViewedNode() != nullptr) DeleteAndClose();
}

// The main window moves the shown message, whichever row is selected; the
// viewer closes with it. When nothing was moved the message stays shown.
void TViewForm::DeleteAndClose() {
  if (host_->MoveViewedToTrash()) mExitClick();
}

}  // namespace ui
