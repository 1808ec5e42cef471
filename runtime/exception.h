#pragma once
// The framework's exception hierarchy. Every message comes from the executable's
// message table (string resources 65328..65535) by number, formatted with the
// names involved; see runtime/messages.h for the numbers.
#include <exception>
#include <initializer_list>
#include <string>

#include "runtime/format.h"

class Exception : public std::exception {
 public:
  explicit Exception(std::string message);
  // Loads message `messageId` from the message table and formats it with `args`.
  Exception(int messageId, std::initializer_list<FormatArg> args);
  ~Exception() override = default;

  const std::string& Message() const { return message_; }
  int MessageId() const { return messageId_; }
  virtual const char* ClassName() const { return "Exception"; }
  // A code address near where the exception was raised (for the last-chance text).
  const void* Address() const { return address_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
  int messageId_ = 0;
  const void* address_ = nullptr;
};

// Declares an exception class `Name` deriving from `Base` with both constructors.
#define LAUNCHER_DECLARE_EXCEPTION(Name, Base)               \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  }

LAUNCHER_DECLARE_EXCEPTION(EAbort, Exception);
LAUNCHER_DECLARE_EXCEPTION(EOutOfMemory, Exception);
LAUNCHER_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);
LAUNCHER_DECLARE_EXCEPTION(EStreamError, Exception);
LAUNCHER_DECLARE_EXCEPTION(EFilerError, EStreamError);
LAUNCHER_DECLARE_EXCEPTION(EReadError, EFilerError);
LAUNCHER_DECLARE_EXCEPTION(EWriteError, EFilerError);
LAUNCHER_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
LAUNCHER_DECLARE_EXCEPTION(EMethodNotFound, EFilerError);
LAUNCHER_DECLARE_EXCEPTION(EInvalidImage, EFilerError);
LAUNCHER_DECLARE_EXCEPTION(EResNotFound, Exception);
LAUNCHER_DECLARE_EXCEPTION(EComponentError, Exception);
LAUNCHER_DECLARE_EXCEPTION(EConvertError, Exception);
LAUNCHER_DECLARE_EXCEPTION(EListError, Exception);
LAUNCHER_DECLARE_EXCEPTION(EInvalidOperation, Exception);
LAUNCHER_DECLARE_EXCEPTION(EInvalidPointer, Exception);
LAUNCHER_DECLARE_EXCEPTION(EOSError, Exception);
LAUNCHER_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
LAUNCHER_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
LAUNCHER_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);
