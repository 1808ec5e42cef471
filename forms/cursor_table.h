#pragma once
// The screen's table from cursor identifiers to native cursors: a singly linked list,
// newest first, filled at creation for -22 up to -2 from the system's cursors and the
// executable's own (the hand, drag, split and wait cursors).
#include <cstdint>
#include <forward_list>
#include <vector>

#include "platform/win32.h"

class CursorTable {
 public:
  CursorTable();
  ~CursorTable();
  CursorTable(const CursorTable&) = delete;
  CursorTable& operator=(const CursorTable&) = delete;

  // -1 gives no cursor; an identifier without a record gives DefaultHandle().
  HCURSOR HandleFor(int16_t id) const;
  // The arrow used for crDefault and every identifier without a record.
  HCURSOR DefaultHandle() const { return default_; }
  // Adds a program's own cursor at the head; the table destroys it at the end. A record
  // already there for the identifier is replaced (and destroyed if the table owns it).
  // crDefault replaces the default cursor.
  void SetHandle(int16_t id, HCURSOR handle);
  // The identifiers from the head of the list on.
  std::vector<int16_t> Identifiers() const;

 private:
  struct Record {
    int16_t id;
    HCURSOR handle;
  };
  std::forward_list<Record> records_;
  HCURSOR default_ = nullptr;
};

// True for the identifiers whose cursors come from the executable (-21, -17 to -12):
// those, and a program's positive ones, are destroyed with the table.
bool IsOwnCursorIdentifier(int16_t id);
