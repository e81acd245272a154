// Game objects: the object element, Euler angles, the world matrix, the
// component map and its broadcasts.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <tinyxml2.h>

#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;

namespace {

class GameObjectTest : public ObjectFixture
{
protected:
    void ReadInto(GameObject& o, const std::string& content)
    {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(("<Object>" + content + "</Object>").c_str()), tinyxml2::XML_SUCCESS);
        o.Read(doc.RootElement()->FirstChildElement());
    }
    // Writes one object into a level document and parses it back.
    const tinyxml2::XMLElement* Written(tinyxml2::XMLDocument& doc, const GameObject& o)
    {
        fm->BeginWrite("level");
        o.Write();
        std::string text = fm->RenderCommands();
        EXPECT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        return doc.RootElement()->FirstChildElement("Object");
    }
    static std::vector<std::string> ChildNames(const tinyxml2::XMLElement* e)
    {
        std::vector<std::string> names;
        for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            names.push_back(c->Name());
        return names;
    }
    static void ExpectMatNear(const glm::mat4& a, const glm::mat4& b)
    {
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) EXPECT_NEAR(a[c][r], b[c][r], 1e-5f) << "column " << c << " row " << r;
    }
};

TEST_F(GameObjectTest, LaterElementsOverrideAndValuesClearWorldValid)
{
    GameObject o;
    o.flags = OBJ_WORLD_VALID;
    ReadInto(o, "<Type>CRATE</Type><Path>x</Path><Position>1 2 3</Position><Bogus>1</Bogus>"
                "<Position>4 5 6</Position>");
    EXPECT_EQ(o.position, glm::vec3(4, 5, 6));
    EXPECT_EQ(o.previousPosition, glm::vec3(0.0f));
    EXPECT_FALSE(o.flags & OBJ_WORLD_VALID);

    ReadInto(o, "<Position>1 2</Position><Scale>3</Scale>");
    EXPECT_EQ(o.position, glm::vec3(1, 2, 0));
    EXPECT_EQ(o.scale, glm::vec3(3, 0, 0));
}

TEST_F(GameObjectTest, SkipDrawIsExactAndEmptyElementsAreAbsent)
{
    GameObject o;
    ReadInto(o, "<SkipDraw>true</SkipDraw>");
    EXPECT_TRUE(o.flags & OBJ_SKIP_DRAW);
    ReadInto(o, "<SkipDraw></SkipDraw><Position/><Rotation/><Scale></Scale>");
    EXPECT_TRUE(o.flags & OBJ_SKIP_DRAW);
    EXPECT_EQ(o.position, glm::vec3(0.0f));
    EXPECT_EQ(o.scale, glm::vec3(1.0f));
    EXPECT_EQ(o.rotation.w, 1.0f);
    ReadInto(o, "<SkipDraw>True</SkipDraw>");
    EXPECT_FALSE(o.flags & OBJ_SKIP_DRAW);
}

TEST_F(GameObjectTest, QuarterTurnAboutZ)
{
    GameObject o;
    ReadInto(o, "<Rotation>0 0 90</Rotation>");
    EXPECT_NEAR(o.rotation.x, 0.0f, 1e-7f);
    EXPECT_NEAR(o.rotation.y, 0.0f, 1e-7f);
    EXPECT_NEAR(o.rotation.z, 0.7071068f, 1e-6f);
    EXPECT_NEAR(o.rotation.w, 0.7071068f, 1e-6f);
    glm::vec3 back = GameObject::QuatToEulerDegrees(o.rotation);
    EXPECT_NEAR(back.x, 0.0f, 1e-4f);
    EXPECT_NEAR(back.y, 0.0f, 1e-4f);
    EXPECT_NEAR(back.z, 90.0f, 1e-4f);
}

