#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace txl {

// The report's text, serialised piece by piece straight into the one buffer that is written, in
// the JSON library's pretty form: indent 2, keys in byte order, raw UTF-8, null for values that
// are not finite. Text that is not valid UTF-8 raises the library's error.
class ReportText {
  public:
    ReportText();
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    // Punctuation between values, as the pretty printer writes it.
    void Append(std::string_view raw);
    // A value that stands `indent` spaces deep in the document.
    void Append(const nlohmann::json& value, unsigned int indent);
    std::string Take();

  private:
    std::string text_;
    nlohmann::detail::serializer<nlohmann::json> serializer_;
};

}  // namespace txl
