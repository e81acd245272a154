#include "engine/graphics/DisplayResources.h"

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

void ReleaseDisplayResources()
{
    System* system = System::PeekInstance();
    if (!system) return;
    if (system->renderer) system->renderer->ReleaseResources();
    if (system->fontManager) system->fontManager->ReleaseFonts();
    if (system->meshManager) system->meshManager->ReleaseAllMeshesAndDefault();
    if (system->textureManager) system->textureManager->UnloadAll();
}

void RestoreDisplayContext(const Window& window)
{
    System* system = System::PeekInstance();
    if (!system) return;
    if (system->renderer) system->renderer->InitGL();
    if (system->fontManager) system->fontManager->ReloadFonts();
    if (system->renderer) {
        system->renderer->SetupShaders();
        system->renderer->Resize(window.GetWidth(), window.GetHeight(), Renderer::DEFAULT_FIELD_OF_VIEW);
    }
}

void RestoreDisplayScene(const Window&)
{
    System* system = System::PeekInstance();
    if (!system) return;
    if (system->renderer) system->renderer->ShadowMapInit();
    if (system->meshManager) system->meshManager->ReloadAllMeshes();
}

void RescaleGUIObjects(int width, int height)
{
    System* system = System::PeekInstance();
    if (!system || !system->objectManager) return;
    // A copy: the manager's result list is shared by every query.
    const GameObjectGroup objects = system->objectManager->GetObjectsWithComponent(CT_GUI);
    for (GameObject* object : objects)
        if (auto* gui = object->GetComponent<GUIComponent>()) gui->FitToWindow(width, height);
}

} // namespace QRX
