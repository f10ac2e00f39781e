float4 f; // technique in a comment
/* technique Hidden { pass { } } */
#define X \
  technique
technique First
{
    pass Sky { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); FillMode = Solid; CullMode = 3; }
    pass { vertexshader = compile vs_2_0 VS(); PIXELSHADER = compile ps_2_a PS(); ZEnable = false; ZWriteEnable = TRUE; }
}
technique Second < string note = "technique { pass }"; >
{
    pass Only < int x = 1; > { PixelShader = compile ps_3_0 PS(); VertexShader = compile vs_3_0 VS(); }
}
