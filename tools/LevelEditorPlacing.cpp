// The level editor's brush: placing, removing and moving, and the records
// that tie waypoint markers to their enemies.
#include <algorithm>
#include <cmath>

#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/Map.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/WaypointComponent.h"
#include "tools/AntTweakBar.h"
#include "tools/LevelEditor.h"

namespace QRX {

namespace {

ObjectManager* Objects() { return System::GetInstance()->objectManager; }

bool IsFinite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The cell index of a coordinate for an object's scale on that axis: the
// coordinate over the scale from a scale of 1 up, the coordinate itself
// below. Negative or not finite: no cell.
bool CellIndex(float coordinate, float scale, double& index)
{
    const double quotient = scale >= 1.0f ? static_cast<double>(coordinate) / scale : coordinate;
    if (!std::isfinite(quotient) || quotient < 0.0) return false;
    index = std::trunc(quotient);
    return true;
}

// Boxes centred on the positions with half-extents of half the scales
// overlap on the axis (touching counts).
bool OverlapOnAxis(const GameObject& a, const GameObject& b, int axis)
{
    const float reach = 0.5f * std::fabs(a.scale[axis]) + 0.5f * std::fabs(b.scale[axis]);
    return std::fabs(a.position[axis] - b.position[axis]) <= reach;
}

} // namespace

void LevelEditor::CreatePickedBrush(std::size_t index)
{
    if (GetBrush()) return;
    if (index >= m_palette.size()) {
        QRX_LOG_WARNING("Attempting to select an object not in the object list in level editor");
        return;
    }
    ObjectManager* objects = Objects();
    GameObject* brush =
        objects ? objects->CreatePlacedInstance(m_palette[index], m_lastBrushPosition, PALETTE_LAYER, EditorStateId())
                : nullptr;
    if (!brush) return;
    m_brush = brush;
    m_placing = true;
}

void LevelEditor::ReleaseBrush()
{
    if (GameObject* brush = GetBrush()) brush->flags |= OBJ_DESTROY;
    m_placing = false;
    m_brush = nullptr;
}

void LevelEditor::SnapToCellCentre(glm::vec3& point)
{
    for (int axis = 0; axis < 3; ++axis) point[axis] = std::trunc(point[axis]) + 0.5f;
}

void LevelEditor::RaisePlacementPlane()
{
    m_placementPlane.y += m_snapToCell ? SNAPPED_PLANE_STEP : FREE_PLANE_STEP;
}

void LevelEditor::LowerPlacementPlane()
{
    m_placementPlane.y -= m_snapToCell ? SNAPPED_PLANE_STEP : FREE_PLANE_STEP;
    if (m_placementPlane.y < LOWEST_PLANE) m_placementPlane.y = LOWEST_PLANE;
}

void LevelEditor::MoveBrush()
{
    GameObject* brush = GetBrush();
    InputManager* input = System::GetInstance()->inputManager;
    if (!brush || !m_placing || !input) return;

    if (KeyTriggered(KEY_UP)) RaisePlacementPlane();
    if (KeyTriggered(KEY_DOWN)) LowerPlacementPlane();
    if (input->GetWheel() > 0) RaisePlacementPlane();
    if (input->GetWheel() < 0) LowerPlacementPlane();

    // Height from the placement plane, x and z where the cursor meets the ground.
    glm::vec3 high = input->GetMouseOnPlane(m_placementPlane, true);
    glm::vec3 ground = input->GetMouseOnPlane(m_groundPlane, true);
    if (m_snapToCell) {
        SnapToCellCentre(high);
        SnapToCellCentre(ground);
    }
    brush->position = glm::vec3(ground.x, high.y, ground.z);
    brush->flags &= ~OBJ_WORLD_VALID;
    m_lastBrushPosition = brush->position;
}

void LevelEditor::MoveScreenBrush()
{
    GameObject* brush = GetBrush();
    InputManager* input = System::GetInstance()->inputManager;
    int width = 0, height = 0;
    if (!brush || !input || !AntTweakBar::ClientSize(width, height)) return;
    brush->position = glm::vec3(static_cast<float>(input->GetMouseX() - width / 2),
                                static_cast<float>(height / 2 - input->GetMouseY()), SCREEN_BRUSH_Z);
    brush->flags &= ~OBJ_WORLD_VALID;
}

bool LevelEditor::ReplaceObjectUnderBrush(GameObject* object, GameObject* brush, bool snap)
{
    if (!object || !brush || object == brush) return false;
    for (int axis = 0; axis < 3; ++axis) {
        const float o = object->position[axis];
        const float b = brush->position[axis];
        if (snap) {
            // Nearly equal, relative to the object's coordinate (1 at 0).
            const float divisor = o == 0.0f ? 1.0f : o;
            if (!(std::fabs((b - o) / divisor) < SAME_POSITION_SHARE)) return false;
        } else {
            const float s = object->scale[axis];
            if (!(b > o - s && b < o + s)) return false;
        }
    }
    object->flags |= OBJ_DESTROY;
    if (object->type == ENEMY) RemoveAIRecord(object);
    else if (object->type == WAYPOINT) RemoveWaypoint(object);
    return true;
}

void LevelEditor::PlaceWorldObject()
{
    GameObject* brush = GetBrush();
    ObjectManager* objects = Objects();
    if (!m_placing || !brush || !objects || !m_map) return;
    const glm::vec3 p = brush->position;
    const glm::vec3 s = brush->scale;
    if (!IsFinite(p) || p.x < 0.0f || p.y < 0.0f || p.z < 0.0f) return;
    double column = 0.0, row = 0.0;
    if (!CellIndex(p.x, s.x, column) || !CellIndex(p.z, s.z, row)) return;
    if (column >= m_map->GetColumns() || row >= m_map->GetRows()) return;

    // A copy: creating and removing below query the manager again.
    const GameObjectGroup drawn = objects->GetObjectsWithComponent(CT_GRAPHICS);
    for (GameObject* object : drawn)
        if (object->layer == 0) ReplaceObjectUnderBrush(object, brush, m_snapToCell);

    GameObject* placed = objects->CreateInstance(brush->type, brush->position);
    if (!placed) return;
    placed->rotation = brush->rotation;
    placed->position = brush->position;
    placed->flags &= ~OBJ_WORLD_VALID;
    placed->layer = 0;
    if (placed->type == WAYPOINT) {
        GameObject* enemy = m_lastPicked.object && m_lastPicked.Refresh() ? m_lastPicked.object : nullptr;
        AddAIWaypoint(placed, enemy);
    }
    else if (placed->type == ENEMY) AddAIRecord(placed);
}

void LevelEditor::RemovePlacedWorldObject()
{
    GameObject* brush = GetBrush();
    ObjectManager* objects = Objects();
    if (!brush || !objects) return;
    const GameObjectGroup drawn = objects->GetObjectsWithComponent(CT_GRAPHICS);
    GameObject* removed = nullptr;
    for (GameObject* object : drawn) {
        // Only what the level consists of: never the palette, the brush or a
        // gizmo handle the gizmo still drives.
        if (object->layer != 0) continue;
        if (ReplaceObjectUnderBrush(object, brush, m_snapToCell)) {
            removed = object;
            break;
        }
    }
    if (!removed || !m_map) return;

    // The grid step: skipped for a scale that gives no cell (0, negative, not finite).
    const glm::vec3 p = removed->position;
    const glm::vec3 s = removed->scale;
    const double column = static_cast<double>(p.x) / s.x;
    const double layer = static_cast<double>(p.y) / s.y;
    const double row = static_cast<double>(p.z) / s.z;
    for (double q : {column, layer, row})
        if (!std::isfinite(q) || q < 0.0) return;
    const double i = std::trunc(column), j = std::trunc(layer), k = std::trunc(row);
    if (i >= m_map->GetColumns() || k >= m_map->GetRows()) return;
    const Map::Cell cell = m_map->GetCell(static_cast<unsigned>(k), static_cast<unsigned>(i));
    if (j >= static_cast<double>(cell.size())) return;
    const auto ui = static_cast<unsigned>(i), uj = static_cast<unsigned>(j), uk = static_cast<unsigned>(k);
    if (cell[uj] == 0) return;
    DestroyObjectAtCell(ui, uj, uk);
    m_map->SetCellValue(uk, ui, uj, 0, false);
}

void LevelEditor::DestroyObjectAtCell(unsigned column, unsigned layer, unsigned row)
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    for (GameObject* object : objects->GetAllObjects()) {
        if (object->layer != 0) continue;
        const glm::vec3 point(object->scale.x * (column + 0.5f), object->scale.y * (layer + 0.5f),
                              object->scale.z * (row + 0.5f));
        const glm::vec3 low = object->position - 0.5f * object->scale;
        const glm::vec3 high = object->position + 0.5f * object->scale;
        if (glm::all(glm::greaterThanEqual(point, low)) && glm::all(glm::lessThanEqual(point, high))) {
            object->flags |= OBJ_DESTROY;
            if (object->type == ENEMY) RemoveAIRecord(object);
            else if (object->type == WAYPOINT) RemoveWaypoint(object);
            return;
        }
    }
}

