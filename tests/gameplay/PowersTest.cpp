// The two powers frame by frame (1/32 s): the power manager's selection and
// the crates it gives powers to, the robot's power keys with the crate
// preview and the HUD icons, the explosion's blast and the teleport's swap.
#include <gtest/gtest.h>

#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/ExplodeComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/TeleportPowerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const int KEY_1 = 24;
const int KEY_2 = 25;
const int KEY_T = KEY_A + ('T' - 'A');
const glm::vec3 AT(4.5f, 0.5f, 8.5f);
const glm::vec3 AHEAD(0.0f, 0.0f, -1.0f);

class PowersTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        UseTestMaster("BARRIER.xml");
        for (const char* sound : {UI_CLICK_SOUND, ExplodeComponent::EXPLOSION_SOUND, TeleportPowerComponent::TELEPORT_SOUND})
            System::GetInstance()->audioManager->LoadSound(sound);
    }
    void TearDown() override
    {
        System::GetInstance()->playerOne = nullptr;
        GameplayTest::TearDown();
    }
    // A robot facing -z with the powers given, initialised.
    GameObject* MakeRobot(Components power1 = CT_EXPLODE, Components power2 = CT_TELEPORT, const glm::vec3& at = AT)
    {
        GameObject* robot = Make(PLAYER, at);
        Player(robot)->m_IsSpawnOnCreation = false;
        Player(robot)->m_Power1 = power1;
        Player(robot)->m_Power2 = power2;
        robot->rotation = glm::angleAxis(glm::radians(-90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        robot->InitComponents();
        return robot;
    }
    static PlayerComponent* Player(GameObject* robot) { return dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER)); }
    static TeleportPowerComponent* Teleport(GameObject* crate)
    {
        return dynamic_cast<TeleportPowerComponent*>(crate->GetComponent(CT_TELEPORT));
    }
    static UILogicComponent* Logic(GameObject* icon) { return dynamic_cast<UILogicComponent*>(icon->GetComponent(CT_UILOGIC)); }
    // A HUD icon driven by code, as the level files make them.
    GameObject* MakeIcon(const std::string& defaultTexture, const std::string& clickedTexture)
    {
        GameObject* icon = Make(UIOBJECT, glm::vec3(-400.0f, -330.0f, -5.0f));
        auto* logic = dynamic_cast<UILogicComponent*>(icon->AddComponentHelper(CT_UILOGIC));
        logic->m_UseMouse = false;
        logic->m_TextureDefault = logic->m_CurrentTexture = defaultTexture;
        logic->m_TextureClicked = clickedTexture;
        return icon;
    }
    // An update of the object with the held keys; Press holds the keys for
    // one update and lets them go.
    void UpdateObject(GameObject* object)
    {
        ApplyKeys();
        states.updating = true;
        object->UpdateComponents();
        states.updating = false;
        EndInputFrame();
    }
    void Press(GameObject* object, std::initializer_list<int> keys)
    {
        Hold(keys);
        UpdateObject(object);
        ReleaseAll();
        ApplyKeys();
        EndInputFrame();
    }
    int Plays(const std::string& sound) const { return fakeAudio.Last()->CountPlays(sound); }
    std::vector<GameObject*> Effects(int pattern)
    {
        std::vector<GameObject*> found;
        for (GameObject* object : All(PARTICLEEMITTER))
            if (GetParticleEmitter(object)->m_pattern == pattern) found.push_back(object);
        return found;
    }
};

TEST_F(PowersTest, SelectionTogglesWithAClickAndTheRobotTakesItsPowersFromItsFields)
{
    PowerManager manager;
    manager.AddUnlimitedPower(CT_EXPLODE);
    manager.AddSingleInstancePower(CT_TELEPORT);
    manager.TogglePower(CT_EXPLODE);
    EXPECT_EQ(manager.GetSelectedPower(), CT_EXPLODE);
    manager.TogglePower(CT_EXPLODE);
    EXPECT_EQ(manager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Plays(UI_CLICK_SOUND), 2);

    PowerManager teleportOnly;
    teleportOnly.AddSingleInstancePower(CT_TELEPORT);
    teleportOnly.SetSelectedPower(CT_TELEPORT);
    teleportOnly.SetSelectedPower(CT_EXPLODE);
    EXPECT_EQ(teleportOnly.GetSelectedPower(), CT_TELEPORT);
    EXPECT_NE(LogPage().find("PowerManager: In SetSelectedPower, Power 14 has not been added to the power manager"),
              std::string::npos);

    // 0 and 46 are no powers; the teleport is single-instance, the rest unlimited.
    GameObject* none = MakeRobot(COMPONENTS_ERRORVALUE, static_cast<Components>(COMPONENT_TYPE_COUNT));
    EXPECT_TRUE(Player(none)->m_PowerManager.GetUnlimitedPowers().empty());
    EXPECT_TRUE(Player(none)->m_PowerManager.GetSingleInstancePowers().empty());
    const PowerManager& owned = Player(MakeRobot(CT_TELEPORT, CT_EXPLODE))->m_PowerManager;
    ASSERT_EQ(owned.GetSingleInstancePowers().size(), 1u);
    EXPECT_EQ(owned.GetSingleInstancePowers()[0].power, CT_TELEPORT);
    EXPECT_EQ(owned.GetUnlimitedPowers(), std::vector<int>{CT_EXPLODE});
}

