// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop blends per-pixel-alpha windows with what lies beneath them.
#include "skin/compositing.h"

#include <QByteArray>
#include <QGuiApplication>

#if defined(PELLUCAN_HAVE_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#endif

#if defined(PELLUCAN_HAVE_XCB) && QT_CONFIG(xcb)
namespace {

// The screen number of the X display name ("host:display.screen"); 0 when it has none.
int x11_screen_number()
{
    const QByteArray name = qgetenv("DISPLAY");
    const int colon = name.lastIndexOf(':');
    const int dot = name.indexOf('.', colon < 0 ? 0 : colon);
    if (dot < 0)
        return 0;
    bool ok = false;
    const int screen = name.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 && screen < 256 ? screen : 0;
}

}  // namespace
#endif

bool display_composites_windows()
{
#if defined(PELLUCAN_HAVE_XCB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    // A compositing manager announces itself by owning the selection _NET_WM_CM_S<n>
    // (the EWMH convention) for the screen it composes.
    const QByteArray atom_name = "_NET_WM_CM_S" + QByteArray::number(x11_screen_number());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(atom_name.size()), atom_name.constData()),
        nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner)
        return false;
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
#else
    return true;
#endif
}
