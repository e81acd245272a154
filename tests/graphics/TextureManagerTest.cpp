#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SOIL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/TextureManager.h"
#include "support/EngineFixture.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

GLint Width(GLuint texture)
{
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glBindTexture(GL_TEXTURE_2D, 0);
    return w;
}

// Every mip level of the bound texture as RGBA bytes, with its size and
// whether GL keeps it compressed.
struct Level
{
    GLint width = 0, height = 0;
    bool compressed = false;
    GLint internalFormat = 0;
    std::vector<std::uint8_t> texels;
};

std::vector<Level> ReadLevels(GLuint texture)
{
    std::vector<Level> levels;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int i = 0; i < TextureManager::MAX_MIP_LEVELS; ++i) {
        Level l;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, i, GL_TEXTURE_WIDTH, &l.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, i, GL_TEXTURE_HEIGHT, &l.height);
        if (l.width <= 0 || l.height <= 0) break;
        GLint compressed = GL_FALSE;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, i, GL_TEXTURE_COMPRESSED, &compressed);
        l.compressed = compressed == GL_TRUE;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, i, GL_TEXTURE_INTERNAL_FORMAT, &l.internalFormat);
        l.texels.resize(static_cast<size_t>(l.width) * l.height * 4);
        glGetTexImage(GL_TEXTURE_2D, i, GL_RGBA, GL_UNSIGNED_BYTE, l.texels.data());
        levels.push_back(std::move(l));
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return levels;
}

std::string Entry(const std::string& id, const std::string& path)
{
    return "<Texture><TextureId>" + id + "</TextureId><Path>" + path + "</Path></Texture>\n";
}

class TextureTest : public TestSupport::GLServicesTest
{
protected:
    // Works in a fresh folder whose data/textures.xml holds the entries given;
    // images are copied from the game's own textures.
    void UseCatalogue(const std::string& entries, bool writeCatalogue = true)
    {
        EnterTempDir();
        std::filesystem::create_directories(m_dir + "/data/textures");
        std::string source = TestSupport::SourceDir() + "/data/textures/";
        ASSERT_TRUE(TestSupport::WriteFile(m_dir + "/data/textures/crate.png",
                                           TestSupport::ReadFile(source + "crate.png")));
        TestSupport::WriteFile(m_dir + "/data/textures/star.png", TestSupport::ReadFile(source + "star.png"));
        TestSupport::WriteFile(m_dir + "/data/textures/fnf.png", TestSupport::ReadFile(source + "filenotfound.png"));
        TestSupport::WriteFile(m_dir + "/data/textures/wmi.png", TestSupport::ReadFile(source + "wrongmeshid.png"));
        TestSupport::WriteFile(m_dir + "/data/textures/broken.png", "this is no image");
        if (writeCatalogue)
            TestSupport::WriteFile(m_dir + "/data/textures.xml", "<?xml version=\"1.0\"?>\n<Textures>\n" + entries +
                                                                     "</Textures>\n");
    }
    static std::string Defaults()
    {
        return Entry("filenotfound", "data/textures/fnf.png") + Entry("wrongmeshid", "data\\textures\\wmi.png");
    }
};

// Ids the engine, the screens and the gameplay name in code.
const char* const NAMED_IDS[] = {
    "filenotfound", "wrongmeshid", "grayscale", "orange", "turq", "red", "blue", "bgpausemenu", "restart",
    "howtoplay", "pausecredits", "pauseoptions", "quittomenu", "resume", "exitgame", "bgGameRetry", "checked",
    "checkedHover", "unchecked", "uncheckedHover", "bgExitPopup", "bgPauseExit", "multiplayer",
    "bgPauseInstructions", "bgmainoptions", "bgmaincredits", "blank", "blankhover", "blankselected", "loading_00",
    "robot_00", "robot_01", "star", "star_empty", "crate", "crate_explosion", "crate_teleportwait",
    "crate_teleportgo", "crate_spawnertrigger", "crate_spawnertrigger1", "crate_spawnertrigger2",
    "crate_spawnertrigger3", "crate_spawnertrigger4", "switch_green", "switch_red", "enemy", "enemy_red",
    "crate_spawnertrigger_pressed", "bridgetrigger", "bridgetrigger_pressed",
    "explosionpowerselected", "teleportpowerselected", "robotpowersbacking"};

