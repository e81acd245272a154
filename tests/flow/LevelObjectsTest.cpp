// Level objects through the game flow: states open their files through the
// level manager, the grid is built from the blocking objects of the levels,
// and the objects of a state that leaves go back to the pool.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

std::string FlowData() { return TestSupport::SourceDir() + "/tests/data/flow/"; }

// A state that works like the game's screens: Load opens its file (and, for
// a level, sizes the grid), Init makes its objects, Pause and Resume switch
// its objects off and on. It leaves clearing its objects to the manager.
class ScreenState : public GameState
{
public:
    ScreenState(GameStateManager& manager, bool sizesGrid) : m_manager(manager), m_sizesGrid(sizesGrid) {}
    void Load() override
    {
        LevelManager* levels = m_manager.GetLevelManager();
        ASSERT_TRUE(levels->CanOpenLevelFile(Path()));
        if (!m_sizesGrid) return;
        unsigned rows = 0, columns = 0, height = 0;
        System::GetInstance()->fileManager->ReadMap(rows, columns, height);
        ASSERT_TRUE(levels->GetMap()->SetSize(rows, columns, height));
        levels->GetMap()->AllocateCells();
    }
    void Init() override
    {
        ASSERT_TRUE(m_manager.GetLevelManager()->CanOpenLevelFile(Path()));
        m_manager.GetLevelManager()->LoadLevelObjects(true);
    }
    void Pause() override
    {
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects()) o->flags &= ~OBJ_ACTIVE;
    }
    void Resume() override
    {
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
            if (o->stateId == m_manager.GetCurrentState()) o->flags |= OBJ_ACTIVE;
    }
    void Update(GameStateManager&) override
    {
        ObjectManager* objects = System::GetInstance()->objectManager;
        updatingSeen = objects->IsStateUpdating() && objects->CurrentStateId() == m_manager.GetCurrentState();
    }
    void Free() override {}
    void Unload() override {}

    std::map<int, std::string> files;
    bool updatingSeen = false;

private:
    std::string Path() { return FlowData() + "levels/" + files[m_manager.GetCurrentState()]; }
    GameStateManager& m_manager;
    bool m_sizesGrid;
};

class LevelObjectsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->objectManager = new ObjectManager();
        system->objectManager->SetObjectFolder(FlowData() + "objects/");
        level.files = {{1, "small.xml"}, {3, "blocks.xml"}, {4, "small.xml"}};
        menu.files = {{44, "menu.xml"}, {45, "menu.xml"}};
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::Menu, &menu);
        system->gameStateManager = &gsm;
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        gsm.Shutdown();
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
        BindStateObject(StateObjectKind::Menu, nullptr);
        System* system = System::GetInstance();
        system->gameStateManager = nullptr;
        system->objectManager->Shutdown();
        delete system->objectManager;
        system->objectManager = nullptr;
        delete system->fileManager;
        system->fileManager = nullptr;
        delete system->logger;
        system->logger = nullptr;
        System::DestroyInstance();
    }
    void Go(int id)
    {
        gsm.RequestState(id);
        gsm.Update();
        ASSERT_EQ(gsm.GetCurrentState(), id);
    }
    const Map& Grid() { return *gsm.GetLevelManager()->GetMap(); }
    size_t LiveCount() { return System::GetInstance()->objectManager->GetLiveObjects().size(); }

    TestSupport::ScopedTempHome home;
    GameStateManager gsm;
    ScreenState level{gsm, true};
    ScreenState menu{gsm, false};
};

