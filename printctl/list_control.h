#pragma once
// The caller's list of printers, as the printer-settings class uses it: a list box or a combo box
// of the calling program, reached only through these four members.
#include "printctl/printctl_export.h"

#include <string>

namespace printctl {

class PRINTCTL_EXPORT ListControl {
public:
    virtual ~ListControl();
    // Appends one entry (UTF-8) at the end of the list.
    virtual void AddItem(const std::string& item) = 0;
    // The number of entries.
    virtual int ListCount() const = 0;
    // The entry at index (0-based); "" outside 0 .. ListCount() - 1.
    virtual std::string List(int index) const = 0;
    // The chosen entry's text ("" when nothing is chosen).
    virtual std::string Text() const = 0;
    // Chooses the entry with exactly this text; a text no entry has leaves the choice unchanged
    // (an editable combo box takes the text as typed).
    virtual void Text(const std::string& text) = 0;
};

} // namespace printctl
