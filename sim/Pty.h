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

    int masterFd() const { return master_; }
    const std::string &slavePath() const { return slavePath_; }

    // Line speed (baud) as the PC has set it on the slave right now; 0 if unknown.
    int lineSpeed() const;
    // Bytes written to the PC that it has not read yet.
    int unread() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Baud of a speed constant, or of the descriptor's custom speed.
int baudOf(unsigned speedConstant, int fd);
int customBaud(int fd);

} // namespace sim
