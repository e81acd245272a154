// The controller wait with virtual game pads plugged in and out: the one
// message it queues for the frame, and the level buttons it shows only while
// both pads are in. A never-opened window gives the 800 x 600 client size.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/platform/Pads.h"
#include "game/gameplay/ControllerWaitComponent.h"
#include "gameplay/GameplayTestKit.h"
#include "support/VirtualPad.h"

using namespace QRX;
using namespace QRX::GameplayKit;
using TestSupport::VirtualPad;

namespace {

class ControllerWaitTest : public GameplayTest
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
        ASSERT_TRUE(Platform::StartPads()) << Platform::PadsError();
        wait = Make(CONTROLLERWAIT, glm::vec3(0.0f));
        ASSERT_NE(wait, nullptr);
        component = dynamic_cast<ControllerWaitComponent*>(wait->GetComponent(CT_CONTROLLERWAIT));
        ASSERT_NE(component, nullptr);
        buttons = {Make(BUTTONNEXTLEVEL, glm::vec3(200.0f, -200.0f, -5.0f)),
                   Make(BUTTONPREVIOUSLEVEL, glm::vec3(-200.0f, -200.0f, -5.0f)),
                   Make(BUTTONNEXTLEVEL, glm::vec3(0.0f, -200.0f, -5.0f))};
        // One starts hidden, as a wait of an earlier frame leaves it.
        buttons[2]->flags = (buttons[2]->flags | OBJ_SKIP_DRAW) & ~OBJ_ACTIVE;
    }
    void TearDown() override
    {
        pads.clear();
        Platform::ShutdownPads();
        ControllerWaitComponent::SetTwoPlayerLevel(false);
        GameplayTest::TearDown();
    }
    // Plugs in a pad; it takes the first free slot.
    void Plug()
    {
        pads.push_back(std::make_unique<VirtualPad>());
        ASSERT_TRUE(pads.back()->Ok());
    }
    void Unplug(size_t index)
    {
        pads[index]->Unplug();
        VirtualPad::Pump();
    }
    // One update of the wait; the texts it queued, then an empty queue.
    std::vector<FontManager::TextItem> Update()
    {
        VirtualPad::Pump();
        wait->UpdateComponents();
        FontManager& fonts = *System::GetInstance()->fontManager;
        std::vector<FontManager::TextItem> texts(fonts.GetQueue().begin(), fonts.GetQueue().end());
        fonts.RenderAllText(800, 600);
        return texts;
    }
    // The one message of an update, checked for place, font and colour.
    std::string Message()
    {
        const std::vector<FontManager::TextItem> texts = Update();
        if (texts.size() != 1) return texts.empty() ? "" : "several";
        const FontManager::TextItem& text = texts.front();
        EXPECT_EQ(text.mode, FontManager::POSITION_TOP_LEFT);
        EXPECT_EQ(text.x, 240.0f);
        EXPECT_EQ(text.y, 560.0f);
        EXPECT_EQ(text.fontId, "medium");
        EXPECT_EQ(text.color, glm::vec4(1.0f));
        return text.text;
    }
    // How many buttons are drawn and active; the rest must be neither.
    int ShownButtons() const
    {
        int shown = 0;
        for (const GameObject* button : buttons) {
            const bool drawn = !(button->flags & OBJ_SKIP_DRAW);
            EXPECT_EQ(drawn, (button->flags & OBJ_ACTIVE) != 0);
            shown += drawn;
        }
        return shown;
    }

    GameObject* wait = nullptr;
    ControllerWaitComponent* component = nullptr;
    std::vector<GameObject*> buttons;
    std::vector<std::unique_ptr<VirtualPad>> pads;
};

TEST_F(ControllerWaitTest, TheMessageNamesTheMissingPadAndTheButtonsShowOnlyWithBoth)
{
    EXPECT_EQ(Message(), "Please connect two controllers");
    EXPECT_EQ(ShownButtons(), 0);

    Plug();  // pad 0
    EXPECT_EQ(Message(), "Please connect player two's controller");
    EXPECT_EQ(ShownButtons(), 0);

    Plug();  // pad 1
    EXPECT_TRUE(Update().empty());
    EXPECT_EQ(ShownButtons(), 3);
    EXPECT_FALSE(component->m_IsActiveThisFrame);

    // Player two's pad comes out: hidden in that very update, and back again.
    Unplug(1);
    EXPECT_EQ(Message(), "Please connect player two's controller");
    EXPECT_EQ(ShownButtons(), 0);
    Plug();
    EXPECT_TRUE(Update().empty());
    EXPECT_EQ(ShownButtons(), 3);

    // Only player two's pad left: pad 1 keeps its slot.
    Unplug(0);
    EXPECT_EQ(Message(), "Please connect player one's controller");
    EXPECT_EQ(ShownButtons(), 0);
}

TEST_F(ControllerWaitTest, KeptForTheTwoPlayerLevelItWaitsForTheFlag)
{
    component->m_IsOnlyInMultiplayerLevel = true;
    ASSERT_FALSE(ControllerWaitComponent::IsTwoPlayerLevel());
    Plug();
    Plug();
    // Idle: no message, the buttons as they were.
    EXPECT_TRUE(Update().empty());
    EXPECT_EQ(ShownButtons(), 2);
    Unplug(0);
    EXPECT_TRUE(Update().empty());
    EXPECT_EQ(ShownButtons(), 2);

    ControllerWaitComponent::SetTwoPlayerLevel(true);
    EXPECT_EQ(Message(), "Please connect player one's controller");
    EXPECT_EQ(ShownButtons(), 0);
}

TEST_F(ControllerWaitTest, WithoutAWindowOrFontsOnlyTheButtonsChange)
{
    System* system = System::GetInstance();
    delete system->window;
    system->window = nullptr;
    EXPECT_TRUE(Update().empty());
    delete system->fontManager;
    system->fontManager = nullptr;
    Plug();
    Plug();
    VirtualPad::Pump();
    wait->UpdateComponents();
    EXPECT_EQ(ShownButtons(), 3);
}

} // namespace
