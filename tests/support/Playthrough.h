// A level of the campaign played from a key script, in-process.
//
// A key script (tests/data/playthrough/<level name>.txt) is a list of lines
// "frames keys... [condition]": the named keys (GameplayHarness::KeyByName,
// e.g. "W A S D LBUTTON 1 2") are held for that many frames of 1/60 s, a line
// without keys holds nothing; '#' starts a comment and blank lines are
// skipped. A condition such as "z<24.6" or "x>3.5" (the robot's position on
// that axis), "ez<7.5" (the first enemy's) or "reach" (a crate lies within
// the robot's reach ahead), ends its line early, at the first frame after
// which it holds: the frames are then the most the line lasts. That is how a
// person walks onto a pad, waits for a patrol to pass or for a crate to come
// by: looking, not counting.
//
// Playthrough runs the real engine (GameplayHarness) with a 640x480 window
// and the fake clock at a fixed frame: 1/60 s by default, or another pace
// such as a software renderer's 1/20 s. At another pace every line lasts as
// long as at 1/60 s, as near as whole frames allow, counted from the end of
// the last line that ended on its condition, and at least one frame (so a
// press stays a press and the pause between two presses stays). Start makes
// a profile of its own current (so completing a level writes "profiles.xml")
// and enters the level's state id through the level table, so the level runs
// with its real state, music, HUD, exit and road to its transition. Play
// holds the script's keys frame by frame through the window's key and mouse
// messages; nothing in the game knows it is scripted. Frames run every step
// but the drawing, except the screenshot frames, which are drawn and saved by
// the game's own screenshot key (F12) into the documents folder.
//
// Use it inside a TestSupport::EngineTest fixture (private HOME, fake sound)
// in a test program named *InProcessTest.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "support/GameplayHarness.h"

namespace QRX {

struct Profile;
class GameObject;

namespace TestSupport {

// One line of a key script.
struct ScriptLine
{
    int frames = 0;         // of 1/60 s; the most, with a condition
    std::vector<int> keys;  // engine key indices
    int lineNumber = 0;     // in the script text, from 1
    // The condition that ends the line early: the coordinate on axis 'x',
    // 'y' or 'z' of the robot, or of the first enemy (untilEnemy), below
    // ('<') or above ('>') the value; no axis (0) for none.
    char untilAxis = 0;
    char untilOp = 0;
    float untilValue = 0.0f;
    bool untilEnemy = false;
    // Or: a crate that is not carried lies ahead within the robot's reach.
    bool untilCrateInReach = false;

    bool HasCondition() const { return untilAxis != 0 || untilCrateInReach; }
    // Whether the axis condition holds for its object at that position
    // (false without one).
    bool ConditionHolds(const glm::vec3& position) const;
};

struct KeyScript
{
    std::vector<ScriptLine> lines;

