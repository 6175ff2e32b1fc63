#include "app/Tray.h"

#include <shellapi.h>

#include <iterator>
#include <string>

#include "BuildConfig.h"
#include "app/Clipboard.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/WinText.h"
#include "app/res/resource.h"
#include "common/CodePage.h"

namespace {

constexpr std::string_view kTipLead = "欢迎使用Tessivar QQ：";
constexpr std::string_view kCopyEmpty = "复制不能为空";
constexpr int kAddressColumn = 3;  // 目标地址

NOTIFYICONDATAW IconData(HWND owner) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = kTrayIconId;
  return data;
}

// Opens a pop-up menu of the main window just off the pointer; the chosen
// command comes back as an ordinary WM_COMMAND.
void OpenPopup(HMENU menu) {
  HWND owner = MainWindow.window;
  if (!owner || !menu) return;
  POINT at{};
  GetCursorPos(&at);
  // Without the owner in front, a menu opened from the tray does not close
  // when the user clicks elsewhere.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x + 3, at.y + 3, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace

Text CutGbk(std::string_view gbk, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < gbk.size()) {
    const auto lead = static_cast<unsigned char>(gbk[end]);
    const std::size_t width = (lead >= 0x81 && lead <= 0xFE && end + 1 < gbk.size()) ? 2 : 1;
    if (end + width > maxBytes) break;
    end += width;
  }
  return Text(gbk.substr(0, end));
}

Text TrayTip(std::string_view contactUtf8) {
  return CutGbk(codepage::Gbk(kTipLead) + codepage::Gbk(contactUtf8), kTrayTipBytes);
}

void AddTrayIcon(HWND owner) {
  NOTIFYICONDATAW data = IconData(owner);
  data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  data.uCallbackMessage = WM_TRAY_NOTIFY;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  data.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TESSIVAR), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  std::wstring tip = WideOf(TrayTip(TESSIVAR_MAKER_CONTACT));
  tip.copy(data.szTip, std::size(data.szTip) - 1);
  Shell_NotifyIconW(NIM_ADD, &data);
}

void RemoveTrayIcon(HWND owner) {
  NOTIFYICONDATAW data = IconData(owner);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

int TrayEventType(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      return 1;
    case WM_LBUTTONDBLCLK:
      return 2;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      return 3;
    default:
      return 0;
  }
}

void TrayEvent(int type) {
  HWND window = MainWindow.window;
  if (!window) return;
  if (type == 1) {
    if (IsWindowVisible(window)) {
      ShowWindow(window, SW_HIDE);
    } else {
      ShowWindow(window, SW_SHOW);
      SetForegroundWindow(window);
    }
  } else if (type == 3) {
    OpenPopup(MainWindow.mainMenu);
  }
}

void PacketListRightPressed() { OpenPopup(MainWindow.mainMenu); }

void PacketListDoubleClicked() { OpenPopup(MainWindow.convertMenu); }

void CopyDestinationAddress() {
  Text address = PacketListCell(PacketListSelection(), kAddressColumn);
  if (address.empty()) {
    ShowNotice(kCopyEmpty);
    return;
  }
  PutTextOnClipboard(address);
}
