#include "hostsdk/QSDeletableType.h"
#include "hostsdk/QSTypeDefinition.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

// A type with only the base's behaviour.
using PlainType = QSDeletableType<QSTypeDefinition>;

// A type that answers by record id, as the module's types do, and shows what
// the base hands it.
class ProbeType : public QSTypeDefinition {
 public:
  explicit ProbeType(const char* name = "probe") : QSTypeDefinition(name) {}

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int, const char* const*,
                         ObjectRef* out) override {
    out->Type = this;
    out->Data = value * 100 + record->ID;
    return record->ID != kFailingID;
  }
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int, const char* const*) override {
    value = record->ID;
    return true;
  }
  bool ParseValue(std::uintptr_t* value, const char* text) override {
    parsed = text;
    *value = parsed.size();
    return true;
  }

  static constexpr std::uint32_t kFailingID = 9;
  std::string parsed;
};

// A type that leaves everything to the base's by-name defaults.
class ByNameType : public QSTypeDefinition {
 public:
  ByNameType() : QSTypeDefinition("byname") {}
  bool GetMemberByName(std::uintptr_t, const char* name, int, const char* const*, ObjectRef*) override {
    names.emplace_back(name);
    return true;
  }
  bool CallMethodByName(std::uintptr_t& value, const char* name, int, const char* const*) override {
    names.emplace_back(name);
    value = 7;
    return true;
  }
  int UnknownMethod(std::uintptr_t& value, const char*, int, const char* const*) override {
    value = 99;
    return 2;
  }
  std::vector<std::string> names;
};

bool MemberCallbackA(std::uintptr_t value, int count, const char* const*, ObjectRef* out) {
  out->Data = value + static_cast<std::uintptr_t>(count);
  return true;
}
bool MethodCallback(std::uintptr_t value, int, const char* const*) { return value == 5; }
bool MemberCallbackB(std::uintptr_t, int, const char* const*, ObjectRef* out) {
  out->Data = 0xB;
  return false;
}

}  // namespace

TEST(TypeName, IsCutTo31Characters) {
  const std::string forty(40, 'x');
  PlainType type(forty.c_str());
  EXPECT_EQ(std::string(type.GetName()), std::string(31, 'x'));
  EXPECT_STREQ(PlainType(nullptr).GetName(), "");
  EXPECT_EQ(type.ValueType(), &type);
}

TEST(Registration, ExplicitIdsAdvanceTheNextIdAndAutoIdsFollow) {
  PlainType type("t");
  EXPECT_TRUE(type.AddMember(0, "A", nullptr));
  EXPECT_TRUE(type.AddMember(2, "C", nullptr));
  EXPECT_TRUE(type.AddMember(1, "B", nullptr));
  EXPECT_EQ(type.NextMemberID(), 3u);
  // Any second registration of a name without callback is refused.
  EXPECT_FALSE(type.AddMember(1, "B", nullptr));
  EXPECT_EQ(type.FindMemberRecord("B")->Next, nullptr);
  EXPECT_TRUE(type.AddMemberAuto("D", nullptr));
  EXPECT_EQ(type.FindMemberRecord("D")->ID, 3u);
  // A further registration of a known name keeps that name's id.
  EXPECT_TRUE(type.AddMemberAuto("B", &MemberCallbackA));
  EXPECT_EQ(type.FindMemberRecord("B")->ID, 1u);
  EXPECT_EQ(type.NextMemberID(), 4u);
  // The method side counts on its own.
  EXPECT_EQ(type.NextMethodID(), 1u);
  EXPECT_TRUE(type.AddMethodAuto("M", nullptr));
  EXPECT_EQ(type.FindMethodRecord("M")->ID, 1u);
  EXPECT_EQ(type.FindMemberRecord("M"), nullptr);
}

