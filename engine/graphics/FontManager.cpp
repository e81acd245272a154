#include "engine/graphics/FontManager.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"

namespace QRX {

namespace {

// The draw-time checks are reported with these texts.
#ifndef TRUE
constexpr GLboolean TRUE = GL_TRUE;
#endif

FileManager* Files()
{
    System* system = System::PeekInstance();
    return system ? system->fileManager : nullptr;
}

ShaderManager* Shaders()
{
    System* system = System::PeekInstance();
    return system ? system->shaderManager : nullptr;
}

// Colour table entries, in index order.
const float COLOR_TABLE[FontManager::COLOR_COUNT][FontManager::FLOATS_PER_COLOR] = {
    {1.0f, 0.0f, 0.0f},    // red
    {0.5f, 0.0f, 0.0f},    // dark red
    {0.0f, 1.0f, 0.0f},    // green
    {0.0f, 0.5f, 0.0f},    // dark green
    {0.0f, 0.0f, 1.0f},    // blue
    {0.0f, 0.0f, 0.5f},    // dark blue
    {0.0f, 0.0f, 0.0f},    // black
    {1.0f, 1.0f, 1.0f},    // white
    {1.0f, 1.0f, 0.0f},    // yellow
    {0.0f, 1.0f, 1.0f},    // cyan
    {0.5f, 0.5f, 0.5f},    // grey
    {0.85f, 0.85f, 0.85f}  // light grey
};

// The interface's scale in a width x height window: 1 at 1024 x 768.
float LayoutScaleOf(int width, int height)
{
    if (width <= 0 || height <= 0) return 1.0f;
    return std::min(static_cast<float>(width) / GUIComponent::LAYOUT_WIDTH,
                    static_cast<float>(height) / GUIComponent::LAYOUT_HEIGHT);
}

} // namespace

FontManager::FontManager()
{
    if (FT_Init_FreeType(&m_library) != 0) {
        m_library = nullptr;
        QRX_LOG_WARNING("Could not init freetype library");
    } else {
        LoadFontsFromXML();
        CreateBufferObject();
    }
    // Built even without FreeType: lines may still be queued by colour index.
    SetupColors();
}

FontManager::~FontManager()
{
    ReleaseFonts();
    if (m_library) FT_Done_FreeType(m_library);
    m_library = nullptr;
}

void FontManager::CreateBufferObject()
{
    glGenBuffers(1, &m_bufferObject[0]);
}

void FontManager::LoadFontsFromXML()
{
    const System* system = System::PeekInstance();
    const Window* window = system ? system->window : nullptr;
    m_layoutScale = window ? LayoutScaleOf(window->GetWidth(), window->GetHeight()) : 1.0f;
    FileManager* files = Files();
    // Flattened data stays until the file is closed: start afresh so that a
    // reload reads the catalogue as it is now.
    if (files) files->CloseFile(CATALOGUE_FILE);
    if (!files || !files->OpenFile(CATALOGUE_FILE)) {
        QRX_LOG_WARNING("Unable to open %s file, defaulting to a default font", CATALOGUE_FILE);
        LoadFont(DEFAULT_FONT_ID, FALLBACK_FONT_SIZE, FALLBACK_FONT_FILE);
        return;
    }
    files->ReadGenericData(CATALOGUE_FILE);
    const int count = files->GetEntryCount(CATALOGUE_FILE);
    for (int i = 0; i < count; ++i) {
        const unsigned index = static_cast<unsigned>(i);
        const std::string file = files->ReadData<std::string>(CATALOGUE_FILE, "file", index);
        const int size = files->ReadData<int>(CATALOGUE_FILE, "size", index);
        const std::string id = files->ReadData<std::string>(CATALOGUE_FILE, "fontId", index);
        LoadFont(id, size, std::string(FONT_FOLDER) + file);
    }
    files->CloseFile(CATALOGUE_FILE);
}

bool FontManager::LoadFont(const std::string& id, int size, const std::string& path)
{
    if (m_fonts.count(id)) return false;
    std::unique_ptr<Font> font(new (std::nothrow) Font(size, m_library, path));
    if (!font) return false;
    const bool opened = font->HasAtlas();
    const int used = font->GetSize();
    m_fonts.emplace(id, std::move(font));
    // A file that did not open has been reported once; it has no letters to scale.
    if (m_layoutScale != 1.0f && opened) {
        const long scaled = std::lround(static_cast<float>(used) * m_layoutScale);
        std::unique_ptr<Font> layout(new (std::nothrow)
                                         Font(std::max(Font::MIN_SIZE, static_cast<int>(scaled)), m_library, path));
        if (layout) m_layoutFonts.emplace(id, std::move(layout));
    }
    return true;
}

void FontManager::SetupFontShader()
{
    m_coordLocation = -1;
    m_texLocation = -1;
    m_colorLocation = -1;
    ShaderManager* shaders = Shaders();
    Program* program = shaders ? shaders->CreateProgram(PROGRAM_NAME) : nullptr;
    if (!program) return;
    program->AssociateShader(Program::VERTEX_SHADER, VERTEX_SHADER_FILE);
    program->AssociateShader(Program::FRAGMENT_SHADER, FRAGMENT_SHADER_FILE);
    program->LinkShaders();

    const GLuint object = program->GetProgramObject();
    m_coordLocation = glGetAttribLocation(object, "coord");
    if (m_coordLocation == -1) {
        QRX_LOG_WARNING("Could not bind attribute %s", "coord");
        return;
    }
    m_texLocation = glGetUniformLocation(object, "tex");
    if (m_texLocation == -1) {
        QRX_LOG_WARNING("Could not bind uniform %s", "tex");
        return;
    }
    m_colorLocation = glGetUniformLocation(object, "color");
    if (m_colorLocation == -1) QRX_LOG_WARNING("Could not bind uniform %s", "color");
}

void FontManager::AddText(int mode, const std::string& text, float x, float y, const std::string& fontId,
                          const glm::vec4& color)
{
    TextItem item;
    item.mode = mode;
    item.text = text;
    item.x = x;
    item.y = y;
    item.color = color;
    item.fontId = fontId;
    m_queue.push_back(std::move(item));
}

void FontManager::AddLayoutText(const std::string& text, float x, float y, const std::string& fontId,
                                const glm::vec4& color)
{
    AddText(POSITION_CENTRE, text, x, y, fontId, color);
    m_queue.back().layout = true;
}

void FontManager::AddText(int mode, const std::string& text, float x, float y, const std::string& fontId,
                          int colorIndex, float alpha)
{
    AddText(mode, text, x, y, fontId, GetColor(colorIndex, alpha));
}

glm::vec4 FontManager::GetColor(int colorIndex, float alpha) const
{
    const int count = static_cast<int>(GetColorCount());
    if (count == 0) return glm::vec4(1.0f, 1.0f, 1.0f, alpha);
    const int index = std::min(std::max(colorIndex, 0), count - 1);
    const float* rgb = &m_colors[static_cast<size_t>(index) * FLOATS_PER_COLOR];
    return glm::vec4(rgb[0], rgb[1], rgb[2], alpha);
}

void FontManager::SetupColors()
{
    for (const auto& rgb : COLOR_TABLE) m_colors.insert(m_colors.end(), rgb, rgb + FLOATS_PER_COLOR);
}

FontManager::LineLayout FontManager::LayoutLine(const Font& font, const TextItem& item, int width, int height,
                                                float* vertices)
{
    LineLayout out;
    float sx = 2.0f;
    float sy = 2.0f;
    float penX = -1.0f;
    float penY = 1.0f;
    // A window never has an empty side; guard the scale all the same.
    const float w = static_cast<float>(std::max(width, 1));
    const float h = static_cast<float>(std::max(height, 1));
    // The pen starts on a whole window pixel: the atlas is sampled linearly,
    // and a line begun between pixels draws each glyph's first row and column
    // half blended away (a line scaled to the window lost the top of its 7).
    if (item.mode == POSITION_CENTRE) {
        sx = 2.0f / w;
        sy = 2.0f / h;
        penX = (std::round(item.x + w / 2.0f) - w / 2.0f) * sx;
        penY = (std::round(item.y + h / 2.0f) - h / 2.0f) * sy;
    } else if (item.mode == POSITION_TOP_LEFT) {
        sx = 2.0f / w;
        sy = 2.0f / h;
        penX = std::round(item.x) * sx - 1.0f;
        penY = 1.0f - std::round(item.y) * sy;
    } else {
        out.modeKnown = false;
    }

    const float atlasW = static_cast<float>(font.GetAtlasWidth());
    const float atlasH = static_cast<float>(font.GetAtlasHeight());
    const size_t count = std::min(item.text.size(), static_cast<size_t>(MAX_GLYPH_QUADS));
    float* v = vertices;
    for (size_t i = 0; i < count; ++i) {
        const int c = static_cast<unsigned char>(item.text[i]);
        if (c < Font::FIRST_CHAR || c > Font::LAST_CHAR) continue;
        const Font::Glyph& g = font.GetGlyph(c);
        const float left = penX + g.bl * sx;
        const float top = penY + g.bt * sy;
        const float qw = g.bw * sx;
        const float qh = g.bh * sy;
        penX += g.ax * sx;
        penY += g.ay * sy;
        if (qw == 0.0f || qh == 0.0f || atlasW <= 0.0f || atlasH <= 0.0f) continue;

        const float s1 = g.tx + g.bw / atlasW;
        const float t1 = g.ty + g.bh / atlasH;
        const float quad[VERTICES_PER_QUAD][FLOATS_PER_VERTEX] = {
            {left, top, g.tx, g.ty},       {left, top - qh, g.tx, t1},      {left + qw, top, s1, g.ty},
            {left + qw, top, s1, g.ty},    {left, top - qh, g.tx, t1},      {left + qw, top - qh, s1, t1}};
        for (const auto& vertex : quad) v = std::copy(vertex, vertex + FLOATS_PER_VERTEX, v);
        out.vertexCount += VERTICES_PER_QUAD;
    }
    out.characterCount = static_cast<int>(count);
    return out;
}

void FontManager::RenderAllText(int width, int height)
{
    ShaderManager* shaders = Shaders();
    Program* program = shaders ? shaders->GetProgram(PROGRAM_NAME) : nullptr;
    // Without the program, its attribute or the buffer there is nothing to
    // draw with this frame; the lines are dropped all the same.
    if (!program || program->GetProgramObject() == 0 || m_coordLocation < 0 || m_bufferObject[0] == 0) {
        m_queue.clear();
        return;
    }

    glDisable(GL_DEPTH_TEST);
    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);
    if (m_vertexStore.empty()) m_vertexStore.assign(static_cast<size_t>(STORE_VERTICES) * FLOATS_PER_VERTEX, 0.0f);
    const GLuint coord = static_cast<GLuint>(m_coordLocation);

