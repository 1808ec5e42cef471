#include "classes/list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/exception.h"

namespace {
void* P(uintptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<uintptr_t> Items(const TList& list) {
  std::vector<uintptr_t> out;
  for (void* item : list) out.push_back(reinterpret_cast<uintptr_t>(item));
  return out;
}

class RecordingList : public TList {
 public:
  std::vector<std::string> events;

 protected:
  void Notify(void* item, TListNotification action) override {
    const char* kind = action == TListNotification::lnAdded       ? "+"
                       : action == TListNotification::lnExtracted ? "x"
                                                                  : "-";
    events.push_back(kind + std::to_string(reinterpret_cast<uintptr_t>(item)));
  }
};
}  // namespace

TEST(TListTest, CapacityGrowsInSteps) {
  TList list;
  std::vector<int> capacities;
  int last = list.Capacity();
  for (int i = 0; i < 200; ++i) {
    list.Add(P(i + 1));
    if (list.Capacity() != last) capacities.push_back(last = list.Capacity());
  }
  // +4 up to 8, +16 up to 64, then a quarter.
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228}));
  EXPECT_EQ(list.Count(), 200);
}

TEST(TListTest, BadIndexesRaiseListErrorWithTheIndex) {
  TList list;
  try {
    list.Get(0);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (0)");
  }
  list.Add(P(1));
  EXPECT_THROW(list.Get(-1), EListError);
  EXPECT_THROW(list.Put(1, P(2)), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_THROW(list.Insert(2, P(2)), EListError);
  EXPECT_THROW(list.Exchange(0, 1), EListError);
  EXPECT_THROW(list.Move(0, 5), EListError);
  EXPECT_THROW(list.SetCapacity(0), EListError);
  EXPECT_THROW(list.SetCount(-1), EListError);
  try {
    list.Delete(7);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (7)");
  }
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{1}));
}

TEST(TListTest, InsertDeleteExchangeMove) {
  TList list;
  for (uintptr_t i = 1; i <= 5; ++i) list.Add(P(i));
  list.Insert(0, P(9));
  list.Insert(6, P(8));  // at Count: appends
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{9, 1, 2, 3, 4, 5, 8}));
  list.Delete(0);
  EXPECT_EQ(list.Remove(P(3)), 2);
  EXPECT_EQ(list.Remove(P(3)), -1);
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{1, 2, 4, 5, 8}));
  list.Exchange(0, 4);
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{8, 2, 4, 5, 1}));
  list.Move(0, 3);
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{2, 4, 5, 8, 1}));
  list.Move(4, 1);
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{2, 1, 4, 5, 8}));
  EXPECT_EQ(list.IndexOf(P(5)), 3);
  EXPECT_EQ(list.First(), P(2));
  EXPECT_EQ(list.Last(), P(8));
  EXPECT_EQ(list[2], P(4));
}

TEST(TListTest, CountPackExtractAndClear) {
  RecordingList list;
  list.Add(P(1));
  list.Add(nullptr);
  list.Add(P(2));
  list.SetCount(5);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Get(4), nullptr);
  list.Pack();
  EXPECT_EQ(Items(list), (std::vector<uintptr_t>{1, 2}));
  EXPECT_EQ(list.Extract(P(1)), P(1));
  EXPECT_EQ(list.Extract(P(1)), nullptr);
  list.Put(0, P(3));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.events, (std::vector<std::string>{"+1", "+2", "x1", "-2", "+3", "-3"}));
}
