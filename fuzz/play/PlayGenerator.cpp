#include "PlayGenerator.h"

#include <algorithm>

namespace txlplay {
namespace {

enum class Kind { Processor, WildProcessor, Creature, Box };

struct KnownActor {
    int id;
    Kind kind;
};

struct KnownItem {
    std::string id;
    int holder;
};

// What the generator believes of the world, enough to name things that probably exist. It need
// not be right: a command on something gone is refused and changes nothing.
class PlayWorld {
  public:
    explicit PlayWorld(Choices& choices) : choices_(choices) {}

    std::vector<std::string> Next() {
        switch (Weighted({22, 14, 6, 10, 7, 3, 2, 2, 5, 3, 1, 2, 2, 2, 1, 2})) {
            case 0:
                return {Craft()};
            case 1:
                return {"advance " + OneOf<std::string>({"1", "2", "3", "5", "8", "20", "61"})};
            case 2:
                return {Give()};
            case 3:
                return {Share()};
            case 4:
                return {Move()};
            case 5:
                return {"use " + std::to_string(Pick(Kind::Processor, Kind::WildProcessor))};
            case 6:
                return {Destroy()};
            case 7:
                return {Spawn()};
            case 8:
                return {"config write " + Config(), "TXL.Reload"};
            case 9:
                return {"Thalassovex.Apply"};
            case 10:
                return {"Thalassovex.Inspect"};
            case 11:
                return {"levelup " + std::to_string(Pick(Kind::Processor)) + " 11"};
            case 12:
                return {SetStat()};
            case 13:
                return {SetProp()};
            case 14:
                return {"stat " + std::to_string(Pick(Kind::Processor, Kind::WildProcessor))};
            default:
                return {"restart"};
        }
    }

  private:
    unsigned Weighted(std::initializer_list<unsigned> weights) {
        unsigned total = 0;
        for (unsigned w : weights) total += w;
        unsigned roll = choices_.Pick(total);
        unsigned index = 0;
        for (unsigned w : weights) {
            if (roll < w) return index;
            roll -= w;
            ++index;
        }
        return index;
    }
    template <typename T>
    T OneOf(std::initializer_list<T> values) {
        return *(values.begin() + choices_.Pick(static_cast<unsigned>(values.size())));
    }
    // An actor of one of the kinds; actor 1 when none is known.
    int Pick(Kind a) { return Pick(a, a); }
    int Pick(Kind a, Kind b) {
        std::vector<int> ids;
        for (const KnownActor& actor : actors_)
            if (actor.kind == a || actor.kind == b) ids.push_back(actor.id);
        if (ids.empty()) return 1;
        return ids[choices_.Pick(static_cast<unsigned>(ids.size()))];
    }
    int AnyActor() { return actors_[choices_.Pick(static_cast<unsigned>(actors_.size()))].id; }
    KnownItem* AnyItem() {
        if (items_.empty()) return nullptr;
        return &items_[choices_.Pick(static_cast<unsigned>(items_.size()))];
    }
    std::string FreshItemId() { return "20:" + std::to_string(nextItem_++); }

