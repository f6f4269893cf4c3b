// The pseudo-terminal the simulator plays the bus on. The PC opens the slave
// side; the simulator reads and writes the master side and keeps a slave
// descriptor of its own open, so that the master never reads EIO while the
// PC closes and reopens the port.
#pragma once

#include <string>

namespace sim
{

class PtyDevice
{
public:
    PtyDevice() = default;
    PtyDevice(const PtyDevice &) = delete;
    PtyDevice &operator=(const PtyDevice &) = delete;
    ~PtyDevice();

    // Opens the pair and sets the slave raw at 19200 baud.
    bool open(std::string &error);
    void close();

    int masterFd() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }

    // Line speed (baud) as the PC has set it on the slave right now; 0 if unknown.
    int lineSpeed() const;
    // Bytes written to the PC that it has not read yet.
    int unread() const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// Baud of a speed constant, or of the descriptor's custom speed.
int baudOf(unsigned speedConstant, int fd);
int customBaud(int fd);

} // namespace sim
