// Finding stored definitions among the test program's resources, and shared loading.
#include "classes/form_resources.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "classes/loaded_list.h"
#include "classes/reader.h"
#include "runtime/exception.h"
#include "tests/classes/reader_test_stream.h"
#include "tests/classes/reader_test_util.h"
#include "tests/classes/standins.h"

namespace standins {
namespace {

class FormResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureRegistered();
    LoadLog().clear();
  }
};

// The test program carries "TFORM1": an empty TForm1 named Form1.
TEST_F(FormResourcesTest, DefinitionIsFoundByClassNameInAnyCase) {
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  EXPECT_FALSE(ReadDefinitionResource("TNoSuchForm", nullptr, form.get()));
  EXPECT_EQ(form->Name(), "");
  EXPECT_TRUE(ReadDefinitionResource("tForm1", nullptr, form.get()));
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(LoadLog(), std::vector<std::string>{"Form1"});
}

TEST_F(FormResourcesTest, ChainReadStopsAtTheRootAncestorAndFinishesOnce) {
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  EXPECT_TRUE(LoadInheritedDefinition(form.get(), TForm::StaticMeta()));
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(LoadLog(), std::vector<std::string>{"Form1"});
  EXPECT_FALSE(form->HasState(stLoading));
  EXPECT_EQ(SharedLoadedList(), nullptr);

  // Nothing is read for the root ancestor class itself.
  TOwnedPtr<TForm1> bare(new TForm1(nullptr));
  EXPECT_FALSE(LoadInheritedDefinition(bare.get(), TForm1::StaticMeta()));
  EXPECT_EQ(bare->Name(), "");
}

TEST_F(FormResourcesTest, DerivedClassWithoutItsOwnDefinitionUsesItsParents) {
  TOwnedPtr<TForm2> form(new TForm2(nullptr));
  EXPECT_TRUE(LoadInheritedDefinition(form.get(), TForm::StaticMeta()));
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(LoadLog(), std::vector<std::string>{"Form1"});
}

TEST_F(FormResourcesTest, SharedListDefersFinishLoadingUntilTheWholeChain) {
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  BeginSharedLoading();
  std::vector<TComponent*>* outer = SharedLoadedList();
  ASSERT_NE(outer, nullptr);
  {
    auto stream = MemoryStreamOf(BuildLauncherStream());
    TReader reader(*stream);
    reader.LoadRoot(form.get());
  }
  EXPECT_TRUE(LoadLog().empty());
  ASSERT_EQ(outer->size(), 7u);
  EXPECT_EQ((*outer)[0], form.get());
  EXPECT_EQ((*outer)[6], form->Panel1);
  EXPECT_TRUE(form->Panel1->HasState(stLoading));

  // A nested list replaces the outer one until it ends.
  BeginSharedLoading();
  EXPECT_NE(SharedLoadedList(), outer);
  EXPECT_TRUE(SharedLoadedList()->empty());
  EndSharedLoading();
  EXPECT_EQ(SharedLoadedList(), outer);

  for (TComponent* component : *outer) component->FinishLoading();
  EndSharedLoading();
  EXPECT_EQ(SharedLoadedList(), nullptr);
  EXPECT_EQ(LoadLog(), (std::vector<std::string>{"Form1", "Image1", "Label4", "Label1", "Label2",
                                                 "Label3", "Panel1"}));
}

TEST_F(FormResourcesTest, DestroyedComponentLeavesThePendingSharedList) {
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  BeginSharedLoading();
  {
    auto stream = MemoryStreamOf(BuildLauncherStream());
    TReader reader(*stream);
    reader.LoadRoot(form.get());
  }
  std::vector<TComponent*>* pending = SharedLoadedList();
  ASSERT_EQ(pending->size(), 7u);
  TComponent* label = form->Label1;
  label->Free();
  EXPECT_EQ(pending->size(), 6u);
  EXPECT_EQ(std::find(pending->begin(), pending->end(), label), pending->end());
  for (TComponent* component : *pending) component->FinishLoading();
  EndSharedLoading();
}

TEST_F(FormResourcesTest, ComponentDestroyedWhileFinishingSkipsNoOther) {
  // Form1's post-load step reads a second form, whose components join the open list;
  // when its Label4 finishes it destroys its Image1, an entry already finished.
  TOwnedPtr<TForm1> second(new TForm1(nullptr));
  AfterFinishLoading() = [&](TControl* control) {
    if (control->Name() == "Form1") {
      auto stream = MemoryStreamOf(BuildLauncherStream());
      TReader reader(*stream);
      reader.LoadRoot(second.get());
    } else if (control == second->Label4) {
      second->Image1->Free();
    }
  };
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  const bool read = LoadInheritedDefinition(form.get(), TForm::StaticMeta());
  AfterFinishLoading() = nullptr;
  EXPECT_TRUE(read);
  EXPECT_EQ(LoadLog(), (std::vector<std::string>{"Form1", "Form1_1", "Image1", "Label4", "Label1",
                                                 "Label2", "Label3", "Panel1"}));
  EXPECT_FALSE(second->Label1->HasState(stLoading));
}

TEST_F(FormResourcesTest, FailedReadClosesTheSharedListWithoutFinishing) {
  // Already loading: the caller owns the loading, so no shared list is opened and the
  // single read finishes its own components.
  TOwnedPtr<TForm1> loading(new TForm1(nullptr));
  loading->IncludeState(stLoading);
  EXPECT_TRUE(LoadInheritedDefinition(loading.get(), TForm::StaticMeta()));
  EXPECT_EQ(LoadLog(), std::vector<std::string>{"Form1"});

  // A read that fails leaves no list behind.
  LoadLog().clear();
  TOwnedPtr<TForm1> form(new TForm1(nullptr));
  BeginSharedLoading();
  try {
    std::vector<uint8_t> bytes = BuildLauncherStream();
    bytes.resize(bytes.size() - 2);
    auto stream = MemoryStreamOf(bytes);
    TReader reader(*stream);
    reader.LoadRoot(form.get());
    ADD_FAILURE() << "a cut stream was read";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EndSharedLoading();
  EXPECT_EQ(SharedLoadedList(), nullptr);
  EXPECT_TRUE(LoadLog().empty());
}

}  // namespace
}  // namespace standins
