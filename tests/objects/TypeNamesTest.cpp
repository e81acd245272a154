// Name tables and factories.
#include <gtest/gtest.h>

#include "engine/core/EngineDoor.h"
#include "engine/physics/PhysicsFactories.h"
#include "tools/ProgramParts.h"
#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;

namespace {

TEST(TypeNamesTest, ComponentTypes)
{
    EXPECT_EQ(GetComponentsNameTable().size(), 46u);
    EXPECT_EQ(ComponentsToString(0), "COMPONENTS_ERRORVALUE");
    EXPECT_EQ(ComponentsToString(1), "CT_GRAPHICS");
    EXPECT_EQ(ComponentsToString(15), "CT_BLACKHOLE");
    EXPECT_EQ(ComponentsToString(19), "CT_CRATESPAWNERCOMPONENT");
    EXPECT_EQ(ComponentsToString(45), "CT_CONTROLLERWAIT");
    EXPECT_EQ(ComponentsToString(46), "");
    EXPECT_EQ(ComponentsToString(-1), "");
    EXPECT_EQ(FileManager::ComponentsToString(CT_WALL), "CT_WALL");

    Components value = CT_DOOR;
    EXPECT_FALSE(FileManager::FindComponentType("ct_graphics", value));
    EXPECT_EQ(value, CT_DOOR);
    EXPECT_TRUE(FileManager::FindComponentType("CT_TURRETBULLET", value));
    EXPECT_EQ(value, CT_TURRETBULLET);
    EXPECT_EQ(FileManager::Convert("CT_GRAPHICS"), CT_GRAPHICS);
    EXPECT_EQ(FileManager::Convert("CT_NOTHING"), COMPONENTS_ERRORVALUE);

    // Every value has exactly its one name, and the names read back.
    for (int v = 0; v < COMPONENT_TYPE_COUNT; ++v) {
        Components back = COMPONENTS_ERRORVALUE;
        ASSERT_TRUE(StringToComponents(ComponentsToString(v), back)) << v;
        EXPECT_EQ(back, v);
    }
    // Asking again never refills.
    FillComponentsNameTable();
    EXPECT_EQ(GetComponentsNameTable().size(), 46u);
}

TEST(TypeNamesTest, ObjectTypes)
{
    EXPECT_EQ(GetObjectTypeNameTable().size(), 59u);
    EXPECT_EQ(ObjectTypeToString(0), "OBJECTTYPE_ERRORVALUE");
    EXPECT_EQ(ObjectTypeToString(1), "DEFAULT");
    EXPECT_EQ(ObjectTypeToString(12), "EXIT_MARKER");
    EXPECT_EQ(ObjectTypeToString(25), "MOVE_X");
    EXPECT_EQ(ObjectTypeToString(45), "CRATEFORCEFIELD");
    EXPECT_EQ(ObjectTypeToString(58), "CONTROLLERWAIT");
    EXPECT_EQ(ObjectTypeToString(59), "");
    for (int v = 0; v < OBJECT_TYPE_COUNT; ++v) {
        ObjectType back = OBJECTTYPE_ERRORVALUE;
        ASSERT_TRUE(StringToObjectType(ObjectTypeToString(v), back)) << v;
        EXPECT_EQ(back, v);
    }
    ObjectType t = CRATE;
    EXPECT_FALSE(StringToObjectType("Crate", t));
    EXPECT_EQ(t, CRATE);
}

TEST(TypeNamesTest, SmallTables)
{
    PrimitiveType p = PR_SPHERE;
    EXPECT_TRUE(StringToPrimitiveType("PR_PLANE", p));
    EXPECT_EQ(p, PR_PLANE);
    EXPECT_EQ(PrimitiveTypeToString(PR_BOX), "PR_BOX");
    EXPECT_EQ(GetPrimitiveTypeNameTable().size(), 3u);

    ForceGeneratorType f = FG_GRAVITY;
    EXPECT_TRUE(StringToForceGeneratorType("FG_BOUYANCY", f));
    EXPECT_EQ(f, FG_BOUYANCY);
    EXPECT_EQ(ForceGeneratorTypeToString(FG_DRAG), "FG_DRAG");
    EXPECT_EQ(ForceGeneratorTypeToString(4), "");

    SteerGeneratorType s = SG_SEEK;
    EXPECT_TRUE(StringToSteerGeneratorType("SG_ARRIVE", s));
    EXPECT_EQ(s, SG_ARRIVE);
    EXPECT_EQ(SteerGeneratorTypeToString(SG_SPRING), "SG_SPRING");

    AIType a = AI_PATROL;
    EXPECT_FALSE(StringToAIType("AI_FLEE", a));
    EXPECT_EQ(a, AI_PATROL);
    EXPECT_EQ(AITypeToString(AI_SMASHER), "AI_SMASHER");
    EXPECT_EQ(AITypeToString(AI_CHASE), "AI_CHASE");

    // A value with two names has no single name.
    AddAITypeName("AI_TWIN_A", 70);
    AddAITypeName("AI_TWIN_B", 70);
    EXPECT_EQ(AITypeToString(70), "");
    // Adding keeps an existing name's value.
    AddAITypeName("AI_PATROL", 5);
    EXPECT_EQ(AITypeToString(AI_PATROL), "AI_PATROL");
}

class FactoryTest : public ObjectFixture
{
};

TEST_F(FactoryTest, DuplicateKeyAssertsKeepsTheFirstAndDeletesTheSecond)
{
    FactoryMap<Component>& factories = manager->GetFactories();
    FactoryPlant<Component>* first = factories.at(CT_GRAPHICS);
    testing::internal::CaptureStdout();
    bool stored =
        FactoryRegister<Component>(new Factory<Component, RecorderComponent<CT_PHYSICS>>(CT_GRAPHICS), factories);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(stored);
    EXPECT_EQ(factories.at(CT_GRAPHICS), first);
    EXPECT_NE(out.find("Failed Condition: it == factoryList.end()"), std::string::npos);
    EXPECT_NE(out.find("QRX::FactoryRegister"), std::string::npos);
}

TEST_F(FactoryTest, CreateAndDestroy)
{
    FactoryPlant<Component>* factory = manager->GetFactories().at(CT_DOOR);
    EXPECT_EQ(factory->key, CT_DOOR);
    Component* c = factory->Create();
    ASSERT_NE(dynamic_cast<ProbeComponent*>(c), nullptr);
    EXPECT_EQ(c->type, CT_DOOR);
    EXPECT_EQ(c->owner, nullptr);
    EXPECT_EQ(c->serializeVars.size(), 9u);
    factory->Destroy(c);
    factory->Destroy(nullptr);
    EXPECT_EQ(Calls().back(), "8:~");
}

void RegisterProbe(FactoryMap<Component>& factories)
{
    Calls().push_back("probe");
    FactoryRegister<Component>(new Factory<Component, ProbeComponent>(CT_DOOR), factories);
}

void RegisterNothing(FactoryMap<Component>&) { Calls().push_back("nothing"); }

TEST(ObjectStartupTest, ComponentRegistrationsRunInOrderIntoTheObjectManager)
{
    Calls().clear();
    Door().componentRegistrations = {RegisterNothing, RegisterProbe, nullptr};
    // No object manager: no registration runs.
    RegisterComponentFactories();
    EXPECT_TRUE(Calls().empty());

    System* system = System::GetInstance();
    system->objectManager = new ObjectManager();
    RegisterComponentFactories();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"nothing", "probe"}));
    ASSERT_EQ(system->objectManager->GetFactories().size(), 1u);
    EXPECT_EQ(system->objectManager->GetFactories().count(CT_DOOR), 1u);
    DestroySlot(system->objectManager);
    System::DestroyInstance();
    InstallProgramParts();
}

TEST(ObjectStartupTest, TheProgramRegistersEveryComponentClassOnce)
{
    InstallProgramParts();
    System* system = System::GetInstance();
    system->objectManager = new ObjectManager();
    RegisterComponentFactories();
    const FactoryMap<Component>& factories = system->objectManager->GetFactories();
    for (int type = CT_GRAPHICS; type <= CT_CONTROLLERWAIT; ++type) {
        if (type == CT_BLACKHOLE) {
            EXPECT_EQ(factories.count(type), 0u);
            continue;
        }
        ASSERT_EQ(factories.count(type), 1u) << ComponentsToString(type);
        EXPECT_EQ(factories.at(type)->key, type);
    }
    EXPECT_EQ(factories.size(), 44u);
    DestroySlot(system->objectManager);
    System::DestroyInstance();
}

TEST(ObjectStartupTest, RegistrationWithoutManagersDoesNothing)
{
    RegisterForceGeneratorFactories();
    RegisterSteerGeneratorFactories();
    RegisterComponentFactories();
    RegisterPrimitiveFactories();
    System::DestroyInstance();
}

} // namespace
