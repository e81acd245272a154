// Malformed files on every reader that takes them from disk: each valid file
// is cut at every byte, and each of its elements is emptied, removed,
// duplicated, renamed, nested deeply or given a wrong, huge or non-numeric
// text. The readers must survive all of it (the sanitizers watch) and leave a
// sane state: a log line and a fallback, never a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/platform/CursorFile.h"
#include "game/flow/Map.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

// One object with every component the level and master readers know.
const char* const kObjectBody =
    "<Type>CRATE</Type><Position>1 2 3</Position><Rotation>0 90 0</Rotation><Scale>1 1 1</Scale>"
    "<SkipDraw>true</SkipDraw>"
    "<Component><Type>CT_GRAPHICS</Type><Mesh><MeshId>cube</MeshId></Mesh>"
    "<Texture><TextureId>wall</TextureId></Texture><Opacity>0.5</Opacity><Specular>1 1 1 8</Specular></Component>"
    "<Component><Type>CT_GUI</Type><Texture><TextureId>t</TextureId></Texture><Opacity>1</Opacity></Component>"
    "<Component><Type>CT_TEXT</Type><drawMe>true</drawMe><Text>hi</Text><Color>1 0 0 1</Color>"
    "<FontIdentifier>f</FontIdentifier><PosX>1</PosX><PosY>2</PosY></Component>"
    "<Component><Type>CT_PHYSICS</Type><InverseMass>1</InverseMass>"
    "<Force><Type>FG_GRAVITY</Type><Gravity>0 -20 0</Gravity></Force><Force><Type>FG_DRAG</Type><K1>0.5</K1></Force>"
    "<Steer><Type>SG_SEEK</Type><MaxSpeed>3</MaxSpeed><Target>1 2 3</Target></Steer>"
    "<Steer><Type>SG_ARRIVE</Type><MaxSpeed>3</MaxSpeed><Deceleration>2</Deceleration></Steer></Component>"
    "<Component><Type>CT_COLLISION</Type><Active>true</Active><StaticFriction>0.5</StaticFriction>"
    "<Primitive><Type>PR_SPHERE</Type><Radius>2</Radius></Primitive></Component>"
    "<Component><Type>CT_PARTICLEEMITTER</Type></Component>";

const char* const kTexts[] = {"", " ", "abc", "nan", "inf", "-inf", "1e999", "-1e999", "3e38", "-1",
                              "4294967296", "99999999999999999999999", "1 2"};
constexpr int kTextCount = sizeof(kTexts) / sizeof(kTexts[0]);
constexpr int kShapeCount = 5;  // removed, emptied, duplicated, renamed, nested
constexpr int kNestDepth = 300;

std::string Print(XMLDocument& document)
{
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

void Collect(XMLElement* e, std::vector<XMLElement*>& out)
{
    for (; e; e = e->NextSiblingElement()) {
        out.push_back(e);
        Collect(e->FirstChildElement(), out);
    }
}

// The seed cut at every byte, then one variant per element and mutation.
std::vector<std::string> Variants(const std::string& seed)
{
    std::vector<std::string> out;
    for (size_t n = 0; n < seed.size(); ++n) out.push_back(seed.substr(0, n));
    XMLDocument probe;
    probe.Parse(seed.c_str());
    std::vector<XMLElement*> elements;
    Collect(probe.FirstChildElement(), elements);
    for (size_t i = 0; i < elements.size(); ++i) {
        for (int op = 0; op < kTextCount + kShapeCount; ++op) {
            XMLDocument d;
            d.Parse(seed.c_str());
            std::vector<XMLElement*> all;
            Collect(d.FirstChildElement(), all);
            XMLElement* e = all[i];
            const int shape = op - kTextCount;
            if (shape < 0 && e->FirstChildElement()) continue;
            if (shape < 0) e->SetText(kTexts[op]);
            else if (shape == 0) e->Parent()->DeleteChild(e);
            else if (shape == 1) e->DeleteChildren();
            else if (shape == 2) e->Parent()->InsertAfterChild(e, e->DeepClone(&d));
            else if (shape == 3) e->SetName("Unknown");
            for (int k = 0; shape == 4 && k < kNestDepth; ++k)
                e = e->InsertFirstChild(d.NewElement(e->Name()))->ToElement();
            out.push_back(Print(d));
        }
    }
    return out;
}

class BadInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("zendra-badinput");
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->physicsManager = new PhysicsManager();
        fm = system->fileManager;
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
        RegisterPrimitiveFactories();
        system->objectManager = new ObjectManager();
        system->objectManager->SetObjectFolder(dir + "/");
        RegisterComponentFactories();
    }
    void TearDown() override { TestSupport::ReleaseSystem(), TestSupport::RemoveTree(dir); }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(TestSupport::WriteFile(path, text));
        return path;
    }
    // Runs a catalogue variant through the generic reader and every read.
    void ReadCatalogue(const std::string& path, const char* const keys[], int keyCount)
    {
        fm->CloseFile(path);
        if (!fm->OpenFile(path)) return;
        fm->ReadGenericData(path);
        for (unsigned i = 0; i < static_cast<unsigned>(fm->GetEntryCount(path)); ++i)
            for (int k = 0; k < keyCount; ++k) {
                fm->ReadData<std::string>(path, keys[k], i);
                fm->ReadData<int>(path, keys[k], i);
                fm->ReadData<unsigned>(path, keys[k], i);
            }
    }

    TestSupport::ScopedTempHome home;
    std::string dir;
    FileManager* fm = nullptr;
};

