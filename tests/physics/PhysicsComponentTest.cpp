// The physics component: reading bodies and their generators from files,
// writing against the master, comparing, copying with cloned generators, and
// the physics manager's makes and deletes.
#include <gtest/gtest.h>

#include "physics/PhysicsTestKit.h"

using namespace QRX;
using namespace QRX::PhysicsKit;

namespace {

class PhysicsComponentTest : public PhysicsFixture
{
protected:
    GravityForceGenerator* Gravity(const PhysicsComponent& c)
    {
        return dynamic_cast<GravityForceGenerator*>(c.GetForceGenerator(FG_GRAVITY));
    }
    // Reads fields into the component and returns what stdout got meanwhile.
    std::string ReadCapturing(PhysicsComponent& c, const std::string& fields)
    {
        const tinyxml2::XMLElement* first = Fields(fields);
        testing::internal::CaptureStdout();
        c.Read(first);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(PhysicsComponentTest, ReadsInverseMassAndGenerators)
{
    PhysicsComponent c;
    c.Read(Fields("<InverseMass>1</InverseMass>"
                  "<Force><Type>FG_GRAVITY</Type><Gravity>0 -20 0</Gravity></Force>"
                  "<Force><Type>FG_DRAG</Type><K1>0.5</K1></Force>"
                  "<Steer><Type>SG_ARRIVE</Type><MaxSpeed>2</MaxSpeed></Steer>"
                  "<Unknown>3</Unknown>"));
    EXPECT_EQ(c.inverseMass, 1.0f);
    ASSERT_EQ(c.forceGenerators.size(), 2u);
    ASSERT_NE(Gravity(c), nullptr);
    EXPECT_EQ(Gravity(c)->gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    auto* drag = dynamic_cast<DragForceGenerator*>(c.GetForceGenerator(FG_DRAG));
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->K1, 0.5f);
    ASSERT_EQ(c.steerGenerators.size(), 1u);
    auto* arrive = dynamic_cast<ArriveSteerGenerator*>(c.steerGenerators.at(SG_ARRIVE));
    ASSERT_NE(arrive, nullptr);
    EXPECT_EQ(arrive->MaxSpeed, 2.0f);
    EXPECT_FALSE(arrive->enabled);
}

TEST_F(PhysicsComponentTest, MissingOrUnknownTypeMeansGravityOrSeek)
{
    PhysicsComponent c;
    c.Read(Fields("<Force><Gravity>0 -5 0</Gravity></Force>"));
    ASSERT_EQ(c.forceGenerators.size(), 1u);
    EXPECT_EQ(Gravity(c)->gravity.y, -5.0f);

    c.Read(Fields("<Force><Type>FG_WIND</Type><Gravity>0 -7 0</Gravity></Force>"
                  "<Force><Type/><Gravity>1 -7 0</Gravity></Force>"));
    ASSERT_EQ(c.forceGenerators.size(), 1u);
    EXPECT_EQ(Gravity(c)->gravity, glm::vec3(1.0f, -7.0f, 0.0f));

    c.Read(Fields("<Steer><Type>sg_arrive</Type><MaxSpeed>3</MaxSpeed></Steer>"));
    ASSERT_EQ(c.steerGenerators.size(), 1u);
    EXPECT_NE(dynamic_cast<SeekSteerGenerator*>(c.steerGenerators.at(SG_SEEK)), nullptr);
}

TEST_F(PhysicsComponentTest, RepeatedTypeUpdatesTheOneGenerator)
{
    PhysicsComponent c;
    c.Read(Fields("<Force><Type>FG_DRAG</Type><K1>1</K1><K2>2</K2></Force>"
                  "<Force><Type>FG_DRAG</Type><K2>5</K2></Force>"));
    ASSERT_EQ(c.forceGenerators.size(), 1u);
    auto* drag = dynamic_cast<DragForceGenerator*>(c.GetForceGenerator(FG_DRAG));
    EXPECT_EQ(drag->K1, 1.0f);
    EXPECT_EQ(drag->K2, 5.0f);

    // A level file overrides a value of what the master gave, in place.
    ForceGenerator* before = drag;
    c.Read(Fields("<Force><Type>FG_DRAG</Type><K1>4</K1></Force>"));
    EXPECT_EQ(c.GetForceGenerator(FG_DRAG), before);
    EXPECT_EQ(drag->K1, 4.0f);
}

TEST_F(PhysicsComponentTest, TypeWithoutFactoryAssertsTwiceAndChangesNothing)
{
    PhysicsComponent c;
    c.Read(Fields("<Force><Type>FG_GRAVITY</Type><Gravity>0 -20 0</Gravity></Force>"));
    std::string out = ReadCapturing(c, "<Force><Type>FG_SPRING</Type><K1>3</K1></Force>");
    EXPECT_EQ(CountOf(out, "Failed Condition: it->second"), 1u) << out;
    EXPECT_EQ(CountOf(out, "Failed Condition: pForce\nAdditional Info: AddForceGenerator failed!"), 1u) << out;
    ASSERT_EQ(c.forceGenerators.size(), 1u);
    EXPECT_EQ(c.forceGenerators.begin()->first, FG_GRAVITY);

    out = ReadCapturing(c, "<Steer><Type>SG_BOUYANCY</Type></Steer>");
    EXPECT_EQ(CountOf(out, "Failed Condition: it->second"), 1u) << out;
    EXPECT_EQ(CountOf(out, "Failed Condition: pSteer\nAdditional Info: AddSteerGenerator failed!"), 1u) << out;
    EXPECT_TRUE(c.steerGenerators.empty());
}

TEST_F(PhysicsComponentTest, EmptySectionsWarnAndEmptyTextsChangeNothing)
{
    PhysicsComponent c;
    c.inverseMass = 0.25f;
    std::string out = ReadCapturing(c, "<Force/><Steer>text only</Steer><InverseMass/><InverseMass>  </InverseMass>");
    EXPECT_NE(out.find("WARNING - Force data section is empty!"), std::string::npos) << out;
    EXPECT_NE(out.find("WARNING - Steer data section is empty!"), std::string::npos) << out;
    EXPECT_EQ(c.inverseMass, 0.25f);
    EXPECT_TRUE(c.forceGenerators.empty());
    EXPECT_TRUE(c.steerGenerators.empty());

    // A "Force" with only "Type" makes the generator with its defaults.
    c.Read(Fields("<Force><Type>FG_GRAVITY</Type></Force>"));
    ASSERT_NE(Gravity(c), nullptr);
    EXPECT_EQ(Gravity(c)->gravity, glm::vec3(0.0f));
}

TEST_F(PhysicsComponentTest, WritesOnlyTheInverseMassWhenItDiffers)
{
    PhysicsComponent c, master;
    master.Read(Fields("<InverseMass>1</InverseMass><Force><Gravity>0 -20 0</Gravity></Force>"));
    c.CopyFrom(&master);
    EXPECT_EQ(WrittenInObject([&] { c.Write(&master); }).find("Component"), std::string::npos);
    EXPECT_EQ(WrittenInObject([&] { c.Write(nullptr); }).find("Component"), std::string::npos);

    // A generator value only (gravity faded at rest): nothing a file could hold.
    Gravity(c)->gravity.y = -10.0f;
    tinyxml2::XMLDocument doc;
    std::string text = WrittenInObject([&] { c.Write(&master); });
    EXPECT_EQ(text.find("Component"), std::string::npos) << text;

    c.inverseMass = 0.5f;
    text = WrittenInObject([&] { c.Write(&master); });
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    const tinyxml2::XMLElement* object = doc.RootElement()->FirstChildElement("Object");
    EXPECT_EQ(ChildNames(object), (std::vector<std::string>{"Type", "Component", "After"}));
    const tinyxml2::XMLElement* comp = object->FirstChildElement("Component");
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "InverseMass"}));
    EXPECT_STREQ(comp->FirstChildElement("InverseMass")->GetText(), "0.5");
}

