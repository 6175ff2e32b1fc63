#pragma once
#include <atomic>
#include <memory>

#include "common/Text.h"

// The latest datagram, its text and its kind name, shared between the capture
// threads and the main thread. Each is replaced whole: a reader holds its own
// reference, so no reader ever touches a freed buffer.
struct SharedBytes {
  std::shared_ptr<const Bytes> Load() const;
  void Store(Bytes value);
  void Release();

 private:
  std::atomic<std::shared_ptr<const Bytes>> value_;
};

extern SharedBytes LastPacket;
extern SharedBytes LastPacketText;
extern SharedBytes LastKindName;
// Passes of the capture loop; main thread only.
extern int ListenCount;
