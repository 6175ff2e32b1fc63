#pragma once
// Inputs shared by the escape decoding benchmarks: 1,500-byte texts as the
// packet decoder hands them over, built from a fixed seed.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace escapebench {

constexpr std::size_t kDatagramSize = 1500;

// A listed datagram: an IPv4 header and a binary payload, zero bytes made full
// stops. Lone CR and LF bytes are likely, and so is an early end.
inline std::string RowLikeDatagram(std::mt19937& rng) {
  std::string d(kDatagramSize, '\0');
  const unsigned char header[20] = {0x45, 0x00, 0x05, 0xDC, 0x1C, 0x46, 0x40, 0x00, 0x80, 0x11,
                                    0xB1, 0xE6, 0xC0, 0xA8, 0x01, 0x64, 0xC0, 0xA8, 0x01, 0x01};
  for (std::size_t i = 0; i < 20; ++i) d[i] = static_cast<char>(header[i]);
  for (std::size_t i = 20; i < d.size(); ++i) d[i] = static_cast<char>(rng() & 0xFF);
  for (char& c : d)
    if (c == '\0') c = '.';
  return d;
}

// A datagram that carries escaped text: ASCII, GBK, %u and \u escapes and CR LF
// pairs, so the whole of it is decoded. No apostrophe, no lone line break.
inline std::string TextLikeDatagram(std::mt19937& rng) {
  static const char* const pieces[] = {
      "GET /index.html HTTP/1.1", "\r\n", "%u4E2D%u6587", "\\u4e2d\\u6587", "\xD6\xD0\xCE\xC4",
      "name=%41%42%43&x=1", "\\x41\\101", " Host: 192.168.1.1 ", "\xB1\xA8\xCE\xC4\xCA\xFD\xBE\xDD"};
  std::string d;
  while (d.size() < kDatagramSize) d += pieces[rng() % std::size(pieces)];
  d.resize(kDatagramSize);
  // Never cut a GBK pair or an escape at the end.
  while (!d.empty() && (static_cast<unsigned char>(d.back()) >= 0x80 || d.back() == '\\' ||
                        d.back() == '\r'))
    d.pop_back();
  return d;
}

inline std::vector<std::string> Make(std::string (*make)(std::mt19937&), int count) {
  std::mt19937 rng(1500);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(make(rng));
  return out;
}

}  // namespace escapebench