TEST(Registration, NewestRegistrationOfANameAnswersAndRemovalRestoresTheOlder) {
  PlainType type("t");
  ASSERT_TRUE(type.AddMember(0, "X", &MemberCallbackA));
  ASSERT_TRUE(type.AddMember(0, "X", &MemberCallbackB));
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(type.GetMember(1, "X", 0, nullptr, &out), 0);
  EXPECT_EQ(out.Data, 0xBu);

  EXPECT_FALSE(type.RemoveMember("X", nullptr));
  EXPECT_TRUE(type.RemoveMember("X", &MemberCallbackB));
  EXPECT_EQ(type.FindMemberRecord("X")->Previous, nullptr);
  EXPECT_EQ(type.GetMember(40, "X", 2, nullptr, &out), 1);
  EXPECT_EQ(out.Data, 42u);

  EXPECT_TRUE(type.RemoveMember("X", &MemberCallbackA));
  EXPECT_EQ(type.FindMemberRecord("X"), nullptr);
  EXPECT_EQ(type.GetMember(40, "X", 0, nullptr, &out), -1);
  EXPECT_FALSE(type.RemoveMember("X", &MemberCallbackA));
  EXPECT_FALSE(type.RemoveMethod("Nothing", nullptr));
}

TEST(Registration, MethodCallbacksGetTheValueAndRemovingTheOlderKeepsTheNewer) {
  PlainType type("t");
  ASSERT_TRUE(type.AddMethod(3, "Go", &MethodCallback));
  std::uintptr_t value = 5;
  EXPECT_EQ(type.CallMethod(value, "Go", 0, nullptr), 1);
  value = 6;
  EXPECT_EQ(type.CallMethod(value, "Go", 0, nullptr), 0);
  ASSERT_TRUE(type.AddMethod(4, "Go", nullptr));
  EXPECT_TRUE(type.RemoveMethod("Go", &MethodCallback));
  ASSERT_NE(type.FindMethodRecord("Go"), nullptr);
  EXPECT_EQ(type.FindMethodRecord("Go")->ID, 4u);
  EXPECT_EQ(type.FindMethodRecord("Go")->Next, nullptr);
  EXPECT_EQ(type.CallMethod(value, "Unknown", 0, nullptr), -1);
}

TEST(SlotIndex, GrowsByTenAndReusesTheLowestFreeSlot) {
  CIndex<int*> index;
  int values[11] = {};
  EXPECT_EQ(index.GetCapacity(), 0u);
  for (std::uint32_t expected = 0; expected < 10; ++expected) {
    const std::uint32_t slot = index.GetFreeSlot();
    EXPECT_EQ(slot, expected);
    index.Set(slot, &values[slot]);
    EXPECT_EQ(index.GetCapacity(), 10u);
  }
  EXPECT_EQ(index.GetFreeSlot(), 10u);
  EXPECT_EQ(index.GetCapacity(), 20u);
  EXPECT_EQ(index.Get(4), &values[4]);  // kept across the growth
  index.Set(3, nullptr);
  EXPECT_EQ(index.GetFreeSlot(), 3u);
  EXPECT_EQ(index.Get(25), nullptr);
  EXPECT_TRUE(index.Resize(5));
  EXPECT_EQ(index.GetCapacity(), 20u);
}

TEST(Dispatch, RecordsWithoutCallbackReachTheDerivedTypeByID) {
  ProbeType type;
  ASSERT_TRUE(type.AddMember(4, "Four", nullptr));
  ASSERT_TRUE(type.AddMember(ProbeType::kFailingID, "Fails", nullptr));
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(type.GetMember(3, "Four", 0, nullptr, &out), 1);
  EXPECT_EQ(out.Type, &type);
  EXPECT_EQ(out.Data, 304u);
  EXPECT_EQ(type.GetMember(3, "Fails", 0, nullptr, &out), 0);
  EXPECT_EQ(type.GetMember(3, "four", 0, nullptr, &out), -1);  // names are case-sensitive
  EXPECT_EQ(type.GetMember(3, nullptr, 0, nullptr, &out), -1);
}

