#pragma once
#include <string>
#include <string_view>

// Text: bytes in code page 936 with no zero byte inside. Bytes: any bytes.
// Both are plain byte strings so that captured data passes through untouched.
using Text = std::string;
using Bytes = std::string;

// Bytes to Text: up to the first zero byte, or all of them.
inline Text TextOf(std::string_view bytes) {
  return Text(bytes.substr(0, bytes.find('\0')));
}
