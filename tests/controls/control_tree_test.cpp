// The control tree: parents and refusals, notifications on adoption, inheritance of font
// and colour, bounds, teardown order and dispatch along the class chain.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "classes/metadata_builder.h"
#include "controls/controls_module.h"
#include "controls_test_support.h"
#include "runtime/exception.h"

namespace {

template <class T>
T* Make(TComponent* owner = nullptr, const char* name = nullptr) {
  auto* control = new T(owner);
  if (name != nullptr) control->AssignName(name);
  return control;
}

TEST(ControlTree, RefusesItselfAndItsDescendantsAsParent) {
  auto* root = Make<TLogWinControl>(nullptr, "Root");
  auto* middle = Make<TLogWinControl>(nullptr, "Middle");
  auto* leaf = Make<TLogWinControl>(nullptr, "Leaf");
  middle->SetParent(root);
  leaf->SetParent(middle);
  struct Case {
    TControl* child;
    TWinControl* parent;
  } cases[] = {{root, root}, {root, leaf}, {root, middle}, {middle, leaf}};
  for (const Case& c : cases) {
    try {
      c.child->SetParent(c.parent);
      ADD_FAILURE() << c.child->Name() << " accepted " << c.parent->Name();
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), "A control cannot have itself as its parent");
    }
  }
  EXPECT_EQ(root->Parent(), nullptr);
  EXPECT_EQ(middle->Parent(), root);
  EXPECT_EQ(leaf->Parent(), middle);
  root->Free();
}

TEST(ControlTree, NoParentWindowIsReportedWithTheName) {
  auto* lone = Make<TSwatch>(nullptr, "Lone");
  auto* windowed = Make<TLogWinControl>(nullptr, "Orphan");
  const auto expectMessage = [](auto&& action, const char* name) {
    try {
      action();
      ADD_FAILURE() << name << " did not fail";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), std::string("Control '") + name + "' has no parent window");
    }
  };
  expectMessage([&] { lone->ToScreen({0, 0}); }, "Lone");
  expectMessage(
      [&] {
        HWND w;
        lone->AcquireDC(w);
      },
      "Lone");
  expectMessage([&] { windowed->Handle(); }, "Orphan");
  EXPECT_FALSE(windowed->HandleAllocated());
  lone->Free();
  windowed->Free();
}

TEST(ControlTree, AdoptionAndReleaseNotifyInOrder) {
  auto* parent = Make<TLogWinControl>();
  auto* child = Make<TSwatch>();
  child->SetParent(parent);
  child->SetParent(nullptr);
  const std::vector<UINT> parentSees = {IM_CONTROL_LIST_CHANGING, IM_CONTROL_LIST_CHANGE,
                                        IM_CONTROL_CHANGE,        IM_CONTROL_CHANGE,
                                        IM_CONTROL_LIST_CHANGE,   IM_CONTROL_LIST_CHANGING};
  EXPECT_EQ(Filtered(parent->log, parentSees), parentSees);
  const std::vector<LPARAM> added = {1, 1, 1, 0, 0, 0};
  std::vector<LPARAM> seen;
  for (const MessageRecord& m : parent->log) {
    if (m.Msg >= IM_CONTROL_LIST_CHANGE && m.Msg != IM_INVALIDATE) seen.push_back(m.LParam);
  }
  EXPECT_EQ(seen, added);
  const std::vector<UINT> childSees = {IM_PARENT_COLOR_CHANGED, IM_PARENT_FONT_CHANGED,
                                       IM_PARENT_SHOWHINT_CHANGED, IM_PARENT_BIDIMODE_CHANGED};
  EXPECT_EQ(Filtered(child->log, childSees), childSees);
  child->Free();
  parent->Free();
}

TEST(ControlTree, FontAndColourFollowTheParentUntilSetOwn) {
  auto* parent = Make<TLogWinControl>();
  auto* follower = Make<TSwatch>();
  auto* own = Make<TSwatch>();
  parent->SetColor(clBlack);
  parent->Font()->SetHeight(-20);
  follower->SetParent(parent);
  own->SetParent(parent);
  own->Font()->SetHeight(-11);
  own->SetColor(clNone);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_FALSE(own->ParentFont());
  EXPECT_EQ(follower->Color(), clBlack);
  EXPECT_EQ(follower->Font()->Height(), -20);

  parent->Font()->SetHeight(-30);
  parent->SetColor(clWindow);
  EXPECT_EQ(follower->Font()->Height(), -30);
  EXPECT_EQ(follower->Color(), clWindow);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(own->Font()->Height(), -11);
  EXPECT_EQ(own->Color(), clNone);
  parent->Free();
}

class ResizeCounter : public TObject {
 public:
  void Resized(TObject*) { ++count; }
  int count = 0;
};

