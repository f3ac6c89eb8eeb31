#include "LineEditor.h"

// Built where no line-editing library is (Windows, whose console edits lines itself): the
// console reads plain lines.
namespace txl::devserver {

struct LineEditor::State {};

std::unique_ptr<LineEditor> LineEditor::Open(const LineEditorSettings&) {
    return nullptr;
}

LineEditor::LineEditor(std::unique_ptr<State> state) : state_(std::move(state)) {}
LineEditor::~LineEditor() = default;

std::optional<std::string> LineEditor::ReadLine() {
    return std::nullopt;
}

void LineEditor::Stop() {}

}  // namespace txl::devserver
