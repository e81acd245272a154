// Bridges and bridge triggers frame by frame (1/32 s), contacts handed in by
// hand: growth with one end fixed, exact limits on either side of the
// origin, the wait before each movement, reversed bridges, degenerate axes,
// and the triggers with their holograms.
#include <gtest/gtest.h>

#include <cmath>

#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 THIN(1.0f, 0.2f, 1.0f);
const glm::vec3 LONG(4.0f, 0.2f, 1.0f);

glm::vec3 At(float x) { return glm::vec3(x, 0.5f, 2.5f); }

class BridgeTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(BridgeComponent::MOVE_SOUND);
    }
    // A bridge at x growing 3 along +x at the speed, without delay.
    GameObject* MakeBridge(float x, float speed = 2.0f, const glm::vec3& scale = THIN, bool reversed = false)
    {
        GameObject* object = Make(BRIDGE, At(x));
        object->scale = scale;
        BridgeComponent* part = Bridge(object);
        part->m_ExtendAxis = glm::vec3(1.0f, 0.0f, 0.0f);
        part->m_ExtensionAmount = 3.0f;
        part->m_ExtendSpeed = speed;
        part->m_IsReverseGrowShrink = reversed;
        object->InitComponents();
        return object;
    }
    static BridgeComponent* Bridge(GameObject* o) { return dynamic_cast<BridgeComponent*>(o->GetComponent(CT_BRIDGE)); }
    static BridgeTriggerComponent* Trigger(GameObject* o)
    {
        return dynamic_cast<BridgeTriggerComponent*>(o->GetComponent(CT_BRIDGETRIGGER));
    }
    // Updates a bridge n times with its active flag held.
    static void Run(GameObject* bridge, int n, bool active)
    {
        for (int i = 0; i < n; ++i) {
            Bridge(bridge)->m_IsActive = active;
            bridge->UpdateComponents();
        }
    }
    int Sounds() { return Audio()->CountPlays(BridgeComponent::MOVE_SOUND); }
    static bool Hidden(const GameObject* o) { return !(o->flags & OBJ_ACTIVE) && (o->flags & OBJ_SKIP_DRAW); }
};

TEST_F(BridgeTest, PressedBridgeGrowsWithItsNearEndFixedAndShrinksBack)
{
    GameObject* bridge = MakeBridge(5.0f);
    for (int update = 1; update <= 48; ++update) {
        Run(bridge, 1, true);
        EXPECT_EQ(bridge->scale, glm::vec3(1.0f + 0.0625f * update, 0.2f, 1.0f)) << update;
        EXPECT_EQ(bridge->position.x - bridge->scale.x / 2.0f, 4.5f) << update;
    }
    EXPECT_EQ(bridge->position, At(6.5f));
    EXPECT_TRUE(Bridge(bridge)->m_IsExtending);
    Run(bridge, 1, true);
    EXPECT_FALSE(Bridge(bridge)->m_IsExtending);

    // At its limit it stays, silent even once the sound has ended.
    AudioManager* audio = System::GetInstance()->audioManager;
    Audio()->Channel(audio->GetChannel(BridgeComponent::MOVE_SOUND)->GetIndex())->Finish();
    Run(bridge, 20, true);
    EXPECT_EQ(bridge->scale, LONG);
    EXPECT_EQ(Sounds(), 1);

    Run(bridge, 49, false);
    EXPECT_EQ(bridge->scale, THIN);
    EXPECT_EQ(bridge->position, At(5.0f));
    EXPECT_EQ(Sounds(), 2);
}

TEST_F(BridgeTest, BridgeStopsExactlyAtItsLengthWhereverItIs)
{
    // Speed 400 overshoots by far: the step ends at the full length, and
    // nothing grows across the axis.
    GameObject* fast = MakeBridge(5.0f, 400.0f);
    Run(fast, 1, true);
    EXPECT_EQ(fast->scale, LONG);
    EXPECT_EQ(fast->position, At(6.5f));
    Run(fast, 1, false);
    EXPECT_EQ(fast->scale, THIN);
    EXPECT_EQ(fast->position, At(5.0f));

    GameObject* west = MakeBridge(-10.0f);
    Run(west, 49, true);
    EXPECT_EQ(west->scale, LONG);
    EXPECT_EQ(west->position, At(-8.5f));

    // Toward -x (the axis's sign does not count): the +x end stays.
    GameObject* back = MakeBridge(-2.0f);
    Bridge(back)->m_IsPositiveDirection = false;
    Bridge(back)->m_ExtendAxis = glm::vec3(-2.0f, 0.0f, 0.0f);
    Run(back, 60, true);
    EXPECT_EQ(back->scale, LONG);
    EXPECT_EQ(back->position, At(-3.5f));

    // No axis, a broken one, a negative speed: nothing moves.
    GameObject* still = MakeBridge(0.0f);
    Bridge(still)->m_ExtendAxis = glm::vec3(0.0f);
    GameObject* broken = MakeBridge(2.0f);
    Bridge(broken)->m_ExtendAxis = glm::vec3(NAN, 0.0f, 0.0f);
    GameObject* backwards = MakeBridge(8.0f, -2.0f);
    for (GameObject* bridge : {still, broken, backwards}) {
        Run(bridge, 10, true);
        EXPECT_EQ(bridge->scale, THIN);
        EXPECT_FALSE(std::isnan(bridge->position.x));
    }
    EXPECT_EQ(still->position, At(0.0f));
    EXPECT_EQ(backwards->position, At(8.0f));
}

