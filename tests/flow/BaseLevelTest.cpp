// The level state: its rules as pure functions, then the state itself on the
// game's own splash and level files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/Map.h"
#include "game/flow/StateCommon.h"
#include "flow/StateTestKit.h"

using namespace QRX;

namespace {

// Rules --------------------------------------------------------------------

TEST(LevelRules, GradeFromWholeSecondsAndThresholds)
{
    const LevelScoreTimes times{45, 60};
    EXPECT_EQ(WholeSeconds(45.9), 45u);
    EXPECT_EQ(GradeLevelTime(WholeSeconds(45.9), &times), 'A');
    EXPECT_EQ(GradeLevelTime(46, &times), 'B');
    EXPECT_EQ(GradeLevelTime(60, &times), 'B');
    EXPECT_EQ(GradeLevelTime(61, &times), 'C');

    const LevelScoreTimes zero{0, 0};
    EXPECT_EQ(GradeLevelTime(0, &zero), 'A');
    EXPECT_EQ(GradeLevelTime(1, &zero), 'C');

    EXPECT_EQ(GradeLevelTime(0, nullptr), 'F');
    EXPECT_EQ(GradeLevelTime(1000, nullptr), GRADE_NONE);
}

TEST(LevelRules, WholeSecondsOfOddTimes)
{
    EXPECT_EQ(WholeSeconds(0.0), 0u);
    EXPECT_EQ(WholeSeconds(-3.5), 0u);
    EXPECT_EQ(WholeSeconds(std::nan("")), 0u);
    EXPECT_EQ(WholeSeconds(1e20), std::numeric_limits<unsigned>::max());
}

TEST(LevelRules, LevelNameIsTheFileNameUpToItsFirstDot)
{
    EXPECT_EQ(LevelNameFromFile("The Throw.xml"), "The Throw");
    EXPECT_EQ(LevelNameFromFile("Twister.xml "), "Twister");
    EXPECT_EQ(LevelNameFromFile("a.b.xml"), "a");
    EXPECT_EQ(LevelNameFromFile("plain"), "plain");
    EXPECT_EQ(LevelNameFromFile(""), "");
}

TEST(LevelRules, FrameTimeIsCappedAndNeverNegative)
{
    EXPECT_DOUBLE_EQ(CappedFrameTime(0.2), 0.05);
    EXPECT_DOUBLE_EQ(CappedFrameTime(0.05), 0.05);
    EXPECT_DOUBLE_EQ(CappedFrameTime(0.01), 0.01);
    EXPECT_DOUBLE_EQ(CappedFrameTime(-0.1), 0.0);
    EXPECT_DOUBLE_EQ(CappedFrameTime(std::nan("")), 0.0);
}

TEST(LevelRules, FallBoundaryIsStrict)
{
    EXPECT_FALSE(IsBelowFallBoundary(glm::vec3(0.0f, -5.0f, 0.0f)));
    EXPECT_TRUE(IsBelowFallBoundary(glm::vec3(0.0f, -5.01f, 0.0f)));
    EXPECT_FALSE(IsBelowFallBoundary(glm::vec3(-100.0f, 3.0f, -100.0f)));
}

TEST(LevelRules, WhichStatesShowTheHudAndPause)
{
    EXPECT_FALSE(ShowsLevelHud(STATE_SPLASH));
    EXPECT_FALSE(ShowsLevelHud(STATE_SPLASH_CONTROLLER));
    EXPECT_TRUE(ShowsLevelHud(STATE_LEVEL1));
    EXPECT_TRUE(ShowsLevelHud(STATE_FREELOADNEXT));

    EXPECT_FALSE(EscapeOpensPauseMenu(STATE_SPLASH_CONTROLLER));
    EXPECT_TRUE(EscapeOpensPauseMenu(STATE_LEVEL1));
    EXPECT_TRUE(EscapeOpensPauseMenu(STATE_LEVEL12));
    EXPECT_TRUE(EscapeOpensPauseMenu(STATE_FREELOAD));
    EXPECT_FALSE(EscapeOpensPauseMenu(STATE_FREELOADNEXT));
}

// Runs splash steps with a fixed frame time until one asks for a state.
int UpdatesUntilRequest(int id, double dt, int& request)
{
    std::ostringstream out;
    double time = 0.0;
    for (int update = 1; update < 1000; ++update) {
        time += CappedFrameTime(dt);
        request = SplashStep(id, time, false, out);
        if (request != STATE_NONE) return update;
    }
    return -1;
}

TEST(LevelRules, SplashScreensAdvanceJustAfterTwoSeconds)
{
    int request = 0;
    // 1/64 s frames reach exactly 2.0 at update 128, which is not enough.
    EXPECT_EQ(UpdatesUntilRequest(STATE_SPLASH, 1.0 / 64.0, request), 129);
    EXPECT_EQ(request, STATE_SPLASH_CONTROLLER);
    EXPECT_EQ(UpdatesUntilRequest(STATE_SPLASH_CONTROLLER, 1.0 / 64.0, request), 129);
    EXPECT_EQ(request, STATE_LOADING);
    // Long frames count as 0.05 s each (forty of them add up to a hair over 2).
    EXPECT_GE(UpdatesUntilRequest(STATE_SPLASH, 0.5, request), 40);
    EXPECT_EQ(UpdatesUntilRequest(STATE_LEVEL1, 0.5, request), -1);

    std::ostringstream out;
    EXPECT_EQ(SplashStep(STATE_SPLASH, 2.015625, false, out), STATE_SPLASH_CONTROLLER);
    EXPECT_EQ(out.str(), "Automatic skip splash after 2.01562 secs.\n");
}

TEST(LevelRules, SkipKeyGoesStraightToTheLoadingScreen)
{
    std::ostringstream out;
    EXPECT_EQ(SplashStep(STATE_SPLASH, 0.5, true, out), STATE_LOADING);
    EXPECT_EQ(out.str(), "Someone told me to skip splash!\n");
    EXPECT_EQ(SplashStep(STATE_SPLASH_CONTROLLER, 0.5, true, out), STATE_LOADING);
    EXPECT_EQ(SplashStep(STATE_LEVEL1, 0.5, true, out), STATE_NONE);
}

// The state --------------------------------------------------------------------

class BaseLevelTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        ASSERT_TRUE(gsm.Initialize());
    }
    const Map& Grid() { return *gsm.GetLevelManager()->GetMap(); }
    // The first picture of a state.
    GameObject* AnyObjectOf(int id)
    {
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
            if (o->stateId == id && o->type == SPRITE) return o;
        return nullptr;
    }

    BaseLevel level;
};

