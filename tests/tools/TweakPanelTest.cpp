// The tweak-bar set-up and the engine panels without drawing: the panels'
// places and contents, their values, the help toggle, the library's start
// and stop failures and the editor-field type table.
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
const char* const PHYSICS = "PhysicsManagerBar";

class TweakPanelTest : public PanelTest
{
protected:
    static std::vector<std::string> Variables(const char* bar)
    {
        std::vector<std::string> out;
        if (TweakBar::Bar* b = BarNamed(bar))
            for (const TweakBar::Node& n : b->nodes)
                if (n.kind == TweakBar::NodeKind::Variable) out.push_back(n.name);
        return out;
    }
    static void PressF1()
    {
        InputManager::previous[KEY_F1] = 0;
        InputManager::current[KEY_F1] = 1;
        AntTweakBar::ToggleHelpBar(&State());
        // Held on the next frame: no second toggle.
        InputManager::previous[KEY_F1] = 1;
        AntTweakBar::ToggleHelpBar(&State());
        InputManager::current[KEY_F1] = 0;
        InputManager::previous[KEY_F1] = 0;
    }
};

TEST_F(TweakPanelTest, SetUpBuildsTheThreeEnginePanels)
{
    TweakBarState& state = State();
    ASSERT_NE(BarNamed(GRAPHICS), nullptr);
    ASSERT_NE(BarNamed(SOUND), nullptr);
    ASSERT_NE(BarNamed(PHYSICS), nullptr);
    EXPECT_EQ(state.graphicsBar, TweakBar::Model::HandleOf(*BarNamed(GRAPHICS)));
    EXPECT_EQ(state.soundBar, TweakBar::Model::HandleOf(*BarNamed(SOUND)));
    EXPECT_EQ(state.physicsBar, TweakBar::Model::HandleOf(*BarNamed(PHYSICS)));
    EXPECT_EQ(state.objectBar, nullptr);
    EXPECT_FALSE(state.shown);
    for (int t = 0; t < TWEAK_TYPE_COUNT; ++t) EXPECT_NE(state.types[t], TW_TYPE_UNDEF) << t;
    // Every call and definition was accepted (the renderer's size report
    // came before the start).
    const std::string page = Page();
    EXPECT_EQ(TestSupport::Count(page, "Tweak bar:"), TestSupport::Count(page, "library is not started"));
    EXPECT_TRUE(TweakBar::LibraryModel()->Contained());

    // With a 1024 x 768 window the sound panel sits 270 above the bottom.
    const TweakBar::BarLayout& sound = BarNamed(SOUND)->layout;
    EXPECT_EQ(sound.x, 16);
    EXPECT_EQ(sound.y, 498);
    EXPECT_EQ(sound.label, "Sound settings");
    EXPECT_EQ(sound.color[2], 60);
    EXPECT_EQ(sound.width, 240);
    EXPECT_EQ(sound.height, 250);
    const TweakBar::BarLayout& physics = BarNamed(PHYSICS)->layout;
    EXPECT_EQ(physics.x, 300);
    EXPECT_EQ(physics.y, 50);
    EXPECT_EQ(physics.alpha, 150);
    EXPECT_FALSE(physics.darkText);
    const TweakBar::BarLayout& graphics = BarNamed(GRAPHICS)->layout;
    EXPECT_EQ(graphics.label, "Graphics Settings");
    EXPECT_EQ(graphics.height, 430);
    EXPECT_TRUE(graphics.darkText);

    const std::vector<std::string> expected = {
        "GraphicsWire", "CollisionWire", "Width", "Height", "Windowed", "CamPos", "CamLook", "FOV", "ViewLength",
        "ViewHeight", "MousePos2D", "Lights", "LightTypes", "LightDir", "FogColor", "DistAttn", "NearFar",
        "ShadowMode", "FilterX", "FilterY", "DepthBias", "SAMPLECOUNTX", "SAMPLECOUNTY", "FirstColor", "Hue",
        "Saturation", "Value", "SecondColor"};
    EXPECT_EQ(Variables(GRAPHICS), expected);
    EXPECT_EQ(Variables(SOUND), (std::vector<std::string>{"SFXMute", "Volume"}));
    EXPECT_EQ(Variables(PHYSICS), (std::vector<std::string>{"SleepTime", "WakeInterval"}));
    // The camera's group sits inside the display group.
    ASSERT_NE(Item(GRAPHICS, "Camera"), nullptr);
    EXPECT_EQ(Item(GRAPHICS, "Camera")->group, "Display");
    EXPECT_EQ(Item(GRAPHICS, "Value")->Shown(), "Brightness");
    EXPECT_FALSE(Write(GRAPHICS, "Width", std::int32_t{5}));

    // The level editor's panel, made on request.
    AntTweakBar::LevelEditorBar(&state);
    ASSERT_NE(BarNamed("LevelEditorBar"), nullptr);
    EXPECT_EQ(BarNamed("LevelEditorBar")->layout.x, 20);
    EXPECT_EQ(BarNamed("LevelEditorBar")->layout.y, 40);
    int clicked = 0;
    AntTweakBar::SetFlagButton(&clicked);
    AntTweakBar::SetFlagButton(nullptr);
    EXPECT_EQ(clicked, 1);
}

