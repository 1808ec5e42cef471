#include "runtime/modules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {
std::vector<std::string> trace;

void StartA() { trace.push_back("+A"); }
void StopA() { trace.push_back("-A"); }
void StartB() { trace.push_back("+B"); }
void StopB() { trace.push_back("-B"); }
void StartC() { trace.push_back("+C"); }
void StopC() { trace.push_back("-C"); }
void FailStart() { throw std::runtime_error("start failed"); }
void FailStop() {
  trace.push_back("-F");
  throw std::runtime_error("stop failed");
}

class ModuleOrder : public ::testing::Test {
 protected:
  void SetUp() override { trace.clear(); }
  void TearDown() override {
    try {
      RunModuleShutdowns();
    } catch (...) {
    }
  }
};
}  // namespace

TEST_F(ModuleOrder, StartsInOrderOnceAndStopsInReverseOnce) {
  static const ModuleEntry table[] = {{"a", &StartA, &StopA},
                                      {"none", nullptr, nullptr},
                                      {"b", &StartB, &StopB},
                                      {"c", &StartC, &StopC}};
  RunModuleStartups(table);
  RunModuleStartups(table);
  EXPECT_EQ(trace, (std::vector<std::string>{"+A", "+B", "+C"}));
  EXPECT_EQ(StartedModules().size(), 4u);
  RunModuleShutdowns();
  RunModuleShutdowns();
  EXPECT_EQ(trace, (std::vector<std::string>{"+A", "+B", "+C", "-C", "-B", "-A"}));
  EXPECT_TRUE(StartedModules().empty());
}

TEST_F(ModuleOrder, FailedStartupLeavesEarlierModulesToShutDown) {
  static const ModuleEntry table[] = {
      {"a", &StartA, &StopA}, {"bad", &FailStart, &StopB}, {"c", &StartC, &StopC}};
  EXPECT_THROW(RunModuleStartups(table), std::runtime_error);
  RunModuleShutdowns();
  EXPECT_EQ(trace, (std::vector<std::string>{"+A", "-A"}));
}

TEST_F(ModuleOrder, FailingShutdownDoesNotStopTheOthers) {
  static const ModuleEntry table[] = {
      {"a", &StartA, &StopA}, {"f", &StartB, &FailStop}, {"c", &StartC, &StopC}};
  RunModuleStartups(table);
  EXPECT_THROW(RunModuleShutdowns(), std::runtime_error);
  EXPECT_EQ(trace, (std::vector<std::string>{"+A", "+B", "+C", "-C", "-F", "-A"}));
  RunModuleShutdowns();
  EXPECT_EQ(trace.size(), 6u);
}
