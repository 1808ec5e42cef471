#include "classes/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "classes/filer.h"
#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "classes/stream_writer.h"
#include "classes/streams.h"
#include "runtime/exception.h"
#include "tests/support/exception_message.h"

namespace {

static_assert(stLoading == 0x0001 && stReading == 0x0002 && stDestroying == 0x0008 &&
              stDesigning == 0x0010 && stUpdating == 0x0040 && stFreeNotification == 0x0100 &&
              stInline == 0x0200);
static_assert(syInheritable == 0x01 && sySubComponent == 0x04 && noInsert == 0 && noRemove == 1);

std::vector<std::string> eventLog;

// Logs its notifications and destruction; "!" marks a destructor that ran
// without stDestroying.
class TProbe : public TComponent {
 public:
  explicit TProbe(TComponent* owner) : TComponent(owner), stateAtConstruction(State()) {}
  TProbe(TComponent* owner, const std::string& name) : TProbe(owner) { AssignName(name); }
  ~TProbe() override { eventLog.push_back("~" + Name() + (HasState(stDestroying) ? "" : "!")); }
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TProbe>("TProbe", &TComponent::StaticMeta(), "tests").Constructor().Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  void ComponentNotify(TComponent* component, TOperation operation) override {
    eventLog.push_back(Name() + (operation == noRemove ? ":-" : ":+") +
                       (component ? component->Name() : "?"));
    if (onNotify) onNotify(component, operation);
    TComponent::ComponentNotify(component, operation);
  }
  void CheckRename(TComponent* component, std::string_view current,
                   std::string_view newName) override {
    ++renameChecks;
    TComponent::CheckRename(component, current, newName);
  }

