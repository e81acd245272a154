// The door (CT_DOOR): slides along MoveDirection while every switch with the
// door's Id is pressed, and slides back when one is released.
//
// Rules:
// - FindSwitches links the door to every switch with its Id once, when the
//   level's objects exist. A door without switches opens at its first update
//   and stays open.
// - Each update reads the state the switches showed at their last update
//   (SwitchComponent::IsShownPressed). All pressed: the door opens (state 1),
//   moving MoveDirection x d a update until its progress reaches 1 (one
//   second of travel); one released, or gone: it closes (state 2) from
//   wherever it is, back to progress 0, and then rests (state 0). Progress
//   never leaves [0, 1], so the door ends exactly where it started and
//   exactly MoveDirection away from there. d is the capped frame time.
// - The open sound plays on the first update that opens the door after it
//   closed (or ever), the close sound on the first update that closes it.
// - A CRATE the main player carries that touches a door is put down (the
//   door and the bridge share this hook: DropCarriedCrate). A CRATE that
//   touches the door above its centre and lies on a sliver of its top goes
//   off the rim (PlayerComponent::MoveOffRim) and falls in front: a crate
//   dropped at a door landed on the robot walking on, which pushed it onto
//   the rim, where it hung out of reach.
//
// In files: "Id", "MoveDirection".
#pragma once
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

class SwitchComponent;

// The hook of doors and bridges: when other is the CRATE that the System's
// main player carries, that player puts it down. Nothing for null, another
// object, or a main player that is missing, dead or without a player
// component.
void DropCarriedCrate(GameObject* other);

class DoorComponent : public Component
{
public:
    static constexpr Components TYPE = CT_DOOR;
    enum State { STATE_RESTING = 0, STATE_OPENING = 1, STATE_CLOSING = 2 };

    static constexpr const char* OPEN_SOUND = "door_open_new.mp3";
    static constexpr const char* CLOSE_SOUND = "door_close_new.mp3";
    // The progress of a fully open door (seconds of travel).
    static constexpr float FULL_TRAVEL = 1.0f;
    // The close count of a door that has never closed: past the update that
    // plays the close sound.
    static constexpr int RESTING_CLOSE_COUNT = 2;

    DoorComponent();

    // One step of the door (see the rules).
    void Update() override;
    // The shared door and bridge hook, then the rim rule for a crate above
    // the door's centre (see the rules).
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // Appends every switch with the door's Id (in query order). Nothing
    // without an object manager.
    void FindSwitches();
    // The linked switches that are still in play.
    std::vector<SwitchComponent*> GetSwitches();

    int m_State = STATE_OPENING;
    bool m_IsOpen = false;  // all linked switches were pressed at the last update
    int m_OpenCount = 0;    // updates since opening began
    int m_CloseCount = RESTING_CLOSE_COUNT;  // updates since closing began
    glm::vec3 m_MoveDirection{0.0f};  // displacement per second of opening
    float m_Progress = 0.0f;          // seconds of travel, in [0, FULL_TRAVEL]
    unsigned m_Id = 0;
    std::vector<GameObjectHandle> m_Switches;  // the switch objects

private:
    // Whether every linked switch is pressed (true without any); a switch
    // that is gone counts as released.
    bool AllSwitchesPressed();
};

} // namespace QRX