TEST_F(TextureTest, EveryCatalogueIdLoadsFromItsFile)
{
    TextureManager textures;
    textures.Init();
    const std::vector<std::string>& names = textures.GetTextureNames();
    for (const char* id : NAMED_IDS)
        EXPECT_NE(std::find(names.begin(), names.end(), id), names.end()) << id;
    for (const char* id : {"shadowmap", "debugDeferred0", "debugDeferred4"})
        EXPECT_EQ(std::find(names.begin(), names.end(), id), names.end()) << id;

    GLuint notFound = textures.GetNotFoundTexture();
    ASSERT_NE(notFound, 0u);
    EXPECT_NE(textures.GetWrongMeshTexture(), 0u);
    EXPECT_NE(textures.GetWrongMeshTexture(), notFound);
    testing::internal::CaptureStdout();
    for (const std::string& id : names) {
        GLuint t = textures.GetTexture(id);
        EXPECT_EQ(glIsTexture(t), GL_TRUE) << id;
        if (id != "filenotfound") {
            EXPECT_NE(t, notFound) << id;
        }
        GLint w = Width(t);
        EXPECT_TRUE(w > 0 && (w & (w - 1)) == 0) << id << " is " << w << " wide";
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");  // no fallback line, no warning
    EXPECT_EQ(textures.GetTextures().size(), names.size());
}

TEST_F(TextureTest, UnknownIdWarnsOnceAndFallsBack)
{
    UseCatalogue(Defaults() + Entry("crate", "data/textures/crate.png"));
    TextureManager textures;
    textures.Init();
    testing::internal::CaptureStdout();
    GLuint first = textures.GetTexture("ghost");
    GLuint second = textures.GetTexture("ghost");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, textures.GetNotFoundTexture());
    EXPECT_EQ(second, first);
    EXPECT_EQ(out, "[LOG] WARNING - Unable to find given texture id \"ghost\"\n");
    EXPECT_TRUE(textures.LoadTexture("ghost"));  // already there: nothing changes
    EXPECT_EQ(textures.GetTexture("ghost"), first);
}

