// SPDX-License-Identifier: MIT
// The camera controls vidscopesrc exposes as properties, set through the CLI's control table.
#pragma once

#include <gst/gst.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vidscope::gst {

// Holds the values asked for while no camera is open and applies them when one opens; while a
// camera is open, a value set goes to it at once. Controls that change the frame size
// (resolution, rotate) wait for the streaming thread, which renegotiates after them.
// Thread-safe: properties are set from the application's thread while frames stream.
class SourceControls {
public:
    // Property ids first..first+count()-1 belong to the controls.
    explicit SourceControls(unsigned firstPropertyId) : first_(firstPropertyId) {}

    static unsigned count();
    static void installProperties(GObjectClass* klass, unsigned firstPropertyId);

    bool owns(unsigned propertyId) const {
        return propertyId >= first_ && propertyId < first_ + count();
    }
    // Both return a message for the user when the camera refused the value (empty: done).
    std::string set(unsigned propertyId, const GValue* value);
    void get(unsigned propertyId, GValue* value);

    // The camera the controls act on from now on (opened by the caller), or none (-1). Every
    // value asked for so far is applied on attach; the first refusal is returned and stops it.
    std::string attach(int camera);
    void detach();
    // Applies the size-changing controls set since the last call (streaming thread).
    std::string applyDeferred();

    // Fires the software trigger of the attached camera; false without one or when refused.
    bool fireTrigger();

private:
    struct Pending {
        unsigned index;  // into the property table
        std::vector<double> values;
    };
    std::string applyLocked(unsigned row, const std::vector<double>& values);

    const unsigned first_;
    std::mutex mutex_;
    int camera_ = -1;
    // In the order they were set, the latest value of each property only.
    std::vector<Pending> requested_;
    std::vector<Pending> deferred_;
};

}  // namespace vidscope::gst
