#include "ErrorText.h"

QString ErrorText::continuingSentence(QString reason)
{
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}
