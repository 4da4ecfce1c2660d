#include "tools/standin/dde_server_win.h"

namespace standin {
namespace {

DdeServer* g_server = nullptr;
HSZ g_service = nullptr;

// The command text of an execute transaction. A Unicode DDE instance may get
// the command widened to UTF-16 with the system's ANSI code page (Wine does so
// for clients of both the ANSI and the Unicode kind). Commands begin with an
// ASCII letter, so text whose second byte is zero is such widened text; it is
// narrowed back with the same code page, which gives the client's bytes
// unchanged. Other text is taken as the client's bytes.
std::string CommandText(HDDEDATA data) {
  DWORD size = 0;
  const BYTE* bytes = DdeAccessData(data, &size);
  if (bytes == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(bytes), size);
  DdeUnaccessData(data);
  if (text.size() >= 2 && text.size() % 2 == 0 && text[0] != '\0' && text[1] == '\0') {
    const std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size() / 2);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
  }
  const std::size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

}  // namespace

DdeServer::~DdeServer() {
  if (instance_ == 0) return;
  DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
  DdeFreeStringHandle(instance_, service_);
  DdeUninitialize(instance_);
  g_server = nullptr;
}

bool DdeServer::Start(CommandHandler handler) {
  if (g_server != nullptr) return false;
  handler_ = std::move(handler);
  if (DdeInitializeW(&instance_, &DdeServer::Callback,
                     APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                     0) != DMLERR_NO_ERROR) {
    instance_ = 0;
    return false;
  }
  service_ = DdeCreateStringHandleW(instance_, L"QUENMAR32", CP_WINUNICODE);
  g_server = this;
  g_service = service_;
  return service_ != nullptr && DdeNameService(instance_, service_, nullptr, DNS_REGISTER) != 0;
}

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT /*format*/, HCONV /*conversation*/,
                                      HSZ /*topic*/, HSZ service, HDDEDATA data,
                                      ULONG_PTR /*data1*/, ULONG_PTR /*data2*/) noexcept {
  switch (type) {
    case XTYP_CONNECT:
      // Any topic of our service, unless told to refuse.
      return reinterpret_cast<HDDEDATA>(
          static_cast<INT_PTR>(DdeCmpStringHandles(service, g_service) == 0 &&
                               g_server != nullptr && !g_server->refusing_));
    case XTYP_EXECUTE:
      if (g_server == nullptr) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
      try {
        g_server->handler_(CommandText(data));
      } catch (...) {
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
      }
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    default:
      return nullptr;
  }
}

}  // namespace standin
