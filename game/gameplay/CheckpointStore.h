// The checkpoint store: snapshots of where the level's crates, barriers and
// robots stood when a checkpoint was reached.
//
// One store exists, owned by the System (made as the last start-up step,
// cleared and deleted as the last shut-down step). A checkpoint component
// saves into it when the robot first touches it; the player's reset, the
// level's fall check and a catching patrol restore from it; the level states
// clear it when a level ends. Having a checkpoint means at least one
// activation was saved.
//
// Rules:
// - Save records, for each saved type in order (CRATE, BARRIER, PLAYER), one
//   record per active object of that type, in query order.
// - Restore works on the newest snapshot and matches records to the live
//   objects of a type purely by order: matched objects move back, missing
//   ones are made again (each taking the record's mark of being part of the
//   level, which a level save reads), and surplus ones (when the type's records end at a
//   record of another type) are marked for destruction. Crate spawners then
//   take as their last crate the one lying at their drop spot, or none: by
//   order, the crate a spawner made may have become a saved one, standing
//   anywhere, and the spawner would wait for it to be lost before giving
//   another. Every robot lets go of what it carries (no power given).
// - A restored crate, barrier or robot starts at rest under full gravity,
//   awake: the object matched to a record may have been flying, sleeping or
//   resting with its gravity faded, and would fly on from its restored place
//   (a crate thrown just before the restore left the level) or hang there.
// - Save also records every switch, door, bridge and bridge trigger as it
//   stands (place, size and state), and Restore puts them back at once: a
//   door or bridge does not close or draw in for a moment under the crates
//   and robot put back on and beside it, nor open or slide out late, and a
//   switch shows what it showed. One that has left play since is skipped.
// - Restoring an empty store changes nothing. An object the full pool cannot
//   give is skipped.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/objects/GameObjectHandle.h"

namespace QRX {

// One saved object.
struct CheckpointRecord
{
    std::uint32_t objectType = 0;  // an ObjectType value
    glm::vec3 position{0.0f};
    glm::vec3 scale{1.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    bool levelOwn = false;  // the object was part of the level (OBJ_LEVEL_OWN), not made while it ran
};

// A switch, door, bridge or bridge trigger when the checkpoint was reached:
// the object's place and size and its component's state (the fields of the
// kinds it has; the others stay at their defaults).
struct MechanismRecord
{
    GameObjectHandle object;
    glm::vec3 position{0.0f};
    glm::vec3 scale{1.0f};
    bool touched = false;  // a switch or trigger touched since its last update
    int pressCount = 0;    // a switch's
    int releaseCount = 0;
    int doorState = 0;     // a door's
    bool open = false;
    int openCount = 0;
    int closeCount = 0;
    float progress = 0.0f;
    bool active = false;   // a bridge's
    bool moving = false;
    float delayTimer = 0.0f;
};

// One checkpoint activation; only the count of activations is read.
struct CheckpointActivation
{
    int first = 1;
    int second = 1;
    glm::vec3 playerPosition{0.0f};  // where the robot stood when it reached the checkpoint
    bool flag = false;
};

class CheckpointStore
{
public:
    using Snapshot = std::vector<CheckpointRecord>;

    // Empty; saves CRATE, BARRIER and PLAYER, in that order.
    CheckpointStore();

    // Appends the activation and a new snapshot of the active objects of the
    // saved types. Needs the System's object manager; without one the
    // snapshot stays empty.
    void Save(const CheckpointActivation& activation);
    // Puts the saved objects back as the newest snapshot holds them (see the
    // rules above). Nothing without a snapshot or an object manager.
    void Restore();
    // Forgets every snapshot and activation; afterwards no checkpoint exists.
    void Clear();
    // Whether an activation has been saved since the last Clear.
    bool HasCheckpoint() const { return !m_Activations.empty(); }

    const std::deque<CheckpointActivation>& GetActivations() const { return m_Activations; }
    const std::deque<Snapshot>& GetSnapshots() const { return m_Snapshots; }
    const std::vector<int>& GetSavedTypes() const { return m_SavedTypes; }

private:
    // Records the switches, doors, bridges and triggers into the newest entry.
    void SaveMechanisms();
    // Puts back those of the newest entry that are still in play.
    void RestoreMechanisms();
    // Restores the objects of one type from the snapshot.
    void RestoreType(int type, const Snapshot& snapshot);
    // Every crate spawner takes the crate at its drop spot, or none, as its
    // last; every robot lets go of what it carries.
    static void ReleaseCrates();

    std::deque<CheckpointActivation> m_Activations;
    std::deque<Snapshot> m_Snapshots;
    std::deque<std::vector<MechanismRecord>> m_Mechanisms;  // one entry per snapshot
    std::vector<int> m_SavedTypes;
};

} // namespace QRX
