#pragma once

#include <string>

namespace txl::devserver {

// The shortest text that reads back as the same value ("0.4", "-0.5", "nan", "inf").
std::string NumberText(float value);
std::string NumberText(double value);

}  // namespace txl::devserver
