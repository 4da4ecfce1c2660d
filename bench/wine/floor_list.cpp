// The floor of a cached start: the least a program must do to show a folder
// whose thread cache is current. It reads the folder's "Entry.lst" twice and
// "VLTR.ume" once, as the cached open does, and shows an owner-data list view
// with one row per index record (each row's text made on demand, as in
// Veltrano). list_probe times it like Veltrano.exe.
//
//   floor_list FOLDER_DIR

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

// Index records: lines with "=" after the 8-character name.
int CountRecords(const std::string& index) {
  int records = 0;
  std::size_t line = 0;
  while (line < index.size()) {
    std::size_t end = index.find('\n', line);
    if (end == std::string::npos) end = index.size();
    if (end - line > 24 && index[line + 8] == '=') ++records;
    line = end + 1;
  }
  return records;
}

HWND list_view = nullptr;
wchar_t row_text[64];

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NOTIFY: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
      if (info->hdr.code == LVN_GETDISPINFOW && (info->item.mask & LVIF_TEXT) != 0) {
        wsprintfW(row_text, L"row %d", info->item.iItem);
        info->item.pszText = row_text;
      }
      return 0;
    }
    case WM_SIZE:
      MoveWindow(list_view, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (__argc < 2) return 2;
  const std::string dir = __argv[1];
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  const std::string index_path = dir + "\\Entry.lst";
  const int records = CountRecords(ReadAll(index_path));
  const std::size_t cache_bytes = ReadAll(dir + "\\VLTR.ume").size();
  const std::size_t index_bytes = ReadAll(index_path).size();
  if (records == 0 || cache_bytes == 0 || index_bytes == 0) return 1;

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = FloorProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"VeltranoFloorList";
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&window_class);
  HWND main = CreateWindowW(L"VeltranoFloorList", L"floor", WS_OVERLAPPEDWINDOW, 140, 160, 631, 396,
                            nullptr, nullptr, instance, nullptr);
  list_view = CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA,
                            0, 0, 600, 350, main, nullptr, instance, nullptr);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 400;
  column.pszText = const_cast<wchar_t*>(L"subject");
  SendMessageW(list_view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = 150;
  column.pszText = const_cast<wchar_t*>(L"sender");
  SendMessageW(list_view, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  ShowWindow(main, show);
  UpdateWindow(main);
  SendMessageW(list_view, LVM_SETITEMCOUNT, static_cast<WPARAM>(records), 0);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
