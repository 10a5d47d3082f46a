#pragma once

#include <cassert>
#include <cstring>
#include <string>
#include <utility>
#include <variant>

namespace velmora {

// Why an operation of the core did not give its value: the one failure type
// the core hands to its callers. `message` is the full text a user is shown
// (or the system's reason, "No space left on device", where the caller
// builds the sentence around it); `subject` names what failed (a path, an
// option) where a caller needs it apart from the text, and may be empty.
struct Failure {
    std::string message;
    std::string subject;

    bool operator==(const Failure&) const = default;
};

// The Failure of a system call that set errno `error`: the system's text for
// it. Where errno stops: the file operations hand this on, never the number.
// (`subject` by reference, so that `systemFailure(errno, path)` reads errno
// before anything is allocated.)
inline Failure systemFailure(int error, const std::string& subject = {}) {
    return Failure{std::strerror(error), subject};
}

// A value or the Failure that stands in its place. Reading the value of a
// failure, or the failure of a value, breaks the contract (asserted).
template <typename T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(m_state);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(m_state);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(m_state));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Failure& failure() const {
        assert(!ok());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, Failure> m_state;
};

// Success with no value, or a Failure.
template <>
class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Failure failure) : m_failed(true), m_failure(std::move(failure)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Failure& failure() const {
        assert(!ok());
        return m_failure;
    }

private:
    bool m_failed = false;
    Failure m_failure;
};
using Status = Expected<void>;

}  // namespace velmora
