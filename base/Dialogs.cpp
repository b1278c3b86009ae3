#include "base/Dialogs.h"

QString errorBoxText(const QString& errorText)
{
    if (!errorText.isEmpty() && errorText.back() > QLatin1Char('.'))
        return errorText + QLatin1Char('.');
    return errorText;
}
