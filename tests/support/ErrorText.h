#pragma once

#include "core/base/Errors.h"

#include <QString>

// The text of the error that body raises, or an empty text when it raises none.
template <class F> QString ErrorText(F&& body)
{
    try {
        body();
    } catch (const ParleyError& e) {
        return e.text();
    }
    return QString();
}
