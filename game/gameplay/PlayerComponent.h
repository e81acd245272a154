// The robot a player steers (CT_PLAYER).
//
// Each update it reads its player's actions (the main player's 0 to 13, the
// second player's 14 to 27: every action id plus the key offset), moves the
// robot's body relative to the camera along one of the four world axes,
// turns the robot to face where it moves, picks up, carries, puts down and
// throws crates with a dotted preview of the throw, and restores the last
// checkpoint (or asks for a reload) on the reset action. While its appear or
// leave effect runs it does nothing else, and once the leave effect (the
// exit's) has ended it does nothing at all until an appear effect starts.
//
// Rules:
// - Movement holds its keys (the first held of up, down, left, right
//   decides); every other action must be pressed this frame. With nothing
//   held the robot stops at once: velocity (0, -5, 0), no force.
// - From rest a held direction adds MOVE_ACCELERATION a frame; from
//   MOVE_SPEED on the velocity is MOVE_SPEED along the axis. The vertical
//   velocity is -5 either way, so the robot falls off ledges.
// - Up and down snap the camera's forward direction to the nearest world
//   axis, a tie going to x; left and right snap its right axis, a tie going
//   to z. A frame whose wanted direction has no length moves nothing.
// - The robot faces the model's local -x: yaw -90, 90, 180, 0 for -z, +z,
//   +x, -x (facing indices 0 to 3).
// - Pick-up lifts an active CRATE the robot stands by: one at its height
//   (its box spans the robot's centre height: not one on a ledge above or
//   below) whose box comes within PICKUP_REACH of the robot's centre along
//   both world axes across, so that from anywhere in its cell the robot
//   reaches the eight cells around it, diagonals too, and none two cells
//   off. Of several, one that the line ahead from the robot's centre meets
//   comes first, then one in front of the robot's front (the ones it
//   faces), then the others, each the nearer to its centre first; the
//   first that can be reached is lifted. Reached: no glass (a field of
//   either kind) and nothing else that would stop the crate (a block, a
//   barrier; not a crate, a robot, an enemy or the boss) stands on the
//   line from the robot's centre to the crate's box, and the robot has a
//   side to take it on. The sides: the world axis nearest the direction to
//   the crate's centre; then, for a crate not in front of the robot turned
//   that way (one off to a corner), the other axis towards it; and when
//   that direction lies within DIAGONAL_SLACK of the diagonal, the two are
//   equally near and the one nearer the robot's facing comes first (no
//   turn, or a quarter turn rather than a half). A side takes the crate
//   when it lies in front of the robot turned that way, or when the spot
//   one cell beside the robot that way, at its height, where the crate
//   passes to its hands, holds no such stopper by more than LET_GO_OVERLAP
//   on every axis (the reach never goes round a corner between two walls).
//   Of the sides that take it, the first where the carried crate would
//   reach into nothing (by the let-go measure below) is chosen, else the
//   first. The robot turns to the chosen side as walking would turn it,
//   and lifts the crate. When the robot stops walking, a crate it pushed
//   (in reach in front of it, moving away) stops too, so it stays within
//   reach. A carried crate floats one unit ahead of and one unit above the
//   robot, without motion of its own. Drop puts it down; throw launches it
//   at m_ThrowForce along the aim (the facing tilted up by 0.707); drop
//   wins over throw in one frame, and a refused drop throws nothing either.
//   Neither lets go of a crate whose box reaches into something that would
//   stop it (a block, a crate field or another crate; not an enemy or the
//   boss, which crates are set down against) by more than LET_GO_OVERLAP on
//   every axis where it is carried: it stays carried. Nor does drop set one
//   down on a ledge: over something that would stop it at the robot's
//   height (by the same measure), where it would rest at the carry height,
//   out of the pick-up's reach (not a barrier, which a crate with the
//   explosion is set on; not a field for robots, which it falls through). A
//   refusal is told with a beep and the crate red for REFUSAL_TIME. One set
//   down with its bottom at a top (within RIM_PROBE_DEPTH) whose side its
//   centre lies beyond goes off that top's rim first, the short way, so that
//   it falls beside it instead of hanging in the air on a sliver (a crate
//   pushed against a wall is carried a tenth of a cell over it). A frame that
//   ends with no crate carried (put down or thrown in it) still picks up, so
//   the shared pick-up/throw button throws one crate and takes the next one
//   within reach in a single press: one in front of the robot only, which
//   does not turn away from its throw.
// - The preview is THROW_MARKER_COUNT markers on the predicted path (the
//   physics manager's: the crate followed past every touch, off edges and
//   along floors, until it first comes to rest, the rest of the level held
//   still; a belt or a platform may carry it on from there): all but the
//   last two points turquoise, the last one red, the others hidden; fewer
//   than two points show none. A path of more points than markers is thinned
//   evenly to as many, its end kept, so the red marker always marks where the
//   crate comes to rest, lowered to the crate's underside (on the surface it
//   rests on: seen from above at a slant, a marker at the crate's centre
//   looked a cell farther); a flight out of the level (one that reaches the
//   height where a fallen crate is removed) ends where the crate's centre
//   last sank FALL_MARK_DEPTH below the floor the robot stands on, so that
//   the red end shows in the gap it falls through (far below, the robot's
//   own island hid it from the camera); with the
//   explosion selected it ends where the crate first touches what sets it
//   off. It is recomputed only when marked dirty (the robot moved or touched
//   nothing) or when the selected power changes.
// - The appear effect fades the opacity from 0 to what it was over
//   SpawnTime, the leave effect from the current opacity to 0; both end
//   when the timer exceeds SpawnTime, at the target opacity. SpawnTime 0
//   ends it on the first update.
// - Power1 and Power2 (component types 1 to 45) are the powers the robot
//   may give a crate: the teleport one crate at a time, any other on any
//   number. While a crate without a power is carried, the power1 and power2
//   keys select and deselect their power; the crate shows the selection
//   with its texture and a particle preview, and the HUD icons (found by
//   LinkPowerIcons: Power1 drives the explosion icon, Power2 the teleport
//   icon) show it as their clicked texture. Put-down and throw give the
//   crate the selected power and end the selection.
// - Whatever is missing (camera, body, graphics, a crate's parts, a marker,
//   a HUD icon or an effect the full pool cannot give) makes the step that
//   needs it do nothing; a missing camera is also an assertion.
//
// In files: "MainPlayer", "Power1", "Power2", "ThrowingEnabled",
// "SpawnOnCreation", "SpawnTime". The facing index, moving flag and
// measured speed are kept per robot, so the two robots of the two-player
// level steer apart.
#pragma once
#include <array>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"
#include "game/gameplay/PowerManager.h"

