// Bridges and bridge triggers frame by frame (1/32 s): growth along the axis
// with one end fixed, the exact limits, either side of the origin, the wait
// before each movement, reversed bridges, degenerate axes, and the triggers
// that drive them with their holograms. Contacts are handed in by hand.
#include <gtest/gtest.h>

#include <cmath>

#include <tinyxml2.h>

#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 THIN(1.0f, 0.2f, 1.0f);
const glm::vec3 X_AXIS(1.0f, 0.0f, 0.0f);

class BridgeTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(BridgeComponent::MOVE_SOUND);
    }
    // A bridge of scale THIN at x, growing 3 along +x at speed 2 without delay.
    GameObject* MakeBridge(float x, float speed = 2.0f, const glm::vec3& scale = THIN, bool reversed = false)
    {
        GameObject* object = Make(BRIDGE, glm::vec3(x, 0.5f, 2.5f));
        object->scale = scale;
        BridgeComponent* part = Bridge(object);
        part->m_ExtendAxis = X_AXIS;
        part->m_ExtensionAmount = 3.0f;
        part->m_ExtendSpeed = speed;
        part->m_DelayTime = 0.0f;
        part->m_IsReverseGrowShrink = reversed;
        object->InitComponents();
        return object;
    }
    GameObject* MakeTrigger(unsigned id, const glm::vec3& position)
    {
        GameObject* object = Make(BRIDGETRIGGER, position);
        Trigger(object)->m_TriggerID = id;
        object->InitComponents();
        return object;
    }
    static BridgeComponent* Bridge(GameObject* object)
    {
        return dynamic_cast<BridgeComponent*>(object->GetComponent(CT_BRIDGE));
    }
    static BridgeTriggerComponent* Trigger(GameObject* object)
    {
        return dynamic_cast<BridgeTriggerComponent*>(object->GetComponent(CT_BRIDGETRIGGER));
    }
    // Updates a bridge n times with its active flag held.
    static void Run(GameObject* bridge, int n, bool active)
    {
        for (int i = 0; i < n; ++i) {
            Bridge(bridge)->m_IsActive = active;
            bridge->UpdateComponents();
        }
    }
    int MoveSounds() { return Audio()->CountPlays(BridgeComponent::MOVE_SOUND); }
    static bool Hidden(const GameObject* object)
    {
        return !(object->flags & OBJ_ACTIVE) && (object->flags & OBJ_SKIP_DRAW);
    }
};

TEST_F(BridgeTest, PressedBridgeGrowsAlongItsAxisWithTheNearEndFixed)
{
    GameObject* bridge = MakeBridge(5.0f);
    for (int update = 1; update <= 48; ++update) {
        Run(bridge, 1, true);
        EXPECT_EQ(bridge->scale, glm::vec3(1.0f + 0.0625f * update, 0.2f, 1.0f)) << update;
        EXPECT_EQ(bridge->position.x - bridge->scale.x / 2.0f, 4.5f) << update;
        EXPECT_TRUE(Bridge(bridge)->m_IsExtending);
    }
    EXPECT_EQ(bridge->position, glm::vec3(6.5f, 0.5f, 2.5f));
    EXPECT_FALSE(bridge->flags & OBJ_WORLD_VALID);
    Run(bridge, 1, true);
    EXPECT_FALSE(Bridge(bridge)->m_IsExtending);
    EXPECT_EQ(bridge->scale, glm::vec3(4.0f, 0.2f, 1.0f));
    EXPECT_EQ(MoveSounds(), 1);

    // At its limit it stays there, silent, even once the sound has ended.
    Audio()->Channel(System::GetInstance()->audioManager->GetChannel(BridgeComponent::MOVE_SOUND)->GetIndex())
        ->Finish();
    Run(bridge, 20, true);
    EXPECT_EQ(bridge->position, glm::vec3(6.5f, 0.5f, 2.5f));
    EXPECT_EQ(MoveSounds(), 1);

    // Released: it shrinks back the same way, with the sound again.
    Run(bridge, 49, false);
    EXPECT_EQ(bridge->scale, THIN);
    EXPECT_EQ(bridge->position, glm::vec3(5.0f, 0.5f, 2.5f));
    EXPECT_FALSE(Bridge(bridge)->m_IsExtending);
    EXPECT_EQ(MoveSounds(), 2);
}

