// SPDX-License-Identifier: MIT
// Every camera control the command line reads and writes, in one table for get and set.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

// One control: how many numbers it takes, their range, and the camera API calls behind it.
// Switches are integers 0..1 that also accept on/off. A null getter marks a control the
// camera cannot report (the strobe), a null setter one it only reports (the brightness).
struct Control {
    const char* name;
    const char* description;
    int arity;
    double min;
    double max;
    bool integer;
    bool (*get)(int camera, std::vector<double>& values);
    bool (*set)(int camera, const std::vector<double>& values);
};

class ControlTable {
public:
    static const std::vector<Control>& all();
    // Null when there is no control of that name.
    static const Control* find(const std::string& name);
    // The numbers of a "VALUE[,VALUE...]" text for `control`: bad usage when their count,
    // form or range is wrong.
    static std::vector<double> parseValues(const Control& control, const std::string& text);
    // "gamma=1.2" split and checked; bad usage for an unknown control or a bad value.
    static std::pair<const Control*, std::vector<double>> parseAssignment(const std::string& word);
    // Applies each assignment in order; ApiError at the first the camera refuses.
    static void apply(int camera, const std::vector<std::string>& assignments);
    // The value as text: integers plain, reals shortest, lists comma-separated.
    static std::string format(const Control& control, const std::vector<double>& values);
};

}  // namespace vidscope::cli
