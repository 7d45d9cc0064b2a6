// The speed setting of a terminal, read and set through termios2, which
// holds any rate. On a pseudo-terminal both sides share the slave's setting,
// so the simulator sees the rate the program set on its side.
#pragma once

namespace elmsim {

// 0 when the setting cannot be read.
int LineRate(int fd);
// False when the terminal does not take the rate.
bool SetLineRate(int fd, int rate);

} // namespace elmsim
