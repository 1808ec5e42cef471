// Reader failures: their classes and messages, recovery through the error hook, and
// hostile input.
#include <gtest/gtest.h>

#include <functional>

#include "classes/reader.h"
#include "classes/reader_fixups.h"
#include "runtime/exception.h"
#include "tests/classes/reader_test_stream.h"
#include "tests/classes/reader_test_util.h"
#include "tests/classes/standins.h"

namespace standins {
namespace {

using Writes = std::function<void(StreamWriter&)>;

// A TKinds root with the properties and children that `props` and `children` write.
std::vector<uint8_t> KindsStream(const Writes& props, const Writes& children = {},
                                 const char* name = "Kinds") {
  StreamWriter w;
  w.WriteSignature();
  w.WriteComponentHeader("TKinds", name);
  props(w);
  w.WriteEndOfList();
  if (children) children(w);
  w.WriteEndOfList();
  return w.TakeBytes();
}

struct Failure {
  std::string className;
  std::string message;
};

// Reads `bytes` into `root`; the failure, or an empty one when the read succeeded.
Failure ReadFailure(const std::vector<uint8_t>& bytes, TComponent* root,
                    const TReader::TReaderError& hook = nullptr) {
  auto stream = MemoryStreamOf(bytes);
  TReader reader(*stream);
  reader.ErrorHook = hook;
  try {
    reader.LoadRoot(root);
  } catch (const Exception& e) {
    return {e.ClassName(), e.Message()};
  }
  return {};
}

const TReader::TReaderError kHandleAll = [](TReader&, const std::string&, bool& handled) {
  handled = true;
};

class ReaderErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureRegistered();
    LoadLog().clear();
  }
  TOwnedPtr<TForm1> form{new TForm1(nullptr)};
  TOwnedPtr<TKinds> kinds{new TKinds(nullptr)};
};

TEST_F(ReaderErrorTest, WrongSignatureTouchesNothing) {
  for (size_t i = 0; i < 4; ++i) {
    std::vector<uint8_t> bytes = BuildLauncherStream();
    bytes[i] ^= 0x01;
    const Failure failure = ReadFailure(bytes, form.get());
    EXPECT_EQ(failure.className, "EReadError");
    EXPECT_EQ(failure.message, "Invalid stream format");
  }
  EXPECT_EQ(form->Name(), "");
  EXPECT_EQ(form->OwnedCount(), 0);
  EXPECT_FALSE(form->HasState(stLoading | stReading));
}

TEST_F(ReaderErrorTest, StreamCutInsideTheCaption) {
  std::vector<uint8_t> bytes = BuildLauncherStream();
  bytes.resize(Find(bytes,
                    "\x07"
                    "Caption\x14") +
               8 + 4 + 10);
  const Failure failure = ReadFailure(bytes, form.get());
  EXPECT_EQ(failure.className, "EReadError");
  EXPECT_EQ(failure.message, "Error reading Form1.Caption: Stream read error");
  // The given root keeps what was read and is no longer marked as reading.
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(form->borderStyle, 0);
  EXPECT_FALSE(form->HasState(stReading));
}

TEST_F(ReaderErrorTest, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> whole = BuildLauncherStream();
  for (size_t size = 0; size < whole.size(); ++size) {
    TOwnedPtr<TForm1> target(new TForm1(nullptr));
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
    const Failure failure = ReadFailure(cut, target.get());
    ASSERT_EQ(failure.className, "EReadError") << size;
    ASSERT_NE(failure.message.find("Stream read error"), std::string::npos) << size;
  }
  EXPECT_TRUE(LoadLog().empty());
}

