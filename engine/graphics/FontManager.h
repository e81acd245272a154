// The fonts of the game and the per-frame queue of screen text.
//
// The constructor starts FreeType and loads every font of the catalogue
// "data\fonts\fonts.xml" (root "fonts"; each entry a "file" inside
// "data\fonts\", a pixel "size" and a "fontId"); without a catalogue the font
// "default" comes from "data\fonts\DUNGEON.TTF" at 12 pixels. The first font
// registered under an id stays.
//
// The interface's lines are laid out for a 1024 x 768 window like its
// pictures, and their letters grow and shrink with the window as the pictures
// do: each catalogue font is also loaded at its size times the layout scale
// (the window over 1024 x 768, the smaller of the two ratios) whenever that
// scale is not 1. AddLayoutText queues a line in those letters; every other
// line (console, developer overlay, HUD captions placed in pixels) keeps the
// catalogue's pixel size.
//
// Anyone queues lines during a frame with AddText; once per frame the renderer
// calls RenderAllText, which lays each line out glyph by glyph in normalised
// device coordinates, draws it with the program "font" (built by
// SetupFontShader from "data\shaders\text.vert" and "text.frag") and empties
// the queue. Position mode 0 counts pixels from the window centre (y up),
// mode 1 from the top-left corner (y down). A line whose font is unknown uses
// "default"; a line with no usable font, or any line while the program, its
// attribute or the buffer object is missing, is dropped without drawing.
// Lines are clipped to MAX_GLYPH_QUADS characters; codes outside 32..127 are
// skipped.
//
// A display-mode change calls ReleaseFonts before the context goes and
// ReloadFonts after the new one exists (then the renderer's program set-up
// runs SetupFontShader again); the colour table and the queue survive.
// Everything but AddText and the colour table needs a current GL context.
#pragma once
#include <GL/glew.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class Font;

class FontManager
{
public:
    static constexpr const char* CATALOGUE_FILE = "data\\fonts\\fonts.xml";
    static constexpr const char* FONT_FOLDER = "data\\fonts\\";
    static constexpr const char* DEFAULT_FONT_ID = "default";
    // The font used when the catalogue cannot be opened.
    static constexpr const char* FALLBACK_FONT_FILE = "data\\fonts\\DUNGEON.TTF";
    static constexpr int FALLBACK_FONT_SIZE = 12;
    static constexpr const char* PROGRAM_NAME = "font";
    static constexpr const char* VERTEX_SHADER_FILE = "data\\shaders\\text.vert";
    static constexpr const char* FRAGMENT_SHADER_FILE = "data\\shaders\\text.frag";

    // Position modes of a queued line.
    static constexpr int POSITION_CENTRE = 0;
    static constexpr int POSITION_TOP_LEFT = 1;

    // Colour table: red, green, blue per index.
    static constexpr int COLOR_COUNT = 12;
    static constexpr int FLOATS_PER_COLOR = 3;

    // Vertex store: six (x, y, s, t) vertices per glyph quad.
    static constexpr int MAX_GLYPH_QUADS = 10000;
    static constexpr int VERTICES_PER_QUAD = 6;
    static constexpr int FLOATS_PER_VERTEX = 4;
    static constexpr int STORE_VERTICES = MAX_GLYPH_QUADS * VERTICES_PER_QUAD;
    static constexpr int BYTES_PER_CHARACTER = VERTICES_PER_QUAD * FLOATS_PER_VERTEX * static_cast<int>(sizeof(float));

    // One queued line.
    struct TextItem
    {
        int mode = POSITION_CENTRE;
        std::string text;
        float x = 0.0f;
        float y = 0.0f;
        glm::vec4 color{1.0f, 1.0f, 1.0f, 1.0f};
        std::string fontId;
        bool layout = false;  // in the letters of the interface's layout
    };

    // What LayoutLine produced for one line.
    struct LineLayout
    {
        int vertexCount = 0;     // vertices written (six per visible glyph)
        int characterCount = 0;  // characters of the text taken (after clipping)
        bool modeKnown = true;   // false: the start values were used
    };

