// The fixed list of system components that the run re-registers, in walk order.
#pragma once

#include <vector>

namespace tovrin {

struct ComponentEntry {
    const char* fileName;     // bare file name, cased as the system ships it
    const char* description;  // null when the entry has none
};

struct ComponentGroup {
    const char* header;
    std::vector<ComponentEntry> entries;
};

using ComponentCatalogue = std::vector<ComponentGroup>;

const ComponentCatalogue& componentCatalogue();

}  // namespace tovrin
