// The power manager and the player's power keys, frame by frame (1/32 s):
// selection and its warning, the powers a robot takes from its file fields,
// giving crates a power (the teleport moving from crate to crate), the
// preview on the carried crate and the HUD icons. Updates run without a
// physics step.
#include <gtest/gtest.h>

#include <algorithm>

#include <tinyxml2.h>

#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/PowerManager.h"
#include "game/gameplay/TeleportPowerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const int KEY_1 = 24;
const int KEY_2 = 25;
const int KEY_W = KEY_A + ('W' - 'A');
const glm::vec3 AT(4.5f, 0.5f, 8.5f);
const glm::vec3 AHEAD(0.0f, 0.0f, -1.0f);

class PowerManagerTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        camera.LookAt(AT + glm::vec3(0.0f, 10.0f, 10.0f), AT);  // right axis (1, 0, 0)
        System::GetInstance()->audioManager->LoadSound(UI_CLICK_SOUND);
    }
    // A robot facing -z with the powers given, initialised.
    GameObject* MakeRobot(Components power1 = CT_EXPLODE, Components power2 = CT_TELEPORT,
                          const glm::vec3& position = AT)
    {
        GameObject* robot = Make(PLAYER, position);
        PlayerComponent* player = Player(robot);
        player->m_IsSpawnOnCreation = false;
        player->m_Power1 = power1;
        player->m_Power2 = power2;
        robot->rotation = glm::angleAxis(glm::radians(-90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        robot->InitComponents();
        return robot;
    }
    static PlayerComponent* Player(GameObject* robot)
    {
        return dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    }
    static TeleportPowerComponent* Teleport(GameObject* crate)
    {
        return dynamic_cast<TeleportPowerComponent*>(crate->GetComponent(CT_TELEPORT));
    }
    static UILogicComponent* Logic(GameObject* object)
    {
        return dynamic_cast<UILogicComponent*>(object->GetComponent(CT_UILOGIC));
    }
    static std::string GuiTexture(GameObject* object)
    {
        return dynamic_cast<GUIComponent*>(object->GetComponent(CT_GUI))->m_textureId;
    }
    // A HUD icon driven by code, as a level file makes it.
    GameObject* MakeIcon(const std::string& defaultTexture, const std::string& clickedTexture)
    {
        GameObject* icon = Make(UIOBJECT, glm::vec3(-400.0f, -330.0f, -5.0f));
        auto* logic = dynamic_cast<UILogicComponent*>(icon->AddComponentHelper(CT_UILOGIC));
        logic->m_UseMouse = false;
        logic->m_TextureDefault = logic->m_CurrentTexture = defaultTexture;
        logic->m_TextureClicked = clickedTexture;
        icon->InitComponents();
        return icon;
    }
    void UpdateObject(GameObject* object)
    {
        ApplyKeys();
        states.updating = true;
        object->UpdateComponents();
        states.updating = false;
        EndInputFrame();
    }
    // An update of the robot with the keys down; then every key is up again.
    void Press(GameObject* robot, std::initializer_list<int> keys)
    {
        Hold(keys);
        UpdateObject(robot);
        ReleaseAll();
        ApplyKeys();
        EndInputFrame();
    }
    // A crate one unit ahead of the robot, picked up.
    GameObject* CarryNewCrate(GameObject* robot)
    {
        GameObject* crate = Make(CRATE, robot->position + AHEAD);
        Press(robot, {KEY_LBUTTON});
        EXPECT_EQ(Player(robot)->GetCarriedCrate(), crate);
        return crate;
    }
    int Clicks() const
    {
        const auto& calls = fakeAudio.Last()->calls;
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& line) {
            return line.rfind("PlaySound", 0) == 0 && line.find(UI_CLICK_SOUND) != std::string::npos;
        }));
    }
    std::vector<GameObject*> Emitters() { return All(PARTICLEEMITTER); }
};

