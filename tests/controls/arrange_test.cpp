// The arrange pass: placement order, the rectangle left over, anchors, margins,
// constraints, custom alignment and the explicit bounds restored from alNone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_test_support.h"

namespace {

using test_support::HostWindow;

struct ChildSpec {
  TAlign align;
  RECT bounds;  // left, top, width, height as given
  int maxWidth = 0;
  bool margins = false;
};

struct ArrangeCase {
  const char* name;
  std::vector<ChildSpec> children;
  std::vector<RECT> expected;  // left, top, right, bottom
};

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A container with a window of 200 x 100 client pixels inside a host window.
struct Container {
  HostWindow host{100, 100, 300, 200};
  TLogWinControl* root = new TLogWinControl(nullptr);
  Container() {
    root->SetHostWindow(host.Get());
    root->SetBounds(0, 0, 200, 100);
    root->Handle();
  }
  ~Container() { root->Free(); }
};

TEST(Arrange, PlacesChildrenByAlignmentOrder) {
  const ArrangeCase cases[] = {
      {"top, bottom, left, right, client",
       {{alClient, {0, 0, 10, 10}},
        {alTop, {0, 0, 10, 20}},
        {alBottom, {0, 0, 10, 10}},
        {alLeft, {0, 0, 30, 10}},
        {alRight, {0, 0, 40, 10}}},
       {{30, 20, 160, 90},
        {0, 0, 200, 20},
        {0, 90, 200, 100},
        {0, 20, 30, 90},
        {160, 20, 200, 90}}},
      {"two tops, ordered by their top edge",
       {{alTop, {0, 50, 10, 10}}, {alTop, {0, 5, 10, 30}}},
       {{0, 30, 200, 40}, {0, 0, 200, 30}}},
      {"client narrower than the space gives the rest back on the right",
       {{alClient, {0, 0, 10, 10}, 50}, {alRight, {0, 0, 20, 10}}},
       {{0, 0, 50, 100}, {180, 0, 200, 100}}},
      {"margins keep distance to the edges and to each other",
       {{alTop, {0, 0, 10, 20}, 0, true}, {alTop, {0, 30, 10, 20}, 0, true}},
       {{3, 3, 197, 23}, {3, 29, 197, 49}}},
      {"custom and none keep their own bounds",
       {{alCustom, {8, 46, 83, 27}}, {alNone, {1, 2, 3, 4}}, {alClient, {0, 0, 1, 1}}},
       {{8, 46, 91, 73}, {1, 2, 4, 6}, {0, 0, 200, 100}}},
  };
  for (const ArrangeCase& c : cases) {
    Container box;
    std::vector<TSwatch*> children;
    box.root->SuspendArrange();
    for (const ChildSpec& row : c.children) {
      auto* child = new TSwatch(nullptr);
      child->SetBounds(row.bounds.left, row.bounds.top, row.bounds.right, row.bounds.bottom);
      child->Constraints()->SetMaxWidth(row.maxWidth);
      child->SetAlignWithMargins(row.margins);
      child->SetAlign(row.align);
      child->SetParent(box.root);
      children.push_back(child);
    }
    box.root->ResumeArrange();
    for (size_t i = 0; i < children.size(); ++i) {
      const RECT r = children[i]->BoundsRect();
      EXPECT_EQ(Text(r), Text(c.expected[i])) << c.name << ", child " << i;
    }
  }
}

TEST(Arrange, AnchorsKeepTheirDistanceWhenTheContainerGrows) {
  Container box;
  struct Case {
    TAnchors anchors;
    RECT expected;
  } cases[] = {
      {AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight), {10, 10, 150, 30}},
      {AnchorBit(akRight) | AnchorBit(akBottom), {50, 30, 150, 50}},
      {kAnchorsLeftTop, {10, 10, 110, 30}},
      {0, {22, 14, 122, 34}},  // neither side: the centre keeps its proportion
  };
  std::vector<TSwatch*> children;
  for (const Case& c : cases) {
    auto* child = new TSwatch(nullptr);
    child->SetBounds(10, 10, 100, 20);
    child->SetParent(box.root);
    child->SetAnchors(c.anchors);
    children.push_back(child);
  }
  box.root->SetBounds(0, 0, 240, 120);
  for (size_t i = 0; i < children.size(); ++i) {
    const RECT r = children[i]->BoundsRect();
    EXPECT_EQ(Text(r), Text(cases[i].expected)) << "anchor case " << i;
  }
}

TEST(Arrange, BackToNoneRestoresTheExplicitBoundsAndWaitsForTheWindow) {
  auto* root = new TLogWinControl(nullptr);
  root->SetBounds(0, 0, 200, 100);
  auto* child = new TSwatch(nullptr);
  child->SetBounds(248, 144, 105, 105);
  child->SetParent(root);
  child->SetAlign(alClient);
  // No window yet: the request is dropped and the stored bounds stay.
  EXPECT_EQ(child->Width(), 105);
  HostWindow host;
  root->SetHostWindow(host.Get());
  root->Handle();
  root->Rearrange();
  EXPECT_EQ(Text(child->BoundsRect()), "0,0,200,100");
  child->SetAlign(alNone);
  EXPECT_EQ(Text(child->BoundsRect()), "248,144,353,249");
  root->Free();
}

TEST(Arrange, RequestsDuringSuspensionRunOnceWhenResumed) {
  Container box;
  auto* child = new TSwatch(nullptr);
  child->SetParent(box.root);
  box.root->SuspendArrange();
  box.root->SuspendArrange();
  child->SetAlign(alClient);
  EXPECT_TRUE(box.root->HasStatus(stAlignmentNeeded));
  box.root->ResumeArrange();
  EXPECT_EQ(child->Width(), 0);
  box.root->ResumeArrange();
  EXPECT_FALSE(box.root->HasStatus(stAlignmentNeeded));
  EXPECT_EQ(Text(child->BoundsRect()), "0,0,200,100");
}

// Leaves 40 pixels at its right out of what its anchored children measure against.
class TNarrowedContainer : public TLogWinControl {
 public:
  using TLogWinControl::TLogWinControl;
  void ParentSizeForAnchors(TControl* child, POINT& size) override {
    TLogWinControl::ParentSizeForAnchors(child, size);
    size.x -= 40;
  }
};

TEST(Arrange, AnchorsMeasureAgainstTheSizeTheContainerReports) {
  HostWindow host{100, 100, 300, 200};
  auto* root = new TNarrowedContainer(nullptr);
  root->SetHostWindow(host.Get());
  root->SetBounds(0, 0, 200, 100);
  root->Handle();
  auto* child = new TSwatch(nullptr);
  child->SetBounds(100, 10, 20, 20);
  child->SetParent(root);
  child->SetAnchors(AnchorBit(akTop) | AnchorBit(akRight));
  root->SetBounds(0, 0, 240, 100);
  // Recorded against 160 and placed against 200: 40 to the right, not 80.
  EXPECT_EQ(Text(child->BoundsRect()), "140,10,160,30");
  root->Free();
}

}  // namespace
