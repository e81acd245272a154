// The two powers in the running engine: a level loaded as the free load,
// every frame exactly 1/32 s, the keys held frame by frame. The HUD shows
// both power icons at the bottom left; the robot throws an exploding crate
// into a group of crates, then puts a teleport crate down and swaps places
// with it.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/GameObjectHandle.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

const int KEY_1 = 24;
const int KEY_2 = 25;

using Picture = std::vector<std::uint8_t>;

class PowersInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    // One frame with the keys down, then one with every key up.
    void Press(std::initializer_list<int> keys)
    {
        game.Hold(keys);
        game.Step();
        game.Release();
        game.Step();
    }
    static std::string TextureOf(const GameObject* object)
    {
        auto* graphics = dynamic_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
        return graphics ? graphics->GetTextureName() : "";
    }
    static std::string GuiTextureOf(const GameObject* object)
    {
        auto* gui = dynamic_cast<GUIComponent*>(object->GetComponent(CT_GUI));
        return gui ? gui->m_textureId : "";
    }
    // The UI object whose UI-logic or GUI texture (default) is the one given.
    GameObject* HudObject(const std::string& texture) const
    {
        for (GameObject* object : game.FindAll(UIOBJECT)) {
            auto* logic = dynamic_cast<UILogicComponent*>(object->GetComponent(CT_UILOGIC));
            if (logic ? logic->GetTextureDefault() == texture : GuiTextureOf(object) == texture) return object;
        }
        return nullptr;
    }
    // Draws the frame again and reads it back before it is shown.
    Picture TakePicture() const
    {
        System* system = game.GetSystem();
        const int width = system->window->GetWidth();
        const int height = system->window->GetHeight();
        system->renderer->RenderScene();
        Picture pixels(static_cast<size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // The share of the pixels of a UI object's rectangle (inset by a pixel)
    // that differ between two pictures.
    double ChangedShare(const Picture& a, const Picture& b, const GameObject* object) const
    {
        const int width = game.GetSystem()->window->GetWidth();
        const int height = game.GetSystem()->window->GetHeight();
        const int left = static_cast<int>(width / 2 + object->position.x - object->scale.x / 2) + 1;
        const int right = static_cast<int>(width / 2 + object->position.x + object->scale.x / 2) - 1;
        const int bottom = static_cast<int>(height / 2 + object->position.y - object->scale.y / 2) + 1;
        const int top = static_cast<int>(height / 2 + object->position.y + object->scale.y / 2) - 1;
        int changed = 0, total = 0;
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x) {
                const size_t at = (static_cast<size_t>(y) * width + x) * 4;
                ++total;
                if (a[at] != b[at] || a[at + 1] != b[at + 1] || a[at + 2] != b[at + 2]) ++changed;
            }
        return total ? static_cast<double>(changed) / total : 0.0;
    }

    GameplayHarness game;
};

TEST_F(PowersInProcessTest, TheHudShowsBothPowerIconsAtTheBottomLeft)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/powers.xml"));
    auto* player = dynamic_cast<PlayerComponent*>(game.Player()->GetComponent(CT_PLAYER));
    ASSERT_NE(player, nullptr);
    GameObject* explosion = HudObject(PlayerComponent::EXPLOSION_ICON_TEXTURE);
    GameObject* teleport = HudObject(PlayerComponent::TELEPORT_ICON_TEXTURE);
    GameObject* backing = HudObject(PlayerComponent::POWERS_BACKING_TEXTURE);
    ASSERT_NE(explosion, nullptr);
    ASSERT_NE(teleport, nullptr);
    ASSERT_NE(backing, nullptr);
    // The level linked the icons and put the backing behind them.
    EXPECT_EQ(player->GetExplosionIcon(), explosion->GetComponent(CT_UILOGIC));
    EXPECT_EQ(player->GetTeleportIcon(), teleport->GetComponent(CT_UILOGIC));
    EXPECT_EQ(explosion->position.z, PlayerComponent::POWER_ICON_Z);
    EXPECT_EQ(backing->position.z, PlayerComponent::POWERS_BACKING_Z);

    // Scaled to the 320 x 240 window: side by side in the lower left
    // quarter, within the backing.
    const int width = game.GetSystem()->window->GetWidth();
    const int height = game.GetSystem()->window->GetHeight();
    for (const GameObject* icon : {explosion, teleport}) {
        EXPECT_LT(icon->position.x, 0.0f);
        EXPECT_LT(icon->position.y, 0.0f);
        EXPECT_GT(icon->position.x - icon->scale.x / 2, -width / 2.0f);
        EXPECT_GT(icon->position.y - icon->scale.y / 2, -height / 2.0f);
        EXPECT_NEAR(icon->scale.x, 64.0f * width / 1024.0f, 0.01f);
        EXPECT_GE(icon->position.x - icon->scale.x / 2, backing->position.x - backing->scale.x / 2);
        EXPECT_LE(icon->position.x + icon->scale.x / 2, backing->position.x + backing->scale.x / 2);
        EXPECT_GE(icon->position.y - icon->scale.y / 2, backing->position.y - backing->scale.y / 2);
        EXPECT_LE(icon->position.y + icon->scale.y / 2, backing->position.y + backing->scale.y / 2);
    }
    EXPECT_LE(explosion->position.x + explosion->scale.x / 2, teleport->position.x - teleport->scale.x / 2);
    EXPECT_EQ(explosion->position.y, teleport->position.y);

    // Drawn: the icons over the backing, the backing over the scene.
    game.Step();
    const Picture shown = TakePicture();
    explosion->flags |= OBJ_SKIP_DRAW;
    teleport->flags |= OBJ_SKIP_DRAW;
    const Picture backingOnly = TakePicture();
    backing->flags |= OBJ_SKIP_DRAW;
    const Picture none = TakePicture();
    EXPECT_GT(ChangedShare(shown, backingOnly, explosion), 0.5);
    EXPECT_GT(ChangedShare(shown, backingOnly, teleport), 0.5);
    EXPECT_GT(ChangedShare(backingOnly, none, backing), 0.5);
}

