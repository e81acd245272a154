#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/core/Conversions.h"
#include "engine/core/FileManager.h"
#include "engine/core/Random.h"
#include "engine/platform/FilePath.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

TEST(Conversions, Booleans)
{
    EXPECT_TRUE(StringToBool("true"));
    EXPECT_TRUE(StringToBool("1"));
    EXPECT_FALSE(StringToBool("True"));
    EXPECT_FALSE(StringToBool("TRUE"));
    EXPECT_FALSE(StringToBool(""));
    EXPECT_FALSE(StringToBool("yes"));
    EXPECT_EQ(BoolToString(true), "true");
    EXPECT_EQ(BoolToString(false), "false");
}

TEST(Conversions, Numbers)
{
    EXPECT_EQ(FileManager::ConvertToInt("  42abc"), 42);
    EXPECT_EQ(FileManager::ConvertToInt("3 4"), 3);
    EXPECT_EQ(FileManager::ConvertToUnsigned("17"), 17u);
    EXPECT_FLOAT_EQ(FileManager::ConvertToFloat("2.5e1"), 25.0f);
    EXPECT_EQ(FileManager::FloatToString(1.0f / 3.0f), "0.333333");
    EXPECT_EQ(FileManager::FloatToString(1234567.0f), "1.23457e+06");
    EXPECT_EQ(IntToString(-12), "-12");
    EXPECT_EQ(UIntToString(4000000000u), "4000000000");
    EXPECT_EQ(FileManager::ConvertToString("  two words"), "two");
    EXPECT_EQ(FileManager::ConvertToString("   "), "");
}

TEST(Conversions, Vectors)
{
    EXPECT_EQ(FileManager::ConvertToVec3("1 2"), glm::vec3(1, 2, 0));
    EXPECT_EQ(FileManager::ConvertToVec3(""), glm::vec3(0, 0, 0));
    EXPECT_EQ(FileManager::ConvertToVec3("1,2,3"), glm::vec3(1, 0, 0));
    EXPECT_EQ(FileManager::ConvertToVec3("-1.5 2e1 3"), glm::vec3(-1.5f, 20.0f, 3.0f));
    EXPECT_EQ(FileManager::Vec3ToString(glm::vec3(0.5f, 1.0f, -2.0f)), "0.5 1 -2");
    std::ostringstream s;
    WriteVec4(s, glm::vec4(1, 2, 3, 4));
    EXPECT_EQ(s.str(), "1 2 3 4");
}

TEST(Random, FifteenBitSequenceRepeatsAfterReset)
{
    ResetRandom();
    // The classic C library sequence from seed 1.
    EXPECT_EQ(Random(), 41);
    EXPECT_EQ(Random(), 18467);
    EXPECT_EQ(Random(), 6334);
    ResetRandom();
    EXPECT_EQ(Random(), 41);
    int maxSeen = 0;
    for (int i = 0; i < 100000; ++i) {
        int r = Random();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, RANDOM_MAX);
        maxSeen = std::max(maxSeen, r);
    }
    EXPECT_GT(maxSeen, 32000);
}

TEST(Random, FloatsStayInsideTheirRange)
{
    ResetRandom();
    for (int i = 0; i < 20000; ++i) {
        float f = RandomFloat(5.0f, 2.0f);
        ASSERT_GE(f, 2.0f);
        ASSERT_LE(f, 5.0f);
        float g = RandomFloat(0.1f, 0.3f);
        ASSERT_GE(g, 0.1f);
        ASSERT_LE(g, 0.3f);
    }
    EXPECT_EQ(RandomFloat(3.0f, 3.0f), 3.0f);
}

TEST(FilePath, NormalisesAndMatchesCase)
{
    EXPECT_EQ(Platform::NormalizePath("data\\levels\\Twister.xml "), "data/levels/Twister.xml");
    EXPECT_EQ(Platform::NormalizePath("a. /b.xml.."), "a/b.xml");
    EXPECT_EQ(Platform::NormalizePath("../x/./y"), "../x/./y");

    std::string dir = TestSupport::MakeTempDir("zendra-path");
    ::mkdir((dir + "/Data").c_str(), 0755);
    TestSupport::WriteFile(dir + "/Data/Meshes.XML", "m");
    EXPECT_EQ(Platform::ResolvePath(dir + "\\data\\meshes.xml"), dir + "/Data/Meshes.XML");
    EXPECT_TRUE(Platform::PathExists(dir + "/DATA/MESHES.xml "));
    EXPECT_EQ(Platform::ResolvePath(dir + "/data/missing.xml"), dir + "/Data/missing.xml");
    EXPECT_FALSE(Platform::PathExists(dir + "/data/missing.xml"));
    TestSupport::RemoveTree(dir);
}

} // namespace
