#include "app/Notice.h"

#include <windows.h>

#include "app/ProgramTexts.h"
#include "app/WinText.h"

namespace {

using MessageBoxTimeoutFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT, WORD, DWORD);
constexpr DWORD kNoticeMs = 3000;

// Without the user32 export: a plain box that a thread timer closes.
std::wstring g_fallbackTitle;
BOOL CALLBACK CloseNoticeBox(HWND hwnd, LPARAM) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32770") == 0 && WindowTextW(hwnd) == g_fallbackTitle) {
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
  }
  return TRUE;
}
void CALLBACK NoticeTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EnumThreadWindows(GetCurrentThreadId(), CloseNoticeBox, 0);
}

void Show(const std::wstring& text) {
  const std::wstring title = W(texts::kNoticeTitle);
  static auto timeoutBox = reinterpret_cast<MessageBoxTimeoutFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "MessageBoxTimeoutW")));
  if (timeoutBox) {
    timeoutBox(nullptr, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL, 0, kNoticeMs);
    return;
  }
  g_fallbackTitle = title;
  UINT_PTR timer = SetTimer(nullptr, 0, kNoticeMs, NoticeTimer);
  MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
  KillTimer(nullptr, timer);
}

}  // namespace

void ShowNotice(std::string_view utf8Text) { Show(W(utf8Text)); }
void ShowNoticeGbk(std::string_view gbkText) { Show(WideOf(gbkText)); }
