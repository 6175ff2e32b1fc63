#include "docking/Docking.h"

#include <optional>

#include "docking/DockGeometry.h"

HWND DockedWindow = nullptr;
WNDPROC PreviousWindowProc = nullptr;
int EdgeStrip = 0;
int MinTrackWidth = 0;
int MinTrackHeight = 0;
int WindowWidth = 0;
int WindowHeight = 0;
int ScreenWidth = 0;
int ScreenHeight = 0;
int TopmostApplied = 0;
int RevealPending = 0;

namespace {

WNDPROC CurrentProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

void Uninstall() {
  if (!IsWindow(DockedWindow)) return;
  KillTimer(DockedWindow, DockTimerId);
  // Only our own link is taken out; a procedure put in front of ours later
  // still forwards through it.
  if (CurrentProc(DockedWindow) == DockWindowProc)
    SetWindowLongPtrW(DockedWindow, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(PreviousWindowProc));
}

std::optional<int> TaskbarHeight() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT r{};
  if (!tray || !GetWindowRect(tray, &r)) return std::nullopt;
  return r.bottom - r.top;
}

}  // namespace

bool InstallDocking(HWND hwnd) {
  if (!hwnd) {
    Uninstall();
    return true;
  }
  if (!IsWindow(hwnd)) return false;
  // Another window docked before gives its procedure back first: one
  // PreviousWindowProc cannot serve two windows.
  if (DockedWindow != hwnd) Uninstall();

  EdgeStrip = 1;
  MinTrackWidth = 100;
  MinTrackHeight = 100;
  DockedWindow = hwnd;
  // Installing twice must not make the procedure its own predecessor: every
  // message would then recurse until the stack runs out.
  if (CurrentProc(hwnd) != DockWindowProc)
    PreviousWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DockWindowProc)));
  return SetTimer(hwnd, DockTimerId, 0, DockTick) == DockTimerId;
}

void CALLBACK DockTick(HWND, UINT, UINT_PTR, DWORD) {
  RECT r{};
  POINT pointer{};
  // Nothing is decided on a rectangle or a pointer that could not be read.
  if (!GetWindowRect(DockedWindow, &r) || !GetCursorPos(&pointer)) return;

  docking::TickInput in;
  in.window = {r.left, r.top, r.right, r.bottom};
  in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  in.pointer = {pointer.x, pointer.y};
  in.revealPending = RevealPending;
  in.topmostApplied = TopmostApplied;
  in.edgeStrip = EdgeStrip;
  const docking::TickPlan plan = docking::PlanTick(in);

  WindowWidth = plan.windowWidth;
  WindowHeight = plan.windowHeight;
  ScreenWidth = in.screenWidth;
  ScreenHeight = in.screenHeight;
  TopmostApplied = plan.topmostApplied;
  RevealPending = plan.revealPending;

  // No SWP_NOACTIVATE: entering the topmost band also brings the window forward.
  if (plan.band == docking::Band::Topmost)
    SetWindowPos(DockedWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  else if (plan.band == docking::Band::NotTopmost)
    SetWindowPos(DockedWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  // One pixel per move with no repaint request is what makes it look like a slide.
  for (int i = 1; i <= plan.moves; ++i) {
    const docking::Rect at = docking::SlidePosition(in.window, plan.slide, i);
    MoveWindow(DockedWindow, at.left, at.top, plan.windowWidth, plan.windowHeight, FALSE);
  }
}

LRESULT CALLBACK DockWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A message sent without its structure (lParam 0) is passed on untouched.
  if (lParam != 0 &&
      docking::SnapshotTaken(WindowWidth, WindowHeight, ScreenWidth, ScreenHeight)) {
    if (msg == WM_MOVING) {
      auto* r = reinterpret_cast<RECT*>(lParam);
      const docking::Rect c = docking::ConfineMoving({r->left, r->top, r->right, r->bottom},
                                                     WindowWidth, WindowHeight, ScreenWidth,
                                                     ScreenHeight);
      r->left = c.left;
      r->top = c.top;
      r->right = c.right;
      r->bottom = c.bottom;
    } else if (msg == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const docking::TrackLimits limits = docking::TrackingLimits(
          MinTrackWidth, MinTrackHeight, ScreenWidth, ScreenHeight, TaskbarHeight());
      info->ptMinTrackSize = {limits.minWidth, limits.minHeight};
      info->ptMaxTrackSize = {limits.maxWidth, limits.maxHeight};
    }
  }
  return CallWindowProcW(PreviousWindowProc, hwnd, msg, wParam, lParam);
}
