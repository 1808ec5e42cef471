// Starts and ends the test's own Xvfb.
#include "tests/platform_display/private_xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace linux_display_testing {

PrivateXvfb::PrivateXvfb() {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    // A test that crashes or times out takes its server with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-noreset",
           "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // (-noreset: a server resets, refusing connections meanwhile, whenever its last client
  // leaves, as it does between tests.) The server writes its display number once it accepts
  // connections.
  std::string number;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{fds[0], POLLIN, 0};
    if (poll(&ready, 1, 200) <= 0) continue;
    char c;
    if (read(fds[0], &c, 1) != 1) break;
    if (c == '\n') {
      name_ = ":" + number;
      break;
    }
    number += c;
  }
  close(fds[0]);
  if (name_.empty()) Kill();
}

PrivateXvfb::~PrivateXvfb() { Kill(); }

void PrivateXvfb::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

const PrivateXvfb& SharedXvfb() {
  static PrivateXvfb* server = new PrivateXvfb;
  static bool registered = [] {
    std::atexit([] { delete server; });
    return true;
  }();
  (void)registered;
  return *server;
}

}  // namespace linux_display_testing
