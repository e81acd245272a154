// The enemy robots' test bench: the gameplay kit with the game-state manager
// started (the grid search reads the current level's map through it), a
// grid the test lays out itself, and helpers that make enemies and the main
// player. The robot is the bare test master: body and box, no player
// component, so it stands where a test puts it.
#pragma once
#include <string>
#include <vector>

#include "game/flow/Map.h"
#include "game/gameplay/AIChaseComponent.h"
#include "game/gameplay/AIComponent.h"
#include "gameplay/GameplayTestKit.h"

namespace QRX {
namespace GameplayKit {

class AITest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        UseTestMaster("PLAYER.xml");
        StartStates();
        map = gsm.GetLevelManager()->GetMap();
        ASSERT_NE(map, nullptr);
    }
    void TearDown() override
    {
        System::GetInstance()->playerOne = nullptr;
        GameplayTest::TearDown();
    }

    // A floor of blocks at layer 0 over rows x columns: robots standing at
    // y 1 to 2 walk on it.
    void Floor(std::uint32_t rows, std::uint32_t columns)
    {
        ASSERT_TRUE(map->SetSize(rows, columns, 2));
        map->AllocateCells();
        map->ResizeLayers();
        for (std::uint32_t r = 0; r < rows; ++r)
            for (std::uint32_t c = 0; c < columns; ++c) map->SetCellValue(r, c, 0, CUBE, false);
    }
    void Hole(std::uint32_t x, std::uint32_t z) { map->SetCellValue(z, x, 0, 0, false); }

    // An enemy of the game's master with the waypoints, initialised.
    GameObject* MakeEnemy(const glm::vec3& position, const std::vector<glm::vec3>& waypoints = {})
    {
        GameObject* enemy = Make(ENEMY, position);
        if (!enemy) return nullptr;
        AI(enemy)->GetPatrol().SetWaypoints(waypoints);
        enemy->InitComponents();
        return enemy;
    }
    // The main player, standing at the position.
    GameObject* MakePlayer(const glm::vec3& position)
    {
        GameObject* player = Make(PLAYER, position);
        System::GetInstance()->playerOne = player;
        return player;
    }
    static void MoveTo(GameObject* object, const glm::vec3& position)
    {
        object->position = object->previousPosition = position;
        object->flags &= ~OBJ_WORLD_VALID;
    }

    static AIComponent* AI(GameObject* object)
    {
        return object ? dynamic_cast<AIComponent*>(object->GetComponent(CT_AI)) : nullptr;
    }
    static PatrolAI& Patrol(GameObject* object) { return AI(object)->GetPatrol(); }
    static AIChaseComponent* Chaser(GameObject* object)
    {
        return object ? dynamic_cast<AIChaseComponent*>(object->GetComponent(CT_AICHASE)) : nullptr;
    }
    // Updates of the robot's components, without physics.
    static void Think(GameObject* robot, int count = 1)
    {
        for (int i = 0; i < count; ++i) robot->UpdateComponents();
    }
    // The log entry holding the text (its location first), or empty.
    std::string LogEntry(const std::string& text) const
    {
        const std::string page = LogPage();
        const size_t at = page.find(text);
        if (at == std::string::npos) return std::string();
        size_t begin = page.rfind("background-color", at);
        if (begin == std::string::npos) begin = 0;
        return page.substr(begin, at + text.size() - begin);
    }

    Map* map = nullptr;
};

} // namespace GameplayKit
} // namespace QRX