TEST_F(GameObjectTest, EulerRoundTripsWithoutNaN)
{
    const glm::vec3 angles[] = {{0, 90, 0}, {0, -90, 0}, {30, 90, 10}, {0, 0, 90}, {10, 20, 30},
                                {-45, 60, 170}, {0, 89.99f, 0}, {180, 0, 0}, {12.3456f, 89.95f, -33.3f}};
    for (const glm::vec3& a : angles) {
        glm::quat q = GameObject::EulerDegreesToQuat(a);
        glm::vec3 back = GameObject::QuatToEulerDegrees(q);
        EXPECT_FALSE(std::isnan(back.x) || std::isnan(back.y) || std::isnan(back.z))
            << a.x << " " << a.y << " " << a.z;
        // The same orientation, whatever the angles chosen.
        glm::quat again = GameObject::EulerDegreesToQuat(back);
        EXPECT_NEAR(std::fabs(glm::dot(q, again)), 1.0f, 1e-4f) << a.x << " " << a.y << " " << a.z;
    }
    // A quaternion that is not unit length still gives finite angles.
    glm::vec3 scaled = GameObject::QuatToEulerDegrees(glm::quat(2.0f, 0.0f, 2.0f, 0.0f));
    EXPECT_EQ(scaled, glm::vec3(0.0f, 90.0f, 0.0f));
    // Written, a turn reads back to its very text, near a quarter pitch too.
    for (const glm::vec3& a : angles) {
        const std::string text = GameObject::RotationText(GameObject::EulerDegreesToQuat(a));
        EXPECT_EQ(GameObject::RotationText(GameObject::EulerDegreesToQuat(FileManager::ConvertToVec3(text))), text);
    }
}

TEST_F(GameObjectTest, WorldIsTranslationRotationScaleWithItsInverse)
{
    GameObject o;
    o.position = glm::vec3(1, -2, 3);
    o.rotation = GameObject::EulerDegreesToQuat(glm::vec3(0, 0, 90));
    o.scale = glm::vec3(2, 3, 4);
    o.BuildTransform();
    EXPECT_TRUE(o.flags & OBJ_WORLD_VALID);
    glm::mat4 expected = glm::translate(glm::mat4(1.0f), o.position) *
                         glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 0, 1)) *
                         glm::scale(glm::mat4(1.0f), o.scale);
    ExpectMatNear(o.world, expected);
    ExpectMatNear(o.world * o.inverseWorld, glm::mat4(1.0f));
    // The local x axis, scaled by 2, turns to +y.
    glm::vec4 p = o.world * glm::vec4(1, 0, 0, 1);
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, 0.0f, 1e-5f);

    // A zero rotation builds without rotation and is left as stored.
    o.rotation = glm::quat(0.0f, 0.0f, 0.0f, 0.0f);
    o.BuildTransform();
    ExpectMatNear(o.world, glm::translate(glm::mat4(1.0f), o.position) * glm::scale(glm::mat4(1.0f), o.scale));
    EXPECT_EQ(o.rotation.w, 0.0f);
    // A rotation that is not unit length is normalised for the matrix.
    o.rotation = glm::quat(2.0f, 0.0f, 0.0f, 0.0f);
    o.BuildTransform();
    ExpectMatNear(o.world, glm::translate(glm::mat4(1.0f), o.position) * glm::scale(glm::mat4(1.0f), o.scale));
}

TEST_F(GameObjectTest, ComponentsAreReadIntoTheirTypeAndUnknownTypesGoToGraphics)
{
    GameObject o;
    testing::internal::CaptureStdout();
    ReadInto(o, "<Component><Type>CT_DOOR</Type><Id>7</Id></Component>"
                "<Component><Type>CT_NOPE</Type></Component>"
                "<Component></Component>"
                "<Component><Type/><Speed>1</Speed></Component>");
    std::string out = testing::internal::GetCapturedStdout();
    auto* door = static_cast<ProbeComponent*>(o.GetComponent(CT_DOOR));
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->m_id, 7);
    EXPECT_EQ(door->owner, &o);
    EXPECT_NE(o.GetComponent(CT_GRAPHICS), nullptr);
    EXPECT_EQ(o.components.size(), 2u);
    EXPECT_NE(out.find("CT_NOPE"), std::string::npos);
    // Reading never initialises.
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "8:Init"), 0);

    // A type without a factory asserts and the element is skipped.
    testing::internal::CaptureStdout();
    ReadInto(o, "<Component><Type>CT_BOSS</Type></Component><Position>1 1 1</Position>");
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Unable to create a new component type"), std::string::npos);
    EXPECT_NE(out.find("AddComponent failed!"), std::string::npos);
    EXPECT_EQ(o.position, glm::vec3(1.0f));
    o.DestroyComponents();
}

