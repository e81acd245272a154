// The loading screen: its stages one item a frame, the menu request, the
// reset on leaving, the menu music, and the texture reload after a display
// change (with a real OpenGL context).
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/core/Window.h"
#include "engine/graphics/TextureManager.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/StateCommon.h"
#include "flow/StateTestKit.h"
#include "support/GLTestContext.h"

using namespace QRX;

namespace {

class LoadingLevelTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }
    // Updates the loading screen until it asks for another state.
    int UpdatesUntilRequest()
    {
        for (int update = 1; update <= 200; ++update) {
            Frame();
            if (gsm.GetRequestedState() != STATE_LOADING) return update;
        }
        return -1;
    }

    // Replaces the whole stack by a state (a request below 35 would only pop
    // the loading screen off the splash under it).
    void ChangeTo(int id)
    {
        gsm.PopStatesTo(0);
        ASSERT_TRUE(gsm.ChangeState(id));
    }

    BaseLevel level;
    LoadingLevel loading;
};

TEST_F(LoadingLevelTest, ListsHoldTheGamesSharedResources)
{
    EXPECT_EQ(LoadingLevel::TextureList().size(), 24u);
    EXPECT_EQ(LoadingLevel::MeshList(), std::vector<std::string>{"cubey"});
    EXPECT_EQ(LoadingLevel::SoundList().size(), 22u);
    EXPECT_EQ(LoadingLevel::StreamList(), (std::vector<std::string>{"ZuviVevo.mp3", "menu.mp3"}));
    // Every listed sound exists among the game's sounds.
    for (const auto* list : {&LoadingLevel::SoundList(), &LoadingLevel::StreamList()})
        for (const std::string& name : *list)
            EXPECT_FALSE(TestSupport::ReadFile(TestSupport::SourceDir() + "/data/sounds/" + name).empty()) << name;
    // Every listed texture and mesh has a catalogue entry.
    const std::string textures = TestSupport::ReadFile(TestSupport::SourceDir() + "/data/textures.xml");
    for (const std::string& id : LoadingLevel::TextureList())
        EXPECT_NE(textures.find("<TextureId>" + id + "</TextureId>"), std::string::npos) << id;
    const std::string meshes = TestSupport::ReadFile(TestSupport::SourceDir() + "/data/meshes.xml");
    EXPECT_NE(meshes.find("<MeshId>cubey</MeshId>"), std::string::npos);
}

TEST_F(LoadingLevelTest, ShowsItsScreenAndAsksForTheMenuOnTheFiftiethUpdate)
{
    System::GetInstance()->flags |= SYSTEM_MODAL_LOOP_DONE;
    Go(STATE_LOADING);
    EXPECT_FALSE(System::GetInstance()->flags & SYSTEM_MODAL_LOOP_DONE);
    EXPECT_EQ(CountOwnedBy(STATE_LOADING), 2u);
    EXPECT_EQ(loading.GetTextures().size(), 24u);

    EXPECT_EQ(UpdatesUntilRequest(), 50);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_MAINMENU);
    EXPECT_TRUE(loading.AllStagesDone());
    EXPECT_EQ(loading.GetMeshIndex(), 1u);
    EXPECT_EQ(loading.GetStreamIndex(), 2u);
    EXPECT_EQ(loading.GetSoundIndex(), 22u);
    for (const std::string& name : LoadingLevel::SoundList()) EXPECT_EQ(AudioMgr()->m_Sounds.count(name), 1u) << name;
    EXPECT_EQ(AudioMgr()->m_Sounds.count("ZuviVevo.mp3"), 1u);
}

TEST_F(LoadingLevelTest, StagesLoadOneItemAFrameInOrder)
{
    Go(STATE_LOADING);
    for (int i = 0; i < 24; ++i) Frame();
    EXPECT_EQ(loading.GetTextureIndex(), 24u);
    EXPECT_EQ(loading.GetMeshIndex(), 0u);
    Frame();  // the texture stage ends and the mesh loads on the same frame
    EXPECT_EQ(loading.GetMeshIndex(), 1u);
    EXPECT_EQ(loading.GetStreamIndex(), 0u);
    Frame();
    EXPECT_EQ(loading.GetStreamIndex(), 1u);
    Frame();
    EXPECT_EQ(loading.GetStreamIndex(), 2u);
    EXPECT_EQ(loading.GetSoundIndex(), 0u);
    Frame();
    EXPECT_EQ(loading.GetSoundIndex(), 1u);
}

