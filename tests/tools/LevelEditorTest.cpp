// The level editor without a window: its grid, palette and flags, the brush
// on the grid, the placement plane, restarts, saving (what is written, the
// backup, refused names and folders in the way), the console's editor
// commands, a missing file, the gizmo following the selection, and the
// waypoint markers that enemies patrol along.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "engine/graphics/DisplayResources.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "game/flow/Map.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/WaypointComponent.h"
#include "tools/Console.h"
#include "tools/Gizmo.h"
#include "tools/LevelEditor.h"
#include "flow/StateTestKit.h"
#include "support/EngineFixture.h"
#include "support/ScratchData.h"

using namespace QRX;

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// One object element of a saved level.
struct SavedObject
{
    std::string type;
    std::string position;
};

// The "Map" sizes and the objects of a level file, in file order.
struct SavedLevel
{
    bool parsed = false;
    std::string rows, columns, height;
    std::vector<SavedObject> objects;
};

SavedLevel ParseLevel(const std::string& text)
{
    SavedLevel level;
    tinyxml2::XMLDocument document;
    if (document.Parse(text.c_str()) != tinyxml2::XML_SUCCESS || !document.RootElement()) return level;
    level.parsed = std::string(document.RootElement()->Name()) == "level";
    auto textOf = [](const tinyxml2::XMLElement* e, const char* name) {
        const tinyxml2::XMLElement* child = e ? e->FirstChildElement(name) : nullptr;
        return child && child->GetText() ? std::string(child->GetText()) : std::string();
    };
    const tinyxml2::XMLElement* map = document.RootElement()->FirstChildElement("Map");
    level.rows = textOf(map, "Row");
    level.columns = textOf(map, "Column");
    level.height = textOf(map, "Height");
    for (const tinyxml2::XMLElement* o = document.RootElement()->FirstChildElement("Object"); o;
         o = o->NextSiblingElement("Object"))
        level.objects.push_back({textOf(o, "Type"), textOf(o, "Position")});
    return level;
}

std::set<std::string> FolderEntries(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

// The engine of the game-state tests with an input manager and a console, its
// game-state manager started (the program's own states, the editor among
// them), in a scratch folder whose level folder may be written.
class LevelEditorTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.Ok());
        StateTest::SetUp();
        System* system = System::GetInstance();
        // Bodies and boxes of the game's masters.
        system->physicsManager = new PhysicsManager();
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
        RegisterPrimitiveFactories();
        system->inputManager = input = new InputManager();
        system->console = console = new Console();
        ASSERT_TRUE(gsm.Initialize());
        editor = FindLevelEditor();
        ASSERT_NE(editor, nullptr);
        // The editor is one object for the whole run: these outlive a test.
        editor->SetSnapping(true);
        editor->SetGizmoEnabled(true);
        editor->SetWorldPicking(true);
        objects = system->objectManager;
    }
    void TearDown() override
    {
        System* system = System::GetInstance();
        gsm.Shutdown();
        delete console;
        delete input;
        system->console = nullptr;
        system->inputManager = nullptr;
        // Components go before the factories of their boxes and bodies.
        system->objectManager->Shutdown();
        delete system->physicsManager;
        system->physicsManager = nullptr;
        StateTest::TearDown();
    }
    // Opens the editor on a file of the level folder.
    void Enter(const std::string& file)
    {
        editor->SetFileName(file);
        const int id = gsm.GetCurrentState() == STATE_LEVELEDITOR ? STATE_LEVELEDITORNEXT : STATE_LEVELEDITOR;
        Go(id);
    }
    // A brush of the palette's type, made by its button.
    GameObject* Brush(ObjectType type)
    {
        const auto& palette = editor->GetPalette();
        auto it = std::find(palette.begin(), palette.end(), type);
        if (it == palette.end()) return nullptr;
        editor->PressCreatorButton(static_cast<size_t>(it - palette.begin()));
        Frame();
        return editor->GetBrush();
    }
    // Stamps the brush at a position.
    void PlaceAt(const glm::vec3& at)
    {
        GameObject* brush = editor->GetBrush();
        ASSERT_NE(brush, nullptr);
        brush->position = at;
        editor->PlaceWorldObject();
    }
    // Live, not destroyed objects of the layer (and type, when given).
    std::vector<GameObject*> InLayer(int layer, ObjectType type = OBJECTTYPE_ERRORVALUE)
    {
        std::vector<GameObject*> found;
        for (GameObject* o : objects->GetAllObjects())
            if (o->layer == layer && !(o->flags & OBJ_DESTROY) && (type == OBJECTTYPE_ERRORVALUE || o->type == type))
                found.push_back(o);
        return found;
    }
    Lines Run(const std::string& line)
    {
        const size_t before = console->GetOutput().size();
        for (char c : line) console->TypeCharacter(c);
        console->SubmitLine();
        Lines printed(console->GetOutput().begin() + static_cast<long>(std::min(before, console->GetOutput().size())),
                      console->GetOutput().end());
        if (!printed.empty() && printed.front() == "] " + line) printed.erase(printed.begin());
        return printed;
    }
    std::string Level(const std::string& name) const { return TestSupport::ReadFile(scratch.LevelFile(name)); }

    TestSupport::ScratchDataFolder scratch;
    InputManager* input = nullptr;
    Console* console = nullptr;
    LevelEditor* editor = nullptr;
    ObjectManager* objects = nullptr;
};

