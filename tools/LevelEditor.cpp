// The level editor's state slots, its frame, picking and the gizmo.
#include "tools/LevelEditor.h"

#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/FilePath.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/PlayerComponent.h"
#include "tools/AntTweakBar.h"
#include "tools/Console.h"
#include "tools/Gizmo.h"
#include "tools/TweakBarState.h"

namespace QRX {

namespace {

LevelManager* Levels()
{
    GameStateManager* states = System::GetInstance()->gameStateManager;
    return states ? states->GetLevelManager() : nullptr;
}

TweakBarState* Panels() { return System::GetInstance()->tweakBarState; }

} // namespace

const std::vector<ObjectType>& LevelEditor::CreatorTypes()
{
    static const std::vector<ObjectType> types = {
        CUBE,         CRATE,         SWITCH,          DOOR,         PLAYER,       WALL,
        EXIT_MARKER,  CHECKPOINT,    ENEMY,           BARRIER,      CRATESPAWNER, CRATESPAWNERTRIGGER,
        CONVEYORBELT, COLLECTABLE,   FORCEFIELD,      CRATEFORCEFIELD, SPRITE,    UIOBJECT,
        TUTORIALPOPUP, LINK,         JETSTREAM,       BUTTONPREVIOUSLEVEL, BUTTONNEXTLEVEL, COMET,
        COMETSPAWNER, HOVERINGPLATFORM, BRIDGE,       BRIDGETRIGGER, FALLINGPLATFORM, BOSS,
        TURRET,       MENUROBOTANIMATION, LEVELSCORE, BOSSTHROWPOSITION, CONTROLLERWAIT};
    return types;
}

LevelEditor::LevelEditor() = default;

LevelEditor::~LevelEditor() = default;

LevelEditor* FindLevelEditor()
{
    return dynamic_cast<LevelEditor*>(GetStateObject(StateObjectKind::LevelEditor));
}

bool LevelEditor::IsEditorState(int stateId)
{
    return stateId == STATE_LEVELEDITOR || stateId == STATE_LEVELEDITORNEXT;
}

int LevelEditor::EditorStateId()
{
    const int current = CurrentStateId();
    return IsEditorState(current) ? current : STATE_LEVELEDITOR;
}

bool LevelEditor::HasMaster(ObjectType type)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return false;
    return objects->FindMasterObject(type) || Platform::PathExists(objects->MasterObjectPath(type));
}

GameObject* LevelEditor::GetBrush() { return m_brush.object && m_brush.Refresh() ? m_brush.object : nullptr; }

GameObject* LevelEditor::GetSelected()
{
    return m_selected.object && m_selected.Refresh() ? m_selected.object : nullptr;
}

GameObject* LevelEditor::GetGizmoTarget()
{
    return m_gizmoTarget.object && m_gizmoTarget.Refresh() ? m_gizmoTarget.object : nullptr;
}

void LevelEditor::PressCreatorButton(std::size_t index)
{
    if (index < m_buttonClicked.size()) m_buttonClicked[index] = 1;
}

// ------------------------------------------------------------------ slots

void LevelEditor::Load()
{
    System* system = System::GetInstance();
    m_openStateId = EditorStateId();
    system->flags |= SYSTEM_EDITOR_A | SYSTEM_EDITOR_B;
    if (system->objectManager) system->objectManager->RefillPool();
    if (system->fileManager) system->fileManager->GetAllFileFromDirectory(OBJECT_FOLDER);

    // The buttons point into this vector: it is sized once per panel.
    m_buttonClicked.assign(BUTTON_SLOTS, 0);
    m_palette.clear();
    BuildEditorBar();
    for (ObjectType type : CreatorTypes()) AddCreatorButton(type);

    m_map = std::make_unique<Map>();
    m_openedPath = std::string(LevelManager::LEVEL_FOLDER) + m_fileName;
    m_fileOpened = false;
    if (m_fileName.empty()) {
        if (m_map->SetSize(NEW_LEVEL_ROWS, NEW_LEVEL_COLUMNS, NEW_LEVEL_HEIGHT)) m_map->AllocateCells();
        m_fileOpened = true;
    } else {
        LevelManager* levels = Levels();
        if (!levels || !system->fileManager || !levels->CanOpenLevelFile(m_openedPath)) {
            ReportUnopenableLevelFile(m_openedPath);
            return;
        }
        m_fileOpened = true;
        unsigned rows = 0, columns = 0, height = 0;
        system->fileManager->ReadMap(rows, columns, height);
        if (rows == 0 || columns == 0 || height == 0)
            QRX_LOG_ERROR("Degenerate map! Please make sure the row/column/height is NOT 0!");
        else if (m_map->SetSize(rows, columns, height))
            m_map->AllocateCells();
    }

    LoadConsole();
    m_lastPicked = nullptr;
    m_addWaypointClicked = -1;
    m_aiRecords.clear();
}