    // Starts FreeType; then loads the catalogue and makes the buffer object.
    // A FreeType failure logs "Could not init freetype library" and leaves no
    // font and no buffer. The colour table is built in every case.
    FontManager();
    // ReleaseFonts, then stops FreeType. Needs the context the fonts live in.
    ~FontManager();
    FontManager(const FontManager&) = delete;
    FontManager& operator=(const FontManager&) = delete;

    // Loads every font of the catalogue (or the fallback font without one).
    void LoadFontsFromXML();
    // Registers a new font under the id (and its layout-scaled twin). False,
    // changing nothing, when the id is taken or the font cannot be allocated;
    // a font whose file cannot be opened is registered all the same (without
    // an atlas).
    bool LoadFont(const std::string& id, int size, const std::string& path);
    // Builds the program "font" and looks up "coord", "tex" and "color"; a
    // missing one logs "Could not bind attribute/uniform %s" and stops the
    // look-ups. Needs the System's shader manager.
    void SetupFontShader();

    // Queues one line with an RGBA colour.
    void AddText(int mode, const std::string& text, float x, float y, const std::string& fontId,
                 const glm::vec4& color);
    // Queues one line of the interface: position mode 0, its letters at the
    // layout scale.
    void AddLayoutText(const std::string& text, float x, float y, const std::string& fontId,
                       const glm::vec4& color);
    // Queues one line with a colour of the table; indices outside 0..11 are
    // clamped to the nearest entry.
    void AddText(int mode, const std::string& text, float x, float y, const std::string& fontId, int colorIndex,
                 float alpha);

    // Draws every queued line for a window of width x height pixels and
    // empties the queue. Leaves program 0 bound and depth testing on.
    void RenderAllText(int width, int height);
    // Empties the queue without drawing (a frame that is not drawn).
    void ClearText() { m_queue.clear(); }

    // Deletes every font and the buffer object (before the context goes).
    void ReleaseFonts();
    // Loads the fonts again and makes a new buffer object (after a new
    // context exists). Does nothing when FreeType never started.
    void ReloadFonts();

    // The font ids in map order; the pointers live while the map is unchanged.
    std::vector<const char*> GetFontNames() const;
    // Appends the twelve colours to the colour table.
    void SetupColors();
    // The colour of a table index (clamped) with the alpha; white when the
    // table is empty.
    glm::vec4 GetColor(int colorIndex, float alpha) const;

    // Writes the vertices of one line into `vertices` (room for STORE_VERTICES
    // vertices) for a width x height window, its start on a whole pixel.
    static LineLayout LayoutLine(const Font& font, const TextItem& item, int width, int height, float* vertices);

    // The font of an id (in the layout's letters with the flag; the same font
    // while the layout scale is 1), or null.
    Font* GetFont(const std::string& id, bool layout = false) const;
    // The width in pixels of a line in the font of an id, as RenderAllText
    // lays it out (the characters' advances; codes outside 32..127 take
    // none); -1 when that font is missing or has no atlas.
    float TextWidth(const std::string& fontId, const std::string& text, bool layout = false) const;
    size_t GetFontCount() const { return m_fonts.size(); }
    bool HasLibrary() const { return m_library != nullptr; }
    GLuint GetBufferObject() const { return m_bufferObject[0]; }
    size_t GetColorCount() const { return m_colors.size() / FLOATS_PER_COLOR; }
    const std::list<TextItem>& GetQueue() const { return m_queue; }
    GLint GetCoordLocation() const { return m_coordLocation; }
    GLint GetTexLocation() const { return m_texLocation; }
    GLint GetColorLocation() const { return m_colorLocation; }

private:
    void CreateBufferObject();

    // Element 0 receives the glyph vertices of each line.
    GLuint m_bufferObject[1] = {0};
    FT_Library m_library = nullptr;
    GLint m_coordLocation = -1;
    GLint m_texLocation = -1;
    GLint m_colorLocation = -1;
    std::map<std::string, std::unique_ptr<Font>> m_fonts;
    // The catalogue again at the layout scale (of the System's window when the
    // fonts were loaded); empty while it is 1.
    std::map<std::string, std::unique_ptr<Font>> m_layoutFonts;
    float m_layoutScale = 1.0f;
    std::vector<float> m_colors;
    std::list<TextItem> m_queue;
    // Shared by every line; allocated (zeroed) on first use.
    std::vector<float> m_vertexStore;
};

} // namespace QRX
