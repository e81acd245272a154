// Force generators: the sources of force that always act on a body.
//
// Each generator adds its force for the step to a body's force accumulator;
// the physics step calls every force generator of every enabled body. A body
// holds at most one generator per type, under its type. Generators are made
// and unmade only through the physics manager's factories (keys FG_GRAVITY
// and FG_DRAG; FG_SPRING and FG_BOUYANCY have names but no class). They read
// their parameters from the data elements of a "Force" element, and write
// them back as a "Force" element whose first child "Type" names the kind.
//
// Mass: a body's mass is 1 / inverse mass when the inverse mass is above
// MIN_INVERSE_MASS, else 0 (immovable).
#pragma once
#include <string>

#include <glm/glm.hpp>

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

class FileManager;
class PhysicsComponent;

// Inverse masses at or below this mean an immovable body (mass 0).
constexpr float MIN_INVERSE_MASS = 1e-7f;

// The mass of a body with this inverse mass (0 for immovable bodies).
float MassFromInverse(float inverseMass);

// The name of a force-generator value, or an empty string when it has none.
const std::string& ForceGeneratorTypeName(int value);

class ForceGenerator
{
public:
    explicit ForceGenerator(int generatorType) : type(generatorType) {}
    virtual ~ForceGenerator() = default;
    ForceGenerator(const ForceGenerator&) = delete;
    ForceGenerator& operator=(const ForceGenerator&) = delete;

    // Copies the parameters of a generator of the same class (type is kept);
    // another class or null changes nothing.
    virtual void CopyFrom(const ForceGenerator* other) = 0;
    // Adds this step's force to the body's force accumulator; null does nothing.
    virtual void UpdateForce(PhysicsComponent* body, float dt) = 0;
    // Sets the parameters named by the element and its following siblings;
    // other names, and elements without text, change nothing.
    virtual void Read(const tinyxml2::XMLElement* firstElement) = 0;
    // Queues nothing when equal to other; otherwise a "Force" element with
    // "Type" and every parameter, through the System's file manager.
    virtual void Write(const ForceGenerator* other) const = 0;
    // Exact equality of every parameter with a generator of the same class.
    virtual bool IsEqual(const ForceGenerator* other) const = 0;

    int type;  // the FG value, also the factory key

protected:
    // Queues "Force" with its "Type" child; the caller adds the parameters
    // and the return.
    void WriteHeader(FileManager& fm) const;
};

// Pulls a movable body with the acceleration `gravity`, whatever its mass.
class GravityForceGenerator : public ForceGenerator
{
public:
    GravityForceGenerator();
    void CopyFrom(const ForceGenerator* other) override;
    void UpdateForce(PhysicsComponent* body, float dt) override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const ForceGenerator* other) const override;
    bool IsEqual(const ForceGenerator* other) const override;

    glm::vec3 gravity{0.0f};  // "Gravity"; contact resolution and gameplay change its y
};

// Slows a body against its velocity by K1 x speed + K2 x speed^2.
class DragForceGenerator : public ForceGenerator
{
public:
    // Below this speed the velocity is used as the direction unnormalised.
    static constexpr float MIN_DIRECTION_SPEED = 0.001f;

    DragForceGenerator();
    void CopyFrom(const ForceGenerator* other) override;
    void UpdateForce(PhysicsComponent* body, float dt) override;
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const ForceGenerator* other) const override;
    bool IsEqual(const ForceGenerator* other) const override;

    float K1 = 0.0f;  // "K1"
    float K2 = 0.0f;  // "K2"
};

} // namespace QRX