TEST_F(ReaderErrorTest, PropertyFailuresNameInstanceAndPath) {
  const std::vector<uint8_t> bytes = BuildLauncherStream();
  struct Case {
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {Patched(bytes, "Font.Height", "Font.Heigth", 3),
       "Error reading Label1.Font.Heigth: Property Heigth does not exist"},
      // 0x07 makes the height an identifier, which a plain Integer cannot take.
      {Patched(bytes,
               "\x0B"
               "Font.Height\x02",
               "\x0B"
               "Font.Height\x07",
               3),
       "Error reading Label1.Font.Height: Invalid property value"},
      {Patched(bytes, "Label1Click", "Label9Click"),
       "Error reading Label1.OnClick: Invalid property value"},
      {Patched(bytes, "clYellow", "clYelloo"),
       "Error reading Label4.Font.Color: Invalid property value"},
      {Patched(bytes, "alClient", "alClienT"), nullptr},  // identifiers ignore case
      {Patched(bytes, "alClient", "alCliemt"),
       "Error reading Image1.Align: Invalid property value"},
      {Patched(bytes,
               "\x06"
               "fsBold",
               "\x06"
               "fsBolt"),
       "Error reading Label4.Font.Style: Invalid property value"},
      {Patched(bytes,
               "\x0C"
               "Picture.Data\x0A",
               "\x0C"
               "Picture.Data\x02"),
       "Error reading Image1.Picture.Data: Invalid property value"},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.bytes.empty());
    TOwnedPtr<TForm1> target(new TForm1(nullptr));
    const Failure failure = ReadFailure(c.bytes, target.get());
    if (c.message == nullptr) {
      EXPECT_EQ(failure.message, "");
      continue;
    }
    EXPECT_EQ(failure.className, "EReadError");
    EXPECT_EQ(failure.message, c.message);
  }
}

TEST_F(ReaderErrorTest, PathBelowAStringAndReadOnlyProperty) {
  Failure failure = ReadFailure(KindsStream([](StreamWriter& w) {
                                  w.WritePropertyName("Caption.Length");
                                  w.WriteInteger(1);
                                }),
                                kinds.get());
  EXPECT_EQ(failure.message, "Error reading Kinds.Caption.Length: Invalid property path");

  TOwnedPtr<TKinds> other(new TKinds(nullptr));
  failure = ReadFailure(KindsStream(
                            [](StreamWriter& w) {
                              w.WritePropertyName("ReadOnly");
                              w.WriteInteger(1);
                            },
                            {}, "Other"),
                        other.get());
  EXPECT_EQ(failure.message, "Error reading Other.ReadOnly: Property is read-only");
}

TEST_F(ReaderErrorTest, UnknownChildClassFailsWithTheStoredName) {
  const Failure failure =
      ReadFailure(Patched(BuildLauncherStream(), "\x06TPanel", "\x06TPanxl"), form.get());
  EXPECT_EQ(failure.className, "EClassNotFound");
  EXPECT_EQ(failure.message, "Class TPanxl not found");
  // Children read before the failure stay with the form; nothing was finished.
  EXPECT_NE(form->Image1, nullptr);
  EXPECT_NE(form->Label4, nullptr);
  EXPECT_EQ(form->Panel1, nullptr);
  EXPECT_EQ(form->OwnedCount(), 2);
  EXPECT_TRUE(LoadLog().empty());
}

