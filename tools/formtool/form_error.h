#pragma once
// The one failure the form tool reports: a message that already names where the
// input went wrong ("line 12: ..." for text, "offset 4096: ..." for a binary).
#include <stdexcept>
#include <string>

namespace formtool {

class FormError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace formtool
