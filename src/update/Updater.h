#pragma once
#include <string>

#include "common/Text.h"

// Writes "升级文件\update.exe" from the carried updater when it is missing; an
// updater already there is never replaced.
void PrepareUpdater();

// The carried updater program, as the running module holds it.
Bytes CarriedUpdaterBytes();

// The updater's command line from the manifest held now.
std::wstring UpdaterCommandLine();

// Starts the updater and ends the program; does not return.
void HandOffToUpdater();
