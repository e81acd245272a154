// The program's one pseudo-random generator.
//
// It behaves like the classic C library rand the game's tuning assumes: 15-bit
// results (0 to RANDOM_MAX), never seeded, so every run draws the same
// sequence. Every random draw of the program goes through Random().
#pragma once

namespace QRX {

constexpr int RANDOM_MAX = 32767;

// The next number of the sequence, 0..RANDOM_MAX.
int Random();

// Restarts the sequence from its beginning (tests).
void ResetRandom();

} // namespace QRX
