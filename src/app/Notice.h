#pragma once
#include <string_view>

// The self-closing notice: title "提示信息", OK only, closes itself after 3 s.
void ShowNotice(std::string_view utf8Text);
// The same with GBK text, for texts that come from data.
void ShowNoticeGbk(std::string_view gbkText);
