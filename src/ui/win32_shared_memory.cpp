#include "ui/win32_shared_memory.h"

#include <sddl.h>

#include <utility>

#include "platform/win32_process_token.h"

namespace kestrine {

std::string ownUserAccess() {
    const std::string user = tokenUserSid();
    return user.empty() ? std::string() : "D:P(A;;GA;;;" + user + ')';
}

bool SharedMemory::create(const char* name, std::uint32_t size) {
    close();

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(ownUserAccess().c_str(), SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    const UniqueLocalMemory ownedDescriptor(descriptor);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;

    UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, size, name));
    const bool createdNew = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!mapping.valid()) return false;

    auto* view = static_cast<std::uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view == nullptr) return false;

    mapping_ = std::move(mapping);
    view_.reset(view);
    size_ = size;
    createdNew_ = createdNew;
    return true;
}

void SharedMemory::close() {
    view_.reset();
    mapping_.reset();
    size_ = 0;
    createdNew_ = false;
}

}  // namespace kestrine
