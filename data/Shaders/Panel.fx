// The viewer panel: screen-space triangles coloured by their vertices and
// multiplied by the panel's texture (the font atlas, whose white texel
// leaves the plain shapes their colour). The program sets the blend, depth,
// cull and scissor states around the draw, so the pass sets none.
//
// matProjection maps panel pixels (y down) to clip space, as a row-vector
// matrix: mul(p, M) transforms the point p by M.

float4x4 matProjection;

Texture2D PanelTexture;
SamplerState PanelSampler;

struct PanelVertex
{
    float2 position : POSITION;
    float4 colour : COLOR0;
    float2 uv : TEXCOORD0;
};

struct PanelFragment
{
    float4 position : POSITION;
    float4 colour : COLOR0;
    float2 uv : TEXCOORD0;
};

PanelFragment PanelVS(PanelVertex input)
{
    PanelFragment output;
    output.position = mul(float4(input.position, 0.0, 1.0), matProjection);
    output.colour = input.colour;
    output.uv = input.uv;
    return output;
}

float4 PanelPS(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    return colour * PanelTexture.Sample(PanelSampler, uv);
}

technique TPanel
{
    pass P0
    {
        VertexShader = compile vs_3_0 PanelVS();
        PixelShader = compile ps_3_0 PanelPS();
    }
}
