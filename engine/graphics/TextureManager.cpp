#include "engine/graphics/TextureManager.h"

#include <SOIL.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/SoftwareRenderer.h"
#include "engine/platform/FilePath.h"

namespace QRX {

namespace {

FileManager* Files()
{
    System* system = System::PeekInstance();
    return system ? system->fileManager : nullptr;
}

} // namespace

TextureManager::TextureManager() = default;

TextureManager::~TextureManager() { UnloadAll(); }

void TextureManager::Init()
{
    LoadTextureNames();
    LoadTexturePaths();

    if (LoadTexture(NOT_FOUND_ID))
        m_notFoundTexture = GetTexture(NOT_FOUND_ID);
    else
        QRX_LOG_WARNING("Unable to load the defaulted 'filenotfound' texture.");

    if (LoadTexture(WRONG_MESH_ID))
        m_wrongMeshTexture = GetTexture(WRONG_MESH_ID);
    else
        QRX_LOG_WARNING("Unable to load the defaulted 'wrongmeshid' texture.");
}

bool TextureManager::OpenCatalogue(const char* operation)
{
    FileManager* files = Files();
    // Flattened data of a path is kept until it is closed: start afresh so a
    // second read sees the file as it is now.
    if (files) files->CloseFile(CATALOGUE_FILE);
    if (!files || !files->OpenFile(CATALOGUE_FILE)) {
        LogReport(LOG_WARNING, operation, __FILE__, __LINE__,
                  "Unable to open data\\textures.xml file, defaulting to wrongmeshid texture");
        return false;
    }
    files->ReadGenericData(CATALOGUE_FILE);
    return true;
}

void TextureManager::LoadTextureNames()
{
    if (!OpenCatalogue(QRX_FUNCTION)) return;
    FileManager* files = Files();
    m_textureNames.clear();
    int count = files->GetEntryCount(CATALOGUE_FILE);
    for (int i = 0; i < count; ++i)
        m_textureNames.push_back(files->ReadData<std::string>(CATALOGUE_FILE, "TextureId", static_cast<unsigned>(i)));
    files->CloseFile(CATALOGUE_FILE);
}

void TextureManager::LoadTexturePaths()
{
    if (!OpenCatalogue(QRX_FUNCTION)) return;
    FileManager* files = Files();
    m_paths.clear();
    int count = files->GetEntryCount(CATALOGUE_FILE);
    for (int i = 0; i < count; ++i) {
        unsigned index = static_cast<unsigned>(i);
        // The first entry of an id wins.
        m_paths.emplace(files->ReadData<std::string>(CATALOGUE_FILE, "TextureId", index),
                        files->ReadData<std::string>(CATALOGUE_FILE, "Path", index));
    }
    files->CloseFile(CATALOGUE_FILE);
}

std::string TextureManager::GetTexturePath(const std::string& id, const std::string& catalogueFile)
{
    FileManager* files = Files();
    if (!files || !files->OpenFile(catalogueFile)) {
        QRX_LOG_WARNING("Unable to open %s file, defaulting to wrongmeshid texture", catalogueFile.c_str());
        return std::string();  // the caller falls back to "filenotfound"
    }
    files->CloseFile(catalogueFile);
    auto it = m_paths.find(id);
    if (it != m_paths.end()) return it->second;
    QRX_LOG_WARNING("Unable to find given texture id \"%s\"", id.c_str());
    return std::string();
}

bool TextureManager::LoadTexture(const std::string& id)
{
    if (m_textures.count(id)) return true;

    std::string path = GetTexturePath(id, CATALOGUE_FILE);
    GLuint texture = 0;
    if (!path.empty()) {
        glActiveTexture(GL_TEXTURE0);
        texture = SOIL_load_OGL_texture(Platform::ResolvePath(path).c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID,
                                        LOAD_FLAGS);
        if (texture != 0) {
            if (m_expandCompressed < 0) m_expandCompressed = IsSoftwareRenderer() ? 1 : 0;
            bool opaque = false;
            if (m_expandCompressed == 1 && !ExpandCompressedLevels(texture, &opaque))
                QRX_LOG_WARNING("Texture \"%s\" could not be read back: it stays compressed.", id.c_str());
            if (opaque) m_opaqueIds.insert(id);
        }
        if (texture == 0) {
            std::cout << "SOIL is unable to load textureId: " << id << " (" << SOIL_last_result()
                      << "). Loading filenotfound texture instead." << std::endl;
        }
    }
    if (texture == 0) {
        if (id == NOT_FOUND_ID) {
            // The fallback itself is missing: draw a checkerboard, never texture 0.
            QRX_LOG_WARNING("No image for the 'filenotfound' texture: using a built-in checkerboard.");
            texture = CreateCheckerboard();
        } else {
            texture = FallbackTexture();
        }
    }

    auto inserted = m_textures.emplace(id, texture);
    if (!inserted.second) {
        QRX_LOG_WARNING("Texture already loaded before. Duplicate meshId found - %s.", inserted.first->first.c_str());
        return false;
    }
    return true;
}

GLuint TextureManager::GetTexture(const std::string& id)
{
    auto it = m_textures.find(id);
    if (it != m_textures.end()) return it->second;
    if (LoadTexture(id)) {
        it = m_textures.find(id);
        if (it != m_textures.end()) return it->second;
    }
    return FallbackTexture();
}

GLuint TextureManager::FallbackTexture()
{
    // Before Init, or after UnloadAll, the default is loaded on demand rather
    // than handing out 0 or a deleted name.
    if (m_notFoundTexture == 0) {
        LoadTexture(NOT_FOUND_ID);
        auto it = m_textures.find(NOT_FOUND_ID);
        if (it != m_textures.end()) m_notFoundTexture = it->second;
    }
    return m_notFoundTexture;
}

void TextureManager::CreateRawTexture(const std::string& name, GLuint texture)
{
    auto inserted = m_textures.emplace(name, texture);
    if (!inserted.second) {
        QRX_LOG_WARNING("Texture already loaded before. Duplicate meshId found - %s.", name.c_str());
        return;
    }
    m_rawIds.insert(name);
}

void TextureManager::UnloadAllTextures()
{
    m_unloadedIds.clear();
    for (auto it = m_textures.begin(); it != m_textures.end();) {
        if (it->first == NOT_FOUND_ID || it->first == WRONG_MESH_ID) {
            ++it;
            continue;
        }
        m_unloadedIds.push_back(it->first);
        // Ids that fell back share the default's name, which stays; raw names
        // belong to the renderer, which deletes them itself.
        bool owned = it->second != 0 && it->second != m_notFoundTexture && it->second != m_wrongMeshTexture &&
                     !m_rawIds.count(it->first);
        if (owned) glDeleteTextures(1, &it->second);
        m_rawIds.erase(it->first);
        m_opaqueIds.erase(it->first);
        it = m_textures.erase(it);
    }
}

void TextureManager::UnloadAll()
{
    UnloadAllTextures();
    std::set<GLuint> deleted;
    for (auto& entry : m_textures) {
        // "wrongmeshid" may share the checkerboard or the fallback's name.
        if (entry.second != 0 && deleted.insert(entry.second).second) glDeleteTextures(1, &entry.second);
    }
    m_textures.clear();
    m_rawIds.clear();
    m_opaqueIds.clear();
    m_notFoundTexture = 0;
    m_wrongMeshTexture = 0;
}

bool TextureManager::ExpandCompressedLevels(GLuint texture, bool* opaque)
{
    if (opaque) *opaque = false;
    if (texture == 0) return false;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint compressed = GL_FALSE;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);

