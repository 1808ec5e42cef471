#pragma once
// The per-class handler tables that DispatchByNumber searches along the class chain for
// a message's number (controls/control_messages.h).
//
// A class declares its table as a static member (so the entries may name private
// handlers) and hands it to its metadata:
//
//   // panel.h:   static const MessageTable kMessages;
//   //            void HandlePaint(MessageRecord& m);
//   // panel.cpp:
//   const MessageTable TPanel::kMessages{
//       On<&TPanel::HandlePaint>(WM_PAINT),
//       On<&TPanel::HandleTextChanged>(IM_TEXT_CHANGED)};
//   ... ClassBuilder<TPanel>(...).Messages(&TPanel::kMessages) ...
//
// A handler that wants the base behaviour too calls
// `DispatchInherited(TPanel::StaticMeta(), m)`, which runs the nearest base class's
// handler for the number, or HandleUnclaimed when no base class has one.
#include <initializer_list>
#include <vector>

#include "classes/events.h"
#include "controls/control_messages.h"
#include "platform/win32.h"

class TControl;
struct ClassMetadata;

using MessageHandlerFn = void (*)(TControl&, MessageRecord&);

struct MessageEntry {
  UINT number = 0;
  MessageHandlerFn handler = nullptr;
};

// Defined here for ClassMetadata::messages.
struct MessageTable {
  MessageTable(std::initializer_list<MessageEntry> rows) : entries(rows) {}
  std::vector<MessageEntry> entries;
};

namespace message_table_detail {
template <auto Fn>
void HandlerThunk(TControl& control, MessageRecord& message) {
  using C = typename MemberFunctionTraits<decltype(Fn)>::Class;
  (static_cast<C&>(control).*Fn)(message);
}
}  // namespace message_table_detail

// One row of a handler table: message `number` runs member function `Fn`
// (void (C::*)(MessageRecord&)).
template <auto Fn>
constexpr MessageEntry On(UINT number) {
  return {number, &message_table_detail::HandlerThunk<Fn>};
}

// The first handler for `number` in `cls` or, failing that, its base classes.
MessageHandlerFn FindMessageHandler(const ClassMetadata* cls, UINT number);
