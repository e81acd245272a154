// The game state of an ordinary level.
//
// One object serves the splash screen (1), the splash controller (2), the
// campaign levels (3 to 13), "LEVEL12" (14) and the free loads (33, 34); it
// learns which one it runs from the game-state manager's current id. Load
// opens the level file and sizes the grid; Init opens it again, creates and
// links the level's objects and starts the music; Update runs the objects,
// catches a robot that fell out of the world, shows the level name and the
// time, advances the splash screens and opens the pause menu; Free grades the
// time and returns the objects; Unload closes the level file.
//
// The level file is LevelManager::LEVEL_FOLDER + the file name of the level
// manager's current level-table row, or + the free-load path for 33 and 34.
// When it cannot be opened the game ends after the frame and the slot returns
// at once. Every timer advances by the frame time capped at MAX_FRAME_STEP.
//
// While the developer panels are shown (F1), a left click opens the object
// under the cursor in the object panel; Free and Unload delete that panel and
// Unload hides the panels' help window.
//
// The pure rules of the state (grading, the level name, the fall boundary,
// the splash timing, which ids pause) are free functions, so they can be
// checked without a running game.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "engine/objects/GameObjectHandle.h"
#include "game/flow/GameState.h"

namespace QRX {

class GameObject;
class LevelManager;

// The robot is caught when its y is strictly below this.
constexpr float FALL_BOUNDARY_Y = -5.0f;
// How long each splash screen shows without a key (seconds, exceeded strictly).
constexpr double SPLASH_DURATION = 2.0;
// Where the level name and the time are drawn: pixels from the top left.
constexpr float LEVEL_NAME_X = 50.0f;
constexpr float LEVEL_HUD_Y = 70.0f;
constexpr const char* LEVEL_HUD_FONT = "big";
// The music of the levels and of the splash controller.
constexpr const char* LEVEL_MUSIC = "ZuviVevo.mp3";
constexpr const char* MENU_MUSIC = "menu.mp3";

// Stars made once when a level starts.
constexpr int STAR_FIELD_COUNT = 1000;

// The grade of a level without a level-score object.
constexpr char GRADE_NONE = 'F';

// The grade thresholds of a level (its level-score component), in whole seconds.
struct LevelScoreTimes
{
    unsigned gradeA = 0;
    unsigned gradeB = 0;
};

// A level time truncated to whole seconds; negative or not-a-number times
// give 0, times beyond the unsigned range give its largest value.
unsigned WholeSeconds(double time);
// 'A' when the seconds are not above grade A, else 'B' when not above grade B,
// else 'C'; GRADE_NONE when there are no thresholds.
char GradeLevelTime(unsigned seconds, const LevelScoreTimes* times);
// The level name shown in a level: the file name up to its first "." (all of
// it when it has none).
std::string LevelNameFromFile(const std::string& fileName);
// Whether a robot at this position has fallen out of the world.
bool IsBelowFallBoundary(const glm::vec3& position);
// Whether the state shows the level name and time (every id but the splash
// screens).
bool ShowsLevelHud(int stateId);
// Whether Escape opens the pause menu in the state (ids 3 to 33).
bool EscapeOpensPauseMenu(int stateId);
// One splash step after the level time has advanced: a skip key on either
// splash screen asks for the loading screen (51); more than SPLASH_DURATION on
// the splash asks for the splash controller (2), on the controller for 51;
// the later rule wins. Writes the lines the game prints for each. Returns the
// state to request, or STATE_NONE. Other ids give STATE_NONE.
int SplashStep(int stateId, double levelTime, bool skipPressed, std::ostream& out);
// The level file of a state: the folder + the current row's file name, or +
// the free-load path for the free-load ids.
std::string LevelFilePath(int stateId, const LevelManager& levels);

class BaseLevel : public GameState
{
public:
    BaseLevel() = default;

    // Refills the object pool, opens the level file and sizes the grid from
    // its "Map" block. A missing file ends the game after the frame; a map
    // with a zero size is reported and the grid keeps its earlier sizes.
    void Load() override;
    // Forgets the players, opens the file again, creates and initialises the
    // level's objects, fills the player slots, links spawners to their
    // triggers, starts the music and the time.
    void Init() override;
    // Every live object stops being active, whichever state owns it; the
    // level's user-interface pictures that show are hidden.
    void Pause() override;
    // The current state's objects are active again and the pictures Pause
    // hid show again.
    void Resume() override;
    // One frame of the level (see the header's overview).
    void Update(GameStateManager& manager) override;
    // Grades the time, forgets the checkpoints and returns the level's
    // objects to the pool.
    void Free() override;
    // Returns the level's objects and closes the level file.
    void Unload() override;

    double GetLevelTime() const { return m_LevelTime; }
    const std::string& GetLevelPath() const { return m_LevelPath; }

protected:  // the two-player level builds on these
    // Opens the current state's level file, creates its objects and the sky
    // box. The state id, or -1 (logged) without a level manager or when the
    // file cannot be opened (the game then ends after the frame).
    int LoadCurrentLevel();
    // The opening of a level's frame: the cursor, the console, the panels'
    // help key and pick, the level's objects. True while the console has
    // the keyboard (the level's own keys then wait).
    bool BeginLevelFrame();
    // The sky around the level, kept in m_SkyBox.
    void CreateSkyBox(int stateId);
    // A one-shot emitter at the origin that fills the level with stars.
    void CreateStarField();
    // The robots become the engine's main and other player objects by their
    // player components; the last robot links the HUD's power icons.
    void FindPlayers();
    // Links the level's objects to one another: each crate spawner finds its
    // triggers, each door its switches, each bridge its triggers.
    void LinkObjects();
    void StartMusic(int stateId);
    // Stores the whole seconds of the level time and their grade (by the
    // first active level score, else GRADE_NONE) in the current profile;
    // nothing without a profile manager.
    void GradeLevel();
    // Puts a main player below the fall boundary back at the last checkpoint,
    // or sends it to the retry menu when there is none; logs where it fell.
    void CheckFall(GameStateManager& manager);
    void DrawLevelHud(const GameStateManager& manager);

    double m_LevelTime = 0.0;        // seconds in this level, advanced by the capped frame time
    GameObject* m_SkyBox = nullptr;  // made by Init; not owned
    std::string m_LevelPath;
    std::vector<GameObjectHandle> m_HiddenScreenObjects;  // hidden by Pause, shown by Resume
};

} // namespace QRX
