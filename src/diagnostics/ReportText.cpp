#include "diagnostics/ReportText.h"

#include <utility>

namespace txl {
namespace {

constexpr unsigned int kIndentStep = 2;

}  // namespace

ReportText::ReportText()
    : serializer_(nlohmann::detail::output_adapter<char>(text_), ' ',
                  nlohmann::json::error_handler_t::strict) {}

void ReportText::Append(std::string_view raw) {
    text_.append(raw);
}

void ReportText::Append(const nlohmann::json& value, unsigned int indent) {
    serializer_.dump(value, true, false, kIndentStep, indent);
}

std::string ReportText::Take() {
    return std::move(text_);
}

}  // namespace txl
