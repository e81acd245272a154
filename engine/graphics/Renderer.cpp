#include "engine/graphics/Renderer.h"

#include <GL/glu.h>

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <sstream>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/EngineDoor.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/SceneLight.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/SoftwareRenderer.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/platform/Documents.h"
#include "engine/platform/FileSearch.h"
#include "engine/platform/WindowSystemGL.h"
#include "engine/platform/tweakbar/TweakBar.h"

namespace QRX {

namespace {

const char* GLText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

GLint GLInteger(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// Major and minor version from the GL_VERSION text ("4.5 (Compatibility
// Profile) Mesa ..."), which every context answers, unlike GL_MAJOR_VERSION.
void ParseVersion(const char* text, int& major, int& minor)
{
    major = 0;
    minor = 0;
    if (!text) return;
    char* end = nullptr;
    major = static_cast<int>(std::strtol(text, &end, 10));
    if (end && *end == '.') minor = static_cast<int>(std::strtol(end + 1, nullptr, 10));
}

// A program of the table: compiled, attributes bound, linked. Null when the
// shader manager is missing.
Program* BuildProgram(const std::string& name, const std::string& vertexFile, const std::string& fragmentFile,
                      std::initializer_list<std::pair<GLuint, const char*>> attributes)
{
    System* system = System::PeekInstance();
    ShaderManager* shaders = system ? system->shaderManager : nullptr;
    if (!shaders) return nullptr;
    Program* program = shaders->CreateProgram(name);
    if (!program) return nullptr;
    program->AssociateShader(Program::VERTEX_SHADER, vertexFile);
    program->AssociateShader(Program::FRAGMENT_SHADER, fragmentFile);
    for (const auto& attribute : attributes) glBindAttribLocation(program->GetProgramObject(), attribute.first, attribute.second);
    program->LinkShaders();
    return program;
}

GLint Uniform(const Program* program, const char* name)
{
    return program ? glGetUniformLocation(program->GetProgramObject(), name) : -1;
}

// A program of main.vert with the mesh attributes and the given fragment
// shader; its locations go to `at` (-1 for what the program lacks).
Program* BuildMainVertexProgram(const std::string& name, const std::string& fragmentFile, MainProgramLocations& at)
{
    Program* program = BuildProgram(name, "data\\shaders\\main.vert", fragmentFile,
                                    {{GRAPHICS_ATTRIB_POSITION, "inPosition"},
                                     {GRAPHICS_ATTRIB_NORMAL, "inNormal"},
                                     {GRAPHICS_ATTRIB_TEXCOORD, "texcoord"},
                                     {GRAPHICS_ATTRIB_WEIGHT, "weight"},
                                     {GRAPHICS_ATTRIB_JOINTINDEX, "jointIndex"}});
    at.projectionMatrix = Uniform(program, "projectionMatrix");
    at.viewMatrix = Uniform(program, "viewMatrix");
    at.modelMatrix = Uniform(program, "modelMatrix");
    at.normalMatrix = Uniform(program, "normalMatrix");
    at.wireFrame = Uniform(program, "wireFrame");
    at.wireFrameColor = Uniform(program, "wireFrameColor");
    at.opacity = Uniform(program, "opacity");
    at.isB = Uniform(program, "isB");
    return program;
}

} // namespace

Renderer::Renderer()
{
    m_camera = new (std::nothrow) Camera();
    m_sceneLight = new (std::nothrow) SceneLight();
    m_particleSystem = new (std::nothrow) ParticleSystem();
}

Renderer::~Renderer()
{
    if (m_glReady) ReleaseResources();
    delete m_camera;
    delete m_sceneLight;
    delete m_particleSystem;
}

glm::mat4 Renderer::ViewMatrix() const
{
    return m_camera ? m_camera->GetViewMatrix() : glm::mat4(1.0f);
}

int Renderer::WindowWidth() const
{
    System* system = System::PeekInstance();
    return system && system->window ? system->window->GetWidth() : m_viewportWidth;
}

int Renderer::WindowHeight() const
{
    System* system = System::PeekInstance();
    return system && system->window ? system->window->GetHeight() : m_viewportHeight;
}

bool Renderer::InitGL()
{
    m_glReady = false;
    if (!GetGLInformation()) return false;

    glEnable(GL_MULTISAMPLE);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    glGenVertexArrays(1, &m_vertexArray);
    glBindVertexArray(m_vertexArray);
    glGenBuffers(GRAPHICS_ATTRIB_COUNT, m_vertexBufferObject);
    glGenBuffers(1, &m_particleIndexBuffer);
    // Shading every fragment costs most where nothing skips hidden ones or
    // the sides of a branch.
    m_depthPrepass = IsSoftwareRenderer();
    m_unlitSky = m_depthPrepass;
    m_glReady = true;
    return true;
}

bool Renderer::GetGLInformation()
{
    std::ostringstream report;
    report << "Retrieving required graphics information...\n";

    bool usable = true;
    glewExperimental = GL_TRUE;
    const GLenum glewStatus = glewInit();
    if (glewStatus != GLEW_OK) {
        report << "  " << reinterpret_cast<const char*>(glewGetErrorString(glewStatus)) << "\n";
        System::GetInstance()->StopRunning();
        QRX_LOG_ERROR("Unable to start glew. You probably did not create an OpenGL context first!Exiting game..");
        usable = false;
    }
    report << "  Status: Using GLEW " << reinterpret_cast<const char*>(glewGetString(GLEW_VERSION)) << "\n";
    if (!usable) {
        // Without GLEW no entry point beyond OpenGL 1.1 may be called.
        QRX_LOG_INFO("%s", report.str().c_str());
        return false;
    }

    if (!GLEW_VERSION_2_1) {
        report << "  No support for OpenGL 2.1 found! Exiting game...\n";
        System::GetInstance()->StopRunning();
        usable = false;
    } else {
        report << "  OpenGL 2.1 supported, proceeding.\n";
    }
    if (glewIsSupported("GL_ARB_vertex_buffer_object  ")) report << "  Great, we have vbo support.\n";
    else report << "  Crap, we don't have vbo support.\n";
    if (Platform::IsWindowSystemExtensionSupported("GLX_ARB_multisample")) report << "  Great, we also have MSAA support.\n";
    else report << "  Crap, no MSAA support.\n";
    QRX_LOG_INFO("%s", report.str().c_str());
    report.str("");
    if (!usable) return false;

    int major = 0;
    int minor = 0;
    ParseVersion(GLText(GL_VERSION), major, minor);
    report << "Retrieving more detailed information...\n";
    report << "  OpenGL Information:\n";
    report << "    GPU Vendor: " << GLText(GL_VENDOR) << "\n";
    report << "    Renderer: " << GLText(GL_RENDERER) << "\n";
    report << "    GL Version Supported: " << GLText(GL_VERSION) << " (" << major << "." << minor << ")\n";
    if (major < 3) {
        QRX_LOG_WARNING("This application uses FBO and VAO, which requires at least OpenGL 3.0 support. You are "
                        "currently on <b>%i.%i</b>.Please attempt to upgrade your drivers, or if you are using "
                        "onboard or integrated graphics, you are recommended to switch to a dedicated graphics card.",
                        major, minor);
    }
    report << "    GLSL Version: " << GLText(GL_SHADING_LANGUAGE_VERSION) << "\n";
    const GLubyte* gluVersion = gluGetString(GLU_VERSION);
    report << "    GLU Version: " << (gluVersion ? reinterpret_cast<const char*>(gluVersion) : "") << "\n";
    report << "  FreeImage Version: " << FreeImage_GetVersion() << "\n";
    report << "  Max number of supported vertex attributes: " << GLInteger(GL_MAX_VERTEX_ATTRIBS) << "\n";
    report << "  Max number of supported vertex uniform components: " << GLInteger(GL_MAX_VERTEX_UNIFORM_COMPONENTS)
           << "\n";
    report << " Framebuffer: \n";
    report << "  Max supported texture size: " << GLInteger(GL_MAX_TEXTURE_SIZE) << "\n";
    // The frame-buffer limits are only known from 3.0 (or its extension) on.
    const bool framebuffers = major >= 3 || GLEW_ARB_framebuffer_object;
    const bool framebufferLimits = major > 4 || (major == 4 && minor >= 3) || GLEW_ARB_framebuffer_no_attachments;
    report << "  Max color attachments: " << (framebuffers ? GLInteger(GL_MAX_COLOR_ATTACHMENTS) : 0) << "\n";
    report << "  Max framebuffer width: " << (framebufferLimits ? GLInteger(GL_MAX_FRAMEBUFFER_WIDTH) : 0) << "\n";
    report << "  Max framebuffer height: " << (framebufferLimits ? GLInteger(GL_MAX_FRAMEBUFFER_HEIGHT) : 0) << "\n";
    report << "  Max framebuffer samples: " << (framebufferLimits ? GLInteger(GL_MAX_FRAMEBUFFER_SAMPLES) : 0) << "\n";
    report << "  Max framebuffer layers: " << (framebufferLimits ? GLInteger(GL_MAX_FRAMEBUFFER_LAYERS) : 0) << "\n";
    QRX_LOG_INFO("%s", report.str().c_str());
    report.str("");

    // Every context lists its extensions in one string; glGetStringi needs 3.0.
    report << "Getting list of supported extensions...\n";
    std::istringstream extensions(GLText(GL_EXTENSIONS));
    std::string extension;
    while (extensions >> extension) report << "  " << extension << "\n";
    QRX_LOG_INFO("%s", report.str().c_str());
    while (glGetError() != GL_NO_ERROR) {
    }

    // The renderer and its passes call these from start-up on.
    if (!glGenVertexArrays || !glBindVertexArray || !glDeleteVertexArrays || !glGenFramebuffers ||
        !glBindFramebuffer || !glDeleteFramebuffers || !glFramebufferTexture2D || !glCheckFramebufferStatus ||
        !glGenRenderbuffers || !glDeleteRenderbuffers) {
        QRX_LOG_ERROR("The graphics driver offers no vertex-array or frame-buffer objects. Exiting game...");
        System::GetInstance()->StopRunning();
        return false;
    }
    return true;
}

void Renderer::Resize(int width, int height, float fieldOfView)
{
    if (height == 0) height = 1;
    if (m_camera) {
        m_camera->SetPerspective(fieldOfView, static_cast<float>(width) / static_cast<float>(height), NEAR_PLANE,
                                 FAR_PLANE);
        m_projection = m_camera->GetProjectionMatrix();
    }
    const float halfWidth = static_cast<float>(width) / 2.0f;
    const float halfHeight = static_cast<float>(height) / 2.0f;
    m_projection2D = glm::ortho(-halfWidth, halfWidth, -halfHeight, halfHeight, NEAR_PLANE, FAR_PLANE);
    m_viewportWidth = width;
    m_viewportHeight = height;
    if (m_glReady) glViewport(0, 0, width, height);
    TwWindowSize(width, height);
}

glm::mat4 Renderer::InfiniteProjection(float fieldOfViewDegrees, float aspect, float nearPlane)
{
    // The field of view is in degrees, as the camera keeps it.
    const float half = glm::radians(fieldOfViewDegrees) / 2.0f;
    const float c = std::cos(half) / std::sin(half);
    glm::mat4 m(0.0f);
    m[0][0] = c / aspect;
    m[1][1] = c;
    m[2][2] = INFINITE_DEPTH_SCALE;
    m[2][3] = -1.0f;
    m[3][2] = INFINITE_DEPTH_OFFSET * nearPlane;
    return m;
}

glm::mat4 Renderer::BuildInfiniteProjection() const
{
    const float width = static_cast<float>(m_viewportWidth > 0 ? m_viewportWidth : 1);
    const float height = static_cast<float>(m_viewportHeight > 0 ? m_viewportHeight : 1);
    const float fov = m_camera ? m_camera->GetFieldOfView() : DEFAULT_FIELD_OF_VIEW;
    const float nearPlane = m_camera ? m_camera->GetNearPlane() : NEAR_PLANE;
    return InfiniteProjection(fov, width / height, nearPlane);
}

void Renderer::SetupShaders()
{
    // Without a usable context there is no entry point to build with.
    if (!m_glReady) return;
    QRX_LOG_INFO("Setting up shaders..");
    System* system = System::PeekInstance();
    if (system && system->fontManager) system->fontManager->SetupFontShader();

    Program* main = BuildMainVertexProgram("main", "data\\shaders\\main.frag", m_mainLocations);
    if (m_sceneLight && main) m_sceneLight->GetUniformLocations(main->GetProgramObject());
    BuildMainVertexProgram(UNLIT_PROGRAM, "data\\shaders\\main_unlit.frag", m_unlitLocations);

    Program* hud = BuildProgram("hud", "data\\shaders\\hud.vert", "data\\shaders\\hud.frag",
                                {{GRAPHICS_ATTRIB_HUDPOS, "inPosition"}, {GRAPHICS_ATTRIB_TEXCOORD, "texcoord"}});
    m_hudLocations.projectionMatrix = Uniform(hud, "projectionMatrix");
    m_hudLocations.viewMatrix = Uniform(hud, "viewMatrix");
    m_hudLocations.modelMatrix = Uniform(hud, "modelMatrix");
    m_hudLocations.opacity = Uniform(hud, "opacity");

    Program* line = BuildProgram("line", "data\\shaders\\line.vert", "data\\shaders\\line.frag",
                                 {{GRAPHICS_ATTRIB_LINEPOS, "inPosition"}, {GRAPHICS_ATTRIB_LINECOLOR, "inColor"}});
    m_lineLocations.projectionMatrix = Uniform(line, "projectionMatrix");
    m_lineLocations.viewMatrix = Uniform(line, "viewMatrix");
    m_lineLocations.modelMatrix = Uniform(line, "modelMatrix");

    BuildProgram("shadowmain", "data\\shaders\\shadowmain.vs", "data\\shaders\\shadowmain.fs",
                 {{GRAPHICS_ATTRIB_POSITION, "inPosition"},
                  {GRAPHICS_ATTRIB_NORMAL, "inNormal"},
                  {GRAPHICS_ATTRIB_WEIGHT, "weight"},
                  {GRAPHICS_ATTRIB_JOINTINDEX, "jointIndex"}});

    ShaderManager* shaders = system ? system->shaderManager : nullptr;
    Program* particle = shaders ? shaders->CreateProgram(PARTICLE_PROGRAM) : nullptr;
    m_particleLocations = ParticleProgramLocations();
    if (particle) {
        particle->AssociateShader(Program::VERTEX_SHADER, "data\\shaders\\particle.vert");
        particle->AssociateShader(Program::FRAGMENT_SHADER, "data\\shaders\\particle.frag");
        BindParticleAttributes(particle->GetProgramObject());
        particle->LinkShaders();
        m_particleLocations = QueryParticleLocations(particle->GetProgramObject());
    }

    SetupPostProcessing();
    QRX_LOG_INFO("Shaders setup completed.");
}

void Renderer::SetupPostProcessing()
{
    if (!m_glReady) return;
    System* system = System::PeekInstance();
    // During a display change the viewport still has the old size here: the
    // window already has the new one.
    m_postProcess.Setup(system ? system->shaderManager : nullptr, WindowWidth(), WindowHeight());
}

void Renderer::ShadowMapInit()
{
    if (!m_glReady) return;
    System* system = System::PeekInstance();
    m_shadowMap.Init(WindowWidth(), WindowHeight(), ViewMatrix(), system ? system->textureManager : nullptr);
}

void Renderer::CreateFrameBuffers()
{
    if (!m_glReady) return;
    System* system = System::PeekInstance();
    m_postProcess.CreateFrameBuffers(WindowWidth(), WindowHeight(), system ? system->objectManager : nullptr,
                                     system ? system->textureManager : nullptr);
}

void Renderer::RenderShadowMap(GameObjectGroup& group)
{
    System* system = System::PeekInstance();
    ShadowCasterDraw draw;
    draw.look = [](GameObject* object, std::string& meshId, std::string& textureId) {
        auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
        if (!graphics) return false;
        meshId = graphics->m_meshId;
        textureId = graphics->m_textureId;
        return true;
    };
    draw.sendAnimation = [this](Program* program, GameObject* object) { SendAnimationDataPerObject(program, object); };
    draw.drawMesh = [this](const std::string& meshId, const std::string& textureId) { DrawMesh(meshId, textureId); };
    const glm::vec3 lightPosition = m_sceneLight ? m_sceneLight->m_position : glm::vec3(0.0f);
    m_shadowMap.Render(group, system ? system->shaderManager : nullptr, draw, lightPosition, LivePlayerOne(),
                       InputManager::IsTriggered(KEY_F11));
}

void Renderer::SendShadowUniforms(Program* program)
{
    const glm::mat4 inverse = m_shadowMap.SendUniforms(program, ViewMatrix(), WindowWidth(), WindowHeight());
    if (m_camera) m_camera->SetInverseViewMatrix(inverse);
}

void Renderer::PostProcess()
{
    System* system = System::PeekInstance();
    m_postProcess.Process(system ? system->shaderManager : nullptr, WindowWidth(), WindowHeight());
}

void Renderer::ReleaseResources()
{
    if (m_glReady) {
        for (GLuint i = 0; i < GRAPHICS_ATTRIB_COUNT; ++i) glDisableVertexAttribArray(i);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glDeleteBuffers(GRAPHICS_ATTRIB_COUNT, m_vertexBufferObject);
        glDeleteBuffers(1, &m_particleIndexBuffer);
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &m_vertexArray);
    }
    for (GLuint& buffer : m_vertexBufferObject) buffer = 0;
    m_particleIndexBuffer = 0;
    System* system = System::PeekInstance();
    if (system && system->shaderManager) system->shaderManager->DeleteAllPrograms();
    m_vertexArray = 0;
    if (m_glReady) {
        m_postProcess.Release();
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        m_postProcess.ReleaseFrameBuffers();
        m_shadowMap.Release();
    }
    m_glReady = false;
}

int Renderer::NextScreenshotNumber(const std::vector<std::string>& names)
{
    if (names.empty()) return 0;
    int largest = 0;
    const std::string prefix = SCREENSHOT_PREFIX;
    for (const std::string& name : names) {
        const size_t at = name.find(prefix);
        if (at == std::string::npos) continue;
        std::string rest = name.substr(at + prefix.size());
        rest = rest.substr(0, rest.find('.'));
        if (rest.empty() || rest.find_first_not_of("0123456789") != std::string::npos) continue;
        // Numbers too large for an int cannot be the game's own; they are skipped.
        if (rest.size() > 9) continue;
        largest = std::max(largest, std::atoi(rest.c_str()));
    }
    return largest + 1;
}

void Renderer::TakeScreenshot(int width, int height)
{
    if (width < 1 || height < 1) return;

    // Rows are tightly packed: with the default alignment of 4 a width whose
    // row is not a multiple of 4 bytes would overrun the buffer.
    std::vector<BYTE> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);

