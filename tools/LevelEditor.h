// The level editor: the game state of ids LEVELEDITOR (30) and
// LEVELEDITORNEXT (31).
//
// It shows a level file of the level folder with its objects inert (in these
// states components are neither initialised nor freed, and physics is
// suspended while the two editor bits 0x12 of the System's flags are set),
// lets the user stamp objects from a palette of master objects onto the
// grid, remove them, move, scale and rotate the selected object with the
// gizmo, and save the result as a level file. It is driven by the keyboard
// and mouse, its own panel "LevelEditorBar" (one creator button per object
// type whose master exists, and the WorldPicking, GizmoEnabled and
// SnapToCell switches), the object panel, and the console's "edit" and
// "save" commands. One object exists for the whole run (bound to both ids).
//
// Object layers: 0 what the level consists of (the only layer saved), 1 user
// interface, 2 palette and brush (PALETTE_LAYER), 3 gizmo axes.
//
// Rules:
// - The brush is the object that follows the mouse; holding the left button
//   stamps a copy of it every frame (with snapping one object per cell
//   position survives), the right button removes at most one object a frame.
//   Delete, another creator button or leaving the state ends the brush.
// - The palette keeps object types, so a creator button makes its type even
//   after a restart returned the parked palette objects to the pool.
// - SaveAs checks the name, writes the new file beside the target and only
//   then keeps the previous file as ".bak"; any failure leaves the target and
//   the ".bak" as they were and is reported with its reason.
// - While the console is open its typing is no editor key.
// - The level being edited is the file last opened or saved from the editor;
//   what differs from that file's content is an unsaved change.
// - Outside states 30 and 31 only SaveAs acts (the console's "save" in a
//   level); Draw does nothing there.
// - A save writes a level as its file holds it: what components made while
//   it ran is left out, and a menu pushed over the editor (its pause menu)
//   is no level: a save there writes the editor's level, never the menu's
//   file.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObjectHandle.h"
#include "engine/objects/TypeNames.h"
#include "game/flow/GameState.h"

namespace QRX {

class GameObject;
class Gizmo;
class Map;

class LevelEditor : public GameState
{
public:
    // Creator buttons the editor has room for (one flag each).
    static constexpr std::size_t BUTTON_SLOTS = 100;
    static constexpr int PALETTE_LAYER = 2;
    // A new level (empty file name): rows, columns and height of its grid.
    static constexpr unsigned NEW_LEVEL_ROWS = 30;
    static constexpr unsigned NEW_LEVEL_COLUMNS = 30;
    static constexpr unsigned NEW_LEVEL_HEIGHT = 1;
    // The file "edit new" opens; the console's plain "save" never overwrites it.
    static constexpr const char* TEMPLATE_FILE = "leveltemplate.xml";
    static constexpr const char* OBJECT_FOLDER = "data/objects/";
    // Placement plane steps with and without snapping, and its lowest height.
    static constexpr float SNAPPED_PLANE_STEP = 1.0f;
    static constexpr float FREE_PLANE_STEP = 0.25f;
    static constexpr float LOWEST_PLANE = 0.5f;
    // The depth of user-interface brushes and of what they place.
    static constexpr float SCREEN_BRUSH_Z = -2.0f;
    // With snapping an object stands under the brush when every coordinate
    // differs from the brush's by less than this share of itself.
    static constexpr float SAME_POSITION_SHARE = 0.001f;
    // Lines between linked objects.
    static constexpr float LINK_LINE_WIDTH = 5.0f;
    static constexpr float GRID_LINE_WIDTH = 1.0f;
    static constexpr float OVERLAY_ALPHA = 0.7f;

    // The creator buttons, in bar order (types without a master file are skipped).
    static const std::vector<ObjectType>& CreatorTypes();

    // One enemy and its waypoint markers in path order.
    struct AIRecord
    {
        GameObject* ai = nullptr;
        std::vector<GameObject*> waypoints;
    };

    LevelEditor();
    ~LevelEditor();
    LevelEditor(const LevelEditor&) = delete;
    LevelEditor& operator=(const LevelEditor&) = delete;

