#include "app/program_scene.h"

#include "app/data_paths.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"

SceneDescription DescribeScene(const ProgramOptions& options, const std::string& baseFolder) {
    SceneDescription description;
    description.baseFolder = baseFolder;
    description.referencePath = options.model.empty() ? kReferencePath : options.model;
    if (options.animations.empty() && options.model.empty())
        description.clipPaths.assign(std::begin(kAnimationPaths), std::end(kAnimationPaths));
    else
        description.clipPaths = options.animations;
    description.cubeMapPath = options.cubemap.empty() ? kEnvironmentMapPath : options.cubemap;
    description.effectPath = options.effect.empty() ? kEffectPath : options.effect;
    // Watch mode shows no box: the compiler's text goes to stderr and its
    // first error to the HUD, until a good compile.
    description.effectFailureBox = !options.watch;
    description.clip = options.clip;
    return description;
}
