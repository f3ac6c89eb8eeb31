#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace txlplay {

// The world as the game holds it, read without the plug-in's help.
struct ItemView {
    std::string id;
    std::string itemClass;
    bool hasRecord = false;  // a "ThalassovexLimiter.CounterV1" entry with three floats
    float maximum = 0;
    float used = 0;
};

struct ProcessorView {
    bool tamed = false;
    double successRateCap = 0;
    double numberMaxCrafts = 0;
    double skill = 0;
    float stored[3] = {0, 0, 0};  // current, max, replicated max of the success status
    float read[2] = {0, 0};       // current and max, through the game's hooked reads
};

struct ActorView {
    int id = 0;
    std::vector<ItemView> blueprints;  // engrams left out
    std::optional<ProcessorView> processor;
};

using WorldView = std::map<int, ActorView>;

// What each root blueprint still allows, kept from the commands alone, and the rules the plug-in
// must keep. Feed it every line with the world before and after; it says which rule broke.
class PlayModel {
  public:
    PlayModel();

    void Before(const std::string& line, const WorldView& world);
    // `finished`: the blueprints (ids) that finished a craft while the line ran. Empty when
    // every rule holds.
    std::string After(bool ok, const std::string& reply, const std::vector<std::string>& finished,
                      const WorldView& world);
    // Whether every processor was just enforced, so that CheckProcessors applies.
    bool EnforcedNow() const { return enforced_; }
    // Empty when every processor keeps the caps in force.
    std::string CheckProcessors(const WorldView& world) const;

  private:
    struct Settings {
        bool enabled = true;
        int maxCrafts = 50;
        double chancePercent = 50;
    };
    struct Link {
        int container;
        std::string source;
    };
    // Per root blueprint: the crafts the model holds against it.
    struct Tally {
        int counted = 0;  // crafts that the class limit bounds
        int afterRecord = 0;
        bool recordSeen = false;
        float firstUsed = 0;
        float lastUsed = 0;
        float maximum = 0;
    };

    std::optional<std::string> RootOf(const std::string& id) const;
    void CountCraft(const std::string& id);
    std::string CheckRoots(const WorldView& world);
    std::string CheckRestart(const WorldView& world) const;
    bool Enforces(bool ok, const std::string& reply) const;
    static Settings ParseSettings(const std::string& json);

    std::string line_;
    WorldView before_;
    Settings settings_;
    std::string configFile_ = "{}";
    std::map<std::string, std::string> classes_;  // item id -> class
    std::map<std::string, Link> links_;           // shared copy -> where its source sits
    std::map<std::string, Tally> tallies_;
    std::map<std::string, int> priorUse_;  // crafts a root had used before play began
    std::set<int> destroyed_;
    bool enforced_ = false;
    std::string orphanCraft_;  // a copy that finished a craft with no source to count against
};

}  // namespace txlplay
