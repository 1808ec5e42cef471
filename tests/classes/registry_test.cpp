#include <gtest/gtest.h>

#include <string>

#include "classes/class_registry.h"
#include "classes/component.h"
#include "classes/metadata_builder.h"
#include "runtime/exception.h"
#include "tests/support/exception_message.h"

namespace {

// A small hierarchy: TPersistent > TRegComponent > TRegControl > TRegButton,
// TRegComponent > TRegMenu > TRegMenuItem, and an unrelated class named like TRegButton.
template <class Base, const char* Name>
struct TRegClass : Base {
  explicit TRegClass(TComponent* owner) : Base(owner) {}
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TRegClass>(Name, &Base::StaticMeta(), "tests").Constructor().Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
constexpr char kComponentName[] = "TRegComponent";
constexpr char kControlName[] = "TRegControl";
constexpr char kButtonName[] = "TRegButton";
constexpr char kMenuName[] = "TRegMenu";
constexpr char kMenuItemName[] = "TRegMenuItem";
using TRegComponent = TRegClass<TComponent, kComponentName>;
using TRegControl = TRegClass<TRegComponent, kControlName>;
using TRegButton = TRegClass<TRegControl, kButtonName>;
using TRegMenu = TRegClass<TRegComponent, kMenuName>;
using TRegMenuItem = TRegClass<TRegMenu, kMenuItemName>;

struct TOtherButton : TComponent {
  using TComponent::TComponent;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TOtherButton>("TREGBUTTON", &TComponent::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

const ClassMetadata& M(const ClassMetadata& meta) { return meta; }

TEST(ClassRegistry, RegistersAncestorsAndRefusesAnotherClassOfTheSameName) {
  TRegGroups groups;
  groups.RegisterPersistentClass(TRegButton::StaticMeta());
  const TRegGroup& base = *groups.Groups()[0];
  ASSERT_EQ(base.Classes().size(), 5u);  // button, control, component, TComponent, TPersistent
  EXPECT_EQ(base.Classes()[0], &TRegButton::StaticMeta());
  EXPECT_EQ(base.Classes()[4], &TPersistent::StaticMeta());
  EXPECT_EQ(groups.LookupRegisteredClass("tregcontrol"), &TRegControl::StaticMeta());
  EXPECT_EQ(groups.LookupRegisteredClass("TObject"), nullptr);

  EXPECT_NO_THROW(groups.RegisterPersistentClass(TRegButton::StaticMeta()));
  EXPECT_EQ(
      MessageOf<EFilerError>([&] { groups.RegisterPersistentClass(TOtherButton::StaticMeta()); }),
      "A class named TREGBUTTON already exists");

  groups.RegisterClassAlias(TRegMenu::StaticMeta(), "TOldMenu");
  EXPECT_EQ(groups.LookupRegisteredClass("toldmenu"), &TRegMenu::StaticMeta());
  groups.UnregisterPersistentClass(TRegMenu::StaticMeta());
  EXPECT_EQ(groups.LookupRegisteredClass("TOldMenu"), nullptr);
  EXPECT_EQ(groups.LookupRegisteredClass("TRegMenu"), nullptr);
}

TEST(ClassRegistry, GroupsSelectJoinAndMoveClasses) {
  TRegGroups groups;
  groups.RegisterPersistentClass(TRegMenuItem::StaticMeta());
  groups.OpenClassGroup(TRegControl::StaticMeta());
  groups.OpenClassGroup(TRegControl::StaticMeta());  // already open: no second group
  ASSERT_EQ(groups.Groups().size(), 2u);
  const TRegGroup& controls = *groups.Groups()[1];
  EXPECT_FALSE(controls.Active());

  EXPECT_EQ(groups.SelectClassGroup(TRegControl::StaticMeta()), nullptr);
  EXPECT_EQ(groups.SelectClassGroup(TRegButton::StaticMeta()), &TRegControl::StaticMeta());
  EXPECT_TRUE(controls.Active());
  EXPECT_TRUE(groups.Groups()[0]->Active());  // everything inherits from TPersistent

  // The control group's own classes register there; ancestors above it do not.
  groups.RegisterPersistentClass(TRegButton::StaticMeta());
  EXPECT_EQ(controls.Classes().size(), 2u);
  EXPECT_TRUE(controls.Registered(TRegButton::StaticMeta()));
  EXPECT_FALSE(controls.Registered(TRegComponent::StaticMeta()));

  // Joining moves the menu classes registered elsewhere into the control group.
  groups.JoinClassGroup(TRegMenu::StaticMeta(), TRegControl::StaticMeta());
  EXPECT_TRUE(controls.Registered(TRegMenuItem::StaticMeta()));
  EXPECT_TRUE(controls.Registered(TRegMenu::StaticMeta()));
  EXPECT_FALSE(groups.Groups()[0]->Registered(TRegMenu::StaticMeta()));
  EXPECT_EQ(M(*groups.BestGroup(TRegMenuItem::StaticMeta())->GroupClasses()[1]).name, "TRegMenu");

  // Selecting a class outside the control group deactivates it.
  groups.SelectClassGroup(TRegComponent::StaticMeta());
  EXPECT_FALSE(controls.Active());
  EXPECT_EQ(groups.LookupRegisteredClass("TRegButton"), nullptr);
  EXPECT_EQ(groups.LookupRegisteredClass("TRegComponent"), &TRegComponent::StaticMeta());

  // A finder for a control class still sees its group, then the active ones.
  TClassFinder finder(TRegButton::StaticMeta(), true, groups);
  EXPECT_EQ(finder.Lookup("TRegMenuItem"), &TRegMenuItem::StaticMeta());
  EXPECT_EQ(finder.Lookup("TRegComponent"), &TRegComponent::StaticMeta());
  TClassFinder narrow(TRegComponent::StaticMeta(), false, groups);
  EXPECT_EQ(narrow.Lookup("TRegButton"), nullptr);

  EXPECT_EQ(MessageOf<EFilerError>(
                [&] { groups.JoinClassGroup(TRegButton::StaticMeta(), TObject::StaticMeta()); }),
            "TObject not in a class registration group");
}

TEST(ClassRegistry, EqualBestClassesGoToTheLaterGroup) {
  TRegGroups groups;
  groups.OpenClassGroup(TRegComponent::StaticMeta());
  groups.OpenClassGroup(TRegControl::StaticMeta());
  groups.JoinClassGroup(TRegComponent::StaticMeta(), TRegControl::StaticMeta());
  // Both later groups now list TRegComponent as a group class: the last one wins.
  EXPECT_EQ(groups.BestGroup(TRegMenu::StaticMeta()), groups.Groups()[2].get());
  EXPECT_EQ(groups.BestGroup(TRegButton::StaticMeta()), groups.Groups()[2].get());
  EXPECT_EQ(groups.BestGroup(TObject::StaticMeta()), nullptr);
}

TEST(ClassRegistry, ProcessWideRegistryRequiresRegisteredNames) {
  RegisterPersistentClass(TRegButton::StaticMeta());
  EXPECT_EQ(&RequireRegisteredClass("TREGBUTTON"), &TRegButton::StaticMeta());
  EXPECT_EQ(MessageOf<EClassNotFound>([] { RequireRegisteredClass("TNoSuchThing"); }),
            "Class TNoSuchThing not found");
  TComponent* made = RequireRegisteredClass("TRegButton").Construct(nullptr);
  EXPECT_EQ(made->ClassName(), "TRegButton");
  made->Free();
}

}  // namespace