TEST_F(BridgeTest, FastBridgeStopsExactlyAtItsLengthOnEitherSideOfTheOrigin)
{
    // Speed 400 would overshoot by far: the step ends at the extended length,
    // and the bridge does not thicken across its axis.
    GameObject* fast = MakeBridge(5.0f, 400.0f);
    Run(fast, 1, true);
    EXPECT_EQ(fast->scale, glm::vec3(4.0f, 0.2f, 1.0f));
    EXPECT_EQ(fast->position, glm::vec3(6.5f, 0.5f, 2.5f));
    Run(fast, 1, false);
    EXPECT_EQ(fast->scale, THIN);
    EXPECT_EQ(fast->position, glm::vec3(5.0f, 0.5f, 2.5f));

    // At negative coordinates it grows just the same.
    GameObject* west = MakeBridge(-10.0f);
    Run(west, 49, true);
    EXPECT_EQ(west->scale, glm::vec3(4.0f, 0.2f, 1.0f));
    EXPECT_EQ(west->position, glm::vec3(-8.5f, 0.5f, 2.5f));
    EXPECT_FALSE(Bridge(west)->m_IsExtending);

    // Growing toward -x along "-1 0 0": the +x end stays.
    GameObject* back = MakeBridge(-2.0f);
    Bridge(back)->m_IsPositiveDirection = false;
    Bridge(back)->m_ExtendAxis = glm::vec3(-2.0f, 0.0f, 0.0f);
    Run(back, 60, true);
    EXPECT_EQ(back->scale, glm::vec3(4.0f, 0.2f, 1.0f));
    EXPECT_EQ(back->position, glm::vec3(-3.5f, 0.5f, 2.5f));

    // Along z.
    GameObject* north = MakeBridge(0.0f, 400.0f);
    Bridge(north)->m_ExtendAxis = glm::vec3(0.0f, 0.0f, 1.0f);
    Run(north, 1, true);
    EXPECT_EQ(north->scale, glm::vec3(1.0f, 0.2f, 4.0f));
    EXPECT_EQ(north->position, glm::vec3(0.0f, 0.5f, 4.0f));
}

TEST_F(BridgeTest, DelayTimeWaitsBeforeEachMovement)
{
    GameObject* bridge = MakeBridge(5.0f);
    Bridge(bridge)->m_DelayTime = 0.25f;
    Run(bridge, 7, true);
    EXPECT_EQ(bridge->scale, THIN);
    EXPECT_EQ(MoveSounds(), 0);
    Run(bridge, 1, true);
    EXPECT_EQ(bridge->scale.x, 1.0625f);
    EXPECT_EQ(MoveSounds(), 1);
    Run(bridge, 47, true);
    EXPECT_EQ(bridge->scale.x, 4.0f);

    // Arrived (the next update), then released: another wait of 8 updates.
    Run(bridge, 1, true);
    EXPECT_FALSE(Bridge(bridge)->m_IsExtending);
    Run(bridge, 7, false);
    EXPECT_EQ(bridge->scale.x, 4.0f);
    Run(bridge, 1, false);
    EXPECT_EQ(bridge->scale.x, 3.9375f);
}

TEST_F(BridgeTest, ReversedBridgeStartsExtendedAndRetractsWhilePressed)
{
    GameObject* bridge = MakeBridge(6.5f, 2.0f, glm::vec3(4.0f, 0.2f, 1.0f), true);
    EXPECT_EQ(Bridge(bridge)->m_BaseScale, THIN);
    EXPECT_EQ(Bridge(bridge)->m_Anchor, glm::vec3(5.0f, 0.5f, 2.5f));
    Run(bridge, 10, false);
    EXPECT_EQ(bridge->scale.x, 4.0f);
    EXPECT_EQ(MoveSounds(), 0);
    for (int update = 1; update <= 48; ++update) {
        Run(bridge, 1, true);
        EXPECT_EQ(bridge->position.x - bridge->scale.x / 2.0f, 4.5f) << update;
    }
    EXPECT_EQ(bridge->scale, THIN);
    EXPECT_EQ(bridge->position, glm::vec3(5.0f, 0.5f, 2.5f));

    // Growing toward -x, the retracted bridge is anchored on the other side.
    GameObject* west = Make(BRIDGE, glm::vec3(3.5f, 0.5f, 2.5f));
    west->scale = glm::vec3(4.0f, 0.2f, 1.0f);
    Bridge(west)->m_ExtendAxis = X_AXIS;
    Bridge(west)->m_ExtensionAmount = 3.0f;
    Bridge(west)->m_IsPositiveDirection = false;
    Bridge(west)->m_IsReverseGrowShrink = true;
    west->InitComponents();
    EXPECT_EQ(Bridge(west)->m_Anchor, glm::vec3(5.0f, 0.5f, 2.5f));
}

