#include "bench/LevelBench.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"
#include "game/gameplay/GridPathSearch.h"

namespace QRX {
namespace Bench {

namespace {

std::vector<std::string> LevelFiles()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(LevelManager::LEVEL_FOLDER, error))
        if (entry.is_regular_file() && entry.path().extension() == ".xml")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The campaign's level with the most objects: the throw preview's worst case.
constexpr const char* THROW_PREVIEW_LEVEL = "WholeShebang.xml";
// The throw as the robot makes it: the carry height above a resting crate,
// the aim's rise, the speed, the preview's time and sample spacing (frames).
constexpr float CARRY_RISE = 1.0f;
constexpr float AIM_RISE = 0.707f;
constexpr float THROW_SPEED = 40.0f;
constexpr float PREVIEW_SECONDS = 10.0f;
constexpr float PREVIEW_SAMPLE_FRAMES = 5.0f;
constexpr int THROW_YAWS = 8;

// One load of a level file through the level manager, as a level state's
// Load and Init do it; the objects are removed again untimed unless kept.
// Seconds, or NaN when the file cannot be opened.
double LoadThroughLevelManager(System* system, const std::string& path, bool keep = false)
{
    LevelManager* levels = system->gameStateManager->GetLevelManager();
    const double start = Now();
    if (!levels->CanOpenLevelFile(path)) return std::nan("");
    unsigned rows = 0, columns = 0, height = 0;
    system->fileManager->ReadMap(rows, columns, height);
    if (Map* map = levels->GetMap()) {
        if (rows && columns && height && map->SetSize(rows, columns, height)) map->AllocateCells();
    }
    levels->LoadLevelObjects(true);
    const double seconds = Now() - start;
    if (keep) return seconds;
    system->playerOne = nullptr;
    system->objectManager->ClearLevelObjects();
    return seconds;
}

double ParseWithTinyXml(const std::string& path)
{
    const double start = Now();
    tinyxml2::XMLDocument document;
    const bool ok = document.LoadFile(path.c_str()) == tinyxml2::XML_SUCCESS;
    const double seconds = Now() - start;
    return ok ? seconds : std::nan("");
}

void RunLevelLoad(System* system, const Settings& settings, Figures& figures)
{
    const std::vector<std::string> files = LevelFiles();
    const int repeats = settings.smoke ? 1 : 10;
    std::vector<Series> engine(files.size()), bare(files.size());
    // One untimed pass: the first load of a screen also loads its textures.
    for (const std::string& file : files) {
        LoadThroughLevelManager(system, std::string(LevelManager::LEVEL_FOLDER) + file);
        ParseWithTinyXml(std::string(LevelManager::LEVEL_FOLDER) + file);
    }
    for (int round = 0; round < settings.rounds; ++round) {
        Progress("level load round %d of %d", round + 1, settings.rounds);
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string path = std::string(LevelManager::LEVEL_FOLDER) + files[i];
            double managerSeconds = 0.0, parseSeconds = 0.0;
            for (int r = 0; r < repeats; ++r) {
                managerSeconds += LoadThroughLevelManager(system, path);
                parseSeconds += ParseWithTinyXml(path);
            }
            engine[i].Add(managerSeconds * 1000.0 / repeats);
            bare[i].Add(parseSeconds * 1000.0 / repeats);
        }
    }
    Table table("Level load: each file of data/levels through the level manager against a bare tinyxml2 parse; "
                "median [min-max] of " + std::to_string(settings.rounds) + " round(s) of " +
                std::to_string(repeats) + " load(s)");
    table.Header({"file", "level manager ms", "tinyxml2 ms", "x tinyxml2"});
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Series ratio = Ratios(engine[i], bare[i]);
        table.Row({files[i], Spread(engine[i], 3), Spread(bare[i], 3), Spread(ratio, 1)});
        figures.AddSeries("levels", files[i] + "/level_manager", engine[i], "ms");
        figures.AddSeries("levels", files[i] + "/tinyxml2", bare[i], "ms");
        figures.AddSeries("levels", files[i] + "/ratio", ratio, "x");
    }
    if (files.empty()) figures.Add("levels", "files", std::nan(""), "files");
    table.Note("Level manager: open and parse, read the map, size the grid, make and initialise the objects.");
    table.Print(ReportStream());
}

