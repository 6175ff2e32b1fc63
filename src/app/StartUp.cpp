#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/StartUp.h"

#include "app/ConversionWindow.h"
#include "app/MainWindow.h"
#include "app/ProgramTexts.h"
#include "app/WinText.h"
#include "capture/CaptureState.h"
#include "convert/ConversionCommands.h"
#include "update/Manifest.h"

namespace app {
namespace {

ProgramLocation g_program;
void (*g_endHook)(int) = nullptr;
std::vector<Text> (*g_resolver)() = nullptr;
void (*g_exitCleanup)() = nullptr;

void PrepareProcess() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(1, 0), &wsa);
  OleInitialize(nullptr);
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  g_program.directory = slash == std::wstring::npos ? L"." : path.substr(0, slash);
  g_program.fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
  SetCurrentDirectoryW(g_program.directory.c_str());

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

bool IsProgramWindow(HWND top) {
  return top && (top == MainWindow.window || top == ConversionWindowHandle());
}

// A control that takes Esc for itself (a dropped-down list) keeps it.
bool UsesEscape(HWND target) {
  for (HWND h = target; h; h = GetParent(h)) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    if (lstrcmpiW(cls, WC_COMBOBOXW) == 0) return SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) continue;
    break;
  }
  return false;
}

}  // namespace

const ProgramLocation& Program() { return g_program; }

std::vector<Text> ResolveHostAddresses() {
  if (g_resolver) return g_resolver();
  std::vector<Text> out;
  char name[256] = {};
  if (gethostname(name, sizeof name) != 0) return out;
  hostent* host = gethostbyname(name);
  if (!host || host->h_addrtype != AF_INET || !host->h_addr_list) return out;
  for (char** p = host->h_addr_list; *p; ++p) {
    in_addr a;
    memcpy(&a, *p, sizeof a);
    out.emplace_back(inet_ntoa(a));
  }
  return out;
}

void ExitCleanup() {
  // Each subsystem's shared texts and buffers are released here, in their order.
  ReleaseConversionState();
  LastPacket.Release();
  ReleaseManifestParser();
  LastKindName.Release();
  LastPacketText.Release();
}

void EndProgram(int exitCode) {
  if (g_exitCleanup) {
    auto cleanup = g_exitCleanup;
    g_exitCleanup = nullptr;
    cleanup();
  }
  if (HWND conversion = ConversionWindowHandle()) DestroyWindow(conversion);
  if (MainWindow.window) DestroyWindow(MainWindow.window);
  if (g_endHook) {
    g_endHook(exitCode);
    return;
  }
  ExitProcess(static_cast<UINT>(exitCode));
}

void SingleInstanceGuard(const std::wstring& markerName) {
  HANDLE existing = OpenEventW(EVENT_ALL_ACCESS, FALSE, markerName.c_str());
  if (existing) {
    MessageBoxW(nullptr, W(texts::kAlreadyRunning).c_str(), W(texts::kNoticeTitle).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    EndProgram(0);
    return;
  }
  // The handle stays open for the life of the process: it is the marker.
  CreateEventW(nullptr, FALSE, FALSE, markerName.c_str());
}

void HandleMessage(MSG& msg) {
  HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (IsProgramWindow(top)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && !UsesEscape(msg.hwnd)) {
      SendMessageW(top, WM_CLOSE, 0, 0);
      return;
    }
    if (IsDialogMessageW(top, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) return;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    HandleMessage(msg);
  }
}

HWND StartProgram(HINSTANCE instance) {
  PrepareProcess();
  // The update check's document holder exists before any window.
  g_exitCleanup = ExitCleanup;
  RegisterConversionWindowClass(instance);
  return CreateMainWindow(instance);
}

int RunProgram(HINSTANCE instance) {
  if (!StartProgram(instance)) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) HandleMessage(msg);
  EndProgram(0);
  return 0;
}

namespace testing {
void SetEndProgramHook(void (*hook)(int)) { g_endHook = hook; }
void SetAddressResolver(std::vector<Text> (*resolver)()) { g_resolver = resolver; }
}  // namespace testing

}  // namespace app
