// Steps that several game states share.
//
// The level-like states (levels, splash screens, loading and transition
// screens, menus) pause, resume and update their objects the same way, cap
// the frame time the same way, end the game the same way when their level
// file is missing, and start their music the same way. Every operation reads
// the current state id from the System's game-state manager and does nothing
// (or answers 0) where a manager it needs does not exist.
#pragma once
#include <string>

namespace QRX {

class LevelManager;

// The longest step any per-frame timer of the game flow advances by.
constexpr double MAX_FRAME_STEP = 0.05;

// min(frame time, MAX_FRAME_STEP); a time that is negative or not a number
// counts as 0, so a clock hiccup never winds a timer back.
double CappedFrameTime(double frameTime);
// The last frame's time from the frame-rate controller, capped; 0 without one.
double CappedFrameStep();

// The game-state manager's current id; 0 without one.
int CurrentStateId();

// Clears the active flag of every live object, whichever state owns it.
void PauseAllObjects();
// Clears the active flag of the live objects owned by the current state.
void PauseCurrentStateObjects();
// Sets the active flag of the live objects owned by the current state.
void ResumeCurrentStateObjects();
// Updates the components of every active object owned by the current state,
// walking a copy of the active list (updates may create or query objects).
void UpdateCurrentStateObjects();

// Kills every particle of the renderer's particle system (a level ends).
void KillAllParticles();

// Writes "Unable to open file: %s, exiting game..." and clears the running
// bit: the game ends after this frame.
void ReportUnopenableLevelFile(const std::string& path);

// Opens the current state's file of the level table (a screen read whole by
// LoadLevelObjects) and gives the level manager to read it with. Null, with
// an ERROR naming what was to be loaded or with the report above, when there
// is no level manager or the file cannot be opened: nothing is to be read
// then (the previous document is still open).
LevelManager* OpenCurrentScreenFile(const char* what);

// Stops the music channel and plays the loaded sound or stream of that name
// on a free channel, looping, at the music volume; that channel becomes the
// music channel. A name that was never loaded stops the music and plays
// nothing (logged).
void PlayLoopingMusic(const std::string& name);
// Whether the music channel is playing; false without one.
bool IsMusicPlaying();

// Whether Escape went down this frame or player one's escape action
// triggered (the pause and back keys of the screens).
bool EscapeTriggered();

} // namespace QRX
