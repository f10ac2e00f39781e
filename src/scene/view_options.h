// How the viewer panel draws the scene. The defaults draw exactly what the
// program draws without the panel: the effect's reflection, back faces
// culled, the environment behind, the HUD, nothing else over the model.
#pragma once

#include <cstdint>

enum class Shading {
    Effect,    // the scene's effect (reflect or refract by reflectionFactor)
    Textured,  // the model's own material textures, simply lit (built-in effect)
    PlainLit,  // one grey, simply lit (built-in effect)
};

enum class Background { Environment, FlatColour };

// Which way the model file's front faces; the model is turned so that it
// faces the camera's default view as the program's own character does.
enum class ModelFacing { AsLoaded, FrontPlusY, ZUp };

struct ViewOptions {
    Shading shading = Shading::Effect;
    bool cullBackFaces = true;
    bool skeleton = false;     // bones parent to child, joints as points, over the model
    bool normals = false;      // vertex normals as lines
    float normalLength = 1.0f; // in model units
    bool boundingBox = false;
    Background background = Background::Environment;
    uint32_t flatColour = 0xFF303840u;  // ARGB
    bool hud = true;
    ModelFacing facing = ModelFacing::AsLoaded;
    // Added for the panel's Camera section: the orbit camera around the
    // model's bounding box centre instead of the free camera.
    bool orbit = false;
};
