#pragma once
// What the main window asks of the mail client when a message is opened. The
// DDE conversation that carries it out is built separately; until then the
// window runs with no link and simply sends nothing.

namespace thread {
struct ThreadNode;
}

namespace ui {

class MailClientLink {
 public:
  virtual ~MailClientLink() = default;
  // `node`, a message of folder `folder_index`, was unread and has just been
  // opened: tell the mail client it is read. Returns when the client is done
  // with the message file (or at once when it is not running).
  virtual void MarkAsRead(int folder_index, const thread::ThreadNode& node) = 0;
};

}  // namespace ui
