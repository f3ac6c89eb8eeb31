#include "NumberText.h"

#include <charconv>

namespace txl::devserver {
namespace {

template <typename T>
std::string Shortest(T value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

}  // namespace

std::string NumberText(float value) {
    return Shortest(value);
}

std::string NumberText(double value) {
    return Shortest(value);
}

}  // namespace txl::devserver
