#include "update/Updater.h"

#include <windows.h>

#include <algorithm>

#include "app/StartUp.h"
#include "app/WinText.h"
#include "app/res/resource.h"
#include "update/Manifest.h"
#include "update/UpdateRules.h"

Bytes CarriedUpdaterBytes() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_UPDATER), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return Bytes();
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return Bytes();
  return Bytes(static_cast<const char*>(data), size);
}

namespace {

void WriteWholeFile(const std::wstring& path, const Bytes& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) break;
    done += written;
  }
  CloseHandle(file);
}

}  // namespace

void PrepareUpdater() {
  const std::wstring folder = app::Program().directory + W("\\升级文件");
  const std::wstring file = folder + L"\\update.exe";
  if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteWholeFile(file, CarriedUpdaterBytes());
  } else if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
    WriteWholeFile(file, CarriedUpdaterBytes());
  }
}

std::wstring UpdaterCommandLine() {
  return BuildUpdaterCommandLine(app::Program().directory, WideOf(ManifestParser.Attribute("下载地址")),
                                 WideOf(ManifestParser.Attribute("文件标题")),
                                 WideOf(ManifestParser.Attribute("文件名")),
                                 WideOf(ManifestParser.Attribute("升级说明")));
}

void HandOffToUpdater() {
  std::wstring line = UpdaterCommandLine();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    WaitForInputIdle(process.hProcess, 1000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  app::EndProgram(0);
}
