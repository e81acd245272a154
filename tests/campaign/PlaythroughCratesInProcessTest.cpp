// The crates of every campaign level lie free, at a software renderer's pace
// (1/20 s a frame), with the enemies held still: five seconds after the
// level starts, and after the robot has stood on each crate pad for a minute,
// no crate lies in a block, a field or another crate, and no pad has more
// than one of its crates in the level at a time.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/CrateSpawnerTriggerComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// Deeper than a resting contact sinks in one long frame.
constexpr float WEDGED = 0.1f;

class PlaythroughCratesInProcessTest : public EngineTest, public ::testing::WithParamInterface<CampaignLevel>
{
protected:
    // Every crate in something, as "CRATE x y z in TYPE x y z" lines.
    std::string Wedged()
    {
        std::ostringstream out;
        PhysicsManager* physics = run.Game().GetSystem()->physicsManager;
        for (GameObject* crate : run.Game().FindAll(CRATE)) {
            const GameObject* in = (crate->flags & OBJ_ACTIVE) ? physics->FindStopper(crate, crate->position, WEDGED, true) : nullptr;
            if (in)
                out << "CRATE " << crate->position.x << " " << crate->position.y << " " << crate->position.z << " in "
                    << ObjectTypeToString(in->type) << " " << in->position.x << " " << in->position.y << " "
                    << in->position.z << "\n";
        }
        return out.str();
    }

    Playthrough run{Playthrough::SLOW_FRAMES_PER_SECOND};
};

TEST_P(PlaythroughCratesInProcessTest, CratesLieFreeAndEachPadGivesOneAtATime)
{
    ASSERT_TRUE(run.Start(GetParam().stateId)) << run.Error();
    for (ObjectType threat : {ENEMY, BOSS, TURRET, ENEMYBOX, COMETSPAWNER})
        for (GameObject* object : run.Game().FindAll(threat)) object->flags &= ~OBJ_ACTIVE;
    run.Game().Step(run.FramesIn(5.0));
    EXPECT_EQ(Wedged(), "") << "at the start";

    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    for (GameObject* pad : run.Game().FindAll(CRATESPAWNERTRIGGER)) {
        GameObject* spawner = pad->GetComponent<CrateSpawnerTriggerComponent>()->m_Spawner;
        ASSERT_NE(spawner, nullptr);
        auto* spawning = spawner->GetComponent<CrateSpawnerComponent>();
        EXPECT_TRUE(spawning->m_IsOneCrateAtATime);
        robot->position = pad->position + glm::vec3(0.0f, 1.0f, 0.0f);
        GetPhysicsComponent(robot)->velocity = glm::vec3(0.0f);
        std::set<GameObject*> made;
        std::size_t most = 0;
        for (int frame = 0; frame < run.FramesIn(60.0); ++frame) {
            run.Game().Step();
            if (spawning->m_LastCrate.Refresh()) made.insert(spawning->m_LastCrate.object);
            std::size_t alive = 0;
            for (GameObject* crate : made) alive += (crate->flags & OBJ_ALIVE) && crate->type == CRATE;
            most = std::max(most, alive);
        }
        const std::string where = "after the pad at " + std::to_string(pad->position.x) + " " +
                                  std::to_string(pad->position.z);
        EXPECT_EQ(most, 1u) << where;
        EXPECT_EQ(Wedged(), "") << where;
    }
}

INSTANTIATE_TEST_SUITE_P(Campaign, PlaythroughCratesInProcessTest, ::testing::ValuesIn(CampaignLevels()),
                         [](const ::testing::TestParamInfo<CampaignLevel>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

} // namespace