TEST_F(PowerManagerTest, SelectionTogglesWithAClickAndRefusesPowersNeverAdded)
{
    PowerManager manager;
    manager.AddUnlimitedPower(CT_EXPLODE);
    manager.AddSingleInstancePower(CT_TELEPORT);
    manager.AddUnlimitedPower(CT_EXPLODE);
    manager.AddUnlimitedPower(CT_TELEPORT);
    EXPECT_EQ(manager.GetUnlimitedPowers().size(), 1u);
    EXPECT_EQ(manager.GetSingleInstancePowers().size(), 1u);
    EXPECT_TRUE(manager.HasPower(CT_TELEPORT));
    EXPECT_FALSE(manager.HasPower(PowerManager::NO_POWER));

    manager.TogglePower(CT_EXPLODE);
    EXPECT_EQ(manager.GetSelectedPower(), CT_EXPLODE);
    EXPECT_EQ(Clicks(), 1);
    manager.TogglePower(CT_EXPLODE);
    EXPECT_EQ(manager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Clicks(), 2);
    manager.TogglePower(CT_TELEPORT);
    manager.TogglePower(CT_EXPLODE);
    EXPECT_EQ(manager.GetSelectedPower(), CT_EXPLODE);

    // A power never added: the warning, the selection kept, a click all the same.
    PowerManager teleportOnly;
    teleportOnly.AddSingleInstancePower(CT_TELEPORT);
    teleportOnly.SetSelectedPower(CT_TELEPORT);
    teleportOnly.TogglePower(CT_EXPLODE);
    EXPECT_EQ(teleportOnly.GetSelectedPower(), CT_TELEPORT);
    EXPECT_EQ(Clicks(), 5);
    teleportOnly.SetSelectedPower(PowerManager::NO_POWER);
    EXPECT_EQ(teleportOnly.GetSelectedPower(), CT_TELEPORT);
    EXPECT_NE(LogPage().find("PowerManager: In SetSelectedPower, Power 14 has not been added to the power manager"),
              std::string::npos);
    EXPECT_NE(LogPage().find("Power -1 has not been added"), std::string::npos);
    EXPECT_FALSE(teleportOnly.HasAnyPower(nullptr));
}

TEST_F(PowerManagerTest, TheRobotTakesItsPowersFromPower1AndPower2)
{
    // 0 and values from 46 up are no powers.
    GameObject* none = MakeRobot(COMPONENTS_ERRORVALUE, static_cast<Components>(COMPONENT_TYPE_COUNT));
    EXPECT_TRUE(Player(none)->m_PowerManager.GetUnlimitedPowers().empty());
    EXPECT_TRUE(Player(none)->m_PowerManager.GetSingleInstancePowers().empty());

    // The teleport is single-instance wherever it stands; the rest unlimited.
    GameObject* robot = MakeRobot(CT_TELEPORT, CT_EXPLODE, AT + glm::vec3(3.0f, 0.0f, 0.0f));
    const PowerManager& manager = Player(robot)->m_PowerManager;
    ASSERT_EQ(manager.GetSingleInstancePowers().size(), 1u);
    EXPECT_EQ(manager.GetSingleInstancePowers()[0].power, CT_TELEPORT);
    EXPECT_EQ(manager.GetUnlimitedPowers(), std::vector<int>{CT_EXPLODE});
    EXPECT_EQ(manager.GetSelectedPower(), PowerManager::NO_POWER);

    // Read from a file: names of component types.
    GameObject* fromFile = Make(PLAYER, AT + glm::vec3(6.0f, 0.0f, 0.0f));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Power1>CT_EXPLODE</Power1><Power2>CT_TELEPORT</Power2>"), tinyxml2::XML_SUCCESS);
    Player(fromFile)->Read(doc.FirstChildElement());
    fromFile->InitComponents();
    EXPECT_TRUE(Player(fromFile)->m_PowerManager.HasPower(CT_EXPLODE));
    EXPECT_TRUE(Player(fromFile)->m_PowerManager.HasPower(CT_TELEPORT));
}

