// The tutorial trigger, touched by a robot through the real physics step: the
// game's own TUTORIALPOPUP and SPRITE masters, with a test robot (a PLAYER
// with a box and a body) and a test crate. A frame runs as the game runs it:
// the state's update, the destroy pass, then the physics step.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "engine/graphics/GUIComponent.h"
#include "game/flow/TutorialPopupComponent.h"
#include "physics/StepTestKit.h"

using namespace QRX;

namespace {

constexpr double FRAME = 1.0 / 32.0;

class TutorialPopupTest : public StepKit::StepFixture
{
protected:
    void SetUp() override
    {
        StepFixture::SetUp();
        Logger::SetDialogAvailableOverride(0);
        const std::string folder = TestSupport::SourceDir() + "/data/objects/";
        ASSERT_NE(objects->LoadObject(folder + "TUTORIALPOPUP.xml"), nullptr);
        ASSERT_NE(objects->LoadObject(folder + "SPRITE.xml"), nullptr);
        SetFrame(FRAME);
    }
    void TearDown() override
    {
        StepFixture::TearDown();
        Logger::SetDialogAvailableOverride(-1);
    }

    // A trigger just above the floor at the origin, initialised as a level
    // initialises its objects.
    GameObject* Trigger(float displayTime, bool displayed = false)
    {
        GameObject* trigger = Make(TUTORIALPOPUP, glm::vec3(0.0f, 0.05f, 0.0f));
        if (!trigger) return nullptr;
        TutorialPopupComponent* popup = Popup(trigger);
        popup->m_DisplayTime = displayTime;
        popup->m_IsDisplayed = displayed;
        popup->m_TutorialTextureID = "howtoplay";
        trigger->InitComponents();
        return trigger;
    }
    // A robot standing in the trigger's box.
    GameObject* Robot() { return Make(PLAYER, glm::vec3(0.0f, 0.9f, 0.0f)); }
    static TutorialPopupComponent* Popup(GameObject* trigger)
    {
        return dynamic_cast<TutorialPopupComponent*>(trigger->GetComponent(CT_TUTORIALPOPUP));
    }
    // One game frame: the objects update, the marked ones go, physics steps.
    void Frame(GameObject* trigger)
    {
        if (objects->IsObjectInPlay(trigger)) trigger->UpdateComponents();
        objects->Update();
        Step();
    }
    size_t Sprites()
    {
        size_t count = 0;
        for (GameObject* o : objects->GetAllObjects()) count += o->type == SPRITE ? 1 : 0;
        return count;
    }
    bool InPlay(GameObject* o) const { return objects->IsObjectInPlay(o); }
};

TEST_F(TutorialPopupTest, MasterIsAnEtherealTriggerTheRobotWalksThrough)
{
    GameObject* trigger = Trigger(0.125f);
    ASSERT_NE(trigger, nullptr);
    CollisionComponent* box = Collision(trigger);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->active);
    EXPECT_TRUE(box->ethereal);
    EXPECT_EQ(Body(trigger), nullptr);
    ASSERT_NE(trigger->GetComponent(CT_GRAPHICS), nullptr);
    const TutorialPopupComponent* master =
        Popup(objects->FindMasterObject(TUTORIALPOPUP));
    EXPECT_FALSE(master->m_IsDisplayed);
    EXPECT_GT(master->m_DisplayTime, 1.0f);

    // A robot walking through keeps its pace.
    GameObject* robot = Make(PLAYER, glm::vec3(-1.2f, 0.9f, 0.0f));
    Body(robot)->velocity = glm::vec3(4.0f, 0.0f, 0.0f);
    Step(30);
    EXPECT_FLOAT_EQ(Body(robot)->velocity.x, 4.0f);
    EXPECT_GT(robot->position.x, 2.0f);
    EXPECT_EQ(Sprites(), 1u);
}

TEST_F(TutorialPopupTest, ShownByTheRobotAndGoneOnTheFourthUpdateOfAnEighthOfASecond)
{
    GameObject* trigger = Trigger(0.125f);
    ASSERT_NE(trigger, nullptr);
    EXPECT_EQ(Sprites(), 0u);
    GameObject* robot = Robot();
    Step();  // the contact
    ASSERT_EQ(Sprites(), 1u);
    GameObject* picture = Popup(trigger)->GetPopup();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->position, glm::vec3(0.0f, -205.0f, -12.0f));
    EXPECT_EQ(picture->scale, glm::vec3(300.0f, 180.0f, 1.0f));
    auto* gui = dynamic_cast<GUIComponent*>(picture->GetComponent(CT_GUI));
    EXPECT_EQ(gui->m_textureId, "howtoplay");
    EXPECT_FLOAT_EQ(gui->m_opacity, 1.0f);
    EXPECT_TRUE(Popup(trigger)->m_IsDisplayed);

    for (int update = 1; update <= 3; ++update) {
        Frame(trigger);
        ASSERT_TRUE(InPlay(trigger)) << update;
        ASSERT_TRUE(InPlay(picture)) << update;
    }
    Frame(trigger);  // 4 x 1/32 reaches 0.125 exactly: that counts
    EXPECT_FALSE(InPlay(trigger));
    EXPECT_FALSE(InPlay(picture));
    EXPECT_TRUE(InPlay(robot));
}

