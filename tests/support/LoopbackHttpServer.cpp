#include <winsock2.h>

#include "support/LoopbackHttpServer.h"

namespace wintest {

LoopbackHttpServer::LoopbackHttpServer(unsigned short port, DWORD lifetimeMs) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  BOOL reuse = TRUE;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 8) != 0) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return;
  }
  listening_ = true;
  thread_ = std::thread([this, lifetimeMs] { Run(lifetimeMs); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  WSACleanup();
}

void LoopbackHttpServer::Serve(const std::string& path, std::string body, Delivery delivery) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = Route{std::move(body), delivery};
}

std::vector<std::string> LoopbackHttpServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Run(DWORD lifetimeMs) {
  const DWORD start = GetTickCount();
  while (!stop_ && GetTickCount() - start < lifetimeMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval tick{0, 50000};
    if (select(0, &readable, nullptr, nullptr, &tick) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    Answer(client);
  }
  listening_ = false;
}

namespace {

bool SendAll(SOCKET s, const char* data, std::size_t size) {
  while (size > 0) {
    const int sent = send(s, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

void LoopbackHttpServer::Answer(std::uintptr_t client) {
  std::string request;
  char buffer[2048];
  const DWORD start = GetTickCount();
  while (request.find("\r\n\r\n") == std::string::npos && GetTickCount() - start < 5000) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    timeval tick{0, 50000};
    if (select(0, &readable, nullptr, nullptr, &tick) <= 0) continue;
    const int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, got);
  }
  std::string path;
  const std::size_t firstSpace = request.find(' ');
  if (firstSpace != std::string::npos) {
    const std::size_t secondSpace = request.find(' ', firstSpace + 1);
    path = request.substr(firstSpace + 1, secondSpace == std::string::npos ? std::string::npos
                                                                            : secondSpace - firstSpace - 1);
  }
  Route route{"", Delivery::Whole};
  bool found = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    auto it = routes_.find(path);
    if (it != routes_.end()) {
      route = it->second;
      found = true;
    }
  }
  const std::string status = found ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n";
  const std::string head = status + "Content-Type: application/octet-stream\r\nContent-Length: " +
                           std::to_string(route.body.size()) + "\r\nConnection: close\r\n\r\n";
  SendAll(client, head.data(), head.size());
  const std::size_t bodySize = route.delivery == Delivery::Whole ? route.body.size() : route.body.size() / 2;
  SendAll(client, route.body.data(), bodySize);
  if (route.delivery == Delivery::DropMidBody) {
    linger hard{1, 0};  // a reset rather than an orderly close
    setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  } else {
    shutdown(client, SD_SEND);
  }
  closesocket(client);
}

}  // namespace wintest
