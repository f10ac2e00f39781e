technique T { pass { VertexShader = compile vs_3_0 V(); PixelShader = compile ps_3_0 P(); } }
technique T { pass { VertexShader = compile vs_3_0 V(); PixelShader = compile ps_3_0 P(); } }
