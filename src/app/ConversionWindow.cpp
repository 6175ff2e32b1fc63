#include "app/ConversionWindow.h"

#include <commctrl.h>

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/ProgramTexts.h"
#include "app/WinText.h"
#include "app/res/resource.h"
#include "convert/ConversionCommands.h"

namespace {

constexpr int kWidth = 358;
constexpr int kHeight = 418;

HWND g_window = nullptr;
HWND g_dataBox = nullptr;
HMENU g_saveMenu = nullptr;

// The data box's right button opens "保存数据" instead of the edit's own menu.
LRESULT CALLBACK DataBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_RBUTTONDOWN: {
      POINT pt;
      GetCursorPos(&pt);
      TrackPopupMenu(g_saveMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x + 3, pt.y + 3, 0,
                     GetParent(hwnd), nullptr);
      return 0;
    }
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, DataBoxProc, 0);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ConversionWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      g_window = hwnd;
      g_dataBox = CreateWindowExW(0, L"EDIT", L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL |
                                      ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                                  8, 8, 336, 374, hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdDataBox)),
                                  reinterpret_cast<CREATESTRUCTW*>(lp)->hInstance, nullptr);
      SendMessageW(g_dataBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
      // Large captured texts: lift the default 32K limit.
      SendMessageW(g_dataBox, EM_SETLIMITTEXT, 0, 0);
      g_saveMenu = CreatePopupMenu();
      AppendMenuW(g_saveMenu, MF_STRING, kCmdCopySelection, W(texts::kMenuCopy).c_str());
      AppendMenuW(g_saveMenu, MF_STRING, kCmdSaveData, W(texts::kMenuSave).c_str());
      SetWindowSubclass(g_dataBox, DataBoxProc, 0, 0);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == kCmdCopySelection) CopyDataSelection();
      else if (LOWORD(wp) == kCmdSaveData) SaveDataBox();
      return 0;
    case WM_LBUTTONDOWN:
      // Dragged by its body as by its caption.
      ReleaseCapture();
      SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (g_saveMenu) DestroyMenu(g_saveMenu);
      g_saveMenu = nullptr;
      g_window = g_dataBox = nullptr;
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterConversionWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ConversionWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TESSIVAR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kConversionWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND OpenConversionWindow() {
  if (g_window) {
    if (IsIconic(g_window)) ShowWindow(g_window, SW_RESTORE);
    else SetForegroundWindow(g_window);
    return g_window;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterConversionWindowClass(instance);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND hwnd = CreateWindowExW(0, kConversionWindowClass, W(texts::kConversionTitle).c_str(),
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE,
                              x, y, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  // Let the new window's queued messages (paint, activation) run first.
  app::ProcessPendingMessages();
  return hwnd;
}

HWND ConversionWindowHandle() { return g_window; }
HWND ConversionDataBox() { return g_dataBox; }
HMENU SaveDataMenu() { return g_saveMenu; }
