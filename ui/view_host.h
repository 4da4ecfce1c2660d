#pragma once
// What the viewer needs from the main window. The viewer keeps no list of
// messages: it moves by driving the main window's thread list (posting the
// keys a user would type there), and it reaches the trash, the mail client
// and the shell through the main window.

#include <windows.h>

#include <string>

#include "thread/thread_node.h"

namespace ui {

enum class Direction { kNext, kPrevious };

class ViewerHost {
 public:
  virtual ~ViewerHost() = default;
  // The node shown in the viewer; null while the viewer is closed or after
  // another folder was opened.
  virtual const thread::ThreadNode* ViewedNode() const = 0;
  virtual void SetViewedNode(const thread::ThreadNode* node) = 0;
  // ListViewMail, which the viewer's navigation posts its Enter to.
  virtual HWND ThreadListWindow() const = 0;
  // Selects the message after or before `node` in the threads shown,
  // entering a collapsed thread rather than passing it; returns it, or null
  // past the ends.
  virtual const thread::ThreadNode* SelectAdjacent(const thread::ThreadNode* node,
                                                   Direction direction) = 0;
  // Moves the thread list's selection to the nearest unread row; false when
  // there is none that way.
  virtual bool JumpToUnread(Direction direction) = 0;
  // Moves the viewed message to the trash, wherever the list's selection is;
  // false when it stayed or is no longer in the list.
  virtual bool MoveViewedToTrash() = 0;
  // The thread of the list's selected row (the viewed message's): its
  // unread messages marked read through the mail client, the selection then
  // on the folder's next unread thread; or its mute turned on or off.
  virtual void MarkSelectedThreadRead() = 0;
  virtual void ToggleSelectedThreadMute() = 0;
  // A term (CP932) for the thread list's quick filter: the main window comes
  // forward with the list filtered by it, for the user to see the rows.
  virtual void FilterThreadList(const std::string& term) = 0;
  virtual bool ClientConfigured() const = 0;
  virtual void ComposeNew() = 0;
  virtual void ComposeReply(const std::string& message_path) = 0;
  virtual void ComposeForward(const std::string& message_path) = 0;
  virtual void ComposeToAddress(const std::string& address) = 0;
  virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace ui