namespace QRX {

class UILogicComponent;

// How a wanted direction snaps to a world axis.
enum MoveRule {
    MOVE_RULE_FORWARD,  // up and down: z when clearly along z, else x
    MOVE_RULE_SIDE      // left and right: x when clearly along x, else z
};

// The facing indices.
constexpr int FACING_MINUS_Z = 0;
constexpr int FACING_PLUS_Z = 1;
constexpr int FACING_PLUS_X = 2;
constexpr int FACING_MINUS_X = 3;

// The world axis a normalised direction n snaps to by the rule. False when
// the component that decides the second choice is 0 (no axis).
bool SnapToWorldAxis(const glm::vec3& n, MoveRule rule, glm::vec3& axis);
// The direction a robot moves for a wanted direction W: the world axis that
// W, normalised, snaps to by the rule (isAxis true), or W itself when the
// axis choice has no deciding component (isAxis false). False when W has no
// length or is not finite: nothing moves that frame.
bool MoveDirectionFor(const glm::vec3& wanted, MoveRule rule, glm::vec3& move, bool& isAxis);
// The facing index of a world axis, or -1 for any other vector.
int FacingIndexOf(const glm::vec3& axis);
// The yaw in degrees that makes the robot face an index (0 for a bad index).
float FacingYawDegrees(int index);
// The unit vector the robot faces with this rotation: the image of the
// model's local -x axis.
glm::vec3 FacingFromRotation(const glm::quat& rotation);

class PlayerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_PLAYER;
    static constexpr int THROW_MARKER_COUNT = 30;
    static constexpr float DEFAULT_THROW_FORCE = 40.0f;
    // Added to every action id of the second player.
    static constexpr int SECOND_PLAYER_KEY_OFFSET = 14;
    static constexpr float MOVE_SPEED = 5.0f;
    static constexpr float MOVE_ACCELERATION = 2.0f;
    // The vertical velocity of a robot that stands, walks or spawns.
    static constexpr float GROUND_VELOCITY_Y = -5.0f;
    // The vertical part of the throw direction before normalising.
    static constexpr float AIM_RISE = 0.707f;
    // A grid cell's width: the level's grid counts whole units.
    static constexpr float CELL_SIZE = 1.0f;
    // How near the robot's centre a crate's box must come along each world
    // axis across to be lifted: one cell, so that from anywhere in its cell
    // the robot reaches the cells around it, and none two cells off.
    static constexpr float PICKUP_REACH = CELL_SIZE;
    // A crate whose centre lies no more than this much nearer one axis than
    // the other is off to the corner, as near one as the other: the play a
    // robot has in a cell between walls (a tenth of a cell each way), on
    // both axes.
    static constexpr float DIAGONAL_SLACK = 0.2f;
    // What the line from the robot to a crate passes within this distance
    // of does not stand between them (a block flush with the line).
    static constexpr float REACH_GRAZE = 0.01f;
    // A crate is held this far above the robot's centre.
    static constexpr float CARRY_HEIGHT = 1.0f;
    // A carried crate reaching less than half its width into what is around
    // it is still let go, and the contact pushes it back out the short way
    // (the robot is narrower than a crate, and stops short of a cell's
    // middle); reaching further, its centre lies inside and it would be
    // pushed through.
    static constexpr float LET_GO_OVERLAP = 0.5f;
    // A refused put-down or throw turns the carried crate red for this long,
    // with a short falling beep: long enough to be seen.
    static constexpr float REFUSAL_TIME = 1.0f;
    // A top this far under a crate set down holds it up at once; and how far
    // past such a top's side a crate moved off its rim is set.
    static constexpr float RIM_PROBE_DEPTH = 0.1f;
    static constexpr float RIM_CLEARANCE = 0.01f;
    // The throw preview: seconds predicted, and sample spacing in frames.
    static constexpr float PREVIEW_TIME = 10.0f;
    static constexpr float PREVIEW_SAMPLE_FRAMES = 5.0f;
    // How far below the robot's floor the red end of a flight out of the level lies.
    static constexpr float FALL_MARK_DEPTH = 1.0f;
    // Above this |component| a snapped direction takes that axis (cos 45°).
    static constexpr float AXIS_THRESHOLD = 0.70710677f;
    static constexpr int SPAWN_EFFECT_COUNT = 2;
    // Particles a frame of the explosion preview over the carried crate.
    static constexpr int EXPLOSION_PREVIEW_COUNT = 80;
    static constexpr int TELEPORT_PREVIEW_COUNT = 2;
    // The HUD: the icons' default textures, the backing's texture and the
    // depths LinkPowerIcons gives them (the backing behind the icons).
    static constexpr const char* EXPLOSION_ICON_TEXTURE = "explosionpowerselected";
    static constexpr const char* TELEPORT_ICON_TEXTURE = "teleportpowerselected";
    static constexpr const char* POWERS_BACKING_TEXTURE = "robotpowersbacking";
    static constexpr float POWER_ICON_Z = -12.0f;
    static constexpr float POWERS_BACKING_Z = -13.0f;

