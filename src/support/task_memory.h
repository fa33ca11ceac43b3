// Owner of a block of COM task memory; frees it with CoTaskMemFree.
#pragma once
#include <windows.h>
#include <objbase.h>

template <class T>
class TaskMemory {
public:
    TaskMemory() noexcept = default;
    explicit TaskMemory(T* block) noexcept : block_(block) {}
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;
    ~TaskMemory() { CoTaskMemFree(block_); }

    T* Get() const noexcept { return block_; }
    // For out-parameters: frees what is held and hands out the slot.
    T** Receive() noexcept {
        CoTaskMemFree(block_);
        block_ = nullptr;
        return &block_;
    }
    T* Detach() noexcept {
        T* block = block_;
        block_ = nullptr;
        return block;
    }

private:
    T* block_ = nullptr;
};
