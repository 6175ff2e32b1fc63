// One user's whole session with Tessivar, driven from outside the process as a
// user would: capture loopback datagrams, convert a row, save and copy the
// result, hide and show the window from the tray, watch the About box count
// down, and close. Runs in a fresh Wine prefix as root (scripts/journey.sh).
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConversionWindow.h"
#include "app/MainWindow.h"
#include "app/Tray.h"
#include "support/WinTestSupport.h"

namespace {

using wintest::Utf16;

constexpr int kKindColumn = 0, kSourceColumn = 1, kDestinationColumn = 3, kPortColumn = 4, kDataColumn = 6;

std::string Encode(UINT codePage, const std::wstring& text) {
  std::string bytes(text.size() * 4, '\0');
  bytes.resize(static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                                       bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                       nullptr)));
  return bytes;
}

void TypeInto(HWND box, const std::wstring& keys) {
  for (wchar_t c : keys) PostMessageW(box, WM_CHAR, c, 1);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  CloseClipboard();
  return true;
}

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& by) {
  std::vector<std::wstring> parts;
  size_t from = 0;
  for (size_t at; (at = text.find(by, from)) != std::wstring::npos; from = at + by.size())
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST(Journey, CaptureConvertSaveCopyTrayAboutAndClose) {
  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  std::wstring folder;
  wintest::Process app;
  HWND main = wintest::StartProgramCopy(app, L"journey", &folder);
  ASSERT_NE(main, nullptr);
  const DWORD pid = app.Id();
  HWND list = GetDlgItem(main, kIdPacketList);
  HWND start = GetDlgItem(main, kIdStartButton);
  HWND countBox = GetDlgItem(main, kIdCountBox);
  HWND addressBox = GetDlgItem(main, kIdAddressBox);
  wintest::RemoteMemory remote(pid);

  // The address typed into the drop-down's edit field; the count box keeps
  // only the digits of what is typed.
  HWND addressEdit = FindWindowExW(addressBox, nullptr, L"Edit", nullptr);
  ASSERT_NE(addressEdit, nullptr);
  SendMessageW(addressEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  TypeInto(addressEdit, L"127.0.0.1");
  SendMessageW(countBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  TypeInto(countBox, L"1x500");
  ASSERT_TRUE(wintest::WaitUntil([&] {
    return wintest::EditText(addressBox) == L"127.0.0.1" && wintest::EditText(countBox) == L"1500";
  })) << "address '" << testing::PrintToString(wintest::EditText(addressBox)) << "' count '"
      << testing::PrintToString(wintest::EditText(countBox)) << "'";

  PostMessageW(start, BM_CLICK, 0, 0);
  ASSERT_TRUE(wintest::WaitUntil([&] { return wintest::TextOf(start) == Utf16("停止") && !IsWindowEnabled(start); }));

  // A datagram whose header holds a lone CR or LF byte is listed with an
  // empty text cell (the text cannot be unescaped); such a one is sent again,
  // as its next header differs.
  struct Datagram {
    const char* name;
    std::string payload;
    std::wstring shown;  // part of its text cell
    u_short port = 0;
    UINT_PTR receiver = INVALID_SOCKET;
    int row = -1;
  };
  // Each text starts with "> ": a last header byte that is a lead byte may
  // take the ">", never the space, so the text itself is read from its start.
  std::vector<Datagram> datagrams = {
      {"Big5", "> Big5 " + Encode(950, Utf16("繁體中文")), L"Big5 "},
      {"UTF-8", "> UTF-8 " + Encode(CP_UTF8, Utf16("中文")), L"UTF-8 "},
      {"%u", "> percent %u4E2D%u6587", Utf16("percent 中文")},   // decoded as it is listed
      {"\\u", "> backslash \\u4e2d\\u6587", Utf16("backslash 中文")},
  };
  // Finds the datagram's row; counts the rows listed for its port.
  auto findRow = [&](Datagram& d, int* listed) {
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    *listed = 0;
    for (int i = 0; i < rows; ++i) {
      if (remote.Cell(list, i, kPortColumn) != std::to_wstring(d.port)) continue;
      ++*listed;
      if (Contains(remote.Cell(list, i, kDataColumn), d.shown)) d.row = i;
    }
    return d.row >= 0;
  };
  // Receivers on the ports, so no port-unreachable answers join the list.
  for (auto& d : datagrams) d.receiver = wintest::BoundUdp(&d.port);
  for (auto& d : datagrams) {
    SCOPED_TRACE(d.name);
    int listed = 0;
    for (int sent = 1; sent <= 5 && d.row < 0; ++sent) {
      wintest::SendUdp(d.port, d.payload);
      wintest::WaitUntil([&] { return findRow(d, &listed) || listed >= sent; }, 10000);
    }
    ASSERT_GE(d.row, 0);
    EXPECT_EQ(remote.Cell(list, d.row, kKindColumn), L"UDP");
    EXPECT_EQ(remote.Cell(list, d.row, kSourceColumn), L"127.0.0.1");
    EXPECT_EQ(remote.Cell(list, d.row, kDestinationColumn), L"127.0.0.1");
  }
  for (auto& d : datagrams) closesocket(static_cast<SOCKET>(d.receiver));

  // The loop wakes on any message; these only hurry it to the count.
  ASSERT_TRUE(wintest::WaitUntil([&] {
    PostMessageW(main, WM_NULL, 0, 0);
    return wintest::TextOf(start) == Utf16("开始") && IsWindowEnabled(start);
  }, 60000));
  EXPECT_EQ(wintest::EditText(countBox), L"1500");
  const int rowsAtEnd = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_GE(rowsAtEnd, 4);

  // Double click on a row opens the conversion menu; its first entry holds
  // the nine conversions.
  auto convertRow = [&](const Datagram& d, std::initializer_list<WPARAM> keys) {
    RECT r = remote.RowRect(list, d.row);
    wintest::DoubleClickListAt(list, POINT{r.left + 30, (r.top + r.bottom) / 2});
    return wintest::PressMenuKeys(pid, keys);
  };
  HWND conversion = nullptr, box = nullptr;
  // "Big5到简体" is the third conversion.
  ASSERT_TRUE(convertRow(datagrams[0], {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}));
  ASSERT_TRUE(wintest::WaitUntil([&] {
    conversion = FindWindowW(kConversionWindowClass, nullptr);
    box = conversion ? GetDlgItem(conversion, kIdDataBox) : nullptr;
    return box && IsWindowVisible(conversion) && Contains(wintest::EditText(box), Utf16("Big5 繁体中文"));
  }, 15000)) << "conversion window text: " << testing::PrintToString(box ? wintest::EditText(box) : L"");
  const std::wstring big5Result = wintest::EditText(box);

  // "Utf8到Gb2312", the fifth; its result is appended to the first.
  ASSERT_TRUE(convertRow(datagrams[1], {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  ASSERT_TRUE(wintest::WaitUntil([&] {
    std::wstring text = wintest::EditText(box);
    return text.size() > big5Result.size() && Contains(text.substr(big5Result.size()), Utf16("UTF-8 中文"));
  }, 15000)) << testing::PrintToString(wintest::EditText(box));
  EXPECT_EQ(wintest::EditText(box).substr(0, big5Result.size()), big5Result);

  // "一键转换" from any row shows the eight views of the last text command's
  // row (the UTF-8 one), in place of the whole text.
  ASSERT_TRUE(convertRow(datagrams[2], {VK_DOWN, VK_DOWN, VK_RETURN}));
  // A view whose last byte is a lead byte takes the line break after it when
  // shown, so the views are told apart by their texts, not by splitting.
  std::wstring views;
  const std::wstring utf8Text = Utf16("UTF-8 中文");
  ASSERT_TRUE(wintest::WaitUntil([&] {
    views = wintest::EditText(box);
    return !Contains(views, Utf16("Big5 繁体中文")) && views.size() > utf8Text.size() &&
           views.substr(views.size() - utf8Text.size()) == utf8Text;
  }, 15000)) << testing::PrintToString(wintest::EditText(box));
  // Utf8到Gb2312 (the fifth view) and Utf8到Ansi (the last) read it as UTF-8.
  EXPECT_EQ(Split(views, utf8Text).size(), 3u) << testing::PrintToString(views);
  EXPECT_GE(Split(views, L"\r\n\r\n").size(), 6u);

  // "保存": the box's text as GBK bytes, no byte-order mark, in the program's folder.
  const std::wstring shown = wintest::EditText(box);
  {
    wintest::BoxAnswer saved(Utf16("提示信息"), IDOK, pid);
    PostMessageW(conversion, WM_COMMAND, kCmdSaveData, 0);
    ASSERT_TRUE(saved.Answered());
    EXPECT_EQ(saved.Text(), Utf16("已保存在同目录"));
  }
  const std::string file = wintest::ReadFileBytes(folder + L"\\" + Utf16("数据文件.txt"));
  EXPECT_EQ(file, Encode(936, shown));
  EXPECT_NE(file.find("UTF-8 \xD6\xD0\xCE\xC4"), std::string::npos);
  EXPECT_NE(file.substr(0, 3), "\xEF\xBB\xBF");

  // "复制" puts the selected text on the clipboard.
  ASSERT_TRUE(wintest::WaitUntil(EmptyTheClipboard));
  SendMessageW(box, EM_SETSEL, 0, -1);
  PostMessageW(conversion, WM_COMMAND, kCmdCopySelection, 0);
  EXPECT_TRUE(wintest::WaitUntil([&] { return ClipboardText() == shown; }))
      << testing::PrintToString(ClipboardText());

  // A click on the tray icon hides the main window, the next shows it again.
  PostMessageW(main, WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONUP);
  EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindowVisible(main); }));
  PostMessageW(main, WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONUP);
  EXPECT_TRUE(wintest::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));

  // The About box counts down once a second and closes itself at zero.
  PostMessageW(main, WM_COMMAND, kCmdAbout, 0);
  HWND about = nullptr;
  ASSERT_TRUE(wintest::WaitUntil([&] { return (about = wintest::FindTopWindow(Utf16("关于作者"), pid, L"#32770")) != nullptr; }));
  std::vector<std::wstring> seen;
  EXPECT_TRUE(wintest::WaitUntil([&] {
    if (!IsWindow(about)) return true;
    std::wstring text = wintest::BoxText(about);
    if (seen.empty() || seen.back() != text) seen.push_back(text);
    return false;
  }, 15000));
  bool counted = false;
  for (const auto& text : seen) counted = counted || Contains(text, L"(3)");
  EXPECT_TRUE(counted) << testing::PrintToString(seen);

  // Close, confirmed with OK: the program ends with exit code 0.
  {
    wintest::BoxAnswer ok(Utf16("关闭嗅探器"), IDOK, pid);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ok.Answered());
  }
  DWORD code = 99;
  ASSERT_TRUE(app.WaitExit(15000, &code));
  EXPECT_EQ(code, 0u);
  WSACleanup();
}

}  // namespace