    PlayerComponent();

    // Hands Power1 and Power2 to the power manager, starts the appear effect
    // when SpawnOnCreation is set, names the crate texture and the move
    // sound, and computes the facing.
    void Init() override;
    // One frame of the robot (see the rules).
    void Update() override;
    // Forgets the marker objects (they go with the state) and the crate.
    void Free() override;
    // Notes that something touched the robot, whatever it is.
    void OnCollision(GameObject* other) override;
    // The file fields; the key offset becomes 14 for a second player.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The file fields, the throw force and the key offset of another robot.
    void CopyFrom(const Component* other) override;

    // Starts the appear (true) or leave (false) effect; a running effect
    // restarts with its emitter kept. A robot that had left acts again once
    // a new appear effect ends.
    void StartSpawnEffect(bool appearing);

    // The steps of Update, each callable alone.
    void UpdateMovement();
    void UpdateCrateActions();
    // Picks the crate up when nothing is carried.
    void PickUpCrate(GameObject* crate);
    // Puts the carried crate down (woken, full gravity, the selected power
    // given) and ends the power selection; nothing when none is carried.
    void PutDownCrate();
    // Lets go of the carried crate where it is (woken, full gravity) with no
    // power given, ending the selection; a checkpoint restore calls it, for
    // the crate it puts back is no longer in the robot's hands. Nothing when
    // none is carried.
    void ReleaseCarriedCrate();
    // Launches the carried crate along the aim with the selected power, then
    // puts it down.
    void ThrowCrate();
    // The crate, and the power preview, float ahead of the robot.
    void UpdateCarriedCrate();
    void UpdateThrowPreview();
    // Gives every empty marker slot a hidden THROWINDICATOR.
    void CreateThrowMarkers();
    void HideThrowMarkers();
    // The facing from the owner's rotation.
    void UpdateFacing();