  std::function<void(TComponent*, TOperation)> onNotify;
  int renameChecks = 0;
  TComponentState stateAtConstruction;
};

class TOtherProbe : public TProbe {
 public:
  using TProbe::TProbe;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TOtherProbe>("TOtherProbe", &TProbe::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

class THost : public TProbe {
 public:
  using TProbe::TProbe;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta = ClassBuilder<THost>("THost", &TProbe::StaticMeta(), "tests")
                                          .Field<&THost::Label1>("Label1")
                                          .Field<&THost::Other1>("Other1")
                                          .Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  TProbe* Label1 = nullptr;
  TOtherProbe* Other1 = nullptr;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { eventLog.clear(); }
  void TearDown() override { host->Free(); }
  size_t Position(const std::string& entry) {
    auto it = std::find(eventLog.begin(), eventLog.end(), entry);
    return it == eventLog.end() ? SIZE_MAX : static_cast<size_t>(it - eventLog.begin());
  }
  THost* host = new THost(nullptr, "Host");
};

TEST_F(ComponentTest, RenamingWithinOneOwner) {
  auto* a = new TProbe(host, "Label1");
  auto* b = new TProbe(host, "Label2");
  EXPECT_EQ(host->Label1, a);

  a->AssignName("label1");  // finds itself only
  EXPECT_EQ(a->Name(), "label1");
  EXPECT_EQ(host->Label1, a);

  EXPECT_EQ(MessageOf<EComponentError>([&] { b->AssignName("label1"); }),
            "A component named label1 already exists");
  EXPECT_EQ(b->Name(), "Label2");
  EXPECT_EQ(host->Label1, a);

  for (const char* bad : {"1Label", "Label-1", " Label"}) {
    EXPECT_EQ(MessageOf<EComponentError>([&] { b->AssignName(bad); }),
              "''" + std::string(bad) + "'' is not a valid component name");
    EXPECT_EQ(b->Name(), "Label2");
  }
  b->AssignName("_x9");
  EXPECT_EQ(host->FindOwned("_X9"), b);
  EXPECT_EQ(host->FindOwned(""), nullptr);
  EXPECT_EQ(host->FindOwned("_X"), nullptr);
}

TEST_F(ComponentTest, NameChangesRebindTheOwnersField) {
  auto* a = new TProbe(host, "Label1");
  // The same name again calls no hook and leaves the field alone.
  host->Label1 = nullptr;
  int checks = host->renameChecks;
  a->AssignName("Label1");
  EXPECT_EQ(host->renameChecks, checks);
  EXPECT_EQ(host->Label1, nullptr);

  a->AssignName("Label9");
  a->AssignName("Label1");
  EXPECT_EQ(host->Label1, a);
  a->AssignName("");
  EXPECT_EQ(host->Label1, nullptr);
  EXPECT_EQ(host->renameChecks, checks + 3);

  // A component of the wrong class is not written into a typed field.
  EXPECT_EQ(MessageOf<EConvertError>([&] { a->AssignName("Other1"); }),
            "Cannot assign a TProbe to a TOtherProbe");
  EXPECT_EQ(host->Other1, nullptr);
  EXPECT_EQ(a->Name(), "");

  auto* other = new TOtherProbe(host);
  other->AssignName("OTHER1");
  EXPECT_EQ(host->Other1, other);
  other->Free();  // leaving the owner clears the field
  EXPECT_EQ(host->Other1, nullptr);
  EXPECT_EQ(host->OwnedCount(), 1);
}

TEST_F(ComponentTest, AdoptingADuplicateNameDoesNotRaise) {
  new TProbe(host, "Label1");
  auto* loose = new TProbe(nullptr, "Label1");
  EXPECT_NO_THROW(host->AdoptComponent(loose));
  EXPECT_EQ(host->OwnedCount(), 2);
  EXPECT_EQ(loose->Owner(), host);
  EXPECT_EQ(host->Label1, loose);
  EXPECT_NE(Position("Host:+Label1"), SIZE_MAX);

  THost* second = new THost(nullptr, "Second");
  second->AdoptComponent(loose);  // moves: released from the first owner
  EXPECT_EQ(host->OwnedCount(), 1);
  EXPECT_EQ(host->Label1, nullptr);
  EXPECT_EQ(second->Label1, loose);
  second->Free();
}

TEST_F(ComponentTest, DestroyingAnOwnerFreesOwnedLastFirstAndTellsWatchers) {
  auto* a = new TProbe(host, "A");
  auto* b = new TProbe(host, "B");
  new TProbe(host, "C");
  auto* watcher = new TProbe(nullptr, "W");
  watcher->WatchForFree(b);
  EXPECT_TRUE(b->HasState(stFreeNotification));
  EXPECT_TRUE(watcher->HasState(stFreeNotification));

  // Siblings are not registered with each other; the owner's broadcast reaches them.
  a->WatchForFree(b);
  EXPECT_TRUE(a->HasState(stFreeNotification));

  host->Free();
  host = new THost(nullptr, "Host");
  EXPECT_LT(Position("~C"), Position("~B"));
  EXPECT_LT(Position("~B"), Position("~A"));
  EXPECT_LT(Position("W:-B"), Position("~A"));
  EXPECT_LT(Position("A:-B"), Position("~A"));
  EXPECT_EQ(Position("~Host!"), SIZE_MAX);  // everything ran with stDestroying
  eventLog.clear();
  watcher->Free();  // its list no longer names B
  EXPECT_EQ(eventLog, std::vector<std::string>{"~W"});
}

TEST_F(ComponentTest, DestructionTellsWatchersThenFreesOwnedThenLeavesTheOwner) {
  auto* mid = new TProbe(host, "Mid");
  new TProbe(mid, "A");
  new TProbe(mid, "B");
  auto* watcher = new TProbe(nullptr, "W");
  watcher->WatchForFree(mid);
  watcher->WatchForFree(mid);  // listed once: one notification
  bool ownedAlreadyDestroying = false;
  watcher->onNotify = [&](TComponent* component, TOperation) {
    ownedAlreadyDestroying = component->OwnedCount() == 2 &&
                             component->OwnedAt(0)->HasState(stDestroying) &&
                             component->OwnedAt(1)->HasState(stDestroying);
  };
  eventLog.clear();
  mid->Free();
  EXPECT_EQ(eventLog, (std::vector<std::string>{"~Mid", "W:-Mid", "~B", "~A", "Host:-Mid"}));
  EXPECT_TRUE(ownedAlreadyDestroying);
  EXPECT_EQ(host->OwnedCount(), 0);
  watcher->Free();
}

TEST_F(ComponentTest, OwnerIsToldWhileTheComponentIsStillInPlace) {
  auto* loose = new TProbe(nullptr, "Label1");
  std::vector<std::string> seen;
  const int checks = host->renameChecks;
  host->onNotify = [&](TComponent* component, TOperation operation) {
    seen.push_back(std::string(operation == noInsert ? "+" : "-") +
                   (host->Label1 == component ? "bound" : "unbound") +
                   (component->Owner() == host ? " owned " : " loose ") +
                   std::to_string(host->renameChecks - checks));
  };
  host->AdoptComponent(loose);
  host->ReleaseComponent(loose);
  EXPECT_EQ(seen, (std::vector<std::string>{"+bound owned 1", "-bound owned 2"}));
  EXPECT_EQ(host->Label1, nullptr);
  EXPECT_EQ(loose->Owner(), nullptr);
  EXPECT_EQ(host->OwnedCount(), 0);
  host->onNotify = nullptr;
  loose->Free();
}

TEST_F(ComponentTest, WatchersHearOfTheEndEitherWay) {
  THost* other = new THost(nullptr, "Other");
  auto* x = new TProbe(other, "X");
  auto* y = new TProbe(host, "Y");
  x->WatchForFree(y);
  y->Free();
  EXPECT_NE(Position("X:-Y"), SIZE_MAX);
  eventLog.clear();
  other->Free();  // X no longer lists Y

  // X still had stFreeNotification, so it left with the full release.
  EXPECT_EQ(eventLog, (std::vector<std::string>{"~Other", "X:-X", "~X"}));
}

TEST_F(ComponentTest, BroadcastSurvivesHandlersThatDestroyComponents) {
  std::vector<TProbe*> probes;
  for (const char* name : {"P1", "P2", "P3", "P4"}) probes.push_back(new TProbe(host, name));
  bool done = false;
  probes[3]->onNotify = [&](TComponent*, TOperation) {
    if (done) return;
    done = true;
    for (int i = 0; i < 3; ++i) probes[i]->Free();
  };
  eventLog.clear();
  host->ComponentNotify(nullptr, noInsert);
  // P4 was told, freed the others, and the walk stayed inside the shrunken list.
  EXPECT_EQ(host->OwnedCount(), 1);
  EXPECT_EQ(std::count(eventLog.begin(), eventLog.end(), "P1:+?"), 0);
  EXPECT_EQ(eventLog.front(), "Host:+?");
  EXPECT_EQ(eventLog[1], "P4:+?");
}

TEST_F(ComponentTest, AFailedAdoptionLeavesNothingBehind) {
  host->onNotify = [](TComponent*, TOperation operation) {
    if (operation == noInsert) throw EComponentError("refused");
  };
  EXPECT_THROW(new TProbe(host), EComponentError);
  EXPECT_EQ(host->OwnedCount(), 0);
  host->onNotify = nullptr;
}

TEST_F(ComponentTest, OwnedListIndexesAndMoves) {
  EXPECT_EQ(host->OwnedCount(), 0);
  EXPECT_EQ(MessageOf<EListError>([&] { host->OwnedAt(0); }), "List index out of bounds (0)");
  auto* a = new TProbe(host, "A");
  auto* b = new TProbe(host, "B");
  auto* c = new TProbe(host, "C");
  EXPECT_THROW(host->OwnedAt(3), EListError);
  c->MoveToIndex(-5);
  a->MoveToIndex(99);
  EXPECT_EQ(host->OwnedAt(0), c);
  EXPECT_EQ(host->OwnedAt(1), b);
  EXPECT_EQ(host->OwnedAt(2), a);
  EXPECT_EQ(a->OwnedIndex(), 2);
  host->MoveToIndex(0);  // no owner: nothing happens
  EXPECT_EQ(host->OwnedIndex(), -1);
}

TEST_F(ComponentTest, VirtualConstructionWithInitialState) {
  const ClassMetadata& meta = TProbe::StaticMeta();
  TComponent* made = meta.Construct(host, stLoading | stInline);
  auto* probe = dynamic_cast<TProbe*>(made);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->stateAtConstruction, stLoading | stInline);
  EXPECT_EQ(probe->Owner(), host);
  EXPECT_EQ(probe->Style(), syInheritable);
  probe->FinishLoading();
  EXPECT_FALSE(probe->HasState(stLoading));
  EXPECT_EQ(TProbe(nullptr).State(), 0);  // the request does not leak into later objects

  EXPECT_EQ(MessageOf<EClassNotFound>([&] { TOtherProbe::StaticMeta().Construct(host); }),
            "Class TOtherProbe not found");
  EXPECT_TRUE(TOtherProbe::StaticMeta().IsComponentClass());
  EXPECT_FALSE(TPersistent::StaticMeta().IsComponentClass());
}

TEST_F(ComponentTest, AssignAndNamePaths) {
  auto* a = new TProbe(host, "A");
  EXPECT_EQ(MessageOf<EConvertError>([&] { a->Assign(nullptr); }),
            "Cannot assign a nil to a TProbe");
  EXPECT_EQ(MessageOf<EConvertError>([&] { a->Assign(host); }),
            "Cannot assign a THost to a TProbe");
  EXPECT_EQ(a->NamePath(), "A");
  EXPECT_EQ(host->ClassName(), "THost");
  EXPECT_TRUE(host->InheritsFrom(TProbe::StaticMeta()));
  EXPECT_FALSE(a->InheritsFrom(THost::StaticMeta()));

  struct TOwnedPart : TPersistent {
    TPersistent* owner = nullptr;
    TPersistent* NamingOwner() const override { return owner; }
  } part;
  EXPECT_EQ(part.NamePath(), "TPersistent");
  part.owner = a;
  EXPECT_EQ(part.NamePath(), "TPersistent.A");
}

// Records what a component declares.
class RecordingFiler : public TFiler {
 public:
  explicit RecordingFiler(TStream& stream) : TFiler(stream, 0) {}
  void DefineValue(std::string_view name, const TReaderProc& readProc, const TWriterProc&,
                   bool hasData) override {
    declared.push_back(std::string(name) + (hasData ? "+" : "-") + (readProc ? "r" : ""));
  }
  void DefineBlob(std::string_view name, const TStreamProc&, const TStreamProc&, bool) override {
    declared.push_back(std::string(name) + "#");
  }
  std::vector<std::string> declared;
};

TEST_F(ComponentTest, DesignPositionIsDeclaredAsLeftAndTop) {
  TMemoryStream stream;
  RecordingFiler filer(stream);
  host->SetDesignInfo(0x00050000);
  host->DeclareExtraProperties(filer);
  EXPECT_EQ(filer.declared, (std::vector<std::string>{"Left-r", "Top+r"}));
}

TEST_F(ComponentTest, DesignPositionReadsIntoItsHalves) {
  StreamWriter w;
  w.WriteSignature();
  w.WriteComponentHeader("THost", "Host");
  w.WritePropertyName("Top");
  w.WriteInteger(300);
  w.WritePropertyName("Left");
  w.WriteInteger(-5);
  w.WriteEndOfList();
  w.WriteEndOfList();
  TMemoryStream stream;
  stream.WriteBuffer(w.Bytes().data(), static_cast<int64_t>(w.Size()));
  stream.SetPosition(0);
  TReader reader(stream);
  reader.LoadRoot(host);
  EXPECT_EQ(static_cast<uint32_t>(host->DesignInfo()), 0x012CFFFBu);
  EXPECT_FALSE(host->HasState(stLoading | stReading));
}

}  // namespace
