// Result codes of our COM layer: negative for a failure, and fixed numbers that
// messages and the graph log show in hexadecimal.
#pragma once

#include <cstdint>

using HRESULT = int32_t;

constexpr HRESULT MakeHresult(uint32_t value) { return static_cast<HRESULT>(value); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHresult(0x80004003u);
constexpr HRESULT E_FAIL = MakeHresult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHresult(0x800401F0u);
constexpr HRESULT E_ABORT = MakeHresult(0x80004004u);

// A system error code carried in the low 16 bits of a failure result (0x8007xxxx).
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t error) {
  return error == 0 ? S_OK : MakeHresult((error & 0xFFFFu) | 0x80070000u);
}
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_WRITE_FAULT = 29;
constexpr uint32_t ERROR_DISK_FULL = 112;

// Results of the media graph layer.
constexpr HRESULT VFW_S_DUPLICATE_NAME = MakeHresult(0x0004022Du);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHresult(0x80040204u);
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHresult(0x80040209u);
constexpr HRESULT VFW_E_NOT_FOUND = MakeHresult(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHresult(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHresult(0x80040218u);
constexpr HRESULT VFW_E_NOT_RUNNING = MakeHresult(0x80040226u);
constexpr HRESULT VFW_E_WRONG_STATE = MakeHresult(0x80040227u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHresult(0x8004022Au);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHresult(0x80040240u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHresult(0x8004025Fu);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHresult(0x80040265u);
