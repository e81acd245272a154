#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class FileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = TestSupport::MakeTempDir("zendra-xml");
        System::GetInstance()->logger = new Logger();
    }
    void TearDown() override
    {
        delete System::GetInstance()->logger;
        System::GetInstance()->logger = nullptr;
        System::DestroyInstance();
        TestSupport::RemoveTree(m_dir);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = m_dir + "/" + name;
        TestSupport::WriteFile(path, text);
        return path;
    }
    std::string OpenAndFlatten(FileManager& fm, const std::string& name, const std::string& text)
    {
        std::string path = Write(name, text);
        EXPECT_TRUE(fm.OpenFile(path));
        fm.ReadGenericData(path);
        return path;
    }
    TestSupport::ScopedTempHome m_home;
    std::string m_dir;
};

TEST_F(FileManagerTest, CatalogueKeysPerEntry)
{
    FileManager fm;
    std::string p = OpenAndFlatten(fm, "meshes.xml",
                                   "<Meshes><Mesh><MeshId>cubey</MeshId><Path>a.bin</Path></Mesh>"
                                   "<Mesh><MeshId>sphere</MeshId><Path>b.bin</Path></Mesh></Meshes>");
    EXPECT_EQ(fm.GetEntryCount(p), 2);
    EXPECT_EQ(fm.ReadData<std::string>(p, "MeshId", 0), "cubey");
    EXPECT_EQ(fm.ReadData<std::string>(p, "Path", 1), "b.bin");
    EXPECT_EQ(fm.ReadData<std::string>(p, "Path", 5), "null");
    EXPECT_EQ(fm.ReadData<int>(p, "Missing", 0), 0);
    EXPECT_EQ(fm.ReadData<std::string>(p, "path", 0), "null");  // keys are case-sensitive
}

TEST_F(FileManagerTest, FirstOccurrenceAndFirstAttributeWin)
{
    FileManager fm;
    std::string p = OpenAndFlatten(fm, "c.xml",
                                   "<config><display a=\"x\"><width w1=\"11\" w2=\"22\">1024</width>"
                                   "<width>800</width><inner><height> 768 px</height></inner></display></config>");
    EXPECT_EQ(fm.ReadData<int>(p, "width", 0), 1024);
    EXPECT_EQ(fm.ReadData<std::string>(p, "w1", 0), "11");
    EXPECT_EQ(fm.ReadData<std::string>(p, "w2", 0), "null");
    EXPECT_EQ(fm.ReadData<std::string>(p, "a", 0), "null");  // the entry's own attributes are not kept
    EXPECT_EQ(fm.ReadData<unsigned>(p, "height", 0), 768u);  // nesting is not part of the key
    EXPECT_EQ(fm.ReadData<std::string>(p, "height", 0), " 768 px");
}

TEST_F(FileManagerTest, SecondFlattenKeepsFirstDataUntilClosed)
{
    FileManager fm;
    std::string p = OpenAndFlatten(fm, "t.xml", "<Textures><T><Id>one</Id></T></Textures>");
    TestSupport::WriteFile(p, "<Textures><T><Id>two</Id></T><T><Id>three</Id></T></Textures>");
    ASSERT_TRUE(fm.OpenFile(p));
    fm.ReadGenericData(p);
    EXPECT_EQ(fm.ReadData<std::string>(p, "Id", 0), "one");
    EXPECT_EQ(fm.GetEntryCount(p), 1);
    EXPECT_TRUE(fm.CloseFile(p));
    ASSERT_TRUE(fm.OpenFile(p));
    fm.ReadGenericData(p);
    EXPECT_EQ(fm.ReadData<std::string>(p, "Id", 1), "three");
}

TEST_F(FileManagerTest, EmptyElementsReadAsAbsent)
{
    FileManager fm;
    std::string p = OpenAndFlatten(fm, "f.xml", "<fonts><font><file/><size></size><fontId>x</fontId></font></fonts>");
    EXPECT_EQ(fm.ReadData<std::string>(p, "file", 0), "null");
    EXPECT_EQ(fm.ReadData<int>(p, "size", 0), 0);
    EXPECT_EQ(fm.ReadData<std::string>(p, "fontId", 0), "x");
}

