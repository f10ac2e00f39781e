// The fixed relative paths of the model files (the effect's and the cube
// map's stand with the scene code that reads them). They are read from the
// data folder that start-up chose (data_folder.h).
#pragma once

inline constexpr char kReferencePath[] = "Model\\SMD\\Pudo_Red\\Ref_Red.smd";
inline constexpr const char* kAnimationPaths[] = {
    "Model\\SMD\\Pudo_Red\\Ani_Red(Attack).smd",  // clip 0, the one that plays
    "Model\\SMD\\Pudo_Red\\Ani_Red(Run).smd",
    "Model\\SMD\\Pudo_Red\\Ani_Red(Stun).smd",
};
