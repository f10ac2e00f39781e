// The model simply lit: pass 0 with its material's own texture (when
// fTextured is 1; a material without one is grey), pass 1 in one grey.
// One light from vLightDirection, a quarter of it as ambient light.
//
// Matrices are row-vector matrices: mul(p, M) transforms the point p by M.

float4x4 matWorldViewProjection;  // world × view × projection
float4x4 matWorld;                // world: rotations and uniform scales only
float4 vLightDirection;           // towards the light, world space, w = 0
float fTextured;                  // 1 samples DiffuseMap, 0 draws grey

Texture2D DiffuseMap;
SamplerState DiffuseSampler;

static const float3 kGrey = float3(0.7, 0.7, 0.7);

float Lighting(float3 normal)
{
    float3 n = normalize(mul(float4(normal, 0.0), matWorld).xyz);
    // Both sides lit alike: a face seen from behind (culling off) is not black.
    return 0.25 + 0.75 * abs(dot(n, normalize(vLightDirection.xyz)));
}

struct TexturedVertex
{
    float3 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
};

struct TexturedFragment
{
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float light : TEXCOORD1;
};

TexturedFragment TexturedVS(TexturedVertex input)
{
    TexturedFragment output;
    output.position = mul(float4(input.position, 1.0), matWorldViewProjection);
    output.uv = input.uv;
    output.light = Lighting(input.normal);
    return output;
}

float4 TexturedPS(float2 uv : TEXCOORD0, float light : TEXCOORD1) : COLOR0
{
    float3 texel = DiffuseMap.Sample(DiffuseSampler, uv).rgb;
    return float4(lerp(kGrey, texel, fTextured) * light, 1.0);
}

struct PlainVertex
{
    float3 position : POSITION;
    float3 normal : NORMAL;
};

struct PlainFragment
{
    float4 position : POSITION;
    float light : TEXCOORD0;
};

PlainFragment PlainVS(PlainVertex input)
{
    PlainFragment output;
    output.position = mul(float4(input.position, 1.0), matWorldViewProjection);
    output.light = Lighting(input.normal);
    return output;
}

float4 PlainPS(float light : TEXCOORD0) : COLOR0
{
    return float4(kGrey * light, 1.0);
}

technique TLit
{
    pass P0
    {
        VertexShader = compile vs_3_0 TexturedVS();
        PixelShader = compile ps_3_0 TexturedPS();
    }
    pass P1
    {
        VertexShader = compile vs_3_0 PlainVS();
        PixelShader = compile ps_3_0 PlainPS();
    }
}
