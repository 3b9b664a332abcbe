#include "ui/win32_shared_memory.h"

namespace kestrine {

bool SharedMemory::create(const char* name, std::uint32_t size) {
    close();

    // A null DACL: a copy started by another account can still open the block.
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
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
