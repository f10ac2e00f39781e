#include "render/renderer.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kFieldOfViewY = kPi / 4.0f;
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 5000.0f;

// Windowed, discard swap, 24-bit depth with 8-bit stencil, no vertical-retrace wait.
gfx::PresentParameters MakePresentParameters(int32_t width, int32_t height) {
    gfx::PresentParameters parameters{};
    parameters.backBufferWidth = static_cast<uint32_t>(width);
    parameters.backBufferHeight = static_cast<uint32_t>(height);
    parameters.backBufferFormat = gfx::D3DFMT_UNKNOWN;
    parameters.backBufferCount = 0;
    parameters.multiSampleType = gfx::D3DMULTISAMPLE_NONE;
    parameters.multiSampleQuality = 0;
    parameters.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    parameters.deviceWindow = nullptr;  // the focus window is used
    parameters.windowed = 1;
    parameters.enableAutoDepthStencil = 1;
    parameters.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
    parameters.flags = 0;
    parameters.fullScreenRefreshRateInHz = 0;
    parameters.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

}  // namespace

gfx::HRESULT Renderer::InitDevice(gfx::Direct3DFactory createDirect3D, HWND window, int32_t width,
                                  int32_t height, int32_t fontHeightPixels) {
    viewportWidth = width;
    viewportHeight = height;
    fontHeight = fontHeightPixels;

    direct3D = createDirect3D ? createDirect3D(gfx::D3D_SDK_VERSION) : nullptr;
    if (!direct3D) return gfx::E_FAIL;

    gfx::PresentParameters parameters = MakePresentParameters(width, height);

    // A failed query leaves the caps zeroed, which asks for software vertex processing.
    gfx::Caps caps{};
    direct3D->GetDeviceCaps(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, &caps);
    uint32_t behaviorFlags = (caps.devCaps & gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT)
                                 ? gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING
                                 : gfx::D3DCREATE_SOFTWARE_VERTEXPROCESSING;

    if (gfx::Failed(direct3D->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, window,
                                           behaviorFlags, &parameters, &device)))
        return gfx::E_FAIL;

    // No HUD font is made for a height of 0 (a picture without the HUD).
    if (fontHeight > 0 && gfx::Failed(gfx::D3DXCreateFontA(
                              device, fontHeight, 0, gfx::FW_BOLD, 1, 0, gfx::DEFAULT_CHARSET,
                              gfx::OUT_DEFAULT_PRECIS, gfx::DEFAULT_QUALITY,
                              gfx::DEFAULT_PITCH | gfx::FF_DONTCARE, "Arial", &font)))
        return gfx::E_FAIL;

    InitSceneState();
    return gfx::S_OK;
}

void Renderer::InitSceneState() {
    objectTransform.position = Vector3(0.0f, 0.0f, 100.0f);
    objectTransform.pitch = -kPi / 2.0f;
    objectTransform.yaw = kPi;
    objectTransform.roll = 0.0f;
    objectTransform.scale = Vector3(1.0f, 1.0f, 1.0f);

    camera.SetPosition(Vector3(0.0f, 100.0f, -200.0f));

    world = objectTransform.BuildWorldMatrix();
    camera.BuildViewMatrix(view);
    float aspect = static_cast<float>(viewportWidth) / static_cast<float>(viewportHeight);
    projection = MatrixPerspectiveFovLH(kFieldOfViewY, aspect, kNearPlane, kFarPlane);

    gfx::Viewport viewport;
    viewport.x = 0;
    viewport.y = 0;
    viewport.width = static_cast<uint32_t>(viewportWidth);
    viewport.height = static_cast<uint32_t>(viewportHeight);
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    device->SetViewport(&viewport);

    device->SetRenderState(gfx::D3DRS_SPECULARENABLE, 1);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);

    device->SetSamplerState(0, gfx::D3DSAMP_MAGFILTER, gfx::D3DTEXF_LINEAR);
    device->SetSamplerState(0, gfx::D3DSAMP_MINFILTER, gfx::D3DTEXF_LINEAR);
    device->SetSamplerState(1, gfx::D3DSAMP_MAGFILTER, gfx::D3DTEXF_LINEAR);
    device->SetSamplerState(1, gfx::D3DSAMP_MINFILTER, gfx::D3DTEXF_LINEAR);
    device->SetSamplerState(0, gfx::D3DSAMP_MIPFILTER, gfx::D3DTEXF_LINEAR);
    device->SetSamplerState(1, gfx::D3DSAMP_MIPFILTER, gfx::D3DTEXF_LINEAR);
}

bool Renderer::ResizeBackBuffer(int32_t width, int32_t height) {
    if (!device || width <= 0 || height <= 0 ||
        gfx::Failed(
            device->ResizeBackBuffer(static_cast<uint32_t>(width), static_cast<uint32_t>(height))))
        return false;
    viewportWidth = width;
    viewportHeight = height;
    float aspect = static_cast<float>(width) / static_cast<float>(height);
    projection = MatrixPerspectiveFovLH(kFieldOfViewY, aspect, kNearPlane, kFarPlane);
    gfx::Viewport viewport;
    viewport.width = static_cast<uint32_t>(width);
    viewport.height = static_cast<uint32_t>(height);
    device->SetViewport(&viewport);
    return true;
}

void Renderer::UpdateViewMatrix() { camera.BuildViewMatrix(view); }

void Renderer::SetTextColor(float r, float g, float b, float a) {
    textColor = ColorRGBA{r, g, b, a};
}

void Renderer::ReleaseDevice() {
    // Each object before the one that created it.
    gfx::SafeRelease(font);
    gfx::SafeRelease(device);
    gfx::SafeRelease(direct3D);
}