TEST_F(LoadingLevelTest, LeavingResetsEveryStageSoTheNextEntryStartsAfresh)
{
    Go(STATE_LOADING);
    EXPECT_EQ(UpdatesUntilRequest(), 50);
    ChangeTo(STATE_LEVEL1);
    EXPECT_EQ(loading.GetTextureIndex(), 0u);
    EXPECT_EQ(loading.GetMeshIndex(), 0u);
    EXPECT_EQ(loading.GetStreamIndex(), 0u);
    EXPECT_EQ(loading.GetSoundIndex(), 0u);
    EXPECT_FALSE(loading.AllStagesDone());
    EXPECT_TRUE(loading.GetTextures().empty());

    Go(STATE_LOADING);
    Frame();
    EXPECT_EQ(loading.GetTextureIndex(), 1u);
    EXPECT_EQ(UpdatesUntilRequest(), 49);
}

TEST_F(LoadingLevelTest, MenuMusicStartsOnlyWhenNothingPlays)
{
    Go(STATE_LOADING);
    EXPECT_EQ(AudioMgr()->m_MusicName, "menu.mp3");
    EXPECT_TRUE(IsMusicPlaying());
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 1);

    // Over a level whose music plays, the loading screen keeps it.
    AudioMgr()->LoadStream(LEVEL_MUSIC);
    ChangeTo(STATE_LEVEL1);
    EXPECT_EQ(AudioMgr()->m_MusicName, LEVEL_MUSIC);
    Go(STATE_LOADING);
    EXPECT_EQ(AudioMgr()->m_MusicName, LEVEL_MUSIC);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 2);
}

TEST_F(LoadingLevelTest, MissingScreenFileEndsTheGame)
{
    // From a folder without the game's data, "loading.xml" cannot be found.
    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof(here)), nullptr);
    std::string elsewhere = TestSupport::MakeTempDir("zendra-nodata");
    ASSERT_EQ(::chdir(elsewhere.c_str()), 0);
    gsm.RequestState(STATE_LOADING);
    Frame();
    EXPECT_EQ(::chdir(here), 0);
    TestSupport::RemoveTree(elsewhere);

    EXPECT_FALSE(System::GetInstance()->IsRunning());
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LOADING);
    EXPECT_EQ(CountOwnedBy(STATE_LOADING), 0u);
}

TEST_F(LoadingLevelTest, WindowResizeAsksForTheLoadingScreenInReloadMode)
{
    Window window;  // never opened
    window.OnResize(false);
    EXPECT_TRUE(loading.IsReloading());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LOADING);
}

TEST_F(LoadingLevelTest, ReloadModeReloadsTheReleasedTexturesThenReturns)
{
    TestSupport::GLTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    gl.MakeCurrent();
    System* system = System::GetInstance();
    system->textureManager = new TextureManager();
    system->textureManager->Init();
    const std::vector<std::string> ids = {"bgpausemenu", "restart", "resume", "checked", "grayscale"};
    for (const std::string& id : ids) system->textureManager->LoadTexture(id);
    system->textureManager->UnloadAllTextures();
    ASSERT_EQ(system->textureManager->GetUnloadedIds().size(), 5u);

    Go(STATE_LEVEL1);
    SetLoadingReloadMode(true);
    EXPECT_TRUE(loading.IsReloading());
    Go(STATE_LOADING);
    EXPECT_EQ(UpdatesUntilRequest(), 6);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    for (const std::string& id : ids) EXPECT_TRUE(system->textureManager->IsLoaded(id)) << id;

    Frame();
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LEVEL1);
    EXPECT_FALSE(loading.IsReloading());

    // The next entry loads normally again.
    Go(STATE_LOADING);
    Frame();
    EXPECT_EQ(loading.GetTextureIndex(), 1u);
    EXPECT_TRUE(system->textureManager->IsLoaded("bgpausemenu"));

    Go(STATE_LEVEL1);
    delete system->textureManager;
    system->textureManager = nullptr;
}

} // namespace
