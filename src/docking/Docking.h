#pragma once
#include <windows.h>

// Edge docking of the main window: a timer slides it out of sight at the left,
// right or top edge and back when the pointer touches its strip; a replacement
// window procedure keeps drags inside the screen and answers the tracking limits.
// Main thread only.

extern HWND DockedWindow;
extern WNDPROC PreviousWindowProc;
extern int EdgeStrip;
extern int MinTrackWidth;
extern int MinTrackHeight;
// Snapshot of the last tick; zero until the first one.
extern int WindowWidth;
extern int WindowHeight;
extern int ScreenWidth;
extern int ScreenHeight;
extern int TopmostApplied;
// 1 while the window must not hide: set by the main window's creation, cleared
// by the first tick that finds the pointer over the window.
extern int RevealPending;

constexpr UINT_PTR DockTimerId = 80911042;

// With a window: docks it and starts the timer; true when the timer runs.
// With a null handle: stops the timer and puts the old procedure back.
bool InstallDocking(HWND hwnd);

// The timer callback; the arguments are not used, so a test may call it directly
// to run exactly one tick.
void CALLBACK DockTick(HWND, UINT, UINT_PTR, DWORD);

LRESULT CALLBACK DockWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