TEST_F(PowersTest, TheTeleportMovesFromCrateToCrateAndSparesAReusedSlot)
{
    GameObject* robot = MakeRobot();
    PowerManager& manager = Player(robot)->m_PowerManager;
    GameObject* a = Make(CRATE, AT + glm::vec3(2.0f, 0.0f, 0.0f));
    GameObject* b = Make(CRATE, AT + glm::vec3(4.0f, 0.0f, 0.0f));
    manager.SetSelectedPower(CT_TELEPORT);
    manager.ApplySelectedPower(a, robot);
    ASSERT_NE(Teleport(a), nullptr);
    EXPECT_EQ(Teleport(a)->m_Player.object, robot);
    EXPECT_EQ(Teleport(a)->m_TriggerAction, ACTION_ACTIVE_POWER);
    GameObject* spiral = Teleport(a)->m_Emitter;
    UpdateObject(a);
    manager.ApplySelectedPower(b, robot);
    EXPECT_EQ(a->GetComponent(CT_TELEPORT), nullptr);
    EXPECT_EQ(Graphics(a)->GetTextureName(), "crate");
    EXPECT_TRUE(Marked(spiral));
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), b);

    // A crate with a power keeps it and takes no other.
    manager.SetSelectedPower(CT_EXPLODE);
    manager.ApplySelectedPower(b, robot);
    EXPECT_EQ(b->GetComponent(CT_EXPLODE), nullptr);
    manager.ApplySelectedPower(nullptr, robot);

    // B dies and another robot's teleport crate takes its slot: moving this
    // robot's teleport on leaves that crate alone.
    b->flags |= OBJ_DESTROY;
    objects->Update();
    GameObject* reused = Make(CRATE, AT);
    ASSERT_EQ(reused, b);
    PowerManager other;
    other.AddSingleInstancePower(CT_TELEPORT);
    other.SetSelectedPower(CT_TELEPORT);
    other.ApplySelectedPower(reused, nullptr);
    Graphics(reused)->SetTextureName("crate_teleportgo");
    manager.SetSelectedPower(CT_TELEPORT);
    manager.ApplySelectedPower(a, robot);
    EXPECT_NE(Teleport(reused), nullptr);
    EXPECT_EQ(Graphics(reused)->GetTextureName(), "crate_teleportgo");
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), a);

    // The second player's crate fires on that player's active-power action.
    GameObject* second = MakeRobot(CT_TELEPORT, COMPONENTS_ERRORVALUE, AT + glm::vec3(0.0f, 0.0f, 3.0f));
    Player(second)->m_KeyOffset = PlayerComponent::SECOND_PLAYER_KEY_OFFSET;
    GameObject* c = Make(CRATE, AT + glm::vec3(6.0f, 0.0f, 0.0f));
    Player(second)->m_PowerManager.SetSelectedPower(CT_TELEPORT);
    Player(second)->m_PowerManager.ApplySelectedPower(c, second);
    EXPECT_EQ(Teleport(c)->m_TriggerAction, 25);
}

