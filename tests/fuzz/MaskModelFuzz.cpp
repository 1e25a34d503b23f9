// Random edits against the time mask: whatever the edit control reports, the shown
// text keeps the mask's shape.
#include "controls/MaskModel.h"

#include <cstdlib>
#include <string>

using corvale::LastKey;
using corvale::MaskModel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MaskModel model;
    model.SetMask("##:##", '_');
    std::size_t at = 0;
    while (at + 3 <= size) {
        const std::size_t caret = data[at] % 8;
        const LastKey key = static_cast<LastKey>(data[at + 1] % 3);
        // The edit's text: the shown one with one character typed in or taken out.
        std::string text = model.Display();
        const std::size_t where = data[at + 2] % (text.size() + 1);
        if (data[at + 1] & 0x80)
            text.erase(where, 1);
        else
            text.insert(where, 1, static_cast<char>(data[at + 2]));
        at += 3;
        const auto repair = model.Repair(text, caret, key);
        const std::string& shown = model.Display();
        if (shown.size() != 5 || shown[2] != ':' || repair.Caret > 6)
            std::abort();
        for (std::size_t i : {0u, 1u, 3u, 4u}) {
            const char c = shown[i];
            if (c != '_' && (c < '0' || c > '9'))
                std::abort();
        }
    }
    return 0;
}
