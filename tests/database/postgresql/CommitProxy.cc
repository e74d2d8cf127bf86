#include "tests/database/postgresql/CommitProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace viruzedi::testing {
namespace {

// The value of `key=` in a URI's query, "" when absent.
std::string QueryValue(const std::string& uri, const std::string& key) {
  size_t at = uri.find("?" + key + "=");
  if (at == std::string::npos) at = uri.find("&" + key + "=");
  if (at == std::string::npos) return "";
  at += key.size() + 2;
  return uri.substr(at, uri.find('&', at) - at);
}

sockaddr_un SocketAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) throw std::runtime_error("socket path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

bool WriteAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return ntohl(value);
}

// The length of the first whole message of `buffer`, 0 while incomplete.
// Before the start-up a message has no type byte.
size_t WholeMessage(const std::string& buffer, bool typed) {
  const size_t header = typed ? 5 : 4;
  if (buffer.size() < header) return 0;
  const size_t size = BigEndian32(buffer, typed ? 1 : 0) + (typed ? 1 : 0);
  return buffer.size() >= size ? size : 0;
}

bool IsCommit(const std::string& message) {
  if (message[0] != 'Q') return false;
  std::string text = message.substr(5);
  text.erase(std::remove_if(text.begin(), text.end(),
                            [](char c) { return c == '\0' || c == ';' || std::isspace(c); }),
             text.end());
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return static_cast<char>(std::toupper(c)); });
  return text == "COMMIT";
}

constexpr uint32_t kSslRequest = 80877103;
constexpr uint32_t kGssRequest = 80877104;

}  // namespace

CommitProxy::CommitProxy(const std::string& serverUri) {
  std::string port = QueryValue(serverUri, "port");
  if (port.empty()) port = "5432";
  const std::string host = QueryValue(serverUri, "host");
  serverSocket_ = host + "/.s.PGSQL." + port;
  uri_ = serverUri;
  uri_.replace(uri_.find("host=" + host) + 5, host.size(), folder_.path());

  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = SocketAddress(folder_ / (".s.PGSQL." + port));
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("the proxy cannot listen: ") + std::strerror(errno));
  }
  acceptor_ = std::thread([this] { Accept(); });
}

CommitProxy::~CommitProxy() {
  ::close(stop_[1]);
  acceptor_.join();
  for (std::thread& pump : pumps_) pump.join();
  ::close(stop_[0]);
  ::close(listener_);
}

void CommitProxy::LoseAnswerToCommit(int number, std::function<void()> afterAnswer) {
  std::lock_guard<std::mutex> guard(mutex_);
  armedNumber_ = number;
  loseAnswer_ = true;
  afterAnswer_ = std::move(afterAnswer);
  struck_ = false;
}

void CommitProxy::BeforeCommit(int number, std::function<void(int)> atCommit) {
  std::lock_guard<std::mutex> guard(mutex_);
  armedNumber_ = number;
  loseAnswer_ = false;
  atCommit_ = std::move(atCommit);
  struck_ = false;
}

bool CommitProxy::IsArmedCommit() {
  std::lock_guard<std::mutex> guard(mutex_);
  return armedNumber_ > 0 && --armedNumber_ == 0;
}

void CommitProxy::Accept() {
  for (;;) {
    pollfd waits[] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    if (waits[0].revents == 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = SocketAddress(serverSocket_);
    if (server < 0 ||
        ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      // A server that is gone is refused to the client as it would be.
      ::close(client);
      if (server >= 0) ::close(server);
      continue;
    }
    pumps_.emplace_back([this, client, server] { Pump(client, server); });
  }
}

void CommitProxy::Pump(int client, int server) {
  std::string fromClient, fromServer;
  bool started = false;  // the start-up message has passed
  int backend = 0;       // from the server's key data
  bool losing = false;   // the armed COMMIT went on: its answer is lost
  std::function<void()> afterAnswer;
  for (;;) {
    pollfd waits[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(waits, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (waits[2].revents != 0) break;
    char bytes[65536];
    if (waits[0].revents != 0) {
      const ssize_t got = ::recv(client, bytes, sizeof bytes, 0);
      if (got <= 0) break;
      fromClient.append(bytes, static_cast<size_t>(got));
      bool failed = false;
      while (size_t size = WholeMessage(fromClient, started)) {
        const std::string message = fromClient.substr(0, size);
        fromClient.erase(0, size);
        if (!started) {
          const uint32_t code = BigEndian32(message, 4);
          started = code != kSslRequest && code != kGssRequest;
        } else if (IsCommit(message) && IsArmedCommit()) {
          std::lock_guard<std::mutex> guard(mutex_);
          if (loseAnswer_) {
            losing = true;
            afterAnswer = afterAnswer_;
          } else {
            if (atCommit_) atCommit_(backend);
            struck_ = true;
          }
        }
        if (!WriteAll(server, message.data(), message.size())) failed = true;
      }
      if (failed) break;
    }
    if (waits[1].revents != 0) {
      const ssize_t got = ::recv(server, bytes, sizeof bytes, 0);
      if (got <= 0) break;
      if (losing) {
        if (afterAnswer) afterAnswer();
        struck_ = true;
        break;
      }
      if (!WriteAll(client, bytes, static_cast<size_t>(got))) break;
      // Only the backend's process id is wanted of what the server says.
      if (backend == 0) {
        fromServer.append(bytes, static_cast<size_t>(got));
        while (size_t size = WholeMessage(fromServer, true)) {
          if (fromServer[0] == 'K' && size >= 9)
            backend = static_cast<int>(BigEndian32(fromServer, 5));
          fromServer.erase(0, size);
        }
      }
    }
  }
  ::close(client);
  ::close(server);
}

}  // namespace viruzedi::testing
