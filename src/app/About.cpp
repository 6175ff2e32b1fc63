#include "app/About.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "BuildConfig.h"
#include "app/MainWindow.h"
#include "app/WinText.h"
#include "common/CodePage.h"

namespace {

constexpr std::string_view kAboutTitle = "关于作者";
constexpr UINT kTickMs = 1000;
constexpr int kBoxTextId = 0xFFFF;  // the message control of a standard box

Text ContactLine() { return codepage::Gbk("\r\n\r\n QQ：") + codepage::Gbk(TESSIVAR_MAKER_CONTACT); }

struct BoxSearch {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<BoxSearch*>(lp);
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32770") != 0 || WindowTextW(hwnd) != search->title) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// Only the box this thread opened: another program's window with the same
// title must never be rewritten or sent a key.
HWND OwnAboutBox() {
  BoxSearch search{W(kAboutTitle)};
  EnumThreadWindows(GetCurrentThreadId(), MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

Text AboutFirstText() { return codepage::Gbk(TESSIVAR_MAKER_NAME) + ContactLine(); }

Text AboutCountdownText(int count) {
  return codepage::Gbk(TESSIVAR_MAKER_NAME) + "   (" + std::to_string(count) + ")" + ContactLine();
}

void ShowAbout() {
  SetTimer(MainWindow.window, kAboutTimerId, kTickMs, nullptr);
  MessageBoxW(nullptr, WideOf(AboutFirstText()).c_str(), W(kAboutTitle).c_str(), MB_OK | MB_TASKMODAL);
}

void AboutTick() {
  HWND box = OwnAboutBox();
  if (!box) {
    // Closed by the user: the count keeps what it reached for the next box.
    KillTimer(MainWindow.window, kAboutTimerId);
    return;
  }
  --AboutCountdown;
  SetDlgItemTextW(box, kBoxTextId, WideOf(AboutCountdownText(AboutCountdown)).c_str());
  if (AboutCountdown == 0) {
    // Enter acts on the box's default button, OK.
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    KillTimer(MainWindow.window, kAboutTimerId);
    AboutCountdown = 6;
  }
}
