#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BuildConfig.h"
#include "app/About.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/Tray.h"
#include "support/ProgramTest.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {

class TrayAboutTest : public wintest::ProgramTest {
 protected:
  void Tray(UINT mouseMessage) { SendMessageW(window, WM_TRAY_NOTIFY, kTrayIconId, mouseMessage); }
};

// Runs `action` on its own thread after the deadline unless cancelled first:
// a box or menu that fails to close must fail the test, not hang it.
class Watchdog {
 public:
  Watchdog(DWORD ms, std::function<void()> action)
      : thread_([this, ms, action] {
          std::unique_lock<std::mutex> lock(m_);
          if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return cancelled_; })) {
            fired = true;
            action();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      cancelled_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  std::atomic<bool> fired{false};

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool cancelled_ = false;
  std::thread thread_;
};

// ---------------------------------------------------------------- tray icon

TEST(TrayTip, IsCutAt62BytesWithoutSplittingACharacter) {
  const Text lead = "\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3Tessivar QQ\xA3\xBA";  // 欢迎使用Tessivar QQ：
  ASSERT_EQ(lead.size(), 21u);
  EXPECT_EQ(TrayTip("10000"), lead + "10000");
  EXPECT_EQ(TrayTip(TESSIVAR_MAKER_CONTACT).substr(0, 21), lead);
  // 41 bytes of contact fill the field exactly; one more is dropped.
  EXPECT_EQ(TrayTip(std::string(41, '9')), lead + std::string(41, '9'));
  EXPECT_EQ(TrayTip(std::string(50, '9')).size(), 62u);
  // A double-byte character that would straddle byte 62 is left out whole.
  const Text tip = TrayTip(std::string(40, '9') + "中文");
  EXPECT_EQ(tip, lead + std::string(40, '9'));
  struct Case {
    const char* gbk;
    size_t max;
    const char* kept;
  } cases[] = {{"ab", 1, "a"},           {"\xD6\xD0" "a", 1, ""},  {"a\xD6\xD0", 2, "a"},
               {"a\xD6\xD0", 3, "a\xD6\xD0"}, {"a\xD6", 2, "a\xD6"},    {"", 5, ""}};
  for (const auto& c : cases) EXPECT_EQ(CutGbk(c.gbk, c.max), Text(c.kept)) << c.gbk << " " << c.max;
}

TEST_F(TrayAboutTest, LeftClickFlipsVisibilityAndDoubleClickEndsWhereItStarted) {
  ASSERT_TRUE(IsWindowVisible(window));
  Tray(WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(window));
  Tray(WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(window));

  // A double click arrives as release, double click, release.
  for (bool startVisible : {true, false}) {
    ShowWindow(window, startVisible ? SW_SHOW : SW_HIDE);
    Tray(WM_LBUTTONUP);
    const bool between = IsWindowVisible(window);
    EXPECT_NE(between, startVisible);
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_EQ(static_cast<bool>(IsWindowVisible(window)), between);
    Tray(WM_LBUTTONUP);
    EXPECT_EQ(static_cast<bool>(IsWindowVisible(window)), startVisible);
  }
  // Presses and moves do nothing.
  for (UINT m : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MBUTTONUP}) {
    Tray(m);
    EXPECT_FALSE(IsWindowVisible(window)) << m;
  }
}

// ---------------------------------------------------------------- pop-up menus

struct SeenMenu {
  HMENU menu = nullptr;
  RECT rect{};
};