TEST_F(BridgeTest, BridgeWithoutAnAxisOrWithANegativeSpeedStaysPut)
{
    GameObject* still = MakeBridge(5.0f);
    Bridge(still)->m_ExtendAxis = glm::vec3(0.0f);
    Run(still, 10, true);
    EXPECT_EQ(still->scale, THIN);
    EXPECT_EQ(still->position, glm::vec3(5.0f, 0.5f, 2.5f));
    EXPECT_EQ(Bridge(still)->m_DelayTimer, 0.0f);

    GameObject* odd = MakeBridge(5.0f);
    Bridge(odd)->m_ExtendAxis = glm::vec3(NAN, 0.0f, 0.0f);
    Run(odd, 3, true);
    EXPECT_EQ(odd->scale, THIN);

    GameObject* backwards = MakeBridge(5.0f, -2.0f);
    Run(backwards, 10, true);
    EXPECT_EQ(backwards->scale, THIN);
    EXPECT_EQ(backwards->position, glm::vec3(5.0f, 0.5f, 2.5f));

    // A zero axis read from a file leaves Init's shape alone too.
    GameObject* read = Make(BRIDGE, glm::vec3(1.0f, 0.5f, 1.0f));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<ExtendAxis>0 0 0</ExtendAxis><ExtensionAmount>3</ExtensionAmount>"
                        "<ReverseGrowShrink>true</ReverseGrowShrink><TriggerID>4</TriggerID>"),
              tinyxml2::XML_SUCCESS);
    Bridge(read)->Read(doc.FirstChildElement());
    read->InitComponents();
    EXPECT_EQ(Bridge(read)->m_TriggerID, 4u);
    EXPECT_EQ(Bridge(read)->m_BaseScale, glm::vec3(1.0f));
    EXPECT_EQ(Bridge(read)->m_Anchor, glm::vec3(1.0f, 0.5f, 1.0f));
}

TEST_F(BridgeTest, TriggersDriveTheirBridgesAndTheirHolograms)
{
    GameObject* bridge = MakeBridge(5.0f);
    Bridge(bridge)->m_TriggerID = 3;
    GameObject* other = MakeBridge(9.0f);
    Bridge(other)->m_TriggerID = 8;
    GameObject* pad = MakeTrigger(3, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* padB = MakeTrigger(3, glm::vec3(2.5f, -0.5f, 1.5f));
    Bridge(bridge)->FindTriggers();
    Bridge(other)->FindTriggers();
    ASSERT_EQ(Trigger(pad)->GetBridges(), std::vector<BridgeComponent*>{Bridge(bridge)});
    ASSERT_EQ(Trigger(padB)->GetBridges(), std::vector<BridgeComponent*>{Bridge(bridge)});

    std::vector<GameObject*> holograms = All(BRIDGETRIGGERHOLOGRAM);
    ASSERT_EQ(holograms.size(), 2u);
    GameObject* hologram = holograms[0];
    EXPECT_EQ(hologram->position, pad->position + glm::vec3(0.0f, 1.5f, 0.0f));
    EXPECT_EQ(hologram->scale, glm::vec3(0.5f, 0.8f, 0.5f));

    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f, 9.0f, 0.0f));
    pad->NotifyCollision(nullptr);
    pad->NotifyCollision(cube);
    pad->UpdateComponents();
    EXPECT_FALSE(Bridge(bridge)->m_IsActive);
    EXPECT_FALSE(Hidden(hologram));
    const glm::vec3 angles = GameObject::QuatToEulerDegrees(hologram->rotation);
    EXPECT_NEAR(angles.x, 15.0f / 32.0f, 1e-3f);
    EXPECT_NEAR(angles.z, 15.0f / 32.0f, 1e-3f);

    pad->NotifyCollision(crate);
    pad->UpdateComponents();
    EXPECT_TRUE(Bridge(bridge)->m_IsActive);
    EXPECT_FALSE(Bridge(other)->m_IsActive);
    EXPECT_TRUE(Hidden(hologram));
    EXPECT_FALSE(Trigger(pad)->m_IsPressed);
    // The trigger updated last decides.
    padB->UpdateComponents();
    EXPECT_FALSE(Bridge(bridge)->m_IsActive);
    // The press lasts one update.
    pad->UpdateComponents();
    EXPECT_FALSE(Hidden(hologram));

    // A bridge that is gone is skipped.
    bridge->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_TRUE(Trigger(pad)->GetBridges().empty());
    pad->NotifyCollision(crate);
    pad->UpdateComponents();

    pad->FreeComponents();
    EXPECT_TRUE(Marked(hologram));
    EXPECT_EQ(Trigger(pad)->m_Hologram, nullptr);
}

TEST_F(BridgeTest, TriggerWithoutBridgesOrHologramStillWorks)
{
    GameObject* pad = MakeTrigger(1, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* hologram = Trigger(pad)->m_Hologram;
    ASSERT_NE(hologram, nullptr);
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    pad->NotifyCollision(crate);
    pad->UpdateComponents();
    EXPECT_FALSE(Hidden(hologram));  // nothing linked: shown as made

    // A full pool leaves the hologram out; the trigger drives its bridge all the same.
    GameObject* bridge = MakeBridge(5.0f);
    Bridge(bridge)->m_TriggerID = 2;
    GameObject* bare = Make(BRIDGETRIGGER, glm::vec3(2.5f, -0.5f, 1.5f));
    Trigger(bare)->m_TriggerID = 2;
    FillPool();
    bare->InitComponents();
    EXPECT_EQ(Trigger(bare)->m_Hologram, nullptr);
    Bridge(bridge)->FindTriggers();
    bare->NotifyCollision(crate);
    bare->UpdateComponents();
    EXPECT_TRUE(Bridge(bridge)->m_IsActive);
    bare->FreeComponents();
}

} // namespace
