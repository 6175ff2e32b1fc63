// Capture throughput under Wine (run as root): Tessivar captures 127.0.0.1
// while UDP datagrams with 100-byte payloads are paced to it. Prints, per rate,
// the rows listed per datagram sent and the slowest answer of the main window
// to a message during the run.
//   win_capture_bench.exe [SECONDS=10] [CONTROL-FOLDER]
// Without a control folder this program sends, through Wine's sockets, whose
// server it then shares with Tessivar. With one, a host-side sender
// (scripts/bench_capture.sh) paces the datagrams: this program writes
// "go-RATE" (rate, seconds, port) there and waits for "sent-RATE" (the count).
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "app/MainWindow.h"
#include "support/WinTestSupport.h"

namespace {



int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// Hands one paced run to the host-side sender and waits for its count.
long SendFromHost(const std::wstring& folder, int rate, int seconds, u_short port) {
  const std::wstring go = folder + L"\\go-" + std::to_wstring(rate);
  const std::wstring sent = folder + L"\\sent-" + std::to_wstring(rate);
  const std::string order = std::to_string(rate) + " " + std::to_string(seconds) + " " + std::to_string(port) + "\n";
  const std::wstring partial = go + L".part";
  HANDLE f = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wrote = 0;
  WriteFile(f, order.data(), static_cast<DWORD>(order.size()), &wrote, nullptr);
  CloseHandle(f);
  MoveFileW(partial.c_str(), go.c_str());  // the sender never sees half an order
  std::string count;
  wintest::WaitUntil([&] { return !(count = wintest::ReadFileBytes(sent)).empty(); },
                     static_cast<DWORD>(seconds) * 1000 + 30000);
  return count.empty() ? -1 : atol(count.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? atoi(argv[1]) : 10;
  const std::wstring control = argc > 2 ? std::wstring(argv[2], argv[2] + strlen(argv[2])) : std::wstring();
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  wintest::Process app;
  HWND main = wintest::StartProgramCopy(app, L"capture-bench");
  if (!main || !wintest::StartCapture(main, L"127.0.0.1", L"2000000000")) return 1;
  HWND list = GetDlgItem(main, kIdPacketList);

  // A bound receiver keeps port-unreachable answers out of the traffic.
  u_short port = 0;
  SOCKET receiver = static_cast<SOCKET>(wintest::BoundUdp(&port));
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  SOCKET sender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  char payload[100];
  memset(payload, 'p', sizeof payload);

  {
    // A burst that fits the socket's buffer: how fast does the capture drain it?
    const int before = Rows(list);
    const int burst = 3000;
    ULONGLONG t0 = GetTickCount64();
    for (int i = 0; i < burst; ++i) sendto(sender, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ULONGLONG sentAt = GetTickCount64();
    wintest::WaitUntil([&] { return Rows(list) - before >= burst; }, 20000);
    ULONGLONG t1 = GetTickCount64();
    printf("burst of %d: sent in %llu ms, listed %d after %llu ms (%.0f rows/s)\n", burst,
           sentAt - t0, Rows(list) - before, t1 - t0, (Rows(list) - before) * 1000.0 / double(t1 - t0 + 1));
  }
  printf("%-10s %-10s %-10s %-14s %s\n", "rate/s", "sent", "listed", "listed/sent", "slowest answer (ms)");
  for (int rate : {5000, 10000, 20000}) {
    const int before = Rows(list);
    std::atomic<bool> sending{true};
    std::atomic<DWORD> slowest{0};
    std::thread probe([&] {
      while (sending) {
        ULONGLONG t0 = GetTickCount64();
        DWORD_PTR r;
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
        DWORD took = static_cast<DWORD>(GetTickCount64() - t0);
        if (took > slowest) slowest = took;
        Sleep(20);
      }
    });
    long sent = 0;
    if (!control.empty()) {
      sent = SendFromHost(control, rate, seconds, ntohs(to.sin_port));
    } else {
      const ULONGLONG start = GetTickCount64();
      const ULONGLONG end = start + static_cast<ULONGLONG>(seconds) * 1000;
      for (ULONGLONG now = start; now < end; now = GetTickCount64()) {
        const long due = static_cast<long>((now - start) * static_cast<ULONGLONG>(rate) / 1000);
        while (sent < due) {
          sendto(sender, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
          ++sent;
        }
        Sleep(1);
      }
    }
    sending = false;
    probe.join();
    // Rows still on their way: wait until the count stops growing.
    int last = -1, now = Rows(list);
    for (int i = 0; i < 100 && now != last; ++i) {
      Sleep(200);
      last = now;
      now = Rows(list);
    }
    const int listed = now - before;
    printf("%-10d %-10ld %-10d %-14.4f %lu\n", rate, sent, listed, double(listed) / double(sent),
           static_cast<unsigned long>(slowest.load()));
    fflush(stdout);
  }
  closesocket(sender);
  closesocket(receiver);
  app.Kill();
  return 0;
}
