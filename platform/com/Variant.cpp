#include "platform/com/Variant.h"

#include <cstdlib>
#include <cstring>

// The length in bytes is stored just before the characters, where SysStringLen
// reads it.
BSTR SysAllocString(const char16_t* text) {
  if (!text) return nullptr;
  uint32_t length = 0;
  while (text[length]) ++length;
  const uint32_t bytes = length * sizeof(char16_t);
  auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(char16_t)));
  if (!block) return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<char16_t*>(block + sizeof(uint32_t));
  std::memcpy(chars, text, bytes);
  chars[length] = 0;
  return chars;
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<char*>(text) - sizeof(uint32_t));
}

uint32_t SysStringLen(BSTR text) {
  if (!text) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char*>(text) - sizeof(uint32_t), sizeof bytes);
  return bytes / sizeof(char16_t);
}

void VariantInit(VARIANT* v) {
  v->vt = VT_EMPTY;
  v->llVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_POINTER;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}
