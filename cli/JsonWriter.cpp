// SPDX-License-Identifier: MIT
// A small streaming JSON writer for the reports of --json.
#include "cli/JsonWriter.h"

#include <cmath>

#include "cli/TextEscape.h"

namespace vidscope::cli {

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!filled_.empty()) {
        if (filled_.back())
            text_ += ',';
        filled_.back() = true;
    }
}

void JsonWriter::beginObject() {
    separate();
    text_ += '{';
    filled_.push_back(false);
}

void JsonWriter::endObject() {
    filled_.pop_back();
    text_ += '}';
}

void JsonWriter::beginArray() {
    separate();
    text_ += '[';
    filled_.push_back(false);
}

void JsonWriter::endArray() {
    filled_.pop_back();
    text_ += ']';
}

void JsonWriter::key(const std::string& name) {
    separate();
    text_ += jsonString(name) + ':';
    afterKey_ = true;
}

void JsonWriter::value(const std::string& text) {
    separate();
    text_ += jsonString(text);
}

void JsonWriter::value(long long number) {
    separate();
    text_ += std::to_string(number);
}

void JsonWriter::value(double number) {
    separate();
    // JSON has no NaN or infinity; a getter that failed is reported as null.
    text_ += std::isfinite(number) ? formatNumber(number) : "null";
}

void JsonWriter::value(bool flag) {
    separate();
    text_ += flag ? "true" : "false";
}

void JsonWriter::null() {
    separate();
    text_ += "null";
}

void JsonWriter::numbers(const std::vector<double>& list) {
    beginArray();
    for (double number : list)
        value(number);
    endArray();
}

}  // namespace vidscope::cli
