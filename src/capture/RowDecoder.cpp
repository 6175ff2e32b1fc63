#include "capture/RowDecoder.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include "convert/EscapeDecoding.h"

namespace {

unsigned ByteAt(std::string_view d, size_t i) {
  return i < d.size() ? static_cast<unsigned char>(d[i]) : 0u;
}

unsigned Word(std::string_view d, size_t i) { return ByteAt(d, i) << 8 | ByteAt(d, i + 1); }

Text Address(std::string_view d, size_t i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", ByteAt(d, i), ByteAt(d, i + 1), ByteAt(d, i + 2),
                ByteAt(d, i + 3));
  return buf;
}

Text Decimal(unsigned v) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
  return buf;
}

}  // namespace

std::optional<PacketKind> ClassifyDatagram(std::string_view datagram) {
  if (datagram.size() < 10) return std::nullopt;
  switch (static_cast<unsigned char>(datagram[9])) {
    case 0: return kKindIp;
    case 1: return kKindIomp;
    case 6: return kKindTcp;
    case 17: return kKindUdp;
    default: return std::nullopt;
  }
}

std::string_view KindName(PacketKind kind) {
  static constexpr std::string_view names[] = {"IP", "IOMP", "TCP", "UDP"};
  return kind >= 0 && kind <= 3 ? names[kind] : std::string_view();
}

DecodedRow DecodeRow(PacketKind kind, std::string_view d) {
  DecodedRow row;
  row.cells[0] = Text(KindName(kind));
  row.cells[1] = Address(d, 12);
  row.cells[2] = Decimal(Word(d, 20));
  row.cells[3] = Address(d, 16);
  row.cells[4] = Decimal(Word(d, 22));
  const double length = Word(d, 2) - 20.0 - (ByteAt(d, 32) * 4.0) / 16.0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.13g", length);
  row.cells[5] = buf;
  row.packetText.assign(d);
  for (char& c : row.packetText)
    if (c == '\0') c = '.';
  row.cells[6] = ScriptUnescape(TextOf(row.packetText), "\r\n");
  return row;
}

int ReadCount(std::string_view gbk) {
  std::string ascii;
  ascii.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c >= 0x80 && i + 1 < gbk.size()) {
      unsigned char t = static_cast<unsigned char>(gbk[i + 1]);
      if (c == 0xA3 && t >= 0xA1 && t <= 0xFE) ascii += static_cast<char>(t - 0x80);
      else if (c == 0xA1 && t == 0xA1) ascii += ' ';
      else ascii += '\x01';  // any other character stops the number
      ++i;
      continue;
    }
    ascii += static_cast<char>(c);
  }
  size_t i = 0;
  while (i < ascii.size() && (ascii[i] == ' ' || (ascii[i] >= '\t' && ascii[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) negative = ascii[i++] == '-';
  int64_t v = 0;
  for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
    v = v * 10 + (ascii[i] - '0');
    if (v > static_cast<int64_t>(INT_MAX) + 1) v = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<int>(v);
}
