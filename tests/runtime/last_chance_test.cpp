#include "runtime/last_chance.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {

std::string PointerText(uintptr_t value) {
  std::string digits;
  for (size_t i = 0; i < 2 * sizeof(void*); ++i, value >>= 4) {
    digits.insert(digits.begin(), "0123456789ABCDEF"[value & 0xF]);
  }
  return digits;
}

struct Captured {
  int calls = 0;
  std::string caption;
  std::string text;
};
Captured captured;

void Capture(const std::string& caption, const std::string& text) {
  ++captured.calls;
  captured.caption = caption;
  captured.text = text;
}

class LastChance : public ::testing::Test {
 protected:
  void SetUp() override {
    captured = Captured{};
    previous_ = SetLastChanceOutput(&Capture);
  }
  void TearDown() override { SetLastChanceOutput(previous_); }

 private:
  LastChanceOutput previous_ = nullptr;
};

}  // namespace

TEST(LastChanceText, AppendsFullStopOnlyWhenMissing) {
  const void* address = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x401234));
  const std::string at = PointerText(0x401234);
  EXPECT_EQ(
      FormatLastChanceText("EResNotFound", "launcher.exe", address, "Resource TForm1 not found"),
      "Exception EResNotFound in module launcher.exe at " + at +
          ".\r\nResource TForm1 not found.\r\n");
  EXPECT_EQ(FormatLastChanceText("EAbort", "x.exe", address, "Done."),
            "Exception EAbort in module x.exe at " + at + ".\r\nDone.\r\n");
  EXPECT_EQ(FormatLastChanceText("Exception", "x.exe", address, ""),
            "Exception Exception in module x.exe at " + at + ".\r\n\r\n");
  // Unlike the application's error box, only a full stop counts as an ending here.
  EXPECT_EQ(FormatLastChanceText("E", "m", nullptr, "Stop!"),
            "Exception E in module m at " + PointerText(0) + ".\r\nStop!.\r\n");
}

TEST(LastChanceText, ExecutableNameHasNoFolder) {
  const std::string name = ExecutableFileName();
  EXPECT_TRUE(name == "runtime_tests" || name == "runtime_tests.exe") << name;
}

TEST_F(LastChance, FrameworkExceptionIsShownAndGivesExitCodeOne) {
  const int code = RunGuarded([] { throw EResNotFound(msg::kResNotFound, {"TForm1"}); });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(captured.calls, 1);
  EXPECT_EQ(captured.caption, "Application Error");
  const std::string head = "Exception EResNotFound in module " + ExecutableFileName() + " at ";
  EXPECT_EQ(captured.text.substr(0, head.size()), head);
  const std::string tail = ".\r\nResource TForm1 not found.\r\n";
  ASSERT_GT(captured.text.size(), tail.size());
  EXPECT_EQ(captured.text.substr(captured.text.size() - tail.size()), tail);
  // The address is that of the code that raised it, not a null placeholder.
  EXPECT_EQ(captured.text.find(" at " + PointerText(0)), std::string::npos);
}

TEST_F(LastChance, OtherKindsOfExceptionAreNamedException) {
  EXPECT_EQ(RunGuarded([] { throw std::runtime_error("disk on fire"); }), 1);
  EXPECT_EQ(captured.text.find("Exception Exception in module "), 0u);
  EXPECT_NE(captured.text.find("\r\ndisk on fire.\r\n"), std::string::npos);

  EXPECT_EQ(RunGuarded([] { throw 42; }), 1);
  EXPECT_EQ(captured.calls, 2);
  EXPECT_EQ(captured.text.substr(captured.text.size() - 5), ".\r\n\r\n");
}
