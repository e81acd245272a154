// Small steps the gameplay components share: the frame step, the components
// they reach on other objects, the particle effects they make and the
// sounds they play. Every lookup answers null for a null object or a
// missing part, so callers skip the step that needs it.
#pragma once
#include <string>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;
class GraphicsComponent;
class GravityForceGenerator;
class ObjectManager;
class ParticleEmitter;
class PhysicsComponent;

// The vertical gravity that gameplay restores on a body it lets fall.
constexpr float FULL_GRAVITY_Y = -20.0f;

// min(frame time, 0.05) in seconds; 0 without a frame-rate controller.
float GameplayFrameStep();

// The System's object manager, or null.
ObjectManager* Objects();

GraphicsComponent* GetGraphicsComponent(const GameObject* object);
ParticleEmitter* GetParticleEmitter(const GameObject* object);
// The FG_GRAVITY generator of the object's body, or null.
GravityForceGenerator* GetGravityGenerator(const GameObject* object);

// Shows an object and lets it update, or hides it and stops it.
void SetShown(GameObject* object, bool shown);
// Sets the texture id of an object's graphics component; nothing without one.
void SetTexture(GameObject* object, const std::string& textureId);

// Sets an emitter's pattern, count, direction and active flag; nothing for
// an object without an emitter.
void SetEmitter(GameObject* emitterObject, int pattern, int count, const glm::vec3& direction, bool active);
// A PARTICLEEMITTER object at the position with its emitter set; null when
// the pool cannot give one.
GameObject* CreateEmitter(const glm::vec3& position, int pattern, int count, const glm::vec3& direction,
                          bool active);
// Marks a companion object for destruction and forgets it; null is ignored.
void ReleaseCompanion(GameObject*& companion);

// Plays a loaded sound effect once; nothing without an audio manager.
void PlayEffect(const std::string& name);

// "(x, y, z)" with two decimals, for log lines.
std::string PositionText(const glm::vec3& position);

} // namespace QRX
