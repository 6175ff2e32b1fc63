// The updater: started by Tessivar after the user accepts an update, it waits
// for the program to end, downloads the new file, puts it in place keeping the
// old one as a backup, and starts the program again.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "updater/UpdaterWords.h"

namespace {

constexpr wchar_t kTitle[] = L"程序升级";
constexpr wchar_t kWindowClass[] = L"TessivarUpdater";
constexpr wchar_t kProgramWindowClass[] = L"TessivarMainWindow";
constexpr DWORD kWaitForProgramMs = 30000;

HWND g_window = nullptr;
HWND g_progress = nullptr;

struct Failure {
  std::wstring reason;
};

std::wstring ProgramDirectory() {
  wchar_t path[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring dir = path;
  // update.exe lives in "<program directory>\升级文件".
  for (int i = 0; i < 2; ++i) {
    const std::size_t slash = dir.find_last_of(L"\\/");
    if (slash == std::wstring::npos) break;
    dir.resize(slash);
  }
  return dir;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // the update finishes or fails on its own
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void ShowProgressWindow(HINSTANCE instance, const UpdateOrder& order) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);
  g_window = CreateWindowExW(0, kWindowClass, (std::wstring(kTitle) + L" - " + order.fileTitle).c_str(),
                             WS_CAPTION | WS_SYSMENU | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 420, 200,
                             nullptr, nullptr, instance, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND title = CreateWindowExW(0, L"STATIC", order.fileTitle.c_str(), WS_CHILD | WS_VISIBLE, 12, 10, 380, 20,
                               g_window, nullptr, instance, nullptr);
  HWND notes = CreateWindowExW(0, L"STATIC", order.notes.c_str(), WS_CHILD | WS_VISIBLE, 12, 34, 380, 60,
                               g_window, nullptr, instance, nullptr);
  g_progress = CreateWindowExW(0, L"STATIC", L"正在等待原程序退出...", WS_CHILD | WS_VISIBLE, 12, 104, 380, 20,
                               g_window, nullptr, instance, nullptr);
  for (HWND h : {title, notes, g_progress}) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(g_window, SW_SHOWNORMAL);
  Pump();
}

void SetProgress(const std::wstring& text) {
  if (g_progress) SetWindowTextW(g_progress, text.c_str());
  Pump();
}

// The program must have ended and its file must be free before it is replaced.
void WaitForProgramToEnd(const std::wstring& target) {
  const DWORD start = GetTickCount();
  for (;;) {
    bool free = FindWindowW(kProgramWindowClass, nullptr) == nullptr;
    if (free && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      free = file != INVALID_HANDLE_VALUE;
      if (free) CloseHandle(file);
    }
    if (free) return;
    if (GetTickCount() - start > kWaitForProgramMs) throw Failure{L"原程序没有退出，无法替换它的文件。"};
    Pump();
    Sleep(100);
  }
}

std::string Download(const std::wstring& address) {
  HINTERNET session = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                                    INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) throw Failure{L"无法打开网络连接。"};
  HINTERNET request = InternetOpenUrlW(
      session, address.c_str(), L"Accept: */*\r\n", static_cast<DWORD>(-1),
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0);
  if (!request) {
    InternetCloseHandle(session);
    throw Failure{L"无法连接下载地址：" + address};
  }
  std::string body;
  std::wstring problem;
  DWORD status = 0, size = sizeof status;
  if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
      status != 200) {
    problem = L"服务器拒绝了下载（状态 " + std::to_wstring(status) + L"）。";
  }
  DWORD announced = 0;
  size = sizeof announced;
  const bool hasLength =
      HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  if (problem.empty()) {
    char buffer[16384];
    for (;;) {
      DWORD got = 0;
      if (!InternetReadFile(request, buffer, sizeof buffer, &got)) {
        problem = L"下载中断，连接已断开。";
        break;
      }
      if (got == 0) break;
      body.append(buffer, got);
      std::wstring line = L"已接收 " + std::to_wstring(body.size()) + L" 字节";
      if (hasLength) line += L" / " + std::to_wstring(announced) + L" 字节";
      SetProgress(line);
    }
  }
  InternetCloseHandle(request);
  InternetCloseHandle(session);
  if (!problem.empty()) throw Failure{problem};
  if (hasLength && body.size() != announced)
    throw Failure{L"下载不完整：收到 " + std::to_wstring(body.size()) + L" 字节，应为 " +
                  std::to_wstring(announced) + L" 字节。"};
  if (body.empty()) throw Failure{L"下载的文件是空的。"};
  return body;
}

void WriteTemporary(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw Failure{L"无法写入临时文件：" + path};
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() - done > (1u << 20) ? (1u << 20) : bytes.size() - done);
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  ok = FlushFileBuffers(file) && ok;
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(path.c_str());
    throw Failure{L"无法写入临时文件：" + path};
  }
}

bool EndsWithExe(const std::wstring& name) {
  static const wchar_t kExe[] = L".exe";
  if (name.size() < 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    wchar_t c = name[name.size() - 4 + i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != kExe[i]) return false;
  }
  return true;
}

// The old file becomes the backup only once the new one is complete on disk;
// if the new one cannot be moved in, the old one goes back.
void PutInPlace(const std::wstring& target, const std::wstring& temporary) {
  const std::wstring backup = target + L".bak";
  if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
      throw Failure{L"无法放置新文件：" + target};
    return;
  }
  if (!MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw Failure{L"无法备份原文件：" + target};
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    throw Failure{L"无法替换原文件：" + target};
  }
}

bool StartProgram(const std::wstring& directory, const std::wstring& program) {
  std::wstring line = L"\"" + directory + L"\\" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const UpdateOrder order = ReadUpdateOrder(GetCommandLineW());
  if (!order.valid) {
    MessageBoxW(nullptr, L"升级参数不正确，升级程序只能由主程序启动。", kTitle, MB_OK | MB_ICONERROR);
    return 2;
  }
  const std::wstring directory = ProgramDirectory();
  const std::wstring target = directory + L"\\" + order.fileName;
  const std::wstring temporary = target + L".download";
  ShowProgressWindow(instance, order);
  try {
    WaitForProgramToEnd(target);
    SetProgress(L"正在连接...");
    const std::string bytes = Download(order.downloadAddress);
    if (EndsWithExe(order.fileName) && !LooksLikeExecutable(bytes))
      throw Failure{L"下载的文件不是可执行程序。"};
    WriteTemporary(temporary, bytes);
    PutInPlace(target, temporary);
  } catch (const Failure& failure) {
    DeleteFileW(temporary.c_str());
    if (g_window) DestroyWindow(g_window);
    const std::wstring text = L"升级失败：" + failure.reason + L"\r\n\r\n原来的程序没有改动。是否运行原来的程序？";
    if (MessageBoxW(nullptr, text.c_str(), kTitle, MB_YESNO | MB_ICONERROR) == IDYES)
      StartProgram(directory, order.programToStart);
    return 1;
  }
  if (g_window) DestroyWindow(g_window);
  if (!StartProgram(directory, order.programToStart)) {
    MessageBoxW(nullptr, (L"升级完成，但无法启动 " + order.programToStart + L"。").c_str(), kTitle,
                MB_OK | MB_ICONWARNING);
    return 1;
  }
  return 0;
}