    // The frames of all lines.
    int Frames() const;
    // A script that holds nothing for that many frames.
    static KeyScript Idle(int frames);
};

// Parses a script. False, with a message naming the line, for a missing or
// non-positive frame count, an unknown key name, a malformed condition or
// two conditions on a line; the script is then empty.
bool ParseKeyScript(const std::string& text, KeyScript& script, std::string& error);
// Reads and parses a file; false with a message when it cannot be read.
bool LoadKeyScript(const std::string& path, KeyScript& script, std::string& error);
// The first `lines` lines of a script (all when it has fewer), then the
// lines of `more`; a test failure when `more` does not parse.
KeyScript ScriptThen(const KeyScript& script, std::size_t lines, const std::string& more = "");

// A level of the campaign: its state id, its name (the level file's name up
// to ".xml") and whether its objects are authored yet. The script of a level
// is tests/data/playthrough/<name>.txt.
struct CampaignLevel
{
    int stateId;
    const char* name;
    bool authored;
};
// The eleven levels in the order of play.
const std::vector<CampaignLevel>& CampaignLevels();
// The entry of a state id, or null.
const CampaignLevel* FindCampaignLevel(int stateId);
// The script path of a level from the repository root.
std::string PlaythroughScriptPath(const CampaignLevel& level);

// A frame drawn and saved while a script played.
struct PlaythroughShot
{
    int frame = 0;        // the level frame, from 1
    std::string path;     // the screenshot file; empty when none was written
    double robotShare = 0.0;  // share of the frame's pixels that change when the robot is not drawn
};

struct PlaythroughOptions
{
    // Level frames (1 = the first frame of the level) drawn and saved.
    std::vector<int> screenshotFrames;
    // Frames run after the script while the level is still current (the
    // exit's countdown to the next level).
    int waitFrames = 240;
    // Called after every level frame with its number (from 1).
    std::function<void(int frame)> onFrame;
};

struct PlaythroughResult
{
    bool started = false;  // the engine ran and the level was entered
    std::string error;     // why not, or why the script could not be read
    int frames = 0;        // level frames run
    // Script lines (their numbers) whose condition never held: the line ran
    // its most frames.
    std::vector<int> unmetLines;
    int exitFrame = -1;    // the level frame on which an exit was reached, -1 for none
    // The first state the level asked for (STATE_NONE: none); an exit asks
    // for the level's transition, a fall without checkpoint for the retry menu.
    int requestedState = 0;
    // The current state once the level was left (STATE_NONE: still in it).
    int leftFor = 0;
    // The level's first LEVELSCORE, read when it was entered (0 without one).
    unsigned gradeATime = 0, gradeBTime = 0, gradeCTime = 0;
    // The current profile once the level was left ('F' and -1 before).
    char grade = 'F';
    int levelSeconds = -1;
    int levelsCompletedBefore = 0;
    int levelsCompletedAfter = 0;
    // LevelsCompleted of the profile in the saved profiles file after the
    // run; -1 when the file or the profile is missing.
    int savedLevelsCompleted = -1;
    std::vector<PlaythroughShot> shots;

    bool ExitReached() const { return exitFrame >= 0; }
};

class Playthrough
{
public:
    static constexpr int FRAMES_PER_SECOND = 60;
    // A software renderer's pace.
    static constexpr int SLOW_FRAMES_PER_SECOND = 20;
    static constexpr int WIDTH = 640;
    static constexpr int HEIGHT = 480;
    static constexpr const char* PROFILE_NAME = "Playthrough";

    // Frames of 1/framesPerSecond s (a rate below 1 is taken as 60).
    explicit Playthrough(int framesPerSecond = FRAMES_PER_SECOND);
    ~Playthrough();
    Playthrough(const Playthrough&) = delete;
    Playthrough& operator=(const Playthrough&) = delete;

    // Starts the engine, makes a fresh profile current and enters the state
    // (a frame that carries out the change); frames are not drawn from then
    // on. False, with the reason in Error, when any step fails.
    bool Start(int stateId);
    // Plays a script in the level entered by Start, at this run's pace (see
    // above), then waits up to waitFrames more while the level is current. Stops at the frame on
    // which the level is left. Calling it again plays on (frames count from
    // 1 again).
    PlaythroughResult Play(const KeyScript& script, const PlaythroughOptions& options = {});
    // Start, the script file, Play.
    PlaythroughResult RunScript(int stateId, const std::string& scriptPath, const PlaythroughOptions& options = {});

    // The road as a player takes it, from the main menu on:
    // Starts the engine and passes the loading screen to the main menu,
    // without making a profile; frames are not drawn from then on.
    bool StartAtMainMenu();
    // Takes the current state, a level reached through the game's own road,
    // as the level Play plays. False (with Error) when another state is
    // current.
    bool Follow(int stateId);
    // A level entered as a person enters it for the first time: the engine
    // started at the main menu with a fresh profile current, the screen
    // before the level in the level table, its Next button, then Follow.
    // False, with the reason in Error, when any step fails.
    bool StartByTheRoad(int stateId);
    // Whether a tutorial picture with that texture is on the screen.
    bool PictureShown(const std::string& textureId) const;
    // Clicks the element of that UI name on the current screen as the mouse
    // does (the pointer over it, the left button down for a frame) and runs
    // a frame more. False when the screen has no such element.
    bool Click(const std::string& uiName);
    // Clicks the first object of that type on the current screen (such as a
    // transition's Next button); false when there is none.
    bool ClickObject(ObjectType type);
    // Types text as the window's character messages, one character a frame.
    void Type(const std::string& text);
    // Steps until the state is current; false when it is not within
    // maxFrames frames.
    bool WaitForState(int stateId, int maxFrames = FRAMES_PER_SECOND * 5);

