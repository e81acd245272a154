// The barrier (CT_BARRIER): a blocking block that leaves the level grid when
// it goes.
//
// Barriers are entered into the current level's grid map when the map is
// built (as BARRIER). Free, run when a barrier is destroyed or its level is
// left, zeroes the BARRIER entries under the barrier's own box (position,
// scale, rotation), so enemies may path through where it stood; other
// types' entries (the floor below it) stay. Without a game-state manager,
// level manager or map (a menu, shut-down) it touches nothing. No fields of
// its own.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class BarrierComponent : public Component
{
public:
    static constexpr Components TYPE = CT_BARRIER;
    BarrierComponent();

    // Removes the barrier's cells from the current level's map, if any.
    void Free() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }
};

} // namespace QRX
