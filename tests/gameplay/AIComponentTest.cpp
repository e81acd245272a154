// The AI component in files (reading, writing into a level and back,
// comparison and copies), its timed life and its touch, the chase and
// waypoint components, and the ENEMY and WAYPOINT masters.
#include <gtest/gtest.h>

#include <cmath>

#include <tinyxml2.h>

#include "game/gameplay/WaypointComponent.h"
#include "gameplay/AITestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

using Waypoints = std::vector<glm::vec3>;

class AIComponentTest : public AITest
{
protected:
    // Reads a component's field elements from text.
    static void ReadInto(Component& component, const char* text)
    {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(text), tinyxml2::XML_SUCCESS) << text;
        component.Read(doc.FirstChildElement());
    }
    FileManager* Files() { return System::GetInstance()->fileManager; }
};

TEST_F(AIComponentTest, WaypointsReadInDocumentOrderAndWriteBackAsThreeNumbers)
{
    GameObject* enemy = Make(ENEMY, glm::vec3(2.5f, 1.5f, 2.5f));
    ReadInto(*AI(enemy), "<Other>1 1 1</Other>"
                         "<AI><Type>AI_CHASE</Type><Waypoint>1.5 1 2.5</Waypoint>"
                         "<Waypoint>-3 0.25 4</Waypoint><Waypoint> 7  8\t9 </Waypoint></AI>");
    EXPECT_EQ(AI(enemy)->GetAIType(), AI_CHASE);
    const Waypoints read = Patrol(enemy).GetWaypoints();
    EXPECT_EQ(read, (Waypoints{glm::vec3(1.5f, 1.0f, 2.5f), glm::vec3(-3.0f, 0.25f, 4.0f), glm::vec3(7, 8, 9)}));

    Files()->BeginWrite("level");
    enemy->Write();
    // What follows the component stands beside it, in the object.
    Files()->WriteSibling("After");
    const std::string text = Files()->RenderCommands();
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    const tinyxml2::XMLElement* object = doc.RootElement()->FirstChildElement("Object");
    ASSERT_NE(object, nullptr) << text;
    const tinyxml2::XMLElement* component = object->FirstChildElement("Component");
    ASSERT_NE(component, nullptr) << text;
    EXPECT_STREQ(component->FirstChildElement("Type")->GetText(), "CT_AI");
    EXPECT_EQ(component->NextSiblingElement("Component"), nullptr) << text;
    const tinyxml2::XMLElement* ai = component->FirstChildElement("AI");
    ASSERT_NE(ai, nullptr) << text;
    EXPECT_STREQ(ai->FirstChildElement("Type")->GetText(), "AI_CHASE");
    std::vector<std::string> written;
    for (const tinyxml2::XMLElement* w = ai->FirstChildElement("Waypoint"); w; w = w->NextSiblingElement("Waypoint"))
        written.push_back(w->GetText());
    EXPECT_EQ(written, (std::vector<std::string>{"1.5 1 2.5", "-3 0.25 4", "7 8 9"}));
    EXPECT_NE(object->FirstChildElement("After"), nullptr) << text;

    // A second "AI" element replaces the list; an empty one empties it.
    ReadInto(*AI(enemy), "<AI><Waypoint>1 2 3</Waypoint></AI><AI><Waypoint>4 5 6</Waypoint></AI>");
    EXPECT_EQ(Patrol(enemy).GetWaypoints(), (Waypoints{glm::vec3(4, 5, 6)}));
    ReadInto(*AI(enemy), "<AI/>");
    EXPECT_TRUE(Patrol(enemy).GetWaypoints().empty());
    // No waypoints, whatever the kind: equal to the master, nothing written.
    Files()->BeginWrite("level");
    AI(enemy)->Write(objects->GetMasterObject(ENEMY)->GetComponent(CT_AI));
    EXPECT_EQ(Files()->writeCommands.size(), 1u);
}

TEST_F(AIComponentTest, TwoEnemiesWrittenIntoOneLevelKeepTheirOwnWaypoints)
{
    const Waypoints first = {glm::vec3(1.5f, 1.5f, 1.5f), glm::vec3(5.5f, 1.5f, 1.5f)};
    const Waypoints second = {glm::vec3(2.5f, 1.5f, 7.5f), glm::vec3(0.125f, 3.0f, -4.5f), glm::vec3(6, 1.5f, 6)};
    GameObject* a = MakeEnemy(glm::vec3(1.5f, 1.5f, 1.5f), first);
    GameObject* b = MakeEnemy(glm::vec3(2.5f, 1.5f, 7.5f), second);
    Files()->BeginWrite("level");
    a->Write();
    b->Write();
    const std::string path = home.Path() + "/two.xml";
    ASSERT_TRUE(Files()->SaveFile(path));

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS);
    std::vector<Waypoints> lists;
    for (const tinyxml2::XMLElement* e = doc.RootElement()->FirstChildElement("Object"); e;
         e = e->NextSiblingElement("Object")) {
        GameObject* copy = Make(ENEMY, glm::vec3(0.0f));
        copy->Read(e->FirstChildElement());
        lists.push_back(Patrol(copy).GetWaypoints());
    }
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0], first);
    EXPECT_EQ(lists[1], second);
}