TEST_F(LevelEditorTest, NewLevelGridPaletteAndFlags)
{
    testing::internal::CaptureStdout();
    Enter("leveltemplate.xml");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Assertion failure"), std::string::npos) << out;  // no button for a type without a master

    const Map* map = editor->GetMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetRows(), 30u);
    EXPECT_EQ(map->GetColumns(), 30u);
    EXPECT_EQ(map->GetHeight(), 1u);
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
    EXPECT_TRUE(InLayer(0).empty());

    // One button per type whose master file exists, in the bar's order.
    std::vector<ObjectType> expected;
    for (ObjectType type : LevelEditor::CreatorTypes())
        if (fs::exists("data/objects/" + ObjectTypeToString(type) + ".xml")) expected.push_back(type);
    EXPECT_EQ(editor->GetPalette(), expected);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(editor->GetPalette().front(), CUBE);
    // Each parked out of sight, inactive.
    const std::vector<GameObject*> parked = InLayer(LevelEditor::PALETTE_LAYER);
    ASSERT_EQ(parked.size(), expected.size());
    for (GameObject* o : parked) {
        EXPECT_EQ(o->position.y, -10000.0f);
        EXPECT_FALSE(o->flags & OBJ_ACTIVE);
        EXPECT_EQ(o->stateId, STATE_LEVELEDITOR);
    }

    // An empty file name is a new level of the same size.
    Enter("");
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITORNEXT);
    ASSERT_NE(editor->GetMap(), nullptr);
    EXPECT_EQ(editor->GetMap()->GetColumns(), 30u);
    EXPECT_EQ(InLayer(LevelEditor::PALETTE_LAYER).size(), expected.size());  // the first state's went back

    // Leaving resumes physics and keeps no grid.
    Go(STATE_LEVEL1);
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0u);
    EXPECT_EQ(editor->GetMap(), nullptr);
    EXPECT_TRUE(InLayer(LevelEditor::PALETTE_LAYER).empty());
}

TEST_F(LevelEditorTest, BrushStampsInsideTheGridOnly)
{
    Enter("leveltemplate.xml");
    GameObject* brush = Brush(CUBE);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->layer, LevelEditor::PALETTE_LAYER);
    EXPECT_EQ(brush->stateId, STATE_LEVELEDITOR);
    EXPECT_TRUE(editor->IsPlacing());

    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const glm::vec3& outside : {glm::vec3(-0.5f, 0.5f, 0.5f), glm::vec3(30.5f, 0.5f, 0.5f),
                                     glm::vec3(0.5f, 0.5f, 30.5f), glm::vec3(0.5f, -0.5f, 0.5f),
                                     glm::vec3(nan, 0.5f, 0.5f)})
        PlaceAt(outside);
    EXPECT_TRUE(InLayer(0).empty());

    PlaceAt(glm::vec3(29.5f, 0.5f, 29.5f));
    PlaceAt(glm::vec3(3.5f, 0.5f, 4.5f));
    PlaceAt(glm::vec3(3.5f, 0.5f, 4.5f));  // the first on this cell is replaced
    objects->Update();
    const std::vector<GameObject*> cubes = InLayer(0, CUBE);
    ASSERT_EQ(cubes.size(), 2u);
    EXPECT_EQ(cubes[1]->position, glm::vec3(3.5f, 0.5f, 4.5f));
    EXPECT_EQ(cubes[1]->stateId, STATE_LEVELEDITOR);

    // Without snapping, an object is under the brush within its scale.
    editor->SetSnapping(false);
    PlaceAt(glm::vec3(10.2f, 0.5f, 10.2f));
    PlaceAt(glm::vec3(10.9f, 0.9f, 10.9f));
    objects->Update();
    EXPECT_EQ(InLayer(0, CUBE).size(), 3u);

    // The right button removes one object a frame.
    GameObject* a = objects->CreateInstance(CUBE, glm::vec3(20.5f, 0.5f, 20.5f));
    GameObject* b = objects->CreateInstance(CUBE, glm::vec3(20.5f, 0.5f, 20.5f));
    brush->position = glm::vec3(20.6f, 0.6f, 20.6f);
    editor->RemovePlacedWorldObject();
    EXPECT_TRUE(a->flags & OBJ_DESTROY);
    EXPECT_FALSE(b->flags & OBJ_DESTROY);
    editor->SetSnapping(true);

    // Objects the gizmo scaled to nothing or inside out are removed too,
    // without a grid cell to clear.
    GameObject* flat = objects->CreateInstance(CUBE, glm::vec3(12.5f, 0.5f, 12.5f));
    flat->scale = glm::vec3(0.0f);
    brush->position = flat->position;
    editor->RemovePlacedWorldObject();
    EXPECT_TRUE(flat->flags & OBJ_DESTROY);
    GameObject* inverted = objects->CreateInstance(CUBE, glm::vec3(13.5f, 0.5f, 13.5f));
    inverted->scale = glm::vec3(-1.0f, 1.0f, 1.0f);
    brush->position = inverted->position;
    editor->RemovePlacedWorldObject();
    EXPECT_TRUE(inverted->flags & OBJ_DESTROY);

    // Delete ends the brush; a button past the palette makes none.
    FrameWithKey(KEY_DELETE);
    EXPECT_EQ(editor->GetBrush(), nullptr);
    EXPECT_FALSE(editor->IsPlacing());
    editor->PlaceWorldObject();  // no brush: nothing
    testing::internal::CaptureStdout();
    editor->CreatePickedBrush(editor->GetPalette().size());
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "Attempting to select an object not in the object list in level editor"),
              std::string::npos);
    EXPECT_EQ(editor->GetBrush(), nullptr);
}

