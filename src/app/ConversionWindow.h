#pragma once
#include <windows.h>

// The data conversion window: created on demand, at most once.
inline constexpr wchar_t kConversionWindowClass[] = L"TessivarConversionWindow";
inline constexpr int kIdDataBox = 3001;  // 编辑框1数据

// Opens the window, or brings an open one back (restored or activated) with its text.
HWND OpenConversionWindow();
HWND ConversionWindowHandle();
HWND ConversionDataBox();
HMENU SaveDataMenu();  // "保存数据"
bool RegisterConversionWindowClass(HINSTANCE instance);
