// Building a character's skeleton bone by bone: parents named rather than
// numbered, limb bones aimed along their limb.
#pragma once

#include <string>

#include "assetgen/character.h"

namespace assetgen {

// A bone at joint whose x axis points from the joint towards target, as
// exporters orient limb bones (y horizontal unless the limb is nearly
// vertical); a bone without a target keeps the model axes.
Matrix4 AimedBone(const Vector3& joint, const Vector3* target);

// Appends bones to a character; parents must already exist.
struct SkeletonBuilder {
    Character* character = nullptr;

    int Bone(const std::string& name, const std::string& parent, const Vector3& joint) const;
    int Aimed(const std::string& name, const std::string& parent, const Vector3& joint,
              const Vector3& target) const;
};

}  // namespace assetgen
