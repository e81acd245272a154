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

// The end of a footprint's run of cells from `first`: the cells c with
// c < end (end in floating point, the untruncated scale), at most `limit`.
std::uint32_t LastCellEnd(std::uint32_t first, double end, std::uint32_t limit)
{
    if (!(end > static_cast<double>(first))) return first;  // empty, or not a number
    if (end >= static_cast<double>(limit)) return limit;
    return static_cast<std::uint32_t>(std::ceil(end));
}

} // namespace

bool Map::SetSize(std::uint32_t rows, std::uint32_t columns, std::uint32_t height)
{
    const std::uint64_t cells = static_cast<std::uint64_t>(rows) * columns;
    const std::uint64_t entries = cells * std::max<std::uint32_t>(height, 1);
    if (cells > MAX_CELLS || height > MAX_LAYERS || entries > MAX_ENTRIES) {
        QRX_LOG_ERROR("Map of %u rows, %u columns and %u layers is too large (at most %u cells, %u layers and %u "
                      "entries); keeping %u x %u x %u.",
                      rows, columns, height, MAX_CELLS, MAX_LAYERS, MAX_ENTRIES, m_Rows, m_Columns, m_Height);
        return false;
    }
    m_Rows = rows;
    m_Columns = columns;
    m_Height = height;
    return true;
}

std::uint32_t Map::GetLayerLimit() const
{
    if (m_CellCount == 0) return MAX_LAYERS;
    return static_cast<std::uint32_t>(std::min<std::size_t>(MAX_LAYERS, MAX_ENTRIES / m_CellCount));
}

void Map::AllocateCells()
{
    // A fresh grid every time: cells of an earlier level never show through,
    // and the memory of a larger earlier grid goes back.
    m_CellColumns = m_Columns;
    m_CellCount = static_cast<std::size_t>(m_Rows) * m_Columns;
    const std::uint32_t planes = std::max<std::uint32_t>(1, std::min(m_Height, GetLayerLimit()));
    std::vector<std::uint32_t> fresh;
    fresh.reserve(m_CellCount * planes);
    fresh.assign(m_CellCount, 0u);
    m_Entries.swap(fresh);
    m_Planes = 1;
}

void Map::ResizeLayers()
{
    if (m_CellCount == 0) return;
    const std::uint32_t limit = GetLayerLimit();
    if (m_Height > limit) {
        // Only reachable when the sizes changed without a new allocation.
        QRX_LOG_WARNING("Map height %u does not fit its %zu cells; it is cut to %u layers.", m_Height, m_CellCount,
                        limit);
        m_Height = limit;
    }
    GrowPlanes(m_Height);
    std::fill(m_Entries.begin(), m_Entries.begin() + static_cast<std::ptrdiff_t>(m_Height * m_CellCount), 0u);
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

std::size_t Map::AddObjectsToMap(const std::vector<GameObject*>& objects)
{
    std::size_t entered = 0;
    for (const GameObject* object : objects)
        if (object) entered += EnterObject(object->position, object->scale, static_cast<std::uint32_t>(object->type));
    return entered;
}

std::size_t Map::EnterObject(const glm::vec3& position, const glm::vec3& scale, std::uint32_t value)
{
    glm::dvec3 h = HalfExtents(scale);
    double top = position.y + h.y;
    // Below the grid (or not a number): no layer to enter it at.
    if (!(top > -1.0)) return 0;
    std::uint32_t layer = top < static_cast<double>(m_Height) ? static_cast<std::uint32_t>(std::trunc(top)) : m_Height;
    const std::uint32_t limit = GetLayerLimit();
    if (layer >= limit) {
        QRX_LOG_WARNING("Object of type %u at layer %u is above the map's %u layers; it is not entered.", value,
                        layer, limit);
        return 0;
    }
    if (value == ABSENT) {
        QRX_LOG_WARNING("Map value %u is not an object type; it is not entered.", value);
        return 0;
    }
    const Footprint area = FootprintOf(position, scale);
    if (area.Cells() == 0) return 0;
    GrowPlanes(layer + 1);
    for (std::uint32_t r = area.row0; r < area.row1; ++r) {
        const std::size_t rowStart = static_cast<std::size_t>(r) * m_CellColumns;
        for (std::uint32_t c = area.column0; c < area.column1; ++c) SetEntry(rowStart + c, layer, value, value);
    }
    if (layer >= m_Height) m_Height = layer + 1;
    return area.Cells();
}

void Map::SetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer, std::uint32_t value, bool fill)
{
    if (column >= m_Columns || row >= m_Rows) return;
    const std::uint32_t limit = GetLayerLimit();
    if (layer >= limit) {
        QRX_LOG_WARNING("Map layer %u is above the map's %u layers; the value is not set.", layer, limit);
        return;
    }
    if (value == ABSENT) {
        QRX_LOG_WARNING("Map value %u is not an object type; it is not set.", value);
        return;
    }
    std::size_t cell = 0;
    if (!CellIndex(row, column, cell)) return;
    GrowPlanes(layer + 1);
    SetEntry(cell, layer, value, fill ? value : 0u);
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
    if (!(top > -1.0) || m_Planes == 0) return;
    double topLayer = std::min(std::trunc(top), static_cast<double>(MAX_LAYERS - 1));
    std::uint32_t bottom = FirstCell(position.y - h.y, MAX_LAYERS);
    const Footprint area = FootprintOf(position, scale);
    for (std::uint32_t r = area.row0; r < area.row1; ++r) {
        for (std::uint32_t c = area.column0; c < area.column1; ++c) {
            const std::size_t cell = static_cast<std::size_t>(r) * m_CellColumns + c;
            // The cell's own length: its entries below the first absent one.
            std::uint32_t length = m_Planes;
            while (length > 0 && m_Entries[(length - 1) * m_CellCount + cell] == ABSENT) --length;
            if (length == 0) continue;
            // A box that stood above the grid was entered on the top of its cells.
            std::uint32_t last = static_cast<std::uint32_t>(std::min(topLayer, static_cast<double>(length - 1)));
            for (std::uint32_t y = std::min(bottom, last); y <= last; ++y) {
                std::uint32_t& entry = m_Entries[y * m_CellCount + cell];
                if (entry == objectType) entry = 0;
            }
        }
    }
}

