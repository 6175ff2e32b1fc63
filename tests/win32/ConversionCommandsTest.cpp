#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>
#include <vector>

#include "app/ConversionWindow.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/WinText.h"
#include "convert/ConversionCommands.h"
#include "support/ProgramTest.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {

const Text kCrLf14 = [] {
  Text s;
  for (int i = 0; i < 14; ++i) s += "\r\n";
  return s;
}();

Text Gbk(const char* utf8) { return GbkOf(Utf16(utf8)); }

class ConversionCommandsTest : public wintest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    RemoveDataFile();
  }
  void TearDown() override {
    if (HWND conv = ConversionWindowHandle()) DestroyWindow(conv);
    ProgramTest::TearDown();
    ReleaseConversionState();
    RemoveDataFile();
  }
  static void RemoveDataFile() {
    DeleteFileW(DataFilePath().c_str());
    RemoveDirectoryW(DataFilePath().c_str());
  }

  // A row as the decoder lists it, with `data` as its data cell.
  int AddRow(const Text& data) {
    PacketRows::Cells cells = {"UDP", "127.0.0.1", "1000", "127.0.0.1", "2000", "28", data};
    const int row = static_cast<int>(PacketListRows().Append(cells));
    PacketListChanged();
    return row;
  }
  void Select(int row) {
    ListView_SetItemState(MainWindow.packetList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) ListView_SetItemState(MainWindow.packetList, row, LVIS_SELECTED | LVIS_FOCUSED,
                                        LVIS_SELECTED | LVIS_FOCUSED);
  }
  void Run(int command) { SendMessageW(window, WM_COMMAND, command, 0); }
  static Text BoxText() { return WindowTextGbk(ConversionDataBox()); }

  // Chooses an item of "保存数据" and returns the notice it showed.
  std::wstring ChooseWithNotice(int command) {
    wintest::BoxAnswer notice(Utf16("提示信息"), IDOK);
    SendMessageW(ConversionWindowHandle(), WM_COMMAND, command, 0);
    EXPECT_TRUE(notice.Answered());
    return notice.Text();
  }
  static Bytes DataFileBytes() {
    Bytes out;
    HANDLE f = CreateFileW(DataFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(f);
    return out;
  }
  // Opens the window holding `gbk` as its whole text.
  void OpenWithText(const Text& gbk) {
    OpenConversionWindow();
    ASSERT_NE(ConversionDataBox(), nullptr);
    SetWindowTextGbk(ConversionDataBox(), gbk);
  }
};

std::vector<Text> SplitBlankLines(const Text& s) {
  std::vector<Text> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = s.find("\r\n\r\n", from)) != Text::npos; from = at + 4)
    parts.push_back(s.substr(from, at - from));
  parts.push_back(s.substr(from));
  return parts;
}

TEST_F(ConversionCommandsTest, SingleCommandsOpenNothingWithoutASelectionOrWithAnEmptyCell) {
  AddRow(Gbk("漢字"));
  const int empty = AddRow("");
  for (int selection : {-1, empty}) {
    Select(selection);
    ASSERT_EQ(PacketListSelection(), selection);
    for (int cmd = kCmdConversionFirst; cmd < kCmdOneKey; ++cmd) {
      Run(cmd);
      EXPECT_EQ(ConversionWindowHandle(), nullptr) << "row " << selection << " command " << cmd;
    }
  }
}

TEST_F(ConversionCommandsTest, SuccessiveResultsAreAppendedWithoutSeparatorCaretAtTheEnd) {
  Select(AddRow(Gbk("漢字")));
  Run(kCmdConversionFirst);  // 繁体到简体
  ASSERT_NE(ConversionWindowHandle(), nullptr);
  const HWND first = ConversionWindowHandle();
  EXPECT_EQ(BoxText(), Gbk("汉字"));
  // Where the caret stands must not matter: the result goes to the end.
  SendMessageW(ConversionDataBox(), EM_SETSEL, 0, 0);
  Run(kCmdConversionFirst);
  Run(kCmdConversionFirst + 8);  // 编码Utf8到Ansi: the GBK bytes are no UTF-8
  EXPECT_EQ(ConversionWindowHandle(), first);
  const Text text = BoxText();
  EXPECT_EQ(text.substr(0, 8), Gbk("汉字汉字"));
  EXPECT_GT(text.size(), 8u);
  DWORD start = 0, end = 0;
  SendMessageW(ConversionDataBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(ConversionDataBox()));
  EXPECT_EQ(start, length);
  EXPECT_EQ(end, length);
}

TEST_F(ConversionCommandsTest, OneKeyBeforeAnyTextCommandShowsOnlyTheSeparators) {
  Run(kCmdOneKey);
  ASSERT_NE(ConversionWindowHandle(), nullptr);
  EXPECT_EQ(BoxText(), kCrLf14);
  EXPECT_EQ(BoxText().size(), 28u);
}

TEST_F(ConversionCommandsTest, OneKeyConvertsWhatTheLastTextCommandTookAndReplacesTheBox) {
  const int a = AddRow(Gbk("漢字%u4E2D"));
  const int b = AddRow(Gbk("乙丙"));
  Select(a);
  Run(kCmdConversionFirst);  // 繁体到简体 takes row A
  Select(b);
  Run(kCmdConversionFirst + 7);  // byte commands leave the one-key source alone
  Run(kCmdConversionFirst + 8);
  Run(kCmdOneKey);             // row B is selected, row A is converted
  const std::vector<Text> parts = SplitBlankLines(BoxText());
  ASSERT_EQ(parts.size(), 8u) << BoxText();
  EXPECT_EQ(parts[0], Gbk("汉字%u4E2D"));  // TraditionalToSimplified
  EXPECT_EQ(parts[5], Gbk("漢字中"));      // Ucs2ToAnsi
  for (const Text& part : parts) EXPECT_EQ(part.find(Gbk("乙")), Text::npos) << part;
}

