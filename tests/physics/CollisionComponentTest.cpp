// The collision component: reading masters and level refinements, copying
// with a fresh primitive that follows its owner, comparing and writing
// against the master (sizes included, Collided never), and the primitive's
// life through the physics manager.
#include "physics/StepTestKit.h"

#include <memory>

#include <tinyxml2.h>

using namespace QRX;
using namespace QRX::StepKit;

namespace {

class CollisionComponentTest : public StepFixture
{
protected:
    // The first element after "Type" of a collision "Component" element.
    const tinyxml2::XMLElement* Fields(const std::string& fields)
    {
        docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        const std::string text = "<Component><Type>CT_COLLISION</Type>" + fields + "</Component>";
        EXPECT_EQ(docs.back()->Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        return docs.back()->RootElement()->FirstChildElement()->NextSiblingElement();
    }
    // The collision component of a crate and its master's.
    CollisionComponent* CrateCollision(const glm::vec3& position = glm::vec3(0.0f))
    {
        return Collision(Make(CRATE, position));
    }
    CollisionComponent* MasterCollision() { return Collision(objects->GetMasterObject(CRATE)); }
    // What a component writes inside an object element, parsed; null when
    // it wrote no "Component".
    const tinyxml2::XMLElement* Written(CollisionComponent* c, const Component* master)
    {
        fm->BeginWrite("level");
        fm->WriteParent("Object");
        fm->WriteChild("Type");
        fm->WriteValue("CRATE");
        c->Write(master);
        fm->WriteSibling("After");
        docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        const std::string text = fm->RenderCommands();
        EXPECT_EQ(docs.back()->Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        const tinyxml2::XMLElement* object = docs.back()->RootElement()->FirstChildElement("Object");
        EXPECT_STREQ(object->LastChildElement()->Name(), "After");
        return object->FirstChildElement("Component");
    }
    static std::vector<std::string> ChildNames(const tinyxml2::XMLElement* e)
    {
        std::vector<std::string> names;
        for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            names.push_back(c->Name());
        return names;
    }

    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> docs;
};

TEST_F(CollisionComponentTest, MasterReadsItsSwitchesFrictionsAndShape)
{
    CrateCollision();
    GameObject* master = objects->GetMasterObject(CRATE);
    CollisionComponent* c = Collision(master);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->active);
    EXPECT_TRUE(c->autoResolve);
    EXPECT_FALSE(c->ethereal);
    EXPECT_FALSE(c->collided);
    EXPECT_FLOAT_EQ(c->staticFriction, 0.5f);
    EXPECT_FLOAT_EQ(c->dynamicFriction, 0.3f);
    auto* box = dynamic_cast<CollisionBox*>(c->GetPrimitive());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->halfSize, glm::vec3(0.5f));
    EXPECT_EQ(box->owner, master);
    EXPECT_EQ(box->scaledHalfSize, glm::vec3(0.5f));  // brought up to date after the read
}

TEST_F(CollisionComponentTest, ACopyHasItsOwnPrimitiveOnItsOwner)
{
    CollisionComponent* instance = CrateCollision(glm::vec3(1.0f, 2.0f, 3.0f));
    ASSERT_NE(instance->GetPrimitive(), nullptr);
    EXPECT_NE(instance->GetPrimitive(), MasterCollision()->GetPrimitive());
    EXPECT_EQ(instance->GetPrimitive()->owner, instance->owner);

    // A copy onto an object that has not been stepped is already in place.
    GameObject object;
    object.position = glm::vec3(4.0f, 5.0f, 6.0f);
    object.scale = glm::vec3(2.0f);
    auto* c = dynamic_cast<CollisionComponent*>(object.AddComponentHelper(CT_COLLISION));
    ASSERT_NE(c, nullptr);
    c->CopyFrom(MasterCollision());
    auto* box = dynamic_cast<CollisionBox*>(c->GetPrimitive());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetCentre(), glm::vec3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(box->scaledHalfSize, glm::vec3(1.0f));
    EXPECT_TRUE(c->active);
    EXPECT_FLOAT_EQ(c->dynamicFriction, 0.3f);
    object.DestroyComponents();
}

TEST_F(CollisionComponentTest, ASourceWithoutPrimitiveLeavesOursAndAnotherKindReplacesIt)
{
    CollisionComponent* c = CrateCollision();
    Primitive* before = c->GetPrimitive();
    CollisionComponent bare;
    bare.ethereal = true;
    c->CopyFrom(&bare);
    EXPECT_EQ(c->GetPrimitive(), before);
    EXPECT_TRUE(c->ethereal);
    EXPECT_FALSE(c->active);

    CollisionComponent sphere;
    sphere.Read(Fields("<Primitive><Type>PR_SPHERE</Type><Radius>2</Radius></Primitive>"));
    c->CopyFrom(&sphere);
    auto* copied = dynamic_cast<CollisionSphere*>(c->GetPrimitive());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->radius, 2.0f);
    EXPECT_EQ(copied->owner, c->owner);
}

