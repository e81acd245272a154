// The loading screen (state 51).
//
// Shows "loading.xml" while it loads the game's shared resources, one item
// per stage per frame so the screen keeps drawing: textures, then meshes, then
// music streams, then sound effects. On the frame a stage finds its list
// exhausted it is done and the next stage loads its first item on that same
// frame; once all four are done the main menu (36) is requested.
//
// Reload mode, switched on (SetLoadingReloadMode) before 51 is requested after
// a display-mode change: the texture manager reads its catalogue again, the
// textures it released are reloaded one a frame, and then the state that was
// running before (the manager's previous id) is requested.
//
// Free forgets the lists, the mode, the done flags and every index, so each
// entry starts from the beginning. Items that fail to load are reported by
// the managers; the stage goes on with the next.
//
// Developer panels: F1 shows them; while shown, a left click opens the
// sprite under the cursor in the object panel. Free and Unload delete that
// panel, and Unload hides the help window.
#pragma once
#include <string>
#include <vector>

#include "game/flow/GameState.h"

namespace QRX {

// Engine flag bit that ends the game-state manager's modal frame loop.
constexpr unsigned SYSTEM_MODAL_LOOP_DONE = 0x100;

// Where the stage captions are drawn: pixels from the top left.
constexpr float LOADING_CAPTION_X = 50.0f;
constexpr float LOADING_CAPTION_Y = 70.0f;
constexpr const char* LOADING_CAPTION_FONT = "medium";
// The screen's timer runs from 0 to this many seconds, then starts again.
constexpr float LOADING_TIMER_WRAP = 2.0f;

class LoadingLevel : public GameState
{
public:
    // The resources of a normal entry.
    static const std::vector<std::string>& TextureList();  // 24 ids, four of them twice
    static const std::vector<std::string>& MeshList();     // 1 id
    static const std::vector<std::string>& SoundList();    // 22 file names
    static const std::vector<std::string>& StreamList();   // 2 file names

    LoadingLevel() = default;

    // Refills the pool, clears SYSTEM_MODAL_LOOP_DONE, opens the level file of
    // the current id and creates its objects. A missing file ends the game
    // after the frame.
    void Load() override;
    // Starts the menu music unless music plays, and fills the four lists.
    void Init() override;
    // The current state's objects stop being active.
    void Pause() override;
    void Resume() override;
    // One loading step (see the header's overview).
    void Update(GameStateManager& manager) override;
    // Returns the objects, empties the lists, leaves reload mode and resets
    // every done flag and index.
    void Free() override;
    // Returns the objects and hides the panels' help window.
    void Unload() override;

    void SetReloading(bool reloading) { m_Reloading = reloading; }
    bool IsReloading() const { return m_Reloading; }
    bool AllStagesDone() const { return m_TexturesDone && m_MeshesDone && m_StreamsDone && m_SoundsDone; }
    unsigned GetTextureIndex() const { return m_TextureIndex; }
    unsigned GetMeshIndex() const { return m_MeshIndex; }
    unsigned GetSoundIndex() const { return m_SoundIndex; }
    unsigned GetStreamIndex() const { return m_StreamIndex; }
    const std::vector<std::string>& GetTextures() const { return m_Textures; }
    float GetTimer() const { return m_Timer; }

private:
    void LoadStep(GameStateManager& manager);
    void ReloadStep(GameStateManager& manager);
    static void DrawCaption(const char* caption);

    bool m_Reloading = false;
    float m_Timer = 0.0f;  // wraps to 0 after LOADING_TIMER_WRAP seconds
    std::vector<std::string> m_Textures;
    std::vector<std::string> m_Meshes;
    std::vector<std::string> m_Sounds;
    std::vector<std::string> m_Streams;
    bool m_TexturesDone = false;
    bool m_MeshesDone = false;
    bool m_SoundsDone = false;
    bool m_StreamsDone = false;
    bool m_CatalogueReread = false;  // reload mode has read the texture catalogue again
    unsigned m_TextureIndex = 0;
    unsigned m_MeshIndex = 0;
    unsigned m_SoundIndex = 0;
    unsigned m_StreamIndex = 0;
};

// Switches the reload mode of the program's loading state on or off; the
// window and the options menus switch it on before they request 51. Does
// nothing when the loading state's object is not a LoadingLevel.
void SetLoadingReloadMode(bool reloading);

} // namespace QRX