TEST_F(BaseLevelTest, SplashShowsItsPictureAndAdvancesToTheController)
{
    EXPECT_EQ(level.GetLevelPath(), "data/levels/splash.xml");
    ASSERT_EQ(CountOwnedBy(STATE_SPLASH, SPRITE), 1u);
    GameObject* picture = AnyObjectOf(STATE_SPLASH);
    ASSERT_EQ(picture->type, SPRITE);
    auto* gui = static_cast<GUIComponent*>(picture->GetComponent(CT_GUI));
    ASSERT_NE(gui, nullptr);
    EXPECT_EQ(gui->m_textureId, "splash_00");
    EXPECT_EQ(picture->scale, glm::vec3(1024.0f, 768.0f, 1.0f));
    EXPECT_EQ(Grid().GetRows(), 1u);

    // The splash leaves the music alone.
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 0);

    testing::internal::CaptureStdout();
    for (int i = 0; i < 128; ++i) Frame(1.0 / 64.0);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
    Frame(1.0 / 64.0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Automatic skip splash after 2.01562 secs.\n"), std::string::npos);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH_CONTROLLER);

    Frame();
    EXPECT_EQ(gsm.GetCurrentState(), STATE_SPLASH_CONTROLLER);
    EXPECT_EQ(CountOwnedBy(STATE_SPLASH), 0u);
    EXPECT_EQ(CountOwnedBy(STATE_SPLASH_CONTROLLER, SPRITE), 2u);
    EXPECT_DOUBLE_EQ(level.GetLevelTime(), 0.0);
    // The splash file is closed as it leaves.
    EXPECT_EQ(System::GetInstance()->fileManager->documentContainer.count("data/levels/splash.xml"), 0u);
}

