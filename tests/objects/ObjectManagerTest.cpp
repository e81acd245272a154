// The object manager: masters, creation, queries, destruction, level clears,
// renumbering, handles and shut-down.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "engine/core/EngineDoor.h"
#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;

namespace {

class ObjectManagerTest : public ObjectFixture
{
protected:
    std::vector<int> Ids(const GameObjectGroup& group)
    {
        std::vector<int> ids;
        for (GameObject* o : group) ids.push_back(o->id);
        return ids;
    }
    size_t HandleCount(const GameObject* o)
    {
        auto it = manager->GetLiveObjects().find(o->id);
        return it == manager->GetLiveObjects().end() ? 0 : it->second.handles.size();
    }
    size_t FreeSlots()
    {
        size_t n = 0;
        for (GameObject* o : manager->GetPool())
            if (!(o->flags & OBJ_ALIVE)) ++n;
        return n;
    }
};

TEST_F(ObjectManagerTest, MastersLoadOnceAndCopiesCarryThem)
{
    testing::internal::CaptureStdout();
    GameObject* a = manager->CreateInstance(CRATE, glm::vec3(1, 2, 3));
    GameObject* b = manager->CreateInstance(CRATE, glm::vec3(4, 5, 6));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(CountOf(out, "Creating master object CRATE"), 1u);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->id, 1);
    EXPECT_EQ(b->id, 2);
    EXPECT_EQ(a->type, CRATE);
    EXPECT_EQ(a->flags, OBJ_ALIVE | OBJ_ACTIVE);
    EXPECT_EQ(a->stateId, 3);
    EXPECT_EQ(a->layer, 0);
    EXPECT_EQ(b->position, glm::vec3(4, 5, 6));
    EXPECT_EQ(b->previousPosition, glm::vec3(4, 5, 6));
    auto* door = static_cast<ProbeComponent*>(a->GetComponent(CT_DOOR));
    ASSERT_NE(door, nullptr);
    EXPECT_FLOAT_EQ(door->m_speed, 2.5f);
    EXPECT_EQ(door->m_name, "crate");
    EXPECT_EQ(door->owner, a);
    GameObject* master = manager->GetMasterObject(CRATE);
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(master->type, CRATE);
    EXPECT_NE(master->GetComponent(CT_DOOR), door);
    // No document is left open.
    EXPECT_TRUE(fm->documentContainer.empty());
    // Loaded while no state updates: no Init yet.
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "8:Init"), 0);
}

TEST_F(ObjectManagerTest, MasterSkipDrawGivesInstancesThatAreNotDrawn)
{
    GameObject* w = manager->CreateInstance(WALL, glm::vec3(0.0f));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->flags, OBJ_SKIP_DRAW | OBJ_ALIVE | OBJ_ACTIVE);
    EXPECT_EQ(manager->GetMasterObject(WALL)->flags, OBJ_SKIP_DRAW);
}

TEST_F(ObjectManagerTest, MissingOrEmptyMasterAssertsAndTakesNoSlot)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(manager->CreateInstance(TURRET, glm::vec3(0.0f)), nullptr);
    EXPECT_EQ(manager->CreatePlacedInstance(TURRET, glm::vec3(0.0f), 2, 30), nullptr);
    EXPECT_EQ(manager->CreateGizmoInstance(TURRET, glm::vec3(0.0f), 3, 30, true), nullptr);
    EXPECT_EQ(manager->CreatePersistentInstance(TURRET), nullptr);
    EXPECT_EQ(manager->CreateInstance(ENEMY, glm::vec3(0.0f)), nullptr);  // empty data section
    EXPECT_EQ(manager->CreateInstance(DOOR, glm::vec3(0.0f)), nullptr);   // no Type in the file
    EXPECT_EQ(manager->GetMasterObject(TURRET), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("TURRET.xml file cannot be opened!"), std::string::npos);
    EXPECT_NE(out.find("Failed Condition: isFileOpened"), std::string::npos);
    EXPECT_NE(out.find("Objects data section is empty!"), std::string::npos);
    EXPECT_NE(out.find("Master Object of type 50 not found!"), std::string::npos);
    EXPECT_EQ(FreeSlots(), OBJECT_POOL_SIZE);
    EXPECT_EQ(manager->GetLastId(), 0);
    EXPECT_TRUE(manager->GetLiveObjects().empty());
    EXPECT_TRUE(fm->documentContainer.empty());
}

