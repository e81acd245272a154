// Collision primitives: factories, transforms from the owner, sizes, and the
// file fields read, written against a master, compared and copied.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <glm/gtc/quaternion.hpp>
#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/Primitive.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

void ExpectVec3Near(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

class PrimitiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        fm = system->fileManager;
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
    }

    // Reads a primitive from the fields of "<Primitive><Type>..</Type>fields</Primitive>",
    // starting after "Type" as the collision component does.
    void ReadInto(Primitive& p, const std::string& fields)
    {
        tinyxml2::XMLDocument doc;
        const std::string text = "<Primitive><Type>" + PrimitiveTypeToString(p.type) + "</Type>" + fields +
                                 "</Primitive>";
        ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS);
        p.Read(doc.RootElement()->FirstChildElement("Type")->NextSiblingElement());
    }

    // Writes a primitive against a master inside a component element and
    // returns the document text.
    std::string WriteAgainst(const Primitive& p, const Primitive* master)
    {
        fm->BeginWrite("level");
        fm->WriteParent("Object");
        fm->WriteChild("Type");
        fm->WriteValue("CRATE");
        fm->WriteSibling("Component");
        fm->WriteChild("Type");
        fm->WriteValue("CT_COLLISION");
        p.Write(master);
        fm->WriteReturn();
        fm->WriteSibling("After");
        return fm->RenderCommands();
    }

    // The "Primitive" element written by WriteAgainst, or null.
    const tinyxml2::XMLElement* Written(tinyxml2::XMLDocument& doc, const Primitive& p, const Primitive* master)
    {
        const std::string text = WriteAgainst(p, master);
        EXPECT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        const tinyxml2::XMLElement* object = doc.RootElement()->FirstChildElement("Object");
        // The component's scope is closed again: what follows is the object's.
        EXPECT_NE(object->FirstChildElement("After"), nullptr) << text;
        return object->FirstChildElement("Component")->FirstChildElement("Primitive");
    }

    static std::vector<std::string> ChildNames(const tinyxml2::XMLElement* e)
    {
        std::vector<std::string> names;
        for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            names.push_back(c->Name());
        return names;
    }

    static std::string ChildText(const tinyxml2::XMLElement* e, const char* name)
    {
        const tinyxml2::XMLElement* c = e ? e->FirstChildElement(name) : nullptr;
        return c && c->GetText() ? c->GetText() : "";
    }

    TestSupport::ScopedTempHome home;
    FileManager* fm = nullptr;
};

TEST_F(PrimitiveTest, FactoriesMakeTheThreeKindsWithTheirDefaults)
{
    FactoryMap<Primitive> factories;
    RegisterPrimitiveFactories(factories);
    ASSERT_EQ(factories.size(), 3u);
    for (PrimitiveType kind : {PR_SPHERE, PR_BOX, PR_PLANE}) {
        Primitive* made = factories.at(kind)->Create();
        ASSERT_EQ(made->type, kind);
        factories.at(kind)->Destroy(made);  // made primitives go back through their factory
    }
    DeleteFactories(factories);
}