    std::string folder = Platform::GetDocumentsFolder();
    std::vector<std::string> names;
    int number = 0;
    if (!Platform::DirectoryExists(folder + "/" + SCREENSHOT_FOLDER)) {
        for (const char* part : {"/Orvanta", "/Zendra", "/Screenshots"}) {
            folder += part;
            Platform::MakeDirectory(folder);
        }
        if (!Platform::DirectoryExists(folder)) {
            QRX_LOG_WARNING("Unable to create the screenshot folder %s", folder.c_str());
            return;
        }
    } else {
        folder += std::string("/") + SCREENSHOT_FOLDER;
        // A folder that cannot be listed hides the numbers in use: writing
        // then could overwrite an earlier screenshot.
        if (Platform::SearchFolder(folder, std::string(SCREENSHOT_PREFIX) + "*.png", names) ==
            Platform::SearchResult::Unlistable) {
            QRX_LOG_WARNING("Unable to list the screenshot folder %s: no screenshot is written", folder.c_str());
            return;
        }
        number = NextScreenshotNumber(names);
    }

    FIBITMAP* bitmap = FreeImage_ConvertFromRawBits(pixels.data(), width, height, width * 3, 24, 0xFF0000, 0x00FF00,
                                                    0x0000FF, FALSE);
    if (!bitmap) return;
    const std::string path = folder + "/" + SCREENSHOT_PREFIX + std::to_string(number) + ".png";
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
}