TEST_F(ReaderErrorTest, HandledErrorsSkipTheRecordAndGoOn) {
  std::vector<std::string> reported;
  const auto hook = [&](TReader&, const std::string& message, bool& handled) {
    reported.push_back(message);
    handled = true;
  };
  const auto bytes = KindsStream(
      [](StreamWriter& w) {
        w.WritePropertyName("Bogus");
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteString("x", "x");
        w.WriteListEnd();
        w.WritePropertyName("Font.");  // empty last segment: its value is skipped too
        w.WriteInteger(5);
        w.WritePropertyName("Font.Style");
        w.WriteSet(std::vector<std::string>{"fsItalic", "fsNope", "fsBold"});
        w.WritePropertyName("Numbers");
        w.WriteSet(std::vector<std::string>{"3", "40", "0"});
        w.WritePropertyName("Integer");
        w.WriteInteger(42);
      },
      [](StreamWriter& w) {
        w.WriteComponentHeader("TButton", "Button1");
        w.WritePropertyName("Caption");
        w.WriteString("OK", "OK");
        w.WriteEndOfList();
        w.WriteComponentHeader("TLabel", "Inner");
        w.WriteEndOfList();
        w.WriteEndOfList();
        w.WriteEndOfList();
        w.WriteComponentHeader("TLabel", "Label1");
        w.WritePropertyName("Caption");
        w.WriteString("after", "after");
        w.WriteEndOfList();
        w.WriteEndOfList();
      });
  const Failure failure = ReadFailure(bytes, kinds.get(), hook);
  EXPECT_EQ(failure.message, "");
  EXPECT_EQ(reported,
            (std::vector<std::string>{"Error reading Kinds.Bogus: Property Bogus does not exist",
                                      "Error reading Kinds.Font.: Property  does not exist",
                                      "Error reading Kinds.Font.Style: Invalid property value",
                                      "Class TButton not found"}));
  EXPECT_EQ(kinds->font->style, 0);           // the failed set left the font alone
  EXPECT_EQ(kinds->numbers, (1u << 3) | 1u);  // element 40 has no bit: ignored
  EXPECT_EQ(kinds->integer, 42);
  ASSERT_NE(kinds->Label1, nullptr);
  EXPECT_EQ(kinds->Label1->caption, "after");
  EXPECT_EQ(kinds->OwnedCount(), 1);
}

TEST_F(ReaderErrorTest, DeclaredValueErrorsAreNotOfferedToTheHook) {
  int offered = 0;
  const auto bytes = KindsStream([](StreamWriter& w) {
    w.WritePropertyName("TextHeight");
    w.WriteString("x", "x");
  });
  const Failure failure =
      ReadFailure(bytes, kinds.get(), [&](TReader&, const std::string&, bool& handled) {
        ++offered;
        handled = true;
      });
  EXPECT_EQ(failure.message, "Error reading Kinds.TextHeight: Invalid property value");
  EXPECT_EQ(offered, 0);
}

TEST_F(ReaderErrorTest, NestingBeyondTheCapIsRefused) {
  auto nested = [](int depth) {
    return KindsStream([](StreamWriter&) {},
                       [depth](StreamWriter& w) {
                         for (int i = 0; i < depth; ++i) {
                           w.WriteComponentHeader("TPanel", "P" + std::to_string(i));
                           w.WriteEndOfList();
                         }
                         for (int i = 0; i < depth; ++i) w.WriteEndOfList();
                       });
  };
  EXPECT_EQ(ReadFailure(nested(40), kinds.get()).message, "");
  EXPECT_EQ(kinds->OwnedCount(), 40);

  TOwnedPtr<TKinds> deep(new TKinds(nullptr));
  const Failure failure = ReadFailure(nested(100000), deep.get());
  EXPECT_EQ(failure.className, "EReadError");
  EXPECT_EQ(failure.message, "Invalid stream format");
  EXPECT_EQ(deep->OwnedCount(), 0);  // the partial chain was destroyed

  TOwnedPtr<TKinds> lists(new TKinds(nullptr));
  const auto deepLists = KindsStream(
      [](StreamWriter& w) {
        w.WritePropertyName("Bogus");
        for (int i = 0; i < 100000; ++i) w.WriteListBegin();
        for (int i = 0; i < 100000; ++i) w.WriteListEnd();
      },
      {}, "Lists");
  EXPECT_EQ(ReadFailure(deepLists, lists.get()).message,
            "Error reading Lists.Bogus: Invalid stream format");
}

TEST_F(ReaderErrorTest, HostileLengthsFailBeforeAllocating) {
  auto withRaw = [](const char* path, std::vector<uint8_t> raw) {
    return KindsStream([&](StreamWriter& w) {
      w.WritePropertyName(path);
      w.WriteRaw(raw);
    });
  };
  const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F};
  const std::vector<uint8_t> negative = {0xFB, 0xFF, 0xFF, 0xFF};
  struct Case {
    const char* path;
    uint8_t tag;
    std::vector<uint8_t> length;
  } cases[] = {
      {"Text", svLString, huge},     {"Text", svLString, negative},
      {"Text", svUTF8String, huge},  {"Wide", svWString, {0x00, 0x00, 0x00, 0x40}},
      {"Wide", svWString, negative}, {"Bogus", svBinary, huge},
      {"Bogus", svBinary, negative}, {"Variant", svLString, huge},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> raw{c.tag};
    raw.insert(raw.end(), c.length.begin(), c.length.end());
    raw.insert(raw.end(), 16, 'a');
    TOwnedPtr<TKinds> target(new TKinds(nullptr));
    const Failure failure = ReadFailure(withRaw(c.path, raw), target.get());
    EXPECT_EQ(failure.message, std::string("Error reading Kinds.") + c.path + ": Stream read error")
        << c.path << " " << int(c.tag);
  }
}