TEST_F(BaseLevelTest, ControllerStartsTheMenuMusicOnceAndRequestsTheLoadingScreen)
{
    Go(STATE_SPLASH_CONTROLLER);
    ASSERT_NE(AudioMgr()->m_MusicChannel, nullptr);
    EXPECT_EQ(AudioMgr()->m_MusicName, "menu.mp3");
    auto* music = static_cast<TestSupport::FakeAudioChannel*>(AudioMgr()->m_MusicChannel);
    EXPECT_TRUE(music->playing);
    EXPECT_EQ(music->mode, Platform::AUDIO_LOOP_NORMAL);
    EXPECT_FLOAT_EQ(music->volume, AudioManager::DEFAULT_MUSIC_VOLUME);
    EXPECT_EQ(Audio()->CountCalls("PlaySound free"), 1);

    // Playing music is left alone by a restart.
    gsm.RequestState(STATE_RESTART);
    Frame();
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 1);

    testing::internal::CaptureStdout();
    for (int i = 0; i < 41; ++i) Frame(0.5);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LOADING);
}

TEST_F(BaseLevelTest, SpaceOnTheSplashGoesStraightToTheLoadingScreen)
{
    for (int i = 0; i < 32; ++i) Frame(1.0 / 64.0);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
    testing::internal::CaptureStdout();
    FrameWithKey(KEY_SPACE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Someone told me to skip splash!\n");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LOADING);
}

TEST_F(BaseLevelTest, SplashKeysAreTheMouseButtonsEscapeEnterAndSpace)
{
    testing::internal::CaptureStdout();
    for (int key : {KEY_LBUTTON, KEY_RBUTTON, KEY_ESCAPE, KEY_RETURN, KEY_SPACE}) {
        gsm.RequestState(STATE_SPLASH);
        FrameWithKey(key);
        EXPECT_EQ(gsm.GetRequestedState(), STATE_LOADING) << key;
    }
    gsm.RequestState(STATE_SPLASH);
    FrameWithKey(KEY_A);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
    // A key held since the frame before is no press.
    InputManager::current[KEY_SPACE] = InputManager::previous[KEY_SPACE] = 1;
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
    testing::internal::GetCapturedStdout();
}

TEST_F(BaseLevelTest, EscapeOpensThePauseMenuExceptInTheSecondFreeLoad)
{
    Go(STATE_LEVEL1);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);

    gsm.GetLevelManager()->SetFreeLoadPath(TestLevel("twosprites.xml"));
    Go(STATE_FREELOAD);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);

    Go(STATE_FREELOADNEXT);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOADNEXT);
}

TEST_F(BaseLevelTest, LetterCSkipsToTheNextTableEntry)
{
    Go(STATE_LEVEL1);
    FrameWithKey(KEY_A + 2);
    EXPECT_EQ(gsm.GetRequestedState(), 17);  // the transition after "The Throw"
}

TEST_F(BaseLevelTest, LevelOpensItsFileSizesTheGridAndPlaysTheLevelMusic)
{
    AudioMgr()->LoadStream(LEVEL_MUSIC);
    Go(STATE_SPLASH_CONTROLLER);
    const int menuChannel = AudioMgr()->m_MusicChannel->GetIndex();
    Audio()->calls.clear();
    Go(STATE_LEVEL1);
    EXPECT_EQ(level.GetLevelPath(), "data/levels/The Throw.xml");
    EXPECT_EQ(Grid().GetRows(), 16u);
    EXPECT_EQ(Grid().GetColumns(), 16u);
    EXPECT_EQ(Grid().GetCellCount(), 256u);
    EXPECT_EQ(AudioMgr()->m_MusicName, LEVEL_MUSIC);
    // The menu music stops first; the level music loops on a free channel.
    ASSERT_GE(Audio()->calls.size(), 2u);
    EXPECT_EQ(Audio()->calls[0], "Stop " + std::to_string(menuChannel));
    EXPECT_EQ(Audio()->CountCalls("PlaySound free"), 1);
    auto* music = static_cast<TestSupport::FakeAudioChannel*>(AudioMgr()->m_MusicChannel);
    ASSERT_NE(music->sound, nullptr);
    EXPECT_EQ(music->sound->path, "data/sounds/ZuviVevo.mp3");
    EXPECT_EQ(music->mode, Platform::AUDIO_LOOP_NORMAL);
    EXPECT_TRUE(IsMusicPlaying());

    // A level's time grows by at most 0.05 s a frame.
    Frame(0.2);
    Frame(0.01);
    EXPECT_NEAR(level.GetLevelTime(), 0.06, 1e-12);
}

