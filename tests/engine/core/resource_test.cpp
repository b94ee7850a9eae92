#include "engine/core/resource.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// What each destructor saw, in destruction order.
struct DestroyRecord {
    int id;
    bool linkedDuringDestructor;
    u32 listCountDuringDestructor;
};

std::vector<DestroyRecord> gDestroyed;

class Tracked : public ResourceObject {
public:
    explicit Tracked(int id) : id_(id) {}
    ~Tracked() override { gDestroyed.push_back({id_, owner != nullptr, owner != nullptr ? owner->count : 0u}); }
    int id() const { return id_; }

private:
    int id_;
};

// Releases another object when destroyed (a model releasing a part, say).
class ReleasesOnDestroy : public Tracked {
public:
    ReleasesOnDestroy(int id, ResourceObject* other) : Tracked(id), other_(other) {}
    ~ReleasesOnDestroy() override { other_->Release(); }

private:
    ResourceObject* other_;
};

int IdOf(const ResourceObject* object) { return static_cast<const Tracked*>(object)->id(); }

// Walks the list both ways and checks every invariant; returns the ids head first.
std::vector<int> Ids(const ResourceList& list) {
    std::vector<int> ids;
    const ResourceObject* previous = nullptr;
    for (const ResourceObject* o = ResourceListGetHead(&list); o != nullptr; o = o->next) {
        EXPECT_EQ(o->owner, &list) << "object " << IdOf(o);
        EXPECT_EQ(o->previous, previous) << "object " << IdOf(o);
        ids.push_back(IdOf(o));
        previous = o;
        if (ids.size() > 1000) {
            ADD_FAILURE() << "cycle in list";
            break;
        }
    }
    EXPECT_EQ(list.tail, previous);
    EXPECT_EQ(ResourceListGetCount(&list), ids.size());
    return ids;
}

class ResourceListTest : public ::testing::Test {
protected:
    void SetUp() override { gDestroyed.clear(); }
    void TearDown() override {
        ResourceListReleaseAll(&list_);
        ResourceListReleaseAll(&other_);
    }
    Tracked* Make(int id) { return new Tracked(id); }

    ResourceList list_;
    ResourceList other_;
};

TEST_F(ResourceListTest, ConstructAndClearEmptyWithoutTouchingObjects) {
    ResourceList list;
    list.head = reinterpret_cast<ResourceObject*>(0x10);
    list.count = 7;
    ResourceListConstruct(&list);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_EQ(list.count, 0u);

    Tracked* a = Make(1);
    ResourceListPushBack(&list_, a);
    ResourceListClear(&list_);
    EXPECT_EQ(ResourceListGetCount(&list_), 0u);
    EXPECT_EQ(a->owner, &list_);  // the object is not touched
    EXPECT_TRUE(gDestroyed.empty());
    a->owner = nullptr;  // forget the cleared list before freeing
    a->Release();
}

// The engine's lists differ only in the end their factories insert at
// (textures and surfaces at the front, every other kind at the back).
struct InsertionCase {
    const char* kind;
    bool front;
    std::vector<int> expected;
};

void PrintTo(const InsertionCase& c, std::ostream* os) { *os << c.kind; }

class InsertionEndTest : public ResourceListTest, public ::testing::WithParamInterface<InsertionCase> {};

TEST_P(InsertionEndTest, OrderFollowsInsertionEnd) {
    const InsertionCase& c = GetParam();
    for (int id = 1; id <= 3; ++id) {
        if (c.front) {
            ResourceListPushFront(&list_, Make(id));
        } else {
            ResourceListPushBack(&list_, Make(id));
        }
    }
    EXPECT_EQ(Ids(list_), c.expected) << c.kind;
    for (u32 i = 0; i < 3; ++i) {
        EXPECT_EQ(IdOf(ResourceListGetAt(&list_, i)), c.expected[i]);
    }
    EXPECT_EQ(ResourceListGetAt(&list_, 3), nullptr);  // index == count
    EXPECT_EQ(ResourceListGetAt(&list_, 0xFFFFFFFFu), nullptr);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, InsertionEndTest,
                         ::testing::Values(InsertionCase{"textures", true, {3, 2, 1}},
                                           InsertionCase{"surfaces", true, {3, 2, 1}},
                                           InsertionCase{"models", false, {1, 2, 3}},
                                           InsertionCase{"cameras", false, {1, 2, 3}},
                                           InsertionCase{"vertex shaders", false, {1, 2, 3}},
                                           InsertionCase{"images", false, {1, 2, 3}}),
                         [](const auto& testInfo) {
                             std::string name = testInfo.param.kind;
                             for (char& ch : name) {
                                 if (ch == ' ') ch = '_';
                             }
                             return name;
                         });
