#pragma once
#include <windows.h>
#include <oleauto.h>

namespace simplayer {

// What an enumerator walks: a collection read live, counting from 1.
class ItemSource {
public:
    virtual ~ItemSource() = default;
    virtual long count() = 0;
    // The item as a member result would give it (a new object, or "no object").
    virtual HRESULT item(long index, VARIANT* out) = 0;
};

}  // namespace simplayer
