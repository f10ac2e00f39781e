// Hostile files, one row each, through every reader outside the SMD parser:
// material textures (through the device and through a model's material
// line), the cube map and the effect (through the device and through the
// scene's set-up). Each row states the message it gives (the loader's log
// line, the effect's error text or the message box) and, after it, nothing
// the refused file could have touched has changed: no device object left, no
// render state, no GL binding or pixel-store setting, no GL error; the model
// keeps its mesh with an empty texture slot. Paths that cannot be read (a
// FIFO, a link to /dev/zero, a folder, nothing) are crossed with every reader.
//
// The table runs on the OpenGL device, and on the null and recording devices
// without GL: texture files are read in the device layer's shared front, so
// every backend refuses the same files for the same reasons (effects run on
// the null device too; the recording device records them instead).
#include <unistd.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>

#include "support/dds_files.h"
#include "../unit/image/picture_files.h"
#include "hostile_fixture.h"
#include "model/skinned_model.h"
#include "platform/files.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"

namespace hostile {
namespace {

using namespace picturetest;

// A 2 × 2 RGBA PNG whose text chunk inflates to 64 MiB: skipped unread.
Bytes PngWithTextBomb() {
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    Bytes bomb = Deflate(Bytes(size_t(64) << 20, 'A'));
    text.insert(text.end(), bomb.begin(), bomb.end());
    return Png(2, 2, 8, 6, Bytes(18, 0), {{"zTXt", text}});
}

// A 24-bit BMP header for width × height followed by `data` bytes.
Bytes BmpHeader(uint32_t width, int32_t height, size_t data, uint32_t compression = 0) {
    Bytes file = picturetest::Bmp(40, 24, 1, 1, compression, {}, {});
    file = Patched(Patched(file, 18, width), 22, uint32_t(height));
    file.resize(file.size() + data, 0x40);
    return file;
}

// An 18-byte true-colour TGA header for width × height and no pixels.
Bytes TgaHeader(uint16_t width, uint16_t height) {
    return Patched(Tga(2, 24, 0, {}), 12, width | uint32_t(height) << 16);
}

Bytes Dds(rrtest::DdsFormat format, uint32_t width, uint32_t height, uint32_t levels, int faces) {
    return rrtest::SolidDds(
        format, width, height, levels,
        std::vector<std::vector<rrtest::Rgba>>(size_t(faces), {{9, 9, 9, 255}}));
}

// Through which reader a row's file goes.
enum class Via {
    Texture,      // the device's texture loader (what the model's materials use)
    CubeMap,      // the device's cube-map loader
    Effect,       // the device's effect loader (error text handed back)
    Material,     // a reference model whose material line names the file
    SceneSky,     // the scene's environment set-up reading ./Textures/Snow.dds
    SceneEffect,  // the scene's effect set-up reading ./Shaders/ReflectionOrRefraction.fx
};

// The file each reader reads: for the scene rows the fixed path below the
// working folder, for the material row the name on the material line.
std::string FileOf(Via via) {
    switch (via) {
    case Via::Texture: return "skin.bmp";
    case Via::CubeMap: return "sky.dds";
    case Via::Effect: return "e.fx";
    case Via::Material: return "skin.bmp";
    case Via::SceneSky: return "Textures/Snow.dds";
    case Via::SceneEffect: return "Shaders/ReflectionOrRefraction.fx";
    }
    return {};
}

bool ReadsAnEffect(Via via) { return via == Via::Effect || via == Via::SceneEffect; }

struct Row {
    std::string name;
    Via via;
    // Makes the file in the scratch folder; returns the path to hand the
    // reader (for the scene rows, nothing: they read fixed paths).
    std::function<std::string(Scratch&)> make;
    const char* message;  // expected in the row's message; null: the file loads
};

constexpr uint64_t kMiB = uint64_t(1) << 20;

std::vector<Row> Rows() {
    using F = rrtest::DdsFormat;
    const std::string effect =
        "technique T { pass { VertexShader = compile vs_3_0 V(); "
        "PixelShader = compile ps_3_0 P(); } }\n";
    std::string manyTechniques;
    for (int i = 0; i < 40000; ++i) {
        manyTechniques +=
            "technique T" + std::to_string(i) +
            " { pass { VertexShader = compile vs_3_0 V(); PixelShader = compile ps_3_0 P(); } }\n";
    }
    const Bytes skin =
        picturetest::Bmp(40, 24, 64, 64, 0, {}, std::vector<uint32_t>(64 * 64, 0x804020));
    return {
        // Paths that are not the file (crossed with every reader below), and
        // sizes over the limit of their kind.
        {"texture: /dev/zero", Via::Texture, [](Scratch&) { return std::string("/dev/zero"); },
         "/dev/zero: not a regular file"},
        {"texture: 97 MiB", Via::Texture, [](Scratch& s) { return s.Sparse("big.dds", 97 * kMiB); },
         "larger than 96 MiB"},
        {"cube map: 257 MiB", Via::CubeMap,
         [](Scratch& s) { return s.Sparse("sky.dds", 257 * kMiB); }, "larger than 256 MiB"},
        {"effect: /dev/zero", Via::Effect, [](Scratch&) { return std::string("/dev/zero"); },
         "/dev/zero: not a regular file"},
        {"effect: 17 MiB", Via::Effect, [](Scratch& s) { return s.Sparse("e.fx", 17 * kMiB); },
         "larger than 16 MiB"},
        {"material line climbing to /dev/zero", Via::Material,
         [](Scratch&) { return std::string("../../../../../../dev/zero"); }, "not a regular file"},
        // Pictures whose header claims more than the device or the budget allows.
        {"TGA, 18 bytes, 17663 x 21316", Via::Texture,
         [](Scratch& s) { return s.Write("bomb.tga", TgaHeader(17663, 21316)); },
         "TGA: 17663 x 21316 pixels: larger than the 16384 pixels a side"},
        {"TGA cut to 17 bytes", Via::Texture,
         [](Scratch& s) {
             Bytes t = TgaHeader(17663, 21316);
             t.pop_back();
             return s.Write("bomb.tga", t);
         },
         "not a BMP, TGA, PNG, JPEG or DDS file"},
        {"BMP, 63 bytes, 16000 x 9600", Via::Texture,
         [](Scratch& s) { return s.Write("bomb.bmp", BmpHeader(16000, 9600, 9)); },
         "BMP: 16000 x 9600 pixels take 586 MiB, more than the 96 MiB"},
        {"12 KB skin, height 8,000,000", Via::Texture,
         [skin](Scratch& s) { return s.Write("skin.bmp", Patched(skin, 22, 8000000)); },
         "BMP: 64 x 8000000 pixels: larger than the"},
        {"BMP height -2^31", Via::Texture,
         [skin](Scratch& s) { return s.Write("skin.bmp", Patched(skin, 22, 0x80000000u)); },
         "BMP: 64 x 2147483648 pixels: larger than the"},
        {"PNG header, 8192 x 8192", Via::Texture,
         [](Scratch& s) {
             return s.Write("bomb.png", PngChunks(8192, 8192, 8, 6, {{"IDAT", Bytes(9, 0)}}));
         },
         "PNG: 8192 x 8192 pixels take 256 MiB"},
        {"JPEG header, 65500 x 65500", Via::Texture,
         [](Scratch& s) { return s.Write("bomb.jpg", JpegClaiming(Jpeg(3), 65500, 65500)); },
         "JPEG: 65500 x 65500 pixels: larger than the"},
        {"JPEG, 4096 x 4096 over 16 x 16 of data", Via::Texture,
         [](Scratch& s) { return s.Write("cut.jpg", JpegClaiming(Jpeg(3), 4096, 4096)); },
         "JPEG: Corrupt JPEG data: premature end of data segment"},
        {"JPEG cut short", Via::Texture,
         [](Scratch& s) {
             Bytes j = Jpeg(3, 64, 64);
             j.resize(j.size() - 8);
             return s.Write("cut.jpg", j);
         },
         "JPEG: Premature end of JPEG file"},
        {"material: 12 KB skin, height 8,000,000", Via::Material,
         [skin](Scratch& s) {
             s.Write("skin.bmp", Patched(skin, 22, 8000000));
             return std::string("skin.bmp");
         },
         "pixels: larger than the"},
        // A name without an extension finds its file as NAME.png, .tga, .bmp
        // or .jpg: the file found is read with the same checks, and what is
        // not a regular file is passed over.
        {"material without extension: skin.bmp 12 KB, height 8,000,000", Via::Material,
         [skin](Scratch& s) {
             s.Write("skin.BMP", Patched(skin, 22, 8000000));
             return std::string("skin");
         },
         "pixels: larger than the"},
        {"material without extension: skin.png a FIFO, skin.tga a folder", Via::Material,
         [](Scratch& s) {
             s.Fifo("skin.png");
             s.Folder("skin.tga");
             return std::string("skin");
         },
         "No such file or directory"},
        {"cube map, 6 faces of 2304 x 2304 ARGB", Via::CubeMap,
         [](Scratch& s) {
             return s.Sparse("sky.dds", 128 + 6 * 2304 * 2304 * 4,
                             assetgen::EncodeDdsHeader(F::A8R8G8B8, 2304, 2304, 1, true));
         },
         "6 faces of 2304 x 2304 pixels take 122 MiB, more than the 96 MiB"},
        // Damaged and foreign files.
        {"empty file", Via::Texture, [](Scratch& s) { return s.Write("empty.bmp", Bytes()); },
         "empty file"},
        {"text named .bmp", Via::Texture,
         [](Scratch& s) { return s.Write("note.bmp", std::string("not a picture\n")); },
         "not a BMP, TGA, PNG, JPEG or DDS file"},
        {"16-bit PNM, 43 bytes", Via::Texture,
         [](Scratch& s) { return s.Write("a.pnm", "P6\n2 2\n65535\n" + std::string(30, '\xff')); },
         "not a BMP, TGA, PNG, JPEG or DDS file"},
        {"GIF", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.gif", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14));
         },
         "not a BMP, TGA, PNG, JPEG or DDS file"},
        {"BMP cut in its rows", Via::Texture,
         [skin](Scratch& s) {
             return s.Write("skin.bmp", Bytes(skin.begin(), skin.begin() + 4000));
         },
         "BMP: file truncated: 64 x 64 pixels need 12342 bytes, the file holds 4000"},
        {"BMP run-length", Via::Texture,
         [](Scratch& s) { return s.Write("rle.bmp", BmpHeader(2, 2, 16, 1)); },
         "BMP: run-length compressed BMP is not read"},
        {"PNG header checksum broken", Via::Texture,
         [](Scratch& s) {
             Bytes p = Png(2, 2, 8, 6, Bytes(18, 0));
             p[29] ^= 0xFF;
             return s.Write("a.png", p);
         },
         "PNG: IHDR: CRC error"},
        {"PNG without pixel data", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.png", PngChunks(2, 2, 8, 6, {{"IEND", {}}}));
         },
         "PNG: "},
        {"JPEG without a frame", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xD9});
         },
         "JPEG: "},
        {"DDS cut in its last level", Via::Texture,
         [](Scratch& s) {
             Bytes d = Dds(F::A8R8G8B8, 8, 8, 4, 1);
             d.pop_back();
             return s.Write("a.dds", d);
         },
         "file truncated: mip data missing"},
        {"cube map cut in its last face", Via::CubeMap,
         [](Scratch& s) {
             Bytes d = Dds(F::A8R8G8B8, 4, 4, 1, 6);
             d.pop_back();
             return s.Write("sky.dds", d);
         },
         "file truncated: mip data missing"},
        {"DDS header alone, 16384 x 16384", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.dds",
                            assetgen::EncodeDdsHeader(F::A8R8G8B8, 16384, 16384, 1, false));
         },
         "file truncated: mip data missing"},
        {"DDS mip count 2^32 - 1", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.dds", Patched(Dds(F::DXT1, 4, 4, 3, 1), 28, 0xFFFFFFFF));
         },
         "mip count longer than the full chain"},
        {"DDS in DX10 form", Via::Texture,
         [](Scratch& s) {
             return s.Write("a.dds", Patched(Dds(F::DXT5, 4, 4, 1, 1), 84, 0x30315844));
         },
         "unsupported FourCC format"},
        {"cube map: a 2D DDS", Via::CubeMap,
         [](Scratch& s) { return s.Write("sky.dds", Dds(F::A8R8G8B8, 4, 4, 1, 1)); },
         "a 2D texture, not a cube map"},
        {"cube map: five faces", Via::CubeMap,
         [](Scratch& s) {
             return s.Write("sky.dds", Patched(Dds(F::DXT1, 4, 4, 1, 6), 112, 0x200 | 0x7C00));
         },
         "cube map without all six faces"},
        {"cube map: faces not square", Via::CubeMap,
         [](Scratch& s) { return s.Write("sky.dds", Patched(Dds(F::DXT1, 4, 4, 1, 6), 16, 8)); },
         "cube map faces are not square"},
        {"cube map: a PNG", Via::CubeMap,
         [](Scratch& s) {
             return s.Write("sky.dds", Png(2, 2, 8, 6, Bytes(18, 0), {{"tEXt", Bytes(200, 'a')}}));
         },
         "not a DDS file (bad magic)"},
        {"effect: 10 MB of '{'", Via::Effect,
         [](Scratch& s) { return s.Write("e.fx", std::string(10000000, '{')); },
         "e.fx(1,1): error: the effect has no technique"},
        {"effect: 40,000 techniques", Via::Effect,
         [manyTechniques](Scratch& s) { return s.Write("e.fx", manyTechniques); },
         "e.fx(65,17): error: more than 64 passes in the effect"},
        {"effect: a technique twice", Via::Effect,
         [effect](Scratch& s) { return s.Write("e.fx", effect + effect); },
         "e.fx(2,1): error: technique 'T' is defined twice"},
        {"effect: comment never closed", Via::Effect,
         [effect](Scratch& s) { return s.Write("e.fx", "/*\n" + effect); },
         "e.fx(1,1): error: comment not closed"},
        {"effect: binary bytes", Via::Effect,
         [](Scratch& s) { return s.Write("e.fx", std::string("\0\xff\x7f{\0}", 6)); },
         "error: the effect has no technique"},
        // Hostile parts that are skipped, not refused: the picture loads.
        {"PNG with a 64 MiB compressed text chunk", Via::Texture,
         [](Scratch& s) { return s.Write("a.png", PngWithTextBomb()); }, nullptr},
    };
}

