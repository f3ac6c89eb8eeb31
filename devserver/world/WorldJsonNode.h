#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace txl::devserver {

// A value of the world file with its place ("actors[2].items[0]"), so that every complaint
// names where it is.
class WorldJsonNode {
  public:
    WorldJsonNode(const nlohmann::json& value, std::string file, std::string path)
        : value_(value), file_(std::move(file)), path_(std::move(path)) {}

    [[noreturn]] void Fail(const std::string& message) const;

    const nlohmann::json& Value() const { return value_; }
    const std::string& Path() const { return path_; }
    bool Has(const std::string& key) const { return value_.contains(key); }

    WorldJsonNode Member(const std::string& key) const;
    WorldJsonNode Element(std::size_t index) const;
    std::size_t Size() const { return value_.size(); }

    // Checks the node's kind; the object check also refuses keys not listed.
    void ExpectObject(std::initializer_list<const char*> allowedKeys) const;
    void ExpectObject() const;
    void ExpectArray() const;

    std::string String() const;
    bool Bool() const;
    std::int64_t Integer(std::int64_t low, std::int64_t high) const;
    // A number, or one of the texts "nan", "inf", "-inf".
    double Number() const;

    // Optional members: absent keeps the fallback.
    std::string StringOr(const std::string& key, const std::string& fallback) const;
    bool BoolOr(const std::string& key, bool fallback) const;
    std::int64_t IntegerOr(const std::string& key, std::int64_t fallback, std::int64_t low,
                           std::int64_t high) const;
    std::optional<double> OptionalNumber(const std::string& key) const;

  private:
    const nlohmann::json& value_;
    std::string file_;
    std::string path_;
};

}  // namespace txl::devserver
