// SPDX-License-Identifier: MIT
// What the settings need to know of the open camera's model: its device code and colour kind.
#pragma once

// Asked of the camera API once per opened camera; the settings enable their colour controls
// from it.
struct CameraModel {
    int deviceCode = -1;
    bool monochrome = false;

    static CameraModel of(int camera);
    // The model table's names end in "C" for colour sensors and "M" or "N" for monochrome ones;
    // a name of another shape (a custom name, "Y" cameras) says nothing.
    static bool nameSaysMonochrome(const char* shortName, bool* known);
};
