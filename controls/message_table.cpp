#include "controls/message_table.h"

#include "classes/metadata.h"

MessageHandlerFn FindMessageHandler(const ClassMetadata* cls, UINT number) {
  for (; cls != nullptr; cls = cls->parent) {
    if (cls->messages == nullptr) continue;
    for (const MessageEntry& entry : cls->messages->entries) {
      if (entry.number == number) return entry.handler;
    }
  }
  return nullptr;
}
