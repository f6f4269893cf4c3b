#include "Pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim
{

PtyDevice::~PtyDevice()
{
    close();
}

bool PtyDevice::open(std::string &error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    char name[256];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("grantpt/unlockpt/ptsname: ") + std::strerror(errno);
        close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) {
        error = slavePath_ + ": " + std::strerror(errno);
        close();
        return false;
    }
    termios t{};
    if (tcgetattr(slave_, &t) != 0) {
        error = std::string("tcgetattr: ") + std::strerror(errno);
        close();
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    if (tcsetattr(slave_, TCSANOW, &t) != 0) {
        error = std::string("tcsetattr: ") + std::strerror(errno);
        close();
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    return true;
}

void PtyDevice::close()
{
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

int PtyDevice::lineSpeed() const
{
    // On the master, the terminal ioctls act on the slave's settings.
    termios t{};
    if (master_ < 0 || tcgetattr(master_, &t) != 0)
        return 0;
    return baudOf(unsigned(cfgetospeed(&t)), master_);
}

int PtyDevice::unread() const
{
    int n = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &n) != 0)
        return 0;
    return n;
}

int baudOf(unsigned speedConstant, int fd)
{
    switch (speedConstant) {
    case B50:
        return 50;
    case B75:
        return 75;
    case B110:
        return 110;
    case B134:
        return 134;
    case B150:
        return 150;
    case B200:
        return 200;
    case B300:
        return 300;
    case B600:
        return 600;
    case B1200:
        return 1200;
    case B1800:
        return 1800;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    case B460800:
        return 460800;
    case B500000:
        return 500000;
    case B576000:
        return 576000;
    case B921600:
        return 921600;
    case B1000000:
        return 1000000;
    default:
        return customBaud(fd);
    }
}

} // namespace sim
