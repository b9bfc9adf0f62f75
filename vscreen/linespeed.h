#pragma once

namespace krn::vscreen {

// The line speed in bit/s that the client of a pseudo-terminal set, read
// through either end of it (on Linux the master reports the slave's settings).
// 0 when it cannot be read.
int clientLineSpeed(int fd);

} // namespace krn::vscreen
