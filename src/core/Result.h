#pragma once

// Fallible operations return their outcome as a value: a Status, or a Result holding either the
// value or an Error. Both are [[nodiscard]], so ignoring an outcome does not compile with -Werror.
// The core never shows anything; the window that called decides what the user is told.

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// Why an operation failed, in words a user can be shown after what was not done.
class Error {
public:
    explicit Error(QString message)
        : message_(std::move(message)) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Error error) // NOLINT(google-explicit-constructor): `return Error(...)` reads best
        : error_(std::move(error)) {}

    bool isOk() const { return !error_; }
    explicit operator bool() const { return isOk(); }
    // Empty on success.
    QString errorMessage() const { return error_ ? error_->message() : QString(); }
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) // NOLINT(google-explicit-constructor)
        : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) // NOLINT(google-explicit-constructor)
        : state_(std::in_place_index<1>, std::move(error)) {}

    bool isOk() const { return state_.index() == 0; }
    explicit operator bool() const { return isOk(); }

    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // The value, or `fallback` on failure.
    T value_or(T fallback) const& { return isOk() ? value() : std::move(fallback); }

    const Error& error() const { return std::get<1>(state_); }
    QString errorMessage() const { return isOk() ? QString() : error().message(); }
    Status status() const { return isOk() ? Status() : Status(error()); }

private:
    std::variant<T, Error> state_;
};
