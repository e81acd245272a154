// The whole engine run in-process, frame by frame, for gameplay tests.
//
// Start initialises the System as the program does (window and OpenGL
// context under the test X server, every manager, the splash state), in a
// scratch folder that sees the repository's data and tests folders but holds
// its own display configuration, so the window is small and frames are
// cheap to draw; Stop goes back to the previous working folder. The
// performance counter is replaced by a fake that advances one frame's ticks
// before every frame: COUNTER_FREQUENCY is a power of two, so the frame-rate
// controller's sums are exact and each frame measures 1/framesPerSecond s
// rounded up to a tick (exactly 1/32 s at the default rate, 1/60 s to
// three parts in a million at 60). LoadLevel loads a level file as the free
// load (state 33), as the level editor's free load does; EnterState enters
// any state through the level table, as the game's own requests do. Keys
// are held frame by frame: the keys given to Hold are down in every
// following frame (all others up) until the next Hold or Release. Each
// change goes to the window procedure as the key or mouse-button message a
// real press or release sends, before the frame's message pump, so the game
// sees presses exactly as it sees real ones. SetDrawing(false) makes frames
// run every step but the drawing (System::drawFrames).
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
    static constexpr std::uint64_t COUNTER_FREQUENCY = std::uint64_t(1) << 24;  // ticks a second
    static constexpr int DEFAULT_WIDTH = 320;
    static constexpr int DEFAULT_HEIGHT = 240;

    // Installs the fake counter; the window will have this client size.
    // A rate of 0 is taken as FRAMES_PER_SECOND.
    explicit GameplayHarness(int width = DEFAULT_WIDTH, int height = DEFAULT_HEIGHT,
                             std::uint64_t framesPerSecond = FRAMES_PER_SECOND);
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
    // Requests a state id (a campaign level, a transition, a menu) and runs
    // the frame that carries the request out. False when the game did not
    // end up in that state or stopped running.
    bool EnterState(int id);
    // Runs the loading screen (51) as the game does after its splash
    // screens, until it hands over to the main menu (36) with every sound,
    // music stream, mesh and menu texture loaded. False when the main menu
    // did not come within MAX_LOADING_FRAMES frames.
    bool PassLoadingScreen();
    static constexpr int MAX_LOADING_FRAMES = 600;
    // Whether frames are drawn and shown (the default) or run without drawing.
    void SetDrawing(bool drawing);

    // Stands a file (path from the repository root) in for one of the game's
    // level files (name under the level folder, as "multiplayer_VEL426.xml"),
    // in the scratch folder only, so a state of the level table opens it. Call
    // after Start and before the state first opens that level. False when it
    // cannot be placed.
    bool OverrideLevelFile(const std::string& levelName, const std::string& file);

    // The engine key index of a letter 'A' to 'Z'.
    static int Letter(char letter);
    // The key index of a readable name: "A" to "Z", "0" to "9", "F1" to
    // "F12", "LBUTTON", "RBUTTON", "MBUTTON", "SPACE", "ESCAPE", "RETURN",
    // "SHIFT", "CONTROL", "ALT", "TAB", "BACK", "LEFT", "UP", "RIGHT",
    // "DOWN" (case-insensitive); -1 for any other name.
    static int KeyByName(const std::string& name);
    // The readable name of a key index ("" for one without a name).
    static std::string KeyName(int key);
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
    // Sends the messages that bring the keys down so far to the held ones.
    void SendKeyMessages();
    // Zeroes both key arrays and forgets what was sent.
    void ResetKeys();
    // Makes the scratch folder and enters it; false on failure.
    bool EnterScratchFolder();
    void LeaveScratchFolder();

    int m_width;
    int m_height;
    std::string m_scratch;
    std::string m_previousFolder;
    std::vector<int> m_held;
    std::vector<int> m_down;  // keys the sent messages left down
    std::uint64_t m_ticksPerFrame;
    std::uint64_t m_ticks = 1000;
    int m_frames = 0;
    bool m_started = false;
};

} // namespace TestSupport
} // namespace QRX
