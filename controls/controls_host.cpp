#include "controls/controls_host.h"

namespace {
ControlsHost neutralHost;
ControlsHost* installedHost = nullptr;
}  // namespace

ControlsHost* InstallControlsHost(ControlsHost* host) {
  ControlsHost* previous = installedHost;
  installedHost = host;
  return previous;
}

ControlsHost& Host() { return installedHost ? *installedHost : neutralHost; }
