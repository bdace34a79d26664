// The scene-file reader: layout, log lines, checks and their order, and files that end early.
#include "Doubles.h"
#include "FileImage.h"
#include "SceneGraph.h"
#include "SceneImages.h"
#include "SceneLoad.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace
{
class SceneFileTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_log.clear();
        g_geometries.clear();
    }

    // Reads an image as LoadScene does, from offset 512.
    bool Read(const std::vector<std::uint8_t>& image, SceneData& data, std::size_t* end = nullptr)
    {
        ByteCursor cursor(image);
        cursor.Skip(512);
        const bool read = ReadSceneData(cursor, data);
        if (end)
            *end = cursor.Offset();
        return read;
    }

    static bool IsProgress(const LogLine& line)
    {
        return !line.error &&
               (line.text.rfind("Node: ", 0) == 0 || line.text.rfind("Mesh: ", 0) == 0);
    }

    std::vector<LogLine> FailureLines() const
    {
        std::vector<LogLine> lines;
        for (const LogLine& line : g_log)
            if (!IsProgress(line))
                lines.push_back(line);
        return lines;
    }
};

bool SameVertex(const MeshVertex& a, const MeshVertex& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(SceneFileTest, ReadsHeaderTreeAndMeshesWithTheirLogLines)
{
    NodeSpec root{"root", {}, {0}, {NodeSpec{"child", {}, {1, 0}, {}}}};
    for (int i = 0; i < 16; ++i)
        root.matrix[i] = static_cast<float>(i) + 0.5f;
    MeshShape first = DistinctMesh(3, 2);
    first.matID = 7;
    MeshShape second = DistinctMesh(4, 1);
    second.vertexComp = 0x3;
    const auto image = SceneImage(root, {first, second});

    SceneData data;
    std::size_t end = 0;
    ASSERT_TRUE(Read(image, data, &end));
    EXPECT_EQ(end, image.size());
    EXPECT_EQ(g_log, (std::vector<LogLine>{
                         Printed("Node: root\n"),
                         Printed("Node: child\n"),
                         Printed("Mesh: 3 verts 2 faces 0 bones (matID=7 vertex_comp=259)\n"),
                         Printed("Mesh: 4 verts 1 faces 0 bones (matID=0 vertex_comp=3)\n"),
                         Printed("ReadSceneData() done.\n"),
                     }));

    EXPECT_EQ(data.headerWord0, 0x11111111u);
    EXPECT_EQ(data.meshCount, 2u);
    EXPECT_EQ(data.headerWords[0], 0x22222222u);
    EXPECT_EQ(data.headerWords[4], 0x22222226u);
    ASSERT_TRUE(data.root);
    EXPECT_EQ(data.root->name, "root");
    EXPECT_EQ(data.root->parent, nullptr);
    EXPECT_EQ(std::memcmp(data.root->matrix, root.matrix.data(), 64), 0); // copied as stored
    EXPECT_EQ(data.root->meshRefs, (std::vector<std::uint32_t>{0}));
    ASSERT_EQ(data.root->children.size(), 1u);
    EXPECT_EQ(data.root->children[0]->parent, data.root.get());
    EXPECT_EQ(data.root->children[0]->meshRefs, (std::vector<std::uint32_t>{1, 0}));

    ASSERT_EQ(data.meshes.size(), 2u);
    const SceneFileMesh& mesh = *data.meshes[0];
    EXPECT_EQ(mesh.matID, 7u);
    ASSERT_EQ(mesh.vertices.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(SameVertex(mesh.vertices[i], first.vertices[i])) << "vertex " << i;
    EXPECT_EQ(mesh.indices, (std::vector<std::uint16_t>{0, 1, 2, 1, 2, 0}));
    EXPECT_EQ(data.meshes[1]->vertices[3].texcoord[0], 0.0f); // no texture block
}

TEST_F(SceneFileTest, EmptyNameLogsAnEmptyNodeLine)
{
    SceneData data;
    ASSERT_TRUE(Read(SceneImage(NodeSpec{}), data));
    EXPECT_EQ(data.root->name, "");
    EXPECT_EQ(g_log.front(), Printed("Node: \n"));
}

TEST_F(SceneFileTest, LeafNodeConsumesItsHeaderAndNameOnly)
{
    for (const std::string& name :
         std::vector<std::string>{"", "a", "seven77", std::string(300, 'n')})
    {
        ByteWriter w;
        WriteNode(w, NodeSpec{name, {}, {}, {}});
        const std::size_t recordSize = w.bytes.size();
        w.Filler(16); // whatever follows is not the node's
        ByteCursor cursor(w.bytes);
        SceneFileNode node;
        ASSERT_TRUE(ReadNode(cursor, node, nullptr));
        EXPECT_EQ(cursor.Offset(), 84 + name.size());
        EXPECT_EQ(recordSize, 84 + name.size());
        EXPECT_TRUE(node.children.empty());
        EXPECT_TRUE(node.meshRefs.empty());
    }
}

TEST_F(SceneFileTest, VertexBlocksFollowTheirBits)
{
    struct Case
    {
        std::uint32_t comp;
        bool positions, normals, texcoords;
    };
    const Case cases[] = {
        {0x000, false, false, false},
        {0x100, false, false, true},
        {0x001, true, false, false},
        {0x003, true, true, false},
        {0x103, true, true, true},
        {0x001 | 0x004 | 0x010 | 0x200 | 0x80000000u, true, false,
         false}, // other bits carry nothing
        {0x102 | 0x040, false, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.comp);
        g_log.clear();
        MeshShape shape = DistinctMesh(5, 3);
        shape.vertexComp = c.comp;
        ByteWriter w;
        WriteMesh(w, shape);
        ByteCursor cursor(w.bytes);
        SceneFileMesh mesh;
        ASSERT_TRUE(ReadMesh(cursor, mesh));
        EXPECT_EQ(cursor.Offset(), w.bytes.size()); // the faces came right after the blocks
        EXPECT_EQ(mesh.indices, (std::vector<std::uint16_t>{0, 1, 2, 1, 2, 3, 2, 3, 4}));
        for (std::size_t i = 0; i < 5; ++i)
        {
            const MeshVertex& got = mesh.vertices[i];
            const MeshVertex& sent = shape.vertices[i];
            const float zero[3] = {0, 0, 0};
            EXPECT_EQ(std::memcmp(got.position, c.positions ? sent.position : zero, 12), 0);
            EXPECT_EQ(std::memcmp(got.normal, c.normals ? sent.normal : zero, 12), 0);
            EXPECT_EQ(std::memcmp(got.texcoord, c.texcoords ? sent.texcoord : zero, 8), 0);
        }
    }
}

TEST_F(SceneFileTest, VertexAndFaceLimitsAndTheirReports)
{
    struct Case
    {
        std::uint32_t vertices, faces;
        std::optional<LogLine> report; // none: accepted
    };
    const Case cases[] = {
        {65536, 65536, std::nullopt},
        {65537, 4, Reported("Mesh has more than 65536 vertices!\n")},
        {4, 65537, Reported("Mesh has more than 65536 faces!\n")},
        {65537, 65537, Reported("Mesh has more than 65536 faces!\n")}, // faces are checked first
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.vertices << " vertices, " << c.faces << " faces");
        g_log.clear();
        const MeshShape shape = DistinctMesh(c.vertices, c.faces);
        SceneData data;
        const bool read = Read(SceneImage(NodeSpec{"n", {}, {0}, {}}, {shape}), data);
        EXPECT_EQ(read, !c.report);
        if (c.report)
        {
            EXPECT_EQ(FailureLines(), std::vector<LogLine>{*c.report});
            continue;
        }
        const SceneFileMesh& mesh = *data.meshes[0];
        ASSERT_EQ(mesh.indices.size(), 3u * 65536);
        EXPECT_EQ(mesh.indices[3 * 65535], 65535); // the last face was read too
        EXPECT_EQ(mesh.indices[3 * 65535 + 2], 1);
        EXPECT_TRUE(SameVertex(mesh.vertices[65535], shape.vertices[65535]));
    }
}

TEST_F(SceneFileTest, BonesAreReportedOnlyAfterTheFaces)
{
    struct Case
    {
        const char* what;
        std::uint16_t secondFaceCorners;
        std::uint16_t secondFaceLastIndex;
        LogLine report;
    };
    const Case cases[] = {
        {"good faces", 3, 2, Printed("Bones not supported.\n")},
        {"a bad face", 4, 2, Printed("Mesh has invalid format.\n")},
        {"an index past the vertices", 3, 3, Printed("Mesh index 3 is past its 3 vertices.\n")},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_log.clear();
        MeshShape shape = DistinctMesh(3, 3);
        shape.boneCount = 2;
        shape.faces[1].corners = c.secondFaceCorners;
        shape.faces[1].index[2] = c.secondFaceLastIndex;
        ByteWriter w;
        WriteMesh(w, shape);
        ByteCursor cursor(w.bytes);
        SceneFileMesh mesh;
        EXPECT_FALSE(ReadMesh(cursor, mesh));
        EXPECT_EQ(g_log.back(), c.report);
        EXPECT_EQ(FailureLines().size(), 1u);
        if (c.report == Printed("Bones not supported.\n"))
        {
            EXPECT_EQ(cursor.Offset(), w.bytes.size()); // every face was read first
        }
    }
}

TEST_F(SceneFileTest, OtherPrimitiveKindsAreRefusedBeforeTheMeshLine)
{
    MeshShape shape = DistinctMesh(3, 1);
    shape.kind = 5;
    SceneData data;
    EXPECT_FALSE(Read(SceneImage(NodeSpec{"n"}, {shape}), data));
    EXPECT_EQ(FailureLines(), std::vector<LogLine>{Printed("Not a triangle mesh.\n")});
    EXPECT_EQ(g_log.size(), 2u); // the node line and the report
}

TEST_F(SceneFileTest, NoMeshesStillReadsTheTree)
{
    SceneData data;
    NodeSpec root{"r", {}, {}, {NodeSpec{"a"}, NodeSpec{"b"}}};
    ASSERT_TRUE(Read(SceneImage(root), data));
    EXPECT_TRUE(data.meshes.empty());
    EXPECT_EQ(data.root->children.size(), 2u);
    EXPECT_EQ(g_log.back(), Printed("ReadSceneData() done.\n"));
}

TEST_F(SceneFileTest, MeshReferencesAreCopiedAsStored)
{
    SceneData data;
    ASSERT_TRUE(Read(SceneImage(NodeSpec{"r", {}, {7, 0xFFFFFFFF, 0}, {}}), data));
    EXPECT_EQ(data.root->meshRefs, (std::vector<std::uint32_t>{7, 0xFFFFFFFF, 0}));
}

// Every prefix of a valid file is refused with one line; under ASan this also proves that no
// read passes the end of the buffer.
TEST_F(SceneFileTest, AFileEndingEarlyGivesOneLineAndNoScene)
{
    NodeSpec root{"root", {}, {0}, {NodeSpec{"kid", {}, {1}, {NodeSpec{"leaf"}}}}};
    MeshShape second = DistinctMesh(3, 2);
    second.vertexComp = 0x100;
    const auto image = SceneImage(root, {DistinctMesh(4, 2), second});

    for (std::size_t size = 0; size < image.size(); ++size)
    {
        SCOPED_TRACE(size);
        g_log.clear();
        std::vector<std::uint8_t> prefix(image.begin(), image.begin() + size);
        EXPECT_EQ(LoadSceneFromImage(prefix), nullptr);
        const auto failures = FailureLines();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_FALSE(failures[0].error);
        EXPECT_EQ(failures[0].text.rfind("ReadSceneData: the file ends at byte ", 0), 0u)
            << failures[0].text;
        EXPECT_TRUE(g_geometries.empty());
    }
    SceneNode* whole = LoadSceneFromImage(image);
    EXPECT_NE(whole, nullptr);
    DeleteSceneTree(whole);
}

TEST_F(SceneFileTest, HugeCountsInASmallFileFailBeforeHugeAllocations)
{
    MeshShape noBlocks; // 4 billion vertices without a block to hold them
    noBlocks.vertexComp = 0;
    noBlocks.vertexCount = 0xFFFFFFFF;
    MeshShape blocks = noBlocks;
    blocks.vertexComp = 0x103;
    MeshShape faces;
    faces.faceCount = 60000; // within the limit, but the file holds none

    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> image;
        std::optional<LogLine> report; // none: the file ends early
    };
    // A root record claiming children and references it does not have.
    const auto bareRoot = [](std::uint32_t children, std::uint32_t meshRefs)
    {
        ByteWriter w;
        w.Filler(520);
        w.Zeros(28); // header words and mesh count 0
        w.Filler(8);
        w.U32(0);
        w.Zeros(64);
        w.U32(children);
        w.U32(meshRefs);
        return w.bytes;
    };
    const Case cases[] = {
        {"mesh count", SceneImage(NodeSpec{"r"}, {}, 0xFFFFFFFF), std::nullopt},
        {"children", bareRoot(0xFFFFFFFF, 0), std::nullopt},
        {"mesh references", bareRoot(0, 0xFFFFFFFF), std::nullopt},
        {"vertices without blocks", SceneImage(NodeSpec{"r"}, {noBlocks}),
         Reported("Mesh has more than 65536 vertices!\n")},
        {"vertices with blocks", SceneImage(NodeSpec{"r"}, {blocks}), std::nullopt},
        {"faces", SceneImage(NodeSpec{"r"}, {faces}), std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_log.clear();
        SceneData data;
        EXPECT_FALSE(Read(c.image, data));
        const auto failures = FailureLines();
        ASSERT_EQ(failures.size(), 1u);
        if (c.report)
        {
            EXPECT_EQ(failures[0], *c.report);
        }
        else
        {
            EXPECT_EQ(failures[0].text.rfind("ReadSceneData: the file ends", 0), 0u);
        }
    }
}

TEST_F(SceneFileTest, NestingIsBoundedSoTheStackIs)
{
    for (int depth : {kMaxNodeDepth, kMaxNodeDepth + 1})
    {
        SCOPED_TRACE(depth);
        g_log.clear();
        NodeSpec root{"0"};
        NodeSpec* tip = &root;
        for (int i = 1; i < depth; ++i)
        {
            tip->children.push_back(NodeSpec{std::to_string(i)});
            tip = &tip->children.back();
        }
        SceneData data;
        const bool read = Read(SceneImage(root), data);
        EXPECT_EQ(read, depth <= kMaxNodeDepth);
        if (!read)
        {
            EXPECT_EQ(g_log.back(), Printed("Scene nodes nest deeper than 1024 levels.\n"));
        }
    }
}

TEST_F(SceneFileTest, LoadSceneOpensTheSystemsPathsAndReportsFilesItCannotRead)
{
    EXPECT_EQ(ToNativePath("data\\rings.bin"), "data/rings.bin");

    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / "ombrel-scene-file-test";
    std::filesystem::create_directories(dir);
    const auto image = SceneImage(NodeSpec{"only", {}, {0}, {}}, {DistinctMesh(3, 1)});
    std::FILE* file = std::fopen((dir / "scene.bin").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(image.data(), 1, image.size(), file);
    std::fclose(file);

    const std::string systemPath = dir.string() + "\\scene.bin";
    SceneNode* root = LoadScene(systemPath.c_str());
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->name, "only");
    DeleteSceneTree(root);

    g_log.clear();
    const std::string missing = dir.string() + "\\missing.bin";
    EXPECT_EQ(LoadScene(missing.c_str()), nullptr);
    EXPECT_EQ(g_log, std::vector<LogLine>{Printed("LoadScene: cannot open '" + missing + "'\n")});

    g_log.clear();
    EXPECT_EQ(LoadScene(dir.c_str()), nullptr);
    EXPECT_EQ(g_log,
              std::vector<LogLine>{Printed("LoadScene: cannot read '" + dir.string() + "'\n")});
    std::filesystem::remove_all(dir);
}
} // namespace
