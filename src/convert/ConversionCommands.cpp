#include "convert/ConversionCommands.h"

#include <windows.h>

#include <algorithm>

#include "app/Clipboard.h"
#include "app/ConversionWindow.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/StartUp.h"
#include "app/WinText.h"
#include "convert/Commands.h"

namespace {

constexpr int kDataColumn = 6;
convert::ConversionState g_state;  // SelectedText and SelectedBytes

void AppendToDataBox(HWND box, const Text& gbk) {
  const LRESULT end = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, end, end);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(WideOf(gbk).c_str()));
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

// Written beside the target and renamed over it, so a failed save never
// leaves a cut-short data file behind.
bool ReplaceFileWith(const std::wstring& path, const Bytes& bytes) {
  const std::wstring temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = ok && FlushFileBuffers(file);
  CloseHandle(file);
  ok = ok && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace

void RunConversionCommand(int commandId) {
  const int index = commandId - kCmdConversionFirst;
  if (convert::KindOfCommand(index) == convert::CommandKind::kOneKey) {
    OpenConversionWindow();
    HWND box = ConversionDataBox();
    if (!box) return;  // closed while its creation let queued messages run
    SetWindowTextGbk(box, convert::OneKeyView(g_state));
    return;
  }
  if (index < 0 || index >= convert::kSingleCommands) return;
  // The selection and the cell are read once: decoders may add rows meanwhile.
  const std::ptrdiff_t row = PacketListSelection();
  const Text cell = row < 0 ? Text() : PacketListCell(row, kDataColumn);
  const auto result = convert::RunSingleCommand(index, cell, g_state);
  if (!result) return;
  OpenConversionWindow();
  if (HWND box = ConversionDataBox()) AppendToDataBox(box, *result);
}

void CopyDataSelection() {
  HWND box = ConversionDataBox();
  if (!box) return;
  DWORD start = 0, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring all = WindowTextW(box);
  if (start > end) std::swap(start, end);
  start = std::min<DWORD>(start, static_cast<DWORD>(all.size()));
  end = std::min<DWORD>(end, static_cast<DWORD>(all.size()));
  PutTextOnClipboard(GbkOf(std::wstring_view(all).substr(start, end - start)));
}

std::wstring DataFilePath() { return app::Program().directory + L"\\" + W("数据文件.txt"); }

void SaveDataBox() {
  HWND box = ConversionDataBox();
  if (!box) return;
  const Text text = WindowTextGbk(box);
  if (text.empty()) {
    ShowNotice("保存数据不能为空");
    return;
  }
  if (!ReplaceFileWith(DataFilePath(), text)) {
    ShowNotice("保存失败，文件无法写入");
    return;
  }
  ShowNotice("已保存在同目录");
}

void ReleaseConversionState() { convert::ReleaseState(g_state); }
