#pragma once
// Settings for tests alone, read only by programs that link the flag test programs link
// (target platform_test_overrides); the shipped program reads none of them:
//   LAUNCHER_ACP=1251|1252   GetACP's answer, whatever the locale says;
//   LAUNCHER_SHOWWINDOW=<n>  the show command GetStartupInfoA reports. WinExec sets it for
//                            the child it starts, as Windows hands the show command to the
//                            direct child in its start-up information.
namespace linux_kernel {

bool TestOverridesEnabled();

}  // namespace linux_kernel
