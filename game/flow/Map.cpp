#include "game/flow/Map.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

// The first whole cell of a box edge: truncated toward zero, 0 when not
// above 0. `limit` when the edge lies at or past it (or is not a number).
std::uint32_t FirstCell(double edge, std::uint32_t limit)
{
    if (std::isnan(edge)) return limit;
    if (!(edge > 0.0)) return 0;
    if (edge >= static_cast<double>(limit)) return limit;
    return static_cast<std::uint32_t>(std::trunc(edge));
}

// Half extents of a box as the grid counts them: whole units, truncated.
glm::dvec3 HalfExtents(const glm::vec3& scale)
{
    return glm::dvec3(std::trunc(scale.x / 2.0), std::trunc(scale.y / 2.0), std::trunc(scale.z / 2.0));
}

} // namespace

bool Map::SetSize(std::uint32_t rows, std::uint32_t columns, std::uint32_t height)
{
    std::uint64_t cells = static_cast<std::uint64_t>(rows) * columns;
    if (cells > MAX_CELLS || height > MAX_LAYERS) {
        QRX_LOG_ERROR("Map of %u rows, %u columns and %u layers is too large (at most %u cells and %u layers); "
                      "keeping %u x %u x %u.",
                      rows, columns, height, MAX_CELLS, MAX_LAYERS, m_Rows, m_Columns, m_Height);
        return false;
    }
    m_Rows = rows;
    m_Columns = columns;
    m_Height = height;
    return true;
}

void Map::AllocateCells()
{
    // A fresh grid every time: cells of an earlier level never show through.
    m_Cells.assign(static_cast<std::size_t>(m_Rows) * m_Columns, Cell(1, 0));
}

void Map::ResizeLayers()
{
    std::size_t count = std::min<std::size_t>(m_Cells.size(), static_cast<std::size_t>(m_Rows) * m_Columns);
    for (std::size_t i = 0; i < count; ++i) {
        Cell& cell = m_Cells[i];
        if (cell.size() < m_Height) cell.resize(m_Height, 0);
        std::fill(cell.begin(), cell.begin() + m_Height, 0u);
    }
}

void Map::Build()
{
    Clear();
    AllocateCells();
    ResizeLayers();
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return;
    for (ObjectType type : {CUBE, SWITCH, BARRIER, FALLINGPLATFORM}) AddObjectsToMap(objects->GetActiveObjectsOfType(type));
}

void Map::AddObjectsToMap(const std::vector<GameObject*>& objects)
{
    for (const GameObject* object : objects)
        if (object) EnterObject(object->position, object->scale, static_cast<std::uint32_t>(object->type));
}

void Map::EnterObject(const glm::vec3& position, const glm::vec3& scale, std::uint32_t value)
{
    glm::dvec3 h = HalfExtents(scale);
    double top = position.y + h.y;
    // Below the grid (or not a number): no layer to enter it at.
    if (!(top > -1.0)) return;
    std::uint32_t layer = top < static_cast<double>(m_Height) ? static_cast<std::uint32_t>(std::trunc(top)) : m_Height;
    if (layer >= MAX_LAYERS) {
        QRX_LOG_WARNING("Object of type %u at layer %u is above the map's %u layers; it is not entered.", value,
                        layer, MAX_LAYERS);
        return;
    }
    std::uint32_t r0 = FirstCell(position.z - h.z, m_Rows);
    std::uint32_t c0 = FirstCell(position.x - h.x, m_Columns);
    double rowEnd = r0 + static_cast<double>(scale.z);
    double columnEnd = c0 + static_cast<double>(scale.x);
    for (std::uint32_t r = r0; r < m_Rows && r < rowEnd; ++r) {
        for (std::uint32_t c = c0; c < m_Columns && c < columnEnd; ++c) {
            Cell* cell = CellAt(r, c);
            if (!cell) continue;
            if (cell->size() < layer + 1) cell->resize(layer + 1, value);
            (*cell)[layer] = value;
            if (layer >= m_Height) m_Height = layer + 1;
        }
    }
}

void Map::SetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer, std::uint32_t value, bool fill)
{
    if (column >= m_Columns || row >= m_Rows) return;
    if (layer >= MAX_LAYERS) {
        QRX_LOG_WARNING("Map layer %u is above the map's %u layers; the value is not set.", layer, MAX_LAYERS);
        return;
    }
    Cell* cell = CellAt(row, column);
    if (!cell) return;
    if (cell->size() < layer + 1) cell->resize(layer + 1, fill ? value : 0u);
    (*cell)[layer] = value;
    if (layer >= m_Height) m_Height = layer + 1;
}

void Map::RemoveObjectValuesFromMap(const glm::vec3& position, const glm::vec3& scale, const glm::quat& rotation,
                                    std::uint32_t objectType)
{
    glm::vec3 angles = glm::eulerAngles(rotation);
    if (angles.x != 0.0f || angles.y != 0.0f || angles.z != 0.0f)
        QRX_LOG_WARNING("Object to be removed has been rotated before! This may cause problem with the map data "
                        "remove function!");

    // The footprint of entering the box, and every layer from the bottom of
    // the box to its top layer, since the height may have grown since.
    glm::dvec3 h = HalfExtents(scale);
    double top = position.y + h.y;
    if (!(top > -1.0)) return;
    double topLayer = std::min(std::trunc(top), static_cast<double>(MAX_LAYERS - 1));
    std::uint32_t bottom = FirstCell(position.y - h.y, MAX_LAYERS);
    std::uint32_t r0 = FirstCell(position.z - h.z, m_Rows);
    std::uint32_t c0 = FirstCell(position.x - h.x, m_Columns);
    double rowEnd = r0 + static_cast<double>(scale.z);
    double columnEnd = c0 + static_cast<double>(scale.x);
    for (std::uint32_t r = r0; r < m_Rows && r < rowEnd; ++r) {
        for (std::uint32_t c = c0; c < m_Columns && c < columnEnd; ++c) {
            Cell* cell = CellAt(r, c);
            if (!cell || cell->empty()) continue;
            // A box that stood above the grid was entered on the top of its cells.
            std::uint32_t last = static_cast<std::uint32_t>(std::min(topLayer, static_cast<double>(cell->size() - 1)));
            for (std::uint32_t y = std::min(bottom, last); y <= last; ++y)
                if ((*cell)[y] == objectType) (*cell)[y] = 0;
        }
    }
}

void Map::Clear()
{
    m_Cells.clear();
    m_Cells.shrink_to_fit();
}

Map::Cell* Map::CellAt(std::uint32_t row, std::uint32_t column)
{
    std::size_t index = static_cast<std::size_t>(m_Columns) * row + column;
    return index < m_Cells.size() ? &m_Cells[index] : nullptr;
}

const Map::Cell* Map::GetCell(std::uint32_t row, std::uint32_t column) const
{
    if (row >= m_Rows || column >= m_Columns) return nullptr;
    std::size_t index = static_cast<std::size_t>(m_Columns) * row + column;
    return index < m_Cells.size() ? &m_Cells[index] : nullptr;
}

std::uint32_t Map::GetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer) const
{
    const Cell* cell = GetCell(row, column);
    return cell && layer < cell->size() ? (*cell)[layer] : 0u;
}

} // namespace QRX
