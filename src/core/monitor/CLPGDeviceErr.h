#pragma once
// The stored-error model that the device object is built on: the controller's error categories and
// the list of error objects decoded from its stored error flags.

namespace tarvola {

class CLPGDeviceErr {
public:
    virtual ~CLPGDeviceErr() = default;

    // Rebuilds the list of error categories (their texts follow the current language).
    virtual void rebuildErrorList() {}
};

} // namespace tarvola
