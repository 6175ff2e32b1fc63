#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/MainWindow.h"
#include "support/WinTestSupport.h"

using wintest::Utf16;

namespace {

using wintest::MainWindowOf;


// A copy of the program in a folder of its own, started from there.
struct Installed {
  std::wstring folder;
  std::wstring exe;
  wintest::Process process;
  bool Start() {
    return process.Start(L"\"" + exe + L"\"", folder);
  }
};

void Install(Installed& i, const std::wstring& folderName, const std::wstring& fileName) {
  i.folder = wintest::FreshFolder(folderName);
  i.exe = i.folder + L"\\" + fileName;
  ASSERT_TRUE(CopyFileW((wintest::BinFolder() + L"\\Tessivar.exe").c_str(), i.exe.c_str(), FALSE));
}

void CloseWithOk(Installed& i) {
  HWND main = MainWindowOf(i.process.Id());
  ASSERT_NE(main, nullptr);
  wintest::BoxAnswer ok(Utf16("关闭嗅探器"), IDOK, i.process.Id());
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(ok.Answered());
  DWORD code = 99;
  ASSERT_TRUE(i.process.WaitExit(15000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(StartUpProcess, SecondInstanceIsRefusedAndAnotherFileNameRuns) {
  Installed first, second, other;
  Install(first, L"first", L"Tessivar.exe");
  Install(second, L"second", L"Tessivar.exe");
  Install(other, L"other", L"Listener.exe");

  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(wintest::WaitUntil([&] { return MainWindowOf(first.process.Id()) != nullptr; }, 30000));
  HWND firstWindow = MainWindowOf(first.process.Id());
  std::wstring caption = Utf16("Tessivar") + std::wstring(50, L' ') + Utf16("版本号：3.2");
  EXPECT_EQ(wintest::TextOf(firstWindow), caption);

  {
    ASSERT_TRUE(second.Start());
    // The box belongs to the second process, whose id the answerer learns late.
    ASSERT_TRUE(wintest::WaitUntil([&] {
      return wintest::FindTopWindow(Utf16("提示信息"), second.process.Id(), L"#32770") != nullptr;
    }, 30000));
    HWND box = wintest::FindTopWindow(Utf16("提示信息"), second.process.Id(), L"#32770");
    EXPECT_EQ(wintest::BoxText(box), Utf16("程序已运行，请确定！"));
    EXPECT_EQ(MainWindowOf(second.process.Id()), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  DWORD code = 99;
  ASSERT_TRUE(second.process.WaitExit(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(first.process.Running());
  EXPECT_TRUE(IsWindow(firstWindow));

  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(wintest::WaitUntil([&] { return MainWindowOf(other.process.Id()) != nullptr; }, 30000));
  EXPECT_TRUE(first.process.Running());

  CloseWithOk(other);
  CloseWithOk(first);
}

TEST(StartUpProcess, CancelKeepsRunningAndOkEndsWithCodeZero) {
  Installed app;
  Install(app, L"close", L"Tessivar.exe");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(wintest::WaitUntil([&] { return MainWindowOf(app.process.Id()) != nullptr; }, 30000));
  HWND main = MainWindowOf(app.process.Id());
  {
    wintest::BoxAnswer cancel(Utf16("关闭嗅探器"), IDCANCEL, app.process.Id());
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cancel.Answered());
  }
  // The box is gone and the program still answers messages.
  ASSERT_TRUE(wintest::WaitUntil([&] {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r) != 0 &&
           wintest::FindTopWindow(Utf16("关闭嗅探器"), app.process.Id(), L"#32770") == nullptr;
  }));
  EXPECT_TRUE(app.process.Running());
  CloseWithOk(app);
}

}  // namespace