GameObject* Renderer::LivePlayerOne()
{
    System* system = System::PeekInstance();
    GameObject* player = system ? system->playerOne : nullptr;
    if (!player || !(player->flags & OBJ_ALIVE) || player->type != PLAYER) return nullptr;
    return player;
}

bool Renderer::CompareDrawOrder(const GameObject* a, const GameObject* b, const glm::mat4& view)
{
    const auto* ga = static_cast<const GraphicsComponent*>(a->GetComponent(CT_GRAPHICS));
    const auto* gb = static_cast<const GraphicsComponent*>(b->GetComponent(CT_GRAPHICS));
    const float opacityA = ga ? ga->GetOpacity() : 1.0f;
    const float opacityB = gb ? gb->GetOpacity() : 1.0f;
    if (opacityA != opacityB) return opacityA > opacityB;
    const float depthA = (view * glm::vec4(a->position, 1.0f)).z;
    const float depthB = (view * glm::vec4(b->position, 1.0f)).z;
    return depthA < depthB;
}

bool Renderer::CompareDrawOrder(const GameObject* a, const GameObject* b) const
{
    return CompareDrawOrder(a, b, ViewMatrix());
}

void Renderer::UpdateCamera()
{
    if (!m_camera) return;
    System* system = System::PeekInstance();
    double dt = system && system->frameRateController ? system->frameRateController->dt : 0.0;
    if (dt > MAX_FRAME_TIME) dt = MAX_FRAME_TIME;
    m_camera->Update(static_cast<float>(dt));
    m_camera->UpdateViewMatrix();
}

