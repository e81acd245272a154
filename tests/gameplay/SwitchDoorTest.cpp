// Switches and doors frame by frame (1/32 s): what a switch shows and
// sounds for the contacts of the step before, doors that follow their
// switches whichever is updated first, and the crate a door or bridge
// knocks out of the robot's hands. Contacts are handed in by hand; no
// physics step runs.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 DOOR_AT(8.5f, 0.5f, 4.5f);
const float RISE = 2.0f / 32.0f;  // MoveDirection (0, 2, 0) for one update

class SwitchDoorTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        for (const char* sound : {SwitchComponent::ACTIVATE_SOUND, SwitchComponent::DEACTIVATE_SOUND,
                                  DoorComponent::OPEN_SOUND, DoorComponent::CLOSE_SOUND})
            System::GetInstance()->audioManager->LoadSound(sound);
    }
    GameObject* MakeSwitch(unsigned id, const glm::vec3& position)
    {
        GameObject* object = Make(SWITCH, position);
        Switch(object)->m_Id = id;
        return object;
    }
    GameObject* MakeDoor(unsigned id, const glm::vec3& position = DOOR_AT)
    {
        GameObject* object = Make(DOOR, position);
        Door(object)->m_Id = id;
        Door(object)->m_MoveDirection = glm::vec3(0.0f, 2.0f, 0.0f);
        return object;
    }
    static SwitchComponent* Switch(GameObject* object)
    {
        return dynamic_cast<SwitchComponent*>(object->GetComponent(CT_SWITCH));
    }
    static DoorComponent* Door(GameObject* object)
    {
        return dynamic_cast<DoorComponent*>(object->GetComponent(CT_DOOR));
    }
    static std::string Texture(GameObject* object) { return Graphics(object)->GetTextureName(); }
    int Plays(const char* sound) { return Audio()->CountPlays(sound); }
    // One update of a switch after a step in which `by` touched it (none: null).
    static void Step(GameObject* switchObject, GameObject* by)
    {
        if (by) switchObject->NotifyCollision(by);
        switchObject->UpdateComponents();
    }
};

TEST_F(SwitchDoorTest, SwitchShowsTheLastStepAndSoundsOnlyWhenItChanges)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f, 9.0f, 0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f, 12.0f, 0.0f));
    GameObject* plate = MakeSwitch(1, glm::vec3(1.5f, -0.5f, 1.5f));

    // A fresh switch is red and silent; nulls and cubes do not press it.
    Step(plate, nullptr);
    plate->NotifyCollision(nullptr);
    Step(plate, cube);
    EXPECT_EQ(Texture(plate), "switch_red");
    EXPECT_FALSE(Switch(plate)->IsShownPressed());
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 0);

    // A crate lying on it: green for as long as it lies there, one sound.
    for (int update = 0; update < 40; ++update) Step(plate, crate);
    EXPECT_EQ(Texture(plate), "switch_green");
    EXPECT_TRUE(Switch(plate)->IsShownPressed());
    EXPECT_FALSE(Switch(plate)->m_IsPressed);
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 1);

    // Released: red on the next update, one sound.
    for (int update = 0; update < 5; ++update) Step(plate, nullptr);
    EXPECT_EQ(Texture(plate), "switch_red");
    EXPECT_FALSE(Switch(plate)->IsShownPressed());
    EXPECT_EQ(Plays(SwitchComponent::DEACTIVATE_SOUND), 1);

    // Two bodies in one step press it once, and after such a press it still
    // sounds on release and on the next press.
    plate->NotifyCollision(robot);
    Step(plate, crate);
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 2);
    Step(plate, nullptr);
    EXPECT_EQ(Plays(SwitchComponent::DEACTIVATE_SOUND), 2);
    Step(plate, robot);
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 3);

    // A fresh switch pressed by two bodies in its first step sounds too.
    GameObject* second = MakeSwitch(1, glm::vec3(2.5f, -0.5f, 1.5f));
    second->NotifyCollision(crate);
    Step(second, robot);
    EXPECT_EQ(Plays(SwitchComponent::ACTIVATE_SOUND), 4);

    // A copy takes the Id and the press, not what the original shows.
    SwitchComponent copy;
    second->NotifyCollision(crate);
    copy.CopyFrom(Switch(second));
    EXPECT_EQ(copy.m_Id, 1u);
    EXPECT_TRUE(copy.m_IsPressed);
    EXPECT_FALSE(copy.IsShownPressed());
}

