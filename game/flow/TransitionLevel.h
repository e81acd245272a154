// The game state of the screens between levels (ids 16 to 29).
//
// One object serves every transition screen: 16 before the first level, 17
// to 26 after levels 1 to 10, 27 after the last level, 28 before the
// two-player level and 29 after it; it learns which one it runs from the
// game-state manager's current id. Load opens the screen file of the level
// manager's current row and creates its objects (pictures, words, the level
// buttons); Init puts up the grade as three stars on the graded screens
// (17 to 26); Update runs the objects, draws the time of the level just
// played (graded screens, on its label's line) or the winner (29), and opens
// the pause menu on Escape (not while the console has the keyboard). Load and Update also run
// the console's own Load and Update. The screen never advances by itself: its level buttons ask the
// level manager for the next or previous row, and hide the time and winner
// texts from the frame they act (HideTransitionTexts).
//
// Rules:
// - The grade and the time come from the current profile, where the level
//   state left them when the level ended; a profile that was never graded
//   ('F') shows one full star. Without a profile manager there are no texts
//   and the stars show the ungraded grade.
// - A screen file that cannot be opened ends the game after the frame and
//   nothing of it is created.
// - The stars belong to the screen's state: Free returns them to the pool
//   with the screen's other objects and forgets them, so nothing later marks
//   a pool place that another object has taken since.
// - While the developer panels are shown (F1), a right click opens the
//   picture under the cursor in the object panel; Free and Unload delete that
//   panel, Unload also hides the help window and the panels.
#pragma once
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/flow/GameState.h"

namespace QRX {

class GameObject;

// The stars of a graded screen: textures, size and row in layout pixels
// (from the centre of a 1024 x 768 window, y up), nearer than the screen's
// pictures and farther than the loading picture.
constexpr int TRANSITION_STAR_COUNT = 3;
constexpr const char* STAR_FULL_TEXTURE = "star";
constexpr const char* STAR_EMPTY_TEXTURE = "star_empty";
constexpr float STAR_SIZE = 128.0f;
constexpr float STAR_FIRST_X = -55.0f;
constexpr float STAR_SPACING = 128.0f;
constexpr float STAR_Y = -150.0f;
constexpr float STAR_Z = -12.0f;

// The time of the level just played goes on the line of the screen's label
// (one blank after its text, in its font); a screen without that label gets
// it at the fixed place, layout pixels from the centre (y up), in the font below.
constexpr const char* TRANSITION_TIME_LABEL = "Time (seconds):";
constexpr float TRANSITION_TIME_X = 12.0f;
constexpr float TRANSITION_TIME_Y = 70.0f;
constexpr const char* TRANSITION_TIME_FONT = "transition";
// The winner of the two-player level: x is this share of the window width.
constexpr float TRANSITION_WINNER_X_SHARE = -0.2f;
constexpr float TRANSITION_WINNER_Y = 0.0f;
constexpr const char* TRANSITION_WINNER_FONT = "big";

// Whether a transition screen shows a grade and a time (17 to 26).
bool IsGradedTransition(int stateId);
// Full stars for a grade: 3 for 'A', 2 for 'B', 1 for anything else.
int FullStarCount(char grade);
// The texture of star `index` (from 0) when `fullStars` of them are full.
const char* StarTexture(int index, int fullStars);
// The layout position of star `index`.
glm::vec3 StarPosition(int index);
// "Player One Wins!!" for a non-zero winner flag, else "Player Two Wins!!".
std::string WinnerText(char winnerFlag);

// Where a line is queued: pixels from the window centre (y up), and its font.
struct TextPlace
{
    float x;
    float y;
    std::string fontId;
};
// The place of the time on a state's screen: after the label's text (the
// current state's drawn TRANSITION_TIME_LABEL) and one blank, measured in the
// label's font, on its baseline; without the label or a font to measure it
// by, the fixed place scaled to the window (the layout's without a window).
TextPlace TransitionTimePlace(int stateId);

class TransitionLevel : public GameState
{
public:
    TransitionLevel() = default;

    // Refills the pool, clears the modal-loop flag, opens the screen file of
    // the current row and creates its objects. A missing file is reported,
    // ends the game after the frame and creates nothing.
    void Load() override;
    // Fits the screen to the window and shows the texts; on a graded screen
    // makes the three stars (a star the pool cannot give is left out).
    void Init() override;
    // The current state's objects stop being active.
    void Pause() override;
    // The current state's objects are active again.
    void Resume() override;
    // One frame (see the header's overview).
    void Update(GameStateManager& manager) override;
    // Returns the screen's objects, the stars among them, and forgets the stars.
    void Free() override;
    // Marks the stars still in play, returns the screen's objects, hides the
    // help window and the developer panels.
    void Unload() override;
    // Escape, or player one's escape action, asks for the pause menu (44).
    void HandlePauseKey(GameStateManager& manager);

    // The level buttons hide the texts as they leave the screen.
    void HideTexts() { m_ShowTexts = false; }
    bool ShowsTexts() const { return m_ShowTexts; }
    const std::vector<GameObject*>& GetStars() const { return m_Stars; }

private:
    void CreateStars(int stateId);
    void DrawTexts(int stateId);

    bool m_ShowTexts = false;            // the time or winner text is drawn while set
    std::vector<GameObject*> m_Stars;    // the stars of a graded screen; not owned
};

// Hides the texts of the program's transition state; nothing when that
// state's object is not a TransitionLevel.
void HideTransitionTexts();

} // namespace QRX
