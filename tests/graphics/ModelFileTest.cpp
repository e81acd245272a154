// Binary model files: the writer's layout, round trips through the reader, and
// the reader's behaviour on files that are cut short, hostile or malformed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/ModelShapes.h"
#include "engine/graphics/ModelWriter.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

struct ReadResult
{
    MeshData mesh;
    Skeleton skeleton;
    bool opened = false;
    bool good = false;
    std::string stdoutText;
};

class ModelFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = TestSupport::MakeTempDir("zendra-model");
        System::GetInstance()->logger = new Logger();
        ASSERT_TRUE(m_reader.Initialize());
    }
    void TearDown() override
    {
        delete System::GetInstance()->logger;
        System::GetInstance()->logger = nullptr;
        System::DestroyInstance();
        TestSupport::RemoveTree(m_dir);
    }

    std::string Write(const std::string& bytes, const std::string& name = "model.bin")
    {
        std::string path = m_dir + "/" + name;
        EXPECT_TRUE(TestSupport::WriteFile(path, bytes));
        return path;
    }

    // The mesh manager's reading order, with the animation chunk.
    ReadResult Read(const std::string& bytes, bool withAnimation = true)
    {
        ReadResult r;
        std::string path = Write(bytes);
        testing::internal::CaptureStdout();
        r.opened = m_reader.OpenFile(path);
        if (r.opened) {
            m_reader.outerChunkStart = m_reader.BeginChunk(CHUNK_MODEL);
            m_reader.ReadMeshChunk(r.mesh);
            m_reader.ReadSkeletonChunk(r.skeleton);
            if (withAnimation) m_reader.ReadAnimationChunk(r.skeleton);
            m_reader.EndChunk(m_reader.outerChunkStart);
            r.good = m_reader.IsGood();
            m_reader.CloseFile();
        }
        r.stdoutText = testing::internal::GetCapturedStdout();
        return r;
    }

    std::string LogText() { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }

    TestSupport::ScopedTempHome m_home;
    std::string m_dir;
    BinaryFileManager m_reader;
};

std::uint32_t U32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | std::uint8_t(bytes[offset + std::size_t(i)]);
    return v;
}

void PutU32At(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

KeyFrame Key(float time, float tx, float ty, float tz, float rx = 0, float ry = 0, float rz = 0, float rw = 1)
{
    KeyFrame k;
    k.time = time;
    k.T[0] = tx;
    k.T[1] = ty;
    k.T[2] = tz;
    k.R[0] = rx;
    k.R[1] = ry;
    k.R[2] = rz;
    k.R[3] = rw;
    return k;
}

// A small skinned model: a two-box mesh, three joints in a chain, three keys.
ModelSource SmallSkinnedModel()
{
    ModelSource model;
    model.mesh.meshType = MESH_TYPE_SKINNED;
    AppendBox(model.mesh, {0, 0, 0}, {1, 1, 1});
    for (std::size_t v = 0; v < model.mesh.vertices.size(); ++v) {
        float w[4] = {0.5f, 0.5f, 0.0f, 0.0f};
        float j[4] = {float(v % 3), float((v + 1) % 3), 0.0f, 0.0f};
        model.mesh.weights.insert(model.mesh.weights.end(), w, w + 4);
        model.mesh.jointIndices.insert(model.mesh.jointIndices.end(), j, j + 4);
    }
    model.hasSkeleton = true;
    for (int i = 0; i < 3; ++i) {
        JointSource joint;
        joint.name = "joint" + std::to_string(i);
        joint.parent = i - 1;
        joint.bindTranslation[1] = float(i);
        model.joints.push_back(joint);
    }
    model.hasAnimation = true;
    model.tracks.resize(3);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) model.tracks[std::size_t(i)].push_back(Key(float(k), 0, 1, 0));
    return model;
}

} // namespace

TEST(ModelFormat, TagsPackTheFirstCharacterHighest)
{
    EXPECT_EQ(CHUNK_MODEL, 0x6B627832u);
    EXPECT_EQ(CHUNK_MESH, 0x6D657368u);
    EXPECT_EQ(CHUNK_SKELETON, 0x736B656Cu);
    EXPECT_EQ(CHUNK_ANIMATION, 0x616E696Du);
}

TEST(ModelFormat, StaticCubeIs940BytesWithReversedTag)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(1.0f);
    ASSERT_EQ(model.mesh.vertices.size(), 24u);
    ASSERT_EQ(model.mesh.indices.size(), 36u);
    std::string bytes = EncodeModel(model);
    ASSERT_EQ(bytes.size(), 940u);
    const unsigned char head[8] = {0x32, 0x78, 0x62, 0x6B, 0xAC, 0x03, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(bytes.data(), head, 8), 0);
    EXPECT_EQ(bytes.substr(8, 4), "hsem");
    EXPECT_EQ(U32At(bytes, 12), 932u);  // the mesh chunk is all the rest
}

