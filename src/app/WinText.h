#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "common/Text.h"

// The windows speak UTF-16; the program's texts are code page 936. These are the
// only crossings between the two.
std::wstring WideOf(std::string_view gbk);
Text GbkOf(std::wstring_view wide);
// A UTF-8 literal of the source code, for the W API.
std::wstring W(std::string_view utf8);

std::wstring WindowTextW(HWND hwnd);
Text WindowTextGbk(HWND hwnd);
void SetWindowTextGbk(HWND hwnd, std::string_view gbk);
