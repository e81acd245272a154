// Every OpenGL texture the game draws with, by string id.
//
// The catalogue "data\textures.xml" (root "Textures"; each entry a "TextureId"
// and a "Path") maps ids to image files, which SOIL decodes and uploads on
// first use. Lookups never fail towards the caller: an id without a path or
// whose image cannot be decoded maps to the "filenotfound" texture from then
// on, with one warning (unknown id) or one standard-output line (image). When
// the "filenotfound" image itself cannot be loaded, a built-in checkerboard
// takes its place, so fallbacks never draw with texture 0.
//
// SOIL uploads every image as it decodes it, RGBA8 with SOIL's mip levels,
// never compressed: DXT's 4 x 4 blocks of two colours smear the thin strokes
// of lettering, and the pictures and HUD labels are drawn at half their size
// or less. On a renderer that samples in software (SoftwareRenderer.h) a
// texture that is compressed all the same has each mip level read back
// decoded and stored again as plain RGBA8 (decoding DXT there costs several
// times a plain fetch on every texel read); there the texels read also tell
// whether a texture is opaque (IsOpaque).
//
// Textures the renderer makes without a file (shadow map, debug targets) are
// registered with CreateRawTexture; the renderer deletes those GL names itself.
// UnloadAllTextures releases everything but the two defaults and lists the
// released ids for the loading screen to reload; UnloadAll (before a display
// change, and at destruction) releases everything. Every operation that loads
// or deletes needs a current GL context.
#pragma once
#include <GL/glew.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace QRX {

class TextureManager
{
public:
    static constexpr const char* CATALOGUE_FILE = "data\\textures.xml";
    static constexpr const char* NOT_FOUND_ID = "filenotfound";
    static constexpr const char* WRONG_MESH_ID = "wrongmeshid";
    // SOIL_FLAG_MIPMAPS | TEXTURE_REPEATS | MULTIPLY_ALPHA | INVERT_Y: no COMPRESS_TO_DXT.
    static constexpr unsigned LOAD_FLAGS = 0x1E;
    // The built-in stand-in for a missing "filenotfound" image.
    static constexpr int CHECKERBOARD_SIZE = 64;
    static constexpr int CHECKERBOARD_CELL = 8;
    // Mip levels a texture can have (a 2^31-texel side has 32).
    static constexpr int MAX_MIP_LEVELS = 32;

    TextureManager();
    // UnloadAll: needs the context the textures were made in.
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Reads the catalogue and loads the two defaults. Running it again re-reads
    // the catalogue and keeps what is loaded.
    void Init();
    // Refill the catalogue's id list / id -> path map; both keep their previous
    // contents (with a warning) when the catalogue cannot be opened.
    void LoadTextureNames();
    void LoadTexturePaths();
    // The image path of an id; empty (with a warning) when the id is unknown or
    // the catalogue file cannot be opened.
    std::string GetTexturePath(const std::string& id, const std::string& catalogueFile);
    // Loads an id unless it is loaded; a missing or undecodable image maps the
    // id to the "filenotfound" texture. False only for a duplicate insertion.
    bool LoadTexture(const std::string& id);
    // The texture of an id, loading it on first use; never 0 once a GL context
    // exists (the fallback is made on demand).
    GLuint GetTexture(const std::string& id);
    // Registers a texture made without a file under a name; an existing name
    // keeps its texture (warning). The caller keeps ownership of the GL name.
    void CreateRawTexture(const std::string& name, GLuint texture);
    // Forgets every id except the two defaults, recording them in the unloaded
    // list; deletes the GL names this manager owns alone.
    void UnloadAllTextures();
    // UnloadAllTextures, then deletes the defaults too and forgets them.
    void UnloadAll();

    bool IsLoaded(const std::string& id) const { return m_textures.count(id) != 0; }
    const std::map<std::string, GLuint>& GetTextures() const { return m_textures; }
    GLuint GetNotFoundTexture() const { return m_notFoundTexture; }
    GLuint GetWrongMeshTexture() const { return m_wrongMeshTexture; }
    // Every catalogue id in document order (the tweak bars list them).
    const std::vector<std::string>& GetTextureNames() const { return m_textureNames; }
    // The ids released by the last UnloadAllTextures, in id order.
    const std::vector<std::string>& GetUnloadedIds() const { return m_unloadedIds; }

    // Replaces every compressed mip level of a texture by the same texels as
    // plain RGBA8; a texture that is not compressed is left alone (only its
    // first level is read, and only when *opaque is asked for). False (and
    // the texture unchanged) when a level cannot be read back. *opaque (when
    // given) tells whether every texel of every level read has alpha 1; it is
    // false when nothing was read.
    static bool ExpandCompressedLevels(GLuint texture, bool* opaque = nullptr);
    // Whether the id's texture is known to have no texel with alpha below 1:
    // only textures read back (on a software renderer) are known; false for
    // any other id.
    bool IsOpaque(const std::string& id) const { return m_opaqueIds.count(id) != 0; }

private:
    // Opens and flattens the catalogue; false (with the warning, reported
    // from the given operation) when it cannot be opened.
    bool OpenCatalogue(const char* operation);
    // The "filenotfound" texture, loading that default first when needed.
    GLuint FallbackTexture();
    static GLuint CreateCheckerboard();

    std::map<std::string, GLuint> m_textures;
    GLuint m_notFoundTexture = 0;
    GLuint m_wrongMeshTexture = 0;
    std::vector<std::string> m_textureNames;
    std::vector<std::string> m_unloadedIds;
    std::map<std::string, std::string> m_paths;
    // Ids registered by CreateRawTexture: their GL names belong to the renderer.
    std::set<std::string> m_rawIds;
    // Decided on the first load, once a context exists: store textures decoded.
    int m_expandCompressed = -1;  // -1 not decided yet, else 0 or 1
    // Loaded ids whose decoded texels all have alpha 1.
    std::set<std::string> m_opaqueIds;
};

} // namespace QRX