TEST_F(CollisionComponentTest, LevelElementsRefineTheCopy)
{
    CollisionComponent* c = CrateCollision();
    Primitive* box = c->GetPrimitive();
    c->Read(Fields("<Active>false</Active><Ethereal/><Collided>true</Collided>"));
    EXPECT_FALSE(c->active);
    EXPECT_TRUE(c->collided);
    EXPECT_FALSE(c->ethereal);
    EXPECT_FLOAT_EQ(c->staticFriction, 0.5f);
    EXPECT_EQ(c->GetPrimitive(), box);

    c->Read(Fields("<StaticFriction>0.9</StaticFriction><Primitive><Type>PR_BOX</Type><HalfSize>1 2 3</HalfSize>"
                   "</Primitive>"));
    EXPECT_FLOAT_EQ(c->staticFriction, 0.9f);
    ASSERT_EQ(c->GetPrimitive(), box);
    EXPECT_EQ(static_cast<CollisionBox*>(box)->halfSize, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(static_cast<CollisionBox*>(box)->scaledHalfSize, glm::vec3(1.0f, 2.0f, 3.0f));

    // Another kind: a fresh primitive with the factory's defaults, then the sizes given.
    c->Read(Fields("<Primitive><Type>PR_PLANE</Type><Offset>3</Offset></Primitive>"));
    auto* plane = dynamic_cast<CollisionPlane*>(c->GetPrimitive());
    ASSERT_NE(plane, nullptr);
    EXPECT_EQ(plane->normal, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(plane->halfSize, glm::vec3(0.0f));
    EXPECT_EQ(plane->owner, c->owner);
}

TEST_F(CollisionComponentTest, UnnamedOrUnknownPrimitivesAreSpheres)
{
    CollisionComponent* c = CrateCollision();
    c->Read(Fields("<Primitive><Type>PR_CONE</Type><Radius>4</Radius></Primitive>"));
    auto* sphere = dynamic_cast<CollisionSphere*>(c->GetPrimitive());
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->radius, 4.0f);

    CollisionComponent* other = CrateCollision();
    other->Read(Fields("<Primitive><Radius>3</Radius></Primitive>"));
    sphere = dynamic_cast<CollisionSphere*>(other->GetPrimitive());
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->radius, 3.0f);

    CollisionComponent* empty = CrateCollision();
    empty->Read(Fields("<Primitive/>"));
    ASSERT_NE(dynamic_cast<CollisionSphere*>(empty->GetPrimitive()), nullptr);
}

TEST_F(CollisionComponentTest, EqualityCountsSizesButNotCollided)
{
    CollisionComponent* c = CrateCollision();
    const CollisionComponent* master = MasterCollision();
    EXPECT_TRUE(c->IsEqual(master));
    EXPECT_TRUE(c->IsEqual(nullptr));
    c->collided = true;
    EXPECT_TRUE(c->IsEqual(master));
    static_cast<CollisionBox*>(c->GetPrimitive())->halfSize.x = 0.75f;
    EXPECT_FALSE(c->IsEqual(master));

    CollisionComponent bare;
    bare.CopyFrom(master);
    bare.MakePrimitive(PR_SPHERE);
    EXPECT_FALSE(bare.IsEqual(master));  // another kind
    CollisionComponent shapeless;
    shapeless.active = shapeless.autoResolve = true;
    shapeless.staticFriction = 0.5f;
    shapeless.dynamicFriction = 0.3f;
    EXPECT_TRUE(shapeless.IsEqual(master));
    shapeless.dynamicFriction = 0.31f;
    EXPECT_FALSE(shapeless.IsEqual(master));
    GameObject* crate = Make(CRATE, glm::vec3(0.0f));
    EXPECT_FALSE(c->IsEqual(Body(crate)));
}

TEST_F(CollisionComponentTest, WritesOnlyWhatDiffersFromTheMaster)
{
    CollisionComponent* c = CrateCollision();
    const CollisionComponent* master = MasterCollision();
    EXPECT_EQ(Written(c, master), nullptr);
    c->collided = true;
    EXPECT_EQ(Written(c, master), nullptr);  // never saved

    c->active = false;
    const tinyxml2::XMLElement* comp = Written(c, master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Active"}));
    EXPECT_STREQ(comp->FirstChildElement("Type")->GetText(), "CT_COLLISION");
    EXPECT_STREQ(comp->FirstChildElement("Active")->GetText(), "false");

    c->active = true;
    static_cast<CollisionBox*>(c->GetPrimitive())->halfSize = glm::vec3(0.5f, 1.0f, 0.5f);
    comp = Written(c, master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Primitive"}));
    EXPECT_EQ(ChildNames(comp->FirstChildElement("Primitive")), (std::vector<std::string>{"Type", "HalfSize"}));
}

TEST_F(CollisionComponentTest, WhatIsWrittenReadsBack)
{
    CollisionComponent* c = CrateCollision();
    c->ethereal = true;
    c->dynamicFriction = 0.125f;
    static_cast<CollisionBox*>(c->GetPrimitive())->halfSize = glm::vec3(1.0f, 0.25f, 2.0f);
    const tinyxml2::XMLElement* comp = Written(c, MasterCollision());
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Ethereal", "DynamicFriction", "Primitive"}));

    CollisionComponent* fresh = CrateCollision();
    fresh->Read(comp->FirstChildElement()->NextSiblingElement());
    EXPECT_TRUE(fresh->IsEqual(c));
    EXPECT_TRUE(c->IsEqual(fresh));
}

TEST_F(CollisionComponentTest, WithoutAPhysicsManagerNoPrimitiveIsMade)
{
    System* system = System::GetInstance();
    PhysicsManager* manager = system->physicsManager;
    system->physicsManager = nullptr;
    CollisionComponent c;
    EXPECT_EQ(c.MakePrimitive(PR_BOX), nullptr);
    system->physicsManager = manager;
    EXPECT_NE(c.MakePrimitive(PR_BOX), nullptr);
    EXPECT_NE(c.RemakePrimitive(PR_SPHERE), nullptr);
    EXPECT_EQ(c.GetPrimitive()->type, PR_SPHERE);
}

} // namespace
