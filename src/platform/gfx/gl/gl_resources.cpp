// Vertex and index buffers and vertex declarations of the OpenGL backend.
#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

// --- vertex and index buffers -------------------------------------------------

template <typename Base>
template <typename... Extra>
GlBuffer<Base>::GlBuffer(GlDevice& device, uint32_t length, Extra... extra)
    : Base(device, length, extra...) {
    device.MakeCurrent();
    glCreateBuffers(1, &name_);
    // Rewritten whole at every Unlock by the skinning: plain glBufferData
    // storage with a dynamic hint is the safe default.
    glNamedBufferData(name_, GLsizeiptr(length), this->Bytes().data(), GL_DYNAMIC_DRAW);
}

template <typename Base>
GlBuffer<Base>::~GlBuffer() {
    DeviceOf(*this).MakeCurrent();
    glDeleteBuffers(1, &name_);
}

// Draws already made read the old contents.
template <typename Base>
void GlBuffer<Base>::BeforeLock() {
    DeviceOf(*this).FlushPendingDraws();
}

template <typename Base>
void GlBuffer<Base>::Upload(size_t begin, size_t end) {
    GlDevice& device = DeviceOf(*this);
    device.FlushPendingDraws();
    device.MakeCurrent();
    glNamedBufferSubData(name_, GLintptr(begin), GLsizeiptr(end - begin), this->Bytes().data() + begin);
}

template class GlBuffer<VertexBufferObject>;
template class GlBuffer<IndexBufferObject>;

HRESULT GlDevice::MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) {
    *buffer = new GlVertexBuffer(*this, length);
    return S_OK;
}

HRESULT GlDevice::MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) {
    *buffer = new GlIndexBuffer(*this, length, format);
    return S_OK;
}

// --- vertex declarations ----------------------------------------------------------

namespace {

GlAttribute AttributeOf(const rules::ElementLayout& e) {
    GlAttribute a;
    a.stream = e.stream;
    a.offset = e.offset;
    switch (e.type) {
    case D3DDECLTYPE_D3DCOLOR:
        a.components = 4;
        a.type = GL_UNSIGNED_BYTE;
        a.normalized = GL_TRUE;
        a.bgra = true;
        break;
    case D3DDECLTYPE_UBYTE4:
        a.components = 4;
        a.type = GL_UNSIGNED_BYTE;
        break;
    default:  // FLOAT1..FLOAT4
        a.components = GLint(e.bytes / 4);
        a.type = GL_FLOAT;
        break;
    }
    switch (e.usage) {
    case D3DDECLUSAGE_POSITION: a.location = kPositionLocation; break;
    case D3DDECLUSAGE_NORMAL: a.location = kNormalLocation; break;
    case D3DDECLUSAGE_TEXCOORD: a.location = kTexCoordLocation; break;
    default: a.location = kColorLocation; break;  // D3DDECLUSAGE_COLOR
    }
    return a;
}

}  // namespace

GlVertexDeclaration::GlVertexDeclaration(GlDevice& device, std::vector<VertexElement> table,
                                         std::vector<rules::ElementLayout> layout)
    : DeclarationObject(device, std::move(table), std::move(layout)) {
    for (const rules::ElementLayout& element : Layout()) attributes_.push_back(AttributeOf(element));
}

HRESULT GlDevice::MakeVertexDeclaration(std::vector<VertexElement> table,
                                        std::vector<rules::ElementLayout> layout,
                                        VertexDeclaration** declaration) {
    *declaration = new GlVertexDeclaration(*this, std::move(table), std::move(layout));
    return S_OK;
}

}  // namespace gfx::gl