TEST_F(PrimitiveTest, SphereFollowsOnlyTheXScaleAndFitsToTheLargest)
{
    GameObject owner;
    owner.position = glm::vec3(1.0f, 2.0f, 3.0f);
    owner.scale = glm::vec3(2.0f, 5.0f, 1.0f);
    CollisionSphere sphere;
    sphere.owner = &owner;
    sphere.radius = 0.75f;
    sphere.UpdateTransform();

    EXPECT_FLOAT_EQ(sphere.scaledRadius, 1.5f);
    // Unit sphere (diameter 1) onto the primitive: columns of full extent.
    EXPECT_EQ(sphere.transform[0], glm::vec4(3.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(sphere.transform[1], glm::vec4(0.0f, 3.0f, 0.0f, 0.0f));
    EXPECT_EQ(sphere.GetCentre(), owner.position);
    // GetSize stays with the unscaled radius, GetHalfSize too.
    EXPECT_EQ(sphere.GetSize(), glm::vec3(1.5f));
    EXPECT_EQ(sphere.GetHalfSize(), glm::vec3(0.75f));

    sphere.FitToOwner();
    EXPECT_FLOAT_EQ(sphere.scaledRadius, 2.5f);
    sphere.ApplyScale(glm::vec3(4.0f, 1.0f, 1.0f));
    EXPECT_FLOAT_EQ(sphere.scaledRadius, 3.0f);
    // Scaled sizes are recomputed; the unscaled radius change survives.
    sphere.ScaleY(2.0f);
    sphere.UpdateTransform();
    EXPECT_FLOAT_EQ(sphere.radius, 1.5f);
    EXPECT_FLOAT_EQ(sphere.scaledRadius, 3.0f);
}

TEST_F(PrimitiveTest, BoxMapsTheUnitCubeOntoItselfThroughTheOwner)
{
    GameObject owner;
    owner.scale = glm::vec3(2.0f);
    CollisionBox box;
    box.owner = &owner;
    box.halfSize = glm::vec3(0.5f);
    box.UpdateTransform();
    EXPECT_EQ(box.scaledHalfSize, glm::vec3(1.0f));
    EXPECT_EQ(box.GetSize(), glm::vec3(2.0f));
    EXPECT_EQ(box.GetHalfSize(), glm::vec3(0.5f));

    // A turned, moved, unevenly scaled owner: the corner of the unit cube
    // lands on the box's corner, and the axes are the owner's.
    owner.position = glm::vec3(4.0f, -1.0f, 2.0f);
    owner.rotation = glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 0.0f, 1.0f));
    owner.scale = glm::vec3(2.0f, 1.0f, 3.0f);
    box.halfSize = glm::vec3(0.5f, 1.0f, 0.25f);
    box.UpdateTransform();
    ExpectVec3Near(box.scaledHalfSize, glm::vec3(1.0f, 1.0f, 0.75f));
    ExpectVec3Near(box.GetAxis(0), glm::vec3(0.0f, 1.0f, 0.0f));
    ExpectVec3Near(box.GetAxis(1), glm::vec3(-1.0f, 0.0f, 0.0f));
    const glm::vec3 corner(box.transform * glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    ExpectVec3Near(corner, owner.position + glm::vec3(-1.0f, 1.0f, 0.75f));

    // ScaleX..Z change the unscaled size; FitToOwner and ApplyScale the scaled one.
    box.ScaleX(2.0f);
    box.ScaleZ(4.0f);
    EXPECT_EQ(box.halfSize, glm::vec3(1.0f, 1.0f, 1.0f));
    box.FitToOwner();
    EXPECT_EQ(box.scaledHalfSize, glm::vec3(1.0f, 0.5f, 1.5f));
    box.ApplyScale(glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(box.scaledHalfSize, glm::vec3(1.0f, 2.0f, 3.0f));
}

TEST_F(PrimitiveTest, OffsetTransformIsAppliedOnTheRightAndCopied)
{
    GameObject owner;
    owner.position = glm::vec3(1.0f, 0.0f, 0.0f);
    CollisionBox box;
    box.owner = &owner;
    box.halfSize = glm::vec3(0.5f);
    box.offsetTransform[3] = glm::vec4(0.0f, 0.5f, 0.0f, 1.0f);  // half a unit up, in unit-shape space
    box.UpdateTransform();
    ExpectVec3Near(box.GetCentre(), glm::vec3(1.0f, 0.5f, 0.0f));

    CollisionBox copy;
    copy.CopyFrom(&box);
    EXPECT_EQ(copy.offsetTransform, box.offsetTransform);
    EXPECT_EQ(copy.halfSize, box.halfSize);
    EXPECT_EQ(copy.scaledHalfSize, box.scaledHalfSize);
    EXPECT_EQ(copy.owner, nullptr);
}

TEST_F(PrimitiveTest, PlanePassesThroughItsOwnerWhateverOffsetWasRead)
{
    GameObject owner;
    CollisionPlane plane;
    ReadInto(plane, "<Offset>3</Offset>");
    EXPECT_EQ(plane.offset, 3.0f);
    plane.owner = &owner;
    plane.UpdateTransform();
    EXPECT_EQ(plane.offset, 0.0f);

    // The normal does not turn with the owner and is not normalised.
    owner.position = glm::vec3(1.0f, 2.0f, 3.0f);
    owner.rotation = glm::angleAxis(glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    plane.normal = glm::vec3(0.0f, 2.0f, 0.0f);
    plane.halfSize = glm::vec3(5.0f, 0.0f, 5.0f);
    owner.scale = glm::vec3(2.0f);
    plane.UpdateTransform();
    EXPECT_EQ(plane.normal, glm::vec3(0.0f, 2.0f, 0.0f));
    EXPECT_FLOAT_EQ(plane.offset, 4.0f);
    EXPECT_EQ(plane.scaledHalfSize, glm::vec3(10.0f, 0.0f, 10.0f));
    EXPECT_EQ(plane.GetSize(), glm::vec3(20.0f, 0.0f, 20.0f));
    EXPECT_EQ(plane.GetHalfSize(), glm::vec3(5.0f, 0.0f, 5.0f));

    // Scaling and fitting leave a plane as it is.
    plane.ScaleX(3.0f);
    plane.ApplyScale(glm::vec3(7.0f));
    plane.FitToOwner();
    EXPECT_EQ(plane.halfSize, glm::vec3(5.0f, 0.0f, 5.0f));
    EXPECT_EQ(plane.scaledHalfSize, glm::vec3(10.0f, 0.0f, 10.0f));

    CollisionPlane constructed(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(2.0f), 1.5f);
    EXPECT_EQ(constructed.scaledHalfSize, glm::vec3(2.0f));
    EXPECT_EQ(constructed.offset, 1.5f);
}

TEST_F(PrimitiveTest, WithoutAnOwnerTransformsAndFittingChangeNothing)
{
    CollisionSphere sphere;
    CollisionBox box;
    CollisionPlane plane;
    box.halfSize = glm::vec3(1.0f);
    plane.offset = 2.0f;
    sphere.UpdateTransform();
    box.UpdateTransform();
    plane.UpdateTransform();
    sphere.FitToOwner();
    box.FitToOwner();
    EXPECT_EQ(sphere.scaledRadius, 1.0f);
    EXPECT_EQ(box.scaledHalfSize, glm::vec3(0.0f));
    EXPECT_EQ(plane.offset, 2.0f);
    EXPECT_EQ(box.transform, glm::mat4(1.0f));
}

TEST_F(PrimitiveTest, ReadTakesKnownFieldsAndLeavesScaledSizes)
{
    CollisionSphere sphere;
    ReadInto(sphere, "<Colour>red</Colour><Radius>0.25</Radius><HalfSize>9 9 9</HalfSize>");
    EXPECT_EQ(sphere.radius, 0.25f);
    EXPECT_EQ(sphere.scaledRadius, 1.0f);

    CollisionBox box;
    ReadInto(box, "<Radius>4</Radius><HalfSize>0.5 1 1.5</HalfSize>");
    EXPECT_EQ(box.halfSize, glm::vec3(0.5f, 1.0f, 1.5f));
    EXPECT_EQ(box.scaledHalfSize, glm::vec3(0.0f));

    CollisionPlane plane;
    ReadInto(plane, "<Normal>1 0 0</Normal><HalfSize>3 0 3</HalfSize><Offset>-2</Offset>");
    EXPECT_EQ(plane.normal, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(plane.halfSize, glm::vec3(3.0f, 0.0f, 3.0f));
    EXPECT_EQ(plane.scaledHalfSize, glm::vec3(0.0f));
    EXPECT_EQ(plane.offset, -2.0f);

    // Nothing to read: nothing changes.
    sphere.Read(nullptr);
    EXPECT_EQ(sphere.radius, 0.25f);
}

TEST_F(PrimitiveTest, EmptyFieldsAreReportedAndLeaveTheirValues)
{
    CollisionSphere sphere;
    CollisionBox box;
    CollisionPlane plane;
    box.halfSize = glm::vec3(1.0f);
    testing::internal::CaptureStdout();
    ReadInto(sphere, "<Radius/>");
    ReadInto(box, "<HalfSize></HalfSize>");
    ReadInto(plane, "<Normal/><HalfSize/><Offset/>");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WARNING - Radius data section is empty!"), std::string::npos) << out;
    EXPECT_NE(out.find("WARNING - HalfSize data section is empty!"), std::string::npos) << out;
    EXPECT_NE(out.find("WARNING - Normal data section is empty!"), std::string::npos) << out;
    EXPECT_NE(out.find("WARNING - Offset data section is empty!"), std::string::npos) << out;
    EXPECT_EQ(sphere.radius, 1.0f);
    EXPECT_EQ(box.halfSize, glm::vec3(1.0f));
    EXPECT_EQ(plane.normal, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(plane.offset, 0.0f);
}

TEST_F(PrimitiveTest, WriteGivesOnlyWhatDiffersFromTheMaster)
{
    tinyxml2::XMLDocument doc;
    CollisionBox master;
    master.halfSize = glm::vec3(0.5f);
    CollisionBox box;
    box.halfSize = glm::vec3(0.5f);
    box.scaledHalfSize = glm::vec3(7.0f);  // scaled values are not file fields
    EXPECT_EQ(Written(doc, box, &master), nullptr);

    box.halfSize.y = 1.0f;
    const tinyxml2::XMLElement* written = Written(doc, box, &master);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "HalfSize"}));
    EXPECT_EQ(ChildText(written, "Type"), "PR_BOX");
    EXPECT_EQ(ChildText(written, "HalfSize"), "0.5 1 0.5");

    CollisionPlane planeMaster;
    CollisionPlane plane;
    plane.offset = 2.5f;
    written = Written(doc, plane, &planeMaster);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "Offset"}));
    EXPECT_EQ(ChildText(written, "Offset"), "2.5");
    plane.normal = glm::vec3(0.0f, 0.0f, 1.0f);
    plane.halfSize = glm::vec3(1.0f, 2.0f, 3.0f);
    written = Written(doc, plane, &planeMaster);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "Normal", "HalfSize", "Offset"}));

    CollisionSphere sphereMaster;
    CollisionSphere sphere;
    EXPECT_EQ(Written(doc, sphere, &sphereMaster), nullptr);
    sphere.radius = 0.5f;
    written = Written(doc, sphere, &sphereMaster);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "Radius"}));
    EXPECT_EQ(ChildText(written, "Radius"), "0.5");
}