void Renderer::RenderScene()
{
    StepScene(true);
    DrawScene();
}

void Renderer::SkipScene()
{
    StepScene(false);
    m_lineQueue.clear();
    if (FontManager* fonts = System::GetInstance()->fontManager) fonts->ClearText();
}

void Renderer::StepScene(bool drawn)
{
    System* system = System::GetInstance();
    const double frameTime = system->frameRateController ? system->frameRateController->dt : 0.0;

    // Particles, camera, light.
    if (m_particleSystem)
        m_particleSystem->Update(static_cast<float>(frameTime), m_camera ? m_camera->GetEye() : glm::vec3(0.0f),
                                 drawn);
    UpdateCamera();
    if (m_sceneLight) {
        m_sceneLight->FollowCamera();
        // The light looks where the shadow view looks: at the player, or the origin.
        GameObject* player = LivePlayerOne();
        m_sceneLight->AimAt(player ? player->position - glm::vec3(5.0f, 0.0f, 5.0f) : glm::vec3(0.0f));
    }
}

void Renderer::DrawScene()
{
    System* system = System::GetInstance();

    // This frame's objects. The manager's result list is shared with every
    // later query of the frame, so the frame keeps its own copy. An empty
    // scene (a menu) still goes on to the 2-D passes.
    m_frameGroup.clear();
    if (system->objectManager) m_frameGroup = system->objectManager->GetObjectsWithComponent(CT_GRAPHICS);

    // Occluder fade, shadow pass, then opaque first and back to front.
    FadeOccludingCrates(m_frameGroup, FADED_OPACITY);
    RenderShadowMap(m_frameGroup);
    const glm::mat4 view = ViewMatrix();
    std::sort(m_frameGroup.begin(), m_frameGroup.end(),
              [&view](const GameObject* a, const GameObject* b) { return CompareDrawOrder(a, b, view); });

    // A clear picture and depth buffer.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The main pass and the particles, through the post-processing chain or
    // straight into the window.
    const bool postProcessing = m_postProcessing == 1;
    if (postProcessing) m_postProcess.BindSceneCapture();
    RenderObjects(m_frameGroup);
    if (m_particleSystem) {
        ParticlePassInput input;
        input.shaders = system->shaderManager;
        input.textures = system->textureManager;
        input.vertexBuffers = m_vertexBufferObject;
        input.indexBuffer = m_particleIndexBuffer;
        input.locations = m_particleLocations;
        input.viewMatrix = view;
        input.projectionMatrix = m_projection;
        input.hue = m_postProcess.hue;
        RenderParticles(*m_particleSystem, "grayscale", input);
    }
    if (postProcessing) PostProcess();

    // The queued debug lines.
    DrawQueuedLines();

    // The user interface, the text components, the overlays under the text,
    // the text queue.
    RenderUI(m_hudLocations, m_projection2D);
    RenderTextComponents();
    for (const auto& overlay : Door().overlays.underText) overlay(*this);
    if (system->fontManager) system->fontManager->RenderAllText(m_viewportWidth, m_viewportHeight);

    // The overlays over the text: the level editor's grid and shapes, the
    // console (which draws the text it queues itself) and the developer
    // panels.
    for (const auto& overlay : Door().overlays.overText) overlay(*this);

    // Developer keys, on the frame the key goes down. The
    // viewport is the window's size (Resize follows every window change).
    if (InputManager::IsTriggered(KEY_F12)) TakeScreenshot(m_viewportWidth, m_viewportHeight);
    if (InputManager::IsTriggered(KEY_F10) && system->shaderManager) system->shaderManager->RecompileAllShaders();
}

} // namespace QRX
