#pragma once
// COptionCheckBox: the check box behind every option of the skinned pages. The button is
// just big enough for its check mark; the text the user reads is a separate static
// window beside it, painted as black "MS Sans Serif" text on a white box so that it
// reads the same on any skin and any system colours.

#include "platform/Controls.h"

#include <memory>

namespace corvale {

class COptionLabel;

class COptionCheckBox : public CButton {
public:
    static constexpr UINT kLabelId = 0xFFFF;

    COptionCheckBox();
    // Unhooks the painter from the label, destroys the label, then the button.
    ~COptionCheckBox() override;

    // The label paints in its own font, so the caller's font is not used.
    bool Create(const char* labelText, HFONT callerFont, DWORD style, const RECT& buttonRect, const RECT& labelRect,
                HWND parent, UINT id);

    // The label window; null until Create succeeded.
    HWND LabelWindow() const;

protected:
    // The label goes with the button: a box let go of while a dialog is open over the
    // page leaves nothing on screen until it is deleted.
    void ReleaseWindows() override;

private:
    void DestroyLabel();

    std::unique_ptr<COptionLabel> m_label;
};

} // namespace corvale