TEST_F(TextureTest, UndecodableOrMissingImagePrintsOnce)
{
    UseCatalogue(Defaults() + Entry("bad", "data/textures/broken.png") + Entry("gone", "data/textures/none.png"));
    TextureManager textures;
    textures.Init();
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(textures.GetTexture("bad"), textures.GetNotFoundTexture());
        EXPECT_EQ(textures.GetTexture("gone"), textures.GetNotFoundTexture());
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "SOIL is unable to load textureId: bad ("), 1u) << out;
    EXPECT_EQ(TestSupport::Count(out, "SOIL is unable to load textureId: gone ("), 1u) << out;
    EXPECT_NE(out.find("). Loading filenotfound texture instead.\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("[LOG]"), std::string::npos) << out;  // standard output only
}

TEST_F(TextureTest, UnloadAllTexturesKeepsTheDefaultsAndTheSharedNames)
{
    UseCatalogue(Defaults() + Entry("a", "data/textures/crate.png") + Entry("b", "data/textures/star.png"));
    TextureManager textures;
    textures.Init();
    GLuint a = textures.GetTexture("a");
    textures.GetTexture("b");
    testing::internal::CaptureStdout();
    GLuint ghost = textures.GetTexture("ghost");  // shares the fallback's name
    testing::internal::GetCapturedStdout();
    GLuint raw = 0;
    glGenTextures(1, &raw);
    glBindTexture(GL_TEXTURE_2D, raw);
    glBindTexture(GL_TEXTURE_2D, 0);
    textures.CreateRawTexture("shadowmap", raw);
    EXPECT_EQ(textures.GetTexture("shadowmap"), raw);

    textures.UnloadAllTextures();
    ASSERT_EQ(textures.GetTextures().size(), 2u);
    EXPECT_TRUE(textures.IsLoaded("filenotfound"));
    EXPECT_TRUE(textures.IsLoaded("wrongmeshid"));
    EXPECT_EQ(textures.GetUnloadedIds(), (std::vector<std::string>{"a", "b", "ghost", "shadowmap"}));
    EXPECT_EQ(ghost, textures.GetNotFoundTexture());
    EXPECT_EQ(glIsTexture(textures.GetNotFoundTexture()), GL_TRUE);
    EXPECT_EQ(glIsTexture(textures.GetWrongMeshTexture()), GL_TRUE);
    EXPECT_EQ(glIsTexture(a), GL_FALSE);
    EXPECT_EQ(glIsTexture(raw), GL_TRUE);  // the renderer deletes its own
    glDeleteTextures(1, &raw);

    // The loading screen reloads what was listed.
    for (const std::string& id : textures.GetUnloadedIds()) textures.LoadTexture(id);
    EXPECT_EQ(glIsTexture(textures.GetTexture("a")), GL_TRUE);
    EXPECT_NE(textures.GetTexture("a"), textures.GetNotFoundTexture());
}

TEST_F(TextureTest, UnloadAllLeavesNothingAndTheFallbackComesBack)
{
    UseCatalogue(Defaults() + Entry("a", "data/textures/crate.png"));
    TextureManager textures;
    textures.Init();
    textures.GetTexture("a");
    GLuint notFound = textures.GetNotFoundTexture();
    GLuint wrongMesh = textures.GetWrongMeshTexture();

    textures.UnloadAll();
    EXPECT_TRUE(textures.GetTextures().empty());
    EXPECT_EQ(textures.GetUnloadedIds(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(glIsTexture(notFound), GL_FALSE);
    EXPECT_EQ(glIsTexture(wrongMesh), GL_FALSE);
    EXPECT_EQ(textures.GetNotFoundTexture(), 0u);

    // Asked for before the next Init: the fallback is loaded again, never a
    // deleted name.
    testing::internal::CaptureStdout();
    GLuint ghost = textures.GetTexture("ghost");
    testing::internal::GetCapturedStdout();
    EXPECT_NE(ghost, 0u);
    EXPECT_EQ(glIsTexture(ghost), GL_TRUE);
    EXPECT_EQ(ghost, textures.GetNotFoundTexture());
    textures.Init();
    EXPECT_EQ(textures.GetNotFoundTexture(), ghost);
    EXPECT_EQ(textures.GetTexture("filenotfound"), ghost);
}

TEST_F(TextureTest, MissingFallbackImageGivesACheckerboard)
{
    UseCatalogue(Entry("filenotfound", "data/textures/missing.png") + Entry("wrongmeshid", "data/textures/wmi.png"));
    TextureManager textures;
    testing::internal::CaptureStdout();
    textures.Init();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("SOIL is unable to load textureId: filenotfound ("), std::string::npos) << out;
    EXPECT_NE(out.find("[LOG] WARNING - No image for the 'filenotfound' texture: using a built-in checkerboard.\n"),
              std::string::npos)
        << out;
    GLuint checker = textures.GetNotFoundTexture();
    ASSERT_NE(checker, 0u);
    EXPECT_EQ(glIsTexture(checker), GL_TRUE);
    EXPECT_EQ(Width(checker), TextureManager::CHECKERBOARD_SIZE);
    testing::internal::CaptureStdout();
    EXPECT_EQ(textures.GetTexture("ghost"), checker);
    testing::internal::GetCapturedStdout();
    textures.UnloadAllTextures();
    EXPECT_EQ(glIsTexture(checker), GL_TRUE);
}

TEST_F(TextureTest, MissingCatalogueMapsEveryIdToTheFallback)
{
    UseCatalogue("", false);
    TextureManager textures;
    testing::internal::CaptureStdout();
    textures.Init();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Unable to open data\\textures.xml file, defaulting to wrongmeshid "
                         "texture\n"),
              4u)  // the two catalogue reads and the two default lookups
        << out;
    // Each catalogue read reports under its own name, not a shared helper's.
    const std::string page = TestSupport::ReadFile(System::GetInstance()->logger->GetPath());
    TestSupport::ExpectInOrder(page, {"|QRX::TextureManager::LoadTextureNames]", "Unable to open data\\textures.xml",
                                      "|QRX::TextureManager::LoadTexturePaths]", "Unable to open data\\textures.xml",
                                      "|QRX::TextureManager::GetTexturePath]"});
    EXPECT_EQ(page.find("OpenCatalogue"), std::string::npos);
    EXPECT_TRUE(textures.GetTextureNames().empty());
    GLuint notFound = textures.GetNotFoundTexture();
    EXPECT_EQ(glIsTexture(notFound), GL_TRUE);
    EXPECT_EQ(textures.GetWrongMeshTexture(), notFound);
    testing::internal::CaptureStdout();
    EXPECT_EQ(textures.GetTexture("crate"), notFound);
    testing::internal::GetCapturedStdout();
    textures.UnloadAll();  // the shared name is deleted once
    EXPECT_EQ(glIsTexture(notFound), GL_FALSE);
}