TEST_F(LevelEditorTest, PlacementPlaneStepsAndSnapping)
{
    glm::vec3 point(3.7f, 0.2f, -1.3f);
    LevelEditor::SnapToCellCentre(point);
    EXPECT_EQ(point, glm::vec3(3.5f, 0.5f, -0.5f));

    Enter("leveltemplate.xml");
    while (editor->GetPlacementHeight() > LevelEditor::LOWEST_PLANE) editor->LowerPlacementPlane();
    EXPECT_EQ(editor->GetPlacementHeight(), 0.5f);
    editor->RaisePlacementPlane();
    EXPECT_EQ(editor->GetPlacementHeight(), 1.5f);
    editor->SetSnapping(false);
    editor->RaisePlacementPlane();
    EXPECT_EQ(editor->GetPlacementHeight(), 1.75f);
    for (int i = 0; i < 8; ++i) editor->LowerPlacementPlane();
    EXPECT_EQ(editor->GetPlacementHeight(), 0.5f);

    // Comma toggles snapping; Up and the wheel raise the plane a brush stands on.
    FrameWithKey(KEY_OEM_COMMA);
    EXPECT_TRUE(editor->IsSnapping());
    ASSERT_NE(Brush(CUBE), nullptr);
    FrameWithKey(KEY_UP);
    EXPECT_EQ(editor->GetPlacementHeight(), 1.5f);
    input->OnMouseWheel(static_cast<std::uint64_t>(120) << 16);
    Frame();
    EXPECT_EQ(editor->GetPlacementHeight(), 2.5f);
    input->Update();
    FrameWithKey(KEY_DOWN);
    EXPECT_EQ(editor->GetPlacementHeight(), 1.5f);
    // Without a camera the cursor meets the planes at their own points.
    EXPECT_EQ(editor->GetBrush()->position, glm::vec3(0.5f, 1.5f, 0.5f));
    EXPECT_EQ(editor->GetLastBrushPosition(), glm::vec3(0.5f, 1.5f, 0.5f));

    // Typed into the console, these are no editor keys.
    FrameWithKey(KEY_OEM_3);
    ASSERT_TRUE(console->IsOpen());
    FrameWithKey(KEY_OEM_COMMA);
    FrameWithKey(KEY_UP);
    FrameWithKey(KEY_DELETE);
    EXPECT_TRUE(editor->IsSnapping());
    EXPECT_EQ(editor->GetPlacementHeight(), 1.5f);
    EXPECT_NE(editor->GetBrush(), nullptr);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_FALSE(console->IsOpen());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITOR);
    while (editor->GetPlacementHeight() > LevelEditor::LOWEST_PLANE) editor->LowerPlacementPlane();

    // Escape opens the pause menu over the editor, which keeps everything.
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
    ASSERT_NE(editor->GetBrush(), nullptr);
    EXPECT_TRUE(editor->GetBrush()->flags & OBJ_ACTIVE);
    gsm.RequestState(STATE_LEVELEDITOR);  // the state below: back to it
    Frame();
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    EXPECT_NE(editor->GetBrush(), nullptr);
}

TEST_F(LevelEditorTest, RestartAndReloadKeepTheEditorsFlagsAndPalette)
{
    Enter("leveltemplate.xml");
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(1.5f, 0.5f, 1.5f));

    gsm.RestartState();
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
    EXPECT_EQ(editor->GetBrush(), nullptr);
    EXPECT_TRUE(InLayer(0).empty());
    // The palette's parked objects went back to the pool; new objects take
    // their slots, and the buttons still make their own types.
    for (int i = 0; i < 40; ++i) objects->CreateInstance(CRATE, glm::vec3(5.5f, 0.5f, 5.5f));
    GameObject* brush = Brush(CUBE);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->type, CUBE);
    EXPECT_EQ(brush->layer, LevelEditor::PALETTE_LAYER);

    gsm.ReloadState();
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
    brush = Brush(CUBE);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->layer, LevelEditor::PALETTE_LAYER);
    EXPECT_EQ(InLayer(LevelEditor::PALETTE_LAYER).size(), editor->GetPalette().size() + 1);

    // The console's commands run them at once, from the editor's own update.
    Run("restart");
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
    Run("reload");
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0x12u);
}

