#include "runtime/exception.h"

#include "runtime/messages.h"

// Both constructors stay out of line so that the return address they record lies in
// the code that raised the exception.
Exception::Exception(std::string message)
    : message_(std::move(message)),
      address_(__builtin_extract_return_addr(__builtin_return_address(0))) {}

Exception::Exception(int messageId, std::initializer_list<FormatArg> args)
    : message_(FormatText(LoadMessage(messageId), args)),
      messageId_(messageId),
      address_(__builtin_extract_return_addr(__builtin_return_address(0))) {}
