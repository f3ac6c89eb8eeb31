#include "diagnostics/ReportFile.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace txl {
namespace {

[[noreturn]] void FailWrite() {
    throw std::runtime_error("Could not write diagnostic report");
}

// Binary, so the file holds exactly the serialised text on every platform.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // Not opened: nothing was created, so nothing of ours is there to remove.
    if (!out.is_open()) FailWrite();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

}  // namespace

void ReplaceReportFile(const std::filesystem::path& target, const std::string& text) {
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    std::error_code error;
    if (WriteWholeFile(temporary, text)) {
        std::filesystem::rename(temporary, target, error);
        if (!error) return;
    }
    std::filesystem::remove(temporary, error);
    FailWrite();
}

}  // namespace txl
