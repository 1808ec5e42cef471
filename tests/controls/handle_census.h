#pragma once
// Counts the live GDI objects and windows of the test process, so a test can check that a
// sequence of operations gives back everything it took. GDI objects are found by probing
// every handle index with GetObjectType (the handle table answers an index without its
// generation bits); windows by walking this thread's windows and their descendants.

namespace views_test {

struct HandleCensus {
  int gdiObjects = 0;
  int windows = 0;
  friend bool operator==(const HandleCensus&, const HandleCensus&) = default;
};

HandleCensus TakeHandleCensus();

}  // namespace views_test
