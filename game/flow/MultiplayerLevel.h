// The game state of the two-player level (id 15, "MULTIPLAYER1").
//
// One level, two robots on one machine: the main player's robot answers pad
// 0 (player one's actions), the other robot pad 1 (player two's). It runs
// like the ordinary level (BaseLevel, whose Load, Pause, Resume and Unload it
// keeps, as well as its sky box, links, music and HUD), with these
// differences:
// - Init notes where each robot stands: the robot whose player component is
//   the main player fills the engine's main player slot and the main spawn
//   point, any other robot the other player slot and the other spawn point.
//   Both slots and the other robot are forgotten first, so nothing of an
//   earlier level is used. No star field is made.
// - A robot below FALL_BOUNDARY_Y is put back on its own spawn point with
//   its appearing effect, its fall's speed gone (it keeps the velocity the
//   effect gives, (0, GROUND_VELOCITY_Y, 0)); the other robot stays where
//   it is. A robot that is
//   missing (a file with one robot) or gone (destroyed meanwhile) is skipped.
// - C, or a press of pad 0's Back, skips to the next table entry (29, the
//   closing screen); Escape or player one's escape action opens the pause
//   menu (44), and so does a missing pad, on every frame the level runs
//   without both pads (so once while the menu is on top, and again when it
//   closes with the pad still out).
// - Free records the result in the current profile instead of a grade: the
//   whole seconds of the level time, and the winner flag from the exits: the
//   last exit a robot reached decides (1 when the main player reached it);
//   when no robot reached one (a skip, a quit) the last exit decides, and
//   its flag is 0, so no winner of an earlier race is announced. With no
//   exit the flag keeps its value and a WARNING says so.
// - While the level is between Init and Free the program's two-player flag
//   is set (ControllerWaitComponent::SetTwoPlayerLevel), so controller waits
//   meant only for the two-player level act.
// The keys C and Escape, and the pad's Back and Start, wait while the
// console has the keyboard; the missing-pad check does not.
#pragma once
#include <vector>

#include <glm/vec3.hpp>

#include "game/flow/BaseLevel.h"

namespace QRX {

class GameObject;

// What the exits of a finished two-player level decide.
struct TwoPlayerResult
{
    bool hasExit = false;  // the level has an exit: the winner flag is decided
    bool reached = false;  // a robot reached one
    char winner = 0;       // with an exit: 1 when the main player reached the deciding exit, else 0
};

// The result of the level's exits (objects with CT_EXIT), in query order:
// the last exit a robot reached decides, or, when none was reached, the last
// exit (whose flag is 0).
TwoPlayerResult DecideTwoPlayerResult(const std::vector<GameObject*>& exits);

class MultiplayerLevel : public BaseLevel
{
public:
    MultiplayerLevel() = default;

    // Forgets the robots of any earlier level, sets the two-player flag,
    // opens the file again, creates and initialises the level's objects,
    // notes the robots and their spawn points, links the objects, starts
    // the music and the time. A file that cannot be opened ends the game
    // after the frame.
    void Init() override;
    // One frame (see the header's overview).
    void Update(GameStateManager& manager) override;
    // Records the time and the winner, forgets the checkpoints and returns
    // the level's objects to the pool; clears the two-player flag.
    void Free() override;

    GameObject* GetOtherPlayer() const { return m_OtherPlayer; }
    const glm::vec3& GetMainSpawn() const { return m_MainSpawn; }
    const glm::vec3& GetOtherSpawn() const { return m_OtherSpawn; }

private:
    // Fills the player slots and spawn points; the last robot visited links
    // the HUD's power icons. Warns when a robot of either kind is missing.
    void FindRobots();
    // Puts a live robot below the fall boundary back at its spawn point with
    // its appearing effect; nothing for a missing or dead robot.
    static void Respawn(GameObject* robot, const glm::vec3& spawn);
    void RecordResult();

    GameObject* m_OtherPlayer = nullptr;  // the robot that is not the main player; not owned
    glm::vec3 m_MainSpawn{0.0f};          // where the main player's robot stood at Init
    glm::vec3 m_OtherSpawn{0.0f};         // where the other robot stood at Init
};

// Whether pad 0's keystroke of this frame is a press of Back.
bool PlayerOnePadBackPressed();
// Whether both game pads are connected.
bool BothPadsConnected();

} // namespace QRX
