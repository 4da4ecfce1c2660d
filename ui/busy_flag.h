#pragma once
// A flag that is set for the length of a scope: Hold() sets it and the guard
// it returns clears it again when it goes out of scope, also when the scope is
// left by an exception. Used for ViewerBusy: while a message
// is opened or removed, the lists' keys, the reloads, the account switch and
// the viewer's own navigation do nothing, and a close waits. When the
// outermost scope ends, the function given to OnRelease runs (it carries out
// what waited; it must not throw).
//
// Once the message is on screen and only the mail client's answer is waited
// for (its mark-read), the scope says Shown(): the flag stays set, but the
// viewer's text may be read on (scrolled, paged) meanwhile; Showing() is true
// only while a held scope has not said so.

#include <functional>
#include <utility>

namespace ui {

class BusyFlag {
 public:
  class [[nodiscard]] Scope {
   public:
    explicit Scope(BusyFlag& flag) : flag_(flag), was_set_(flag.set_), was_showing_(flag.showing_) {
      flag_.set_ = true;
      flag_.showing_ = true;
    }
    ~Scope() {
      flag_.set_ = was_set_;
      flag_.showing_ = was_showing_;
      if (!was_set_ && flag_.on_release_) flag_.on_release_();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // The message is whole on screen: reading it no longer waits.
    void Shown() { flag_.showing_ = was_showing_; }

   private:
    BusyFlag& flag_;
    bool was_set_;
    bool was_showing_;
  };

  Scope Hold() { return Scope(*this); }
  void OnRelease(std::function<void()> action) { on_release_ = std::move(action); }
  bool IsSet() const { return set_; }
  bool Showing() const { return showing_; }
  explicit operator bool() const { return set_; }

 private:
  bool set_ = false;
  bool showing_ = false;
  std::function<void()> on_release_;
};

}  // namespace ui
