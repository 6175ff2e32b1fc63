// Tessivar capturing real loopback traffic under Wine (needs root for raw sockets).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/WinText.h"
#include "capture/RowDecoder.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {



using Row = std::vector<std::wstring>;

Row ExpectedRow(const std::string& datagram) {
  Row row;
  auto kind = ClassifyDatagram(datagram);
  if (!kind) return row;
  DecodedRow d = DecodeRow(*kind, datagram);
  for (const Text& cell : d.cells) row.push_back(WideOf(cell));
  return row;
}

// Our own raw sockets see the same datagrams, so every expected row is known
// to the byte, header included.
class Witness {
 public:
  Witness() {
    for (int protocol : {IPPROTO_ICMP, IPPROTO_TCP, IPPROTO_UDP}) {
      SOCKET s = socket(AF_INET, SOCK_RAW, protocol);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      sockets_.push_back(s);
    }
  }
  ~Witness() {
    for (SOCKET s : sockets_) closesocket(s);
  }
  bool Ok() const {
    for (SOCKET s : sockets_)
      if (s == INVALID_SOCKET) return false;
    return true;
  }
  void Collect(std::vector<Row>& rows) {
    char buf[65536];
    for (SOCKET s : sockets_)
      for (int n; (n = recv(s, buf, sizeof buf, 0)) >= 0;) rows.push_back(ExpectedRow(std::string(buf, n)));
  }

 private:
  std::vector<SOCKET> sockets_;
};

using wintest::BoundUdp;
using wintest::SendUdp;

class CaptureProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    main_ = wintest::StartProgramCopy(app_, L"capture", &folder_);
    ASSERT_NE(main_, nullptr);
    list_ = GetDlgItem(main_, kIdPacketList);
    start_ = GetDlgItem(main_, kIdStartButton);
    count_ = GetDlgItem(main_, kIdCountBox);
    status_ = GetDlgItem(main_, kIdStatusBar);
    remote_ = std::make_unique<wintest::RemoteMemory>(app_.Id());
  }
  void TearDown() override {
    if (app_.Running() && main_) {
      wintest::BoxAnswer ok(Utf16("关闭嗅探器"), IDOK, app_.Id());
      PostMessageW(main_, WM_CLOSE, 0, 0);
      ok.Answered();
      DWORD code = 99;
      EXPECT_TRUE(app_.WaitExit(15000, &code));
      EXPECT_EQ(code, 0u);
    }
    WSACleanup();
  }
  int Rows() { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  Row ListRow(int row) {
    Row r;
    for (int c = 0; c < 7; ++c) r.push_back(remote_->Cell(list_, row, c));
    return r;
  }
  // The first listed row matching the kind and destination port.
  int FindRow(const wchar_t* kind, const std::wstring& port) {
    for (int i = 0; i < Rows(); ++i)
      if (remote_->Cell(list_, i, 0) == kind && (port.empty() || remote_->Cell(list_, i, 4) == port)) return i;
    return -1;
  }
  bool Capturing() { return wintest::TextOf(start_) == Utf16("停止") && !IsWindowEnabled(start_); }
  bool Idle() { return wintest::TextOf(start_) == Utf16("开始") && IsWindowEnabled(start_); }
  int Passes() {
    std::wstring s = remote_->StatusPart(status_, 1);
    size_t at = s.rfind(L' ');
    return at == std::wstring::npos ? -1 : _wtoi(s.c_str() + at + 1);
  }
  // Ends the capture by the count: a count a little above the passes so far,
  // with messages that wake the loop until it gets there.
  bool EndByCount() {
    int target = Passes() + 15;
    SetWindowTextW(count_, std::to_wstring(target).c_str());
    return wintest::WaitUntil([&] {
      PostMessageW(main_, WM_NULL, 0, 0);
      return Idle();
    }, 30000);
  }

  std::wstring folder_;
  wintest::Process app_;
  HWND main_ = nullptr, list_ = nullptr, start_ = nullptr, count_ = nullptr, status_ = nullptr;
  std::unique_ptr<wintest::RemoteMemory> remote_;
};

bool Contains(const std::vector<Row>& rows, const Row& row) {
  for (const Row& r : rows)
    if (r == row) return true;
  return false;
}

