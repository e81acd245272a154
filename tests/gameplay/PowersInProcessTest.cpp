// The two powers in the running engine: a level loaded as the free load,
// every frame exactly 1/32 s, the keys held frame by frame. The HUD draws
// both power icons at the bottom left; the robot throws an exploding crate
// into a group of crates, then puts a teleport crate down and swaps places
// with it.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdint>
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

using Picture = std::vector<std::uint8_t>;

class PowersInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    void Press(std::initializer_list<int> keys)
    {
        game.Hold(keys);
        game.Step();
        game.Release();
        game.Step();
    }
    static std::string TextureOf(const GameObject* object)
    {
        if (auto* gui = dynamic_cast<GUIComponent*>(object->GetComponent(CT_GUI))) return gui->m_textureId;
        return dynamic_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS))->GetTextureName();
    }
    // Draws the frame again and reads it back before it is shown.
    Picture TakePicture() const
    {
        Window* window = game.GetSystem()->window;
        game.GetSystem()->renderer->RenderScene();
        Picture pixels(static_cast<size_t>(window->GetWidth()) * window->GetHeight() * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, window->GetWidth(), window->GetHeight(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // The share of the pixels inside a UI object's rectangle that differ.
    double ChangedShare(const Picture& a, const Picture& b, const GameObject* object) const
    {
        const int width = game.GetSystem()->window->GetWidth();
        const glm::vec2 centre = glm::vec2(width, game.GetSystem()->window->GetHeight()) / 2.0f +
                                 glm::vec2(object->position);
        int changed = 0, total = 0;
        for (int y = int(centre.y - object->scale.y / 2) + 1; y < int(centre.y + object->scale.y / 2) - 1; ++y)
            for (int x = int(centre.x - object->scale.x / 2) + 1; x < int(centre.x + object->scale.x / 2) - 1; ++x) {
                const size_t at = (static_cast<size_t>(y) * width + x) * 4;
                ++total;
                changed += a[at] != b[at] || a[at + 1] != b[at + 1] || a[at + 2] != b[at + 2];
            }
        return total ? static_cast<double>(changed) / total : 0.0;
    }

    GameplayHarness game;
};

TEST_F(PowersInProcessTest, TheHudShowsThePowersThatBlowUpCratesAndSwapTheRobot)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/powers.xml"));
    GameObject* robot = game.Player();
    ASSERT_NE(robot, nullptr);
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    UILogicComponent* explosionIcon = player->GetExplosionIcon();
    UILogicComponent* teleportIcon = player->GetTeleportIcon();
    ASSERT_TRUE(explosionIcon && teleportIcon);
    GameObject* backing = nullptr;
    for (GameObject* object : game.FindAll(UIOBJECT))
        if (TextureOf(object) == PlayerComponent::POWERS_BACKING_TEXTURE) backing = object;
    ASSERT_NE(backing, nullptr);

    // The icons side by side in the lower left quarter, each drawn over the
    // backing, which is drawn over the scene.
    EXPECT_LT(explosionIcon->owner->position.x, teleportIcon->owner->position.x);
    EXPECT_LT(teleportIcon->owner->position.x, 0.0f);
    EXPECT_LT(teleportIcon->owner->position.y, 0.0f);
    game.Step();
    const Picture shown = TakePicture();
    explosionIcon->owner->flags |= OBJ_SKIP_DRAW;
    teleportIcon->owner->flags |= OBJ_SKIP_DRAW;
    const Picture backingOnly = TakePicture();
    backing->flags |= OBJ_SKIP_DRAW;
    const Picture none = TakePicture();
    EXPECT_GT(ChangedShare(shown, backingOnly, explosionIcon->owner), 0.5);
    EXPECT_GT(ChangedShare(shown, backingOnly, teleportIcon->owner), 0.5);
    EXPECT_GT(ChangedShare(backingOnly, none, backing), 0.5);

    const std::vector<GameObject*> crates = game.FindAll(CRATE);
    ASSERT_EQ(crates.size(), 8u);
    GameObject* bomb = crates[0];
    GameObject* swapper = crates[1];
    GameObjectHandle bombHandle(bomb);
    std::vector<GameObjectHandle> group(crates.begin() + 2, crates.end());

    // The crate ahead, picked up; power 1 shows on it and on its icon.
    Press({KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), bomb);
    Press({24});
    EXPECT_EQ(TextureOf(bomb), "crate_explosion");
    EXPECT_EQ(TextureOf(explosionIcon->owner), "explosionpoweractive");

    // Thrown, it lands among the group: itself and every crate within 2
    // go, those within 5 are pushed away, those beyond stay put.
    Press({KEY_LBUTTON});
    EXPECT_NE(bomb->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_EQ(TextureOf(explosionIcon->owner), "explosionpowerselected");
    ASSERT_GT(game.StepUntil([&] { return (bomb->flags & OBJ_DESTROY) != 0; }, 120), 0);
    const glm::vec3 centre = bomb->position;
    std::vector<glm::vec3> before;
    for (GameObjectHandle& crate : group) before.push_back(crate.object->position);
    game.Step(32);
    EXPECT_FALSE(bombHandle.Refresh());
    int bands[3] = {0, 0, 0};
    for (size_t i = 0; i < group.size(); ++i) {
        const float distance = glm::length(before[i] - centre);
        const bool alive = group[i].Refresh();
        if (distance < 1.8f) {
            EXPECT_FALSE(alive) << i;
            ++bands[0];
        } else if (distance > 2.2f && distance < 4.8f) {
            EXPECT_TRUE(alive && glm::length(group[i].object->position - centre) > distance + 0.25f) << i;
            ++bands[1];
        } else if (distance > 5.2f) {
            EXPECT_TRUE(alive && group[i].object->position == before[i]) << i;
            ++bands[2];
        }
    }
    // The crate landed where the group was laid out for.
    EXPECT_TRUE(bands[0] == 2 && bands[1] == 2 && bands[2] == 2);

    // Turn to the crate at the right, pick it up, choose the teleport and put
    // it down: it shows it is ready once it rests.
    Press({GameplayHarness::Letter('D')});
    Press({KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), swapper);
    Press({25});
    EXPECT_EQ(TextureOf(swapper), "crate_teleportwait");
    EXPECT_EQ(TextureOf(teleportIcon->owner), "teleportpoweractive");
    Press({KEY_RBUTTON});
    ASSERT_GT(game.StepUntil([&] { return TextureOf(swapper) == "crate_teleportgo"; }, 64), 0);

    // The robot walks off; the active-power key swaps the two.
    game.Hold({GameplayHarness::Letter('A')});
    game.Step(16);
    game.Release();
    game.Step(4);
    const glm::vec3 robotAt = robot->position;
    const glm::vec3 crateAt = swapper->position;
    ASSERT_GT(glm::length(robotAt - crateAt), 1.5f);
    Press({GameplayHarness::Letter('T')});
    EXPECT_LT(glm::length(glm::vec2(robot->position.x - crateAt.x, robot->position.z - crateAt.z)), 0.05f);
    EXPECT_LT(glm::length(glm::vec2(swapper->position.x - robotAt.x, swapper->position.z - robotAt.z)), 0.05f);
}

} // namespace