TEST_F(SwitchDoorTest, PressedDoorRisesForOneSecondThenSinksBack)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* plate = MakeSwitch(4, glm::vec3(1.5f, -0.5f, 1.5f));
    MakeSwitch(5, glm::vec3(2.5f, -0.5f, 1.5f));  // another Id: not linked
    GameObject* door = MakeDoor(4);
    DoorComponent* part = Door(door);
    part->FindSwitches();
    ASSERT_EQ(part->GetSwitches(), std::vector<SwitchComponent*>{Switch(plate)});

    for (int update = 1; update <= 32; ++update) {
        Step(plate, crate);
        door->UpdateComponents();
        EXPECT_EQ(door->position.y, DOOR_AT.y + RISE * update) << update;
        EXPECT_EQ(part->m_State, DoorComponent::STATE_OPENING);
    }
    EXPECT_EQ(door->position, DOOR_AT + glm::vec3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(part->m_Progress, 1.0f);
    EXPECT_FALSE(door->flags & OBJ_WORLD_VALID);
    for (int update = 0; update < 8; ++update) {
        Step(plate, crate);
        door->UpdateComponents();
    }
    EXPECT_EQ(door->position.y, DOOR_AT.y + 2.0f);
    EXPECT_TRUE(part->m_IsOpen);
    EXPECT_EQ(Plays(DoorComponent::OPEN_SOUND), 1);
    EXPECT_EQ(Plays(DoorComponent::CLOSE_SOUND), 0);

    // Released: 32 updates back down, resting on the last.
    for (int update = 1; update <= 32; ++update) {
        Step(plate, nullptr);
        door->UpdateComponents();
        EXPECT_EQ(door->position.y, DOOR_AT.y + 2.0f - RISE * update) << update;
        EXPECT_EQ(part->m_State, update < 32 ? DoorComponent::STATE_CLOSING : DoorComponent::STATE_RESTING);
    }
    EXPECT_EQ(door->position, DOOR_AT);
    EXPECT_FALSE(part->m_IsOpen);
    door->UpdateComponents();
    EXPECT_EQ(door->position, DOOR_AT);
    EXPECT_EQ(Plays(DoorComponent::CLOSE_SOUND), 1);

    // Pressed again, it opens with its sound again.
    Step(plate, crate);
    door->UpdateComponents();
    EXPECT_EQ(Plays(DoorComponent::OPEN_SOUND), 2);
}

TEST_F(SwitchDoorTest, DoorsOpenWhicheverTheyAreUpdatedBeforeOrAfterTheirSwitch)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* before = MakeDoor(2);
    GameObject* plate = MakeSwitch(2, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* after = MakeDoor(2, DOOR_AT + glm::vec3(2.0f, 0.0f, 0.0f));
    ASSERT_LT(before->id, plate->id);
    ASSERT_GT(after->id, plate->id);
    Door(before)->FindSwitches();
    Door(after)->FindSwitches();

    // As a level runs them: in id order, the contacts arriving between frames.
    for (int frame = 1; frame <= 40; ++frame) {
        plate->NotifyCollision(crate);
        UpdateObjects();
        if (frame == 1) {
            EXPECT_EQ(after->position.y, DOOR_AT.y + RISE);
            EXPECT_EQ(before->position.y, DOOR_AT.y);  // it sees the switch one update later
        }
    }
    EXPECT_EQ(before->position.y, DOOR_AT.y + 2.0f);
    EXPECT_EQ(after->position.y, DOOR_AT.y + 2.0f);
}

TEST_F(SwitchDoorTest, DoorWithoutSwitchesOpensAtOnceAndOneWithTwoWaitsForBoth)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    GameObject* lone = MakeDoor(9);
    Door(lone)->FindSwitches();
    EXPECT_TRUE(Door(lone)->GetSwitches().empty());
    lone->UpdateComponents();
    EXPECT_EQ(lone->position.y, DOOR_AT.y + RISE);
    EXPECT_EQ(Plays(DoorComponent::OPEN_SOUND), 1);
    for (int update = 0; update < 50; ++update) lone->UpdateComponents();
    EXPECT_EQ(lone->position.y, DOOR_AT.y + 2.0f);

    const glm::vec3 at = DOOR_AT + glm::vec3(0.0f, 0.0f, 3.0f);
    GameObject* a = MakeSwitch(6, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* b = MakeSwitch(6, glm::vec3(2.5f, -0.5f, 1.5f));
    GameObject* door = MakeDoor(6, at);
    Door(door)->FindSwitches();
    EXPECT_EQ(Door(door)->GetSwitches().size(), 2u);

    // Only one pressed: the door does not move.
    for (int update = 0; update < 4; ++update) {
        Step(a, crate);
        Step(b, nullptr);
        door->UpdateComponents();
    }
    EXPECT_EQ(door->position, at);
    // Both: it rises ten steps; one let go: it comes back from there.
    for (int update = 0; update < 10; ++update) {
        Step(a, crate);
        Step(b, crate);
        door->UpdateComponents();
    }
    EXPECT_EQ(door->position.y, at.y + 10 * RISE);
    for (int update = 1; update <= 10; ++update) {
        Step(a, crate);
        Step(b, nullptr);
        door->UpdateComponents();
        EXPECT_EQ(door->position.y, at.y + (10 - update) * RISE);
    }
    EXPECT_EQ(Door(door)->m_State, DoorComponent::STATE_RESTING);
    EXPECT_EQ(door->position, at);

    // A switch that is gone counts as released.
    for (int update = 0; update < 3; ++update) {
        Step(a, crate);
        Step(b, crate);
        door->UpdateComponents();
    }
    b->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(Door(door)->GetSwitches().size(), 1u);
    Step(a, crate);
    door->UpdateComponents();
    EXPECT_EQ(door->position.y, at.y + 2 * RISE);
}

