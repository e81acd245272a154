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
// Sizes come from a level file, so they are bounded: a grid of more than
// MAX_CELLS cells or MAX_LAYERS layers is refused with a log line, and no
// cell grows past MAX_LAYERS layers.
#pragma once
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace QRX {

class GameObject;

class Map
{
public:
    static constexpr std::uint32_t MAX_CELLS = 1u << 20;  // rows x columns
    static constexpr std::uint32_t MAX_LAYERS = 256;

    using Cell = std::vector<std::uint32_t>;

    // All sizes 0, no cells.
    Map() = default;

    // Takes a level's sizes; the cells are not touched (AllocateCells follows).
    // False, with an ERROR line and the earlier sizes kept, when the grid
    // would exceed MAX_CELLS cells or MAX_LAYERS layers.
    bool SetSize(std::uint32_t rows, std::uint32_t columns, std::uint32_t height);

    // Replaces the cells by rows x columns fresh cells of one 0 layer.
    void AllocateCells();
    // Lengthens every cell to the height and sets its layers below it to 0.
    void ResizeLayers();
    // Clear, AllocateCells, ResizeLayers, then the active CUBE, SWITCH,
    // BARRIER and FALLINGPLATFORM objects of the object manager in that order
    // (a later one's type stays in a shared cell).
    void Build();
    // Enters each object of the list by its position, scale and type.
    void AddObjectsToMap(const std::vector<GameObject*>& objects);
    // Enters one blocking box: the cells under its footprint take `value` at
    // the layer of its top. A top at or below -1 is below the grid and enters
    // nothing.
    void EnterObject(const glm::vec3& position, const glm::vec3& scale, std::uint32_t value);
    // Sets one entry; a cell shorter than layer + 1 is lengthened with 0 (or
    // with `value` when `fill` is set) and the height follows. Out-of-grid
    // cells and layers from MAX_LAYERS up are ignored.
    void SetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer, std::uint32_t value,
                      bool fill);
    // Zeroes the cells that a blocking object of the type holds under its own
    // box: the entries of that type in the cells of its footprint, from the
    // bottom of its box to its top layer. Destroys nothing. A rotated box
    // (which the grid cannot describe) is logged and removed as unrotated.
    void RemoveObjectValuesFromMap(const glm::vec3& position, const glm::vec3& scale, const glm::quat& rotation,
                                   std::uint32_t objectType);
    // Removes every cell; the sizes stay.
    void Clear();

    std::uint32_t GetRows() const { return m_Rows; }
    std::uint32_t GetColumns() const { return m_Columns; }
    std::uint32_t GetHeight() const { return m_Height; }
    const std::vector<Cell>& GetCells() const { return m_Cells; }
    // The cell at a row and column, or null outside the allocated grid.
    const Cell* GetCell(std::uint32_t row, std::uint32_t column) const;
    // The entry at a row, column and layer; 0 where the grid has none.
    std::uint32_t GetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer) const;

private:
    Cell* CellAt(std::uint32_t row, std::uint32_t column);

    std::uint32_t m_Rows = 0;
    std::uint32_t m_Columns = 0;
    std::uint32_t m_Height = 0;  // grows when an object needs a higher layer
    std::vector<Cell> m_Cells;
};

} // namespace QRX
