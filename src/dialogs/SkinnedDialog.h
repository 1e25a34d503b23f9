#pragma once
// CSkinnedDialog: the behaviour the program's captionless windows share. Their whole face
// is one skin picture, which the window takes the size of; a strip along the top moves
// the window; the cursor comes from the window's region table; and a button release
// goes to the window's click table wherever the press began.

#include "controls/AnimatedPicture.h"
#include "dialogs/DialogRegions.h"
#include "platform/Dialog.h"

namespace corvale {

class CSkinnedDialog : public CDialog {
public:
    // A press above dragStripHeight (client pixels) moves the window.
    CSkinnedDialog(UINT templateId, HWND parent, UINT pictureControlId, int dragStripHeight);

    CAnimatedPicture& Picture() { return m_picture; }
    bool IsDragging() const { return m_dragging; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Binds the picture control; a derived window that binds more calls this first.
    void DoDataExchange() override;

    // Loads the skin image (resource type "GIF") into the picture, shows it and sizes
    // the window to it, keeping the top-left corner. False when the image cannot load.
    bool ApplySkin(UINT imageId);

    // The system cursor (IDC_*) for a mouse over (x, y) while no drag is under way.
    virtual const char* CursorAt(int x, int y) const = 0;
    // A press inside the drag strip that the window takes for itself (the main
    // window's round buttons); true keeps the drag from starting.
    virtual bool OnStripButtonDown(int /*x*/, int /*y*/) { return false; }
    // A left-button release at (x, y), after any drag has ended.
    virtual void OnButtonRelease(int /*x*/, int /*y*/) {}

private:
    void OnButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnButtonUp(int x, int y);

    CAnimatedPicture m_picture;
    UINT m_pictureControlId;
    int m_dragStripHeight;
    bool m_dragging = false;
    POINT m_dragOrigin{};
};

// The system cursor (IDC_*) that shows a region's cursor.
const char* SystemCursor(DialogCursor cursor);

// Opens a web page in the user's browser; whether it opened is not the caller's concern.
void OpenWebPage(const char* url);

// What OpenWebPage hands the address to. Tests put a recorder here so that they see
// which page a click opens without starting a browser; returns the opener it replaced.
using PageOpener = void (*)(const char* url);
PageOpener ReplacePageOpener(PageOpener opener);

} // namespace corvale
