// One selected item's path as the 8-bit path list carries it.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace corvane {

// Writes item `index` of the drop to `path` and returns its length (0: leave the item out). The
// path is what DragQueryFileA reports, cut to 259 characters, unless the drop carries UTF-16 names
// and this one has a character the ANSI code page lacks: that name would reach the hash module
// with "?" in its place and could not be opened. It is given instead with the short (8.3) name of
// each folder or file name the code page cannot hold, the others kept as they are, when those short
// names convert cleanly and the whole fits.
UINT QueryDroppedPath(HDROP drop, bool wideNames, UINT index, char (&path)[MAX_PATH]) noexcept;

} // namespace corvane
