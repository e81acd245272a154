// The occupancy grid of the current level.
//
// A box of rows x columns x layers of unit cells: rows run along world z,
// columns along world x, layers along world y, all counted in whole units
// from the world origin. Each (row, column) cell, at index columns * row +
// column, holds one value per layer: the object type of the blocking object
// that fills it (CUBE, SWITCH, BARRIER, FALLINGPLATFORM) or 0. A cell grows
// upward as objects need higher layers, and the height follows. The values
// describe the blocking objects where they stood when the grid was built,
// plus later edits. Out-of-grid rows and columns are skipped silently.
//
// Sizes come from a level file, which a player may download or an editor
// write, so the grid is bounded in memory and in time: a grid of more than
// MAX_CELLS cells, MAX_LAYERS layers or MAX_ENTRIES layer entries (rows x
// columns x layers) is refused with a log line, and no cell grows past the
// layers that fit in MAX_ENTRIES (nor past MAX_LAYERS). The entries live in
// one flat array, one plane of rows x columns per layer (layer outermost),
// so allocating and clearing are one allocation, growing a layer appends a
// plane, and an object's footprint is walked once, clipped to the grid.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace QRX {

class GameObject;

class Map
{
public:
    static constexpr std::uint32_t MAX_CELLS = 1u << 20;    // rows x columns
    static constexpr std::uint32_t MAX_LAYERS = 256;
    static constexpr std::uint32_t MAX_ENTRIES = 1u << 22;  // rows x columns x layers: 16 MB

    // The layers of one cell, bottom first.
    using Cell = std::vector<std::uint32_t>;

    // All sizes 0, no cells.
    Map() = default;

    // Takes a level's sizes; the cells are not touched (AllocateCells follows).
    // False, with an ERROR line naming the sizes and the bounds and the
    // earlier sizes kept, when the grid would exceed MAX_CELLS cells,
    // MAX_LAYERS layers or MAX_ENTRIES entries.
    bool SetSize(std::uint32_t rows, std::uint32_t columns, std::uint32_t height);

    // Replaces the cells by rows x columns fresh cells of one 0 layer (room
    // for the height is reserved, so ResizeLayers does not allocate again).
    void AllocateCells();
    // Lengthens every cell to the height and sets its layers below it to 0.
    void ResizeLayers();
    // Clear, AllocateCells, ResizeLayers, then the active CUBE, SWITCH,
    // BARRIER and FALLINGPLATFORM objects of the object manager in that order
    // (a later one's type stays in a shared cell).
    void Build();
    // Enters each object of the list by its position, scale and type;
    // returns the number of cells entered.
    std::size_t AddObjectsToMap(const std::vector<GameObject*>& objects);
    // Enters one blocking box: the cells under its footprint, clipped to the
    // grid, take `value` at the layer of its top; returns how many. A top at
    // or below -1 is below the grid and enters nothing; a layer past the
    // grid's room is logged and enters nothing.
    std::size_t EnterObject(const glm::vec3& position, const glm::vec3& scale, std::uint32_t value);
    // Sets one entry; a cell shorter than layer + 1 is lengthened with 0 (or
    // with `value` when `fill` is set) and the height follows. Out-of-grid
    // cells and layers past the grid's room are ignored.
    void SetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer, std::uint32_t value,
                      bool fill);
    // Zeroes the cells that a blocking object of the type holds under its own
    // box: the entries of that type in the cells of its footprint, from the
    // bottom of its box to its top layer. Destroys nothing. A rotated box
    // (which the grid cannot describe) is logged and removed as unrotated.
    void RemoveObjectValuesFromMap(const glm::vec3& position, const glm::vec3& scale, const glm::quat& rotation,
                                   std::uint32_t objectType);
    // Removes every cell and frees their memory; the sizes stay.
    void Clear();

    std::uint32_t GetRows() const { return m_Rows; }
    std::uint32_t GetColumns() const { return m_Columns; }
    std::uint32_t GetHeight() const { return m_Height; }
    // The number of cells allocated (rows x columns after AllocateCells).
    std::size_t GetCellCount() const { return m_CellCount; }
    // A copy of the layers of the cell at a row and column; empty outside
    // the allocated grid.
    Cell GetCell(std::uint32_t row, std::uint32_t column) const;
    // The entry at a row, column and layer; 0 where the grid has none.
    std::uint32_t GetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer) const;
    // The stored entries, layer by layer (for comparing whole grids).
    const std::vector<std::uint32_t>& GetEntries() const { return m_Entries; }
    // The most layers a cell of the allocated grid may grow to.
    std::uint32_t GetLayerLimit() const;

private:
    // Marks the entries above a cell's own length (they read as 0).
    static constexpr std::uint32_t ABSENT = 0xFFFFFFFFu;

    // The rows [row0, row1) and columns [column0, column1) a box covers.
    struct Footprint
    {
        std::uint32_t row0 = 0, row1 = 0, column0 = 0, column1 = 0;
        std::size_t Cells() const { return static_cast<std::size_t>(row1 - row0) * (column1 - column0); }
    };
    Footprint FootprintOf(const glm::vec3& position, const glm::vec3& scale) const;
    // The index of a cell's bottom entry, or false outside the allocated grid.
    bool CellIndex(std::uint32_t row, std::uint32_t column, std::size_t& index) const;
    // Adds absent planes up to `layers` (layers <= GetLayerLimit()).
    void GrowPlanes(std::uint32_t layers);
    // Sets a cell's entry at a layer, lengthening it first with `fill`.
    void SetEntry(std::size_t cell, std::uint32_t layer, std::uint32_t value, std::uint32_t fill);

    std::uint32_t m_Rows = 0;
    std::uint32_t m_Columns = 0;
    std::uint32_t m_Height = 0;  // grows when an object needs a higher layer
    // The allocated grid: its columns, its cells and its planes of layers.
    std::uint32_t m_CellColumns = 0;
    std::size_t m_CellCount = 0;
    std::uint32_t m_Planes = 0;
    std::vector<std::uint32_t> m_Entries;  // m_Planes planes of m_CellCount entries
};

} // namespace QRX
