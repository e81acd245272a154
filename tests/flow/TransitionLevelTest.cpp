// The transition screens between levels: the stars and texts they show from
// the current profile, the grading the level state leaves there as a level
// ends, and what a missing screen file or a reload leaves behind. The game's
// own level table and screen files are used; no window is open (the layout
// is that of a 1024 x 768 window) unless a test makes an unopened one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "flow/StateTestKit.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/TransitionLevel.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

TEST(TransitionRules, StarsOfEachGrade)
{
    const auto row = [](char grade) {
        std::vector<std::string> textures;
        for (int i = 0; i < TRANSITION_STAR_COUNT; ++i) textures.push_back(StarTexture(i, FullStarCount(grade)));
        return textures;
    };
    EXPECT_EQ(row('A'), (std::vector<std::string>{"star", "star", "star"}));
    EXPECT_EQ(row('B'), (std::vector<std::string>{"star", "star", "star_empty"}));
    EXPECT_EQ(row('C'), (std::vector<std::string>{"star", "star_empty", "star_empty"}));
    EXPECT_EQ(row('F'), row('C'));
    EXPECT_EQ(row('\0'), row('C'));

    EXPECT_FALSE(IsGradedTransition(16));
    EXPECT_TRUE(IsGradedTransition(17));
    EXPECT_TRUE(IsGradedTransition(26));
    for (int id : {15, 27, 28, 29, 36}) EXPECT_FALSE(IsGradedTransition(id)) << id;
    EXPECT_EQ(WinnerText(1), "Player One Wins!!");
    EXPECT_EQ(WinnerText(7), "Player One Wins!!");
    EXPECT_EQ(WinnerText(0), "Player Two Wins!!");
}

class TransitionLevelTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::SharedContext().Ok());
        TestSupport::SharedContext().MakeCurrent();
        StateTest::SetUp();
        System* s = System::GetInstance();
        s->fontManager = new FontManager();
        s->inputManager = new InputManager();
        s->profileManager = new ProfileManager();
        Logger::SetDialogAvailableOverride(0);
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::TransitionLevel, &transition);
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        // The screens leave while the managers they use still exist.
        gsm.Shutdown();
        System* s = System::GetInstance();
        Logger::SetDialogAvailableOverride(-1);
        delete s->window;
        delete s->fontManager;
        delete s->inputManager;
        delete s->profileManager;
        s->window = nullptr;
        s->fontManager = nullptr;
        s->inputManager = nullptr;
        s->profileManager = nullptr;
        StateTest::TearDown();
    }

    Profile& Current() { return *System::GetInstance()->profileManager->GetCurrentProfile(); }
    // The queued lines, emptied.
    std::vector<FontManager::TextItem> TakeTexts()
    {
        FontManager& fonts = *System::GetInstance()->fontManager;
        std::vector<FontManager::TextItem> items(fonts.GetQueue().begin(), fonts.GetQueue().end());
        fonts.RenderAllText(1024, 768);
        return items;
    }
    std::vector<GameObject*> Stars(int id)
    {
        std::vector<GameObject*> stars;
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
            if (o->stateId == id && o->type == SPRITE && o->position.z == STAR_Z) stars.push_back(o);
        return stars;
    }
    static std::string TextureOf(GameObject* o) { return static_cast<GUIComponent*>(o->GetComponent(CT_GUI))->m_textureId; }
    std::vector<std::string> StarTextures(int id)
    {
        std::vector<std::string> textures;
        for (GameObject* star : Stars(id)) textures.push_back(TextureOf(star));
        return textures;
    }
    // Plays the graded test level for whole frames of 0.05 s, then leaves it for
    // the transition after level 1.
    void PlayGradedLevel(int frames, bool withScore = true)
    {
        gsm.GetLevelManager()->SetFreeLoadPath(TestLevel(withScore ? "graded.xml" : "small.xml"));
        Go(STATE_FREELOAD);
        for (int i = 0; i < frames; ++i) Frame(0.05);
        TakeTexts();
        Go(17);
    }

    BaseLevel level;
    TransitionLevel transition;
};

