// Endurance under Wine (run as root): Tessivar captures 127.0.0.1 while this
// program paces UDP datagrams (100-byte payloads) to it, clears the list once
// a minute and then prints the process's memory, handle count and thread count.
//   win_soak.exe [MINUTES=10] [RATE=5000]
// After the first minute none of the figures should grow.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/MainWindow.h"
#include "support/WinTestSupport.h"

namespace {

int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

DWORD ThreadCount(DWORD pid) {
  DWORD count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == pid) ++count;
  CloseHandle(snapshot);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? atoi(argv[1]) : 10;
  const int rate = argc > 2 ? atoi(argv[2]) : 5000;
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  std::wstring folder = wintest::FreshFolder(L"soak");
  std::wstring exe = folder + L"\\Tessivar.exe";
  CopyFileW((wintest::BinFolder() + L"\\Tessivar.exe").c_str(), exe.c_str(), FALSE);
  wintest::Process app;
  if (!app.Start(L"\"" + exe + L"\"", folder)) return 1;
  HWND main = nullptr;
  if (!wintest::WaitUntil([&] { return (main = wintest::MainWindowOf(app.Id())) != nullptr; }, 30000)) return 1;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.Id());
  HWND list = GetDlgItem(main, kIdPacketList);
  HWND start = GetDlgItem(main, kIdStartButton);
  SetWindowTextW(GetDlgItem(main, kIdAddressBox), L"127.0.0.1");
  SetWindowTextW(GetDlgItem(main, kIdCountBox), L"2000000000");
  PostMessageW(start, BM_CLICK, 0, 0);
  if (!wintest::WaitUntil([&] { return !IsWindowEnabled(start); })) return 1;

  // A bound receiver keeps port-unreachable answers out of the traffic.
  u_short port = 0;
  SOCKET receiver = static_cast<SOCKET>(wintest::BoundUdp(&port));
  std::atomic<bool> sending{true};
  std::atomic<long> sent{0};
  std::thread sender([&] {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char payload[100];
    memset(payload, 's', sizeof payload);
    const ULONGLONG t0 = GetTickCount64();
    while (sending) {
      const long due = static_cast<long>((GetTickCount64() - t0) * static_cast<ULONGLONG>(rate) / 1000);
      while (sent < due) {
        sendto(s, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        ++sent;
      }
      Sleep(1);
    }
    closesocket(s);
  });

  printf("%-7s %-9s %-9s %-14s %-14s %-8s %s\n", "minute", "sent", "listed", "private (KB)", "working (KB)",
         "handles", "threads");
  fflush(stdout);
  long sentBefore = 0;
  const ULONGLONG t0 = GetTickCount64();
  for (int minute = 1; minute <= minutes; ++minute) {
    const ULONGLONG due = t0 + static_cast<ULONGLONG>(minute) * 60000;
    // Keeps this thread's queue served while the minute passes.
    wintest::WaitUntil([&] { return GetTickCount64() >= due; }, 61000);
    const int listed = Rows(list);
    const long sentNow = sent;
    {
      wintest::BoxAnswer yes(wintest::Utf16("提示信息"), IDYES, app.Id());
      PostMessageW(GetDlgItem(main, kIdClearButton), BM_CLICK, 0, 0);
      if (!yes.Answered()) {
        printf("the clear confirmation did not come\n");
        break;
      }
    }
    wintest::WaitUntil([&] { return Rows(list) < listed / 10 + 100; }, 10000);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    printf("%-7d %-9ld %-9d %-14zu %-14zu %-8lu %lu\n", minute, sentNow - sentBefore, listed,
           memory.PrivateUsage / 1024, memory.WorkingSetSize / 1024, static_cast<unsigned long>(handles),
           static_cast<unsigned long>(ThreadCount(app.Id())));
    fflush(stdout);
    sentBefore = sentNow;
  }
  sending = false;
  sender.join();
  closesocket(receiver);
  CloseHandle(process);
  app.Kill();
  return 0;
}
