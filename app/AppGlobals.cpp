#include "app/AppGlobals.h"

namespace speclore {

AppGlobals& appGlobals() {
    static AppGlobals globals;
    return globals;
}

}  // namespace speclore
