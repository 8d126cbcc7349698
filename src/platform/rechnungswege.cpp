#include "platform/rechnungswege.h"

namespace platform {

Rechnungswege& rechnungswege() {
    static Rechnungswege w;
    return w;
}

}  // namespace platform
