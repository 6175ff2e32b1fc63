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
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/MainWindow.h"
#include "app/Tray.h"

namespace {
HWND MainWindowHandle() {
  HWND h = FindWindowW(kMainWindowClass, nullptr);
  return h && IsWindowVisible(h) ? h : nullptr;
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
    HWND list = GetDlgItem(main, kIdPacketList);
    if (!list) return 1;
    POINT at{_wtoi(argv[2]), _wtoi(argv[3])};
    POINT screen = at;
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
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