// Every reader, handed a path that is not a file it can read.
std::vector<Row> UnreadableRows() {
    struct Unreadable {
        const char* name;
        std::string (*make)(Scratch& s, const std::string& file);
        const char* message;
    };
    static const Unreadable kUnreadable[] = {
        {"FIFO", [](Scratch& s, const std::string& f) { return s.Fifo(f); }, "not a regular file"},
        {"link to /dev/zero",
         [](Scratch& s, const std::string& f) { return s.Link(f, "/dev/zero"); },
         "not a regular file"},
        {"folder", [](Scratch& s, const std::string& f) { return s.Folder(f); },
         "a folder, not a file"},
        {"missing", [](Scratch& s, const std::string& f) { return s.Folder() + "/" + f; },
         "No such file or directory"},
    };
    static const std::pair<Via, const char*> kReaders[] = {
        {Via::Texture, "texture"}, {Via::CubeMap, "cube map"},
        {Via::Effect, "effect"},   {Via::Material, "material line"},
        {Via::SceneSky, "sky"},    {Via::SceneEffect, "scene effect"}};
    std::vector<Row> rows;
    for (const auto& [via, reader] : kReaders) {
        for (const Unreadable& u : kUnreadable) {
            rows.push_back({std::string(reader) + ": " + u.name, via,
                            [via = via, make = u.make](Scratch& s) {
                                std::string path = make(s, FileOf(via));
                                return via == Via::Material ? FileOf(via) : path;
                            },
                            u.message});
        }
    }
    return rows;
}