TEST_F(PowersInProcessTest, AnExplodingCrateClearsAGroupAndATeleportCrateSwapsWithTheRobot)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/powers.xml"));
    GameObject* robot = game.Player();
    ASSERT_NE(robot, nullptr);
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    ASSERT_NE(player, nullptr);
    const std::vector<GameObject*> crates = game.FindAll(CRATE);
    ASSERT_EQ(crates.size(), 8u);
    GameObject* bomb = crates[0];
    GameObject* swapper = crates[1];
    GameObjectHandle bombHandle(bomb);
    std::vector<GameObjectHandle> group;
    for (size_t i = 2; i < crates.size(); ++i) group.emplace_back(crates[i]);
    UILogicComponent* explosionIcon = player->GetExplosionIcon();
    UILogicComponent* teleportIcon = player->GetTeleportIcon();
    ASSERT_NE(explosionIcon, nullptr);
    ASSERT_NE(teleportIcon, nullptr);
    game.Step(2);

    // Pick up the crate ahead and press power 1: the crate and the icon show it.
    Press({KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), bomb);
    Press({KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_EXPLODE);
    EXPECT_EQ(TextureOf(bomb), "crate_explosion");
    EXPECT_EQ(explosionIcon->m_SelectState, UI_STATE_HOLDING);
    EXPECT_EQ(GuiTextureOf(explosionIcon->owner), "explosionpoweractive");
    EXPECT_EQ(GuiTextureOf(teleportIcon->owner), "teleportpowerselected");

    // Thrown: it carries the power, the selection ends and the icon goes back.
    game.Hold({KEY_LBUTTON});
    game.Step();
    game.Release();
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_NE(bomb->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    game.Step(2);
    EXPECT_EQ(explosionIcon->m_SelectState, UI_STATE_IDLE);
    EXPECT_EQ(GuiTextureOf(explosionIcon->owner), "explosionpowerselected");

    // It lands among the group and goes off: itself and every crate within
    // 2 go, those within 5 are pushed away, those beyond stay put.
    ASSERT_GT(game.StepUntil([&] { return (bomb->flags & OBJ_DESTROY) != 0; }, 120), 0);
    const glm::vec3 centre = bomb->position;
    std::vector<glm::vec3> before;
    for (GameObjectHandle& crate : group) before.push_back(crate.object->position);
    game.Step(32);
    EXPECT_FALSE(bombHandle.Refresh());
    int destroyed = 0, pushed = 0, kept = 0;
    for (size_t i = 0; i < group.size(); ++i) {
        const float distance = glm::length(before[i] - centre);
        if (distance < 1.8f) {
            EXPECT_FALSE(group[i].Refresh()) << i << " at " << distance;
            ++destroyed;
        } else if (distance > 2.2f && distance < 4.8f) {
            ASSERT_TRUE(group[i].Refresh()) << i;
            EXPECT_GT(glm::length(group[i].object->position - centre), distance + 0.25f) << i;
            ++pushed;
        } else if (distance > 5.2f) {
            ASSERT_TRUE(group[i].Refresh()) << i;
            EXPECT_LT(glm::length(group[i].object->position - before[i]), 1e-4f) << i;
            ++kept;
        }
    }
    // The crate landed where the group was laid out for.
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(pushed, 2);
    EXPECT_EQ(kept, 2);

    // Turn to the crate at the right, pick it up, press power 2 and put it down.
    Press({GameplayHarness::Letter('D')});
    game.Step();
    Press({KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), swapper);
    Press({KEY_2});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_TELEPORT);
    EXPECT_EQ(TextureOf(swapper), "crate_teleportwait");
    EXPECT_EQ(GuiTextureOf(teleportIcon->owner), "teleportpoweractive");
    Press({KEY_RBUTTON});
    ASSERT_NE(swapper->GetComponent(CT_TELEPORT), nullptr);
    EXPECT_EQ(player->m_PowerManager.GetHolder(CT_TELEPORT), swapper);
    ASSERT_GT(game.StepUntil([&] { return TextureOf(swapper) == "crate_teleportgo"; }, 64), 0);
    EXPECT_NEAR(swapper->position.y, 0.5f, 0.05f);

    // The robot walks off; the active-power key swaps the two.
    game.Hold({GameplayHarness::Letter('A')});
    game.Step(16);
    game.Release();
    game.Step(4);
    const glm::vec3 robotAt = robot->position;
    const glm::vec3 crateAt = swapper->position;
    ASSERT_GT(glm::length(robotAt - crateAt), 1.5f);
    game.Hold({GameplayHarness::Letter('T')});
    game.Step();
    game.Release();
    EXPECT_NEAR(robot->position.x, crateAt.x, 0.05f);
    EXPECT_NEAR(robot->position.z, crateAt.z, 0.05f);
    EXPECT_NEAR(swapper->position.x, robotAt.x, 0.05f);
    EXPECT_NEAR(swapper->position.z, robotAt.z, 0.05f);
    EXPECT_NEAR(robot->position.y, crateAt.y, 0.2f);
}

} // namespace
