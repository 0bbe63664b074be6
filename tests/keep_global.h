// Globals lent to a test: put back as the test found them when its scope ends.
#pragma once
#include <cstring>
#include <type_traits>

// Keeps a copy of `global` (a record, a pointer or an array of them) and writes it back on
// destruction, so a failed assertion cannot leave another test a borrowed buffer.
template <class T> class KeepGlobal {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    explicit KeepGlobal(T& global) : global_(global) { std::memcpy(&saved_, &global, sizeof(T)); }
    ~KeepGlobal() { std::memcpy(&global_, &saved_, sizeof(T)); }
    KeepGlobal(const KeepGlobal&) = delete;
    KeepGlobal& operator=(const KeepGlobal&) = delete;

private:
    T& global_;
    T saved_;
};
