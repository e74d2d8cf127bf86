// What a column's declared type accepts, and the conversion of a row's typed
// value or a record-set Variant into the value bound to the INSERT.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "viruzedi/Variant.h"
#include "database/Row.h"

namespace viruzedi {

// The engine's reading of a declared column type, in this order: a type
// naming DATE or TIME is Date; INT, Integer; CHAR, CLOB or TEXT, Text; no
// type or BLOB, Any; every other type (REAL, DOUBLE, NUMERIC, DECIMAL, ...)
// is Number. Letter case is ignored.
enum class ColumnKind { Integer, Number, Date, Text, Any };
ColumnKind KindOfDeclaredType(std::string_view declaredType);

// The value handed to the engine: Null, an integer, a real or a text.
using BoundValue = std::variant<std::monostate, int64_t, double, std::string>;

// A row's value for a column of the given kind, as the header of
// Database.h lists. Throws AutomationError 3464 naming `column` when the
// value is of the wrong type, 3134 for a date that names no calendar day;
// a record set's field is converted by ValueOfVariant (3421).
BoundValue ValueOfRowValue(const RowValue& value, ColumnKind kind, const std::string& column);

// A record-set value for a field of the given kind, as the header of
// Database.h lists. Throws AutomationError 3421 naming `field` when it
// cannot be converted.
BoundValue ValueOfVariant(const Variant& value, ColumnKind kind, const std::string& field);

// A date as the engine stores it: "yyyy-mm-dd".
std::string StoredDate(const CalendarDate& date);

}  // namespace viruzedi
