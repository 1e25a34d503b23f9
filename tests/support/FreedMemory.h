#pragma once
// While one of these lives, memory this thread gives back is filled with 0xDD and kept
// from reuse: code still working on a freed object then reads garbage and fails at once,
// instead of finding the new object that took the old one's place.
namespace corvale::test {

class FreedMemoryPoison {
public:
    FreedMemoryPoison();
    // Gives the kept memory back.
    ~FreedMemoryPoison();
    FreedMemoryPoison(const FreedMemoryPoison&) = delete;
    FreedMemoryPoison& operator=(const FreedMemoryPoison&) = delete;
};

} // namespace corvale::test
