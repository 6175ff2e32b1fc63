#include "update/UpdateCheck.h"

#include <windows.h>
#include <wininet.h>

#include "BuildConfig.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/ShellRules.h"
#include "app/StartUp.h"
#include "app/WinText.h"
#include "convert/CodePageRoutines.h"
#include "update/Manifest.h"
#include "update/UpdateRules.h"
#include "update/Updater.h"

Bytes HttpGet(const std::wstring& url) {
  Bytes body;
  HINTERNET session = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                                    INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) return body;
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  wchar_t host[256] = {};
  wchar_t path[2048] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2048;
  if (InternetCrackUrlW(url.c_str(), 0, 0, &parts)) {
    HINTERNET connection =
        InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (connection) {
      const wchar_t* accept[] = {L"*/*", nullptr};
      HINTERNET request = HttpOpenRequestW(connection, L"GET", path, L"HTTP/1.0", nullptr, accept, flags, 0);
      if (request) {
        if (HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
          char buffer[4096];
          DWORD got = 0;
          while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) body.append(buffer, got);
        }
        InternetCloseHandle(request);
      }
      InternetCloseHandle(connection);
    }
  }
  InternetCloseHandle(session);
  return body;
}

void CheckForUpdate() {
  HWND window = MainWindow.window;
  SetWindowTextW(window, W("检测升级中...").c_str());
  PrepareUpdater();
  const Bytes body = HttpGet(W(std::string("http://") + TESSIVAR_UPDATE_HOST + "/Tessivar.xml"));
  if (body.empty()) {
    ShowNotice("未接通升级服务器");
    SetWindowTextGbk(window, StandardCaption());
    return;
  }
  ManifestParser.Load(TextOf(Utf8ToGb2312(TextOf(body))));
  if (!IsNewerVersion(ReadPublishedVersion(ManifestParser.Attribute("版本号")))) {
    SetWindowTextW(window, W("未检测到新版本").c_str());
    Sleep(3000);
    SetWindowTextGbk(window, StandardCaption());
    app::ProcessPendingMessages();
    return;
  }
  const Text offer = GbkOf(W("发现有新版本可以更新！\r\n\r\n版本号：")) + ManifestParser.Attribute("版本号") +
                     GbkOf(W("\r\n下载说明：")) + ManifestParser.Attribute("升级说明");
  const int answer = MessageBoxW(nullptr, WideOf(offer).c_str(), W("版本升级").c_str(),
                                 MB_OKCANCEL | MB_ICONINFORMATION | MB_TASKMODAL);
  if (answer == IDOK) {
    HandOffToUpdater();
    return;
  }
  SetWindowTextGbk(window, StandardCaption());
  app::ProcessPendingMessages();
}
