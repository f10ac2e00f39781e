// The OpenGL device: applies the front's state to GL at draw time, through a
// shadow copy of what GL holds (the front has merged runs of draws already).
// It draws into a framebuffer object of its own, the back buffer, which
// PresentFrame copies or stretches over the window's drawable (gl_present.cpp)
// and swaps. It is its own services to effects and fonts (gl_services.cpp for
// effects, gl_overlay_text.cpp for the text overlay).
#pragma once

#include "platform/gfx/core/device_front.h"
#include "platform/gfx/gl/gl_internal.h"

class NativeWindow;

namespace gfx::gl {

// The context a device draws with, made by the Direct3D object (gl_context.cpp).
struct GlContext {
    NativeWindow* window = nullptr;
    void* context = nullptr;
    bool debug = false;  // GL's debug output counts and logs errors
    bool hasS3tc = false;
    int32_t maxTextureSize = 0;
};

// The raster and depth state as GL sees it.
struct GlRasterState {
    GLenum polygonMode = GL_FILL;
    bool cull = true;
    GLenum cullFace = GL_BACK;
    bool depthTest = true;
    bool depthWrite = true;
    bool blend = false;
    GLenum sourceBlend = GL_SRC_ALPHA;
    GLenum destinationBlend = GL_ONE_MINUS_SRC_ALPHA;
    bool overlayBlend = false;  // the overlay's blend function, not the device's
    bool scissor = false;
    GLint scissorBox[4] = {0, 0, 0, 0};  // x, y from the bottom, width, height
    GLint viewport[4] = {0, 0, 0, 0};
    float depthRange[2] = {0.0f, 1.0f};

    bool operator==(const GlRasterState&) const = default;
};

class GlDevice final : public DeviceFront, public DeviceServices {
public:
    // alpha: the back buffer keeps an alpha channel (A8R8G8B8), not X8R8G8B8.
    GlDevice(const GlContext& context, uint32_t width, uint32_t height, bool depth, bool alpha,
             bool merge, const EffectAndFontMakers& makers);
    DeviceServices& Services() override { return *this; }

    // The services (device_services.h).
    uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource,
                          std::string* log) override;
    void DeleteProgram(uint32_t program) override;
    uint32_t CreateUniformBuffer(const void* data, size_t size) override;
    void WriteUniformBuffer(uint32_t buffer, size_t offset, size_t size, const void* data) override;
    void DeleteUniformBuffer(uint32_t buffer) override;
    void UseProgram(uint32_t program) override;
    void BindUniformBuffer(uint32_t binding, uint32_t buffer) override;
    void BindTexture(uint32_t unit, BaseTexture* texture) override;
    void FlushPendingDraws() override;
    void HoldOverlay(PendingOverlay* overlay) override;
    void DropOverlay(PendingOverlay* overlay) override;
    uint32_t CreateAtlas(int width, int height, std::string* error) override;
    void WriteAtlasRows(uint32_t atlas, int width, int top, int bottom,
                        const uint8_t* rows) override;
    void DeleteAtlas(uint32_t atlas) override;
    void DrawOverlay(uint32_t atlas, const OverlayVertex* vertices, size_t count,
                     const Viewport& viewport) override;

    // For the objects of the backend, and tests.
    void MakeCurrent() const;
    // Binds the back buffer for drawing and reading (the device keeps it
    // bound): the window's own framebuffer or the device's (gl_present.cpp).
    void BindBackBuffer() const { glBindFramebuffer(GL_FRAMEBUFFER, drawn_); }
    // Whether the frames are drawn straight into the window (for tests).
    bool DrawsIntoWindow() const { return drawn_ == 0; }
    void InvalidateState() { appliedValid_ = false; }
    // How vertex buffers reach GL (RR_GL_BUFFER_UPLOAD).
    BufferUpload Upload() const { return upload_; }
    // A vertex buffer's draws read from another offset (a ring's next segment).
    void BufferMoved() { inputDirty_ = true; }
    void SetMerging(bool enabled);
    uint64_t DrawCalls() const { return drawCalls_; }
    uint32_t GlErrors() const { return glErrors_; }
    const GlContext& Context() const { return context_; }

protected:
    ~GlDevice() override;

    HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) override;
    HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) override;
    HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                  std::vector<rules::ElementLayout> layout,
                                  VertexDeclaration** declaration) override;
    HRESULT MakeTexture(const TextureFile& file, Texture** texture) override;
    HRESULT MakeCubeTexture(const TextureFile& file, CubeTexture** texture) override;
    HRESULT MakeMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, Format format,
                              Texture** texture) override;
    HRESULT ReadBackBuffer(std::vector<uint8_t>* rgba) override;
    void BeforeChange() override { FlushPendingDraws(); }
    void SamplerChanged(uint32_t sampler) override;
    void InputChanged() override { inputDirty_ = true; }
    void ClearTargets(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                      uint32_t stencil) override;
    void SceneEnded() override { FlushPendingDraws(); }
    void PresentFrame() override;
    void WaitForRefresh(bool wait) override;
    void BackBufferResized() override;
    void DrawVertices(PrimitiveType type, uint32_t startVertex, uint32_t vertexCount) override;
    void DrawIndexed(PrimitiveType type, int32_t baseVertexIndex, uint32_t startIndex,
                     uint32_t indexCount) override;

private:
    static void GLAPIENTRY OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                          GLsizei length, const GLchar* message, const void* user);
    // Brings GL up to the front's state before a draw.
    void ApplyState();
    void ApplySampler(uint32_t index);
    // GL's scissor test and box as `want` has them (known: GL holds applied_).
    void ApplyScissor(const GlRasterState& want, bool known);
    GlRasterState WantedRaster() const;
    void IssueDraw(GLenum mode, uint32_t first, uint32_t count);
    // Draws the overlay held back (HoldOverlay), if any.
    void SendOverlay();
    // Overlay drawing through the device's cache: BeginOverlay sets solid
    // fill, no culling, no depth test or write, coverage blending and the
    // device's viewport, and binds program and vertex array; EndOverlay binds
    // the device's program again and counts the one draw made between them.
    void BeginOverlay(GLuint program, GLuint vertexArray);
    void EndOverlay();
    // The text overlay's program, vertex array and ring, made with the first
    // atlas, deleted with the device (gl_overlay_text.cpp).
    bool PrepareOverlay(std::string* error);
    void ReleaseOverlay();
    void CreateRing(GLsizeiptr segmentVertices);
    // The back buffer: an RGBA8 colour texture and a depth24/stencil8
    // renderbuffer of the back-buffer size, bound as the draw and read
    // framebuffer.
    void CreateBackBuffer();
    void DeleteBackBuffer();
    // Whether the window's framebuffer holds what the back buffer holds:
    // 8-bit red, green and blue, alpha as the back buffer's format has it,
    // depth 24 and stencil 8.
    bool WindowMatchesBackBuffer(bool alpha) const;
    // Where the next frame is drawn: into the window when it matches the
    // back buffer in format and size, else into the device's framebuffer.
    void ChooseDrawTarget();
    // Copies the back buffer onto the window's default framebuffer,
    // stretched over its whole drawable (gl_present.cpp).
    void CopyToWindow();
    // Draws the back buffer texel for pixel over a window of its size.
    bool DrawToWindow(int width, int height);
    void ReleasePresent();
    void DeleteRing();
    void ReserveVertices(GLsizeiptr count);

    GlContext context_;
    struct BackBuffer {
        GLuint framebuffer = 0;
        GLuint color = 0;
        GLuint depthStencil = 0;
    } backBuffer_;
    GLuint drawn_ = 0;            // the framebuffer the frames are drawn into (0: the window)
    bool windowMatches_ = false;  // WindowMatchesBackBuffer, asked once
    int windowWidth_ = 0;         // the window's drawable at the last present
    int windowHeight_ = 0;
    struct PresentCopy {
        GLuint program = 0;
        GLuint vao = 0;
        GLint unit = 0;
        bool failed = false;  // no program: presents blit
    } present_;
    uint32_t glErrors_ = 0;

    // What GL holds now; appliedValid_ false means "unknown, apply all".
    bool appliedValid_ = false;
    bool inputDirty_ = true;
    GlRasterState applied_;
    GLuint appliedElementBuffer_ = 0;
    GLuint vao_ = 0;
    bool vaoBound_ = false;
    GLuint program_ = 0;                 // the program of the device's draws (UseProgram)
    PendingOverlay* overlay_ = nullptr;  // held back until the next flush
    GLuint samplerNames_[rules::kSamplerCount] = {};

    uint64_t drawCalls_ = 0;
    BufferUpload upload_ = BufferUpload::Ring;
    bool reportFirstPresent_ = false;  // RR_REPORT_FIRST_PRESENT=1 (gl_backend.h)

    static constexpr int kRingSegments = 4;
    struct OverlayText {
        GLuint program = 0;
        GLuint vao = 0;
        GLint unit = 15;
        GLuint buffer = 0;
        OverlayVertex* mapped = nullptr;
        GLsizeiptr segmentVertices = 0;
        GLsizeiptr cursor = 0;  // next free vertex of the ring
        GLsync fences[kRingSegments] = {};
    } text_;
};

// GL errors reported on all devices since the process started.
uint32_t TotalGlErrors();

}  // namespace gfx::gl