    struct Level
    {
        GLint width = 0, height = 0;
        std::vector<std::uint8_t> texels;
    };
    std::vector<Level> levels;
    bool readable = true;
    // A plain texture is read only for its opacity: its first level tells.
    const int toRead = compressed == GL_TRUE ? MAX_MIP_LEVELS : opaque ? 1 : 0;
    if (toRead > 0) {
        GLint packAlignment = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        // Every level is read before any is replaced: a level read back is
        // always still the compressed one.
        for (int level = 0; level < toRead; ++level) {
            Level l;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &l.width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &l.height);
            if (l.width <= 0 || l.height <= 0) break;
            l.texels.resize(static_cast<size_t>(l.width) * static_cast<size_t>(l.height) * 4);
            while (glGetError() != GL_NO_ERROR) {}
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, l.texels.data());
            if (glGetError() != GL_NO_ERROR) {
                readable = false;
                break;
            }
            levels.push_back(std::move(l));
        }
        glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    }
    if (readable && !levels.empty() && opaque) {
        *opaque = true;
        for (const Level& l : levels)
            for (size_t a = 3; a < l.texels.size() && *opaque; a += 4) *opaque = l.texels[a] == 255;
    }
    if (readable && !levels.empty() && compressed == GL_TRUE) {
        GLint unpackAlignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (size_t level = 0; level < levels.size(); ++level)
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, levels[level].width, levels[level].height, 0,
                         GL_RGBA, GL_UNSIGNED_BYTE, levels[level].texels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return readable;
}

GLuint TextureManager::CreateCheckerboard()
{
    std::vector<unsigned char> pixels(CHECKERBOARD_SIZE * CHECKERBOARD_SIZE * 4);
    for (int y = 0; y < CHECKERBOARD_SIZE; ++y) {
        for (int x = 0; x < CHECKERBOARD_SIZE; ++x) {
            bool magenta = ((x / CHECKERBOARD_CELL) + (y / CHECKERBOARD_CELL)) % 2 == 0;
            unsigned char* p = &pixels[(y * CHECKERBOARD_SIZE + x) * 4];
            p[0] = magenta ? 255 : 0;
            p[1] = 0;
            p[2] = magenta ? 255 : 0;
            p[3] = 255;
        }
    }
    GLuint texture = 0;
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, CHECKERBOARD_SIZE, CHECKERBOARD_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

} // namespace QRX