// An output pointer before the creation call: neither null nor an object.
template <typename T>
T* Unset() {
    return reinterpret_cast<T*>(uintptr_t(1));
}

// A creation call's output: the object it made (released here), else null.
template <typename T>
void ExpectSetOrNull(bool made, T*& object) {
    if (made) {
        EXPECT_NE(object, Unset<T>());
    } else if (object != nullptr) {
        ADD_FAILURE() << "a refused creation left its output set";
        object = nullptr;
    }
    gfx::SafeRelease(object);
}

// Runs the row's reader on device; returns what it said and whether it made
// its object.
std::string Read(const Row& row, Scratch& scratch, gfx::Device* device, bool* made) {
    *made = false;
    const std::string path = row.make(scratch);
    StderrCapture log;
    switch (row.via) {
    case Via::Texture: {
        gfx::Texture* texture = Unset<gfx::Texture>();
        *made = gfx::Succeeded(gfx::D3DXCreateTextureFromFileA(device, path.c_str(), &texture));
        ExpectSetOrNull(*made, texture);
        return log.Take();
    }
    case Via::CubeMap: {
        gfx::CubeTexture* cube = Unset<gfx::CubeTexture>();
        *made = gfx::Succeeded(gfx::D3DXCreateCubeTextureFromFileA(device, path.c_str(), &cube));
        ExpectSetOrNull(*made, cube);
        return log.Take();
    }
    case Via::Effect: {
        gfx::Effect* effect = nullptr;
        gfx::Buffer* errors = nullptr;
        *made = gfx::Succeeded(gfx::D3DXCreateEffectFromFileA(
            device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors));
        std::string text = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
        gfx::SafeRelease(errors);
        gfx::SafeRelease(effect);
        return text;
    }
    case Via::Material: {
        const std::string reference = scratch.Write(
            "ref.smd",
            "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
            "triangles\n" +
                path +
                "\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n"
                "0 0 1 0 0 0 1 0 0\nend\n");
        auto model = std::make_unique<SkinnedModel>();
        // Textures never stop a load.
        EXPECT_TRUE(model->LoadReference(device, reference.c_str(), HostileContext()));
        EXPECT_EQ(model->meshCount, 1);
        EXPECT_EQ(model->meshes[0].textureCount, 1);
        *made = model->meshes[0].textures && model->meshes[0].textures[0];
        return log.Take();
    }
    case Via::SceneSky:
    case Via::SceneEffect: {
        // The program's fixed paths, read from the scratch folder.
        const LoadContext context = HostileContext(scratch.Folder());
        if (row.via == Via::SceneSky) {
            EnvironmentBox box;
            std::string sky = PathIn(context.baseFolder, kEnvironmentMapPath);
            *made = gfx::Succeeded(box.Create(device, sky.c_str()));
            box.Release();
        } else {
            gfx::VertexDeclaration* declaration = nullptr;
            gfx::Effect* effect = nullptr;
            gfx::EffectHandle technique = nullptr;
            EXPECT_EQ(CreateEffectObjects(device, declaration, effect, technique, context,
                                          kEffectPath, true),
                      gfx::S_OK);
            *made = effect != nullptr;
            gfx::SafeRelease(effect);
            gfx::SafeRelease(declaration);
        }
        std::string text = log.Take();
        for (const ShownBox& box : TakeMessageBoxes()) {
            EXPECT_EQ(box.caption, "ERROR");
            text += box.text;
        }
        return text;
    }
    }
    return {};
}