TEST_F(LevelEditorTest, SavingWritesEachLevelObjectOnce)
{
    Enter("leveltemplate.xml");
    ASSERT_TRUE(editor->SaveAs("empty.xml"));
    SavedLevel empty = ParseLevel(Level("empty.xml"));
    ASSERT_TRUE(empty.parsed);
    EXPECT_EQ(empty.rows, "30");
    EXPECT_EQ(empty.columns, "30");
    EXPECT_EQ(empty.height, "1");
    EXPECT_TRUE(empty.objects.empty());

    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(3.5f, 0.5f, 4.5f));
    GameObject* cube = InLayer(0, CUBE).front();
    editor->SelectObject(cube);
    Frame();  // the gizmo's axes come
    ASSERT_EQ(editor->GetGizmoMode(), Gizmo::MODE_MOVE);
    ASSERT_FALSE(InLayer(Gizmo::AXIS_LAYER).empty());
    // Never saved: a waypoint marker, another state's object, a removed one.
    objects->CreateInstance(WAYPOINT, glm::vec3(6.5f, 0.5f, 6.5f));
    GameObject* foreign = objects->CreatePlacedInstance(CRATE, glm::vec3(7.5f, 0.5f, 7.5f), 0, STATE_LEVEL1);
    objects->CreateInstance(CUBE, glm::vec3(8.5f, 0.5f, 8.5f))->flags |= OBJ_DESTROY;
    // Once each: a cube holding a checkpoint component, a crate without its
    // crate component, and a robot made last but written first.
    GameObject* marked = objects->CreateInstance(CUBE, glm::vec3(9.5f, 0.5f, 9.5f));
    ASSERT_NE(marked->AddComponentHelper(CT_CHECKPOINT), nullptr);
    GameObject* bare = objects->CreateInstance(CRATE, glm::vec3(10.5f, 0.5f, 10.5f));
    bare->RemoveComponent(CT_CRATE);
    objects->CreateInstance(PLAYER, glm::vec3(11.5f, 0.5f, 11.5f));

    std::string reason = "unchanged";
    ASSERT_TRUE(editor->SaveAs("t.xml", &reason));
    EXPECT_EQ(reason, "");
    const SavedLevel saved = ParseLevel(Level("t.xml"));
    ASSERT_TRUE(saved.parsed);
    EXPECT_EQ(saved.rows, "30");
    ASSERT_EQ(saved.objects.size(), 4u) << Level("t.xml");
    EXPECT_EQ(saved.objects[0].type, "PLAYER");
    EXPECT_EQ(saved.objects[1].type, "CUBE");
    EXPECT_EQ(saved.objects[1].position, "9.5 0.5 9.5");
    EXPECT_EQ(saved.objects[2].type, "CUBE");
    EXPECT_EQ(saved.objects[2].position, "3.5 0.5 4.5");
    EXPECT_EQ(saved.objects[3].type, "CRATE");

    // What the editor saved opens again: the cube keeps its checkpoint
    // component, the crate gets its own back from its master.
    foreign->flags |= OBJ_DESTROY;  // no state of this test clears it
    Enter("t.xml");
    EXPECT_EQ(InLayer(0).size(), 4u) << Level("t.xml");
    ASSERT_TRUE(editor->SaveAs("t2.xml"));
    const SavedLevel again = ParseLevel(Level("t2.xml"));
    ASSERT_EQ(again.objects.size(), 4u);
    EXPECT_EQ(again.objects[0].type, "PLAYER");
    EXPECT_EQ(again.objects[1].position, "9.5 0.5 9.5");
    EXPECT_EQ(again.objects[2].type, "CRATE");
    EXPECT_EQ(again.objects[3].position, "3.5 0.5 4.5");

    // Saved in play: the 248 objects of Warm Up, none its components made; loaded back, the same text,
    // the HUD in the file's layout whatever the window's size.
    Run("goto LEVEL4");
    Frame();
    RescaleGUIObjects(800, 600);
    ASSERT_GT(InLayer(0).size(), 248u);
    EXPECT_EQ(Run("save"), (Lines{"Saved as Warm Up.xml"}));
    const std::string played = Level("Warm Up.xml");
    EXPECT_EQ(ParseLevel(played).objects.size(), 248u);
    EXPECT_NE(played.find("<Position>-408 -324 -13</Position>"), std::string::npos);
    EXPECT_NE(played.find("<Scale>176 88 1</Scale>"), std::string::npos);
    Run("reload");
    RescaleGUIObjects(800, 600);
    RescaleGUIObjects(1280, 960);
    Run("save");
    EXPECT_EQ(Level("Warm Up.xml"), played);

    // Opened in the editor and saved twice: the same bytes, turns as written.
    Enter("Conveytapult.xml");
    ASSERT_TRUE(editor->SaveAs("c1.xml"));
    Enter("c1.xml");
    ASSERT_TRUE(editor->SaveAs("c2.xml"));
    EXPECT_EQ(Level("c2.xml"), Level("c1.xml"));
    EXPECT_NE(Level("c1.xml").find("<Rotation>0 180 0</Rotation>"), std::string::npos);
}

