#include "WorldJsonNode.h"

#include <cmath>
#include <limits>

#include "WorldFileError.h"

namespace txl::devserver {

void WorldJsonNode::Fail(const std::string& message) const {
    throw WorldFileError(file_ + ": " + (path_.empty() ? "" : path_ + ": ") + message);
}

WorldJsonNode WorldJsonNode::Member(const std::string& key) const {
    if (!value_.contains(key)) Fail("missing '" + key + "'");
    return WorldJsonNode(value_.at(key), file_, path_.empty() ? key : path_ + "." + key);
}

WorldJsonNode WorldJsonNode::Element(std::size_t index) const {
    return WorldJsonNode(value_.at(index), file_, path_ + "[" + std::to_string(index) + "]");
}

void WorldJsonNode::ExpectObject(std::initializer_list<const char*> allowedKeys) const {
    if (!value_.is_object()) Fail("expected an object");
    for (const auto& [key, member] : value_.items()) {
        bool known = false;
        for (const char* allowed : allowedKeys) known = known || key == allowed;
        if (!known) Fail("unknown key '" + key + "'");
    }
}

void WorldJsonNode::ExpectObject() const {
    if (!value_.is_object()) Fail("expected an object");
}

void WorldJsonNode::ExpectArray() const {
    if (!value_.is_array()) Fail("expected an array");
}

std::string WorldJsonNode::String() const {
    if (!value_.is_string()) Fail("expected a string");
    return value_.get<std::string>();
}

bool WorldJsonNode::Bool() const {
    if (!value_.is_boolean()) Fail("expected true or false");
    return value_.get<bool>();
}

std::int64_t WorldJsonNode::Integer(std::int64_t low, std::int64_t high) const {
    if (!value_.is_number_integer()) Fail("expected an integer");
    if (value_.is_number_unsigned() &&
        value_.get<std::uint64_t>() > static_cast<std::uint64_t>(high))
        Fail("must be " + std::to_string(low) + ".." + std::to_string(high));
    auto number = value_.get<std::int64_t>();
    if (number < low || number > high)
        Fail("must be " + std::to_string(low) + ".." + std::to_string(high));
    return number;
}

double WorldJsonNode::Number() const {
    if (value_.is_number()) return value_.get<double>();
    if (value_.is_string()) {
        const auto& text = value_.get_ref<const std::string&>();
        if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
        if (text == "inf") return std::numeric_limits<double>::infinity();
        if (text == "-inf") return -std::numeric_limits<double>::infinity();
    }
    Fail("expected a number (or \"nan\", \"inf\", \"-inf\")");
}

std::string WorldJsonNode::StringOr(const std::string& key, const std::string& fallback) const {
    return Has(key) ? Member(key).String() : fallback;
}

bool WorldJsonNode::BoolOr(const std::string& key, bool fallback) const {
    return Has(key) ? Member(key).Bool() : fallback;
}

std::int64_t WorldJsonNode::IntegerOr(const std::string& key, std::int64_t fallback,
                                      std::int64_t low, std::int64_t high) const {
    return Has(key) ? Member(key).Integer(low, high) : fallback;
}

std::optional<double> WorldJsonNode::OptionalNumber(const std::string& key) const {
    if (!Has(key)) return std::nullopt;
    return Member(key).Number();
}

}  // namespace txl::devserver