TEST_F(PrimitiveTest, EachKindReadsBackWhatItWrote)
{
    CollisionSphere sphere;
    sphere.radius = 0.375f;
    CollisionBox box;
    box.halfSize = glm::vec3(0.5f, 0.25f, 2.0f);
    CollisionPlane plane(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(4.0f, 4.0f, 0.0f), -1.25f);

    CollisionSphere sphereMaster;
    CollisionBox boxMaster;
    CollisionPlane planeMaster;
    const Primitive* written[] = {&sphere, &box, &plane};
    Primitive* masters[] = {&sphereMaster, &boxMaster, &planeMaster};
    for (int i = 0; i < 3; ++i) {
        tinyxml2::XMLDocument doc;
        const tinyxml2::XMLElement* element = Written(doc, *written[i], masters[i]);
        ASSERT_NE(element, nullptr) << i;
        PrimitiveType kind = PR_SPHERE;
        ASSERT_TRUE(StringToPrimitiveType(ChildText(element, "Type"), kind));
        EXPECT_EQ(kind, written[i]->type);
        EXPECT_FALSE(masters[i]->IsEqual(written[i]));
        masters[i]->Read(element->FirstChildElement("Type")->NextSiblingElement());
        EXPECT_TRUE(masters[i]->IsEqual(written[i])) << i;
    }
}