TEST_F(PowerManagerTest, TheTeleportMovesFromCrateToCrateAndNeverTouchesAReusedSlot)
{
    GameObject* robot = MakeRobot();
    PowerManager& manager = Player(robot)->m_PowerManager;
    GameObject* a = Make(CRATE, AT + glm::vec3(2.0f, 0.0f, 0.0f));
    GameObject* b = Make(CRATE, AT + glm::vec3(4.0f, 0.0f, 0.0f));
    manager.SetSelectedPower(CT_TELEPORT);

    manager.ApplySelectedPower(a, robot);
    ASSERT_NE(Teleport(a), nullptr);
    EXPECT_TRUE(Teleport(a)->m_Player.Refresh());
    EXPECT_EQ(Teleport(a)->m_Player.object, robot);
    EXPECT_EQ(Teleport(a)->m_TriggerAction, ACTION_ACTIVE_POWER);
    EXPECT_NE(Teleport(a)->m_Emitter, nullptr);  // initialised at once
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), a);
    UpdateObject(a);
    EXPECT_EQ(Graphics(a)->GetTextureName(), "crate_teleportwait");

    // On to B: A is a plain crate again, its spiral let go.
    GameObject* spiral = Teleport(a)->m_Emitter;
    manager.ApplySelectedPower(b, robot);
    EXPECT_EQ(a->GetComponent(CT_TELEPORT), nullptr);
    EXPECT_EQ(Graphics(a)->GetTextureName(), "crate");
    EXPECT_TRUE(Marked(spiral));
    ASSERT_NE(Teleport(b), nullptr);
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), b);

    // A crate with a power keeps it: no second power, nothing moves.
    manager.ApplySelectedPower(b, robot);
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), b);
    manager.SetSelectedPower(CT_EXPLODE);
    manager.ApplySelectedPower(b, robot);
    EXPECT_EQ(b->GetComponent(CT_EXPLODE), nullptr);
    manager.ApplySelectedPower(a, robot);
    EXPECT_NE(a->GetComponent(CT_EXPLODE), nullptr);
    manager.SetSelectedPower(CT_TELEPORT);
    manager.ApplySelectedPower(a, robot);
    EXPECT_EQ(a->GetComponent(CT_TELEPORT), nullptr);
    manager.ApplySelectedPower(nullptr, robot);

    // B dies and another robot's teleport crate takes its slot: moving this
    // robot's teleport on leaves that crate alone.
    b->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), nullptr);
    GameObject* reused = Make(CRATE, AT + glm::vec3(6.0f, 0.0f, 0.0f));
    ASSERT_EQ(reused, b);
    PowerManager other;
    other.AddSingleInstancePower(CT_TELEPORT);
    other.SetSelectedPower(CT_TELEPORT);
    other.ApplySelectedPower(reused, nullptr);
    ASSERT_NE(Teleport(reused), nullptr);
    EXPECT_EQ(Teleport(reused)->m_TriggerAction, ACTION_ACTIVE_POWER);
    Graphics(reused)->SetTextureName("crate_teleportgo");
    GameObject* c = Make(CRATE, AT + glm::vec3(8.0f, 0.0f, 0.0f));
    manager.ApplySelectedPower(c, robot);
    EXPECT_NE(Teleport(reused), nullptr);
    EXPECT_EQ(Graphics(reused)->GetTextureName(), "crate_teleportgo");
    EXPECT_EQ(other.GetHolder(CT_TELEPORT), reused);
    EXPECT_EQ(manager.GetHolder(CT_TELEPORT), c);

    // The second player's crate fires on its own active-power action.
    GameObject* second = Make(PLAYER, AT + glm::vec3(0.0f, 0.0f, 3.0f));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<MainPlayer>false</MainPlayer><Power2>CT_TELEPORT</Power2>"), tinyxml2::XML_SUCCESS);
    Player(second)->Read(doc.FirstChildElement());
    Player(second)->m_IsSpawnOnCreation = false;
    second->InitComponents();
    GameObject* d = Make(CRATE, AT + glm::vec3(10.0f, 0.0f, 0.0f));
    Player(second)->m_PowerManager.SetSelectedPower(CT_TELEPORT);
    Player(second)->m_PowerManager.ApplySelectedPower(d, second);
    ASSERT_NE(Teleport(d), nullptr);
    EXPECT_EQ(Teleport(d)->m_TriggerAction, 25);
}