TEST_F(LevelEditorTest, SavingKeepsThePreviousFileAndRefusesBadNames)
{
    Enter("leveltemplate.xml");
    ASSERT_TRUE(editor->SaveAs("t.xml"));
    EXPECT_FALSE(fs::exists(scratch.LevelFile("t.bak")));  // nothing to keep yet
    const std::string first = Level("t.xml");
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(3.5f, 0.5f, 4.5f));
    ASSERT_TRUE(editor->SaveAs("t.xml"));
    EXPECT_EQ(Level("t.bak"), first);
    EXPECT_NE(Level("t.xml"), first);

    // Trailing blanks are dropped as the file system drops them; a level
    // that was never opened here is kept too.
    const std::string twister = TestSupport::ReadFile(TestSupport::SourceDir() + "/data/levels/Twister.xml");
    ASSERT_TRUE(editor->SaveAs("Twister.xml "));
    EXPECT_EQ(Level("Twister.bak"), twister);
    EXPECT_EQ(TestSupport::ReadFile(TestSupport::SourceDir() + "/data/levels/Twister.xml"), twister);

    const std::string folder = scratch.Path() + "/data/levels";
    const std::set<std::string> before = FolderEntries(folder);
    const std::set<std::string> above = FolderEntries(scratch.Path());
    for (const char* bad : {"../x.xml", "/x.xml", "", "   ", "x", "x.txt", "a/../../x.xml", "..\\x.xml", "C:x.xml",
                            "...\\x.xml"}) {
        std::string reason;
        EXPECT_FALSE(editor->SaveAs(bad, &reason)) << bad;
        EXPECT_FALSE(reason.empty()) << bad;
    }
    EXPECT_EQ(FolderEntries(folder), before);
    EXPECT_EQ(FolderEntries(scratch.Path()), above);
    EXPECT_FALSE(fs::exists("/x.xml"));

    // A folder that is not empty in the backup's place: nothing changes.
    const std::string second = Level("t.xml");
    const std::string backup = Level("t.bak");
    fs::remove(scratch.LevelFile("t.bak"));
    fs::create_directories(scratch.LevelFile("t.bak") + "/inside");
    std::string reason;
    EXPECT_FALSE(editor->SaveAs("t.xml", &reason));
    EXPECT_NE(reason.find("t.bak"), std::string::npos) << reason;
    EXPECT_EQ(console->GetOutput().back(), "Level not saved as t.xml: " + reason + " (the previous file is kept)");
    EXPECT_EQ(Level("t.xml"), second);
    EXPECT_TRUE(fs::is_directory(scratch.LevelFile("t.bak") + "/inside"));
    std::set<std::string> expected = before;
    EXPECT_EQ(FolderEntries(folder), expected);  // no temporary file left
    // An empty one is simply removed.
    fs::remove(scratch.LevelFile("t.bak") + "/inside");
    EXPECT_TRUE(editor->SaveAs("t.xml"));
    EXPECT_EQ(Level("t.bak"), second);
    (void)backup;
    // A NUL would cut every system call short onto t.xml itself: refused, both files kept.
    Run(std::string("save t.xml\0.xml", 15));
    EXPECT_NE(console->GetOutput().back().find("control character (code 0)"), std::string::npos);
    EXPECT_EQ(Level("t.xml") + "|" + Level("t.bak"), second + "|" + second);

    // A folder in the level file's place is refused.
    fs::create_directory(scratch.LevelFile("dir.xml"));
    EXPECT_FALSE(editor->SaveAs("dir.xml", &reason));
    EXPECT_TRUE(fs::is_directory(scratch.LevelFile("dir.xml")));
}