void LevelEditor::BuildEditorBar()
{
    TweakBarState* panels = Panels();
    if (!panels) return;
    AntTweakBar::LevelEditorBar(panels);
    if (TwBar* bar = panels->levelEditorBar) {
        TwAddVarRW(bar, "WorldPicking", TW_TYPE_BOOLCPP, &m_worldPicking, "group=Picking");
        TwAddVarRW(bar, "GizmoEnabled", TW_TYPE_BOOLCPP, &m_gizmoEnabled, "group=Movement");
        TwAddVarRW(bar, "SnapToCell", TW_TYPE_BOOLCPP, &m_snapToCell, "group=Movement");
    }
    TwDefine(" GraphicsManagerBar iconified=true ");
    TwDefine(" SoundManagerBar iconified=true ");
    TwDefine(" PhysicsManagerBar iconified=true ");
}

void LevelEditor::AddCreatorButton(ObjectType type)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects || m_palette.size() >= m_buttonClicked.size()) return;
    // Checked first: asking the object manager for a type without a master
    // is an assertion.
    if (!HasMaster(type)) {
        QRX_LOG_DEBUG("No master object for %s: no creator button.", ObjectTypeToString(type).c_str());
        return;
    }
    // A parked instance loads the master (meshes, textures) up front.
    GameObject* parked = objects->CreatePlacedInstance(type, m_paletteParking, PALETTE_LAYER, EditorStateId());
    if (!parked) return;
    parked->flags &= ~(OBJ_WORLD_VALID | OBJ_ACTIVE);
    m_palette.push_back(type);

    TweakBarState* panels = Panels();
    if (panels && panels->levelEditorBar)
        TwAddButton(panels->levelEditorBar, ObjectTypeToString(type).c_str(), AntTweakBar::SetFlagButton,
                    &m_buttonClicked[m_palette.size() - 1], " group=CreatorBar");
}

void LevelEditor::Init()
{
    System* system = System::GetInstance();
    UpdateCursorVisibility();
    if (!m_fileOpened) return;

    if (m_fileName.empty()) {
        if (m_map) m_map->ResizeLayers();
    } else {
        LevelManager* levels = Levels();
        if (!levels || !levels->CanOpenLevelFile(m_openedPath)) {
            ReportUnopenableLevelFile(m_openedPath);
            m_fileOpened = false;
            return;
        }
        levels->LoadLevelObjects(false);
    }

    if (system->objectManager) {
        for (GameObject* object : system->objectManager->GetObjectsWithComponent(CT_PLAYER)) {
            auto* player = object->GetComponent<PlayerComponent>();
            if (!player) continue;
            if (player->m_IsMainPlayer) system->playerOne = object;
            else system->playerTwo = object;
        }
    }
    if (system->camera) {
        system->camera->SetMode(Camera::MODE_FREE);
        system->camera->Reset();
    }
    m_lastPicked = nullptr;
    m_addWaypointClicked = -1;
    if (system->objectManager) {
        const GameObjectGroup enemies = system->objectManager->GetActiveObjectsOfType(ENEMY);
        for (GameObject* enemy : enemies) AddAIRecord(enemy);
    }
    if (system->window) system->window->RescaleUIObjects();
    m_savedLevel = RenderLevel();
}

