#include "capture/CaptureState.h"

SharedBytes LastPacket;
SharedBytes LastPacketText;
SharedBytes LastKindName;
int ListenCount = 0;

std::shared_ptr<const Bytes> SharedBytes::Load() const {
  std::shared_ptr<const Bytes> v = value_.load();
  if (!v) {
    static const auto empty = std::make_shared<const Bytes>();
    return empty;
  }
  return v;
}

void SharedBytes::Store(Bytes value) { value_.store(std::make_shared<const Bytes>(std::move(value))); }

void SharedBytes::Release() { value_.store(nullptr); }
