// The collectable (CT_COLLECTABLE): a pick-up that floats up and vanishes
// once the robot touches it.
//
// Rules:
// - A contact with an object that carries a player component collects it;
//   crates, enemies and a null other change nothing.
// - Each update after that adds the capped frame time to the elapsed time;
//   while the elapsed time is at most the animation time the object rises
//   RISE_SPEED units a second, and on the first update past it the object is
//   marked for destruction. At 1/32 s a frame: 16 rising updates (1.5 units),
//   marked on the 17th.
// - Nothing of it is in files; the editor shows the collected flag and the
//   animation time.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class CollectableComponent : public Component
{
public:
    static constexpr Components TYPE = CT_COLLECTABLE;
    // Units a second the collected object rises.
    static constexpr float RISE_SPEED = 3.0f;
    static constexpr float DEFAULT_COLLECT_ANIMATION_TIME = 0.5f;

    CollectableComponent();

    // The rise, then the destruction mark (see the rules).
    void Update() override;
    // A player collects it; anything else is ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    bool m_IsCollected = false;
    float m_Elapsed = 0.0f;  // seconds since it was collected
    float m_CollectAnimationTime = DEFAULT_COLLECT_ANIMATION_TIME;
};

} // namespace QRX