    std::string Craft() {
        // Mostly in a processor, where the counting happens.
        std::vector<const KnownItem*> candidates;
        for (const KnownItem& item : items_) {
            if (choices_.Pick(4) != 0 || IsProcessor(item.holder)) candidates.push_back(&item);
        }
        if (candidates.empty()) return "craft 1 1:1 1";
        const KnownItem* item = candidates[choices_.Pick(static_cast<unsigned>(candidates.size()))];
        return "craft " + std::to_string(item->holder) + " " + item->id + " " +
               std::to_string(1 + choices_.Pick(12));
    }
    std::string Give() {
        int holder = AnyActor();
        std::string id = FreshItemId();
        items_.push_back({id, holder});
        return "give " + std::to_string(holder) + " " +
               OneOf<std::string>(
                   {"PrimalItem_Bolt_C", "PrimalItem_Bolt_C", "PrimalItem_Lantern_C"}) +
               " blueprint id=" + id;
    }
    std::string Share() {
        std::vector<const KnownItem*> inBoxes;
        for (const KnownItem& item : items_)
            if (KindOf(item.holder) == Kind::Box) inBoxes.push_back(&item);
        if (inBoxes.empty()) return "share 1 4 4:1 id=" + FreshItemId();
        const KnownItem* source = inBoxes[choices_.Pick(static_cast<unsigned>(inBoxes.size()))];
        // Often into another box, so that copies of copies grow into chains.
        int holder = choices_.Pick(3) == 0 ? Pick(Kind::Box) : AnyActor();
        std::string id = FreshItemId();
        std::string line = "share " + std::to_string(holder) + " " +
                           std::to_string(source->holder) + " " + source->id + " id=" + id;
        items_.push_back({id, holder});
        return line;
    }
    std::string Move() {
        KnownItem* item = AnyItem();
        if (item == nullptr) return "move 1 1:1 4";
        int to = AnyActor();
        std::string line =
            "move " + std::to_string(item->holder) + " " + item->id + " " + std::to_string(to);
        if (to != item->holder) item->holder = to;
        return line;
    }
    std::string Destroy() {
        int id = AnyActor();
        actors_.erase(std::remove_if(actors_.begin(), actors_.end(),
                                     [id](const KnownActor& a) { return a.id == id; }),
                      actors_.end());
        items_.erase(std::remove_if(items_.begin(), items_.end(),
                                    [id](const KnownItem& i) { return i.holder == id; }),
                     items_.end());
        if (actors_.empty()) actors_.push_back({1, Kind::Processor});  // keeps the picks defined
        return "destroy " + std::to_string(id);
    }
    std::string Spawn() {
        Kind kind = OneOf({Kind::Box, Kind::Box, Kind::Processor, Kind::Creature});
        actors_.push_back({nextActor_++, kind});
        switch (kind) {
            case Kind::Box:
                return "spawn StorageBox_Small_C team=50000";
            case Kind::Processor:
                return "spawn Thalassovex_Character_BP_C team=50000";
            default:
                return "spawn Strider_Character_BP_C team=50000";
        }
    }
    std::string Config() {
        int maxCrafts = OneOf({3, 5, 8, 10, 20, 50});
        std::string adopt;
        for (const KnownItem& item : items_) {
            if (choices_.Pick(6) != 0) continue;
            if (!adopt.empty()) adopt += ", ";
            adopt += "\"" + item.id + "\": " + std::to_string(choices_.Pick(3));
        }
        auto flag = [this](unsigned falseOneIn) {
            return choices_.Pick(falseOneIn) == 0 ? std::string("false") : std::string("true");
        };
        return "{\"Enabled\": " + flag(6) +
               ", \"MaxCraftingsPerBlueprint\": " + std::to_string(maxCrafts) +
               ", \"MaxCraftChancePercent\": " +
               OneOf<std::string>({"50", "30", "80", "100", "0"}) +
               ", \"DestroyExhaustedBlueprints\": " + flag(2) +
               ", \"BlockLevelUpsAtCap\": " + flag(2) + ", \"AdoptTestBlueprints\": {" + adopt +
               "}}";
    }
    std::string Value() { return OneOf<std::string>({"0.9", "0.2", "-0.9", "inf", "-inf", "nan"}); }
    std::string SetStat() {
        return "setstat " + std::to_string(Pick(Kind::Processor, Kind::WildProcessor)) +
               " current=" + Value() + " max=" + Value() + " replicated=" + Value();
    }
    std::string SetProp() {
        std::string name =
            OneOf<std::string>({"SuccessRateCap", "NumberMaxCrafts", "CraftingSkillLevelMulti"});
        std::string value =
            name == "NumberMaxCrafts" ? OneOf<std::string>({"1000", "0", "-5"}) : Value();
        return "setprop " + std::to_string(Pick(Kind::Processor, Kind::WildProcessor)) + " " +
               name + " " + value;
    }

    Kind KindOf(int id) const {
        for (const KnownActor& actor : actors_)
            if (actor.id == id) return actor.kind;
        return Kind::Creature;
    }
    bool IsProcessor(int id) const {
        Kind kind = KindOf(id);
        return kind == Kind::Processor || kind == Kind::WildProcessor;
    }

    Choices& choices_;
    // The default world.
    std::vector<KnownActor> actors_ = {
        {1, Kind::Processor}, {2, Kind::WildProcessor}, {3, Kind::Creature}, {4, Kind::Box}};
    std::vector<KnownItem> items_ = {{"1:1", 1}, {"1:2", 1}, {"1:5", 1}, {"4:1", 4}};
    int nextActor_ = 5;
    int nextItem_ = 1;
};

}  // namespace

std::vector<std::string> GeneratePlay(Choices& choices, std::size_t length) {
    PlayWorld world(choices);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < length; ++i) {
        for (std::string& line : world.Next()) lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace txlplay
