// SPDX-License-Identifier: MIT
// A verb's command line split into positional words, options with values and flags.
#include "cli/CliArgs.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "base/TerminalText.h"
#include "cli/CliError.h"
#include "cli/TextEscape.h"

namespace vidscope::cli {
namespace {

// strtoll and strtod skip leading blanks; a number word must not have any.
bool startsBlank(const std::string& word) {
    return !word.empty() && std::isspace(static_cast<unsigned char>(word.front()));
}

}  // namespace

CliArgs::CliArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                 const std::set<std::string>& flags) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        // A lone "-" and negative numbers are positional.
        const bool isOption = word.size() > 2 && word.rfind("--", 0) == 0;
        if (!isOption) {
            positional_.push_back(word);
        } else if (valueOptions.count(word)) {
            if (i + 1 >= words.size())
                throw UsageError(word + " needs a value");
            values_[word] = words[++i];
        } else if (flags.count(word)) {
            flags_.insert(word);
        } else {
            throw UsageError("unknown option " + base::printableText(word));
        }
    }
}

void CliArgs::expectCount(size_t min, size_t max, const char* usage) const {
    if (positional_.size() < min)
        throw UsageError(std::string("missing arguments; usage: ") + usage);
    if (positional_.size() > max)
        throw UsageError("unexpected argument " + base::printableText(positional_[max]) +
                         "; usage: " + usage);
}

long long CliArgs::integer(const std::string& word, long long min, long long max,
                           const char* what) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(word.c_str(), &end, 0);
    if (word.empty() || startsBlank(word) || *end != '\0' || errno == ERANGE)
        throw UsageError(std::string(what) + " must be a whole number, not \"" +
                         base::printableText(word) + "\"");
    if (value < min || value > max)
        throw UsageError(std::string(what) + " must lie within " + std::to_string(min) + ".." +
                         std::to_string(max) + ", not " + std::to_string(value));
    return value;
}

double CliArgs::real(const std::string& word, double min, double max, const char* what) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || startsBlank(word) || *end != '\0' || errno == ERANGE ||
        !std::isfinite(value))
        throw UsageError(std::string(what) + " must be a number, not \"" +
                         base::printableText(word) + "\"");
    if (value < min || value > max)
        throw UsageError(std::string(what) + " must lie within " + formatNumber(min) + ".." +
                         formatNumber(max) + ", not " + formatNumber(value));
    return value;
}

}  // namespace vidscope::cli
