#pragma once
// A strict JSON reader for tests: what the verbs write must be exactly one
// JSON object that any script's parser takes, so the tests parse it the
// strict way (no trailing commas, escapes checked, nothing after the value
// but white space) and look keys up.

#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramond::testing {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    bool has(const std::string& key) const { return type == Type::Object && members.count(key) != 0; }
    const JsonValue& operator[](const std::string& key) const {
        static const JsonValue none;
        const auto it = members.find(key);
        return it == members.end() ? none : it->second;
    }
};

class JsonReader {
public:
    // The value of the whole text, or nothing when it is not valid JSON.
    static std::optional<JsonValue> parse(std::string_view text) {
        JsonReader r(text);
        JsonValue v;
        if (!r.value(v, 0)) return std::nullopt;
        r.space();
        if (r.pos_ != text.size()) return std::nullopt;
        return v;
    }

private:
    explicit JsonReader(std::string_view t) : t_(t) {}
    void space() {
        while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\n' || t_[pos_] == '\r')) ++pos_;
    }
    bool literal(std::string_view word) {
        if (t_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }
    bool value(JsonValue& v, int depth) {
        if (depth > 64) return false;
        space();
        if (pos_ >= t_.size()) return false;
        const char c = t_[pos_];
        if (c == '{') return object(v, depth);
        if (c == '[') return array(v, depth);
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return str(v.string);
        }
        if (literal("true")) return v.type = JsonValue::Type::Bool, v.boolean = true, true;
        if (literal("false")) return v.type = JsonValue::Type::Bool, true;
        if (literal("null")) return true;
        return num(v);
    }
    bool object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        ++pos_;
        space();
        if (pos_ < t_.size() && t_[pos_] == '}') return ++pos_, true;
        for (;;) {
            space();
            std::string key;
            if (pos_ >= t_.size() || t_[pos_] != '"' || !str(key)) return false;
            space();
            if (pos_ >= t_.size() || t_[pos_++] != ':') return false;
            JsonValue member;
            if (!value(member, depth + 1)) return false;
            if (!v.members.emplace(key, std::move(member)).second) return false;  // duplicate key
            space();
            if (pos_ >= t_.size()) return false;
            if (t_[pos_] == ',') { ++pos_; continue; }
            if (t_[pos_] == '}') return ++pos_, true;
            return false;
        }
    }
    bool array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        ++pos_;
        space();
        if (pos_ < t_.size() && t_[pos_] == ']') return ++pos_, true;
        for (;;) {
            JsonValue item;
            if (!value(item, depth + 1)) return false;
            v.items.push_back(std::move(item));
            space();
            if (pos_ >= t_.size()) return false;
            if (t_[pos_] == ',') { ++pos_; continue; }
            if (t_[pos_] == ']') return ++pos_, true;
            return false;
        }
    }
    bool str(std::string& out) {
        ++pos_;
        while (pos_ < t_.size()) {
            const auto c = static_cast<unsigned char>(t_[pos_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') { out += static_cast<char>(c); continue; }
            if (pos_ >= t_.size()) return false;
            const char e = t_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (pos_ + 4 > t_.size()) return false;
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const char h = t_[pos_++];
                        if (!std::isxdigit(static_cast<unsigned char>(h))) return false;
                        code = code * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
                    }
                    out += code < 0x80 ? static_cast<char>(code) : '?';
                    break;
                }
                default: return false;
            }
        }
        return false;
    }
    bool num(JsonValue& v) {
        const std::size_t start = pos_;
        if (pos_ < t_.size() && t_[pos_] == '-') ++pos_;
        const auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[pos_]))) ++pos_;
            return pos_ > from;
        };
        if (pos_ < t_.size() && t_[pos_] == '0') ++pos_;
        else if (!digits()) return false;
        if (pos_ < t_.size() && t_[pos_] == '.') { ++pos_; if (!digits()) return false; }
        if (pos_ < t_.size() && (t_[pos_] == 'e' || t_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < t_.size() && (t_[pos_] == '+' || t_[pos_] == '-')) ++pos_;
            if (!digits()) return false;
        }
        v.type = JsonValue::Type::Number;
        v.number = std::stod(std::string(t_.substr(start, pos_ - start)));
        return true;
    }

    std::string_view t_;
    std::size_t pos_ = 0;
};

}  // namespace tramond::testing