TEST_F(PowerManagerTest, PowersGivenInTheEditorAreNotStarted)
{
    GameObject* robot = MakeRobot();
    GameObject* crate = Make(CRATE, AT + glm::vec3(2.0f, 0.0f, 0.0f));
    states.id = STATE_LEVELEDITOR;
    const size_t emitters = Emitters().size();
    Player(robot)->m_PowerManager.SetSelectedPower(CT_EXPLODE);
    Player(robot)->m_PowerManager.ApplySelectedPower(crate, robot);
    EXPECT_NE(crate->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_EQ(Emitters().size(), emitters);
}

TEST_F(PowerManagerTest, PowerKeysDriveTheCratePreviewAndTheIcons)
{
    GameObject* explosion = MakeIcon("explosionpowerselected", "explosionpoweractive");
    GameObject* teleport = MakeIcon("teleportpowerselected", "teleportpoweractive");
    GameObject* other = MakeIcon("blank", "blankselected");
    GameObject* backing = Make(UIOBJECT, glm::vec3(-400.0f, -320.0f, -5.0f));
    dynamic_cast<GUIComponent*>(backing->GetComponent(CT_GUI))->m_textureId = "robotpowersbacking";
    backing->flags |= OBJ_WORLD_VALID;
    GameObject* robot = MakeRobot();
    PlayerComponent* player = Player(robot);
    player->LinkPowerIcons();
    EXPECT_EQ(player->GetExplosionIcon(), Logic(explosion));
    EXPECT_EQ(player->GetTeleportIcon(), Logic(teleport));
    EXPECT_EQ(explosion->position.z, -12.0f);
    EXPECT_EQ(teleport->position.z, -12.0f);
    EXPECT_EQ(other->position.z, -5.0f);
    EXPECT_EQ(backing->position.z, -13.0f);
    EXPECT_FALSE(backing->flags & OBJ_WORLD_VALID);

    // Nothing carried: the keys select nothing.
    Press(robot, {KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Clicks(), 0);

    // Power 1 on a carried crate: selected, the sparks over the crate, the
    // icon asked to show itself, which its update does.
    GameObject* crate = CarryNewCrate(robot);
    Press(robot, {KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_EXPLODE);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_explosion");
    ASSERT_NE(player->m_PowerPreviewEmitter, nullptr);
    GameObject* sparks = player->m_PowerPreviewEmitter;
    EXPECT_EQ(GetParticleEmitter(sparks)->m_pattern, PARTICLE_SPARK);
    EXPECT_EQ(GetParticleEmitter(sparks)->m_count, 80);
    EXPECT_TRUE(GetParticleEmitter(sparks)->m_active);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_BEGUN);
    UpdateObject(explosion);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_HOLDING);
    EXPECT_EQ(GuiTexture(explosion), "explosionpoweractive");
    EXPECT_EQ(Clicks(), 1);

    // The preview rides with the crate.
    robot->position += glm::vec3(0.5f, 0.0f, 0.0f);
    UpdateObject(robot);
    EXPECT_EQ(sparks->position, crate->position);

    // Again: deselected, the icon released (3, then 0 and its default).
    Press(robot, {KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_ENDED);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate");
    EXPECT_TRUE(Marked(sparks));
    EXPECT_EQ(player->m_PowerPreviewEmitter, nullptr);
    UpdateObject(explosion);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_IDLE);
    EXPECT_EQ(GuiTexture(explosion), "explosionpowerselected");
    EXPECT_EQ(Clicks(), 2);

    // Power 1, then power 2: the explosion icon is let go, the teleport one
    // shown, and the sparks give way to the spiral.
    Press(robot, {KEY_1});
    UpdateObject(explosion);
    sparks = player->m_PowerPreviewEmitter;
    Press(robot, {KEY_2});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_TELEPORT);
    EXPECT_EQ(Logic(explosion)->m_SelectState, UI_STATE_ENDED);
    EXPECT_EQ(Logic(teleport)->m_SelectState, UI_STATE_BEGUN);
    EXPECT_TRUE(Marked(sparks));
    ASSERT_NE(player->m_PowerPreviewEmitter, nullptr);
    EXPECT_EQ(GetParticleEmitter(player->m_PowerPreviewEmitter)->m_pattern, PARTICLE_SPIRAL);
    EXPECT_EQ(GetParticleEmitter(player->m_PowerPreviewEmitter)->m_count, 2);
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportwait");
    UpdateObject(teleport);

    // Put down: the crate takes the teleport and the selection ends.
    GameObject* spiral = player->m_PowerPreviewEmitter;
    Press(robot, {KEY_RBUTTON});
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    ASSERT_NE(Teleport(crate), nullptr);
    EXPECT_EQ(Teleport(crate)->m_Player.object, robot);
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Logic(teleport)->m_SelectState, UI_STATE_ENDED);
    EXPECT_TRUE(Marked(spiral));
    EXPECT_EQ(Clicks(), 5);

    // Carried again, a crate with a power takes no selection.
    crate->position = robot->position + AHEAD;
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    Press(robot, {KEY_2});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);
    EXPECT_EQ(Clicks(), 5);
    // Put down with a selection forced on: no second power, the selection ends.
    player->m_PowerManager.SetSelectedPower(CT_EXPLODE);
    player->PutDownCrate();
    EXPECT_EQ(crate->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), PowerManager::NO_POWER);

    // A thrown crate takes the power too.
    crate->RemoveComponent(CT_TELEPORT);
    crate->position = robot->position + AHEAD;
    Press(robot, {KEY_LBUTTON});
    Press(robot, {KEY_1});
    Press(robot, {KEY_LBUTTON});
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_NE(crate->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_GT(Body(crate)->velocity.y, 20.0f);

    // An icon that died is not driven any more.
    explosion->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(player->GetExplosionIcon(), nullptr);
}

