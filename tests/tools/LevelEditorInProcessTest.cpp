// The level editor in the running engine: the grid it draws, its panel, a
// cube stamped where the cursor meets the grid, the cube picked and dragged
// by the move handle along x, a waypoint added to a picked enemy's patrol and
// the enemy deleted with its marker through the object panel; waypoints
// added after a click on a gizmo handle and after picking the enemy again.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/glm.hpp>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/platform/tweakbar/TweakBarModel.h"
#include "game/flow/GameStateManager.h"
#include "game/gameplay/AIComponent.h"
#include "tools/Gizmo.h"
#include "tools/LevelEditor.h"
#include "tools/TweakBarState.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

class LevelEditorInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    System& S() const { return *game.GetSystem(); }
    // The client pixel (y down) where a world point is drawn.
    glm::ivec2 ScreenOf(const glm::vec3& world) const
    {
        const Camera& camera = *S().camera;
        const glm::vec4 clip = camera.GetProjectionMatrix() * camera.GetViewMatrix() * glm::vec4(world, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return glm::ivec2(static_cast<int>(std::lround((ndc.x + 1.0f) * 0.5f * WIDTH)),
                          static_cast<int>(std::lround(HEIGHT - (ndc.y + 1.0f) * 0.5f * HEIGHT)));
    }
    // The first object of the type that belongs to the level (not the palette's).
    GameObject* Placed(ObjectType type) const
    {
        for (GameObject* o : game.FindAll(type))
            if (o->layer == 0) return o;
        return nullptr;
    }
    void MoveMouse(const glm::ivec2& pixel)
    {
        const auto lParam = static_cast<std::int64_t>((static_cast<std::uint32_t>(pixel.y) << 16) |
                                                      (static_cast<std::uint32_t>(pixel.x) & 0xFFFF));
        S().inputManager->OnMouseMove(lParam);
    }
    // Presses and releases a key (or button) over a frame each.
    void Tap(int key)
    {
        game.Hold({key});
        game.Step();
        game.Release();
        game.Step();
    }
    // Near-white pixels of the frame drawn now, below the debug text.
    int WhitePixels()
    {
        S().renderer->RenderScene();
        std::vector<unsigned char> pixels(static_cast<size_t>(WIDTH) * HEIGHT * 4);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int white = 0;
        for (int y = 0; y < HEIGHT * 2 / 3; ++y)  // rows from the bottom
            for (int x = 0; x < WIDTH; ++x) {
                const unsigned char* p = &pixels[(static_cast<size_t>(y) * WIDTH + x) * 4];
                white += p[0] > 200 && p[1] > 200 && p[2] > 200;
            }
        return white;
    }

    // Starts the engine and opens the editor on a new level, snapping, with
    // the gizmo and world picking.
    void EnterNewLevel()
    {
        ASSERT_TRUE(game.Start());
        LevelEditor* editor = FindLevelEditor();
        ASSERT_NE(editor, nullptr);
        editor->SetSnapping(true);
        editor->SetGizmoEnabled(true);
        editor->SetWorldPicking(true);
        editor->SetFileName(LevelEditor::TEMPLATE_FILE);
        S().gameStateManager->RequestState(STATE_LEVELEDITOR);
        game.Step(2);
        ASSERT_EQ(S().gameStateManager->GetCurrentState(), STATE_LEVELEDITOR);
    }
    // Stamps one object of the palette's type at the cell under a point.
    GameObject* Stamp(ObjectType type, const glm::vec3& at)
    {
        LevelEditor* editor = FindLevelEditor();
        const auto& palette = editor->GetPalette();
        const auto button = std::find(palette.begin(), palette.end(), type);
        if (button == palette.end()) return nullptr;
        MoveMouse(ScreenOf(at));
        editor->PressCreatorButton(static_cast<size_t>(button - palette.begin()));
        game.Step(2);
        Tap(KEY_LBUTTON);
        Tap(KEY_DELETE);
        return editor->GetBrush() ? nullptr : Placed(type);
    }
    // Clicks the object on screen (the point half a cell above its centre).
    void ClickOn(const glm::vec3& at)
    {
        MoveMouse(ScreenOf(at));
        game.Step();
        Tap(KEY_LBUTTON);
    }
    // Presses the object panel's "AddWaypoint" and stamps the marker at a point;
    // false when the panel has no such button.
    bool AddWaypointAt(const glm::vec3& at)
    {
        TweakBar::Model* model = TweakBar::LibraryModel();
        TweakBar::Bar* panel = model ? model->FindBarByName("GameObject") : nullptr;
        TweakBar::Node* add = panel ? model->FindNode(*panel, "AddWaypoint") : nullptr;
        if (!add || !model->QueuePress(add->id)) return false;
        model->RunPending();
        MoveMouse(ScreenOf(at));
        game.Step(2);
        GameObject* brush = FindLevelEditor()->GetBrush();
        if (!brush || brush->type != WAYPOINT) return false;
        Tap(KEY_LBUTTON);
        Tap(KEY_DELETE);
        return true;
    }

    GameplayHarness game{WIDTH, HEIGHT};
};

