#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/Text.h"

// Rules of the application shell that need no window.

inline constexpr double ProgramVersion = 3.2;

// "Tessivar", 50 spaces, "版本号：" and the version in its shortest form, as GBK.
Text StandardCaption();
// The version as the shortest decimal text that reads back as the same double.
std::string VersionText(double version);

// Count box: which typed characters get in, and what the text becomes when the
// box loses the focus (empty for 0).
bool CountBoxAcceptsChar(unsigned ch);
std::string NormalizeCountText(std::string_view text);

// Address box: at most ten addresses; index 1 is selected, brought down to the
// last entry; -1 when there is none.
inline constexpr std::size_t kMaxAddresses = 10;
std::vector<Text> AddressesToList(const std::vector<Text>& resolved);
int AddressSelection(std::size_t listed);
