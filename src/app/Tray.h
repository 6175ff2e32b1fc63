#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>

#include "common/Text.h"

// The notification-area icon, the two pop-up menus and "复制".

inline constexpr UINT kTrayIconId = 100;
inline constexpr UINT WM_TRAY_NOTIFY = WM_APP + 100;

// The tip field holds at most this many bytes of GBK.
inline constexpr std::size_t kTrayTipBytes = 62;

// "欢迎使用Tessivar QQ：" and the contact, in GBK, cut to the tip field.
Text TrayTip(std::string_view contactUtf8);
// At most maxBytes of a GBK text, never ending in the first half of a
// double-byte character.
Text CutGbk(std::string_view gbk, std::size_t maxBytes);

void AddTrayIcon(HWND owner);
void RemoveTrayIcon(HWND owner);

// Event type of a mouse notification of the icon: 1 left button up, 2 left
// double click, 3 right button up or context menu, 0 anything else.
int TrayEventType(UINT mouseMessage);
void TrayEvent(int type);

void PacketListRightPressed();
void PacketListDoubleClicked();
void CopyDestinationAddress();
