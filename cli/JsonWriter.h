// SPDX-License-Identifier: MIT
// A small streaming JSON writer for the reports of --json.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

// Builds one JSON document; members and elements are separated as they are added.
// Usage: w.beginObject(); w.key("a"); w.value(1); w.endObject(); then text().
class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const std::string& name);
    void value(const std::string& text);
    void value(const char* text) { value(std::string(text)); }
    void value(long long number);
    void value(int number) { value(static_cast<long long>(number)); }
    void value(unsigned number) { value(static_cast<long long>(number)); }
    void value(double number);
    void value(bool flag);
    void null();
    // A list of numbers as one array.
    void numbers(const std::vector<double>& list);

    const std::string& text() const { return text_; }

private:
    void separate();
    std::string text_;
    // Whether the innermost open object or array already holds a member.
    std::vector<bool> filled_;
    bool afterKey_ = false;
};

}  // namespace vidscope::cli
