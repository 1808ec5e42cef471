// Controls read from a stored definition: parents from the reader, explicit bounds and the
// design size from the values that are not published properties, identifiers for cursors.
#include <gtest/gtest.h>

#include <mutex>

#include "classes/class_registry.h"
#include "classes/reader.h"
#include "classes/stream_writer.h"
#include "classes/streams.h"
#include "controls_test_support.h"

namespace {

void Int(StreamWriter& w, const char* path, int32_t value) {
  w.WritePropertyName(path);
  w.WriteInteger(value);
}

std::vector<uint8_t> TreeStream() {
  StreamWriter w;
  w.WriteSignature();
  w.WriteComponentHeader("TLogWinControl", "Root");
  w.WritePropertyName("DesignSize");
  w.WriteListBegin();
  w.WriteInteger(846);
  w.WriteInteger(531);
  w.WriteListEnd();
  w.WriteEndOfList();
  w.WriteComponentHeader("TSwatch", "Image1");
  Int(w, "Left", 248);
  Int(w, "Top", 144);
  Int(w, "Width", 105);
  Int(w, "Height", 106);
  w.WritePropertyName("Cursor");
  w.WriteIdent("crHandPoint");
  w.WritePropertyName("IsControl");
  w.WriteBoolean(true);
  Int(w, "ExplicitLeft", 1);
  Int(w, "ExplicitTop", 2);
  Int(w, "ExplicitWidth", 3);
  Int(w, "ExplicitHeight", 4);
  w.WriteEndOfList();  // Image1's properties
  w.WriteEndOfList();  // Image1's children
  w.WriteEndOfList();  // Root's children
  return w.TakeBytes();
}

TEST(Stream, ReadsParentsBoundsAndTheStoredExtras) {
  static std::once_flag once;
  std::call_once(once, [] { RegisterPersistentClass(TSwatch::StaticMeta()); });
  const std::vector<uint8_t> bytes = TreeStream();
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  auto* root = new TLogWinControl(nullptr);
  {
    TReader reader(stream);
    reader.LoadRoot(root);
  }
  ASSERT_EQ(root->CountChildren(), 1);
  auto* image = dynamic_cast<TSwatch*>(root->ChildByIndex(0));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Parent(), root);
  EXPECT_EQ(image->Owner(), root);
  EXPECT_EQ(image->Name(), "Image1");
  const RECT r = image->BoundsRect();
  EXPECT_EQ(r.right, 353);
  EXPECT_EQ(r.bottom, 250);
  EXPECT_EQ(image->Cursor(), crHandPoint);
  EXPECT_TRUE(image->IsControl());
  // Stored explicit bounds win over the ones the setters recorded while reading.
  EXPECT_EQ(image->ExplicitLeft(), 1);
  EXPECT_EQ(image->ExplicitHeight(), 4);
  EXPECT_EQ(root->DesignSize().x, 846);
  EXPECT_EQ(root->DesignSize().y, 531);
  EXPECT_FALSE(image->HasStatus(stReadingState));
  EXPECT_FALSE(root->HasStatus(stReadingState));
  // The parent notifications after reading reached the child.
  EXPECT_EQ(Filtered(image->log, {IM_PARENT_COLOR_CHANGED, IM_SYSFONT_CHANGED}),
            (std::vector<UINT>{IM_PARENT_COLOR_CHANGED, IM_SYSFONT_CHANGED}));
  root->Free();
}

}  // namespace
