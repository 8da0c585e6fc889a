// Releasing a COM object the devices own: once, leaving a null pointer.
#pragma once

namespace vimo {

template <typename T>
void releaseObject(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace vimo
