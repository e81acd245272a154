#include "engine/graphics/Font.h"

#include <algorithm>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"

namespace QRX {

namespace {

const Font::Glyph EMPTY_GLYPH{};

// The rendered bitmap of the glyph slot as tightly packed 8-bit coverage.
// False for pixel modes other than grey and mono.
bool CopyBitmap(const FT_Bitmap& bitmap, std::vector<unsigned char>& out)
{
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    out.assign(static_cast<size_t>(width) * rows, 0);
    if (width == 0 || rows == 0) return true;
    const int pitch = bitmap.pitch;
    for (int r = 0; r < rows; ++r) {
        // A negative pitch means the rows are stored bottom-up.
        const unsigned char* row =
            pitch >= 0 ? bitmap.buffer + r * pitch : bitmap.buffer + (rows - 1 - r) * -pitch;
        unsigned char* dest = out.data() + static_cast<size_t>(r) * width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            std::copy(row, row + width, dest);
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < width; ++x) dest[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

Font::Font(int size, FT_Library library, const std::string& path)
    : m_size(size), m_path(path)
{
    if (FT_New_Face(library, Platform::ResolvePath(path).c_str(), 0, &m_face) != 0) {
        m_face = nullptr;
        QRX_LOG_WARNING("Could not open font %s", path.c_str());
        return;
    }
    if (m_size < MIN_SIZE || m_size > MAX_SIZE) {
        QRX_LOG_WARNING("Font %s asks for an unusable size of %d pixels; using %d", path.c_str(), m_size,
                        DEFAULT_SIZE);
        m_size = DEFAULT_SIZE;
    }
    FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(m_size));
    InitResources();
    QRX_LOG_INFO("Generated a %d x %d (%d kb) texture atlas. Font loaded: %s of size %d", m_atlasWidth,
                 m_atlasHeight, m_atlasWidth * m_atlasHeight / 1024, path.c_str(), m_size);
}

Font::~Font()
{
    if (m_texture) glDeleteTextures(1, &m_texture);
    // Closed here rather than left to the library's release, so that fonts
    // rebuilt after every display change do not pile up open faces.
    if (m_face) FT_Done_Face(m_face);
}

const Font::Glyph& Font::GetGlyph(int code) const
{
    if (code < 0 || code >= TABLE_SIZE) return EMPTY_GLYPH;
    return m_glyphs[code];
}

Font::AtlasLayout Font::PackGlyphs(const GlyphSize sizes[TABLE_SIZE])
{
    AtlasLayout layout;
    int roww = 0;
    int rowh = 0;
    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        if (!sizes[c].loaded) continue;
        const int bw = sizes[c].width;
        if (roww + bw + 1 >= MAX_ROW_WIDTH) {
            layout.width = std::max(layout.width, roww);
            layout.height += rowh;
            roww = 0;
            rowh = 0;
        }
        layout.x[c] = roww;
        layout.y[c] = layout.height;
        roww += bw + 1;
        rowh = std::max(rowh, sizes[c].rows);
    }
    layout.width = std::max(layout.width, roww);
    layout.height += rowh;
    return layout;
}

void Font::InitResources()
{
    for (Glyph& g : m_glyphs) g = Glyph{};
    m_atlasWidth = 0;
    m_atlasHeight = 0;
    if (!m_face) return;

    // Render every glyph once; the bitmaps are kept until they are placed.
    GlyphSize sizes[TABLE_SIZE];
    std::vector<unsigned char> bitmaps[TABLE_SIZE];
    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        if (FT_Load_Char(m_face, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0 ||
            !CopyBitmap(m_face->glyph->bitmap, bitmaps[c])) {
            QRX_LOG_WARNING("Loading character %c failed!", c);
            continue;
        }
        const FT_GlyphSlot g = m_face->glyph;
        sizes[c].loaded = true;
        sizes[c].width = static_cast<int>(g->bitmap.width);
        sizes[c].rows = static_cast<int>(g->bitmap.rows);
        Glyph& entry = m_glyphs[c];
        entry.ax = static_cast<float>(g->advance.x >> 6);
        entry.ay = static_cast<float>(g->advance.y >> 6);
        entry.bw = static_cast<float>(sizes[c].width);
        entry.bh = static_cast<float>(sizes[c].rows);
        entry.bl = static_cast<float>(g->bitmap_left);
        entry.bt = static_cast<float>(g->bitmap_top);
    }

    const AtlasLayout layout = PackGlyphs(sizes);
    m_atlasWidth = layout.width;
    m_atlasHeight = layout.height;

    if (m_texture) glDeleteTextures(1, &m_texture);
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, m_atlasWidth, m_atlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE, nullptr);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    for (int c = FIRST_CHAR; c <= LAST_CHAR; ++c) {
        if (!sizes[c].loaded) continue;
        if (sizes[c].width > 0 && sizes[c].rows > 0)
            glTexSubImage2D(GL_TEXTURE_2D, 0, layout.x[c], layout.y[c], sizes[c].width, sizes[c].rows, GL_ALPHA,
                            GL_UNSIGNED_BYTE, bitmaps[c].data());
        // An atlas without rows or columns (no glyph has pixels) has no
        // positions to divide by.
        m_glyphs[c].tx = m_atlasWidth > 0 ? static_cast<float>(layout.x[c]) / m_atlasWidth : 0.0f;
        m_glyphs[c].ty = m_atlasHeight > 0 ? static_cast<float>(layout.y[c]) / m_atlasHeight : 0.0f;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace QRX
