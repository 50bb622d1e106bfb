#pragma once
// An open file descriptor owned by one object, closed when the object goes.

#include <unistd.h>
#include <utility>

namespace varnox {

class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Reset(); }

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Gives up ownership: the caller closes the descriptor.
    int Release() { return std::exchange(fd_, -1); }
    // Closes the descriptor held (its close error ignored) and takes fd.
    void Reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes the descriptor held; false (errno set) when close reports an error, such as a
    // write the system deferred.
    bool Close() { return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_ = -1;
};

} // namespace varnox
