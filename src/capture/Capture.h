#pragma once
#include <windows.h>

// Start/Stop, Clear, the capture socket and the capture loop (main thread),
// and the workers that receive and decode datagrams.

// Winsock posts this to the Start/Stop button whenever a datagram can be read.
inline constexpr UINT WM_CAPTURE_READ = 888;
// A batch of decoded rows waits for the main thread.
inline constexpr UINT WM_ROWS_READY = WM_APP + 1;

void StartStop();
void ClearList();
// One tooltip window serves the program; made at its first use.
void AttachCountTooltip();
// Every read notification leads to a receive, also one dispatched to the button.
void InstallCaptureNotifications(HWND startButton);
// Main thread: moves the decoded rows into the packet list.
void TakeDecodedRows();
// Main thread, on WM_ROWS_READY and on its timer: takes the rows, at most
// every 50 ms, so a flood repaints the list and status bar a few times a
// second instead of once per batch.
inline constexpr UINT_PTR kRowsTimerId = 2;
void RowsReady();
// Releases the capture's shared buffers (exit clean-up).
void ReleaseCaptureState();
