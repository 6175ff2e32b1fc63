#include "app/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "app/WinText.h"

namespace {
HGLOBAL Copy(const void* data, size_t bytes) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!mem) return nullptr;
  if (void* p = GlobalLock(mem)) {
    std::memcpy(p, data, bytes);
    GlobalUnlock(mem);
  }
  return mem;
}
}  // namespace

bool PutTextOnClipboard(std::string_view gbk) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  std::string bytes(gbk);
  if (HGLOBAL text = Copy(bytes.c_str(), bytes.size() + 1))
    if (!SetClipboardData(CF_TEXT, text)) GlobalFree(text);
  std::wstring wide = WideOf(gbk);
  if (HGLOBAL unicode = Copy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)))
    if (!SetClipboardData(CF_UNICODETEXT, unicode)) GlobalFree(unicode);
  CloseClipboard();
  return true;
}