TEST_F(PhysicsComponentTest, IsEqualComparesTheOthersGeneratorsAndTheInverseMass)
{
    PhysicsComponent c, master;
    c.Read(Fields("<Force><Type>FG_DRAG</Type><K1>1</K1></Force>"));
    EXPECT_TRUE(c.IsEqual(&master));   // an extra generator here is not compared
    EXPECT_FALSE(master.IsEqual(&c));  // but one the other has must be here
    master.Read(Fields("<Force><Type>FG_DRAG</Type><K1>2</K1></Force>"));
    EXPECT_FALSE(c.IsEqual(&master));
    master.Read(Fields("<Force><Type>FG_DRAG</Type><K1>1</K1></Force>"));
    EXPECT_TRUE(c.IsEqual(&master));

    c.velocity = glm::vec3(1.0f);
    c.flags = 0;
    EXPECT_TRUE(c.IsEqual(&master));
    c.inverseMass = 0.5f;
    EXPECT_FALSE(c.IsEqual(&master));
    EXPECT_TRUE(c.IsEqual(nullptr));
}

TEST_F(PhysicsComponentTest, CopyMakesIndependentGenerators)
{
    PhysicsComponent master;
    master.Read(Fields("<InverseMass>2</InverseMass>"
                       "<Force><Type>FG_GRAVITY</Type><Gravity>0 -20 0</Gravity></Force>"
                       "<Steer><Type>SG_SEEK</Type><Target>1 0 0</Target></Steer>"));
    master.flags = BODY_ENABLED;
    master.velocity = glm::vec3(1.0f, 2.0f, 3.0f);
    master.steerGenerators.at(SG_SEEK)->enabled = true;

    PhysicsComponent copy;
    copy.CopyFrom(&master);
    EXPECT_EQ(copy.flags, BODY_ENABLED);
    EXPECT_EQ(copy.inverseMass, 2.0f);
    EXPECT_EQ(copy.velocity, master.velocity);
    ASSERT_NE(Gravity(copy), nullptr);
    EXPECT_NE(Gravity(copy), Gravity(master));
    EXPECT_TRUE(copy.IsEqual(&master));
    ASSERT_EQ(copy.steerGenerators.size(), 1u);
    EXPECT_FALSE(copy.steerGenerators.at(SG_SEEK)->enabled);

    // Gameplay restoring gravity on the copy leaves the master alone.
    Gravity(copy)->gravity.y = -5.0f;
    EXPECT_EQ(Gravity(master)->gravity.y, -20.0f);

    // Copying again replaces the held generators (no leak under ASan).
    copy.CopyFrom(&master);
    EXPECT_EQ(copy.forceGenerators.size(), 1u);
    EXPECT_EQ(Gravity(copy)->gravity.y, -20.0f);
}

