#include "emugame/Game.h"
#include "emuhost/WideText.h"

namespace emu {

FName Game::MakeName(const std::string& text) {
    if (auto found = nameIndex_.find(text); found != nameIndex_.end())
        return FName{found->second, 0};
    auto index = static_cast<int32>(names_.size());
    names_.push_back(text);
    wideNames_.push_back(emuhost::ToWide(text));
    nameIndex_.emplace(text, index);
    return FName{index, 0};
}

const std::wstring& Game::NameEntry(FName name) const {
    static const std::wstring kNone = L"None";
    if (name.ComparisonIndex < 0 || name.ComparisonIndex >= static_cast<int32>(wideNames_.size()))
        return kNone;
    return wideNames_[static_cast<std::size_t>(name.ComparisonIndex)];
}

std::string Game::NameText(FName name) const {
    if (name.ComparisonIndex < 0 || name.ComparisonIndex >= static_cast<int32>(names_.size()))
        return "None";
    return names_[static_cast<std::size_t>(name.ComparisonIndex)];
}

}  // namespace emu
