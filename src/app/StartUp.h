#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/Text.h"

// Program life: start-up, the single-instance guard, the close query, the end.
namespace app {

struct ProgramLocation {
  std::wstring directory;  // without a trailing backslash
  std::wstring fileName;   // as the system reports the module's path
};
const ProgramLocation& Program();

// The body of WinMain: prepares the process, opens the main window and runs
// the message loop until EndProgram.
int RunProgram(HINSTANCE instance);
// The same preparation without the loop, for tests that drive the windows.
HWND StartProgram(HINSTANCE instance);

// Every end of the program comes here: clean-up, windows destroyed, process exit.
void EndProgram(int exitCode);
void ExitCleanup();

// Returns only when no other instance holds the marker.
void SingleInstanceGuard(const std::wstring& markerName);

// One message of any of the program's loops: Esc as a close request and Tab
// between controls before the usual translate and dispatch.
void HandleMessage(MSG& msg);
// Dispatches everything queued for the thread, stopping short of a quit message.
void ProcessPendingMessages();

// Test seams (never switched at run time by the shipped program).
namespace testing {
// Called instead of ending the process; EndProgram then returns.
void SetEndProgramHook(void (*hook)(int exitCode));
// Replaces the host-name resolver that fills the address box.
void SetAddressResolver(std::vector<Text> (*resolver)());
}  // namespace testing

std::vector<Text> ResolveHostAddresses();

}  // namespace app
