#pragma once
// TMouse: the process-wide mouse settings, made at start-up.
#include <cstdint>

#include "classes/object.h"
#include "platform/win32.h"

class TMouse : public TObject {
 public:
  TMouse();

  bool WheelPresent() const { return wheelPresent_; }
  UINT WheelScrollLines() const { return wheelScrollLines_; }
  // The registered wheel message on systems without native wheel support, else 0.
  UINT RegisteredWheelMessage() const { return wheelMessage_; }
  int32_t DragThreshold() const { return dragThreshold_; }
  bool DragImmediate() const { return dragImmediate_; }

 private:
  bool wheelPresent_ = false;
  UINT wheelScrollLines_ = 3;
  UINT wheelMessage_ = 0;
  int32_t dragThreshold_ = 5;
  bool dragImmediate_ = true;
};

// Made by the controls module start-up; null before and after.
extern TMouse* Mouse;
