#pragma once
// The mail client's DDE service as the stand-in offers it: service
// "QUENMAR32", any topic, execute transactions only.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>

#include <functional>
#include <string>

namespace standin {

class DdeServer {
 public:
  // Receives each executed command's bytes, up to the first zero byte.
  using CommandHandler = std::function<void(const std::string& command)>;

  DdeServer() = default;
  ~DdeServer();
  DdeServer(const DdeServer&) = delete;
  DdeServer& operator=(const DdeServer&) = delete;

  // Starts DDEML and registers the service; the handler runs on this thread
  // while it dispatches window messages. False when DDEML refuses. Only one
  // server per process: DDEML callbacks carry no pointer back to the object.
  bool Start(CommandHandler handler);
  // While set, every conversation is refused (a client whose service is busy
  // or broken).
  void Refuse(bool refuse) { refusing_ = refuse; }

 private:
  static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ topic,
                                    HSZ service, HDDEDATA data, ULONG_PTR data1,
                                    ULONG_PTR data2) noexcept;

  DWORD instance_ = 0;
  HSZ service_ = nullptr;
  CommandHandler handler_;
  bool refusing_ = false;
};

}  // namespace standin