TEST_F(AIComponentTest, BadWaypointsAreSkippedAndAnUnknownKindKeepsTheKind)
{
    AIComponent ai;
    ai.SetAIType(AI_SMASHER);
    ReadInto(ai, "<AI><Type>AI_NOSUCH</Type><Waypoint>1 2</Waypoint><Waypoint>x y z</Waypoint>"
                 "<Waypoint/><Waypoint>4 5 6</Waypoint><Waypoint>1e60 0 0</Waypoint><Type/></AI>");
    EXPECT_EQ(ai.GetAIType(), AI_SMASHER);
    EXPECT_EQ(ai.GetPatrol().GetWaypoints(), (Waypoints{glm::vec3(4, 5, 6)}));
    const std::string page = LogPage();
    EXPECT_EQ(TestSupport::Count(page, "Unknown AI type"), 2u);
    EXPECT_EQ(TestSupport::Count(page, "is not three numbers"), 4u);
    ai.Read(nullptr);
    EXPECT_EQ(ai.GetPatrol().GetWaypoints().size(), 1u);
}

TEST_F(AIComponentTest, EqualityLooksAtWaypointsExactlyAndCopiesTakeOnlyTheKind)
{
    AIComponent a, b;
    a.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, 6)});
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, 6)});
    b.SetAIType(AI_CHASE);
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_TRUE(a.IsEqual(nullptr));
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, std::nextafter(6.0f, 7.0f))});
    EXPECT_FALSE(a.IsEqual(&b));
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3)});
    EXPECT_FALSE(a.IsEqual(&b));
    b.GetPatrol().SetWaypoints({glm::vec3(4, 5, 6), glm::vec3(1, 2, 3)});
    EXPECT_FALSE(a.IsEqual(&b));
    AIChaseComponent chase;
    EXPECT_FALSE(a.IsEqual(&chase));

    b.SetTimed(true);
    b.SetLifeLimit(8.0f);
    AIComponent copy;
    copy.CopyFrom(&b);
    EXPECT_EQ(copy.GetAIType(), AI_CHASE);
    EXPECT_TRUE(copy.GetPatrol().GetWaypoints().empty());
    EXPECT_FALSE(copy.IsTimed());
    EXPECT_EQ(copy.GetLifeLimit(), AIComponent::DEFAULT_LIFE_LIMIT);
    copy.CopyFrom(&chase);
    copy.CopyFrom(nullptr);
    EXPECT_EQ(copy.GetAIType(), AI_CHASE);

    // The chase component copies its kind and nothing else; it writes nothing.
    AIChaseComponent other;
    other.CopyFrom(&copy);
    EXPECT_EQ(other.GetAIType(), AI_CHASE);
    Files()->BeginWrite("level");
    other.Write(&chase);
    EXPECT_EQ(Files()->writeCommands.size(), 1u);
}

TEST_F(AIComponentTest, ATimedEnemyGoesOnTheUpdateAfterItsLimitAndATouchAsksForTheRetryMenu)
{
    GameObject* enemy = MakeEnemy(glm::vec3(1.5f, 1.5f, 1.5f));
    AI(enemy)->SetTimed(true);
    AI(enemy)->SetLifeLimit(8.0f);
    for (int update = 1; update <= 256; ++update) {
        AI(enemy)->Update();
        ASSERT_FALSE(Marked(enemy)) << update;
    }
    AI(enemy)->Update();
    EXPECT_TRUE(Marked(enemy));

    // Untimed, the limit means nothing.
    GameObject* lasting = MakeEnemy(glm::vec3(2.5f, 1.5f, 1.5f));
    AI(lasting)->SetLifeLimit(0.0f);
    for (int update = 0; update < 100; ++update) AI(lasting)->Update();
    EXPECT_FALSE(Marked(lasting));
    EXPECT_EQ(AI(lasting)->GetLifeTimer(), 0.0f);

    GameObject* crate = Make(CRATE, glm::vec3(0.0f));
    AI(lasting)->OnCollision(nullptr);
    AI(lasting)->OnCollision(crate);
    EXPECT_EQ(gsm.GetRequestedState(), gsm.GetCurrentState());
    AI(lasting)->OnCollision(MakePlayer(glm::vec3(0.0f)));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_GAMERETRYMENU);
}

TEST_F(AIComponentTest, TheMastersCarryTheirComponents)
{
    GameObject* enemy = Make(ENEMY, glm::vec3(0.0f));
    ASSERT_NE(AI(enemy), nullptr);
    EXPECT_EQ(AI(enemy)->GetAIType(), AI_PATROL);
    EXPECT_TRUE(Patrol(enemy).GetWaypoints().empty());
    EXPECT_FALSE(AI(enemy)->IsTimed());
    ASSERT_NE(Body(enemy), nullptr);
    EXPECT_EQ(Body(enemy)->inverseMass, 1.0f);
    ASSERT_NE(GetGravityGenerator(enemy), nullptr);
    EXPECT_EQ(Graphics(enemy)->GetMeshName(), "robot");
    EXPECT_EQ(Graphics(enemy)->GetTextureName(), "enemy");
    ASSERT_NE(GetCollisionComponent(enemy), nullptr);
    EXPECT_TRUE(GetCollisionComponent(enemy)->autoResolve);

    GameObject* marker = Make(WAYPOINT, glm::vec3(0.0f));
    auto* waypoint = dynamic_cast<WaypointComponent*>(marker->GetComponent(CT_WAYPOINT));
    ASSERT_NE(waypoint, nullptr);
    EXPECT_EQ(waypoint->GetEnemy(), nullptr);
    EXPECT_EQ(GetCollisionComponent(marker), nullptr);
    EXPECT_EQ(Graphics(marker)->GetTextureName(), "yellow");
    waypoint->SetEnemy(enemy);
    Files()->BeginWrite("level");
    marker->Write();
    EXPECT_EQ(Files()->RenderCommands().find("CT_WAYPOINT"), std::string::npos);
}

} // namespace
