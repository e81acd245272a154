// The broad phase of the physics step: from the objects that take part in
// detection, the pairs whose primitives can touch, in the order the step
// tests them.
//
// The step tests every pair (a, b), a listed before b, in ascending a then b,
// and the first contacts made win when the pool runs dry; so the broad phase
// must yield exactly the pairs the narrow phase could accept, in that same
// order. It leaves out a pair only when the narrow phase could never make a
// contact for it:
// - neither object has a body, or both are ENEMY objects (the step's rules);
// - the bounds of the two primitives are apart, measured with a margin far
//   above rounding. A sphere is bounded by its centre and radius. A box that
//   is not turned (its orientation exactly the identity) is bounded by its
//   half size; a turned box by its box around the axes, but only against an
//   unturned box (whose face axes, the world axes, the box-box test always
//   tries) and otherwise by its bounding sphere (which the box tests check
//   first). Absolute sizes are used, so negative scales stay conservative.
// A plane, a primitive with a non-finite or out-of-range bound, and a pair of
// planes (the narrow phase has no test for it) are handled apart: planes and
// unbounded primitives are paired with everything; plane pairs never.
//
// Bounded primitives go into a uniform grid whose cells are a few times the
// usual size of the objects with bodies: objects with bodies are entered in
// the grid; each object, with a body or not, then looks only at the bodies in
// its own cells, and a pair sharing several cells is taken in the first of
// them only. Pairs of two objects without bodies (the blocks of a floor) are
// never looked at. An object spanning too many cells, or too far out, is
// compared with every other one instead. The pairs found are then put in
// order. The buffers are kept between calls: a step allocates nothing once
// they have grown.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class Primitive;

class BroadPhase
{
public:
    // An object of the detection list.
    struct Item
    {
        const Primitive* primitive = nullptr;
        bool body = false;   // its object has a physics component
        bool enemy = false;  // its object is of type ENEMY
    };
    using Pair = std::pair<std::uint32_t, std::uint32_t>;

    // Bounds grow by this fraction of the primitive's size and distance from
    // the origin (plus the same absolute amount), far beyond float rounding.
    static constexpr float MARGIN = 1.0e-4f;
    // Cells are this many times the power of two nearest the median extent
    // of the objects with bodies: three units for unit objects, so that the
    // cell walls of a level on a unit grid run through the middle of its
    // objects, never along their faces, and few objects straddle a wall.
    static constexpr float CELL_FACTOR = 3.0f;
    // An object spanning more cells than this is compared with all others.
    static constexpr std::int64_t MAX_CELLS = 64;
    // Cell coordinates beyond this magnitude are not entered in the grid.
    static constexpr float MAX_CELL_COORDINATE = 1.0e9f;
    // Buckets of pairs up to this size are put in order by insertion.
    static constexpr std::size_t SMALL_BUCKET = 16;

    // Fills pairs (cleared first) with the pairs (a, b), a < b, that the
    // narrow phase must test, in ascending a, then b. Items with a null
    // primitive or an unknown kind of primitive take part in no pair.
    void FindPairs(const std::vector<Item>& items, std::vector<Pair>& pairs);

private:
    enum Kind : std::uint8_t { NONE, SPHERE, BOX, PLANE };
    struct Bounds
    {
        glm::vec3 lo{0.0f}, hi{0.0f};            // the bounds every pair may use
        glm::vec3 tightLo{0.0f}, tightHi{0.0f};  // box around the axes (turned boxes)
        Kind kind = NONE;
        bool turned = false;    // a box whose orientation is not the identity
        bool bounded = false;   // finite bounds; otherwise paired with everything
        bool gridded = false;   // its cells are known (cellLo to cellHi)
        std::int32_t cellLo[3] = {0, 0, 0};
        std::int32_t cellHi[3] = {0, 0, 0};
    };
    // A cell of the grid and the first of its bodies (a chain through m_next).
    struct Cell
    {
        std::int32_t at[3];
        std::int32_t first;  // -1: the slot is free
    };
    struct CellCorner
    {
        std::int32_t at[3];
    };

    void Measure(const std::vector<Item>& items);
    bool Overlap(std::uint32_t a, std::uint32_t b) const;
    void Emit(const std::vector<Item>& items, std::uint32_t a, std::uint32_t b);
    // Cell size, cell ranges, and the bodies entered in the grid.
    void BuildGrid(const std::vector<Item>& items);
    // The cell at the coordinates, or -1; with insert, made when missing.
    std::int32_t FindCell(const std::int32_t at[3], bool insert);
    // Pairs of each gridded object with the bodies sharing its cells.
    void GridPairs(const std::vector<Item>& items);
    // Pairs of gridded object i with the bodies of one of its cells.
    void CellPairs(const std::vector<Item>& items, std::uint32_t i, std::int32_t slot);
    // Pairs of the bounded objects left out of the grid with all others.
    void LoosePairs(const std::vector<Item>& items);
    void Order(std::size_t count, std::vector<Pair>& pairs);

    std::vector<Bounds> m_bounds;
    std::vector<std::uint32_t> m_unbounded;  // planes and non-finite bounds
    std::vector<std::uint32_t> m_loose;      // bounded but not in the grid
    std::vector<float> m_sizes;
    float m_cellSize = 1.0f;
    std::vector<Cell> m_cells;               // open addressing, size a power of two
    std::vector<std::int32_t> m_usedCells;   // indices of m_cells in use
    std::vector<std::int32_t> m_next;        // per entry: the next entry of its cell
    std::vector<std::uint32_t> m_entryItem;  // per entry: the body
    std::vector<std::int32_t> m_entryCell;   // per entry: its cell
    std::vector<std::int32_t> m_firstEntry;  // per item: its first entry (bodies only), -1 otherwise
    std::vector<CellCorner> m_cellLo;        // per item: its first cell (a copy kept close)
    std::vector<Pair> m_found;
    std::vector<std::uint32_t> m_bucketStart;
};

} // namespace QRX