TEST_F(TransitionLevelTest, GradedScreenShowsStarsAndTheTimeUntilItsButtonActs)
{
    Go(16);  // the splash's level state has graded its own time as it left
    Current().grade = 'B';
    Current().lastLevelTime = 0;
    Go(18);
    ASSERT_EQ(Stars(18).size(), 3u);
    EXPECT_EQ(StarTextures(18), (std::vector<std::string>{"star", "star", "star_empty"}));
    const std::vector<GameObject*> stars = Stars(18);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(stars[i]->position, glm::vec3(-55.0f + 128.0f * i, -150.0f, -12.0f)) << i;
        EXPECT_EQ(stars[i]->scale, glm::vec3(128.0f, 128.0f, 1.0f)) << i;
    }
    EXPECT_EQ(transition.GetStars(), stars);

    // A time of 0 is still drawn, as "0", on its label's line one blank after it.
    TakeTexts();
    Frame();
    std::vector<FontManager::TextItem> texts = TakeTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "0");
    EXPECT_EQ(texts[0].mode, FontManager::POSITION_CENTRE);
    EXPECT_EQ(texts[0].x, -265.0f + System::GetInstance()->fontManager->TextWidth("transition", "Time (seconds): "));
    EXPECT_EQ(texts[0].y, 70.0f);
    EXPECT_EQ(texts[0].fontId, "transition");
    EXPECT_EQ(texts[0].color, glm::vec4(1.0f));

    // The frame the next-level button acts queues its caption and no time.
    GameObject* next = nullptr;
    for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
        if (o->type == BUTTONNEXTLEVEL) next = o;
    ASSERT_NE(next, nullptr);
    auto* element = static_cast<UILogicComponent*>(next->GetComponent(CT_UILOGIC));
    // Clicked last frame: the element holds its selection in this one, and
    // the button acts before the screen's texts are drawn.
    element->m_SelectState = UI_STATE_BEGUN;
    TakeTexts();
    Frame();
    texts = TakeTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Loading Game World");
    EXPECT_FALSE(transition.ShowsTexts());
    EXPECT_EQ(gsm.GetRequestedState(), 5);

    // Escape asks for the pause menu.
    gsm.RequestState(18);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);
}

TEST_F(TransitionLevelTest, UngradedScreensShowNeitherStarsNorTimeAndTwentyNineTheWinner)
{
    Go(27);
    Current().grade = 'A';
    Current().lastLevelTime = 42;
    for (int id : {16, 27}) {
        Go(id);
        EXPECT_TRUE(Stars(id).empty()) << id;
        EXPECT_TRUE(transition.GetStars().empty()) << id;
        TakeTexts();
        Frame();
        EXPECT_TRUE(TakeTexts().empty()) << id;
    }

    // A two-player screen whose file is missing ends the game, but the screen
    // still runs its frame.
    TestSupport::ScopedMissingLevelFile missing("transitionmultiplayer_end.xml");
    ASSERT_TRUE(missing.Ok());
    System::GetInstance()->window = new Window();  // never opened: 800 x 600
    testing::internal::CaptureStdout();
    Go(28);
    Frame();
    EXPECT_TRUE(Stars(28).empty());
    // Its only words are its controller wait's, asking for the pads.
    for (const FontManager::TextItem& text : TakeTexts()) EXPECT_EQ(text.text.rfind("Please connect", 0), 0u);
    for (char winner : {char(1), char(0)}) {
        Current().winner = winner;
        Go(29);
        TakeTexts();
        Frame();
        const std::vector<FontManager::TextItem> texts = TakeTexts();
        EXPECT_EQ(texts.size(), 1u);
        if (texts.empty()) continue;
        EXPECT_EQ(texts[0].text, winner ? "Player One Wins!!" : "Player Two Wins!!");
        EXPECT_FLOAT_EQ(texts[0].x, -0.2f * 800.0f);
        EXPECT_EQ(texts[0].y, 0.0f);
        EXPECT_EQ(texts[0].fontId, "big");
        EXPECT_EQ(texts[0].mode, FontManager::POSITION_CENTRE);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Unable to open file: data/levels/transitionmultiplayer_end.xml , exiting game..."),
              std::string::npos)
        << out;
    // Nothing of another screen file was read in its place.
    EXPECT_EQ(CountOwnedBy(29), 0u);
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(TransitionLevelTest, LevelEndGradesTheTimeForTheNextScreen)
{
    // 918 frames of 0.05 s: 45.9 s, whole seconds 45.
    PlayGradedLevel(918);
    EXPECT_EQ(Current().lastLevelTime, 45);
    EXPECT_EQ(Current().grade, 'A');
    EXPECT_EQ(StarTextures(17), (std::vector<std::string>{"star", "star", "star"}));
    TakeTexts();
    Frame();
    const std::vector<FontManager::TextItem> texts = TakeTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "45");

    // 61.5 s is past grade B's 60 s.
    PlayGradedLevel(1230);
    EXPECT_EQ(Current().lastLevelTime, 61);
    EXPECT_EQ(Current().grade, 'C');
    EXPECT_EQ(StarTextures(17), (std::vector<std::string>{"star", "star_empty", "star_empty"}));

    // A level without a level score leaves the ungraded 'F': one star.
    PlayGradedLevel(30, false);
    EXPECT_EQ(Current().lastLevelTime, 1);
    EXPECT_EQ(Current().grade, 'F');
    EXPECT_EQ(StarTextures(17), (std::vector<std::string>{"star", "star_empty", "star_empty"}));

    // Without a profile manager nothing is graded and no time is drawn.
    delete System::GetInstance()->profileManager;
    System::GetInstance()->profileManager = nullptr;
    PlayGradedLevel(20);
    EXPECT_EQ(StarTextures(17), (std::vector<std::string>{"star", "star_empty", "star_empty"}));
    Frame();
    EXPECT_TRUE(TakeTexts().empty());
}

