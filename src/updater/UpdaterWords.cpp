#include "updater/UpdaterWords.h"

#include <cstdint>

UpdateOrder ReadUpdateOrder(const std::wstring& commandLine) {
  UpdateOrder order;
  static const std::wstring kMarker = L"update.exe fzgr ";
  std::wstring lower = commandLine;
  for (auto& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  const std::size_t at = lower.find(kMarker);
  if (at == std::wstring::npos) return order;
  std::vector<std::wstring> words;
  std::wstring rest = commandLine.substr(at + kMarker.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = rest.find(L' ', start);
    words.push_back(rest.substr(start, space == std::wstring::npos ? std::wstring::npos : space - start));
    if (space == std::wstring::npos) break;
    start = space + 1;
  }
  std::size_t run = 1;
  while (run < words.size() && words[run] != L"运行") ++run;
  if (run + 2 >= words.size()) return order;
  order.downloadAddress = words[0];
  for (std::size_t i = 1; i < run; ++i) order.fileTitle += (i > 1 ? L" " : L"") + words[i];
  order.programToStart = words[run + 1];
  order.fileName = words[run + 2];
  for (std::size_t i = run + 3; i < words.size(); ++i) order.notes += (i > run + 3 ? L" " : L"") + words[i];
  order.valid = !order.downloadAddress.empty() && !order.fileName.empty() && !order.programToStart.empty();
  return order;
}

bool LooksLikeExecutable(const std::string& bytes) {
  if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
  std::uint32_t offset = 0;
  for (int i = 3; i >= 0; --i) offset = (offset << 8) | static_cast<unsigned char>(bytes[0x3C + i]);
  if (offset > bytes.size() || bytes.size() - offset < 4) return false;
  return bytes.compare(offset, 4, std::string("PE\0\0", 4)) == 0;
}