TEST_F(ObjectManagerTest, FullPoolAssertsAndReturnsNull)
{
    for (size_t i = 0; i < OBJECT_POOL_SIZE; ++i) ASSERT_NE(manager->CreateInstance(DEFAULT, glm::vec3(0.0f)), nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(manager->CreateInstance(DEFAULT, glm::vec3(0.0f)), nullptr);
    EXPECT_EQ(manager->CreateUIObject(40, glm::vec3(0.0f), glm::quat(1, 0, 0, 0), glm::vec3(1.0f)), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(CountOf(out, "No dead/available objects found!"), 2u);
    EXPECT_EQ(manager->GetLastId(), static_cast<int>(OBJECT_POOL_SIZE));
    // A freed slot is taken again.
    manager->GetAllObjects()[100]->flags |= OBJ_DESTROY;
    manager->Update();
    GameObject* again = manager->CreateInstance(DEFAULT, glm::vec3(0.0f));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->id, static_cast<int>(OBJECT_POOL_SIZE) + 1);
}

TEST_F(ObjectManagerTest, CreationWrappersWriteTheirFields)
{
    GameObject* placed = manager->CreatePlacedInstance(CRATE, glm::vec3(1, 0, 0), 2, 30);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->layer, 2);
    EXPECT_EQ(placed->stateId, 30);
    EXPECT_FALSE(placed->flags & OBJ_WORLD_VALID);

    GameObject* axis = manager->CreateGizmoInstance(CRATE, glm::vec3(0, 1, 0), 3, 30, false);
    ASSERT_NE(axis, nullptr);
    EXPECT_FALSE(axis->flags & OBJ_ACTIVE);
    EXPECT_EQ(axis->layer, 3);

    glm::quat turn = GameObject::EulerDegreesToQuat(glm::vec3(0, 0, 10));
    GameObject* ui = manager->CreateUIObject(40, glm::vec3(5, 5, 0), turn, glm::vec3(2, 1, 1));
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->type, UIOBJECT);
    EXPECT_EQ(ui->layer, 1);
    EXPECT_EQ(ui->stateId, 40);
    EXPECT_EQ(ui->scale, glm::vec3(2, 1, 1));
    EXPECT_EQ(ui->rotation, turn);
    // The previous rotation stays the master's.
    EXPECT_EQ(ui->previousRotation, manager->GetMasterObject(UIOBJECT)->rotation);

    GameObject* kept = manager->CreatePersistentInstance(CRATE);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(manager->GetLiveObjects().count(kept->id), 0u);
    EXPECT_EQ(manager->GetPersistentObjects().count(kept->id), 1u);
}

TEST_F(ObjectManagerTest, InitAtOnceWhileUpdatingElseLaterAndNeverInTheEditor)
{
    GameObject* loaded = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(Calls().empty());

    states.updating = true;
    GameObject* spawned = manager->CreateInstance(CRATE, glm::vec3(7, 0, 0));
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Init", "8:Init"}));

    // The level loader initialises the current state's objects.
    Calls().clear();
    states.updating = false;
    GameObject* otherState = manager->CreatePlacedInstance(CRATE, glm::vec3(0.0f), 0, 9);
    ASSERT_NE(otherState, nullptr);
    manager->InitLevelObjects();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Init", "8:Init", "1:Init", "8:Init"}));

    // Editor states: neither Init nor Free.
    Calls().clear();
    states.current = LEVEL_EDITOR_STATE_ID;
    states.updating = true;
    GameObject* inert = manager->CreatePlacedInstance(CRATE, glm::vec3(0.0f), 2, LEVEL_EDITOR_STATE_ID);
    ASSERT_NE(inert, nullptr);
    inert->flags |= OBJ_DESTROY;
    manager->Update();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:~", "8:~"}));
}

// Records the position its owner has when Init runs.
class WhereComponent : public RecorderComponent<CT_AI>
{
public:
    void Init() override { seen = owner->position; }
    static glm::vec3 seen;
};
glm::vec3 WhereComponent::seen;

TEST_F(ObjectManagerTest, InitSeesThePlacedPosition)
{
    FactoryRegister<Component>(new Factory<Component, WhereComponent>(CT_AI), manager->GetFactories());
    GameObject* probe = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    ASSERT_NE(probe, nullptr);
    manager->GetMasterObject(CRATE)->AddComponentHelper(CT_AI);
    states.updating = true;
    ASSERT_NE(manager->CreateInstance(CRATE, glm::vec3(3, 4, 5)), nullptr);
    EXPECT_EQ(WhereComponent::seen, glm::vec3(3, 4, 5));
}