    // Takes the live objects whose UI-logic default texture names an icon as
    // the HUD icons (the last of each wins) and puts them at POWER_ICON_Z,
    // and every GUI object with the backing texture at POWERS_BACKING_Z.
    void LinkPowerIcons();
    // The power keys while a crate without a power is carried (the selection
    // and its preview); otherwise the selection ends.
    void UpdatePowerSelection();
    // Ends the selection (its icon released, the click played) and removes
    // the preview; with nothing selected only the preview goes.
    void ClearPowerSelection();
    // The HUD icons' UI-logic components, or null while not linked or gone.
    UILogicComponent* GetExplosionIcon();
    UILogicComponent* GetTeleportIcon();

    // The carried crate, or null.
    GameObject* GetCarriedCrate();
    // Moves a crate off the rim of a top its bottom lies at (within
    // RIM_PROBE_DEPTH) but its centre is beyond, the short way, so that it
    // falls beside it (see the rules; the door uses it too). Nothing for a
    // crate without a collision box or over no such top.
    static void MoveOffRim(GameObject* crate);
    bool IsSpawning() const { return m_IsSpawning; }
    // The leave effect has ended: the robot has left the level.
    bool HasLeft() const { return m_HasLeft; }

    PowerManager m_PowerManager;

    // Fields of the files and the editor.
    float m_ThrowForce = DEFAULT_THROW_FORCE;
    bool m_IsMainPlayer = true;
    int m_KeyOffset = 0;
    Components m_Power1 = COMPONENTS_ERRORVALUE;
    Components m_Power2 = COMPONENTS_ERRORVALUE;
    bool m_IsThrowingEnabled = true;
    bool m_IsSpawnOnCreation = false;
    float m_SpawnTime = 0.0f;

