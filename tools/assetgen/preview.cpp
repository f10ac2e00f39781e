#include "assetgen/preview.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "assetgen/environment.h"

namespace assetgen {
namespace {

constexpr int kPanelWidth = 400, kPanelHeight = 300;
constexpr float kPi = 3.14159265358979f;

struct View {
    float yawDegrees;                  // turn of the model about its up axis
    const std::vector<Matrix4>* pose;  // absolute bone matrices, or null for the bind pose
};

Vector3 ModelToView(const SheetLayout& layout, const Vector3& p) {
    return {-(p.x - layout.target.x), p.z - layout.target.z,
            (p.y - layout.target.y) + layout.distance};
}

void RenderPanel(Image8& sheet, int left, int top, const Character& character,
                 const SheetLayout& layout, const View& view) {
    const float tanHalf = std::tan(kPi / 8.0f), aspect = 800.0f / 600.0f;
    // Sky box behind the model.
    for (int y = 0; y < kPanelHeight; ++y)
        for (int x = 0; x < kPanelWidth; ++x) {
            float nx =
                (2.0f * (static_cast<float>(x) + 0.5f) / kPanelWidth - 1.0f) * tanHalf * aspect;
            float ny = (1.0f - 2.0f * (static_cast<float>(y) + 0.5f) / kPanelHeight) * tanHalf;
            sheet.Set(left + x, top + y, EnvironmentColor(Vec3Normalize({nx, ny, 1.0f})));
        }
    std::vector<Matrix4> skin(character.bones.size());
    for (size_t b = 0; b < skin.size(); ++b) {
        Matrix4 inverseBind;
        MatrixInverse(character.bones[b].bindAbsolute, &inverseBind);
        // Bones a clip does not hold stay in the bind pose, as in the player
        // when no other clip has moved them.
        skin[b] =
            view.pose && b < view.pose->size() ? inverseBind * (*view.pose)[b] : MatrixIdentity();
    }
    // The turn about the vertical line through the target.
    const Matrix4 turn = MatrixTranslation(-layout.target.x, -layout.target.y, 0) *
                         MatrixRotationZ(view.yawDegrees * kPi / 180.0f) *
                         MatrixTranslation(layout.target.x, layout.target.y, 0);
    std::vector<float> depth(static_cast<size_t>(kPanelWidth) * kPanelHeight,
                             std::numeric_limits<float>::max());
    const Vector3 light = Vec3Normalize({-0.4f, 0.7f, -0.6f});
    for (const SmdTriangle& t : character.triangles) {
        Vector3 v[3];
        float sx[3], sy[3];
        for (int k = 0; k < 3; ++k) {
            const SmdVertex& c = t.corners[k];
            v[k] = ModelToView(
                layout,
                Vec3TransformCoord(
                    Vec3TransformCoord(c.position, skin[static_cast<size_t>(c.bone)]), turn));
            sx[k] = (v[k].x / (v[k].z * tanHalf * aspect) + 1.0f) * 0.5f * kPanelWidth;
            sy[k] = (1.0f - v[k].y / (v[k].z * tanHalf)) * 0.5f * kPanelHeight;
        }
        // Model → view is a proper rotation, so the numeric cross product of
        // a counter-clockwise triangle still points out of the surface.
        Vector3 n = Vec3Normalize(Vec3Cross(v[1] - v[0], v[2] - v[0]));
        bool backFace = Vec3Dot(n, v[0]) > 0.0f;
        const Rgb& base = character.materials[static_cast<size_t>(t.material)].color;
        float shade = 0.35f + 0.65f * std::max(0.0f, Vec3Dot(n, light));
        Rgb color = backFace ? Rgb{1, 0, 1} : Rgb{base.r * shade, base.g * shade, base.b * shade};
        int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
        int x1 =
            std::min(kPanelWidth - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
        int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
        int y1 = std::min(kPanelHeight - 1,
                          static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
        float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::fabs(area) < 1e-6f) continue;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                float w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                float w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                float w2 = 1.0f - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                float z = w0 * v[0].z + w1 * v[1].z + w2 * v[2].z;
                float& stored = depth[static_cast<size_t>(y) * kPanelWidth + x];
                if (z >= stored) continue;
                stored = z;
                sheet.Set(left + x, top + y, color);
            }
    }
}

}  // namespace

SheetLayout PudoSheetLayout() { return SheetLayout{}; }

SheetLayout FramedSheetLayout(const Character& character, const int shownFrames[3],
                              const float shownYaws[3]) {
    Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const SmdTriangle& t : character.triangles)
        for (const SmdVertex& v : t.corners) {
            low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
                   std::min(low.z, v.position.z)};
            high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                    std::max(high.z, v.position.z)};
        }
    SheetLayout layout;
    layout.target = (low + high) * 0.5f;
    // Far enough that the bounding sphere fits the panel's height.
    const float radius = Vec3Length(high - low) * 0.5f;
    layout.distance = radius / std::sin(kPi / 8.0f);
    for (int c = 0; c < 3; ++c) {
        layout.shownFrames[c] = shownFrames[c];
        layout.shownYaws[c] = shownYaws[c];
    }
    return layout;
}

Image8 RenderCharacterSheet(const Character& character, const std::vector<Clip>& clips,
                            const SheetLayout& layout) {
    Image8 sheet;
    sheet.Resize(kPanelWidth * 3, kPanelHeight * 2);
    // One keyframe per clip, each from the angle that shows it best.
    const int* shownFrames = layout.shownFrames;
    const float* shownYaw = layout.shownYaws;
    std::vector<std::vector<Matrix4>> poses;
    std::vector<float> yaws;
    for (size_t c = 0; c < clips.size() && c < 3; ++c)
        if (static_cast<size_t>(shownFrames[c]) < clips[c].locals.size()) {
            poses.push_back(AbsoluteFromLocals(
                character, clips[c].locals[static_cast<size_t>(shownFrames[c])]));
            yaws.push_back(shownYaw[c]);
        }
    std::vector<View> views = {{0.0f, nullptr}, {90.0f, nullptr}, {150.0f, nullptr}};
    for (size_t p = 0; p < poses.size(); ++p) views.push_back({yaws[p], &poses[p]});
    for (size_t i = 0; i < views.size() && i < 6; ++i)
        RenderPanel(sheet, static_cast<int>(i % 3) * kPanelWidth,
                    static_cast<int>(i / 3) * kPanelHeight, character, layout, views[i]);
    return sheet;
}

Image8 RenderCubeCross(const CubeMap& cube, int level) {
    const int n = cube.faces[0][static_cast<size_t>(level)].size;
    const int places[6][2] = {{2, 1}, {0, 1}, {1, 0},
                              {1, 2}, {1, 1}, {3, 1}};  // column, row per face
    Image8 cross;
    cross.Resize(4 * n, 3 * n);
    for (int face = 0; face < 6; ++face) {
        const CubeLevel& l = cube.faces[face][static_cast<size_t>(level)];
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const uint8_t* p = &l.bgra[(static_cast<size_t>(y) * n + x) * 4];
                uint8_t* q =
                    &cross.rgb[((static_cast<size_t>(places[face][1] * n + y)) * cross.width +
                                static_cast<size_t>(places[face][0] * n + x)) *
                               3];
                q[0] = p[2];
                q[1] = p[1];
                q[2] = p[0];
            }
    }
    return cross;
}

std::vector<uint8_t> EncodePpm(const Image8& image) {
    std::string header =
        "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), image.rgb.begin(), image.rgb.end());
    return out;
}

}  // namespace assetgen
