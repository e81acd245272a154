// The crate (CT_CRATE): keeps a crate's mass and removes crates that fell
// out of the level.
//
// Every update the crate's body gets CRATE_INVERSE_MASS (whatever a level
// file or a power gave it), and a crate at or below CRATE_FALL_Y is marked
// for destruction. A crate without a body skips the mass step. A crate that
// touches a WALL whose IsApplyDownwardForce is set falls hard: full gravity
// and WALL_PUSH_VELOCITY_Y downward.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class CrateComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CRATE;
    static constexpr float CRATE_INVERSE_MASS = 5.0f;
    // A crate whose y is at most this is removed.
    static constexpr float CRATE_FALL_Y = -5.0f;
    // The vertical velocity a pushing wall gives the crate.
    static constexpr float WALL_PUSH_VELOCITY_Y = -5.0f;

    CrateComponent();

    void Update() override;
    // A pushing WALL pulls the crate down; null and others are ignored.
    void OnCollision(GameObject* other) override;
    // No fields in files.
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}
};

} // namespace QRX
