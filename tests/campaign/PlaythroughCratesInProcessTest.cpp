// The crates of every campaign level lie free, at a software renderer's pace
// (1/20 s a frame), with the enemies held still: five seconds after the
// level starts, and after the robot has stood on each crate pad for a minute,
// no crate lies in a block, a field or another crate, and no pad has more
// than one of its crates in the level at a time.
#include <gtest/gtest.h>

#include <algorithm>
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

class PlaythroughCratesInProcessTest : public EngineTest, public ::testing::WithParamInterface<CampaignLevel>
{
protected:
    // Every crate deeper than a resting contact sinks in something, with where it lies.
    std::string Wedged()
    {
        std::ostringstream out;
        for (GameObject* crate : run.Game().FindAll(CRATE))
            if (const GameObject* in = run.Game().GetSystem()->physicsManager->FindStopper(crate, crate->position, 0.1f, true))
                out << crate->position.x << " " << crate->position.y << " " << crate->position.z << " in "
                    << ObjectTypeToString(in->type) << "\n";
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
    EXPECT_EQ(Wedged(), "") << GetParam().name << " at the start";
    for (GameObject* pad : run.Game().FindAll(CRATESPAWNERTRIGGER)) {
        auto* spawner = pad->GetComponent<CrateSpawnerTriggerComponent>()->m_Spawner->GetComponent<CrateSpawnerComponent>();
        EXPECT_TRUE(spawner->m_IsOneCrateAtATime);
        run.Game().Player()->position = pad->position + glm::vec3(0.0f, 1.0f, 0.0f);
        std::set<GameObject*> made;
        std::size_t most = 0;
        for (int frame = 0; frame < run.FramesIn(60.0); ++frame) {
            run.Game().Step();
            if (spawner->m_LastCrate.Refresh()) made.insert(spawner->m_LastCrate.object);
            std::size_t alive = 0;
            for (GameObject* crate : made) alive += (crate->flags & OBJ_ALIVE) && crate->type == CRATE;
            most = std::max(most, alive);
        }
        EXPECT_EQ(most, 1u) << GetParam().name << ", the pad at x " << pad->position.x << " z " << pad->position.z;
        EXPECT_EQ(Wedged(), "") << GetParam().name << ", after the pad at x " << pad->position.x;
    }
}

INSTANTIATE_TEST_SUITE_P(Campaign, PlaythroughCratesInProcessTest, ::testing::ValuesIn(CampaignLevels()));

} // namespace
