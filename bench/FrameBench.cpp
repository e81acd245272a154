#include "bench/FrameBench.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bench/LevelBench.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Clock.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"

namespace QRX {
namespace Bench {

namespace {

// ---- the fake clock ----

// 1/60 s is TICKS_PER_FRAME ticks; each frame advances one tick more, so the
// frame lock's "at least 1/60 s" holds exactly and it never spins.
constexpr std::uint64_t CLOCK_FREQUENCY = 60000000;
constexpr std::uint64_t TICKS_PER_FRAME = CLOCK_FREQUENCY / 60 + 1;
std::uint64_t g_ticks = 1;

void InstallFakeClock()
{
    Platform::SetPerformanceCounterSource([] { return g_ticks; }, [] { return CLOCK_FREQUENCY; });
}

void RemoveFakeClock() { Platform::SetPerformanceCounterSource(nullptr, nullptr); }

// ---- the reference: a full-screen textured quad ----

const char* QUAD_VERTEX = R"(#version 120
attribute vec2 corner;
varying vec2 uv;
void main() { uv = corner * 0.5 + 0.5; gl_Position = vec4(corner, 0.0, 1.0); })";
const char* QUAD_FRAGMENT = R"(#version 120
uniform sampler2D picture;
varying vec2 uv;
void main() { gl_FragColor = texture2D(picture, uv); })";

class QuadReference
{
public:
    QuadReference(int width, int height) : m_width(width), m_height(height)
    {
        m_program = glCreateProgram();
        GLuint shaders[2] = {Compile(GL_VERTEX_SHADER, QUAD_VERTEX), Compile(GL_FRAGMENT_SHADER, QUAD_FRAGMENT)};
        for (GLuint shader : shaders) glAttachShader(m_program, shader);
        glBindAttribLocation(m_program, 0, "corner");
        glLinkProgram(m_program);
        for (GLuint shader : shaders) glDeleteShader(shader);
        GLint linked = GL_FALSE;
        glGetProgramiv(m_program, GL_LINK_STATUS, &linked);
        m_ok = linked == GL_TRUE;

        // A picture the size of the window: gradients and a checker board.
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
                p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
                p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
                p[2] = ((x / 32 + y / 32) % 2) ? 200 : 40;
                p[3] = 255;
            }
        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);

        const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        glGenBuffers(1, &m_buffer);
        glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    ~QuadReference()
    {
        glDeleteBuffers(1, &m_buffer);
        glDeleteTextures(1, &m_texture);
        glDeleteProgram(m_program);
    }
    QuadReference(const QuadReference&) = delete;
    QuadReference& operator=(const QuadReference&) = delete;

    bool Ok() const { return m_ok; }

