// Reflection and refraction of a cube environment map.
//
// Pass 0 draws the environment box as a sky around the viewer: the box's
// corner positions are used as directions into the cube map, and only the
// camera's rotation and projection act on them, so the sky turns with the
// camera but never comes nearer.
// Pass 1 draws the model. fRef above 1 reflects the environment; fRef below 1
// refracts it with fRef as the ratio of refractive indices (0.5 for a dense
// glass). Both look the map up in world space, so the model shows the same
// sky that surrounds it.
//
// Matrices are row-vector matrices: mul(p, M) transforms the point p by M.

float4x4 matViewProjection;             // view × projection
float4x4 matWorldView;                  // world × view
float4x4 matWorldViewProjection;        // world × view × projection
float4x4 matWorldViewInverseTranspose;  // transpose of the inverse of world × view
float4 vViewPosition;                   // camera position in world space, w = 1
float fRef;                             // 2.0 reflects, 0.5 refracts

TextureCube EnvironmentMap;
SamplerState EnvironmentSampler;

// The view's axes in world space. The first two columns of view × projection
// are the view's right and up axes scaled by the projection; the look axis
// completes the left-handed basis. Only the camera's rotation is needed to
// bring a view-space direction back into world space.
float3 ViewToWorld(float3 direction)
{
    float3 right = normalize(float3(matViewProjection[0][0], matViewProjection[1][0],
                                    matViewProjection[2][0]));
    float3 up = normalize(float3(matViewProjection[0][1], matViewProjection[1][1],
                                 matViewProjection[2][1]));
    float3 look = cross(right, up);
    return direction.x * right + direction.y * up + direction.z * look;
}

// ---------------------------------------------------------------------------
// Pass 0: the sky box

struct SkyVertex
{
    float3 position : POSITION;
};

struct SkyFragment
{
    float4 position : POSITION;
    float3 direction : TEXCOORD0;
};

SkyFragment SkyVS(SkyVertex input)
{
    SkyFragment output;
    // w = 0: the camera's translation drops out, the box stays centred on
    // the eye however far the camera flies.
    float4 clip = mul(float4(input.position, 0.0), matViewProjection);
    // Pinned just inside the far end of the depth range, so the near and far
    // planes never cut the sky.
    clip.z = clip.w * 0.99999;
    output.position = clip;
    output.direction = input.position;
    return output;
}

float4 SkyPS(float3 direction : TEXCOORD0) : COLOR0
{
    return float4(EnvironmentMap.Sample(EnvironmentSampler, direction).rgb, 1.0);
}

// ---------------------------------------------------------------------------
// Pass 1: the reflecting or refracting model

struct ModelVertex
{
    float3 position : POSITION;
    float3 normal : NORMAL;
};

struct ModelFragment
{
    float4 position : POSITION;
    float3 eyeToPoint : TEXCOORD0;  // world space, from the camera to the surface
    float3 normal : TEXCOORD1;      // world space, not normalised
};

ModelFragment ModelVS(ModelVertex input)
{
    ModelFragment output;
    output.position = mul(float4(input.position, 1.0), matWorldViewProjection);
    // In view space the eye is the origin, so the view-space position is the
    // ray from the eye; both vectors are then turned back into world space.
    float3 viewPosition = mul(float4(input.position, 1.0), matWorldView).xyz;
    float3 viewNormal = mul(float4(input.normal, 0.0), matWorldViewInverseTranspose).xyz;
    output.eyeToPoint = ViewToWorld(viewPosition);
    output.normal = ViewToWorld(viewNormal);
    return output;
}

float4 ModelPS(float3 eyeToPoint : TEXCOORD0, float3 normal : TEXCOORD1) : COLOR0
{
    float3 incident = normalize(eyeToPoint);
    float3 n = normalize(normal);
    float facing = saturate(dot(-incident, n));
    // Schlick's approximation, a little stronger towards the silhouette.
    float fresnel = 0.04 + 0.96 * pow(1.0 - facing, 5.0);

    float3 reflected = EnvironmentMap.Sample(EnvironmentSampler, reflect(incident, n)).rgb;
    float3 color;
    if (fRef > 1.0)
    {
        // Polished metal: the environment, slightly cool, brighter at the rim.
        color = reflected * float3(0.92, 0.95, 1.0) + fresnel * 0.15;
    }
    else
    {
        // Glass: the refracted environment with a pale blue tint and a
        // reflected rim.
        float3 refracted =
            EnvironmentMap.Sample(EnvironmentSampler, refract(incident, n, fRef)).rgb;
        color = lerp(refracted * float3(0.85, 0.93, 1.0), reflected, fresnel);
    }
    return float4(saturate(color), 1.0);
}
float(float(float2
technique TShader
{
    pass P0
    {
        VertexShader = compile vs_3_0 SkyVS();
        PixelShader = compile ps_3_0 SkyPS();
        // The sky stays whole in wireframe mode: only the model shows its
        // lines, with the sky between them.
        FillMode = Solid;
    }
    pass P1
    {
        VertexShader = compile vs_3_0 ModelVS();
        PixelShader = compile ps_3_0 ModelPS();
    }
}