TEST_F(PowersTest, PowerKeysDriveTheCratePreviewAndTheIcons)
{
    GameObject* explosion = MakeIcon("explosionpowerselected", "explosionpoweractive");
    GameObject* teleport = MakeIcon("teleportpowerselected", "teleportpoweractive");
    GameObject* robot = MakeRobot();
    PlayerComponent* player = Player(robot);
    player->LinkPowerIcons();
    EXPECT_EQ(explosion->position.z, PlayerComponent::POWER_ICON_Z);
    GameObject* crate = Make(CRATE, AT + AHEAD);
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), crate);

    // Power 1: the crate and the preview show it; the icon's update shows
    // its clicked texture.
    Press(robot, {KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_EXPLODE);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_explosion");
    GameObject* sparks = player->m_PowerPreviewEmitter;
    ASSERT_NE(sparks, nullptr);
    EXPECT_EQ(GetParticleEmitter(sparks)->m_pattern, PARTICLE_SPARK);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_BEGUN);
    UpdateObject(explosion);
    EXPECT_EQ(dynamic_cast<GUIComponent*>(explosion->GetComponent(CT_GUI))->m_textureId, "explosionpoweractive");

    // Again: deselected, the icon let go (3, then 0).
    Press(robot, {KEY_1});
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_ENDED);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate");
    EXPECT_TRUE(Marked(sparks));
    UpdateObject(explosion);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_IDLE);

    // Power 2 while power 1 is shown: the explosion icon is let go.
    Press(robot, {KEY_1});
    UpdateObject(explosion);
    Press(robot, {KEY_2});
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_ENDED);
    EXPECT_EQ(Logic(teleport)->m_SelectState, UI_STATE_BEGUN);
    EXPECT_EQ(GetParticleEmitter(player->m_PowerPreviewEmitter)->m_pattern, PARTICLE_SPIRAL);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportwait");

    // Put down: the crate has the teleport, the selection is over, and a
    // selection forced on later adds nothing to it.
    Press(robot, {KEY_RBUTTON});
    ASSERT_NE(Teleport(crate), nullptr);
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(player->m_PowerPreviewEmitter, nullptr);
    EXPECT_EQ(Plays(UI_CLICK_SOUND), 5);
    crate->position = AT + AHEAD;
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    player->m_PowerManager.SetSelectedPower(CT_EXPLODE);
    player->PutDownCrate();
    EXPECT_EQ(crate->GetComponent(CT_EXPLODE), nullptr);

    // A robot that linked no icons, with a full pool: no preview, the power
    // all the same.
    GameObject* other = MakeRobot(CT_EXPLODE, CT_TELEPORT, AT + glm::vec3(4.0f, 0.0f, 0.0f));
    GameObject* thrown = Make(CRATE, other->position + AHEAD);
    Press(other, {KEY_LBUTTON});
    FillPool();
    Press(other, {KEY_2});
    Press(other, {KEY_1});
    EXPECT_EQ(Player(other)->m_PowerPreviewEmitter, nullptr);
    Press(other, {KEY_LBUTTON});
    EXPECT_NE(thrown->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_GT(Body(thrown)->velocity.y, 20.0f);
}

TEST_F(PowersTest, TheBlastDestroysWithinTwoAndPushesWithinFive)
{
    GameObject* bomb = Make(CRATE, glm::vec3(0.0f));
    auto* explode = dynamic_cast<ExplodeComponent*>(bomb->AddComponent(CT_EXPLODE));
    ASSERT_NE(explode, nullptr);
    // Ignored: nothing, the robot, belts and force fields.
    explode->OnCollision(nullptr);
    for (ObjectType safe : {PLAYER, CONVEYORBELT, FORCEFIELD, CRATEFORCEFIELD}) {
        GameObject other;
        other.type = safe;
        explode->OnCollision(&other);
    }
    EXPECT_FALSE(Marked(bomb));

    auto crateAt = [&](const glm::vec3& at, float vy) {
        GameObject* crate = Make(CRATE, at);
        Body(crate)->velocity.y = vy;
        Body(crate)->flags &= ~BODY_AWAKE;
        return crate;
    };
    GameObject* centre = crateAt(glm::vec3(0.0f), 0.25f);
    GameObject* at15 = crateAt(glm::vec3(-1.5f, 0.0f, 0.0f), 0.0f);
    GameObject* at20 = crateAt(glm::vec3(0.0f, 0.0f, 2.0f), 0.0f);
    GameObject* at201 = crateAt(glm::vec3(0.0f, 0.0f, -2.01f), 0.0f);
    GameObject* at3 = crateAt(glm::vec3(3.0f, 0.0f, 0.0f), -1.0f);
    GameObject* at5 = crateAt(glm::vec3(-5.0f, 0.0f, 0.0f), 0.0f);
    GameObject* at501 = crateAt(glm::vec3(0.0f, 0.0f, 5.01f), 0.0f);
    GameObject* barrier = Make(BARRIER, glm::vec3(0.0f, 1.0f, 0.0f));
    GameObject* touched = crateAt(glm::vec3(0.0f, 4.0f, 0.0f), 0.0f);
    System::GetInstance()->playerOne = MakeRobot(COMPONENTS_ERRORVALUE, COMPONENTS_ERRORVALUE, glm::vec3(0.0f, 0.0f, 3.0f));

    explode->OnCollision(touched);
    for (GameObject* gone : {bomb, centre, at15, at20, barrier, touched}) EXPECT_TRUE(Marked(gone));
    for (GameObject* kept : {at201, at3, at5, at501}) EXPECT_FALSE(Marked(kept));
    EXPECT_EQ(Body(at3)->forceAccum, glm::vec3(27.5f, -1.0f, 0.0f));
    EXPECT_EQ(Body(centre)->forceAccum, glm::vec3(0.0f, 0.25f, 0.0f));
    EXPECT_EQ(Body(at201)->forceAccum, glm::vec3(0.0f, 0.0f, -27.5f));
    EXPECT_EQ(Body(at5)->forceAccum, glm::vec3(-27.5f, 0.0f, 0.0f));
    EXPECT_NE(Body(at5)->flags & BODY_AWAKE, 0u);
    EXPECT_EQ(Body(at501)->forceAccum, glm::vec3(0.0f));
    EXPECT_EQ(Effects(PARTICLE_SMOKE).size(), 4u);
    ASSERT_EQ(Effects(PARTICLE_BURST).size(), 1u);
    EXPECT_EQ(GetParticleEmitter(Effects(PARTICLE_BURST)[0])->m_count, 400);
    EXPECT_EQ(Plays(ExplodeComponent::EXPLOSION_SOUND), 1);
    EXPECT_EQ(camera.GetShakeFrame(), 1);

    // Once only; and no NaN from a push at the centre.
    explode->OnCollision(at3);
    EXPECT_EQ(Body(at3)->forceAccum, glm::vec3(27.5f, -1.0f, 0.0f));
    EXPECT_EQ(ExplodeComponent::PushDirection(glm::vec3(2.0f), glm::vec3(2.0f)), glm::vec3(0.0f, 1.0f, 0.0f));
}

