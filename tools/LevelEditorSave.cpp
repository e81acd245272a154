// The level editor's level file writer and its overlay.
#include <cmath>
#include <functional>
#include <set>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/FilePath.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/CrateSpawnerTriggerComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "tools/LevelEditor.h"
#include "tools/LevelFileWriter.h"

namespace QRX {

namespace {

const glm::vec4 WHITE(1.0f, 1.0f, 1.0f, 1.0f);

// The components whose objects a level file lists first, in this order.
constexpr Components FIRST_WRITTEN[] = {CT_PLAYER, CT_CHECKPOINT, CT_CRATE, CT_DOOR, CT_SWITCH};

// The colour of the k-th linked object of a kind.
glm::vec4 LinkColour(int k, float alpha)
{
    auto channel = [k](int offset) { return 0.5f + 0.5f * std::sin(1.3f * static_cast<float>(3 * k + offset)); };
    return glm::vec4(channel(3), channel(4), channel(5), alpha);
}

// A trigger id read from an object's component, or false when it has none.
using TriggerIdOf = std::function<bool(const GameObject&, int&)>;

// The id a component of the class holds in its member, when the object has one.
template <typename ComponentClass, typename Member>
bool IdOf(const GameObject& object, Member ComponentClass::*member, int& id)
{
    const auto* component = object.GetComponent<const ComponentClass>();
    if (!component) return false;
    id = static_cast<int>(component->*member);
    return true;
}

bool DoorId(const GameObject& object, int& id) { return IdOf(object, &DoorComponent::m_Id, id); }
bool SwitchId(const GameObject& object, int& id) { return IdOf(object, &SwitchComponent::m_Id, id); }
bool BridgeId(const GameObject& object, int& id)
{
    return IdOf(object, &BridgeComponent::m_TriggerID, id);
}
bool BridgeTriggerId(const GameObject& object, int& id)
{
    return IdOf(object, &BridgeTriggerComponent::m_TriggerID, id);
}

bool SpawnerId(const GameObject& object, int& id)
{
    return IdOf(object, &CrateSpawnerComponent::m_TriggerID, id);
}
bool SpawnerTriggerId(const GameObject& object, int& id)
{
    return IdOf(object, &CrateSpawnerTriggerComponent::m_TriggerID, id);
}

// The "Map" sizes of the screen file the state opened (a menu, a transition
// or the loading screen): false when it is not open or has no "Map".
bool OpenedFileMapSizes(int stateId, const LevelManager& levels, LevelEditor::MapSizes& sizes)
{
    FileManager* files = System::GetInstance()->fileManager;
    if (!files) return false;
    const auto open = files->documentContainer.find(LevelManager::LEVEL_FOLDER + levels.GetLevelFileName(stateId));
    if (open == files->documentContainer.end() || !open->second) return false;
    const tinyxml2::XMLElement* root = open->second->RootElement();
    const tinyxml2::XMLElement* map = root ? root->FirstChildElement("Map") : nullptr;
    if (!map) return false;
    sizes = {};
    FileManager::ReadMapSizes(map, sizes.rows, sizes.columns, sizes.height);
    return true;
}

// The name as a log line can show it: control characters as '?'.
std::string Shown(std::string name)
{
    for (char& c : name)
        if (static_cast<unsigned char>(c) < LevelFiles::FIRST_PRINTABLE || c == LevelFiles::DELETE_CHARACTER) c = '?';
    return name;
}

} // namespace

int LevelEditor::SavedStateId() const { return m_openStateId != 0 ? m_openStateId : CurrentStateId(); }

bool LevelEditor::ScreenMapSizes(int stateId, MapSizes& sizes) const
{
    // The editor's grid is only the editor's: a menu over it has its own.
    const Map* map = IsEditorState(stateId) ? m_map.get() : nullptr;
    GameStateManager* states = System::GetInstance()->gameStateManager;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    // A screen over (or after) a level has its own sizes, not the level's grid.
    if (!map && levels && !LevelManager::OwnsGrid(stateId)) return OpenedFileMapSizes(stateId, *levels, sizes);
    if (!map && levels) map = levels->GetMap();
    if (!map) return false;
    sizes = {map->GetRows(), map->GetColumns(), map->GetHeight()};
    return true;
}

std::string LevelEditor::RenderLevel() const
{
    System* system = System::GetInstance();
    FileManager* files = system->fileManager;
    ObjectManager* objects = system->objectManager;
    if (!files || !objects) return std::string();

    files->BeginWrite("level");
    const int saved = SavedStateId();
    MapSizes sizes;
    if (ScreenMapSizes(saved, sizes)) {
        files->WriteParent("Map");
        files->WriteChild("Row");
        files->WriteValue(std::to_string(sizes.rows));
        files->WriteSibling("Column");
        files->WriteValue(std::to_string(sizes.columns));
        files->WriteSibling("Height");
        files->WriteValue(std::to_string(sizes.height));
    }

    // Each object once: the kinds a level lists first, then the rest in id order.
    const GameObjectGroup active = objects->GetActiveObjects();
    // What components made while the level ran is not part of it.
    auto saves = [saved](const GameObject* o) {
        return o->layer == 0 && o->stateId == saved && (o->flags & OBJ_LEVEL_OWN) && !(o->flags & OBJ_DESTROY) &&
               o->type != WAYPOINT;
    };
    std::set<const GameObject*> written;
    auto write = [&written](const GameObject* o) {
        if (written.insert(o).second) o->Write();
    };
    for (Components kind : FIRST_WRITTEN)
        for (const GameObject* o : active)
            if (saves(o) && o->GetComponent(kind)) write(o);
    for (const GameObject* o : active)
        if (saves(o)) write(o);
    return files->RenderCommands();
}

bool LevelEditor::SaveAs(const std::string& fileName, std::string* reason)
{
    std::string why;
    const std::string name = LevelFiles::DropTrailingBlanks(fileName);
    bool saved = LevelFiles::CheckLevelFileName(name, why);

    System* system = System::GetInstance();
    if (saved && (!system->fileManager || !system->objectManager)) {
        why = "no file manager or object manager";
        saved = false;
    }
    std::string text;
    if (saved) {
        text = RenderLevel();
        const std::string folder = LevelManager::LEVEL_FOLDER;
        saved = LevelFiles::ReplaceKeepingBackup(folder + name, folder + LevelFiles::BackupName(name), text, why);
    }
    // The one report of a refusal (the console shows it through the log's echo).
    if (!saved) {
        const bool kept =
            name.find('\0') == std::string::npos && Platform::PathExists(LevelManager::LEVEL_FOLDER + name);
        QRX_LOG_ERROR("Level not saved as %s: %s%s", Shown(name).c_str(), why.c_str(),
                      kept ? " (the previous file is kept)" : "");
    }
    if (reason) *reason = saved ? std::string() : why;
    // In the editor the level being edited is now that file.
    if (saved && m_openStateId != 0) {
        m_fileName = fileName;
        m_savedLevel = text;
    }
    return saved;
}

bool LevelEditor::HasUnsavedChanges() const
{
    return m_openStateId != 0 && m_fileOpened && RenderLevel() != m_savedLevel;
}

void LevelEditor::Draw()
{
    if (!IsEditorState(CurrentStateId())) return;
    System* system = System::GetInstance();
    Renderer* renderer = system->renderer;
    if (!renderer || !system->objectManager) return;

    if (m_map) {
        const float columns = static_cast<float>(m_map->GetColumns());
        const float rows = static_cast<float>(m_map->GetRows());
        for (unsigned i = 0; i <= m_map->GetColumns(); ++i)
            renderer->Draw3DLine(glm::vec3(static_cast<float>(i), 0.0f, 0.0f),
                                 glm::vec3(static_cast<float>(i), 0.0f, rows), GRID_LINE_WIDTH, WHITE);
        for (unsigned j = 0; j <= m_map->GetRows(); ++j)
            renderer->Draw3DLine(glm::vec3(0.0f, 0.0f, static_cast<float>(j)),
                                 glm::vec3(columns, 0.0f, static_cast<float>(j)), GRID_LINE_WIDTH, WHITE);
    }

    const GameObjectGroup drawn = system->objectManager->GetObjectsWithComponent(CT_GRAPHICS);
    for (GameObject* object : drawn) {
        if (object->type == WALL)
            renderer->DrawDebugShape(object, DEBUG_SHAPE_BOX, glm::vec4(1.0f, 0.0f, 0.0f, OVERLAY_ALPHA));
        else if (object->flags & OBJ_SKIP_DRAW)
            renderer->DrawDebugShape(object, DEBUG_SHAPE_BOX, glm::vec4(0.0f, 1.0f, 1.0f, OVERLAY_ALPHA));
    }
    const glm::vec4 highlight(1.0f, 1.0f, 1.0f, OVERLAY_ALPHA);
    GameObject* brush = GetBrush();
    if (brush && brush->type != WALL && brush->type != CHECKPOINT)
        renderer->DrawDebugShape(brush, DEBUG_SHAPE_BOX, highlight);
    if (GameObject* selected = GetSelected()) renderer->DrawDebugShape(selected, DEBUG_SHAPE_BOX, highlight);

    DrawTriggerLinks();

    // Each enemy's patrol: from the enemy to its first waypoint, then on.
    const GameObjectGroup enemies = system->objectManager->GetObjectsWithComponent(CT_AI);
    for (GameObject* enemy : enemies) {
        const auto* ai = enemy->GetComponent<const AIComponent>();
        if (!ai) continue;
        glm::vec3 from = enemy->position;
        for (const glm::vec3& to : ai->GetPatrol().GetWaypoints()) {
            renderer->Draw3DLine(from, to, LINK_LINE_WIDTH, highlight);
            from = to;
        }
    }
}

void LevelEditor::DrawTriggerLinks()
{
    System* system = System::GetInstance();
    Renderer* renderer = system->renderer;
    ObjectManager* objects = system->objectManager;
    if (!renderer || !objects) return;

    auto link = [&](ObjectType driven, const TriggerIdOf& drivenId, ObjectType trigger, const TriggerIdOf& triggerId) {
        const GameObjectGroup targets = objects->GetActiveObjectsOfType(driven);
        const GameObjectGroup triggers = objects->GetActiveObjectsOfType(trigger);
        for (size_t k = 0; k < targets.size(); ++k) {
            int id = 0;
            if (!drivenId(*targets[k], id)) continue;
            const glm::vec4 colour = LinkColour(static_cast<int>(k), OVERLAY_ALPHA);
            for (GameObject* t : triggers) {
                int other = 0;
                if (triggerId(*t, other) && other == id)
                    renderer->Draw3DLine(t->position, targets[k]->position, LINK_LINE_WIDTH, colour);
            }
        }
    };
    link(DOOR, DoorId, SWITCH, SwitchId);
    link(CRATESPAWNER, SpawnerId, CRATESPAWNERTRIGGER, SpawnerTriggerId);
    link(BRIDGE, BridgeId, BRIDGETRIGGER, BridgeTriggerId);
}

} // namespace QRX