TEST_F(CaptureProcess, ListsUdpTcpAndIcmpAndEndsAtTheCount) {
  Witness witness;
  ASSERT_TRUE(witness.Ok()) << "raw sockets need root";
  SetWindowTextW(GetDlgItem(main_, kIdAddressBox), L"127.0.0.1");
  SetWindowTextW(count_, L"100000");
  PostMessageW(start_, BM_CLICK, 0, 0);
  ASSERT_TRUE(wintest::WaitUntil([&] { return Capturing(); }));

  u_short udpPort = 0;
  SOCKET receiver = BoundUdp(&udpPort);
  SendUdp(udpPort, "hello from the loopback");
  // Nobody listens on this port: the answer is an ICMP port-unreachable.
  u_short closedPort = 0;
  closesocket(BoundUdp(&closedPort));
  SendUdp(closedPort, "to a closed port");

  SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(server, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(server, 1);
  int len = sizeof a;
  getsockname(server, reinterpret_cast<sockaddr*>(&a), &len);
  const u_short tcpPort = ntohs(a.sin_port);
  SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  send(client, "tcp payload", 11, 0);

  ASSERT_TRUE(wintest::WaitUntil([&] {
    return FindRow(L"UDP", std::to_wstring(udpPort)) >= 0 && FindRow(L"TCP", std::to_wstring(tcpPort)) >= 0 &&
           FindRow(L"IOMP", L"") >= 0;
  }, 20000));
  std::vector<Row> expected;
  ASSERT_TRUE(wintest::WaitUntil([&] {
    witness.Collect(expected);
    Row udp = ListRow(FindRow(L"UDP", std::to_wstring(udpPort)));
    Row tcp = ListRow(FindRow(L"TCP", std::to_wstring(tcpPort)));
    Row icmp = ListRow(FindRow(L"IOMP", L""));
    return Contains(expected, udp) && Contains(expected, tcp) && Contains(expected, icmp);
  }, 10000));
  Row udp = ListRow(FindRow(L"UDP", std::to_wstring(udpPort)));
  EXPECT_EQ(udp[1], L"127.0.0.1");
  EXPECT_EQ(udp[3], L"127.0.0.1");
  // The status bar shows the last kind and the passes.
  EXPECT_GT(Passes(), 0);

  closesocket(client);
  closesocket(server);
  closesocket(receiver);

  ASSERT_TRUE(EndByCount());
  EXPECT_EQ(remote_->StatusPart(status_, 0), Utf16("监听状态："));
  EXPECT_GT(Rows(), 0);  // the rows stay
}

TEST_F(CaptureProcess, ClearDuringACaptureEmptiesTheListAndTheCaptureGoesOn) {
  SetWindowTextW(GetDlgItem(main_, kIdAddressBox), L"127.0.0.1");
  SetWindowTextW(count_, L"100000");
  PostMessageW(start_, BM_CLICK, 0, 0);
  ASSERT_TRUE(wintest::WaitUntil([&] { return Capturing(); }));
  u_short port = 0;
  SOCKET receiver = BoundUdp(&port);
  SendUdp(port, "before clearing");
  ASSERT_TRUE(wintest::WaitUntil([&] { return FindRow(L"UDP", std::to_wstring(port)) >= 0; }, 20000));
  {
    wintest::BoxAnswer yes(Utf16("提示信息"), IDYES, app_.Id());
    PostMessageW(GetDlgItem(main_, kIdClearButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.Answered());
    EXPECT_EQ(yes.Text(), Utf16("是否全部删除？"));
  }
  ASSERT_TRUE(wintest::WaitUntil([&] { return Rows() == 0 || FindRow(L"UDP", std::to_wstring(port)) < 0; }));
  EXPECT_TRUE(Capturing());
  SendUdp(port, "after clearing");
  ASSERT_TRUE(wintest::WaitUntil([&] { return FindRow(L"UDP", std::to_wstring(port)) >= 0; }, 20000));
  closesocket(receiver);
  ASSERT_TRUE(EndByCount());
}

TEST_F(CaptureProcess, AnAddressThatIsNotLocalIsRefusedWithANotice) {
  struct Case {
    const wchar_t* address;
    const char* reason;
  } cases[] = {{L"abc", "不是有效的IPv4地址：abc"}, {L"192.0.2.77", "不是本机的IPv4地址：192.0.2.77"}};
  for (const auto& c : cases) {
    SetWindowTextW(GetDlgItem(main_, kIdAddressBox), c.address);
    SetWindowTextW(count_, L"5");
    wintest::BoxAnswer notice(Utf16("提示信息"), IDOK, app_.Id());
    PostMessageW(start_, BM_CLICK, 0, 0);
    ASSERT_TRUE(notice.Answered());
    EXPECT_EQ(notice.Text(), Utf16(c.reason));
    EXPECT_TRUE(wintest::WaitUntil([&] { return Idle(); }));
  }
}

}  // namespace
