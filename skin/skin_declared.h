#pragma once
// Internal: an object as the skin file declares it, before a form is applied.

#include "skin/skin.h"

namespace brisklet::skin {

// The namespace of the skin's own attributes in the SVG document.
inline constexpr const char* skinNamespace = "urn:brisklet:skin";

struct Skin::Declared {
    QString id;
    QString form; // the id of the enclosing element marked skin:form
    ObjectKind kind = ObjectKind::Button;
    ObjectStyle style;
    QString tip;
    QString text;  // what a text object shows until the program sets it
    QString label; // skin:label, else the text drawn inside the element
};

// The thumb of a scroll bar object, inside its rectangle.
QRect thumbRect(const SkinObject& bar);

} // namespace brisklet::skin