TEST_F(TweakPanelTest, MousePositionFromTheWindowCentre)
{
    S().inputManager->OnMouseMove(Platform::MakeMouseLParam(512, 384));
    F2 p = Read<F2>(GRAPHICS, "MousePos2D");
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    S().inputManager->OnMouseMove(Platform::MakeMouseLParam(0, 0));
    p = Read<F2>(GRAPHICS, "MousePos2D");
    EXPECT_EQ(p.x, -512.0f);
    EXPECT_EQ(p.y, 384.0f);
    S().inputManager->OnMouseMove(Platform::MakeMouseLParam(1023, 767));
    p = Read<F2>(GRAPHICS, "MousePos2D");
    EXPECT_EQ(p.x, 511.0f);
    EXPECT_EQ(p.y, -383.0f);
    // Odd sizes use integer halves.
    EXPECT_EQ(AntTweakBar::CursorFromCentre(0, 0, 801, 601), glm::vec2(-400.0f, 300.0f));
    EXPECT_EQ(Read<std::int32_t>(GRAPHICS, "Width"), WIDTH);
    EXPECT_EQ(Read<std::int32_t>(GRAPHICS, "Height"), HEIGHT);
}

TEST_F(TweakPanelTest, F1ShowsAndHidesThePanels)
{
    testing::internal::CaptureStdout();
    PressF1();
    EXPECT_TRUE(State().shown);
    EXPECT_TRUE(TweakBar::LibraryModel()->Help().visible);
    PressF1();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(State().shown);
    EXPECT_FALSE(TweakBar::LibraryModel()->Help().visible);
    EXPECT_EQ(out, "ATB Enabled\nATB OFF\n");
    // The cursor shows while the panels do, in a level too.
    EXPECT_TRUE(CursorWantedFor(3, true));
    EXPECT_FALSE(CursorWantedFor(3, false));
    AntTweakBar::ToggleHelpBar(nullptr);
}

