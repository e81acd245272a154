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
// - Restoring an empty store changes nothing. An object the full pool cannot
//   give is skipped.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

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
    // Restores the objects of one type from the snapshot.
    void RestoreType(int type, const Snapshot& snapshot);
    // Every crate spawner takes the crate at its drop spot, or none, as its
    // last; every robot lets go of what it carries.
    static void ReleaseCrates();

    std::deque<CheckpointActivation> m_Activations;
    std::deque<Snapshot> m_Snapshots;
    std::vector<int> m_SavedTypes;
};

} // namespace QRX