TEST(ModelFormat, SkeletonAndAnimationChunkSizes)
{
    ModelSource model = SmallSkinnedModel();
    std::string bytes = EncodeModel(model);
    std::size_t meshSize = 8 + 4 + 4 + 36 * 4 + 4 + 24 * 52;
    std::size_t skelSize = 8 + 4 + 3 * (65 + 6);
    std::size_t animSize = 8 + 4 + 4 + 3 * (4 + 3 * 32);
    ASSERT_EQ(bytes.size(), 8 + meshSize + skelSize + animSize);
    EXPECT_EQ(U32At(bytes, 12), meshSize);
    EXPECT_EQ(bytes.substr(8 + meshSize, 4), "leks");
    EXPECT_EQ(U32At(bytes, 8 + meshSize + 4), skelSize);
    EXPECT_EQ(bytes.substr(8 + meshSize + skelSize, 4), "mina");
    EXPECT_EQ(U32At(bytes, 8 + meshSize + skelSize + 4), animSize);
}

TEST_F(ModelFileTest, MeshOnlyFileRoundTripsAndGivesNoJoints)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(2.0f);
    ReadResult r = Read(EncodeModel(model), false);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.mesh.meshType, MESH_TYPE_STATIC);
    ASSERT_EQ(r.mesh.vertices.size(), 24u);
    EXPECT_EQ(r.mesh.indices, model.mesh.indices);
    for (std::size_t i = 0; i < 24; ++i) {
        EXPECT_EQ(r.mesh.vertices[i].position, model.mesh.vertices[i].position);
        EXPECT_EQ(r.mesh.vertices[i].position.w, 1.0f);
        EXPECT_EQ(glm::vec3(r.mesh.vertices[i].normal), glm::vec3(model.mesh.vertices[i].normal));
        EXPECT_EQ(r.mesh.vertices[i].normal.w, 1.0f);  // 1, not 0
        EXPECT_EQ(r.mesh.vertices[i].texCoord, model.mesh.vertices[i].texCoord);
    }
    EXPECT_TRUE(r.mesh.weights.empty());
    EXPECT_TRUE(r.mesh.jointIndices.empty());
    EXPECT_TRUE(r.skeleton.joints.empty());
    EXPECT_EQ(r.skeleton.jointCount, 0u);
    EXPECT_FALSE(r.good);  // the skeleton read ran past the end
    EXPECT_EQ(LogText().find("WARNING"), std::string::npos);  // a well-formed short file is no fault
}

TEST_F(ModelFileTest, WrongTagsAndSizesReadTheSame)
{
    std::string bytes = EncodeModel(SmallSkinnedModel());
    ReadResult good = Read(bytes);
    std::string bad = bytes;
    std::size_t meshSize = U32At(bytes, 12);
    std::size_t skelStart = 8 + meshSize, animStart = skelStart + U32At(bytes, skelStart + 4);
    for (std::size_t start : {std::size_t(0), std::size_t(8), skelStart, animStart}) {
        PutU32At(bad, start, 0xDEADBEEF);
        PutU32At(bad, start + 4, 7);
    }
    ReadResult r = Read(bad);
    EXPECT_EQ(r.mesh.indices, good.mesh.indices);
    EXPECT_EQ(r.mesh.vertices.size(), good.mesh.vertices.size());
    ASSERT_EQ(r.skeleton.joints.size(), 3u);
    EXPECT_EQ(r.skeleton.joints[2].keys.size(), 3u);
    EXPECT_EQ(r.skeleton.lastKeyIndex, 2u);
}

