#include "engine/graphics/GraphicsSteps.h"

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"

namespace QRX {

namespace {
using S = System;
constexpr StepOutcome DONE = StepOutcome::Done;
} // namespace

GraphicsSteps MakeGraphicsSteps()
{
    GraphicsSteps steps;
    GraphicsSteps::Start& start = steps.start;
    start.modelReader = {"binary model reader",
                         [](S& s) {
                             if (CreateInto(s.binaryFileManager) != DONE) return StepOutcome::OutOfMemory;
                             return s.binaryFileManager->Initialize() ? DONE : StepOutcome::Failed;
                         },
                         {"Binary file manager initialized."}};
    // The renderer's GL set-up needs the context; its outcome is not tested
    // (a context that cannot be used clears the running bit).
    start.renderer = {"renderer and shader manager",
                      [](S& s) {
                          if (CreateInto(s.renderer) != DONE || CreateInto(s.shaderManager) != DONE)
                              return StepOutcome::OutOfMemory;
                          s.renderer->InitGL();
                          s.renderer->Resize(s.window->GetWidth(), s.window->GetHeight(),
                                             Renderer::DEFAULT_FIELD_OF_VIEW);
                          s.camera = s.renderer->GetCamera();
                          return DONE;
                      },
                      {"Graphics system initialized."}};
    start.fontManager = {"font manager", [](S& s) { return CreateInto(s.fontManager); }, {}};
    start.meshManager = {"mesh manager",
                         [](S& s) {
                             if (CreateInto(s.meshManager) != DONE) return StepOutcome::OutOfMemory;
                             s.meshManager->Initialize();
                             return DONE;
                         },
                         {}};
    // The shaders' textures must exist before the programs; the result is not checked.
    start.textureManager = {"texture manager",
                            [](S& s) {
                                if (CreateInto(s.textureManager) != DONE) return StepOutcome::OutOfMemory;
                                s.textureManager->Init();
                                s.renderer->SetupShaders();
                                return DONE;
                            },
                            {}};
    start.shadowMap = {"shadow map and frame buffers",
                       [](S& s) {
                           s.renderer->ShadowMapInit();
                           s.renderer->CreateFrameBuffers();
                           return DONE;
                       },
                       {}};

    GraphicsSteps::Stop& stop = steps.stop;
    stop.modelReader = {"binary model reader", [](S& s) { DestroySlot(s.binaryFileManager); }};
    stop.fontManager = {"font manager", [](S& s) { DestroySlot(s.fontManager); }};
    stop.textureManager = {"texture manager", [](S& s) { DestroySlot(s.textureManager); }};
    stop.meshManager = {"mesh manager", [](S& s) { DestroySlot(s.meshManager); }};
    stop.renderer = {"renderer", [](S& s) {
                         DestroySlot(s.renderer);
                         s.camera = nullptr;
                     }};
    stop.shaderManager = {"shader manager",
                          [](S& s) { FinishAndDestroy(s.shaderManager, &ShaderManager::DeleteAllPrograms); }};
    return steps;
}

} // namespace QRX
