#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/ConversionWindow.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {

int g_exitCode = -1;
std::vector<Text> g_addresses = {"127.0.0.1"};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_exitCode = -1;
    app::testing::SetEndProgramHook([](int code) { g_exitCode = code; });
    app::testing::SetAddressResolver([] { return g_addresses; });
    window = app::StartProgram(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  RECT ClientRectOf(HWND control) {
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  HWND window = nullptr;
};

TEST_F(MainWindowTest, WindowAndControlsStandWhereTheLayoutSays) {
  RECT wr;
  GetWindowRect(window, &wr);
  EXPECT_EQ(wr.right - wr.left, 844);
  EXPECT_EQ(wr.bottom - wr.top, 600);
  EXPECT_EQ(wr.left, (GetSystemMetrics(SM_CXSCREEN) - 844) / 2);
  EXPECT_EQ(wr.top, (GetSystemMetrics(SM_CYSCREEN) - 600) / 2);
  LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(GetMenu(window), nullptr);

  struct Expected {
    HWND control;
    int x, y, w, h;
  } table[] = {
      {MainWindow.packetList, 8, 8, 822, 510},  {MainWindow.countBox, 374, 523, 56, 22},
      {MainWindow.listenLabel, 24, 526, 40, 16},
      {MainWindow.clearButton, 312, 522, 56, 24}, {MainWindow.startButton, 256, 522, 56, 24},
  };
  for (const auto& e : table) {
    RECT rc = ClientRectOf(e.control);
    EXPECT_EQ(rc.left, e.x) << e.x << "," << e.y;
    EXPECT_EQ(rc.top, e.y) << e.x << "," << e.y;
    EXPECT_EQ(rc.right - rc.left, e.w) << e.x << "," << e.y;
    EXPECT_EQ(rc.bottom - rc.top, e.h) << e.x << "," << e.y;
  }
  // The address box: its closed height is the system's for its font.
  RECT address = ClientRectOf(MainWindow.addressBox);
  EXPECT_EQ(address.left, 63);
  EXPECT_EQ(address.top, 524);
  EXPECT_EQ(address.right - address.left, 192);
  EXPECT_GE(address.bottom - address.top, 20);
  EXPECT_LE(address.bottom - address.top, 24);

  // The status bar runs along the whole bottom of the client area.
  RECT client, bar = ClientRectOf(MainWindow.statusBar);
  GetClientRect(window, &client);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_FALSE(GetWindowLongPtrW(MainWindow.statusBar, GWL_STYLE) & SBARS_SIZEGRIP);
}

TEST_F(MainWindowTest, CaptionTextsColumnsAndStatusParts) {
  std::wstring caption = Utf16("Tessivar") + std::wstring(50, L' ') + Utf16("版本号：3.2");
  EXPECT_EQ(wintest::TextOf(window), caption);
  EXPECT_EQ(wintest::TextOf(MainWindow.listenLabel), Utf16("监听："));
  EXPECT_EQ(wintest::TextOf(MainWindow.startButton), Utf16("开始"));
  EXPECT_EQ(wintest::TextOf(MainWindow.clearButton), Utf16("清空"));
  EXPECT_EQ(wintest::TextOf(MainWindow.countBox), L"");

  struct Column {
    const char* title;
    int width;
    int format;
  } columns[] = {{"协议", 40, LVCFMT_LEFT},        {"源地址", 120, LVCFMT_CENTER},
                 {"源端口", 60, LVCFMT_CENTER},    {"目标地址", 120, LVCFMT_CENTER},
                 {"目标端口", 60, LVCFMT_CENTER},  {"数据长度（字节）", 120, LVCFMT_LEFT},
                 {"数据内容", 300, LVCFMT_CENTER}};
  HWND header = ListView_GetHeader(MainWindow.packetList);
  ASSERT_EQ(Header_GetItemCount(header), 7);
  for (int i = 0; i < 7; ++i) {
    wchar_t title[64] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = title;
    col.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(MainWindow.packetList, i, &col));
    EXPECT_EQ(std::wstring(title), Utf16(columns[i].title)) << i;
    EXPECT_EQ(col.cx, columns[i].width) << i;
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, columns[i].format) << i;
  }
  DWORD ex = ListView_GetExtendedListViewStyle(MainWindow.packetList);
  EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
  EXPECT_TRUE(GetWindowLongPtrW(MainWindow.packetList, GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_EQ(ListView_GetItemCount(MainWindow.packetList), 0);
  EXPECT_EQ(PacketListSelection(), -1);

  int edges[4] = {};
  ASSERT_EQ(SendMessageW(MainWindow.statusBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 63);
  EXPECT_EQ(edges[1], 256);
  wchar_t part[64] = {};
  SendMessageW(MainWindow.statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(part));
  EXPECT_EQ(std::wstring(part), Utf16("监听状态："));
  SendMessageW(MainWindow.statusBar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(part));
  EXPECT_EQ(std::wstring(part), L"");
  EXPECT_EQ(ImageList_GetImageCount(MainWindow.statusPictures), 1);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(MainWindow.statusPictures, &cx, &cy);
  EXPECT_EQ(cx, 32);
  EXPECT_EQ(cy, 20);
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    out.push_back(text);
  }
  return out;
}

TEST_F(MainWindowTest, HiddenMenusHoldTheirWholeTrees) {
  EXPECT_EQ(MenuTexts(MainWindow.mainMenu),
            (std::vector<std::wstring>{Utf16("升级"), Utf16("复制"), Utf16("关于")}));
  EXPECT_EQ(MenuTexts(GetSubMenu(MainWindow.mainMenu, 0)), std::vector<std::wstring>{Utf16("检测升级")});
  EXPECT_EQ(MenuTexts(MainWindow.convertMenu),
            (std::vector<std::wstring>{Utf16("更改编码转换"), Utf16("一键转换")}));
  std::vector<std::wstring> conversions;
  for (const char* t : {"繁体到简体", "繁体到Big5", "Big5到简体", "Gb2312到Utf8", "Utf8到Gb2312",
                        "编码Usc2到Ansi", "编码Usc2到Ansi_EX", "编码Unicode到Ansi", "编码Utf8到Ansi"})
    conversions.push_back(Utf16(t));
  EXPECT_EQ(MenuTexts(GetSubMenu(MainWindow.convertMenu, 0)), conversions);
}

TEST_F(MainWindowTest, CountBoxTakesOnlyIntegers) {
  HWND box = MainWindow.countBox;
  // Typed characters: only digits and the minus sign get in.
  SetFocus(box);
  for (wchar_t c : std::wstring(L"12a3")) SendMessageW(box, WM_CHAR, c, 1);
  EXPECT_EQ(wintest::TextOf(box), L"123");

  struct Case {
    const wchar_t* entered;
    const wchar_t* left;
  } cases[] = {{L"abc", L""},          {L"007", L"7"},   {L"+5", L"5"},
               {L"0", L""},            {L"-0", L""},     {L"2147483648", L"2147483647"},
               {L"99999999999999999999", L"2147483647"}, {L"-2147483649", L"-2147483648"},
               {L"  42x", L"42"},      {L"-17", L"-17"}, {L"", L""}};
  for (const auto& c : cases) {
    SetFocus(box);
    // Pasting goes around the typing filter, as the clipboard shortcuts do.
    SetWindowTextW(box, c.entered);
    SetFocus(MainWindow.packetList);
    EXPECT_EQ(wintest::TextOf(box), c.left) << c.entered;
  }
}

TEST_F(MainWindowTest, PastedLettersLeaveTheBoxEmpty) {
  HWND box = MainWindow.countBox;
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8 * sizeof(wchar_t));
  wcscpy(static_cast<wchar_t*>(GlobalLock(mem)), L"abc");
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  SetFocus(box);
  SendMessageW(box, WM_PASTE, 0, 0);
  EXPECT_EQ(wintest::TextOf(box), L"abc");
  SetFocus(MainWindow.packetList);
  EXPECT_EQ(wintest::TextOf(box), L"");
}

