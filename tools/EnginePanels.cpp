// The graphics, sound and physics panels and their callbacks.
#include <cstring>
#include <string>

#include <glm/glm.hpp>

#include "engine/core/AudioManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/SceneLight.h"
#include "engine/physics/PhysicsManager.h"
#include "tools/AntTweakBar.h"
#include "tools/TweakBarState.h"

namespace QRX {
namespace AntTweakBar {

namespace {

System* Sys() { return System::PeekInstance(); }
Renderer* TheRenderer() { return Sys() ? Sys()->renderer : nullptr; }
Camera* TheCamera() { return TheRenderer() ? TheRenderer()->GetCamera() : nullptr; }
SceneLight* TheLight() { return TheRenderer() ? TheRenderer()->GetSceneLight() : nullptr; }
AudioManager* TheAudio() { return Sys() ? Sys()->audioManager : nullptr; }

// Fields edited in place, found at every call (null: the owner is missing).
float* FilterX() { return TheRenderer() ? &TheRenderer()->m_shadowMap.filterX : nullptr; }
float* FilterY() { return TheRenderer() ? &TheRenderer()->m_shadowMap.filterY : nullptr; }
float* DepthBias() { return TheRenderer() ? &TheRenderer()->m_shadowMap.depthBias : nullptr; }
int* SampleCountX() { return TheRenderer() ? &TheRenderer()->m_shadowMap.SAMPLECOUNTX : nullptr; }
int* SampleCountY() { return TheRenderer() ? &TheRenderer()->m_shadowMap.SAMPLECOUNTY : nullptr; }
float* FirstColor() { return TheRenderer() ? &TheRenderer()->m_postProcess.firstCoefficient : nullptr; }
float* SecondColor() { return TheRenderer() ? &TheRenderer()->m_postProcess.secondCoefficient : nullptr; }
float* Hue() { return TheRenderer() ? &TheRenderer()->m_postProcess.hue : nullptr; }
float* Saturation() { return TheRenderer() ? &TheRenderer()->m_postProcess.saturation : nullptr; }
float* Brightness() { return TheRenderer() ? &TheRenderer()->m_postProcess.value : nullptr; }
int* GraphicsWire() { return TheRenderer() ? &TheRenderer()->GraphicsWire : nullptr; }
bool* CollisionWire() { return TheRenderer() ? &TheRenderer()->CollisionWire : nullptr; }
int* LightType() { return TheLight() ? &TheLight()->m_type : nullptr; }
bool* EffectsOff() { return TheAudio() ? &TheAudio()->m_EffectsOff : nullptr; }

template <typename T, T* (*Field)()>
void GetField(void* value, void*)
{
    if (T* field = Field()) *static_cast<T*>(value) = *field;
}

template <typename T, T* (*Field)()>
void SetField(const void* value, void*)
{
    if (T* field = Field()) *field = *static_cast<const T*>(value);
}

void ReadVec3(const void* value, glm::vec3& out) { std::memcpy(&out[0], value, sizeof(float) * 3); }
void WriteVec3(const glm::vec3& in, void* value) { std::memcpy(value, &in[0], sizeof(float) * 3); }

void GetWidth(void* value, void*)
{
    int width = 0, height = 0;
    if (ClientSize(width, height)) *static_cast<std::int32_t*>(value) = width;
}

void GetHeight(void* value, void*)
{
    int width = 0, height = 0;
    if (ClientSize(width, height)) *static_cast<std::int32_t*>(value) = height;
}

void GetFullscreen(void* value, void*)
{
    if (Sys() && Sys()->window) *static_cast<bool*>(value) = Sys()->window->IsFullscreen();
}

void GetCameraPosition(void* value, void*)
{
    if (Camera* camera = TheCamera()) WriteVec3(camera->GetEye(), value);
}

void SetCameraPosition(const void* value, void*)
{
    glm::vec3 eye;
    ReadVec3(value, eye);
    if (Camera* camera = TheCamera()) camera->SetPosition(eye);
}

void GetCameraLook(void* value, void*)
{
    if (Camera* camera = TheCamera()) WriteVec3(camera->GetForward(), value);
}

void SetCameraLook(const void* value, void*)
{
    glm::vec3 look;
    ReadVec3(value, look);
    Camera* camera = TheCamera();
    if (!camera) return;
    camera->SetLookAtPoint(look);
    camera->UpdateViewMatrix();
}

void GetFieldOfView(void* value, void*)
{
    if (Camera* camera = TheCamera()) *static_cast<float*>(value) = camera->GetFieldOfView();
}

void SetFieldOfView(const void* value, void*)
{
    int width = 0, height = 0;
    if (TheRenderer() && ClientSize(width, height))
        TheRenderer()->Resize(width, height, *static_cast<const float*>(value));
}

void GetViewLength(void* value, void*)
{
    if (Camera* camera = TheCamera()) *static_cast<float*>(value) = camera->GetFollowDistance();
}

void SetViewLength(const void* value, void*)
{
    if (Camera* camera = TheCamera()) camera->SetFollowDistance(*static_cast<const float*>(value));
}

void GetViewHeight(void* value, void*)
{
    if (Camera* camera = TheCamera()) *static_cast<float*>(value) = camera->GetFollowHeight();
}

void SetViewHeight(const void* value, void*)
{
    if (Camera* camera = TheCamera()) camera->SetFollowHeight(*static_cast<const float*>(value));
}

void GetMousePosition(void* value, void*)
{
    int width = 0, height = 0;
    if (!Sys() || !Sys()->inputManager || !ClientSize(width, height)) return;
    const InputManager* input = Sys()->inputManager;
    const glm::vec2 p = CursorFromCentre(input->GetMouseX(), input->GetMouseY(), width, height);
    std::memcpy(value, &p[0], sizeof(float) * 2);
}

void GetLights(void* value, void*)
{
    if (SceneLight* light = TheLight()) *static_cast<bool*>(value) = light->m_on > 0;
}

void SetLights(const void* value, void*)
{
    if (SceneLight* light = TheLight()) light->m_on = *static_cast<const bool*>(value) ? 1 : 0;
}

void GetLightDirection(void* value, void*)
{
    if (SceneLight* light = TheLight()) WriteVec3(light->m_worldDirection, value);
}

void GetFogColor(void* value, void*)
{
    if (SceneLight* light = TheLight()) WriteVec3(glm::vec3(light->m_fogColor), value);
}

void SetFogColor(const void* value, void*)
{
    glm::vec3 colour;
    ReadVec3(value, colour);
    if (SceneLight* light = TheLight()) light->m_fogColor = glm::vec4(colour, 1.0f);
}

void GetAttenuation(void* value, void*)
{
    if (SceneLight* light = TheLight()) WriteVec3(light->m_attenuation, value);
}

void SetAttenuation(const void* value, void*)
{
    if (SceneLight* light = TheLight()) ReadVec3(value, light->m_attenuation);
}

void GetNearFar(void* value, void*)
{
    SceneLight* light = TheLight();
    if (!light) return;
    const float planes[2] = {light->m_nearPlaneDistance, light->m_farPlaneDistance};
    std::memcpy(value, planes, sizeof planes);
}

void SetNearFar(const void* value, void*)
{
    SceneLight* light = TheLight();
    if (!light) return;
    float planes[2];
    std::memcpy(planes, value, sizeof planes);
    light->m_nearPlaneDistance = planes[0];
    light->m_farPlaneDistance = planes[1];
}

void GetShadowMode(void* value, void*)
{
    if (Renderer* renderer = TheRenderer()) *static_cast<bool*>(value) = renderer->m_shadowMap.shadowsOn;
}

void SetShadowMode(const void* value, void*)
{
    Renderer* renderer = TheRenderer();
    if (!renderer) return;
    renderer->m_shadowMap.shadowsOn = *static_cast<const bool*>(value);
    if (renderer->m_shadowMap.shadowsOn && renderer->GetSceneLight())
        renderer->m_shadowMap.UpdateLightView(renderer->GetSceneLight()->m_position, Renderer::LivePlayerOne());
}

void GetVolume(void* value, void*)
{
    if (AudioManager* audio = TheAudio()) *static_cast<float*>(value) = audio->m_MusicVolume;
}

void SetVolume(const void* value, void*)
{
    // Before any music has played there may be no channel: the volume is kept
    // for the music to come.
    if (AudioManager* audio = TheAudio()) audio->SetMusicVolume(*static_cast<const float*>(value));
}

// The panel's define: its name followed by the pieces.
void DefineBar(const std::string& name, const std::string& pieces)
{
    const std::string def = name + pieces;
    TwDefine(def.c_str());
}

} // namespace

void GraphicsManagerBar(TweakBarState* state)
{
    if (!state) return;
    TwBar* bar = TwNewBar(GRAPHICS_BAR);
    state->graphicsBar = bar;
    if (!bar) return;
    DefineBar(GRAPHICS_BAR, std::string(" visible=true") + " label='Graphics Settings'" + " color='128 124 160'" +
                                " text=dark alpha=196" + " refresh=0.01" + " valueswidth=120" +
                                CurrentPanelPlaces().graphics.Define() +
                                " help='These properties define the main graphics settings'");
    const TwType* types = state->types;

    TwAddVarCB(bar, "GraphicsWire", types[TWEAK_WIREFRAMETYPE], SetField<int, GraphicsWire>,
               GetField<int, GraphicsWire>, nullptr,
               "group=Display help='Toggle wireframe display mode for objects from graphics component.'");
    TwAddVarCB(bar, "CollisionWire", TW_TYPE_BOOLCPP, SetField<bool, CollisionWire>, GetField<bool, CollisionWire>,
               nullptr, "group=Display help='Toggle wireframe display mode for collision.' false='OFF' true='ON'");
    TwAddVarCB(bar, "Width", TW_TYPE_INT32, nullptr, GetWidth, nullptr,
               "group=Display label='Width' help='Current graphics window width.' ");
    TwAddVarCB(bar, "Height", TW_TYPE_INT32, nullptr, GetHeight, nullptr,
               "group=Display label='Height' help='Current graphics window height.' ");
    TwAddVarCB(bar, "Windowed", TW_TYPE_BOOLCPP, nullptr, GetFullscreen, nullptr,
               "group=Display help='Current window mode.' false='OFF' true='ON'");
    TwAddVarCB(bar, "CamPos", types[TWEAK_POINT3], SetCameraPosition, GetCameraPosition, nullptr,
               "group=Camera label='Position' help='Current camera position.' open");
    TwAddVarCB(bar, "CamLook", types[TWEAK_POINT3], SetCameraLook, GetCameraLook, nullptr,
               "group=Camera label='ViewDirection' help='Current camera view direction.' open");
    TwAddVarCB(bar, "FOV", TW_TYPE_FLOAT, SetFieldOfView, GetFieldOfView, nullptr,
               "group=Camera label='Field of View' help='Field-of-View, between 1 to 90.' min=1 max=90 step=1 ");
    TwAddVarCB(bar, "ViewLength", TW_TYPE_FLOAT, SetViewLength, GetViewLength, nullptr,
               "group=Camera label='viewDistance' help='distance from camera to target pos.' min=-100 max=100 "
               "step=0.01 ");
    TwAddVarCB(bar, "ViewHeight", TW_TYPE_FLOAT, SetViewHeight, GetViewHeight, nullptr,
               "group=Camera label='cameraHeight' help='camera height.' min=-100 max=100 step=0.01 ");
    TwDefine(" GraphicsManagerBar/Camera group='Display' ");
    TwAddVarCB(bar, "MousePos2D", types[TWEAK_POINT2], nullptr, GetMousePosition, nullptr,
               "group=Display label='Mouse Position' help='Current mouse position in 2D space with origin at "
               "center of screen.' open");
    TwAddVarCB(bar, "Lights", TW_TYPE_BOOLCPP, SetLights, GetLights, nullptr,
               "group=Light label='Lighting' help='Toggles lighting on or off.' false='DARKNESS' true='BRIGHTNESS'");
    TwAddVarCB(bar, "LightTypes", types[TWEAK_LIGHTTYPE], SetField<int, LightType>, GetField<int, LightType>,
               nullptr, "group=Light label='Light Type' help='Toggles 3 different kinds of .' ");
    TwAddVarCB(bar, "LightDir", TW_TYPE_DIR3F, nullptr, GetLightDirection, nullptr,
               "group=Light label='Light Direction' help='Current lighting direction from light to object.' open");
    TwAddVarCB(bar, "FogColor", TW_TYPE_COLOR3F, SetFogColor, GetFogColor, nullptr,
               "group=Light label='FogColor' help='Set fog of war color' open");
    TwAddVarCB(bar, "DistAttn", types[TWEAK_POINT3POSITIVE], SetAttenuation, GetAttenuation, nullptr,
               "group=Light label='DistAttn' help='Set the distance attenuation of the fog' open ");
    TwAddVarCB(bar, "NearFar", types[TWEAK_POINT2POSITIVE], SetNearFar, GetNearFar, nullptr,
               "group=Light label='NearFar' help='Set the near and far to attenuate the fog' open ");
    TwAddVarCB(bar, "ShadowMode", TW_TYPE_BOOLCPP, SetShadowMode, GetShadowMode, nullptr,
               "group=Shadow help='Toggle shadow mapping.' false='OFF' true='ON'");
    TwAddVarCB(bar, "FilterX", TW_TYPE_FLOAT, SetField<float, FilterX>, GetField<float, FilterX>, nullptr,
               "group=Shadow label='FilterX' help='Filter in x-axis.' min=0.0 max=10 step=0.005 ");
    TwAddVarCB(bar, "FilterY", TW_TYPE_FLOAT, SetField<float, FilterY>, GetField<float, FilterY>, nullptr,
               "group=Shadow label='FilterY' help='Filter in y-axis.' min=0.0 max=10 step=0.005 ");
    TwAddVarCB(bar, "DepthBias", TW_TYPE_FLOAT, SetField<float, DepthBias>, GetField<float, DepthBias>, nullptr,
               "group=Shadow label='DepthBias' help='Depth bias.' min=0.0 max=10 step=0.0001 ");
    TwAddVarCB(bar, "SAMPLECOUNTX", TW_TYPE_INT32, SetField<int, SampleCountX>, GetField<int, SampleCountX>, nullptr,
               "group=Shadow label='SAMPLECOUNTX' help='Kernel in x-axis.' min=0 max=20 step=1 ");
    TwAddVarCB(bar, "SAMPLECOUNTY", TW_TYPE_INT32, SetField<int, SampleCountY>, GetField<int, SampleCountY>, nullptr,
               "group=Shadow label='SAMPLECOUNTY' help='Kernel in y-axis.' min=0 max=20 step=1 ");
    TwAddVarCB(bar, "FirstColor", TW_TYPE_FLOAT, SetField<float, FirstColor>, GetField<float, FirstColor>, nullptr,
               "group=Bloom label='firstCoe' help='1st texture.' min=-10 max=10 step=0.01 ");
    TwAddVarCB(bar, "Hue", TW_TYPE_FLOAT, SetField<float, Hue>, GetField<float, Hue>, nullptr,
               "group=Bloom label='Hue' help='1st texture Hue' min=-1 max=1 step=0.01 ");
    TwAddVarCB(bar, "Saturation", TW_TYPE_FLOAT, SetField<float, Saturation>, GetField<float, Saturation>, nullptr,
               "group=Bloom label='Saturation' help='1st texture Saturation' min=-1 max=1 step=0.01 ");
    TwAddVarCB(bar, "Value", TW_TYPE_FLOAT, SetField<float, Brightness>, GetField<float, Brightness>, nullptr,
               "group=Bloom label='Brightness' help='1st texture brightness' min=-1 max=1 step=0.01 ");
    TwAddVarCB(bar, "SecondColor", TW_TYPE_FLOAT, SetField<float, SecondColor>, GetField<float, SecondColor>, nullptr,
               "group=Bloom label='2ndTexCoe' help='2nd texture.' min=-10 max=10 step=0.01 ");
}

void SoundManagerBar(TweakBarState* state)
{
    if (!state) return;
    TwBar* bar = TwNewBar(SOUND_BAR);
    state->soundBar = bar;
    if (!bar) return;
    DefineBar(SOUND_BAR, std::string(" label='Sound settings'") + " color='128 124 060'" + " text=dark alpha=196" +
                             " refresh=0.01" + CurrentPanelPlaces().sound.Define() + " valueswidth=120");
    TwAddVarCB(bar, "SFXMute", TW_TYPE_BOOLCPP, SetField<bool, EffectsOff>, GetField<bool, EffectsOff>, nullptr,
               "group=Audio label='Sound Mute' help='Sound effects mute state.' false='No' true='Yes' ");
    TwAddVarCB(bar, "Volume", TW_TYPE_FLOAT, SetVolume, GetVolume, nullptr,
               "group=Audio label='Volume' help='Overall sound volume between 0 to 1.' min=0.0 max=1.0 step=0.01 ");
}

void PhysicsManagerBar(TweakBarState* state)
{
    if (!state) return;
    TwBar* bar = TwNewBar(PHYSICS_BAR);
    state->physicsBar = bar;
    if (!bar) return;
    DefineBar(PHYSICS_BAR, std::string(" label='Physics Manager'") + " color='0 0 200'" + " text=light alpha=150" +
                               " refresh=0.01" + CurrentPanelPlaces().physics.Define() + " valueswidth=120");
    PhysicsManager* physics = Sys() ? Sys()->physicsManager : nullptr;
    if (!physics) return;
    TwAddVarRW(bar, "SleepTime", TW_TYPE_FLOAT, &physics->SleepTime, "");
    TwAddVarRW(bar, "WakeInterval", TW_TYPE_FLOAT, &physics->WakeInterval, "");
}

} // namespace AntTweakBar
} // namespace QRX
