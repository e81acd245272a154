// The level editor's panel through the tweak-bar library: its switches and
// creator buttons, the engine panels it folds away and brings back, and the
// object panel's delete button inside the editor.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/gameplay/AIComponent.h"
#include "tools/LevelEditor.h"
#include "tools/PanelTestKit.h"
#include "game/flow/GameStateTables.h"
#include "support/ScratchData.h"

using namespace QRX;
using namespace QRX::PanelKit;

namespace {

const char* const EDITOR_BAR = "LevelEditorBar";

class LevelEditorPanelTest : public PanelTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.Ok());
        PanelTest::SetUp();
        S().gameStateManager = &gsm;
        ASSERT_TRUE(gsm.Initialize());
        editor = FindLevelEditor();
        ASSERT_NE(editor, nullptr);
        editor->SetSnapping(true);
        editor->SetFileName(LevelEditor::TEMPLATE_FILE);
        Go(STATE_LEVELEDITOR);
    }
    void TearDown() override
    {
        gsm.Shutdown();
        S().gameStateManager = nullptr;
        for (int k = 0; k < STATE_OBJECT_KIND_COUNT; ++k) BindStateObject(static_cast<StateObjectKind>(k), nullptr);
        PanelTest::TearDown();
    }
    void Go(int id)
    {
        gsm.RequestState(id);
        gsm.Update();
        ASSERT_EQ(gsm.GetCurrentState(), id);
    }
    void FrameWithKey(int key)
    {
        InputManager::current[key] = 1;
        gsm.Update();
        InputManager::current[key] = InputManager::previous[key] = 0;
    }
    static bool Iconified(const char* bar)
    {
        TweakBar::Bar* b = BarNamed(bar);
        return b && b->layout.iconified;
    }

    TestSupport::ScratchDataFolder scratch;
    GameStateManager gsm;
    LevelEditor* editor = nullptr;
};

TEST_F(LevelEditorPanelTest, SwitchesButtonsAndTheEnginePanels)
{
    TweakBar::Bar* bar = BarNamed(EDITOR_BAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->layout.label, "Level Editor Bar");
    EXPECT_EQ(Item(EDITOR_BAR, "WorldPicking")->group, "Picking");
    EXPECT_EQ(Item(EDITOR_BAR, "SnapToCell")->group, "Movement");
    // One button per palette entry, in its order, in the creator group.
    std::vector<std::string> buttons;
    for (const TweakBar::Node& n : bar->nodes)
        if (n.kind == TweakBar::NodeKind::Button) {
            EXPECT_EQ(n.group, "CreatorBar") << n.name;
            buttons.push_back(n.name);
        }
    ASSERT_EQ(buttons.size(), editor->GetPalette().size());
    for (size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(buttons[i], ObjectTypeToString(editor->GetPalette()[i]));
    for (const char* engine : {"GraphicsManagerBar", "SoundManagerBar", "PhysicsManagerBar"})
        EXPECT_TRUE(Iconified(engine)) << engine;

    // A button makes its brush on the next frame.
    ASSERT_TRUE(Press(EDITOR_BAR, "CRATE"));
    gsm.Update();
    ASSERT_NE(editor->GetBrush(), nullptr);
    EXPECT_EQ(editor->GetBrush()->type, CRATE);
    ASSERT_TRUE(Press(EDITOR_BAR, "CUBE"));  // another one replaces it
    gsm.Update();
    EXPECT_EQ(editor->GetBrush()->type, CUBE);

    // The switch and the comma key are one setting.
    EXPECT_TRUE(Read<bool>(EDITOR_BAR, "SnapToCell"));
    FrameWithKey(KEY_OEM_COMMA);
    EXPECT_FALSE(Read<bool>(EDITOR_BAR, "SnapToCell"));
    ASSERT_TRUE(Write<bool>(EDITOR_BAR, "SnapToCell", true));
    EXPECT_TRUE(editor->IsSnapping());

    // Leaving takes the panel away and brings the engine panels back, help hidden.
    State().shown = true;
    Go(STATE_LEVEL1);
    EXPECT_EQ(BarNamed(EDITOR_BAR), nullptr);
    EXPECT_EQ(State().levelEditorBar, nullptr);
    for (const char* engine : {"GraphicsManagerBar", "SoundManagerBar", "PhysicsManagerBar"})
        EXPECT_FALSE(Iconified(engine)) << engine;
    EXPECT_FALSE(State().shown);
    EXPECT_FALSE(TweakBar::LibraryModel()->Help().visible);

    // Again, for the other editor id.
    editor->SetFileName(LevelEditor::TEMPLATE_FILE);
    Go(STATE_LEVELEDITOR);
    Go(STATE_LEVELEDITORNEXT);
    EXPECT_NE(BarNamed(EDITOR_BAR), nullptr);
    ASSERT_TRUE(Press(EDITOR_BAR, "CUBE"));
    gsm.Update();
    ASSERT_NE(editor->GetBrush(), nullptr);
    EXPECT_EQ(editor->GetBrush()->stateId, STATE_LEVELEDITORNEXT);
}

TEST_F(LevelEditorPanelTest, DeletingAnEnemyInTheObjectPanelDropsItsMarkers)
{
    ASSERT_TRUE(Press(EDITOR_BAR, "ENEMY"));
    gsm.Update();
    GameObject* brush = editor->GetBrush();
    ASSERT_NE(brush, nullptr);
    brush->position = glm::vec3(2.5f, 0.5f, 2.5f);
    editor->PlaceWorldObject();
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    GameObject* enemy = editor->GetAIRecords()[0].ai;
    GameObject* marker = S().objectManager->CreateInstance(WAYPOINT, glm::vec3(4.5f, 0.5f, 2.5f));
    editor->AddAIWaypoint(marker, enemy);

    editor->SelectObject(enemy);
    ASSERT_NE(State().objectBar, nullptr);
    ASSERT_TRUE(Press("GameObject", "DeleteObject"));
    EXPECT_TRUE(enemy->flags & OBJ_DESTROY);
    EXPECT_TRUE(marker->flags & OBJ_DESTROY);
    EXPECT_TRUE(editor->GetAIRecords().empty());
    // Outside the editor the button only marks the object.
    Go(STATE_LEVEL1);
    GameObject* crate = S().objectManager->CreateInstance(CRATE, glm::vec3(1.0f));
    AntTweakBar::CreateObjectBar(&State(), crate);
    ASSERT_TRUE(Press("GameObject", "DeleteObject"));
    EXPECT_TRUE(crate->flags & OBJ_DESTROY);
}

} // namespace
