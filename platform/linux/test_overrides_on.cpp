// Linked into test programs only: turns on the settings platform/linux/kernel/
// test_overrides.h lists.
extern "C" {
extern const bool launcher_test_overrides;
const bool launcher_test_overrides = true;
}
