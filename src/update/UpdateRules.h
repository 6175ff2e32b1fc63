#pragma once
#include <string>

#include "common/Text.h"

// The version the running program reports to the update server's manifest.
inline constexpr double kProgramVersion = 3.2;

// The published version as a number: full-width digits, sign and point (GBK
// A3xx) count as their ASCII forms, the full-width space as a space, and the
// number is read from the start the way atof reads it; no number gives 0.
double ReadPublishedVersion(const Text& gbk);

// Newer only by more than 1e-7, so a rounding difference never offers an update.
bool IsNewerVersion(double published);

// The updater's command line. Nothing is quoted: the updater splits the words.
std::wstring BuildUpdaterCommandLine(const std::wstring& programDirectory,
                                     const std::wstring& downloadAddress,
                                     const std::wstring& fileTitle,
                                     const std::wstring& fileName,
                                     const std::wstring& notes);
