// a parameter the program does not set keeps the file's value
float4x4 matViewProjection;
float4x4 matWorldView;
float4x4 matWorldViewProjection;
float4x4 matWorldViewInverseTranspose;
float4 vViewPosition;
float fRef;
texture EnvironmentMap;
samplerCUBE EnvSampler = sampler_state
{
    Texture = <EnvironmentMap>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
};
float fBias = 0.25;
float4 vTint = float4(0.9, 0.95, 1.0, 1.0);
float3 ViewToWorld(float3 d)
{
    float3 right = normalize(float3(matViewProjection[0][0], matViewProjection[1][0], matViewProjection[2][0]));
    float3 up = normalize(float3(matViewProjection[0][1], matViewProjection[1][1], mat));
    return d.x * right + d.y * up + d.z * cross(right, up);
}
struct SkyOut { float4 position : POSITION; float3 direction : TEXCOORD0; };
SkyOut SkyVS(float3 position : POSITION)
{
    SkyOut o;
    float4 clip = mul(float4(position, 0.0), matViewProjection);
    clip.z = clip.w * 0.99999;
    o.position = clip;
    o.direction = position;
    return o;
}
float4 SkyPS(float3 direction : TEXCOORD0) : COLOR0
{
    return float4(texCUBE(EnvSampler, direction).rgb, 1.0);
}
struct ModelOut { float4 position : POSITION; float3 eyeToPoint : TEXCOORD0; float3 normal : TEXCOORD1; };
ModelOut ModelVS(float3 position : POSITION, float3 normal : NORMAL)
{
    ModelOut o;
    o.position = mul(float4(position, 1.0), matWorldViewProjection);
    o.eyeToPoint = ViewToWorld(mul(float4(position, 1.0), matWorldView).xyz);
    o.normal = ViewToWorld(mul(float4(normal, 0.0), matWorldViewInverseTranspose).xyz);
    return o;
}
float4 ModelPS(float3 eyeToPoint : TEXCOORD0, float3 normal : TEXCOORD1) : COLOR0
{
    float3 incident = normalize(eyeToPoint);
    float3 n = normalize(normal);
    float3 reflected = texCUBE(EnvSampler, reflect(incident, n)).rgb;
    float3 refracted = texCUBE(EnvSampler, refract(incident, n, 0.66)).rgb;
    float3 color = reflected * vTint.rgb * (1.0 - fBias) + fBias * 0.5;
    return float4(saturate(color), 1.0);
}
technique TShader
{
    pass P0
    {
        VertexShader = compile vs_2_0 SkyVS();
        PixelShader = compile ps_2_0 SkyPS();
    }
    pass P1
    {
        VertexShader = compile vs_2_0 ModelVS();
        PixelShader = compile ps_2_0 ModelPS();
    }
}