void LevelEditor::PlaceScreenObject()
{
    GameObject* brush = GetBrush();
    ObjectManager* objects = Objects();
    if (!brush || !objects) return;
    const GameObjectGroup screen = objects->GetObjectsWithComponent(CT_GUI);
    for (GameObject* object : screen) {
        if (object->layer != 0 || object == brush || object->position.z != brush->position.z) continue;
        if (OverlapOnAxis(*object, *brush, 0) && OverlapOnAxis(*object, *brush, 1) && OverlapOnAxis(*object, *brush, 2))
            object->flags |= OBJ_DESTROY;
    }
    GameObject* placed = objects->CreateInstance(brush->type, brush->position);
    if (!placed) return;
    // Its master's size is laid out for 1024 x 768: fitted to the window as
    // the level's others are, so that a save writes it back in that layout.
    auto* gui = placed->GetComponent<GUIComponent>();
    int width = 0, height = 0;
    if (gui && AntTweakBar::ClientSize(width, height)) gui->FitToWindow(width, height);
    placed->rotation = brush->rotation;
    placed->position = brush->position;
    placed->position.z = SCREEN_BRUSH_Z;
    placed->flags &= ~OBJ_WORLD_VALID;
    placed->layer = 0;
}

void LevelEditor::RemoveScreenObjects()
{
    GameObject* brush = GetBrush();
    ObjectManager* objects = Objects();
    if (!brush || !objects) return;
    for (GameObject* object : objects->GetObjectsWithComponent(CT_GUI)) {
        if (object->layer != 0 || object == brush) continue;
        if (OverlapOnAxis(*object, *brush, 0) && OverlapOnAxis(*object, *brush, 1) && OverlapOnAxis(*object, *brush, 2))
            object->flags |= OBJ_DESTROY;
    }
}