TEST_F(GameObjectTest, BroadcastsVisitComponentsInAscendingType)
{
    GameObject o;
    o.AddComponentHelper(CT_PLAYER);
    o.AddComponentHelper(CT_GRAPHICS);
    o.AddComponentHelper(CT_PHYSICS);
    Calls().clear();
    o.InitComponents();
    o.UpdateComponents();
    GameObject other;
    other.id = 12;
    o.NotifyCollision(&other);
    o.NotifyCollision(nullptr);
    o.FreeComponents();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Init", "2:Init", "4:Init", "1:Update", "2:Update", "4:Update",
                                                 "1:Hit12", "2:Hit12", "4:Hit12", "1:Hitnull", "2:Hitnull",
                                                 "4:Hitnull", "1:Free", "2:Free", "4:Free"}));
    Calls().clear();
    o.DestroyComponents();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:~", "2:~", "4:~"}));
    EXPECT_TRUE(o.components.empty());
}

// Two classes that both claim the wall's type, as a test may register one
// class under another's key.
class WallMarker : public RecorderComponent<CT_WALL>
{
public:
    static constexpr Components TYPE = CT_WALL;
};
class OtherWallMarker : public RecorderComponent<CT_WALL>
{
public:
    static constexpr Components TYPE = CT_WALL;
};

TEST_F(GameObjectTest, TypedLookUpFindsTheClassUnderItsTypeOrNothing)
{
    FactoryRegister<Component>(new Factory<Component, WallMarker>(CT_WALL), manager->GetFactories());
    GameObject o;
    EXPECT_EQ(o.GetComponent<WallMarker>(), nullptr);  // none yet
    Component* wall = o.AddComponentHelper(CT_WALL);
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(o.GetComponent<WallMarker>(), wall);
    const GameObject& seen = o;
    EXPECT_EQ(seen.GetComponent<const WallMarker>(), wall);
    // Another class under the same type is not taken for it.
    EXPECT_EQ(o.GetComponent<OtherWallMarker>(), nullptr);
    o.DestroyComponents();
    EXPECT_EQ(o.GetComponent<WallMarker>(), nullptr);
}

// A component that removes another component of its owner when updated.
class RemoverComponent : public RecorderComponent<CT_AI>
{
public:
    void Update() override { owner->RemoveComponent(CT_EXIT); }
};

TEST_F(GameObjectTest, ComponentRemovedDuringABroadcastIsNotCalled)
{
    FactoryRegister<Component>(new Factory<Component, RemoverComponent>(CT_AI), manager->GetFactories());
    FactoryRegister<Component>(new Factory<Component, RecorderComponent<CT_EXIT>>(CT_EXIT), manager->GetFactories());
    GameObject o;
    o.AddComponentHelper(CT_GRAPHICS);
    o.AddComponentHelper(CT_AI);
    o.AddComponentHelper(CT_EXIT);
    Calls().clear();
    o.UpdateComponents();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Update", "11:Free", "11:~"}));
    EXPECT_EQ(o.GetComponent(CT_EXIT), nullptr);
    o.DestroyComponents();
}

TEST_F(GameObjectTest, AddAndRemoveFollowTheEditorStates)
{
    GameObject o;
    Component* first = o.AddComponent(CT_GRAPHICS);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(o.AddComponent(CT_GRAPHICS), first);  // present: Init again, same component
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Init", "1:Init"}));
    o.RemoveComponent(CT_GRAPHICS);
    o.RemoveComponent(CT_PHYSICS);  // absent: ignored
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:Init", "1:Init", "1:Free", "1:~"}));

    Calls().clear();
    states.current = LEVEL_EDITOR_NEXT_STATE_ID;
    o.AddComponent(CT_GRAPHICS);
    o.RemoveComponent(CT_GRAPHICS);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"1:~"}));
}

