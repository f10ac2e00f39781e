#include "app/drop_plan.h"

#include "app/file_kinds.h"

DropPlan PlanDrop(const std::vector<std::string>& paths) {
    DropPlan plan;
    for (const std::string& path : paths) {
        FileKindResult kind = KindOfFile(path);
        auto once = [&](std::string* slot) {
            if (slot->empty())
                *slot = path;
            else
                plan.refused.push_back({path, std::string("one drop takes one file for ") +
                                                  KindName(kind.kind) + " (" + *slot +
                                                  " is used)"});
        };
        switch (kind.kind) {
        case FileKind::Reference: once(&plan.reference); break;
        case FileKind::Clip: plan.clips.push_back(path); break;
        case FileKind::CubeMap: once(&plan.cubeMap); break;
        case FileKind::Effect: once(&plan.effect); break;
        case FileKind::Unknown: plan.refused.push_back({path, kind.why}); break;
        }
    }
    return plan;
}
