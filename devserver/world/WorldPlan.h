#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "ReflectedProperty.h"
#include "emugame/Game.h"

namespace txl::devserver {

// One custom item data entry; objects are actor ids (0 for a reference to nothing).
struct PlannedCustomData {
    std::string name;
    std::vector<float> floats;
    std::vector<double> doubles;
    std::vector<std::string> strings;
    std::vector<int> objects;
    std::vector<std::string> names;
};

// An item as the game keeps it, beyond what a new item gets.
struct PlannedItem {
    emu::ItemSpec spec;
    bool hideCustomDescription = false;
    bool forceAllowCustomItemDescription = false;
    uint16 craftQueue = 0;
    std::int64_t craftingMs = 0;
    uint32 craftsSucceeded = 0;
    uint32 craftsFailed = 0;
    std::vector<PlannedCustomData> customData;
};

// One status's three values.
struct PlannedStatusValues {
    std::optional<float> current, max, replicatedMax;
};

// The actors of a world, checked against the game's classes and ready to be spawned.
struct PlannedActor {
    int id = 0;  // the administrators' number for it
    emu::Class* cls = nullptr;
    bool container = false;
    int32 team = 0;
    std::vector<std::pair<ReflectedProperty, double>> properties;
    std::map<int, PlannedStatusValues> status;  // by status number; 11 is the success status
    std::optional<int32> levelUpPoints;
    std::map<int, int32> levels;  // level-ups applied, by status number
    std::vector<PlannedItem> items;
    bool beginPlay = true;
};

// A shared copy of `item`, held by actor `container`, put into actor `actor`.
struct PlannedShare {
    int actor = 0;
    int container = 0;
    FItemNetID item;
    std::optional<FItemNetID> copyId;  // a fresh id when absent
};

struct WorldPlan {
    std::vector<PlannedActor> actors;  // ids ascending
    std::vector<PlannedShare> shares;
    std::int64_t timeMs = 0;
    std::optional<std::uint64_t> craftSeed;
    std::uint64_t craftRolls = 0;
    // The file's own class definitions and comment, written back as they came by `save`.
    nlohmann::ordered_json definitions = nlohmann::ordered_json::object();
};

}  // namespace txl::devserver
