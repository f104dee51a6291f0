#include "ui/text.h"

namespace tavlora::ui {

QString displayText(std::string_view utf8) {
    QString s = qs(utf8);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace tavlora::ui