TEST_F(TextureTest, CatalogueOrderDuplicatesAndRereading)
{
    UseCatalogue(Defaults() + Entry("a", "data/textures/crate.png") + Entry("a", "data/textures/star.png"));
    TextureManager textures;
    textures.Init();
    EXPECT_EQ(textures.GetTextureNames(), (std::vector<std::string>{"filenotfound", "wrongmeshid", "a", "a"}));
    EXPECT_EQ(textures.GetTexturePath("a", TextureManager::CATALOGUE_FILE), "data/textures/crate.png");
    GLuint a = textures.GetTexture("a");
    EXPECT_EQ(Width(a), 128);  // crate.png, not the star

    // A second Init reads the file as it is now and keeps what is loaded.
    TestSupport::WriteFile("data/textures.xml",
                           "<Textures>" + Defaults() + Entry("a", "data/textures/star.png") +
                               Entry("b", "data/textures/star.png") + "</Textures>");
    textures.Init();
    EXPECT_EQ(textures.GetTextureNames(), (std::vector<std::string>{"filenotfound", "wrongmeshid", "a", "b"}));
    EXPECT_EQ(textures.GetTexture("a"), a);
    EXPECT_NE(textures.GetTexture("b"), textures.GetNotFoundTexture());
}

// Images are stored as SOIL decodes them, every level plain, no lossy
// compression; on the software renderer the tests run on, a compressed
// texture is stored decoded: every level as the compressed one reads back.
TEST_F(TextureTest, CompressedImagesAreStoredDecodedWithTheSameTexels)
{
    UseCatalogue(Defaults() + Entry("crate", "data/textures/crate.png") + Entry("star", "data/textures/star.png"));
    TextureManager textures;
    textures.Init();
    for (const char* id : {"crate", "star"}) {
        const std::string path = m_dir + "/data/textures/" + id + ".png";
        GLuint soil = SOIL_load_OGL_texture(path.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID,
                                            TextureManager::LOAD_FLAGS | SOIL_FLAG_COMPRESS_TO_DXT);
        ASSERT_NE(soil, 0u) << id;
        const std::vector<Level> dxt = ReadLevels(soil);
        ASSERT_TRUE(dxt[0].compressed) << id;
        ASSERT_TRUE(TextureManager::ExpandCompressedLevels(soil));
        const std::vector<Level> expanded = ReadLevels(soil);
        glDeleteTextures(1, &soil);
        ASSERT_EQ(expanded.size(), dxt.size()) << id;
        for (size_t i = 0; i < dxt.size(); ++i)
            EXPECT_TRUE(expanded[i].internalFormat == GL_RGBA8 && expanded[i].texels == dxt[i].texels) << id << i;
        // What SOIL uploads with the manager's flags: plain levels.
        soil = SOIL_load_OGL_texture(path.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, TextureManager::LOAD_FLAGS);
        const std::vector<Level> expected = ReadLevels(soil);
        glDeleteTextures(1, &soil);
        ASSERT_GT(expected.size(), 1u) << id << ": mipmaps";
        ASSERT_FALSE(expected[0].compressed) << id << ": DXT smears lettering";

        const std::vector<Level> stored = ReadLevels(textures.GetTexture(id));
        ASSERT_EQ(stored.size(), expected.size()) << id;
        bool opaque = true;
        for (size_t i = 0; i < stored.size(); ++i) {
            EXPECT_FALSE(stored[i].compressed) << id << " level " << i;
            EXPECT_EQ(stored[i].internalFormat, expected[i].internalFormat) << id << " level " << i;
            EXPECT_EQ(stored[i].width, expected[i].width) << id << " level " << i;
            EXPECT_EQ(stored[i].height, expected[i].height) << id << " level " << i;
            EXPECT_TRUE(stored[i].texels == expected[i].texels) << id << " level " << i;
            for (size_t a = 3; a < expected[i].texels.size(); a += 4) opaque = opaque && expected[i].texels[a] == 255;
        }
        EXPECT_EQ(textures.IsOpaque(id), opaque) << id;
    }
    EXPECT_FALSE(textures.IsOpaque("star")) << "the star's corners are see-through";
    EXPECT_FALSE(textures.IsOpaque("nosuchid"));

    // Forgotten ids are no longer known to be opaque.
    textures.UnloadAllTextures();
    EXPECT_FALSE(textures.IsOpaque("crate"));
    bool opaque = true;
    EXPECT_FALSE(TextureManager::ExpandCompressedLevels(0, &opaque));
    EXPECT_FALSE(opaque);
}

TEST_F(TextureTest, RawTexturesKeepTheirFirstName)
{
    UseCatalogue(Defaults());
    TextureManager textures;
    textures.Init();
    GLuint names[2] = {0, 0};
    glGenTextures(2, names);
    textures.CreateRawTexture("debugDeferred0", names[0]);
    testing::internal::CaptureStdout();
    textures.CreateRawTexture("debugDeferred0", names[1]);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] WARNING - Texture already loaded before. Duplicate meshId found - debugDeferred0.\n");
    EXPECT_EQ(textures.GetTexture("debugDeferred0"), names[0]);
    textures.UnloadAll();
    glDeleteTextures(2, names);
}

} // namespace