// The throw preview's prediction where it costs most: every crate of the
// biggest level, lifted to the carry height, thrown along eight yaws, at the
// game's frame time of 1/60 s; milliseconds per prediction.
void RunThrowPreview(System* system, const Settings& settings, Figures& figures)
{
    const std::string path = std::string(LevelManager::LEVEL_FOLDER) + THROW_PREVIEW_LEVEL;
    if (std::isnan(LoadThroughLevelManager(system, path, true))) {
        figures.Add("levels", "throw_preview/level", std::nan(""), "");
        return;
    }
    const double frame = system->frameRateController->dt;
    system->frameRateController->dt = 1.0 / 60.0;
    const GameObjectGroup crates = system->objectManager->GetActiveObjectsOfType(CRATE);
    Series predictions;
    for (int round = 0; round < settings.rounds; ++round) {
        for (GameObject* crate : crates) {
            const glm::vec3 rest = crate->position;
            crate->position.y += CARRY_RISE;
            for (int yaw = 0; yaw < THROW_YAWS; ++yaw) {
                const float angle = 6.2831853f * yaw / THROW_YAWS;
                const glm::vec3 aim = glm::normalize(glm::vec3(std::cos(angle), AIM_RISE, std::sin(angle)));
                const double start = Now();
                system->physicsManager->PredictTrajectory(crate, PREVIEW_SECONDS, PREVIEW_SAMPLE_FRAMES / 60.0f,
                                                          aim * THROW_SPEED);
                predictions.Add((Now() - start) * 1000.0);
            }
            crate->position = rest;
        }
    }
    system->frameRateController->dt = frame;
    system->playerOne = nullptr;
    system->objectManager->ClearLevelObjects();
    Table table("Throw preview: the predicted path of every crate of " + std::string(THROW_PREVIEW_LEVEL) +
                " thrown from the carry height along " + std::to_string(THROW_YAWS) + " yaws, at 1/60 s a step");
    table.Header({"level", "predictions", "ms median [min-max]"});
    table.Row({THROW_PREVIEW_LEVEL, std::to_string(predictions.Count()), Spread(predictions, 3)});
    table.Note("Each prediction follows the crate until it rests or leaves the level; it runs on the frames the "
               "robot moves while carrying.");
    table.Print(ReportStream());
    figures.AddSeries("levels", "throw_preview/prediction", predictions, "ms");
}

// Milliseconds to enter `boxes` boxes, each far larger than the grid, into a
// fresh side x side x layers grid; `cells` gets the number of cells entered.
double EnterHugeBoxes(unsigned side, unsigned layers, int boxes, std::size_t& cells)
{
    Map map;
    map.SetSize(side, side, layers);
    map.AllocateCells();
    map.ResizeLayers();
    const float half = 500000.0f;
    const double start = Now();
    cells = 0;
    for (int i = 0; i < boxes; ++i) {
        const glm::vec3 position(half + static_cast<float>(i % side), 0.5f + static_cast<float>(i % layers),
                                 -half + static_cast<float>(i % side));
        cells += map.EnterObject(position, glm::vec3(2.0f * half, 1.0f, 2.0f * half), CUBE);
    }
    return (Now() - start) * 1000.0;
}

// Milliseconds to write the same number of entries in a plain array.
double FillFlatArray(unsigned side, std::size_t cells)
{
    std::vector<std::uint32_t> entries(static_cast<std::size_t>(side) * side, 0);
    const double start = Now();
    std::size_t written = 0;
    std::uint32_t value = 1;
    while (written < cells) {
        const std::size_t count = std::min(entries.size(), cells - written);
        std::fill(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(count), value++);
        written += count;
    }
    const double ms = (Now() - start) * 1000.0;
    // Keeps the writes from being optimised away.
    volatile std::uint32_t sink = entries[entries.size() / 2];
    (void)sink;
    return ms;
}

void RunGrid(const Settings& settings, Figures& figures)
{
    const unsigned side = settings.smoke ? 64 : GRID_SIDE;
    const int boxes = settings.smoke ? 10 : GRID_BOXES;
    Series grid, flat;
    std::size_t cells = 0;
    for (int round = 0; round < settings.rounds; ++round) {
        grid.Add(EnterHugeBoxes(side, GRID_LAYERS, boxes, cells));
        flat.Add(FillFlatArray(side, cells));
    }
    const Series ratio = Ratios(grid, flat);
    Table table("Level grid: " + std::to_string(boxes) + " boxes a million units wide over a " + std::to_string(side) +
                " x " + std::to_string(side) + " x " + std::to_string(GRID_LAYERS) + " grid (" +
                std::to_string(cells) + " cells entered); median [min-max] of " + std::to_string(settings.rounds) +
                " round(s)");
    table.Header({"operation", "ms", "x flat fill"});
    table.Row({"entered through the grid", Spread(grid, 2), Spread(ratio, 2)});
    table.Row({"same entries filled in a flat array", Spread(flat, 2), "1"});
    table.Note("Each box is clipped to the grid before its walk: the cost follows the cells inside the grid.");
    table.Print(ReportStream());
    figures.AddSeries("levels", "grid/enter", grid, "ms");
    figures.AddSeries("levels", "grid/flat_fill", flat, "ms");
    figures.AddSeries("levels", "grid/ratio", ratio, "x");
    figures.Add("levels", "grid/cells", static_cast<double>(cells), "cells");
}