TEST_F(BadInputTest, LevelFilesAndTheirObjects)
{
    Write("CRATE.xml", std::string("<MasterObject><Object>") + kObjectBody + "</Object></MasterObject>");
    const std::string seed = std::string("<level><Map><Row>3</Row><Column>4</Column><Height>2</Height></Map>") +
                             "<Object>" + kObjectBody + "</Object><Object><Type>CRATE</Type></Object></level>";
    ObjectManager* manager = System::GetInstance()->objectManager;
    // The whole file reaches every component reader.
    ASSERT_TRUE(fm->OpenFile(Write("level.xml", seed)));
    fm->ReadObjects();
    ASSERT_EQ(manager->GetAllObjects().size(), 2u);
    EXPECT_EQ(manager->GetAllObjects()[0]->components.size(), 6u);
    manager->ClearLevelObjects();

    size_t failed = 0;
    testing::internal::CaptureStdout();
    for (const std::string& text : Variants(seed)) {
        const std::string path = Write("level.xml", text);
        if (!fm->OpenFile(path)) {
            ++failed;
            continue;
        }
        unsigned rows = 7, columns = 7, height = 7;
        fm->ReadMap(rows, columns, height);
        fm->ReadObjects();
        ASSERT_LE(manager->GetAllObjects().size(), 3u) << text;
        for (GameObject* object : manager->GetAllObjects()) object->BuildTransform();
        // The level's map takes the sizes and the objects as read.
        Map map;
        if (map.SetSize(rows, columns, height)) map.AllocateCells();
        map.AddObjectsToMap(manager->GetAllObjects());
        manager->ClearLevelObjects();
    }
    // A folder among the level files is no file at all.
    EXPECT_FALSE(fm->OpenFile(dir));
    ++failed;
    const std::string out = testing::internal::GetCapturedStdout();
    // Every file that cannot be read says so.
    EXPECT_GE(TestSupport::Count(out, "Unable to open file"), failed);
    EXPECT_GT(failed, 0u);
}

TEST_F(BadInputTest, MasterObjectFiles)
{
    const std::string seed = std::string("<MasterObject><Object>") + kObjectBody + "</Object></MasterObject>";
    testing::internal::CaptureStdout();
    ObjectManager* manager = System::GetInstance()->objectManager;
    for (const std::string& text : Variants(seed)) {
        // Loaded as a level's first crate loads it, then copied into an instance.
        if (GameObject* master = manager->LoadObject(Write("CRATE.xml", text))) {
            GameObject crate;
            crate.CopyFrom(master);
            crate.BuildTransform();
            crate.DestroyComponents();
        }
        manager->Shutdown();  // the masters go (and, once, the pool)
    }
    testing::internal::GetCapturedStdout();
}

