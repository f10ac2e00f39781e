// A corner's weight links as the reference keeps them: the file's links
// made final.
#pragma once

#include <vector>

#include "model/smd/line_fields.h"
#include "model/smd/parsed_smd.h"

namespace smd {

// Appends the final links of a corner whose first field names firstBone
// (nothing for a line without links): links of weight 0 dropped, links to
// one bone merged into the first of them, then the rest of 1 given to
// firstBone when the weights add up to less (merged with its link if it
// has one), or every weight divided by the sum when they add up to more. A
// sum short of 1 by no more than the rounding of weights written with a
// few decimals (0.0001) counts as 1: the weights are divided by it.
void AppendFinalLinks(const LinkFields& fields, int firstBone, std::vector<WeightLink>* out);

}  // namespace smd