// ------------------------------------------------------------------ AI records

namespace {

AIComponent* PatrolOf(GameObject* enemy)
{
    return enemy ? enemy->GetComponent<AIComponent>() : nullptr;
}

WaypointComponent* MarkerOf(GameObject* waypoint)
{
    return waypoint ? waypoint->GetComponent<WaypointComponent>() : nullptr;
}

} // namespace

void LevelEditor::AddAIRecord(GameObject* ai)
{
    if (!ai) return;
    for (const AIRecord& record : m_aiRecords)
        if (record.ai == ai) return;
    m_aiRecords.push_back(AIRecord{ai, {}});
    AIComponent* patrol = PatrolOf(ai);
    ObjectManager* objects = Objects();
    if (!patrol || !objects || !HasMaster(WAYPOINT)) return;
    // One marker per waypoint of the enemy's loop, in walking order.
    for (const glm::vec3& at : patrol->GetPatrol().GetWaypoints()) {
        GameObject* marker = objects->CreateInstance(WAYPOINT, at);
        if (!marker) continue;
        marker->previousPosition = at;
        marker->flags &= ~OBJ_WORLD_VALID;
        m_aiRecords.back().waypoints.push_back(marker);
        if (WaypointComponent* component = MarkerOf(marker)) component->SetEnemy(ai);
    }
}

void LevelEditor::RemoveAIRecord(GameObject* ai)
{
    auto it = std::find_if(m_aiRecords.begin(), m_aiRecords.end(), [ai](const AIRecord& r) { return r.ai == ai; });
    if (it == m_aiRecords.end()) return;
    for (GameObject* waypoint : it->waypoints) waypoint->flags |= OBJ_DESTROY;
    m_aiRecords.erase(it);
}

void LevelEditor::AddAIWaypoint(GameObject* waypoint, GameObject* ai)
{
    if (!waypoint) return;
    for (AIRecord& record : m_aiRecords) {
        if (ai && record.ai == ai) {
            record.waypoints.push_back(waypoint);
            if (WaypointComponent* component = MarkerOf(waypoint)) component->SetEnemy(ai);
            return;
        }
    }
    waypoint->flags |= OBJ_DESTROY;
    QRX_LOG_WARNING("LevelEditor:: Attempting to add waypoint to non AI object. Waypoint will be removed");
}

void LevelEditor::RemoveWaypoint(GameObject* waypoint)
{
    // The marker's enemy names its record; a marker without one is looked
    // for in every record.
    const WaypointComponent* component = MarkerOf(waypoint);
    GameObject* enemy = component ? component->GetEnemy() : nullptr;
    for (AIRecord& record : m_aiRecords) {
        if (enemy && record.ai != enemy) continue;
        auto it = std::find(record.waypoints.begin(), record.waypoints.end(), waypoint);
        if (it == record.waypoints.end()) continue;
        (*it)->flags |= OBJ_DESTROY;
        record.waypoints.erase(it);
        return;
    }
}

void LevelEditor::SyncWaypoints()
{
    for (const AIRecord& record : m_aiRecords) {
        AIComponent* patrol = PatrolOf(record.ai);
        if (!patrol) continue;
        std::vector<glm::vec3> points;
        points.reserve(record.waypoints.size());
        for (const GameObject* marker : record.waypoints) points.push_back(marker->position);
        patrol->GetPatrol().SetWaypoints(points);
    }
}

void LevelEditor::UnlinkRemovedObject(GameObject* object)
{
    if (!object || object->GetComponent(CT_GUI)) return;
    if (object->type == ENEMY) RemoveAIRecord(object);
    else if (object->type == WAYPOINT) RemoveWaypoint(object);
}

} // namespace QRX
