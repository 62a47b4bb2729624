// SPDX-License-Identifier: MIT
// vidscopesrc: a live GStreamer source streaming one camera through the flat camera API.
#pragma once

#include <gst/base/gstpushsrc.h>
#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_VIDSCOPE_SRC (gst_vidscope_src_get_type())
G_DECLARE_FINAL_TYPE(GstVidscopeSrc, gst_vidscope_src, GST, VIDSCOPE_SRC, GstPushSrc)

// Registers the element with a plugin (the loadable module's init and the tests' static one).
gboolean vidscope_gst_plugin_init(GstPlugin* plugin);
// Registers the plugin inside this process, for programs that link the element statically.
gboolean vidscope_gst_register_static(void);

G_END_DECLS
