#include "app/MainWindow.h"

#include <uxtheme.h>

#include <algorithm>
#include <string>

#include "app/About.h"
#include "app/ProgramTexts.h"
#include "app/ShellRules.h"
#include "app/StartUp.h"
#include "app/Tray.h"
#include "app/WinText.h"
#include "app/res/resource.h"
#include "capture/Capture.h"
#include "convert/ConversionCommands.h"
#include "docking/Docking.h"
#include "update/UpdateCheck.h"

MainWindowParts MainWindow;

int AboutCountdown = 6;

namespace {

PacketRows g_rows;
HFONT g_statusFont = nullptr;

constexpr int kWindowWidth = 844;
constexpr int kWindowHeight = 600;

struct Column {
  int width;
  int format;
};
constexpr Column kColumns[PacketRows::kColumns] = {
    {40, LVCFMT_LEFT},  {120, LVCFMT_CENTER}, {60, LVCFMT_CENTER}, {120, LVCFMT_CENTER},
    {60, LVCFMT_CENTER}, {120, LVCFMT_LEFT},  {300, LVCFMT_CENTER},
};

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle,
           int x, int y, int w, int h, int id) {
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                              nullptr);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return hwnd;
}

void AppendItem(HMENU menu, int id, std::string_view text) {
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), W(text).c_str());
}
void AppendSub(HMENU menu, HMENU sub, std::string_view text) {
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(text).c_str());
}

// The two hidden top-level menus; they only ever open as pop-ups.
void BuildMenus() {
  HMENU upgrade = CreatePopupMenu();
  AppendItem(upgrade, kCmdCheckUpdate, texts::kMenuCheckUpdate);
  MainWindow.mainMenu = CreatePopupMenu();
  AppendSub(MainWindow.mainMenu, upgrade, texts::kMenuUpgrade);
  AppendItem(MainWindow.mainMenu, kCmdCopyAddress, texts::kMenuCopy);
  AppendItem(MainWindow.mainMenu, kCmdAbout, texts::kMenuAbout);

  HMENU encodings = CreatePopupMenu();
  for (int i = 0; i < 9; ++i) AppendItem(encodings, kCmdConversionFirst + i, texts::kConversionItems[i]);
  MainWindow.convertMenu = CreatePopupMenu();
  AppendSub(MainWindow.convertMenu, encodings, texts::kMenuChangeEncoding);
  AppendItem(MainWindow.convertMenu, kCmdOneKey, texts::kMenuOneKey);
}

void CreatePacketList(HWND hwnd) {
  HWND list = Child(hwnd, WC_LISTVIEWW, L"",
                    WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA, 0, 8, 8, 822,
                    510, kIdPacketList);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  ListView_SetTextColor(list, RGB(0, 0, 0));
  ListView_SetTextBkColor(list, RGB(255, 255, 255));
  ListView_SetBkColor(list, RGB(255, 255, 255));
  for (int i = 0; i < PacketRows::kColumns; ++i) {
    std::wstring title = W(texts::kColumnTitles[i]);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = kColumns[i].format;
    col.cx = kColumns[i].width;
    col.pszText = title.data();
    ListView_InsertColumn(list, i, &col);
  }
  MainWindow.packetList = list;
}