void LevelEditor::Free()
{
    System* system = System::GetInstance();
    m_aiRecords.clear();
    m_lastPicked = nullptr;
    m_gizmoTarget = nullptr;
    if (m_gizmo) m_gizmo->DestroyAxes();
    m_gizmo.reset();
    m_gizmoMode = Gizmo::MODE_NONE;
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    AntTweakBar::DeleteObjectBar(system->tweakBarState);
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    system->playerOne = nullptr;
    system->playerTwo = nullptr;
    m_placing = false;
    m_brush = nullptr;
    m_selected = nullptr;
}

void LevelEditor::Unload()
{
    System* system = System::GetInstance();
    m_aiRecords.clear();
    m_lastPicked = nullptr;
    system->flags &= ~(SYSTEM_EDITOR_A | SYSTEM_EDITOR_B);
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    AntTweakBar::DeleteObjectBar(system->tweakBarState);
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    m_palette.clear();
    if (m_map) m_map->Clear();
    m_map.reset();
    if (m_gizmo) m_gizmo->DestroyAxes();
    m_gizmo.reset();
    m_gizmoMode = Gizmo::MODE_NONE;

    if (TweakBarState* panels = system->tweakBarState) {
        if (panels->levelEditorBar) TwDeleteBar(panels->levelEditorBar);
        panels->levelEditorBar = nullptr;
        TwDefine(" GraphicsManagerBar iconified=false ");
        TwDefine(" SoundManagerBar iconified=false ");
        TwDefine(" PhysicsManagerBar iconified=false ");
        TwDefine(" TW_HELP visible=false ");
        panels->shown = false;
    }
    m_placing = false;
    m_brush = nullptr;
    m_selected = nullptr;
    if (system->fileManager && m_fileOpened && !m_fileName.empty()) system->fileManager->CloseFile(m_openedPath);
    m_fileOpened = false;
    m_openStateId = 0;
    KillAllParticles();
}

// ------------------------------------------------------------------ frame

void LevelEditor::Update(GameStateManager& manager)
{
    System* system = System::GetInstance();
    UpdateCursorVisibility();
    // While the console has the keyboard (it had it when the frame began, so
    // the Escape that closes it counts too) typing is no editor key.
    m_keysBlocked = IsConsoleOpen();
    UpdateConsole();
    AntTweakBar::ToggleHelpBar(system->tweakBarState);

    // A pick also makes the last picked object and its panel's "AddWaypoint".
    PickObjectForEditing();

    if (GetBrush()) {
        if (InputManager::IsHeld(KEY_LBUTTON)) HandlePlaceClick();
        if (InputManager::IsHeld(KEY_RBUTTON)) HandleRemoveClick();
    }
    if (KeyTriggered(KEY_DELETE)) ReleaseBrush();
    if (KeyTriggered(KEY_ESCAPE)) manager.RequestState(STATE_PAUSEMENU);
    if (KeyTriggered(KEY_OEM_COMMA)) m_snapToCell = !m_snapToCell;

    if (GameObject* brush = GetBrush()) {
        if (brush->GetComponent(CT_GUI)) MoveScreenBrush();
        else MoveBrush();
    }

    for (std::size_t i = 0; i < m_buttonClicked.size(); ++i) {
        if (m_buttonClicked[i] != 1) continue;
        m_buttonClicked[i] = 0;
        ReleaseBrush();
        CreatePickedBrush(i);
    }

    if (m_addWaypointClicked == 1) {
        m_addWaypointClicked = 0;
        ReleaseBrush();
        ObjectManager* objects = system->objectManager;
        if (!GetBrush() && objects && !m_palette.empty() && HasMaster(WAYPOINT)) {
            GameObject* waypoint =
                objects->CreatePlacedInstance(WAYPOINT, m_lastBrushPosition, PALETTE_LAYER, EditorStateId());
            if (waypoint) {
                m_brush = waypoint;
                m_placing = true;
            }
        }
    }

    SyncWaypoints();
    UpdateGizmo();
    m_keysBlocked = false;
}

bool LevelEditor::KeyTriggered(int key) const { return !m_keysBlocked && InputManager::IsTriggered(key); }

void LevelEditor::HandlePlaceClick()
{
    GameObject* brush = GetBrush();
    if (!brush) return;
    if (brush->GetComponent(CT_GUI)) PlaceScreenObject();
    else PlaceWorldObject();
}

