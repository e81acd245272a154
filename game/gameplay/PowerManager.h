// The powers one robot may give the crates it puts down or throws.
//
// A power is a component type that a crate gets at run time. An unlimited
// power (the explosion) goes on any number of crates; a single-instance power
// (the teleport) lives on one crate at a time, so giving it to a crate takes
// it, and its look, from the crate that held it. At most one power is
// selected (NO_POWER: none). The manager is part of the player component,
// which selects with the power keys and applies on put-down and throw.
//
// Rules:
// - Only powers that were added can be selected; anything else is a WARNING
//   and keeps the selection. A power added twice is kept once.
// - A crate that already has a power of this manager gets no other.
// - A holder is held by handle: one that died since is simply replaced, and
//   whatever object took over its pool slot is left alone.
// - A power component added while a level-editor state runs is not
//   initialised (the object's own rule).
#pragma once
#include <vector>

#include "engine/objects/GameObjectHandle.h"

namespace QRX {

class GameObject;

class PowerManager
{
public:
    // The selection when nothing is selected.
    static constexpr int NO_POWER = -1;

    // A power only one crate may carry, and the crate that carries it now.
    struct SingleInstancePower
    {
        GameObjectHandle holder;  // invalid before first use and once the crate died
        int power = NO_POWER;
    };

    // Appends a power any number of crates may carry (nothing when known).
    void AddUnlimitedPower(int power);
    // Appends a power one crate at a time may carry, held by nobody yet
    // (nothing when known).
    void AddSingleInstancePower(int power);

    // Selects a power of either list; otherwise logs the WARNING
    // "PowerManager: In SetSelectedPower, Power <n> has not been added to the
    // power manager" and keeps the selection.
    void SetSelectedPower(int power);
    // Deselects the power when it is the one selected, else selects it as
    // SetSelectedPower does; either way the click sound plays.
    void TogglePower(int power);
    // Nothing selected afterwards (no sound).
    void ClearSelection() { m_Selected = NO_POWER; }
    int GetSelectedPower() const { return m_Selected; }

    // Whether the power is in either list.
    bool HasPower(int power) const;
    // Whether the object has a component of any power of either list; false
    // for null.
    bool HasAnyPower(const GameObject* crate) const;

    // Gives the crate a new component of the selected power, from the robot
    // that places it. Nothing without a selection, for a null crate or a
    // crate that has a power already. A single-instance power first leaves
    // its live holder (plain texture back, component removed). A teleport
    // records the robot and the robot's active-power action (its key offset
    // + the activePower action).
    void ApplySelectedPower(GameObject* crate, GameObject* robot);

    // The live crate that holds a single-instance power, or null.
    GameObject* GetHolder(int power);
    const std::vector<int>& GetUnlimitedPowers() const { return m_UnlimitedPowers; }
    const std::vector<SingleInstancePower>& GetSingleInstancePowers() const { return m_SingleInstancePowers; }

private:
    SingleInstancePower* FindSingleInstance(int power);
    // Takes the power from its holder, when that is still in play.
    static void TakeFromHolder(SingleInstancePower& entry);

    std::vector<int> m_UnlimitedPowers;
    std::vector<SingleInstancePower> m_SingleInstancePowers;
    int m_Selected = NO_POWER;
};

} // namespace QRX
