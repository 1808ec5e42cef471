#pragma once
// An X server of the test's own: Xvfb on a display it picks itself (-displayfd), so tests
// never share a screen with anything else. Ended with the object.
#include <sys/types.h>

#include <string>

namespace linux_display_testing {

class PrivateXvfb {
 public:
  PrivateXvfb();  // Name() is empty when Xvfb could not be started
  ~PrivateXvfb();
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  const std::string& Name() const { return name_; }
  void Kill();

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// One server for the whole test program, started at first use.
const PrivateXvfb& SharedXvfb();

}  // namespace linux_display_testing
