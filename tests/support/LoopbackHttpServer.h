#pragma once
#include <windows.h>

#include <cstdint>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// A small HTTP/1.0 server on 127.0.0.1 for the update tests. It answers each
// configured path with its body and closes; it stops when destroyed, and by
// itself after lifetimeMs.
class LoopbackHttpServer {
 public:
  enum class Delivery {
    Whole,         // the body with its Content-Length
    Truncated,     // announces the whole length, sends half, closes cleanly
    DropMidBody,   // announces the whole length, sends half, resets the connection
  };

  explicit LoopbackHttpServer(unsigned short port = 18631, DWORD lifetimeMs = 120000);
  ~LoopbackHttpServer();
  bool Listening() const { return listening_; }

  void Serve(const std::string& path, std::string body, Delivery delivery = Delivery::Whole);
  // The request lines received so far ("GET /x HTTP/1.0") with their headers.
  std::vector<std::string> Requests();

 private:
  struct Route {
    std::string body;
    Delivery delivery;
  };
  void Run(DWORD lifetimeMs);
  void Answer(std::uintptr_t client);

  std::uintptr_t listener_ = ~std::uintptr_t(0);  // a SOCKET
  std::atomic<bool> listening_{false};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace wintest
