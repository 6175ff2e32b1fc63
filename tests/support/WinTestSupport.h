#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

// Helpers for tests that drive windows under Wine: waiting with a deadline,
// answering modal boxes, starting the program as a separate process.
namespace wintest {

// Runs the program's message handling until cond() holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 10000);

// A visible top-level window of the process with exactly this title (any class
// when cls is null).
HWND FindTopWindow(const std::wstring& title, DWORD pid, const wchar_t* cls = nullptr);
// The text of a message box (its static control 0xFFFF).
std::wstring BoxText(HWND box);
std::wstring TextOf(HWND hwnd);
std::wstring Utf16(const char* utf8);

// Answers the next message box with this title, from a thread of its own, so
// the test thread can sit in the box's modal loop.
class BoxAnswer {
 public:
  BoxAnswer(std::wstring title, int button, DWORD pid = GetCurrentProcessId(), DWORD timeoutMs = 15000);
  ~BoxAnswer();
  // Waits for the thread; true when a box was found and answered.
  bool Answered();
  // Without waiting: has the box been answered yet?
  bool Done() const { return answered_; }
  std::wstring Text();  // the box's text as it was found

 private:
  std::wstring title_;
  int button_;
  DWORD pid_;
  DWORD timeoutMs_;
  std::wstring text_;
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

// A Windows process started from a command line, with its exit code.
class Process {
 public:
  bool Start(const std::wstring& commandLine, const std::wstring& directory);
  ~Process();
  DWORD Id() const { return info_.dwProcessId; }
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode);
  bool Running();
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// The visible main window of the program running as process pid.
HWND MainWindowOf(DWORD pid);
// Starts a copy of the built program in a fresh folder of that name (its data
// file goes next to it) and waits for its main window; null when it does not
// come. The folder's path goes to *folder when asked for.
HWND StartProgramCopy(Process& app, const std::wstring& name, std::wstring* folder = nullptr);
// Puts the address and the count into another process's main window, presses
// Start and waits until the capture runs.
bool StartCapture(HWND main, const wchar_t* address, const wchar_t* count);
// The program inside this test process, as window tests use it: its end does
// not end the process, and 127.0.0.1 is its only local address.
HWND StartProgramHere();
// A whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// Reads texts out of another process's list view and status bar through a
// block of memory in that process (their messages carry pointers).
class RemoteMemory {
 public:
  explicit RemoteMemory(DWORD pid);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  std::wstring Cell(HWND list, int row, int column);
  std::wstring StatusPart(HWND bar, int part);
  // The row's whole rectangle in the list's client coordinates.
  RECT RowRect(HWND list, int row);
  // The first row whose cell in column equals text, or -1.
  int FindRow(HWND list, int column, const std::wstring& text);

 private:
  std::wstring ReadText(size_t offset);
  HANDLE process_;
  void* memory_ = nullptr;
};

// A user's double click at a point of a list view's client area (of any
// process): pointer there, press, release, double click, release.
void DoubleClickListAt(HWND list, POINT at);

// Keys posted to the open pop-up menu of process pid, as a user presses them.
bool PressMenuKeys(DWORD pid, std::initializer_list<WPARAM> keys);

// The text of another process's edit control (WM_GETTEXT is carried across).
std::wstring EditText(HWND edit);

// Loopback UDP: a socket bound to a free port of 127.0.0.1, and one datagram
// sent to a port there. Winsock must be started.
SOCKET BoundUdp(u_short* port);
void SendUdp(u_short port, const std::string& payload);

// The folder of the running test program (the build's bin folder).
std::wstring BinFolder();
// A fresh empty folder for one test, below the temporary folder.
std::wstring FreshFolder(const std::wstring& name);

}  // namespace wintest
