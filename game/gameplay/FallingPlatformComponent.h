// The falling platform (CT_FALLINGPLATFORM): once a robot has stood on it
// long enough it shakes, then sinks and fades, and stops blocking.
//
// Every timer advances by the capped frame time d once an update.
// Rules, each update in order:
// - Only contacts with objects that have a player component count as
//   touches, and not while the robot's centre stands over a level grid cell
//   that something else fills at the platform's layer: a robot on the block
//   beside it, its box over the platform's edge, does not stay on it.
//   A touched update adds d to the contact time; an untouched one resets it
//   to 0 when `consecutive` is set, and keeps it otherwise (so separate
//   short visits add up).
// - A contact time above contactTimer triggers the platform for good.
// - A triggered platform shakes while its shake time is at most
//   vibrateTimer: whenever the shake step timer passes vibrateSpeed, x and z
//   jump to home + r x d, r drawn from SHAKE_RANDOM_LOW..SHAKE_RANDOM_HIGH
//   (x first, then z).
// - After that it fades by FADE_RATE x d in opacity and sinks FADE_RATE x d
//   a update. When the opacity reaches 0 (at once without a graphics
//   component) its collision turns ethereal and its cells leave the level
//   grid, once, as they were entered: with the position it had at Init.
// - The touch flag is cleared at the end of every update.
// Home x and z and the grid position are taken at Init. A platform never
// comes back; a level reload makes it anew.
//
// In files: "vibrateSpeed", "vibrateTimer", "consecutive", "contactTimer".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class FallingPlatformComponent : public Component
{
public:
    static constexpr Components TYPE = CT_FALLINGPLATFORM;
    static constexpr float SHAKE_RANDOM_LOW = 4.4f;
    static constexpr float SHAKE_RANDOM_HIGH = 8.6f;
    // Opacity lost and units sunk per second once the shaking is over.
    static constexpr float FADE_RATE = 3.0f;

    FallingPlatformComponent();

    // Records home x and z and the grid position.
    void Init() override;
    // One step of the rules above.
    void Update() override;
    // A contact with an object that has a player component is a touch,
    // unless that robot stands on a block beside (see the rules above).
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    bool m_IsTriggered = false;
    bool m_IsSinking = false;
    bool m_IsTouched = false;       // touched by a robot in this frame's step
    float m_ContactTime = 0.0f;
    float m_ShakeTime = 0.0f;
    float m_HomeX = 0.0f;
    float m_HomeZ = 0.0f;
    float m_ShakeStepTimer = 0.0f;
    float m_vibrateSpeed = 0.1f;    // seconds between shake steps
    float m_vibrateTimer = 1.0f;    // seconds of shaking
    bool m_consecutive = true;
    float m_contactTimer = 1.0f;    // seconds of touch that trigger it
    glm::vec3 m_GridPosition{0.0f};  // where the level grid entered it
    bool m_IsOffGrid = false;        // its cells have left the grid

private:
    // True when the robot's centre lies over a grid cell filled, at this
    // platform's layer, by something other than a falling platform; false
    // without a level grid or off it.
    bool StandsBeside(const GameObject& robot) const;
    // Ethereal, and the cells out of the level grid (once).
    void Vanish();
};

} // namespace QRX