// Waits on its own thread for a pop-up menu of this process, notes which menu
// it shows and where, and closes it with Esc.
class MenuCloser {
 public:
  MenuCloser() {
    thread_ = std::thread([this] {
      const ULONGLONG deadline = GetTickCount64() + 10000;
      while (GetTickCount64() < deadline) {
        if (HWND popup = wintest::FindTopWindow(L"", GetCurrentProcessId(), L"#32768")) {
          DWORD_PTR menu = 0;
          SendMessageTimeoutW(popup, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &menu);
          seen_.menu = reinterpret_cast<HMENU>(menu);
          GetWindowRect(popup, &seen_.rect);
          PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
          // Esc should do; cancel-mode is the fallback.
          const ULONGLONG closeBy = GetTickCount64() + 3000;
          while (IsWindowVisible(popup) && GetTickCount64() < closeBy) Sleep(10);
          if (IsWindowVisible(popup)) PostMessageW(popup, WM_CANCELMODE, 0, 0);
          found_ = true;
          break;
        }
        Sleep(10);
      }
      done_ = true;
    });
  }
  ~MenuCloser() {
    if (thread_.joinable()) thread_.join();
  }
  bool Done() const { return done_; }
  // Waits for the thread; the menu seen, or null when none opened.
  SeenMenu Seen() {
    if (thread_.joinable()) thread_.join();
    return found_ ? seen_ : SeenMenu{};
  }

 private:
  SeenMenu seen_;
  std::atomic<bool> found_{false}, done_{false};
  std::thread thread_;
};

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

TEST_F(TrayAboutTest, EachOpenerShowsItsMenuJustOffThePointer) {
  PacketListRows().Append({"UDP", "10.0.0.2", "5353", "127.0.0.1", "53", "20", "data"});
  PacketListChanged();
  HWND list = MainWindow.packetList;
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  const int rowY = (item.top + item.bottom) / 2;
  const int emptyY = item.bottom + 100;  // below the only row

  struct Case {
    const char* name;
    HMENU expected;
    std::function<void()> open;
  } cases[] = {
      {"tray right button up", MainWindow.mainMenu, [&] { PostMessageW(window, WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP); }},
      {"tray context menu", MainWindow.mainMenu, [&] { PostMessageW(window, WM_TRAY_NOTIFY, kTrayIconId, WM_CONTEXTMENU); }},
      {"right click on a row", MainWindow.mainMenu,
       [&] {
         PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(50, rowY));
         PostMessageW(list, WM_RBUTTONUP, 0, ClientPoint(50, rowY));
       }},
      {"right click below the rows", MainWindow.mainMenu,
       [&] {
         PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(50, emptyY));
         PostMessageW(list, WM_RBUTTONUP, 0, ClientPoint(50, emptyY));
       }},
      {"double click on a row", MainWindow.convertMenu,
       [&] {
         PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(50, rowY));
         PostMessageW(list, WM_LBUTTONUP, 0, ClientPoint(50, rowY));
         PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, ClientPoint(50, rowY));
         PostMessageW(list, WM_LBUTTONUP, 0, ClientPoint(50, rowY));
       }},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetCursorPos(300, 250));
    POINT at{};
    GetCursorPos(&at);
    MenuCloser closer;
    c.open();
    EXPECT_TRUE(wintest::WaitUntil([&] { return closer.Done(); }, 12000));
    SeenMenu seen = closer.Seen();
    ASSERT_NE(seen.menu, nullptr) << "no menu opened";
    EXPECT_EQ(seen.menu, c.expected);
    EXPECT_EQ(seen.rect.left, at.x + 3);
    EXPECT_EQ(seen.rect.top, at.y + 3);
    wintest::WaitUntil([] { return !wintest::FindTopWindow(L"", GetCurrentProcessId(), L"#32768"); }, 3000);
  }
  // The list's own handling of the clicks went on: the row got selected.
  EXPECT_EQ(PacketListSelection(), 0);
}

// ---------------------------------------------------------------- 复制

void PutUnicodeOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  wcscpy(static_cast<wchar_t*>(GlobalLock(mem)), text.c_str());
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
}

