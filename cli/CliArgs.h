// SPDX-License-Identifier: MIT
// A verb's command line split into positional words, options with values and flags.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vidscope::cli {

class CliArgs {
public:
    // `valueOptions` are the options that take the next word as their value ("--count");
    // `flags` those that stand alone ("--json"). Anything else starting with "--" is bad usage.
    CliArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
            const std::set<std::string>& flags);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& flag) const { return flags_.count(flag) != 0; }
    bool hasValue(const std::string& option) const { return values_.count(option) != 0; }
    const std::string& value(const std::string& option) const { return values_.at(option); }

    // Bad usage unless the positional count lies within min..max.
    void expectCount(size_t min, size_t max, const char* usage) const;

    // Whole-word numbers; decimal, or hexadecimal with 0x. Bad usage (naming `what`) when the
    // word is not a number or lies outside min..max.
    static long long integer(const std::string& word, long long min, long long max,
                             const char* what);
    static double real(const std::string& word, double min, double max, const char* what);

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
};

}  // namespace vidscope::cli