TEST_F(ModelFileTest, SkinnedVerticesAndJointIndexBytes)
{
    ModelSource model;
    model.mesh.meshType = MESH_TYPE_SKINNED;
    model.mesh.vertices.resize(1);
    model.mesh.weights = {0.1f, 0.2f, 0.3f, 0.4f};
    model.mesh.jointIndices = {0.0f, 1.0f, 2.0f, 255.0f};
    ReadResult r = Read(EncodeModel(model), false);
    EXPECT_EQ(r.mesh.meshType, MESH_TYPE_SKINNED);
    EXPECT_EQ(r.mesh.weights, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(r.mesh.jointIndices, (std::vector<float>{0.0f, 1.0f, 2.0f, 255.0f}));

    // Any type but 1 is static: 32-byte vertices, no weights.
    model.mesh.meshType = 7;
    ReadResult s = Read(EncodeModel(model), false);
    EXPECT_EQ(s.mesh.vertices.size(), 1u);
    EXPECT_TRUE(s.mesh.weights.empty());
}

TEST_F(ModelFileTest, ZeroByteCutsAJointNameButItsBytesAreConsumed)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(1.0f);
    model.hasSkeleton = true;
    JointSource a;
    a.name = std::string("ab\0cd", 5);
    JointSource b;
    b.name = "second";
    b.parent = 0;
    b.bindTranslation[0] = 4.0f;
    model.joints = {a, b};
    ReadResult r = Read(EncodeModel(model), false);
    ASSERT_EQ(r.skeleton.joints.size(), 2u);
    EXPECT_EQ(r.skeleton.joints[0].name, "ab");
    EXPECT_EQ(r.skeleton.joints[1].name, "second");
    EXPECT_EQ(r.skeleton.joints[1].parent, 0);
    EXPECT_EQ(r.skeleton.joints[1].bindMatrix[3], glm::vec4(4, 0, 0, 1));
    EXPECT_EQ(r.skeleton.jointCount, 2u);
}

TEST_F(ModelFileTest, BindAndInverseBindMatricesAndChildren)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(1.0f);
    model.hasSkeleton = true;
    JointSource root;
    root.bindTranslation[0] = 1;
    root.bindTranslation[1] = 2;
    root.bindTranslation[2] = 3;
    float h = std::sqrt(0.5f);
    root.bindRotation[2] = h;  // a quarter turn about z
    root.bindRotation[3] = h;
    JointSource c1, c2, grandchild;
    c1.parent = 0;
    c2.parent = 0;
    grandchild.parent = 2;
    model.joints = {root, c1, c2, grandchild};
    ReadResult r = Read(EncodeModel(model), false);
    ASSERT_EQ(r.skeleton.joints.size(), 4u);
    const Joint& j = r.skeleton.joints[0];
    // x goes to y, y to -x, translation in the fourth column.
    glm::vec4 x = j.bindMatrix * glm::vec4(1, 0, 0, 0);
    EXPECT_NEAR(x.x, 0.0f, 1e-6f);
    EXPECT_NEAR(x.y, 1.0f, 1e-6f);
    EXPECT_EQ(j.bindMatrix[3], glm::vec4(1, 2, 3, 1));
    glm::mat4 product = j.inverseBindMatrix * j.bindMatrix;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) EXPECT_NEAR(product[c][row], c == row ? 1.0f : 0.0f, 1e-5f);
    EXPECT_EQ(j.globalMatrix, glm::mat4(1.0f));
    EXPECT_EQ(j.skinMatrix, glm::mat4(1.0f));
    EXPECT_EQ(r.skeleton.joints[0].children, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(r.skeleton.joints[2].children, (std::vector<std::int32_t>{3}));
    EXPECT_TRUE(r.skeleton.joints[3].children.empty());
}

TEST_F(ModelFileTest, EquallyLongTracksLaterWinsAndKeysAreEchoed)
{
    ModelSource model = SmallSkinnedModel();
    model.tracks[0] = {Key(0, 1, 2, 3), Key(1, 4, 5, 6)};
    model.tracks[2].push_back(Key(3, 0, 0, 0));
    model.tracks[1].push_back(Key(3, 0, 0, 0));  // tracks 1 and 2 both have 4 keys
    ReadResult r = Read(EncodeModel(model));
    EXPECT_EQ(r.skeleton.longestTrack, 2u);
    EXPECT_EQ(r.skeleton.lastKeyIndex, 3u);
    ASSERT_EQ(r.skeleton.joints[0].keys.size(), 2u);
    EXPECT_EQ(r.skeleton.joints[0].keys[1].T[2], 6.0f);
    EXPECT_TRUE(r.good);
    // Eight lines per key: 2 + 4 + 4 keys.
    std::size_t lines = std::count(r.stdoutText.begin(), r.stdoutText.end(), '\n');
    EXPECT_EQ(lines, 80u);
    EXPECT_EQ(r.stdoutText.find("Key Frame time: 0\nkeyFrame.T[0]: 1\nkeyFrame.T[1]: 2\nkeyFrame.T[2]: 3\n"
                                "keyFrame.R[0]: 0\nkeyFrame.R[1]: 0\nkeyFrame.R[2]: 0\nkeyFrame.R[3]: 1\n"),
              0u);
}

