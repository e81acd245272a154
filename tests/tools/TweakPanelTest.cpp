// The tweak-bar set-up and the engine panels without drawing: places and
// contents, the values that go through callbacks, the help toggle, the
// library's start and stop failures and the editor-field types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/SceneLight.h"
#include "engine/platform/WindowMessages.h"
#include "support/FakeAudio.h"
#include "tools/PanelTestKit.h"

using namespace QRX;
using namespace QRX::PanelKit;

namespace {

const char* const GRAPHICS = "GraphicsManagerBar";
const char* const SOUND = "SoundManagerBar";

using TweakPanelTest = PanelTest;

std::vector<std::string> Variables(const char* bar)
{
    std::vector<std::string> out;
    if (TweakBar::Bar* b = BarNamed(bar))
        for (const TweakBar::Node& n : b->nodes)
            if (n.kind == TweakBar::NodeKind::Variable) out.push_back(n.name);
    return out;
}

TEST_F(TweakPanelTest, SetUpBuildsTheThreeEnginePanels)
{
    TweakBarState& state = State();
    ASSERT_NE(BarNamed(SOUND), nullptr);
    EXPECT_EQ(state.soundBar, TweakBar::Model::HandleOf(*BarNamed(SOUND)));
    for (int t = 0; t < TWEAK_TYPE_COUNT; ++t) EXPECT_NE(state.types[t], TW_TYPE_UNDEF) << t;
    // Every call was accepted (the renderer's size report came before the start).
    const std::string page = Page();
    EXPECT_EQ(TestSupport::Count(page, "Tweak bar:"), TestSupport::Count(page, "library is not started"));

    // In a 1024 x 768 window: the physics panel over the sound panel in the middle column.
    EXPECT_EQ(BarNamed(SOUND)->layout.x, 264);
    EXPECT_EQ(BarNamed(SOUND)->layout.y, 324);
    EXPECT_EQ(BarNamed("PhysicsManagerBar")->layout.x, 264);
    EXPECT_EQ(Variables("PhysicsManagerBar"), (std::vector<std::string>{"SleepTime", "WakeInterval"}));
    EXPECT_EQ(Variables(SOUND), (std::vector<std::string>{"SFXMute", "Volume"}));
    const std::vector<std::string> graphics = {
        "GraphicsWire", "CollisionWire", "Width", "Height", "Windowed", "CamPos", "CamLook", "FOV", "ViewLength",
        "ViewHeight", "MousePos2D", "Lights", "LightTypes", "LightDir", "FogColor", "DistAttn", "NearFar",
        "ShadowMode", "FilterX", "FilterY", "DepthBias", "SAMPLECOUNTX", "SAMPLECOUNTY", "FirstColor", "Hue",
        "Saturation", "Value", "SecondColor"};
    EXPECT_EQ(Variables(GRAPHICS), graphics);
    ASSERT_NE(Item(GRAPHICS, "Camera"), nullptr);
    EXPECT_EQ(Item(GRAPHICS, "Camera")->group, "Display");

    AntTweakBar::LevelEditorBar(&state);
    ASSERT_NE(BarNamed("LevelEditorBar"), nullptr);
    EXPECT_EQ(BarNamed("LevelEditorBar")->layout.y, 48);
}

TEST_F(TweakPanelTest, MousePositionAndTheHelpToggle)
{
    S().inputManager->OnMouseMove(Platform::MakeMouseLParam(512, 384));
    F2 p = Read<F2>(GRAPHICS, "MousePos2D");
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    S().inputManager->OnMouseMove(Platform::MakeMouseLParam(0, 0));
    p = Read<F2>(GRAPHICS, "MousePos2D");
    EXPECT_EQ(p.x, -512.0f);
    EXPECT_EQ(p.y, 384.0f);
    EXPECT_EQ(AntTweakBar::CursorFromCentre(0, 0, 801, 601), glm::vec2(-400.0f, 300.0f));

    // F1 going down toggles; held, it does nothing more.
    testing::internal::CaptureStdout();
    for (int press = 0; press < 2; ++press) {
        InputManager::current[KEY_F1] = 1;
        AntTweakBar::ToggleHelpBar(&State());
        EXPECT_EQ(State().shown, press == 0);
        EXPECT_EQ(TweakBar::LibraryModel()->Help().visible, press == 0);
        InputManager::previous[KEY_F1] = 1;
        AntTweakBar::ToggleHelpBar(&State());
        InputManager::current[KEY_F1] = InputManager::previous[KEY_F1] = 0;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ATB Enabled\nATB OFF\n");
    EXPECT_TRUE(CursorWantedFor(3, true));
}

TEST_F(TweakPanelTest, CallbacksThatDoMoreThanStore)
{
    Renderer& renderer = *S().renderer;
    // The field of view goes through the renderer's resize.
    const glm::mat4 before = renderer.GetProjection();
    EXPECT_TRUE(Write(GRAPHICS, "FOV", 60.0f));
    EXPECT_FLOAT_EQ(renderer.GetCamera()->GetFieldOfView(), 60.0f);
    EXPECT_NE(renderer.GetProjection(), before);
    EXPECT_TRUE(Write(GRAPHICS, "ViewLength", -20.0f));
    EXPECT_FLOAT_EQ(renderer.GetCamera()->GetFollowDistance(), -20.0f);
    // The fog colour comes back opaque; the light is on for any positive value.
    SceneLight& light = *renderer.GetSceneLight();
    light.m_fogColor.a = 0.2f;
    EXPECT_TRUE(Write(GRAPHICS, "FogColor", F3{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(light.m_fogColor, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    light.m_on = 5;
    EXPECT_TRUE(Read<bool>(GRAPHICS, "Lights"));
    EXPECT_TRUE(Write(GRAPHICS, "Lights", false));
    EXPECT_EQ(light.m_on, 0);

    // Volume before any music channel exists: kept, nothing else happens.
    TestSupport::ScopedFakeAudio fake;
    S().audioManager = new AudioManager();
    ASSERT_TRUE(S().audioManager->Init());
    S().audioManager->m_MusicChannel = nullptr;
    EXPECT_TRUE(Write(SOUND, "Volume", 0.4f));
    EXPECT_FLOAT_EQ(S().audioManager->m_MusicVolume, 0.4f);
    EXPECT_FLOAT_EQ(Read<float>(SOUND, "Volume"), 0.4f);
    S().audioManager->m_System->Release();
    delete S().audioManager;
    S().audioManager = nullptr;
    EXPECT_TRUE(Write(SOUND, "Volume", 0.1f));  // no audio manager: nothing
}

TEST_F(TweakPanelTest, StartAndStopFailuresGoToThePageOnly)
{
    TweakBarState& state = State();
    testing::internal::CaptureStdout();
    AntTweakBar::SetUp(&state);  // already started
    AntTweakBar::Destroy(&state);
    EXPECT_EQ(state.soundBar, nullptr);
    AntTweakBar::Destroy(&state);  // not started
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(Page().find("ATB error: The tweak-bar library is already started"), std::string::npos);
    EXPECT_NE(Page().find("ATB termination failed: AntTweakBar has not been initialized properly before!"),
              std::string::npos);
    EXPECT_EQ(out.find("ATB "), std::string::npos);
    // Calls on a stopped library change nothing; a new start builds again.
    AntTweakBar::ToggleHelpBar(&state);
    AntTweakBar::DeleteObjectBar(&state);
    AntTweakBar::SetUp(&state);
    EXPECT_NE(BarNamed(SOUND), nullptr);
}

TEST_F(TweakPanelTest, EditorFieldTypeNames)
{
    const TweakBarState& state = State();
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "long"), TW_TYPE_INT64);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "int"), TW_TYPE_INT32);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "unsigned"), TW_TYPE_UINT32);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "std::string"), TW_TYPE_STDSTRING);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "Vec3"), state.types[TWEAK_POINT3]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "Components"), state.types[TWEAK_COMPONENTS]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "vec3"), TW_TYPE_UNDEF);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(nullptr, "Vec3"), TW_TYPE_UNDEF);
    const TweakBar::CustomType* components = TweakBar::LibraryModel()->Custom(state.types[TWEAK_COMPONENTS]);
    ASSERT_NE(components, nullptr);
    ASSERT_EQ(components->enumValues.size(), static_cast<size_t>(COMPONENT_TYPE_COUNT));
    EXPECT_EQ(components->enumValues[2].second, "CT_PHYSICS");
}

} // namespace
