#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "app/PacketRows.h"
#include "common/Text.h"

// The main window, its controls and its hidden pop-up menus.

enum ControlId : int {
  kIdPacketList = 2001,
  kIdCountBox,
  kIdStatusBar,
  kIdAddressBox,
  kIdListenLabel,
  kIdClearButton,
  kIdStartButton,
};

// Menu commands start above IDOK/IDCANCEL, which dialog navigation sends.
enum CommandId : int {
  kCmdCheckUpdate = 1001,
  kCmdCopyAddress,
  kCmdAbout,
  kCmdConversionFirst = 1101,  // the nine single conversions, in menu order
  kCmdOneKey = 1110,
  kCmdCopySelection = 1201,    // of "保存数据"
  kCmdSaveData,
};

inline constexpr UINT_PTR kAboutTimerId = 1;

struct MainWindowParts {
  HWND window = nullptr;
  HWND packetList = nullptr;   // 超级列表框1
  HWND countBox = nullptr;     // 编辑框1次数
  HWND statusBar = nullptr;    // 状态条1
  HWND addressBox = nullptr;   // IP选择
  HWND listenLabel = nullptr;  // 标签1
  HWND clearButton = nullptr;  // 按钮3清空
  HWND startButton = nullptr;  // 按钮1开始
  HMENU mainMenu = nullptr;     // "菜单"
  HMENU convertMenu = nullptr;  // "数据待转"
  HIMAGELIST statusPictures = nullptr;
};
extern MainWindowParts MainWindow;

inline constexpr wchar_t kMainWindowClass[] = L"TessivarMainWindow";

// Creates the window with its controls and runs its creation handler.
HWND CreateMainWindow(HINSTANCE instance);
void MainWindowCreated();

// Packet list operations (main thread).
PacketRows& PacketListRows();
std::ptrdiff_t PacketListSelection();
Text PacketListCell(std::ptrdiff_t row, int column);
// Tells the list view that rows were added or removed.
void PacketListChanged();
void PacketListClear();

void SetStatusText(int part, std::string_view gbk);