TEST_F(ModelFileTest, TwoKeysWriteSixteenLines)
{
    ModelSource model = SmallSkinnedModel();
    model.tracks = {{Key(0, 0, 0, 0), Key(0.5f, 0, 0, 0)}};
    ReadResult r = Read(EncodeModel(model));
    EXPECT_EQ(std::count(r.stdoutText.begin(), r.stdoutText.end(), '\n'), 16);
    EXPECT_EQ(r.skeleton.lastKeyIndex, 1u);
    EXPECT_EQ(r.skeleton.longestTrack, 0u);
}

TEST_F(ModelFileTest, TracksWithoutKeysNeverWin)
{
    ModelSource model = SmallSkinnedModel();
    model.tracks = {{}, {}, {}};
    ReadResult r = Read(EncodeModel(model));
    EXPECT_EQ(r.skeleton.lastKeyIndex, 0u);
    EXPECT_EQ(r.skeleton.longestTrack, 0u);
}

TEST_F(ModelFileTest, MissingFileAndFolderDoNotOpen)
{
    EXPECT_FALSE(m_reader.OpenFile(m_dir + "/nothing.bin"));
    EXPECT_FALSE(m_reader.IsGood());
    EXPECT_FALSE(m_reader.OpenFile(m_dir));
    // Reading on a stream that never opened yields nothing.
    MeshData mesh;
    m_reader.BeginChunk(CHUNK_MODEL);
    m_reader.ReadMeshChunk(mesh);
    EXPECT_TRUE(mesh.vertices.empty());
    // A Windows-style path with the wrong case is found.
    std::string path = Write(EncodeModel(SmallSkinnedModel()), "Robot.bin");
    EXPECT_TRUE(m_reader.OpenFile(m_dir + "\\robot.BIN"));
    m_reader.CloseFile();
}

// ----- Hardening --------------------------------------------------------------

TEST_F(ModelFileTest, EveryTruncationReadsOnlyWholeRecords)
{
    std::string bytes = EncodeModel(SmallSkinnedModel());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        ReadResult r = Read(bytes.substr(0, length));
        ASSERT_TRUE(r.opened);
        EXPECT_LE(r.mesh.indices.size(), 36u);
        EXPECT_LE(r.mesh.vertices.size(), 24u);
        EXPECT_EQ(r.mesh.weights.size(), r.mesh.vertices.size() * 4);
        EXPECT_LE(r.skeleton.joints.size(), 3u);
        EXPECT_EQ(r.skeleton.jointCount, r.skeleton.joints.size());
        for (const Joint& j : r.skeleton.joints) EXPECT_LE(j.keys.size(), 3u);
        EXPECT_LT(r.skeleton.longestTrack, std::max<std::size_t>(1, r.skeleton.joints.size()));
        EXPECT_FALSE(r.good) << length;
    }
    EXPECT_NE(LogText().find("is cut short"), std::string::npos);
}

TEST_F(ModelFileTest, HugeCountsAreBoundedByTheFile)
{
    // Index count.
    {
        ModelWriter w;
        std::size_t outer = w.BeginChunk(CHUNK_MODEL);
        std::size_t mesh = w.BeginChunk(CHUNK_MESH);
        w.PutU32(0);
        w.PutU32(0xFFFFFFFFu);
        for (int i = 0; i < 10; ++i) w.PutU32(std::uint32_t(i));
        w.EndChunk(mesh);
        w.EndChunk(outer);
        ReadResult r = Read(w.Bytes());
        EXPECT_LE(r.mesh.indices.size(), 12u);
        EXPECT_TRUE(r.mesh.vertices.empty());
        EXPECT_TRUE(r.skeleton.joints.empty());
    }
    // Vertex count of a skinned mesh.
    {
        ModelWriter w;
        w.BeginChunk(CHUNK_MODEL);
        w.BeginChunk(CHUNK_MESH);
        w.PutU32(MESH_TYPE_SKINNED);
        w.PutU32(0);
        w.PutU32(0x7FFFFFFFu);
        for (int i = 0; i < 60; ++i) w.PutF32(1.0f);
        ReadResult r = Read(w.Bytes());
        EXPECT_EQ(r.mesh.vertices.size(), 4u);  // 240 bytes hold four 52-byte vertices
        EXPECT_EQ(r.mesh.weights.size(), 16u);
    }
    // Joint count, name length, track count, key count.
    for (int field = 0; field < 4; ++field) {
        ModelSource model;
        model.mesh = MakeCubeMesh(1.0f);
        std::string bytes = EncodeModel(model);
        ModelWriter w;
        w.BeginChunk(CHUNK_SKELETON);
        w.PutU32(field == 0 ? 0xFFFFFFF0u : 1u);
        w.PutU32(field == 1 ? 0xFFFFFFF0u : 3u);
        w.PutU8(0);
        w.PutRaw("abc");
        w.PutI32(-1);
        for (int i = 0; i < 14; ++i) w.PutF32(i == 6 ? 1.0f : 0.0f);
        w.BeginChunk(CHUNK_ANIMATION);
        w.PutU32(0);
        w.PutU32(field == 2 ? 0xFFFFFFFFu : 1u);
        w.PutU32(field == 3 ? 0xFFFFFFFFu : 1u);
        for (int i = 0; i < 8; ++i) w.PutF32(0.0f);
        ReadResult r = Read(bytes + w.Bytes());
        EXPECT_EQ(r.mesh.vertices.size(), 24u) << field;
        EXPECT_LE(r.skeleton.joints.size(), 1u) << field;
        std::size_t keys = 0;
        for (const Joint& j : r.skeleton.joints) keys += j.keys.size();
        EXPECT_LE(keys, 1u) << field;
        EXPECT_FALSE(r.good) << field;
    }
}