void LevelEditor::HandleRemoveClick()
{
    GameObject* brush = GetBrush();
    if (!brush) return;
    if (brush->GetComponent(CT_GUI)) RemoveScreenObjects();
    else RemovePlacedWorldObject();
}

void LevelEditor::PickObjectForEditing()
{
    System* system = System::GetInstance();
    TweakBarState* panels = system->tweakBarState;
    if ((m_placing && GetBrush()) || !panels || !panels->shown || !InputManager::IsTriggered(KEY_LBUTTON)) return;
    if (!system->inputManager || !system->objectManager) return;

    GameObject* picked = nullptr;
    if (m_worldPicking) {
        const GameObjectGroup candidates = system->objectManager->GetActiveObjectsWithComponent(CT_GRAPHICS);
        picked = system->inputManager->PickObject(candidates, false);
    } else {
        const GameObjectGroup candidates = system->objectManager->GetActiveObjectsWithComponent(CT_GUI);
        picked = system->inputManager->PickScreenObject(candidates, false);
    }
    SelectObject(picked);
}

void LevelEditor::SelectObject(GameObject* picked)
{
    m_selected = picked;
    // A gizmo handle (another layer) leaves the panels and the enemy a new
    // waypoint joins as they are.
    if (!picked || picked->layer != 0) {
        if (!picked && Panels()) AntTweakBar::DeleteObjectBar(Panels());
        return;
    }
    m_lastPicked = picked;
    TweakBarState* panels = Panels();
    if (!panels) return;
    // Every panel made for an enemy offers its waypoint button, also one made
    // again for the same enemy; a panel kept as it was has it already.
    const bool kept = panels->objectBar && panels->selectedObject.Refresh() && panels->selectedObject.object == picked;
    AntTweakBar::CreateObjectBar(panels, picked);
    if (!kept && !m_placing && picked->GetComponent(CT_AI) && panels->objectBar)
        TwAddButton(panels->objectBar, "AddWaypoint", AntTweakBar::SetFlagButton, &m_addWaypointClicked, "");
}

// ------------------------------------------------------------------ gizmo

void LevelEditor::UpdateGizmo()
{
    if (m_gizmoEnabled) {
        GameObject* selected = GetSelected();
        if (selected && selected->layer == 0) {
            if (GetGizmoTarget() != selected) {
                m_gizmoTarget = selected;
                if (m_gizmo && m_gizmo->GetAxis(0) && m_gizmo->GetAxis(1) && m_gizmo->GetAxis(2))
                    m_gizmo->Attach(selected);
            }
            if (m_gizmoMode == Gizmo::MODE_NONE) m_gizmoMode = Gizmo::MODE_MOVE;
        } else if (!selected) {
            HideGizmo();
        }
        if (KeyTriggered(KEY_A + ('B' - 'A'))) m_gizmoMode = Gizmo::MODE_SCALE;
        else if (KeyTriggered(KEY_A + ('N' - 'A'))) m_gizmoMode = Gizmo::MODE_ROTATE;
        else if (KeyTriggered(KEY_A + ('M' - 'A'))) m_gizmoMode = Gizmo::MODE_MOVE;
    } else {
        HideGizmo();
    }
    if (!GetGizmoTarget() || !GetSelected()) HideGizmo();
    RefreshGizmo();
    m_gizmo->snap = m_snapToCell;
}

void LevelEditor::RefreshGizmo()
{
    if (!m_gizmo) m_gizmo = std::make_unique<Gizmo>();
    if (m_gizmoMode != m_gizmo->GetMode()) {
        if (GameObject* target = GetGizmoTarget()) {
            m_selected = m_gizmoTarget;
            m_gizmo->SetGizmoMode(m_gizmoMode, target, EditorStateId());
        } else {
            m_gizmo->SetGizmoMode(m_gizmoMode, nullptr, EditorStateId());
        }
    }
    m_gizmo->Update();
}

void LevelEditor::HideGizmo()
{
    m_gizmoMode = Gizmo::MODE_NONE;
    m_gizmoTarget = nullptr;
}

} // namespace QRX
