// Header flags (inherited, child position) and the reader's hooks.
#include <gtest/gtest.h>

#include <functional>

#include "classes/reader.h"
#include "classes/stream_writer.h"
#include "runtime/exception.h"
#include "tests/classes/reader_test_util.h"
#include "tests/classes/standins.h"

namespace standins {
namespace {

void Label(StreamWriter& w, const char* name, const char* caption) {
  w.WriteComponentHeader("TLabel", name);
  w.WritePropertyName("Caption");
  w.WriteShortString(caption);
  w.WriteEndOfList();
  w.WriteEndOfList();
}

class ReaderHooksTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureRegistered(); }

  // Reads a TKinds named `name` whose children `children` writes; returns the failure.
  std::string Read(const char* name, const std::function<void(StreamWriter&)>& children,
                   const std::function<void(TReader&)>& setUp = nullptr,
                   const std::function<void(StreamWriter&)>& props = nullptr) {
    StreamWriter w;
    w.WriteSignature();
    w.WriteComponentHeader("TKinds", name);
    if (props) props(w);
    w.WriteEndOfList();
    children(w);
    w.WriteEndOfList();
    auto stream = MemoryStreamOf(w.TakeBytes());
    TReader reader(*stream);
    if (setUp) setUp(reader);
    try {
      reader.LoadRoot(kinds.get());
    } catch (const Exception& e) {
      return e.Message();
    }
    return "";
  }

  TOwnedPtr<TKinds> kinds{new TKinds(nullptr)};
};

TEST_F(ReaderHooksTest, InheritedRecordsReadIntoExistingComponentsAndPositionsApply) {
  ASSERT_EQ(Read("Base",
                 [](StreamWriter& w) {
                   Label(w, "Label1", "first");
                   w.WriteHeaderPrefix(hfInherited);
                   Label(w, "label1", "again");
                   w.WriteHeaderPrefix(hfChildPos, 0);
                   Label(w, "Label2", "front");
                 }),
            "");
  ASSERT_EQ(kinds->OwnedCount(), 2);
  EXPECT_EQ(kinds->Label1->caption, "again");
  ASSERT_EQ(kinds->children.size(), 2u);
  EXPECT_EQ(kinds->children[0]->Name(), "Label2");
  EXPECT_EQ(kinds->children[1], kinds->Label1);

  TOwnedPtr<TKinds> other(new TKinds(nullptr));
  kinds.swap(other);
  EXPECT_EQ(Read("Missing",
                 [](StreamWriter& w) {
                   w.WriteHeaderPrefix(hfInherited);
                   Label(w, "Ghost", "x");
                 }),
            "Ancestor for 'Ghost' not found");
}

// Treats every child record as one the ancestor already holds.
class TInheritingReader : public TReader {
 public:
  using TReader::TReader;
  uint8_t ReadPrefix(int32_t& childPos) override {
    const uint8_t flags = TReader::ReadPrefix(childPos);
    return calls++ == 0 ? flags : flags | hfInherited;
  }
  int calls = 0;
};

TEST_F(ReaderHooksTest, DerivedReaderReadsEveryHeaderPrefix) {
  ASSERT_EQ(Read("Base", [](StreamWriter& w) { Label(w, "Label1", "first"); }), "");
  TLabel* const existing = kinds->Label1;
  StreamWriter w;
  w.WriteSignature();
  w.WriteComponentHeader("TKinds", "Base");
  w.WriteEndOfList();
  Label(w, "Label1", "second");
  w.WriteEndOfList();
  auto stream = MemoryStreamOf(w.TakeBytes());
  TInheritingReader reader(*stream);
  reader.LoadRoot(kinds.get());
  EXPECT_EQ(reader.calls, 2);
  EXPECT_EQ(kinds->OwnedCount(), 1);
  EXPECT_EQ(kinds->Label1, existing);
  EXPECT_EQ(existing->caption, "second");
}

TEST_F(ReaderHooksTest, HooksReplaceClassesNamesMethodsReferencesAndAncestors) {
  TLabel* supplied = nullptr;
  std::vector<std::string> renamed;
  const std::string failure = Read(
      "Hooked",
      [](StreamWriter& w) {
        w.WriteComponentHeader("TButton", "Button1");
        w.WriteEndOfList();
        w.WriteEndOfList();
        w.WriteHeaderPrefix(hfInherited);
        Label(w, "Ghost", "found by the hook");
      },
      [&](TReader& reader) {
        reader.FindComponentClassHook = [](TReader&, const std::string& name,
                                           const ClassMetadata*& cls) {
          if (name == "TButton") cls = &TLabel::StaticMeta();
        };
        reader.SetNameHook = [&](TReader&, TComponent*, std::string& name) {
          renamed.push_back(name);
          if (name == "Button1") name = "Label1";
        };
        reader.FindMethodHook = [](TReader&, const std::string& name, const MethodCode*& code,
                                   bool& error) {
          if (name == "Elsewhere") {
            code = &kMethodCode<&TKinds::Handler>;
            error = false;
          }
        };
        reader.ReferenceNameHook = [](TReader&, std::string& name) {
          if (name == "Alias") name = "Label1";
        };
        reader.AncestorNotFoundHook = [&](TReader&, const std::string&, const ClassMetadata*,
                                          TComponent*& component) {
          supplied = new TLabel(kinds.get());
          component = supplied;
        };
      },
      [](StreamWriter& w) {
        w.WritePropertyName("OnEvent");
        w.WriteIdent("Elsewhere");
        w.WritePropertyName("Ref");
        w.WriteIdent("Alias");
      });
  ASSERT_EQ(failure, "");
  ASSERT_NE(kinds->Label1, nullptr);  // a TLabel, named by the hook
  EXPECT_EQ(renamed, std::vector<std::string>{"Button1"});
  EXPECT_EQ(kinds->ref, kinds->Label1);
  ASSERT_NE(supplied, nullptr);
  EXPECT_EQ(supplied->caption, "found by the hook");
  kinds->onEvent(nullptr);
  EXPECT_EQ(kinds->handled, 1);
}

}  // namespace
}  // namespace standins
