// Files opened by handle, as the graph log needs them: created, written, closed.
#pragma once

#include <cstdint>

struct KernelFile;
using HANDLE = KernelFile*;

// The value a failed CreateFileA answers: all bits set, not null, and callers test
// for this value.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t{0});

constexpr uint32_t GENERIC_READ = 0x80000000u;
constexpr uint32_t GENERIC_WRITE = 0x40000000u;
constexpr uint32_t CREATE_ALWAYS = 2;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

// Only CREATE_ALWAYS is offered: the file is made or emptied. The sharing mode
// and attributes have no meaning here and are not looked at.
HANDLE CreateFileA(const char* name, uint32_t access, uint32_t shareMode, void* security,
                   uint32_t disposition, uint32_t flags, HANDLE templateFile);
bool WriteFile(HANDLE file, const void* data, uint32_t size, uint32_t* written, void* overlapped);
bool CloseHandle(HANDLE file);
