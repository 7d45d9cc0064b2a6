#include "linerate.h"

// termios2 comes from the kernel headers, which do not mix with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace elmsim {

int LineRate(int fd) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) < 0)
        return 0;
    return static_cast<int>(tio.c_ospeed);
}

bool SetLineRate(int fd, int rate) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) < 0)
        return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(rate);
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace elmsim