TEST_F(MainWindowTest, CancelKeepsTheWindowAndOkEndsWithCodeZero) {
  {
    wintest::BoxAnswer cancel(Utf16("关闭嗅探器"), IDCANCEL);
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cancel.Answered());
    EXPECT_EQ(cancel.Text(), Utf16("确定关闭吗？"));
  }
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(g_exitCode, -1);
  {
    wintest::BoxAnswer ok(Utf16("关闭嗅探器"), IDOK);
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ok.Answered());
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(g_exitCode, 0);
}

TEST_F(MainWindowTest, EscAsksBeforeClosingTheMainWindow) {
  wintest::BoxAnswer cancel(Utf16("关闭嗅探器"), IDCANCEL);
  PostMessageW(MainWindow.packetList, WM_KEYDOWN, VK_ESCAPE, 1);
  // The key goes through the program's own message handling.
  EXPECT_TRUE(wintest::WaitUntil([&] { return cancel.Done(); }));
  EXPECT_EQ(cancel.Text(), Utf16("确定关闭吗？"));
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, EscClosesTheConversionWindowWithoutAQuestion) {
  HWND conversion = OpenConversionWindow();
  ASSERT_NE(conversion, nullptr);
  EXPECT_EQ(wintest::TextOf(conversion), Utf16("数据转换"));
  RECT rc;
  GetWindowRect(conversion, &rc);
  EXPECT_EQ(rc.right - rc.left, 358);
  EXPECT_EQ(rc.bottom - rc.top, 418);
  PostMessageW(ConversionDataBox(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindow(conversion); }));
  EXPECT_EQ(ConversionWindowHandle(), nullptr);
  EXPECT_TRUE(IsWindow(window));
}

class AddressBoxTest : public ::testing::TestWithParam<int> {};

TEST_P(AddressBoxTest, ListsAtMostTenAndSelectsTheSecond) {
  const int n = GetParam();
  g_addresses.clear();
  for (int i = 0; i < n; ++i) g_addresses.push_back("10.0.0." + std::to_string(i + 1));
  app::testing::SetEndProgramHook([](int) {});
  app::testing::SetAddressResolver([] { return g_addresses; });
  HWND window = app::StartProgram(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  HWND box = MainWindow.addressBox;
  const int listed = n < 10 ? n : 10;
  ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), listed);
  for (int i = 0; i < listed; ++i) {
    wchar_t item[32] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), L"10.0.0." + std::to_wstring(i + 1));
  }
  const int selected = n == 1 ? 0 : 1;
  EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), selected);
  EXPECT_EQ(wintest::TextOf(box), L"10.0.0." + std::to_wstring(selected + 1));
  DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Counts, AddressBoxTest, ::testing::Values(1, 3, 12));

}  // namespace