TEST_F(LevelEditorTest, ConsoleCommandsInTheEditor)
{
    EXPECT_TRUE(Run("edit new").empty());
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    EXPECT_EQ(editor->GetFileName(), "leveltemplate.xml");
    EXPECT_EQ(Run("save"),
              (Lines{"Failed. Cannot overwrite leveltemplate.xml. Use command 'save yourname.xml' instead"}));
    EXPECT_TRUE(fs::is_symlink(scratch.LevelFile("leveltemplate.xml")));  // not written
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(5.5f, 0.5f, 6.5f));
    EXPECT_EQ(Run("save mine.xml"), (Lines{"Saved as mine.xml"}));

    // "edit" of the saved file: the other editor id, the file's objects.
    EXPECT_TRUE(Run("edit mine.xml").empty());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITORNEXT);
    Frame();
    EXPECT_EQ(editor->GetFileName(), "mine.xml");
    ASSERT_EQ(InLayer(0, CUBE).size(), 1u);
    EXPECT_EQ(InLayer(0, CUBE).front()->position, glm::vec3(5.5f, 0.5f, 6.5f));
    // On the pause menu over the editor a save writes the editor's level, never the menu's file.
    FrameWithKey(KEY_ESCAPE);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_EQ(Run("save"), (Lines{"Saved as mine.xml"}));
    EXPECT_TRUE(fs::is_symlink(scratch.LevelFile("menus/pausemenu.xml")));
    EXPECT_NE(Level("mine.bak"), "");

    // "goto" plays the edited file: not in the level table, so freely.
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: mine.xml"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOAD);
    Frame();  // down to the editor first
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    EXPECT_EQ(System::GetInstance()->flags & 0x12u, 0u);
    // Saving from a level reads the level's grid (the editor keeps none).
    EXPECT_EQ(Run("save copy.xml"), (Lines{"Saved as copy.xml"}));
    const SavedLevel copy = ParseLevel(Level("copy.xml"));
    EXPECT_EQ(copy.rows, "30");
    EXPECT_EQ(std::count_if(copy.objects.begin(), copy.objects.end(), [](const SavedObject& o) { return o.type == "CUBE"; }),
              1);

    // A level-table file goes to its own state.
    Run("edit level1");
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    EXPECT_EQ(editor->GetFileName(), "The Throw.xml");
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: The Throw.xml"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    editor->SetFileName("gone.xml");
    EXPECT_EQ(Run("goto"), (Lines{"Invalid level path to 'goto'"}));

    // Fallen onto the retry menu: a goto there reaches its level, not the fall check below.
    Frame();
    System::GetInstance()->playerOne->position.y = -10.0f;
    for (int i = 0; i < 2; ++i) Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_GAMERETRYMENU);
    Run("goto level2");
    for (int i = 0; i < 2; ++i) Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVEL1 + 1);
    // A goto to the level being played starts it again, also from its pause menu.
    const glm::vec3 start = System::GetInstance()->playerOne->position;
    for (bool paused : {false, true}) {
        System::GetInstance()->playerOne->position.x += 2.0f;
        if (paused) FrameWithKey(KEY_ESCAPE);
        Frame();
        ASSERT_EQ(gsm.GetCurrentState(), paused ? STATE_PAUSEMENU : STATE_LEVEL1 + 1);
        EXPECT_EQ(Run("goto level2"), (Lines{"Loading level: LEVEL2"}));
        for (int i = 0; i < 2; ++i) Frame();
        ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVEL1 + 1);
        EXPECT_EQ(System::GetInstance()->playerOne->position, start) << paused;
    }

    // A menu over a level saves its own grid sizes (here only rendered).
    Run("goto MAINCREDITS");
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_MAINCREDITS);
    const SavedLevel credits = ParseLevel(editor->RenderLevel());
    EXPECT_EQ(credits.rows + credits.columns + credits.height, "111");
    // In the file's layout at any window size, a line's offsets in its box too.
    Run("goto MAINMENU");
    Frame();
    const std::string menu = editor->RenderLevel();
    RescaleGUIObjects(800, 600);
    EXPECT_EQ(editor->RenderLevel(), menu);
    EXPECT_NE(menu.find("<PosX>-215</PosX>"), std::string::npos);
}