TEST_F(GameObjectTest, WriteLeavesOutWhatEqualsTheMaster)
{
    GameObject* crate = manager->CreateInstance(CRATE, glm::vec3(1, 2, 3));
    ASSERT_NE(crate, nullptr);
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* e = Written(doc, *crate);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ChildNames(e), (std::vector<std::string>{"Type", "Position"}));
    EXPECT_STREQ(e->FirstChildElement("Type")->GetText(), "CRATE");
    EXPECT_STREQ(e->FirstChildElement("Position")->GetText(), "1 2 3");

    crate->rotation = GameObject::EulerDegreesToQuat(glm::vec3(0, 90, 0));
    crate->scale = glm::vec3(1, 1, 2);
    static_cast<ProbeComponent*>(crate->GetComponent(CT_DOOR))->m_open = true;
    crate->AddComponentHelper(CT_PLAYER);  // the master has none: written by its type
    crate->AddComponent(CT_PHYSICS);       // the running game's (a power given): never
    tinyxml2::XMLDocument doc2;
    e = Written(doc2, *crate);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ChildNames(e),
              (std::vector<std::string>{"Type", "Position", "Rotation", "Scale", "Component", "Component"}));
    EXPECT_STREQ(e->FirstChildElement("Rotation")->GetText(), "0 90 0");
    EXPECT_STREQ(e->FirstChildElement("Scale")->GetText(), "1 1 2");
    // Components go in type order: the added player (4) before the door (8).
    const tinyxml2::XMLElement* added = e->FirstChildElement("Component");
    EXPECT_EQ(ChildNames(added), (std::vector<std::string>{"Type"}));
    EXPECT_STREQ(added->FirstChildElement("Type")->GetText(), "CT_PLAYER");
    const tinyxml2::XMLElement* comp = added->NextSiblingElement("Component");
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Open"}));

    // What was written reads back to the same object.
    GameObject back;
    back.CopyFrom(manager->GetMasterObject(CRATE));
    back.Read(e->FirstChildElement("Type"));
    EXPECT_EQ(back.position, crate->position);
    EXPECT_NEAR(std::fabs(glm::dot(back.rotation, crate->rotation)), 1.0f, 1e-5f);
    EXPECT_EQ(back.scale, crate->scale);
    EXPECT_TRUE(back.GetComponent(CT_DOOR)->IsEqual(crate->GetComponent(CT_DOOR)));
    EXPECT_NE(back.GetComponent(CT_PLAYER), nullptr);
    back.DestroyComponents();
}

TEST_F(GameObjectTest, CopyFromCarriesTheMasterButNotIdOrLayer)
{
    GameObject* wallMaster = nullptr;
    ASSERT_NE(manager->CreateInstance(WALL, glm::vec3(0.0f)), nullptr);
    wallMaster = manager->GetMasterObject(WALL);
    ASSERT_NE(wallMaster, nullptr);
    GameObject o;
    o.id = 77;
    o.layer = 2;
    o.CopyFrom(wallMaster);
    EXPECT_EQ(o.id, 77);
    EXPECT_EQ(o.layer, 2);
    EXPECT_EQ(o.type, WALL);
    EXPECT_EQ(o.flags, OBJ_SKIP_DRAW);
    EXPECT_EQ(o.position, glm::vec3(1, 2, 3));
    EXPECT_EQ(o.previousPosition, glm::vec3(1, 2, 3));
    EXPECT_EQ(o.scale, glm::vec3(2.0f));
    ASSERT_EQ(o.components.size(), 3u);
    for (auto& entry : o.components) {
        EXPECT_EQ(entry.second->owner, &o);
        EXPECT_NE(entry.second, wallMaster->GetComponent(entry.first));
    }
    o.DestroyComponents();
}

} // namespace