TEST_F(TweakPanelTest, GraphicsValuesReachRendererCameraAndLight)
{
    Renderer& renderer = *S().renderer;
    Camera& camera = *renderer.GetCamera();
    SceneLight& light = *renderer.GetSceneLight();

    EXPECT_TRUE(Write(GRAPHICS, "GraphicsWire", 3));
    EXPECT_EQ(renderer.GraphicsWire, WIRE_BOTH);
    EXPECT_TRUE(Write(GRAPHICS, "CollisionWire", true));
    EXPECT_TRUE(renderer.CollisionWire);

    // The field of view goes through the renderer's resize: a new projection.
    const glm::mat4 before = renderer.GetProjection();
    EXPECT_TRUE(Write(GRAPHICS, "FOV", 60.0f));
    EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 60.0f);
    EXPECT_NE(renderer.GetProjection(), before);
    EXPECT_FLOAT_EQ(Read<float>(GRAPHICS, "FOV"), 60.0f);
    EXPECT_TRUE(Write(GRAPHICS, "FOV", 200.0f));  // held within 1 to 90
    EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 90.0f);

    EXPECT_TRUE(Write(GRAPHICS, "CamPos", F3{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(camera.GetEye(), glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(Read<F3>(GRAPHICS, "CamPos").z, 3.0f);
    EXPECT_FLOAT_EQ(Read<F3>(GRAPHICS, "CamLook").z, camera.GetForward().z);
    EXPECT_TRUE(Write(GRAPHICS, "CamLook", F3{2.0f, 2.0f, 2.0f}));
    EXPECT_EQ(camera.GetLookAtPoint(), glm::vec3(2.0f));
    EXPECT_TRUE(Write(GRAPHICS, "ViewLength", -20.0f));
    EXPECT_FLOAT_EQ(camera.GetFollowDistance(), -20.0f);
    EXPECT_TRUE(Write(GRAPHICS, "ViewHeight", 4.0f));
    EXPECT_FLOAT_EQ(camera.GetFollowHeight(), 4.0f);

    EXPECT_TRUE(Write(GRAPHICS, "Lights", false));
    EXPECT_EQ(light.m_on, 0);
    EXPECT_FALSE(Read<bool>(GRAPHICS, "Lights"));
    light.m_on = 5;
    EXPECT_TRUE(Read<bool>(GRAPHICS, "Lights"));
    EXPECT_TRUE(Write(GRAPHICS, "LightTypes", 1));
    EXPECT_EQ(light.m_type, SceneLight::SPOT);
    light.m_fogColor.a = 0.2f;
    EXPECT_TRUE(Write(GRAPHICS, "FogColor", F3{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(light.m_fogColor, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_TRUE(Write(GRAPHICS, "DistAttn", F3{1.0f, -1.0f, 0.5f}));  // held at 0 and above
    EXPECT_EQ(light.m_attenuation, glm::vec3(1.0f, 0.0f, 0.5f));
    EXPECT_TRUE(Write(GRAPHICS, "NearFar", F2{10.0f, 90.0f}));
    EXPECT_FLOAT_EQ(light.m_nearPlaneDistance, 10.0f);
    EXPECT_FLOAT_EQ(light.m_farPlaneDistance, 90.0f);
    EXPECT_FALSE(Write(GRAPHICS, "LightDir", F3{0.0f, 1.0f, 0.0f}));

    renderer.m_shadowMap.shadowsOn = false;
    EXPECT_TRUE(Write(GRAPHICS, "ShadowMode", true));
    EXPECT_TRUE(renderer.m_shadowMap.shadowsOn);
    EXPECT_TRUE(Write(GRAPHICS, "SAMPLECOUNTX", std::int32_t{50}));  // held within 0 to 20
    EXPECT_EQ(renderer.m_shadowMap.SAMPLECOUNTX, 20);
    EXPECT_TRUE(Write(GRAPHICS, "DepthBias", 0.25f));
    EXPECT_FLOAT_EQ(renderer.m_shadowMap.depthBias, 0.25f);
    EXPECT_TRUE(Write(GRAPHICS, "Hue", 0.5f));
    EXPECT_FLOAT_EQ(renderer.m_postProcess.hue, 0.5f);
    EXPECT_TRUE(Write(GRAPHICS, "Value", -0.5f));
    EXPECT_FLOAT_EQ(renderer.m_postProcess.value, -0.5f);
    EXPECT_TRUE(Write(GRAPHICS, "SecondColor", 2.0f));
    EXPECT_FLOAT_EQ(renderer.m_postProcess.secondCoefficient, 2.0f);

    // The physics panel edits the manager's members in place.
    EXPECT_TRUE(Write(PHYSICS, "SleepTime", 0.7f));
    EXPECT_FLOAT_EQ(S().physicsManager->SleepTime, 0.7f);
    S().physicsManager->WakeInterval = 0.5f;
    EXPECT_FLOAT_EQ(Read<float>(PHYSICS, "WakeInterval"), 0.5f);
}

TEST_F(TweakPanelTest, SoundPanelWithoutAMusicChannel)
{
    TestSupport::ScopedFakeAudio fake;
    S().audioManager = new AudioManager();
    ASSERT_TRUE(S().audioManager->Init());
    AudioManager& audio = *S().audioManager;
    // Nothing has played: there is no channel to apply the volume to.
    audio.m_MusicChannel = nullptr;
    EXPECT_TRUE(Write(SOUND, "Volume", 0.4f));
    EXPECT_FLOAT_EQ(audio.m_MusicVolume, 0.4f);
    EXPECT_FLOAT_EQ(Read<float>(SOUND, "Volume"), 0.4f);
    EXPECT_TRUE(Write(SOUND, "Volume", 3.0f));  // held within 0 to 1
    EXPECT_FLOAT_EQ(audio.m_MusicVolume, 1.0f);
    EXPECT_TRUE(Write(SOUND, "SFXMute", true));
    EXPECT_TRUE(audio.m_EffectsOff);
    EXPECT_TRUE(Read<bool>(SOUND, "SFXMute"));

    // Without the audio manager the panel reads and writes nothing.
    S().audioManager->m_System->Release();
    delete S().audioManager;
    S().audioManager = nullptr;
    EXPECT_TRUE(Write(SOUND, "Volume", 0.1f));
    EXPECT_TRUE(Write(SOUND, "SFXMute", false));
    Read<float>(SOUND, "Volume");
}

TEST_F(TweakPanelTest, StartAndStopFailuresGoToThePageOnly)
{
    TweakBarState& state = State();
    AntTweakBar::CreateObjectBar(&state, nullptr);
    testing::internal::CaptureStdout();
    // Started twice: reported, and the panels are built again all the same.
    AntTweakBar::SetUp(&state);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(Page().find("ATB error: The tweak-bar library is already started"), std::string::npos);
    EXPECT_EQ(out.find("ATB error"), std::string::npos);
    EXPECT_NE(BarNamed(SOUND), nullptr);

    AntTweakBar::Destroy(&state);
    EXPECT_EQ(TweakBar::LibraryModel(), nullptr);
    EXPECT_EQ(state.graphicsBar, nullptr);
    EXPECT_EQ(state.soundBar, nullptr);
    EXPECT_EQ(state.physicsBar, nullptr);
    EXPECT_EQ(Page().find("ATB termination failed"), std::string::npos);
    testing::internal::CaptureStdout();
    AntTweakBar::Destroy(&state);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(Page().find("ATB termination failed: AntTweakBar has not been initialized properly before!"),
              std::string::npos);
    EXPECT_EQ(out.find("ATB termination failed"), std::string::npos);
    // Calls on a stopped library change nothing.
    AntTweakBar::ToggleHelpBar(&state);
    AntTweakBar::DeleteObjectBar(&state);
    AntTweakBar::SetUp(&state);
    EXPECT_NE(BarNamed(PHYSICS), nullptr);
}

TEST_F(TweakPanelTest, EditorFieldTypeNames)
{
    const TweakBarState& state = State();
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "bool"), TW_TYPE_BOOLCPP);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "char"), TW_TYPE_CHAR);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "int"), TW_TYPE_INT32);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "long"), TW_TYPE_INT64);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "unsigned"), TW_TYPE_UINT32);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "float"), TW_TYPE_FLOAT);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "double"), TW_TYPE_DOUBLE);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "std::string"), TW_TYPE_STDSTRING);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "Vec3"), state.types[TWEAK_POINT3]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "Vec4"), state.types[TWEAK_POINT4]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "Components"), state.types[TWEAK_COMPONENTS]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "ObjectType"), state.types[TWEAK_OBJECTTYPE]);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, "vec3"), TW_TYPE_UNDEF);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(&state, ""), TW_TYPE_UNDEF);
    EXPECT_EQ(AntTweakBar::AntTweakBarTypeOf(nullptr, "Vec3"), TW_TYPE_UNDEF);
    // The enumerations carry the names of the tables.
    const TweakBar::CustomType* components = TweakBar::LibraryModel()->Custom(state.types[TWEAK_COMPONENTS]);
    ASSERT_NE(components, nullptr);
    ASSERT_EQ(components->enumValues.size(), static_cast<size_t>(COMPONENT_TYPE_COUNT));
    EXPECT_EQ(components->enumValues[2].second, "CT_PHYSICS");
    const TweakBar::CustomType* select = TweakBar::LibraryModel()->Custom(state.types[TWEAK_UI_SELECTSTATE]);
    ASSERT_NE(select, nullptr);
    ASSERT_EQ(select->enumValues.size(), 4u);
    EXPECT_EQ(select->enumValues[2].second, "SELECTED");
}

} // namespace