TEST_F(LevelEditorTest, GotoPlaysTheEditedFileWithWhatTheEditorShows)
{
    Run("edit new");
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(5.5f, 0.5f, 6.5f));
    // Changes to the template have no file of their own to play: nothing goes.
    EXPECT_EQ(Run("goto"), (Lines{"Unsaved work: 'save name.xml' keeps it; same goto again drops it"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITOR);
    EXPECT_TRUE(fs::is_symlink(scratch.LevelFile("leveltemplate.xml")));
    // So does every command that would drop them; the same line next goes on.
    EXPECT_EQ(Run("edit new"), (Lines{"Unsaved work: 'save name.xml' keeps it; same edit again drops it"}));
    EXPECT_TRUE(Run("edit new").empty());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITORNEXT);
    gsm.RequestState(STATE_LEVELEDITOR);

    // Saved under its own name, the level being edited is that file.
    EXPECT_EQ(Run("save mytest.xml"), (Lines{"Saved as mytest.xml"}));
    EXPECT_EQ(editor->GetFileName(), "mytest.xml");
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: mytest.xml"}));
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    EXPECT_EQ(gsm.GetLevelManager()->GetFreeLoadPath(), "mytest.xml");
    EXPECT_EQ(InLayer(0, CUBE).size(), 1u);

    // A wall placed and not saved: each goto writes nothing and leaves
    // nothing; the same goto next leaves without it.
    Run("edit");
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    const std::string saved = Level("mytest.xml");
    ASSERT_NE(Brush(WALL), nullptr);
    PlaceAt(glm::vec3(8.5f, 0.5f, 6.5f));
    FrameWithKey(KEY_ESCAPE);  // on the pause menu over the editor too
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_EQ(Run("goto LEVEL1").size(), 1u);
    EXPECT_EQ(Run("goto"), (Lines{"Unsaved work: 'save' or 'save name.xml' keeps it; same goto again drops it"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);
    EXPECT_FALSE(fs::exists(scratch.LevelFile("mytest.bak")));
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: mytest.xml"}));
    EXPECT_EQ(Level("mytest.xml"), saved);
    Frame();
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    EXPECT_EQ(InLayer(0, WALL).size(), 0u);
    EXPECT_EQ(InLayer(0, CUBE).size(), 1u);

    // Nothing changed: a goto leaves at once, the file and its backup as they are.
    Run("edit mytest.xml");
    Frame();
    EXPECT_EQ(Run("save"), (Lines{"Saved as mytest.xml"}));
    const std::string played = Level("mytest.xml");
    ASSERT_TRUE(TestSupport::WriteFile(scratch.LevelFile("mytest.bak"), "older"));  // a backup unlike the file
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: mytest.xml"}));
    EXPECT_EQ(Level("mytest.xml") + "|" + Level("mytest.bak"), played + "|older");
}

TEST_F(LevelEditorTest, GotoFindsTableNamesEndingInABlank)
{
    Run("edit level5");
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
    EXPECT_EQ(editor->GetFileName(), "Twister.xml ");
    EXPECT_EQ(Run("goto"), (Lines{"Loading level: Twister.xml "}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1 + 4);  // LEVEL5

    // Every such name of the table goes to its own state.
    int blankEnded = 0;
    for (const LevelTableEntry& row : GetLevelTable()) {
        const std::string file = row.fileName;
        if (file.empty() || file.back() != ' ') continue;
        ++blankEnded;
        editor->SetFileName(file);
        EXPECT_EQ(Run("goto"), (Lines{"Loading level: " + file})) << file;
        EXPECT_EQ(gsm.GetRequestedState(), row.stateId) << file;
    }
    EXPECT_EQ(blankEnded, 17);
}

TEST_F(LevelEditorTest, MissingFileEndsTheGameWithoutReadingOn)
{
    testing::internal::CaptureStdout();
    Enter("missing.xml");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "Unable to open file: data/levels/missing.xml, exiting game..."), 1u) << out;
    EXPECT_FALSE(System::GetInstance()->IsRunning());
    EXPECT_TRUE(InLayer(0).empty());
    Frame();  // the last frame runs without a level
    System::GetInstance()->flags |= SYSTEM_RUNNING;

    // A grid of size 0 is reported and stays unsized: nothing can be placed.
    ASSERT_TRUE(TestSupport::WriteFile(scratch.LevelFile("flat.xml"),
                                       "<level><Map><Row>0</Row><Column>4</Column><Height>1</Height></Map></level>"));
    testing::internal::CaptureStdout();
    Enter("flat.xml");
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "Degenerate map! Please make sure the row/column/height is NOT 0!"),
              std::string::npos);
    ASSERT_NE(editor->GetMap(), nullptr);
    EXPECT_EQ(editor->GetMap()->GetColumns(), 0u);
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(0.5f, 0.5f, 0.5f));
    EXPECT_TRUE(InLayer(0).empty());
}

TEST_F(LevelEditorTest, GizmoFollowsTheSelection)
{
    Enter("leveltemplate.xml");
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(glm::vec3(3.5f, 0.5f, 4.5f));
    FrameWithKey(KEY_DELETE);
    GameObject* cube = InLayer(0, CUBE).front();

    editor->SelectObject(cube);
    Frame();
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_MOVE);
    EXPECT_EQ(editor->GetGizmoTarget(), cube);
    std::vector<GameObject*> axes = InLayer(Gizmo::AXIS_LAYER);
    ASSERT_EQ(axes.size(), 3u);
    EXPECT_EQ(axes[0]->type, MOVE_X);
    EXPECT_EQ(axes[0]->position, cube->position);

    FrameWithKey(KEY_A + ('B' - 'A'));
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_SCALE);
    axes = InLayer(Gizmo::AXIS_LAYER);
    ASSERT_EQ(axes.size(), 3u);
    EXPECT_EQ(axes[2]->type, SCALE_Z);
    FrameWithKey(KEY_A + ('N' - 'A'));
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_ROTATE);
    // A handle picked for dragging keeps the target.
    editor->SelectObject(InLayer(Gizmo::AXIS_LAYER).front());
    FrameWithKey(KEY_A + ('M' - 'A'));
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_MOVE);
    EXPECT_EQ(editor->GetGizmoTarget(), cube);
    EXPECT_EQ(editor->GetSelected(), cube);
    objects->Update();
    EXPECT_EQ(InLayer(Gizmo::AXIS_LAYER).size(), 3u);

    editor->SetGizmoEnabled(false);
    Frame();
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_NONE);
    objects->Update();
    EXPECT_TRUE(InLayer(Gizmo::AXIS_LAYER).empty());
    editor->SetGizmoEnabled(true);
    Frame();
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_MOVE);

    // The selection goes (removed): so does the gizmo.
    cube->flags |= OBJ_DESTROY;
    objects->Update();
    Frame();
    EXPECT_EQ(editor->GetGizmoMode(), Gizmo::MODE_NONE);
    EXPECT_EQ(editor->GetGizmoTarget(), nullptr);
}

