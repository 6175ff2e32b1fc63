// drive.exe DONE-FILE VERB ...: small remote control for screenshots and demos,
// run on the same Wine desktop as the program. Writes its exit code to DONE-FILE,
// since the desktop's launcher does not wait for it.
//   drive wait               waits until the main window is visible (30 s)
//   drive command ID         posts menu command ID to the main window
//   drive text CLASS TEXT    sets the text of the main window's first child of CLASS
//   drive click CONTROL_ID   clicks a button of the main window
//   drive traymenu X Y       pointer to X,Y (screen), then the tray icon's right click
//   drive listdblclick X Y   pointer to X,Y (client of the packet list), then a
//                            double click there, as the list reports it
//   drive capture ADDR COUNT types the address and the count, then Start
//   drive send PORT CP TEXT  one UDP datagram to 127.0.0.1:PORT carrying TEXT in
//                            code page CP (936, 950, 65001, ...)
//   drive rows N             waits until the packet list holds N rows (30 s)
//   drive rowdblclick COL TEXT  double click on the first row whose cell COL is TEXT
//   drive menukeys KEY...    keys (DOWN, UP, RIGHT, RETURN) to the open pop-up menu
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/MainWindow.h"
#include "app/Tray.h"
#include "support/WinTestSupport.h"

namespace {
HWND MainWindowHandle() {
  HWND h = FindWindowW(kMainWindowClass, nullptr);
  return h && IsWindowVisible(h) ? h : nullptr;
}
bool DoubleClickList(HWND main, POINT at) {
  HWND list = GetDlgItem(main, kIdPacketList);
  if (!list) return false;
  wintest::DoubleClickListAt(list, at);
  return true;
}

}  // namespace

int Drive(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring verb = argv[1];
  const ULONGLONG deadline = GetTickCount64() + 30000;
  HWND main = nullptr;
  while (!(main = MainWindowHandle()) && GetTickCount64() < deadline) Sleep(50);
  if (!main) return 1;
  if (verb == L"wait") return 0;
  if (verb == L"command" && argc > 2) {
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0);
    return 0;
  }
  if (verb == L"text" && argc > 3) {
    HWND child = FindWindowExW(main, nullptr, argv[2], nullptr);
    if (!child) return 1;
    SendMessageW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    return 0;
  }
  if (verb == L"click" && argc > 2) {
    HWND button = GetDlgItem(main, _wtoi(argv[2]));
    if (!button) return 1;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (verb == L"traymenu" && argc > 3) {
    SetCursorPos(_wtoi(argv[2]), _wtoi(argv[3]));
    PostMessageW(main, WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP);
    return 0;
  }
  if (verb == L"listdblclick" && argc > 3) {
    return DoubleClickList(main, POINT{_wtoi(argv[2]), _wtoi(argv[3])}) ? 0 : 1;
  }
  if (verb == L"rowdblclick" && argc > 3) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    wintest::RemoteMemory remote(pid);
    HWND list = GetDlgItem(main, kIdPacketList);
    const int row = remote.FindRow(list, _wtoi(argv[2]), argv[3]);
    if (row < 0) return 1;
    RECT r = remote.RowRect(list, row);
    return DoubleClickList(main, POINT{r.left + 30, (r.top + r.bottom) / 2}) ? 0 : 1;
  }
  if (verb == L"capture" && argc > 3) return wintest::StartCapture(main, argv[2], argv[3]) ? 0 : 1;
  if (verb == L"send" && argc > 4) {
    std::wstring text = argv[4];
    const UINT cp = static_cast<UINT>(_wtoi(argv[3]));
    std::string bytes(text.size() * 4 + 1, '\0');
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()),
                                                         bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                         nullptr)));
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    wintest::SendUdp(static_cast<u_short>(_wtoi(argv[2])), bytes);
    WSACleanup();
    return 0;
  }
  if (verb == L"rows" && argc > 2) {
    HWND list = GetDlgItem(main, kIdPacketList);
    const LRESULT want = _wtoi(argv[2]);
    return wintest::WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= want; }, 30000) ? 0 : 1;
  }
  if (verb == L"menukeys") {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    for (int i = 2; i < argc; ++i) {
      std::wstring key = argv[i];
      WPARAM vk = key == L"DOWN" ? VK_DOWN : key == L"UP" ? VK_UP : key == L"RIGHT" ? VK_RIGHT : VK_RETURN;
      if (!wintest::PressMenuKeys(pid, {vk})) return 1;
    }
    return 0;
  }
  return 2;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  int code = Drive(argc - 1, argv + 1);
  if (FILE* f = _wfopen(argv[1], L"w")) {
    fprintf(f, "%d\n", code);
    fclose(f);
  }
  return code;
}
