#include "runtime/exception.h"

#include "runtime/messages.h"

Exception::Exception(int messageId, std::initializer_list<FormatArg> args)
    : message_(FormatText(LoadMessage(messageId), args)), messageId_(messageId) {}