TEST_F(LevelEditorTest, EnemiesPatrolAlongTheirMarkers)
{
    // An enemy of the file gets a marker per waypoint when the editor starts.
    ASSERT_TRUE(TestSupport::WriteFile(
        scratch.LevelFile("guarded.xml"),
        "<level><Map><Row>8</Row><Column>8</Column><Height>1</Height></Map>"
        "<Object><Type>ENEMY</Type><Position>2.5 0.5 2.5</Position><Component><Type>CT_AI</Type><AI>"
        "<Type>AI_PATROL</Type><Waypoint>4.5 0.5 2.5</Waypoint><Waypoint>4.5 0.5 5.5</Waypoint></AI>"
        "</Component></Object></level>"));
    Enter("guarded.xml");
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    GameObject* enemy = editor->GetAIRecords()[0].ai;
    ASSERT_EQ(enemy->type, ENEMY);
    auto* ai = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI));
    ASSERT_NE(ai, nullptr);
    std::vector<GameObject*> markers = editor->GetAIRecords()[0].waypoints;
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[1]->position, glm::vec3(4.5f, 0.5f, 5.5f));
    EXPECT_EQ(markers[1]->type, WAYPOINT);
    EXPECT_EQ(dynamic_cast<WaypointComponent*>(markers[1]->GetComponent(CT_WAYPOINT))->GetEnemy(), enemy);

    // The loop follows the markers every frame; a new marker joins the end.
    markers[0]->position = glm::vec3(6.5f, 0.5f, 2.5f);
    GameObject* third = objects->CreateInstance(WAYPOINT, glm::vec3(6.5f, 0.5f, 6.5f));
    editor->AddAIWaypoint(third, enemy);
    Frame();
    EXPECT_EQ(ai->GetPatrol().GetWaypoints(),
              (std::vector<glm::vec3>{{6.5f, 0.5f, 2.5f}, {4.5f, 0.5f, 5.5f}, {6.5f, 0.5f, 6.5f}}));
    // Saved through the enemy's own fields; the markers never as objects.
    ASSERT_TRUE(editor->SaveAs("guarded2.xml"));
    const std::string saved = Level("guarded2.xml");
    EXPECT_NE(saved.find("<Waypoint>6.5 0.5 6.5</Waypoint>"), std::string::npos) << saved;
    ASSERT_EQ(ParseLevel(saved).objects.size(), 1u);

    // A marker for no enemy goes at once.
    GameObject* stray = objects->CreateInstance(WAYPOINT, glm::vec3(5.5f, 0.5f, 3.5f));
    testing::internal::CaptureStdout();
    editor->AddAIWaypoint(stray, nullptr);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "LevelEditor:: Attempting to add waypoint to non AI object. Waypoint will be removed"),
              std::string::npos);
    EXPECT_TRUE(stray->flags & OBJ_DESTROY);

    // The delete button's unlink: a marker leaves the loop, an enemy takes its markers along.
    editor->UnlinkRemovedObject(markers[1]);
    EXPECT_TRUE(markers[1]->flags & OBJ_DESTROY);
    Frame();
    EXPECT_EQ(ai->GetPatrol().GetWaypoints(), (std::vector<glm::vec3>{{6.5f, 0.5f, 2.5f}, {6.5f, 0.5f, 6.5f}}));
    GameObject* sprite = objects->CreateInstance(SPRITE, glm::vec3(0.0f));
    editor->UnlinkRemovedObject(sprite);  // screen objects are left alone
    editor->UnlinkRemovedObject(nullptr);
    editor->UnlinkRemovedObject(enemy);
    EXPECT_TRUE(editor->GetAIRecords().empty());
    EXPECT_TRUE(markers[0]->flags & OBJ_DESTROY);
    EXPECT_TRUE(third->flags & OBJ_DESTROY);

    // An enemy stamped from the palette has a record; stamping over it
    // removes the record and its markers.
    GameObject* brush = Brush(ENEMY);
    ASSERT_NE(brush, nullptr);
    PlaceAt(glm::vec3(1.5f, 0.5f, 6.5f));
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    GameObject* placed = editor->GetAIRecords()[0].ai;
    GameObject* marker = objects->CreateInstance(WAYPOINT, glm::vec3(0.5f, 0.5f, 6.5f));
    editor->AddAIWaypoint(marker, placed);
    editor->AddAIRecord(placed);  // once only
    ASSERT_EQ(editor->GetAIRecords().size(), 1u);
    FrameWithKey(KEY_DELETE);
    ASSERT_NE(Brush(CUBE), nullptr);
    PlaceAt(placed->position);
    EXPECT_TRUE(placed->flags & OBJ_DESTROY);
    EXPECT_TRUE(marker->flags & OBJ_DESTROY);
    EXPECT_TRUE(editor->GetAIRecords().empty());
}

} // namespace
