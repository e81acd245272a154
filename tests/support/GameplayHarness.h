// The whole engine run in-process, frame by frame, for gameplay tests.
//
// Start initialises the System as the program does (window and OpenGL
// context under the test X server, every manager, the splash state), in a
// scratch folder that sees the repository's data and tests folders but holds
// its own display configuration, so the window is small and frames are
// cheap to draw; Stop goes back to the previous working folder. The
// performance counter is replaced by a fake that advances one tick of
// 1/FRAMES_PER_SECOND s before every frame, so each frame measures exactly
// that long. LoadLevel loads a level file as the free load (state 33),
// as the level editor's free load does. Keys are held frame by frame: the
// keys given to Hold are down in every following frame (all others up) until
// the next Hold or Release, written into the input manager's key arrays
// before each frame, so presses are seen exactly as the game sees real ones.
//
// Use it from a fixture that derives from TestSupport::EngineTest (private
// HOME, fake sound); the harness shuts the engine down when it goes. Name
// the test program *InProcessTest: those take turns with the programs that
// use the display's mouse pointer, whose clicks could reach this window.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/objects/TypeNames.h"

namespace QRX {

class GameObject;
class System;

namespace TestSupport {

class GameplayHarness
{
public:
    static constexpr std::uint64_t FRAMES_PER_SECOND = 32;
    static constexpr int DEFAULT_WIDTH = 320;
    static constexpr int DEFAULT_HEIGHT = 240;

    // Installs the fake counter; the window will have this client size.
    explicit GameplayHarness(int width = DEFAULT_WIDTH, int height = DEFAULT_HEIGHT);
    // Stops the engine when it runs and restores the real counter.
    ~GameplayHarness();
    GameplayHarness(const GameplayHarness&) = delete;
    GameplayHarness& operator=(const GameplayHarness&) = delete;

    // Enters the scratch folder and initialises the engine; false when the
    // folder cannot be made or the start fails.
    bool Start();
    // Shuts the engine down and destroys the System; safe to repeat.
    void Stop();

    // Loads a level (path from the repository root) as the free load and
    // runs the frame that enters it. False when the state did not change to
    // the free load or the game stopped running.
    bool LoadLevel(const std::string& file);

    // Stands a file (path from the repository root) in for one of the game's
    // level files (name under the level folder, as "multiplayer_VEL426.xml"),
    // in the scratch folder only, so a state of the level table opens it. Call
    // after Start and before the state first opens that level. False when it
    // cannot be placed.
    bool OverrideLevelFile(const std::string& levelName, const std::string& file);

    // The engine key index of a letter 'A' to 'Z'.
    static int Letter(char letter);
    // Keys (engine key indices) down in every following frame.
    void Hold(std::initializer_list<int> keys);
    void Hold(const std::vector<int>& keys);
    // No key down in the following frames.
    void Release();
    // Runs frames with the keys held.
    void Step(int frames = 1);
    // Runs frames until the condition holds (checked after each frame);
    // the number of frames run, or -1 when maxFrames passed first.
    int StepUntil(const std::function<bool()>& condition, int maxFrames);

    // The engine's main player object, or null.
    GameObject* Player() const;
    // The index-th live object of the type (in id order), or null.
    GameObject* Find(ObjectType type, int index = 0) const;
    std::vector<GameObject*> FindAll(ObjectType type) const;
    System* GetSystem() const;
    // Frames run since Start.
    int Frames() const { return m_frames; }

private:
    void ApplyKeys() const;
    // Makes the scratch folder and enters it; false on failure.
    bool EnterScratchFolder();
    void LeaveScratchFolder();

    int m_width;
    int m_height;
    std::string m_scratch;
    std::string m_previousFolder;
    std::vector<int> m_held;
    std::uint64_t m_ticks = 1000;
    int m_frames = 0;
    bool m_started = false;
};

} // namespace TestSupport
} // namespace QRX
