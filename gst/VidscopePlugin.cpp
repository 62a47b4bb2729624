// SPDX-License-Identifier: MIT
// The loadable GStreamer plugin "vidscope" holding the vidscopesrc element.
#include "gst/VidscopeSrc.h"

#define PACKAGE "vidscope"

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, vidscope,
                  "Industrial USB cameras through the vidScope camera API",
                  vidscope_gst_plugin_init, VIDSCOPE_VERSION, "MIT", "vidScope",
                  "https://github.com/vidscope/vidscope")
