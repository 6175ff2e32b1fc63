#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "app/ShellRules.h"
#include "app/StartUp.h"
#include "app/WinText.h"
#include "support/LoopbackHttpServer.h"
#include "support/WinTestSupport.h"
#include "update/UpdateCheck.h"
#include "update/Updater.h"

using wintest::LoopbackHttpServer;
using wintest::Utf16;

namespace {

using wintest::ReadFileBytes;

int g_exitCode = -1;

// Every caption the window shows, read from another thread without a message:
// the check blocks the window's own thread.
class CaptionLog {
 public:
  explicit CaptionLog(HWND window) : window_(window), thread_([this] { Run(); }) {}
  ~CaptionLog() { Stop(); }
  std::vector<std::wstring> Seen() {
    Stop();
    return seen_;
  }

 private:
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Run() {
    while (!stop_) {
      wchar_t buffer[512] = {};
      InternalGetWindowText(window_, buffer, 512);
      if (seen_.empty() || seen_.back() != buffer) seen_.push_back(buffer);
      Sleep(5);
    }
  }
  HWND window_;
  std::atomic<bool> stop_{false};
  std::vector<std::wstring> seen_;
  std::thread thread_;
};

std::string Manifest(const std::string& inner, const std::string& root = "最新版本") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- release -->\r\n<" + root + ">" + inner + "</" +
         root + ">";
}

std::string Info(const std::string& version, const std::string& notes = "修正若干问题") {
  return "<版本信息 版本号=\"" + version + "\" 升级说明=\"" + notes +
         "\" 下载地址=\"http://127.0.0.1:18631/new.exe\" 文件标题=\"新版本\" 文件名=\"Tessivar.exe\"/>";
}

std::wstring UpdaterFolder() { return app::Program().directory + Utf16("\\升级文件"); }


void RemoveUpdaterFolder() {
  const std::wstring folder = UpdaterFolder();
  DeleteFileW((folder + L"\\update.exe").c_str());
  RemoveDirectoryW(folder.c_str());
  DeleteFileW(folder.c_str());
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_exitCode = -1;
    app::testing::SetEndProgramHook([](int code) { g_exitCode = code; });
    app::testing::SetAddressResolver([] { return std::vector<Text>{"127.0.0.1"}; });
    window = app::StartProgram(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    RemoveUpdaterFolder();
    standard = WideOf(StandardCaption());
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    RemoveUpdaterFolder();
  }
  // Runs one check that must not offer anything.
  std::vector<std::wstring> CheckExpectingNoOffer() {
    wintest::BoxAnswer offer(Utf16("版本升级"), IDCANCEL, GetCurrentProcessId(), 4000);
    CaptionLog log(window);
    CheckForUpdate();
    std::vector<std::wstring> seen = log.Seen();
    EXPECT_FALSE(offer.Answered()) << "an update was offered";
    return seen;
  }
  HWND window = nullptr;
  std::wstring standard;
};

TEST_F(UpdateCheckTest, NewerVersionIsOfferedAndCancelRestoresTheCaption) {
  LoopbackHttpServer server;
  ASSERT_TRUE(server.Listening());
  server.Serve("/Tessivar.xml", Manifest(Info("3.3", "修正 若干 问题")));
  wintest::BoxAnswer offer(Utf16("版本升级"), IDCANCEL);
  CaptionLog log(window);
  CheckForUpdate();
  const std::vector<std::wstring> seen = log.Seen();
  ASSERT_TRUE(offer.Answered());
  EXPECT_EQ(offer.Text(), Utf16("发现有新版本可以更新！\r\n\r\n版本号：3.3\r\n下载说明：修正 若干 问题"));
  EXPECT_EQ(WindowTextW(window), standard);
  EXPECT_NE(std::find(seen.begin(), seen.end(), Utf16("检测升级中...")), seen.end());
  EXPECT_EQ(g_exitCode, -1);

  // The request as the server saw it.
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /Tessivar.xml HTTP/1.0\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find("Accept: */*"), std::string::npos);
  EXPECT_NE(requests[0].find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"), std::string::npos);

  // The held manifest gives the updater its twelve pieces.
  EXPECT_EQ(UpdaterCommandLine(), app::Program().directory +
                                      Utf16("\\升级文件\\update.exe fzgr http://127.0.0.1:18631/new.exe 新版本 "
                                            "运行 Tessivar.exe Tessivar.exe 修正 若干 问题"));
}

