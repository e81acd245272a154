// One TrueType font at one pixel size, rendered into a glyph atlas.
//
// The constructor opens the file with FreeType and renders the printable ASCII
// glyphs 32 to 127 once, packing them into one single-channel (GL_ALPHA)
// texture: rows are filled left to right and stacked top to bottom, each row
// narrower than MAX_ROW_WIDTH, each glyph followed by one empty column. The
// glyph table keeps, per character code, the advance, the bitmap size and
// bearings in pixels and the atlas position of the glyph's top-left corner as
// a fraction of the atlas size; codes without a glyph stay all zero.
//
// A font whose file cannot be opened has no atlas (HasAtlas false) and must not
// be drawn with. Construction and destruction need a current GL context.
#pragma once
#include <GL/glew.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace QRX {

class Font
{
public:
    // Entries of the glyph table: one per code 0..127.
    static constexpr int TABLE_SIZE = 128;
    // Codes rendered into the atlas.
    static constexpr int FIRST_CHAR = 32;
    static constexpr int LAST_CHAR = 127;
    // An atlas row is always narrower than this many pixels.
    static constexpr int MAX_ROW_WIDTH = 2048;
    // Pixel sizes accepted from a catalogue; others fall back to DEFAULT_SIZE.
    static constexpr int MIN_SIZE = 1;
    static constexpr int MAX_SIZE = 256;
    static constexpr int DEFAULT_SIZE = 12;

    // One glyph entry, all in pixels except tx, ty (fractions of the atlas).
    struct Glyph
    {
        float ax = 0.0f;  // pen advance
        float ay = 0.0f;
        float bw = 0.0f;  // bitmap width and rows
        float bh = 0.0f;
        float bl = 0.0f;  // bitmap left and top bearings
        float bt = 0.0f;
        float tx = 0.0f;  // atlas position of the bitmap's top-left corner
        float ty = 0.0f;
    };

    // Bitmap size of one code as FreeType rendered it; loaded false when the
    // glyph could not be loaded (it then takes no room).
    struct GlyphSize
    {
        bool loaded = false;
        int width = 0;
        int rows = 0;
    };

    // Where PackGlyphs puts every loaded glyph, and the atlas size.
    struct AtlasLayout
    {
        int width = 0;
        int height = 0;
        int x[TABLE_SIZE] = {};
        int y[TABLE_SIZE] = {};
    };

    // Opens face 0 of the file at the pixel size and builds the atlas. A file
    // that cannot be opened logs "Could not open font %s" and leaves the font
    // without an atlas; a size out of range logs and uses DEFAULT_SIZE.
    Font(int size, FT_Library library, const std::string& path);
    // Deletes the atlas texture and closes the face.
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Renders codes 32..127 and fills the atlas and the glyph table. A glyph
    // that fails to load logs "Loading character %c failed!" and stays zero.
    void InitResources();

    // The atlas layout of glyphs of the given sizes (codes 32..127; others
    // are ignored), exactly as InitResources places them.
    static AtlasLayout PackGlyphs(const GlyphSize sizes[TABLE_SIZE]);

    GLuint GetTextureObject() const { return m_texture; }
    bool HasAtlas() const { return m_texture != 0; }
    // The entry of a code; codes outside 0..127 get an all-zero entry.
    const Glyph& GetGlyph(int code) const;
    int GetAtlasWidth() const { return m_atlasWidth; }
    int GetAtlasHeight() const { return m_atlasHeight; }
    int GetSize() const { return m_size; }
    const std::string& GetPath() const { return m_path; }

private:
    Glyph m_glyphs[TABLE_SIZE];
    int m_atlasWidth = 0;
    int m_atlasHeight = 0;
    GLuint m_texture = 0;
    FT_Face m_face = nullptr;
    int m_size = 0;
    std::string m_path;
};

} // namespace QRX