TEST_F(ModelFileTest, BadParentsBecomeRootsWithAWarning)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(1.0f);
    model.hasSkeleton = true;
    model.joints.resize(5);
    model.joints[0].parent = -1;
    model.joints[1].parent = 1;   // itself
    model.joints[2].parent = 4;   // a later joint
    model.joints[3].parent = -7;  // below -1
    model.joints[4].parent = 0;
    ReadResult r = Read(EncodeModel(model), false);
    ASSERT_EQ(r.skeleton.joints.size(), 5u);
    EXPECT_EQ(r.skeleton.joints[1].parent, -1);
    EXPECT_EQ(r.skeleton.joints[2].parent, -1);
    EXPECT_EQ(r.skeleton.joints[3].parent, -1);
    EXPECT_EQ(r.skeleton.joints[4].parent, 0);
    EXPECT_EQ(r.skeleton.joints[0].children, (std::vector<std::int32_t>{4}));
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(r.skeleton.joints[std::size_t(i)].children.empty());
    std::string log = LogText();
    EXPECT_NE(log.find("names parent 4, which does not come before it"), std::string::npos);
    EXPECT_NE(log.find("names parent -7"), std::string::npos);
}

TEST_F(ModelFileTest, TracksBeyondTheJointsAreDropped)
{
    ModelSource model = SmallSkinnedModel();
    model.tracks.push_back({Key(0, 0, 0, 0), Key(1, 0, 0, 0), Key(2, 0, 0, 0), Key(3, 0, 0, 0), Key(4, 0, 0, 0)});
    model.tracks.push_back({Key(0, 0, 0, 0)});
    ReadResult r = Read(EncodeModel(model));
    EXPECT_TRUE(r.good);
    EXPECT_EQ(r.skeleton.lastKeyIndex, 2u);  // the dropped five-key track does not count
    EXPECT_EQ(r.skeleton.longestTrack, 2u);
    for (const Joint& j : r.skeleton.joints) EXPECT_EQ(j.keys.size(), 3u);
    EXPECT_NE(LogText().find("has 5 animation tracks for 3 joints"), std::string::npos);
}

TEST_F(ModelFileTest, MutatedFilesNeverCrash)
{
    std::string bytes = EncodeModel(SmallSkinnedModel());
    std::mt19937 random(1234);
    for (int round = 0; round < 400; ++round) {
        std::string mutated = bytes;
        int changes = 1 + int(random() % 6);
        for (int c = 0; c < changes; ++c) {
            std::size_t at = random() % mutated.size();
            switch (random() % 3) {
            case 0: mutated[at] = char(random()); break;
            case 1: mutated[at] = char(0xFF); break;
            default: mutated.resize(at); break;
            }
            if (mutated.empty()) break;
        }
        ReadResult r = Read(mutated);
        std::size_t budget = mutated.size();
        EXPECT_LE(r.mesh.indices.size() * 4, budget);
        EXPECT_LE(r.mesh.vertices.size() * 32, budget);
        EXPECT_LE(r.skeleton.joints.size() * 65, budget);
        for (std::size_t j = 0; j < r.skeleton.joints.size(); ++j) {
            std::int32_t parent = r.skeleton.joints[j].parent;
            EXPECT_TRUE(parent == -1 || (parent >= 0 && std::size_t(parent) < j));
            for (std::int32_t child : r.skeleton.joints[j].children) EXPECT_GT(std::size_t(child), j);
        }
    }
}
