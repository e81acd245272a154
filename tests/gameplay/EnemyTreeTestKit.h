// The boss and turret tests: the windowless gameplay engine with a font
// manager on the shared GL context and a never-opened window (800 x 600), so
// queued captions can be read; objects made by the tests are initialised at
// once, as in a running level. Tasks can be installed one by one under the
// root of a tree, and the main player is an inactive PLAYER that no update
// moves.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/ParticleEmitter.h"
#include "game/gameplay/BehaviorTree.h"
#include "gameplay/GameplayTestKit.h"
#include "support/EngineFixture.h"

namespace QRX {
namespace GameplayKit {

class EnemyTreeTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::SharedContext().Ok());
        TestSupport::SharedContext().MakeCurrent();
        GameplayTest::SetUp();
        System* system = System::GetInstance();
        system->fontManager = new FontManager();
        system->window = new Window();
        states.updating = true;
    }

    // The main player: a PLAYER at the position that no update moves.
    GameObject* MakePlayer(const glm::vec3& at)
    {
        GameObject* player = Make(PLAYER, at);
        if (!player) return nullptr;
        player->flags &= ~OBJ_ACTIVE;
        System::GetInstance()->playerOne = player;
        return player;
    }

    // The texts queued since the last call; the queue is emptied.
    std::vector<FontManager::TextItem> Texts()
    {
        FontManager& fonts = *System::GetInstance()->fontManager;
        std::vector<FontManager::TextItem> texts(fonts.GetQueue().begin(), fonts.GetQueue().end());
        fonts.RenderAllText(800, 600);
        return texts;
    }

    // A new task of the registered name under the tree's root, in order.
    static BehaviorTree::CustomBehavior* Install(BehaviorTree::BehaviorTree& tree, const std::string& name)
    {
        BehaviorTree::BehaviorCreator creator = BehaviorTree::FindBehavior(name);
        EXPECT_NE(creator, nullptr) << name;
        if (!creator) return nullptr;
        BehaviorTree::Node* node = tree.GetRoot()->AddChild();
        node->SetTask(creator());
        return dynamic_cast<BehaviorTree::CustomBehavior*>(node->GetTask());
    }
    size_t Count(ObjectType type) { return All(type).size(); }
    static std::string Texture(const GameObject* object)
    {
        GraphicsComponent* graphics = Graphics(object);
        return graphics ? graphics->GetTextureName() : "";
    }
    static ParticleEmitter* Emitter(const GameObject* object) { return GetParticleEmitter(object); }
    size_t Warnings() const { return TestSupport::Count(LogPage(), "WARNING"); }
};

} // namespace GameplayKit
} // namespace QRX
