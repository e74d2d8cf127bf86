// A GS1 label's element string read as GS1 writes it and scanners send it,
// into its list of (AI, value), each value held against its AI's
// definition (gs1/ApplicationIdentifiers.h).
//
// The forms read:
//  - bracketed, as printed under a barcode: (02)08012345000012(10)LOT42,
//    "\(" standing for a "(" inside a value;
//  - unbracketed, as a scanner sends it: the AIs and values one after the
//    other, the GS character (0x1D) after every value whose length varies
//    and that is not the last (a GS after a value of fixed length is
//    accepted too); "^" at the start stands for the leading FNC1, and then
//    "^" also stands for GS, as GS1's own tools write it;
//  - either of those behind the symbology identifier of a GS1 symbol: ]C1
//    (GS1-128), ]e0 (GS1 DataBar), ]d2 (GS1 DataMatrix), ]Q3 (GS1 QR Code),
//    ]J1 (GS1 DotCode);
//  - a GS1 Digital Link address (gs1/DigitalLink.h), also behind ]Q1 or
//    ]d1, the identifiers of a QR Code or Data Matrix carrying plain text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace viruzedi {

// One element of a label: an application identifier and its value.
struct Gs1Element {
  std::string ai;
  std::string value;
  friend bool operator==(const Gs1Element&, const Gs1Element&) = default;
};

// What reading a label gave: its elements in the label's order, or why it
// was refused.
struct Gs1Reading {
  std::vector<Gs1Element> elements;
  // Empty when the label was read; else the reason, in the component's
  // words, and `elements` is empty.
  std::string refusal;

  bool Read() const { return refusal.empty(); }
  // The value of `ai`, null when the label has none.
  const std::string* ValueOf(std::string_view ai) const;
};

// Reads a label in any of the forms above. Refuses a text in no such form,
// an AI that does not exist, a value too short or too long for its AI, a
// character outside its AI's set, a wrong check digit, an impossible date,
// an AI given twice with different values (the same value twice counts
// once). Never throws.
Gs1Reading ReadGs1Label(std::string_view text);

// The elements in bracketed form, "(" inside a value written "\(": what
// ReadGs1Label reads back into the same elements.
std::string BracketedForm(const std::vector<Gs1Element>& elements);

}  // namespace viruzedi