// A master file naming another type, or an unknown one, handed the level an
// object of that other type (or of DEFAULT) without a word.
TEST_F(BadInputTest, MasterFileOfAnotherTypeIsReported)
{
    Write("CRATE.xml", "<MasterObject><Object><Type>WALL</Type><Position>1 1 1</Position></Object></MasterObject>");
    Write("DOOR.xml", "<MasterObject><Object><Type>DOOR_TYPO</Type></Object></MasterObject>");
    ObjectManager* manager = System::GetInstance()->objectManager;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 2; ++i) {
        GameObject* crate = manager->CreateInstance(CRATE, glm::vec3(0.0f));
        ASSERT_NE(crate, nullptr);
        EXPECT_EQ(crate->type, WALL);
    }
    GameObject* door = manager->CreateInstance(DOOR, glm::vec3(0.0f));
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->type, DEFAULT);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "CRATE.xml describes WALL, not CRATE"), 2u);
    EXPECT_NE(out.find("unknown type \"DOOR_TYPO\": it counts as DEFAULT"), std::string::npos);
    EXPECT_NE(out.find("DOOR.xml describes DEFAULT, not DOOR"), std::string::npos);
}

TEST_F(BadInputTest, Catalogues)
{
    struct Catalogue { const char* file; const char* keys[3]; };
    const Catalogue catalogues[] = {{"data/meshes.xml", {"MeshId", "Path", "Mesh"}},
                                    {"data/textures.xml", {"TextureId", "Path", "Texture"}},
                                    {"data/fonts/fonts.xml", {"file", "size", "fontId"}},
                                    {"data/mappings.xml", {"upKeyboard", "upXbox", "player"}},
                                    {"data/config/config.xml", {"width", "height", "fullscreen"}}};
    testing::internal::CaptureStdout();
    for (const Catalogue& c : catalogues) {
        XMLDocument original;
        ASSERT_EQ(original.LoadFile((TestSupport::SourceDir() + "/" + c.file).c_str()), tinyxml2::XML_SUCCESS);
        // Two entries show every shape; the rest would only slow the sweep.
        XMLElement* root = original.FirstChildElement();
        XMLElement* second = root->FirstChildElement() ? root->FirstChildElement()->NextSiblingElement() : nullptr;
        while (second && second->NextSiblingElement()) root->DeleteChild(second->NextSiblingElement());
        for (const std::string& text : Variants(Print(original))) {
            const std::string path = Write("catalogue.xml", text);
            ReadCatalogue(path, c.keys, 3);
            const Window::DisplayConfig config = Window::ReadDisplayConfig(fm, path);
            EXPECT_TRUE(config.width > 0 && config.width <= Window::MAX_WINDOW_SIDE) << text;
            EXPECT_TRUE(config.height > 0 && config.height <= Window::MAX_WINDOW_SIDE) << text;
            InputInterpreter input;
            input.Init(path);
            EXPECT_EQ(input.GetBindingCount(), InputInterpreter::BINDING_COUNT);
        }
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(BadInputTest, CursorFiles)
{
    const std::string text = TestSupport::ReadFile(TestSupport::SourceDir() + "/data/assets/arrow.cur");
    ASSERT_FALSE(text.empty());
    const std::vector<std::uint8_t> valid(text.begin(), text.end());
    const std::uint8_t values[] = {0x00, 0x01, 0x7f, 0x80, 0xff};
    const size_t header = 6 + 16 + 40;  // directory, one entry, bitmap header
    for (size_t at = 0; at < header && at < valid.size(); ++at) {
        for (std::uint8_t value : values) {
            std::vector<std::uint8_t> bytes = valid;
            bytes[at] = value;
            Platform::CursorImage image;
            std::string error;
            if (!Platform::ParseCursorFile(bytes, &image, &error)) {
                EXPECT_FALSE(error.empty()) << "byte " << at;
                continue;
            }
            ASSERT_TRUE(image.width > 0 && image.width <= Platform::CURSOR_MAX_SIDE) << "byte " << at;
            ASSERT_TRUE(image.height > 0 && image.height <= Platform::CURSOR_MAX_SIDE) << "byte " << at;
            ASSERT_EQ(image.rgba.size(), static_cast<size_t>(image.width) * image.height * 4);
        }
    }
}

} // namespace
