// A POSIX file descriptor that closes itself: the native tests' and benchmark's files.
#pragma once
#include <unistd.h>

class UniqueDescriptor {
public:
    explicit UniqueDescriptor(int value) noexcept : value_(value) {}
    UniqueDescriptor(UniqueDescriptor&& other) noexcept : value_(other.value_) { other.value_ = -1; }
    UniqueDescriptor(const UniqueDescriptor&) = delete;
    UniqueDescriptor& operator=(const UniqueDescriptor&) = delete;
    ~UniqueDescriptor() {
        if (value_ >= 0) close(value_);
    }
    int Get() const noexcept { return value_; }

private:
    int value_;
};