TEST_F(TransitionLevelTest, ReloadAndLeavingMarkNoObjectOfAnotherState)
{
    Go(17);
    ASSERT_EQ(transition.GetStars().size(), 3u);
    ObjectManager* objects = System::GetInstance()->objectManager;
    std::vector<GameObject*> others;
    for (int i = 0; i < 20; ++i) others.push_back(objects->CreatePlacedInstance(SPRITE, glm::vec3(0.0f), 1, 40));

    // A restart reloads the screen: the old stars went with it, three new ones are made.
    gsm.RequestState(STATE_RESTART);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), 17);
    EXPECT_EQ(Stars(17).size(), 3u);
    EXPECT_EQ(transition.GetStars(), Stars(17));

    // Leaving the screen marks no pool place for destruction, taken or free.
    Go(4);
    EXPECT_TRUE(transition.GetStars().empty());
    EXPECT_EQ(CountOwnedBy(17), 0u);
    for (const GameObject* slot : objects->GetPool()) EXPECT_FALSE(slot->flags & OBJ_DESTROY) << slot->id;
    for (GameObject* o : others) {
        ASSERT_NE(o, nullptr);
        EXPECT_TRUE(objects->IsObjectInPlay(o));
        EXPECT_EQ(o->stateId, 40);
    }
}

TEST_F(TransitionLevelTest, StarsThePoolCannotGiveAreLeftOut)
{
    Go(16);
    Current().grade = 'A';
    Go(17);
    const size_t screenObjects = CountOwnedBy(17) - 3;
    Go(16);
    const size_t startObjects = CountOwnedBy(16);

    // Every place is taken but those the next screen and one star need.
    ObjectManager* objects = System::GetInstance()->objectManager;
    testing::internal::CaptureStdout();
    while (objects->CreatePlacedInstance(UIOBJECT, glm::vec3(0.0f), 1, 40)) {
    }
    size_t toFree = screenObjects - startObjects + 1;
    for (GameObject* o : objects->GetAllObjects()) {
        if (toFree == 0) break;
        if (o->stateId != 40) continue;
        o->flags |= OBJ_DESTROY;
        --toFree;
    }
    objects->Update();
    Go(17);
    Frame();
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(transition.GetStars().size(), 1u);
    EXPECT_EQ(TextureOf(transition.GetStars()[0]), "star");
    EXPECT_EQ(CountOwnedBy(17), screenObjects + 1);
    EXPECT_NE(out.find("No object for star 2 of transition screen 17; it is left out."), std::string::npos) << out;
    EXPECT_NE(out.find("No object for star 3 of transition screen 17; it is left out."), std::string::npos);
}

} // namespace
