// The campaign's level files in the running game: each of the eleven enters
// through the level table and draws its first frames without a WARNING or
// ERROR in the log (no unknown type, texture, mesh or sound, no object
// outside its grid), and the pictures its tutorial popups name are in the
// texture catalogue. The authored levels also keep the rules every level
// follows: unit CUBEs at half-unit centres inside the map, a floor block
// under the robot with its top at y 1, one main robot, one exit (the boss
// level none: its boss leaves the exit where it dies) and one level score
// whose grade times grow from A to C.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/core/System.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/LevelScore.h"
#include "game/flow/Map.h"
#include "game/flow/TutorialPopupComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughLevelFilesInProcessTest : public EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }

    static bool IsHalfUnit(float v) { return std::fabs(v - std::floor(v) - 0.5f) < 1e-4f; }

    // The rules of an authored level, checked on its objects as they were
    // created (before the first update moved anything).
    void ExpectLevelRules(const CampaignLevel& level)
    {
        SCOPED_TRACE(level.name);
        const Map* map = game.GetSystem()->gameStateManager->GetLevelManager()->GetMap();
        ASSERT_NE(map, nullptr);
        // Unit blocks, but for floor slabs a whole number of cells wide and
        // long, odd so that their centres stay on the half-unit grid (the
        // boss drops its guards over the first block larger than the rest).
        for (GameObject* cube : game.FindAll(CUBE)) {
            const glm::vec3 p = cube->position;
            const glm::vec3 s = cube->scale;
            const bool slab = s.y == 1.0f && std::fmod(s.x, 2.0f) == 1.0f && std::fmod(s.z, 2.0f) == 1.0f;
            EXPECT_TRUE(s == glm::vec3(1.0f) || slab) << "CUBE at " << p.x << " " << p.y << " " << p.z;
            EXPECT_TRUE(IsHalfUnit(p.x) && IsHalfUnit(p.y) && IsHalfUnit(p.z))
                << "CUBE at " << p.x << " " << p.y << " " << p.z;
            EXPECT_TRUE(p.x - s.x / 2 >= 0.0f && p.x + s.x / 2 <= map->GetColumns() && p.z - s.z / 2 >= 0.0f &&
                        p.z + s.z / 2 <= map->GetRows() && p.y > 0.0f)
                << "CUBE outside the map at " << p.x << " " << p.y << " " << p.z;
        }

        const auto players = game.FindAll(PLAYER);
        ASSERT_EQ(players.size(), 1u);
        auto* player = dynamic_cast<PlayerComponent*>(players[0]->GetComponent(CT_PLAYER));
        ASSERT_NE(player, nullptr);
        EXPECT_TRUE(player->m_IsMainPlayer);
        const glm::vec3 at = players[0]->position;
        EXPECT_NEAR(at.y, 1.5f, 1e-4f);
        bool floorBelow = false;
        for (GameObject* cube : game.FindAll(CUBE))
            floorBelow |= cube->position == glm::vec3(std::floor(at.x) + 0.5f, 0.5f, std::floor(at.z) + 0.5f);
        EXPECT_TRUE(floorBelow) << "no floor block under the robot";

        const bool boss = std::string(level.name) == "B-B-Boss";
        EXPECT_EQ(game.FindAll(EXIT_MARKER).size(), boss ? 0u : 1u);

        const auto scores = game.FindAll(LEVELSCORE);
        ASSERT_EQ(scores.size(), 1u);
        auto* score = dynamic_cast<LevelScore*>(scores[0]->GetComponent(CT_LEVELSCORE));
        ASSERT_NE(score, nullptr);
        EXPECT_GT(score->gradeATime, 0u);
        EXPECT_LT(score->gradeATime, score->gradeBTime);
        EXPECT_LT(score->gradeBTime, score->gradeCTime);
    }

    GameplayHarness game{Playthrough::WIDTH, Playthrough::HEIGHT, Playthrough::FRAMES_PER_SECOND};
};

TEST_F(PlaythroughLevelFilesInProcessTest, EveryLevelLoadsWithoutAWarningAndTheAuthoredOnesKeepTheRules)
{
    ASSERT_TRUE(game.Start());
    game.SetDrawing(false);
    ASSERT_TRUE(game.PassLoadingScreen());
    game.SetDrawing(true);
    ASSERT_EQ(CampaignLevels().size(), 11u);
    for (const CampaignLevel& level : CampaignLevels()) {
        SCOPED_TRACE(level.name);
        testing::internal::CaptureStdout();
        const bool entered = game.EnterState(level.stateId);
        if (entered && level.authored) ExpectLevelRules(level);
        // Drawn frames: textures and meshes are looked up as they are drawn.
        game.Step(3);
        for (GameObject* popup : game.FindAll(TUTORIALPOPUP)) {
            auto* tutorial = dynamic_cast<TutorialPopupComponent*>(popup->GetComponent(CT_TUTORIALPOPUP));
            ASSERT_NE(tutorial, nullptr);
            EXPECT_FALSE(tutorial->m_TutorialTextureID.empty());
            game.GetSystem()->textureManager->GetTexture(tutorial->m_TutorialTextureID);
        }
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(entered);
        EXPECT_EQ(game.GetSystem()->gameStateManager->GetLevelManager()->GetCurrentLevelEntry().stateId,
                  level.stateId);
        EXPECT_EQ(out.find("WARNING -"), std::string::npos) << out;
        EXPECT_EQ(out.find("ERROR -"), std::string::npos) << out;
    }
}

} // namespace
