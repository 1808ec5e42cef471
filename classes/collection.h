#pragma once
// TCollection: the interface the reader needs from a collection-typed property's
// object to read an svCollection value into it (items are added and then read like
// components' property lists).
#include "classes/persistent.h"

class TCollection : public TPersistent {
 public:
  virtual int Count() const = 0;
  virtual void Clear() = 0;
  // Appends a new item and returns it; the collection owns it.
  virtual TPersistent* AddItem() = 0;
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};
