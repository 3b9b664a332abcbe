#pragma once
// One named block of shared memory, open to the user who runs the program and nobody else:
// no other account's process may write the hand-over byte.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32_handle.h"

namespace kestrine {

// The block's access list, in the system's security descriptor language: the process's own
// user (the token's user SID) has all rights, nobody else any; empty when the token cannot be
// read, and then no block is made.
std::string ownUserAccess();

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