TEST_F(ObjectManagerTest, QueriesInAscendingIdWithPersistentLastAndOneSharedResult)
{
    GameObject* kept = manager->CreatePersistentInstance(DEFAULT);  // id 1
    GameObject* crate = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObject* wall = manager->CreateInstance(WALL, glm::vec3(0.0f));
    GameObject* crate2 = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObject* player = manager->CreateInstance(PLAYER, glm::vec3(0.0f));
    ASSERT_TRUE(kept && crate && wall && crate2 && player);
    crate2->flags &= ~OBJ_ACTIVE;

    EXPECT_EQ(Ids(manager->GetAllObjects()), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(Ids(manager->GetActiveObjects()), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(Ids(manager->GetObjectsWithComponent(CT_DOOR)), (std::vector<int>{2, 4}));
    EXPECT_EQ(Ids(manager->GetActiveObjectsWithComponent(CT_DOOR)), (std::vector<int>{2}));
    EXPECT_EQ(Ids(manager->GetActiveObjectsWithComponent(CT_PLAYER)), (std::vector<int>{3, 5}));
    EXPECT_EQ(Ids(manager->GetActiveObjectsOfType(CRATE)), (std::vector<int>{2}));
    EXPECT_EQ(Ids(manager->GetAllObjectsAndPersistent()), (std::vector<int>{2, 3, 4, 5, 1}));

    // The second query overwrites the first.
    GameObjectGroup& first = manager->GetObjectsWithComponent(CT_DOOR);
    GameObjectGroup& second = manager->GetActiveObjectsOfType(WALL);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(Ids(first), (std::vector<int>{3}));
}

TEST_F(ObjectManagerTest, DestroyInTwoPassesAndPersistentObjectsIgnoreTheFlag)
{
    GameObject* a = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObject* keep = manager->CreateInstance(PLAYER, glm::vec3(0.0f));
    GameObject* b = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObject* p = manager->CreatePersistentInstance(CRATE);
    ASSERT_TRUE(a && keep && b && p);
    p->flags |= OBJ_PERSISTENT | OBJ_DESTROY;
    a->flags |= OBJ_DESTROY;
    b->flags |= OBJ_DESTROY;
    Calls().clear();
    manager->Update();
    // Every Free of the frame before any destruction, each object in id order.
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Free", "8:Free", "1:Free", "8:Free", "1:~", "8:~", "1:~",
                                                 "8:~"}));
    EXPECT_EQ(Ids(manager->GetAllObjects()), (std::vector<int>{2}));
    EXPECT_FALSE(a->flags & (OBJ_ALIVE | OBJ_ACTIVE));
    EXPECT_TRUE(a->components.empty());
    EXPECT_TRUE(p->flags & OBJ_ALIVE);
    EXPECT_EQ(manager->GetPersistentObjects().size(), 1u);

    // A reused slot gets the master's flag word, without the old destroy flag.
    GameObject* c = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    EXPECT_EQ(c, a);
    EXPECT_EQ(c->flags, OBJ_ALIVE | OBJ_ACTIVE);
}

TEST_F(ObjectManagerTest, ClearLeavesOtherStatesAndRenumbers)
{
    std::vector<GameObject*> made;
    for (int i = 0; i < 8; ++i) made.push_back(manager->CreateInstance(CRATE, glm::vec3(0.0f)));
    // Ids 3 and 7 belong to a paused state below the current one.
    made[2]->stateId = 2;
    made[6]->stateId = 2;
    made[3]->flags |= OBJ_PERSISTENT;  // a persistent object in the live map stays too
    GameObjectHandle toThird(made[2]);
    GameObjectHandle toSeventh(made[6]);
    GameObjectHandle toGone(made[0]);
    Calls().clear();
    manager->ClearLevelObjects();
    EXPECT_EQ(CountOf(::testing::PrintToString(Calls()), "Free"), 10u);  // five objects, two components
    EXPECT_EQ(Ids(manager->GetAllObjects()), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(made[2]->id, 1);
    EXPECT_EQ(made[3]->id, 2);
    EXPECT_EQ(made[6]->id, 3);
    EXPECT_EQ(manager->GetLastId(), 3);
    GameObject* next = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->id, 4);

    // Handles to survivors stay valid and registered under the new ids.
    EXPECT_TRUE(toThird.Refresh());
    EXPECT_EQ(toThird.operator->(), made[2]);
    EXPECT_EQ(HandleCount(made[2]), 1u);
    EXPECT_EQ(HandleCount(made[6]), 1u);
    EXPECT_FALSE(toGone.isValid);
}