TEST_F(BaseLevelTest, LevelStartsWithItsSkyAndAOneShotStarField)
{
    Go(STATE_LEVEL1);
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObjectGroup skies = objects->GetActiveObjectsOfType(SKYBOX);
    ASSERT_EQ(skies.size(), 1u);
    EXPECT_EQ(skies[0]->stateId, STATE_LEVEL1);
    EXPECT_EQ(skies[0]->layer, 1);
    EXPECT_EQ(skies[0]->position, glm::vec3(0.0f));
    EXPECT_FALSE(skies[0]->flags & OBJ_WORLD_VALID);
    auto* sky = static_cast<GraphicsComponent*>(skies[0]->GetComponent(CT_GRAPHICS));
    ASSERT_NE(sky, nullptr);
    EXPECT_FLOAT_EQ(sky->GetOpacity(), 1.0f);

    // The level's own objects may make emitters too (the robot beaming in):
    // the star field is the emitter of stars.
    auto starFields = [objects] {
        GameObjectGroup found;
        for (GameObject* o : objects->GetActiveObjectsOfType(PARTICLEEMITTER)) {
            auto* e = static_cast<ParticleEmitter*>(o->GetComponent(CT_PARTICLEEMITTER));
            if (e && e->m_pattern == 11) found.push_back(o);
        }
        return found;
    };
    GameObjectGroup emitters = starFields();
    ASSERT_EQ(emitters.size(), 1u);
    EXPECT_EQ(emitters[0]->stateId, STATE_LEVEL1);
    EXPECT_EQ(emitters[0]->position, glm::vec3(0.0f));
    auto* emitter = static_cast<ParticleEmitter*>(emitters[0]->GetComponent(CT_PARTICLEEMITTER));
    ASSERT_NE(emitter, nullptr);
    EXPECT_FALSE(emitter->m_active);
    EXPECT_EQ(emitter->m_pattern, 11);
    EXPECT_EQ(emitter->m_count, 1000);
    EXPECT_EQ(emitter->m_direction, glm::vec3(0.0f));

    // Having fired once, it asks to go.
    Frame();
    EXPECT_TRUE(emitters[0]->flags & OBJ_DESTROY);
    // A restart makes the level's objects, and its star field, again.
    gsm.RequestState(STATE_RESTART);
    Frame();
    EXPECT_EQ(starFields().size(), 1u);
}

TEST_F(BaseLevelTest, ScreenPicturesAreRescaledToTheWindow)
{
    System::GetInstance()->window = new Window();  // never opened: 800 x 600
    Go(STATE_SPLASH_CONTROLLER);
    GameObject* background = AnyObjectOf(STATE_SPLASH_CONTROLLER);
    ASSERT_NE(background, nullptr);
    EXPECT_FLOAT_EQ(background->scale.x, 800.0f);
    EXPECT_FLOAT_EQ(background->scale.y, 600.0f);
    delete System::GetInstance()->window;
    System::GetInstance()->window = nullptr;
}

TEST_F(BaseLevelTest, EveryCampaignLevelFileOpens)
{
    for (int id = STATE_LEVEL1; id <= 13; ++id) {
        Go(id);
        EXPECT_TRUE(System::GetInstance()->IsRunning()) << id;
        EXPECT_GT(Grid().GetRows(), 0u) << id;
    }
}

TEST_F(BaseLevelTest, MissingLevelFileEndsTheGameWithoutReadingOn)
{
    Go(STATE_LEVEL1);
    gsm.GetLevelManager()->SetFreeLoadPath("no such level.xml");
    Go(STATE_FREELOAD);
    EXPECT_FALSE(System::GetInstance()->IsRunning());
    EXPECT_EQ(CountOwnedBy(STATE_FREELOAD), 0u);
    EXPECT_EQ(Grid().GetRows(), 16u);
}

