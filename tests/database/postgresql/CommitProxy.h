// A proxy between the component and a PostgreSQL server's Unix socket that
// lets one COMMIT go wrong the ways a network or a server does: the server
// commits and its answer never comes back, the backend is ended as the
// COMMIT reaches it, or the server stops right after answering. The client
// cannot tell these apart; the tests check what it does in each.
//
// It reads the protocol's message framing only: the start-up message, then
// (type, length, body) each way. A simple query whose text is COMMIT is a
// commit; the component commits no other way.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

class CommitProxy {
 public:
  // Listens beside nothing of the server's: in a folder of its own, under
  // the socket name of the server's port in `serverUri` (5432 when none).
  explicit CommitProxy(const std::string& serverUri);
  ~CommitProxy();
  CommitProxy(const CommitProxy&) = delete;
  CommitProxy& operator=(const CommitProxy&) = delete;

  // `serverUri` reaching the server through the proxy.
  const std::string& uri() const { return uri_; }

  // The `number`th COMMIT from now on (1: the next) reaches the server and
  // commits; the server's answer is dropped and both sides are closed.
  // `afterAnswer` runs first, once the answer has come (to stop the server).
  void LoseAnswerToCommit(int number, std::function<void()> afterAnswer = {});
  // Before the `number`th COMMIT from now on is passed on, `atCommit` runs
  // with the process id of the backend it goes to (to end that backend).
  void BeforeCommit(int number, std::function<void(int backend)> atCommit);
  // Whether the fault armed last has happened.
  bool Struck() const { return struck_; }

 private:
  void Accept();
  void Pump(int client, int server);
  // Whether this COMMIT is the armed one; counts it.
  bool IsArmedCommit();

  TemporaryFolder folder_;
  std::string serverSocket_;
  std::string uri_;
  int listener_ = -1;
  int stop_[2] = {-1, -1};  // a pipe: readable once the proxy stops
  std::thread acceptor_;
  std::vector<std::thread> pumps_;

  std::mutex mutex_;
  int armedNumber_ = 0;  // 0: nothing armed
  bool loseAnswer_ = false;
  std::function<void()> afterAnswer_;
  std::function<void(int)> atCommit_;
  std::atomic<bool> struck_{false};
};

}  // namespace viruzedi::testing