void Map::Clear()
{
    std::vector<std::uint32_t>().swap(m_Entries);
    m_CellColumns = 0;
    m_CellCount = 0;
    m_Planes = 0;
}

Map::Footprint Map::FootprintOf(const glm::vec3& position, const glm::vec3& scale) const
{
    // Clipped to the allocated grid before any walk: the cost follows the
    // cells covered inside the grid, never the size of the box.
    const glm::dvec3 h = HalfExtents(scale);
    const std::uint32_t rowLimit = std::min<std::uint32_t>(
        m_Rows, m_CellColumns ? static_cast<std::uint32_t>(m_CellCount / m_CellColumns) : 0);
    const std::uint32_t columnLimit = std::min(m_Columns, m_CellColumns);
    Footprint area;
    area.row0 = FirstCell(position.z - h.z, rowLimit);
    area.column0 = FirstCell(position.x - h.x, columnLimit);
    area.row1 = LastCellEnd(area.row0, area.row0 + static_cast<double>(scale.z), rowLimit);
    area.column1 = LastCellEnd(area.column0, area.column0 + static_cast<double>(scale.x), columnLimit);
    return area;
}

bool Map::CellIndex(std::uint32_t row, std::uint32_t column, std::size_t& index) const
{
    if (row >= m_Rows || column >= m_Columns || column >= m_CellColumns) return false;
    index = static_cast<std::size_t>(row) * m_CellColumns + column;
    return index < m_CellCount;
}

void Map::GrowPlanes(std::uint32_t layers)
{
    if (layers <= m_Planes) return;
    // Exactly the entries: a grown plane never doubles the grid's memory.
    m_Entries.reserve(static_cast<std::size_t>(layers) * m_CellCount);
    m_Entries.resize(static_cast<std::size_t>(layers) * m_CellCount, ABSENT);
    m_Planes = layers;
}

void Map::SetEntry(std::size_t cell, std::uint32_t layer, std::uint32_t value, std::uint32_t fill)
{
    std::uint32_t* entry = &m_Entries[layer * m_CellCount + cell];
    if (*entry == ABSENT) {
        // The cell is shorter than layer + 1: lengthen it with `fill`.
        for (std::uint32_t y = layer; y > 0; --y) {
            std::uint32_t& below = m_Entries[(y - 1) * m_CellCount + cell];
            if (below != ABSENT) break;
            below = fill;
        }
    }
    *entry = value;
}

Map::Cell Map::GetCell(std::uint32_t row, std::uint32_t column) const
{
    Cell layers;
    std::size_t cell = 0;
    if (!CellIndex(row, column, cell)) return layers;
    for (std::uint32_t y = 0; y < m_Planes; ++y) {
        std::uint32_t entry = m_Entries[y * m_CellCount + cell];
        if (entry == ABSENT) break;
        layers.push_back(entry);
    }
    return layers;
}

std::uint32_t Map::GetCellValue(std::uint32_t row, std::uint32_t column, std::uint32_t layer) const
{
    std::size_t cell = 0;
    if (layer >= m_Planes || !CellIndex(row, column, cell)) return 0;
    std::uint32_t entry = m_Entries[layer * m_CellCount + cell];
    return entry == ABSENT ? 0u : entry;
}

} // namespace QRX