TEST_F(PhysicsComponentTest, AddVelocityLeavesASleepingBodyAsleep)
{
    PhysicsComponent c;
    c.flags = BODY_ENABLED | BODY_CAN_SLEEP;
    c.AddVelocity(glm::vec3(0.0f, 3.0f, 0.0f));
    c.AddVelocity(glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(c.velocity, glm::vec3(1.0f, 3.0f, 0.0f));
    EXPECT_EQ(c.flags, BODY_ENABLED | BODY_CAN_SLEEP);
}

TEST_F(PhysicsComponentTest, AddGeneratorKeepsOneOfEachType)
{
    PhysicsComponent c;
    ForceGenerator* g = c.AddForceGenerator(FG_GRAVITY);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(c.AddForceGenerator(FG_GRAVITY), g);
    SteerGenerator* s = c.AddSteerGenerator(SG_ARRIVE);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->type, SG_ARRIVE);
    EXPECT_EQ(c.AddSteerGenerator(SG_ARRIVE), s);
    EXPECT_EQ(c.GetForceGenerator(FG_DRAG), nullptr);
}

TEST_F(PhysicsComponentTest, ManagerMakesByKeyAndAssertsOnMissingFactories)
{
    ForceGenerator* drag = physics->MakeForceGenerator(FG_DRAG);
    ASSERT_NE(dynamic_cast<DragForceGenerator*>(drag), nullptr);
    EXPECT_EQ(drag->type, FG_DRAG);
    SteerGenerator* seek = physics->MakeSteerGenerator(SG_SEEK);
    ASSERT_NE(dynamic_cast<SeekSteerGenerator*>(seek), nullptr);
    EXPECT_FALSE(seek->enabled);
    physics->DeleteForceGenerator(drag);
    physics->DeleteSteerGenerator(seek);
    physics->DeleteForceGenerator(nullptr);

    testing::internal::CaptureStdout();
    EXPECT_EQ(physics->MakeForceGenerator(FG_BOUYANCY), nullptr);
    EXPECT_EQ(physics->MakeSteerGenerator(9), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(CountOf(out, "Failed Condition: it->second\nAdditional Info: \n"), 2u) << out;

    // A generator whose type has no factory is reported and left alone.
    GravityForceGenerator stray;
    stray.type = FG_SPRING;
    ArriveSteerGenerator strayArrive;
    strayArrive.type = SG_SPRING;
    testing::internal::CaptureStdout();
    physics->DeleteForceGenerator(&stray);
    physics->DeleteSteerGenerator(&strayArrive);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Failed Condition: it->second\nAdditional Info: No such force generator"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Failed Condition: it->second\nAdditional Info: No such steer generator"), std::string::npos)
        << out;
}

} // namespace