    for (const TextItem& item : m_queue) {
        Font* activeFont = GetFont(item.fontId, item.layout);
        if (!activeFont) activeFont = GetFont(DEFAULT_FONT_ID, item.layout);
        // No font to fall back on, or a font whose file never opened.
        if (!activeFont || !activeFont->HasAtlas()) continue;

        const LineLayout layout = LayoutLine(*activeFont, item, width, height, m_vertexStore.data());
        if (!layout.modeKnown)
            QRX_LOG_WARNING("Invalid argument supplied for rendering text, text may not appear in expected position");

        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, activeFont->GetTextureObject());
        QRX_ASSERT(glIsTexture(activeFont->GetTextureObject()) == TRUE, 1, "BO INVALID");
        glUniform1i(m_texLocation, 0);
        glUniform4f(m_colorLocation, item.color.r, item.color.g, item.color.b, item.color.a);
        glEnableVertexAttribArray(coord);
        glBindBuffer(GL_ARRAY_BUFFER, m_bufferObject[0]);
        QRX_ASSERT(glIsBuffer(m_bufferObject[0]) == TRUE, 1, "BO INVALID");
        glVertexAttribPointer(coord, FLOATS_PER_VERTEX, GL_FLOAT, GL_FALSE, 0, nullptr);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(layout.characterCount) * BYTES_PER_CHARACTER,
                     m_vertexStore.data(), GL_DYNAMIC_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, layout.vertexCount);
        glDisableVertexAttribArray(coord);
    }

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
    program->SetInUse(false);
    glEnable(GL_DEPTH_TEST);
    m_queue.clear();
}

