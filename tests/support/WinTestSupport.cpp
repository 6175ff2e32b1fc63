#include <winsock2.h>

#include "support/WinTestSupport.h"

#include <commctrl.h>
#include <shellapi.h>
#include <ws2tcpip.h>

#include <vector>

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/WinText.h"

namespace wintest {

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (cond()) return true;
    if (GetTickCount64() >= deadline) return cond();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) app::HandleMessage(msg);
    // Wake on input or after a short while, whichever comes first.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::wstring TextOf(HWND hwnd) { return WindowTextW(hwnd); }

std::wstring Utf16(const char* utf8) { return W(utf8); }

namespace {
struct FindArgs {
  const std::wstring* title;
  DWORD pid;
  const wchar_t* cls;
  HWND found;
};
BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
  auto* a = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != a->pid || !IsWindowVisible(hwnd)) return TRUE;
  if (a->cls) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, a->cls) != 0) return TRUE;
  }
  if (WindowTextW(hwnd) != *a->title) return TRUE;
  a->found = hwnd;
  return FALSE;
}
}  // namespace

HWND FindTopWindow(const std::wstring& title, DWORD pid, const wchar_t* cls) {
  FindArgs a{&title, pid, cls, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
  return a.found;
}

std::wstring BoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowTextW(text) : std::wstring();
}

BoxAnswer::BoxAnswer(std::wstring title, int button, DWORD pid, DWORD timeoutMs)
    : title_(std::move(title)), button_(button), pid_(pid), timeoutMs_(timeoutMs) {
  thread_ = std::thread([this] {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs_;
    while (GetTickCount64() < deadline) {
      if (HWND box = FindTopWindow(title_, pid_, L"#32770")) {
        text_ = BoxText(box);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
        answered_ = true;
        return;
      }
      Sleep(10);
    }
  });
}

BoxAnswer::~BoxAnswer() {
  if (thread_.joinable()) thread_.join();
}

bool BoxAnswer::Answered() {
  if (thread_.joinable()) thread_.join();
  return answered_;
}

std::wstring BoxAnswer::Text() {
  Answered();
  return text_;
}

bool Process::Start(const std::wstring& commandLine, const std::wstring& directory) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring line = commandLine;
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &si, &info_) != 0;
}

Process::~Process() {
  Kill();
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

bool Process::Running() {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

HWND MainWindowOf(DWORD pid) {
  for (HWND h = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr); h;
       h = FindWindowExW(nullptr, h, kMainWindowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid && IsWindowVisible(h)) return h;
  }
  return nullptr;
}

HWND StartProgramCopy(Process& app, const std::wstring& name, std::wstring* folder) {
  const std::wstring dir = FreshFolder(name);
  const std::wstring exe = dir + L"\\Tessivar.exe";
  if (folder) *folder = dir;
  if (!CopyFileW((BinFolder() + L"\\Tessivar.exe").c_str(), exe.c_str(), FALSE)) return nullptr;
  if (!app.Start(L"\"" + exe + L"\"", dir)) return nullptr;
  HWND main = nullptr;
  WaitUntil([&] { return (main = MainWindowOf(app.Id())) != nullptr; }, 30000);
  return main;
}

bool StartCapture(HWND main, const wchar_t* address, const wchar_t* count) {
  SetWindowTextW(GetDlgItem(main, kIdAddressBox), address);
  SetWindowTextW(GetDlgItem(main, kIdCountBox), count);
  HWND start = GetDlgItem(main, kIdStartButton);
  PostMessageW(start, BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindowEnabled(start); });
}

HWND StartProgramHere() {
  app::testing::SetEndProgramHook([](int) {});
  app::testing::SetAddressResolver([] { return std::vector<Text>{"127.0.0.1"}; });
  return app::StartProgram(GetModuleHandleW(nullptr));
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

namespace {
constexpr int kRemoteChars = 4096;
constexpr size_t kRemoteSize = 64 * 1024;
}  // namespace

RemoteMemory::RemoteMemory(DWORD pid) : process_(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid)) {
  memory_ = VirtualAllocEx(process_, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
  VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  CloseHandle(process_);
}

std::wstring RemoteMemory::Cell(HWND list, int row, int column) {
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kRemoteChars;
  item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + sizeof item);
  WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
  return ReadText(sizeof item);
}

std::wstring RemoteMemory::StatusPart(HWND bar, int part) {
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(memory_));
  return ReadText(0);
}

RECT RemoteMemory::RowRect(HWND list, int row) {
  RECT rect{LVIR_BOUNDS, 0, 0, 0};
  WriteProcessMemory(process_, memory_, &rect, sizeof rect, nullptr);
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
  ReadProcessMemory(process_, memory_, &rect, sizeof rect, nullptr);
  return rect;
}

int RemoteMemory::FindRow(HWND list, int column, const std::wstring& text) {
  const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < rows; ++i)
    if (Cell(list, i, column) == text) return i;
  return -1;
}

std::wstring RemoteMemory::ReadText(size_t offset) {
  std::vector<wchar_t> buf(kRemoteChars + 1, 0);
  ReadProcessMemory(process_, static_cast<char*>(memory_) + offset, buf.data(), kRemoteChars * sizeof(wchar_t), nullptr);
  return buf.data();
}

void DoubleClickListAt(HWND list, POINT at) {
  POINT screen = at;
  ClientToScreen(list, &screen);
  SetCursorPos(screen.x, screen.y);
  // The first press selects the row; the double click acts on it.
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

bool PressMenuKeys(DWORD pid, std::initializer_list<WPARAM> keys) {
  HWND menu = nullptr;
  if (!WaitUntil([&] { return (menu = FindTopWindow(L"", pid, L"#32768")) != nullptr; })) return false;
  // The menu's modal loop reads the keys from its thread's queue, in order.
  for (WPARAM key : keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
  return true;
}

std::wstring EditText(HWND edit) {
  const auto length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto got = SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

UINT_PTR BoundUdp(unsigned short* port) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return s;
}

void SendUdp(unsigned short port, const std::string& payload) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sendto(s, payload.data(), static_cast<int>(payload.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  closesocket(s);
}

std::wstring BinFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L"\\/"));
}

std::wstring FreshFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"tessivar-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  // Leftovers of an earlier run with the same id are removed first.
  SHFILEOPSTRUCTW op{};
  std::wstring from = dir + L'\0';
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

}  // namespace wintest