TEST_F(ReaderErrorTest, CrossRootReferenceWaitsForItsRoot) {
  ASSERT_EQ(PendingGlobalReferenceCount(), 0u);
  const auto alpha = KindsStream(
      [](StreamWriter& w) {
        w.WritePropertyName("Ref");
        w.WriteIdent("Beta.Label1");
      },
      {}, "Alpha");
  ASSERT_EQ(ReadFailure(alpha, kinds.get()).message, "");
  EXPECT_EQ(kinds->ref, nullptr);
  EXPECT_EQ(PendingGlobalReferenceCount(), 1u);

  TOwnedPtr<TKinds> beta(new TKinds(nullptr));
  const auto betaBytes = KindsStream([](StreamWriter&) {},
                                     [](StreamWriter& w) {
                                       w.WriteComponentHeader("TLabel", "Label1");
                                       w.WriteEndOfList();
                                       w.WriteEndOfList();
                                     },
                                     "Beta");
  ASSERT_EQ(ReadFailure(betaBytes, beta.get()).message, "");
  ASSERT_NE(beta->Label1, nullptr);
  EXPECT_EQ(kinds->ref, beta->Label1);
  EXPECT_EQ(PendingGlobalReferenceCount(), 0u);

  // A waiting record goes away with the object whose property it would set.
  TOwnedPtr<TKinds> gamma(new TKinds(nullptr));
  ASSERT_EQ(ReadFailure(KindsStream(
                            [](StreamWriter& w) {
                              w.WritePropertyName("Ref");
                              w.WriteIdent("Nowhere.Label1");
                            },
                            {}, "Gamma"),
                        gamma.get())
                .message,
            "");
  EXPECT_EQ(PendingGlobalReferenceCount(), 1u);
  gamma.reset();
  EXPECT_EQ(PendingGlobalReferenceCount(), 0u);
}

TEST_F(ReaderErrorTest, LocalReferencesResolveAfterTheWholeTree) {
  // The reference names a component stored after it.
  const auto bytes = KindsStream(
      [](StreamWriter& w) {
        w.WritePropertyName("Ref");
        w.WriteIdent("label1");
      },
      [](StreamWriter& w) {
        w.WriteComponentHeader("TLabel", "Label1");
        w.WriteEndOfList();
        w.WriteEndOfList();
      });
  ASSERT_EQ(ReadFailure(bytes, kinds.get()).message, "");
  EXPECT_EQ(kinds->ref, kinds->Label1);

  // "Owner" stays at the component reached.
  TOwnedPtr<TKinds> self(new TKinds(nullptr));
  ASSERT_EQ(ReadFailure(KindsStream([](StreamWriter& w) {
                          w.WritePropertyName("Ref");
                          w.WriteIdent("Owner");
                        }),
                        self.get())
                .message,
            "");
  EXPECT_EQ(self->ref, self.get());
}

TEST_F(ReaderErrorTest, NilValueClearsAnAssignedEvent) {
  kinds->onEvent = TNotifyEvent::Bind<&TKinds::Handler>(kinds.get());
  ASSERT_TRUE(kinds->onEvent.IsAssigned());
  ASSERT_EQ(ReadFailure(KindsStream([](StreamWriter& w) {
                          w.WritePropertyName("OnEvent");
                          w.WriteNil();
                        }),
                        kinds.get())
                .message,
            "");
  EXPECT_FALSE(kinds->onEvent.IsAssigned());
}

}  // namespace
}  // namespace standins