TEST_F(ConversionCommandsTest, TextCommandOnAnEmptyCellEmptiesTheOneKeySource) {
  const int full = AddRow(Gbk("漢字"));
  const int empty = AddRow("");
  Select(full);
  Run(kCmdConversionFirst);
  ASSERT_EQ(BoxText(), Gbk("汉字"));
  Select(empty);
  Run(kCmdConversionFirst + 1);
  EXPECT_EQ(BoxText(), Gbk("汉字"));  // nothing appended
  Run(kCmdOneKey);
  EXPECT_EQ(BoxText(), kCrLf14);
}

TEST_F(ConversionCommandsTest, MinimisedWindowIsRestoredAndAppendedTo) {
  Select(AddRow(Gbk("漢字")));
  Run(kCmdConversionFirst);
  const HWND conv = ConversionWindowHandle();
  ASSERT_NE(conv, nullptr);
  ShowWindow(conv, SW_MINIMIZE);
  ASSERT_TRUE(wintest::WaitUntil([&] { return IsIconic(conv) != FALSE; }));
  Run(kCmdConversionFirst);
  EXPECT_EQ(ConversionWindowHandle(), conv);
  EXPECT_TRUE(wintest::WaitUntil([&] { return !IsIconic(conv); }));
  EXPECT_EQ(BoxText(), Gbk("汉字汉字"));
}

TEST_F(ConversionCommandsTest, ClosedWindowComesBackEmpty) {
  Select(AddRow(Gbk("漢字")));
  Run(kCmdConversionFirst);
  ASSERT_NE(ConversionWindowHandle(), nullptr);
  SendMessageW(ConversionWindowHandle(), WM_CLOSE, 0, 0);
  ASSERT_EQ(ConversionWindowHandle(), nullptr);
  Run(kCmdConversionFirst);
  EXPECT_EQ(BoxText(), Gbk("汉字"));
}

TEST_F(ConversionCommandsTest, SaveWritesTheBoxAsGbkAndReplacesTheFileWhole) {
  OpenWithText(Gbk("中文\r\n"));
  EXPECT_EQ(ChooseWithNotice(kCmdSaveData), Utf16("已保存在同目录"));
  EXPECT_EQ(DataFileBytes(), Bytes("\xD6\xD0\xCE\xC4\x0D\x0A"));
  SetWindowTextGbk(ConversionDataBox(), "x");
  EXPECT_EQ(ChooseWithNotice(kCmdSaveData), Utf16("已保存在同目录"));
  EXPECT_EQ(DataFileBytes(), Bytes("x"));
}

TEST_F(ConversionCommandsTest, EmptyBoxIsNotSavedAndTheOldFileStays) {
  OpenWithText("old");
  ChooseWithNotice(kCmdSaveData);
  SetWindowTextGbk(ConversionDataBox(), "");
  EXPECT_EQ(ChooseWithNotice(kCmdSaveData), Utf16("保存数据不能为空"));
  EXPECT_EQ(DataFileBytes(), Bytes("old"));
}

TEST_F(ConversionCommandsTest, UnwritableDataFileIsReportedAndLeavesNothingBehind) {
  ASSERT_TRUE(CreateDirectoryW(DataFilePath().c_str(), nullptr));
  OpenWithText("data");
  EXPECT_EQ(ChooseWithNotice(kCmdSaveData), Utf16("保存失败，文件无法写入"));
  EXPECT_EQ(GetFileAttributesW(DataFilePath().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((DataFilePath() + L"*.tmp").c_str(), &found);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "temporary file left behind";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

std::string ClipboardBytes() {
  std::string out = "<none>";
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    out = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

TEST_F(ConversionCommandsTest, CopyPutsTheSelectionOnTheClipboard) {
  OpenWithText(Gbk("前后中文"));
  struct Case {
    int from, to;
    Text expected;
  } cases[] = {{2, 4, Gbk("中文")}, {1, 1, ""}, {4, 0, Gbk("前后中文")}};
  for (const auto& c : cases) {
    SendMessageW(ConversionDataBox(), EM_SETSEL, c.from, c.to);
    SendMessageW(ConversionWindowHandle(), WM_COMMAND, kCmdCopySelection, 0);
    EXPECT_EQ(ClipboardBytes(), c.expected) << c.from << "-" << c.to;
  }
}

// The right button opens "保存数据" 3 px right of and below the pointer, and
// not the edit's own menu.
TEST_F(ConversionCommandsTest, RightButtonOpensSaveDataMenuBesideThePointer) {
  OpenWithText("text");
  HWND box = ConversionDataBox();
  RECT rc;
  GetWindowRect(box, &rc);
  SetCursorPos(rc.left + 40, rc.top + 40);
  POINT cursor;
  GetCursorPos(&cursor);
  RECT menuRect = {};
  int items = -1;
  std::thread watcher([&] {
    for (int i = 0; i < 500; ++i) {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        GetWindowRect(menu, &menuRect);
        items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
      }
      Sleep(10);
    }
  });
  SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
  watcher.join();
  EXPECT_EQ(items, 2);
  EXPECT_EQ(menuRect.left, cursor.x + 3);
  EXPECT_EQ(menuRect.top, cursor.y + 3);
}

}  // namespace
