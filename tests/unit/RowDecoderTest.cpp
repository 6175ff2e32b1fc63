#include <gtest/gtest.h>

#include <string>

#include "capture/RowDecoder.h"
#include "common/CodePage.h"

using namespace std::string_literals;

namespace {

// A 20-byte IPv4 header from 192.168.1.2 to 10.0.0.7 with the given protocol
// and total length, followed by `rest` (transport header and payload).
std::string Datagram(unsigned char protocol, unsigned total, const std::string& rest) {
  std::string d = "\x45\x00"s;
  d += static_cast<char>(total >> 8);
  d += static_cast<char>(total & 0xFF);
  d += "\x12\x34\x40\x00\x40"s;
  d += static_cast<char>(protocol);
  d += "\x00\x00\xC0\xA8\x01\x02\x0A\x00\x00\x07"s;
  return d + rest;
}

// TCP header: ports 1234 -> 443, data-offset byte at offset 12 of the segment.
std::string Tcp(unsigned char offsetByte, const std::string& payload) {
  std::string h = "\x04\xD2\x01\xBB"s + std::string(8, '\x01');
  h += static_cast<char>(offsetByte);
  h += std::string(7, '\x02');
  return h + payload;
}

TEST(RowDecoder, ClassifiesByTheProtocolByte) {
  struct Case {
    std::string datagram;
    int kind;  // -1: no row
  } cases[] = {
      {Datagram(0, 20, ""), kKindIp},     {Datagram(1, 20, ""), kKindIomp},
      {Datagram(6, 20, ""), kKindTcp},    {Datagram(17, 20, ""), kKindUdp},
      {Datagram(2, 20, ""), -1},          {Datagram(255, 20, ""), -1},
      {Datagram(17, 20, "").substr(0, 10), kKindUdp},
      {Datagram(17, 20, "").substr(0, 9), -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    auto kind = ClassifyDatagram(c.datagram);
    EXPECT_EQ(kind ? static_cast<int>(*kind) : -1, c.kind) << c.datagram.size();
  }
  EXPECT_EQ(KindName(kKindIp), "IP");
  EXPECT_EQ(KindName(kKindIomp), "IOMP");
  EXPECT_EQ(KindName(kKindTcp), "TCP");
  EXPECT_EQ(KindName(kKindUdp), "UDP");
}

TEST(RowDecoder, CellsFromFixedOffsets) {
  struct Case {
    const char* what;
    PacketKind kind;
    std::string datagram;
    std::array<std::string, 6> cells;  // columns 0 to 5
  } cases[] = {
      {"tcp, 20 bytes of payload", kKindTcp, Datagram(6, 60, Tcp(0x50, std::string(20, 'a'))),
       {"TCP", "192.168.1.2", "1234", "10.0.0.7", "443", "20"}},
      {"data-offset byte 0x51", kKindTcp, Datagram(6, 60, Tcp(0x51, std::string(20, 'a'))),
       {"TCP", "192.168.1.2", "1234", "10.0.0.7", "443", "19.75"}},
      {"udp with byte 32 = FF", kKindUdp,
       Datagram(17, 40, "\x00\x35\xC3\x50\x00\x14\x00\x00\x00\x00\x00\x00\xFF"s + std::string(7, 'x')),
       {"UDP", "192.168.1.2", "53", "10.0.0.7", "50000", "-43.75"}},
      // ICMP echo: type 8 code 0 is the source port, the checksum the destination's.
      {"icmp", kKindIomp, Datagram(1, 28, "\x08\x00\xF7\xFF\x00\x00\x00\x00"s),
       {"IOMP", "192.168.1.2", "2048", "10.0.0.7", "63487", "8"}},
      // Options move the transport header; the ports are then option bytes.
      {"header with options", kKindUdp,
       "\x46\x00\x00\x24\x00\x00\x00\x00\x40\x11\x00\x00\xC0\xA8\x01\x02\x0A\x00\x00\x07"
       "\x01\x01\x01\xBB\x00\x35\x00\x35\x00\x10\x00\x00\x00\x00\x00\x00"s,
       {"UDP", "192.168.1.2", "257", "10.0.0.7", "443", "16"}},
      {"empty datagram", kKindIp, "", {"IP", "0.0.0.0", "0", "0.0.0.0", "0", "-20"}},
      {"short datagram", kKindUdp, "\x45\x00\x00\x1C\x00\x00\x00\x00\x40\x11\x00\x00\x7F\x00"s,
       {"UDP", "127.0.0.0", "0", "0.0.0.0", "0", "8"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DecodedRow row = DecodeRow(c.kind, c.datagram);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(row.cells[i], c.cells[i]) << "column " << i;
    EXPECT_EQ(row.packetText.size(), c.datagram.size());
  }
}

TEST(RowDecoder, DataColumnIsTheWholeDatagramAsText) {
  struct Case {
    const char* what;
    std::string datagram;
    std::string data;
  } cases[] = {
      {"zero bytes become full stops", "AB\0\0C\0"s, "AB..C."},
      {"a CR LF pair is an escape prefix", "\r\n0041x"s, "Ax"},
      {"CR LF before a non-hex text stays as %u", "a\r\nb"s, "a%ub"},
      {"a lone CR empties the cell", "ab\rcd"s, ""},
      {"a lone LF empties the cell", "ab\ncd"s, ""},
      {"escapes decode", "%u4E2D%u6587"s, "\xD6\xD0\xCE\xC4"s},
      {"apostrophes are plain characters", "it's"s, "it's"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DecodedRow row = DecodeRow(kKindUdp, c.datagram);
    EXPECT_EQ(row.cells[6], c.data);
  }
  EXPECT_EQ(DecodeRow(kKindUdp, "AB\0\0C\0"s).packetText, "AB..C.");
}

TEST(RowDecoder, CountReadsFullWidthFormsAndAtoiRules) {
  struct Case {
    std::string text;
    int value;
  } cases[] = {
      {"", 0},          {"12", 12},        {"  7x", 7},      {"-3", -3},
      {"+5", 5},        {"abc", 0},        {"\xA3\xB3\xA3\xB0"s, 30},  // full-width 30
      {"\xA1\xA1\xA3\xAD\xA3\xB5"s, -5},   // full-width space, minus, 5
      {"1\xD6\xD0"s "2", 1},               // another character ends the number
      {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadCount(c.text), c.value) << c.text;
}

}  // namespace
