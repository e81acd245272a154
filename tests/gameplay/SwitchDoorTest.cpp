// Switches and doors frame by frame (1/32 s), contacts handed in by hand:
// what a switch shows and sounds, doors that follow their switches whichever
// is updated first, and the crate a door or bridge knocks out of the hands.
#include <gtest/gtest.h>

#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 AT(8.5f, 0.5f, 4.5f);
const float RISE = 2.0f / 32.0f;  // MoveDirection (0, 2, 0) over one update

class SwitchDoorTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        for (const char* sound : {SwitchComponent::ACTIVATE_SOUND, SwitchComponent::DEACTIVATE_SOUND,
                                  DoorComponent::OPEN_SOUND, DoorComponent::CLOSE_SOUND})
            System::GetInstance()->audioManager->LoadSound(sound);
        crate = Make(CRATE, glm::vec3(0.0f, 9.0f, 0.0f));
    }
    GameObject* MakeSwitch(unsigned id, float x)
    {
        GameObject* object = Make(SWITCH, glm::vec3(x, -0.5f, 1.5f));
        Switch(object)->m_Id = id;
        return object;
    }
    // A door rising 2 a second, linked to the switches that exist.
    GameObject* MakeDoor(unsigned id, const glm::vec3& at = AT)
    {
        GameObject* object = Make(DOOR, at);
        Door(object)->m_Id = id;
        Door(object)->m_MoveDirection = glm::vec3(0.0f, 2.0f, 0.0f);
        Door(object)->FindSwitches();
        return object;
    }
    static SwitchComponent* Switch(GameObject* o) { return dynamic_cast<SwitchComponent*>(o->GetComponent(CT_SWITCH)); }
    static DoorComponent* Door(GameObject* o) { return dynamic_cast<DoorComponent*>(o->GetComponent(CT_DOOR)); }
    int Plays(const char* sound) { return Audio()->CountPlays(sound); }
    // One switch update after a step in which `by` touched it (null: nothing did).
    static void Step(GameObject* plate, GameObject* by)
    {
        if (by) plate->NotifyCollision(by);
        plate->UpdateComponents();
    }

    GameObject* crate = nullptr;
};

TEST_F(SwitchDoorTest, SwitchShowsTheLastStepAndSoundsOnlyWhenItChanges)
{
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* plate = MakeSwitch(1, 1.5f);
    plate->NotifyCollision(nullptr);
    Step(plate, Make(CUBE, glm::vec3(0.0f, 12.0f, 0.0f)));
    EXPECT_EQ(Graphics(plate)->GetTextureName(), "switch_red");
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 0);

    // A crate lying on it keeps it green with one sound; released, red with one.
    for (int update = 0; update < 40; ++update) Step(plate, crate);
    EXPECT_EQ(Graphics(plate)->GetTextureName(), "switch_green");
    EXPECT_TRUE(Switch(plate)->IsShownPressed());
    for (int update = 0; update < 5; ++update) Step(plate, nullptr);
    EXPECT_EQ(Graphics(plate)->GetTextureName(), "switch_red");
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 1);
    EXPECT_EQ(Plays(SwitchComponent::DEACTIVATE_SOUND), 1);

    // Two bodies in one step (here a fresh switch's first): one sound, and
    // the switch goes on sounding at each change.
    GameObject* fresh = MakeSwitch(1, 2.5f);
    fresh->NotifyCollision(robot);
    Step(fresh, crate);
    Step(fresh, nullptr);
    Step(fresh, robot);
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 3);
    EXPECT_EQ(Plays(SwitchComponent::DEACTIVATE_SOUND), 2);
}

