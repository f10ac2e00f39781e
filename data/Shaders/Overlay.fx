// The viewer's overlay: lines and points in one colour each (the skeleton,
// vertex normals, the bounding box), given in world space.
//
// Matrices are row-vector matrices: mul(p, M) transforms the point p by M.

float4x4 matViewProjection;  // view × projection

struct OverlayVertex
{
    float3 position : POSITION;
    float4 colour : COLOR0;
};

struct OverlayFragment
{
    float4 position : POSITION;
    float4 colour : COLOR0;
};

OverlayFragment OverlayVS(OverlayVertex input)
{
    OverlayFragment output;
    output.position = mul(float4(input.position, 1.0), matViewProjection);
    output.colour = input.colour;
    return output;
}

float4 OverlayPS(float4 colour : COLOR0) : COLOR0
{
    return colour;
}

technique TOverlay
{
    pass P0
    {
        VertexShader = compile vs_3_0 OverlayVS();
        PixelShader = compile ps_3_0 OverlayPS();
        FillMode = Solid;
        CullMode = None;
    }
}