TEST_F(BridgeTest, DelayAndReversedBridges)
{
    GameObject* bridge = MakeBridge(5.0f);
    Bridge(bridge)->m_DelayTime = 0.25f;
    Run(bridge, 7, true);
    EXPECT_EQ(bridge->scale, THIN);
    Run(bridge, 1, true);
    EXPECT_EQ(bridge->scale.x, 1.0625f);
    Run(bridge, 48, true);  // the last arrives
    Run(bridge, 8, false);  // another wait, then the first step back
    EXPECT_EQ(bridge->scale.x, 3.9375f);

    // The file holds the extended shape: it retracts while pressed.
    GameObject* reversed = MakeBridge(6.5f, 2.0f, LONG, true);
    EXPECT_EQ(Bridge(reversed)->m_BaseScale, THIN);
    EXPECT_EQ(Bridge(reversed)->m_Anchor, At(5.0f));
    Run(reversed, 10, false);
    EXPECT_EQ(reversed->scale, LONG);
    EXPECT_EQ(Sounds(), 1);
    Run(reversed, 48, true);
    EXPECT_EQ(reversed->scale, THIN);
    EXPECT_EQ(reversed->position, At(5.0f));
}

TEST_F(BridgeTest, TriggersDriveTheirBridgesAndShowTheirHolograms)
{
    GameObject* bridge = MakeBridge(5.0f);
    GameObject* other = MakeBridge(9.0f);
    Bridge(bridge)->m_TriggerID = 3;
    Bridge(other)->m_TriggerID = 8;
    GameObject* pad = Make(BRIDGETRIGGER, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* padB = Make(BRIDGETRIGGER, glm::vec3(2.5f, -0.5f, 1.5f));
    for (GameObject* p : {pad, padB}) {
        Trigger(p)->m_TriggerID = 3;
        p->InitComponents();
    }
    Bridge(bridge)->FindTriggers();
    Bridge(other)->FindTriggers();
    ASSERT_EQ(Trigger(pad)->GetBridges(), std::vector<BridgeComponent*>{Bridge(bridge)});
    GameObject* hologram = Trigger(pad)->m_Hologram;
    ASSERT_NE(hologram, nullptr);
    EXPECT_EQ(hologram->position, pad->position + glm::vec3(0.0f, 1.5f, 0.0f));
    EXPECT_EQ(hologram->scale, glm::vec3(0.5f, 0.8f, 0.5f));

    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    pad->NotifyCollision(nullptr);
    pad->NotifyCollision(Make(CUBE, glm::vec3(0.0f, 9.0f, 0.0f)));
    pad->UpdateComponents();
    EXPECT_FALSE(Bridge(bridge)->m_IsActive);
    EXPECT_FALSE(Hidden(hologram));
    EXPECT_NEAR(GameObject::QuatToEulerDegrees(hologram->rotation).z, 15.0f / 32.0f, 1e-3f);
    pad->NotifyCollision(crate);
    pad->UpdateComponents();
    EXPECT_TRUE(Bridge(bridge)->m_IsActive);
    EXPECT_FALSE(Bridge(other)->m_IsActive);
    EXPECT_TRUE(Hidden(hologram));
    EXPECT_EQ(Graphics(pad)->GetTextureName(), "bridgetrigger_pressed");
    padB->UpdateComponents();  // the trigger updated last decides
    EXPECT_FALSE(Bridge(bridge)->m_IsActive);

    // A bridge that is gone is skipped; Free lets the hologram go.
    bridge->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_TRUE(Trigger(pad)->GetBridges().empty());
    pad->UpdateComponents();
    EXPECT_EQ(Graphics(pad)->GetTextureName(), "bridgetrigger");
    pad->FreeComponents();
    EXPECT_TRUE(Marked(hologram));

    // A full pool leaves the hologram out; the pad works all the same.
    Trigger(padB)->Free();
    FillPool();
    padB->InitComponents();
    EXPECT_EQ(Trigger(padB)->m_Hologram, nullptr);
    Trigger(padB)->m_Bridges.emplace_back(other);
    padB->NotifyCollision(crate);
    padB->UpdateComponents();
    EXPECT_TRUE(Bridge(other)->m_IsActive);
}

} // namespace