TEST_F(BaseLevelTest, DegenerateMapKeepsTheEarlierGrid)
{
    Go(STATE_LEVEL1);
    gsm.GetLevelManager()->SetFreeLoadPath(TestLevel("degenerate.xml"));
    Go(STATE_FREELOAD);
    EXPECT_EQ(Grid().GetRows(), 16u);
    EXPECT_EQ(Grid().GetColumns(), 16u);
    EXPECT_EQ(Grid().GetHeight(), 7u);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
}

TEST_F(BaseLevelTest, FreeLoadReadsTheFreeLoadPath)
{
    gsm.GetLevelManager()->SetFreeLoadPath(TestLevel("twosprites.xml"));
    Go(STATE_FREELOADNEXT);
    EXPECT_EQ(CountOwnedBy(STATE_FREELOADNEXT, SPRITE), 2u);
    EXPECT_EQ(Grid().GetRows(), 3u);
    EXPECT_EQ(Grid().GetColumns(), 4u);
}

TEST_F(BaseLevelTest, RobotBelowTheBoundaryAsksForTheRetryMenu)
{
    Go(STATE_LEVEL1);
    gsm.GetLevelManager()->SetFreeLoadPath(TestLevel("twosprites.xml"));
    Go(STATE_FREELOAD);
    GameObject* robot = AnyObjectOf(STATE_FREELOAD);
    ASSERT_NE(robot, nullptr);
    System::GetInstance()->playerOne = robot;

    robot->position.y = -5.0f;
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOAD);
    robot->position.y = -5.01f;
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_GAMERETRYMENU);
}

TEST_F(BaseLevelTest, PlayerSlotsAreForgottenWhenALevelStarts)
{
    Go(STATE_LEVEL1);
    GameObject stale;
    stale.flags = OBJ_ALIVE | OBJ_ACTIVE;
    stale.position.y = -50.0f;
    System::GetInstance()->playerOne = &stale;
    System::GetInstance()->playerTwo = &stale;
    // The new level's one robot, if it has one, takes the main slot.
    auto isLevelRobot = [](GameObject* slot) {
        return slot == nullptr || (slot->type == PLAYER && (slot->flags & OBJ_ALIVE) && slot->stateId == 4);
    };
    Go(4);
    EXPECT_NE(System::GetInstance()->playerOne, &stale);
    EXPECT_TRUE(isLevelRobot(System::GetInstance()->playerOne));
    EXPECT_EQ(System::GetInstance()->playerTwo, nullptr);
    // A restart starts the level again and forgets them too.
    System::GetInstance()->playerOne = &stale;
    gsm.RequestState(STATE_RESTART);
    Frame();
    EXPECT_NE(System::GetInstance()->playerOne, &stale);
    EXPECT_TRUE(isLevelRobot(System::GetInstance()->playerOne));
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), 4);
}

TEST_F(BaseLevelTest, PauseStopsEveryObjectAndResumeOnlyTheLevels)
{
    gsm.GetLevelManager()->SetFreeLoadPath(TestLevel("twosprites.xml"));
    Go(STATE_FREELOAD);
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObject* other = objects->CreatePlacedInstance(SPRITE, glm::vec3(0.0f), 1, STATE_PAUSEMENU);
    ASSERT_NE(other, nullptr);
    GameObject* picture = AnyObjectOf(STATE_FREELOAD);
    GameObject* hidden = objects->CreatePlacedInstance(SPRITE, glm::vec3(0.0f), 1, STATE_FREELOAD);
    hidden->flags |= OBJ_SKIP_DRAW;

    // The screen over the level shows none of its pictures; they come back
    // with the level, but for the one it had hidden itself.
    level.Pause();
    for (GameObject* o : objects->GetAllObjects()) EXPECT_FALSE(o->flags & OBJ_ACTIVE);
    EXPECT_TRUE(picture->flags & OBJ_SKIP_DRAW);
    level.Resume();
    EXPECT_EQ(objects->GetActiveObjects().size(), 5u);  // three pictures, the sky and the star field
    EXPECT_FALSE(other->flags & OBJ_ACTIVE);
    EXPECT_FALSE(picture->flags & OBJ_SKIP_DRAW);
    EXPECT_TRUE(hidden->flags & OBJ_SKIP_DRAW);
}

} // namespace
