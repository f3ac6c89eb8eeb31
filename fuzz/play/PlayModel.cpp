#include "PlayModel.h"

#include <cmath>
#include <sstream>

#include <nlohmann/json.hpp>

namespace txlplay {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

std::string ValueOf(const std::string& word, const std::string& prefix) {
    return word.rfind(prefix, 0) == 0 ? word.substr(prefix.size()) : std::string();
}

int ClassLimit(const std::string& itemClass) {
    return itemClass == "PrimalItem_Bolt_C" ? 10 : 0;
}

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace

PlayModel::PlayModel() {
    // The default world: 4:1 in the box has used 3 of its 10, 1:5 is a copy of it.
    classes_ = {{"1:1", "PrimalItem_Bolt_C"},
                {"1:2", "PrimalItem_Lantern_C"},
                {"1:5", "PrimalItem_Bolt_C"},
                {"4:1", "PrimalItem_Bolt_C"}};
    links_["1:5"] = {4, "4:1"};
    priorUse_["4:1"] = 3;
}

PlayModel::Settings PlayModel::ParseSettings(const std::string& text) {
    Settings settings;
    auto json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object()) return settings;
    settings.enabled = json.value("Enabled", true);
    settings.maxCrafts = json.value("MaxCraftingsPerBlueprint", 50);
    settings.chancePercent = json.value("MaxCraftChancePercent", 50.0);
    return settings;
}

void PlayModel::Before(const std::string& line, const WorldView& world) {
    line_ = line;
    before_ = world;
}

// The blueprint a copy counts against, followed through the world as it stood before the line:
// the one blueprint of that id in the box its link names. None for a broken or looping chain.
std::optional<std::string> PlayModel::RootOf(const std::string& id) const {
    std::string current = id;
    for (int depth = 0; depth < 64; ++depth) {
        auto link = links_.find(current);
        if (link == links_.end()) return current;
        auto box = before_.find(link->second.container);
        if (destroyed_.count(link->second.container) != 0 || box == before_.end())
            return std::nullopt;
        int matches = 0;
        for (const ItemView& item : box->second.blueprints)
            if (item.id == link->second.source && item.id != current) ++matches;
        if (matches != 1) return std::nullopt;
        current = link->second.source;
    }
    return std::nullopt;
}

void PlayModel::CountCraft(const std::string& id) {
    if (!settings_.enabled) return;
    auto root = RootOf(id);
    if (!root) {
        // A copy whose source cannot be found must not be crafted from at all.
        if (orphanCraft_.empty()) orphanCraft_ = id;
        return;
    }
    bool inProcessor = false;
    for (const auto& [actorId, actor] : before_)
        for (const ItemView& item : actor.blueprints)
            if (item.id == id && actor.processor) inProcessor = true;
    auto cls = classes_.find(*root);
    const int limit = cls == classes_.end() ? 0 : ClassLimit(cls->second);
    Tally& tally = tallies_[*root];
    // A limited class's own blueprint is counted by the game wherever it crafts; a copy only
    // where the plug-in sees it, in a processor, or once its root carries a counter.
    if (limit > 0 && (id == *root || inProcessor || tally.recordSeen)) ++tally.counted;
    if (tally.recordSeen) ++tally.afterRecord;
}

std::string PlayModel::CheckRoots(const WorldView& world) {
    if (!orphanCraft_.empty()) return "copy " + orphanCraft_ + ": crafted with no source";
    for (const auto& [actorId, actor] : world) {
        for (const ItemView& item : actor.blueprints) {
            if (links_.count(item.id) != 0 || !item.hasRecord) continue;
            Tally& tally = tallies_[item.id];
            if (!tally.recordSeen) {
                tally = Tally{tally.counted, 0, true, item.used, item.used, item.maximum};
                continue;
            }
            if (item.maximum != tally.maximum)
                return "root " + item.id + ": maximum changed from " + Number(tally.maximum) +
                       " to " + Number(item.maximum);
            if (item.used < tally.lastUsed)
                return "root " + item.id + ": counter went down from " + Number(tally.lastUsed) +
                       " to " + Number(item.used);
            tally.lastUsed = item.used;
        }
    }
    for (const auto& [id, tally] : tallies_) {
        auto cls = classes_.find(id);
        const int limit = cls == classes_.end() ? 0 : ClassLimit(cls->second);
        auto prior = priorUse_.find(id);
        const int before = prior == priorUse_.end() ? 0 : prior->second;
        if (limit > 0 && before + tally.counted > limit)
            return "root " + id + ": " + std::to_string(before + tally.counted) +
                   " crafts from it and its copies, its class allows " + std::to_string(limit);
        if (tally.recordSeen && tally.afterRecord > tally.maximum - tally.firstUsed)
            return "root " + id + ": " + std::to_string(tally.afterRecord) +
                   " crafts since its counter read " + Number(tally.firstUsed) + " of " +
                   Number(tally.maximum);
    }
    return {};
}