// clang-format on

TEST_F(ResourceListTest, EmptyListAnswersNull) {
    EXPECT_EQ(ResourceListGetHead(&list_), nullptr);
    EXPECT_EQ(ResourceListGetAt(&list_, 0), nullptr);
    EXPECT_EQ(ResourceListGetCount(&list_), 0u);
    ResourceListReleaseAll(&list_);  // nothing to do
    EXPECT_EQ(ResourceListGetCount(&list_), 0u);
}

TEST_F(ResourceListTest, PushingALinkedObjectMovesIt) {
    Tracked* a = Make(1);
    Tracked* b = Make(2);
    Tracked* c = Make(3);
    ResourceListPushBack(&list_, a);
    ResourceListPushBack(&list_, b);
    ResourceListPushBack(&list_, c);

    ResourceListPushFront(&other_, b);  // from the middle of another list
    EXPECT_EQ(Ids(list_), (std::vector<int>{1, 3}));
    EXPECT_EQ(Ids(other_), (std::vector<int>{2}));

    ResourceListPushFront(&list_, c);  // within the same list: tail to head
    EXPECT_EQ(Ids(list_), (std::vector<int>{3, 1}));

    ResourceListPushBack(&list_, c);  // and back again
    EXPECT_EQ(Ids(list_), (std::vector<int>{1, 3}));
    EXPECT_TRUE(gDestroyed.empty());
}

struct RemoveCase {
    const char* name;
    int removed;
    std::vector<int> left;
};

void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }

class RemoveTest : public ResourceListTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveTest, UnlinksAndKeepsInvariants) {
    const RemoveCase& c = GetParam();
    Tracked* objects[3];
    for (int id = 1; id <= 3; ++id) {
        objects[id - 1] = Make(id);
        ResourceListPushBack(&list_, objects[id - 1]);
    }
    Tracked* removed = objects[c.removed - 1];
    ResourceObject* oldPrevious = removed->previous;
    ResourceObject* oldNext = removed->next;
    ResourceListRemove(&list_, removed);
    EXPECT_EQ(Ids(list_), c.left) << c.name;
    EXPECT_EQ(removed->owner, nullptr);
    // Its own links are left as they were.
    EXPECT_EQ(removed->previous, oldPrevious);
    EXPECT_EQ(removed->next, oldNext);
    removed->Release();
    EXPECT_EQ(Ids(list_), c.left);  // destroying an unlinked object leaves the list alone
}

