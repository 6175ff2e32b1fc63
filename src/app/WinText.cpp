#include "app/WinText.h"

#include "common/CodePage.h"

std::wstring WideOf(std::string_view gbk) {
  std::u16string w = codepage::ToWide(codepage::kGbk, gbk);
  return std::wstring(w.begin(), w.end());
}

Text GbkOf(std::wstring_view wide) {
  std::u16string_view w(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
  return TextOf(codepage::FromWide(codepage::kGbk, w));
}

std::wstring W(std::string_view utf8) {
  std::u16string w = codepage::ToWide(codepage::kUtf8, utf8);
  return std::wstring(w.begin(), w.end());
}

std::wstring WindowTextW(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, s.data(), n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  return s;
}

Text WindowTextGbk(HWND hwnd) { return GbkOf(WindowTextW(hwnd)); }

void SetWindowTextGbk(HWND hwnd, std::string_view gbk) {
  SetWindowTextW(hwnd, WideOf(gbk).c_str());
}
