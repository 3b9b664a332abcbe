#pragma once
// One named block of shared memory, open to every account on the machine.
#include <windows.h>

#include <cstdint>

#include "platform/win32_handle.h"

namespace kestrine {

class SharedMemory {
public:
    // Creates the block, or opens it when another process made it first; maps all of it.
    // Closes a block this object held before.
    bool create(const char* name, std::uint32_t size);
    std::uint8_t* view() const { return view_.get(); }
    std::uint32_t size() const { return size_; }
    // False when the block existed before create().
    bool createdNew() const { return createdNew_; }
    void close();

private:
    UniqueHandle mapping_;
    // Declared after the mapping, so the view is unmapped before the mapping closes.
    UniqueView view_;
    std::uint32_t size_ = 0;
    bool createdNew_ = false;
};

}  // namespace kestrine