TEST_F(LevelEditorInProcessTest, WaypointsJoinThePanelsEnemyAfterHandleClicksAndReselection)
{
    ASSERT_NO_FATAL_FAILURE(EnterNewLevel());
    Tap(KEY_F1);
    ASSERT_TRUE(S().tweakBarState->shown);
    LevelEditor* editor = FindLevelEditor();
    GameObject* enemy = Stamp(ENEMY, glm::vec3(6.5f, 0.5f, 8.5f));
    ASSERT_NE(enemy, nullptr);
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);

    // The enemy picked, then its move handle pressed and let go: the panel
    // still shows the enemy and its marker joins the enemy's patrol.
    ClickOn(enemy->position + glm::vec3(0.0f, 0.5f, 0.0f));
    ASSERT_EQ(editor->GetSelected(), enemy);
    ClickOn(enemy->position + glm::vec3(2.2f, 0.0f, 0.0f));
    ASSERT_NE(editor->GetSelected(), nullptr);
    ASSERT_EQ(editor->GetSelected()->type, MOVE_X);
    ASSERT_EQ(S().tweakBarState->selectedObject.object, enemy);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(AddWaypointAt(glm::vec3(6.5f, 0.5f, 12.5f)));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Attempting to add waypoint to non AI object"), std::string::npos) << out;
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    ASSERT_EQ(editor->GetAIRecords()[0].waypoints.size(), 1u);
    EXPECT_FALSE(editor->GetAIRecords()[0].waypoints[0]->flags & OBJ_DESTROY);

    // Empty ground closes the panel; the enemy picked again gets a panel with
    // the button, and the second marker follows the first.
    ClickOn(glm::vec3(20.5f, 0.0f, 20.5f));
    EXPECT_EQ(S().tweakBarState->objectBar, nullptr);
    ClickOn(enemy->position + glm::vec3(0.0f, 0.5f, 0.0f));
    ASSERT_EQ(editor->GetSelected(), enemy);
    ASSERT_TRUE(AddWaypointAt(glm::vec3(10.5f, 0.5f, 12.5f)));
    ASSERT_EQ(editor->GetAIRecords()[0].waypoints.size(), 2u);
    auto* ai = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI));
    ASSERT_NE(ai, nullptr);
    ASSERT_EQ(ai->GetPatrol().GetWaypoints().size(), 2u);
    EXPECT_EQ(ai->GetPatrol().GetWaypoints()[1], editor->GetAIRecords()[0].waypoints[1]->position);

    // The same enemy picked again keeps its panel, with one button.
    ClickOn(enemy->position + glm::vec3(0.0f, 0.5f, 0.0f));
    TweakBar::Model* model = TweakBar::LibraryModel();
    TweakBar::Bar* panel = model->FindBarByName("GameObject");
    ASSERT_NE(panel, nullptr);
    int buttons = 0;
    for (const TweakBar::Node& n : panel->nodes) buttons += n.name == "AddWaypoint";
    EXPECT_EQ(buttons, 1);
}