TEST_F(PowerManagerTest, WithoutIconsThePowerKeysStillWork)
{
    // No icons linked (a level without a HUD, or the robot that did not
    // link them), and a HUD with only one of the two icons.
    GameObject* robot = MakeRobot();
    PlayerComponent* player = Player(robot);
    player->LinkPowerIcons();
    EXPECT_EQ(player->GetExplosionIcon(), nullptr);
    GameObject* crate = CarryNewCrate(robot);
    Press(robot, {KEY_1});
    Press(robot, {KEY_2});
    Press(robot, {KEY_1});
    Press(robot, {KEY_RBUTTON});
    EXPECT_NE(crate->GetComponent(CT_EXPLODE), nullptr);

    GameObject* teleport = MakeIcon("teleportpowerselected", "teleportpoweractive");
    player->LinkPowerIcons();
    EXPECT_EQ(player->GetExplosionIcon(), nullptr);
    crate = Make(CRATE, robot->position + AHEAD + glm::vec3(0.0f, 0.0f, 0.0f));
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    Press(robot, {KEY_2});
    UpdateObject(teleport);
    Press(robot, {KEY_1});
    EXPECT_EQ(Logic(teleport)->m_SelectState, UI_STATE_ENDED);
    Press(robot, {KEY_2});
    Press(robot, {KEY_LBUTTON});
    EXPECT_NE(crate->GetComponent(CT_TELEPORT), nullptr);

    // A full pool: no preview, the selection all the same.
    GameObject* last = Make(CRATE, robot->position + AHEAD);
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(player->GetCarriedCrate(), last);
    FillPool();
    Press(robot, {KEY_1});
    EXPECT_EQ(player->m_PowerManager.GetSelectedPower(), CT_EXPLODE);
    EXPECT_EQ(player->m_PowerPreviewEmitter, nullptr);
    EXPECT_EQ(Graphics(last)->GetTextureName(), "crate_explosion");
    Press(robot, {KEY_RBUTTON});
    EXPECT_NE(last->GetComponent(CT_EXPLODE), nullptr);
}

} // namespace
