// libmdb's header, which must come after glib's when included from C++
// (mdbtools 1.0 includes glib inside its extern "C" block).
#pragma once

#include <glib.h>

#include <mdbtools.h>
