#include "ui/qt/widgets/x11_taskbar.h"

#include <QGuiApplication>
#include <QWidget>

#if __has_include(<xcb/xcb.h>) && QT_CONFIG(xcb)
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#define LOADER_HAVE_XCB 1
#endif

namespace ui {

#ifdef LOADER_HAVE_XCB
namespace {

// libxcb is already in the process (Qt's GUI library needs it); looking its entry points up
// at run time spares the build a link dependency that only this hint would need.
template <typename Function>
Function Lookup(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

using InternAtomFn = xcb_intern_atom_cookie_t (*)(xcb_connection_t*, uint8_t, uint16_t,
                                                  const char*);
using InternAtomReplyFn = xcb_intern_atom_reply_t* (*)(xcb_connection_t*, xcb_intern_atom_cookie_t,
                                                       xcb_generic_error_t**);
using ChangePropertyFn = xcb_void_cookie_t (*)(xcb_connection_t*, uint8_t, xcb_window_t, xcb_atom_t,
                                               xcb_atom_t, uint8_t, uint32_t, const void*);
using FlushFn = int (*)(xcb_connection_t*);

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  static const auto internAtom = Lookup<InternAtomFn>("xcb_intern_atom");
  static const auto internAtomReply = Lookup<InternAtomReplyFn>("xcb_intern_atom_reply");
  if (!internAtom || !internAtomReply) return XCB_ATOM_NONE;
  xcb_intern_atom_reply_t* reply = internAtomReply(
      connection, internAtom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
      nullptr);
  if (!reply) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace
#endif

void KeepOffTaskbar(QWidget* window) {
#ifdef LOADER_HAVE_XCB
  if (!window || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  static const auto changeProperty = Lookup<ChangePropertyFn>("xcb_change_property");
  static const auto flush = Lookup<FlushFn>("xcb_flush");
  if (!connection || !changeProperty || !flush) return;
  const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
  const xcb_atom_t skipTaskbar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE) return;
  // The window is unmapped here, so the client owns the property; Qt adds its own states to
  // it when it maps the window.
  changeProperty(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                 state, XCB_ATOM_ATOM, 32, 1, &skipTaskbar);
  flush(connection);
#else
  (void)window;
#endif
}

}  // namespace ui
