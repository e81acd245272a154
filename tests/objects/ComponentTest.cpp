// Serialised fields of components: reading, writing against the master,
// comparing and copying, with a component holding all seven value types.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;

namespace {

class ComponentTest : public ObjectFixture
{
protected:
    // Reads a component's field elements from "<Component>...</Component>".
    void ReadInto(Component& c, const std::string& fields)
    {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(("<Component>" + fields + "</Component>").c_str()), tinyxml2::XML_SUCCESS);
        c.Read(doc.RootElement()->FirstChildElement());
    }
    // Writes a component against a master under an object and returns the
    // text of the document.
    std::string WriteAgainst(Component& c, const Component* master)
    {
        fm->BeginWrite("level");
        fm->WriteParent("Object");
        fm->WriteChild("Type");
        fm->WriteValue("CRATE");
        c.Write(master);
        fm->WriteSibling("After");
        return fm->RenderCommands();
    }
    // The Component element written by WriteAgainst, or null.
    const tinyxml2::XMLElement* WrittenComponent(tinyxml2::XMLDocument& doc, Component& c, const Component* master)
    {
        std::string text = WriteAgainst(c, master);
        EXPECT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        return doc.RootElement()->FirstChildElement("Object")->FirstChildElement("Component");
    }
    static std::vector<std::string> ChildNames(const tinyxml2::XMLElement* e)
    {
        std::vector<std::string> names;
        for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            names.push_back(c->Name());
        return names;
    }
};

TEST_F(ComponentTest, EqualToMasterWritesNothing)
{
    ProbeComponent c, master;
    tinyxml2::XMLDocument doc;
    EXPECT_EQ(WrittenComponent(doc, c, &master), nullptr);
    // The cursor stays at the object: the next sibling lands after Type.
    EXPECT_EQ(ChildNames(doc.RootElement()->FirstChildElement("Object")),
              (std::vector<std::string>{"Type", "After"}));
    // No master: nothing either.
    EXPECT_EQ(WrittenComponent(doc, c, nullptr), nullptr);
}

TEST_F(ComponentTest, OneChangeWritesTypeAndThatFieldThenReturns)
{
    ProbeComponent c, master;
    c.m_count = 7;
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* comp = WrittenComponent(doc, c, &master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Count"}));
    EXPECT_STREQ(comp->FirstChildElement("Type")->GetText(), "CT_DOOR");
    EXPECT_STREQ(comp->FirstChildElement("Count")->GetText(), "7");
    // Back at the object's level afterwards.
    EXPECT_EQ(ChildNames(doc.RootElement()->FirstChildElement("Object")),
              (std::vector<std::string>{"Type", "Component", "After"}));
}

TEST_F(ComponentTest, EveryTypeRoundTripsThroughText)
{
    ProbeComponent c, master, back;
    c.m_speed = -0.25f;
    c.m_name = "hatch";
    c.m_open = true;
    c.m_target = CT_CONTROLLERWAIT;
    c.m_count = 4000000000u;
    c.m_offset = Vec3(0.5f, -2.0f, 1e-3f);
    c.m_id = -42;
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* comp = WrittenComponent(doc, c, &master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp),
              (std::vector<std::string>{"Type", "Speed", "Name", "Open", "Target", "Count", "Offset", "Id"}));
    EXPECT_STREQ(comp->FirstChildElement("Open")->GetText(), "true");
    EXPECT_STREQ(comp->FirstChildElement("Target")->GetText(), "CT_CONTROLLERWAIT");
    EXPECT_STREQ(comp->FirstChildElement("Offset")->GetText(), "0.5 -2 0.001");
    back.Read(comp->FirstChildElement("Type")->NextSiblingElement());
    EXPECT_TRUE(back.IsEqual(&c));
    EXPECT_EQ(back.m_count, 4000000000u);
    EXPECT_EQ(back.m_id, -42);
}

TEST_F(ComponentTest, FloatsKeepSixDigitsAndStringsTheirFirstWord)
{
    ProbeComponent c, master, back;
    c.m_speed = 1.23456789f;
    c.m_name = "big door";
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* comp = WrittenComponent(doc, c, &master);
    ASSERT_NE(comp, nullptr);
    EXPECT_STREQ(comp->FirstChildElement("Speed")->GetText(), "1.23457");
    EXPECT_STREQ(comp->FirstChildElement("Name")->GetText(), "big");
    back.Read(comp->FirstChildElement("Type")->NextSiblingElement());
    EXPECT_FLOAT_EQ(back.m_speed, 1.23457f);
    EXPECT_EQ(back.m_name, "big");

    ReadInto(back, "<Name>  two words</Name>");
    EXPECT_EQ(back.m_name, "two");
}

