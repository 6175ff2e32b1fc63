#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/StartUp.h"
#include "docking/Docking.h"
#include "support/WinTestSupport.h"

namespace {

constexpr int kWidth = 844, kHeight = 600;

// The window under test.
// The program's own main window, docked by its creation handler.
HWND CreateWindowUnderTest() { return wintest::StartProgramHere(); }

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs = 10000) {
  return wintest::WaitUntil(cond, timeoutMs);
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

bool IsTopmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool PointerAt(int x, int y) {
  POINT p{};
  return SetCursorPos(x, y) && GetCursorPos(&p) && p.x == x && p.y == y;
}

// Every position change of the watched window, as its procedure is told of it.
HWND g_watched = nullptr;
std::vector<WINDOWPOS> g_positions;

LRESULT CALLBACK WatchPositions(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->hwnd == g_watched && call->message == WM_WINDOWPOSCHANGED)
    g_positions.push_back(*reinterpret_cast<const WINDOWPOS*>(call->lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The moves recorded, without band changes.
std::vector<WINDOWPOS> Moves() {
  std::vector<WINDOWPOS> moves;
  for (const WINDOWPOS& p : g_positions)
    if (!(p.flags & SWP_NOMOVE)) moves.push_back(p);
  return moves;
}

TEST(Docking, DragStopsAtLeftEdgeThenHidesAndTouchReveals) {
  HWND hwnd = CreateWindowUnderTest();
  ASSERT_TRUE(hwnd);
  const RECT start = WindowRect(hwnd);
  ASSERT_EQ(start.right - start.left, kWidth);
  const RECT proposed{-50, start.top, kWidth - 50, start.bottom};

  // Before the first tick the drag reaches the window's own procedure unchanged.
  RECT r = proposed;
  SendMessageW(hwnd, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, -50);
  EXPECT_EQ(r.right, kWidth - 50);

  // The pointer over the window lets docking begin.
  ASSERT_TRUE(PointerAt((start.left + start.right) / 2, (start.top + start.bottom) / 2));
  ASSERT_TRUE(WaitFor([] { return RevealPending == 0; }));

  r = proposed;
  SendMessageW(hwnd, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, kWidth);
  EXPECT_EQ(r.top, start.top);
  EXPECT_EQ(r.bottom, start.bottom);
  // The move loop then puts the window where the rectangle says.
  MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  ASSERT_TRUE(WaitFor([&] { return IsTopmost(hwnd); }));
  EXPECT_EQ(WindowRect(hwnd).left, 0);

  g_watched = hwnd;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchPositions, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  ASSERT_TRUE(PointerAt(GetSystemMetrics(SM_CXSCREEN) - 20, start.top + 10));
  const bool hid = WaitFor([&] { return WindowRect(hwnd).right == 1; });
  UnhookWindowsHookEx(hook);
  ASSERT_TRUE(hid);

  const RECT hidden = WindowRect(hwnd);
  EXPECT_EQ(hidden.left, 1 - kWidth);
  EXPECT_EQ(hidden.top, start.top);
  EXPECT_EQ(hidden.bottom - hidden.top, start.bottom - start.top);
  EXPECT_TRUE(IsTopmost(hwnd));
  // One pixel at a time, none asking for a repaint.
  const std::vector<WINDOWPOS> moves = Moves();
  ASSERT_EQ(moves.size(), static_cast<size_t>(kWidth - 1));
  for (size_t i = 0; i < moves.size(); ++i) {
    EXPECT_EQ(moves[i].x, -static_cast<int>(i) - 1) << "move " << i;
    EXPECT_EQ(moves[i].y, start.top) << "move " << i;
    EXPECT_TRUE(moves[i].flags & SWP_NOREDRAW) << "move " << i;
  }

  // The pointer on the remaining column brings it back, topmost again.
  ASSERT_TRUE(PointerAt(0, start.top + 50));
  ASSERT_TRUE(WaitFor([&] { return WindowRect(hwnd).left == 0 && TopmostApplied == 1; }));
  EXPECT_EQ(WindowRect(hwnd).right, kWidth);
  EXPECT_TRUE(IsTopmost(hwnd));
}

TEST(Docking, LeavingTheEdgeLeavesTheTopmostBand) {
  HWND hwnd = CreateWindowUnderTest();
  ASSERT_TRUE(hwnd);
  const RECT start = WindowRect(hwnd);
  // RevealPending stays 1 with the pointer elsewhere, so the parked window stays put.
  ASSERT_TRUE(PointerAt(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5));
  SetWindowPos(hwnd, nullptr, start.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitFor([&] { return IsTopmost(hwnd); }));
  EXPECT_EQ(WindowRect(hwnd).top, 0);

  SetWindowPos(hwnd, nullptr, start.left, start.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitFor([&] { return !IsTopmost(hwnd); }));
  EXPECT_EQ(TopmostApplied, 0);
}

LRESULT CALLBACK TrayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(Docking, TaskbarHeightLimitsTheMaximumTrackingHeight) {
  HWND hwnd = CreateWindowUnderTest();
  ASSERT_TRUE(hwnd);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);

  // Before the first tick the structure passes through untouched.
  MINMAXINFO info;
  FillMemory(&info, sizeof info, 0x07);
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 0x07070707);
  EXPECT_EQ(info.ptMaxTrackSize.y, 0x07070707);

  ASSERT_TRUE(WaitFor([] { return WindowWidth > 0; }));

  WNDCLASSW wc{};
  wc.lpfnWndProc = TrayProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Shell_TrayWnd";
  ASSERT_TRUE(RegisterClassW(&wc));
  // Wine's desktop keeps a hidden, empty taskbar window of its own; a topmost
  // one made now comes before it.
  HWND tray = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP,
                              0, sh - 40, sw, 40, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(tray);
  ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), tray);

  FillMemory(&info, sizeof info, 0x07);
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 100);
  EXPECT_EQ(info.ptMinTrackSize.y, 100);
  EXPECT_EQ(info.ptMaxTrackSize.x, sw);
  EXPECT_EQ(info.ptMaxTrackSize.y, sh - 40);
  // The maximised size and position are the system's.
  EXPECT_EQ(info.ptMaxSize.x, 0x07070707);
  EXPECT_EQ(info.ptMaxPosition.y, 0x07070707);

  // A taskbar on the side is as high as the screen.
  MoveWindow(tray, 0, 0, 40, sh, FALSE);
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMaxTrackSize.y, 0);
  EXPECT_EQ(info.ptMinTrackSize.y, 100);
}

TEST(Docking, InstallingAgainKeepsTheChainAndUndoRestoresIt) {
  HWND hwnd = CreateWindowUnderTest();
  ASSERT_TRUE(hwnd);
  const WNDPROC own = PreviousWindowProc;
  ASSERT_TRUE(own);
  ASSERT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), DockWindowProc);

  // A second installation would otherwise make the procedure forward to itself.
  EXPECT_TRUE(InstallDocking(hwnd));
  ASSERT_EQ(PreviousWindowProc, own);
  DockTick(nullptr, 0, 0, 0);
  ASSERT_GT(WindowWidth, 0);
  // Sent without their structures, the two changed messages are passed on as they are.
  SendMessageW(hwnd, WM_MOVING, 0, 0);
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, 0);
  EXPECT_TRUE(SetWindowTextW(hwnd, L"still answering"));

  EXPECT_TRUE(InstallDocking(nullptr));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), own);
  EXPECT_FALSE(KillTimer(hwnd, DockTimerId));  // already stopped
  RECT r{-50, 100, kWidth - 50, 700};
  SendMessageW(hwnd, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, -50);
}

}  // namespace