TEST_F(UpdateCheckTest, FullWidthVersionIsNewerAndShownAsPublished) {
  LoopbackHttpServer server;
  ASSERT_TRUE(server.Listening());
  // The first of two "版本信息" counts.
  server.Serve("/Tessivar.xml", Manifest(Info("３．３") + Info("3.2")));
  wintest::BoxAnswer offer(Utf16("版本升级"), IDCANCEL);
  CheckForUpdate();
  ASSERT_TRUE(offer.Answered());
  EXPECT_NE(offer.Text().find(Utf16("版本号：３．３\r\n")), std::wstring::npos) << offer.Text().size();
}

TEST_F(UpdateCheckTest, VersionsThatAreNotNewerShowTheNoUpdateCaption) {
  LoopbackHttpServer server;
  ASSERT_TRUE(server.Listening());
  const std::string cases[] = {
      Manifest(Info("3.2")),
      Manifest(Info("3.20000001")),
      Manifest(Info("v3.3")),
      Manifest(Info("3.3"), "最新版"),                       // another root
      Manifest("<其他>" + Info("3.3") + "</其他>"),          // nested deeper
      Manifest(Info("3.2") + Info("3.3")),                    // only the first counts
      "<html>not found",                                      // not XML at all
  };
  for (const std::string& body : cases) {
    server.Serve("/Tessivar.xml", body);
    const std::vector<std::wstring> seen = CheckExpectingNoOffer();
    EXPECT_NE(std::find(seen.begin(), seen.end(), Utf16("未检测到新版本")), seen.end()) << body;
    EXPECT_EQ(WindowTextW(window), standard) << body;
  }
}

TEST_F(UpdateCheckTest, NoServerGivesTheNoticeAndStillPreparesTheUpdater) {
  wintest::BoxAnswer notice(Utf16("提示信息"), IDOK);
  CaptionLog log(window);
  CheckForUpdate();
  const std::vector<std::wstring> seen = log.Seen();
  ASSERT_TRUE(notice.Answered());
  EXPECT_EQ(notice.Text(), Utf16("未接通升级服务器"));
  EXPECT_NE(std::find(seen.begin(), seen.end(), Utf16("检测升级中...")), seen.end());
  EXPECT_EQ(WindowTextW(window), standard);

  const std::string carried = CarriedUpdaterBytes();
  ASSERT_GT(carried.size(), 1024u);
  EXPECT_EQ(carried.substr(0, 2), "MZ");
  EXPECT_TRUE(ReadFileBytes(UpdaterFolder() + L"\\update.exe") == carried);
}

TEST_F(UpdateCheckTest, AnExistingUpdaterIsNeverReplaced) {
  ASSERT_TRUE(CreateDirectoryW(UpdaterFolder().c_str(), nullptr));
  const std::wstring file = UpdaterFolder() + L"\\update.exe";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, "older updater", 13, &written, nullptr);
  CloseHandle(h);
  PrepareUpdater();
  EXPECT_EQ(ReadFileBytes(file), "older updater");

  // A file of the folder's name in the way: nothing is written, nothing breaks.
  RemoveUpdaterFolder();
  h = CreateFileW(UpdaterFolder().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  WriteFile(h, "x", 1, &written, nullptr);
  CloseHandle(h);
  PrepareUpdater();
  EXPECT_EQ(ReadFileBytes(UpdaterFolder()), "x");
}

}  // namespace
