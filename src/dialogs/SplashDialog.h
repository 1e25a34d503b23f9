#pragma once
// CSplashDialog: the picture shown for three seconds while the program starts.

#include "controls/AnimatedPicture.h"
#include "platform/Dialog.h"

namespace corvale {

class CSplashDialog : public CDialog {
public:
    static constexpr UINT kShowMilliseconds = 3000;

    // The picture is resource imageId of type "GIF" (the program's is a JPEG).
    explicit CSplashDialog(UINT imageId);
    CSplashDialog();

    CAnimatedPicture& Picture() { return m_picture; }

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CAnimatedPicture m_picture;
    UINT m_imageId;
};

} // namespace corvale