TEST_F(LevelObjectsTest, LevelGridHoldsItsBlockingObjects)
{
    Go(3);
    const Map& map = Grid();
    ASSERT_EQ(map.GetCellCount(), 80u);
    EXPECT_EQ(map.GetCellValue(3, 2, 0), static_cast<std::uint32_t>(SWITCH));  // entered after the crate
    EXPECT_EQ(map.GetCellValue(3, 2, 1), static_cast<std::uint32_t>(CUBE));
    for (std::uint32_t r : {0u, 1u})
        for (std::uint32_t c : {4u, 5u}) EXPECT_EQ(map.GetCellValue(r, c, 2), static_cast<std::uint32_t>(BARRIER));
    EXPECT_EQ(map.GetCellValue(9, 0, 3), static_cast<std::uint32_t>(FALLINGPLATFORM));
    EXPECT_EQ(map.GetHeight(), 4u);
    EXPECT_EQ(map.GetCellValue(7, 7, 0), 0u);  // the player does not block
    EXPECT_EQ(map.GetCellValue(0, 0, 0), 0u);  // the crate below the grid is left out
    EXPECT_EQ(map.GetCell(0, 0).size(), 2u);
    EXPECT_EQ(LiveCount(), 7u);
}

TEST_F(LevelObjectsTest, SuccessiveLevelsLeaveOneGridAndTheirOwnObjects)
{
    Go(3);
    Go(4);
    const Map& map = Grid();
    ASSERT_EQ(map.GetCellCount(), 25u);
    size_t filled = 0;
    for (std::uint32_t r = 0; r < map.GetRows(); ++r)
        for (std::uint32_t c = 0; c < map.GetColumns(); ++c)
            for (std::uint32_t v : map.GetCell(r, c)) filled += v != 0;
    EXPECT_EQ(filled, 1u);
    EXPECT_EQ(map.GetCellValue(4, 4, 0), static_cast<std::uint32_t>(CUBE));
    EXPECT_EQ(LiveCount(), 1u);  // level 3's objects went back to the pool
    for (const auto& entry : System::GetInstance()->objectManager->GetLiveObjects())
        EXPECT_EQ(entry.second.object->stateId, 4);
}

TEST_F(LevelObjectsTest, GridSurvivesAMenuPushedOverTheLevel)
{
    Go(3);
    std::vector<std::uint32_t> before = Grid().GetEntries();
    Go(44);
    EXPECT_EQ(LiveCount(), 9u);
    EXPECT_EQ(Grid().GetEntries(), before);
    Go(45);
    gsm.RequestState(44);  // back to the pause menu
    gsm.Update();
    gsm.RequestState(3);  // and back to the level
    gsm.Update();
    ASSERT_EQ(gsm.GetCurrentState(), 3);
    EXPECT_EQ(Grid().GetEntries(), before);
    EXPECT_EQ(LiveCount(), 7u);  // the menus' objects went with them
    EXPECT_EQ(System::GetInstance()->objectManager->GetActiveObjectsOfType(CUBE).size(), 3u);
}

TEST_F(LevelObjectsTest, RestartMakesTheObjectsAgainWithoutDuplicates)
{
    Go(3);
    Go(44);
    gsm.RequestState(35);
    gsm.Update();
    ASSERT_EQ(gsm.GetCurrentState(), 3);
    EXPECT_EQ(LiveCount(), 7u);
    EXPECT_EQ(Grid().GetCellValue(3, 2, 0), static_cast<std::uint32_t>(SWITCH));
    gsm.ReloadState();
    EXPECT_EQ(LiveCount(), 7u);
}

TEST_F(LevelObjectsTest, ObjectManagerSeesTheCurrentStateAndTheUpdatePhase)
{
    Go(3);
    ObjectManager* objects = System::GetInstance()->objectManager;
    EXPECT_FALSE(objects->IsStateUpdating());  // entering
    gsm.Update();
    EXPECT_TRUE(level.updatingSeen);
    GameObject* made = objects->CreateInstance(CUBE, glm::vec3(0.0f));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->stateId, 3);
    gsm.Shutdown();
    EXPECT_EQ(objects->CurrentStateId(), 0);  // detached
    EXPECT_EQ(LiveCount(), 0u);
}

} // namespace
