// The viewer's camera controls: the orbit camera's mouse and the re-frame
// key (Home), for both camera modes.
#include "app/application.h"
#include "model/skinned_model.h"
#include "render/camera_framing.h"
#include "scene/model_bounds.h"
#include "scene/model_facing.h"

namespace {

int32_t PointX(LPARAM value) { return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(value))); }
int32_t PointY(LPARAM value) { return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(value))); }

// The notches of a WM_MOUSEWHEEL: the high word of wParam, signed, over
// WHEEL_DELTA (positive: away from the person).
float WheelNotches(WPARAM wParam) {
    auto delta = static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(wParam)));
    return static_cast<float>(delta) / static_cast<float>(WHEEL_DELTA);
}

}  // namespace

bool Application::ModelBox(Vector3* low, Vector3* high) const {
    if (!scene.model) return false;
    return ModelWorldBounds(*scene.model, settings.clipIndex,
                            FacedWorld(renderer.world, settings.view.facing), low, high);
}

void Application::Reframe() {
    Vector3 low, high;
    if (!ModelBox(&low, &high)) return;
    if (settings.view.orbit) {
        orbit.FrameBox(low, high, renderer.projection);
        orbit.Apply(&renderer.camera);
    } else {
        // The free camera's framing is made for its construction axes.
        Camera& camera = renderer.camera;
        camera.right = Vector3(1.0f, 0.0f, 0.0f);
        camera.up = Vector3(0.0f, 1.0f, 0.0f);
        camera.look = Vector3(0.0f, 0.0f, 1.0f);
        CameraFraming framing = FrameBox(low, high, renderer.projection);
        camera.SetPosition(framing.position);
        moveUnits = framing.moveUnits;
    }
    renderer.UpdateViewMatrix();
}

bool Application::OnOrbitMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int32_t x = PointX(lParam), y = PointY(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL: {
        // The free camera may have moved since the orbit last placed it (keys,
        // right drag, a new model): the orbit starts from where it is, around
        // the model's centre.
        const Camera& camera = renderer.camera;
        if (Vec3Length(camera.position - orbit.Eye()) > 1e-3f * orbit.distance) {
            Vector3 low, high;
            if (ModelBox(&low, &high)) {
                orbit.FrameBox(low, high, renderer.projection);  // the zoom range
                orbit.LookFrom(camera.position, (low + high) * 0.5f);
            } else {
                orbit.LookFrom(camera.position, camera.position + camera.look * orbit.distance);
            }
        }
        if (msg == WM_MOUSEWHEEL) {
            orbit.Zoom(WheelNotches(wParam));
            break;
        }
        (msg == WM_LBUTTONDOWN ? orbitDragging : panDragging) = true;
        lastMouseX = x;
        lastMouseY = y;
        return true;
    }
    case WM_LBUTTONUP: orbitDragging = false; return true;
    case WM_MBUTTONUP: panDragging = false; return true;
    case WM_MOUSEMOVE: {
        if (!orbitDragging && !panDragging) return false;  // the right drag's, if any
        const float dx = static_cast<float>(x - lastMouseX);
        const float dy = static_cast<float>(y - lastMouseY);
        if (orbitDragging) orbit.Orbit(dx, dy);
        if (panDragging) orbit.Pan(dx, dy);
        lastMouseX = x;
        lastMouseY = y;
        break;
    }
    default: return false;
    }
    orbit.Apply(&renderer.camera);
    renderer.UpdateViewMatrix();
    return true;
}
