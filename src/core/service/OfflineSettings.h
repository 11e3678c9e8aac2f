#pragma once
// Working offline: a settings file opened without a controller. The file's settings become the
// device's record, every page and calibration model shows and edits them (the record only, nothing
// is sent), the record is saved back to the file, and the next controller that is connected is
// offered the prepared settings: written with the load action, after a backup of its own, or
// discarded.
//
// Lives on the faces' thread, like the record it works on.

#include <functional>
#include <optional>
#include <string>

#include "device/CLPGDevice.h"
#include "service/SettingsActions.h"

namespace tarvola {

class COfflineSettings {
public:
    explicit COfflineSettings(CLPGDevice& device) : m_device(device) {}

    // Opens `path` as a fresh record holding the file's settings and puts the device offline
    // (announced as a replaced picture). False with `error` set, and nothing changed, while a
    // controller (or the demo) is connected or when the file cannot be read.
    bool open(const std::string& path, std::string& error);
    // Ends working on the file: the device is no longer offline and the record is a fresh default
    // record again. Unsaved changes are lost; the face asks first.
    void close();
    bool active() const { return m_device.isOffline(); }
    // The file worked on (empty when not active).
    const std::string& path() const { return m_path; }
    // True when the record was edited since it was opened or last saved.
    bool modified() const { return m_modified; }

    // Writes the record to `path` (the open file when empty; it then becomes the open file) through a
    // temporary file, stamped with the local time. False when it cannot be written (the message has
    // been shown through the device's prompt; the file on disk is as it was and the record still
    // counts as modified).
    bool save(const std::string& path = {});

    // Every change the device announces: while active, an edit of a block or the map marks the
    // record modified. A replaced picture (the file opened) does not.
    void noteChange(const DeviceChange& change);
    // Heard after open, save, close, a first edit and a connection: the title and menus follow.
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

    // Runs a connection attempt while working offline. The attempt reads a controller into the
    // record; when it finds none the file's record is put back as it was and the file stays open.
    // When it finds one the file is closed, its settings wait as prepared settings for the user's
    // decision, and the result is true. Without an open file the attempt simply runs.
    bool connectAttempt(const std::function<bool()>& attempt);
    // Settings prepared offline that wait for the connected controller's decision.
    bool hasPrepared() const { return m_prepared.has_value(); }
    // The file the prepared settings came from, and whether they held unsaved changes.
    const std::string& preparedPath() const { return m_preparedPath; }
    bool preparedModified() const { return m_preparedModified; }
    // Saves the prepared settings to the file they came from (connecting closed it while it held
    // unsaved changes). False, after the message, when it cannot be written.
    bool savePrepared();
    // Writes the prepared settings to the controller with the load action, after saving the
    // controller's own settings to a time-stamped backup (`backup` gets its path; the write is
    // refused, Failed, after its message, when the controller did not send every block or no backup
    // could be made). The prepared settings are gone afterwards.
    ActionOutcome writePrepared(std::optional<std::string>& backup);
    void discardPrepared();

private:
    void changed();

    CLPGDevice& m_device;
    std::string m_path;
    bool m_modified = false;
    bool m_attempting = false;
    std::optional<CDeviceSettings> m_prepared;
    std::string m_preparedPath;
    bool m_preparedModified = false;
    std::function<void()> m_onChange;
};

} // namespace tarvola
