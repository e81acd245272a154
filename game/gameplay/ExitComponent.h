// The exit (CT_EXIT), on the level's exit marker: the robot that reaches it
// completes the level.
//
// Rules:
// - The first robot (PLAYER) contact plays "victory.mp3", counts one more
//   completed level in the current profile and saves the profiles, makes a
//   one-shot particle burst one unit above the exit, starts the robot's
//   leaving effect, hides the exit (skip draw) and switches its collision
//   off, notes whether that robot is the main player, and starts the timer.
//   The exit acts on that one contact only: a second robot touching it in
//   the same physics step counts nothing more.
// - Once the timer (advanced by the capped frame time) exceeds
//   TimeTillNextLevel, every update asks the level manager for the next
//   level until the state changes.
// - A CUBE contact throws the exit's own body upwards (vertical velocity
//   CUBE_BOUNCE_VELOCITY); an exit without a body ignores it.
// - What is missing (a player component, a profile manager, the exit's
//   collision component, a particle emitter the pool cannot give, the level
//   manager) makes the step that needs it do nothing.
//
// In files: "TimeTillNextLevel".
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class ExitComponent : public Component
{
public:
    static constexpr Components TYPE = CT_EXIT;
    static constexpr const char* VICTORY_SOUND = "victory.mp3";
    static constexpr float BURST_HEIGHT = 1.0f;
    static constexpr int BURST_COUNT = 80;
    static constexpr float CUBE_BOUNCE_VELOCITY = 7.0f;

    ExitComponent();

    // Advances the timer once reached; once it has run out asks for the next
    // level, or for a reload when the level table names the state itself as
    // its successor (a free-loaded level starts again).
    void Update() override;
    // A robot reaches the exit, a CUBE bounces it (see the rules); null and
    // other objects are ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    bool m_IsMainPlayerReached = false;  // the robot that reached it is the main player
    float m_TimeTillNextLevel = 0.0f;
    float m_Timer = 0.0f;                // seconds since the exit was reached
    bool m_IsTriggered = false;          // reached: the timer runs
    bool m_IsVictoryPlayed = false;

private:
    void Reach(GameObject* robot);
};

} // namespace QRX
