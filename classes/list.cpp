#include "classes/list.h"

#include <algorithm>

#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {
[[noreturn]] void ListError(int value) { throw EListError(msg::kListIndexError, {value}); }
}  // namespace

TList::~TList() = default;

void TList::Notify(void*, TListNotification) {}

void TList::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit) ListError(index);
}

void TList::Grow() {
  const int capacity = Capacity();
  int delta = 4;
  if (capacity > 64) {
    delta = capacity / 4;
  } else if (capacity > 8) {
    delta = 16;
  }
  SetCapacity(capacity + delta);
}

int TList::Add(void* item) {
  const int index = count_;
  if (count_ == Capacity()) Grow();
  items_[static_cast<size_t>(count_)] = item;
  ++count_;
  if (item != nullptr) Notify(item, TListNotification::lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  CheckIndex(index, count_ + 1);
  if (count_ == Capacity()) Grow();
  auto at = items_.begin() + index;
  std::move_backward(at, items_.begin() + count_, items_.begin() + count_ + 1);
  *at = item;
  ++count_;
  if (item != nullptr) Notify(item, TListNotification::lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index, count_);
  void* item = items_[static_cast<size_t>(index)];
  std::move(items_.begin() + index + 1, items_.begin() + count_, items_.begin() + index);
  --count_;
  items_[static_cast<size_t>(count_)] = nullptr;
  if (item != nullptr) Notify(item, TListNotification::lnDeleted);
}

int TList::Remove(void* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  const int index = IndexOf(item);
  if (index < 0) return nullptr;
  std::move(items_.begin() + index + 1, items_.begin() + count_, items_.begin() + index);
  --count_;
  items_[static_cast<size_t>(count_)] = nullptr;
  Notify(item, TListNotification::lnExtracted);
  return item;
}

int TList::IndexOf(const void* item) const {
  const auto found = std::find(items_.begin(), items_.begin() + count_, item);
  return found == items_.begin() + count_ ? -1 : static_cast<int>(found - items_.begin());
}

void* TList::Get(int index) const {
  CheckIndex(index, count_);
  return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  CheckIndex(index, count_);
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old != nullptr) Notify(old, TListNotification::lnDeleted);
  if (item != nullptr) Notify(item, TListNotification::lnAdded);
}

void TList::SetCount(int count) {
  if (count < 0) ListError(count);
  if (count > Capacity()) SetCapacity(count);
  if (count > count_) {
    std::fill(items_.begin() + count_, items_.begin() + count, nullptr);
    count_ = count;
    return;
  }
  // Shrinking deletes from the end so each dropped item is notified.
  while (count_ > count) Delete(count_ - 1);
}

void TList::SetCapacity(int capacity) {
  if (capacity < count_) ListError(capacity);
  const auto wanted = static_cast<size_t>(capacity);
  if (wanted > items_.size()) {
    items_.reserve(wanted);  // exactly this much, not the vector's own doubling
    items_.resize(wanted, nullptr);
  } else {
    items_.resize(wanted);
    items_.shrink_to_fit();
  }
}

void TList::Clear() {
  // Emptied first, notified after: a Notify override sees a consistent list.
  std::vector<void*> old;
  old.swap(items_);
  const int oldCount = count_;
  count_ = 0;
  for (int i = 0; i < oldCount; ++i) {
    if (old[static_cast<size_t>(i)] != nullptr) {
      Notify(old[static_cast<size_t>(i)], TListNotification::lnDeleted);
    }
  }
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1, count_);
  CheckIndex(index2, count_);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex) return;
  CheckIndex(currentIndex, count_);
  CheckIndex(newIndex, count_);
  auto from = items_.begin() + currentIndex;
  auto to = items_.begin() + newIndex;
  if (currentIndex < newIndex) {
    std::rotate(from, from + 1, to + 1);
  } else {
    std::rotate(to, from, from + 1);
  }
}

void TList::Pack() {
  const auto kept = std::remove(items_.begin(), items_.begin() + count_, nullptr);
  std::fill(kept, items_.begin() + count_, nullptr);
  count_ = static_cast<int>(kept - items_.begin());
}
