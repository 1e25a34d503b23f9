#pragma once
// CMaskedEdit: a single-line edit that keeps its text in the shape of a mask (the daily
// time "##:##"). The edit does its own editing; each change is then repaired on the
// reflected EN_UPDATE, before the edit shows it.

#include "controls/MaskModel.h"
#include "platform/Controls.h"

#include <string>

namespace corvale {

class CMaskedEdit : public CEdit {
public:
    void SetMask(const std::string& mask, char promptChar);
    void SetData(const std::string& data);
    // The placeholder characters, prompts included, without the literals.
    std::string GetData() const { return m_model.GetData(); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectedCommand(UINT notifyCode) override;

private:
    void OnUpdate();

    MaskModel m_model;
    LastKey m_lastKey = LastKey::Other;
};

} // namespace corvale