    // One frame: clear, the quad, the swap; the engine's GL state is left as
    // it was found.
    void Frame(Window* window)
    {
        const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
        const GLboolean blend = glIsEnabled(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, m_width, m_height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(m_program);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glUniform1i(glGetUniformLocation(m_program, "picture"), 0);
        glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(0);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
        window->SwapBuffers();
        if (depth) glEnable(GL_DEPTH_TEST);
        if (blend) glEnable(GL_BLEND);
        glFinish();
    }

private:
    static GLuint Compile(GLenum kind, const char* source)
    {
        GLuint shader = glCreateShader(kind);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        return shader;
    }

    int m_width;
    int m_height;
    GLuint m_program = 0;
    GLuint m_texture = 0;
    GLuint m_buffer = 0;
    bool m_ok = false;
};

// ---- time per shader program ----

// glUseProgram is reached through GLEW's function pointer: while shares are
// taken, a wrapper finishes the GPU's work at every switch and charges the
// time since the last switch to the program that was bound.
PFNGLUSEPROGRAMPROC g_realUseProgram = nullptr;
GLuint g_boundProgram = 0;
double g_lastSwitch = 0.0;
std::map<GLuint, double> g_programSeconds;

void GLAPIENTRY TimedUseProgram(GLuint program)
{
    glFinish();
    const double now = Now();
    g_programSeconds[g_boundProgram] += now - g_lastSwitch;
    g_lastSwitch = now;
    g_boundProgram = program;
    g_realUseProgram(program);
}

// ---- the engine ----

// A frame of the started engine: the clock steps 1/60 s, System::Update,
// then the GPU is waited for.
void EngineFrame(System* system)
{
    g_ticks += TICKS_PER_FRAME;
    system->Update();
    glFinish();
}

// Keeps the current scene: a request to leave it is withdrawn.
void HoldScene(GameStateManager* states)
{
    if (states->GetRequestedState() != states->GetCurrentState()) states->RequestState(states->GetCurrentState());
}

// Milliseconds per frame over `frames` held frames of the scene.
double TimedSceneFrames(System* system, int frames)
{
    const double start = Now();
    for (int i = 0; i < frames; ++i) {
        EngineFrame(system);
        HoldScene(system->gameStateManager);
    }
    return (Now() - start) * 1000.0 / frames;
}

double TimedQuadFrames(QuadReference& quad, Window* window, int frames)
{
    const double start = Now();
    for (int i = 0; i < frames; ++i) quad.Frame(window);
    return (Now() - start) * 1000.0 / frames;
}

// Renderer settings of a variant: the defaults, or post-processing and
// shadows off.
void ApplyVariant(Renderer* renderer, bool defaults)
{
    renderer->m_postProcessing = defaults ? 1 : 0;
    renderer->m_shadowMap.shadowsOn = defaults;
}

struct SceneFigures
{
    std::string name;   // as the tables show it
    std::string key;    // as the figures name it
    Series defaults, plain, quad;
    std::vector<std::pair<std::string, double>> programs;  // name, ms per frame
};

struct FrameCounts
{
    int perRound = 20;  // frames of each variant in one round
    int rounds = 5;
    int shareFrames = 10;
};

// The program names by program object, from the shader manager.
std::map<GLuint, std::string> ProgramNames(ShaderManager* shaders)
{
    std::map<GLuint, std::string> names;
    names[0] = "(none: clears, fixed state, swap)";
    if (!shaders) return names;
    for (const std::string& name : shaders->GetProgramNames())
        if (Program* program = shaders->GetProgram(name)) names[program->GetProgramObject()] = name;
    return names;
}

void MeasureScene(System* system, QuadReference& quad, const FrameCounts& counts, SceneFigures& scene)
{
    Renderer* renderer = system->renderer;
    for (int round = 0; round < counts.rounds; ++round) {
        // One frame after each switch lets the renderer settle to the variant.
        ApplyVariant(renderer, true);
        TimedSceneFrames(system, 1);
        scene.defaults.Add(TimedSceneFrames(system, counts.perRound));
        ApplyVariant(renderer, false);
        TimedSceneFrames(system, 1);
        scene.plain.Add(TimedSceneFrames(system, counts.perRound));
        scene.quad.Add(TimedQuadFrames(quad, system->window, counts.perRound));
    }
    ApplyVariant(renderer, true);
    TimedSceneFrames(system, 1);

    // The defaults split by program.
    g_programSeconds.clear();
    g_realUseProgram = __glewUseProgram;
    __glewUseProgram = TimedUseProgram;
    for (int i = 0; i < counts.shareFrames; ++i) {
        glFinish();
        GLint bound = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
        g_boundProgram = static_cast<GLuint>(bound);
        g_lastSwitch = Now();
        g_ticks += TICKS_PER_FRAME;
        system->Update();
        glFinish();
        g_programSeconds[g_boundProgram] += Now() - g_lastSwitch;
        HoldScene(system->gameStateManager);
    }
    __glewUseProgram = g_realUseProgram;
    const std::map<GLuint, std::string> names = ProgramNames(system->shaderManager);
    for (const auto& entry : g_programSeconds) {
        auto it = names.find(entry.first);
        const std::string name = it != names.end() ? it->second : "program " + std::to_string(entry.first);
        scene.programs.emplace_back(name, entry.second * 1000.0 / counts.shareFrames);
    }
    std::sort(scene.programs.begin(), scene.programs.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
}

// Runs frames until the loading screen asks for the main menu (it has loaded
// everything), at most `limit` frames; false when it never did.
bool FinishLoading(System* system, int limit)
{
    GameStateManager* states = system->gameStateManager;
    for (int i = 0; i < limit; ++i) {
        EngineFrame(system);
        const bool done = states->GetCurrentState() == STATE_LOADING && states->GetRequestedState() == STATE_MAINMENU;
        HoldScene(states);
        if (done) return true;
    }
    return false;
}

// Enters the benchmark's level as a free level, puts the robot in player
// one's slot (the camera and the light follow it) and lets it land.
bool EnterBenchLevel(System* system, const Settings& settings)
{
    ObjectManager* objects = system->objectManager;
    // The level's masters come from the benchmark's folder; the others stay
    // the game's.
    if (!objects->FindMasterObject(CUBE)) objects->LoadObject(BENCH_CUBE_MASTER);
    if (!objects->FindMasterObject(PLAYER)) objects->LoadObject(BENCH_PLAYER_MASTER);
    GameStateManager* states = system->gameStateManager;
    states->GetLevelManager()->SetFreeLoadPath(settings.smoke ? BENCH_SMOKE_LEVEL : BENCH_LEVEL);
    // The loading screen lies over a splash screen: the first frame pops it
    // (and with it the request), the next changes to the level.
    for (int i = 0; i < 4 && states->GetCurrentState() != STATE_FREELOAD; ++i) {
        states->RequestState(STATE_FREELOAD);
        EngineFrame(system);
    }
    if (states->GetCurrentState() != STATE_FREELOAD) return false;
    GameObjectGroup robots = objects->GetActiveObjectsOfType(PLAYER);
    if (robots.empty()) return false;
    system->playerOne = robots.front();
    for (int i = 0; i < (settings.smoke ? 1 : 60); ++i) {
        EngineFrame(system);
        HoldScene(states);
    }
    return true;
}

void PrintFrames(const std::vector<SceneFigures>& scenes, const FrameCounts& counts, const std::string& gl,
                 int width, int height, Figures& figures)
{
    Table table("Frames at " + std::to_string(width) + "x" + std::to_string(height) + " on " + gl +
                ", fake clock at 1/60 s; median [min-max] of " + std::to_string(counts.rounds) + " round(s) of " +
                std::to_string(counts.perRound) + " frame(s)");
    table.Header({"scene", "settings", "ms/frame", "x quad"});
    table.TextColumns(2);
    for (const SceneFigures& s : scenes) {
        table.Row({s.name, "defaults", Spread(s.defaults, 2), Spread(Ratios(s.defaults, s.quad), 2)});
        table.Row({"", "no post-processing, no shadows", Spread(s.plain, 2), Spread(Ratios(s.plain, s.quad), 2)});
        table.Row({"", "reference: textured quad + swap", Spread(s.quad, 2), "1"});
        figures.AddSeries("frames", s.key + "/defaults", s.defaults, "ms/frame");
        figures.AddSeries("frames", s.key + "/plain", s.plain, "ms/frame");
        figures.AddSeries("frames", s.key + "/quad", s.quad, "ms/frame");
        figures.AddSeries("frames", s.key + "/defaults_ratio", Ratios(s.defaults, s.quad), "x");
        figures.AddSeries("frames", s.key + "/plain_ratio", Ratios(s.plain, s.quad), "x");
    }
    table.Note("x quad: the scene's frame / a full-screen textured quad plus swap, same context, same round.");
    table.Print(ReportStream());

    Table shares("Frames: time per shader program with the defaults (glFinish at every program switch; " +
                 std::to_string(counts.shareFrames) + " frame(s), not the timed ones)");
    shares.Header({"scene", "program", "ms/frame", "share"});
    shares.TextColumns(2);
    for (const SceneFigures& s : scenes) {
        double total = 0.0;
        for (const auto& p : s.programs) total += p.second;
        bool first = true;
        for (const auto& p : s.programs) {
            const double share = total > 0.0 ? 100.0 * p.second / total : std::nan("");
            shares.Row({first ? s.name : "", p.first, Fixed(p.second, 2), Fixed(share, 1) + " %"});
            figures.Add("frames", s.key + "/program/" + p.first + "/share", share, "%");
            first = false;
        }
    }
    shares.Print(ReportStream());
}

// ---- the campaign ----

// The longest frame time a per-frame computation takes (its cap), and the
// shortest frame the frame lock lets through.
constexpr double FRAME_TIME_CAP = 0.05;
constexpr double FRAME_LOCK = 1.0 / 60.0;

// Seconds of game time per real second for frames that take that many
// milliseconds: the frame lock holds them to 1/60 s at the least, and past
// the cap the game sees only the cap.
double GameTimeRate(double milliseconds)
{
    if (!(milliseconds > 0.0)) return std::nan("");
    const double frame = std::max(milliseconds / 1000.0, FRAME_LOCK);
    return std::min(frame, FRAME_TIME_CAP) / frame;
}

struct CampaignLevelFigures
{
    int stateId = 0;
    std::string name;   // the level file's name up to ".xml"
    Series defaults, quad, rate;
};

// The campaign's levels by the level table, in the order of play.
std::vector<CampaignLevelFigures> CampaignLevels()
{
    std::vector<CampaignLevelFigures> levels;
    for (int id = STATE_LEVEL1; id < STATE_LEVEL1 + CAMPAIGN_LEVELS; ++id) {
        const int row = FindLevelTableRow(id);
        if (row < 0) continue;
        std::string name = GetLevelTable()[row].fileName;
        name = name.substr(0, name.find('.'));
        levels.push_back(CampaignLevelFigures{id, name, {}, {}, {}});
    }
    return levels;
}

// Enters a level through the level table as its Next button does and lets
// the robot beam in; false when the state did not change.
bool EnterCampaignLevel(System* system, int stateId, int settleFrames)
{
    GameStateManager* states = system->gameStateManager;
    for (int i = 0; i < 4 && states->GetCurrentState() != stateId; ++i) {
        states->RequestState(stateId);
        EngineFrame(system);
    }
    if (states->GetCurrentState() != stateId) return false;
    for (int i = 0; i < settleFrames; ++i) {
        EngineFrame(system);
        HoldScene(states);
    }
    return true;
}

void PrintCampaign(const std::vector<CampaignLevelFigures>& levels, const FrameCounts& counts,
                   const std::string& gl, int width, int height, Figures& figures)
{
    Table table("The campaign's levels at " + std::to_string(width) + "x" + std::to_string(height) + " on " + gl +
                ", defaults, the robot standing where it appears; median [min-max] of " +
                std::to_string(counts.rounds) + " round(s) of " + std::to_string(counts.perRound) + " frame(s)");
    table.Header({"level", "ms/frame", "x quad", "game s / real s"});
    for (const CampaignLevelFigures& level : levels) {
        const Series ratio = Ratios(level.defaults, level.quad);
        table.Row({level.name, Spread(level.defaults, 2), Spread(ratio, 2), Spread(level.rate, 2)});
        const std::string key = "campaign/" + level.name;
        figures.AddSeries("frames", key + "/defaults", level.defaults, "ms/frame");
        figures.AddSeries("frames", key + "/ratio", ratio, "x");
        figures.AddSeries("frames", key + "/game_time_rate", level.rate, "s/s");
    }
    table.Note("x quad: the level's frame / a full-screen textured quad plus swap, same context, same round.");
    table.Note("game s / real s: the game time a real second brings at that frame cost: every frame lasts 1/60 s");
    table.Note("at the least, and a frame longer than 0.05 s counts as 0.05 s for the game.");
    table.Print(ReportStream());
}

// The campaign's levels one after the other in an engine started afresh
// (the level of CUBEs put the benchmark's own masters in its place), each
// timed with the renderer's defaults, interleaved with the quad.
void RunCampaignFrames(const Settings& settings, Figures& figures)
{
    Progress("frames: the campaign's levels");
    System* system = System::GetInstance();
    if (!system->Initialize() || !system->IsRunning()) {
        figures.Add("frames", "campaign/engine_started", std::nan(""), "");
        system->Shutdown();
        System::DestroyInstance();
        return;
    }
    const int width = system->window->GetWidth();
    const int height = system->window->GetHeight();
    const char* rendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string gl = rendererName ? rendererName : "an unknown renderer";
    FrameCounts counts;
    counts.rounds = settings.rounds;
    counts.perRound = CAMPAIGN_FRAMES_PER_ROUND;
    if (settings.smoke) counts = FrameCounts{1, 1, 1};
    QuadReference quad(width, height);
    if (!quad.Ok()) figures.Add("frames", "campaign/quad_program", std::nan(""), "");
    quad.Frame(system->window);
    system->gameStateManager->RequestState(STATE_LOADING);
    if (!FinishLoading(system, settings.smoke ? 2 : 600) && !settings.smoke)
        figures.Add("frames", "campaign/loading_finished", std::nan(""), "");

    std::vector<CampaignLevelFigures> levels = CampaignLevels();
    if (levels.size() != static_cast<std::size_t>(CAMPAIGN_LEVELS))
        figures.Add("frames", "campaign/levels_listed", std::nan(""), "");
    ApplyVariant(system->renderer, true);
    for (CampaignLevelFigures& level : levels) {
        Progress("frames: %s", level.name.c_str());
        if (!EnterCampaignLevel(system, level.stateId, settings.smoke ? 1 : CAMPAIGN_SETTLE_FRAMES)) {
            figures.Add("frames", "campaign/" + level.name + "/entered", std::nan(""), "");
            continue;
        }
        for (int round = 0; round < counts.rounds; ++round) {
            const double ms = TimedSceneFrames(system, counts.perRound);
            level.defaults.Add(ms);
            level.rate.Add(GameTimeRate(ms));
            level.quad.Add(TimedQuadFrames(quad, system->window, counts.perRound));
        }
    }
    PrintCampaign(levels, counts, gl, width, height, figures);
    system->playerOne = nullptr;
    system->Shutdown();
    System::DestroyInstance();
}

} // namespace

void RunEngineSections(const Settings& settings, Figures& figures, bool frames, bool levels)
{
    Progress("starting the engine");
    InstallFakeClock();
    System* system = System::GetInstance();
    const bool started = system->Initialize() && system->IsRunning();
    if (!started) {
        std::fprintf(ReportStream(), "\nThe engine did not start (no display?): frame and level-load figures are "
                                     "missing. See the engine output.\n");
        if (frames) figures.Add("frames", "engine_started", std::nan(""), "");
        if (levels) figures.Add("levels", "engine_started", std::nan(""), "");
        system->Shutdown();
        System::DestroyInstance();
        RemoveFakeClock();
        return;
    }
    const int width = system->window->GetWidth();
    const int height = system->window->GetHeight();
    const char* rendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string gl = rendererName ? rendererName : "an unknown renderer";

    if (frames) {
        FrameCounts counts;
        counts.rounds = settings.rounds;
        if (settings.smoke) counts = FrameCounts{1, 1, 1};
        QuadReference quad(width, height);
        if (!quad.Ok()) figures.Add("frames", "quad_program", std::nan(""), "");
        quad.Frame(system->window);  // the first draw uploads the picture
        std::vector<SceneFigures> scenes;

        Progress("frames: splash screen");
        for (int i = 0; i < 3; ++i) EngineFrame(system);
        HoldScene(system->gameStateManager);
        scenes.push_back(SceneFigures{"splash screen", "splash", {}, {}, {}, {}});
        MeasureScene(system, quad, counts, scenes.back());

        Progress("frames: loading screen");
        system->gameStateManager->RequestState(STATE_LOADING);
        const bool loaded = FinishLoading(system, settings.smoke ? 2 : 600);
        if (!settings.smoke && !loaded) figures.Add("frames", "loading_finished", std::nan(""), "");
        scenes.push_back(SceneFigures{"loading screen", "loading", {}, {}, {}, {}});
        MeasureScene(system, quad, counts, scenes.back());

        Progress("frames: level of CUBEs with a robot");
        const bool inLevel = EnterBenchLevel(system, settings);
        const std::string levelName = settings.smoke ? "level of 20 CUBEs + robot" : "level of 500 CUBEs + robot";
        scenes.push_back(SceneFigures{levelName, "level", {}, {}, {}, {}});
        if (inLevel) MeasureScene(system, quad, counts, scenes.back());
        else figures.Add("frames", "level_entered", std::nan(""), "");

        PrintFrames(scenes, counts, gl, width, height, figures);
    }
    if (levels) RunLevelSection(system, settings, figures);

    system->playerOne = nullptr;
    system->Shutdown();
    System::DestroyInstance();
    if (frames) RunCampaignFrames(settings, figures);
    RemoveFakeClock();
}

} // namespace Bench
} // namespace QRX
