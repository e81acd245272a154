#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/gameplay/BehaviorTree.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

namespace {

// The game's own tree files load whole: every task they name is registered by
// the library, although this program names no task class (the registry is
// filled by the static initialisers of the task files linked in whole).
TEST(BehaviorTreeFiles, GameTreesNameOnlyRegisteredTasks)
{
    QRX::TestSupport::ScopedTempHome home;
    QRX::System::GetInstance()->logger = new QRX::Logger();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("data/behaviorTrees", error)) {
        if (entry.path().extension() != ".xml") continue;
        BehaviorTree::BehaviorTree tree(nullptr);
        testing::internal::CaptureStdout();
        bool loaded = tree.Load(entry.path().string());
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(loaded) << entry.path();
        EXPECT_EQ(QRX::TestSupport::Count(log, "WARNING"), 0u) << log;
        EXPECT_FALSE(tree.GetRoot()->GetChildren().empty()) << entry.path();
    }
    QRX::System* system = QRX::System::GetInstance();
    delete system->logger;
    system->logger = nullptr;
    QRX::System::DestroyInstance();
}

} // namespace
