#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/MainWindow.h"
#include "support/LoopbackHttpServer.h"
#include "support/WinTestSupport.h"
#include "update/UpdateRules.h"

using wintest::LoopbackHttpServer;
using wintest::Utf16;

namespace {

using wintest::ReadFileBytes;


bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A visible main window of a Tessivar process other than `except`; its pid in *pid.
HWND ProgramWindow(DWORD* pid, DWORD except = 0) {
  for (HWND h = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr); h;
       h = FindWindowExW(nullptr, h, kMainWindowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner != except && IsWindowVisible(h)) {
      if (pid) *pid = owner;
      return h;
    }
  }
  return nullptr;
}

void EndProcess(DWORD pid) {
  if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
    TerminateProcess(p, 0);
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
}

std::wstring BuiltUpdater() { return wintest::BinFolder() + L"\\..\\updater\\update.exe"; }

std::string ManifestFor(const std::string& notes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><最新版本><版本信息 版本号=\"3.3\" 升级说明=\"" + notes +
         "\" 下载地址=\"http://127.0.0.1:18631/new.exe\" 文件标题=\"新版本\" 文件名=\"Tessivar.exe\"/></最新版本>";
}

TEST(UpdateProcess, AcceptedOfferHandsOverAndTheUpdaterReplacesTheProgram) {
  const std::wstring folder = wintest::FreshFolder(L"update-happy");
  const std::wstring exe = folder + L"\\Tessivar.exe";
  const std::string oldBytes = ReadFileBytes(wintest::BinFolder() + L"\\Tessivar.exe");
  ASSERT_TRUE(CopyFileW((wintest::BinFolder() + L"\\Tessivar.exe").c_str(), exe.c_str(), FALSE));
  // Bytes after the image do not stop it from running, and mark the new build.
  const std::string newBytes = oldBytes + "new build marker";

  LoopbackHttpServer server;
  ASSERT_TRUE(server.Listening());
  server.Serve("/Tessivar.xml", ManifestFor("修正 若干 问题"));
  server.Serve("/new.exe", newBytes);

  wintest::Process program;
  ASSERT_TRUE(program.Start(L"\"" + exe + L"\"", folder));
  HWND main = nullptr;
  ASSERT_TRUE(wintest::WaitUntil([&] { return (main = ProgramWindow(nullptr)) != nullptr; }));
  wintest::BoxAnswer offer(Utf16("版本升级"), IDOK, program.Id(), 30000);
  PostMessageW(main, WM_COMMAND, kCmdCheckUpdate, 0);
  ASSERT_TRUE(offer.Answered());
  EXPECT_EQ(offer.Text(), Utf16("发现有新版本可以更新！\r\n\r\n版本号：3.3\r\n下载说明：修正 若干 问题"));
  DWORD code = 99;
  ASSERT_TRUE(program.WaitExit(15000, &code));
  EXPECT_EQ(code, 0u);

  // The carried updater was written out unchanged.
  const std::string carried = ReadFileBytes(folder + Utf16("\\升级文件\\update.exe"));
  EXPECT_TRUE(carried == ReadFileBytes(BuiltUpdater())) << carried.size();

  // The updater puts the new file in place, keeps the old one and starts it.
  DWORD started = 0;
  ASSERT_TRUE(wintest::WaitUntil([&] { return ProgramWindow(&started, program.Id()) != nullptr; }, 60000));
  EXPECT_TRUE(ReadFileBytes(exe) == newBytes);
  EXPECT_TRUE(ReadFileBytes(exe + L".bak") == oldBytes);
  EXPECT_FALSE(Exists(exe + L".download"));
  EndProcess(started);
}

// The updater started directly with the program's command line, against a
// download that goes wrong: the old file stays and can still be started.
TEST(UpdateProcess, FailedDownloadsLeaveTheOldProgramAndOfferToStartIt) {
  const std::string oldBytes = ReadFileBytes(wintest::BinFolder() + L"\\Tessivar.exe");
  std::string notExecutable = "<html><body>" + std::string(4000, 'x') + "</body></html>";
  struct Case {
    const char* name;
    std::string body;
    LoopbackHttpServer::Delivery delivery;
    const char* reason;  // what the box must say went wrong
  } cases[] = {
      {"dropped", oldBytes + "new", LoopbackHttpServer::Delivery::DropMidBody, "下载"},
      {"truncated", oldBytes + "new", LoopbackHttpServer::Delivery::Truncated, "下载不完整"},
      {"not-exe", notExecutable, LoopbackHttpServer::Delivery::Whole, "不是可执行程序"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = wintest::FreshFolder(L"update-fail-" + Utf16(c.name));
    const std::wstring exe = folder + L"\\Tessivar.exe";
    ASSERT_TRUE(CopyFileW((wintest::BinFolder() + L"\\Tessivar.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryW((folder + Utf16("\\升级文件")).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(BuiltUpdater().c_str(), (folder + Utf16("\\升级文件\\update.exe")).c_str(), FALSE));

    LoopbackHttpServer server;
    ASSERT_TRUE(server.Listening());
    server.Serve("/new.exe", c.body, c.delivery);

    wintest::Process updater;
    ASSERT_TRUE(updater.Start(BuildUpdaterCommandLine(folder, L"http://127.0.0.1:18631/new.exe", Utf16("新版本"),
                                                      L"Tessivar.exe", Utf16("修正")),
                              folder));
    wintest::BoxAnswer failure(Utf16("程序升级"), IDYES, updater.Id(), 60000);
    ASSERT_TRUE(failure.Answered());
    EXPECT_EQ(failure.Text().rfind(Utf16("升级失败："), 0), 0u);
    EXPECT_NE(failure.Text().find(Utf16(c.reason)), std::wstring::npos) << failure.Text().size();
    DWORD code = 99;
    ASSERT_TRUE(updater.WaitExit(15000, &code));
    EXPECT_EQ(code, 1u);

    DWORD started = 0;
    ASSERT_TRUE(wintest::WaitUntil([&] { return ProgramWindow(&started) != nullptr; }, 30000));
    EndProcess(started);
    EXPECT_TRUE(ReadFileBytes(exe) == oldBytes);
    EXPECT_FALSE(Exists(exe + L".bak"));
    EXPECT_FALSE(Exists(exe + L".download"));
  }
}

}  // namespace