INSTANTIATE_TEST_SUITE_P(Positions, RemoveTest,
                         ::testing::Values(RemoveCase{"head", 1, {2, 3}}, RemoveCase{"middle", 2, {1, 3}},
                                           RemoveCase{"tail", 3, {1, 2}}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(ResourceListTest, RemovingTheOnlyObjectEmptiesTheList) {
    Tracked* a = Make(1);
    ResourceListPushFront(&list_, a);
    ResourceListRemove(&list_, a);
    EXPECT_EQ(list_.head, nullptr);
    EXPECT_EQ(list_.tail, nullptr);
    EXPECT_EQ(list_.count, 0u);
    a->Release();
}

TEST_F(ResourceListTest, RemoveThroughTheWrongListDoesNothing) {
    Tracked* a = Make(1);
    Tracked* b = Make(2);
    ResourceListPushBack(&list_, a);
    ResourceListPushBack(&other_, b);
    ResourceListRemove(&other_, a);
    EXPECT_EQ(Ids(list_), (std::vector<int>{1}));
    EXPECT_EQ(Ids(other_), (std::vector<int>{2}));
    EXPECT_EQ(a->owner, &list_);
}

TEST_F(ResourceListTest, ReferenceCounts) {
    Tracked* a = Make(1);
    Tracked* b = Make(2);
    ResourceListPushBack(&list_, a);
    ResourceListPushBack(&list_, b);
    EXPECT_EQ(a->refCount, 1);
    a->AddRef();
    a->AddRef();
    EXPECT_EQ(a->Release(), 2);
    EXPECT_EQ(a->Release(), 1);  // still linked, not destroyed
    EXPECT_EQ(Ids(list_), (std::vector<int>{1, 2}));
    EXPECT_TRUE(gDestroyed.empty());
    EXPECT_EQ(a->Release(), 0);  // destroyed and unlinked
    EXPECT_EQ(Ids(list_), (std::vector<int>{2}));
    ASSERT_EQ(gDestroyed.size(), 1u);
    EXPECT_EQ(gDestroyed[0].id, 1);
}

TEST_F(ResourceListTest, DerivedDestructorRunsWhileStillLinked) {
    ResourceListPushBack(&list_, Make(1));
    ResourceListPushBack(&list_, Make(2));
    ResourceListGetAt(&list_, 1)->Release();
    ASSERT_EQ(gDestroyed.size(), 1u);
    // The derived part goes first; the base then unlinks.
    EXPECT_TRUE(gDestroyed[0].linkedDuringDestructor);
    EXPECT_EQ(gDestroyed[0].listCountDuringDestructor, 2u);
    EXPECT_EQ(Ids(list_), (std::vector<int>{1}));
}

TEST_F(ResourceListTest, ReleaseAllReleasesHeadToTailAndEmpties) {
    for (int id = 1; id <= 4; ++id) {
        ResourceListPushBack(&list_, Make(id));
    }
    ResourceListReleaseAll(&list_);
    ASSERT_EQ(gDestroyed.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gDestroyed[i].id, i + 1);
    }
    EXPECT_EQ(list_.head, nullptr);
    EXPECT_EQ(list_.tail, nullptr);
    EXPECT_EQ(list_.count, 0u);
}

TEST_F(ResourceListTest, ReleaseAllLeavesSurvivorsDetached) {
    Tracked* a = Make(1);
    Tracked* kept = Make(2);
    Tracked* c = Make(3);
    ResourceListPushBack(&list_, a);
    ResourceListPushBack(&list_, kept);
    ResourceListPushBack(&list_, c);
    kept->AddRef();  // someone else still holds it

    ResourceListReleaseAll(&list_);
    EXPECT_EQ(list_.count, 0u);
    ASSERT_EQ(gDestroyed.size(), 2u);
    EXPECT_EQ(kept->refCount, 1);
    EXPECT_EQ(kept->owner, nullptr);  // not the emptied list
    EXPECT_EQ(kept->previous, nullptr);
    EXPECT_EQ(kept->next, nullptr);

    // A list reused after the release-all is not disturbed by the survivor.
    ResourceListPushBack(&list_, Make(4));
    EXPECT_EQ(kept->Release(), 0);
    EXPECT_EQ(Ids(list_), (std::vector<int>{4}));
}

TEST_F(ResourceListTest, ReleaseAllCopesWithDestructorsReleasingListMembers) {
    // Object 1's destructor releases object 2, the next one in the same list.
    Tracked* second = Make(2);
    ResourceListPushBack(&list_, new ReleasesOnDestroy(1, second));
    ResourceListPushBack(&list_, second);
    ResourceListPushBack(&list_, Make(3));
    ResourceListReleaseAll(&list_);
    ASSERT_EQ(gDestroyed.size(), 3u);
    EXPECT_EQ(gDestroyed[0].id, 2);  // released from inside 1's destructor body
    EXPECT_EQ(gDestroyed[1].id, 1);
    EXPECT_EQ(gDestroyed[2].id, 3);
    EXPECT_EQ(list_.count, 0u);
}

TEST(PhysicalMemory, ReportsTotalAndAvailable) {
    u64 total = 0;
    u64 available = 0;
    GetPhysicalMemory(&total, &available);
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, total);
    u64 onlyTotal = 0;
    GetPhysicalMemory(&onlyTotal, nullptr);
    EXPECT_EQ(onlyTotal, total);
    GetPhysicalMemory(nullptr, &available);
    GetPhysicalMemory(nullptr, nullptr);
}

}  // namespace