TEST_F(SwitchDoorTest, DoorsFollowTheirSwitchWhicheverIsUpdatedFirst)
{
    GameObject* before = MakeDoor(4, AT + glm::vec3(2.0f, 0.0f, 0.0f));
    GameObject* plate = MakeSwitch(4, 1.5f);
    MakeSwitch(5, 2.5f);  // another Id
    GameObject* door = MakeDoor(4);
    Door(before)->FindSwitches();
    ASSERT_EQ(Door(door)->GetSwitches(), std::vector<SwitchComponent*>{Switch(plate)});
    ASSERT_GT(door->id, plate->id);
    DoorComponent* part = Door(door);

    // In id order, as a level runs them, the crate's contact between frames.
    for (int update = 1; update <= 40; ++update) {
        plate->NotifyCollision(crate);
        UpdateObjects();
        EXPECT_EQ(door->position.y, AT.y + RISE * std::min(update, 32)) << update;
        EXPECT_EQ(part->m_State, DoorComponent::STATE_OPENING);
    }
    EXPECT_EQ(part->m_Progress, 1.0f);
    EXPECT_EQ(before->position.y, AT.y + 2.0f);  // a frame behind, there all the same
    EXPECT_EQ(Plays(DoorComponent::OPEN_SOUND), 2);

    for (int update = 1; update <= 32; ++update) {
        UpdateObjects();
        EXPECT_EQ(door->position.y, AT.y + 2.0f - RISE * update) << update;
        EXPECT_EQ(part->m_State, update < 32 ? DoorComponent::STATE_CLOSING : DoorComponent::STATE_RESTING);
    }
    UpdateObjects();
    EXPECT_EQ(door->position, AT);
    EXPECT_EQ(before->position, AT + glm::vec3(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(Plays(DoorComponent::CLOSE_SOUND), 2);
}

TEST_F(SwitchDoorTest, DoorWithoutSwitchesOpensAtOnceAndOneWithTwoWaitsForBoth)
{
    GameObject* lone = MakeDoor(9);
    lone->UpdateComponents();
    EXPECT_EQ(lone->position.y, AT.y + RISE);
    EXPECT_EQ(Plays(DoorComponent::OPEN_SOUND), 1);

    const glm::vec3 at = AT + glm::vec3(0.0f, 0.0f, 3.0f);
    GameObject* a = MakeSwitch(6, 1.5f);
    GameObject* b = MakeSwitch(6, 2.5f);
    GameObject* door = MakeDoor(6, at);
    auto frame = [&](bool pressB) {
        Step(a, crate);
        Step(b, pressB ? crate : nullptr);
        door->UpdateComponents();
    };
    for (int update = 0; update < 4; ++update) frame(false);
    EXPECT_EQ(door->position, at);
    for (int update = 0; update < 10; ++update) frame(true);
    EXPECT_EQ(door->position.y, at.y + 10 * RISE);
    // One let go: back from where it is.
    for (int update = 1; update <= 10; ++update) {
        frame(false);
        EXPECT_EQ(door->position.y, at.y + (10 - update) * RISE);
    }
    EXPECT_EQ(Door(door)->m_State, DoorComponent::STATE_RESTING);

    // A switch that is gone counts as released.
    for (int update = 0; update < 3; ++update) frame(true);
    b->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(Door(door)->GetSwitches().size(), 1u);
    Step(a, crate);
    door->UpdateComponents();
    EXPECT_EQ(door->position.y, at.y + 2 * RISE);

    // Frames that do not divide a second: the door still ends exactly
    // MoveDirection away, and exactly back.
    System::GetInstance()->frameRateController->dt = 0.03;
    for (int update = 0; update < 40; ++update) lone->UpdateComponents();
    EXPECT_EQ(Door(lone)->m_Progress, 1.0f);
    EXPECT_NEAR(lone->position.y, AT.y + 2.0f, 1e-5f);
}

TEST_F(SwitchDoorTest, ACarriedCrateThatTouchesADoorOrABridgeIsPutDown)
{
    GameObject* robot = Make(PLAYER, glm::vec3(4.5f, 0.5f, 8.5f));
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    GameObject* door = MakeDoor(1);
    GameObject* bridge = Make(BRIDGE, glm::vec3(2.5f, 0.5f, 2.5f));
    GameObject* other = Make(CRATE, glm::vec3(9.5f, 0.5f, 7.5f));

    player->PickUpCrate(crate);
    door->NotifyCollision(crate);  // no main player yet
    EXPECT_EQ(player->GetCarriedCrate(), crate);
    System::GetInstance()->playerOne = robot;
    for (GameObject* bystander : {static_cast<GameObject*>(nullptr), other, robot}) door->NotifyCollision(bystander);
    EXPECT_EQ(player->GetCarriedCrate(), crate);
    Body(crate)->flags &= ~BODY_AWAKE;
    door->NotifyCollision(crate);
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_TRUE(Body(crate)->flags & BODY_AWAKE);
    player->PickUpCrate(crate);
    bridge->NotifyCollision(crate);
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);

    // A main player without a player component, or that is no robot, is skipped.
    robot->RemoveComponent(CT_PLAYER);
    door->NotifyCollision(crate);
    System::GetInstance()->playerOne = other;
    bridge->NotifyCollision(other);
    System::GetInstance()->playerOne = nullptr;
}

} // namespace