    // Suspends physics, builds the panel and the palette, makes the grid (a
    // new 30 x 30 x 1 one for an empty file name, else the file's "Map") and
    // loads the console. A file that cannot be opened ends the game after the
    // frame and the slot returns at once; a zero size leaves the grid unsized.
    void Load() override;
    // Shows the level's objects (inert), fills the player slots, puts the
    // camera in its free mode. Returns at once when Load could not open the
    // file (or the file has gone since).
    void Init() override;
    // The editor keeps running under a pushed state: nothing to pause.
    void Pause() override {}
    void Resume() override {}
    // One frame (see the source for the order of the steps).
    void Update(GameStateManager& manager) override;
    // Drops the gizmo, the selection, the brush and the player slots and
    // returns the state's objects to the pool.
    void Free() override;
    // Free's work, then resumes physics, forgets the palette and the grid
    // (nothing keeps a pointer to it), deletes the panel, brings the engine
    // panels back and hides the help window.
    void Unload() override;

    // Writes the level of SavedStateId to the level folder + fileName
    // (trailing blanks dropped): the "Map" of ScreenMapSizes (none when it
    // gives none), then each of the level's own layer-0 objects
    // (OBJ_LEVEL_OWN) of that state once: robots, checkpoints, crates, doors
    // and switches first, then the rest in id order; waypoint markers and
    // objects marked for destruction never. Refused: an empty name, a control
    // character, an absolute path, a ".." part, a name not ending in ".xml"
    // or with nothing before it. False, with the reason, when nothing was
    // written; the refusal is logged once at ERROR (saying that the previous
    // file is kept when there is one). Saved while the editor is open, the
    // file becomes the level being edited (GetFileName) and its content the
    // saved one.
    bool SaveAs(const std::string& fileName, std::string* reason = nullptr);
    // The text SaveAs would write now (empty without a file or object manager).
    std::string RenderLevel() const;
    // The editor state id the editor runs under, also with menus pushed over
    // it (30 or 31); 0 when it is not loaded.
    int GetOpenStateId() const { return m_openStateId; }
    // The state whose level a save writes: the editor's while it is open
    // (a menu over it is no level of its own), else the current state.
    int SavedStateId() const;
    // The "Map" a save from the state writes: the editor's grid for an
    // editor state, else the level's grid for a state that owns it, else the
    // sizes in the screen's own open file (a menu keeps its own). False: none.
    struct MapSizes
    {
        unsigned rows = 0, columns = 0, height = 0;
    };
    bool ScreenMapSizes(int stateId, MapSizes& sizes) const;
    // With the editor open (menus over it or not) and its level read: whether
    // the level differs from what was last opened or saved (placing,
    // removing, moving, panel edits).
    bool HasUnsavedChanges() const;
    // The grid, objects the renderer hides, the brush, the selection and the
    // trigger links, drawn straight through the renderer; only in 30 and 31.
    void Draw();

    // The level file name relative to the level folder ("" a new level).
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    const std::string& GetFileName() const { return m_fileName; }

    // What the panel's buttons do: flag creator button i (ignored past the
    // slots), or the "AddWaypoint" button; Update acts on the flags.
    void PressCreatorButton(std::size_t index);
    void PressAddWaypointButton() { m_addWaypointClicked = 1; }
    // Forgets an object the object panel deletes (an enemy's record, a
    // waypoint marker); objects with a GUI component are left alone.
    void UnlinkRemovedObject(GameObject* object);

    // The operations of a frame, public so the tools and tests can drive them.
    // A new brush of palette entry index at the last brush position (only
    // when there is no brush; an index past the palette is logged).
    void CreatePickedBrush(std::size_t index);
    // Marks the brush for destruction and forgets it.
    void ReleaseBrush();
    // Stamps a copy of the 3-D brush: nothing at a negative or non-finite
    // coordinate or outside the grid; an object already under the brush is
    // destroyed first.
    void PlaceWorldObject();
    // Destroys the first layer-0 object under the 3-D brush and clears its
    // grid cell when the grid records it there.
    void RemovePlacedWorldObject();
    // The same for a user-interface brush.
    void PlaceScreenObject();
    void RemoveScreenObjects();
    // The brush follows the cursor (3-D: on the placement plane; screen: in
    // pixels from the window centre).
    void MoveBrush();
    void MoveScreenBrush();
    // The placement plane goes up or down one step (lowering stops at LOWEST_PLANE).
    void RaisePlacementPlane();
    void LowerPlacementPlane();
    // Each coordinate becomes its whole part (truncated toward zero) + 0.5.
    static void SnapToCellCentre(glm::vec3& point);
    // Destroys the object when it stands under the brush (see the source);
    // true when it did.
    bool ReplaceObjectUnderBrush(GameObject* object, GameObject* brush, bool snap);
    // What a pick does: the object (null: none) becomes the selection; one of
    // layer 0 also becomes the object a new waypoint joins and opens in the
    // object panel (an enemy's panel with the "AddWaypoint" button), none
    // closes it, a gizmo handle leaves the panels and that object as they are.
    void SelectObject(GameObject* picked);
    // The gizmo's part of a frame: target, mode keys, refresh and update.
    void UpdateGizmo();

