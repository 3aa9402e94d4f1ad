#include "app/local_text.h"

#include <QStringView>

namespace orvix {

QString LocalText::pick(int country) const {
    switch (country) {
    case Country::Korea:
        return QStringView(korean).toString();
    case Country::China:
        return QStringView(chinese).toString();
    default:
        return QStringView(english).toString();
    }
}

} // namespace orvix