TEST_F(FileManagerTest, OpenErrorsAreReported)
{
    FileManager fm;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(fm.OpenFile(m_dir + "/missing.xml"));
    EXPECT_FALSE(fm.OpenFile(Write("mismatch.xml", "<level><Map></level>")));
    EXPECT_FALSE(fm.OpenFile(Write("empty.xml", "")));
    EXPECT_FALSE(fm.OpenFile(Write("Level.xml", "<Level><Map/></Level>")));
    EXPECT_FALSE(fm.OpenFile(Write("bare.xml", "<level></level>")));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("missing.xml, xml file does not exist!"), std::string::npos);
    EXPECT_NE(out.find("mismatch.xml, mismatched elements found in xml document!"), std::string::npos);
    EXPECT_NE(out.find("empty.xml, xml document is empty!"), std::string::npos);
    EXPECT_NE(out.find("Level.xml, might probably be an xml formatting error."), std::string::npos);
    EXPECT_NE(out.find("XML file data section is empty!"), std::string::npos);
    EXPECT_NE(out.find("Failed Condition: result"), std::string::npos);
    // A failed first load is not registered; a bad root is.
    EXPECT_EQ(fm.documentContainer.count(m_dir + "/missing.xml"), 0u);
    EXPECT_EQ(fm.documentContainer.count(m_dir + "/Level.xml"), 1u);
}

TEST_F(FileManagerTest, LevelMapAndObjectViews)
{
    FileManager fm;
    std::string p = Write("lvl.xml",
                          "<level><Junk/><Map><Row>10</Row><Column>8</Column><Height>2</Height></Map>"
                          "<Object><Type>CUBE</Type></Object><Map><Row>99</Row></Map></level>");
    ASSERT_TRUE(fm.OpenFile(p));
    ASSERT_NE(fm.mapElement, nullptr);
    ASSERT_NE(fm.firstObjectElement, nullptr);
    unsigned r = 0, c = 0, h = 0;
    fm.ReadMap(r, c, h);
    EXPECT_EQ(r, 10u);
    EXPECT_EQ(c, 8u);
    EXPECT_EQ(h, 2u);

    std::string late = Write("late.xml", "<level><Object><Type>CUBE</Type></Object><Map><Row>3</Row></Map></level>");
    ASSERT_TRUE(fm.OpenFile(late));
    EXPECT_EQ(fm.mapElement, nullptr);  // a Map after the first Object is not seen
    r = 7;
    fm.ReadMap(r, c, h);
    EXPECT_EQ(r, 7u);

    std::string partial = Write("partial.xml", "<level><Map><Row>4</Row><Column/></Map></level>");
    ASSERT_TRUE(fm.OpenFile(partial));
    r = c = h = 0;
    fm.ReadMap(r, c, h);
    EXPECT_EQ(r, 4u);
    EXPECT_EQ(c, 0u);
}

TEST_F(FileManagerTest, ClosingOrReloadingForgetsViews)
{
    FileManager fm;
    std::string p = Write("lvl.xml", "<level><Map><Row>1</Row></Map><Object><Type>CUBE</Type></Object></level>");
    ASSERT_TRUE(fm.OpenFile(p));
    EXPECT_FALSE(fm.CloseFile(p));  // a level has no flattened data
    EXPECT_EQ(fm.documentContainer.count(p), 0u);
    EXPECT_EQ(fm.levelRoot, nullptr);
    EXPECT_EQ(fm.mapElement, nullptr);
    unsigned r = 5, c = 0, h = 0;
    fm.ReadMap(r, c, h);  // no view, nothing read
    EXPECT_EQ(r, 5u);

    ASSERT_TRUE(fm.OpenFile(p));
    TestSupport::WriteFile(p, "<level><Map>");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(fm.OpenFile(p));  // reload fails: entry stays, views gone
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fm.documentContainer.count(p), 1u);
    EXPECT_EQ(fm.mapElement, nullptr);
    EXPECT_EQ(fm.firstObjectElement, nullptr);

    std::string g = OpenAndFlatten(fm, "c.xml", "<config><d><width>1</width></d></config>");
    EXPECT_TRUE(fm.CloseFile(g));
    EXPECT_EQ(fm.dataRoot, nullptr);
}