    // AI records: an enemy's markers follow it; a marker placed while no
    // enemy with a record was picked is destroyed.
    void AddAIRecord(GameObject* ai);
    void RemoveAIRecord(GameObject* ai);
    void AddAIWaypoint(GameObject* waypoint, GameObject* ai);
    void RemoveWaypoint(GameObject* waypoint);
    // Each enemy's patrol loop becomes its markers' positions, in order.
    void SyncWaypoints();

    GameObject* GetBrush();
    GameObject* GetSelected();
    GameObject* GetGizmoTarget();
    Gizmo* GetGizmo() const { return m_gizmo.get(); }
    int GetGizmoMode() const { return m_gizmoMode; }
    const Map* GetMap() const { return m_map.get(); }
    const std::vector<ObjectType>& GetPalette() const { return m_palette; }
    const std::vector<AIRecord>& GetAIRecords() const { return m_aiRecords; }
    bool IsPlacing() const { return m_placing; }
    bool IsSnapping() const { return m_snapToCell; }
    void SetSnapping(bool snap) { m_snapToCell = snap; }
    void SetGizmoEnabled(bool enabled) { m_gizmoEnabled = enabled; }
    void SetWorldPicking(bool world) { m_worldPicking = world; }
    float GetPlacementHeight() const { return m_placementPlane.y; }
    const glm::vec3& GetLastBrushPosition() const { return m_lastBrushPosition; }

private:
    void BuildEditorBar();
    // Adds a palette entry and its button when the type's master exists.
    void AddCreatorButton(ObjectType type);
    void HandlePlaceClick();
    void HandleRemoveClick();
    // Picks with the left button while the panels are shown and no brush is
    // placed; opens or closes the object panel by the pick.
    void PickObjectForEditing();
    void RefreshGizmo();
    void HideGizmo();
    // Lines from every trigger to the object it drives.
    void DrawTriggerLinks();
    // Marks the first layer-0 object whose box holds the centre of the cell
    // (column, layer, row) for destruction.
    void DestroyObjectAtCell(unsigned column, unsigned layer, unsigned row);
    // The editor state id that owns new objects (30 or 31; 30 elsewhere).
    static int EditorStateId();
    static bool IsEditorState(int stateId);
    // Whether the master object of the type is loaded or its file exists.
    static bool HasMaster(ObjectType type);
    // A key went down this frame and the console does not have the keyboard.
    bool KeyTriggered(int key) const;

    std::string m_fileName;
    std::vector<ObjectType> m_palette;  // creator button i makes m_palette[i]
    std::unique_ptr<Map> m_map;
    GameObjectHandle m_brush;
    GameObjectHandle m_selected;
    bool m_placing = false;
    bool m_snapToCell = true;
    std::vector<int> m_buttonClicked;
    std::vector<AIRecord> m_aiRecords;
    GameObjectHandle m_lastPicked;
    GameObjectHandle m_gizmoTarget;
    bool m_gizmoEnabled = true;
    int m_addWaypointClicked = -1;
    bool m_worldPicking = true;
    std::unique_ptr<Gizmo> m_gizmo;
    int m_gizmoMode = 0;
    bool m_keysBlocked = false;  // the console had the keyboard when the frame began
    bool m_fileOpened = false;  // Load opened the file (or there is none to open)
    int m_openStateId = 0;      // the id Load ran under, until Unload
    std::string m_openedPath;
    std::string m_savedLevel;   // RenderLevel as the level was opened or last saved

    // Kept for the whole run.
    glm::vec3 m_lastBrushPosition{0.5f, 0.5f, 0.5f};
    glm::vec3 m_placementPlane{0.0f, 0.5f, 0.0f};
    glm::vec3 m_groundPlane{0.0f, 0.5f, 0.0f};
    glm::vec3 m_paletteParking{0.5f, -10000.0f, 0.5f};
};

// The editor bound to the level-editor ids, or null.
LevelEditor* FindLevelEditor();

} // namespace QRX
