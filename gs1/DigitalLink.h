// A GS1 Digital Link address, the form 2D labels carry: the AIs and values
// of the label in its path, more of them in its query, as
//   https://any.host/any/prefix/02/08012345000012/10/LOT42?15=261231&37=12
// Only the uncompressed form is read.
#pragma once

#include <string_view>

#include "gs1/ElementString.h"

namespace viruzedi {

// True when `text` begins with http:// or https:// (letter case ignored).
bool IsDigitalLink(std::string_view text);

// The elements of the address, percent-decoded, not yet held against their
// AIs: the pairs of AI and value that end its path, in order (what comes
// before them is the host's own prefix), then the query's keys that are
// AIs, in order (other keys, and the fragment, are not the label's). A
// GTIN of 8, 12 or 13 digits in (01), (02) or (03) is padded to 14 with
// leading zeros, as the address may shorten it. Refused when the path ends
// in no pair, or a "%" is not followed by two hexadecimal digits.
Gs1Reading SplitDigitalLink(std::string_view uri);

}  // namespace viruzedi