std::string ClipboardBytes() {
  std::string out;
  if (!OpenClipboard(nullptr)) return "<closed>";
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    out = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

std::wstring ClipboardUnicode() {
  std::wstring out;
  if (!OpenClipboard(nullptr)) return L"<closed>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    out = static_cast<const wchar_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

void Select(std::ptrdiff_t row) {
  ListView_SetItemState(MainWindow.packetList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row >= 0)
    ListView_SetItemState(MainWindow.packetList, static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

TEST_F(TrayAboutTest, CopyPutsTheSelectedRowsDestinationInBothForms) {
  PacketListRows().Append({"UDP", "10.0.0.2", "5353", "127.0.0.1", "53", "20", "a"});
  PacketListRows().Append({"TCP", "10.0.0.3", "80", "\xD6\xF7\xBB\xFA", "8080", "20", "b"});  // 主机
  PacketListChanged();
  struct Case {
    int row;
    std::string gbk;
    std::wstring wide;
  } cases[] = {{0, "127.0.0.1", L"127.0.0.1"}, {1, "\xD6\xF7\xBB\xFA", Utf16("主机")}};
  for (const auto& c : cases) {
    PutUnicodeOnClipboard(L"before");
    Select(c.row);
    ASSERT_EQ(PacketListSelection(), c.row);
    SendMessageW(window, WM_COMMAND, kCmdCopyAddress, 0);
    EXPECT_EQ(ClipboardBytes(), c.gbk) << c.row;
    EXPECT_EQ(ClipboardUnicode(), c.wide) << c.row;
  }
}

TEST_F(TrayAboutTest, CopyWithoutAnAddressShowsTheNoticeAndKeepsTheClipboard) {
  PacketListRows().Append({"UDP", "10.0.0.2", "5353", "", "53", "20", "no destination"});
  PacketListChanged();
  for (std::ptrdiff_t row : {-1, 0}) {
    PutUnicodeOnClipboard(L"kept");
    Select(row);
    ASSERT_EQ(PacketListSelection(), row);
    wintest::BoxAnswer notice(Utf16("提示信息"), IDOK);
    SendMessageW(window, WM_COMMAND, kCmdCopyAddress, 0);
    ASSERT_TRUE(notice.Answered()) << row;
    EXPECT_EQ(notice.Text(), Utf16("复制不能为空")) << row;
    EXPECT_EQ(ClipboardUnicode(), L"kept") << row;
  }
}

// ---------------------------------------------------------------- About

// Records every text the About box shows, with its time, from inside the
// main thread (so none is missed, "(0)" included), and can play a user who
// presses OK when a given count shows.
struct AboutRecorder {
  struct Seen {
    std::wstring text;
    ULONGLONG at;
  };
  static inline std::vector<Seen> seen;
  static inline std::wstring pressOkAt;
  static inline int ticks = 0;
  static inline HWND main = nullptr;

  static bool IsAboutBox(HWND hwnd) { return hwnd && wintest::TextOf(hwnd) == Utf16("关于作者"); }
  static void Note(HWND box) {
    std::wstring text = wintest::BoxText(box);
    if (!seen.empty() && seen.back().text == text) return;
    seen.push_back({text, GetTickCount64()});
    if (!pressOkAt.empty() && text.find(pressOkAt) != std::wstring::npos)
      PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  static LRESULT CALLBACK AfterSend(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION) {
      if (m->message == WM_INITDIALOG && IsAboutBox(m->hwnd)) Note(m->hwnd);
      if (m->message == WM_SETTEXT && GetDlgCtrlID(m->hwnd) == 0xFFFF && IsAboutBox(GetParent(m->hwnd)))
        Note(GetParent(m->hwnd));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static LRESULT CALLBACK OnGet(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && m->message == WM_TIMER && m->hwnd == main &&
        m->wParam == kAboutTimerId)
      ++ticks;
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  explicit AboutRecorder(HWND window) {
    main = window;
    seen.clear();
    pressOkAt.clear();
    ticks = 0;
    send_ = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterSend, nullptr, GetCurrentThreadId());
    get_ = SetWindowsHookExW(WH_GETMESSAGE, OnGet, nullptr, GetCurrentThreadId());
  }
  ~AboutRecorder() {
    UnhookWindowsHookEx(send_);
    UnhookWindowsHookEx(get_);
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> out;
    for (const auto& s : seen) out.push_back(s.text);
    return out;
  }
  HHOOK send_ = nullptr, get_ = nullptr;
};

std::wstring FirstText() {
  return Utf16(TESSIVAR_MAKER_NAME) + Utf16("\r\n\r\n QQ：") + Utf16(TESSIVAR_MAKER_CONTACT);
}
std::wstring CountText(int n) {
  return Utf16(TESSIVAR_MAKER_NAME) + L"   (" + std::to_wstring(n) + L")" + Utf16("\r\n\r\n QQ：") +
         Utf16(TESSIVAR_MAKER_CONTACT);
}

// Opens the About box through the menu command; returns when the box has closed.
void RunAbout(HWND window) {
  Watchdog watchdog(15000, [] {
    if (HWND box = wintest::FindTopWindow(Utf16("关于作者"), GetCurrentProcessId(), L"#32770"))
      PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
  EXPECT_FALSE(watchdog.fired) << "the box did not close by itself";
}

void ExpectSecondApart(const std::vector<AboutRecorder::Seen>& seen) {
  for (size_t i = 1; i < seen.size(); ++i)
    EXPECT_GE(seen[i].at - seen[i - 1].at, 800u) << "step " << i;
}

TEST_F(TrayAboutTest, UntouchedBoxCountsDownAndClosesItselfWhileHiddenLeavingOthersAlone) {
  // A box of another thread with the same title is not the program's box.
  std::thread stranger([] {
    MessageBoxW(nullptr, L"stranger", Utf16("关于作者").c_str(), MB_OK | MB_TASKMODAL);
  });
  HWND other = nullptr;
  ASSERT_TRUE(wintest::WaitUntil([&] {
    return (other = wintest::FindTopWindow(Utf16("关于作者"), GetCurrentProcessId(), L"#32770")) != nullptr;
  }));

  Tray(WM_LBUTTONUP);
  ASSERT_FALSE(IsWindowVisible(window));
  AboutRecorder recorder(window);
  RunAbout(window);
  std::vector<std::wstring> expected = {FirstText()};
  for (int n = 5; n >= 0; --n) expected.push_back(CountText(n));
  EXPECT_EQ(recorder.Texts(), expected);
  ExpectSecondApart(recorder.seen);
  EXPECT_EQ(AboutCountdown, 6);
  EXPECT_FALSE(IsWindowVisible(window));

  EXPECT_EQ(wintest::BoxText(other), L"stranger");
  EXPECT_TRUE(IsWindowVisible(other));
  PostMessageW(other, WM_COMMAND, IDOK, 0);
  stranger.join();
}

TEST_F(TrayAboutTest, BoxClosedAtThreeLeavesTheCountForTheNextBox) {
  AboutRecorder recorder(window);
  recorder.pressOkAt = L"(3)";
  RunAbout(window);
  EXPECT_EQ(recorder.Texts(), (std::vector<std::wstring>{FirstText(), CountText(5), CountText(4), CountText(3)}));
  // The next tick finds no box: it stops, and the count stays.
  const int ticks = AboutRecorder::ticks;
  ASSERT_TRUE(wintest::WaitUntil([&] { return AboutRecorder::ticks > ticks; }, 3000));
  EXPECT_EQ(AboutCountdown, 3);

  AboutRecorder::seen.clear();
  AboutRecorder::pressOkAt.clear();
  RunAbout(window);
  EXPECT_EQ(recorder.Texts(), (std::vector<std::wstring>{FirstText(), CountText(2), CountText(1), CountText(0)}));
  ExpectSecondApart(recorder.seen);
  EXPECT_EQ(AboutCountdown, 6);
}

}  // namespace
