#pragma once
// The three encodings of the cleaning hot key: the stored HotKeyA (modifiers in bits
// 16-23, virtual key in the low 16 bits), the hot-key control's word (modifiers in the
// high byte, virtual key in the low byte) and what RegisterHotKey takes. The modifier
// bits are the hot-key control's: 0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x08 extended key.

#include <cstdint>

namespace corvale {

// The word HKM_SETHOTKEY takes for a stored key.
std::uint16_t HotKeyControlWord(std::uint32_t hotKeyA);
// The stored key for what the control reports.
std::uint32_t HotKeyFromControl(std::uint16_t virtualKey, std::uint16_t modifiers);

// MOD_NOREPEAT: a key held down reports once, not at every auto-repeat.
constexpr std::uint32_t kModNoRepeat = 0x4000;

// RegisterHotKey's modifiers (MOD_SHIFT 0x04, MOD_CONTROL 0x02, MOD_ALT 0x01) for a
// stored key, with kModNoRepeat.
std::uint32_t RegisterModifiers(std::uint32_t hotKeyA);
// RegisterHotKey's virtual key for a stored key.
std::uint32_t RegisterVirtualKey(std::uint32_t hotKeyA);

} // namespace corvale
