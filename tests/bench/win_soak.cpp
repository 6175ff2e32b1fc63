// Endurance under Wine (run as root): Tessivar captures 127.0.0.1 while this
// program paces UDP datagrams (100-byte payloads) to it, clears the list once
// a minute and then prints the process's memory, handle count and thread count.
//   win_soak.exe [MINUTES=10] [RATE=5000]
// After the first minute none of the figures should grow.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "support/WinTestSupport.h"

namespace {

int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

struct Figures {
  SIZE_T privateBytes = 0, workingSet = 0, virtualBytes = 0;
  ULONG handles = 0, threads = 0;
};

// Wine answers the process list for any process (GetProcessMemoryInfo and
// GetProcessHandleCount only for the caller itself).
Figures FiguresOf(DWORD pid) {
  Figures f;
  using Query = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  while (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) < 0) {
    if (buffer.size() >= (64u << 20)) return f;
    buffer.resize(buffer.size() * 2);
  }
  for (size_t at = 0;;) {
    auto* p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(p->UniqueProcessId) == pid) {
      f.privateBytes = p->PrivatePageCount;
      f.workingSet = p->VirtualMemoryCounters.WorkingSetSize;
      f.virtualBytes = p->VirtualMemoryCounters.VirtualSize;
      f.handles = p->HandleCount;
      f.threads = p->NumberOfThreads;
      return f;
    }
    if (!p->NextEntryOffset) return f;
    at += p->NextEntryOffset;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? atoi(argv[1]) : 10;
  const int rate = argc > 2 ? atoi(argv[2]) : 5000;
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  wintest::Process app;
  HWND main = wintest::StartProgramCopy(app, L"soak");
  if (!main || !wintest::StartCapture(main, L"127.0.0.1", L"2000000000")) return 1;
  HWND list = GetDlgItem(main, kIdPacketList);

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

  printf("%-7s %-9s %-9s %-13s %-13s %-13s %-8s %s\n", "minute", "sent", "listed", "private (KB)",
         "working (KB)", "virtual (KB)", "handles", "threads");
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
    const Figures f = FiguresOf(app.Id());
    printf("%-7d %-9ld %-9d %-13zu %-13zu %-13zu %-8lu %lu\n", minute, sentNow - sentBefore, listed,
           f.privateBytes / 1024, f.workingSet / 1024, f.virtualBytes / 1024, static_cast<unsigned long>(f.handles),
           static_cast<unsigned long>(f.threads));
    fflush(stdout);
    sentBefore = sentNow;
  }
  sending = false;
  sender.join();
  closesocket(receiver);
  app.Kill();
  return 0;
}