TEST_F(TutorialPopupTest, ZeroDisplayTimeGoesOnTheNextUpdateAndLongFramesCountAsTwentieths)
{
    GameObject* trigger = Trigger(0.0f);
    Robot();
    Step();
    ASSERT_EQ(Sprites(), 1u);
    Frame(trigger);
    EXPECT_FALSE(InPlay(trigger));
    EXPECT_EQ(Sprites(), 0u);

    // A half-second frame adds only 0.05: 0.1 needs two updates.
    GameObject* second = Trigger(0.1f);
    Step();
    ASSERT_EQ(Sprites(), 1u);
    SetFrame(0.5);
    Frame(second);
    EXPECT_TRUE(InPlay(second));
    EXPECT_FLOAT_EQ(Popup(second)->m_DisplayTimeTimer, 0.05f);
    Frame(second);
    EXPECT_FALSE(InPlay(second));
}

TEST_F(TutorialPopupTest, ShownFromTheStartStaysUntilTheRobotTouchesIt)
{
    GameObject* trigger = Trigger(-1.0f, true);
    ASSERT_NE(trigger, nullptr);
    GameObject* picture = Popup(trigger)->GetPopup();
    ASSERT_NE(picture, nullptr);
    for (int update = 0; update < 100; ++update) Frame(trigger);
    EXPECT_TRUE(InPlay(trigger));
    EXPECT_TRUE(InPlay(picture));
    EXPECT_FLOAT_EQ(Popup(trigger)->m_DisplayTimeTimer, 0.0f);

    Robot();
    Step();  // the contact hides it: picture and trigger both go
    objects->Update();
    EXPECT_FALSE(InPlay(trigger));
    EXPECT_FALSE(InPlay(picture));
    EXPECT_EQ(Sprites(), 0u);
}

TEST_F(TutorialPopupTest, OnlyTheFirstContactOfTheRobotCounts)
{
    GameObject* trigger = Trigger(-1.0f);
    ASSERT_NE(trigger, nullptr);
    // A crate's contact does nothing, and neither does a contact without an object.
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 0.9f, 0.0f));
    Step();
    ASSERT_TRUE(Collision(crate)->collided);
    EXPECT_EQ(Sprites(), 0u);
    Popup(trigger)->OnCollision(nullptr);
    EXPECT_EQ(Sprites(), 0u);
    EXPECT_TRUE(Popup(trigger)->m_IsUpdateOnCollision);
    crate->flags |= OBJ_DESTROY;
    objects->Update();

    Robot();
    Step();
    ASSERT_EQ(Sprites(), 1u);
    GameObject* picture = Popup(trigger)->GetPopup();
    // The robot stays in the box: every further contact is ignored.
    for (int frame = 0; frame < 20; ++frame) Frame(trigger);
    EXPECT_TRUE(InPlay(trigger));
    EXPECT_TRUE(InPlay(picture));
    EXPECT_EQ(Sprites(), 1u);
    EXPECT_TRUE(Popup(trigger)->m_IsDisplayed);
}

TEST_F(TutorialPopupTest, PictureRemovedElsewhereIsNeverTouchedAgain)
{
    GameObject* trigger = Trigger(0.125f);
    Robot();
    Step();
    GameObject* picture = Popup(trigger)->GetPopup();
    ASSERT_NE(picture, nullptr);
    // Something else removes the picture; its slot goes to a new sprite.
    picture->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(Popup(trigger)->GetPopup(), nullptr);
    GameObject* other = Make(SPRITE, glm::vec3(0.0f));
    ASSERT_EQ(other, picture);  // the same pool slot
    for (int update = 0; update < 4; ++update) Frame(trigger);
    EXPECT_FALSE(InPlay(trigger));
    EXPECT_TRUE(InPlay(other));
    EXPECT_FALSE(other->flags & OBJ_DESTROY);
}

TEST_F(TutorialPopupTest, FullPoolLeavesNoPictureButTheTriggerStillGoes)
{
    GameObject* trigger = Trigger(0.0625f);
    Robot();
    testing::internal::CaptureStdout();
    while (objects->CreateInstance(SPRITE, glm::vec3(0.0f))) {
    }
    Step();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(Popup(trigger)->m_IsDisplayed);
    EXPECT_EQ(Popup(trigger)->GetPopup(), nullptr);
    Frame(trigger);
    Frame(trigger);
    EXPECT_FALSE(InPlay(trigger));
}

TEST_F(TutorialPopupTest, FieldsAreReadAndWrittenByName)
{
    GameObject* trigger = Trigger(2.0f);
    TutorialPopupComponent* popup = Popup(trigger);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Component><IsDisplayed>true</IsDisplayed><TutorialTextureID>tut_throw</TutorialTextureID>"
                        "<DisplayTime>-1</DisplayTime></Component>"),
              tinyxml2::XML_SUCCESS);
    popup->Read(doc.RootElement()->FirstChildElement());
    EXPECT_TRUE(popup->m_IsDisplayed);
    EXPECT_EQ(popup->m_TutorialTextureID, "tut_throw");
    EXPECT_FLOAT_EQ(popup->m_DisplayTime, -1.0f);

    const Component* master = objects->FindMasterObject(TUTORIALPOPUP)->GetComponent(CT_TUTORIALPOPUP);
    fm->writeCommands.clear();
    popup->Write(master);
    std::vector<std::string> written;
    for (const auto& c : fm->writeCommands)
        if (c.first != "return") written.push_back(c.second);
    EXPECT_EQ(written, (std::vector<std::string>{"Component", "Type", "CT_TUTORIALPOPUP", "IsDisplayed", "true",
                                                 "TutorialTextureID", "tut_throw", "DisplayTime", "-1"}));
    // A copy of the master writes nothing.
    TutorialPopupComponent copy;
    copy.CopyFrom(master);
    fm->writeCommands.clear();
    copy.Write(master);
    EXPECT_TRUE(fm->writeCommands.empty());
}

} // namespace
