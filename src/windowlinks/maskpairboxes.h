#pragma once

#include <string>

namespace tekstovar {

// The main window's two mask boxes as the scenario and library windows use
// them: the pair they show, in WIN bytes.
class TMaskPairBoxes {
public:
    virtual std::string Mask() const = 0;
    virtual std::string Replace() const = 0;
    virtual void ShowPair(const std::string& mask, const std::string& replace) = 0;
    // A lexem chosen in the library goes after what the search mask holds.
    virtual void AppendToMask(const std::string& text) = 0;

protected:
    ~TMaskPairBoxes() = default;
};

} // namespace tekstovar
