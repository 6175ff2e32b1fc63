#include <winsock2.h>
#include <mstcpip.h>
#include <windows.h>
#include <commctrl.h>

#include "capture/Capture.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/ProgramTexts.h"
#include "app/StartUp.h"
#include "app/WinText.h"
#include "capture/CaptureState.h"
#include "capture/RowDecoder.h"
#include "common/CodePage.h"

namespace {

// Large enough for any IPv4 datagram, so none is lost for its size.
constexpr int kReceiveBuffer = 65536;
// Room in the kernel for bursts while the workers catch up.
constexpr int kSocketBuffer = 8 << 20;
constexpr DWORD kIntakeIdleMs = 5;

using RowCells = std::array<Text, 7>;

// Decoded rows on their way to the main thread: one posted message per batch.
struct RowBatch {
  std::mutex lock;
  std::vector<RowCells> rows;
  PacketKind lastKind = kKindIp;
  bool posted = false;
} g_batch;

// One running capture: its sockets and the two workers that serve them.
struct CaptureSession {
  std::vector<SOCKET> sockets;
  HANDLE wake = nullptr;  // set by a read notification while the intake sleeps
  HWND notify = nullptr;  // where the read notifications go
  std::atomic<bool> sleeping{false};
  std::atomic<bool> stopping{false};
  std::mutex queueLock;
  std::condition_variable queued;
  std::vector<std::pair<PacketKind, Bytes>> datagrams;
  bool intakeDone = false;
  std::thread intake;
  std::thread decoder;
};

CaptureSession* g_session = nullptr;
bool g_stopRequested = false;
HWND g_countTip = nullptr;

// Datagrams pass from intake to decoder in batches: every hand-over between
// threads costs a round trip to Wine's server, which a datagram must not pay.
constexpr std::size_t kHandOver = 256;

void HandOver(CaptureSession* s, std::vector<std::pair<PacketKind, Bytes>>& pending) {
  if (pending.empty()) return;
  {
    std::lock_guard<std::mutex> g(s->queueLock);
    if (s->datagrams.empty()) {
      s->datagrams.swap(pending);
    } else {
      for (auto& d : pending) s->datagrams.push_back(std::move(d));
    }
  }
  pending.clear();
  s->queued.notify_one();
}

// Receives every datagram waiting on every socket of the capture, then sleeps
// until the next notification.
void IntakeWorker(CaptureSession* s) {
  std::vector<char> buffer(kReceiveBuffer);
  std::vector<std::pair<PacketKind, Bytes>> pending;
  while (!s->stopping) {
    // A notification wakes it at once; the short time-out keeps it reading
    // while the main thread is busy and notifications wait in its queue.
    s->sleeping = true;
    WaitForSingleObject(s->wake, kIntakeIdleMs);
    s->sleeping = false;
    // Each socket is drained before the next: a receive that finds nothing
    // costs as much as one that finds a datagram.
    bool any = true, quiet = false;
    while (any && !s->stopping) {
      any = false;
      for (SOCKET sock : s->sockets) {
        for (;;) {
          int n = recv(sock, buffer.data(), kReceiveBuffer, 0);
          if (n == SOCKET_ERROR) break;  // would block: nothing more for now
          any = true;
          if (!quiet) {
            // Every receive re-arms the read notification, so a flood would
            // post one message per datagram to the main thread, which has
            // nothing to do with them while this loop reads on.
            for (SOCKET each : s->sockets) WSAAsyncSelect(each, s->notify, 0, 0);
            quiet = true;
          }
          Bytes datagram(buffer.data(), static_cast<size_t>(n));
          LastPacket.Store(datagram);
          if (auto kind = ClassifyDatagram(datagram)) pending.emplace_back(*kind, std::move(datagram));
          if (pending.size() >= kHandOver) HandOver(s, pending);
          if (s->stopping) break;
        }
      }
    }
    HandOver(s, pending);
    // Re-armed before sleeping: a socket that already holds a datagram
    // gets its notification at once.
    if (quiet)
      for (SOCKET each : s->sockets) WSAAsyncSelect(each, s->notify, WM_CAPTURE_READ, FD_READ);
  }
  HandOver(s, pending);
  std::lock_guard<std::mutex> g(s->queueLock);
  s->intakeDone = true;
  s->queued.notify_one();
}

// Decodes each datagram from its own buffer and hands rows over in batches.
void DecoderWorker(CaptureSession* s, HWND mainWindow) {
  std::vector<std::pair<PacketKind, Bytes>> work;
  std::vector<RowCells> rows;
  for (;;) {
    {
      std::unique_lock<std::mutex> g(s->queueLock);
      s->queued.wait(g, [s] { return !s->datagrams.empty() || s->intakeDone; });
      if (s->datagrams.empty()) return;
      work.clear();
      work.swap(s->datagrams);
    }
    rows.clear();
    for (auto& [kind, datagram] : work) {
      DecodedRow row = DecodeRow(kind, datagram);
      LastKindName.Store(Text(KindName(kind)));
      LastPacketText.Store(std::move(row.packetText));
      rows.push_back(std::move(row.cells));
    }
    bool post = false;
    {
      std::lock_guard<std::mutex> g(g_batch.lock);
      for (auto& cells : rows) g_batch.rows.push_back(std::move(cells));
      g_batch.lastKind = work.back().first;
      post = !g_batch.posted;
      g_batch.posted = true;
    }
    if (post) PostMessageW(mainWindow, WM_ROWS_READY, 0, 0);
  }
}

// While the intake is reading, a notification has nothing to add: it will
// read on until the sockets are empty.
void WakeIntake() {
  if (g_session && g_session->sleeping.exchange(false)) SetEvent(g_session->wake);
}

LRESULT CALLBACK StartButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_CAPTURE_READ) {
    WakeIntake();
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void SetStartCaption(std::string_view utf8, bool enabled) {
  SetWindowTextW(MainWindow.startButton, W(utf8).c_str());
  EnableWindow(MainWindow.startButton, enabled);
}

// Opens the raw socket(s) on the address; the reason in Chinese when none opens.
bool OpenSockets(CaptureSession& s, const Text& address, std::string& reason) {
  unsigned long ip = inet_addr(address.c_str());
  if (ip == INADDR_NONE) {
    reason = "不是有效的IPv4地址：" + codepage::Utf8FromGbk(address);
    return false;
  }
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = ip;
  int lastError = 0;
  auto open = [&](int protocol) -> SOCKET {
    SOCKET sock = socket(AF_INET, SOCK_RAW, protocol);
    if (sock == INVALID_SOCKET) {
      lastError = WSAGetLastError();
      return INVALID_SOCKET;
    }
    if (bind(sock, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
      lastError = WSAGetLastError();
      closesocket(sock);
      return INVALID_SOCKET;
    }
    return sock;
  };
  // Receive-all on one socket of every protocol where the system offers it;
  // otherwise one socket per listed protocol.
  SOCKET all = open(IPPROTO_IP);
  if (all != INVALID_SOCKET) {
    DWORD on = 1, out = 0, returned = 0;
    if (WSAIoctl(all, SIO_RCVALL, &on, sizeof on, &out, sizeof out, &returned, nullptr, nullptr) == 0)
      s.sockets.push_back(all);
    else
      closesocket(all);
  }
  if (s.sockets.empty()) {
    for (int protocol : {IPPROTO_ICMP, IPPROTO_TCP, IPPROTO_UDP}) {
      SOCKET sock = open(protocol);
      if (sock != INVALID_SOCKET) s.sockets.push_back(sock);
    }
  }
  if (s.sockets.empty()) {
    if (lastError == WSAEACCES)
      reason = "无法打开原始套接字：监听需要管理员权限。";
    else if (lastError == WSAEADDRNOTAVAIL)
      reason = "不是本机的IPv4地址：" + codepage::Utf8FromGbk(address);
    else
      reason = "无法打开监听套接字（错误 " + std::to_string(lastError) + "）。";
    return false;
  }
  for (SOCKET sock : s.sockets) {
    int size = kSocketBuffer;
    setsockopt(sock, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    WSAAsyncSelect(sock, MainWindow.startButton, WM_CAPTURE_READ, FD_READ);
  }
  s.notify = MainWindow.startButton;
  return true;
}

void StopSession(CaptureSession* s) {
  s->stopping = true;
  SetEvent(s->wake);
  s->intake.join();
  s->decoder.join();
  // The workers are done with the sockets: now they can go.
  for (SOCKET sock : s->sockets) closesocket(sock);
  CloseHandle(s->wake);
  g_session = nullptr;
  delete s;
  TakeDecodedRows();
}

bool CaptureEnded() { return g_stopRequested || !MainWindow.window; }

void CaptureLoop() {
  MSG msg{};
  for (;;) {
    ++ListenCount;
    Text status = *LastKindName.Load() + "   " + std::to_string(ListenCount);
    SetStatusText(1, status);
    WaitMessage();
    if (PeekMessageW(&msg, MainWindow.window, 887, 889, PM_REMOVE) && msg.message == WM_CAPTURE_READ)
      WakeIntake();
    Sleep(10);
    if (CaptureEnded()) return;
    if (ReadCount(WindowTextGbk(MainWindow.countBox)) == ListenCount) {
      StartStop();
      return;
    }
    app::ProcessPendingMessages();
    if (CaptureEnded()) return;
  }
}

void OpenCaptureSocket() {
  Text address = WindowTextGbk(MainWindow.addressBox);
  auto* session = new CaptureSession;
  std::string reason;
  if (!OpenSockets(*session, address, reason)) {
    delete session;
    ShowNotice(reason);
    SetStartCaption(texts::kStart, true);
    return;
  }
  session->wake = CreateEventW(nullptr, FALSE, TRUE, nullptr);  // set: read what is already there
  g_session = session;
  g_stopRequested = false;
  session->intake = std::thread(IntakeWorker, session);
  session->decoder = std::thread(DecoderWorker, session, MainWindow.window);
  CaptureLoop();
  StopSession(session);
  app::ProcessPendingMessages();
}

}  // namespace

void StartStop() {
  if (WindowTextW(MainWindow.countBox).empty()) {
    SetFocus(MainWindow.countBox);
    AttachCountTooltip();
    return;
  }
  if (WindowTextW(MainWindow.addressBox).empty()) {
    SetStartCaption(texts::kStart, true);
    return;
  }
  if (WindowTextW(MainWindow.startButton) == W(texts::kStart)) {
    if (g_session) return;  // never a capture inside a capture
    SetStartCaption(texts::kStop, false);
    OpenCaptureSocket();
    return;
  }
  SetStartCaption(texts::kStart, true);
  LastPacket.Store({});
  ListenCount = 0;
  // The running loop ends here too, rather than counting on from 0.
  if (g_session) g_stopRequested = true;
}

void ClearList() {
  if (PacketListRows().Count() == 0) return;
  int answer = MessageBoxW(nullptr, W("是否全部删除？").c_str(), W(texts::kNoticeTitle).c_str(),
                           MB_YESNO | MB_TASKMODAL);
  if (answer != IDYES) return;
  PacketListClear();
  LastPacket.Store({});
  ListenCount = 0;
}

void AttachCountTooltip() {
  if (!MainWindow.countBox) return;
  if (!g_countTip) {
    // Unowned: a topmost pop-up owned by the main window would keep the edge
    // docking from raising it.
    g_countTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  }
  static std::wstring text = W("请输入监听次数");
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP;
  ti.hwnd = MainWindow.window;
  ti.uId = reinterpret_cast<UINT_PTR>(MainWindow.countBox);
  ti.lpszText = text.data();
  if (!SendMessageW(g_countTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)))
    SendMessageW(g_countTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void InstallCaptureNotifications(HWND startButton) {
  SetWindowSubclass(startButton, StartButtonProc, 1, 0);
}

void TakeDecodedRows() {
  // Two vectors take turns, so neither grows again from nothing per batch
  // (under Wine a large block is a fresh mapping every time).
  static std::vector<RowCells> rows;
  rows.clear();
  PacketKind kind;
  {
    std::lock_guard<std::mutex> g(g_batch.lock);
    rows.swap(g_batch.rows);
    kind = g_batch.lastKind;
    g_batch.posted = false;
  }
  if (rows.empty() || !MainWindow.window) return;
  PacketRows& list = PacketListRows();
  for (const RowCells& r : rows) list.Append({r[0], r[1], r[2], r[3], r[4], r[5], r[6]});
  PacketListChanged();
  SetStatusText(1, KindName(kind));
  static HICON picture = ImageList_GetIcon(MainWindow.statusPictures, 0, ILD_TRANSPARENT);
  // Setting the same picture again would only repaint it.
  if (reinterpret_cast<HICON>(SendMessageW(MainWindow.statusBar, SB_GETICON, 1, 0)) != picture)
    SendMessageW(MainWindow.statusBar, SB_SETICON, 1, reinterpret_cast<LPARAM>(picture));
}

void RowsReady() {
  static ULONGLONG lastTake = 0;
  constexpr ULONGLONG kEveryMs = 50;
  const ULONGLONG now = GetTickCount64();
  if (now - lastTake < kEveryMs && MainWindow.window) {
    // The decoder posts nothing more until these rows are taken.
    SetTimer(MainWindow.window, kRowsTimerId, static_cast<UINT>(kEveryMs - (now - lastTake)), nullptr);
    return;
  }
  if (MainWindow.window) KillTimer(MainWindow.window, kRowsTimerId);
  lastTake = now;
  TakeDecodedRows();
}

void ReleaseCaptureState() {
  LastPacket.Release();
  LastKindName.Release();
  LastPacketText.Release();
}