TEST(ControlTree, BoundsAreStoredSaneAndUnchangedBoundsDoNothing) {
  auto* swatch = Make<TSwatch>();
  ResizeCounter counter;
  swatch->OnResize = TNotifyEvent::Bind<&ResizeCounter::Resized>(&counter);
  struct Case {
    int32_t l, t, w, h;
    RECT expected;
  } cases[] = {
      {1, 2, 30, 40, {1, 2, 31, 42}},
      {1, 2, 30, 40, {1, 2, 31, 42}},  // the same again: no resize event
      {5, 5, -10, -1, {5, 5, 5, 5}},
      {INT32_MAX - 5, 0, 100, INT32_MAX, {INT32_MAX - 5, 0, INT32_MAX, INT32_MAX}},
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {INT32_MIN, INT32_MIN, -1, -1}},
  };
  for (const Case& c : cases) {
    swatch->SetBounds(c.l, c.t, c.w, c.h);
    const RECT r = swatch->BoundsRect();
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.l << "," << c.t << "," << c.w << "," << c.h;
  }
  EXPECT_EQ(counter.count, 4);
  swatch->Free();
}

TEST(ControlTree, ConstraintsAndCanResizeShapeTheSize) {
  auto* swatch = Make<TSwatch>();
  swatch->Constraints()->SetMaxWidth(50);
  swatch->Constraints()->SetMinHeight(20);
  swatch->SetBounds(0, 0, 80, 5);
  EXPECT_EQ(swatch->Width(), 50);
  EXPECT_EQ(swatch->Height(), 20);
  swatch->Constraints()->SetMinWidth(70);  // raises the maximum with it
  EXPECT_EQ(swatch->Constraints()->MaxWidth(), 70);
  EXPECT_EQ(swatch->Width(), 70);
  swatch->Free();
}

class TeardownWitness : public TSwatch {
 public:
  TeardownWitness(std::vector<std::string>* order) : TSwatch(nullptr), order_(order) {}
  ~TeardownWitness() override { order_->push_back(Name()); }

 private:
  std::vector<std::string>* order_;
};

TEST(ControlTree, ParentDestroysChildrenLastFirstAndIsForgotten) {
  std::vector<std::string> order;
  auto* parent = Make<TLogWinControl>();
  for (const char* name : {"A", "B", "C"}) {
    auto* child = new TeardownWitness(&order);
    child->AssignName(name);
    child->SetParent(parent);
  }
  TestHost().forgotten.clear();
  parent->Free();
  EXPECT_EQ(order, (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(TestHost().forgotten.size(), 4u);
  EXPECT_EQ(TestHost().forgotten.back(), parent);
}

TEST(ControlTree, DeepNestingBuildsAndTearsDown) {
  auto* root = Make<TLogWinControl>();
  TWinControl* tip = root;
  for (int i = 0; i < 500; ++i) {
    auto* next = Make<TLogWinControl>();
    next->SetParent(tip);
    tip = next;
  }
  auto* swatch = Make<TSwatch>();
  swatch->SetParent(tip);
  EXPECT_THROW(root->SetParent(tip), EInvalidOperation);
  root->Free();
}

TEST(ControlTree, CaptionLivesInTheFieldWithoutAWindow) {
  auto* swatch = Make<TSwatch>();
  swatch->SetCaption("EXIT");
  EXPECT_EQ(swatch->Caption(), "EXIT");
  char buffer[3] = {'x', 'x', 'x'};
  EXPECT_EQ(swatch->Perform(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_STREQ(buffer, "EX");
  EXPECT_EQ(swatch->Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(Filtered(swatch->log, {IM_TEXT_CHANGED}).size(), 1u);
  swatch->SetCaption("EXIT");
  EXPECT_EQ(Filtered(swatch->log, {IM_TEXT_CHANGED}).size(), 1u);
  swatch->Free();
}

// A subclass handler that adds to the base one and falls through to it explicitly.
class THitTwice : public TSwatch {
 public:
  using TSwatch::TSwatch;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void HandleHit(MessageRecord& m) {
    ++calls;
    DispatchInherited(THitTwice::StaticMeta(), m);
    m.Result += 1;
  }
  int calls = 0;
  static const MessageTable kMessages;
};
const MessageTable THitTwice::kMessages{On<&THitTwice::HandleHit>(IM_HIT_TEST),
                                        On<&THitTwice::HandleHit>(0xC123)};
const ClassMetadata& THitTwice::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<THitTwice>("THitTwice", &TSwatch::StaticMeta(), "tests")
          .Messages(&THitTwice::kMessages)
          .Build();
  return meta;
}

TEST(ControlTree, DispatchSearchesTheClassChainButNotRegisteredNumbers) {
  THitTwice control(nullptr);
  EXPECT_EQ(control.Perform(IM_HIT_TEST), 2);  // own handler + TControl's answer of 1
  EXPECT_EQ(control.Perform(0xC123), 0);       // registered numbers skip the tables
  EXPECT_EQ(control.calls, 1);
  EXPECT_EQ(Deliver(nullptr, IM_HIT_TEST), 0);
}

TEST(ControlTree, ModuleMadeDistinctAtomsAndTheInstanceMessage) {
  EXPECT_NE(WindowAtom(), 0);
  EXPECT_NE(ControlAtom(), 0);
  EXPECT_NE(WindowAtom(), ControlAtom());
  EXPECT_GE(ObjectInstanceMessage(), 0xC000u);
  EXPECT_EQ(std::string(ControlAtomText()).rfind("ControlOfs", 0), 0u);
}

}  // namespace