TEST_F(FileManagerTest, ProfilesView)
{
    FileManager fm;
    std::string p = Write("profiles.xml", "<Profiles><lastUsed>Ann</lastUsed><Profile><Name>Ann</Name></Profile></Profiles>");
    ASSERT_TRUE(fm.OpenFile(p));
    ASSERT_NE(fm.profilesElement, nullptr);
    EXPECT_STREQ(fm.profilesElement->Name(), "lastUsed");
}

TEST_F(FileManagerTest, ReadDataOnUnknownPathAsserts)
{
    FileManager fm;
    testing::internal::CaptureStdout();
    EXPECT_EQ(fm.ReadData<std::string>("nowhere.xml", "Path", 0), "null");
    EXPECT_EQ(fm.ReadData<unsigned>("nowhere.xml", "Path", 0), 0u);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("File not found: nowhere.xml."), std::string::npos);
    EXPECT_NE(out.find("Additional Info: File not found!"), std::string::npos);
}

TEST_F(FileManagerTest, DirectoryListingAppendsSortedAndRenameReplaces)
{
    FileManager fm;
    Write("b.xml", "x");
    Write("A.xml", "y");
    testing::internal::CaptureStdout();
    fm.GetAllFileFromDirectory(m_dir + "/");
    fm.GetAllFileFromDirectory(m_dir + "/");
    fm.GetAllFileFromDirectory(m_dir + "/nothing/");
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(fm.directoryFiles.size(), 4u);
    EXPECT_EQ(fm.directoryFiles[0], m_dir + "/A.xml");
    EXPECT_EQ(fm.directoryFiles[1], m_dir + "/b.xml");
    EXPECT_EQ(fm.directoryFiles[2], m_dir + "/A.xml");
    EXPECT_NE(out.find("Directory not found!"), std::string::npos);

    fm.RenameFile(m_dir + "/A.xml", m_dir + "/b.xml");
    EXPECT_EQ(TestSupport::ReadFile(m_dir + "/b.xml"), "y");
    EXPECT_EQ(TestSupport::ReadFile(m_dir + "/A.xml"), "");
}

// Writing ------------------------------------------------------------------

TEST_F(FileManagerTest, LevelSaveSequence)
{
    FileManager fm;
    fm.BeginWrite("level");
    fm.WriteParent("Map");
    fm.WriteChild("Row");
    fm.WriteValue("10");
    fm.WriteSibling("Column");
    fm.WriteValue("8");
    fm.WriteSibling("Height");
    fm.WriteValue("2");
    fm.WriteParent("Object");
    fm.WriteChild("Type");
    fm.WriteValue("CUBE");
    fm.WriteSibling("Position");
    fm.WriteValue("1 2 3");
    fm.WriteSibling("Component");
    fm.WriteChild("Type");
    fm.WriteValue("CT_GRAPHICS");
    fm.WriteSibling("Mesh");
    fm.WriteValue("cubey");
    fm.WriteSibling("Bounds");
    fm.WriteChild("A");
    fm.WriteValue("1");
    fm.WriteReturn();
    fm.WriteChild("B");
    fm.WriteValue("2");
    fm.WriteReturn();
    fm.WriteReturn();
    std::string path = m_dir + "/out.xml";
    ASSERT_TRUE(fm.SaveFile(path));
    EXPECT_EQ(TestSupport::ReadFile(path),
              "<level>\n"
              "    <Map>\n"
              "        <Row>10</Row>\n"
              "        <Column>8</Column>\n"
              "        <Height>2</Height>\n"
              "    </Map>\n"
              "    <Object>\n"
              "        <Type>CUBE</Type>\n"
              "        <Position>1 2 3</Position>\n"
              "        <Component>\n"
              "            <Type>CT_GRAPHICS</Type>\n"
              "            <Mesh>cubey</Mesh>\n"
              "            <Bounds>\n"
              "                <B>2</B>\n"
              "                <A>1</A>\n"
              "            </Bounds>\n"
              "        </Component>\n"
              "    </Object>\n"
              "</level>\n");
}

