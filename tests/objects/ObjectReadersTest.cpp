// The file manager's object readers: a level's objects and master files.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;

namespace {

class ObjectReadersTest : public ObjectFixture
{
protected:
    void SetUp() override
    {
        ObjectFixture::SetUp();
        dir = TestSupport::MakeTempDir("zendra-objects");
    }
    void TearDown() override
    {
        ObjectFixture::TearDown();
        TestSupport::RemoveTree(dir);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(TestSupport::WriteFile(path, text));
        return path;
    }
    std::string dir;
};

TEST_F(ObjectReadersTest, LevelObjectsCarryTheMasterAndTheirOverrides)
{
    std::string level = Write("level.xml",
                              "<level><Map><Row>3</Row><Column>4</Column><Height>1</Height></Map>"
                              "<Object><Type>CRATE</Type><Position>1 0 2</Position><Rotation>0 0 90</Rotation>"
                              "<Component><Type>CT_DOOR</Type><Id>5</Id><Range><Max>3</Max></Range></Component>"
                              "</Object>"
                              "<Object><Position>9 9 9</Position></Object>"
                              "<Object><Type>NOTATYPE</Type></Object>"
                              "<Object><Type/></Object>"
                              "<Object><Type>TURRET</Type></Object>"
                              "<Thing><Type>WALL</Type><SkipDraw>false</SkipDraw></Thing>"
                              "</level>");
    ASSERT_TRUE(fm->OpenFile(level));
    testing::internal::CaptureStdout();
    fm->ReadObjects();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("does not start with Type"), std::string::npos);
    EXPECT_NE(out.find("unknown type \"NOTATYPE\""), std::string::npos);
    EXPECT_NE(out.find("TURRET.xml file cannot be opened!"), std::string::npos);

    GameObjectGroup objects = manager->GetAllObjects();
    ASSERT_EQ(objects.size(), 2u);
    GameObject* crate = objects[0];
    EXPECT_EQ(crate->type, CRATE);
    EXPECT_EQ(crate->id, 1);
    EXPECT_EQ(crate->position, glm::vec3(1, 0, 2));
    EXPECT_EQ(crate->previousPosition, glm::vec3(0.0f));  // the master's
    EXPECT_NEAR(crate->rotation.z, 0.7071068f, 1e-6f);
    auto* door = static_cast<ProbeComponent*>(crate->GetComponent(CT_DOOR));
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->m_id, 5);
    EXPECT_FLOAT_EQ(door->m_max, 3.0f);
    EXPECT_FLOAT_EQ(door->m_speed, 2.5f);  // from the master
    EXPECT_NE(crate->GetComponent(CT_GRAPHICS), nullptr);

    GameObject* wall = objects[1];  // any element name after the first Object is an object
    EXPECT_EQ(wall->type, WALL);
    EXPECT_FALSE(wall->flags & OBJ_SKIP_DRAW);
    EXPECT_EQ(wall->position, glm::vec3(1, 2, 3));

    // The master of WALL stays untouched by the instance's overrides.
    EXPECT_TRUE(manager->GetMasterObject(WALL)->flags & OBJ_SKIP_DRAW);
}

TEST_F(ObjectReadersTest, ReadObjectsWithoutObjectsDoesNothing)
{
    std::string level = Write("empty.xml", "<level><Map><Row>1</Row></Map></level>");
    ASSERT_TRUE(fm->OpenFile(level));
    fm->ReadObjects();
    EXPECT_TRUE(manager->GetAllObjects().empty());
}

TEST_F(ObjectReadersTest, MasterFileMakesOneMasterUnderItsType)
{
    std::string path = Write("m.xml",
                             "<MasterObject><Object><Type>SPHERE</Type><Scale>2 2 2</Scale>"
                             "<Component><Type>CT_GRAPHICS</Type></Component></Object>"
                             "<Object><Type>LINK</Type><Position>1 1 1</Position></Object></MasterObject>");
    ASSERT_TRUE(fm->OpenFile(path));
    testing::internal::CaptureStdout();
    GameObject* master = fm->ReadMasterObject();
    std::string out = testing::internal::GetCapturedStdout();
    fm->CloseFile(path);
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(CountOf(out, "Creating master object"), 1u);
    // One object; the last Type names it and the later entry adds to it.
    EXPECT_EQ(master->type, LINK);
    EXPECT_EQ(master->scale, glm::vec3(2.0f));
    EXPECT_EQ(master->position, glm::vec3(1.0f));
    EXPECT_EQ(manager->FindMasterObject(LINK), master);
    EXPECT_EQ(manager->FindMasterObject(SPHERE), nullptr);
    EXPECT_EQ(master->flags, 0u);

    // The same file again finds the master there and makes nothing new.
    ASSERT_TRUE(fm->OpenFile(path));
    testing::internal::CaptureStdout();
    GameObject* again = fm->ReadMasterObject();
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(again, master);
}

TEST_F(ObjectReadersTest, MasterWhoseFileNamesAnotherLoadedType)
{
    ASSERT_NE(manager->CreateInstance(WALL, glm::vec3(0.0f)), nullptr);
    // LINK.xml describes a WALL, whose master exists: that one comes back.
    std::string folder = dir + "/";
    Write("LINK.xml", "<MasterObject><Object><Type>WALL</Type></Object></MasterObject>");
    manager->SetObjectFolder(folder);
    GameObject* obj = manager->CreateInstance(LINK, glm::vec3(0.0f));
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->type, WALL);
}

TEST_F(ObjectReadersTest, NoMasterFileOpen)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(fm->ReadMasterObject(), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Objects data section is empty!"), std::string::npos);
}

} // namespace
