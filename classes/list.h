#pragma once
// TList: a growable list of untyped references (the framework's basic container).
// Capacity grows by 4 while it is at most 8, by 16 while at most 64, otherwise by a
// quarter. A bad index raises EListError "List index out of bounds (%d)".
#include <cstdint>
#include <vector>

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList {
 public:
  TList() = default;
  virtual ~TList();
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Add(void* item);
  void Insert(int index, void* item);  // 0 <= index <= Count
  void Delete(int index);
  // Deletes the first occurrence of `item`; returns its former index or -1.
  int Remove(void* item);
  // Removes the first occurrence of `item` without the deletion notification;
  // returns the item, or nullptr when it is not in the list.
  void* Extract(void* item);
  int IndexOf(const void* item) const;
  void* Get(int index) const;
  void Put(int index, void* item);
  void* operator[](int index) const { return Get(index); }
  void* First() const { return Get(0); }
  void* Last() const { return Get(count_ - 1); }

  int Count() const { return count_; }
  // Growing fills with nullptr; shrinking drops the items past the new count.
  void SetCount(int count);
  int Capacity() const { return static_cast<int>(items_.size()); }
  // A capacity below Count, or negative, raises EListError.
  void SetCapacity(int capacity);

  void Clear();
  void Exchange(int index1, int index2);
  void Move(int currentIndex, int newIndex);
  // Removes every nullptr entry.
  void Pack();

  // Raw access to the Count items, for iteration.
  void* const* begin() const { return items_.data(); }
  void* const* end() const { return items_.data() + count_; }

 protected:
  // Called after an item is added, and after it is extracted or deleted. Does nothing
  // here; derived lists that own or track their items override it.
  virtual void Notify(void* item, TListNotification action);

 private:
  void Grow();
  void CheckIndex(int index, int limit) const;

  // items_.size() is the capacity; entries past count_ are nullptr.
  std::vector<void*> items_;
  int count_ = 0;
};
