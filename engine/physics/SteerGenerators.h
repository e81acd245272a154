// Steering generators: forces that turn a body's velocity toward a desired
// velocity, acting only while enabled.
//
// Seek asks for full speed toward its target and turns the owner object about
// the vertical axis, a fixed step per physics step, until its x axis points at
// the target. Arrive asks for a speed that falls off near the target and does
// not turn. Both ask for the force that reaches the desired velocity in one
// step, and wake the body. A steering generator starts disabled; the enabled
// flag is neither read from files nor copied. Like force generators they are
// made and unmade only through the physics manager's factories (keys SG_SEEK
// and SG_ARRIVE; SG_SPRING and SG_BOUYANCY have names but no class) and read
// their parameters from the data elements of a "Steer" element.
#pragma once
#include <string>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

class FileManager;
class PhysicsComponent;

// The steering-generator name table: "SG_SEEK" 0, "SG_ARRIVE" 1, "SG_SPRING"
// 2, "SG_BOUYANCY" 3, complete from its first use.
struct SteerTypeNames
{
    static EnumStringTable& Get();
    // Adding a name already present changes nothing.
    static void Add(const std::string& name, int value);
    // The name of a value, or an empty string when it has none.
    static const std::string& NameOf(int value);
};

class SteerGenerator
{
public:
    explicit SteerGenerator(int generatorType) : type(generatorType) {}
    virtual ~SteerGenerator() = default;
    SteerGenerator(const SteerGenerator&) = delete;
    SteerGenerator& operator=(const SteerGenerator&) = delete;

    // Copies the parameters of a generator of the same class (type and
    // enabled are kept); another class or null changes nothing.
    virtual void CopyFrom(const SteerGenerator* other) = 0;
    // Adds this step's steering force to the body's force accumulator. Does
    // nothing for a null body, a body without an owner, or a dt of 0 or less.
    virtual void UpdateForce(PhysicsComponent* body, float dt) = 0;
    // Sets the parameters named by the element and its following siblings;
    // other names, and elements without text, change nothing.
    virtual void Read(const tinyxml2::XMLElement* firstElement) = 0;
    // Queues nothing when equal to other; otherwise a "Steer" element with
    // "Type" and every parameter, through the System's file manager.
    virtual void Write(const SteerGenerator* other) const = 0;
    // Exact equality of every parameter with a generator of the same class.
    virtual bool IsEqual(const SteerGenerator* other) const = 0;

    bool enabled = false;  // the physics step calls only enabled generators
    int type;              // the SG value, also the factory key

protected:
    void WriteHeader(FileManager& fm) const;
};

class SeekSteerGenerator : public SteerGenerator
{
public:
    static constexpr float DEFAULT_MAX_SPEED = 4.0f;
    // Closer than this the target asks for no velocity.
    static constexpr float MIN_TARGET_DISTANCE = 0.001f;
    // The turn per step, and the dead band of the side test around it.
    static constexpr float TURN_STEP_DEGREES = 5.0f;
    static constexpr float TURN_DEAD_BAND = 0.1f;

    SeekSteerGenerator();
    void CopyFrom(const SteerGenerator* other) override;
    void UpdateForce(PhysicsComponent* body, float dt) override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const SteerGenerator* other) const override;
    bool IsEqual(const SteerGenerator* other) const override;

    float MaxSpeed = DEFAULT_MAX_SPEED;  // "MaxSpeed"
    glm::vec3 Target{0.0f};              // "Target"
};

class ArriveSteerGenerator : public SteerGenerator
{
public:
    static constexpr float DEFAULT_MAX_SPEED = 4.0f;
    // Desired speed = distance / (Deceleration x this), at most MaxSpeed.
    static constexpr float DECELERATION_TWEAK = 0.3f;

    ArriveSteerGenerator();
    void CopyFrom(const SteerGenerator* other) override;
    void UpdateForce(PhysicsComponent* body, float dt) override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const SteerGenerator* other) const override;
    bool IsEqual(const SteerGenerator* other) const override;

    float Deceleration = 1.0f;           // "Deceleration"
    float MaxSpeed = DEFAULT_MAX_SPEED;  // "MaxSpeed"
    glm::vec3 Target{0.0f};              // "Target"
};

} // namespace QRX
