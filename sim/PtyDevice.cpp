#include "PtyDevice.h"

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
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    char name[256];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("grantpt/unlockpt/ptsname: ") + std::strerror(errno);
        close();
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0) {
        error = m_slavePath + ": " + std::strerror(errno);
        close();
        return false;
    }
    termios t{};
    if (tcgetattr(m_slave, &t) != 0) {
        error = std::string("tcgetattr: ") + std::strerror(errno);
        close();
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    if (tcsetattr(m_slave, TCSANOW, &t) != 0) {
        error = std::string("tcsetattr: ") + std::strerror(errno);
        close();
        return false;
    }
    const int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    return true;
}

void PtyDevice::close()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

int PtyDevice::lineSpeed() const
{
    // On the master, the terminal ioctls act on the slave's settings.
    termios t{};
    if (m_master < 0 || tcgetattr(m_master, &t) != 0)
        return 0;
    return baudOf(unsigned(cfgetospeed(&t)), m_master);
}

int PtyDevice::unread() const
{
    int n = 0;
    if (m_slave < 0 || ioctl(m_slave, FIONREAD, &n) != 0)
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
