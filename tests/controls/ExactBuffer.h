#pragma once
// A copy of the first bytes of some data in a heap block of exactly that size: the native
// test build runs under the address sanitizer, which stops a parser that reads even one
// byte past the end of its data.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace corvale::test {

class ExactBuffer {
public:
    ExactBuffer(const std::vector<std::uint8_t>& bytes, std::size_t length)
        : m_data(new std::uint8_t[length]), m_size(length)
    {
        if (length > 0)
            std::memcpy(m_data.get(), bytes.data(), length);
    }

    const std::uint8_t* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size;
};

} // namespace corvale::test
