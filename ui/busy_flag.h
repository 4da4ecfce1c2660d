#pragma once
// A flag that is set for the length of a scope: Hold() sets it and the guard
// it returns clears it again when it goes out of scope, also when the scope is
// left by an exception. Used for ViewerBusy: while a message
// is opened or removed, the lists' keys, the reloads, the account switch and
// the viewer's own navigation do nothing.

namespace ui {

class BusyFlag {
 public:
  class [[nodiscard]] Scope {
   public:
    explicit Scope(BusyFlag& flag) : flag_(flag), was_set_(flag.set_) { flag_.set_ = true; }
    ~Scope() { flag_.set_ = was_set_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    BusyFlag& flag_;
    bool was_set_;
  };

  Scope Hold() { return Scope(*this); }
  bool IsSet() const { return set_; }
  explicit operator bool() const { return set_; }

 private:
  bool set_ = false;
};

}  // namespace ui