TEST_F(LevelEditorInProcessTest, StampPickDragAndAddAWaypoint)
{
    ASSERT_NO_FATAL_FAILURE(EnterNewLevel());
    LevelEditor* editor = FindLevelEditor();
    EXPECT_EQ(S().camera->GetMode(), Camera::MODE_FREE);
    EXPECT_EQ(S().flags & 0x12u, 0x12u);
    // The grid's white lines are drawn over the empty scene.
    EXPECT_GT(WhitePixels(), 400);
    // The editor's panel holds one creator button per palette entry; the
    // engine panels are folded away.
    TweakBar::Model* model = TweakBar::LibraryModel();
    ASSERT_NE(model, nullptr);
    TweakBar::Bar* bar = model->FindBarByName("LevelEditorBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->layout.label, "Level Editor Bar");
    size_t buttons = 0;
    for (const TweakBar::Node& n : bar->nodes) buttons += n.kind == TweakBar::NodeKind::Button;
    EXPECT_EQ(buttons, editor->GetPalette().size());
    ASSERT_NE(model->FindBarByName("PhysicsManagerBar"), nullptr);
    EXPECT_TRUE(model->FindBarByName("PhysicsManagerBar")->layout.iconified);

    // A cube where the cursor meets the grid, one per cell however long the button is held.
    MoveMouse(ScreenOf(glm::vec3(6.5f, 0.5f, 8.5f)));
    TweakBar::Node* cubeButton = model->FindNode(*bar, "CUBE");
    ASSERT_NE(cubeButton, nullptr);
    ASSERT_TRUE(model->QueuePress(cubeButton->id));
    model->RunPending();
    game.Step(2);  // made at the last brush position, it follows the cursor from the next frame
    GameObject* brush = editor->GetBrush();
    ASSERT_NE(brush, nullptr);
    ASSERT_EQ(brush->type, CUBE);
    const glm::vec3 cell = brush->position;
    EXPECT_NEAR(cell.x, 6.5f, 1.01f);
    EXPECT_NEAR(cell.z, 8.5f, 1.01f);
    EXPECT_EQ(cell.y, 0.5f);
    EXPECT_EQ(cell.x - std::floor(cell.x), 0.5f);
    game.Hold({KEY_LBUTTON});
    game.Step(4);
    game.Release();
    game.Step();
    GameObject* cube = Placed(CUBE);
    ASSERT_NE(cube, nullptr);
    int placed = 0;
    for (GameObject* o : game.FindAll(CUBE)) placed += o->layer == 0;
    EXPECT_EQ(placed, 1);
    EXPECT_EQ(cube->position, cell);
    Tap(KEY_DELETE);
    EXPECT_EQ(editor->GetBrush(), nullptr);

    // With the panels shown a click picks the cube; the move handles come.
    Tap(KEY_F1);
    ASSERT_TRUE(S().tweakBarState->shown);
    MoveMouse(ScreenOf(cube->position + glm::vec3(0.0f, 0.5f, 0.0f)));
    game.Step();
    Tap(KEY_LBUTTON);
    ASSERT_EQ(editor->GetSelected(), cube);
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_MOVE);
    ASSERT_NE(S().tweakBarState->objectBar, nullptr);
    Gizmo* gizmo = editor->GetGizmo();
    ASSERT_NE(gizmo, nullptr);
    GameObject* moveX = gizmo->GetAxis(0);
    ASSERT_NE(moveX, nullptr);
    EXPECT_EQ(moveX->scale.x, 5.0f);

    // Pressing on the handle's end and dragging along x moves the cube by
    // whole cells along x only.
    const glm::vec3 start = cube->position;
    MoveMouse(ScreenOf(start + glm::vec3(2.2f, 0.0f, 0.0f)));
    game.Step();
    game.Hold({KEY_LBUTTON});
    game.Step();
    ASSERT_NE(editor->GetSelected(), nullptr);
    EXPECT_EQ(editor->GetSelected()->type, MOVE_X);
    for (int i = 1; i <= 8; ++i) {
        MoveMouse(ScreenOf(start + glm::vec3(2.2f + 0.5f * static_cast<float>(i), 0.0f, 0.0f)));
        game.Step();
    }
    game.Release();
    game.Step();
    EXPECT_GE(cube->position.x - start.x, 2.0f);
    EXPECT_LE(cube->position.x - start.x, 4.0f);
    EXPECT_EQ(cube->position.x - std::floor(cube->position.x), 0.5f);
    EXPECT_EQ(cube->position.y, start.y);
    EXPECT_EQ(cube->position.z, start.z);
    EXPECT_EQ(moveX->position, cube->position);

    // An enemy picked in the panel offers "AddWaypoint"; its marker joins the patrol.
    const auto& palette = editor->GetPalette();
    const auto enemyButton = std::find(palette.begin(), palette.end(), ENEMY);
    ASSERT_NE(enemyButton, palette.end());
    MoveMouse(ScreenOf(glm::vec3(3.5f, 0.5f, 12.5f)));
    editor->PressCreatorButton(static_cast<size_t>(enemyButton - palette.begin()));
    game.Step(2);
    Tap(KEY_LBUTTON);
    Tap(KEY_DELETE);
    GameObject* enemy = Placed(ENEMY);
    ASSERT_NE(enemy, nullptr);
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    MoveMouse(ScreenOf(enemy->position + glm::vec3(0.0f, 0.5f, 0.0f)));
    game.Step();
    Tap(KEY_LBUTTON);
    ASSERT_EQ(editor->GetSelected(), enemy);
    TweakBar::Bar* panel = model->FindBarByName("GameObject");
    ASSERT_NE(panel, nullptr);
    TweakBar::Node* add = model->FindNode(*panel, "AddWaypoint");
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(model->QueuePress(add->id));
    model->RunPending();
    MoveMouse(ScreenOf(glm::vec3(3.5f, 0.5f, 16.5f)));
    game.Step(2);
    ASSERT_NE(editor->GetBrush(), nullptr);
    EXPECT_EQ(editor->GetBrush()->type, WAYPOINT);
    Tap(KEY_LBUTTON);
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    ASSERT_EQ(editor->GetAIRecords()[0].waypoints.size(), 1u);
    auto* ai = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI));
    ASSERT_NE(ai, nullptr);
    ASSERT_EQ(ai->GetPatrol().GetWaypoints().size(), 1u);
    EXPECT_EQ(ai->GetPatrol().GetWaypoints()[0], editor->GetAIRecords()[0].waypoints[0]->position);
    GameObject* marker = editor->GetAIRecords()[0].waypoints[0];

    // The panel still shows the enemy; its delete button takes the markers along.
    Tap(KEY_DELETE);
    ASSERT_EQ(S().tweakBarState->selectedObject.object, enemy);
    ASSERT_FALSE(enemy->flags & OBJ_DESTROY);
    panel = model->FindBarByName("GameObject");
    ASSERT_NE(panel, nullptr);
    TweakBar::Node* remove = model->FindNode(*panel, "DeleteObject");
    ASSERT_NE(remove, nullptr);
    ASSERT_TRUE(model->QueuePress(remove->id));
    model->RunPending();
    EXPECT_TRUE(editor->GetAIRecords().empty());
    EXPECT_TRUE(marker->flags & OBJ_DESTROY);
    game.Step();
    EXPECT_EQ(Placed(ENEMY), nullptr);

    // Leaving gives physics and the engine panels back.
    S().gameStateManager->RequestState(STATE_LEVEL1);
    game.Step(2);
    EXPECT_EQ(S().flags & 0x12u, 0u);
    EXPECT_EQ(editor->GetMap(), nullptr);
    EXPECT_EQ(model->FindBarByName("LevelEditorBar"), nullptr);
    EXPECT_FALSE(model->FindBarByName("PhysicsManagerBar")->layout.iconified);
    EXPECT_FALSE(S().tweakBarState->shown);
}

} // namespace