// The counters live in the items, so a restart brings every blueprint back with its counter; only
// the enforcements of begin play may attach or advance one.
std::string PlayModel::CheckRestart(const WorldView& world) const {
    for (const auto& [id, actor] : before_) {
        auto after = world.find(id);
        if (after == world.end()) return "actor " + std::to_string(id) + ": gone after a restart";
        const auto& was = actor.blueprints;
        const auto& now = after->second.blueprints;
        for (std::size_t i = 0; i < was.size(); ++i) {
            if (i >= now.size() || now[i].id != was[i].id ||
                (was[i].hasRecord && (!now[i].hasRecord || now[i].maximum != was[i].maximum ||
                                      now[i].used < was[i].used)))
                return "blueprint " + was[i].id + ": not the same after a restart";
        }
    }
    return {};
}

std::string PlayModel::CheckProcessors(const WorldView& world) const {
    const float cap = static_cast<float>(settings_.chancePercent / 100.0);
    const float limit = cap - 1.0f;
    for (const auto& [id, actor] : world) {
        if (!actor.processor) continue;
        const ProcessorView& p = *actor.processor;
        const std::string who = "processor " + std::to_string(id) + ": ";
        if (p.successRateCap != double{cap})
            return who + "SuccessRateCap " + Number(p.successRateCap) + ", cap " + Number(cap);
        if (p.numberMaxCrafts != settings_.maxCrafts)
            return who + "NumberMaxCrafts " + Number(p.numberMaxCrafts) + ", cap " +
                   std::to_string(settings_.maxCrafts);
        if (std::isnan(p.skill) || p.skill > double{cap})
            return who + "CraftingSkillLevelMulti " + Number(p.skill) + ", cap " + Number(cap);
        static const char* kStored[] = {"stored current", "stored max", "stored replicated max"};
        for (int i = 0; i < 3 && p.tamed; ++i)
            if (p.stored[i] > limit)
                return who + kStored[i] + " " + Number(p.stored[i]) + ", limit " + Number(limit);
        static const char* kRead[] = {"read current", "read max"};
        for (int i = 0; i < 2; ++i)
            if (p.read[i] > limit)
                return who + kRead[i] + " " + Number(p.read[i]) + ", limit " + Number(limit);
    }
    return {};
}

// Lines after which every processor has just been enforced.
bool PlayModel::Enforces(bool ok, const std::string& reply) const {
    if (!ok || !settings_.enabled) return false;
    auto words = Words(line_);
    const std::string& name = words.at(0);
    if (name == "Thalassovex.Apply" || name == "restart") return true;
    if (name == "TXL.Reload") return reply.find("rejected") == std::string::npos;
    if (name == "advance") return std::stod(words.at(1)) >= 1.0;
    return false;
}

std::string PlayModel::After(bool ok, const std::string& reply,
                             const std::vector<std::string>& finished, const WorldView& world) {
    for (const std::string& id : finished) CountCraft(id);
    auto words = Words(line_);
    if (ok && !words.empty()) {
        const std::string& name = words[0];
        if (name == "give" && words.size() >= 5) {
            classes_[ValueOf(words[4], "id=")] = words[2];
        } else if (name == "share" && words.size() == 5) {
            std::string copy = ValueOf(words[4], "id=");
            classes_[copy] = classes_.count(words[3]) != 0 ? classes_[words[3]] : "";
            links_[copy] = {std::stoi(words[2]), words[3]};
        } else if (name == "destroy") {
            destroyed_.insert(std::stoi(words[1]));
        } else if (name == "config" && words.size() > 2 && words[1] == "write") {
            configFile_ = line_.substr(line_.find("write") + 6);
        } else if ((name == "TXL.Reload" && reply.find("rejected") == std::string::npos) ||
                   name == "restart") {
            settings_ = ParseSettings(configFile_);
        }
    }
    enforced_ = Enforces(ok, reply);
    if (ok && !words.empty() && words[0] == "restart") {
        std::string changed = CheckRestart(world);
        if (!changed.empty()) return changed;
    }
    return CheckRoots(world);
}

}  // namespace txlplay