TEST_F(FileManagerTest, ProfileSaveSequenceAndReplayRules)
{
    FileManager fm;
    fm.BeginWrite("Profiles");
    fm.WriteParent("lastUsed");
    fm.WriteValue("Ann");
    fm.WriteParent("Profile");
    fm.WriteChild("Name");
    fm.WriteValue("Ann");
    fm.WriteSibling("LevelsCompleted");
    fm.WriteValue("3");
    fm.WriteReturn();
    fm.WriteReturn();  // empty stack: nothing
    fm.AddWriteCommand("kind", "main");
    EXPECT_EQ(fm.RenderCommands(),
              "<Profiles>\n"
              "    <lastUsed>Ann</lastUsed>\n"
              "    <Profile kind=\"main\">\n"
              "        <Name>Ann</Name>\n"
              "        <LevelsCompleted>3</LevelsCompleted>\n"
              "    </Profile>\n"
              "</Profiles>\n");

    fm.BeginWrite("level");
    EXPECT_EQ(fm.RenderCommands(), "<level/>\n");
    // parent X, child Y, return, child Z, return: Z before Y.
    fm.WriteParent("X");
    fm.WriteChild("Y");
    fm.WriteReturn();
    fm.WriteChild("Z");
    fm.WriteReturn();
    EXPECT_EQ(fm.RenderCommands(), "<level>\n    <X>\n        <Z/>\n        <Y/>\n    </X>\n</level>\n");
}

TEST_F(FileManagerTest, CommandsWithoutElementGoToTheRoot)
{
    FileManager fm;
    fm.BeginWrite("r");
    testing::internal::CaptureStdout();
    fm.WriteSibling("S");
    fm.WriteValue("v");
    fm.WriteChild("C");
    std::string text = fm.RenderCommands();
    testing::internal::GetCapturedStdout();
    SCOPED_TRACE(text);
    EXPECT_NE(text.find("<S>\n        <C/>v</S>"), std::string::npos);
}

TEST_F(FileManagerTest, SaveFailureIsReportedAndKeepsTheOldFile)
{
    FileManager fm;
    fm.BeginWrite("level");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(fm.SaveFile(m_dir + "/no/such/folder/out.xml"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - Unable to save file: " + m_dir + "/no/such/folder/out.xml"), std::string::npos);

    std::string path = Write("keep.xml", "<level><old/></level>");
    fm.WriteParent("new");
    ASSERT_TRUE(fm.SaveFile(path));
    ASSERT_TRUE(fm.SaveFile(path));  // twice without BeginWrite: same file
    EXPECT_EQ(TestSupport::ReadFile(path), "<level>\n    <new/>\n</level>\n");

    FileManager empty;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(empty.SaveFile(m_dir + "/e.xml"));
    testing::internal::GetCapturedStdout();
}

TEST_F(FileManagerTest, PathsMeetTheFileSystemThroughResolution)
{
    FileManager fm;
    Write("Level One.xml", "<level><Map><Row>2</Row></Map></level>");
    // Backslashes, a trailing blank and another case.
    std::string windowsStyle = m_dir + "\\level one.xml ";
    ASSERT_TRUE(fm.OpenFile(windowsStyle));
    EXPECT_EQ(fm.documentContainer.count(windowsStyle), 1u);  // kept as given
}

} // namespace