TEST_F(PrimitiveTest, AKindChangeOrAMissingMasterIsWrittenWhole)
{
    tinyxml2::XMLDocument doc;
    // A sphere against a box master: never equal, Type and every field.
    CollisionBox boxMaster;
    CollisionSphere sphere;
    EXPECT_FALSE(sphere.IsEqual(&boxMaster));
    EXPECT_FALSE(boxMaster.IsEqual(&sphere));
    const tinyxml2::XMLElement* written = Written(doc, sphere, &boxMaster);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "Radius"}));
    EXPECT_EQ(ChildText(written, "Type"), "PR_SPHERE");
    EXPECT_EQ(ChildText(written, "Radius"), "1");

    // A plane against a box whose half size happens to match: still whole.
    CollisionPlane plane;
    written = Written(doc, plane, &boxMaster);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "Normal", "HalfSize", "Offset"}));
    EXPECT_EQ(ChildText(written, "Type"), "PR_PLANE");

    // A box against a plane master, and against none.
    CollisionBox box;
    written = Written(doc, box, &plane);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "HalfSize"}));
    EXPECT_EQ(ChildText(written, "HalfSize"), "0 0 0");
    EXPECT_FALSE(box.IsEqual(nullptr));
    written = Written(doc, box, nullptr);
    EXPECT_EQ(ChildNames(written), (std::vector<std::string>{"Type", "HalfSize"}));
    EXPECT_EQ(ChildText(written, "Type"), "PR_BOX");
}

TEST_F(PrimitiveTest, CopyTakesTheMastersFieldsOnlyFromTheSameKind)
{
    CollisionPlane master(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(2.0f), 3.0f);
    CollisionPlane plane;
    plane.CopyFrom(&master);
    EXPECT_EQ(plane.normal, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(plane.halfSize, glm::vec3(2.0f));
    EXPECT_EQ(plane.scaledHalfSize, glm::vec3(2.0f));

    CollisionSphere sphereMaster;
    sphereMaster.radius = 0.5f;
    sphereMaster.scaledRadius = 0.25f;
    CollisionSphere sphere;
    sphere.CopyFrom(&sphereMaster);
    EXPECT_EQ(sphere.radius, 0.5f);
    EXPECT_EQ(sphere.scaledRadius, 0.25f);
    EXPECT_TRUE(sphere.IsEqual(&sphereMaster));

    // Another kind or none is refused and reported.
    CollisionBox box;
    box.halfSize = glm::vec3(1.0f);
    testing::internal::CaptureStdout();
    box.CopyFrom(&plane);
    box.CopyFrom(nullptr);
    sphere.CopyFrom(&box);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WARNING - Cannot copy a PR_BOX primitive from PR_PLANE"), std::string::npos) << out;
    EXPECT_EQ(box.halfSize, glm::vec3(1.0f));
    EXPECT_EQ(sphere.radius, 0.5f);
}

} // namespace