void CreateStatusBar(HWND hwnd) {
  HWND bar = Child(hwnd, STATUSCLASSNAMEW, L"", SBARS_TOOLTIPS, 0, 0, 0, 0, 0, kIdStatusBar);
  LOGFONTW lf{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  g_statusFont = CreateFontIndirectW(&lf);
  SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(g_statusFont), TRUE);
  int edges[2] = {63, 256};
  SendMessageW(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(W(texts::kListenState).c_str()));
  SendMessageW(bar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));

  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
  MainWindow.statusPictures = ImageList_Create(32, 20, ILC_COLOR32 | ILC_MASK, 1, 0);
  HBITMAP picture = static_cast<HBITMAP>(
      LoadImageW(inst, MAKEINTRESOURCEW(IDB_STATUS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (picture) {
    ImageList_Add(MainWindow.statusPictures, picture, nullptr);
    DeleteObject(picture);
  }
  MainWindow.statusBar = bar;
  // The bar's tip window is owned by the main window; Wine will not put an
  // owner into the topmost band above a topmost pop-up it owns, which the edge
  // docking needs. Unowned, the tips still show over everything.
  for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
       tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
    if (GetWindow(tip, GW_OWNER) == hwnd) SetWindowLongPtrW(tip, GWLP_HWNDPARENT, 0);
  }
}

LRESULT CALLBACK CountBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_CHAR:
      if (wp == '\r') return 0;  // Enter starts or stops, it types nothing
      if (!CountBoxAcceptsChar(static_cast<unsigned>(wp))) return 0;
      break;
    case WM_GETDLGCODE:
      if (lp && reinterpret_cast<MSG*>(lp)->wParam == VK_RETURN)
        return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
      break;
    case WM_KEYDOWN:
      if (wp == VK_RETURN) {
        StartStop();
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      AttachCountTooltip();
      break;
    case WM_KILLFOCUS: {
      Text now = WindowTextGbk(hwnd);
      std::string fixed = NormalizeCountText(now);
      if (fixed != now) {
        DWORD start = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        SetWindowTextW(hwnd, WideOf(fixed).c_str());
        SendMessageW(hwnd, EM_SETSEL, start, start);
      }
      break;
    }
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void CreateControls(HWND hwnd) {
  CreatePacketList(hwnd);
  CreateStatusBar(hwnd);
  MainWindow.listenLabel = Child(hwnd, L"STATIC", W(texts::kListenLabel),
                                 SS_CENTER | SS_CENTERIMAGE, 0, 24, 526, 40, 16, kIdListenLabel);
  MainWindow.addressBox = Child(hwnd, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                CBS_AUTOHSCROLL, 0, 63, 524, 192, 160, kIdAddressBox);
  MainWindow.startButton = Child(hwnd, L"BUTTON", W(texts::kStart), WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER,
                                 0, 256, 522, 56, 24, kIdStartButton);
  MainWindow.clearButton = Child(hwnd, L"BUTTON", W(texts::kClear), WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER,
                                 0, 312, 522, 56, 24, kIdClearButton);
  MainWindow.countBox = Child(hwnd, L"EDIT", L"", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                              WS_EX_CLIENTEDGE, 374, 523, 56, 22, kIdCountBox);
  SetWindowSubclass(MainWindow.countBox, CountBoxProc, 1, 0);
  InstallCaptureNotifications(MainWindow.startButton);
  BuildMenus();
}

void OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  std::string_view cell = g_rows.Cell(item.iItem, item.iSubItem);
  // Only what the list can show is decoded: at most two bytes a character.
  size_t room = static_cast<size_t>(item.cchTextMax) * 2;
  std::wstring wide = WideOf(cell.substr(0, std::min(cell.size(), room)));
  size_t n = std::min(wide.size(), static_cast<size_t>(item.cchTextMax - 1));
  wide.copy(item.pszText, n);
  item.pszText[n] = L'\0';
}

void OnCommand(int id) {
  if (id >= kCmdConversionFirst && id <= kCmdOneKey) {
    // The conversion commands of "数据待转".
    RunConversionCommand(id);
    return;
  }
  switch (id) {
    // The buttons.
    case kIdStartButton:
      StartStop();
      break;
    case kIdClearButton:
      ClearList();
      break;
    // The commands of "菜单".
    case kCmdCopyAddress:
      CopyDestinationAddress();
      break;
    case kCmdAbout:
      ShowAbout();
      break;
    case kCmdCheckUpdate:
      CheckForUpdate();
      break;
    default:
      break;
  }
}

void MainWindowCloseQuery() {
  int answer = MessageBoxW(nullptr, W(texts::kCloseQuestion).c_str(), W(texts::kCloseTitle).c_str(),
                           MB_OKCANCEL | MB_ICONQUESTION | MB_TASKMODAL);
  if (answer == IDOK) app::EndProgram(0);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      MainWindow.window = hwnd;
      CreateControls(hwnd);
      return 0;
    case WM_SIZE:
      SendMessageW(MainWindow.statusBar, WM_SIZE, 0, 0);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == MainWindow.listenLabel) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->hwndFrom == MainWindow.packetList && hdr->code == LVN_GETDISPINFOW) {
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(lp));
        return 0;
      }
      // The list still does its own handling of the click.
      if (hdr->hwndFrom == MainWindow.packetList && hdr->code == NM_RCLICK) {
        PacketListRightPressed();
        return 0;
      }
      if (hdr->hwndFrom == MainWindow.packetList && hdr->code == NM_DBLCLK) {
        PacketListDoubleClicked();
        return 0;
      }
      break;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wp));
      return 0;
    case WM_TIMER:
      if (wp == kAboutTimerId) {
        AboutTick();
        return 0;
      }
      if (wp == kRowsTimerId) {
        RowsReady();
        return 0;
      }
      break;
    case WM_TRAY_NOTIFY:
      TrayEvent(TrayEventType(LOWORD(lp)));
      return 0;
    case WM_ROWS_READY:
      RowsReady();
      return 0;
    case WM_CLOSE:
      MainWindowCloseQuery();
      return 0;  // a confirmed close has ended the program already
    case WM_DESTROY:
      if (MainWindow.window == hwnd) {
        RemoveTrayIcon(hwnd);
        DestroyMenu(MainWindow.mainMenu);
        DestroyMenu(MainWindow.convertMenu);
        ImageList_Destroy(MainWindow.statusPictures);
        if (g_statusFont) DeleteObject(g_statusFont);
        g_statusFont = nullptr;
        MainWindow = MainWindowParts{};
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void FillAddressBox() {
  std::vector<Text> listed = AddressesToList(app::ResolveHostAddresses());
  for (const Text& a : listed)
    SendMessageW(MainWindow.addressBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOf(a).c_str()));
  int index = AddressSelection(listed.size());
  if (index >= 0) SendMessageW(MainWindow.addressBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TESSIVAR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TESSIVAR), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  RegisterClassExW(&wc);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  HWND hwnd = CreateWindowExW(0, kMainWindowClass, W(texts::kMainTitle).c_str(),
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                              x, y, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  MainWindowCreated();
  if (!MainWindow.window) return nullptr;  // a refused second instance
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return hwnd;
}

void MainWindowCreated() {
  app::SingleInstanceGuard(app::Program().fileName);
  if (!MainWindow.window) return;
  SetWindowTextGbk(MainWindow.window, StandardCaption());
  FillAddressBox();
  AboutCountdown = 6;
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
  AddTrayIcon(MainWindow.window);
  RevealPending = 1;
  InstallDocking(MainWindow.window);
}

PacketRows& PacketListRows() { return g_rows; }

std::ptrdiff_t PacketListSelection() {
  if (!MainWindow.packetList) return -1;
  return ListView_GetNextItem(MainWindow.packetList, -1, LVNI_SELECTED);
}

Text PacketListCell(std::ptrdiff_t row, int column) { return Text(g_rows.Cell(row, column)); }

void PacketListChanged() {
  if (MainWindow.packetList)
    ListView_SetItemCountEx(MainWindow.packetList, static_cast<int>(g_rows.Count()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void PacketListClear() {
  g_rows.Clear();
  if (MainWindow.packetList) ListView_DeleteAllItems(MainWindow.packetList);
}

void SetStatusText(int part, std::string_view gbk) {
  if (MainWindow.statusBar)
    SendMessageW(MainWindow.statusBar, SB_SETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(WideOf(gbk).c_str()));
}
