#include "controls/OptionCheckBox.h"

#include "platform/Gdi.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr char kButtonCaption[] = "S";
constexpr int kLabelTextBuffer = 200;
constexpr COLORREF kWhite = RGB(255, 255, 255);

} // namespace

// The painter of a label window. It sits in the window's subclass chain, so the window's
// own procedure is what runs for every message but WM_PAINT, and unhooking it restores
// that procedure exactly.
class COptionLabel : public CStatic {
protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != WM_PAINT)
            return CStatic::OnMessage(msg, wParam, lParam);
        Paint();
        return 1;
    }

private:
    void Paint()
    {
        char text[kLabelTextBuffer] = {};
        ::GetWindowTextA(m_hWnd, text, kLabelTextBuffer);
        PaintDc paint(m_hWnd);
        RECT client = GetClientRect();
        // Made and deleted on every paint: labels are few and rarely repainted.
        GdiObject font(::CreateFontA(14, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                     "MS Sans Serif"));
        GdiObject pen(::CreatePen(PS_SOLID, 0, kWhite));
        SelectGuard fontGuard(paint.Get(), font.Get());
        SelectGuard penGuard(paint.Get(), pen.Get());
        ::SetBkColor(paint.Get(), kWhite);
        // The context's default brush is white: a white box with a white border.
        ::Rectangle(paint.Get(), 0, 0, client.right, client.bottom);
        ::DrawTextExA(paint.Get(), text, -1, &client, DT_WORD_ELLIPSIS, nullptr);
    }
};

COptionCheckBox::COptionCheckBox() = default;

COptionCheckBox::~COptionCheckBox()
{
    DestroyLabel();
}

void COptionCheckBox::ReleaseWindows()
{
    DestroyLabel();
    CButton::ReleaseWindows();
}

void COptionCheckBox::DestroyLabel()
{
    if (!m_label)
        return;
    // No message may reach the painter once its object starts to go.
    HWND label = m_label->UnsubclassWindow();
    if (label)
        ::DestroyWindow(label);
    m_label.reset();
}

bool COptionCheckBox::Create(const char* labelText, HFONT, DWORD style, const RECT& buttonRect, const RECT& labelRect,
                             HWND parent, UINT id)
{
    if (!CButton::Create(kButtonCaption, style, buttonRect, parent, id))
        return false;
    auto label = std::make_unique<COptionLabel>();
    // Without its label the option still works as a check box: nothing to report.
    if (label->Create(labelText, WS_CHILD | WS_VISIBLE, labelRect, parent, kLabelId))
        m_label = std::move(label);
    return true;
}

HWND COptionCheckBox::LabelWindow() const
{
    return m_label ? m_label->GetSafeHwnd() : nullptr;
}

} // namespace corvale