// What every reader must leave as it was on any device, and the GL state a
// loader could touch on the OpenGL device.
void ExpectReadLeavesTheDevice(const Row& row, gfx::Device* device,
                               const std::function<DeviceState()>& snapshot) {
    SCOPED_TRACE(row.name);
    Scratch scratch;
    const DeviceState before = snapshot();
    bool made = false;
    const std::string message = Read(row, scratch, device, &made);
    // Only message boxes the row's reader is meant to show.
    if (row.via != Via::SceneEffect) {
        EXPECT_TRUE(TakeMessageBoxes().empty());
    }
    const DeviceState after = snapshot();
    if (row.message) {
        EXPECT_FALSE(made);
        EXPECT_NE(message.find(row.message), std::string::npos) << "message: " << message;
        EXPECT_EQ(after, before);
    } else {
        // A loaded picture was uploaded (which sets GL's pixel store) and released.
        EXPECT_TRUE(made) << message;
        EXPECT_EQ(after.liveObjects, before.liveObjects);
        EXPECT_EQ(after.glErrors, before.glErrors);
    }
}

std::vector<Row> AllRows() {
    std::vector<Row> rows = Rows();
    for (Row& row : UnreadableRows()) rows.push_back(std::move(row));
    return rows;
}

TEST_F(HostileFileTest, EachIsRefusedWithItsMessageAndChangesNothing) {
    const std::vector<Row> rows = AllRows();
    ASSERT_GE(rows.size(), 60u);
    for (const Row& row : rows) ExpectReadLeavesTheDevice(row, device, [&] { return Snapshot(); });
}

// The same table on the devices without GL; the recording device records
// effects instead of compiling them, so the effect rows run on the null one.
class HostileFilesWithoutGl : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileFilesWithoutGl, EachIsRefusedWithItsMessageAndChangesNothing) {
    const bool null = std::string(GetParam()) == "null";
    gfx::Ref<gfx::Direct3D> d3d = gfx::Ref<gfx::Direct3D>::Adopt(
        null ? gfx::null::CreateDirect3D({&gfx::effect::MakeEffect, nullptr})
             : gfx::recording::CreateDirect3D());
    gfx::PresentParameters parameters = rrtest::TestPresentParameters(64, 64);
    gfx::Ref<gfx::Device> device;
    ASSERT_EQ(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, nullptr, 0,
                                &parameters, device.Receive()),
              gfx::S_OK);
    TakeMessageBoxes();
    SetStatesAwayFromTheirDefaults(device.get());
    for (const Row& row : AllRows()) {
        if (null || !ReadsAnEffect(row.via))
            ExpectReadLeavesTheDevice(row, device.get(), [&] { return SnapshotOf(device.get()); });
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, HostileFilesWithoutGl, ::testing::Values("null", "recording"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace hostile