TEST(Dispatch, MethodsGetTheValueWordByReferenceMembersByValue) {
  ProbeType probe;
  ASSERT_TRUE(probe.AddMethod(6, "Set", nullptr));
  std::uintptr_t value = 1;
  EXPECT_EQ(probe.CallMethod(value, "Set", 0, nullptr), 1);
  EXPECT_EQ(value, 6u);

  ByNameType byName;
  ASSERT_TRUE(byName.AddMethod(0, "Go", nullptr));
  value = 1;
  EXPECT_EQ(byName.CallMethod(value, "Go", 0, nullptr), 1);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(byName.CallMethod(value, "Unknown", 0, nullptr), 2);
  EXPECT_EQ(value, 99u);
}

TEST(Dispatch, BaseRecordOperationsFallBackToTheName) {
  ByNameType type;
  ASSERT_TRUE(type.AddMember(0, "Member", nullptr));
  ASSERT_TRUE(type.AddMethod(0, "Method", nullptr));
  ObjectRef out{nullptr, 0};
  std::uintptr_t value = 0;
  EXPECT_EQ(type.GetMember(0, "Member", 0, nullptr, &out), 1);
  EXPECT_EQ(type.CallMethod(value, "Method", 0, nullptr), 1);
  EXPECT_EQ(type.names, (std::vector<std::string>{"Member", "Method"}));
}

TEST(Inheritance, LooksThroughEveryAncestorButNotTheTypeItself) {
  PlainType element("element"), channel("channel"), server("server");
  channel.SetInheritance(&element);
  server.SetInheritance(&channel);
  ASSERT_TRUE(element.AddMember(0, "Name", nullptr));
  ASSERT_TRUE(channel.AddMethod(0, "Join", nullptr));
  ASSERT_TRUE(server.AddMember(0, "Own", nullptr));
  EXPECT_TRUE(server.InheritsMember("Name"));
  EXPECT_TRUE(server.InheritsMethod("Join"));
  EXPECT_FALSE(server.InheritsMember("Join"));
  EXPECT_FALSE(server.InheritsMember("Own"));
  EXPECT_FALSE(element.InheritsMember("Name"));
  EXPECT_EQ(server.GetInheritance(), &channel);
}

TEST(Defaults, ParseArgsJoinsWithSpacesAndCutsLongTexts) {
  ProbeType type;
  std::uintptr_t value = 0;
  const char* words[] = {"a", "bc", "d"};
  EXPECT_TRUE(type.ParseArgs(&value, 3, words));
  EXPECT_EQ(type.parsed, "a bc d");

  const std::string long1(1500, 'x'), long2(1500, 'y');
  const char* longWords[] = {long1.c_str(), long2.c_str(), "z"};
  EXPECT_TRUE(type.ParseArgs(&value, 3, longWords));
  EXPECT_EQ(type.parsed.size(), 2047u);
  EXPECT_EQ(type.parsed.substr(1499, 3), "x y");
}

// Slot 1 is how the host deletes a type and how the module deletes its own:
// the whole object is destroyed through the base pointer, and its memory is
// freed only when the flag asks for it (AddressSanitizer sees a missing or a
// wrong free).
TEST(DeletingDestructor, DestroysTheWholeTypeAndFreesOnlyWithTheFlag) {
  struct Counted : ProbeType {
    explicit Counted(int* destroyed) : destroyed(destroyed) {}
    ~Counted() { ++*destroyed; }
    int* destroyed;
  };
  int destroyed = 0;
  QSTypeDefinition* heap = new QSDeletableType<Counted>(&destroyed);
  ASSERT_TRUE(heap->AddMember(0, "Name", nullptr));
  EXPECT_EQ(heap->DeletingDestructor(QSTypeDefinition::kFreeMemory), heap);
  EXPECT_EQ(destroyed, 1);

  alignas(QSDeletableType<Counted>) unsigned char storage[sizeof(QSDeletableType<Counted>)];
  QSTypeDefinition* placed = new (storage) QSDeletableType<Counted>(&destroyed);
  EXPECT_EQ(placed->DeletingDestructor(0), static_cast<void*>(storage));
  EXPECT_EQ(destroyed, 2);
}
