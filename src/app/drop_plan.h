// What one drop of files onto the window asks for, before anything is
// loaded: each file placed by its kind (file_kinds.h), in the drop's order.
#pragma once

#include <string>
#include <vector>

struct DropPlan {
    std::string reference;           // replaces the model; empty: none
    std::vector<std::string> clips;  // with reference its clips, else added
    std::string cubeMap;             // empty: none
    std::string effect;              // empty: none
    struct Refusal {
        std::string path;
        std::string why;
    };
    // Files the drop cannot use: of no kind the program reads, or a second
    // reference, cube map or effect in one drop (the first one counts).
    std::vector<Refusal> refused;
};

// Reads the .smd files to tell references from clips.
DropPlan PlanDrop(const std::vector<std::string>& paths);
