#pragma once
// Which transport serves the hid:: seam of the Linux program. Until told otherwise it is
// hidraw under /sys and /dev.
#include "platform/linux/transport_table.h"

namespace hidio {

void use(const Transport& transport);
const Transport& hidrawTransport();

}  // namespace hidio
