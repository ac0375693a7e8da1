// Length-prefixed wide strings and the tagged value that property bags hand out.
#pragma once

#include <cstdint>

#include "platform/com/Hresult.h"

using BSTR = char16_t*;

// A copy of a zero-terminated string; null for null.
BSTR SysAllocString(const char16_t* text);
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);

using VARTYPE = uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
  VARTYPE vt;
  union {
    BSTR bstrVal;
    int64_t llVal;
  };
};

void VariantInit(VARIANT* v);
// Frees what the variant holds and leaves it empty.
HRESULT VariantClear(VARIANT* v);
