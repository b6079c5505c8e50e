// Owning pointers for GLib-family objects, so that every reference and
// allocation taken from GLib, GIO, GStreamer and friends is given back on
// every path.
#pragma once

#include <glib-object.h>
#include <glib.h>

#include <memory>

namespace lumora {

struct TGFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
// A string GLib allocated for the caller.
using TGCharPtr = std::unique_ptr<gchar, TGFree>;

struct TGObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
// A GObject reference (GFile, GInputStream, PangoLayout, GdkPixbuf, ...).
template <typename T>
using TGObjectPtr = std::unique_ptr<T, TGObjectUnref>;

struct TGStrvFree {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};
// A null-terminated string array GLib allocated.
using TGStrvPtr = std::unique_ptr<gchar*, TGStrvFree>;

struct TGKeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using TGKeyFilePtr = std::unique_ptr<GKeyFile, TGKeyFileFree>;

}  // namespace lumora