TEST_F(PowersTest, TwoContactsInOneStepMakeOneBurst)
{
    // Without a main player or a camera the sound and the shake are left out.
    System::GetInstance()->camera = nullptr;
    GameObject* left = Make(CRATE, glm::vec3(-0.5f, 0.5f, 0.0f));
    GameObject* right = Make(CRATE, glm::vec3(0.5f, 0.5f, 0.0f));
    GameObject* bomb = Make(CRATE, glm::vec3(0.0f, 1.45f, 0.0f));
    bomb->AddComponent(CT_EXPLODE);
    physics->Update();
    EXPECT_TRUE(Marked(bomb) && Marked(left) && Marked(right));
    EXPECT_EQ(Effects(PARTICLE_BURST).size(), 1u);
    EXPECT_EQ(Plays(ExplodeComponent::EXPLOSION_SOUND), 0);
}

TEST_F(PowersTest, TheTeleportWaitsInTheAirAndSwapsOnceItRests)
{
    GameObject* floor = Make(CUBE, glm::vec3(4.0f, -0.5f, 4.0f));
    floor->scale = glm::vec3(8.0f, 1.0f, 8.0f);
    GameObject* robot = MakeRobot(COMPONENTS_ERRORVALUE, COMPONENTS_ERRORVALUE, glm::vec3(2.5f, 0.5f, 6.5f));
    GameObject* crate = Make(CRATE, glm::vec3(5.5f, 4.0f, 2.5f));
    crate->AddComponent(CT_TELEPORT);
    Teleport(crate)->Place(robot, ACTION_ACTIVE_POWER);

    // Falling: it waits and ignores the key.
    Tick();
    Press(crate, {KEY_T});
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportwait");
    EXPECT_EQ(Plays(TeleportPowerComponent::TELEPORT_SOUND), 0);

    // Resting on the floor (after it settles) it is armed every step.
    int armed = 0;
    for (int frame = 0; frame < 64 && armed < 2; ++frame) {
        Tick();
        armed = Teleport(crate)->m_IsArmed ? armed + 1 : 0;
    }
    ASSERT_EQ(armed, 2);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportgo");
    Tick();
    const glm::vec3 robotAt = robot->position;
    const glm::vec3 crateAt = crate->position;
    robot->flags |= OBJ_WORLD_VALID;
    crate->flags |= OBJ_WORLD_VALID;
    Press(crate, {KEY_T});
    EXPECT_EQ(robot->position, crateAt);
    EXPECT_EQ(crate->position, robotAt);
    EXPECT_FALSE(robot->flags & OBJ_WORLD_VALID);
    EXPECT_FALSE(crate->flags & OBJ_WORLD_VALID);
    EXPECT_EQ(Plays(TeleportPowerComponent::TELEPORT_SOUND), 1);
    EXPECT_EQ(Effects(PARTICLE_IMPLODE).size(), 1u);

    // Its robot dead: nothing.
    robot->flags |= OBJ_DESTROY;
    objects->Update();
    Tick(2);
    const glm::vec3 alone = crate->position;
    Teleport(crate)->m_IsArmed = true;
    Press(crate, {KEY_T});
    EXPECT_EQ(crate->position, alone);
    EXPECT_EQ(Plays(TeleportPowerComponent::TELEPORT_SOUND), 1);
}

} // namespace