TEST_F(ObjectManagerTest, ClearRenumbersSurvivorsThreeAndSeven)
{
    for (int i = 0; i < 7; ++i) ASSERT_NE(manager->CreateInstance(DEFAULT, glm::vec3(0.0f)), nullptr);
    for (GameObject* o : GameObjectGroup(manager->GetAllObjects()))
        if (o->id == 3 || o->id == 7) o->stateId = 1;
    manager->ClearLevelObjects();
    EXPECT_EQ(Ids(manager->GetAllObjects()), (std::vector<int>{1, 2}));
    EXPECT_EQ(manager->GetLastId(), 2);
    EXPECT_EQ(manager->CreateInstance(DEFAULT, glm::vec3(0.0f))->id, 3);
}

TEST_F(ObjectManagerTest, PersistentIdsAreNotOverwrittenAfterAClear)
{
    GameObject* first = manager->CreatePersistentInstance(DEFAULT);  // id 1
    manager->ClearLevelObjects();                                   // next id 1 again
    GameObject* second = manager->CreatePersistentInstance(DEFAULT);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->id, second->id);
    EXPECT_EQ(manager->GetPersistentObjects().size(), 2u);
}

TEST_F(ObjectManagerTest, HandlesAssignCopyAndInvalidate)
{
    GameObject* a = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObject* b = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    GameObjectHandle h;
    EXPECT_FALSE(h.isValid);
    h = a;
    EXPECT_TRUE(h.isValid);
    EXPECT_EQ(HandleCount(a), 1u);
    h = h;  // self-assignment: no duplicate
    h = a;  // the same object again: nothing changes
    EXPECT_EQ(HandleCount(a), 1u);
    {
        GameObjectHandle copy(h);
        GameObjectHandle other;
        other = h;
        EXPECT_EQ(HandleCount(a), 3u);
        GameObjectHandle moved(std::move(copy));
        EXPECT_EQ(HandleCount(a), 3u);
        EXPECT_FALSE(copy.isValid);
        EXPECT_EQ(copy.object, nullptr);
    }
    EXPECT_EQ(HandleCount(a), 1u);
    h = b;
    EXPECT_EQ(HandleCount(a), 0u);
    EXPECT_EQ(HandleCount(b), 1u);
    h = nullptr;
    EXPECT_EQ(h.object, nullptr);
    EXPECT_FALSE(h.isValid);
    EXPECT_EQ(HandleCount(b), 0u);

    // Destroyed: invalid, assertion and null, and nothing left to unregister.
    GameObjectHandle toB(b);
    b->flags |= OBJ_DESTROY;
    manager->Update();
    EXPECT_FALSE(toB.isValid);
    EXPECT_EQ(toB.object, b);
    testing::internal::CaptureStdout();
    EXPECT_EQ(toB.operator->(), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Attempting to access invalid game object"), std::string::npos);
    // The slot is reused by a new object: the old handle stays invalid.
    GameObject* c = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    EXPECT_EQ(c, b);
    EXPECT_FALSE(toB.Refresh());
}

TEST_F(ObjectManagerTest, HandlesToPersistentInstancesAreValidButUnregistered)
{
    GameObject* live = manager->CreateInstance(DEFAULT, glm::vec3(0.0f));  // id 1
    ASSERT_NE(live, nullptr);
    live->stateId = 2;                                               // a paused state's object
    GameObject* kept = manager->CreatePersistentInstance(DEFAULT);   // id 2
    manager->ClearLevelObjects();                                   // live keeps 1, next id 2
    GameObject* clash = manager->CreateInstance(DEFAULT, glm::vec3(0.0f));
    ASSERT_TRUE(kept && clash);
    ASSERT_EQ(clash->id, kept->id);
    GameObjectHandle h(kept);
    EXPECT_TRUE(h.isValid);
    EXPECT_EQ(h.operator->(), kept);
    EXPECT_EQ(HandleCount(clash), 0u);  // not registered with the other object of that id
    GameObjectHandle toClash(clash);
    EXPECT_EQ(HandleCount(clash), 1u);
    EXPECT_TRUE(h.Refresh());
}

TEST_F(ObjectManagerTest, AGrowingVectorOfHandlesKeepsRegistrationsExact)
{
    GameObject* a = manager->CreateInstance(CRATE, glm::vec3(0.0f));
    std::vector<GameObjectHandle> handles;
    for (int i = 0; i < 100; ++i) handles.emplace_back(a);
    EXPECT_EQ(HandleCount(a), 100u);
    handles.erase(handles.begin(), handles.begin() + 40);
    EXPECT_EQ(HandleCount(a), 60u);
    // Invalidation reaches every handle at its current address.
    a->flags |= OBJ_DESTROY;
    manager->Update();
    for (const GameObjectHandle& h : handles) EXPECT_FALSE(h.isValid);
}

TEST_F(ObjectManagerTest, ShutdownWithHandlesBetweenObjectsIsClean)
{
    // Later objects point at earlier ones and the other way round.
    std::vector<GameObject*> switches;
    for (int i = 0; i < 6; ++i) switches.push_back(manager->CreateInstance(SWITCH, glm::vec3(0.0f)));
    GameObject* kept = manager->CreatePersistentInstance(SWITCH);
    for (int i = 0; i < 6; ++i) {
        static_cast<LinkComponent*>(switches[i]->GetComponent(CT_SWITCH))->target = switches[(i + 3) % 6];
    }
    static_cast<LinkComponent*>(switches[0]->GetComponent(CT_SWITCH))->target = kept;
    static_cast<LinkComponent*>(kept->GetComponent(CT_SWITCH))->target = switches[5];
    GameObjectHandle outside(switches[2]);
    manager->Shutdown();
    EXPECT_TRUE(manager->GetPool().empty());
    EXPECT_FALSE(outside.isValid);
    // A handle that outlives the manager unregisters into nothing.
    GameObjectHandle late;
    late.object = reinterpret_cast<GameObject*>(0x10);
    late.isValid = true;
    System::GetInstance()->objectManager = nullptr;
    delete manager;
    manager = nullptr;
}

TEST_F(ObjectManagerTest, ManagerDeletedWithoutShutdownReleasesEverything)
{
    manager->CreateInstance(SWITCH, glm::vec3(0.0f));
    manager->CreatePersistentInstance(CRATE);
    System::GetInstance()->objectManager = nullptr;
    delete manager;
    manager = nullptr;
}

} // namespace

