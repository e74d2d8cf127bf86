// The automation Variant: the result type of the component's operations and
// the value type of record-set fields. A default Variant is Empty; every
// operation of the component that has a result returns Empty.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "viruzedi/Calendar.h"
#include "viruzedi/Export.h"

namespace viruzedi {

class VIRUZEDI_API Variant {
 public:
  enum class Type { Empty, Null, Boolean, Integer, Long, Double, String, Date };
  struct NullValue {
    friend bool operator==(NullValue, NullValue) { return true; }
  };

  Variant() = default;
  Variant(bool value) : value_(value) {}
  Variant(int16_t value) : value_(value) {}
  Variant(int32_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(std::string value) : value_(std::move(value)) {}
  Variant(const char* value) : value_(std::string(value)) {}
  Variant(CalendarDate value) : value_(value) {}
  static Variant Null() {
    Variant v;
    v.value_ = NullValue{};
    return v;
  }

  Type type() const { return static_cast<Type>(value_.index()); }
  bool IsEmpty() const { return type() == Type::Empty; }
  bool IsNull() const { return type() == Type::Null; }

  bool AsBoolean() const { return std::get<bool>(value_); }
  int16_t AsInteger() const { return std::get<int16_t>(value_); }
  int32_t AsLong() const { return std::get<int32_t>(value_); }
  double AsDouble() const { return std::get<double>(value_); }
  const std::string& AsString() const { return std::get<std::string>(value_); }
  CalendarDate AsDate() const { return std::get<CalendarDate>(value_); }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<std::monostate, NullValue, bool, int16_t, int32_t, double,
               std::string, CalendarDate>
      value_;
};

}  // namespace viruzedi
