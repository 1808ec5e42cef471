#include "classes/loaded_list.h"

#include <algorithm>
#include <memory>

#include "classes/component.h"
#include "runtime/scope_exit.h"

namespace {

struct SharedLoading {
  std::unique_ptr<std::vector<TComponent*>> current;
  // The lists replaced by newer ones; created on first use, gone when empty.
  std::unique_ptr<std::vector<std::unique_ptr<std::vector<TComponent*>>>> stack;
};

thread_local SharedLoading tlsShared;

// A walk calling FinishLoading over a loaded list, up to `end`. A component destroyed
// during the walk leaves the list; the walk's bounds follow the removal so that no
// other entry is skipped or called twice.
struct FinishingWalk {
  std::vector<TComponent*>* list;
  size_t next;
  size_t end;
  FinishingWalk* outer;
};

thread_local FinishingWalk* tlsWalks = nullptr;

// Private loaded lists of the reads in progress on this thread.
thread_local std::vector<std::vector<TComponent*>*> tlsPrivateLists;

}  // namespace

void BeginSharedLoading() {
  auto& shared = tlsShared;
  if (!shared.stack) {
    shared.stack = std::make_unique<std::vector<std::unique_ptr<std::vector<TComponent*>>>>();
  }
  shared.stack->push_back(std::move(shared.current));
  shared.current = std::make_unique<std::vector<TComponent*>>();
}

void EndSharedLoading() {
  auto& shared = tlsShared;
  shared.current.reset();
  if (shared.stack && !shared.stack->empty()) {
    shared.current = std::move(shared.stack->back());
    shared.stack->pop_back();
    if (shared.stack->empty()) shared.stack.reset();
  }
}

std::vector<TComponent*>* SharedLoadedList() { return tlsShared.current.get(); }

void ForgetSharedLoaded(TComponent* component) {
  auto& shared = tlsShared;
  auto forget = [component](std::vector<TComponent*>* list) {
    if (list == nullptr) return;
    for (size_t i = list->size(); i-- > 0;) {
      if ((*list)[i] != component) continue;
      list->erase(list->begin() + static_cast<std::ptrdiff_t>(i));
      for (FinishingWalk* walk = tlsWalks; walk != nullptr; walk = walk->outer) {
        if (walk->list != list) continue;
        if (i < walk->next) --walk->next;
        if (i < walk->end) --walk->end;
      }
    }
  };
  forget(shared.current.get());
  if (shared.stack) {
    for (auto& list : *shared.stack) forget(list.get());
  }
  for (std::vector<TComponent*>* list : tlsPrivateLists) forget(list);
}

TPrivateLoadedList::TPrivateLoadedList() { tlsPrivateLists.push_back(&items); }

TPrivateLoadedList::~TPrivateLoadedList() {
  auto& lists = tlsPrivateLists;
  lists.erase(std::find(lists.begin(), lists.end(), &items));
}

void FinishLoadedList(std::vector<TComponent*>& list, size_t count) {
  FinishingWalk walk{&list, 0, count, tlsWalks};
  tlsWalks = &walk;
  ScopeExit pop([&walk] { tlsWalks = walk.outer; });
  while (walk.next < list.size() && walk.next < walk.end) list[walk.next++]->FinishLoading();
}
