#line 7 3
float4 VS(float3 p : POSITION) : POSITION { return float4(q, 1); }
float4 PS() : COLOR0 { return 1; }
technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
