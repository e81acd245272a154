// The wall (CT_WALL): a static block that tells the crates touching it
// whether to push them down.
//
// No behaviour of its own: a crate that touches an object of type WALL
// whose flag is set falls hard (CrateComponent). In files:
// "IsApplyDownwardForce" (default false).
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class WallComponent : public Component
{
public:
    static constexpr Components TYPE = CT_WALL;
    WallComponent();

    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    bool m_IsApplyDownwardForce = false;
};

} // namespace QRX
