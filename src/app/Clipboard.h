#pragma once
#include <string_view>

// Puts a GBK text on the clipboard as CF_TEXT (the GBK bytes, what programs on
// a Chinese system read) and CF_UNICODETEXT (so any locale pastes the same
// characters). Returns false, changing nothing, when the clipboard is held
// by another program.
bool PutTextOnClipboard(std::string_view gbk);
