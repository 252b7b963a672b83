#pragma once

#include "settings/settings.h"

#include <string>

namespace tekstovar {

// The settings in memory, as the settings dialog reads and applies them.
class TSettingsHost {
public:
    virtual const TSettings& Settings() const = 0;
    virtual std::string GetBackupRoot() const = 0;
    // Takes what the dialog shows: its values, and the history length as
    // typed (a text that is no whole number keeps the length and the
    // histories). Nothing is written to the file.
    virtual void ApplySettings(const TSettings& dialog, const std::string& historyLengthText) = 0;
    // Writes the settings file now; a failure throws TError.
    virtual void SaveSettings() = 0;

protected:
    ~TSettingsHost() = default;
};

} // namespace tekstovar
