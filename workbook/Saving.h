// How an engine's workbook writes its file when closed with changes saved.
#pragma once

namespace speclore::workbook {

// Replace: through a synced temporary file renamed over the file, so a
// reader never sees it half-written. Rewrite: over the file itself, for a
// private file whose owner syncs it and puts it in place, so the work of a
// replacement is not done twice.
enum class Saving { Replace, Rewrite };

}  // namespace speclore::workbook
