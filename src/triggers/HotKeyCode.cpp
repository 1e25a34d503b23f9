#include "triggers/HotKeyCode.h"

namespace corvale {
namespace {

constexpr std::uint32_t kControlShift = 0x01;
constexpr std::uint32_t kControlCtrl = 0x02;
constexpr std::uint32_t kControlAlt = 0x04;

constexpr std::uint32_t kModAlt = 0x0001;
constexpr std::uint32_t kModControl = 0x0002;
constexpr std::uint32_t kModShift = 0x0004;

std::uint32_t ControlModifiers(std::uint32_t hotKeyA)
{
    return (hotKeyA >> 16) & 0xFF;
}

} // namespace

std::uint16_t HotKeyControlWord(std::uint32_t hotKeyA)
{
    return static_cast<std::uint16_t>(ControlModifiers(hotKeyA) << 8 | (hotKeyA & 0xFF));
}

std::uint32_t HotKeyFromControl(std::uint16_t virtualKey, std::uint16_t modifiers)
{
    return static_cast<std::uint32_t>(modifiers) << 16 | virtualKey;
}

std::uint32_t RegisterModifiers(std::uint32_t hotKeyA)
{
    // The control's extended-key bit only says which of two keys with one name was
    // pressed (the virtual key tells them apart already); passed on, it would read as
    // the Windows key, which the control can neither take nor show.
    const std::uint32_t bits = ControlModifiers(hotKeyA);
    // Each report starts a run, and a run lets the next report in between its steps:
    // a held key would start one run inside another.
    std::uint32_t modifiers = kModNoRepeat;
    if (bits & kControlShift)
        modifiers |= kModShift;
    if (bits & kControlCtrl)
        modifiers |= kModControl;
    if (bits & kControlAlt)
        modifiers |= kModAlt;
    return modifiers;
}

std::uint32_t RegisterVirtualKey(std::uint32_t hotKeyA)
{
    return hotKeyA & 0xFFFF;
}

} // namespace corvale
