// The AI component in files (reading, bad input, writing into a level and
// back), comparison and copies, its timed life and its touch, and the
// masters that carry the enemy's and the marker's components.
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
    ReadInto(*AI(enemy), "<Other>1 1 1</Other><AI><Type>AI_CHASE</Type><Waypoint>1.5 1 2.5</Waypoint>"
                         "<Waypoint>-3 0.25 4</Waypoint><Waypoint> 7  8\t9 </Waypoint></AI>");
    EXPECT_EQ(AI(enemy)->GetAIType(), AI_CHASE);
    EXPECT_EQ(Patrol(enemy).GetWaypoints(),
              (Waypoints{glm::vec3(1.5f, 1.0f, 2.5f), glm::vec3(-3.0f, 0.25f, 4.0f), glm::vec3(7, 8, 9)}));

    Files()->BeginWrite("level");
    enemy->Write();
    Files()->WriteSibling("After");  // what follows must stand beside the component
    const std::string text = Files()->RenderCommands();
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    const tinyxml2::XMLElement* object = doc.RootElement()->FirstChildElement("Object");
    const tinyxml2::XMLElement* component = object ? object->FirstChildElement("Component") : nullptr;
    const tinyxml2::XMLElement* ai = component ? component->FirstChildElement("AI") : nullptr;
    ASSERT_NE(ai, nullptr) << text;
    EXPECT_STREQ(component->FirstChildElement("Type")->GetText(), "CT_AI");
    EXPECT_STREQ(ai->FirstChildElement("Type")->GetText(), "AI_CHASE");
    std::vector<std::string> written;
    for (const tinyxml2::XMLElement* w = ai->FirstChildElement("Waypoint"); w; w = w->NextSiblingElement("Waypoint"))
        written.push_back(w->GetText());
    EXPECT_EQ(written, (std::vector<std::string>{"1.5 1 2.5", "-3 0.25 4", "7 8 9"}));
    EXPECT_NE(object->FirstChildElement("After"), nullptr) << text;

    // Bad input: the kind stays on an unknown name, a waypoint without three
    // numbers is skipped, each with a warning; a later "AI" replaces the list.
    ReadInto(*AI(enemy), "<AI><Waypoint>1 2 3</Waypoint></AI><AI><Type>AI_NOSUCH</Type><Waypoint>1 2</Waypoint>"
                         "<Waypoint>x y z</Waypoint><Waypoint/><Waypoint>4 5 6</Waypoint>"
                         "<Waypoint>1e60 0 0</Waypoint></AI>");
    EXPECT_EQ(AI(enemy)->GetAIType(), AI_CHASE);
    EXPECT_EQ(Patrol(enemy).GetWaypoints(), (Waypoints{glm::vec3(4, 5, 6)}));
    EXPECT_EQ(TestSupport::Count(LogPage(), "Unknown AI type"), 1u);
    EXPECT_EQ(TestSupport::Count(LogPage(), "is not three numbers"), 4u);
    // No waypoints, whatever the kind: equal to the master, nothing written.
    ReadInto(*AI(enemy), "<AI/>");
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
    EXPECT_EQ(lists, (std::vector<Waypoints>{first, second}));
}

TEST_F(AIComponentTest, EqualityLooksAtWaypointsExactlyAndCopiesTakeOnlyTheKind)
{
    AIComponent a, b;
    a.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, 6)});
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, 6)});
    b.SetAIType(AI_CHASE);
    EXPECT_TRUE(a.IsEqual(&b));
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3), glm::vec3(4, 5, std::nextafter(6.0f, 7.0f))});
    EXPECT_FALSE(a.IsEqual(&b));
    b.GetPatrol().SetWaypoints({glm::vec3(1, 2, 3)});
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
    copy.CopyFrom(&chase);  // another class: nothing
    EXPECT_EQ(copy.GetAIType(), AI_CHASE);
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

    // Untimed, a limit passed long ago means nothing.
    GameObject* lasting = MakeEnemy(glm::vec3(2.5f, 1.5f, 1.5f));
    AI(lasting)->SetLifeLimit(0.0f);
    for (int update = 0; update < 100; ++update) AI(lasting)->Update();
    EXPECT_FALSE(Marked(lasting));

    AI(lasting)->OnCollision(nullptr);
    AI(lasting)->OnCollision(Make(CRATE, glm::vec3(0.0f)));
    EXPECT_EQ(gsm.GetRequestedState(), gsm.GetCurrentState());
    AI(lasting)->OnCollision(MakePlayer(glm::vec3(0.0f)));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_GAMERETRYMENU);
    EXPECT_NE(LogEntry("walked into patrol " + std::to_string(lasting->id) + " at (2.50, 1.50, 1.50)"), "");
}

TEST_F(AIComponentTest, TheMastersCarryTheirComponents)
{
    GameObject* enemy = Make(ENEMY, glm::vec3(0.0f));
    ASSERT_NE(AI(enemy), nullptr);
    EXPECT_EQ(AI(enemy)->GetAIType(), AI_PATROL);
    EXPECT_TRUE(Patrol(enemy).GetWaypoints().empty());
    EXPECT_NE(GetGravityGenerator(enemy), nullptr);
    EXPECT_EQ(Graphics(enemy)->GetTextureName(), "enemy");

    GameObject* marker = Make(WAYPOINT, glm::vec3(0.0f));
    auto* waypoint = dynamic_cast<WaypointComponent*>(marker->GetComponent(CT_WAYPOINT));
    ASSERT_NE(waypoint, nullptr);
    EXPECT_EQ(waypoint->GetEnemy(), nullptr);
    EXPECT_EQ(GetCollisionComponent(marker), nullptr);
}

} // namespace
