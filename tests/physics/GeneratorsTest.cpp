// Force and steering generators: their forces, the seek's turn, reading,
// writing, comparing and copying parameters, and the name tables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/objects/GameObject.h"
#include "physics/PhysicsTestKit.h"

using namespace QRX;
using namespace QRX::PhysicsKit;

namespace {

constexpr float EPS = 1e-4f;

class GeneratorsTest : public PhysicsFixture
{
protected:
    void SetUp() override
    {
        PhysicsFixture::SetUp();
        body.owner = &object;
        object.flags = OBJ_ALIVE | OBJ_ACTIVE | OBJ_WORLD_VALID;
    }
    // The yaw of the object's x axis in degrees, positive toward +z.
    float YawTowardZ() const
    {
        glm::vec3 forward = object.rotation * glm::vec3(1.0f, 0.0f, 0.0f);
        return std::atan2(forward.z, forward.x) * RADIANS_TO_DEGREES;
    }

    GameObject object;
    PhysicsComponent body;
};

TEST_F(GeneratorsTest, GravityScalesWithMassAndSkipsImmovableBodies)
{
    GravityForceGenerator gravity;
    gravity.gravity = glm::vec3(0.0f, -20.0f, 0.0f);
    body.inverseMass = 0.5f;
    gravity.UpdateForce(&body, 0.016f);
    EXPECT_EQ(body.forceAccum, glm::vec3(0.0f, -40.0f, 0.0f));

    for (float inverse : {0.0f, 1e-8f}) {
        body.forceAccum = glm::vec3(0.0f);
        body.inverseMass = inverse;
        gravity.UpdateForce(&body, 0.016f);
        EXPECT_EQ(body.forceAccum, glm::vec3(0.0f)) << inverse;
    }
    gravity.UpdateForce(nullptr, 0.016f);
}

TEST_F(GeneratorsTest, DragOpposesTheVelocityAndFadesNearRest)
{
    DragForceGenerator drag;
    drag.K1 = 1.0f;
    body.velocity = glm::vec3(3.0f, 0.0f, 4.0f);
    drag.UpdateForce(&body, 0.016f);
    EXPECT_NEAR(body.forceAccum.x, -3.0f, EPS);
    EXPECT_NEAR(body.forceAccum.z, -4.0f, EPS);

    // Below 0.001 the velocity is the direction, unnormalised.
    drag.K2 = 2.0f;
    body.forceAccum = glm::vec3(0.0f);
    body.velocity = glm::vec3(0.0005f, 0.0f, 0.0f);
    drag.UpdateForce(&body, 0.016f);
    const float s = 0.0005f;
    EXPECT_FLOAT_EQ(body.forceAccum.x, -(1.0f * s + 2.0f * s * s) * s);

    // At rest nothing, and no NaN.
    body.forceAccum = glm::vec3(0.0f);
    body.velocity = glm::vec3(0.0f);
    drag.UpdateForce(&body, 0.016f);
    EXPECT_EQ(body.forceAccum, glm::vec3(0.0f));
}

TEST_F(GeneratorsTest, ArriveSlowsDownNearItsTarget)
{
    ArriveSteerGenerator arrive;
    body.inverseMass = 1.0f;
    body.flags = BODY_ENABLED;
    arrive.Target = glm::vec3(0.6f, 0.0f, 0.0f);
    arrive.UpdateForce(&body, 1.0f);
    EXPECT_NEAR(body.forceAccum.x, 2.0f, EPS);  // 0.6 / 0.3
    EXPECT_TRUE(body.flags & BODY_AWAKE);

    body.forceAccum = glm::vec3(0.0f);
    arrive.Target = glm::vec3(0.0f, 0.0f, -3.0f);
    arrive.UpdateForce(&body, 1.0f);
    EXPECT_NEAR(body.forceAccum.z, -4.0f, EPS);  // capped at MaxSpeed

    // The force reaches the desired velocity in one step of dt.
    body.forceAccum = glm::vec3(0.0f);
    body.velocity = glm::vec3(0.0f, 0.0f, -1.0f);
    arrive.UpdateForce(&body, 0.5f);
    EXPECT_NEAR(body.forceAccum.z, (-4.0f + 1.0f) / 0.5f, EPS);

    // On the target: awake, no force.
    body.forceAccum = glm::vec3(0.0f);
    body.flags = BODY_ENABLED;
    arrive.Target = object.position;
    arrive.UpdateForce(&body, 0.5f);
    EXPECT_EQ(body.forceAccum, glm::vec3(0.0f));
    EXPECT_TRUE(body.flags & BODY_AWAKE);
}

TEST_F(GeneratorsTest, SeekAheadDoesNotTurnToTheSideTurnsFiveDegreesPerStep)
{
    SeekSteerGenerator seek;
    body.inverseMass = 1.0f;
    seek.Target = glm::vec3(10.0f, 0.0f, 0.0f);
    seek.UpdateForce(&body, 0.1f);
    EXPECT_EQ(object.rotation, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(object.flags & OBJ_WORLD_VALID);
    EXPECT_NEAR(body.forceAccum.x, 4.0f / 0.1f, 1e-3f);

    // A target on the +z side: the clockwise turn, stored x, y, z, w.
    seek.Target = glm::vec3(0.0f, 0.0f, 10.0f);
    seek.UpdateForce(&body, 0.1f);
    EXPECT_NEAR(YawTowardZ(), 5.0f, 1e-3f);
    EXPECT_NEAR(object.rotation.y, std::sin(-0.0436332f), 1e-6f);
    EXPECT_NEAR(object.rotation.w, std::cos(-0.0436332f), 1e-6f);
    EXPECT_FALSE(object.flags & OBJ_WORLD_VALID);
    seek.UpdateForce(&body, 0.1f);
    EXPECT_NEAR(YawTowardZ(), 10.0f, 1e-3f);

    // And back the other way.
    object.rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    seek.Target = glm::vec3(0.0f, 5.0f, -10.0f);
    seek.UpdateForce(&body, 0.1f);
    EXPECT_NEAR(YawTowardZ(), -5.0f, 1e-3f);

    // Within the dead band the rotation stays.
    object.rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    seek.Target = glm::vec3(10.0f, 0.0f, 0.05f);
    seek.UpdateForce(&body, 0.1f);
    EXPECT_EQ(object.rotation, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
}

TEST_F(GeneratorsTest, SeekOnItsTargetBringsTheBodyToRestInOneStep)
{
    SeekSteerGenerator seek;
    body.inverseMass = 0.5f;
    body.velocity = glm::vec3(1.0f, 2.0f, 0.0f);
    body.flags = BODY_ENABLED;
    object.position = glm::vec3(3.0f, 0.0f, 0.0f);
    seek.Target = object.position + glm::vec3(0.0005f, 0.0f, 0.0f);
    const float dt = 0.1f;
    seek.UpdateForce(&body, dt);
    EXPECT_TRUE(body.flags & BODY_AWAKE);
    glm::vec3 after = body.velocity + body.forceAccum * body.inverseMass * dt;
    EXPECT_NEAR(after.x, 0.0f, EPS);
    EXPECT_NEAR(after.y, 0.0f, EPS);
}

TEST_F(GeneratorsTest, SteeringWithoutFrameTimeDoesNothing)
{
    SeekSteerGenerator seek;
    ArriveSteerGenerator arrive;
    body.inverseMass = 1.0f;
    body.flags = BODY_ENABLED;
    seek.Target = arrive.Target = glm::vec3(0.0f, 0.0f, 5.0f);
    seek.UpdateForce(&body, 0.0f);
    arrive.UpdateForce(&body, 0.0f);
    EXPECT_EQ(body.forceAccum, glm::vec3(0.0f));
    EXPECT_EQ(body.flags, BODY_ENABLED);
    EXPECT_EQ(object.rotation, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));

    // A body on no object is not steered either.
    PhysicsComponent loose;
    seek.UpdateForce(&loose, 0.1f);
    arrive.UpdateForce(&loose, 0.1f);
    EXPECT_EQ(loose.forceAccum, glm::vec3(0.0f));
}

TEST_F(GeneratorsTest, ReadSetsNamedParametersAndSkipsEmptyOnes)
{
    GravityForceGenerator gravity;
    gravity.gravity = glm::vec3(1.0f, 2.0f, 3.0f);
    gravity.Read(Elements("<Other>9 9 9</Other><Gravity>0 -20 0</Gravity>"));
    EXPECT_EQ(gravity.gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    gravity.Read(Elements("<Gravity/>"));
    EXPECT_EQ(gravity.gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    gravity.Read(nullptr);

    DragForceGenerator drag;
    drag.Read(Elements("<K2>0.5</K2><K1></K1>"));
    EXPECT_EQ(drag.K1, 0.0f);
    EXPECT_EQ(drag.K2, 0.5f);

    SeekSteerGenerator seek;
    seek.Read(Elements("<Target>1 2 3</Target><MaxSpeed/>"));
    EXPECT_EQ(seek.Target, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(seek.MaxSpeed, 4.0f);

    ArriveSteerGenerator arrive;
    arrive.Read(Elements("<MaxSpeed>6</MaxSpeed><Deceleration>2</Deceleration><Target>0 1 0</Target>"));
    EXPECT_EQ(arrive.MaxSpeed, 6.0f);
    EXPECT_EQ(arrive.Deceleration, 2.0f);
    EXPECT_EQ(arrive.Target, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(arrive.enabled);
}

TEST_F(GeneratorsTest, WriteNothingWhenEqualElseTypeAndEveryParameter)
{
    ArriveSteerGenerator arrive, master;
    EXPECT_EQ(WrittenInObject([&] { arrive.Write(&master); }).find("Steer"), std::string::npos);

    arrive.MaxSpeed = 6.0f;
    tinyxml2::XMLDocument doc;
    std::string text = WrittenInObject([&] { arrive.Write(&master); });
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    const tinyxml2::XMLElement* objectElement = doc.RootElement()->FirstChildElement("Object");
    EXPECT_EQ(ChildNames(objectElement), (std::vector<std::string>{"Type", "Steer", "After"}));
    const tinyxml2::XMLElement* steer = objectElement->FirstChildElement("Steer");
    EXPECT_EQ(ChildNames(steer), (std::vector<std::string>{"Type", "Target", "MaxSpeed", "Deceleration"}));
    EXPECT_STREQ(steer->FirstChildElement("Type")->GetText(), "SG_ARRIVE");
    EXPECT_STREQ(steer->FirstChildElement("MaxSpeed")->GetText(), "6");

    // What was written reads back to an equal generator.
    ArriveSteerGenerator reread;
    reread.Read(steer->FirstChildElement("Type")->NextSiblingElement());
    EXPECT_TRUE(reread.IsEqual(&arrive));

    GravityForceGenerator gravity, gravityMaster;
    gravity.gravity.y = -20.0f;
    text = WrittenInObject([&] { gravity.Write(&gravityMaster); });
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    const tinyxml2::XMLElement* force = doc.RootElement()->FirstChildElement("Object")->FirstChildElement("Force");
    ASSERT_NE(force, nullptr);
    EXPECT_EQ(ChildNames(force), (std::vector<std::string>{"Type", "Gravity"}));
    EXPECT_STREQ(force->FirstChildElement("Type")->GetText(), "FG_GRAVITY");
    EXPECT_STREQ(force->FirstChildElement("Gravity")->GetText(), "0 -20 0");
}

TEST_F(GeneratorsTest, IsEqualIsExactAndCopyFromTakesParametersOnly)
{
    SeekSteerGenerator a, b;
    EXPECT_TRUE(a.IsEqual(&b));
    b.Target.z = 1e-6f;
    EXPECT_FALSE(a.IsEqual(&b));
    EXPECT_FALSE(a.IsEqual(nullptr));
    ArriveSteerGenerator other;
    EXPECT_FALSE(a.IsEqual(&other));

    DragForceGenerator d1, d2;
    d1.K1 = d2.K1 = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(d1.IsEqual(&d2));

    b.enabled = true;
    b.MaxSpeed = 9.0f;
    a.CopyFrom(&b);
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_FALSE(a.enabled);
    EXPECT_EQ(a.type, SG_SEEK);
    a.CopyFrom(&other);  // another class: nothing
    EXPECT_TRUE(a.IsEqual(&b));
}

TEST_F(GeneratorsTest, NameTables)
{
    EXPECT_EQ(ForceGeneratorTypeName(FG_DRAG), "FG_DRAG");
    EXPECT_EQ(ForceGeneratorTypeName(7), "");
    EXPECT_EQ(SteerTypeNames::NameOf(-1), "");
}

} // namespace