TEST_F(ComponentTest, ClearedStringSurvivesASaveAndReload)
{
    ProbeComponent c, master, back;
    c.m_name.clear();  // cleared in the editor; the master says "door"
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* comp = WrittenComponent(doc, c, &master);
    ASSERT_NE(comp, nullptr);
    const tinyxml2::XMLElement* name = comp->FirstChildElement("Name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetText(), nullptr);

    // Loading copies the master first, then reads the object's fields.
    back.CopyFrom(&master);
    back.Read(comp->FirstChildElement("Type")->NextSiblingElement());
    EXPECT_EQ(back.m_name, "");
    EXPECT_TRUE(back.IsEqual(&c));

    // Blanks only are an empty string too; numbers without text stay absent.
    back.m_name = "door";
    ReadInto(back, "<Name>   </Name><Id></Id>");
    EXPECT_EQ(back.m_name, "");
    EXPECT_EQ(back.m_id, master.m_id);
}

TEST_F(ComponentTest, GroupIsWrittenFromItsFirstDifferenceWithChildrenReversed)
{
    ProbeComponent c, master;
    c.m_min = 1.0f;  // the first field of the group differs: both go out
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* comp = WrittenComponent(doc, c, &master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Range"}));
    EXPECT_EQ(ChildNames(comp->FirstChildElement("Range")), (std::vector<std::string>{"Max", "Min"}));
    EXPECT_STREQ(comp->FirstChildElement("Range")->FirstChildElement("Min")->GetText(), "1");

    // Only the second differs: the group holds only the fields from it on.
    ProbeComponent d;
    d.m_max = 5.0f;
    d.m_id = 9;
    tinyxml2::XMLDocument doc2;
    comp = WrittenComponent(doc2, d, &master);
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(ChildNames(comp), (std::vector<std::string>{"Type", "Range", "Id"}));
    EXPECT_EQ(ChildNames(comp->FirstChildElement("Range")), (std::vector<std::string>{"Max"}));
}

TEST_F(ComponentTest, GroupReadsByNameAndLeavesOutsideFillGroupedRecords)
{
    ProbeComponent c;
    ReadInto(c, "<Range>ignored<Max>8</Max><Min>2</Min></Range>");
    EXPECT_FLOAT_EQ(c.m_min, 2.0f);
    EXPECT_FLOAT_EQ(c.m_max, 8.0f);

    ProbeComponent d;
    ReadInto(d, "<Max>6</Max><Other><Min>3</Min></Other>");
    EXPECT_FLOAT_EQ(d.m_max, 6.0f);  // a leaf answers to a grouped record's own name
    EXPECT_FLOAT_EQ(d.m_min, 0.0f);  // a group of another name does not
}

TEST_F(ComponentTest, UnknownRepeatedAndEmptyElements)
{
    ProbeComponent c;
    ReadInto(c, "<Id>4</Id><Id>5</Id><Sped>9</Sped><Count></Count><Offset/><Open>True</Open>");
    EXPECT_EQ(c.m_id, 4);               // one Id record: the second element is ignored
    EXPECT_FLOAT_EQ(c.m_speed, 1.5f);   // misspelt name ignored
    EXPECT_EQ(c.m_count, 3u);           // empty element reads as absent
    EXPECT_EQ(c.m_offset, Vec3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(c.m_open);             // only "true" and "1" are true

    // Done flags are cleared after the pass: a second read fills again.
    ReadInto(c, "<Id>6</Id><Open>1</Open>");
    EXPECT_EQ(c.m_id, 6);
    EXPECT_TRUE(c.m_open);

    c.Read(nullptr);  // a Component element with only its Type
    EXPECT_EQ(c.m_id, 6);
}

TEST_F(ComponentTest, ComponentTypeFieldsTakeNamesAndUnknownGivesZero)
{
    ProbeComponent c;
    ReadInto(c, "<Target>CT_GRAPHICS</Target>");
    EXPECT_EQ(c.m_target, CT_GRAPHICS);
    testing::internal::CaptureStdout();
    ReadInto(c, "<Target>ct_graphics</Target>");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.m_target, COMPONENTS_ERRORVALUE);
    EXPECT_NE(out.find("File manager convert components: ct_graphics was not correctly converted"),
              std::string::npos);
}

TEST_F(ComponentTest, CompareAndCopy)
{
    ProbeComponent a, b;
    EXPECT_TRUE(a.IsEqual(nullptr));
    EXPECT_TRUE(a.IsEqual(&b));
    b.m_offset.z = 0.5f;
    EXPECT_FALSE(a.IsEqual(&b));
    b.m_name = "x";
    b.m_target = CT_WALL;
    b.m_max = -1.0f;
    a.CopyFrom(nullptr);
    EXPECT_EQ(a.m_name, "door");
    a.CopyFrom(&b);
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_EQ(a.m_target, CT_WALL);
    EXPECT_EQ(a.owner, nullptr);  // only the fields are copied
    EXPECT_EQ(a.editorVars.size(), 1u);
    EXPECT_EQ(a.editorVars[0]->member, &a.m_speed);

    // Records of another class never pair.
    RecorderComponent<CT_GRAPHICS> none;
    EXPECT_FALSE(a.IsEqual(&none));
    a.CopyFrom(&none);
    EXPECT_EQ(a.m_name, "x");
    EXPECT_TRUE(none.IsEqual(&a));  // a component without fields equals anything
}

} // namespace