    const std::string& Error() const { return m_error; }
    int FramesPerSecond() const { return m_framesPerSecond; }
    // Frames of this run's pace in that many seconds (rounded), at least 1.
    int FramesIn(double seconds) const;
    // What Start learned: the grade times and the profile's count.
    const PlaythroughResult& Entered() const { return m_entered; }
    GameplayHarness& Game() { return m_game; }

private:
    // The frame with the screenshot key held and drawing on.
    void Shoot(const std::vector<int>& keys, int frame, PlaythroughResult& result);
    // Whether an exit of the level has been reached.
    bool AnyExitReached() const;
    // Whether a line's condition holds now.
    bool ConditionHolds(const ScriptLine& line) const;
    // Whether a crate the robot does not carry lies straight ahead of it,
    // near enough for the pick-up.
    bool CrateInReach() const;
    // Reads the current level's grade times into m_entered.
    void ReadLevelScore();
    // Points at a screen object and clicks it.
    void ClickAt(const GameObject& object);
    Profile* CurrentProfile() const;

    int m_framesPerSecond;
    GameplayHarness m_game;
    int m_stateId = 0;
    std::string m_error;
    PlaythroughResult m_entered;  // what Start learned
};

// LevelsCompleted of the named profile in the profiles file, -1 when the
// file or the profile is missing.
int SavedLevelsCompleted(const std::string& profileName);

// The level frame from which the robot has beamed in and can move (its
// appear effect lasts one second), at 1/60 s and at any pace.
constexpr int FIRST_PLAY_FRAME = 61;
constexpr int FirstPlayFrame(int framesPerSecond) { return framesPerSecond + 1; }
// A drawn frame has at least this many colours; a blank one has one.
constexpr size_t LEVEL_PICTURE_MIN_COLOURS = 100;
// Share of a frame's pixels the robot covers at the least.
constexpr double ROBOT_MIN_SHARE = 0.001;

// The proof every campaign level gives, as test expectations, from one
// play of its script: the exit is reached, the level's transition (its next
// id in the level table) is requested and entered, the current profile
// counts one level more and the profiles file says so, the grade is the
// expected one, the A time lies within about 25% above the graded time of
// the script and B and C are looser; the first frame (saved as a
// screenshot) shows the level, and the first frame of play the robot.
// Returns the result for further checks.
// `watch` (when given) is called after every level frame with the run.
// The level's own script; a test failure (and an empty script) when it
// cannot be read.
KeyScript LevelScript(const CampaignLevel& level);
// Play options that run no frames after the script.
PlaythroughOptions NoWait();

PlaythroughResult ExpectLevelCompleted(const CampaignLevel& level, char grade,
                                       const std::function<void(Playthrough&)>& watch = {},
                                       int framesPerSecond = Playthrough::FRAMES_PER_SECOND);
// The same proof with the level's script played at a software renderer's
// pace (Playthrough::SLOW_FRAMES_PER_SECOND).
PlaythroughResult ExpectLevelCompletedAtTwentyFramesASecond(const CampaignLevel& level, char grade);
// Standing still for twice the level's A time neither finishes the level nor
// leaves it (it stays the current state); `then` (when given) checks the level as it stands afterwards,
// with the robot's position when the level began.
void ExpectStandingStillKeepsTheLevel(const CampaignLevel& level,
                                      const std::function<void(Playthrough&, const glm::vec3&)>& then = {});
// A play that ended on the retry menu: the level asked for it and it is
// current; its Yes restarts the level, with the robot back at `start`.
// Fatal failures (test with ASSERT_NO_FATAL_FAILURE) when a step fails.
void ExpectRetryRestartsTheLevel(Playthrough& run, const PlaythroughResult& result, int stateId,
                                 const glm::vec3& start);
// A play that ended with a fall past a checkpoint: the level neither ended
// nor asked for a state, and the robot stands where it touched the last
// checkpoint, on a floor (y 1.5). Fatal failures as above.
void ExpectBackAtTheCheckpoint(Playthrough& run, const PlaythroughResult& result, int stateId);

} // namespace TestSupport
} // namespace QRX
