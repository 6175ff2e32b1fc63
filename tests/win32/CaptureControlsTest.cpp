#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "capture/Capture.h"
#include "capture/CaptureState.h"
#include "support/ProgramTest.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {

class CaptureControls : public wintest::ProgramTest {
 protected:
  bool Idle() { return wintest::TextOf(MainWindow.startButton) == Utf16("开始") && IsWindowEnabled(MainWindow.startButton); }
};

HWND CountTip() {
  for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
       tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = MainWindow.window;
    ti.uId = reinterpret_cast<UINT_PTR>(MainWindow.countBox);
    if (SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti))) return tip;
  }
  return nullptr;
}

TEST_F(CaptureControls, AnEmptyCountFocusesTheBoxAndAttachesTheTip) {
  EXPECT_EQ(CountTip(), nullptr);
  SendMessageW(MainWindow.startButton, BM_CLICK, 0, 0);
  EXPECT_EQ(GetFocus(), MainWindow.countBox);
  HWND tip = CountTip();
  ASSERT_NE(tip, nullptr);
  wchar_t text[64] = {};
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = MainWindow.window;
  ti.uId = reinterpret_cast<UINT_PTR>(MainWindow.countBox);
  ti.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(text), Utf16("请输入监听次数"));
  EXPECT_FALSE(GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON);
  EXPECT_TRUE(Idle());
}

TEST_F(CaptureControls, AnEmptyAddressLeavesTheButtonIdle) {
  SetWindowTextW(MainWindow.countBox, L"5");
  SetWindowTextW(MainWindow.addressBox, L"");
  SendMessageW(MainWindow.startButton, BM_CLICK, 0, 0);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(ListenCount, 0);
}

// Enter in the count box starts a capture like a click; Enter during the
// capture ends it instead of nesting another one inside it.
TEST_F(CaptureControls, EnterStartsAndEnterAgainEndsTheCapture) {
  SetWindowTextW(MainWindow.addressBox, L"127.0.0.1");
  SetWindowTextW(MainWindow.countBox, L"100000");
  std::atomic<bool> sawCapture{false}, done{false};
  HWND start = MainWindow.startButton, count = MainWindow.countBox;
  std::thread controller([&] {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline) {
      if (wintest::TextOf(start) == Utf16("停止") && !IsWindowEnabled(start)) {
        sawCapture = true;
        PostMessageW(count, WM_KEYDOWN, VK_RETURN, 1);
        break;
      }
      Sleep(10);
    }
    done = true;
  });
  PostMessageW(count, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(wintest::WaitUntil([&] { return done && Idle(); }, 30000));
  controller.join();
  EXPECT_TRUE(sawCapture);
  EXPECT_EQ(ListenCount, 0);
  EXPECT_TRUE(LastPacket.Load()->empty());
}

}  // namespace
