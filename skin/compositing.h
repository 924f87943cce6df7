// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop blends per-pixel-alpha windows with what lies beneath them.
#pragma once

// True when translucent window pixels are blended by the display: on X11 while a
// compositing manager holds the _NET_WM_CM_S<screen> selection, and always on display
// systems that compose by design (Wayland, the offscreen test platform). Without one, X11
// shows a translucent window's transparent pixels as black.
bool display_composites_windows();
