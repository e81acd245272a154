// The tutorial trigger (the game's own master) touched through the real
// physics step by a test robot (a PLAYER with a box and a body). A frame runs
// as the game's does: updates, the destroy pass, then the physics step.
#include <gtest/gtest.h>

#include "engine/graphics/GUIComponent.h"
#include "game/flow/TutorialPopupComponent.h"
#include "physics/StepTestKit.h"

using namespace QRX;

namespace {

class TutorialPopupTest : public StepKit::StepFixture
{
protected:
    void SetUp() override
    {
        StepFixture::SetUp();
        const std::string folder = TestSupport::SourceDir() + "/data/objects/";
        ASSERT_NE(objects->LoadObject(folder + "TUTORIALPOPUP.xml"), nullptr);
        ASSERT_NE(objects->LoadObject(folder + "SPRITE.xml"), nullptr);
        SetFrame(1.0 / 32.0);
    }
    // A trigger just above the floor, initialised as a level does it.
    GameObject* Trigger(float displayTime, bool displayed = false)
    {
        GameObject* trigger = Make(TUTORIALPOPUP, glm::vec3(0.0f, 0.05f, 0.0f));
        Popup(trigger)->m_DisplayTime = displayTime;
        Popup(trigger)->m_IsDisplayed = displayed;
        Popup(trigger)->m_TutorialTextureID = "howtoplay";
        trigger->InitComponents();
        return trigger;
    }
    static TutorialPopupComponent* Popup(GameObject* trigger)
    {
        return dynamic_cast<TutorialPopupComponent*>(trigger->GetComponent(CT_TUTORIALPOPUP));
    }
    // Frames until the trigger is gone, at most the limit (limit + 1: still there).
    int FramesUntilGone(GameObject* trigger, int limit)
    {
        for (int frame = 1; frame <= limit; ++frame) {
            trigger->UpdateComponents();
            objects->Update();
            Step();
            if (!objects->IsObjectInPlay(trigger)) return frame;
        }
        return limit + 1;
    }
    size_t Sprites() { return objects->GetActiveObjectsOfType(SPRITE).size(); }
};

TEST_F(TutorialPopupTest, RobotShowsThePictureForItsDisplayTime)
{
    GameObject* trigger = Trigger(0.125f);
    ASSERT_TRUE(Collision(trigger)->ethereal);
    GameObject* robot = Make(PLAYER, glm::vec3(-0.9f, 0.9f, 0.0f));
    Body(robot)->velocity = glm::vec3(1.0f, 0.0f, 0.0f);
    Step();  // the contact: the robot walks on through
    EXPECT_FLOAT_EQ(Body(robot)->velocity.x, 1.0f);
    ASSERT_EQ(Sprites(), 1u);
    GameObject* picture = Popup(trigger)->GetPopup();
    EXPECT_EQ(picture->position, glm::vec3(0.0f, -205.0f, -12.0f));
    EXPECT_EQ(picture->scale, glm::vec3(300.0f, 180.0f, 1.0f));
    EXPECT_EQ(dynamic_cast<GUIComponent*>(picture->GetComponent(CT_GUI))->m_textureId, "howtoplay");
    // Four thirty-second frames reach 0.125 exactly, which counts.
    EXPECT_EQ(FramesUntilGone(trigger, 10), 4);
    EXPECT_FALSE(objects->IsObjectInPlay(picture));

    // With the time 0 the next update removes both.
    GameObject* second = Trigger(0.0f);
    robot->position = glm::vec3(0.0f, 0.9f, 0.0f);
    Body(robot)->velocity = glm::vec3(0.0f);
    Step();
    ASSERT_EQ(Sprites(), 1u);
    EXPECT_EQ(FramesUntilGone(second, 10), 1);
    EXPECT_EQ(Sprites(), 0u);
}

TEST_F(TutorialPopupTest, ShownFromTheStartUntilTheRobotTouchesItOrAnotherComesUp)
{
    GameObject* trigger = Trigger(-1.0f, true);
    GameObject* picture = Popup(trigger)->GetPopup();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(FramesUntilGone(trigger, 100), 101);
    EXPECT_TRUE(objects->IsObjectInPlay(picture));
    Make(PLAYER, glm::vec3(0.0f, 0.9f, 0.0f));
    EXPECT_EQ(FramesUntilGone(trigger, 3), 2);  // its step marks both, the next pass removes them
    EXPECT_EQ(Sprites(), 0u);

    // Pictures share their place: the next one to come up takes it alone.
    GameObject* first = Trigger(-1.0f, true);
    GameObject* next = Trigger(10.0f, true);
    objects->Update();
    EXPECT_FALSE(objects->IsObjectInPlay(first));
    EXPECT_EQ(Sprites(), 1u);
    EXPECT_NE(Popup(next)->GetPopup(), nullptr);
}

TEST_F(TutorialPopupTest, OnlyTheRobotsFirstContactCounts)
{
    GameObject* trigger = Trigger(-1.0f);
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 0.9f, 0.0f));
    Step();
    ASSERT_TRUE(Collision(crate)->collided);
    Popup(trigger)->OnCollision(nullptr);
    EXPECT_EQ(Sprites(), 0u);
    crate->flags |= OBJ_DESTROY;
    Make(PLAYER, glm::vec3(0.0f, 0.9f, 0.0f));
    // The robot stays in the box: the later contacts change nothing.
    EXPECT_EQ(FramesUntilGone(trigger, 20), 21);
    EXPECT_EQ(Sprites(), 1u);
    EXPECT_TRUE(Popup(trigger)->m_IsShown);
    EXPECT_FALSE(Popup(trigger)->m_IsDisplayed);  // the file's flag, which a save writes
}

TEST_F(TutorialPopupTest, PictureGoneElsewhereOrNeverMadeIsLeftAlone)
{
    GameObject* trigger = Trigger(0.125f);
    Make(PLAYER, glm::vec3(0.0f, 0.9f, 0.0f));
    Step();
    GameObject* picture = Popup(trigger)->GetPopup();
    picture->flags |= OBJ_DESTROY;
    objects->Update();
    GameObject* other = Make(SPRITE, glm::vec3(0.0f));
    ASSERT_EQ(other, picture);  // the same pool slot, now another object
    EXPECT_EQ(FramesUntilGone(trigger, 10), 4);
    EXPECT_FALSE(other->flags & OBJ_DESTROY);

    // A full pool gives no picture; the trigger still goes in time.
    GameObject* second = Trigger(0.0625f);
    Logger::SetDialogAvailableOverride(0);
    testing::internal::CaptureStdout();
    while (objects->CreateInstance(SPRITE, glm::vec3(0.0f))) {
    }
    Step();
    testing::internal::GetCapturedStdout();
    Logger::SetDialogAvailableOverride(-1);
    EXPECT_TRUE(Popup(second)->m_IsShown);
    EXPECT_EQ(Popup(second)->GetPopup(), nullptr);
    EXPECT_EQ(FramesUntilGone(second, 10), 2);
}

} // namespace
