#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "common/Text.h"

// Turning one captured IPv4 datagram into a row of the packet list. Fixed
// offsets only: the header length is not looked at, the transport header is
// not parsed, and what a short datagram lacks reads as zero.

enum PacketKind : int { kKindIp = 0, kKindIomp = 1, kKindTcp = 2, kKindUdp = 3 };

// The kind of a datagram by its protocol byte (offset 9): 0, 1, 6 or 17; none
// for any other protocol or a datagram under 10 bytes.
std::optional<PacketKind> ClassifyDatagram(std::string_view datagram);
std::string_view KindName(PacketKind kind);

struct DecodedRow {
  std::array<Text, 7> cells;
  Bytes packetText;  // the datagram with each zero byte made a full stop
};

DecodedRow DecodeRow(PacketKind kind, std::string_view datagram);

// The count box read as the capture loop reads it: full-width forms count as
// their ASCII characters, then C atoi rules (saturating instead of overflowing).
int ReadCount(std::string_view gbk);
