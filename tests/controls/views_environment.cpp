// The control tests run with the modules started as the program starts them.
#include <gtest/gtest.h>

#include "tests/controls/views_test_util.h"

namespace {

class ModulesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { views_test::StartModules(); }
  void TearDown() override { views_test::StopModules(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ModulesEnvironment);

}  // namespace
