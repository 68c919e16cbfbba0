// The date a run puts into its titles.
#pragma once

#include "catalog/CatalogRun.h"

namespace speclore::frontend {

// Today in the local time zone.
catalog::CalendarDate today();

}  // namespace speclore::frontend
