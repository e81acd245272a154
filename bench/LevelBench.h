// Level loading: every level file in data/levels loaded through the level
// manager (open, read the map, size the grid, make and initialise the
// objects, as a level state's Load and Init do) against a bare tinyxml2 parse
// of the same file, in the started engine; and the level grid's worst case:
// boxes covering the whole largest grid, entered through the grid against
// filling the same number of entries in a flat array; and the grid path
// search of the enemies to a goal it cannot reach on a large floor, against
// a breadth-first flood of the same cells.
#pragma once
#include "bench/BenchReport.h"

namespace QRX {

class System;

namespace Bench {

// Boxes of the grid's worst case, and the sides of its grid (the largest
// the grid accepts: 1024 x 1024 x 4 entries).
constexpr int GRID_BOXES = 200;
constexpr unsigned GRID_SIDE = 1024;
constexpr unsigned GRID_LAYERS = 4;
// The side of the path search's floor.
constexpr unsigned PATH_GRID_SIDE = 256;

// The level section, in the started engine (`system`); figures under "levels".
void RunLevelSection(System* system, const Settings& settings, Figures& figures);

} // namespace Bench
} // namespace QRX
