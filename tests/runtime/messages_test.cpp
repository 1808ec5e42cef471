#include "runtime/messages.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"

// The message table is linked into the test executable from the same resource
// list as the launcher.
TEST(MessageTable, LoadsTextsByNumber) {
  EXPECT_EQ(LoadMessage(msg::kStreamReadError), "Stream read error");
  EXPECT_EQ(LoadMessage(msg::kResourceStreamReadOnly),
            "Can't write to a read-only resource stream");
  EXPECT_EQ(LoadMessage(msg::kInvalidName), "''%s'' is not a valid component name");
  EXPECT_EQ(LoadMessage(msg::kNoMdiForm), "Cannot create form. No MDI forms are currently active");
  EXPECT_EQ(LoadMessage(msg::kExceptionAtAddress), "Exception %s in module %s at %p.\r\n%s%s\r\n");
  EXPECT_EQ(LoadMessage(msg::kApplicationError), "Application Error");
  EXPECT_EQ(LoadMessage(msg::kWindowDCError), "Error creating window device context");
}

TEST(MessageTable, EveryNumberedMessageHasText) {
  for (int id : {msg::kJpegImageFile,       msg::kStreamReadError,
                 msg::kStreamWriteError,    msg::kResourceStreamReadOnly,
                 msg::kInvalidStreamFormat, msg::kPropertyNotFound,
                 msg::kInvalidPropertyPath, msg::kInvalidPropertyValue,
                 msg::kPropertyReadOnly,    msg::kErrorReading,
                 msg::kAncestorNotFound,    msg::kClassNotFound,
                 msg::kDuplicateClass,      msg::kNotInClassGroup,
                 msg::kDuplicateName,       msg::kInvalidName,
                 msg::kInvalidInteger,      msg::kAssignError,
                 msg::kNoParentWindow,      msg::kControlParentSelf,
                 msg::kCanvasNoDrawing,     msg::kOutOfResources,
                 msg::kInvalidBitmap,       msg::kInvalidPixelFormat,
                 msg::kScanLineOutOfRange,  msg::kJpegCannotResize,
                 msg::kJpegError,           msg::kWindowDCError,
                 msg::kCannotHideMdiChild,  msg::kCannotChangeVisible,
                 msg::kNoMdiForm,           msg::kWindowClassError,
                 msg::kCannotFocus,         msg::kResNotFound,
                 msg::kListIndexError,      msg::kExceptionAtAddress,
                 msg::kApplicationError}) {
    EXPECT_FALSE(LoadMessage(id).empty()) << id;
  }
}

TEST(MessageTable, MissingNumberGivesEmptyText) {
  EXPECT_EQ(LoadMessage(65339), "");
  EXPECT_EQ(LoadMessage(1), "");
  Exception e(65339, {"ignored"});
  EXPECT_EQ(e.Message(), "");
  EXPECT_EQ(e.MessageId(), 65339);
}

TEST(ExceptionTest, NumberedMessagesAreFormattedWithTheirArguments) {
  EResNotFound e(msg::kResNotFound, {"TForm1"});
  EXPECT_EQ(e.Message(), "Resource TForm1 not found");
  EXPECT_STREQ(e.what(), "Resource TForm1 not found");
  EXPECT_EQ(e.MessageId(), msg::kResNotFound);
  EXPECT_STREQ(e.ClassName(), "EResNotFound");

  EReadError r(msg::kErrorReading, {"Label1", ".", "Font.Height", "Invalid property value"});
  EXPECT_EQ(r.Message(), "Error reading Label1.Font.Height: Invalid property value");
  EXPECT_EQ(EListError(msg::kListIndexError, {-1}).Message(), "List index out of bounds (-1)");
  EXPECT_EQ(EJPEG(msg::kJpegError, {42}).Message(), "JPEG error #42");
  EXPECT_EQ(EReadError("plain text").Message(), "plain text");
}

// Texts are remembered after the first look-up; a missing one is not, and stays empty.
TEST(MessageTable, RepeatedLoadsAgree) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(LoadMessage(msg::kPropertyNotFound), "Property %s does not exist");
    EXPECT_EQ(LoadMessage(1), "");
  }
}