namespace {

// Marks the object with id 1 for destruction when freed.
class MarkerComponent : public RecorderComponent<CT_AI>
{
public:
    void Free() override
    {
        for (GameObject* o : GameObjectGroup(System::GetInstance()->objectManager->GetAllObjects()))
            if (o->id == 1) o->flags |= OBJ_DESTROY;
    }
};

TEST_F(ObjectManagerTest, ObjectMarkedByAFreeGoesNextFrameWithItsFree)
{
    FactoryRegister<Component>(new Factory<Component, MarkerComponent>(CT_AI), manager->GetFactories());
    GameObject* first = manager->CreateInstance(PLAYER, glm::vec3(0.0f));
    GameObject* marker = manager->CreateInstance(DEFAULT, glm::vec3(0.0f));
    ASSERT_TRUE(first && marker);
    marker->AddComponentHelper(CT_AI);
    marker->flags |= OBJ_DESTROY;
    Calls().clear();
    manager->Update();
    EXPECT_EQ(Ids(manager->GetAllObjects()), (std::vector<int>{1}));
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "4:Free"), 0);
    manager->Update();
    EXPECT_TRUE(manager->GetAllObjects().empty());
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "4:Free"), 1);
}

} // namespace

TEST_F(ObjectManagerTest, ShutdownReleasesTheHeldResourcesInOrderAfterTheObjects)
{
    const std::vector<EngineDoor::HeldResources> saved = Door().heldResources;
    GameObject* crate = manager->CreateInstance(SWITCH, glm::vec3(0.0f));
    ASSERT_NE(crate, nullptr);
    std::vector<std::string> released;
    Door().heldResources = {
        {"Releasing the first kind",
         []() { return true; },
         [&]() {
             // The objects are gone before their resources.
             EXPECT_TRUE(manager->GetPool().empty());
             released.push_back("first");
         }},
        {"Releasing a kind nobody loaded", []() { return false; }, [&]() { released.push_back("never"); }},
        {"Releasing the last kind", []() { return true; }, [&]() { released.push_back("last"); }},
        {"Releasing what is held with no release", []() { return true; }, nullptr}};
    const std::string path = System::GetInstance()->logger->GetPath();
    manager->Shutdown();
    EXPECT_EQ(released, (std::vector<std::string>{"first", "last"}));
    const std::string page = TestSupport::ReadFile(path);
    const size_t first = page.find("Releasing the first kind"), last = page.find("Releasing the last kind");
    ASSERT_NE(first, std::string::npos) << page;
    EXPECT_LT(first, last);
    EXPECT_EQ(page.find("nobody loaded"), std::string::npos);
    EXPECT_NE(page.find("|QRX::ObjectManager::Shutdown]"), std::string::npos);
    Door().heldResources = saved;
}