void FontManager::ReleaseFonts()
{
    // Each font deletes its atlas texture.
    m_fonts.clear();
    m_layoutFonts.clear();
    if (m_bufferObject[0] != 0) {
        if (m_coordLocation >= 0) glDisableVertexAttribArray(static_cast<GLuint>(m_coordLocation));
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &m_bufferObject[0]);
        m_bufferObject[0] = 0;
    }
}

void FontManager::ReloadFonts()
{
    if (!m_library) return;
    LoadFontsFromXML();
    if (m_bufferObject[0] == 0) CreateBufferObject();
}

std::vector<const char*> FontManager::GetFontNames() const
{
    std::vector<const char*> names;
    names.reserve(m_fonts.size());
    for (const auto& entry : m_fonts) names.push_back(entry.first.c_str());
    return names;
}

Font* FontManager::GetFont(const std::string& id, bool layout) const
{
    if (layout) {
        auto it = m_layoutFonts.find(id);
        if (it != m_layoutFonts.end()) return it->second.get();
    }
    auto it = m_fonts.find(id);
    return it == m_fonts.end() ? nullptr : it->second.get();
}

float FontManager::TextWidth(const std::string& fontId, const std::string& text, bool layout) const
{
    const Font* font = GetFont(fontId, layout);
    if (!font || !font->HasAtlas()) return -1.0f;
    float width = 0.0f;
    for (char ch : text) {
        const int c = static_cast<unsigned char>(ch);
        if (c >= Font::FIRST_CHAR && c <= Font::LAST_CHAR) width += font->GetGlyph(c).ax;
    }
    return width;
}

} // namespace QRX