TEST_F(SwitchDoorTest, DoorReadsItsFieldsAndEndsExactlyWithUnevenFrames)
{
    GameObject* door = Make(DOOR, DOOR_AT);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Id>12</Id><MoveDirection>0 -1 0</MoveDirection>"), tinyxml2::XML_SUCCESS);
    Door(door)->Read(doc.FirstChildElement());
    EXPECT_EQ(Door(door)->m_Id, 12u);
    EXPECT_EQ(Door(door)->m_MoveDirection, glm::vec3(0.0f, -1.0f, 0.0f));

    // 0.03 s frames do not divide a second: the last step is shorter and the
    // door stops exactly one MoveDirection away, then comes back exactly.
    System::GetInstance()->frameRateController->dt = 0.03;
    Door(door)->FindSwitches();
    for (int update = 0; update < 40; ++update) door->UpdateComponents();
    EXPECT_EQ(Door(door)->m_Progress, 1.0f);
    EXPECT_NEAR(door->position.y, DOOR_AT.y - 1.0f, 1e-5f);
    // A linked switch that is not pressed: back to the start.
    GameObject* plate = MakeSwitch(12, glm::vec3(1.5f, -0.5f, 1.5f));
    Door(door)->FindSwitches();
    Step(plate, nullptr);
    for (int update = 0; update < 40; ++update) door->UpdateComponents();
    EXPECT_EQ(Door(door)->m_Progress, 0.0f);
    EXPECT_NEAR(door->position.y, DOOR_AT.y, 1e-5f);
    EXPECT_EQ(Door(door)->m_State, DoorComponent::STATE_RESTING);
}

TEST_F(SwitchDoorTest, ACarriedCrateThatTouchesADoorOrABridgeIsPutDown)
{
    GameObject* robot = Make(PLAYER, glm::vec3(4.5f, 0.5f, 8.5f));
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    player->m_IsSpawnOnCreation = false;
    robot->InitComponents();
    GameObject* door = MakeDoor(1);
    GameObject* bridge = Make(BRIDGE, glm::vec3(2.5f, 0.5f, 2.5f));
    GameObject* crate = Make(CRATE, glm::vec3(4.5f, 1.5f, 7.5f));
    GameObject* loose = Make(CRATE, glm::vec3(9.5f, 0.5f, 7.5f));

    // No main player yet: nothing happens.
    player->PickUpCrate(crate);
    door->NotifyCollision(crate);
    EXPECT_EQ(player->GetCarriedCrate(), crate);

    System::GetInstance()->playerOne = robot;
    door->NotifyCollision(nullptr);
    door->NotifyCollision(loose);
    door->NotifyCollision(robot);
    EXPECT_EQ(player->GetCarriedCrate(), crate);
    Body(crate)->flags &= ~BODY_AWAKE;
    door->NotifyCollision(crate);
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_TRUE(Body(crate)->flags & BODY_AWAKE);

    player->PickUpCrate(crate);
    bridge->NotifyCollision(crate);
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);

    // Another robot's crate is not the main player's: it stays carried.
    GameObject* other = Make(PLAYER, glm::vec3(0.5f, 0.5f, 0.5f));
    auto* otherPlayer = dynamic_cast<PlayerComponent*>(other->GetComponent(CT_PLAYER));
    otherPlayer->PickUpCrate(loose);
    bridge->NotifyCollision(loose);
    EXPECT_EQ(otherPlayer->GetCarriedCrate(), loose);

    // A main player without a player component, or one gone, is skipped.
    robot->RemoveComponent(CT_PLAYER);
    door->NotifyCollision(crate);
    System::GetInstance()->playerOne = loose;
    door->NotifyCollision(loose);
    EXPECT_EQ(otherPlayer->GetCarriedCrate(), loose);
    System::GetInstance()->playerOne = nullptr;
}

} // namespace