// A side x side floor of blocks at layer 0, with the cell (goal, goal)
// ringed by holes so that nothing reaches it.
Map RingedFloor(unsigned side, unsigned goal)
{
    Map map;
    map.SetSize(side, side, 2);
    map.AllocateCells();
    map.ResizeLayers();
    for (unsigned r = 0; r < side; ++r)
        for (unsigned c = 0; c < side; ++c) map.SetCellValue(r, c, 0, CUBE, false);
    const int ring[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : ring)
        map.SetCellValue(goal + static_cast<unsigned>(step[1]), goal + static_cast<unsigned>(step[0]), 0, 0, false);
    return map;
}

// Milliseconds of one search from the corner to an unreachable goal: every
// reachable cell is expanded. `expanded` gets how many.
double SearchUnreachable(GridPathSearch& search, const Map& map, unsigned goal, std::size_t& expanded)
{
    search.SetEndpoints(0, 1, 0, static_cast<int>(goal), 1, static_cast<int>(goal));
    const double start = Now();
    const bool found = search.Search(map);
    const double ms = (Now() - start) * 1000.0;
    expanded = search.GetClosedList().size();
    return found ? std::nan("") : ms;
}

// Milliseconds of a breadth-first flood from the corner over the same cells
// (each visited once, no costs, no order): the least a search can do.
double FloodFill(const Map& map, std::size_t& visited)
{
    const unsigned columns = map.GetColumns(), rows = map.GetRows();
    const double start = Now();
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(columns) * rows, 0);
    std::deque<std::uint32_t> frontier{0};
    seen[0] = 1;
    visited = 0;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!frontier.empty()) {
        const std::uint32_t cell = frontier.front();
        frontier.pop_front();
        ++visited;
        const long x = static_cast<long>(cell % columns), z = static_cast<long>(cell / columns);
        for (const auto& step : steps) {
            const long nx = x + step[0], nz = z + step[1];
            if (nx < 0 || nz < 0 || nx >= static_cast<long>(columns) || nz >= static_cast<long>(rows)) continue;
            const std::uint32_t next = static_cast<std::uint32_t>(nz) * columns + static_cast<std::uint32_t>(nx);
            if (seen[next] || map.GetCellValue(static_cast<std::uint32_t>(nz), static_cast<std::uint32_t>(nx), 0) == 0)
                continue;
            seen[next] = 1;
            frontier.push_back(next);
        }
    }
    return (Now() - start) * 1000.0;
}

void RunPathSearch(const Settings& settings, Figures& figures)
{
    const unsigned side = settings.smoke ? 32 : PATH_GRID_SIDE;
    const unsigned goal = side * 3 / 4;
    const Map map = RingedFloor(side, goal);
    GridPathSearch search;
    Series searches, floods;
    std::size_t expanded = 0, visited = 0;  // both count the cells the robot could reach
    for (int round = 0; round < settings.rounds; ++round) {
        searches.Add(SearchUnreachable(search, map, goal, expanded));
        floods.Add(FloodFill(map, visited));
    }
    const Series ratio = Ratios(searches, floods);
    Table table("Grid path search: a chasing robot that cannot reach its goal on a " + std::to_string(side) + " x " +
                std::to_string(side) + " floor (" + std::to_string(expanded) +
                " cells expanded); median [min-max] of " + std::to_string(settings.rounds) + " round(s)");
    table.Header({"operation", "ms", "x flood"});
    table.Row({"search to an unreachable goal", Spread(searches, 2), Spread(ratio, 1)});
    table.Row({"breadth-first flood of the same cells", Spread(floods, 2), "1"});
    table.Note("A chasing robot plans again every half second: the search should stay well under 50 ms.");
    table.Print(ReportStream());
    figures.AddSeries("levels", "path/unreachable", searches, "ms");
    figures.AddSeries("levels", "path/flood", floods, "ms");
    figures.AddSeries("levels", "path/ratio", ratio, "x");
    figures.Add("levels", "path/expanded", static_cast<double>(expanded), "cells");
}

} // namespace

void RunLevelSection(System* system, const Settings& settings, Figures& figures)
{
    RunLevelLoad(system, settings, figures);
    RunThrowPreview(system, settings, figures);
    RunGrid(settings, figures);
    RunPathSearch(settings, figures);
}

} // namespace Bench
} // namespace QRX
