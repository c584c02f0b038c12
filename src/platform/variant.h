#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "platform/ole_date.h"

namespace chronova::platform {

/// Root of every object a Variant can hold; host objects derive from it so any object can travel in a
/// Variant and be asked for an interface with dynamic_pointer_cast.
class IUnknown {
public:
    virtual ~IUnknown() = default;
};
using ObjectRef = std::shared_ptr<IUnknown>;

/// The classic variant type codes; values keep their numbers because callers store and compare them.
enum class VarType : int {
    Empty = 0,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11
};

/// An automation variant: Empty, Integer (16-bit), Long (32-bit), Single, Double, Date, String, Boolean or
/// Object. Each C++ type maps to exactly one variant type, so Variant(int16_t{5}) is an Integer and
/// Variant(5) a Long.
class Variant {
public:
    struct EmptyValue {
        friend bool operator==(EmptyValue, EmptyValue) = default;
    };

    Variant() = default;
    Variant(int16_t value) : value_(value) {}
    Variant(int32_t value) : value_(value) {}
    Variant(float value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(Date value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(bool value) : value_(value) {}
    Variant(ObjectRef value) : value_(std::move(value)) {}

    VarType Type() const noexcept;
    bool IsEmpty() const noexcept { return std::holds_alternative<EmptyValue>(value_); }

    /// The held value when it is of type T, otherwise nullptr.
    template <class T>
    const T* Get() const noexcept {
        return std::get_if<T>(&value_);
    }

    /// Same type and same value (objects by identity).
    friend bool operator==(const Variant& a, const Variant& b) = default;

private:
    std::variant<EmptyValue, int16_t, int32_t, float, double, Date, std::string, bool, ObjectRef> value_;
};

} // namespace chronova::platform
