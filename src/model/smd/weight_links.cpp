#include "model/smd/weight_links.h"

namespace smd {
namespace {

// Weights written with six decimals (as exporters write them) add up to 1
// give or take a few millionths: 0.333333 three times is 1, not 0.999999
// and a link of 0.000001 to the first field's bone.
constexpr double kWeightRounding = 1e-4;

}  // namespace

void AppendFinalLinks(const LinkFields& fields, int firstBone, std::vector<WeightLink>* out) {
    if (fields.count <= 0) return;
    // Sums in double: the rest of 1 and the division are rounded to float once.
    int bones[kMaxLineLinks + 1];
    double weights[kMaxLineLinks + 1];
    int count = 0;
    double sum = 0.0;
    auto add = [&](int bone, double weight) {
        for (int i = 0; i < count; ++i) {
            if (bones[i] == bone) {
                weights[i] += weight;
                return;
            }
        }
        bones[count] = bone;
        weights[count++] = weight;
    };
    for (int k = 0; k < fields.count; ++k) {
        if (fields.weights[k] == 0.0f) continue;
        add(fields.slots[k], fields.weights[k]);
        sum += fields.weights[k];
    }
    if (sum < 1.0 - kWeightRounding) {
        add(firstBone, 1.0 - sum);
    } else if (sum != 1.0) {
        for (int i = 0; i < count; ++i) weights[i] /= sum;
    }
    for (int i = 0; i < count; ++i) out->push_back({bones[i], float(weights[i])});
}

}  // namespace smd