    // State.
    GameObjectHandle m_CarriedCrate;  // valid exactly while a crate is carried
    glm::vec3 m_Facing{0.0f};
    glm::vec3 m_Aim{0.0f};
    bool m_IsPreviewDirty = false;
    int m_PreviewPower = PowerManager::NO_POWER;  // the power the shown preview was made for
    bool m_AreMarkersShown = false;
    std::array<GameObject*, THROW_MARKER_COUNT> m_ThrowMarkers{};  // not owned
    bool m_IsTouched = false;  // touched since the last update
    bool m_IsSpawning = false;
    float m_SpawnTimer = 0.0f;
    bool m_IsAppearing = false;
    bool m_HasLeft = false;  // the leave effect ended; no more actions
    float m_StartOpacity = 0.0f;
    float m_TargetOpacity = 0.0f;
    GameObject* m_SpawnEmitter = nullptr;  // not owned
    GameObject* m_PowerPreviewEmitter = nullptr;  // not owned
    GameObjectHandle m_ExplosionIconObject;  // the HUD icons' objects
    GameObjectHandle m_TeleportIconObject;
    std::string m_CrateTexture;
    std::string m_MoveSound;
    int m_FacingIndex = FACING_MINUS_X;
    bool m_IsMoving = false;
    float m_MeasuredSpeed = 0.0f;  // horizontal speed before this frame's change
    float m_RefusalTimer = 0.0f;  // seconds the carried crate stays red
    std::string m_TextureBeforeRefusal;

private:
    bool IsHeld(int action) const;
    bool IsPressed(int action) const;
    void UpdateSpawnEffect();
    void EndSpawnEffect();
    void StopMoving();
    void ResetToCheckpoint();
    // Turns the robot to face an index, as walking turns it.
    void TurnTo(int facingIndex);
    // How a crate lies to the robot's facing, first first.
    enum CrateFaced { FACED_STRAIGHT, FACED_FRONT, FACED_NOT };
    // Where a crate lies from the robot: the point of its box nearest the
    // robot's centre, how far that is across, and how it is faced.
    struct CrateReach
    {
        glm::vec3 nearest{0.0f};
        float distance = 0.0f;
        CrateFaced faced = FACED_NOT;
    };
    // The CRATE to lift but the one given, or null, and the facing index
    // the robot turns to for it (see the rules). With facedOnly, only one
    // in front of the robot's front, which it keeps facing (side -1).
    GameObject* FindCrateToLift(const GameObject* except, bool facedOnly, int& side) const;
    // Whether the crate (with a box) is within reach at the robot's height;
    // where it lies is written to reach.
    bool CrateInReach(GameObject* crate, CrateReach& reach) const;
    // The facing index the robot turns to to lift the crate, or -1 when no
    // side takes it (see the rules).
    int SideToLift(const GameObject* crate, const CrateReach& reach) const;
    // How a point, relative to the robot's centre, is faced were the robot
    // facing that way: in front of its front (FACED_STRAIGHT when on the
    // line ahead from its centre) or not.
    CrateFaced FacedBy(const glm::vec3& across, const glm::vec3& facing) const;
    // Whether glass (a field of either kind) or something else that would
    // stop the crate (not a crate, a robot, an enemy or the boss) stands on
    // the line from the robot's centre to the point.
    bool IsReachBlocked(const GameObject* crate, const glm::vec3& to) const;
    // Half the robot's box across a facing (0 without a box).
    float FrontHalfWidth(const glm::vec3& facing) const;
    // Stops the crate in reach in front of the robot that moves away from it.
    void StopPushedCrate();
    // Whether the crate may be let go at the position (see the rules).
    bool CrateFitsAt(const GameObject* crate, const glm::vec3& position) const;
    // Whether a crate set down would rest on a ledge (see the rules).
    bool LandsOnLedge(const GameObject* crate) const;
    // Tells the person that the carried crate was not let go: a beep, and
    // the crate red for REFUSAL_TIME (again from the start on another).
    void RefuseLetGo(GameObject* crate);
    // Keeps the carried crate red while the refusal lasts, then ends it.
    void UpdateRefusal();
    // The carried crate's texture back as it was before the refusal.
    void EndRefusal();
    // A power key pressed: select or deselect, the crate plain again, and
    // the chosen icon shown (or released) while the other one is released.
    void TogglePowerKey(int power, GameObject* crate, UILogicComponent* chosen, UILogicComponent* other);
    // The particle preview and texture of the selected power on the crate.
    void UpdatePowerPreview(GameObject* crate);
    void ShowPowerPreview(GameObject* crate, int pattern, int count, const char* texture);
};

} // namespace QRX
